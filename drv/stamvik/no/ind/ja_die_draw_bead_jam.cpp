// Feature journal class "Die.DrawBead".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(DrawBead, ja_die_draw_bead_jam, "Die.DrawBead", "Features.BodyFeature")
