// Every settable property of the die-design and die-engineering builder
// owners, written through the owner by its published name and by its snake
// form, leaves the very journal record of the scripting call that sets it;
// and each owner's SetProperties writes its settable properties in their
// published order. The rows (names, snake forms, member lists, exports) are
// written out by hand from the published property tables and export names.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_exports.hpp"
#include "jam/Jam.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"

using namespace KTX;
using stamvik_test::JamTest;
using stamvik_test::OwnerOf;
using stamvik_test::WriteBackAll;
using DieDes::DieBooleanBuilder;
using DieDes::DieDirectionBuilder;
using DieDes::DiePlaneBuilder;
using DieDes::DieShoeBuilder;
using DieDesJA::ClampingSlotBuilder;
using DieDesJA::ClearanceBuilder;
using DieDesJA::DieLocationBuilder;
using DieDesJA::FillAreaBuilder;
using DieDesJA::FingerClearanceNotchBuilder;
using DieDesJA::HandlingCoreBuilder;
using DieDesJA::HeelpostBuilder;
using DieDesJA::KeywayBuilder;
using DieDesJA::MachineReliefBuilder;
using DieEngJA::CompensateRoughDataBuilder;
using DieEngJA::DrawBeadBuilder;
using DieEngJA::DrawBeadSegmentBuilder;
using DieEngJA::DrawBeadTaperBuilder;
using Property::ValuePtr;

// The setters as a script declares them.
namespace {

struct Builders {
  ClampingSlotBuilder* slot = nullptr;
  ClearanceBuilder* clearance = nullptr;
  CompensateRoughDataBuilder* rough = nullptr;
  DieBooleanBuilder* boolean = nullptr;
  DieDirectionBuilder* direction = nullptr;
  DieLocationBuilder* location = nullptr;
  DiePlaneBuilder* plane = nullptr;
  DieShoeBuilder* shoe = nullptr;
  DrawBeadBuilder* bead = nullptr;
  DrawBeadSegmentBuilder* segment = nullptr;
  DrawBeadTaperBuilder* taper = nullptr;
  FillAreaBuilder* fill = nullptr;
  FingerClearanceNotchBuilder* notch = nullptr;
  HandlingCoreBuilder* core = nullptr;
  HeelpostBuilder* heel = nullptr;
  KeywayBuilder* keyway = nullptr;
  MachineReliefBuilder* relief = nullptr;
};

// The value each kind of property is written with, by the owner and by the script alike.
enum class Kind { Logical, Double, Enum, Tag, Point };
constexpr double kDouble = 0.75;
constexpr int kIndex = 1;
constexpr tag_t kTag = 4003;  // a tag of no object: tag setters pass it on unchecked
constexpr JAM_point3d_s kPoint{1.5, -2, 3};

struct Row {
  const char* journalClass;
  const char* property;  // the published name
  const char* snake;     // its snake form
  Kind kind;
  const char* members;  // an enumeration's member list
  std::function<OM::Object*(const Builders&)> object;
  std::function<int(const Builders&)> script;  // the scripting call that sets the same value
};

#define JA_LOGICAL(field, setter) \
  Kind::Logical, nullptr, [](const Builders& b) -> OM::Object* { return b.field; }, \
      [](const Builders& b) { return setter(b.field, true); }
#define JA_DOUBLE(field, setter) \
  Kind::Double, nullptr, [](const Builders& b) -> OM::Object* { return b.field; }, \
      [](const Builders& b) { return setter(b.field, kDouble); }
#define JA_ENUM(members, field, setter) \
  Kind::Enum, members, [](const Builders& b) -> OM::Object* { return b.field; }, \
      [](const Builders& b) { return setter(b.field, kIndex); }
#define JA_TAG(field, setter) \
  Kind::Tag, nullptr, [](const Builders& b) -> OM::Object* { return b.field; }, \
      [](const Builders& b) { return setter(b.field, kTag); }
#define JA_POINT(field, setter) \
  Kind::Point, nullptr, [](const Builders& b) -> OM::Object* { return b.field; }, \
      [](const Builders& b) { return setter(b.field, &kPoint); }

// Every settable property of the eighteen owners, each class's rows in their
// published order: the classes before the draw bead, then the rest.
std::vector<Row> FirstRows() {
  return {
      {"Die.ClampingSlotBuilder", "LocationOnFlange", "location_on_flange",
       JA_LOGICAL(slot, XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange)},
      {"Die.ClampingSlotBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(slot, XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance)},
      {"Die.ClampingSlotBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(slot, XJA_CLAMPING_SLOT_BUILDER_set_angle_tolerance)},
      {"Die.ClampingSlotBuilder", "Type", "type",
       JA_ENUM("Hydraulic,Traveling,Automatic", slot, XJA_CLAMPING_SLOT_BUILDER_set_type)},

      {"Die.ClearanceBuilder", "ClearanceGeometryType", "clearance_geometry_type",
       JA_ENUM("Solid,Section", clearance, XJA_CLEARANCE_BUILDER_set_ClearanceGeometryType)},
      {"Die.ClearanceBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(clearance, XJA_CLEARANCE_BUILDER_set_DistanceTolerance)},
      {"Die.ClearanceBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(clearance, XJA_CLEARANCE_BUILDER_set_AngleTolerance)},
      {"Die.ClearanceBuilder", "Type", "type", JA_ENUM("Gage,Gripper,Lifter", clearance, XJA_CLEARANCE_BUILDER_set_Type)},

      {"Die.CompensateRoughDataBuilder", "JoinOutputCurves", "join_output_curves",
       JA_LOGICAL(rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_join_output_curves)},
      {"Die.CompensateRoughDataBuilder", "ModifyInputSheet", "modify_input_sheet",
       JA_LOGICAL(rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_modify_input_sheet)},
      {"Die.CompensateRoughDataBuilder", "Approximation", "approximation",
       JA_ENUM("Coarse,Rough,Fine,Exact", rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_approximation)},
      {"Die.CompensateRoughDataBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_distance_tolerance)},
      {"Die.CompensateRoughDataBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_angle_tolerance)},
      {"Die.CompensateRoughDataBuilder", "MaximumGap", "maximum_gap",
       JA_DOUBLE(rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap)},
      {"Die.CompensateRoughDataBuilder", "Type", "type",
       JA_ENUM("SheetBody,Curve", rough, XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type)},

      {"Die.DieBooleanBuilder", "BooleanOptions", "boolean_options",
       JA_ENUM("Unite,Subtract,Intersect", boolean, XJA_DIE_BOOLEAN_BUILDER_set_boolean_options)},

      {"Die.DieDirectionBuilder", "InputType", "input_type",
       JA_ENUM("Selection,CoordinateSystem,Vector", direction, XJA_DIE_DIRECTION_BUILDER_set_input_type)},
      {"Die.DieDirectionBuilder", "Vector", "vector", JA_TAG(direction, XJA_DIE_DIRECTION_BUILDER_set_vector)},
      {"Die.DieDirectionBuilder", "CoordinateSystemOrigin", "coordinate_system_origin",
       JA_POINT(direction, XJA_DIE_DIRECTION_BUILDER_set_coordinate_system_origin)},
      {"Die.DieDirectionBuilder", "ReverseSourceDirection", "reverse_source_direction",
       JA_LOGICAL(direction, XJA_DIE_DIRECTION_BUILDER_set_reverse_source_direction)},

      {"Die.DieLocationBuilder", "InputType", "input_type",
       JA_ENUM("SelectLocation,NewPoint,NewCoordinateSystem,NewVector,NewPlane", location,
               XJA_DIE_LOCATION_BUILDER_set_InputType)},
      {"Die.DieLocationBuilder", "Point", "point", JA_TAG(location, XJA_DIE_LOCATION_BUILDER_set_Point)},
      {"Die.DieLocationBuilder", "Vector", "vector", JA_TAG(location, XJA_DIE_LOCATION_BUILDER_set_Vector)},
      {"Die.DieLocationBuilder", "Plane", "plane", JA_TAG(location, XJA_DIE_LOCATION_BUILDER_set_Plane)},
      {"Die.DieLocationBuilder", "CoordinateSystemOrigin", "coordinate_system_origin",
       JA_POINT(location, XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemOrigin)},

      {"Die.DiePlaneBuilder", "InputType", "input_type",
       JA_ENUM("Selection,Plane,CoordinateSystem", plane, XJA_DIE_PLANE_BUILDER_set_input_type)},
      {"Die.DiePlaneBuilder", "SpecifyPlane", "specify_plane", JA_TAG(plane, XJA_DIE_PLANE_BUILDER_set_specify_plane)},
      {"Die.DiePlaneBuilder", "CoordinateSystemOrigin", "coordinate_system_origin",
       JA_POINT(plane, XJA_DIE_PLANE_BUILDER_set_coordinate_system_origin)},
      {"Die.DiePlaneBuilder", "ReverseSourceDirection", "reverse_source_direction",
       JA_LOGICAL(plane, XJA_DIE_PLANE_BUILDER_set_reverse_source_direction)},

      {"Die.DieShoeBuilder", "CenterlineSlotCreate", "centerline_slot_create",
       JA_LOGICAL(shoe, XJA_DIE_SHOE_BUILDER_set_centerline_slot_create)},
      {"Die.DieShoeBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(shoe, XJA_DIE_SHOE_BUILDER_set_distance_tolerance)},
      {"Die.DieShoeBuilder", "AngleTolerance", "angle_tolerance", JA_DOUBLE(shoe, XJA_DIE_SHOE_BUILDER_set_angle_tolerance)},
  };
}

std::vector<Row> SecondRows() {
  return {
      {"Die.DrawBeadBuilder", "MaleBeadPosition", "male_bead_position",
       JA_ENUM("Upper,Lower", bead, XJA_DRAW_BEAD_BUILDER_set_MaleBeadPosition)},
      {"Die.DrawBeadBuilder", "ReverseMetalThickness", "reverse_metal_thickness",
       JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_ReverseMetalThickness)},
      {"Die.DrawBeadBuilder", "CenterlineProjection", "centerline_projection",
       JA_ENUM("DrawDirection,NormalToPlacementFace", bead, XJA_DRAW_BEAD_BUILDER_set_CenterlineProjection)},
      {"Die.DrawBeadBuilder", "ReferenceDirection", "reference_direction",
       JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_ReferenceDirection)},
      {"Die.DrawBeadBuilder", "TaperBead", "taper_bead", JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_TaperBead)},
      {"Die.DrawBeadBuilder", "BaseOrientation", "base_orientation",
       JA_ENUM("Orthogonal,Vertical", bead, XJA_DRAW_BEAD_BUILDER_set_BaseOrientation)},
      {"Die.DrawBeadBuilder", "TransitionDefinition", "transition_definition",
       JA_ENUM("Automatic,Manual", bead, XJA_DRAW_BEAD_BUILDER_set_TransitionDefinition)},
      {"Die.DrawBeadBuilder", "FemaleDepthType", "female_depth_type",
       JA_ENUM("Derived,Constant", bead, XJA_DRAW_BEAD_BUILDER_set_FemaleDepthType)},
      {"Die.DrawBeadBuilder", "FemaleWidthType", "female_width_type",
       JA_ENUM("Derived,Constant", bead, XJA_DRAW_BEAD_BUILDER_set_FemaleWidthType)},
      {"Die.DrawBeadBuilder", "BuildStartTaper", "build_start_taper",
       JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_BuildStartTaper)},
      {"Die.DrawBeadBuilder", "BuildEndTaper", "build_end_taper", JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_BuildEndTaper)},
      {"Die.DrawBeadBuilder", "Output", "output",
       JA_ENUM("None,Male,PlusFemale,PlusSheetMetal", bead, XJA_DRAW_BEAD_BUILDER_set_Output)},
      {"Die.DrawBeadBuilder", "MachineOffset", "machine_offset", JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_MachineOffset)},
      {"Die.DrawBeadBuilder", "GenerateHeightCurve", "generate_height_curve",
       JA_LOGICAL(bead, XJA_DRAW_BEAD_BUILDER_set_GenerateHeightCurve)},
      {"Die.DrawBeadBuilder", "OrientSectionToDraw", "orient_section_to_draw",
       JA_ENUM("DrawDirection,SheetMetalNormal", bead, XJA_DRAW_BEAD_BUILDER_set_OrientSectionToDraw)},
      {"Die.DrawBeadBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(bead, XJA_DRAW_BEAD_BUILDER_set_DistanceTolerance)},
      {"Die.DrawBeadBuilder", "AngleTolerance", "angle_tolerance", JA_DOUBLE(bead, XJA_DRAW_BEAD_BUILDER_set_AngleTolerance)},

      {"Die.DrawBeadSegmentBuilder", "Symmetry", "symmetry",
       JA_LOGICAL(segment, XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry)},
      {"Die.DrawBeadSegmentBuilder", "Flow", "flow", JA_LOGICAL(segment, XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Flow)},
      {"Die.DrawBeadSegmentBuilder", "MaleBeadWidthType", "male_bead_width_type",
       JA_ENUM("Constant,Derived", segment, XJA_DRAW_BEAD_SEGMENT_BUILDER_set_MaleBeadWidthType)},

      {"Die.DrawBeadTaperBuilder", "TaperType", "taper_type",
       JA_ENUM("Spherical,Washout,Point", taper, XJA_DRAW_BEAD_TAPER_BUILDER_set_TaperType)},
      {"Die.DrawBeadTaperBuilder", "TaperPoint", "taper_point", JA_TAG(taper, XJA_DRAW_BEAD_TAPER_BUILDER_set_TaperPoint)},

      {"Die.FillAreaBuilder", "UpperLimitType", "upper_limit_type",
       JA_ENUM("Sheet,Plane", fill, XJA_FILL_AREA_BUILDER_set_UpperLimitType)},
      {"Die.FillAreaBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(fill, XJA_FILL_AREA_BUILDER_set_DistanceTolerance)},
      {"Die.FillAreaBuilder", "AngleTolerance", "angle_tolerance", JA_DOUBLE(fill, XJA_FILL_AREA_BUILDER_set_AngleTolerance)},
      {"Die.FillAreaBuilder", "Type", "type",
       JA_ENUM("BaseFlange,ProductContact,ScrapArea,UserDefined", fill, XJA_FILL_AREA_BUILDER_set_Type)},

      {"Die.FingerClearanceNotchBuilder", "ReverseDirection", "reverse_direction",
       JA_LOGICAL(notch, XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_ReverseDirection)},
      {"Die.FingerClearanceNotchBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(notch, XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_DistanceTolerance)},
      {"Die.FingerClearanceNotchBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(notch, XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_AngleTolerance)},
      {"Die.FingerClearanceNotchBuilder", "Type", "type",
       JA_ENUM("Section,Face,SheetBody", notch, XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_Type)},

      {"Die.HandlingCoreBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(core, XJA_HANDLING_CORE_BUILDER_set_DistanceTolerance)},
      {"Die.HandlingCoreBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(core, XJA_HANDLING_CORE_BUILDER_set_AngleTolerance)},
      {"Die.HandlingCoreBuilder", "Type", "type",
       JA_ENUM("AtLocation,FromBase,MapFromBase", core, XJA_HANDLING_CORE_BUILDER_set_Type)},

      {"Die.HeelpostBuilder", "CreateFloor", "create_floor", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_CreateFloor)},
      {"Die.HeelpostBuilder", "UsePercent", "use_percent", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_UsePercent)},
      {"Die.HeelpostBuilder", "WallACreate", "wall_a_create", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallACreate)},
      {"Die.HeelpostBuilder", "WallARelief", "wall_a_relief", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallARelief)},
      {"Die.HeelpostBuilder", "WallBCreate", "wall_b_create", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallBCreate)},
      {"Die.HeelpostBuilder", "WallBRelief", "wall_b_relief", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallBRelief)},
      {"Die.HeelpostBuilder", "WallCCreate", "wall_c_create", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallCCreate)},
      {"Die.HeelpostBuilder", "WallCRelief", "wall_c_relief", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallCRelief)},
      {"Die.HeelpostBuilder", "WallDCreate", "wall_d_create", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallDCreate)},
      {"Die.HeelpostBuilder", "WallDRelief", "wall_d_relief", JA_LOGICAL(heel, XJA_HEELPOST_BUILDER_set_WallDRelief)},
      {"Die.HeelpostBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(heel, XJA_HEELPOST_BUILDER_set_DistanceTolerance)},
      {"Die.HeelpostBuilder", "AngleTolerance", "angle_tolerance", JA_DOUBLE(heel, XJA_HEELPOST_BUILDER_set_AngleTolerance)},
      {"Die.HeelpostBuilder", "Type", "type",
       JA_ENUM("GuidepostWearplate,StorageBlock,SafetyBlock", heel, XJA_HEELPOST_BUILDER_set_type)},

      {"Die.KeywayBuilder", "Location", "location",
       JA_ENUM("PositiveX,NegativeX,PositiveY,NegativeY", keyway, XJA_KEYWAY_BUILDER_set_Location)},
      {"Die.KeywayBuilder", "CreateWithPad", "create_with_pad", JA_LOGICAL(keyway, XJA_KEYWAY_BUILDER_set_CreateWithPad)},
      {"Die.KeywayBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(keyway, XJA_KEYWAY_BUILDER_set_DistanceTolerance)},
      {"Die.KeywayBuilder", "AngleTolerance", "angle_tolerance", JA_DOUBLE(keyway, XJA_KEYWAY_BUILDER_set_AngleTolerance)},
      {"Die.KeywayBuilder", "Type", "type", JA_ENUM("Rectangular,Circular", keyway, XJA_KEYWAY_BUILDER_set_type)},

      {"Die.MachineReliefBuilder", "MainProfileType", "main_profile_type",
       JA_ENUM("Exterior,Interior", relief, XJA_MACHINE_RELIEF_BUILDER_set_MainProfileType)},
      {"Die.MachineReliefBuilder", "SwitchTrimSide", "switch_trim_side",
       JA_LOGICAL(relief, XJA_MACHINE_RELIEF_BUILDER_set_SwitchTrimSide)},
      {"Die.MachineReliefBuilder", "TrimSheetType", "trim_sheet_type",
       JA_ENUM("Sheet,Face", relief, XJA_MACHINE_RELIEF_BUILDER_set_TrimSheetType)},
      {"Die.MachineReliefBuilder", "JogWall", "jog_wall", JA_LOGICAL(relief, XJA_MACHINE_RELIEF_BUILDER_set_JogWall)},
      {"Die.MachineReliefBuilder", "DistanceTolerance", "distance_tolerance",
       JA_DOUBLE(relief, XJA_MACHINE_RELIEF_BUILDER_set_DistanceTolerance)},
      {"Die.MachineReliefBuilder", "AngleTolerance", "angle_tolerance",
       JA_DOUBLE(relief, XJA_MACHINE_RELIEF_BUILDER_set_AngleTolerance)},
      {"Die.MachineReliefBuilder", "Type", "type", JA_ENUM("Cam,Relief,Thicken", relief, XJA_MACHINE_RELIEF_BUILDER_set_Type)},
  };
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> all = FirstRows();
    for (Row& row : SecondRows()) all.push_back(std::move(row));
    return all;
  }();
  return rows;
}

#undef JA_LOGICAL
#undef JA_DOUBLE
#undef JA_ENUM
#undef JA_TAG
#undef JA_POINT

ValuePtr ValueOf(const Row& row) {
  switch (row.kind) {
    case Kind::Logical: return Property::MakeLogical(true);
    case Kind::Double: return Property::MakeDouble(kDouble);
    case Kind::Enum: {
      // Member lists live as long as the values made from them.
      static std::vector<std::unique_ptr<Property::EnumMembers>> lists;
      lists.push_back(std::make_unique<Property::EnumMembers>(row.members));
      return Property::MakeEnum(*lists.back(), kIndex);
    }
    case Kind::Tag: return Property::MakeTag(kTag);
    case Kind::Point: return Property::MakePoint({kPoint.x, kPoint.y, kPoint.z});
  }
  return nullptr;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class OwnerWrites : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    Make(b_.slot, "Die.ClampingSlotBuilder", [&] { return DieDesJA::ClampingSlotBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.clearance, "Die.ClearanceBuilder", [&] { return DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.rough, "Die.CompensateRoughDataBuilder",
         [&] { return DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.boolean, "Die.DieBooleanBuilder", [&] { return DieDes::DieBooleanBuilderFactory::Create(part()); });
    Make(b_.direction, "Die.DieDirectionBuilder",
         [&] { return DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true); });
    Make(b_.location, "Die.DieLocationBuilder", [&] { return DieDesJA::DieLocationBuilderFactory::Create(part()); });
    Make(b_.plane, "Die.DiePlaneBuilder",
         [&] { return DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true); });
    Make(b_.shoe, "Die.DieShoeBuilder", [&] { return DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.bead, "Die.DrawBeadBuilder", [&] { return DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr); });
    if (b_.bead != nullptr)
      Make(b_.segment, "Die.DrawBeadSegmentBuilder",
           [&] { return DieEngJA::DrawBeadSegmentBuilderFactory::Create(b_.bead, nullptr); });
    Make(b_.taper, "Die.DrawBeadTaperBuilder", [&] { return DieEngJA::DrawBeadTaperBuilderFactory::Create(part(), nullptr); });
    Make(b_.fill, "Die.FillAreaBuilder", [&] { return DieDesJA::FillAreaBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.notch, "Die.FingerClearanceNotchBuilder",
         [&] { return DieDesJA::FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.core, "Die.HandlingCoreBuilder", [&] { return DieDesJA::HandlingCoreBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.heel, "Die.HeelpostBuilder", [&] { return DieDesJA::HeelpostBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.keyway, "Die.KeywayBuilder", [&] { return DieDesJA::KeywayBuilderFactory::Create(modelPart(), nullptr); });
    Make(b_.relief, "Die.MachineReliefBuilder", [&] { return DieDesJA::MachineReliefBuilderFactory::Create(modelPart(), nullptr); });
    // A builder that could not be made leaves the rows nothing to write to.
    if (HasFailure()) FAIL() << "not every builder could be made";
    JAM::ClearJournal();
  }
  void TearDown() override {
    for (OM::TaggedObject* o : std::initializer_list<OM::TaggedObject*>{
             b_.slot, b_.clearance, b_.rough, b_.boolean, b_.direction, b_.location, b_.plane, b_.shoe, b_.segment,
             b_.taper, b_.bead, b_.fill, b_.notch, b_.core, b_.heel, b_.keyway, b_.relief})
      if (o != nullptr) o->destroy();
    JamTest::TearDown();
  }

  // A builder whose class the plug-in did not register (its load rows missing
  // from the load table) is named, not left a null for the rows to crash on.
  template <class B, class Made>
  static void Make(B*& builder, const char* journalClass, Made made) {
    try {
      builder = made();
    } catch (const std::exception& e) {
      ADD_FAILURE() << journalClass << " cannot be made (are its rows in the load table?): " << e.what();
    }
  }

  Builders b_;
};

TEST_F(OwnerWrites, EverySettablePropertyUnderEitherNameIsJournalledLikeItsScriptingCall) {
  ASSERT_EQ(Rows().size(), 90u);
  for (const Row& row : Rows()) {
    SCOPED_TRACE(std::string(row.journalClass) + " " + row.property);
    Property::Owner* owner = OwnerOf(row.journalClass);
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
    OM::Object* object = row.object(b_);
    ValuePtr value = ValueOf(row);

    JAM::ClearJournal();
    EXPECT_EQ(row.script(b_), 0);
    const JAM::Journal script = JAM::Recorded();
    EXPECT_EQ(script.size(), 1u);
    if (script.size() != 1u) continue;
    EXPECT_EQ(script[0].journalClass, row.journalClass);
    EXPECT_EQ(script[0].methodType, 2);
    EXPECT_EQ(script[0].member, row.property);

    for (const std::string& name : {std::string(row.property), std::string(row.snake), Upper(row.snake)}) {
      JAM::ClearJournal();
      EXPECT_EQ(owner->SetProperty(object, name.c_str(), value.get()), 0) << name;
      EXPECT_EQ(JAM::Recorded(), script) << name;
      EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), JAM::WriteJournal(script)) << name;
    }
  }
}

TEST_F(OwnerWrites, SetPropertiesWritesEachOwnersSettablePropertiesInTheirOrder) {
  std::vector<std::string> classes;
  for (const Row& row : Rows())
    if (classes.empty() || classes.back() != row.journalClass) classes.push_back(row.journalClass);
  ASSERT_EQ(classes.size(), 17u);  // the die-locations builder has nothing to write
  for (const std::string& journalClass : classes) {
    SCOPED_TRACE(journalClass);
    std::vector<std::string> expected;
    OM::Object* object = nullptr;
    for (const Row& row : Rows()) {
      if (journalClass != row.journalClass) continue;
      expected.push_back(row.property);
      object = row.object(b_);
    }
    Property::Owner* owner = OwnerOf(journalClass.c_str());
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
    std::vector<std::string> written;
    for (const JAM::Record& r : WriteBackAll(owner, object)) {
      if (r.journalClass != journalClass) continue;
      EXPECT_EQ(r.methodType, 2) << r.member;
      EXPECT_EQ(r.status, 0) << r.member;
      written.push_back(r.member);
    }
    EXPECT_EQ(written, expected);
  }
}

// A write through the property system of an index that names no member is
// refused with the die catalogue's number before its setter records
// anything; the last member is written as any other.
TEST_F(OwnerWrites, AnEnumeratedWriteTakesTheLastMemberAndRefusesOnePastItAndBelowTheFirst) {
  int rows = 0;
  for (const Row& row : Rows()) {
    if (row.kind != Kind::Enum) continue;
    SCOPED_TRACE(std::string(row.journalClass) + " " + row.property);
    ++rows;
    const int members = static_cast<int>(std::count(row.members, row.members + std::strlen(row.members), ',')) + 1;
    Property::Owner* owner = OwnerOf(row.journalClass);
    ASSERT_NE(owner, nullptr);
    OM::Object* object = row.object(b_);
    Property::EnumMembers list{row.members};
    for (const int index : {members - 1, members, -1}) {
      SCOPED_TRACE(index);
      ValuePtr before(owner->GetProperty(object, row.property));
      ASSERT_NE(before, nullptr);
      JAM::ClearJournal();
      ValuePtr value = Property::MakeEnum(list, index);
      const bool names = index == members - 1;
      EXPECT_EQ(RaisedCode([&] { owner->SetProperty(object, row.property, value.get()); }), names ? 0 : 3030630);
      EXPECT_EQ(JAM::Recorded().size(), names ? 1u : 0u);
      ValuePtr after(owner->GetProperty(object, row.property));
      ASSERT_NE(after, nullptr);
      EXPECT_EQ(after->GetEnum(), names ? index : before->GetEnum());
    }
  }
  EXPECT_EQ(rows, 29);
}

// The setters store any value they are given; reading one outside the
// enumeration back, through the scripting call, the owner or the test print,
// names no member and reads nothing past the member list.
TEST_F(OwnerWrites, AValueOutsideItsEnumerationReadsBackAsItsNumber) {
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(b_.heel, 7), 0);
  ASSERT_EQ(XJA_KEYWAY_BUILDER_set_Location(b_.keyway, 9), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_Output(b_.bead, -2), 0);
  int type = 0;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_type(b_.heel, &type), 0);
  EXPECT_EQ(type, 7);
  int location = 0;
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_Location(b_.keyway, &location), 0);
  EXPECT_EQ(location, 9);

  const struct {
    const char* journalClass;
    OM::Object* object;
    const char* property;
    int value;
  } reads[] = {{"Die.HeelpostBuilder", b_.heel, "type", 7},
               {"Die.KeywayBuilder", b_.keyway, "Location", 9},
               {"Die.DrawBeadBuilder", b_.bead, "output", -2}};
  for (const auto& r : reads) {
    SCOPED_TRACE(r.property);
    ValuePtr value(OwnerOf(r.journalClass)->GetProperty(r.object, r.property));
    EXPECT_NE(value, nullptr) << r.property;
    if (value == nullptr) continue;
    EXPECT_EQ(value->GetType(), Property::ValueType::kEnum) << r.property;
    if (value->GetType() != Property::ValueType::kEnum) continue;
    EXPECT_EQ(value->GetEnum(), r.value) << r.property;
    EXPECT_EQ(static_cast<Property::Enum&>(*value).GetMemberName(), nullptr) << r.property;
  }

  JAM::Autotest::EnableAPIPrint("Die.HeelpostBuilder", true);
  Host::ClearCalls();
  tag_t tag = b_.heel->ask_tag();
  JAM_print_fn print = JAM::Test::PrintFunction("Die.HeelpostBuilder");
  ASSERT_NE(print, nullptr);
  print(&tag, nullptr, 0);
  JAM::Autotest::EnableAPIPrint("Die.HeelpostBuilder", false);
  bool printed = false;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "JAM_test_print_enum_prop") printed = c.args == "GetType type Types=7";
  EXPECT_TRUE(printed);
}

}  // namespace
