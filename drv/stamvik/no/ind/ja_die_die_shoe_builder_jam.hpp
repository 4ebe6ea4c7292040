// Scripting class "Die.DieShoeBuilder": its description and its automation
// interface. The member table is in interface order; the class exports its
// members in snake case (last column).
#pragma once
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_DieShoeBuilder_initialize_class();
void JA_DieShoeBuilder_destroy_class();
void JA_DieShoeBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieShoeBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_die_shoe_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using DieBooleanBuilderList =
    ::KTX::JA::TemplateObject<::KTX::UICOMPJA_list, "Die.DieBooleanBuilderList", "ObjectList", "Die.DieBooleanBuilder">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDes::DieShoeBuilder;
  static constexpr const char* journalClass = "Die.DieShoeBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_die_shoe_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xBCB073E9;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "DieShoe"};
  static constexpr std::array<const char*, 6> dependencies{"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                                            "Die.DiePlaneBuilder",      "Expression",
                                                            "ObjectList",               "Section"};
  // Its defaults only visit the builder's sub-objects: no property is set.
  static constexpr bool defaultsVisitOnly = true;
  static constexpr int defaultsLine = 1255;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieShoeBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieShoeBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieShoeBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieShoeBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_SHOE_BUILDER_MEMBERS(X)                                                                                  \
  /* kind  member                    value type             method body                           line  export member */    \
  X(get,   BaseOrientation,          DiePlaneBuilder,       JA_FIELD(m_baseOrientation),          111,  base_orientation)           \
  X(get,   BaseFlangeSection,        Section,               JA_FIELD(m_baseFlangeSection),        163,  base_flange_section)        \
  X(get,   MainDeckSection,          Section,               JA_FIELD(m_mainDeckSection),          215,  main_deck_section)          \
  X(get,   MainDeckPlane,            DiePlaneBuilder,       JA_FIELD(m_mainDeckPlane),            267,  main_deck_plane)            \
  X(get,   MainDeckOffset,           Expression,            JA_FIELD(m_mainDeckOffset),           319,  main_deck_offset)           \
  X(get,   DeckCutoutsSection,       Section,               JA_FIELD(m_deckCutoutsSection),       371,  deck_cutouts_section)       \
  X(get,   CenterlineSlotCreate,     Logical,               JA_FIELD(m_centerlineSlotCreate),     423,  centerline_slot_create)     \
  X(set,   CenterlineSlotCreate,     Logical,               JA_FIELD(m_centerlineSlotCreate),     475,  centerline_slot_create)     \
  X(get,   CenterlineSlotDepth,      Expression,            JA_FIELD(m_centerlineSlotDepth),      527,  centerline_slot_depth)      \
  X(get,   CenterlineSlotWidth,      Expression,            JA_FIELD(m_centerlineSlotWidth),      579,  centerline_slot_width)      \
  X(get,   CenterlineSlotDirection,  DieDirectionBuilder,   JA_FIELD(m_centerlineSlotDirection),  631,  centerline_slot_direction)  \
  X(get,   CenterlineSlotAttributes, DieAttributesBuilder,  JA_FIELD(m_centerlineSlotAttributes), 683,  centerline_slot_attributes) \
  X(get,   DieBooleansList,          DieBooleanBuilderList, JA_FIELD(m_dieBooleansList),          735,  die_booleans_list)          \
  X(get,   FlangeThickness,          Expression,            JA_FIELD(m_flangeThickness),          787,  flange_thickness)           \
  X(get,   WallThickness,            Expression,            JA_FIELD(m_wallThickness),            839,  wall_thickness)             \
  X(get,   DeckThickness,            Expression,            JA_FIELD(m_deckThickness),            891,  deck_thickness)             \
  X(get,   MainDeckAttributes,       DieAttributesBuilder,  JA_FIELD(m_mainDeckAttributes),       943,  main_deck_attributes)       \
  X(get,   BaseAttributes,           DieAttributesBuilder,  JA_FIELD(m_baseAttributes),           995,  base_attributes)            \
  X(get,   DistanceTolerance,        Double,                JA_FIELD(m_distanceTolerance),        1047, distance_tolerance)         \
  X(set,   DistanceTolerance,        Double,                JA_FIELD(m_distanceTolerance),        1099, distance_tolerance)         \
  X(get,   AngleTolerance,           Double,                JA_FIELD(m_angleTolerance),           1151, angle_tolerance)            \
  X(set,   AngleTolerance,           Double,                JA_FIELD(m_angleTolerance),           1203, angle_tolerance)
// clang-format on

JA_DIE_DIE_SHOE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_SHOE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_shoe_builder_jam

#define JA_UNIT ja_die_die_shoe_builder_jam
class Die_DieShoeBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_SHOE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DieShoeBuilder_Interface() = default;
};
#undef JA_UNIT
