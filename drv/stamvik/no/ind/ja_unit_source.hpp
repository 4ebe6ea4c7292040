// The journaling units and property owners of the catalogue's builders and
// collections (the features' are ja_feature_units.cpp), made from their rows.
// They are made in JA_UNITS_SOURCES translation units, ja_units_<n>.cpp, each
// of which defines JA_UNITS_SOURCE as its n and includes this file; no
// include guard, one inclusion per source:
//
//   #define JA_UNITS_SOURCE 0
//   #include "ja_unit_source.hpp"
//
// Source n makes the rows whose position among the builders and collections
// of the catalogue is n modulo JA_UNITS_SOURCES, so that a row added anywhere
// needs no source of its own and the sources stay about the same size (one
// per area would leave the die area's alone at a minute at -O3). Each unit
// keeps its own namespace, the one its description names; what one unit
// makes is the same wherever it is made.
#include <string_view>

#include "ja_catalogue.hpp"
#include "ja_property_owner.hpp"

#define JA_UNITS_SOURCES 4

#if !defined(JA_UNITS_SOURCE) || JA_UNITS_SOURCE < 0 || JA_UNITS_SOURCE >= JA_UNITS_SOURCES
#error "a units' source defines JA_UNITS_SOURCE as its number, 0 to JA_UNITS_SOURCES - 1"
#else

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
  void Load##Class##Unit() {                                                              \
    LoadUnit<unit::Unit>(&unit::journalled, &unit::unjournalled);                         \
    RegisterInputs<unit::Unit, unit::Members>();                                          \
    RegisterPlainMembers<unit::Unit, unit::Members>();                                    \
  }                                                                                       \
  }

// A builder's property owner, KTX::JAM::Area_ClassPropertyOwner: its
// properties from the member table, the members its Unit lists as
// unpublished left out, its errors naming the owner's source and the row's
// line.
#define JA_UNIT_SOURCE_OWNER(Area, Class, unit, MEMBERS, OwnerLine)                                     \
  namespace unit {                                                                                      \
  struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {                                  \
    using Unit = unit::Unit;                                                                            \
    using Interface = ::Area##_##Class##_Interface;                                                     \
    using Ops = ::KTX::JA::Owners::OpList<void MEMBERS(JA_OWNER_OP)>;                                   \
    static constexpr auto unpublished = ::KTX::JA::Owners::UnpublishedOf<Unit>();                       \
    static constexpr const char* source = "drv/stamvik/no/ind/" #Area "_" #Class "PropertyOwner";       \
    static constexpr int line = OwnerLine;                                                              \
  };                                                                                                    \
  }                                                                                                     \
  JA_PROPERTY_OWNER(Area##_##Class##PropertyOwner, unit::PropertyOwnerDescription)

// A builder: as above, its scripting defaults (where its description has
// any), its exports, its property owner.
#define JA_UNIT_SOURCE_BUILDER(Area, Class, Namespace, unit, MEMBERS, EXPORT, OwnerLine)                \
  JA_UNIT_SOURCE_IMPLEMENTATIONS(Area, Class, unit, MEMBERS)                                            \
  void JA_##Class##_set_defaults(KTX::tag_t tag, bool apply);                                           \
  void JA_##Class##_set_defaults(KTX::tag_t tag, bool apply) {                                          \
    ::KTX::JA::SetDefaultsWhereDescribed<unit::Unit>(tag, apply);                                       \
  }                                                                                                     \
  MEMBERS(JA_EXPORT)                                                                                    \
  JA_UNIT_SOURCE_OWNER(Area, Class, unit, MEMBERS, OwnerLine)

// A collection: as a builder without defaults or owner, its interface handing
// out its enumerator, which is exported (not journalled: the guard alone).
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

// Every description of this source's rows, each row expanded after it.
#define JA_DESCRIBED_SELECT(n) ((n) % JA_UNITS_SOURCES == JA_UNITS_SOURCE)
#define JA_EACH_DESCRIPTION JA_UNIT_SOURCE_OF(JA_ROW)
#include "ja_catalogue_descriptions.hpp"
#undef JA_EACH_DESCRIPTION
#undef JA_DESCRIBED_SELECT

#endif
