// Feature journal class "Tooling.AutoDieGroup": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_tooling_auto_die_group_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
