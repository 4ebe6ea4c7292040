// Feature journal class "Die.FillArea".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(FillArea, ja_die_fill_area_jam, "Die.FillArea", "Features.BodyFeature")
