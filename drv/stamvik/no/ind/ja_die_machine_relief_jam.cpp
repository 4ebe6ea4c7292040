// Feature journal class "Die.MachineRelief".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(MachineRelief, ja_die_machine_relief_jam, "Die.MachineRelief", "Features.BodyFeature")
