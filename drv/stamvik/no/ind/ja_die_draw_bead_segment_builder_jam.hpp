// Scripting class "Die.DrawBeadSegmentBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "ja_value_types.hpp"
#include "jax_die_draw_bead_builder.hpp"

void JA_DrawBeadSegmentBuilder_initialize_class();
void JA_DrawBeadSegmentBuilder_destroy_class();
void JA_DrawBeadSegmentBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DrawBeadSegmentBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_draw_bead_segment_builder_jam {
using namespace ::KTX::JA::Types;
using OnPathDimensionBuilder =
    ::KTX::JA::Object<::KTX::OnPathDimBuilder, "GeometricUtilities.OnPathDimensionBuilder">;
using MaleBeadWidthTypes = ::KTX::JA::Enum<"Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieEngJA::DrawBeadSegmentBuilder;
  static constexpr const char* journalClass = "Die.DrawBeadSegmentBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_draw_bead_segment_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x2681699B;
  // The bead's own method creates segments.
  static constexpr ::KTX::JA::Creator creator{"Die.DrawBeadBuilder", "CreateDrawBeadSegment"};
  static constexpr std::array<const char*, 2> dependencies{"Expression", "GeometricUtilities.OnPathDimensionBuilder"};
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes", {"Constant", "Derived"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 15> defaults{{
      // property path                 millimetre  inch
      {"FemaleLeftRadius.Value",       "3",        "0.12"},
      {"FemaleRightRadius.Value",      "3",        "0.12"},
      {"Flow",                         "0",        "0"},
      {"MaleBeadHeight.Value",         "8",        "0.315"},
      {"MaleBeadWidthType",            "Constant", "Constant"},
      {"MaleLeftSheetRadius.Value",    "3",        "0.12"},
      {"MaleLeftTopRadius.Value",      "3",        "0.12"},
      {"MaleLeftWallAngle.Value",      "0",        "0"},
      {"MaleLeftWidth.Value",          "5",        "0.2"},
      {"MaleRightSheetRadius.Value",   "3",        "0.12"},
      {"MaleRightTopRadius.Value",     "3",        "0.12"},
      {"MaleRightWallAngle.Value",     "0",        "0"},
      {"MaleRightWidth.Value",         "5",        "0.2"},
      {"MaleTransitionLength.Value",   "25",       "1"},
      {"Symmetry",                     "1",        "1"},
  }};
  static constexpr int defaultsLine = 1151;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DrawBeadSegmentBuilder_initialize_class;
  static constexpr auto destroy = &JA_DrawBeadSegmentBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DrawBeadSegmentBuilder_test_print;
  static constexpr auto setDefaults = &JA_DrawBeadSegmentBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(X)                                                              \
  /* kind  member                value type              method body                                       line */ \
  X(get,   StartLocation,        OnPathDimensionBuilder, JA_FIELD(m_startLocation),                        111)  \
  X(get,   EndLocation,          OnPathDimensionBuilder, JA_FIELD(m_endLocation),                          163)  \
  X(get,   FemaleLeftRadius,     Expression,             JA_FIELD(m_femaleLeftRadius),                     215)  \
  X(get,   FemaleRightRadius,    Expression,             JA_FIELD(m_femaleRightRadius),                    267)  \
  X(get,   Symmetry,             Logical,                JA_FIELD(m_symmetry),                             319)  \
  X(set,   Symmetry,             Logical,                JA_BODY(JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry), 371) \
  X(get,   Flow,                 Logical,                JA_FIELD(m_flow),                                 423)  \
  X(set,   Flow,                 Logical,                JA_BODY(JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Flow),  475)  \
  X(get,   MaleBeadWidthType,    MaleBeadWidthTypes,     JA_FIELD(m_maleBeadWidthType),                    527)  \
  X(set,   MaleBeadWidthType,    MaleBeadWidthTypes,     JA_FIELD(m_maleBeadWidthType),                    579)  \
  X(get,   MaleLeftWidth,        Expression,             JA_FIELD(m_maleLeftWidth),                        631)  \
  X(get,   MaleLeftTopRadius,    Expression,             JA_FIELD(m_maleLeftTopRadius),                    683)  \
  X(get,   MaleLeftSheetRadius,  Expression,             JA_FIELD(m_maleLeftSheetRadius),                  735)  \
  X(get,   MaleLeftWallAngle,    Expression,             JA_FIELD(m_maleLeftWallAngle),                    787)  \
  X(get,   MaleRightWidth,       Expression,             JA_FIELD(m_maleRightWidth),                       839)  \
  X(get,   MaleRightTopRadius,   Expression,             JA_FIELD(m_maleRightTopRadius),                   891)  \
  X(get,   MaleRightSheetRadius, Expression,             JA_FIELD(m_maleRightSheetRadius),                 943)  \
  X(get,   MaleRightWallAngle,   Expression,             JA_FIELD(m_maleRightWallAngle),                   995)  \
  X(get,   MaleBeadHeight,       Expression,             JA_FIELD(m_maleBeadHeight),                       1047) \
  X(get,   MaleTransitionLength, Expression,             JA_FIELD(m_maleTransitionLength),                 1099)
// clang-format on

JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_draw_bead_segment_builder_jam

#define JA_UNIT ja_die_draw_bead_segment_builder_jam
class Die_DrawBeadSegmentBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DrawBeadSegmentBuilder_Interface() = default;
};
#undef JA_UNIT
