// Scripting collection "Tooling.AutoDieCollection": its catalogue row, expanded by the engine.
#define JA_UNIT_SOURCE_ja_tooling_auto_die_collection_jam JA_THIS_UNIT_SOURCE
#include "ja_unit_source.hpp"
