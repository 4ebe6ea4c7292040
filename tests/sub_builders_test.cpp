// The die-design sub-builders: the location, location-list, direction and plane
// scripting classes (exports, interfaces, set-up orders, the method attribute of
// SourceDataType, structures by address, the location's one default and the
// test prints), and the location, location-list, direction and die-boolean
// sub-builders with the die shoe as the host sees them (registrations, a new
// object's fields, the field writes with their undo logging, undo). Expected
// names, orders and texts are written out from the classes' published
// description, not read from the tables the engine expands.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "geom/Geometry.hpp"
#include "ja_die_die_direction_builder_jam.hpp"
#include "ja_die_die_location_builder_jam.hpp"
#include "ja_die_die_locations_builder_jam.hpp"
#include "ja_die_die_plane_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "om/HostClass.hpp"
#include "prop/PropertyMapper.hpp"

using namespace KTX;
using DieDes::DieDirectionBuilder;
using DieDes::DiePlaneBuilder;
using DieDesJA::DieLocationBuilder;
using DieDesJA::DieLocationsBuilder;
using Property::ValuePtr;
using stamvik_test::AlreadySetUp;
using stamvik_test::ExportsStartingWith;
using stamvik_test::FirstJamCalls;
using stamvik_test::HostTest;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::OwnerOf;
using stamvik_test::NamedWrites;
using stamvik_test::OnlyThese;
using stamvik_test::OwnerRecorder;
using DieDes::DieBooleanBuilder;
using DieDes::DieShoeBuilder;
using stamvik_test::ExpectJournalName;
using stamvik_test::ExpectRegistration;

// The exports as a script declares them.
namespace {

const char* kLocation = "Die.DieLocationBuilder";
const char* kLocations = "Die.DieLocationsBuilder";
const char* kDirection = "Die.DieDirectionBuilder";
const char* kPlane = "Die.DiePlaneBuilder";

std::string TagText(const OM::TaggedObject* object) { return std::to_string(object->ask_tag()); }

class SubBuilderUnits : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    location_ = DieDesJA::DieLocationBuilderFactory::Create(part());
    locations_ = DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
    direction_ = DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
    plane_ = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
    Host::ClearCalls();
  }
  void TearDown() override {
    for (OM::TaggedObject* b : std::initializer_list<OM::TaggedObject*>{location_, locations_, direction_, plane_})
      b->destroy();
    JamTest::TearDown();
  }
  // Runs a class's set-up now, so that a test sees only its own calls.
  static void SetUpClasses() {
    for (const char* name : {kLocation, kLocations, kDirection, kPlane}) JAM::FileInitializer::Initialize(name);
    JAM::ClearJournal();
    Host::ClearCalls();
  }
  // The set-up's calls, when this process has not set the class up yet.
  static bool FirstSetUp(const char* className) { return !AlreadySetUp(className); }

  DieLocationBuilder* location_ = nullptr;
  DieLocationsBuilder* locations_ = nullptr;
  DieDirectionBuilder* direction_ = nullptr;
  DiePlaneBuilder* plane_ = nullptr;
};

// ---- set-up orders ---------------------------------------------------------------------
// Each runs first in its own process under ctest; run together, the later
// ones find their class set up already and are skipped.

TEST_F(SubBuilderUnits, LocationSetUpInItsOwnOrder) {
  if (!FirstSetUp(kLocation)) GTEST_SKIP() << "set up by an earlier test in this process";
  int type = -1;
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_get_InputType(location_, &type), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize SelectObject",
      "FileInitializer::Initialize qdmath",
      "JAM_lookup_or_create_class Direction",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_class Plane",
      "JAM_lookup_or_create_class Point",
      "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
      "JAM_lookup_or_create_enum Die.DieLocationBuilder.LocationType 4",
      "JAM_add_enum_member Die.DieLocationBuilder.LocationType SelectLocation 0",
      "JAM_add_enum_member Die.DieLocationBuilder.LocationType NewPoint 1",
      "JAM_add_enum_member Die.DieLocationBuilder.LocationType NewCoordinateSystem 2",
      "JAM_add_enum_member Die.DieLocationBuilder.LocationType NewVector 3",
      "JAM_add_enum_member Die.DieLocationBuilder.LocationType NewPlane 4",
      "JAM_lookup_struct Matrix3x3",
      "JAM_lookup_struct Point3d",
      "JAM_create_class Die.DieLocationBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DieLocationBuilder",
      "JAM_register_initialisation_function Die.DieLocationBuilder",
      "JAM_declare_ptr_property_accessor Die.DieLocationBuilder Location 0 1",
      "JAM_declare_tag_property_accessor Die.DieLocationBuilder Plane 0 0",
      "JAM_declare_tag_property_accessor Die.DieLocationBuilder Point 0 0",
      "JAM_declare_tag_property_accessor Die.DieLocationBuilder Vector 0 0",
      "JAM_add_interface Die.DieLocationBuilder GeometricUtilities.IComponentBuilder",
      "JAM_start_property_call Die.DieLocationBuilder 1 InputType",
  };
  EXPECT_EQ(FirstJamCalls(expected.size()), expected);
}

TEST_F(SubBuilderUnits, LocationsSetUpLooksItsInterfaceUpAfterTheListTemplate) {
  if (!FirstSetUp(kLocations)) GTEST_SKIP() << "set up by an earlier test in this process";
  JAM::FileInitializer::Initialize(kLocations);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DieLocationsBuilder",
      "FileInitializer::Initialize ObjectList",
      "JAM_lookup_or_create_template_class Die.DieLocationBuilderList ObjectList Die.DieLocationBuilder",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_create_class Die.DieLocationsBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DieLocationsBuilder",
      "JAM_declare_ptr_property_accessor Die.DieLocationsBuilder List 0 1",
      "JAM_add_interface Die.DieLocationsBuilder GeometricUtilities.IComponentBuilder",
  };
  EXPECT_EQ(JamCalls(false), expected);
  // No defaults: no initialisation function is registered.
  EXPECT_EQ(JAM::Test::DefaultsFunction(kLocations), nullptr);
}

TEST_F(SubBuilderUnits, DirectionSetUpInItsOwnOrder) {
  if (!FirstSetUp(kDirection)) GTEST_SKIP() << "set up by an earlier test in this process";
  JAM::FileInitializer::Initialize(kDirection);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DieDirectionBuilder",
      "FileInitializer::Initialize SelectObject",
      "FileInitializer::Initialize qdmath",
      "JAM_lookup_or_create_class Direction",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
      "JAM_lookup_or_create_enum Die.DieDirectionBuilder.DirectionType 4",
      "JAM_add_enum_member Die.DieDirectionBuilder.DirectionType Selection 0",
      "JAM_add_enum_member Die.DieDirectionBuilder.DirectionType CoordinateSystem 1",
      "JAM_add_enum_member Die.DieDirectionBuilder.DirectionType Vector 2",
      "JAM_lookup_struct Matrix3x3",
      "JAM_lookup_struct Point3d",
      "JAM_create_class Die.DieDirectionBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DieDirectionBuilder",
      "JAM_declare_ptr_property_accessor Die.DieDirectionBuilder Direction 0 1",
      "JAM_declare_tag_property_accessor Die.DieDirectionBuilder Vector 0 0",
      "JAM_add_interface Die.DieDirectionBuilder GeometricUtilities.IComponentBuilder",
  };
  EXPECT_EQ(JamCalls(false), expected);
  EXPECT_EQ(JAM::Test::DefaultsFunction(kDirection), nullptr);
}

TEST_F(SubBuilderUnits, PlaneSetUpInItsOwnOrderAndOnce) {
  if (!FirstSetUp(kPlane)) GTEST_SKIP() << "set up by an earlier test in this process";
  JAM::FileInitializer::Initialize(kPlane);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DiePlaneBuilder",
      "FileInitializer::Initialize SelectObject",
      "FileInitializer::Initialize qdmath",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_class Plane",
      "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
      "JAM_lookup_or_create_enum Die.DiePlaneBuilder.PlaneType 4",
      "JAM_add_enum_member Die.DiePlaneBuilder.PlaneType Selection 0",
      "JAM_add_enum_member Die.DiePlaneBuilder.PlaneType Plane 1",
      "JAM_add_enum_member Die.DiePlaneBuilder.PlaneType CoordinateSystem 2",
      "JAM_lookup_struct Matrix3x3",
      "JAM_lookup_struct Point3d",
      "JAM_create_class Die.DiePlaneBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DiePlaneBuilder",
      "JAM_declare_ptr_property_accessor Die.DiePlaneBuilder SelectPlane 0 1",
      "JAM_declare_tag_property_accessor Die.DiePlaneBuilder SpecifyPlane 0 0",
      "JAM_add_interface Die.DiePlaneBuilder GeometricUtilities.IComponentBuilder",
  };
  EXPECT_EQ(JamCalls(false), expected);

  // A second request, or the first journalled call, finds it done.
  Host::ClearCalls();
  JAM::FileInitializer::Initialize(kPlane);
  int type = 0;
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_get_input_type(plane_, &type), 0);
  std::vector<std::string> calls = JamCalls(false);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "FileInitializer::Initialize Die.DiePlaneBuilder");
  EXPECT_EQ(calls[1], "JAM_start_property_call Die.DiePlaneBuilder 1 InputType");
}

// ---- SourceDataType: method attribute 1, the same field as InputType ------------------

TEST_F(SubBuilderUnits, SourceDataTypeStatesItsAttributeRightAfterOpeningAndSharesInputType) {
  SetUpClasses();
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_source_data_type(plane_, 2), 0);
  std::string t = TagText(plane_);
  std::vector<std::string> expected = {
      "JAM_start_property_call Die.DiePlaneBuilder 2 SourceDataType",
      "JAM_set_method_attributes 1",
      "JAM_this_ptr " + t,
      "JAM_in_enum sourcedatatype=Die.DiePlaneBuilder.PlaneType:2",
      "JAM_end_of_arguments",
      "OM__log tag=" + t,
      "JAM_end_call 0",
  };
  EXPECT_EQ(JamCalls(), expected);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].attributes, 1);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "sourcedatatype");

  int input = -1, source = -1;
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_get_input_type(plane_, &input), 0);
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_get_source_data_type(plane_, &source), 0);
  EXPECT_EQ(input, 2);
  EXPECT_EQ(source, 2);
  // InputType states no attribute; the getter of SourceDataType does.
  EXPECT_EQ(JAM::Recorded().at(1).attributes, -1);
  EXPECT_EQ(JAM::Recorded().at(2).attributes, 1);
  EXPECT_EQ(JAM::Recorded().at(2).methodType, 1);

  // And the other way round, on the direction builder.
  JAM::ClearJournal();
  Host::ClearCalls();
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_set_input_type(direction_, 1), 0);
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_get_source_data_type(direction_, &source), 0);
  EXPECT_EQ(source, 1);
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "JAM_set_method_attributes 1"), 1);
  EXPECT_EQ(calls.at(calls.size() - 6), "JAM_start_property_call Die.DieDirectionBuilder 1 SourceDataType");
  EXPECT_EQ(calls.at(calls.size() - 5), "JAM_set_method_attributes 1");
}

TEST_F(SubBuilderUnits, EnumerationSettersStoreAValueOutsideTheEnumeration) {
  SetUpClasses();
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_set_source_data_type(direction_, 7), 0);
  EXPECT_EQ(static_cast<int>(direction_->GetInputType()), 7);
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_input_type(plane_, -3), 0);
  EXPECT_EQ(static_cast<int>(plane_->GetInputType()), -3);
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_InputType(location_, 5), 0);
  int type = 0;
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_get_InputType(location_, &type), 0);
  EXPECT_EQ(type, 5);
  for (const JAM::Record& r : JAM::Recorded()) EXPECT_EQ(r.status, 0);
}

// ---- structures by address ----------------------------------------------------------------

TEST_F(SubBuilderUnits, OriginAndMatrixComeBackAsSetInTheirOrder) {
  SetUpClasses();
  JAM_point3d_s origin{1.5, -2.25, 1.0 / 3.0};
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemOrigin(location_, &origin), 0);
  JAM_point3d_s back{};
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_get_CoordinateSystemOrigin(location_, &back), 0);
  EXPECT_EQ(back.x, 1.5);
  EXPECT_EQ(back.y, -2.25);
  EXPECT_EQ(back.z, 1.0 / 3.0);

  JAM_matrix3x3_s matrix{11, 12, 13, 21, 22, 23, 31, 32, 33};
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemMatrix(location_, &matrix), 0);
  double stored[9] = {};
  location_->GetCoordinateSystemMatrix(stored);
  EXPECT_EQ(std::vector<double>(stored, stored + 9), (std::vector<double>{11, 12, 13, 21, 22, 23, 31, 32, 33}));
  JAM_matrix3x3_s read{};
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_get_CoordinateSystemMatrix(location_, &read), 0);
  EXPECT_EQ(read.xx, 11);
  EXPECT_EQ(read.yz, 23);
  EXPECT_EQ(read.zy, 32);

  // Recorded as the host's structures under the lower-case property name.
  const JAM::Journal& j = JAM::Recorded();
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0].values.at(0).kind, JAM::ValueKind::Struct);
  EXPECT_EQ(j[0].values.at(0).type, "Point3d");
  EXPECT_EQ(j[0].values.at(0).name, "coordinatesystemorigin");
  EXPECT_EQ(j[0].values.at(0).reals, (std::vector<double>{1.5, -2.25, 1.0 / 3.0}));
  EXPECT_EQ(j[1].values.at(0).direction, JAM::Direction::Result);
  EXPECT_EQ(j[1].values.at(0).reals, (std::vector<double>{1.5, -2.25, 1.0 / 3.0}));
  EXPECT_EQ(j[2].values.at(0).type, "Matrix3x3");
  EXPECT_EQ(j[3].values.at(0).reals, (std::vector<double>{11, 12, 13, 21, 22, 23, 31, 32, 33}));
}

TEST_F(SubBuilderUnits, StructureSetWrittenAsTextAndReplayedSetsTheBuilderAgain) {
  SetUpClasses();
  JAM_point3d_s origin{4, 5, 0.1};
  JAM_matrix3x3_s matrix{0, 1, 0, -1, 0, 0, 0, 0, 1};
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_coordinate_system_origin(plane_, &origin), 0);
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_coordinate_system_matrix(plane_, &matrix), 0);
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_source_data_type(plane_, 1), 0);
  std::string text = JAM::WriteJournal(JAM::Recorded());
  JAM::Journal read = JAM::ReadJournal(text);
  EXPECT_EQ(read, JAM::Recorded());

  const double zero[9] = {};
  plane_->SetCoordinateSystemOrigin(zero);
  plane_->SetCoordinateSystemMatrix(zero);
  plane_->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Selection);
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(read), std::vector<int>(3, 0));
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
  double o[3], m[9];
  plane_->GetCoordinateSystemOrigin(o);
  plane_->GetCoordinateSystemMatrix(m);
  EXPECT_EQ(std::vector<double>(o, o + 3), (std::vector<double>{4, 5, 0.1}));
  EXPECT_EQ(std::vector<double>(m, m + 9), (std::vector<double>{0, 1, 0, -1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(plane_->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  EXPECT_EQ(JAM::Recorded().at(2).attributes, 1);
}

// ---- tags, selections and the list ----------------------------------------------------------

TEST_F(SubBuilderUnits, TagSettersPassTheTagOnThroughTheBuilderUnchecked) {
  SetUpClasses();
  const double at[3] = {1, 2, 3};
  tag_t point = ES_create_point(at);
  ASSERT_NE(point, 0u);
  Host::ClearCalls();
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_Point(location_, point), 0);
  EXPECT_EQ(location_->GetPoint(), point);
  EXPECT_EQ(Host::CountCalls("SetReferencedObject"), 1u);
  std::vector<std::string> calls = JamCalls(false);
  EXPECT_EQ(calls.at(2), "JAM_in_tag point=Point:" + std::to_string(point));
  tag_t got = 0;
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_get_Point(location_, &got), 0);
  EXPECT_EQ(got, point);

  // 0 is passed on too: it clears the reference.
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_Point(location_, 0), 0);
  EXPECT_EQ(location_->GetPoint(), 0u);
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_set_specify_plane(plane_, 4003), 0);
  EXPECT_EQ(plane_->GetSpecifyPlane(), 4003u);
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_set_vector(direction_, 4004), 0);
  EXPECT_EQ(direction_->GetVector(), 4004u);
  EXPECT_EQ(JAM::Recorded().back().values.at(0).type, "Direction");
}

TEST_F(SubBuilderUnits, SelectionAndListGettersHandOutTheBuildersOwnObjectsAssociated) {
  SetUpClasses();
  SELECT_OBJECT* selection = nullptr;
  ASSERT_EQ(XJA_DIE_PLANE_BUILDER_get_select_plane(plane_, &selection), 0);
  EXPECT_EQ(selection, plane_->GetSelectPlane());
  ASSERT_EQ(JAM::Recorded().at(0).associations.size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].associations[0].templateClass, "SelectBrenvikObject");

  UICOMPJA_list* list = nullptr;
  ASSERT_EQ(XJA_DIE_LOCATIONS_BUILDER_get_List(locations_, &list), 0);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list, locations_->GetList());  // the list itself, not a copy
  const JAM::Record& r = JAM::Recorded().at(1);
  EXPECT_EQ(r.journalClass, kLocations);
  EXPECT_EQ(r.values.at(0).name, "list");
  EXPECT_EQ(r.values.at(0).type, "Die.DieLocationBuilderList");
  ASSERT_EQ(r.associations.size(), 1u);
  EXPECT_EQ(r.associations[0].templateClass, "Die.DieLocationBuilderList");
  EXPECT_EQ(r.associations[0].tag, list->ask_tag());
}

// ---- interfaces ------------------------------------------------------------------------------

TEST_F(SubBuilderUnits, InterfacesAnswerTheirIdsAndTheUnjournalledOneRecordsNothing) {
  struct Expected {
    const char* name;
    unsigned int id;
  };
  for (Expected e : {Expected{kLocation, 0x52BD409Bu}, Expected{kLocations, 0xDD98200Eu},
                     Expected{kDirection, 0x656D7A12u}, Expected{kPlane, 0x93435DA8u}}) {
    JAM::IJAInterface* journalled = JAM::ClassInitializer::GetJournalledInterface(e.name);
    JAM::IJAInterface* unjournalled = JAM::ClassInitializer::GetUnjournalledInterface(e.name);
    ASSERT_NE(journalled, nullptr) << e.name;
    ASSERT_NE(unjournalled, nullptr) << e.name;
    EXPECT_NE(static_cast<void*>(journalled), static_cast<void*>(unjournalled));
  }
  auto* location = static_cast<Die_DieLocationBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface(kLocation));
  auto* locations =
      static_cast<Die_DieLocationsBuilder_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(kLocations));
  auto* direction =
      static_cast<Die_DieDirectionBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface(kDirection));
  auto* plane = static_cast<Die_DiePlaneBuilder_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(kPlane));
  EXPECT_EQ(location->GetInterfaceId(), 0x52BD409Bu);
  EXPECT_EQ(locations->GetInterfaceId(), 0xDD98200Eu);
  EXPECT_EQ(direction->GetInterfaceId(), 0x656D7A12u);
  EXPECT_EQ(plane->GetInterfaceId(), 0x93435DA8u);

  SetUpClasses();
  JAM_point3d_s origin{7, 8, 9};
  EXPECT_EQ(plane->SetCoordinateSystemOrigin(plane_, &origin), 0);
  EXPECT_EQ(plane->SetSourceDataType(plane_, 1), 0);
  UICOMPJA_list* list = nullptr;
  EXPECT_EQ(locations->GetList(locations_, &list), 0);
  EXPECT_EQ(list, locations_->GetList());
  EXPECT_TRUE(JAM::Recorded().empty());
  JAM_point3d_s back{};
  EXPECT_EQ(plane->GetCoordinateSystemOrigin(plane_, &back), 0);
  EXPECT_EQ(back.y, 8);

  EXPECT_EQ(direction->SetReverseSourceDirection(direction_, true), 0);
  EXPECT_TRUE(direction_->GetReverseSourceDirection());
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "reversesourcedirection");
}

// ---- the location's one default ------------------------------------------------------------

class LocationDefaults : public SubBuilderUnits {
 protected:
  std::vector<std::string> Written() { return NamedWrites(TagText(location_)); }
  void Apply(bool apply) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(kLocation);
    ASSERT_NE(defaults, nullptr);
    defaults(location_->ask_tag(), apply);
  }
};

TEST_F(LocationDefaults, InputTypeIsSelectLocationWhateverTheUnits) {
  SetUpClasses();
  const std::vector<std::string> expected = {"InputType=SelectLocation (paused)"};
  for (int unitCode : {0, 1, 2}) {
    part()->SetUnitCode(unitCode);
    Host::ClearCalls();
    Apply(true);
    EXPECT_EQ(Written(), expected) << unitCode;
    // A sub-builder's defaults neither log it, nor visit sub-objects.
    std::vector<std::string> calls = JamCalls();
    EXPECT_EQ(calls, (std::vector<std::string>{"JournalPauser pause",
                                               "JAM_set_named_attribute_value " + TagText(location_) + " " + expected[0],
                                               "JournalPauser resume"}))
        << unitCode;
  }
  PART_set_work_part(nullptr);
  Host::ClearCalls();
  Apply(true);
  EXPECT_EQ(Written(), expected);
  PART_set_work_part(part());
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(LocationDefaults, NotAskedToApplyDoesNothing) {
  SetUpClasses();
  Apply(false);
  EXPECT_TRUE(JamCalls().empty());
}

// ---- test prints -------------------------------------------------------------------------------

class SubBuilderPrint : public SubBuilderUnits {
 protected:
  static std::string FirstTwoWords(const std::string& text) { return text.substr(0, text.find(' ', text.find(' ') + 1)); }
  std::vector<std::string> Printed() {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name.rfind("JAM_test_print_", 0) == 0 || c.name == "Autotest::APIPrintEnabled")
        out.push_back(c.name.substr(c.name.rfind('_') + 1) + " " + c.args);
    return out;
  }
};

TEST_F(SubBuilderPrint, PlanePrintsItsValueMembersInInterfaceOrder) {
  SetUpClasses();
  plane_->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  plane_->SetSpecifyPlane(4003);
  const double origin[3] = {1, 2, 3};
  const double matrix[9] = {1, 0, 0, 0, 0.5, 0, 0, 0, 1};
  plane_->SetCoordinateSystemOrigin(origin);
  plane_->SetCoordinateSystemMatrix(matrix);
  plane_->SetReverseSourceDirection(true);
  JAM::Autotest::EnableAPIPrint(kPlane, true);
  JAM::Autotest::m_subobjectNesting = 1;
  Host::ClearCalls();
  tag_t tag = plane_->ask_tag();
  JAM::Test::PrintFunction(kPlane)(&tag, "plane", 2);
  std::string t = std::to_string(tag);
  std::vector<std::string> expected = {
      "start " + t + " plane 2",
      "Autotest::APIPrintEnabled Die.DiePlaneBuilder yes",
      "prop GetInputType inputType PlaneType=CoordinateSystem",
      "prop GetSpecifyPlane specifyPlane Plane=4003",
      "start GetCoordinateSystemOrigin",
      "start Point3d 0",
      "double X=1 2",
      "double Y=2 2",
      "double Z=3 2",
      "end Point3d 0",
      "end GetCoordinateSystemOrigin",
      "start GetCoordinateSystemMatrix",
      "start Matrix3x3 0",
      "double Xx=1 2",
      "double Xy=0 2",
      "double Xz=0 2",
      "double Yx=0 2",
      "double Yy=0.5 2",
      "double Yz=0 2",
      "double Zx=0 2",
      "double Zy=0 2",
      "double Zz=1 2",
      "end Matrix3x3 0",
      "end GetCoordinateSystemMatrix",
      "prop GetReverseSourceDirection reverseSourceDirection=1",
      "prop GetSourceDataType sourceDataType PlaneType=CoordinateSystem",
      "object " + t + " plane 0",
      "class " + t + " TaggedObject  0",
      "class " + t + " GeometricUtilities.IComponentBuilder  0",
      "fn " + t + " plane Die.DiePlaneBuilder",
      "end plane 2",
  };
  EXPECT_EQ(Printed(), expected);
}

TEST_F(SubBuilderPrint, LocationAndDirectionPrintTheirMembersAndLocationsNone) {
  SetUpClasses();
  JAM::Autotest::EnableAPIPrint("*", true);
  Host::ClearCalls();
  tag_t tag = location_->ask_tag();
  JAM::Test::PrintFunction(kLocation)(&tag, nullptr, 0);
  std::vector<std::string> methods;
  for (const std::string& p : Printed())
    if (p.rfind("prop ", 0) == 0 || p.rfind("start Get", 0) == 0) methods.push_back(FirstTwoWords(p));
  EXPECT_EQ(methods, (std::vector<std::string>{"prop GetInputType", "prop GetPoint", "prop GetVector", "prop GetPlane",
                                               "start GetCoordinateSystemOrigin", "start GetCoordinateSystemMatrix"}));

  Host::ClearCalls();
  tag = direction_->ask_tag();
  JAM::Test::PrintFunction(kDirection)(&tag, nullptr, 0);
  methods.clear();
  for (const std::string& p : Printed())
    if (p.rfind("prop ", 0) == 0 || p.rfind("start Get", 0) == 0) methods.push_back(FirstTwoWords(p));
  EXPECT_EQ(methods, (std::vector<std::string>{"prop GetInputType", "prop GetVector", "start GetCoordinateSystemOrigin",
                                               "start GetCoordinateSystemMatrix", "prop GetReverseSourceDirection",
                                               "prop GetSourceDataType"}));

  Host::ClearCalls();
  tag = locations_->ask_tag();
  JAM::Test::PrintFunction(kLocations)(&tag, nullptr, 0);
  std::string t = std::to_string(tag);
  EXPECT_EQ(Printed(), (std::vector<std::string>{"Autotest::APIPrintEnabled Die.DieLocationsBuilder yes",
                                                 "class " + t + " TaggedObject  0",
                                                 "class " + t + " GeometricUtilities.IComponentBuilder  0",
                                                 "fn " + t + "  Die.DieLocationsBuilder"}));
}

TEST_F(SubBuilderPrint, AStructureGetterThatFailsPrintsItsErrorForThatMethod) {
  SetUpClasses();
  auto* gone = DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  tag_t tag = gone->ask_tag();
  gone->destroy();
  JAM::Autotest::EnableAPIPrint(kDirection, true);
  Host::ClearCalls();
  Error::ClearSevereErrors();
  JAM::Test::PrintFunction(kDirection)(&tag, nullptr, 0);
  std::string bad = std::to_string(Error::kBadObject);
  std::vector<std::string> printed = Printed();
  auto at = std::find(printed.begin(), printed.end(), "start GetCoordinateSystemOrigin");
  ASSERT_NE(at, printed.end());
  ASSERT_GE(printed.end() - at, 6);
  EXPECT_EQ(at[1], "error GetCoordinateSystemOrigin " + bad);
  EXPECT_EQ(at[2], "end GetCoordinateSystemOrigin");
  EXPECT_EQ(at[3], "start GetCoordinateSystemMatrix");
  EXPECT_EQ(at[4], "error GetCoordinateSystemMatrix " + bad);
  EXPECT_EQ(at[5], "end GetCoordinateSystemMatrix");
  ASSERT_EQ(Error::SevereErrors().size(), 2u);
  EXPECT_EQ(Error::SevereErrors()[0].file, "ja_die_die_direction_builder_jam");
  EXPECT_EQ(Error::SevereErrors()[0].locationMode, 0);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);
  EXPECT_EQ(Printed().back(), "fn " + std::to_string(tag) + "  Die.DieDirectionBuilder");
}

// ---- load registration and exports -----------------------------------------------------------

TEST(SubBuilderLoad, RegisteredInTheTableOrderWithOneCreatorName) {
  std::vector<std::string> order = {kDirection, kLocations, kLocation, kPlane};
  for (const std::vector<std::string>& names : {JAM::Test::FileInitializerNames(), JAM::Test::ClassInitializerNames()})
    EXPECT_EQ(OnlyThese(names, order), order);
  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  EXPECT_EQ(std::count(creators.begin(), creators.end(), "Die.DieCollection CreateDieLocation"), 1);
  for (const char* unregistered : {"CreateDieLocations", "CreateDieDirection", "CreateDiePlane"})
    EXPECT_EQ(std::count(creators.begin(), creators.end(), std::string("Die.DieCollection ") + unregistered), 0);
}

TEST(SubBuilderLoad, ExportsAreExactlyThePublishedOnes) {
  std::set<std::string> location = {
      "XJA_DIE_LOCATION_BUILDER_get_InputType",
      "XJA_DIE_LOCATION_BUILDER_set_InputType",
      "XJA_DIE_LOCATION_BUILDER_get_Location",
      "XJA_DIE_LOCATION_BUILDER_get_Point",
      "XJA_DIE_LOCATION_BUILDER_set_Point",
      "XJA_DIE_LOCATION_BUILDER_get_Vector",
      "XJA_DIE_LOCATION_BUILDER_set_Vector",
      "XJA_DIE_LOCATION_BUILDER_get_Plane",
      "XJA_DIE_LOCATION_BUILDER_set_Plane",
      "XJA_DIE_LOCATION_BUILDER_get_CoordinateSystemOrigin",
      "XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemOrigin",
      "XJA_DIE_LOCATION_BUILDER_get_CoordinateSystemMatrix",
      "XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemMatrix",
  };
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_LOCATION_BUILDER_"), location);
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_LOCATIONS_BUILDER_"),
            std::set<std::string>{"XJA_DIE_LOCATIONS_BUILDER_get_List"});
  std::set<std::string> direction = {
      "XJA_DIE_DIRECTION_BUILDER_get_input_type",
      "XJA_DIE_DIRECTION_BUILDER_set_input_type",
      "XJA_DIE_DIRECTION_BUILDER_get_direction",
      "XJA_DIE_DIRECTION_BUILDER_get_vector",
      "XJA_DIE_DIRECTION_BUILDER_set_vector",
      "XJA_DIE_DIRECTION_BUILDER_get_coordinate_system_origin",
      "XJA_DIE_DIRECTION_BUILDER_set_coordinate_system_origin",
      "XJA_DIE_DIRECTION_BUILDER_get_coordinate_system_matrix",
      "XJA_DIE_DIRECTION_BUILDER_set_coordinate_system_matrix",
      "XJA_DIE_DIRECTION_BUILDER_get_reverse_source_direction",
      "XJA_DIE_DIRECTION_BUILDER_set_reverse_source_direction",
      "XJA_DIE_DIRECTION_BUILDER_get_source_data_type",
      "XJA_DIE_DIRECTION_BUILDER_set_source_data_type",
  };
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_DIRECTION_BUILDER_"), direction);
  std::set<std::string> plane = {
      "XJA_DIE_PLANE_BUILDER_get_input_type",
      "XJA_DIE_PLANE_BUILDER_set_input_type",
      "XJA_DIE_PLANE_BUILDER_get_select_plane",
      "XJA_DIE_PLANE_BUILDER_get_specify_plane",
      "XJA_DIE_PLANE_BUILDER_set_specify_plane",
      "XJA_DIE_PLANE_BUILDER_get_coordinate_system_origin",
      "XJA_DIE_PLANE_BUILDER_set_coordinate_system_origin",
      "XJA_DIE_PLANE_BUILDER_get_coordinate_system_matrix",
      "XJA_DIE_PLANE_BUILDER_set_coordinate_system_matrix",
      "XJA_DIE_PLANE_BUILDER_get_reverse_source_direction",
      "XJA_DIE_PLANE_BUILDER_set_reverse_source_direction",
      "XJA_DIE_PLANE_BUILDER_get_source_data_type",
      "XJA_DIE_PLANE_BUILDER_set_source_data_type",
  };
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_PLANE_BUILDER_"), plane);
}

// ---- property owners -------------------------------------------------------------------------

class SubBuilderOwners : public SubBuilderUnits {
 protected:
  void SetUp() override {
    SubBuilderUnits::SetUp();
    SetUpClasses();
  }
  void TearDown() override {
    parent_.Restore();
    SubBuilderUnits::TearDown();
  }
  OwnerRecorder& RecordParent() { return parent_.Record("TaggedObject", nullptr); }

  stamvik_test::ParentOwnerStandIn<> parent_;
};

Property::EnumMembers gPlaneTypes{"Selection,Plane,CoordinateSystem"};
Property::EnumMembers gLocationTypes{"SelectLocation,NewPoint,NewCoordinateSystem,NewVector,NewPlane"};

TEST_F(SubBuilderOwners, RegisteredUnderTaggedObjectInAlphabeticalOrderBeforeTheJournalingUnits) {
  for (const char* c : {kLocation, kLocations, kDirection, kPlane}) {
    ASSERT_NE(JAM::PropertyMapper::GetParentClassName(c), nullptr) << c;
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(c), "TaggedObject") << c;
  }
  std::vector<std::string> expected = {"owner Die.DieDirectionBuilder", "owner Die.DieLocationBuilder",
                                       "owner Die.DieLocationsBuilder", "owner Die.DiePlaneBuilder"};
  const std::vector<const char*> loaded = Stamvik::LoadOrderNames();
  const std::vector<std::string> names(loaded.begin(), loaded.end());
  EXPECT_EQ(OnlyThese(names, expected), expected);
  auto firstUnit = std::find_if(names.begin(), names.end(),
                                [](const std::string& n) { return n.rfind("journal ", 0) == 0; });
  ASSERT_NE(firstUnit, names.end());
  for (const std::string& owner : expected)
    EXPECT_LT(std::find(names.begin(), names.end(), owner), firstUnit) << owner;
}

TEST_F(SubBuilderOwners, EveryFormOfTheInputTypeNameReadsTheSameEnumeration) {
  plane_->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  Property::Owner* owner = OwnerOf(kPlane);
  for (const char* name : {"InputType", "input_type", "INPUT_TYPE", "inputtype"}) {
    ValuePtr value(owner->GetProperty(plane_, name));
    ASSERT_NE(value, nullptr) << name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kEnum) << name;
    EXPECT_EQ(value->GetEnum(), 2) << name;
    EXPECT_STREQ(static_cast<Property::Enum&>(*value).GetMemberName(), "CoordinateSystem") << name;
  }
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(SubBuilderOwners, SourceDataTypeIsNotPublishedAndGoesToTheTaggedObjectOwner) {
  OwnerRecorder& parent = RecordParent();
  ValuePtr index = Property::MakeEnum(gPlaneTypes, 1);
  for (const char* c : {kPlane, kDirection}) {
    OM::Object* object = c == kPlane ? static_cast<OM::Object*>(plane_) : static_cast<OM::Object*>(direction_);
    ValuePtr read(OwnerOf(c)->GetProperty(object, "SourceDataType"));
    EXPECT_EQ(read, nullptr) << c;
    OwnerOf(c)->SetProperty(object, "source_data_type", index.get());
  }
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"GetProperty SourceDataType", "SetProperty source_data_type",
                                                       "GetProperty SourceDataType", "SetProperty source_data_type"}));
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_EQ(plane_->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Selection);
}

TEST_F(SubBuilderOwners, CoordinateSystemMatrixIsListedAndAcceptedOnWriteWithNoEffect) {
  OwnerRecorder& parent = RecordParent();
  const double before[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  direction_->SetCoordinateSystemMatrix(before);
  Host::ClearCalls();
  for (const char* c : {kDirection, kLocation, kPlane}) {
    OM::Object* object = c == kPlane       ? static_cast<OM::Object*>(plane_)
                         : c == kLocation ? static_cast<OM::Object*>(location_)
                                          : static_cast<OM::Object*>(direction_);
    ValuePtr value(OwnerOf(c)->GetProperty(object, "CoordinateSystemMatrix"));
    ASSERT_NE(value, nullptr) << c;
    EXPECT_EQ(value->GetType(), Property::ValueType::kInteger) << c;
    for (const char* name : {"CoordinateSystemMatrix", "coordinate_system_matrix"}) {
      EXPECT_EQ(OwnerOf(c)->SetProperty(object, name, Property::MakeDouble(7).get()), 0) << c << name;
      EXPECT_EQ(OwnerOf(c)->SetProperty(object, name, Property::MakeLogical(true).get()), 0) << c << name;
    }
  }
  double after[9];
  direction_->GetCoordinateSystemMatrix(after);
  EXPECT_EQ(std::vector<double>(after, after + 9), std::vector<double>(before, before + 9));
  EXPECT_TRUE(parent.requests.empty());
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(SubBuilderOwners, GetPropertiesWithoutAnObjectListsTheLocationTableThenTaggedObjects) {
  Property::List list;
  OwnerOf(kLocation)->GetProperties(nullptr, list);
  const char* names[] = {"InputType", "Location", "Point", "Vector", "Plane", "CoordinateSystemOrigin",
                         "CoordinateSystemMatrix"};
  ASSERT_GE(list.GetCount(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(list.GetNameByIndex(i), names[i]) << i;
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetPropertyByIndex(0))->GetMemberName(), "SelectLocation");
  ASSERT_EQ(list.GetPropertyByIndex(1)->GetType(), Property::ValueType::kSubobject);
  EXPECT_EQ(list.GetPropertyByIndex(1)->GetSubobject(), nullptr);
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetPropertyByIndex(1))->GetClassName(), "SelectBrenvikObject");
  for (int i = 2; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list.GetPropertyByIndex(i)->GetType(), Property::ValueType::kTag) << i;
    if (list.GetPropertyByIndex(i)->GetType() != Property::ValueType::kTag) continue;
    EXPECT_EQ(list.GetPropertyByIndex(i)->GetTag(), 0u) << i;
  }
  Property::Point3d origin = list.GetPropertyByIndex(5)->GetPoint();
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  EXPECT_EQ(origin.z, 0);
  EXPECT_EQ(list.GetPropertyByIndex(6)->GetType(), Property::ValueType::kInteger);
  std::vector<std::string> rest;
  for (int i = 7; i < list.GetCount(); ++i) rest.push_back(list.GetNameByIndex(i));
  EXPECT_EQ(rest, (std::vector<std::string>{"Tag", "Name"}));
}

TEST_F(SubBuilderOwners, AWriteLeavesTheSameJournalRecordAsTheScriptingCall) {
  Property::Owner* owner = OwnerOf(kLocation);
  ValuePtr point = Property::MakePoint({1.25, -4, 9});
  ASSERT_EQ(owner->SetProperty(location_, "coordinate_system_origin", point.get()), 0);
  ValuePtr plane = Property::MakeTag(4003);
  ASSERT_EQ(owner->SetProperty(location_, "Plane", plane.get()), 0);
  ValuePtr type = Property::MakeEnum(gLocationTypes, 4);
  ASSERT_EQ(owner->SetProperty(location_, "INPUT_TYPE", type.get()), 0);
  JAM::Journal viaOwner = JAM::Recorded();
  EXPECT_EQ(location_->GetPlane(), 4003u);
  EXPECT_EQ(location_->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPlane);
  double origin[3];
  location_->GetCoordinateSystemOrigin(origin);
  EXPECT_EQ(std::vector<double>(origin, origin + 3), (std::vector<double>{1.25, -4, 9}));

  JAM::ClearJournal();
  JAM_point3d_s same{1.25, -4, 9};
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_CoordinateSystemOrigin(location_, &same), 0);
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_Plane(location_, 4003), 0);
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_InputType(location_, 4), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());

  // Direction: a tag and a logical.
  JAM::ClearJournal();
  ASSERT_EQ(OwnerOf(kDirection)->SetProperty(direction_, "vector", Property::MakeTag(4004).get()), 0);
  ASSERT_EQ(OwnerOf(kDirection)->SetProperty(direction_, "reverse_source_direction", Property::MakeLogical(true).get()),
            0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_set_vector(direction_, 4004), 0);
  ASSERT_EQ(XJA_DIE_DIRECTION_BUILDER_set_reverse_source_direction(direction_, true), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
}

TEST_F(SubBuilderOwners, PlaneSetPropertiesWritesItsFourSettablesInOrderAndNotTheMatrix) {
  OwnerRecorder& parent = RecordParent();
  Property::List list;
  list.SetValue("ReverseSourceDirection", Property::MakeLogical(true).release());
  list.SetValue("CoordinateSystemMatrix", Property::MakeInteger(3).release());
  list.SetValue("CoordinateSystemOrigin", Property::MakePoint({1, 2, 3}).release());
  list.SetValue("SpecifyPlane", Property::MakeTag(4003).release());
  list.SetValue("SelectPlane", Property::MakeSubobject(nullptr, "SelectBrenvikObject").release());
  list.SetValue("InputType", Property::MakeEnum(gPlaneTypes, 1).release());
  EXPECT_EQ(OwnerOf(kPlane)->SetProperties(plane_, list), 0);
  std::vector<std::string> written;
  for (const JAM::Record& r : JAM::Recorded()) written.push_back(r.member);
  EXPECT_EQ(written, (std::vector<std::string>{"InputType", "SpecifyPlane", "CoordinateSystemOrigin",
                                               "ReverseSourceDirection"}));
  for (const JAM::Record& r : JAM::Recorded()) EXPECT_EQ(r.methodType, 2);
  EXPECT_EQ(parent.requests, std::vector<std::string>{"SetProperties"});
  EXPECT_EQ(plane_->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  EXPECT_TRUE(plane_->GetReverseSourceDirection());

  // The selection is read-only here: a write goes to the parent's owner.
  parent.requests.clear();
  OwnerOf(kPlane)->SetProperty(plane_, "SelectPlane", Property::MakeSubobject(nullptr, "SelectBrenvikObject").get());
  EXPECT_EQ(parent.requests, std::vector<std::string>{"SetProperty SelectPlane"});
}

TEST_F(SubBuilderOwners, TheLocationsListInEveryFormAndItsWritesGoToTheParent) {
  Property::Owner* owner = OwnerOf(kLocations);
  for (const char* name : {"list", "List", "LIST"}) {
    ValuePtr value(owner->GetProperty(locations_, name));
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->GetSubobject(), locations_->GetList()) << name;
    EXPECT_STREQ(static_cast<Property::Subobject&>(*value).GetClassName(), "Die.DieLocationBuilderList") << name;
  }
  OwnerRecorder& parent = RecordParent();
  owner->SetProperty(locations_, "List", Property::MakeSubobject(nullptr, "Die.DieLocationBuilderList").get());
  Property::List list;
  list.SetValue("List", Property::MakeSubobject(nullptr, "Die.DieLocationBuilderList").release());
  owner->SetProperties(locations_, list);
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"SetProperty List", "SetProperties"}));
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(SubBuilderOwners, AWriteOfAnotherTypeIsRefusedBeforeAnythingIsRecorded) {
  // Another type than the row's is refused before anything is called.
  EXPECT_EQ(RaisedCode([&] { OwnerOf(kPlane)->SetProperty(plane_, "SpecifyPlane", Property::MakeDouble(1).get()); }),
            Property::kWrongValueType);
  EXPECT_EQ(RaisedCode([&] {
              OwnerOf(kPlane)->SetProperty(plane_, "CoordinateSystemOrigin", Property::MakeTag(1).get());
            }),
            Property::kWrongValueType);
  EXPECT_TRUE(JAM::Recorded().empty());
}

}  // namespace

namespace {

class SubBuilders : public HostTest {};

template <class Builder>
Builder* HostMade() {
  return static_cast<Builder*>(
      OM::ObjectFactory::CreateObject(Builder::ThisClassId, OM::OM_memory_type_persistent, nullptr));
}

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

template <class Builder>
void ExpectCoordinateSystemAtRest(const Builder* builder) {
  double origin[3] = {9, 9, 9};
  double matrix[9] = {};
  builder->GetCoordinateSystemOrigin(origin);
  builder->GetCoordinateSystemMatrix(matrix);
  for (double v : origin) EXPECT_EQ(v, 0.0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(matrix[i], kIdentity[i]) << i;
}

TEST_F(SubBuilders, RegistrationsMatchTheClassTable) {
  ExpectRegistration(DieDesJA::DieLocationBuilderClassId, "KTX::DieDesJA::DieLocationBuilder", "KTX::JAX_BUILDER",
                     10,
                     {{0, "m_inputType", 3, 0x1},
                      {1, "m_location", 4, 0x804001, "KTX::SELECT_OBJECT"},
                      {2, "m_point", 9, 0xC04001},
                      {3, "m_vector", 9, 0xC04001},
                      {4, "m_plane", 9, 0xC04001},
                      {5, "m_coordinateSystemOrigin", 0x30006, 0x1},
                      {7, "m_allowOptions", 0x50000, 0x1},
                      {8, "m_applIsOverallRequired", 0, 0x1, nullptr, 0, true},
                      {9, "m_applScopeLocation", 3, 0x1}});
  ExpectRegistration(DieDesJA::DieLocationsBuilderClassId, "KTX::DieDesJA::DieLocationsBuilder",
                     "KTX::JAX_BASE_BUILDER", 5,
                     {{0, "m_list", 4, 0x804001, "KTX::UICOMPJA_list"},
                      {1, "m_allowOptions", 0x50000, 0x1},
                      {2, "m_applIsOverallRequired", 0, 0x1, nullptr, 0, true},
                      {4, "m_allowMultiple", 0, 0x1}});
  ExpectRegistration(DieDes::DieBooleanBuilderClassId, "KTX::DieDes::DieBooleanBuilder", "KTX::JAX_BUILDER", 4,
                     {{0, "m_booleanOptions", 3, 0x1},
                      {1, "m_selectBodies", 4, 0x4001, "KTX::SELECT_OBJECT_list"},
                      {2, "m_applIsOverallRequired", 0, 0x1, nullptr, 0, true},
                      {3, "m_applScope", 3, 0x1}});
  ExpectRegistration(DieDes::DieDirectionBuilderClassId, "KTX::DieDes::DieDirectionBuilder", "KTX::JAX_BUILDER", 9,
                     {{1, "m_direction", 4, 0x804001, "KTX::SELECT_OBJECT"},
                      {2, "m_vector", 9, 0x804001},
                      {3, "m_reverseSourceDirection", 0, 0x1},
                      {5, "m_coordinateSystemMatrix", 0x90006, 0x1},
                      {6, "m_allowOptions", 0x50000, 0x1},
                      {7, "m_applIsOverallRequired", 0, 0x1, nullptr, 0, true},
                      {8, "m_applScopeDirection", 3, 0x1}});
  ExpectRegistration(DieDes::DieShoeBuilderClassId, "KTX::DieDes::DieShoeBuilder", "KTX::JAX_FEAT_BUILDER", 31,
                     {{0, "m_baseOrientation", 4, 0xC04001, "KTX::DieDes::DiePlaneBuilder"},
                      {2, "m_mainDeckSection", 4, 0x4001, "KTX::SC_section"},
                      {6, "m_centerlineSlotCreate", 0, 0x1},
                      {9, "m_centerlineSlotDirection", 4, 0xC04001, "KTX::DieDes::DieDirectionBuilder"},
                      {11, "m_dieBooleansList", 4, 0x4001, "KTX::UICOMPJA_list"},
                      {16, "m_baseAttributes", 4, 0xC04001, "KTX::DieDes::DieAttributesBuilder"},
                      {18, "m_angleTolerance", 6, 0x1},
                      {19, "m_tagSolvaneMap", 4, 0x404001, "KTX::OM_tag_int_map"},
                      {20, "m_warningNumbers", 0xFFFF0003, 0x201},
                      {21, "m_baseFlangeTag", 9, 0x800001},
                      {22, "m_mainDeckLoopTags", 0xFFFF0009, 0x800201},
                      {23, "m_deckCutoutsLoopTags", 0xFFFF0009, 0x800201},
                      {24, "m_solvaneBaseFlange", 0x11, 0x1},
                      {29, "m_solvaneDeckCutoutIntersections", 0xFFFF0011, 0x201},
                      {30, "m_solvaneSlot", 0x11, 0x1}});
}

TEST_F(SubBuilders, HostMadeObjectsStartRequiredWithoutAnyOfTheirCode) {
  EXPECT_EQ(DieLocationBuilder::CreateDieLocationBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieLocationsBuilder::CreateDieLocationsBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieBooleanBuilder::CreateDieBooleanBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieDirectionBuilder::CreateDieDirectionBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieShoeBuilder::CreateDieShoeBuilderCallback(nullptr, 1, nullptr), nullptr);

  auto* location = HostMade<DieLocationBuilder>();
  auto* locations = HostMade<DieLocationsBuilder>();
  auto* boolean = HostMade<DieBooleanBuilder>();
  auto* direction = HostMade<DieDirectionBuilder>();
  EXPECT_TRUE(location->GetApplIsOverallRequired());
  EXPECT_TRUE(locations->GetApplIsOverallRequired());
  EXPECT_TRUE(boolean->GetApplIsOverallRequired());
  EXPECT_TRUE(direction->GetApplIsOverallRequired());
  EXPECT_EQ(location->GetApplScopeLocation(), 0);
  EXPECT_FALSE(direction->GetAllowOptionsItem(0));
  location->destroy();
  locations->destroy();
  boolean->destroy();
  direction->destroy();
}

TEST_F(SubBuilders, LocationsStartAtTheFirstAllowedType) {
  DieLocationBuilder* all = DieDesJA::DieLocationBuilderFactory::Create(part());
  EXPECT_EQ(all->ask_owning_part(), part());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(all->GetAllowOptionsItem(i)) << i;
  EXPECT_TRUE(all->GetApplIsOverallRequired());
  EXPECT_EQ(all->GetApplScopeLocation(), 1);
  EXPECT_EQ(all->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
  EXPECT_NE(all->GetLocation(), nullptr);
  EXPECT_EQ(all->GetPoint(), 0u);
  EXPECT_EQ(all->GetVector(), 0u);
  EXPECT_EQ(all->GetPlane(), 0u);
  ExpectCoordinateSystemAtRest(all);
  ExpectJournalName(all, "Die.DieLocationBuilder");
  EXPECT_EQ(all->commit(), 0);

  DieLocationBuilder* csys =
      DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, true, false, true, false);
  EXPECT_EQ(csys->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
  EXPECT_FALSE(csys->GetApplIsOverallRequired());
  EXPECT_FALSE(csys->GetAllowOptionsItem(0));
  EXPECT_TRUE(csys->GetAllowOptionsItem(4));
  ExpectCoordinateSystemAtRest(csys);

  DieLocationBuilder* plane =
      DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, false, false, true, true);
  EXPECT_EQ(plane->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPlane);

  DieLocationBuilder* none =
      DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, false, false, false, true);
  EXPECT_EQ(none->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
  EXPECT_EQ(none->GetApplScopeLocation(), 1);

  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, false, true, false, true, false, true);
  EXPECT_EQ(list->ask_owning_part(), part());
  EXPECT_TRUE(list->GetAllowOptionsItem(0));
  EXPECT_FALSE(list->GetAllowOptionsItem(1));
  EXPECT_TRUE(list->GetAllowOptionsItem(4));
  EXPECT_FALSE(list->GetApplIsOverallRequired());
  EXPECT_EQ(list->GetApplScopeLocation(), 1);
  EXPECT_TRUE(list->GetAllowMultiple());
  EXPECT_NE(list->GetList(), nullptr);
  EXPECT_EQ(RaisedCode([&] { list->GetAllowOptionsItem(5); }), Error::kIndexOutOfRange);
  ExpectJournalName(list, "Die.DieLocationsBuilder");

  for (JAX_BASE_BUILDER* b : std::initializer_list<JAX_BASE_BUILDER*>{all, csys, plane, none, list}) b->destroy();
}

TEST_F(SubBuilders, DirectionsPreferAVectorToACoordinateSystem) {
  DieDirectionBuilder* vector =
      DieDes::DieDirectionBuilderFactory::Create(part(), false, true, true, false, true, false);
  EXPECT_EQ(vector->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  EXPECT_FALSE(vector->GetApplIsOverallRequired());
  EXPECT_EQ(vector->GetApplScopeDirection(), 1);
  EXPECT_TRUE(vector->GetAllowOptionsItem(4));
  EXPECT_FALSE(vector->GetAllowOptionsItem(3));
  EXPECT_FALSE(vector->GetReverseSourceDirection());
  EXPECT_NE(vector->GetDirection(), nullptr);
  ExpectCoordinateSystemAtRest(vector);
  ExpectJournalName(vector, "Die.DieDirectionBuilder");
  EXPECT_EQ(vector->commit(), 0);

  DieDirectionBuilder* csys = DieDes::DieDirectionBuilderFactory::Create(part(), false, true, false, true, true, true);
  EXPECT_EQ(csys->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_CoordinateSystem);
  DieDirectionBuilder* selection = DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  EXPECT_EQ(selection->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Selection);
  DieDirectionBuilder* none = DieDes::DieDirectionBuilderFactory::Create(part(), false, false, false, true, true, true);
  EXPECT_EQ(none->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Selection);

  vector->destroy();
  csys->destroy();
  selection->destroy();
  none->destroy();
}

TEST_F(SubBuilders, BooleanAndDieShoeStartEmpty) {
  DieBooleanBuilder* boolean = DieDes::DieBooleanBuilderFactory::Create(part());
  EXPECT_EQ(boolean->ask_owning_part(), part());
  EXPECT_EQ(boolean->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite);
  EXPECT_TRUE(boolean->GetApplIsOverallRequired());
  EXPECT_EQ(boolean->GetApplScope(), 0);
  ASSERT_NE(boolean->GetSelectBodies(), nullptr);
  EXPECT_EQ(boolean->GetSelectBodies()->ask_count(), 0);
  ExpectJournalName(boolean, "Die.DieBooleanBuilder");
  EXPECT_EQ(boolean->commit(), 0);

  DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(shoe->ask_owning_part(), part());
  EXPECT_EQ(shoe->get_frec(), nullptr);
  EXPECT_FALSE(shoe->GetCenterlineSlotCreate());
  // Its sections and map are made, the deck sections with ordered loops, and
  // its list owns the boolean items.
  ASSERT_NE(shoe->GetBaseFlangeSectionPtr(), nullptr);
  EXPECT_FALSE(shoe->GetBaseFlangeSectionPtr()->ask_loops_ordered());
  EXPECT_TRUE(shoe->GetMainDeckSectionPtr()->ask_loops_ordered());
  EXPECT_TRUE(shoe->GetDeckCutoutsSectionPtr()->ask_loops_ordered());
  EXPECT_FALSE(shoe->GetMainDeckSectionPtr()->ask_in_context());
  EXPECT_EQ(shoe->GetBaseOrientation()->GetApplScopePlane(), 3);
  EXPECT_EQ(shoe->GetOffsetValue(), 250.0);
  EXPECT_NE(shoe->GetTagSolvaneMap(), nullptr);
  EXPECT_TRUE(shoe->GetDieBooleansList()->ask_owns_items());
  EXPECT_EQ(shoe->GetWarningNumbersLength(), 0);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 0);
  EXPECT_EQ(shoe->GetNumberDeckCutoutLoopTags(), 0);
  EXPECT_EQ(shoe->GetNumberSolvaneMainDecks(), 0);
  EXPECT_EQ(shoe->GetNumberSolvaneDeckCutoutIntersections(), 0);
  ExpectJournalName(shoe, "Die.DieShoeBuilder");

  boolean->destroy();
  shoe->destroy();
}

TEST_F(SubBuilders, PlainWritesLogOnceAndReferencesGoThroughTheHost) {
  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::Create(part());
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  DieBooleanBuilder* boolean = DieDes::DieBooleanBuilderFactory::Create(part());
  DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);

  auto loggedOnce = [](auto&& write) {
    Host::ClearCalls();
    write();
    return Host::CountCalls("OM__log");
  };
  EXPECT_EQ(loggedOnce([&] { location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewVector); }),
            1u);
  EXPECT_EQ(loggedOnce([&] { location->SetApplScopeLocation(3); }), 1u);
  EXPECT_EQ(loggedOnce([&] { direction->SetReverseSourceDirection(true); }), 1u);
  EXPECT_EQ(loggedOnce([&] { direction->SetAllowOptionsItem(4, false); }), 1u);
  EXPECT_EQ(loggedOnce([&] { boolean->SetBooleanOptions(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect); }),
            1u);
  EXPECT_EQ(loggedOnce([&] { boolean->SetApplIsOverallRequired(false); }), 1u);
  EXPECT_EQ(loggedOnce([&] { shoe->SetCenterlineSlotCreate(true); }), 1u);
  EXPECT_EQ(loggedOnce([&] { shoe->SetDistanceTolerance(0.01); }), 1u);
  EXPECT_EQ(location->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewVector);
  EXPECT_EQ(location->GetApplScopeLocation(), 3);
  EXPECT_TRUE(direction->GetReverseSourceDirection());
  EXPECT_FALSE(direction->GetAllowOptionsItem(4));
  EXPECT_EQ(boolean->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect);
  EXPECT_FALSE(boolean->GetApplIsOverallRequired());
  EXPECT_TRUE(shoe->GetCenterlineSlotCreate());
  EXPECT_EQ(shoe->GetDistanceTolerance(), 0.01);

  // An object that need not be logged is written without a log call.
  shoe->OmSetState(OM::Object::kStateNoLog);
  EXPECT_EQ(loggedOnce([&] { shoe->SetAngleTolerance(0.5); }), 0u);
  EXPECT_EQ(shoe->GetAngleTolerance(), 0.5);

  // Tags and object references are stored by the host through the attribute ids.
  Host::ClearCalls();
  location->SetPoint(4001);
  location->SetVector(4002);
  location->SetPlane(4003);
  direction->SetVector(4004);
  EXPECT_EQ(Host::CountCalls("SetReferencedObject"), 4u);
  EXPECT_EQ(location->GetPoint(), 4001u);
  EXPECT_EQ(location->GetVector(), 4002u);
  EXPECT_EQ(location->GetPlane(), 4003u);
  EXPECT_EQ(direction->GetVector(), 4004u);

  auto* depth = Host::CreateHostObject<EXP_expression>();
  auto* section = Host::CreateHostObject<SC_section>();
  auto* map = Host::CreateHostObject<OM_tag_int_map>();
  Host::ClearCalls();
  shoe->SetCenterlineSlotDepth(depth);
  shoe->SetDeckCutoutsSectionPtr(section);
  shoe->SetTagSolvaneMap(map);
  EXPECT_EQ(Host::CountCalls("SetReferencedObject"), 3u);
  EXPECT_EQ(shoe->GetCenterlineSlotDepth(), depth);
  EXPECT_EQ(shoe->GetDeckCutoutsSectionPtr(), section);
  EXPECT_EQ(shoe->GetDeckCutoutsSection(), section->ask_tag());
  EXPECT_EQ(shoe->GetTagSolvaneMap(), map);

  // Option indexes outside 0 to 4 are refused before anything is written.
  Host::ClearCalls();
  EXPECT_EQ(RaisedCode([&] { location->SetAllowOptionsItem(5, false); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { direction->SetAllowOptionsItem(-1, false); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { direction->GetAllowOptionsItem(5); }), Error::kIndexOutOfRange);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  EXPECT_TRUE(location->GetAllowOptionsItem(4));

  location->destroy();
  direction->destroy();
  boolean->destroy();
  shoe->destroy();
  // The depth took the place of the shoe's own and goes with the shoe; the
  // section and map, let go of, are the test's.
  section->destroy();
  map->destroy();
}

TEST_F(SubBuilders, UndoRestoresFieldsAndArrays) {
  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::Create(part());
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), false, true, true, true, true, true);
  DieBooleanBuilder* boolean = DieDes::DieBooleanBuilderFactory::Create(part());
  DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  shoe->SetMainDeckLoopTag(0, 501);
  const tag_t initialVector = direction->GetVector();

  int error = -1;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  const double moved[3] = {5, 6, 7};
  location->SetCoordinateSystemOrigin(moved);
  location->SetPoint(4001);
  location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  direction->SetVector(4004);
  direction->SetReverseSourceDirection(true);
  direction->SetInputType(DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Selection);
  boolean->SetBooleanOptions(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract);
  shoe->SetMainDeckLoopTag(0, 511);
  shoe->SetMainDeckLoopTag(1, 512);
  shoe->SetWarningNumber(670443);
  shoe->SetCenterlineSlotCreate(true);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  ExpectCoordinateSystemAtRest(location);
  EXPECT_EQ(location->GetPoint(), 0u);
  EXPECT_EQ(location->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
  EXPECT_EQ(direction->GetVector(), initialVector);
  EXPECT_FALSE(direction->GetReverseSourceDirection());
  EXPECT_EQ(direction->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  EXPECT_EQ(boolean->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite);
  ASSERT_EQ(shoe->GetNumberMainDeckLoopTags(), 1);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(0), 501u);
  EXPECT_EQ(shoe->GetWarningNumbersLength(), 0);
  EXPECT_FALSE(shoe->GetCenterlineSlotCreate());

  // An array written under one mark is logged again under the next.
  mark = UNDO_QD_set_mark(1, nullptr, &error);
  shoe->SetMainDeckLoopTag(0, 521);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  mark = UNDO_QD_set_mark(1, nullptr, &error);
  shoe->SetMainDeckLoopTag(0, 531);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(0), 521u);

  location->destroy();
  direction->destroy();
  boolean->destroy();
  shoe->destroy();
}

}  // namespace
