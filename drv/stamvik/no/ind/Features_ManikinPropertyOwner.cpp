// Property owner of the feature class "Features.Manikin": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "Features.Feature".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Features_ManikinPropertyOwner, "Features.Manikin", "Features.Feature")
