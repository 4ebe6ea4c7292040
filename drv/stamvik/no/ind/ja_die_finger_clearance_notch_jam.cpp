// Feature journal class "Die.FingerClearanceNotch": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_die_finger_clearance_notch_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
