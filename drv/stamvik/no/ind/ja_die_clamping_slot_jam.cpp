// Feature journal class "Die.ClampingSlot".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(ClampingSlot, ja_die_clamping_slot_jam, "Die.ClampingSlot", "Features.BodyFeature")
