// The fill area builder driven as the host drives it: previewed, trimmed by
// its limits, committed and opened again; as a scripting class its set-up and
// property owner.
#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::FillAreaBuilder;
using KTX::DieDesJA::FillAreaBuilderFactory;
using stamvik_test::DieDesignFeature;
using stamvik_test::WriteBackAll;

namespace {

// ---- fill area --------------------------------------------------------------------------

class FillArea : public DieDesignFeature {
 protected:
  // A fill area whose target gives the base: the plane z = 10.
  FillAreaBuilder* BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types type) {
    FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
    b->SetType(type);
    const double origin[3] = {0, 0, 10}, normal[3] = {0, 0, 1};
    b->GetTargetData()->SetOrientationFlag(true);
    b->GetTargetData()->SetBase(origin, normal);
    return b;
  }
  // The argument of a logged call, after "key=" up to the next blank.
  static std::string Arg(const std::string& args, const std::string& key) {
    const std::size_t at = args.find(" " + key + "=");
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size() + 2;
    return args.substr(from, args.find(' ', from) - from);
  }
  // The trim of the limit with that code.
  static std::string Trim(int code) {
    for (const std::string& args : ArgsOf("FillArea::TrimToObjectStatic"))
      if (Arg(args, "code") == std::to_string(code)) return args;
    return "";
  }
};

// Any open loop in the boundary refuses the fill area, whatever closed loops
// it has too; then each tolerance at 1e-10 passes and just below fails.
TEST_F(FillArea, ValidationRefusesAnOpenBoundaryThenTolerancesBelowTheirLimit) {
  struct Row {
    const char* what;
    int closed, open;
    int want;
  };
  const Row rows[] = {
      {"one closed loop", 1, 0, 0},
      {"one open loop", 0, 1, 3030490},
      {"a closed and an open loop", 1, 1, 3030490},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
    for (int i = 0; i < row.closed; ++i) ClosedLoop(b->GetBoundary());
    for (int i = 0; i < row.open; ++i) OpenLoop(b->GetBoundary());
    EXPECT_EQ(b->validate_nothrow(), row.want);
    b->destroy();
  }
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetBoundary());
    ExpectToleranceLimit(b, tolerance);
    b->destroy();
  }
}

// The extrusions start below the base plane, along its normal, by the
// second entry of the kernel's scale-factor record times 0.001: the base
// (1, 2, 10) with normal (0, 0.6, 0.8) and a top 100 above the base.
TEST_F(FillArea, TheExtrusionsStartBelowTheBaseByTheKernelsScale) {
  struct Row {
    double fromKernel;
    double start[3];
    double height;
  };
  const Row rows[] = {
      {1000, {1, 2 - 0.6, 10 - 0.8}, 101},      // 1 below
      {2500, {1, 2 - 1.5, 10 - 2.0}, 102.5},    // 2.5 below
  };
  auto numbers = [](std::string text) {
    std::vector<double> out;
    for (char& c : text)
      if (c == '[' || c == ']' || c == ',') c = ' ';
    std::istringstream in(text);
    for (double v; in >> v;) out.push_back(v);
    return out;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.fromKernel);
    Kernel::SetScaleFactors(1 / row.fromKernel, row.fromKernel);
    FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
    b->SetType(DieDesJA::JA_FILL_AREA_BUILDER_Types_UserDefined);
    const double origin[3] = {1, 2, 10}, normal[3] = {0, 0.6, 0.8};
    b->GetTargetData()->SetOrientationFlag(true);
    b->GetTargetData()->SetBase(origin, normal);
    ClosedLoop(b->GetBoundary());
    Host::ClearCalls();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);
    Kernel::SetScaleFactors(0.001, 1000);
    const std::vector<std::string> extrusions = ArgsOf("FillArea::CreateBasicExtrusionsStatic");
    EXPECT_EQ(extrusions.size(), 1u);
    const std::vector<double> start = extrusions.empty() ? std::vector<double>{} : numbers(Arg(extrusions[0], "start"));
    EXPECT_EQ(start.size(), 3u);
    for (std::size_t i = 0; i < 3 && i < start.size(); ++i) EXPECT_NEAR(start[i], row.start[i], 1e-12) << i;
    if (!extrusions.empty()) {
      EXPECT_NEAR(std::stod(Arg(extrusions[0], "height")), row.height, 1e-9);
    }
    DieDesUtilsDeleteBodies(&count, &bodies);
    b->destroy();
  }
}

TEST_F(FillArea, WithoutABaseThePreviewFailsAndLeavesNothing) {
  FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetBoundary());
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  ExpectPreviewHandsOverNothing(b, 3030437);
  EXPECT_TRUE(ArgsOf("FillArea::CreateBasicExtrusionsStatic").empty());
  ExpectMark("Fill Area create bodies", true);
  b->destroy();
}

TEST_F(FillArea, AFailedTrimHandsOverNothingAndStillLetsTheProfilesGo) {
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_ScrapArea);
  ClosedLoop(b->GetBoundary());
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::SetAnswer("FillArea::TrimToObjectStatic", 3030999);
  Host::ClearCalls();
  ExpectPreviewHandsOverNothing(b, 3030999);
  ExpectMark("Fill Area create bodies", true);
  const std::vector<std::string> asleep = ArgsOf("RM_set_sleep_state");
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  ASSERT_EQ(asleep.size(), 1u);
  ASSERT_EQ(deleted.size(), 1u);
  // The one profile: asleep and on its way out.
  EXPECT_EQ(asleep[0], deleted[0] + " 1");
  b->destroy();
}

TEST_F(FillArea, AScrapAreaIsCutFromACopyOfTheTargetAndOtherTypesAreUnited) {
  struct Row {
    DieDesJA::JA_FILL_AREA_BUILDER_Types type;
    const char* operation;
  };
  const Row rows[] = {{DieDesJA::JA_FILL_AREA_BUILDER_Types_ScrapArea, "15902"},
                      {DieDesJA::JA_FILL_AREA_BUILDER_Types_UserDefined, "15903"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.operation);
    FillAreaBuilder* b = BuilderOnBase(row.type);
    ClosedLoop(b->GetBoundary());
    ClosedLoop(b->GetBoundary());
    b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
    Host::ClearCalls();
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);
    const std::vector<std::string> extrusions = ArgsOf("FillArea::CreateBasicExtrusionsStatic");
    EXPECT_EQ(extrusions.size(), 1u);
    if (extrusions.size() == 1u) {
      EXPECT_EQ(Arg(extrusions[0], "code"), "420000");
      EXPECT_EQ(Arg(extrusions[0], "kind"), "424999");
      const std::string profiles = Arg(extrusions[0], "profiles");
      EXPECT_EQ(std::count(profiles.begin(), profiles.end(), ','), 1) << profiles;
    }
    const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies");
    EXPECT_EQ(booleans.size(), 1u);
    if (booleans.size() == 1u) {
      EXPECT_EQ(Arg(booleans[0], "operations"), std::string("[") + row.operation + "," + row.operation + "]");
      EXPECT_TRUE(Has(booleans[0], "text=\"Fill Area: Performing boolean operation\"")) << booleans[0];
    }
    EXPECT_EQ(count, 1);
    if (count == 1 && booleans.size() == 1u) {
      EXPECT_EQ(std::to_string(bodies[0]), Arg(" " + booleans[0], "target"));
    }
    EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
    ExpectMark("Fill Area create bodies", false);
    DieDesUtilsDeleteBodies(&count, &bodies);
    b->destroy();
  }
}

TEST_F(FillArea, TheLimitsTrimWithTheSheetsAndPlanesTheTypeCallsFor) {
  // Lower offset of exactly the tolerance: no offset, nothing to trim with.
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_UserDefined);
  ClosedLoop(b->GetBoundary());
  Set(b->GetLowerLimitOffset(), "0.01");
  int count = 0;
  int* bodies = nullptr;
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(429999), "side"), "1");
  EXPECT_EQ(Arg(Trim(429999), "trimBody"), "0");
  DieDesUtilsDeleteBodies(&count, &bodies);

  // A real offset with an upper sheet: the lower limit trims with that sheet.
  int sheet = 0;
  b->GetUpperLimitSheet()->set_selected_tag(ModelBody(BodyType::Sheet, &sheet));
  Set(b->GetLowerLimitOffset(), "5");
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(429999), "side"), "0");
  EXPECT_EQ(Arg(Trim(429999), "trimBody"), std::to_string(sheet));
  EXPECT_EQ(Arg(Trim(429999), "offset"), "5");
  DieDesUtilsDeleteBodies(&count, &bodies);

  // An upper plane parallel to the base: trimmed against it, facing down.
  b->SetUpperLimitType(DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  CoordinateSystemAt(b->GetUpperLimitPlane(), 40);
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(410000), "direction"), "[0,0,-1]");
  EXPECT_EQ(Arg(Trim(410000), "usePlane"), "1");
  EXPECT_EQ(Arg(Trim(410000), "point"), "[0,0,40]");
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(FillArea, CommittedAndOpenedAgainItHoldsItsLimitsAndType) {
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  const tag_t lower = ModelBody(BodyType::Sheet);
  b->GetLowerLimitSheet()->set_selected_tag(lower);
  b->SetUpperLimitType(DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  Set(b->GetLowerLimitOffset(), "3");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  FillAreaBuilder* edit = FillAreaBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  EXPECT_EQ(edit->GetUpperLimitType(), DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  EXPECT_EQ(edit->GetLowerLimitSheet()->ask_selected_tag(), lower);
  EXPECT_EQ(edit->GetUpperLimitSheet()->ask_selected_tag(), 0u);
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetLowerLimitOffset()), 3.0);
  edit->destroy();
  FillAreaBuilder* other = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(RaisedCode([&] { other->ConvertBuilderDataToFrec(nullptr); }), 670156);
  other->destroy();
}

// ---- as a scripting class -------------------------------------------------------------

using namespace stamvik_test::lists;

class FillAreaSetUp : public stamvik_test::ScriptingClassSetUp {};
class FillAreaOwners : public stamvik_test::DieToolBuilderOwners {};

TEST_F(FillAreaSetUp, FillAreaInItsOrder) {
  std::vector<std::string> deps = {"Die.DiePlaneBuilder", "Expression", "Section", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.FillAreaBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.FillAreaBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ",
               {"Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder", "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_enum Die.FillAreaBuilder.Types 4",
          "JAM_lookup_or_create_enum Die.FillAreaBuilder.UpperLimitTypes 4",
          "JAM_add_enum_member Die.FillAreaBuilder.Types BaseFlange 0",
          "JAM_add_enum_member Die.FillAreaBuilder.Types ProductContact 1",
          "JAM_add_enum_member Die.FillAreaBuilder.Types ScrapArea 2",
          "JAM_add_enum_member Die.FillAreaBuilder.Types UserDefined 3",
          "JAM_add_enum_member Die.FillAreaBuilder.UpperLimitTypes Sheet 0",
          "JAM_add_enum_member Die.FillAreaBuilder.UpperLimitTypes Plane 1",
          "JAM_create_class Die.FillAreaBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.FillAreaBuilder",
          "JAM_register_initialisation_function Die.FillAreaBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.FillAreaBuilder ",
               {"BaseOrientation 0 1", "Boundary 0 1", "LowerLimitOffset 0 1", "LowerLimitSheet 0 1", "Target 0 1",
                "UpperLimitPlane 0 1", "UpperLimitSheet 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(FillAreaOwners, FillAreaSetPropertiesWritesTypeLastEachAsItsOwnCall) {
  Property::Owner* owner = OwnerOf("Die.FillAreaBuilder");
  ASSERT_NE(owner, nullptr);
  std::vector<std::string> members;
  for (const JAM::Record& r : WriteBackAll(owner, fill_)) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"UpperLimitType", "DistanceTolerance", "AngleTolerance", "Type"}));
}

}  // namespace
