// The vehicle-design builders as the host sees them: their registrations, a
// new manikin and tire envelope, the tire envelope's indexed arrays, its work
// area through destruction and undo, and where its tire bodies come from.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jax_features_tire_envelope_builder.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::ExpectJournalName;
using stamvik_test::ExpectRegisteredClass;
using stamvik_test::ExpectReferencedClass;
using stamvik_test::ExpectRow;
using stamvik_test::HostTest;

namespace KTX::VDJA {
extern const OM::ClassAttributeStruct ManikinBuilderAttributeTable[];
extern const OM::ClassAttributeStruct TireEnvelopeBuilderAttributeTable[];
}  // namespace KTX::VDJA

namespace {

class VehicleBuilders : public HostTest {
 protected:
  void TearDown() override {
    VD::ResetCsysAnswer();
    HostTest::TearDown();
  }
  TireEnvelopeBuilder* NewTireEnvelope() { return TireEnvelopeBuilderFactory::Create(modelPart(), nullptr); }
  static int Count(const char* call) { return static_cast<int>(Host::CallNames({call}).size()); }
};

// How wide a row's value lies in the object: 8-byte values, pointers, 4-byte values, logicals.
int WidthRank(const OM::ClassAttributeStruct* row) {
  const std::uint32_t element = OM::TypeCode::Element(row->typeCode);
  const bool heap = OM::TypeCode::Count(row->typeCode) == OM::TypeCode::kVariable;
  if (heap || element == OM::TypeCode::kReference || element == OM::TypeCode::kString ||
      element == OM::TypeCode::kUString || element == OM::TypeCode::kStruct)
    return 1;
  if (element == OM::TypeCode::kDouble) return 0;
  if (element == OM::TypeCode::kLogical) return 3;
  return 2;
}

std::string UnitOf(const EXP_expression* e) { return e == nullptr ? "(none)" : e->ask_unit()->name; }

// ---- registrations ---------------------------------------------------------------

TEST_F(VehicleBuilders, ClassesAsTheHostDescribesThem) {
  OM::ClassView manikin, tire;
  ASSERT_NO_FATAL_FAILURE(ExpectRegisteredClass(ManikinBuilderClassId, "KTX::VDJA::ManikinBuilder",
                                                "KTX::JAX_FEAT_BUILDER", 33, &manikin));
  ASSERT_NO_FATAL_FAILURE(ExpectRegisteredClass(TireEnvelopeBuilderClassId, "KTX::VDJA::TireEnvelopeBuilder",
                                                "KTX::JAX_FEAT_BUILDER", 103, &tire));
  EXPECT_EQ(&TireEnvelopeBuilder::ThisClassId, &TireEnvelopeBuilderClassId);

  struct Want {
    const OM::ClassView* view;
    unsigned index;
    const char* field;
    std::uint32_t type, flags;
    const char* referenced;
  };
  const Want wants[] = {
      {&tire, 15, "m_wheelCsys", 9, 0x404001, nullptr},
      {&tire, 2, "m_sessionNotes", 0xffff0010, 0x10000201, nullptr},
      {&tire, 98, "m_compOffsets", 0xffff0006, 0x201, nullptr},
      {&tire, 17, "m_wheelRimDiameter", 4, 0x1a04001, "KTX::EXP_expression"},
      {&tire, 102, "m_uiData", 0xf, 0x1, nullptr},
      {&manikin, 16, "m_selectHipPoint", 9, 0x1000001, nullptr},
      {&manikin, 5, "m_currentManikinSize", 0x10, 0x201, nullptr},
      {&manikin, 14, "m_saveFileName", 0xd, 0x201, nullptr},
      {&manikin, 29, "m_wheelAngle", 4, 0x1a04001, "KTX::EXP_expression"},
  };
  for (const Want& want : wants) {
    SCOPED_TRACE(want.field);
    const OM::ClassAttributeStruct* row = want.view->rows.at(want.index);
    ExpectRow(row, want.index, want.field, want.type, want.flags);
    ExpectReferencedClass(row, want.referenced);
  }

  // Both tables list their rows as the fields lie, widest first, none with a value.
  for (const OM::ClassView* view : {&manikin, &tire}) {
    SCOPED_TRACE(view->name);
    const OM::ClassAttributeStruct* table = view->name == manikin.name ? ManikinBuilderAttributeTable
                                                                       : TireEnvelopeBuilderAttributeTable;
    for (std::size_t i = 0; i < view->rows.size(); ++i) {
      EXPECT_EQ(table[i].initialValue, nullptr) << table[i].fieldName;
      if (i == 0) continue;
      EXPECT_GT(table[i].fieldPlace, table[i - 1].fieldPlace) << table[i].fieldName;
      EXPECT_GE(WidthRank(&table[i]), WidthRank(&table[i - 1])) << table[i].fieldName;
    }
  }
}

// ---- a new manikin ------------------------------------------------------------------

TEST_F(VehicleBuilders, NewManikinIsAClassADriverOfTheFirstStandard) {
  ManikinBuilder* manikin = ManikinBuilderFactory::Create(modelPart(), nullptr);
  ExpectJournalName(manikin, "Features.ManikinBuilder");
  EXPECT_EQ(manikin->GetPosition(), Driver);
  EXPECT_EQ(manikin->GetClassification(), ClassA);
  EXPECT_EQ(manikin->GetStandard(), SAEJ826Jul1995);
  EXPECT_EQ(manikin->GetSAEPercentile(), J826Type95thPercentile);
  EXPECT_FALSE(manikin->GetDrivingPostureCheck());
  EXPECT_EQ(manikin->GetCurrentManikinSize(), UString(""));
  EXPECT_STREQ(manikin->GetSaveFileName(), "");

  std::vector<std::string> units;
#define STAMVIK_COLLECT(Name, field)                                   \
  EXPECT_EQ(manikin->Get##Name() != nullptr ? manikin->Get##Name()->ask_value() : -1, 0) << #Name; \
  units.push_back(UnitOf(manikin->Get##Name()));
  STAMVIK_MANIKIN_SIZE_EXPRESSIONS(STAMVIK_COLLECT)
  STAMVIK_MANIKIN_POSTURE_EXPRESSIONS(STAMVIK_COLLECT)
#undef STAMVIK_COLLECT
  const std::vector<std::string> want = {
      "MilliMeter", "MilliMeter", "MilliMeter", "MilliMeter", "MilliMeter", "MilliMeter", "MilliMeter",
      "MilliMeter", "MilliMeter", "MilliMeter", "MilliMeter", "Degrees",    "MilliMeter", "MilliMeter",
      "Degrees",    "MilliMeter", "MilliMeter", "MilliMeter", "Degrees"};
  EXPECT_EQ(units, want);
  manikin->destroy();
}

TEST_F(VehicleBuilders, ManikinTextsAreUndoneWithTheBuilder) {
  ManikinBuilder* manikin = ManikinBuilderFactory::Create(modelPart(), nullptr);
  manikin->SetCurrentManikinSize(UString("SAE J826 99%"));
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "texts", &error);
  manikin->SetCurrentManikinSize(UString("mine"));
  manikin->SetCurrentManikinSize(manikin->GetCurrentManikinSize());
  manikin->SetSaveFileName("sizes.txt");
  EXPECT_EQ(manikin->GetCurrentManikinSize(), UString("mine"));
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(manikin->GetCurrentManikinSize(), UString("SAE J826 99%"));
  EXPECT_STREQ(manikin->GetSaveFileName(), "");
  // Written again under the same mark and undone a second time.
  manikin->SetCurrentManikinSize(UString("other"));
  manikin->SetSaveFileName("more.txt");
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_EQ(manikin->GetCurrentManikinSize(), UString("SAE J826 99%"));
  EXPECT_STREQ(manikin->GetSaveFileName(), "");
  manikin->destroy();
}

// ---- a new tire envelope -----------------------------------------------------------

TEST_F(VehicleBuilders, NewTireEnvelopeStartsAsTheHostExpects) {
  const double origin[3] = {100, -20, 5};
  const double matrix[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  VD::SetCsysAnswer(2, origin, matrix);
  TireEnvelopeBuilder* tire = NewTireEnvelope();
  ExpectJournalName(tire, "Features.TireEnvelopeBuilder");
  EXPECT_TRUE(tire->GetXtoY());
  EXPECT_EQ(tire->GetEnvelopeOffset(), FixedSections);
  EXPECT_FALSE(tire->GetUseOffsetFile());
  EXPECT_STREQ(tire->GetScenarioName(), "");
  EXPECT_STREQ(tire->GetSpindleLineHandle(), "");
  EXPECT_STREQ(tire->GetMasterPartName(), "");
  EXPECT_EQ(tire->GetAssemblyPart(), part()->OmTag());
  EXPECT_EQ(tire->GetSpindleCurveLength(), 0);

  int type = -1;
  double gotOrigin[3], gotMatrix[9];
  tire->GetVehicleCsys(&type, gotOrigin, gotMatrix);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(std::vector<double>(gotOrigin, gotOrigin + 3), std::vector<double>(origin, origin + 3));
  EXPECT_EQ(std::vector<double>(gotMatrix, gotMatrix + 9), std::vector<double>(matrix, matrix + 9));

  // The host fills the three hard-point records of the builder's own work area.
  const auto* area = static_cast<const unsigned char*>(tire->GetUiData());
  char expected[3][64];
  std::snprintf(expected[0], sizeof expected[0], "%p", static_cast<const void*>(area + 48936));
  std::snprintf(expected[1], sizeof expected[1], "%p", static_cast<const void*>(area + 49880));
  std::snprintf(expected[2], sizeof expected[2], "%p", static_cast<const void*>(area + 50904));
  std::vector<std::string> initial;
  for (const Host::Call& call : Host::Calls())
    if (call.name.rfind("QF_VD_", 0) == 0) initial.push_back(call.name + " " + call.args);
  EXPECT_EQ(initial, (std::vector<std::string>{"QF_VD_MAC_SUSP_initial " + std::string(expected[0]),
                                               "QF_VD_SLA_SUSP_initial " + std::string(expected[1]),
                                               "QF_VD_FLA_SUSP_initial " + std::string(expected[2])}));
  tire->destroy();
}

TEST_F(VehicleBuilders, FourteenExpressionsAtZeroInThePartsUnits) {
  struct Case {
    int unitCode;
    const char* length;
  };
  for (const Case& c : {Case{0, "MilliMeter"}, Case{1, "Inch"}}) {
    SCOPED_TRACE(c.length);
    part()->SetUnitCode(c.unitCode);
    TireEnvelopeBuilder* tire = NewTireEnvelope();
    std::vector<std::string> got, want;
#define STAMVIK_COLLECT(Name, field, measure, settable)                           \
  got.push_back(#Name " " + UnitOf(tire->Get##Name()) + " " +                     \
                (tire->Get##Name() ? std::to_string(tire->Get##Name()->ask_value()) : ""));
    STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(STAMVIK_COLLECT)
#undef STAMVIK_COLLECT
    const std::string zero = " 0.000000";
    for (const char* name : {"WheelRimDiameter", "WheelCenterlineShift"}) want.push_back(name + (" " + std::string(c.length)) + zero);
    want.push_back("RollAngle Degrees" + zero);
    want.push_back("DistanceTolerance " + std::string(c.length) + zero);
    want.push_back("RadialStartAngle Degrees" + zero);
    want.push_back("RadialEndAngle Degrees" + zero);
    for (const char* name : {"TrimRadius", "FrontOffsetValue", "UpOffsetValue", "RearOffsetValue", "DownOffsetValue",
                             "InboardOffsetValue", "OutboardOffsetValue", "ClearanceValue"})
      want.push_back(name + (" " + std::string(c.length)) + zero);
    EXPECT_EQ(got, want);
    tire->destroy();
  }
}

TEST_F(VehicleBuilders, EnvelopeOffsetUsesTheOffsetFileOnlyFromAFile) {
  TireEnvelopeBuilder* tire = NewTireEnvelope();
  struct Case {
    JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod method;
    bool useFile;
  };
  for (const Case& c : {Case{FromOffsetFile, true}, Case{CustomerDefinedData, false}, Case{FromOffsetFile, true},
                        Case{FixedSections, false}}) {
    EXPECT_EQ(JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(tire, c.method), 0);
    EXPECT_EQ(tire->GetEnvelopeOffset(), c.method);
    EXPECT_EQ(tire->GetUseOffsetFile(), c.useFile) << c.method;
  }
  tire->destroy();
}

// ---- arrays ----------------------------------------------------------------------------

TEST_F(VehicleBuilders, IndexedSetsGrowByOneAndNoFurther) {
  TireEnvelopeBuilder* tire = NewTireEnvelope();
  EXPECT_EQ(tire->GetNumSessionNotes(), 0);
  EXPECT_EQ(tire->GetNthValueInSessionNotes(0), UString(""));
  EXPECT_EQ(tire->GetProfileCurveLength(), 0);
  EXPECT_EQ(RaisedCode([&] { tire->GetProfileCurve(0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { tire->GetCompOffset(-1); }), Error::kIndexOutOfRange);

  tire->SetNthValueInSessionNotes(0, UString("first"));
  tire->SetNthValueInSessionNotes(1, UString("second"));
  tire->SetNthValueInSessionNotes(0, UString("changed"));
  EXPECT_EQ(RaisedCode([&] { tire->SetNthValueInSessionNotes(3, UString("far")); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { tire->SetNthValueInSessionNotes(-1, UString("before")); }), Error::kIndexOutOfRange);
  EXPECT_EQ(tire->GetNumSessionNotes(), 2);
  EXPECT_EQ(tire->GetNthValueInSessionNotes(0), UString("changed"));
  EXPECT_EQ(tire->GetNthValueInSessionNotes(1), UString("second"));

  tire->SetProfileCurve(0, 1234);
  tire->SetProfileCurve(1, 1235);
  EXPECT_EQ(RaisedCode([&] { tire->SetProfileCurve(3, 9); }), Error::kIndexOutOfRange);
  EXPECT_EQ(tire->GetProfileCurveLength(), 2);
  EXPECT_EQ(tire->GetProfileCurve(1), 1235u);
  EXPECT_EQ(RaisedCode([&] { tire->GetProfileCurve(2); }), Error::kIndexOutOfRange);

  tire->SetCompOffset(0, 2.5);
  tire->SetJointTagHandle(0, "steer");
  tire->SetJointTagHandle(1, "jounce");
  EXPECT_EQ(RaisedCode([&] { tire->SetFLADrvJointHandle(1, "x"); }), Error::kIndexOutOfRange);
  EXPECT_EQ(tire->GetCompOffset(0), 2.5);
  EXPECT_STREQ(tire->GetJointTagHandle(1), "jounce");
  EXPECT_EQ(tire->GetFLADrvJointHandleLength(), 0);
  tire->destroy();
}

// ---- where the tire body comes from ---------------------------------------------------

TEST_F(VehicleBuilders, SolidBodyFromComponentPartOnlyForAnotherPartsBody) {
  PART_part* other = PART_part::Create(0);
  const tag_t own = ES_solid::Make(part(), 0)->OmTag();
  const tag_t foreign = ES_solid::Make(other, 0)->OmTag();
  const tag_t occurrence = OCC_occurrence::Place(part(), foreign)->OmTag();
  struct Case {
    const char* what;
    tag_t body;
    bool fromComponent;
  };
  for (const Case& c : {Case{"nothing selected", 0, true}, Case{"a work-part body", own, false},
                        Case{"an occurrence of another part's body", occurrence, true}}) {
    SCOPED_TRACE(c.what);
    TireEnvelopeBuilder* tire = NewTireEnvelope();
    if (c.body != 0) tire->GetTireDefinitionBody()->append(c.body);
    EXPECT_EQ(tire->IsSolidBodyFromComponentPart(), c.fromComponent);
    tire->destroy();
  }
  other->destroy();
}

// ---- the work area through destruction and undo --------------------------------------

TEST_F(VehicleBuilders, RevivedBuilderGetsAFreshWorkAreaAndFreesOne) {
  TireEnvelopeBuilder* tire = NewTireEnvelope();
  MotionRecordOf(tire->WorkArea())->xValues = static_cast<double*>(SM_alloc(4 * sizeof(double)));
  tire->WorkArea()->macpherson.leftStabilizerBar = static_cast<tag_t*>(SM_alloc(2 * sizeof(tag_t)));
  const Memory::Counters alive = Memory::LiveCounters();

  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "destroy", &error);
  tire->destroy();
  EXPECT_EQ(Memory::LiveCounters().blocks, alive.blocks - 3) << "the work area and its two arrays";
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);

  auto* area = static_cast<Tire_s*>(tire->GetUiData());
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(MotionRecordOf(area)->xValues, nullptr);
  EXPECT_EQ(area->macpherson.leftStabilizerBar, nullptr);
  const VD_point_pair_s& wheel = area->fiveLink.wheelCenterline;
  EXPECT_NE(std::memcmp(&wheel.point, &wheel.second, sizeof wheel.point), 0) << "the initial points are in place";
  EXPECT_EQ(Memory::LiveCounters().blocks, alive.blocks - 2);
  tire->destroy();
  EXPECT_EQ(Count("TIREENV_exit_scenario_reset_master"), 2);
}

TEST_F(VehicleBuilders, UndoingTheCreationFreesTheWorkArea) {
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "create", &error);
  NewTireEnvelope()->WorkArea();
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  // The part's teardown checks that the counters are back.
}

TEST_F(VehicleBuilders, NoWorkAreaNoBuilder) {
  Memory::FailNextAllocationOfSize(sizeof(Tire_s));
  EXPECT_EQ(RaisedCode([&] { NewTireEnvelope(); }), Error::kNoMemory);
  EXPECT_EQ(Count("TIREENV_exit_scenario_reset_master"), 1);
  // Nothing is left alive: the part's teardown checks objects and memory.
}

TEST_F(VehicleBuilders, BuilderMadeByTheHostGetsItsWorkAreaOnFirstUse) {
  auto* tire = static_cast<TireEnvelopeBuilder*>(
      OM::ObjectFactory::CreateObject(TireEnvelopeBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  EXPECT_EQ(Count("QF_VD_MAC_SUSP_initial"), 0);
  ASSERT_NE(tire->GetUiData(), nullptr);
  EXPECT_EQ(tire->GetUiData(), tire->WorkArea());
  EXPECT_EQ(Count("QF_VD_MAC_SUSP_initial"), 1);
  tire->destroy();
}

}  // namespace
