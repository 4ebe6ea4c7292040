// A journaling unit's source: its catalogue row (a builder's or a
// collection's; the features' units are ja_feature_units.cpp), expanded. The
// source names its unit and includes this file; no include guard, one unit
// per source:
//
//   #define JA_UNIT_SOURCE_ja_die_keyway_builder_jam JA_THIS_UNIT_SOURCE
//   #include "ja_unit_source.hpp"
//
// A source whose unit the catalogue does not list, or that two rows name,
// stops the build here.
#include <string_view>

#include "ja_catalogue.hpp"

// The row this source names: JA_UNIT_SOURCE_<unit> is defined as the probe
// (`~, 1`) for it alone, so the second item is 1 for that row and 0 for the others.
#define JA_THIS_UNIT_SOURCE ~, 1
#define JA_UNIT_SOURCE_SECOND(a, b, ...) b
#define JA_UNIT_SOURCE_PROBE(...) JA_UNIT_SOURCE_SECOND(__VA_ARGS__, 0, ~)
#define JA_UNIT_SOURCE_IS_THIS(unit) JA_UNIT_SOURCE_PROBE(JA_UNIT_SOURCE_##unit)
#define JA_UNIT_SOURCE_IF_I(c) JA_UNIT_SOURCE_IF_##c
#define JA_UNIT_SOURCE_IF(c) JA_UNIT_SOURCE_IF_I(c)
#define JA_UNIT_SOURCE_IF_1(...) __VA_ARGS__
#define JA_UNIT_SOURCE_IF_0(...)

#define JA_UNIT_SOURCE_COUNT_B(Area, Class, Namespace, unit, ...) +JA_UNIT_SOURCE_IS_THIS(unit)
#define JA_UNIT_SOURCE_COUNT_C(Area, Class, unit, ...) +JA_UNIT_SOURCE_IS_THIS(unit)
#if (0 JA_CATALOGUE(JA_UNIT_SOURCE_COUNT_B, JA_UNIT_SOURCE_COUNT_C, JA_CATALOGUE_NOTHING)) != 1
#error "this unit source names no builder or collection row of the catalogue (ja_catalogue.hpp), or more than one"
#else

// The row as a tuple, (kind, columns...), taken out of the catalogue before
// it is expanded, so that what it expands to may read the catalogue again
// (the head of a list, which g++ also takes as the one name to include).
#define JA_UNIT_SOURCE_ROW_B(Area, Class, Namespace, unit, ...) \
  JA_UNIT_SOURCE_IF(JA_UNIT_SOURCE_IS_THIS(unit))((BUILDER, Area, Class, Namespace, unit, __VA_ARGS__), )
#define JA_UNIT_SOURCE_ROW_C(Area, Class, unit, ...) \
  JA_UNIT_SOURCE_IF(JA_UNIT_SOURCE_IS_THIS(unit))((COLLECTION, Area, Class, unit, __VA_ARGS__), )
#define JA_UNIT_SOURCE_HEAD(row, ...) row
#define JA_UNIT_SOURCE_HEAD_OF(...) JA_UNIT_SOURCE_HEAD(__VA_ARGS__)
#define JA_UNIT_SOURCE_ROW \
  JA_UNIT_SOURCE_HEAD_OF(JA_CATALOGUE(JA_UNIT_SOURCE_ROW_B, JA_UNIT_SOURCE_ROW_C, JA_CATALOGUE_NOTHING) ~)

// Its description.
#define JA_UNIT_SOURCE_HEADER_OF(row) JA_UNIT_SOURCE_HEADER_I row
#define JA_UNIT_SOURCE_HEADER_I(kind, ...) JA_UNIT_SOURCE_HEADER_##kind(__VA_ARGS__)
#define JA_UNIT_SOURCE_HEADER_BUILDER(Area, Class, Namespace, unit, ...) JA_CATALOGUE_STR(unit.hpp)
#define JA_UNIT_SOURCE_HEADER_COLLECTION(Area, Class, unit, ...) JA_CATALOGUE_STR(unit.hpp)
#include JA_UNIT_SOURCE_HEADER_OF(JA_UNIT_SOURCE_ROW)

// The exports' names and types, as the engine's JA_EXPORT reads them.
#define JA_UNIT_SOURCE_COLUMNS_OF(row) JA_UNIT_SOURCE_COLUMNS_I row
#define JA_UNIT_SOURCE_COLUMNS_I(kind, ...) JA_UNIT_SOURCE_COLUMNS_##kind(__VA_ARGS__)
#define JA_UNIT_SOURCE_COLUMNS_BUILDER(Area, Class, Namespace, unit, MEMBERS, EXPORT) (unit, EXPORT)
#define JA_UNIT_SOURCE_COLUMNS_COLLECTION(Area, Class, unit, MEMBERS, EXPORT, ...) (unit, EXPORT)
#define JA_UNIT_SOURCE_FIRST(a, b) a
#define JA_UNIT_SOURCE_SECOND_OF(a, b) b
#define JA_UNIT_SOURCE_APPLY(m, args) m args
#define JA_UNIT_SOURCE_UNIT_OF(row) JA_UNIT_SOURCE_APPLY(JA_UNIT_SOURCE_FIRST, JA_UNIT_SOURCE_COLUMNS_OF(row))
#define JA_UNIT_SOURCE_EXPORT_OF(row) JA_UNIT_SOURCE_APPLY(JA_UNIT_SOURCE_SECOND_OF, JA_UNIT_SOURCE_COLUMNS_OF(row))
#define JA_UNIT JA_UNIT_SOURCE_UNIT_OF(JA_UNIT_SOURCE_ROW)
#define JA_EXPORT_CLASS JA_UNIT_SOURCE_EXPORT_OF(JA_UNIT_SOURCE_ROW)

// The two implementations of the interface, its class functions, its load step.
#define JA_UNIT_SOURCE_IMPLEMENTATIONS(Area, Class, unit, MEMBERS, ...)                    \
  namespace unit {                                                                        \
  namespace {                                                                             \
  static_assert(std::string_view(Unit::journalClass) == #Area "." #Class,                 \
                "the catalogue row and the description name different journal classes"); \
  class Area##_##Class##_JournalledImpl final : public ::Area##_##Class##_Interface {     \
   public:                                                                                \
    unsigned int GetInterfaceId() override { return Unit::interfaceId; }                  \
    MEMBERS(JA_JOURNALLED_OP)                                                             \
    __VA_ARGS__                                                                           \
  };                                                                                      \
  class Area##_##Class##_UnjournalledImpl final : public ::Area##_##Class##_Interface {   \
   public:                                                                                \
    unsigned int GetInterfaceId() override { return Unit::interfaceId; }                  \
    MEMBERS(JA_UNJOURNALLED_OP)                                                           \
    __VA_ARGS__                                                                           \
  };                                                                                      \
  Area##_##Class##_JournalledImpl journalled;                                             \
  Area##_##Class##_UnjournalledImpl unjournalled;                                         \
  }                                                                                       \
  }                                                                                       \
  void JA_##Class##_initialize_class() { ::KTX::JA::InitializeClass<unit::Unit, unit::Members>(); } \
  void JA_##Class##_destroy_class() { ::KTX::JA::DestroyClass<unit::Unit>(); }           \
  void JA_##Class##_test_print(const KTX::tag_t* tag, const char* tagName, int level) {   \
    ::KTX::JA::TestPrint<unit::Unit, unit::Members>(tag, tagName, level);                 \
  }                                                                                       \
  namespace KTX::JA {                                                                     \
  void Load##Class##Unit() { LoadUnit<unit::Unit>(&unit::journalled, &unit::unjournalled); } \
  }

// A builder: as above, its scripting defaults (where its description has
// any), its exports.
#define JA_UNIT_SOURCE_BUILDER(Area, Class, Namespace, unit, MEMBERS, EXPORT)                           \
  JA_UNIT_SOURCE_IMPLEMENTATIONS(Area, Class, unit, MEMBERS)                                            \
  void JA_##Class##_set_defaults(KTX::tag_t tag, bool apply);                                           \
  void JA_##Class##_set_defaults(KTX::tag_t tag, bool apply) {                                          \
    ::KTX::JA::SetDefaultsWhereDescribed<unit::Unit>(tag, apply);                                       \
  }                                                                                                     \
  MEMBERS(JA_EXPORT)

// A collection: as a builder without defaults, its interface handing out its
// enumerator, which is exported (not journalled: the guard alone).
#define JA_UNIT_SOURCE_COLLECTION(Area, Class, unit, MEMBERS, EXPORT, Enumerator, ...)                         \
  JA_UNIT_SOURCE_IMPLEMENTATIONS(Area, Class, unit, MEMBERS,                                                   \
                                 EnumerateFunction Enumerate() override { return &Enumerator; })               \
  MEMBERS(JA_EXPORT)                                                                                           \
  __VA_OPT__(JA_UNIT_SOURCE_ENUMERATORS(Enumerator, __VA_ARGS__))
#define JA_UNIT_SOURCE_ENUMERATORS(Enumerator, Name, ...)                                            \
  extern "C" STAMVIK_API int XJA_##Name##_enumerate(KTX::tag_t collection, KTX::tag_t* cursor) {     \
    return KTX::JA::Guard<&Enumerator>(collection, cursor);                                          \
  }                                                                                                  \
  __VA_OPT__(JA_UNIT_SOURCE_ENUMERATOR_ALIAS(Name, __VA_ARGS__))
#define JA_UNIT_SOURCE_ENUMERATOR_ALIAS(Name, Alias)                                                 \
  extern "C" STAMVIK_API int XJA_##Alias##_enumerate(KTX::tag_t collection, KTX::tag_t* cursor)      \
      __attribute__((alias(JA_CATALOGUE_STR(XJA_##Name##_enumerate))));

#define JA_UNIT_SOURCE_OF(row) JA_UNIT_SOURCE_DISPATCH row
#define JA_UNIT_SOURCE_DISPATCH(kind, ...) JA_UNIT_SOURCE_##kind(__VA_ARGS__)

JA_UNIT_SOURCE_OF(JA_UNIT_SOURCE_ROW)

#endif
