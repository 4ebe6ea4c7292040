// Feature journal class "Die.SpringbackCompensation".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(SpringbackCompensation, ja_die_springback_compensation_jam, "Die.SpringbackCompensation", "Features.BodyFeature")
