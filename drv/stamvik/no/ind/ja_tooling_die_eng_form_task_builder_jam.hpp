// Scripting class "Tooling.DieEngFormTaskBuilder": its description and its
// automation interface. The member table is in interface order; the detail
// texts cross as a count and an array of host texts.
#pragma once
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "ja_value_types.hpp"
#include "jax_tooling_die_eng_form_task_builder.hpp"

void JA_DieEngFormTaskBuilder_initialize_class();
void JA_DieEngFormTaskBuilder_destroy_class();
void JA_DieEngFormTaskBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieEngFormTaskBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_tooling_die_eng_form_task_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::Count;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::ResultCount;
using ::KTX::JA::Signature;

using SelectFeature = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "Features.SelectFeature", "SelectObject", "Features.Feature">;
using SelectDisplayableObjectList =
    ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT_list, "SelectDisplayableObjectList", "SelectObjectList", "DisplayableObject">;
using Point = ::KTX::JA::TagOf<"Point", "Point">;
using Direction = ::KTX::JA::TagOf<"Direction", "Direction">;
using TextArray = ::KTX::JA::TextArray;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::Tooling::DieEngFormTaskBuilder;
  static constexpr const char* journalClass = "Tooling.DieEngFormTaskBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_tooling_die_eng_form_task_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x2AD31D66;
  static constexpr ::KTX::JA::Creator creator{"Tooling.AutoDieCollection", "CreateDieEngFormTaskBuilder"};
  static constexpr std::array<const char*, 3> dependencies{"ScCollector", "SelectObject", "SelectObjectList"};
  // Classes and template classes in one ASCII run.
  static constexpr std::array<::KTX::JA::SetUpStep, 1> setUpOrder{::KTX::JA::SetUpStep::ClassesAndTemplates};
  static constexpr std::array<::KTX::JA::DefaultRow, 1> defaults{{
      // property path     millimetre  inch
      {"FinishOperation",  "1",        "1"},
  }};
  static constexpr int defaultsLine = 631;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieEngFormTaskBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieEngFormTaskBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieEngFormTaskBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieEngFormTaskBuilder_set_defaults;
};
using Object = Unit::Object;

using GetDetailsSignature = Signature<ByPointer, -1, ResultCount<"details">, Result<TextArray, "details">>;
using SetDetailsSignature = Signature<ByPointer, -1, Count<"details">, In<TextArray, "details">>;

// clang-format off
#define JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(X)                                                                 \
  /* kind    member           value type / signature        method body                                         line */ \
  X(get,     DieTip,          SelectFeature,                JA_FIELD(m_dieTip),                                 111) \
  X(get,     RegionBounds,    ScCollector,                  JA_FIELD(m_regionBounds),                           163) \
  X(get,     PointInRegion,   Point,                        JA_FIELD(m_pointInRegion),                          215) \
  X(set,     PointInRegion,   Point,                        JA_OPERATION(Object::SetPointInRegion),             267) \
  X(get,     CamDirection,    Direction,                    JA_FIELD(m_camDirection),                           319) \
  X(set,     CamDirection,    Direction,                    JA_OPERATION(Object::SetCamDirection),              371) \
  X(get,     ShapeDetail,     SelectDisplayableObjectList,  JA_FIELD(m_shapeDetail),                            423) \
  X(method2, GetDetails,      GetDetailsSignature,          JA_FUNCTION(JAX_DIE_ENG_FORM_TASK_BUILDER_GetDetails), 475) \
  X(method2, SetDetails,      SetDetailsSignature,          JA_FUNCTION(JAX_DIE_ENG_FORM_TASK_BUILDER_SetDetails), 527) \
  X(get,     FinishOperation, Logical,                      JA_FIELD(m_finishOperation),                        579) \
  X(set,     FinishOperation, Logical,                      JA_FIELD(m_finishOperation),                        631)
// clang-format on

JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_tooling_die_eng_form_task_builder_jam

#define JA_UNIT ja_tooling_die_eng_form_task_builder_jam
class Tooling_DieEngFormTaskBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Tooling_DieEngFormTaskBuilder_Interface() = default;
};
#undef JA_UNIT
