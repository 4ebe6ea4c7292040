// Scripting class "Tooling.DieDesDrawPunchBuilder": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_tooling_die_des_draw_punch_builder_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
