// Feature journal class "Die.Heelpost".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(Heelpost, ja_die_heelpost_jam, "Die.Heelpost", "Features.BodyFeature")
