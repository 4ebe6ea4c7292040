// Feature journal class "Die.HandlingCore".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(HandlingCore, ja_die_handling_core_jam, "Die.HandlingCore", "Features.BodyFeature")
