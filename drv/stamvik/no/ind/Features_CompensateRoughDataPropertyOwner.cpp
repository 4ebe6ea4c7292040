// Property owner of the feature class "Features.CompensateRoughData": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "Features.BodyFeature".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Features_CompensateRoughDataPropertyOwner, "Features.CompensateRoughData", "Features.BodyFeature")
