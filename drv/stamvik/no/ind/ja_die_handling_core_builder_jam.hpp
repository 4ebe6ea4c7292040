// Scripting class "Die.HandlingCoreBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "ja_value_types.hpp"

void JA_HandlingCoreBuilder_initialize_class();
void JA_HandlingCoreBuilder_destroy_class();
void JA_HandlingCoreBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_HandlingCoreBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_handling_core_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieLocationsBuilder = ::KTX::JA::Object<::KTX::DieDesJA::DieLocationsBuilder, "Die.DieLocationsBuilder">;
using Types = ::KTX::JA::Enum<"Die.HandlingCoreBuilder.Types">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::HandlingCoreBuilder;
  static constexpr const char* journalClass = "Die.HandlingCoreBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_handling_core_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x015B8373;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateHandlingCoreBuilder"};
  static constexpr std::array<const char*, 4> dependencies{"Die.DieLocationsBuilder", "Die.DiePlaneBuilder",
                                                            "Expression", "SelectObject"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.HandlingCoreBuilder.Types", {"AtLocation", "FromBase", "MapFromBase"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 4> defaults{{
      // property path      millimetre  inch
      {"Clearance.Value",   "100",      "4"},
      {"Depth.Value",       "40",       "1.6"},
      {"Height.Value",      "100",      "4"},
      {"Width.Value",       "75",       "3"},
  }};
  static constexpr int defaultsLine = 839;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_HandlingCoreBuilder_initialize_class;
  static constexpr auto destroy = &JA_HandlingCoreBuilder_destroy_class;
  static constexpr auto testPrint = &JA_HandlingCoreBuilder_test_print;
  static constexpr auto setDefaults = &JA_HandlingCoreBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_HANDLING_CORE_BUILDER_MEMBERS(X)                                            \
  /* kind  member             value type           method body                     line */ \
  X(get,   Target,            SelectBody,          JA_FIELD(m_target),             111)    \
  X(get,   Location,          DieLocationsBuilder, JA_FIELD(m_location),           163)    \
  X(get,   CoreOrientation,   DiePlaneBuilder,     JA_FIELD(m_coreOrientation),    215)    \
  X(get,   BaseOrientation,   DiePlaneBuilder,     JA_FIELD(m_baseOrientation),    267)    \
  X(get,   Height,            Expression,          JA_FIELD(m_height),             319)    \
  X(get,   Width,             Expression,          JA_FIELD(m_width),              371)    \
  X(get,   Clearance,         Expression,          JA_FIELD(m_clearance),          423)    \
  X(get,   Depth,             Expression,          JA_FIELD(m_depth),              475)    \
  X(get,   DistanceTolerance, Double,              JA_FIELD(m_distanceTolerance),  527)    \
  X(set,   DistanceTolerance, Double,              JA_FIELD(m_distanceTolerance),  579)    \
  X(get,   AngleTolerance,    Double,              JA_FIELD(m_angleTolerance),     631)    \
  X(set,   AngleTolerance,    Double,              JA_FIELD(m_angleTolerance),     683)    \
  X(get,   Type,              Types,               JA_FIELD(m_type),               735)    \
  X(set,   Type,              Types,               JA_FIELD(m_type),               787)
// clang-format on

JA_DIE_HANDLING_CORE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_HANDLING_CORE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_handling_core_builder_jam

#define JA_UNIT ja_die_handling_core_builder_jam
class Die_HandlingCoreBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_HANDLING_CORE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_HandlingCoreBuilder_Interface() = default;
};
#undef JA_UNIT
