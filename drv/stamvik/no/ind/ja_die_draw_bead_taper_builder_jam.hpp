// Scripting class "Die.DrawBeadTaperBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DrawBeadTaperBuilder_initialize_class();
void JA_DrawBeadTaperBuilder_destroy_class();
void JA_DrawBeadTaperBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DrawBeadTaperBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_draw_bead_taper_builder_jam {
using namespace ::KTX::JA::Types;
using TaperTypes = ::KTX::JA::Enum<"Die.DrawBeadTaperBuilder.TaperTypes">;
// The taper point crosses as a tag, not as an object pointer.
using Point = ::KTX::JA::TagOf<"Point", "Point">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieEngJA::DrawBeadTaperBuilder;
  static constexpr const char* journalClass = "Die.DrawBeadTaperBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_draw_bead_taper_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x41A7CF5E;
  static constexpr std::array<const char*, 1> dependencies{"Expression"};
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DrawBeadTaperBuilder.TaperTypes", {"Spherical", "Washout", "Point"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 4> defaults{{
      // property path               millimetre   inch
      {"TaperRadius.Value",          "90",        "3.8"},
      {"TaperType",                  "Spherical", "Spherical"},
      {"TaperWashoutHeight.Value",   "10",        "0.4"},
      {"TaperWashoutLength.Value",   "50",        "2"},
  }};
  static constexpr int defaultsLine = 475;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DrawBeadTaperBuilder_initialize_class;
  static constexpr auto destroy = &JA_DrawBeadTaperBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DrawBeadTaperBuilder_test_print;
  static constexpr auto setDefaults = &JA_DrawBeadTaperBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(X)                                                   \
  /* kind  member              value type  method body                               line */        \
  X(get,   TaperType,          TaperTypes, JA_FIELD(m_taperType),                    111)           \
  X(set,   TaperType,          TaperTypes, JA_FIELD(m_taperType),                    163)           \
  X(get,   TaperRadius,        Expression, JA_FIELD(m_taperRadius),                  215)           \
  X(get,   TaperWashoutHeight, Expression, JA_FIELD(m_taperWashoutHeight),           267)           \
  X(get,   TaperWashoutLength, Expression, JA_FIELD(m_taperWashoutLength),           319)           \
  X(get,   TaperPoint,         Point,      JA_FIELD(m_taperPoint),                   371)           \
  X(set,   TaperPoint,         Point,      JA_OPERATION(Object::SetTaperPoint),      423)
// clang-format on

JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_draw_bead_taper_builder_jam

#define JA_UNIT ja_die_draw_bead_taper_builder_jam
class Die_DrawBeadTaperBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DrawBeadTaperBuilder_Interface() = default;
};
#undef JA_UNIT
