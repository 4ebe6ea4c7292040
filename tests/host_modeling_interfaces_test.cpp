// The stand-in's modelling builders as plug-ins reach them through scripting
// interfaces fetched by name: editing builders that start from what their
// feature was made with, commits, destroys and the recorded calls.
#include <limits>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "modl/SelectionInterfaces.hpp"
#include "sel/Selection.hpp"

namespace {

using namespace KTX;

template <class T>
T* Interface(const char* name) {
  return static_cast<T*>(JAM::ClassInitializer::GetUnjournalledInterface(name));
}

class ModelingInterfaces : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    Host::ForgetModelingValues();
    HostTest::TearDown();
  }
  static std::string Text(tag_t expression) {
    char* text = nullptr;
    EXPECT_EQ(Interface<JAM::Expression_Interface>("Expression")->Text(expression, &text), 0);
    std::string out = text != nullptr ? text : "<none>";
    SM_free(text);
    return out;
  }
  // The text of a limit's value and the object it trims to.
  static std::pair<std::string, tag_t> Limit(tag_t builder, bool end) {
    tag_t limits = 0, extend = 0, value = 0, object = 0;
    EXPECT_EQ(Interface<JAM::ExtrudeBuilder_Interface>("Features.ExtrudeBuilder")->Limits(builder, &limits), 0);
    auto* l = Interface<JAM::Limits_Interface>("GeometricUtilities.Limits");
    EXPECT_EQ(end ? l->EndExtend(limits, &extend) : l->StartExtend(limits, &extend), 0);
    auto* e = Interface<JAM::Extend_Interface>("GeometricUtilities.Extend");
    EXPECT_EQ(e->Value(extend, &value), 0);
    EXPECT_EQ(e->TrimmingObject(extend, &object), 0);
    return {Text(value), object};
  }
};

TEST_F(ModelingInterfaces, AnEditingExtrudeBuilderReadsWhatItsFeatureWasMadeWith) {
  auto* collection = Interface<JAM::FeatureCollection_Interface>("Features.FeatureCollection");
  auto* builders = Interface<JAM::Builder_Interface>("Builder");
  const double o[3] = {0, 0, 0};
  const tag_t sheet = ES_create_point(o);
  const tag_t feature = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  ExtrudeValues made;
  made.startValue = "0.000000";
  made.endType = 2;
  made.endObject = sheet;
  made.startOffset = "-2.5";
  made.endOffset = "7";
  Host::SetExtrudeValues(feature, made);

  tag_t builder = 0;
  ASSERT_EQ(collection->CreateExtrudeBuilder(feature, &builder), 0);
  EXPECT_EQ(Limit(builder, false), (std::pair<std::string, tag_t>{"0.000000", 0}));
  EXPECT_EQ(Limit(builder, true), (std::pair<std::string, tag_t>{"0", sheet}));
  tag_t offset = 0, start = 0, end = 0;
  ASSERT_EQ(Interface<JAM::ExtrudeBuilder_Interface>("Features.ExtrudeBuilder")->FeatureOffset(builder, &offset), 0);
  auto* offsets = Interface<JAM::FeatureOffset_Interface>("GeometricUtilities.FeatureOffset");
  ASSERT_EQ(offsets->StartOffset(offset, &start), 0);
  ASSERT_EQ(offsets->EndOffset(offset, &end), 0);
  EXPECT_EQ(Text(start), "-2.5");
  EXPECT_EQ(Text(end), "7");

  // Committing the editing builder keeps the same feature.
  tag_t committed = 0;
  EXPECT_EQ(Interface<JAM::FeatureBuilder_Interface>("Features.FeatureBuilder")->CommitFeature(builder, &committed), 0);
  EXPECT_EQ(committed, feature);
  EXPECT_EQ(builders->Destroy(builder), 0);

  // A new builder makes a new feature that an editing builder finds again.
  tag_t fresh = 0;
  ASSERT_EQ(collection->CreateExtrudeBuilder(0, &fresh), 0);
  ASSERT_EQ(builders->Commit(fresh, &committed), 0);
  EXPECT_NE(committed, feature);
  ExtrudeValues kept;
  EXPECT_TRUE(Host::AskExtrudeValues(committed, &kept));
  EXPECT_EQ(kept.endValue, "0");
  EXPECT_EQ(builders->Destroy(fresh), 0);
}

TEST_F(ModelingInterfaces, AnExtrusionUntilAnObjectNeedsItAcrossTheWholeSweptProfile) {
  // The profile: a square from (0, 0) to (10, 10) at height 0, swept along Z.
  const double square[] = {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0, 0, 0, 0};
  const tag_t curve = ES_create_polyline(5, square);
  auto flat = [](double x, double y, double size) {
    return FaceFrame{{x, y, 5}, {size, 0, 0, 0, size, 0, 0, 0, 1}};
  };
  const FaceFrame upright = {{-1, -1, 5}, {12, 0, 0, 0, 0, 12, 0, -1, 0}};
  struct Row {
    const char* what;
    std::vector<FaceFrame> faces;
    bool fromTheStart;  // the start extent runs to the object, else the end one
    int status;
  };
  const Row rows[] = {
      {"a face over all of it", {flat(-1, -1, 12)}, false, 0},
      {"a face ending at its edges", {flat(0, 0, 10)}, false, 0},
      {"a face just short of them", {flat(0, 0, 9.99)}, false, ModelingFeatureBuilder::kObjectNotReached},
      {"the same from the start", {flat(0, 0, 9.99)}, true, ModelingFeatureBuilder::kObjectNotReached},
      {"two faces sharing it", {FaceFrame{{-1, -1, 5}, {6, 0, 0, 0, 12, 0, 0, 0, 1}}, FaceFrame{{5, -1, 5}, {6, 0, 0, 0, 12, 0, 0, 0, 1}}}, false, 0},
      {"a face along the sweep", {upright}, false, ModelingFeatureBuilder::kObjectNotReached},
      {"a body of unknown shape", {}, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
    SC_input_data* rule = SC_init_input_data(SC_section::kCurveRule);
    rule->entities.push_back(curve);
    EXPECT_EQ(section->add_rules(1, &SC_section::kCurveRule, &rule, 0, 0, 0, 0, false), 0);
    SC_free_input_data(rule);
    const tag_t object = ES_create_body_with_faces(nullptr, true, row.faces);
    auto* feature = FEATURE_RECORD::Create(nullptr, nullptr);
    ExtrudeValues values;
    values.section = section->OmTag();
    (row.fromTheStart ? values.startType : values.endType) = 2;
    (row.fromTheStart ? values.startObject : values.endObject) = object;
    Host::SetExtrudeValues(feature->OmTag(), values);
    tag_t builder = 0, committed = 0;
    EXPECT_EQ(Interface<JAM::FeatureCollection_Interface>("Features.FeatureCollection")
                  ->CreateExtrudeBuilder(feature->OmTag(), &builder),
              0);
    EXPECT_EQ(Interface<JAM::FeatureBuilder_Interface>("Features.FeatureBuilder")->CommitFeature(builder, &committed),
              row.status)
        << row.what;
    // An extrusion that cannot run up to its object leaves its feature as it was.
    EXPECT_EQ(feature->ask_body_eid() != 0, row.status == 0) << row.what;
    EXPECT_EQ(Interface<JAM::Builder_Interface>("Builder")->Destroy(builder), 0);
  }
}

TEST_F(ModelingInterfaces, AnExtrusionsDirectionOfNoLengthIsRefusedAndNothingMade) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    double vector[3];
    int sense, status;
    double z;  // of the direction made
  };
  const Row rows[] = {
      {"zero", {0, 0, 0}, 1, ModelingFeatureBuilder::kZeroDirection, 0},
      {"zero reversed", {0, 0, 0}, -1, ModelingFeatureBuilder::kZeroDirection, 0},
      {"no number", {nan, 0, 0}, 1, ModelingFeatureBuilder::kZeroDirection, 0},
      {"down, two long", {0, 0, -2}, 1, 0, -1},
      {"down, reversed", {0, 0, -2}, -1, 0, 1},
  };
  EXPECT_EQ(ModelingFeatureBuilder::kZeroDirection, 841303);
  auto* directions = Interface<JAM::DirectionCollection_Interface>("DirectionCollection");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double origin[3] = {0, 0, 0};
    const int before = OM::OM_live_objects();
    tag_t made = 7;
    EXPECT_EQ(directions->CreateDirection(origin, row.vector, row.sense, &made), row.status);
    if (row.status != 0) {
      EXPECT_EQ(made, 0u);
      EXPECT_EQ(OM::OM_live_objects(), before);
      continue;
    }
    double along[3] = {0, 0, 0};
    const auto* entity = dynamic_cast<const GEOM_entity*>(OM::OM_object_of_tag(made));
    EXPECT_NE(entity, nullptr);
    if (entity == nullptr) continue;
    entity->ask_direction(along);
    EXPECT_EQ(along[2], row.z);
  }
}

TEST_F(ModelingInterfaces, ChamferOffsetsAreHandedOutAsText) {
  const tag_t feature = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  Host::SetChamferValues(feature, {"4.0", "3.0", "0"});
  tag_t builder = 0;
  ASSERT_EQ(Interface<JAM::FeatureCollection_Interface>("Features.FeatureCollection")->CreateChamferBuilder(feature,
                                                                                                          &builder),
            0);
  auto* chamfer = Interface<JAM::ChamferBuilder_Interface>("Features.ChamferBuilder");
  char* first = nullptr;
  char* second = nullptr;
  EXPECT_EQ(chamfer->FirstOffset(builder, &first), 0);
  EXPECT_EQ(chamfer->SecondOffset(builder, &second), 0);
  EXPECT_STREQ(first, "4.0");
  EXPECT_STREQ(second, "3.0");
  SM_free(first);
  SM_free(second);
  EXPECT_EQ(Interface<JAM::Builder_Interface>("Builder")->Destroy(builder), 0);
}

TEST_F(ModelingInterfaces, BadTagsAndScriptedFailuresMakeNothing) {
  auto* collection = Interface<JAM::FeatureCollection_Interface>("Features.FeatureCollection");
  auto* builders = Interface<JAM::Builder_Interface>("Builder");
  const double o[3] = {0, 0, 0};
  const tag_t point = ES_create_point(o);
  const tag_t a = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  const tag_t b = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  tag_t builder = 99;
  double x = 0, y = 0, z = 0;
  struct Row {
    const char* what;
    int status;
  };
  const Row rows[] = {
      {"destroy of tag 0", builders->Destroy(0)},
      {"destroy of a point", builders->Destroy(point)},
      {"extrude builder of a point", collection->CreateExtrudeBuilder(point, &builder)},
      {"place in mode 3", collection->PlaceFeatures(0, &a, 1, b, 3)},
      {"place before a point", collection->PlaceFeatures(0, &a, 1, point, 1)},
      {"place no feature", collection->PlaceFeatures(0, &a, 0, b, 1)},
      {"finish a point", Interface<JAM::Feature_Interface>("Features.Feature")->Operation13(point)},
      {"normal of a point", Interface<JAM::IPlane_Interface>("IPlane")->Normal(point, &x, &y, &z)},
  };
  for (const Row& row : rows) EXPECT_EQ(row.status, Error::kBadObject) << row.what;
  EXPECT_EQ(builder, 0u);
  EXPECT_EQ(collection->PlaceFeatures(0, &a, 1, b, 2), 0);
  const double m[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  EXPECT_EQ(Interface<JAM::IPlane_Interface>("IPlane")->Normal(ES_create_plane(o, m), &x, &y, &z), 0);
  EXPECT_EQ(std::vector<double>({x, y, z}), std::vector<double>({1, 0, 0}));

  Host::SetAnswer("Features.FeatureCollection.5", 670001);
  builder = 99;
  EXPECT_EQ(collection->CreateExtrudeBuilder(0, &builder), 670001);
  EXPECT_EQ(builder, 0u);

  // A builder destroyed once is no builder any more.
  Host::ClearAnswers();
  ASSERT_EQ(collection->CreateChamferBuilder(0, &builder), 0);
  EXPECT_EQ(builders->Destroy(builder), 0);
  EXPECT_EQ(builders->Destroy(builder), Error::kBadObject);
}

TEST_F(ModelingInterfaces, EachCallIsRecordedWithItsPlaceAndArguments) {
  const tag_t a = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  const tag_t b = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  Host::ClearCalls();
  EXPECT_EQ(Interface<JAM::Feature_Interface>("Features.Feature")->Operation13(a), 0);
  EXPECT_EQ(Interface<JAM::FeatureCollection_Interface>("Features.FeatureCollection")->PlaceFeatures(0, &a, 1, b, 1),
            0);
  ASSERT_EQ(Host::Calls().size(), 2u);
  EXPECT_EQ(Host::Calls()[0].name, "Features.Feature");
  EXPECT_EQ(Host::Calls()[0].args, "operation=13 feature=" + std::to_string(a));
  EXPECT_EQ(Host::Calls()[1].args, "operation=141 part=0 count=1 feature=" + std::to_string(a) +
                                       " reference=" + std::to_string(b) + " mode=1");
}

}  // namespace
