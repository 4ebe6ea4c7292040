// The journaling engine on a made-up class with methods: in-arguments and
// results, an object passed by tag, a method attribute, an export name given
// in snake case, template results, enumerations in the set-up, and replay.
#include <stdexcept>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_value_types.hpp"
#include "jam/Journal.hpp"
#include "script/ScriptHost.hpp"

using namespace KTX;
using stamvik_test::JamTest;

void JA_Gadget_initialize_class();
void JA_Gadget_destroy_class();
void JA_Gadget_test_print(const tag_t* tag, const char* tagName, int level);

namespace ja_test_gadget_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::ByTag;
using ::KTX::JA::Count;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;
using Point = ::KTX::JA::TagOf<"Point", "Point">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::PART_part;
  static constexpr const char* journalClass = "Test.Gadget";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_test_gadget_jam";
  static constexpr std::uint32_t interfaceId = 0x12345678;
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{{"Test.Gadget.Modes", {"Off", "On"}}}};
  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_Gadget_initialize_class;
  static constexpr auto destroy = &JA_Gadget_destroy_class;
  static constexpr auto testPrint = &JA_Gadget_test_print;
  static constexpr void (*setDefaults)(tag_t, bool) = nullptr;
};
using Object = Unit::Object;

int ScaleBody(PART_part*, double factor, int* count) {
  *count = static_cast<int>(factor * 2);
  return 0;
}
int SpawnBody(tag_t self, const char* name, tag_t* item) {
  if (name == nullptr) ERROR_raise("gadget", 1, 3030446, "no name");
  *item = self + 1;
  return 0;
}
int PickBody(PART_part*, SELECT_OBJECT** chosen) {
  *chosen = nullptr;
  return 0;
}
// Throws what is no standard exception at all.
int DropBody(PART_part*, int code) { throw code; }
// Throws a standard exception that is no host error.
int TripBody(PART_part*, int) { throw std::runtime_error("tripped"); }

// Two forms of one method, and an array of doubles.
std::vector<std::string> named;
int NameBody(PART_part*, const char* text) {
  named.push_back(std::string("text ") + text);
  return 0;
}
int NameBody(PART_part*, tag_t point) {
  named.push_back("tag " + std::to_string(point));
  return 0;
}
double summed = 0;
int SumBody(PART_part*, int count, const double* values) {
  summed = 0;
  for (int i = 0; i < count; ++i) summed += values[i];
  return 0;
}

using ScaleSignature = Signature<ByPointer, -1, In<Double, "factor">, Result<Integer, "count">>;
using SpawnSignature = Signature<ByTag, 5, In<String, "partName">, Result<Point, "item">>;
using PickSignature = Signature<ByPointer, -1, Result<SelectBody, "chosen">>;
using DropSignature = Signature<ByPointer, -1, In<Integer, "code">>;
using NameByTextSignature = Signature<ByPointer, -1, In<String, "partName">>;
using NameByTagSignature = Signature<ByPointer, -1, In<Point, "partObject">>;
using SumSignature = Signature<ByPointer, -1, Count<"values">, In<DoubleArray, "values">>;

// clang-format off
#define GADGET_MEMBERS(X)                                                   \
  X(method2, Scale, ScaleSignature, JA_FUNCTION(ScaleBody), 12)            \
  X(method2, Spawn, SpawnSignature, JA_FUNCTION(SpawnBody), 34, spawn_item) \
  X(method1, Pick,  PickSignature,  JA_FUNCTION(PickBody),  56)            \
  X(method1, Drop,  DropSignature,  JA_FUNCTION(DropBody),  78)            \
  X(method1, Trip,  DropSignature,  JA_FUNCTION(TripBody),  90)            \
  X(overload1, Name, NameByTextSignature, JA_FUNCTION_OF(NameBody, NameByTextSignature), 101, 7) \
  X(overload1, Name, NameByTagSignature,  JA_FUNCTION_OF(NameBody, NameByTagSignature),  102, 8) \
  X(method2, Sum,  SumSignature,   JA_FUNCTION(SumBody),   103)
// clang-format on

GADGET_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void GADGET_MEMBERS(JA_MEMBER_LIST)>;
}  // namespace ja_test_gadget_jam

#define JA_UNIT ja_test_gadget_jam
#define JA_EXPORT_CLASS GADGET
class Test_Gadget_Interface : public JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  GADGET_MEMBERS(JA_INTERFACE_OP)
};

namespace ja_test_gadget_jam {
class JournalledImpl final : public Test_Gadget_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  GADGET_MEMBERS(JA_JOURNALLED_OP)
};
class UnjournalledImpl final : public Test_Gadget_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  GADGET_MEMBERS(JA_UNJOURNALLED_OP)
};
}  // namespace ja_test_gadget_jam

void JA_Gadget_initialize_class() {
  KTX::JA::InitializeClass<ja_test_gadget_jam::Unit, ja_test_gadget_jam::Members>();
}
void JA_Gadget_destroy_class() { KTX::JA::DestroyClass<ja_test_gadget_jam::Unit>(); }
void JA_Gadget_test_print(const tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<ja_test_gadget_jam::Unit, ja_test_gadget_jam::Members>(tag, tagName, level);
}

GADGET_MEMBERS(JA_EXPORT)

// A class that lists its look-ups otherwise than in ASCII order.
void JA_Ordered_initialize_class();
void JA_Ordered_destroy_class() {}
void JA_Ordered_test_print(const tag_t*, const char*, int) {}

namespace ja_test_ordered_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;
using CoordinateSystem = ::KTX::JA::TagOf<"CoordinateSystem", "CoordinateSystem">;
using BrenvikObject = ::KTX::JA::TagOf<"BrenvikObject", "BrenvikObject">;
using SelectCurve = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "SelectCurve", "SelectObject", "Curve">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::PART_part;
  static constexpr const char* journalClass = "Test.Ordered";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_test_ordered_jam";
  static constexpr std::array<::KTX::JA::SetUpStep, 1> setUpOrder{::KTX::JA::SetUpStep::ClassesAndTemplates};
  static constexpr std::array<const char*, 3> lookUpOrder{"CoordinateSystem", "Features.FeatureBuilder", "BrenvikObject"};
  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_Ordered_initialize_class;
  static constexpr auto destroy = &JA_Ordered_destroy_class;
  static constexpr auto testPrint = &JA_Ordered_test_print;
  static constexpr void (*setDefaults)(tag_t, bool) = nullptr;
};
using Object = Unit::Object;
int UseBody(PART_part*, tag_t, tag_t, SELECT_OBJECT**) { return 0; }
using UseSignature =
    Signature<ByPointer, -1, In<CoordinateSystem, "frame">, In<BrenvikObject, "joint">, Result<SelectCurve, "curve">>;
#define ORDERED_MEMBERS(X) X(method3, Use, UseSignature, JA_FUNCTION(UseBody), 10)
ORDERED_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void ORDERED_MEMBERS(JA_MEMBER_LIST)>;
}  // namespace ja_test_ordered_jam

void JA_Ordered_initialize_class() {
  KTX::JA::InitializeClass<ja_test_ordered_jam::Unit, ja_test_ordered_jam::Members>();
}

// Two classes whose set-ups each name the other as a dependency.
void JA_Left_initialize_class();
void JA_Right_initialize_class();
void JA_Left_destroy_class();
void JA_Right_destroy_class();
void JA_Left_test_print(const tag_t*, const char*, int) {}
void JA_Right_test_print(const tag_t*, const char*, int) {}

namespace ja_test_pair_jam {
template <int Which>
struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::OM::Object;
  static constexpr const char* journalClass = Which == 0 ? "Test.Left" : "Test.Right";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_test_pair_jam";
  static constexpr std::array<const char*, 1> dependencies{Which == 0 ? "Test.Right" : "Test.Left"};
  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = Which == 0 ? &JA_Left_initialize_class : &JA_Right_initialize_class;
  static constexpr auto destroy = Which == 0 ? &JA_Left_destroy_class : &JA_Right_destroy_class;
  static constexpr auto testPrint = Which == 0 ? &JA_Left_test_print : &JA_Right_test_print;
  static constexpr void (*setDefaults)(tag_t, bool) = nullptr;
};
}  // namespace ja_test_pair_jam

void JA_Left_initialize_class() { KTX::JA::InitializeClass<ja_test_pair_jam::Unit<0>, KTX::JA::TypeList<>>(); }
void JA_Right_initialize_class() { KTX::JA::InitializeClass<ja_test_pair_jam::Unit<1>, KTX::JA::TypeList<>>(); }
void JA_Left_destroy_class() { KTX::JA::DestroyClass<ja_test_pair_jam::Unit<0>>(); }
void JA_Right_destroy_class() { KTX::JA::DestroyClass<ja_test_pair_jam::Unit<1>>(); }

namespace {

class JamEngine : public JamTest {
 protected:
  std::vector<std::string> JamCalls() {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name.rfind("JAM_", 0) == 0) out.push_back(c.args.empty() ? c.name : c.name + " " + c.args);
    return out;
  }
};

TEST_F(JamEngine, MethodByTagWithAttributeRecordsItsArgumentsInDeclarationOrder) {
  ja_test_gadget_jam::Unit::state.Clear();
  tag_t item = 0;
  ASSERT_EQ(XJA_GADGET_spawn_item(500, "left", &item), 0);
  EXPECT_EQ(item, 501u);
  std::vector<std::string> calls = JamCalls();
  std::vector<std::string> setUp(calls.begin(), calls.begin() + 9);
  EXPECT_EQ(setUp, (std::vector<std::string>{
                       "JAM_lookup_or_create_class Point",
                       "JAM_lookup_or_create_class TaggedObject",
                       "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
                       "JAM_lookup_or_create_enum Test.Gadget.Modes 4",
                       "JAM_add_enum_member Test.Gadget.Modes Off 0",
                       "JAM_add_enum_member Test.Gadget.Modes On 1",
                       "JAM_create_class Test.Gadget TaggedObject",
                       "JAM_test_register_print_fn Test.Gadget",
                       "JAM_start_call Test.Gadget Spawn",
                   }));
  std::vector<std::string> frame(calls.begin() + 8, calls.end());
  EXPECT_EQ(frame, (std::vector<std::string>{
                       "JAM_start_call Test.Gadget Spawn",
                       "JAM_set_method_attributes 5",
                       "JAM_this 500",
                       "JAM_in_string partName=left",
                       "JAM_result_tag item=Point",
                       "JAM_end_of_arguments",
                       "JAM_end_call 0",
                   }));
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.methodType, 0);
  EXPECT_EQ(r.attributes, 5);
  EXPECT_EQ(r.thisKind, 't');
  EXPECT_EQ(r.values.at(1).integer, 501);
}

TEST_F(JamEngine, MethodByPointerReplaysToTheSameJournal) {
  double factor = 2.5;
  int count = 0;
  ASSERT_EQ(XJA_GADGET_Scale(part(), factor, &count), 0);
  EXPECT_EQ(count, 5);
  SELECT_OBJECT* chosen = reinterpret_cast<SELECT_OBJECT*>(&chosen);
  ASSERT_EQ(XJA_GADGET_Pick(part(), &chosen), 0);
  EXPECT_EQ(chosen, nullptr);
  EXPECT_EQ(JAM::Recorded().at(1).associations.at(0).templateClass, "SelectBody");

  std::string text = JAM::WriteJournal(JAM::Recorded());
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(JAM::ReadJournal(text)), (std::vector<int>{0, 0}));
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
}

TEST_F(JamEngine, TheFormsOfAnOverloadedMethodJournalUnderOneNameAndReplayApart) {
  using ja_test_gadget_jam::named;
  using ja_test_gadget_jam::summed;
  named.clear();
  const double values[] = {1.5, 2.5, 4};
  ASSERT_EQ(X7JA_GADGET_Name(part(), "left"), 0);
  ASSERT_EQ(X8JA_GADGET_Name(part(), 0), 0);
  ASSERT_EQ(XJA_GADGET_Sum(part(), 3, values), 0);
  EXPECT_EQ(summed, 8.0);
  EXPECT_EQ(named, (std::vector<std::string>{"text left", "tag 0"}));
  ASSERT_EQ(JAM::Recorded().size(), 3u);
  for (std::size_t i : {0u, 1u}) EXPECT_EQ(JAM::Recorded()[i].member, "Name");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "partName");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).name, "partObject");
  EXPECT_EQ(JAM::Recorded()[2].values.at(0).reals, (std::vector<double>{1.5, 2.5, 4}));

  // Replayed in the other order: each record goes to its own form.
  JAM::Journal again = {JAM::Recorded()[1], JAM::Recorded()[0], JAM::Recorded()[2]};
  std::string text = JAM::WriteJournal(again);
  JAM::ClearJournal();
  named.clear();
  summed = 0;
  EXPECT_EQ(JAM::ReplayJournal(JAM::ReadJournal(text)), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(named, (std::vector<std::string>{"tag 0", "text left"}));
  EXPECT_EQ(summed, 8.0);
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
}

TEST(ScriptBindings, AnOverloadedMemberIsPlayedThroughTheFormItsArgumentsName) {
  static const Script::ValueSignature byText[] = {{JAM::Direction::In, JAM::ValueKind::String, nullptr, "partName"}};
  static const Script::ValueSignature byTag[] = {{JAM::Direction::In, JAM::ValueKind::Tag, "Point", "partObject"}};
  JAM_replay_fn text = [](JAM::Call&) {};
  JAM_replay_fn tag = [](JAM::Call&) {};
  Script::Bind("Test.Forms", 0, "Name", text, {'p', byText, 1});
  Script::Bind("Test.Forms", 0, "Name", tag, {'p', byTag, 1});
  struct Row {
    const char* recorded;
    JAM_replay_fn played;
  };
  for (const Row& row : {Row{"partObject", tag}, Row{"partName", text}, Row{"other", text}}) {
    JAM::Record record;
    record.values.emplace_back().name = row.recorded;
    EXPECT_EQ(Script::Bound("Test.Forms", 0, "Name", nullptr, &record), row.played) << row.recorded;
  }
  Script::UnbindPlugin();
  EXPECT_EQ(Script::Bound("Test.Forms", 0, "Name"), nullptr);
}

TEST_F(JamEngine, AClassLooksUpWhatItListsFirstInItsOwnOrderThenTheRestInAscii) {
  ja_test_ordered_jam::Unit::state.Clear();
  JA_Ordered_initialize_class();
  std::vector<std::string> calls = JamCalls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 4),
            (std::vector<std::string>{"JAM_lookup_or_create_class CoordinateSystem",
                                      "JAM_lookup_or_create_class Features.FeatureBuilder",
                                      "JAM_lookup_or_create_class BrenvikObject",
                                      "JAM_lookup_or_create_template_class SelectCurve SelectObject Curve"}));
}

TEST_F(JamEngine, MethodErrorBecomesItsStatusThroughTheJournalledInterface) {
  ja_test_gadget_jam::JournalledImpl journalled;
  ja_test_gadget_jam::UnjournalledImpl unjournalled;
  tag_t item = 0;
  EXPECT_EQ(journalled.Spawn(7, nullptr, &item), 3030446);
  EXPECT_EQ(Error::SevereErrors().at(0).line, 34);
  EXPECT_EQ(JAM::Recorded().at(0).status, 3030446);
  // No record, no conversion: the error reaches the caller.
  EXPECT_EQ(RaisedCode([&] { unjournalled.Spawn(7, nullptr, &item); }), 3030446);
  EXPECT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(unjournalled.GetInterfaceId(), 0x12345678u);
}

TEST_F(JamEngine, TwoClassesThatNameEachOtherAsDependenciesEachSetUpOnce) {
  // Each unit sets itself up once per load; a repeated run starts them afresh.
  ja_test_pair_jam::Unit<0>::state.Clear();
  ja_test_pair_jam::Unit<1>::state.Clear();
  JAM::FileInitializer left("Test.Left", &JA_Left_initialize_class, &JA_Left_destroy_class);
  JAM::FileInitializer right("Test.Right", &JA_Right_initialize_class, &JA_Right_destroy_class);
  Host::ClearCalls();
  JAM::FileInitializer::Initialize("Test.Left");
  JAM::FileInitializer::Initialize("Test.Right");
  JAM::FileInitializer::Initialize("Test.Left");
  std::vector<std::string> created;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "JAM_create_class") created.push_back(c.args);
  // The right one is asked for inside the left one's set-up and finishes first.
  EXPECT_EQ(created, (std::vector<std::string>{"Test.Right TaggedObject", "Test.Left TaggedObject"}));
}

TEST_F(JamEngine, AnExceptionThatIsNoStandardOneSkipsTheHandlerAndReachesTheGuard) {
  Error::ClearSevereErrors();
  EXPECT_EQ(XJA_GADGET_Drop(part(), 7), 65);
  // Not converted: no host error made, the record not closed by the body.
  EXPECT_TRUE(Error::SevereErrors().empty());
  EXPECT_EQ(Host::CountCalls("JAM_end_call"), 0u);
  EXPECT_EQ(Host::CountCalls("JAM_had_exception"), 0u);
  EXPECT_EQ(JamCalls().back(), "JAM_wnt_exception " + std::to_string(JAM_code_cxx_exception) + " verdict=1");
  // The stand-in closed it as failed, so the next record is not nested under it.
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Failed);
  EXPECT_EQ(JAM_ask_open_records(), 0);

  JAM::Test::SetFaultVerdict(0);
  int caught = 0;
  try {
    XJA_GADGET_Drop(part(), 9);
  } catch (int code) {
    caught = code;
  }
  EXPECT_EQ(caught, 9);
  EXPECT_EQ(JAM_ask_open_records(), 0);
}

TEST(JamEngineState, AHandleWithoutRoomFailsTheSetUpInsteadOfBeingDropped) {
  static std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) names.push_back("Test.Type" + std::to_string(i));
  JA::UnitState state;
  int stored = 0;
  try {
    for (const std::string& name : names) {
      state.Put(name.c_str(), &names);
      ++stored;
    }
  } catch (const std::length_error&) {
  }
  ASSERT_GT(stored, 64);  // well above what any unit holds today
  ASSERT_LT(stored, 200);
  // Every handle it took is still found; none was dropped quietly.
  for (int i = 0; i < stored; ++i) EXPECT_EQ(state.Find(names[static_cast<std::size_t>(i)].c_str()), &names);
  EXPECT_EQ(state.Find(names[static_cast<std::size_t>(stored)].c_str()), nullptr);
}

TEST_F(JamEngine, AStandardExceptionIsConvertedToAHostErrorAndItsNumberReturned) {
  Error::ClearSevereErrors();
  EXPECT_EQ(XJA_GADGET_Trip(part(), 1), Error::kStdException);
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  const Error::SevereRecord& e = Error::SevereErrors()[0];
  EXPECT_EQ(e.code, Error::kStdException);
  EXPECT_EQ(e.file, "ja_test_gadget_jam");
  EXPECT_EQ(e.line, 90);
  EXPECT_EQ(e.locationMode, 2);
  EXPECT_TRUE(e.further);
  EXPECT_EQ(e.closeMode, 2);
  EXPECT_EQ(JAM::Recorded().at(0).state, JAM::RecordState::Closed);
  EXPECT_EQ(JAM::Recorded().at(0).status, Error::kStdException);
  EXPECT_EQ(Host::CountCalls("JAM_wnt_exception"), 0u);
}

}  // namespace
