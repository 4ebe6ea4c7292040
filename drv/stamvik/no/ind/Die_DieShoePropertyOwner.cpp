// Property owner of the feature class "Die.DieShoe": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "Features.BodyFeature".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Die_DieShoePropertyOwner, "Die.DieShoe", "Features.BodyFeature")
