// Feature journal class "Die.FingerClearanceNotch".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(FingerClearanceNotch, ja_die_finger_clearance_notch_jam, "Die.FingerClearanceNotch", "Features.BodyFeature")
