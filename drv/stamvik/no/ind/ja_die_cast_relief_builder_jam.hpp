// Scripting class "Die.CastReliefBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "ja_value_types.hpp"

void JA_CastReliefBuilder_initialize_class();
void JA_CastReliefBuilder_destroy_class();
void JA_CastReliefBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_CastReliefBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_cast_relief_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::CastReliefBuilder;
  static constexpr const char* journalClass = "Die.CastReliefBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_cast_relief_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xaba854e8;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CastRelief"};
  static constexpr std::array<const char*, 4> dependencies{"Die.DiePlaneBuilder", "Expression", "Section",
                                                            "SelectObject"};
  static constexpr std::array<::KTX::JA::DefaultRow, 5> defaults{{
      // property path          millimetre  inch
      {"AngleTolerance",        "0.5",      nullptr},
      {"CreateSupportCasting",  "0",        nullptr},
      {"DistanceTolerance",     "0.0254",   "0.001"},
      {"ReliefDepth.Value",     "5",        "0.2"},
      {"Thickness.Value",       "35",       "1.4"},
  }};
  static constexpr int defaultsLine = 790;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_CastReliefBuilder_initialize_class;
  static constexpr auto destroy = &JA_CastReliefBuilder_destroy_class;
  static constexpr auto testPrint = &JA_CastReliefBuilder_test_print;
  static constexpr auto setDefaults = &JA_CastReliefBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_CAST_RELIEF_BUILDER_MEMBERS(X)                                                    \
  /* kind  member                value type           method body                        line */ \
  X(get,   Target,               SelectBrenvikObject, JA_FIELD(m_target),                111)    \
  X(get,   ReliefProfile,        Section,             JA_FIELD(m_reliefProfile),         163)    \
  X(get,   SheetMetal,           SelectBrenvikObject, JA_FIELD(m_sheetMetal),            215)    \
  X(get,   ReliefSheet,          SelectBrenvikObject, JA_FIELD(m_reliefSheet),           267)    \
  X(get,   BaseOrientation,      DiePlaneBuilder,     JA_FIELD(m_baseOrientation),       319)    \
  X(get,   ReliefDepth,          Expression,          JA_FIELD(m_reliefDepth),           371)    \
  X(get,   CreateSupportCasting, Logical,             JA_FIELD(m_createSupportCasting),  425)    \
  X(set,   CreateSupportCasting, Logical,             JA_FIELD(m_createSupportCasting),  477)    \
  X(get,   Thickness,            Expression,          JA_FIELD(m_thickness),             529)    \
  X(get,   DistanceTolerance,    Double,              JA_FIELD(m_distanceTolerance),     581)    \
  X(set,   DistanceTolerance,    Double,              JA_FIELD(m_distanceTolerance),     633)    \
  X(get,   AngleTolerance,       Double,              JA_FIELD(m_angleTolerance),        685)    \
  X(set,   AngleTolerance,       Double,              JA_FIELD(m_angleTolerance),        737)
// clang-format on

JA_DIE_CAST_RELIEF_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_CAST_RELIEF_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_cast_relief_builder_jam

#define JA_UNIT ja_die_cast_relief_builder_jam
class Die_CastReliefBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_CAST_RELIEF_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_CastReliefBuilder_Interface() = default;
};
#undef JA_UNIT
