// Feature journal class "Die.Keyway".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(Keyway, ja_die_keyway_jam, "Die.Keyway", "Features.BodyFeature")
