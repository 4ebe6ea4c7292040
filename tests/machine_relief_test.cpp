// The machine relief builder driven as the host drives it: its target kinds,
// its main profile, opened again for editing; as an object-manager class its
// registration, plain setters and target kind; as a scripting class its
// exports, set-up, members, defaults and test print.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::MachineReliefBuilder;
using KTX::DieDesJA::MachineReliefBuilderFactory;
using stamvik_test::DieDesignFeature;
using stamvik_test::TagsOf;

namespace {

// ---- machine relief ------------------------------------------------------------------

class MachineRelief : public DieDesignFeature {
 protected:
  static tag_t Polyline(bool closed) {
    const double points[] = {0, 0, 0, 50, 0, 0, 50, 30, 0, closed ? 0.0 : 20.0, 0, 0};
    return ES_create_polyline(4, points);
  }
};

TEST_F(MachineRelief, AnInteriorThickenedWallComesBackAsKindThreeWithSixInts) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  b->SetMainProfileType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  b->SetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  b->SetJogWall(true);
  b->GetTrimSheetFace()->append(ModelBody(BodyType::Sheet));
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  const int want[6] = {2, 1, 0, 0, 1, 0};
  ASSERT_EQ(parms->GetEntity(0)->AskCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(parms->AskEntityInt(0, i), want[i]) << i;
  // The faces' collector by its tag, mapped through the commit's table.
  EXPECT_EQ(TagsOf(parms, 8), std::vector<tag_t>{b->GetTrimSheetFace()->ask_tag()});
  EXPECT_EQ(b->GetTrimSheetFace()->ask_times_mapped(), 1);
  b->destroy();

  MachineReliefBuilder* edit = MachineReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(edit->GetMainProfileType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  EXPECT_TRUE(edit->GetJogWall());
  EXPECT_EQ(edit->GetTargetData()->GetReliefKind(), 3);
  EXPECT_EQ(edit->GetTrimSheetFace()->ask_count(), 1);
  edit->destroy();
}

TEST_F(MachineRelief, WithoutAClosedMainProfileTheTargetsCurveForTheKindDecidesStartAndEnd) {
  enum Effect { kOptional, kRequired, kKeep };
  struct Row {
    const char* name;
    int kind;
    int pair;  // the curve the target gives
    bool closedCurve;
    bool closedProfile;
    Effect want;
  };
  const Row rows[] = {
      {"cam, closed curve", 0, 0, true, false, kRequired},
      {"cam, open curve", 0, 0, false, false, kOptional},
      {"relief reads the first curve too", 1, 0, true, false, kRequired},
      {"interior wall reads the third", 3, 2, false, false, kOptional},
      {"exterior wall without its own curve", 2, 0, true, false, kKeep},
      {"a closed main profile", 0, 0, true, true, kKeep},
  };
  for (const Row& row : rows) {
    for (bool before : {false, true}) {
      MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
      if (row.closedProfile) ClosedLoop(b->GetMainProfile());
      b->GetTargetData()->SetReliefKind(row.kind);
      b->GetTargetData()->SetCurve(row.pair, true, Polyline(row.closedCurve));
      b->GetStart()->SetApplIsOverallRequired(before);
      b->GetEnd()->SetApplIsOverallRequired(before);
      b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
      const bool want = row.want == kKeep ? before : row.want == kRequired;
      EXPECT_EQ(b->GetStart()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      EXPECT_EQ(b->GetEnd()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      b->destroy();
    }
  }
}

TEST_F(MachineRelief, AMainProfileOfOneClosedAndOneOpenLoopMakesStartAndEndOptional) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetStart()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_FALSE(b->GetStart()->GetApplIsOverallRequired());
  EXPECT_FALSE(b->GetEnd()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetEnd()->GetApplIsOverallRequired());
  b->destroy();
}

TEST_F(MachineRelief, OpenedOnAnotherFeatureRaisesWithItsOwnText) {
  FEATURE_RECORD* other = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(DieDes::ClearanceFactory::Create(), 0, &other), 0);
  try {
    MachineReliefBuilderFactory::Create(modelPart(), other);
    ADD_FAILURE() << "no error raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_NE(std::string(e.what()).find("Feature is not a MachineRelief."), std::string::npos) << e.what();
  }
}

}  // namespace
