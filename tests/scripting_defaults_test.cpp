// Scripting defaults given to the builders a script makes: each named value
// written into the builder as its property's type reads it, and a played
// journal's new builders starting from them.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "exp/Expression.hpp"
#include "jam/Internal.hpp"
#include "prop/Property.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class NamedDefaults : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    tire_->destroy();
    HostTest::TearDown();
  }
  TireEnvelopeBuilder* tire_ = nullptr;
};

TEST_F(NamedDefaults, EachTextIsReadAsItsPropertysType) {
  struct Case {
    const char* path;
    const char* text;
    int raised;  // 0: written
  };
  const Case cases[] = {
      {"SheetBodyLayer", "7", 0},
      {"MirrorProfile", "true", 0},
      {"SaveScenario", "1", 0},
      {"Motion", "SuspensionTemplate", 0},
      {"EnvelopeConcavity", "0.5", 0},
      {"WheelRimDiameter.Value", "430", 0},
      {"SectionLayer", "2147483648", Property::kWrongValueType},  // one past an integer's range
      {"SectionLayer", "7x", Property::kWrongValueType},
      {"ApplyOffset", "yes", Property::kWrongValueType},
      {"Motion", "Sideways", Property::kWrongValueType},
      {"SheetBodyLayer.Value", "1", Property::kWrongValueType},  // no expression there
      {"NoSuchProperty", "1", Property::kUnknownProperty},
      {".Value", "1", Property::kUnknownProperty},
  };
  JAM::Internal::ApplyingDefaults applying;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + "=" + c.text);
    EXPECT_EQ(RaisedCode([&] { JAM_set_named_attribute_value(tire_, c.path, c.text); }), c.raised);
  }
  EXPECT_EQ(tire_->GetSheetBodyLayer(), 7);
  EXPECT_EQ(tire_->GetSectionLayer(), 0);
  EXPECT_TRUE(tire_->GetMirrorProfile());
  EXPECT_TRUE(tire_->GetSaveScenario());
  EXPECT_FALSE(tire_->GetApplyOffset());
  EXPECT_EQ(tire_->GetMotion(), SuspensionTemplate);
  EXPECT_EQ(tire_->GetEnvelopeConcavity(), 0.5);
  EXPECT_EQ(EXP_ask_value_of_exp(tire_->GetWheelRimDiameter()), 430);
}

// A defaults function run by anyone but the host giving defaults only records.
TEST_F(NamedDefaults, OutsideTheHostsDefaultsNothingIsWritten) {
  JAM_set_named_attribute_value(tire_, "SheetBodyLayer", "7");
  JAM_set_named_attribute_value(tire_, "NoSuchProperty", "1");
  EXPECT_EQ(tire_->GetSheetBodyLayer(), 0);
}

// The example tire envelope (its wheel held still: no seconds of unions)
// played without the records that set its layers: the builder the script
// made has its defaults' layers, 1, and commits.
TEST(PlayedDefaults, ATireEnvelopeMadeWithoutLayersCommits) {
  std::ifstream in(std::string(STAMVIK_TEST_DATA) + "/sweep_tire_envelope.jou");
  std::ostringstream kept;
  std::string line;
  bool skipping = false;
  int dropped = 0;
  while (std::getline(in, line)) {
    if (line.starts_with("record ")) {
      skipping = line.ends_with("Layer\"");
      dropped += skipping ? 1 : 0;
    }
    if (!skipping) kept << line << '\n';
  }
  ASSERT_EQ(dropped, 4);
  const std::string journal = stamvik_test::ProcessScratch().Slashed() + "no_layers.jou";
  std::ofstream(journal) << kept.str();
  stamvik_test::CommandOptions withErrors;
  withErrors.errorsWithOutput = true;
  const stamvik_test::CommandRun run =
      stamvik_test::RunCommand({KTXHOST_PROGRAM, "play", journal, "--plugin", STAMVIK_PLUGIN}, withErrors);
  std::remove(journal.c_str());
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Sheet Bodies Layer: 1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Spindle Line Layer: 1\n"), std::string::npos) << run.out;
}

}  // namespace
