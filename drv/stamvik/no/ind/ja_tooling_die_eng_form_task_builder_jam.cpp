// Scripting class "Tooling.DieEngFormTaskBuilder": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_tooling_die_eng_form_task_builder_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
