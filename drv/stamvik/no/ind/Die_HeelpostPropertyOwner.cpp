// Property owner of the feature class "Die.Heelpost": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "Features.BodyFeature".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Die_HeelpostPropertyOwner, "Die.Heelpost", "Features.BodyFeature")
