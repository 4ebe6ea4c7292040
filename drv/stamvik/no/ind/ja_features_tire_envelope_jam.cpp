// Feature journal class "Features.TireEnvelope".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(TireEnvelope, ja_features_tire_envelope_jam, "Features.TireEnvelope", "Features.BodyFeature")
