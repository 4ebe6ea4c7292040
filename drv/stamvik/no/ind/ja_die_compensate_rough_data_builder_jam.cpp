// Scripting class "Die.CompensateRoughDataBuilder": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_die_compensate_rough_data_builder_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
