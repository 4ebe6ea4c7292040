// Scripting class "Tooling.DieDesDrawDieBuilder": its description and its
// automation interface. The member table is in interface order; its defaults
// only visit the builder's sub-objects.
#pragma once
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieDesDrawDieBuilder_initialize_class();
void JA_DieDesDrawDieBuilder_destroy_class();
void JA_DieDesDrawDieBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieDesDrawDieBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_tooling_die_des_draw_die_builder_jam {
using namespace ::KTX::JA::Types;

using Plane = ::KTX::JA::TagOf<"Plane", "Plane">;
using FeatureSet = ::KTX::JA::TagOf<"Features.Feature", "Features.Feature">;
// Printed as "tFeatureSet".
using FeatureSetValue = ::KTX::JA::NamedAs<FeatureSet, "tfeatureset", "tFeatureSet">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::Tooling::DieDesDrawDieBuilder;
  static constexpr const char* journalClass = "Tooling.DieDesDrawDieBuilder";
  static constexpr const char* parent = "Builder";
  static constexpr const char* source = "ja_tooling_die_des_draw_die_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xE862BCB3;
  static constexpr ::KTX::JA::Creator creator{"Tooling.AutoDieCollection", "CreateDieDesDrawDieBuilder"};
  static constexpr std::array<const char*, 2> dependencies{"SelectObject", "SelectObjectList"};
  static constexpr bool defaultsVisitOnly = true;
  static constexpr int defaultsLine = 1583;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieDesDrawDieBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieDesDrawDieBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieDesDrawDieBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieDesDrawDieBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(X)                                                   \
  /* kind  member                value type               method body                           line */ \
  X(get,   SheetBody,            SelectBody,              JA_FIELD(m_sheetBody),                111)  \
  X(get,   PunchCurve,           SelectBrenvikObjectList, JA_FIELD(m_punchCurve),               163)  \
  X(get,   BlankCurve,           SelectBrenvikObjectList, JA_FIELD(m_blankCurve),               215)  \
  X(get,   FlangeCurve,          SelectBrenvikObjectList, JA_FIELD(m_flangeCurve),              267)  \
  X(get,   BasePlane,            Plane,                   JA_FIELD(m_basePlane),                319)  \
  X(set,   BasePlane,            Plane,                   JA_OPERATION(Object::SetBasePlane),   371)  \
  X(get,   DeckThickness,        Double,                  JA_FIELD(m_deckThickness),            423)  \
  X(set,   DeckThickness,        Double,                  JA_FIELD(m_deckThickness),            475)  \
  X(get,   BinderEdgeOffset,     Double,                  JA_FIELD(m_binderEdgeOffset),         527)  \
  X(set,   BinderEdgeOffset,     Double,                  JA_FIELD(m_binderEdgeOffset),         579)  \
  X(get,   DeckEdgeOffset,       Double,                  JA_FIELD(m_deckEdgeOffset),           631)  \
  X(set,   DeckEdgeOffset,       Double,                  JA_FIELD(m_deckEdgeOffset),           683)  \
  X(get,   DeckFlangeThickness,  Double,                  JA_FIELD(m_deckFlangeThickness),      735)  \
  X(set,   DeckFlangeThickness,  Double,                  JA_FIELD(m_deckFlangeThickness),      787)  \
  X(get,   WallThickness,        Double,                  JA_FIELD(m_wallThickness),            839)  \
  X(set,   WallThickness,        Double,                  JA_FIELD(m_wallThickness),            891)  \
  X(get,   BaseThickness,        Double,                  JA_FIELD(m_baseThickness),            943)  \
  X(set,   BaseThickness,        Double,                  JA_FIELD(m_baseThickness),            995)  \
  X(get,   FlangeOffset,         Double,                  JA_FIELD(m_flangeOffset),             1047) \
  X(set,   FlangeOffset,         Double,                  JA_FIELD(m_flangeOffset),             1099) \
  X(get,   ExactSheetbodyOption, Logical,                 JA_FIELD(m_exactSheetbodyOption),     1151) \
  X(set,   ExactSheetbodyOption, Logical,                 JA_FIELD(m_exactSheetbodyOption),     1203) \
  X(get,   CoreDrawDieOption,    Logical,                 JA_FIELD(m_coreDrawDieOption),        1255) \
  X(set,   CoreDrawDieOption,    Logical,                 JA_FIELD(m_coreDrawDieOption),        1307) \
  X(get,   MachiningAllowance,   Double,                  JA_FIELD(m_machiningAllowance),       1359) \
  X(set,   MachiningAllowance,   Double,                  JA_FIELD(m_machiningAllowance),       1411) \
  X(get,   TfeatureSet,          FeatureSetValue,         JA_FIELD(m_tfeatureSet),              1463) \
  X(set,   TfeatureSet,          FeatureSetValue,         JA_OPERATION(Object::SetTfeatureSet), 1515)
// clang-format on

JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_tooling_die_des_draw_die_builder_jam

#define JA_UNIT ja_tooling_die_des_draw_die_builder_jam
class Tooling_DieDesDrawDieBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Tooling_DieDesDrawDieBuilder_Interface() = default;
};
#undef JA_UNIT
