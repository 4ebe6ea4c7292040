// Scripting class "Tooling.DieDesDrawPunchBuilder": its description and its
// automation interface. The member table is in interface order (the base
// plane before the other selections); its defaults only visit the builder's
// sub-objects.
#pragma once
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieDesDrawPunchBuilder_initialize_class();
void JA_DieDesDrawPunchBuilder_destroy_class();
void JA_DieDesDrawPunchBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieDesDrawPunchBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_tooling_die_des_draw_punch_builder_jam {
using namespace ::KTX::JA::Types;

using Plane = ::KTX::JA::TagOf<"Plane", "Plane">;
using FeatureSet = ::KTX::JA::TagOf<"Features.Feature", "Features.Feature">;
// Printed as "tFeatureSet".
using FeatureSetValue = ::KTX::JA::NamedAs<FeatureSet, "tfeatureset", "tFeatureSet">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::Tooling::DieDesDrawPunchBuilder;
  static constexpr const char* journalClass = "Tooling.DieDesDrawPunchBuilder";
  static constexpr const char* parent = "Builder";
  static constexpr const char* source = "ja_tooling_die_des_draw_punch_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x5EF7EB31;
  static constexpr ::KTX::JA::Creator creator{"Tooling.AutoDieCollection", "CreateDieDesDrawPunchBuilder"};
  static constexpr std::array<const char*, 3> dependencies{"Section", "SelectObject", "SelectObjectList"};
  static constexpr bool defaultsVisitOnly = true;
  static constexpr int defaultsLine = 1635;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieDesDrawPunchBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieDesDrawPunchBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieDesDrawPunchBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieDesDrawPunchBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS(X)                                                 \
  /* kind  member                value type               method body                           line */ \
  X(get,   SheetBody,            SelectBody,              JA_FIELD(m_sheetBody),                111)  \
  X(get,   PunchCurve,           SelectBrenvikObjectList, JA_FIELD(m_punchCurve),               163)  \
  X(get,   BasePlane,            Plane,                   JA_FIELD(m_basePlane),                215)  \
  X(set,   BasePlane,            Plane,                   JA_OPERATION(Object::SetBasePlane),   267)  \
  X(get,   SheetBodyDeck,        SelectBody,              JA_FIELD(m_sheetBodyDeck),            319)  \
  X(get,   MainWallCenterLine,   Section,                 JA_FIELD(m_mainWallCenterLine),       371)  \
  X(get,   FlangeProfile,        Section,                 JA_FIELD(m_flangeProfile),            423)  \
  X(get,   DeckThickness,        Double,                  JA_FIELD(m_deckThickness),            475)  \
  X(set,   DeckThickness,        Double,                  JA_FIELD(m_deckThickness),            527)  \
  X(get,   BeltThickness,        Double,                  JA_FIELD(m_beltThickness),            579)  \
  X(set,   BeltThickness,        Double,                  JA_FIELD(m_beltThickness),            631)  \
  X(get,   ReliefDistanse,       Double,                  JA_FIELD(m_reliefDistanse),           683)  \
  X(set,   ReliefDistanse,       Double,                  JA_FIELD(m_reliefDistanse),           735)  \
  X(get,   ReliefAngle,          Double,                  JA_FIELD(m_reliefAngle),              787)  \
  X(set,   ReliefAngle,          Double,                  JA_FIELD(m_reliefAngle),              839)  \
  X(get,   WallThickness,        Double,                  JA_FIELD(m_wallThickness),            891)  \
  X(set,   WallThickness,        Double,                  JA_FIELD(m_wallThickness),            943)  \
  X(get,   BaseThickness,        Double,                  JA_FIELD(m_baseThickness),            995)  \
  X(set,   BaseThickness,        Double,                  JA_FIELD(m_baseThickness),            1047) \
  X(get,   BaseWidth,            Double,                  JA_FIELD(m_baseWidth),                1099) \
  X(set,   BaseWidth,            Double,                  JA_FIELD(m_baseWidth),                1151) \
  X(get,   ExactSheetbodyOption, Logical,                 JA_FIELD(m_exactSheetbodyOption),     1203) \
  X(set,   ExactSheetbodyOption, Logical,                 JA_FIELD(m_exactSheetbodyOption),     1255) \
  X(get,   CoreDrawPunchOption,  Logical,                 JA_FIELD(m_coreDrawPunchOption),      1307) \
  X(set,   CoreDrawPunchOption,  Logical,                 JA_FIELD(m_coreDrawPunchOption),      1359) \
  X(get,   MachiningAllowance,   Double,                  JA_FIELD(m_machiningAllowance),       1411) \
  X(set,   MachiningAllowance,   Double,                  JA_FIELD(m_machiningAllowance),       1463) \
  X(get,   TfeatureSet,          FeatureSetValue,         JA_FIELD(m_tfeatureSet),              1515) \
  X(set,   TfeatureSet,          FeatureSetValue,         JA_OPERATION(Object::SetTfeatureSet), 1567)
// clang-format on

JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_tooling_die_des_draw_punch_builder_jam

#define JA_UNIT ja_tooling_die_des_draw_punch_builder_jam
class Tooling_DieDesDrawPunchBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Tooling_DieDesDrawPunchBuilder_Interface() = default;
};
#undef JA_UNIT
