// Feature journal class "Features.CompensateRoughData".
#include "ja_feature_unit.hpp"

JA_FEATURE_UNIT(CompensateRoughData, ja_features_compensate_rough_data_jam, "Features.CompensateRoughData", "Features.BodyFeature")
