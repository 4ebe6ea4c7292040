// Feature journal class "Die.CastRelief".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(CastRelief, ja_die_cast_relief_jam, "Die.CastRelief", "Features.BodyFeature")
