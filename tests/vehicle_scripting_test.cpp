// The scripting classes of the automotive collection and the manikin builder:
// the shared enumerator, the creators' checks, the size name as a host text,
// the defaults in both unit sets and the property owner. Expected values are
// typed from the classes' published descriptions.
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "ja_exports.hpp"
#include "ja_features_automotive_collection_jam.hpp"
#include "ja_features_manikin_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using VDJA::ManikinBuilder;

namespace {

class VehicleScripting : public stamvik_test::JamTest {
 protected:
  void TearDown() override {
    for (tag_t t : made_)
      if (auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(t))) builder->destroy();
    stamvik_test::JamTest::TearDown();
  }
  ManikinBuilder* Manikin() {
    tag_t made = 0;
    EXPECT_EQ(XJA_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder(part()->OmTag(), 0, &made), 0);
    made_.push_back(made);
    return dynamic_cast<ManikinBuilder*>(OM::OM_object_of_tag(made));
  }
  std::vector<tag_t> made_;
};

TEST_F(VehicleScripting, BothCollectionsEnumerateThroughOneFunction) {
  std::map<std::string, std::string> symbols = stamvik_test::DynamicSymbolAddresses();
  ASSERT_EQ(symbols.count("XJA_AutomotiveCollection_enumerate"), 1u);
  EXPECT_EQ(symbols["XJA_AutomotiveCollection_enumerate"], symbols["XJA_AutoDieCollection_enumerate"]);
  EXPECT_EQ(stamvik_test::ExportsStartingWith("XJA_MANIKIN_BUILDER_").size(), 37u);
  EXPECT_EQ(stamvik_test::ExportsStartingWith("XJA_FEATURE_AUTOMOTIVE_COLLECTION_").size(), 2u);
  stamvik_test::ExpectInterfaceId<Features_AutomotiveCollection_Interface>("Features.AutomotiveCollection", 0x044b2aed);
  stamvik_test::ExpectInterfaceId<Features_ManikinBuilder_Interface>("Features.ManikinBuilder", 0x9c099cc2);
  // The last operation of both collections hands out the one enumerator.
  auto* automotive = static_cast<Features_AutomotiveCollection_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Features.AutomotiveCollection"));
  auto* autoDie = static_cast<Tooling_AutoDieCollection_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Tooling.AutoDieCollection"));
  EXPECT_EQ(automotive->Enumerate(), autoDie->Enumerate());
}

// Each member reaches the manikin's own field: nineteen different
// expressions, each of three flags set alone, and four enumerations set to
// values that differ from each other.
TEST_F(VehicleScripting, EachManikinMemberReachesItsOwnField) {
  ManikinBuilder* m = Manikin();
  ASSERT_NE(m, nullptr);
  struct Expression {
    const char* name;
    int (*get)(ManikinBuilder*, EXP_expression**);
    EXP_expression* (ManikinBuilder::*field)() const;
  };
  const Expression expressions[] = {
      {"ThighLength", XJA_MANIKIN_BUILDER_get_ThighLength, &ManikinBuilder::GetThighLength},
      {"LegLength", XJA_MANIKIN_BUILDER_get_LegLength, &ManikinBuilder::GetLegLength},
      {"ArmLength", XJA_MANIKIN_BUILDER_get_ArmLength, &ManikinBuilder::GetArmLength},
      {"ForearmLength", XJA_MANIKIN_BUILDER_get_ForearmLength, &ManikinBuilder::GetForearmLength},
      {"TorsoLength", XJA_MANIKIN_BUILDER_get_TorsoLength, &ManikinBuilder::GetTorsoLength},
      {"ShoulderToHipLength", XJA_MANIKIN_BUILDER_get_ShoulderToHipLength, &ManikinBuilder::GetShoulderToHipLength},
      {"HandLength", XJA_MANIKIN_BUILDER_get_HandLength, &ManikinBuilder::GetHandLength},
      {"HandGripLength", XJA_MANIKIN_BUILDER_get_HandGripLength, &ManikinBuilder::GetHandGripLength},
      {"SgRPLength", XJA_MANIKIN_BUILDER_get_SgRPLength, &ManikinBuilder::GetSgRPLength},
      {"SgRPWidth", XJA_MANIKIN_BUILDER_get_SgRPWidth, &ManikinBuilder::GetSgRPWidth},
      {"SgRPHeight", XJA_MANIKIN_BUILDER_get_SgRPHeight, &ManikinBuilder::GetSgRPHeight},
      {"BackAngle", XJA_MANIKIN_BUILDER_get_BackAngle, &ManikinBuilder::GetBackAngle},
      {"AHPLength", XJA_MANIKIN_BUILDER_get_AHPLength, &ManikinBuilder::GetAHPLength},
      {"AHPHeight", XJA_MANIKIN_BUILDER_get_AHPHeight, &ManikinBuilder::GetAHPHeight},
      {"PedalPlaneAngle", XJA_MANIKIN_BUILDER_get_PedalPlaneAngle, &ManikinBuilder::GetPedalPlaneAngle},
      {"AHPToSWCLength", XJA_MANIKIN_BUILDER_get_AHPToSWCLength, &ManikinBuilder::GetAHPToSWCLength},
      {"AHPToSWCHeight", XJA_MANIKIN_BUILDER_get_AHPToSWCHeight, &ManikinBuilder::GetAHPToSWCHeight},
      {"WheelDiameter", XJA_MANIKIN_BUILDER_get_WheelDiameter, &ManikinBuilder::GetWheelDiameter},
      {"WheelAngle", XJA_MANIKIN_BUILDER_get_WheelAngle, &ManikinBuilder::GetWheelAngle}};
  for (const Expression& e : expressions) {
    EXP_expression* got = nullptr;
    EXPECT_EQ(e.get(m, &got), 0) << e.name;
    EXPECT_EQ(got, (m->*e.field)()) << e.name;
  }
  struct Flag {
    const char* name;
    int (*get)(ManikinBuilder*, bool*);
    int (*set)(ManikinBuilder*, bool);
    bool (ManikinBuilder::*field)() const;
  };
  const Flag flags[] = {
      {"AllowPostureValueOutOfRange", XJA_MANIKIN_BUILDER_get_AllowPostureValueOutOfRange, XJA_MANIKIN_BUILDER_set_AllowPostureValueOutOfRange, &ManikinBuilder::GetAllowPostureValueOutOfRange},
      {"DrivingPostureCheck", XJA_MANIKIN_BUILDER_get_DrivingPostureCheck, XJA_MANIKIN_BUILDER_set_DrivingPostureCheck, &ManikinBuilder::GetDrivingPostureCheck},
      {"JointAngleReport", XJA_MANIKIN_BUILDER_get_JointAngleReport, XJA_MANIKIN_BUILDER_set_JointAngleReport, &ManikinBuilder::GetJointAngleReport}};
  for (const Flag& on : flags) {
    SCOPED_TRACE(on.name);
    for (const Flag& f : flags) EXPECT_EQ(f.set(m, &f == &on), 0) << f.name;
    for (const Flag& f : flags) {
      bool got = !(&f == &on);
      EXPECT_EQ(f.get(m, &got), 0) << f.name;
      EXPECT_EQ(got, &f == &on) << f.name;
      EXPECT_EQ((m->*f.field)(), &f == &on) << f.name;
    }
  }
  // Passenger, class B, the J833 standard and its 95th percentile male.
  using VDJA::ClassB, VDJA::J833LargeHuman95thMale, VDJA::Passenger, VDJA::Saej833;
  EXPECT_EQ(XJA_MANIKIN_BUILDER_set_Position(m, Passenger), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_set_Classification(m, ClassB), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_set_Standard(m, Saej833), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_set_SAEPercentile(m, J833LargeHuman95thMale), 0);
  EXPECT_EQ(m->GetPosition(), Passenger);
  EXPECT_EQ(m->GetClassification(), ClassB);
  EXPECT_EQ(m->GetStandard(), Saej833);
  EXPECT_EQ(m->GetSAEPercentile(), J833LargeHuman95thMale);
  int position = -1, classification = -1, standard = -1, percentile = -1;
  EXPECT_EQ(XJA_MANIKIN_BUILDER_get_Position(m, &position), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_get_Classification(m, &classification), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_get_Standard(m, &standard), 0);
  EXPECT_EQ(XJA_MANIKIN_BUILDER_get_SAEPercentile(m, &percentile), 0);
  EXPECT_EQ(position, Passenger);
  EXPECT_EQ(classification, ClassB);
  EXPECT_EQ(standard, Saej833);
  EXPECT_EQ(percentile, J833LargeHuman95thMale);
}

TEST_F(VehicleScripting, ACollectionOfNoPartIsRefusedBeforeTheHostIsAsked) {
  using Create = int (*)(tag_t, tag_t, tag_t*);
  for (Create create : {&XJA_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder,
                        &XJA_FEATURE_AUTOMOTIVE_COLLECTION_create_tire_envelope_builder}) {
    Host::ClearCalls();
    tag_t made = 77;
    EXPECT_EQ(create(0, 0, &made), Error::kBadObject);
    EXPECT_EQ(made, 0u);
    // Only the journal and the error: no part, feature or factory asked.
    for (const Host::Call& c : Host::Calls())
      EXPECT_TRUE(c.name.rfind("JAM_", 0) == 0 || c.name.rfind("ERROR_", 0) == 0 ||
                  c.name.rfind("FileInitializer", 0) == 0)
          << c.name;
  }
  tag_t made = 77;
  EXPECT_EQ(XJA_FEATURE_AUTOMOTIVE_COLLECTION_create_manikin_builder(part()->OmTag(), 999999, &made),
            Error::kBadObject);
  EXPECT_EQ(made, 0u);
}

TEST_F(VehicleScripting, TheSizeNameCrossesAsANewHostText) {
  ManikinBuilder* b = Manikin();
  ASSERT_NE(b, nullptr);
  TEXT_s* size = TEXT_create_string("Größe 95");
  JAM::ClearJournal();
  ASSERT_EQ(XJA_MANIKIN_BUILDER_set_CurrentManikinSize(b, size), 0);
  TEXT_free(size);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "currentmanikinsize");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).text, "Größe 95");
  TEXT_s* read = nullptr;
  ASSERT_EQ(XJA_MANIKIN_BUILDER_get_CurrentManikinSize(b, &read), 0);
  EXPECT_STREQ(TEXT_ask_utf8(read), "Größe 95");
  TEXT_free(read);
}

TEST_F(VehicleScripting, DefaultsTakeTheInchSetOnlyInAnInchPart) {
  ManikinBuilder* b = Manikin();
  ASSERT_NE(b, nullptr);
  JAM::FileInitializer::Initialize("Features.ManikinBuilder");
  auto lengths = [&] {
    Host::ClearCalls();
    JAM::ClearJournal();
    JAM::Test::DefaultsFunction("Features.ManikinBuilder")(b->OmTag(), true);
    EXPECT_TRUE(JAM::Recorded().empty());
    std::vector<std::string> out;
    for (const std::string& w : stamvik_test::NamedWrites(std::to_string(b->OmTag())))
      if (w.rfind("LegLength.Value=", 0) == 0 || w.rfind("ThighLength.Value=", 0) == 0) out.push_back(w);
    return out;
  };
  const std::vector<std::string> millimetre =
      stamvik_test::Paused({"LegLength.Value=436.82", "ThighLength.Value=469.26"});
  EXPECT_EQ(lengths(), millimetre);
  part()->SetUnitCode(1);
  EXPECT_EQ(lengths(), stamvik_test::Paused({"LegLength.Value=17.20", "ThighLength.Value=18.47"}));
  PART_set_work_part(nullptr);
  EXPECT_EQ(lengths(), millimetre);
}

TEST_F(VehicleScripting, TheOwnerReadsEnumerationsAndExpressionsByEitherName) {
  ManikinBuilder* b = Manikin();
  ASSERT_NE(b, nullptr);
  b->SetPosition(VDJA::Passenger);
  Property::Owner* owner = JAM::PropertyMapper::GetOwner("Features.ManikinBuilder");
  Property::ValuePtr position(owner->GetProperty(b, "Position"));
  ASSERT_NE(position, nullptr);
  EXPECT_STREQ(static_cast<const Property::Enum&>(*position).GetMemberName(), "Passenger");
  Property::ValuePtr height(owner->GetProperty(b, "a_h_p_to_s_w_c_height"));
  ASSERT_NE(height, nullptr);
  EXPECT_EQ(height->GetSubobject(), b->GetAHPToSWCHeight());
  EXPECT_STREQ(static_cast<const Property::Subobject&>(*height).GetClassName(), "Expression");

  TEXT_s* text = TEXT_create_string("small");
  Property::ValuePtr size = Property::MakeUtfString(text);
  JAM::ClearJournal();
  EXPECT_EQ(owner->SetProperty(b, "current_manikin_size", size.get()), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "CurrentManikinSize");
  EXPECT_EQ(b->GetCurrentManikinSize().utf8(), "small");
}

}  // namespace
