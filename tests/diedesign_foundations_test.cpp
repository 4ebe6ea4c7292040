// The die-design foundations: the body builders' shared commit, the model
// update under a mark and the reaction to the target; the plane, direction
// and location sub-builders; the parameter entities and die attributes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDesJA_ParameterEntities.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "TestSupport.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using DieDes::DieDirectionBuilder;
using DieDes::DiePlaneBuilder;
using DieDesJA::DieLocationBuilder;
using DieDesJA::DieLocationsBuilder;
using DieDesJA::GenericBodyBuilder;

namespace {

// ---- a body builder of the tests' own ----------------------------------------------------
//
// The commit protocol belongs to the shared base; a small class of the tests
// drives it with answers the tests script.

class ProbeBodyBuilder : public GenericBodyBuilder {
 public:
  static constexpr const char* OmClassName = "stamvik_test::ProbeBodyBuilder";
  static int ThisClassId;
  static OM::AttributeId m_targetAttId;
  static OM::AttributeId m_targetDataAttId;
  static OM::AttributeId m_planeAttId;
  static OM::AttributeId m_thicknessAttId;
  static OM::AttributeId m_sectionAttId;

  static OM::Object* Create(void* memory, int classId, void* context) {
    return memory == nullptr ? nullptr : new (memory) ProbeBodyBuilder(classId, context);
  }
  static std::uint64_t Size(void*) { return sizeof(ProbeBodyBuilder); }
  static ProbeBodyBuilder* Make(CM_part* part, FEATURE_RECORD* frec) {
    auto* probe = static_cast<ProbeBodyBuilder*>(
        OM::ObjectFactory::CreateObject(ThisClassId, OM::OM_memory_type_persistent, nullptr));
    probe->init_object(part, frec);
    PART_part* owner = probe->ask_owning_part();
    SELECT_OBJECT* target = SELECT_OBJECTFactory::Create(owner);
    OM::OM_set_pointer(probe, m_targetAttId, target);
    target->SetParentHasObservers(true);
    OM::OM_set_pointer(probe, m_targetDataAttId, DieDes::ClampingSlotTargetFactory::Create(owner));
    OM::OM_set_pointer(probe, m_planeAttId,
                       DieDes::DiePlaneBuilderFactory::Create(owner, true, true, true, true, true));
    EXP_expression* thickness = nullptr;
    EXP_create_sys_exp_with_units_all_errors("5", UNIT_ask_default_unit_obj_for_measure(0), &thickness);
    OM::OM_set_pointer(probe, m_thicknessAttId, thickness);
    return probe;
  }

  int commit_feature(FEATURE_RECORD** frec) override {
    Host::Log("probe::prepare");
    if (withUpdate) DoUpdate();
    return CommitWithProtocol(frec, nullptr, &NewParms, m_target, true);
  }
  int ConvertBuilderDataToFrec(FEATURE_RECORD*) override {
    Host::Log("probe::ConvertBuilderDataToFrec");
    return static_cast<int>(Host::Answer("probe.ConvertBuilderDataToFrec", 0));
  }
  void Notify(OM::Object* changed) override {
    Host::Log("probe::Notify");
    ReactToTargetChange(changed, m_target, m_targetData, m_plane, withThickness ? m_thickness : nullptr, "probe");
  }

  static DIEDES_GENERIC_BODY_PARMS* NewParms() { return DIEDES_GENERIC_BODY_PARMSFactory::Create(2); }

  using GenericBodyBuilder::DoUpdate;
  using GenericBodyBuilder::PopulateExtractionTable;
  SELECT_OBJECT* target() const { return m_target; }
  DieDes::ClampingSlotTarget* targetData() const { return m_targetData; }
  DiePlaneBuilder* plane() const { return m_plane; }
  EXP_expression* thickness() const { return m_thickness; }
  SC_section* section() const { return m_section; }
  bool withThickness = false;  // not persistent: the tests' switches
  bool withUpdate = false;

 protected:
  ProbeBodyBuilder(int classId, void* context) : GenericBodyBuilder(classId, context) {}

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS*) override {
    Host::Log("probe::ToParms");
    if (long long raised = Host::Answer("probe.ToParms.raise", 0); raised != 0)
      ERROR_raise("probe", __LINE__, static_cast<int>(raised), "probe parameters refused");
    return static_cast<int>(Host::Answer("probe.ToParms", 0));
  }
  void GetSelectedObjects(int* count, tag_t** tags) const override {
    Host::Log("probe::GetSelectedObjects");
    *count = 0;
    *tags = nullptr;
    if (m_target->has_selection()) {
      *tags = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
      (*tags)[0] = m_target->ask_selected_tag();
      *count = 1;
    }
  }

 public:
  SELECT_OBJECT* m_target;
  DieDes::ClampingSlotTarget* m_targetData;
  DiePlaneBuilder* m_plane;
  EXP_expression* m_thickness;
  SC_section* m_section;
};

// A body builder that overrides none of the base's abstract operations.
class BareBodyBuilder : public GenericBodyBuilder {
 public:
  static constexpr const char* OmClassName = "stamvik_test::BareBodyBuilder";
  static int ThisClassId;
  static OM::AttributeId m_markAttId;
  static OM::Object* Create(void* memory, int classId, void* context) {
    return memory == nullptr ? nullptr : new (memory) BareBodyBuilder(classId, context);
  }
  static std::uint64_t Size(void*) { return sizeof(BareBodyBuilder); }
  using GenericBodyBuilder::PopulateExtractionTable;

 protected:
  BareBodyBuilder(int classId, void* context) : GenericBodyBuilder(classId, context) {}

 public:
  int m_mark;
};

int ProbeBodyBuilder::ThisClassId = 0;
OM::AttributeId ProbeBodyBuilder::m_targetAttId;
OM::AttributeId ProbeBodyBuilder::m_targetDataAttId;
OM::AttributeId ProbeBodyBuilder::m_planeAttId;
OM::AttributeId ProbeBodyBuilder::m_thicknessAttId;
OM::AttributeId ProbeBodyBuilder::m_sectionAttId;
int BareBodyBuilder::ThisClassId = 0;
OM::AttributeId BareBodyBuilder::m_markAttId;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const OM::ClassAttributeStruct kProbeTable[] = {
    Frame::Row<Frame::Ref<SELECT_OBJECT>>(&ProbeBodyBuilder::ThisClassId, &ProbeBodyBuilder::m_targetAttId,
                                          "m_target", 0, offsetof(ProbeBodyBuilder, m_target), 0x804001),
    Frame::Row<Frame::Ref<DieDes::ClampingSlotTarget>>(&ProbeBodyBuilder::ThisClassId,
                                                       &ProbeBodyBuilder::m_targetDataAttId, "m_targetData", 1,
                                                       offsetof(ProbeBodyBuilder, m_targetData), 0xC04001),
    Frame::Row<Frame::Ref<DiePlaneBuilder>>(&ProbeBodyBuilder::ThisClassId, &ProbeBodyBuilder::m_planeAttId,
                                            "m_plane", 2, offsetof(ProbeBodyBuilder, m_plane), 0x804001),
    Frame::Row<Frame::Ref<EXP_expression>>(&ProbeBodyBuilder::ThisClassId, &ProbeBodyBuilder::m_thicknessAttId,
                                           "m_thickness", 3, offsetof(ProbeBodyBuilder, m_thickness), 0x4001),
    Frame::Row<Frame::Ref<SC_section>>(&ProbeBodyBuilder::ThisClassId, &ProbeBodyBuilder::m_sectionAttId,
                                       "m_section", 4, offsetof(ProbeBodyBuilder, m_section), 0x804001),
};
const OM::ClassAttributeStruct kBareTable[] = {
    Frame::Row<Frame::Integer>(&BareBodyBuilder::ThisClassId, &BareBodyBuilder::m_markAttId, "m_mark", 0,
                               offsetof(BareBodyBuilder, m_mark), 0x1),
};
#pragma GCC diagnostic pop

// Registered once when the suite loads, before any test counts the host's objects.
const bool kProbesRegistered = [] {
  new OM::ClassRegistrant(ProbeBodyBuilder::OmClassName, 0, nullptr, &ProbeBodyBuilder::ThisClassId,
                          0x80000000u + 5, 0x1000, 5, kProbeTable, "KTX::DieDesJA::GenericBodyBuilder",
                          ProbeBodyBuilder::OmClassName, 0, nullptr, 0, &ProbeBodyBuilder::Create,
                          &ProbeBodyBuilder::Size, nullptr, nullptr);
  new OM::ClassRegistrant(BareBodyBuilder::OmClassName, 0, nullptr, &BareBodyBuilder::ThisClassId,
                          0x80000000u + 1, 0x1000, 1, kBareTable, "KTX::DieDesJA::GenericBodyBuilder",
                          BareBodyBuilder::OmClassName, 0, nullptr, 0, &BareBodyBuilder::Create,
                          &BareBodyBuilder::Size, nullptr, nullptr);
  return true;
}();

// ---- helpers -------------------------------------------------------------------------------

template <class T>
T Read(const void* bytes, std::size_t at) {
  T value;
  std::memcpy(&value, static_cast<const char*>(bytes) + at, sizeof value);
  return value;
}

std::vector<double> Direction(tag_t entity) {
  auto* e = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(entity));
  if (e == nullptr) return {};
  double d[3];
  e->ask_direction(d);
  return {d[0], d[1], d[2]};
}

class DieDesignFoundations : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(kProbesRegistered);
  }
  void TearDown() override {
    DIEDES_UTILS_free_extraction_table();
    Host::ClearUpdateLogs();
    // The test's own bodies: taken from their model bodies and deleted.
    for (auto [model, body] : modelBodies_) {
      Kernel::DetachModelBody(model);
      Kernel::DeleteBody(body, "test");
    }
    HostTest::TearDown();
  }

  // A model solid holding a new kernel body, in the work part.
  tag_t NewSolid(int* kernelBody = nullptr) {
    int body = Kernel::CreateBody(Kernel::BodyType::Solid);
    if (kernelBody != nullptr) *kernelBody = body;
    tag_t model = ES_create_solid(body);
    modelBodies_.push_back({model, body});
    return model;
  }

  std::vector<std::string> Steps(const std::vector<std::string>& names) const { return Host::CallNames(names); }

 private:
  std::vector<std::pair<tag_t, int>> modelBodies_;
};

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// ---- allowed options and starting types --------------------------------------------------

TEST_F(DieDesignFoundations, PlaneStartsAtItsFirstAllowedType) {
  DiePlaneBuilder* csys = DieDes::DiePlaneBuilderFactory::Create(part(), false, false, true, false, true);
  EXPECT_EQ(csys->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  DiePlaneBuilder* onlyThird = DieDes::DiePlaneBuilderFactory::Create(part(), false, false, false, true, true);
  EXPECT_EQ(onlyThird->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Selection);
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), false, true, true, true, true);
  EXPECT_EQ(plane->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);

  // What a new plane holds: a selection of its own, the absolute frame, scope 1.
  ASSERT_NE(plane->GetSelectPlane(), nullptr);
  EXPECT_FALSE(plane->GetSelectPlane()->has_selection());
  double origin[3] = {9, 9, 9};
  double matrix[9] = {};
  plane->GetCoordinateSystemOrigin(origin);
  plane->GetCoordinateSystemMatrix(matrix);
  EXPECT_EQ(std::vector<double>(origin, origin + 3), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(std::vector<double>(matrix, matrix + 9), std::vector<double>(kIdentity, kIdentity + 9));
  EXPECT_EQ(plane->GetApplScopePlane(), 1);
  EXPECT_EQ(plane->GetSpecifyPlane(), 0u);

  for (DiePlaneBuilder* b : {csys, onlyThird, plane}) b->destroy();
}

TEST_F(DieDesignFoundations, DirectionPrefersAVectorAndStartsWithAnUpwardEntity) {
  DieDirectionBuilder* vector = DieDes::DieDirectionBuilderFactory::Create(part(), false, true, true, false, true, true);
  EXPECT_EQ(vector->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  DieDirectionBuilder* csys = DieDes::DieDirectionBuilderFactory::Create(part(), false, true, false, true, true, true);
  EXPECT_EQ(csys->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_CoordinateSystem);

  // A new builder holds a +Z direction entity, so the vector type validates at once.
  ASSERT_TRUE(DIRR_is_dirr(vector->GetVector()));
  EXPECT_EQ(Direction(vector->GetVector()), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(vector->validate_nothrow(), 0);
  ASSERT_NE(vector->GetDirection(), nullptr);

  vector->destroy();
  csys->destroy();
}

TEST_F(DieDesignFoundations, AnOptionPastTheLastRaisesAndChangesNothing) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, false, true, false, true);
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, false, true, false, true, true);
  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), true, false, true, false,
                                                                                 true, true);
  Host::ClearCalls();
  EXPECT_EQ(RaisedCode([&] { plane->SetAllowOptionsItem(4, true); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { plane->SetAllowOptionsItem(-1, true); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { direction->SetAllowOptionsItem(5, true); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { location->SetAllowOptionsItem(5, true); }), Error::kIndexOutOfRange);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u) << "nothing is written before the index is checked";

  const bool planeExpected[4] = {true, false, true, false};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(plane->GetAllowOptionsItem(i), planeExpected[i]) << i;
  const bool fiveExpected[5] = {true, false, true, false, true};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(direction->GetAllowOptionsItem(i), fiveExpected[i]) << i;
    EXPECT_EQ(location->GetAllowOptionsItem(i), fiveExpected[i]) << i;
  }
  plane->destroy();
  direction->destroy();
  location->destroy();
}

TEST_F(DieDesignFoundations, DestroyingAPlaneOrDirectionLogsItsSelectionAndEntityForDeletion) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  const tag_t selection = plane->GetSelectPlane()->ask_tag();
  const tag_t entity = ES_create_plane(std::vector<double>{0, 0, 0}.data(), kIdentity);
  plane->SetSpecifyPlane(entity);
  Host::ClearUpdateLogs();
  plane->destroy();
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{selection, entity}));

  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  const tag_t directionSelection = direction->GetDirection()->ask_tag();
  const tag_t vector = direction->GetVector();
  Host::ClearUpdateLogs();
  direction->destroy();
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{directionSelection, vector}));

  // An entity deleted before the builder leaves only its tag to clear.
  DiePlaneBuilder* orphan = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  const tag_t orphanSelection = orphan->GetSelectPlane()->ask_tag();
  const tag_t gone = ES_create_plane(std::vector<double>{0, 0, 5}.data(), kIdentity);
  orphan->SetSpecifyPlane(gone);
  OM_delete_object(OM::OM_object_of_tag(gone));
  Host::ClearUpdateLogs();
  orphan->destroy();
  EXPECT_EQ(Host::LoggedForDeletion(), std::vector<tag_t>{orphanSelection});
}

// ---- validation -------------------------------------------------------------------------

TEST_F(DieDesignFoundations, PlaneAndDirectionValidateByType) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  EXPECT_EQ(plane->validate_nothrow(), 1);
  plane->GetSelectPlane()->set_selected_tag(ES_create_plane(std::vector<double>{0, 0, 0}.data(), kIdentity));
  EXPECT_EQ(plane->validate_nothrow(), 0);
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  EXPECT_EQ(plane->validate_nothrow(), 2);
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  EXPECT_EQ(plane->validate_nothrow(), 0);

  DiePlaneBuilder* optional = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, false);
  EXPECT_EQ(optional->validate_nothrow(), 0) << "a plane that is not required needs no selection";

  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  EXPECT_EQ(direction->validate_nothrow(), 1);
  direction->SetInputType(DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  direction->SetVector(0);
  EXPECT_EQ(direction->validate_nothrow(), 2);
  direction->SetApplIsOverallRequired(false);
  EXPECT_EQ(direction->validate_nothrow(), 0);

  plane->destroy();
  optional->destroy();
  direction->destroy();
}

TEST_F(DieDesignFoundations, LocationValidationNumbersInTheirOrder) {
  DieLocationBuilder* item = DieDesJA::DieLocationBuilderFactory::Create(part());
  EXPECT_EQ(item->validate_nothrow(), 3030432);
  item->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  EXPECT_EQ(item->validate_nothrow(), 674317);
  item->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
  EXPECT_EQ(item->validate_nothrow(), 0);
  item->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewVector);
  EXPECT_EQ(item->validate_nothrow(), 674316);
  item->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPlane);
  EXPECT_EQ(item->validate_nothrow(), 3030436);

  // Not required: valid whatever is missing; the clamping slot's record still refuses it.
  item->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  item->SetApplIsOverallRequired(false);
  EXPECT_EQ(item->validate_nothrow(), 0);
  std::vector<unsigned char> node(312, 0xAB);
  EXPECT_EQ(item->ToParms2(node.data()), 674317);
  EXPECT_EQ(node[184], 0xAB) << "a refused record writes nothing";
  item->SetInputType(static_cast<DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType>(7));
  EXPECT_EQ(item->ToParms2(node.data()), 670156);
  item->destroy();
}

TEST_F(DieDesignFoundations, ListValidationGivesOneNumberForAnyInvalidItem) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
  EXPECT_EQ(list->validate_nothrow(), 0) << "an empty list is valid";

  auto* item = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, true, false, false, false, true);
  ASSERT_EQ(item->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  ASSERT_EQ(item->validate_nothrow(), 674317);
  OM::Object* entry = item;
  list->GetList()->append_items(1, &entry);
  EXPECT_EQ(list->validate_nothrow(), 3030432);

  item->SetPoint(ES_create_point(std::vector<double>{1, 2, 3}.data()));
  EXPECT_EQ(list->validate_nothrow(), 0);
  list->destroy();
}

TEST_F(DieDesignFoundations, AddingALocationTwiceMakesOneItem) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, false, true, false, true, true);
  list->SetApplScopeLocation(4);
  const tag_t point = ES_create_point(std::vector<double>{1, 2, 3}.data());
  list->AddUserLocation(0);
  EXPECT_EQ(list->GetList()->size(), 0);
  list->AddUserLocation(point);
  list->AddUserLocation(point);
  ASSERT_EQ(list->GetList()->size(), 1);

  auto* item = dynamic_cast<DieLocationBuilder*>(list->GetList()->ask_item(0));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetLocation()->ask_selected_tag(), point);
  EXPECT_EQ(item->GetApplScopeLocation(), 4);
  EXPECT_TRUE(item->GetAllowOptionsItem(0));
  EXPECT_FALSE(item->GetAllowOptionsItem(2));
  EXPECT_TRUE(item->GetAllowOptionsItem(3));

  // A tag an item holds as its point is not taken again either.
  const tag_t other = ES_create_point(std::vector<double>{4, 5, 6}.data());
  item->SetPoint(other);
  list->AddUserLocation(other);
  EXPECT_EQ(list->GetList()->size(), 1);

  int count = 0;
  tag_t* tags = nullptr;
  list->GetSelectedObjects(&count, &tags);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(tags[0], point);
  EXPECT_EQ(tags[1], other);
  SM_free(tags);
  list->destroy();
}

// ---- presets and output objects -----------------------------------------------------------

TEST_F(DieDesignFoundations, NegativePresetsKeepThePositiveEntityAndSetTheFlag) {
  // A work coordinate system turned so that its Z axis is the absolute X axis.
  const double workOrigin[3] = {1, 2, 3};
  const double workMatrix[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  WCS_set(workOrigin, workMatrix);

  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  const tag_t initial = direction->GetVector();
  direction->SetDirectionToNegZcWork();
  EXPECT_EQ(direction->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  EXPECT_TRUE(direction->GetReverseSourceDirection());
  EXPECT_EQ(direction->GetVector(), initial) << "the existing entity is turned, not replaced";
  EXPECT_EQ(Direction(initial), (std::vector<double>{1, 0, 0}));

  bool created = false;
  int status = -1;
  const tag_t output = direction->GetOutputTag(SO_update_option_t{}, &created, &status);
  EXPECT_TRUE(created);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output, initial);
  EXPECT_EQ(Direction(output), (std::vector<double>{-1, 0, 0}));

  // The positive preset clears the flag, and the existing entity is the output.
  direction->SetDirectionToYAbsolute();
  EXPECT_FALSE(direction->GetReverseSourceDirection());
  EXPECT_EQ(Direction(initial), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(direction->GetOutputTag(SO_update_option_t{}, &created, &status), initial);
  EXPECT_FALSE(created);

  direction->SetDirectionToNegXAbsolute();
  EXPECT_TRUE(direction->GetReverseSourceDirection());
  EXPECT_EQ(Direction(initial), (std::vector<double>{1, 0, 0}));
  double point[3], vector[3];
  EXPECT_TRUE(direction->GetDirectionVector(nullptr, point, vector));
  EXPECT_EQ(std::vector<double>(vector, vector + 3), (std::vector<double>{-1, 0, 0}));
  direction->destroy();
}

TEST_F(DieDesignFoundations, PresetOnAnEntityThatIsNoDirectionMakesANewOne) {
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  const tag_t plane = ES_create_plane(std::vector<double>{0, 0, 0}.data(), kIdentity);
  direction->SetVector(plane);
  direction->SetDirectionToXAbsolute();
  EXPECT_NE(direction->GetVector(), plane);
  EXPECT_TRUE(DIRR_is_dirr(direction->GetVector()));
  EXPECT_EQ(Direction(direction->GetVector()), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(Direction(plane), (std::vector<double>{0, 0, 1})) << "the plane is left as it was";
  direction->destroy();
}

TEST_F(DieDesignFoundations, DirectionDefaultsWhenItCannotBeEvaluated) {
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  double vector[3] = {7, 7, 7};
  EXPECT_FALSE(direction->GetDirectionVector(nullptr, nullptr, vector)) << "nothing is selected";
  EXPECT_EQ(std::vector<double>(vector, vector + 3), (std::vector<double>{0, 0, -1}));
  tag_t tag = 99;
  double point[3] = {7, 7, 7};
  double matrix[9] = {};
  EXPECT_FALSE(direction->GetDirectionMatrix(&tag, point, matrix));
  EXPECT_EQ(tag, 0u);
  EXPECT_EQ(std::vector<double>(matrix, matrix + 9), std::vector<double>(kIdentity, kIdentity + 9));
  bool created = true;
  EXPECT_EQ(direction->GetOutputTag(SO_update_option_t{}, &created, nullptr), 0u);
  EXPECT_FALSE(created);
  direction->destroy();
}

TEST_F(DieDesignFoundations, PlaneOutputIsNewOnlyWhenReversed) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), false, true, true, true, true);
  const double origin[3] = {0, 0, 10};
  const tag_t entity = ES_create_plane(origin, kIdentity);
  plane->SetSpecifyPlane(entity);
  bool created = true;
  int status = -1;
  EXPECT_EQ(plane->GetOutputTag(SO_update_option_t{}, &created, &status), entity);
  EXPECT_FALSE(created);
  EXPECT_EQ(status, 0);

  plane->SetReverseSourceDirection(true);
  const tag_t reversed = plane->GetOutputTag(SO_update_option_t{}, &created, &status);
  EXPECT_NE(reversed, entity);
  EXPECT_TRUE(created);
  EXPECT_EQ(Direction(reversed), (std::vector<double>{0, 0, -1}));

  // A coordinate system has no entity: the output is always new.
  plane->SetReverseSourceDirection(false);
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  const tag_t csysPlane = plane->GetOutputTag(SO_update_option_t{}, &created, &status);
  EXPECT_NE(csysPlane, 0u);
  EXPECT_TRUE(created);

  int count = 0;
  plane->GetSelectedObjects(&count, nullptr);
  EXPECT_EQ(count, 1) << "only the specified plane: nothing is selected";
  plane->destroy();
}

TEST_F(DieDesignFoundations, LocationOutputObjectsAndQueries) {
  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::Create(part());
  location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
  const double origin[3] = {4, 5, 6};
  location->SetCoordinateSystemOrigin(origin);
  int count = -1;
  tag_t* tags = nullptr;
  Math::Point3* points = nullptr;
  EXPECT_TRUE(location->GetLocation(&count, &tags, &points));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(tags[0], 0u);
  EXPECT_EQ(points[0].X, 4);
  EXPECT_EQ(points[0].Z, 6);
  SM_free(tags);
  SM_free(points);

  bool created = false;
  const tag_t csys = location->GetOutputTag(SO_update_option_t{}, &created, nullptr);
  EXPECT_NE(csys, 0u);
  EXPECT_TRUE(created);
  EXPECT_NE(dynamic_cast<ES_csys*>(OM::OM_object_of_tag(csys)), nullptr);

  // A selected object is the output itself.
  const tag_t point = ES_create_point(origin);
  location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
  location->AddUserLocation(point);
  EXPECT_EQ(location->GetOutputTag(SO_update_option_t{}, &created, nullptr), point);
  EXPECT_FALSE(created);

  // Nothing selected: no location, outputs cleared.
  location->GetLocation()->set_selected_tag(0);
  count = 5;
  EXPECT_FALSE(location->GetLocation(&count, &tags, &points));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(tags, nullptr);
  location->destroy();
}

TEST_F(DieDesignFoundations, ListOutputWithoutTagsPutsNewObjectsToSleep) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
  auto* csys = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, true, false, false, true);
  auto* selected = DieDesJA::DieLocationBuilderFactory::Create(part());
  const tag_t point = ES_create_point(std::vector<double>{1, 1, 1}.data());
  selected->AddUserLocation(point);
  OM::Object* items[2] = {csys, selected};
  list->GetList()->append_items(2, items);

  Host::ClearCalls();
  int count = 0;
  EXPECT_EQ(list->GetOutputTags(SO_update_option_t{}, &count, nullptr, nullptr), 0);
  EXPECT_EQ(count, 2) << "objects made on the way are still counted";
  ASSERT_EQ(Host::CountCalls("ES_create_csys"), 1u);
  const std::vector<tag_t> deleted = Host::LoggedForDeletion();
  ASSERT_EQ(deleted.size(), 1u) << "only the new object goes";
  EXPECT_NE(deleted[0], point);
  EXPECT_TRUE(dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(deleted[0]))->ask_sleeping());

  tag_t* tags = nullptr;
  bool* created = nullptr;
  EXPECT_EQ(list->GetOutputTags(SO_update_option_t{}, &count, &tags, &created), 0);
  ASSERT_EQ(count, 2);
  EXPECT_TRUE(created[0]);
  EXPECT_EQ(tags[1], point);
  EXPECT_FALSE(created[1]);
  SM_free(tags);
  SM_free(created);

  Math::Point3* points = nullptr;
  EXPECT_FALSE(list->GetLocation(&count, &tags, &points)) << "a list answers by its count";
  ASSERT_EQ(count, 2);
  EXPECT_EQ(tags[0], 0u);
  EXPECT_EQ(tags[1], point);
  EXPECT_EQ(points[1].X, 1);
  SM_free(tags);
  SM_free(points);
  list->destroy();
}

// ---- records ------------------------------------------------------------------------------

TEST_F(DieDesignFoundations, PlaneRecordByteForByteAndBack) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  const tag_t selected = ES_create_plane(std::vector<double>{0, 0, 0}.data(), kIdentity);
  const tag_t specified = ES_create_plane(std::vector<double>{0, 0, 1}.data(), kIdentity);
  plane->GetSelectPlane()->set_selected_tag(selected);
  plane->SetSpecifyPlane(specified);
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  plane->SetReverseSourceDirection(true);
  const double origin[3] = {1.5, -2.5, 3.25};
  const double matrix[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  plane->SetCoordinateSystemOrigin(origin);
  plane->SetCoordinateSystemMatrix(matrix);

  DieDes::DieDesGenericPlane* parms = DieDes::DieDesGenericPlaneFactory::Create();
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, nullptr);
  EXPECT_EQ(plane->ToParms(parms, frec), 0);
  EXPECT_EQ(parms->AskOwnerTag(), frec->ask_tag());

  int count = 0;
  DieDes::DieDesGenericPlaneRecord* records = nullptr;
  parms->AskRecords(0, &count, &records);
  ASSERT_EQ(count, 1);
  const void* bytes = records;
  EXPECT_EQ(Read<std::int32_t>(bytes, 0), 1);
  EXPECT_EQ(Read<std::uint32_t>(bytes, 4), selected);
  EXPECT_EQ(Read<std::uint32_t>(bytes, 8), plane->GetSelectPlane()->ask_tag());
  EXPECT_EQ(Read<std::uint32_t>(bytes, 12), specified);
  EXPECT_EQ(Read<std::uint8_t>(bytes, 16), 1);
  for (std::size_t i = 17; i < 24; ++i) EXPECT_EQ(Read<std::uint8_t>(bytes, i), 0) << i;
  EXPECT_EQ(Read<double>(bytes, 24), 1.5);
  EXPECT_EQ(Read<double>(bytes, 32), -2.5);
  EXPECT_EQ(Read<double>(bytes, 40), 3.25);
  EXPECT_EQ(Read<double>(bytes, 48 + 8 * 1), 1.0);
  EXPECT_EQ(Read<double>(bytes, 48 + 8 * 3), -1.0);
  EXPECT_EQ(Read<double>(bytes, 48 + 8 * 8), 1.0);
  SM_free(records);

  // Read back into a fresh plane.
  DiePlaneBuilder* back = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  back->FromParms(parms);
  EXPECT_EQ(back->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  EXPECT_EQ(back->GetSelectPlane()->ask_selected_tag(), selected);
  EXPECT_EQ(back->GetSpecifyPlane(), specified);
  EXPECT_TRUE(back->GetReverseSourceDirection());
  double backOrigin[3], backMatrix[9];
  back->GetCoordinateSystemOrigin(backOrigin);
  back->GetCoordinateSystemMatrix(backMatrix);
  EXPECT_EQ(std::vector<double>(backOrigin, backOrigin + 3), std::vector<double>(origin, origin + 3));
  EXPECT_EQ(std::vector<double>(backMatrix, backMatrix + 9), std::vector<double>(matrix, matrix + 9));

  // Nothing selected: both selection tags are 0.
  back->GetSelectPlane()->set_selected_tag(0);
  EXPECT_EQ(back->ToParms(parms, nullptr), 0);
  parms->AskRecords(0, &count, &records);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Read<std::uint32_t>(records, 4), 0u);
  EXPECT_EQ(Read<std::uint32_t>(records, 8), 0u);
  SM_free(records);

  plane->destroy();
  back->destroy();
}

TEST_F(DieDesignFoundations, DirectionRecordByteForByteAndBack) {
  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), true, true, true, true, true, true);
  direction->SetDirectionToNegYAbsolute();
  const tag_t vector = direction->GetVector();
  DieDes::DieDesGenericDirection* parms = DieDes::DieDesGenericDirectionFactory::Create();
  EXPECT_EQ(direction->ToParms(parms, nullptr), 0);
  int count = 0;
  DieDes::DieDesGenericDirectionRecord* records = nullptr;
  parms->AskRecords(0, &count, &records);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Read<std::int32_t>(records, 0), 2);
  EXPECT_EQ(Read<std::uint32_t>(records, 4), 0u);
  EXPECT_EQ(Read<std::uint32_t>(records, 8), 0u);
  EXPECT_EQ(Read<std::uint32_t>(records, 12), vector);
  EXPECT_EQ(Read<std::uint8_t>(records, 16), 1);
  EXPECT_EQ(Read<double>(records, 48), 1.0);
  EXPECT_EQ(Read<double>(records, 48 + 8 * 4), 1.0);
  SM_free(records);

  DieDirectionBuilder* back = DieDes::DieDirectionBuilderFactory::Create(part(), false, true, false, true, true, true);
  back->FromParms(parms);
  EXPECT_EQ(back->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  EXPECT_EQ(back->GetVector(), vector);
  EXPECT_TRUE(back->GetReverseSourceDirection());

  direction->destroy();
  back->destroy();
}

TEST_F(DieDesignFoundations, WrongRecordCountsChangeNothingAndAreFreed) {
  DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), false, false, true, true, true);
  DieDes::DieDesGenericPlane* parms = DieDes::DieDesGenericPlaneFactory::Create();
  DieDes::DieDesGenericPlaneRecord two[2] = {};
  two[0].type = 1;
  two[0].entity = 4321;
  two[1].type = 0;
  DIEDES_ENTITY_CONTEXT context{};
  ASSERT_EQ(parms->StoreRecords(&context, 2, two), 0);
  plane->FromParms(parms);
  EXPECT_EQ(plane->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  EXPECT_EQ(plane->GetSpecifyPlane(), 0u);
  ASSERT_EQ(parms->StoreRecords(&context, 0, nullptr), 0);
  plane->FromParms(parms);
  EXPECT_EQ(plane->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);

  DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(part(), false, true, false, true, true, true);
  const tag_t vector = direction->GetVector();
  DieDes::DieDesGenericDirection* directions = DieDes::DieDesGenericDirectionFactory::Create();
  ASSERT_EQ(directions->StoreRecords(&context, 2, two), 0);
  direction->FromParms(directions);
  EXPECT_EQ(direction->GetVector(), vector);
  EXPECT_EQ(direction->GetInputType(), DieDes::JA_DIE_DIRECTION_BUILDER_direction_type_CoordinateSystem);

  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::Create(part());
  DieDes::DieDesGenericLocation* locations = DieDes::DieDesGenericLocationFactory::Create();
  tag_t selectedTags[1] = {4444};
  DieDes::DieDesGenericLocationRecord pair[2] = {};
  pair[0].type = 1;
  pair[0].selectedCount = 1;
  pair[0].selected = selectedTags;
  pair[0].point = 777;
  ASSERT_EQ(locations->StoreRecords(&context, 2, pair), 0);
  location->FromParms(locations);
  EXPECT_EQ(location->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
  EXPECT_EQ(location->GetPoint(), 0u);
  EXPECT_FALSE(location->GetLocation()->has_selection());

  // No parameters are refused before anything is read.
  EXPECT_EQ(RaisedCode([&] { plane->FromParms(nullptr); }), 670156);
  EXPECT_EQ(RaisedCode([&] { (void)direction->ToParms(nullptr, nullptr); }), 670156);
  EXPECT_EQ(RaisedCode([&] { location->FromParms(nullptr); }), 670156);

  plane->destroy();
  direction->destroy();
  location->destroy();
}

TEST_F(DieDesignFoundations, LocationRecordByteForByteAndBack) {
  DieLocationBuilder* location = DieDesJA::DieLocationBuilderFactory::Create(part());
  const tag_t selected = ES_create_point(std::vector<double>{1, 2, 3}.data());
  location->AddUserLocation(selected);
  location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewVector);
  location->SetPoint(501);
  location->SetVector(502);
  location->SetPlane(503);
  const double origin[3] = {7, 8, 9};
  location->SetCoordinateSystemOrigin(origin);
  // Nine different numbers, so that a row or column read at another's place shows.
  const double matrix[9] = {11, 12, 13, 14, 15, 16, 17, 18, 19};
  location->SetCoordinateSystemMatrix(matrix);

  DieDes::DieDesGenericLocation* parms = DieDes::DieDesGenericLocationFactory::Create();
  EXPECT_EQ(location->ToParms(parms, nullptr), 0);
  int count = 0;
  DieDes::DieDesGenericLocationRecord* records = nullptr;
  parms->AskRecords(0, &count, &records);
  ASSERT_EQ(count, 1);
  const void* bytes = records;
  EXPECT_EQ(Read<std::int32_t>(bytes, 0), 3);
  EXPECT_EQ(Read<std::int32_t>(bytes, 4), 1);
  const auto* tags = Read<const tag_t*>(bytes, 8);
  ASSERT_NE(tags, nullptr);
  EXPECT_EQ(tags[0], selected);
  EXPECT_EQ(Read<std::uint32_t>(bytes, 16), location->GetLocation()->ask_tag());
  EXPECT_EQ(Read<std::uint32_t>(bytes, 20), 501u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Read<double>(bytes, 24 + 8 * i), origin[i]) << "origin " << i;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Read<double>(bytes, 48 + 8 * i), matrix[i]) << "matrix " << i;
  EXPECT_EQ(Read<std::uint32_t>(bytes, 120), 502u);
  EXPECT_EQ(Read<std::uint32_t>(bytes, 124), 503u);
  parms->FreeRecords(count, records);

  DieLocationBuilder* back = DieDesJA::DieLocationBuilderFactory::Create(part());
  back->FromParms(parms);
  EXPECT_EQ(back->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewVector);
  EXPECT_EQ(back->GetLocation()->ask_selected_tag(), selected);
  EXPECT_EQ(back->GetPoint(), 501u);
  EXPECT_EQ(back->GetVector(), 502u);
  EXPECT_EQ(back->GetPlane(), 503u);
  double backOrigin[3], backMatrix[9];
  back->GetCoordinateSystemOrigin(backOrigin);
  back->GetCoordinateSystemMatrix(backMatrix);
  EXPECT_EQ(std::vector<double>(backOrigin, backOrigin + 3), std::vector<double>(origin, origin + 3));
  EXPECT_EQ(std::vector<double>(backMatrix, backMatrix + 9), std::vector<double>(matrix, matrix + 9));

  // The clamping slot's node data take the same record at byte 184.
  std::vector<unsigned char> node(312, 0xEE);
  ASSERT_EQ(location->ToParms2(node.data()), 0);
  EXPECT_EQ(node[183], 0xEE);
  EXPECT_EQ(Read<std::int32_t>(node.data(), 184), 3);
  EXPECT_EQ(Read<std::int32_t>(node.data(), 188), 1);
  auto* nodeTags = Read<tag_t*>(node.data(), 192);
  ASSERT_NE(nodeTags, nullptr);
  EXPECT_EQ(nodeTags[0], selected);
  EXPECT_EQ(Read<std::uint32_t>(node.data(), 184 + 20), 501u);
  EXPECT_EQ(Read<double>(node.data(), 184 + 32), 8.0);
  EXPECT_EQ(Read<double>(node.data(), 184 + 48 + 8 * 7), 18.0);
  EXPECT_EQ(Read<std::uint32_t>(node.data(), 184 + 120), 502u);
  EXPECT_EQ(Read<std::uint32_t>(node.data(), 184 + 124), 503u);
  SM_free(nodeTags);

  location->destroy();
  back->destroy();
}

TEST_F(DieDesignFoundations, ListReadsItsItemsFromParameters) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, false, false, true, true);
  list->SetApplScopeLocation(2);
  DieDes::DieDesGenericLocation* first = DieDes::DieDesGenericLocationFactory::Create();
  DieDes::DieDesGenericLocation* second = DieDes::DieDesGenericLocationFactory::Create();
  DIEDES_ENTITY_CONTEXT context{};
  DieDes::DieDesGenericLocationRecord record = {};
  record.type = 1;
  record.point = 901;
  ASSERT_EQ(first->StoreRecords(&context, 1, &record), 0);
  record.type = 2;
  record.point = 0;
  ASSERT_EQ(second->StoreRecords(&context, 1, &record), 0);

  DieDes::DieDesGenericLocation* both[2] = {first, second};
  list->FromParms(both, 2);
  ASSERT_EQ(list->GetList()->size(), 2);
  auto* a = dynamic_cast<DieLocationBuilder*>(list->GetList()->ask_item(0));
  auto* b = dynamic_cast<DieLocationBuilder*>(list->GetList()->ask_item(1));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->GetPoint(), 901u);
  EXPECT_EQ(b->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
  EXPECT_EQ(a->GetApplScopeLocation(), 2);
  EXPECT_FALSE(a->GetAllowOptionsItem(3));

  // One element missing: refused before anything is made.
  DieDes::DieDesGenericLocation* mixed[2] = {first, nullptr};
  const int liveBefore = OM::OM_live_objects();
  EXPECT_EQ(RaisedCode([&] { list->FromParms(mixed, 2); }), 670156);
  EXPECT_EQ(RaisedCode([&] { list->FromParms(nullptr, 1); }), 670156);
  EXPECT_EQ(OM::OM_live_objects(), liveBefore);
  EXPECT_EQ(list->GetList()->size(), 2);
  list->destroy();
}

TEST_F(DieDesignFoundations, AListThatCannotReadAnItemLetsGoOfTheItemsItMade) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
  DieDes::DieDesGenericLocation* first = DieDes::DieDesGenericLocationFactory::Create();
  DieDes::DieDesGenericLocation* second = DieDes::DieDesGenericLocationFactory::Create();
  DIEDES_ENTITY_CONTEXT context{};
  DieDes::DieDesGenericLocationRecord record = {};
  record.type = 2;
  ASSERT_EQ(first->StoreRecords(&context, 1, &record), 0);
  ASSERT_EQ(second->StoreRecords(&context, 1, &record), 0);
  Host::SetAnswer("DieDesGenericLocation::AskRecords." + std::to_string(second->ask_tag()), 4242);

  const int liveBefore = OM::OM_live_objects();
  DieDes::DieDesGenericLocation* both[2] = {first, second};
  try {
    list->FromParms(both, 2);
    ADD_FAILURE() << "nothing raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 4242);
    EXPECT_EQ(e.file(), "DieDesJA_DieLocationsBuilder");
    EXPECT_EQ(e.line(), 144);
  }
  EXPECT_EQ(list->GetList()->size(), 0) << "the list is unchanged";
  EXPECT_EQ(OM::OM_live_objects(), liveBefore) << "the item already read goes, with its selection";
  list->destroy();
}

TEST_F(DieDesignFoundations, ParentModuleHoldsExactlyTheItemsWritten) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
  list->AddUserLocation(ES_create_point(std::vector<double>{1, 0, 0}.data()));
  list->AddUserLocation(ES_create_point(std::vector<double>{2, 0, 0}.data()));
  DIEDES_GENERIC_MODULE_PARMS* module = DIEDES_GENERIC_MODULE_PARMSFactory::Create();
  module->SetNumDiedesItems(3);
  DieDes::DieDesGenericLocation* surplus = DieDes::DieDesGenericLocationFactory::Create();
  const tag_t surplusTag = surplus->ask_tag();
  module->SetNthDiedesItems(2, surplus);

  EXPECT_EQ(list->ToParmsParentModule(module, nullptr), 0);
  ASSERT_EQ(module->GetNumDiedesItems(), 2);
  EXPECT_TRUE(OM::OM_is_deleted_tag(surplusTag)) << "the surplus item is deleted";
  ASSERT_NE(module->GetNthDiedesItems(1), nullptr);

  // Items that fail are not counted, and the first failure is the result.
  Host::SetAnswer("DIEDES_GENERIC_ENTITY_set.0", 1234);
  EXPECT_EQ(list->ToParmsParentModule(module, nullptr), 1234);
  EXPECT_EQ(module->GetNumDiedesItems(), 0);
  Host::ClearAnswers();

  // Exactly one item: the single form writes it; otherwise nothing.
  DieDes::DieDesGenericLocation* single = DieDes::DieDesGenericLocationFactory::Create();
  EXPECT_EQ(list->ToParmsSingle(single, nullptr), 0);
  int count = 0;
  DieDes::DieDesGenericLocationRecord* records = nullptr;
  single->AskRecords(0, &count, &records);
  EXPECT_EQ(count, 0);
  single->FreeRecords(count, records);
  EXPECT_EQ(RaisedCode([&] { (void)list->ToParmsParentModule(nullptr, nullptr); }), 670156);
  list->destroy();
}

TEST_F(DieDesignFoundations, ClampingSlotNodesTakeTheItemsAndReportTheFirstFailure) {
  DieLocationsBuilder* list =
      DieDesJA::DieLocationsBuilderFactory::Create(part(), true, true, true, true, true, true, true);
  auto* good = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, true, false, false, true);
  auto* bad = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, true, false, false, false, true);
  auto* last = DieDesJA::DieLocationBuilderFactory::CreateItem(part(), false, false, true, false, false, true);
  OM::Object* items[3] = {good, bad, last};
  list->GetList()->append_items(3, items);

  DIEDES_NODE_init_s description{1, "parent", 2, "child", nullptr};
  DIEDES_NODE_s* node = nullptr;
  ASSERT_EQ(DIEDES_NODE_create_nodes(1, &description, nullptr, nullptr, &node), 0);
  auto* templateRecord = static_cast<unsigned char*>(DIEDES_NODE_ask_appl_data(node)[1]);
  std::memset(templateRecord, 0x11, 312);

  EXPECT_EQ(list->ToParmsClampingSlot(node, 3), 674317);
  ASSERT_EQ(DIEDES_NODE_ask_num_children(node), 2) << "the failing item's child is used by the next";
  auto* second = static_cast<unsigned char*>(DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, 1))[0]);
  EXPECT_EQ(second[24], 0x11);
  EXPECT_EQ(second[160], 0x11) << "the notch angle's first byte";
  EXPECT_EQ(second[183], 0x11) << "the last byte before the location record";
  EXPECT_EQ(second[23], 0) << "bytes before 24 are not the template's";
  EXPECT_EQ(Read<std::int32_t>(second, 176), 0);
  EXPECT_EQ(Read<std::int32_t>(second, 184), 2);
  EXPECT_EQ(second[0], 0) << "bytes before 24 are not the template's";

  DIEDES_NODE_free_appl_data(node);
  SM_free(node);
  list->destroy();
}

// ---- the commit protocol -------------------------------------------------------------------

const std::vector<std::string> kCommitSteps = {
    "probe::prepare",         "DIEDES_UTILS__get_extraction_table", "probe::GetSelectedObjects",
    "DIEDES_UTILS_create_extraction_table_map_object", "DIEDES_UTILS_create_extraction_table",
    "probe::ToParms",         "probe::ConvertBuilderDataToFrec",   "ES_solid_ask_solvane_tag",
    "DIEENG_CreateFrecWithParms", "DIEENG_UpdateMultipleBodyFrec", "UPDATE_log_object_to_update",
    "FMI_invoke_post_update", "FREC_ask_body_eid",                 "DSS_REGEN_regen_object",
    "FEATURE_PARMS::SetFeatureRecord", "DIEDES_UTILS_free_extraction_table", "probe::Notify"};

TEST_F(DieDesignFoundations, CreatingRunsTheStepsInOrder) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  int kernelBody = 0;
  const tag_t body = NewSolid(&kernelBody);
  probe->target()->set_selected_tag(body);
  Host::ClearCalls();

  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(probe->commit_feature(&frec), 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(Steps(kCommitSteps),
            (std::vector<std::string>{"probe::prepare", "DIEDES_UTILS__get_extraction_table",
                                      "probe::GetSelectedObjects", "DIEDES_UTILS_create_extraction_table_map_object",
                                      "DIEDES_UTILS_create_extraction_table", "probe::ToParms",
                                      "ES_solid_ask_solvane_tag", "DIEENG_CreateFrecWithParms",
                                      "FMI_invoke_post_update", "FREC_ask_body_eid", "DSS_REGEN_regen_object",
                                      "FEATURE_PARMS::SetFeatureRecord", "DIEDES_UTILS_free_extraction_table"}));
  EXPECT_EQ(frec->ask_kernel_body(), kernelBody);
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetSubObjectOwner(), frec) << "the new record is handed to its parameters";
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  probe->destroy();
}

TEST_F(DieDesignFoundations, CreatingWithoutATargetUsesNoBody) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  Host::ClearCalls();
  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(probe->commit_feature(&frec), 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(frec->ask_kernel_body(), 0);
  EXPECT_EQ(Host::CountCalls("ES_solid_ask_solvane_tag"), 0u);

  // A post-update that fails only skips the redisplay.
  Host::SetAnswer("FMI_invoke_post_update", 77);
  FEATURE_RECORD* second = nullptr;
  Host::ClearCalls();
  EXPECT_EQ(probe->commit_feature(&second), 0);
  EXPECT_EQ(Host::CountCalls("DSS_REGEN_regen_object"), 0u);
  EXPECT_EQ(Host::CountCalls("FEATURE_PARMS::SetFeatureRecord"), 1u);
  probe->destroy();
}

TEST_F(DieDesignFoundations, EditingRunsTheStepsInOrderWithNoBody) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(2);
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), parms);
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), frec);
  probe->target()->set_selected_tag(NewSolid());
  Host::ClearCalls();

  FEATURE_RECORD* edited = frec;
  EXPECT_EQ(probe->commit_feature(&edited), 0);
  EXPECT_EQ(edited, frec);
  EXPECT_EQ(Steps(kCommitSteps),
            (std::vector<std::string>{"probe::prepare", "DIEDES_UTILS__get_extraction_table",
                                      "probe::GetSelectedObjects", "DIEDES_UTILS_create_extraction_table_map_object",
                                      "DIEDES_UTILS_create_extraction_table", "probe::ConvertBuilderDataToFrec",
                                      "DIEENG_UpdateMultipleBodyFrec", "UPDATE_log_object_to_update",
                                      "DIEDES_UTILS_free_extraction_table"}));
  EXPECT_EQ(Host::LoggedForUpdate(), std::vector<tag_t>{frec->ask_tag()});
  EXPECT_EQ(Host::CountCalls("ES_solid_ask_solvane_tag"), 0u) << "an edit applies to no new body";

  Host::SetAnswer("DIEENG_UpdateMultipleBodyFrec", 5150);
  Host::ClearCalls();
  EXPECT_EQ(probe->commit_feature(&edited), 5150);
  EXPECT_EQ(Host::CountCalls("UPDATE_log_object_to_update"), 0u);
  EXPECT_EQ(Host::CountCalls("probe::Notify"), 1u) << "a failed commit re-notifies";
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  probe->destroy();
}

TEST_F(DieDesignFoundations, EveryWayOutFreesTheExtractionTable) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);

  // Refused parameters.
  Host::SetAnswer("probe.ToParms", 690000);
  FEATURE_RECORD* frec = nullptr;
  Host::ClearCalls();
  EXPECT_EQ(probe->commit_feature(&frec), 690000);
  EXPECT_EQ(frec, nullptr);
  EXPECT_EQ(Host::CountCalls("DIEENG_CreateFrecWithParms"), 0u);
  EXPECT_EQ(Host::CountCalls("probe::Notify"), 1u);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table_map(), nullptr);
  Host::ClearAnswers();

  // Record creation fails.
  Host::SetAnswer("DIEENG_CreateFrecWithParms", 4711);
  Host::ClearCalls();
  EXPECT_EQ(probe->commit_feature(&frec), 4711);
  EXPECT_EQ(Host::CountCalls("FMI_invoke_post_update"), 0u);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  Host::ClearAnswers();

  // Success without a record is no success.
  Host::SetAnswer("DIEENG_CreateFrecWithParms.norecord", 1);
  Host::ClearCalls();
  EXPECT_EQ(probe->commit_feature(&frec), 690000);
  EXPECT_EQ(frec, nullptr);
  EXPECT_EQ(Host::CountCalls("FMI_invoke_post_update"), 0u);
  EXPECT_EQ(Host::CountCalls("FEATURE_PARMS::SetFeatureRecord"), 0u);
  EXPECT_EQ(Host::CountCalls("probe::Notify"), 1u);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  Host::ClearAnswers();

  // A raised error passes on, and the table is freed all the same.
  Host::SetAnswer("probe.ToParms.raise", 3333);
  EXPECT_EQ(RaisedCode([&] { probe->commit_feature(&frec); }), 3333);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table_map(), nullptr);
  Host::ClearAnswers();

  // No parameters at all.
  EXPECT_EQ(probe->DieGenericBodyCommitFeature(&frec, nullptr, 0), 690000);
  probe->destroy();
}

TEST_F(DieDesignFoundations, AnExistingTableIsUsedAndStillFreed) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  const tag_t preset[2] = {11, 12};
  DIEDES_UTILS_create_extraction_table(nullptr, 2, preset);
  DIEDES_EXTRACTION_TABLE* table = DIEDES_UTILS__get_extraction_table();
  ASSERT_NE(table, nullptr);
  probe->target()->set_selected_tag(NewSolid());
  Host::ClearCalls();
  probe->PopulateExtractionTable();
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), table);
  EXPECT_EQ(table->tags, (std::vector<tag_t>{11, 12}));
  EXPECT_EQ(Host::CountCalls("probe::GetSelectedObjects"), 0u);

  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(probe->commit_feature(&frec), 0);
  EXPECT_EQ(Host::CountCalls("DIEDES_UTILS_create_extraction_table"), 0u);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  probe->destroy();
}

TEST_F(DieDesignFoundations, AbstractOperationsRaiseTheirMessage) {
  auto* bare = static_cast<GenericBodyBuilder*>(
      OM::ObjectFactory::CreateObject(BareBodyBuilder::ThisClassId, OM::OM_memory_type_persistent, nullptr));
  try {
    bare->ConvertBuilderDataToFrec(nullptr);
    ADD_FAILURE() << "nothing raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 580203);
    EXPECT_EQ(e.file(), "DieDesJA_GenericBodyBuilder_SchemaRegistrant");
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(bare));
    EXPECT_EQ(e.text(), std::string("Attempt to invoke abstract method GenericBodyBuilder::ConvertBuilderDataToFrec on &") +
                            address + " of class stamvik_test::BareBodyBuilder");
  }
  // Reached through the commit: creating asks for the parameters, preparing for the inputs.
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(1);
  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(RaisedCode([&] { bare->DieGenericBodyCommitFeature(&frec, parms, 0); }), 580203);
  EXPECT_EQ(RaisedCode([&] { static_cast<BareBodyBuilder*>(bare)->PopulateExtractionTable(); }), 580203);
  bare->destroy();
}

// ---- the update under a mark ------------------------------------------------------------------

TEST_F(DieDesignFoundations, AFailedUpdateLeavesThePartAsItWas) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(1);
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), parms);
  const tag_t doomed = ES_create_point(std::vector<double>{1, 2, 3}.data());
  UPDATE_log_object_to_update(frec);
  UPDATE_log_entity_to_delete(doomed);
  Host::SetAnswer("UPDATE_do_update.error", 6061);
  Host::ClearCalls();

  ProbeBodyBuilder::DoUpdate();
  EXPECT_EQ(Host::CallNames({"UNDO_QD_set_mark", "UPDATE_do_update", "UNDO_QD_undo_to_mark", "UNDO_QD_delete_mark"}),
            (std::vector<std::string>{"UNDO_QD_set_mark", "UPDATE_do_update", "UNDO_QD_undo_to_mark",
                                      "UNDO_QD_delete_mark"}));
  EXPECT_FALSE(OM::OM_is_deleted_tag(doomed)) << "the deletion is undone";
  EXPECT_NE(OM::OM_object_of_tag(doomed), nullptr);
  EXPECT_EQ(frec->ask_update_count(), 0);
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 6061);
  EXPECT_EQ(Error::SevereErrors()[0].file, "DieDesJA_GenericBodyBuilder");
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);

  // A good update keeps its work and only deletes the mark.
  Host::ClearAnswers();
  UPDATE_log_object_to_update(frec);
  Host::ClearCalls();
  ProbeBodyBuilder::DoUpdate();
  EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), 0u);
  EXPECT_EQ(Host::CountCalls("UNDO_QD_delete_mark"), 1u);
  EXPECT_EQ(frec->ask_update_count(), 1);

  // Without a mark nothing is undone or deleted.
  Host::SetAnswer("UNDO_QD_set_mark.error", 1);
  Host::SetAnswer("UPDATE_do_update.error", 6061);
  Host::ClearCalls();
  ProbeBodyBuilder::DoUpdate();
  EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), 0u);
  EXPECT_EQ(Host::CountCalls("UNDO_QD_delete_mark"), 0u);
}

TEST_F(DieDesignFoundations, ACommitGoesOnAfterItsUpdateFailed) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  probe->withUpdate = true;
  const tag_t doomed = ES_create_point(std::vector<double>{1, 2, 3}.data());
  UPDATE_log_entity_to_delete(doomed);
  Host::SetAnswer("UPDATE_do_update.error", 6061);
  Host::ClearCalls();

  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(probe->commit_feature(&frec), 0) << "the failed update is reported, not returned";
  ASSERT_NE(frec, nullptr) << "the feature is made all the same";
  // The update's own mark is undone; the commit's, around the whole, is kept.
  EXPECT_EQ(Host::CallNames({"UNDO_QD_undo_to_mark", "UNDO_QD_delete_mark", "DIEENG_CreateFrecWithParms"}),
            (std::vector<std::string>{"UNDO_QD_undo_to_mark", "UNDO_QD_delete_mark", "DIEENG_CreateFrecWithParms",
                                      "UNDO_QD_delete_mark"}));
  EXPECT_FALSE(OM::OM_is_deleted_tag(doomed)) << "the update's work is undone";
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 6061);
  EXPECT_EQ(Host::CountCalls("probe::Notify"), 0u) << "a commit that succeeds does not re-notify";
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  probe->destroy();
}

// ---- the reaction to the target -----------------------------------------------------------

TEST_F(DieDesignFoundations, TheTargetSelectionDrivesTargetAndOrientation) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  probe->targetData()->SetOrientationFlag(true);
  const tag_t body = NewSolid();
  probe->target()->set_selected_tag(body);  // the selection tells the probe
  EXPECT_EQ(probe->targetData()->GetTargetBody(), body);
  EXPECT_FALSE(probe->plane()->GetApplIsOverallRequired()) << "the target gives the orientation";

  probe->targetData()->SetOrientationFlag(false);
  probe->Notify(probe->target());
  EXPECT_TRUE(probe->plane()->GetApplIsOverallRequired());

  // Any other object is ignored.
  probe->targetData()->SetOrientationFlag(true);
  probe->Notify(probe->thickness());
  EXPECT_TRUE(probe->plane()->GetApplIsOverallRequired());

  // The thickness is taken over when the target gives one.
  probe->withThickness = true;
  probe->targetData()->SetThickness(true, 12.5);
  probe->Notify(probe->target());
  EXPECT_STREQ(probe->thickness()->ask_text(), "12.5");
  EXPECT_EQ(probe->thickness()->ask_value(), 12.5);
  probe->destroy();
}

TEST_F(DieDesignFoundations, AReactionThatFailsIsReportedAsTheBuildersAndGoesNoFurther) {
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  probe->targetData()->SetOrientationFlag(true);
  Host::SetAnswer("DieDesTarget::SetTargetBody", 7007);
  probe->target()->set_selected_tag(NewSolid());  // the selection tells the probe; nothing is raised
  EXPECT_TRUE(probe->plane()->GetApplIsOverallRequired()) << "the steps after the failure are not run";
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 7007);
  EXPECT_EQ(Error::SevereErrors()[0].file, "probe");
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);
  Host::ClearAnswers();
  probe->destroy();
}

// ---- parameter entities and die attributes ------------------------------------------------------

TEST_F(DieDesignFoundations, DieAttributesKeepThePreviousTitle) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(1);
  DieDes::DieAttributesBuilder* attributes = DieDes::DieAttributesBuilderFactory::Create(part(), true, false, true);
  attributes->SetFirstText("FIRST");
  attributes->SetSecondText("value one");
  attributes->SetIntegerValue(3);
  EXPECT_EQ(DieDesJA::WriteDieAttributes(parms, attributes), 0);
  attributes->SetFirstText("SECOND");
  attributes->SetSecondText("");
  attributes->SetIntegerValue(4);
  EXPECT_EQ(DieDesJA::WriteDieAttributes(parms, attributes), 0);

  DieAttributesRecord* record = parms->AskDieAttributes();
  EXPECT_STREQ(record->title, "SECOND");
  EXPECT_STREQ(record->previousTitle, "FIRST");
  EXPECT_STREQ(record->value, "");
  EXPECT_EQ(record->number, 4);
  SM_free(record);

  // A long title is cut to the field; it reads back into a fresh sub-builder.
  const std::string longTitle(70, 'T');
  attributes->SetFirstText(longTitle.c_str());
  attributes->SetSecondText("v");
  EXPECT_EQ(DieDesJA::WriteDieAttributes(parms, attributes), 0);
  DieDes::DieAttributesBuilder* back = DieDes::DieAttributesBuilderFactory::Create(part(), true, false, true);
  DieDesJA::ReadDieAttributes(parms, back);
  EXPECT_EQ(std::string(back->GetFirstText()), std::string(49, 'T'));
  EXPECT_STREQ(back->GetSecondText(), "v");
  EXPECT_EQ(back->GetIntegerValue(), 4);
}

// An attribute item's records are renewed from one sub-builder each: the
// title a record had becomes its previous one, a missing sub-builder leaves
// the texts empty and the integer as it was, texts are cut to 49 characters.
TEST_F(DieDesignFoundations, AttributeItemRecordsKeepTheirTitlesAsPreviousOnes) {
  auto builder = [&](const std::string& title, const char* value, int number) {
    DieDes::DieAttributesBuilder* made = DieDes::DieAttributesBuilderFactory::Create(part(), true, true, false);
    made->SetFirstText(title.c_str());
    made->SetSecondText(value);
    made->SetIntegerValue(number);
    return made;
  };
  struct Row {
    const char* what;
    std::string title, previous, value;  // as the record stood
    int number;
    const DieDes::DieAttributesBuilder* from;
    std::string wantTitle, wantPrevious, wantValue;
    int wantNumber;
  };
  const Row rows[] = {
      {"a titled record", "OLD", "", "old value", 1, builder("NEW", "val", 7), "NEW", "OLD", "val", 7},
      {"no sub-builder", "", "KEPT", "gone", 5, nullptr, "", "KEPT", "", 5},
      {"texts at and past the limit", std::string(49, 'P'), "", "", 0, builder(std::string(70, 'T'), "", 9),
       std::string(49, 'T'), std::string(49, 'P'), "", 9},
  };
  DieAttributesRecord records[std::size(rows)];
  std::vector<const DieDes::DieAttributesBuilder*> builders;
  std::memset(records, 0, sizeof records);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    std::memcpy(records[i].title, rows[i].title.c_str(), rows[i].title.size());
    std::memcpy(records[i].previousTitle, rows[i].previous.c_str(), rows[i].previous.size());
    std::memcpy(records[i].value, rows[i].value.c_str(), rows[i].value.size());
    records[i].number = rows[i].number;
    builders.push_back(rows[i].from);
  }
  DieDesJA::FillDieAttributesRecords(records, builders);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].what);
    EXPECT_EQ(std::string(records[i].title, strnlen(records[i].title, sizeof records[i].title)), rows[i].wantTitle);
    EXPECT_STREQ(records[i].previousTitle, rows[i].wantPrevious.c_str());
    EXPECT_EQ(std::string(records[i].value, strnlen(records[i].value, sizeof records[i].value)), rows[i].wantValue);
    EXPECT_EQ(records[i].number, rows[i].wantNumber);
  }
}

TEST_F(DieDesignFoundations, EntitiesWriteListsAndSections) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(3);
  EXPECT_EQ(DieDesJA::EntitiesToUse(parms, 6), 3);
  EXPECT_EQ(DieDesJA::EntitiesToUse(parms, 2), 2);
  EXPECT_EQ(DieDesJA::EntityToRead(parms, 3), nullptr);

  SELECT_OBJECT_list* list = SELECT_OBJECT_listFactory::Create(part(), false);
  EXPECT_EQ(DieDesJA::WriteSelectionListEntity(parms, 0, list), 0);
  EXPECT_EQ(parms->GetEntity(0)->AskCount(), 0);
  EXPECT_EQ(parms->GetEntity(0)->AskFlag(), 0);
  list->append(801);
  list->append(802);
  EXPECT_EQ(DieDesJA::WriteSelectionListEntity(parms, 0, list), 0);
  EXPECT_EQ(parms->GetEntity(0)->AskCount(), 2);
  EXPECT_EQ(parms->GetEntity(0)->AskFlag(), 1);
  EXPECT_EQ(parms->AskEntityTag(0, 1), 802u);
  EXPECT_EQ(RaisedCode([&] { DieDesJA::WriteIntsEntity(parms, 3, 0, 0, nullptr); }), Error::kIndexOutOfRange);

  SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  EXPECT_EQ(DieDesJA::WriteSectionEntity(parms, 1, 0, section), 0);
  EXPECT_EQ(parms->GetEntity(1)->AskCount(), 0) << "an empty section is written as none";
  const tag_t curves[2] = {901, 902};
  section->add_loop(SC_section::kClosed, 2, curves);
  DIEDES_UTILS_create_extraction_table_map_object();
  EXPECT_EQ(DieDesJA::WriteSectionEntity(parms, 1, 0, section), 0);
  EXPECT_EQ(parms->AskEntityTag(1, 0), section->ask_tag());
  EXPECT_EQ(section->ask_times_mapped(), 1);

  SELECT_OBJECT_list* readBack = SELECT_OBJECT_listFactory::Create(part(), false);
  DieDesJA::ReadSelectionListEntity(parms, 0, readBack);
  EXPECT_EQ(readBack->ask_count(), 2);
}

TEST_F(DieDesignFoundations, ReadingASectionBackWithNoneHeldLogsNothing) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(2);
  parms->SetDistanceTolerance(0.02);
  parms->SetAngleTolerance(0.25);
  ProbeBodyBuilder* probe = ProbeBodyBuilder::Make(modelPart(), nullptr);
  ASSERT_EQ(probe->section(), nullptr);
  Host::ClearCalls();
  SC_section* made = DieDesJA::ReadSectionEntity(probe, ProbeBodyBuilder::m_sectionAttId, probe->section(), parms,
                                                 1, 0, part());
  EXPECT_EQ(Host::CountCalls("UPDATE_log_object_to_delete"), 0u);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(probe->section(), made);
  double chaining = 0, distance = 0, angle = 0;
  made->ask_tolerances(&chaining, &distance, &angle);
  EXPECT_DOUBLE_EQ(chaining, 0.019);
  EXPECT_EQ(distance, 0.02);
  EXPECT_EQ(angle, 0.25);
  EXPECT_EQ(parms->GetEntity(1)->AskCount(), 0) << "the new section is the builder's until a commit";

  // Reading the feature again keeps the builder's own section.
  EXPECT_EQ(DieDesJA::ReadSectionEntity(probe, ProbeBodyBuilder::m_sectionAttId, probe->section(), parms, 1, 0,
                                        part()),
            made);
  EXPECT_TRUE(Host::LoggedForDeletion().empty());

  // A held section is let go and logged; a copy of the entity's section,
  // the builder's own, takes its place (the feature's stays the feature's).
  SC_section* stored = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  const tag_t storedTag = stored->ask_tag();
  const DIEDES_ENTITY_CONTEXT context = DieDesJA::EntityContext(parms, 0);
  ASSERT_EQ(parms->GetEntity(1)->SetTags(&context, 1, &storedTag), 0);
  SC_section* copy =
      DieDesJA::ReadSectionEntity(probe, ProbeBodyBuilder::m_sectionAttId, probe->section(), parms, 1, 0, part());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, stored);
  EXPECT_EQ(probe->section(), copy);
  copy->ask_tolerances(&chaining, &distance, &angle);
  EXPECT_EQ(distance, 0.01);
  EXPECT_EQ(parms->AskEntityTag(1, 0), storedTag) << "the feature keeps its own";
  EXPECT_EQ(Host::LoggedForDeletion(), std::vector<tag_t>{made->ask_tag()});

  // A missing entity changes nothing.
  EXPECT_EQ(DieDesJA::ReadSectionEntity(probe, ProbeBodyBuilder::m_sectionAttId, probe->section(), parms, 5, 0,
                                        part()),
            copy);
  probe->destroy();
}

}  // namespace
