// Scripting class "Tooling.DieDesPierceInsertBuilder": its description and its
// automation interface. The member table is in interface order; the hole
// shapes are registered as an enumeration no member uses.
#pragma once
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieDesPierceInsertBuilder_initialize_class();
void JA_DieDesPierceInsertBuilder_destroy_class();
void JA_DieDesPierceInsertBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieDesPierceInsertBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_tooling_die_des_pierce_insert_builder_jam {
using namespace ::KTX::JA::Types;

using Direction = ::KTX::JA::Enum<"Tooling.DieDesPierceInsertBuilder.Direction">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::Tooling::DieDesPierceInsertBuilder;
  static constexpr const char* journalClass = "Tooling.DieDesPierceInsertBuilder";
  static constexpr const char* parent = "Builder";
  static constexpr const char* source = "ja_tooling_die_des_pierce_insert_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xD47F772F;
  static constexpr ::KTX::JA::Creator creator{"Tooling.AutoDieCollection", "CreateDieDesPierceInsertBuilder"};
  static constexpr std::array<const char*, 1> dependencies{"ScCollector"};
  static constexpr std::array<::KTX::JA::EnumDescription, 2> enums{{
      {"Tooling.DieDesPierceInsertBuilder.Direction", {"Upper", "Lower"}},
      {"Tooling.DieDesPierceInsertBuilder.HoleShapeTypes",
       {"Circular", "Oblong", "Square", "Rectangular", "RoundedRectangular", "ChordRectangular", "Hexagonal", "Other"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 2> defaults{{
      // property path              millimetre  inch
      {"ThicknessDirectionOption",  "Upper",    "Upper"},
      {"ThicknessValue",            "0.8",      "0.8"},
  }};
  static constexpr int defaultsLine = 1167;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieDesPierceInsertBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieDesPierceInsertBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieDesPierceInsertBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieDesPierceInsertBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(X)                                                   \
  /* kind  member                    value type   method body                               line */       \
  X(get,   BoudaryCurveSelection,    ScCollector, JA_FIELD(m_boudaryCurveSelection),        111)  \
  X(get,   UpToleranceForLength,     Double,      JA_FIELD(m_upToleranceForLength),         163)  \
  X(set,   UpToleranceForLength,     Double,      JA_FIELD(m_upToleranceForLength),         215)  \
  X(get,   DownToleranceForLength,   Double,      JA_FIELD(m_downToleranceForLength),       267)  \
  X(set,   DownToleranceForLength,   Double,      JA_FIELD(m_downToleranceForLength),       319)  \
  X(get,   UpToleranceForWidth,      Double,      JA_FIELD(m_upToleranceForWidth),          371)  \
  X(set,   UpToleranceForWidth,      Double,      JA_FIELD(m_upToleranceForWidth),          423)  \
  X(get,   DownToleranceForWidth,    Double,      JA_FIELD(m_downToleranceForWidth),        475)  \
  X(set,   DownToleranceForWidth,    Double,      JA_FIELD(m_downToleranceForWidth),        527)  \
  X(get,   ThicknessDirectionOption, Direction,   JA_FIELD(m_thicknessDirectionOption),     579)  \
  X(set,   ThicknessDirectionOption, Direction,   JA_FIELD(m_thicknessDirectionOption),     631)  \
  X(get,   ThicknessValue,           Double,      JA_FIELD(m_thicknessValue),               683)  \
  X(set,   ThicknessValue,           Double,      JA_FIELD(m_thicknessValue),               735)  \
  X(get,   PunchPenetration,         Double,      JA_FIELD(m_punchPenetration),             787)  \
  X(set,   PunchPenetration,         Double,      JA_FIELD(m_punchPenetration),             839)  \
  X(get,   ClearanceCoefficient,     Double,      JA_FIELD(m_clearanceCoefficient),         891)  \
  X(set,   ClearanceCoefficient,     Double,      JA_FIELD(m_clearanceCoefficient),         943)  \
  X(get,   DiePenetration,           Double,      JA_FIELD(m_diePenetration),               995)  \
  X(set,   DiePenetration,           Double,      JA_FIELD(m_diePenetration),               1047) \
  X(get,   ToleranceCoefficient,     Double,      JA_FIELD(m_toleranceCoefficient),         1099) \
  X(set,   ToleranceCoefficient,     Double,      JA_FIELD(m_toleranceCoefficient),         1151)
// clang-format on

JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_tooling_die_des_pierce_insert_builder_jam

#define JA_UNIT ja_tooling_die_des_pierce_insert_builder_jam
class Tooling_DieDesPierceInsertBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Tooling_DieDesPierceInsertBuilder_Interface() = default;
};
#undef JA_UNIT
