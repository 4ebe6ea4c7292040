// Feature journal class "Die.Clearance": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_die_clearance_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
