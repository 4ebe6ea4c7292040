// Builder factories: a set-up that raises leaves no half-made builder, nor
// anything it had made for the builder alone, behind.
#include <algorithm>
#include <string>
#include <vector>

#include "ClassFrame.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "TestSupport.hpp"
#include "feat/Builder.hpp"

namespace {

using namespace KTX;

constexpr int kNoDatabaseParms = 670156;  // "Feature has no database parameters."
constexpr int kTestFailure = 999001;

class Factories : public stamvik_test::HostTest {
 protected:
  struct Made {
    std::string className;
    tag_t tag;
  };
  // The objects the host made since the call log was last cleared.
  static std::vector<Made> MadeSinceCleared() {
    std::vector<Made> made;
    for (const Host::Call& call : Host::Calls()) {
      if (call.name != "OM_create_object") continue;
      const std::size_t space = call.args.find(" tag=");
      made.push_back({call.args.substr(0, space), static_cast<tag_t>(std::stoi(call.args.substr(space + 5)))});
    }
    return made;
  }
  // Made since the log was cleared and still alive, leaving out what the part
  // keeps (the part ends those with itself, a builder does not own them).
  std::vector<std::string> LeftBehind() const {
    const std::vector<tag_t> kept = Host::KeptInPart(part());
    std::vector<std::string> left;
    for (const Made& m : MadeSinceCleared()) {
      if (OM::OM_object_of_tag(m.tag) == nullptr) continue;
      if (std::find(kept.begin(), kept.end(), m.tag) != kept.end()) continue;
      left.push_back(m.className);
    }
    return left;
  }
};

TEST_F(Factories, ASetUpThatRaisesDestroysTheObjectAndPassesTheErrorOn) {
  Host::ClearCalls();
  tag_t seen = 0;
  const int code = RaisedCode([&] {
    Frame::CreateAndInit<DieDes::DiePlaneBuilder>(DieDes::DiePlaneBuilderClassId, [&](DieDes::DiePlaneBuilder* made) {
      seen = made->ask_tag();
      made->InitCreate(part(), true, true, true, true, true);
      ERROR_raise(__FILE__, __LINE__, kTestFailure, "set-up failed");
    });
  });
  EXPECT_EQ(code, kTestFailure);
  ASSERT_NE(seen, 0);
  EXPECT_TRUE(OM::OM_is_deleted_tag(seen));
  EXPECT_TRUE(LeftBehind().empty());
}

TEST_F(Factories, ASetUpThatSucceedsGivesTheObjectItSetUp) {
  auto* plane = Frame::CreateAndInit<DieDes::DiePlaneBuilder>(
      DieDes::DiePlaneBuilderClassId, [&](DieDes::DiePlaneBuilder* made) {
        made->InitCreate(part(), true, true, true, true, true);
      });
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(plane->ask_owning_part(), part());
  plane->destroy();
}

TEST_F(Factories, AClearanceBuilderFromAFeatureWithoutParametersIsNotLeftBehind) {
  FEATURE_RECORD* feature = FEATURE_RECORD::Create(part(), nullptr);
  Host::ClearCalls();
  // By the time it reads the feature, its set-up has made the target data,
  // the selections and the plane, direction and attributes builders.
  EXPECT_EQ(RaisedCode([&] { DieDesJA::ClearanceBuilderFactory::Create(modelPart(), feature); }), kNoDatabaseParms);
  const std::vector<Made> made = MadeSinceCleared();
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(made.front().className, "KTX::DieDesJA::ClearanceBuilder");
  EXPECT_TRUE(OM::OM_is_deleted_tag(made.front().tag));
  EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
  feature->destroy();
}

}  // namespace
