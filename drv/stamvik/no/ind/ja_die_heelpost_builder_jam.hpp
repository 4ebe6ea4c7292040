// Scripting class "Die.HeelpostBuilder": its description and its automation
// interface. The member table is in interface order. The Type members export
// in lower case (last column); their journal member stays "Type".
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"
#include "jax_die_heelpost_builder.hpp"

void JA_HeelpostBuilder_initialize_class();
void JA_HeelpostBuilder_destroy_class();
void JA_HeelpostBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_HeelpostBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_heelpost_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::DieDesJA::HeelpostBuilder;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DieLocationBuilder = ::KTX::JA::Object<::KTX::DieDesJA::DieLocationBuilder, "Die.DieLocationBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using SelectCoordinateSystem =
    ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "SelectCoordinateSystem", "SelectObject", "CoordinateSystem">;
using Types = ::KTX::JA::Enum<"Die.HeelpostBuilder.Types">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = HeelpostBuilder;
  static constexpr const char* journalClass = "Die.HeelpostBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_heelpost_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x6C55C872;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "Heelpost"};
  static constexpr std::array<const char*, 6> dependencies{"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                                            "Die.DieLocationBuilder",   "Die.DiePlaneBuilder",
                                                            "Expression",               "SelectObject"};
  static constexpr std::array<const char*, 2> templateOrder{"SelectCoordinateSystem", "SelectBrenvikObject"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.HeelpostBuilder.Types", {"GuidepostWearplate", "StorageBlock", "SafetyBlock"}},
  }};
  // The inch set as the class has always had it (some rows are not simple
  // conversions of the millimetre texts).
  static constexpr std::array<::KTX::JA::DefaultRow, 34> defaults{{
      // property path             millimetre  inch
      {"AngleTolerance",           "0.5",      "0.5"},
      {"BaseOffset.Value",         "0",        "0"},
      {"CreateFloor",              "0",        "0"},
      {"Diameter.Value",           "50",       "2"},
      {"DistanceTolerance",        "0.0254",   "0.0254"},
      {"FloorThickness.Value",     "60",       "1.4"},
      {"Height.Value",             "300",      "12"},
      {"Length.Value",             "150",      "6"},
      {"LocationOffset.Value",     "0",        "0"},
      {"PadOffset.Value",          "0",        "0"},
      {"PadThickness.Value",       "60",       "10.4"},
      {"ReliefDepth.Value",        "5",        "0.2"},
      {"ReliefWidth.Value",        "5",        "0.2"},
      {"UsePercent",               "0",        "0"},
      {"WallACreate",              "1",        "1"},
      {"WallAOffset.Value",        "0",        "0"},
      {"WallARelief",              "0",        "0"},
      {"WallAThickness.Value",     "30",       "1.2"},
      {"WallBCreate",              "1",        "1"},
      {"WallBOffset.Value",        "0",        "0"},
      {"WallBRelief",              "0",        "0"},
      {"WallBThickness.Value",     "30",       "1.2"},
      {"WallCCreate",              "1",        "1"},
      {"WallCOffset.Value",        "0",        "0"},
      {"WallCRelief",              "0",        "0"},
      {"WallCThickness.Value",     "30",       "1.2"},
      {"WallDCreate",              "1",        "1"},
      {"WallDOffset.Value",        "0",        "0"},
      {"WallDRelief",              "0",        "0"},
      {"WallDThickness.Value",     "30",       "1.2"},
      {"WallPercentage.Value",     "40",       "40"},
      {"Width.Value",              "150",      "6"},
      {"XOffset.Value",            "0",        "0"},
      {"YOffset.Value",            "0",        "0"},
  }};
  static constexpr int defaultsLine = 3127;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_HeelpostBuilder_initialize_class;
  static constexpr auto destroy = &JA_HeelpostBuilder_destroy_class;
  static constexpr auto testPrint = &JA_HeelpostBuilder_test_print;
  static constexpr auto setDefaults = &JA_HeelpostBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_HEELPOST_BUILDER_MEMBERS(X)                                                                                  \
  /* kind member                         value type              method body                                      line  export member */ \
  X(get, Target,                        SelectBrenvikObject,    JA_FIELD(m_target),                              111) \
  X(get, Center,                        DieLocationBuilder,     JA_FIELD(m_center),                              163) \
  X(get, OffsetDirection,               DieDirectionBuilder,    JA_FIELD(m_offsetDirection),                     215) \
  X(get, LocationOffset,                Expression,             JA_FIELD(m_locationOffset),                      267) \
  X(get, BaseOrientation,               DiePlaneBuilder,        JA_FIELD(m_baseOrientation),                     319) \
  X(get, BaseOffset,                    Expression,             JA_FIELD(m_baseOffset),                          371) \
  X(get, PadOrientation,                DiePlaneBuilder,        JA_FIELD(m_padOrientation),                      423) \
  X(get, PadOffset,                     Expression,             JA_FIELD(m_padOffset),                           475) \
  X(get, DieCenterlineCoordinateSystem, SelectCoordinateSystem, JA_FIELD(m_dieCenterlineCoordinateSystem),       527) \
  X(get, Length,                        Expression,             JA_FIELD(m_length),                              579) \
  X(get, Width,                         Expression,             JA_FIELD(m_width),                               631) \
  X(get, Height,                        Expression,             JA_FIELD(m_height),                              683) \
  X(get, PadThickness,                  Expression,             JA_FIELD(m_padThickness),                        735) \
  X(get, CreateFloor,                   Logical,                JA_FIELD(m_createFloor),                         787) \
  X(set, CreateFloor,                   Logical,                JA_FIELD(m_createFloor),                         839) \
  X(get, FloorThickness,                Expression,             JA_FIELD(m_floorThickness),                      891) \
  X(get, Diameter,                      Expression,             JA_FIELD(m_diameter),                            943) \
  X(get, XOffset,                       Expression,             JA_FIELD(m_xOffset),                             995) \
  X(get, YOffset,                       Expression,             JA_FIELD(m_yOffset),                             1047) \
  X(get, ReliefWidth,                   Expression,             JA_FIELD(m_reliefWidth),                         1099) \
  X(get, ReliefDepth,                   Expression,             JA_FIELD(m_reliefDepth),                         1151) \
  X(get, UsePercent,                    Logical,                JA_FIELD(m_usePercent),                          1203) \
  X(set, UsePercent,                    Logical,                JA_FIELD(m_usePercent),                          1255) \
  X(get, WallPercentage,                Expression,             JA_FIELD(m_wallPercentage),                      1307) \
  X(get, WallACreate,                   Logical,                JA_FIELD(m_wallACreate),                         1359) \
  X(set, WallACreate,                   Logical,                JA_FIELD(m_wallACreate),                         1411) \
  X(get, WallAThickness,                Expression,             JA_FIELD(m_wallAThickness),                      1463) \
  X(get, WallAOffset,                   Expression,             JA_FIELD(m_wallAOffset),                         1515) \
  X(get, WallARelief,                   Logical,                JA_FIELD(m_wallARelief),                         1567) \
  X(set, WallARelief,                   Logical,                JA_BODY(JAX_HEELPOST_BUILDER_set_WallARelief),   1619) \
  X(get, WallBCreate,                   Logical,                JA_FIELD(m_wallBCreate),                         1671) \
  X(set, WallBCreate,                   Logical,                JA_FIELD(m_wallBCreate),                         1723) \
  X(get, WallBThickness,                Expression,             JA_FIELD(m_wallBThickness),                      1775) \
  X(get, WallBOffset,                   Expression,             JA_FIELD(m_wallBOffset),                         1827) \
  X(get, WallBRelief,                   Logical,                JA_FIELD(m_wallBRelief),                         1879) \
  X(set, WallBRelief,                   Logical,                JA_BODY(JAX_HEELPOST_BUILDER_set_WallBRelief),   1931) \
  X(get, WallCCreate,                   Logical,                JA_FIELD(m_wallCCreate),                         1983) \
  X(set, WallCCreate,                   Logical,                JA_FIELD(m_wallCCreate),                         2035) \
  X(get, WallCThickness,                Expression,             JA_FIELD(m_wallCThickness),                      2087) \
  X(get, WallCOffset,                   Expression,             JA_FIELD(m_wallCOffset),                         2139) \
  X(get, WallCRelief,                   Logical,                JA_FIELD(m_wallCRelief),                         2191) \
  X(set, WallCRelief,                   Logical,                JA_BODY(JAX_HEELPOST_BUILDER_set_WallCRelief),   2243) \
  X(get, WallDCreate,                   Logical,                JA_FIELD(m_wallDCreate),                         2295) \
  X(set, WallDCreate,                   Logical,                JA_FIELD(m_wallDCreate),                         2347) \
  X(get, WallDThickness,                Expression,             JA_FIELD(m_wallDThickness),                      2399) \
  X(get, WallDOffset,                   Expression,             JA_FIELD(m_wallDOffset),                         2451) \
  X(get, WallDRelief,                   Logical,                JA_FIELD(m_wallDRelief),                         2503) \
  X(set, WallDRelief,                   Logical,                JA_BODY(JAX_HEELPOST_BUILDER_set_WallDRelief),   2555) \
  X(get, PadAttributes,                 DieAttributesBuilder,   JA_FIELD(m_padAttributes),                       2607) \
  X(get, ReliefAttributes,              DieAttributesBuilder,   JA_FIELD(m_reliefAttributes),                    2659) \
  X(get, HoleAttributes,                DieAttributesBuilder,   JA_FIELD(m_holeAttributes),                      2711) \
  X(get, HoleDiameterAttributes,        DieAttributesBuilder,   JA_FIELD(m_holeDiameterAttributes),              2763) \
  X(get, DistanceTolerance,             Double,                 JA_FIELD(m_distanceTolerance),                   2815) \
  X(set, DistanceTolerance,             Double,                 JA_FIELD(m_distanceTolerance),                   2867) \
  X(get, AngleTolerance,                Double,                 JA_FIELD(m_angleTolerance),                      2919) \
  X(set, AngleTolerance,                Double,                 JA_FIELD(m_angleTolerance),                      2971) \
  X(get, Type,                          Types,                  JA_OPERATION(HeelpostBuilder::GetType),          3023, type) \
  X(set, Type,                          Types,                  JA_OPERATION(HeelpostBuilder::SetType),          3075, type)
// clang-format on

JA_DIE_HEELPOST_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_HEELPOST_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_heelpost_builder_jam

#define JA_UNIT ja_die_heelpost_builder_jam
class Die_HeelpostBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_HEELPOST_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_HeelpostBuilder_Interface() = default;
};
#undef JA_UNIT
