// Scripting class "Die.DieBooleanBuilder": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_die_die_boolean_builder_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
