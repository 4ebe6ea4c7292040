// The feature classes, one per FEATURE row of the catalogue: its journaling
// unit, the feature pattern (ja_feature_unit.hpp) in the unit's own
// namespace, and its property owner, which publishes nothing of its own and
// passes every request, unchanged, to the owner of its parent class.
#include "ja_catalogue.hpp"
#include "ja_feature_unit.hpp"
#include "ja_property_owner.hpp"

#define JA_FEATURE_OF_ROW(Area, Class, unit, Parent, ...)                                \
  JA_FEATURE_UNIT(Class, unit, #Area "." #Class, Parent __VA_OPT__(, ) __VA_ARGS__)      \
  JA_FEATURE_PROPERTY_OWNER(Area##_##Class##PropertyOwner, #Area "." #Class, Parent)
JA_CATALOGUE(JA_CATALOGUE_NOTHING, JA_CATALOGUE_NOTHING, JA_FEATURE_OF_ROW)
