// Scripting class "Die.DieLocationBuilder": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_die_die_location_builder_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
