// The scripting classes of the springback-compensation builder, the auto-die
// collection and the four tooling builders: creators and their checks, point
// lists and detail texts across the boundary, defaults and property owners.
// Expected values are typed from the classes' published descriptions.
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "ja_die_springback_compensation_builder_jam.hpp"
#include "ja_exports.hpp"
#include "ja_tooling_auto_die_collection_jam.hpp"
#include "ja_tooling_die_des_draw_die_builder_jam.hpp"
#include "ja_tooling_die_des_draw_punch_builder_jam.hpp"
#include "ja_tooling_die_des_pierce_insert_builder_jam.hpp"
#include "ja_tooling_die_eng_form_task_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using DieEngJA::SpringbackCompensationBuilder;
using Tooling::DieDesDrawPunchBuilder;
using Tooling::DieDesPierceInsertBuilder;
using Tooling::DieEngFormTaskBuilder;

namespace {

class ToolingScripting : public stamvik_test::JamTest {
 protected:
  void TearDown() override {
    OM::OM_set_checking_level(1);
    for (tag_t t : made_)
      if (auto* object = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(t))) object->destroy();
    stamvik_test::JamTest::TearDown();
  }
  template <class T>
  T* Keep(tag_t tag) {
    made_.push_back(tag);
    return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
  }
  SpringbackCompensationBuilder* Springback() {
    auto* b = DieEngJA::SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    made_.push_back(b->OmTag());
    return b;
  }
  std::vector<std::string> Details(DieEngFormTaskBuilder* b) {
    std::vector<std::string> out;
    for (int i = 0; i < b->GetNumDetails(); ++i) out.push_back(b->GetNthValueInDetails(i).utf8());
    return out;
  }
  static int Calls(const char* name) {
    int n = 0;
    for (const Host::Call& c : Host::Calls()) n += c.name == name;
    return n;
  }
  std::vector<tag_t> made_;
};

TEST(ToolingInterfaces, OperationZeroOfEachClassAnswersItsId) {
  using stamvik_test::ExpectInterfaceId;
  ExpectInterfaceId<Die_SpringbackCompensationBuilder_Interface>("Die.SpringbackCompensationBuilder", 0xd2fd7aad);
  ExpectInterfaceId<Tooling_AutoDieCollection_Interface>("Tooling.AutoDieCollection", 0xb7f756aa);
  ExpectInterfaceId<Tooling_DieDesDrawDieBuilder_Interface>("Tooling.DieDesDrawDieBuilder", 0xe862bcb3);
  ExpectInterfaceId<Tooling_DieDesDrawPunchBuilder_Interface>("Tooling.DieDesDrawPunchBuilder", 0x5ef7eb31);
  ExpectInterfaceId<Tooling_DieDesPierceInsertBuilder_Interface>("Tooling.DieDesPierceInsertBuilder", 0xd47f772f);
  ExpectInterfaceId<Tooling_DieEngFormTaskBuilder_Interface>("Tooling.DieEngFormTaskBuilder", 0x2ad31d66);
}

// Each number and option of the draw punch and the draw die reaches the
// builder's own field: all numbers set to different values through their
// members, each option set alone.
template <class B>
void ExpectOwnFields(B* b, const std::vector<std::tuple<const char*, int (*)(B*, double*), int (*)(B*, double),
                                                         double (B::*)() const>>& numbers,
                     const std::vector<std::tuple<const char*, int (*)(B*, bool*), int (*)(B*, bool),
                                                  bool (B::*)() const>>& options) {
  for (std::size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(std::get<2>(numbers[i])(b, 3.5 + i), 0);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const auto& [name, get, set, field] = numbers[i];
    double got = 0;
    EXPECT_EQ(get(b, &got), 0) << name;
    EXPECT_EQ(got, 3.5 + i) << name;
    EXPECT_EQ((b->*field)(), 3.5 + i) << name;
  }
  for (std::size_t on = 0; on < options.size(); ++on) {
    for (std::size_t i = 0; i < options.size(); ++i) EXPECT_EQ(std::get<2>(options[i])(b, i == on), 0);
    for (std::size_t i = 0; i < options.size(); ++i) {
      const auto& [name, get, set, field] = options[i];
      bool got = i != on;
      EXPECT_EQ(get(b, &got), 0) << name;
      EXPECT_EQ(got, i == on) << name << " with " << std::get<0>(options[on]);
      EXPECT_EQ((b->*field)(), i == on) << name << " with " << std::get<0>(options[on]);
    }
  }
}

TEST_F(ToolingScripting, EachDrawPunchAndDrawDieMemberReachesItsOwnField) {
  using Tooling::DieDesDrawDieBuilder;
  auto* punch = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part());
  made_.push_back(punch->OmTag());
  ExpectOwnFields<DieDesDrawPunchBuilder>(punch, {
      {"DeckThickness", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_DeckThickness, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_DeckThickness, &DieDesDrawPunchBuilder::GetDeckThickness},
      {"BeltThickness", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_BeltThickness, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_BeltThickness, &DieDesDrawPunchBuilder::GetBeltThickness},
      {"ReliefDistanse", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_ReliefDistanse, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_ReliefDistanse, &DieDesDrawPunchBuilder::GetReliefDistanse},
      {"ReliefAngle", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_ReliefAngle, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_ReliefAngle, &DieDesDrawPunchBuilder::GetReliefAngle},
      {"WallThickness", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_WallThickness, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_WallThickness, &DieDesDrawPunchBuilder::GetWallThickness},
      {"BaseThickness", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_BaseThickness, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_BaseThickness, &DieDesDrawPunchBuilder::GetBaseThickness},
      {"BaseWidth", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_BaseWidth, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_BaseWidth, &DieDesDrawPunchBuilder::GetBaseWidth},
      {"MachiningAllowance", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_MachiningAllowance, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_MachiningAllowance, &DieDesDrawPunchBuilder::GetMachiningAllowance}}, {
      {"ExactSheetbodyOption", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_ExactSheetbodyOption, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_ExactSheetbodyOption, &DieDesDrawPunchBuilder::GetExactSheetbodyOption},
      {"CoreDrawPunchOption", XJA_DIE_DES_DRAW_PUNCH_BUILDER_get_CoreDrawPunchOption, XJA_DIE_DES_DRAW_PUNCH_BUILDER_set_CoreDrawPunchOption, &DieDesDrawPunchBuilder::GetCoreDrawPunchOption}});
  auto* die = Tooling::DieDesDrawDieBuilderFactory::Create(0, part());
  made_.push_back(die->OmTag());
  ExpectOwnFields<DieDesDrawDieBuilder>(die, {
      {"DeckThickness", XJA_DIE_DES_DRAW_DIE_BUILDER_get_DeckThickness, XJA_DIE_DES_DRAW_DIE_BUILDER_set_DeckThickness, &DieDesDrawDieBuilder::GetDeckThickness},
      {"BinderEdgeOffset", XJA_DIE_DES_DRAW_DIE_BUILDER_get_BinderEdgeOffset, XJA_DIE_DES_DRAW_DIE_BUILDER_set_BinderEdgeOffset, &DieDesDrawDieBuilder::GetBinderEdgeOffset},
      {"DeckEdgeOffset", XJA_DIE_DES_DRAW_DIE_BUILDER_get_DeckEdgeOffset, XJA_DIE_DES_DRAW_DIE_BUILDER_set_DeckEdgeOffset, &DieDesDrawDieBuilder::GetDeckEdgeOffset},
      {"DeckFlangeThickness", XJA_DIE_DES_DRAW_DIE_BUILDER_get_DeckFlangeThickness, XJA_DIE_DES_DRAW_DIE_BUILDER_set_DeckFlangeThickness, &DieDesDrawDieBuilder::GetDeckFlangeThickness},
      {"WallThickness", XJA_DIE_DES_DRAW_DIE_BUILDER_get_WallThickness, XJA_DIE_DES_DRAW_DIE_BUILDER_set_WallThickness, &DieDesDrawDieBuilder::GetWallThickness},
      {"BaseThickness", XJA_DIE_DES_DRAW_DIE_BUILDER_get_BaseThickness, XJA_DIE_DES_DRAW_DIE_BUILDER_set_BaseThickness, &DieDesDrawDieBuilder::GetBaseThickness},
      {"FlangeOffset", XJA_DIE_DES_DRAW_DIE_BUILDER_get_FlangeOffset, XJA_DIE_DES_DRAW_DIE_BUILDER_set_FlangeOffset, &DieDesDrawDieBuilder::GetFlangeOffset},
      {"MachiningAllowance", XJA_DIE_DES_DRAW_DIE_BUILDER_get_MachiningAllowance, XJA_DIE_DES_DRAW_DIE_BUILDER_set_MachiningAllowance, &DieDesDrawDieBuilder::GetMachiningAllowance}}, {
      {"ExactSheetbodyOption", XJA_DIE_DES_DRAW_DIE_BUILDER_get_ExactSheetbodyOption, XJA_DIE_DES_DRAW_DIE_BUILDER_set_ExactSheetbodyOption, &DieDesDrawDieBuilder::GetExactSheetbodyOption},
      {"CoreDrawDieOption", XJA_DIE_DES_DRAW_DIE_BUILDER_get_CoreDrawDieOption, XJA_DIE_DES_DRAW_DIE_BUILDER_set_CoreDrawDieOption, &DieDesDrawDieBuilder::GetCoreDrawDieOption}});
}

TEST_F(ToolingScripting, CreatorsCheckThePartAtTheirOwnLineOnlyWhenCheckingIsOn) {
  enum Creator { kDie, kPierce, kPunch };
  struct Row {
    int level;
    Creator creator;
    const char* logged;  // the check's arguments, or null for none
  };
  const std::string partTag = std::to_string(part()->OmTag());
  const Row rows[] = {
      {1, kDie, "src/stamvik/no/ind/jax_tooling_auto_die_collection 111 "},
      {1, kPierce, "src/stamvik/no/ind/jax_tooling_auto_die_collection 90 "},
      {1, kPunch, "src/stamvik/no/ind/jax_tooling_auto_die_collection 52 "},
      {0, kDie, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.creator);
    OM::OM_set_checking_level(r.level);
    Host::ClearCalls();
    tag_t made = 0;
    int status = r.creator == kPierce ? XJA_AUTO_DIE_create_die_des_pierce_insert_builder(part()->OmTag(), &made)
                 : r.creator == kPunch ? XJA_AUTO_DIE_create_die_des_draw_punch_builder(part()->OmTag(), 0, &made)
                                       : XJA_AUTO_DIE_create_die_des_draw_die_builder(part()->OmTag(), 0, &made);
    EXPECT_EQ(status, 0);
    EXPECT_NE(Keep<JAX_BUILDER>(made), nullptr);
    std::vector<std::string> checks;
    for (const Host::Call& c : Host::Calls())
      if (c.name == "OM_check_tag_class") checks.push_back(c.args);
    if (r.logged == nullptr) {
      EXPECT_TRUE(checks.empty());
    } else {
      EXPECT_EQ(checks.size(), 1u);
      if (checks.size() == 1u) {
        EXPECT_EQ(checks[0].rfind(std::string(r.logged) + partTag, 0), 0u) << checks[0];
      }
    }
  }
}

TEST_F(ToolingScripting, ACollectionOfNoPartOrAFeatureSetOfNoObjectMakesNothing) {
  SpringbackCompensationBuilder* doomed = Springback();
  tag_t gone = doomed->OmTag();
  made_.pop_back();
  doomed->destroy();
  struct Row {
    const char* what;
    tag_t collection, featureSet;
    int status;
  };
  const Row rows[] = {
      {"collection 0", 0, 0, Error::kBadObject},
      {"unknown feature set", part()->OmTag(), 999999, Error::kBadObject},
      {"deleted feature set", part()->OmTag(), gone, Error::kDeletedTag},
  };
  for (const Row& r : rows) {
    Host::ClearCalls();
    tag_t made = 77;
    EXPECT_EQ(XJA_AUTO_DIE_create_die_des_draw_punch_builder(r.collection, r.featureSet, &made), r.status) << r.what;
    EXPECT_EQ(made, 0u) << r.what;
    EXPECT_EQ(Calls("OM_create_object"), 0) << r.what;
  }
  tag_t made = 77;
  EXPECT_EQ(XJA_AUTO_DIE_create_die_eng_form_task_builder(0, 0, &made), Error::kBadObject);
  EXPECT_EQ(made, 0u);
  tag_t cursor = 1234;
  EXPECT_EQ(XJA_AutoDieCollection_enumerate(part()->OmTag(), &cursor), 0);
  EXPECT_EQ(cursor, 1234u);
}

TEST_F(ToolingScripting, PointListsCrossWholeAndABadListChangesNothing) {
  SpringbackCompensationBuilder* b = Springback();
  const JAM_point3d_s four[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {-1, -2, -3}};
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints(b, 4, four), 0);
  const Memory::Counters before = Memory::LiveCounters();
  int count = -1;
  JAM_point3d_s* points = nullptr;
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints(b, &count, &points), 0);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks + 1);
  EXPECT_EQ(Memory::LiveCounters().bytes, before.bytes + 4 * 24);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(std::memcmp(&points[i], &four[i], sizeof four[i]), 0) << i;
  SM_free(points);

  // No product points: nothing handed out.
  JAM_point3d_s stale{};
  points = &stale;
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(b, &count, &points), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(points, nullptr);
  EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks);

  // A count below 0, or no array for points: refused before anything is written.
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 1, four), 0);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, -2, four), Error::kIndexOutOfRange);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 2, nullptr), Error::kIndexOutOfRange);
  EXPECT_EQ(b->GetProductPointCount(), 1);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 0, nullptr), 0);
  EXPECT_EQ(b->GetProductPointCount(), 0);
}

TEST_F(ToolingScripting, APointsFileIsJournalledAsFilenameAndReadBackAsACopy) {
  SpringbackCompensationBuilder* b = Springback();
  char* read = nullptr;
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(b, &read), 0);
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read, "");
  SM_free(read);
  JAM::ClearJournal();
  char file[] = "a.pts";  // the export takes the text as char*
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_set_ProductPointsFile(b, file), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "filename");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).text, "a.pts");
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(b, &read), 0);
  EXPECT_STREQ(read, "a.pts");
  EXPECT_NE(read, b->GetProductPointsFile());
  SM_free(read);
}

TEST_F(ToolingScripting, DetailsAreReplacedWholeOrNotAtAll) {
  tag_t made = 0;
  ASSERT_EQ(XJA_AUTO_DIE_create_die_eng_form_task_builder(part()->OmTag(), 0, &made), 0);
  auto* b = Keep<DieEngFormTaskBuilder>(made);
  ASSERT_NE(b, nullptr);
  std::vector<TEXT_s*> texts;
  for (const char* t : {"one", "two", "three", "four"}) texts.push_back(TEXT_create_string(t));
  const TEXT_s** array = const_cast<const TEXT_s**>(texts.data());
  ASSERT_EQ(XJA_DIE_ENG_FORM_TASK_BUILDER_SetDetails(b, 4, array), 0);
  EXPECT_EQ(XJA_DIE_ENG_FORM_TASK_BUILDER_SetDetails(b, -1, array), Error::kIndexOutOfRange);
  EXPECT_EQ(XJA_DIE_ENG_FORM_TASK_BUILDER_SetDetails(b, 1, nullptr), Error::kIndexOutOfRange);
  EXPECT_EQ(Details(b), (std::vector<std::string>{"one", "two", "three", "four"}));
  ASSERT_EQ(XJA_DIE_ENG_FORM_TASK_BUILDER_SetDetails(b, 2, array + 2), 0);
  EXPECT_EQ(Details(b), (std::vector<std::string>{"three", "four"}));
  for (TEXT_s* t : texts) TEXT_free(t);

  int count = 0;
  TEXT_s** out = nullptr;
  ASSERT_EQ(XJA_DIE_ENG_FORM_TASK_BUILDER_GetDetails(b, &count, &out), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(TEXT_ask_utf8(out[0]), "three");
  EXPECT_STREQ(TEXT_ask_utf8(out[1]), "four");
  for (int i = 0; i < count; ++i) TEXT_free(out[i]);
  SM_free(out);
}

TEST_F(ToolingScripting, PierceInsertDefaultsArePausedAndTheDrawPunchOnlyVisits) {
  tag_t pierce = 0, punch = 0;
  ASSERT_EQ(XJA_AUTO_DIE_create_die_des_pierce_insert_builder(part()->OmTag(), &pierce), 0);
  ASSERT_EQ(XJA_AUTO_DIE_create_die_des_draw_punch_builder(part()->OmTag(), 0, &punch), 0);
  Keep<DieDesPierceInsertBuilder>(pierce);
  Keep<DieDesDrawPunchBuilder>(punch);
  part()->SetUnitCode(1);
  JAM::FileInitializer::Initialize("Tooling.DieDesPierceInsertBuilder");
  JAM::FileInitializer::Initialize("Tooling.DieDesDrawPunchBuilder");
  Host::ClearCalls();
  JAM::Test::DefaultsFunction("Tooling.DieDesPierceInsertBuilder")(pierce, true);
  EXPECT_EQ(stamvik_test::NamedWrites(std::to_string(pierce)),
            stamvik_test::Paused({"ThicknessDirectionOption=Upper", "ThicknessValue=0.8"}));
  Host::ClearCalls();
  JAM::Test::DefaultsFunction("Tooling.DieDesDrawPunchBuilder")(punch, true);
  EXPECT_TRUE(stamvik_test::NamedWrites(std::to_string(punch)).empty());
  EXPECT_EQ(Calls("JAM_traverse_builder_objects"), 1);
  EXPECT_EQ(Calls("JournalPauser"), 0);
}

TEST_F(ToolingScripting, OwnersReadAndWriteByPublishedNamesOnly) {
  tag_t punch = 0, task = 0;
  ASSERT_EQ(XJA_AUTO_DIE_create_die_des_draw_punch_builder(part()->OmTag(), 0, &punch), 0);
  ASSERT_EQ(XJA_AUTO_DIE_create_die_eng_form_task_builder(part()->OmTag(), 0, &task), 0);
  auto* p = Keep<DieDesDrawPunchBuilder>(punch);
  auto* t = Keep<DieEngFormTaskBuilder>(task);
  SpringbackCompensationBuilder* s = Springback();
  p->SetReliefDistanse(2.5);
  s->SetDegree(DieEngJA::JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven);

  Property::Owner* punchOwner = JAM::PropertyMapper::GetOwner("Tooling.DieDesDrawPunchBuilder");
  Property::Owner* builderOwner = JAM::PropertyMapper::GetOwner("Builder");
  Property::ValuePtr distanse(punchOwner->GetProperty(p, "relief_distanse"));
  ASSERT_NE(distanse, nullptr);
  EXPECT_EQ(distanse->GetDouble(), 2.5);
  Property::ValuePtr misspelt(punchOwner->GetProperty(p, "relief_distance"));
  Property::ValuePtr parents(builderOwner->GetProperty(p, "relief_distance"));
  EXPECT_EQ(misspelt == nullptr, parents == nullptr);

  Property::ValuePtr degree(JAM::PropertyMapper::GetOwner("Die.SpringbackCompensationBuilder")->GetProperty(s, "Degree"));
  ASSERT_NE(degree, nullptr);
  EXPECT_STREQ(static_cast<const Property::Enum&>(*degree).GetMemberName(), "Seven");

  std::vector<TEXT_s*> texts;
  for (const char* x : {"a", "b", "c"}) texts.push_back(TEXT_create_string(x));
  TEXT_s** block = static_cast<TEXT_s**>(SM_alloc(3 * sizeof(TEXT_s*)));
  for (int i = 0; i < 3; ++i) block[i] = texts[static_cast<std::size_t>(i)];
  Property::ValuePtr array = Property::MakeTextArray(3, block);  // takes the texts and the block
  JAM::ClearJournal();
  EXPECT_EQ(JAM::PropertyMapper::GetOwner("Tooling.DieEngFormTaskBuilder")->SetProperty(t, "Details", array.get()), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "SetDetails");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).texts.size(), 3u);
  EXPECT_EQ(Details(t), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
