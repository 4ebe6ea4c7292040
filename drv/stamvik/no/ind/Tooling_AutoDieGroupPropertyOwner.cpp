// Property owner of the feature class "Tooling.AutoDieGroup": it publishes nothing of its
// own and passes every request, unchanged, to the owner of "TaggedObject".
#include "ja_property_owner.hpp"

JA_FEATURE_PROPERTY_OWNER(Tooling_AutoDieGroupPropertyOwner, "Tooling.AutoDieGroup", "TaggedObject")
