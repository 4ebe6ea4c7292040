// The die-location, die-locations, die-direction and die-boolean sub-builders
// and the die shoe as the host sees them: their registrations, a new object's
// fields, the field writes with their undo logging, the die shoe's arrays, and
// undo.
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "om/HostClass.hpp"

using namespace KTX;
using DieDes::DieBooleanBuilder;
using DieDes::DieDirectionBuilder;
using DieDes::DieShoeBuilder;
using DieDesJA::DieLocationBuilder;
using DieDesJA::DieLocationsBuilder;
using stamvik_test::ExpectJournalName;
using stamvik_test::ExpectRegistration;
using stamvik_test::HostTest;

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
