// A feature class unit: the journal class of a feature a builder makes, with
// no members, no interface and no defaults. The engine's set-up and test
// print, given an empty member table, are exactly the feature pattern. A
// class whose set-up creates its class without looking its parent up first
// says so after the parent (`false`).
#pragma once
#include "ja_engine.hpp"

#define JA_FEATURE_UNIT(Class, UnitName, JournalClass, Parent, ...)                                  \
  void JA_##Class##_initialize_class();                                                              \
  void JA_##Class##_destroy_class();                                                                 \
  void JA_##Class##_test_print(const KTX::tag_t* tag, const char* tagName, int level);               \
  namespace UnitName {                                                                               \
  struct Unit : ::KTX::JA::UnitDefaults {                                                            \
    using Object = ::KTX::OM::Object;                                                                \
    static constexpr const char* journalClass = JournalClass;                                        \
    static constexpr const char* parent = Parent;                                                    \
    static constexpr bool parentLookedUp = JA_FIRST(__VA_ARGS__ __VA_OPT__(, ) true);                \
    static constexpr const char* source = #UnitName;                                                 \
    static inline ::KTX::JA::UnitState state;                                                        \
    static constexpr auto initialize = &JA_##Class##_initialize_class;                               \
    static constexpr auto destroy = &JA_##Class##_destroy_class;                                     \
    static constexpr auto testPrint = &JA_##Class##_test_print;                                      \
    static constexpr void (*setDefaults)(KTX::tag_t, bool) = nullptr;                                \
  };                                                                                                 \
  using Members = ::KTX::JA::TypeList<>;                                                             \
  }                                                                                                  \
  void JA_##Class##_initialize_class() { ::KTX::JA::InitializeClass<UnitName::Unit, UnitName::Members>(); } \
  void JA_##Class##_destroy_class() { ::KTX::JA::DestroyClass<UnitName::Unit>(); }                   \
  void JA_##Class##_test_print(const KTX::tag_t* tag, const char* tagName, int level) {              \
    ::KTX::JA::TestPrint<UnitName::Unit, UnitName::Members>(tag, tagName, level);                    \
  }                                                                                                  \
  namespace KTX::JA {                                                                                \
  void Load##Class##Unit() { LoadUnit<UnitName::Unit>(nullptr, nullptr); }                           \
  }
