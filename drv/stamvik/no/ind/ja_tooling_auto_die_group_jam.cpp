// Feature journal class "Tooling.AutoDieGroup": its set-up creates the class
// under "TaggedObject" without looking anything up first.
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(AutoDieGroup, ja_tooling_auto_die_group_jam, "Tooling.AutoDieGroup", "TaggedObject", false)
