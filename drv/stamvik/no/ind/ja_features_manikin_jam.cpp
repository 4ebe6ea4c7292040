// Feature journal class "Features.Manikin".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(Manikin, ja_features_manikin_jam, "Features.Manikin", "Features.Feature")
