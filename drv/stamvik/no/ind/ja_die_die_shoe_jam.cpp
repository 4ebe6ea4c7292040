// Feature journal class "Die.DieShoe".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(DieShoe, ja_die_die_shoe_jam, "Die.DieShoe", "Features.BodyFeature")
