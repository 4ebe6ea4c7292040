// Scripting class "Die.CompensateRoughDataBuilder": its description and its
// automation interface. The member table is in interface order; the class
// exports its members in snake case (last column).
#pragma once
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "ja_value_types.hpp"

void JA_CompensateRoughDataBuilder_initialize_class();
void JA_CompensateRoughDataBuilder_destroy_class();
void JA_CompensateRoughDataBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_CompensateRoughDataBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_compensate_rough_data_builder_jam {
using namespace ::KTX::JA::Types;
using Types = ::KTX::JA::Enum<"Die.CompensateRoughDataBuilder.Types">;
using ApproximationType = ::KTX::JA::Enum<"Die.CompensateRoughDataBuilder.ApproximationType">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieEngJA::CompensateRoughDataBuilder;
  static constexpr const char* journalClass = "Die.CompensateRoughDataBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_compensate_rough_data_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x82dc166c;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CompensateRoughData"};
  static constexpr std::array<const char*, 3> dependencies{"ScCollector", "Section", "SelectObjectList"};
  // Looked up, and their members added, in this order.
  static constexpr std::array<::KTX::JA::EnumDescription, 2> enums{{
      {"Die.CompensateRoughDataBuilder.Types", {"SheetBody", "Curve"}},
      {"Die.CompensateRoughDataBuilder.ApproximationType", {"Coarse", "Rough", "Fine", "Exact"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 6> defaults{{
      // property path       millimetre  inch
      {"AngleTolerance",     "0.5",      "0.5"},
      {"Approximation",      "Coarse",   "Coarse"},
      {"DistanceTolerance",  "0.0254",   "0.001"},
      {"JoinOutputCurves",   "0",        "0"},
      {"MaximumGap",         "5.0",      "0.2"},
      {"ModifyInputSheet",   "0",        "0"},
  }};
  static constexpr int defaultsLine = 996;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_CompensateRoughDataBuilder_initialize_class;
  static constexpr auto destroy = &JA_CompensateRoughDataBuilder_destroy_class;
  static constexpr auto testPrint = &JA_CompensateRoughDataBuilder_test_print;
  static constexpr auto setDefaults = &JA_CompensateRoughDataBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(X) \
  /* kind member            value type         method body                             line export member */    \
  X(get, CurveCollector,    Section,           JA_FIELD(m_curveCollector),             111, curve_collector)    \
  X(get, SheetBodies,       SelectBodyList,    JA_FIELD(m_sheetBodies),                163, sheet_bodies)       \
  X(get, ProjectToFaces,    ScCollector,       JA_FIELD(m_projectToFaces),             215, project_to_faces)   \
  X(get, JoinOutputCurves,  Logical,           JA_FIELD(m_joinOutputCurves),           267, join_output_curves) \
  X(set, JoinOutputCurves,  Logical,           JA_FIELD(m_joinOutputCurves),           319, join_output_curves) \
  X(get, ModifyInputSheet,  Logical,           JA_FIELD(m_modifyInputSheet),           371, modify_input_sheet) \
  X(set, ModifyInputSheet,  Logical,           JA_FIELD(m_modifyInputSheet),           423, modify_input_sheet) \
  X(get, Approximation,     ApproximationType, JA_OPERATION(Object::GetApproximation), 475, approximation)      \
  X(set, Approximation,     ApproximationType, JA_OPERATION(Object::SetApproximation), 527, approximation)      \
  X(get, DistanceTolerance, Double,            JA_FIELD(m_distanceTolerance),          579, distance_tolerance) \
  X(set, DistanceTolerance, Double,            JA_FIELD(m_distanceTolerance),          631, distance_tolerance) \
  X(get, AngleTolerance,    Double,            JA_FIELD(m_angleTolerance),             683, angle_tolerance)    \
  X(set, AngleTolerance,    Double,            JA_FIELD(m_angleTolerance),             735, angle_tolerance)    \
  X(get, MaximumGap,        Double,            JA_FIELD(m_maximumGap),                 787, maximum_gap)        \
  X(set, MaximumGap,        Double,            JA_FIELD(m_maximumGap),                 839, maximum_gap)        \
  X(get, Type,              Types,             JA_OPERATION(Object::GetType),          891, type)               \
  X(set, Type,              Types,             JA_OPERATION(Object::SetType),          943, type)
// clang-format on

JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_compensate_rough_data_builder_jam

#define JA_UNIT ja_die_compensate_rough_data_builder_jam
class Die_CompensateRoughDataBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_CompensateRoughDataBuilder_Interface() = default;
};
#undef JA_UNIT
