// Property owner of the feature class "Features.TireEnvelope": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "Features.BodyFeature".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Features_TireEnvelopePropertyOwner, "Features.TireEnvelope", "Features.BodyFeature")
