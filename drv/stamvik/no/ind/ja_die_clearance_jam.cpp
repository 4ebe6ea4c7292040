// Feature journal class "Die.Clearance".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(Clearance, ja_die_clearance_jam, "Die.Clearance", "Features.BodyFeature")
