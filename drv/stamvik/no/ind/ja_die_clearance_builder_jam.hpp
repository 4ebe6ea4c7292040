// Scripting class "Die.ClearanceBuilder": its description and its automation
// interface. The member table is in interface order.
#pragma once
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_ClearanceBuilder_initialize_class();
void JA_ClearanceBuilder_destroy_class();
void JA_ClearanceBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_ClearanceBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_clearance_builder_jam {
using namespace ::KTX::JA::Types;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using Types = ::KTX::JA::Enum<"Die.ClearanceBuilder.Types">;
using ClearanceGeometryTypes = ::KTX::JA::Enum<"Die.ClearanceBuilder.ClearanceGeometryTypes">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::ClearanceBuilder;
  static constexpr const char* journalClass = "Die.ClearanceBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_clearance_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xbb75bdb2;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateClearanceBuilder"};
  static constexpr std::array<const char*, 7> dependencies{"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                                            "Die.DiePlaneBuilder",      "Expression",
                                                            "Section",                  "SelectObject",
                                                            "SelectObjectList"};
  // Looked up, and their members added, in this order.
  static constexpr std::array<::KTX::JA::EnumDescription, 2> enums{{
      {"Die.ClearanceBuilder.Types", {"Gage", "Gripper", "Lifter"}},
      {"Die.ClearanceBuilder.ClearanceGeometryTypes", {"Solid", "Section"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 3> defaults{{
      // property path           millimetre  inch
      {"ClearanceGeometryType",  "Solid",    "Solid"},
      {"Distance.Value",         "0",        "0"},
      {"Offset.Value",           "5",        "0.2"},
  }};
  static constexpr int defaultsLine = 944;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_ClearanceBuilder_initialize_class;
  static constexpr auto destroy = &JA_ClearanceBuilder_destroy_class;
  static constexpr auto testPrint = &JA_ClearanceBuilder_test_print;
  static constexpr auto setDefaults = &JA_ClearanceBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_CLEARANCE_BUILDER_MEMBERS(X) \
  /* kind member                value type              method body                        line */ \
  X(get, Target,                SelectBody,             JA_FIELD(m_target),                111)    \
  X(get, ClearanceGeometryType, ClearanceGeometryTypes, JA_FIELD(m_clearanceGeometryType), 163)    \
  X(set, ClearanceGeometryType, ClearanceGeometryTypes, JA_FIELD(m_clearanceGeometryType), 215)    \
  X(get, Geometry,              SelectBodyList,         JA_FIELD(m_geometry),              267)    \
  X(get, Section,               Section,                JA_FIELD(m_section),               319)    \
  X(get, Orientation,           DiePlaneBuilder,        JA_FIELD(m_orientation),           371)    \
  X(get, ClearanceDirection,    DieDirectionBuilder,    JA_FIELD(m_clearanceDirection),    423)    \
  X(get, Distance,              Expression,             JA_FIELD(m_distance),              475)    \
  X(get, Offset,                Expression,             JA_FIELD(m_offset),                527)    \
  X(get, Attributes,            DieAttributesBuilder,   JA_FIELD(m_attributes),            579)    \
  X(get, DistanceTolerance,     Double,                 JA_FIELD(m_distanceTolerance),     631)    \
  X(set, DistanceTolerance,     Double,                 JA_FIELD(m_distanceTolerance),     683)    \
  X(get, AngleTolerance,        Double,                 JA_FIELD(m_angleTolerance),        735)    \
  X(set, AngleTolerance,        Double,                 JA_FIELD(m_angleTolerance),        787)    \
  X(get, Type,                  Types,                  JA_FIELD(m_type),                  839)    \
  X(set, Type,                  Types,                  JA_FIELD(m_type),                  891)
// clang-format on

JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_clearance_builder_jam

#define JA_UNIT ja_die_clearance_builder_jam
class Die_ClearanceBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_ClearanceBuilder_Interface() = default;
};
#undef JA_UNIT
