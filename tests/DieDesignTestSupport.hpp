// Shared set-up of the die-design and die-engineering body builders' suites:
// model bodies the test owns, section loops, expressions, base planes,
// readers of the host's call log and of the records handed to it.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "JamTestSupport.hpp"
#include "RegistrationTestSupport.hpp"
#include "afl/Parms.hpp"
#include "TestSupport.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jam/Journal.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"

// The exports the keyway and machine relief fixture sets its classes up through.
extern "C" {
int XJA_KEYWAY_BUILDER_get_type(KTX::DieDesJA::KeywayBuilder*, int*);
int XJA_MACHINE_RELIEF_BUILDER_get_Type(KTX::DieDesJA::MachineReliefBuilder*, int*);
}

namespace stamvik_test {

using namespace KTX;
using KTX::Kernel::BodyType;

class DieDesignFeature : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    // The test's own bodies: taken from their model bodies and deleted.
    for (auto [model, body] : modelBodies_) {
      Kernel::DetachModelBody(model);
      Kernel::DeleteBody(body, "test");
    }
    HostTest::TearDown();
  }

  // A model body holding a new kernel body of the type.
  tag_t ModelBody(BodyType type, int* kernelBody = nullptr) {
    int body = Kernel::CreateBody(type);
    tag_t model = ES_create_solid(body);
    modelBodies_.push_back({model, body});
    if (kernelBody != nullptr) *kernelBody = body;
    return model;
  }

  tag_t Curve(double x) {
    const double point[3] = {x, 0.0, 0.0};
    return ES_create_point(point);
  }
  // A closed loop of three points, which bounds an area.
  void ClosedLoop(SC_section* section) {
    const double off[3] = {1.5, 1.0, 0.0};
    const tag_t curves[3] = {Curve(1.0), Curve(2.0), ES_create_point(off)};
    section->add_loop(SC_section::kClosed, 3, curves);
  }
  void OpenLoop(SC_section* section) {
    const tag_t curve = Curve(3.0);
    section->add_loop(SC_section::kOpen, 1, &curve);
  }
  void Set(EXP_expression* expression, const char* text) {
    ASSERT_EQ(EXP_edit_exp(part()->ask_tag(), expression, text), 0);
  }
  // The plane given as the coordinate system at (0, 0, z).
  static void CoordinateSystemAt(DieDes::DiePlaneBuilder* plane, double z) {
    plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, z};
    plane->SetCoordinateSystemOrigin(origin);
  }
  // A heel post that validates: 300 by 150, 100 high, with wall A, on the
  // base plane at (0, 0, 10) and centred on a new coordinate system.
  DieDesJA::HeelpostBuilder* HeelpostOnBase() {
    DieDesJA::HeelpostBuilder* b = DieDesJA::HeelpostBuilderFactory::Create(modelPart(), nullptr);
    CoordinateSystemAt(b->GetBaseOrientation(), 10);
    b->GetCenter()->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
    Set(b->GetLength(), "300");
    Set(b->GetWidth(), "150");
    Set(b->GetHeight(), "100");
    Set(b->GetPadThickness(), "20");
    Set(b->GetWallPercentage(), "30");
    Set(b->GetWallAThickness(), "5");
    b->SetWallACreate(true);
    return b;
  }
  // The value of type T at that byte of a record handed to the host.
  template <class T>
  static T At(const void* record, int byte) {
    T value{};
    std::memcpy(&value, static_cast<const unsigned char*>(record) + byte, sizeof value);
    return value;
  }

  // Validation at a tolerance limit: the distance tolerance at `tolerance`,
  // then the angle tolerance with the distance back at 0.01. 1e-10 is enough;
  // less gives the die tool builders' codes.
  template <class B>
  static void ExpectToleranceLimit(B* b, double tolerance) {
    b->SetDistanceTolerance(tolerance);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 3030447 : 0);
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(tolerance);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 3030448 : 0);
  }
  // The values of the first n expressions the parameters keep in the entity
  // (-1 for one missing), each named by the label and its position.
  static void ExpectEntityValues(const DIEDES_GENERIC_BODY_PARMS* parms, int entity, const double* values, int n,
                                 const char* label) {
    for (int i = 0; i < n; ++i) {
      const EXP_expression* e = parms->AskEntityExpression(entity, i);
      EXPECT_EQ(e == nullptr ? -1.0 : EXP_ask_value_of_exp(e), values[i]) << label << " " << i;
    }
  }
  // A preview that ends with the status hands over no body and leaves none.
  template <class B>
  static void ExpectPreviewHandsOverNothing(B* b, int status) {
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b->CreateBodies(&count, &bodies), status);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bodies, nullptr);
    EXPECT_EQ(LiveBodies(), bodiesBefore);
  }
  // Reads the first `count` of the parameters' attribute records into
  // records: the read's status.
  static int ReadAttributeRecords(const DieDes::DieDesAttributeItemParms* parms, DieAttributesRecord* records,
                                  int count) {
    DieDes::DIEDES_ATTRIBUTE_TABLE table{};
    table.count = count;
    table.records = records;
    return parms->ReadAttributeRecords(&table);
  }
  // The records' titles (at byte 0) and numbers (the int32 at byte 236).
  static void ExpectTitlesAndNumbers(const DieAttributesRecord* records, const char* const* titles,
                                     const int* numbers, int n) {
    for (int i = 0; i < n; ++i) {
      EXPECT_STREQ(reinterpret_cast<const char*>(&records[i]), titles[i]);
      EXPECT_EQ(At<std::int32_t>(&records[i], 236), numbers[i]) << titles[i];
    }
  }

  static int LiveBodies() { return Kernel::LiveCounters().liveBodies; }
  // The arguments of every logged call of that name.
  static std::vector<std::string> ArgsOf(const std::string& name) { return stamvik_test::ArgsOf(name); }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  // The bodies of a logged "tools=[...]" argument.
  static std::vector<int> ToolsIn(const std::string& args) {
    std::vector<int> tools;
    const std::size_t from = args.find("tools=[");
    if (from == std::string::npos) return tools;
    std::size_t at = from + 7;
    while (at < args.size() && args[at] != ']') {
      std::size_t used = 0;
      tools.push_back(std::stoi(args.substr(at), &used));
      at += used;
      if (at < args.size() && args[at] == ',') ++at;
    }
    return tools;
  }

  // The preview's mark: set with the name, undone to or not, and deleted.
  static void ExpectMark(const char* name, bool undone) {
    auto set = ArgsOf("SessionSetUndoMark");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0], std::string("visibility=1 name=\"") + name + "\"");
    EXPECT_EQ(ArgsOf("SessionUndoToMark").size(), undone ? 1u : 0u);
    EXPECT_EQ(ArgsOf("SessionDeleteUndoMark").size(), 1u);
    EXPECT_TRUE(Host::OpenSessionMarks().empty());
  }

  static FEATURE_RECORD* Commit(JAX_FEAT_BUILDER* builder, int* rc) {
    FEATURE_RECORD* frec = nullptr;
    *rc = builder->commit_feature(&frec);
    return frec;
  }

 private:
  std::vector<std::pair<tag_t, int>> modelBodies_;
};

// The scripting classes of the fill-area, finger-clearance-notch, die-shoe,
// handling-core and heel-post builders: one builder of each, made in the
// model part and set up before a case looks at the calls. The defaults, test
// prints and property owners of those classes, read back.
using DieDes::DieShoeBuilder;
using DieDesJA::FillAreaBuilder;
using DieDesJA::FingerClearanceNotchBuilder;
using DieDesJA::HandlingCoreBuilder;
using DieDesJA::HeelpostBuilder;

class DieToolBuilders : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    fill_ = DieDesJA::FillAreaBuilderFactory::Create(modelPart(), nullptr);
    notch_ = DieDesJA::FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
    shoe_ = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    core_ = DieDesJA::HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
    heel_ = DieDesJA::HeelpostBuilderFactory::Create(modelPart(), nullptr);
    // The classes are set up before the cases look at their calls.
    for (const char* c : {"Die.FillAreaBuilder", "Die.FingerClearanceNotchBuilder", "Die.DieShoeBuilder",
                          "Die.HandlingCoreBuilder", "Die.HeelpostBuilder"})
      JAM::FileInitializer::Initialize(c);
    JAM::ClearJournal();
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    for (OM::TaggedObject* b : std::initializer_list<OM::TaggedObject*>{fill_, notch_, shoe_, core_, heel_}) b->destroy();
    JamTest::TearDown();
  }
  static std::string TagOf(const OM::TaggedObject* o) { return std::to_string(o->ask_tag()); }

  FillAreaBuilder* fill_ = nullptr;
  FingerClearanceNotchBuilder* notch_ = nullptr;
  DieShoeBuilder* shoe_ = nullptr;
  HandlingCoreBuilder* core_ = nullptr;
  HeelpostBuilder* heel_ = nullptr;
};

class DieToolBuilderDefaults : public DieToolBuilders {
 protected:
  std::vector<std::string> Written(const OM::TaggedObject* builder) { return NamedWrites(TagOf(builder), true); }
  std::vector<std::string> Apply(const char* journalClass, const OM::TaggedObject* builder, bool apply = true) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass);
    EXPECT_NE(defaults, nullptr) << journalClass;
    if (defaults == nullptr) return {};
    Host::ClearCalls();
    defaults(builder->ask_tag(), apply);
    return Written(builder);
  }
};

class DieToolBuilderPrint : public DieToolBuilders {
 protected:
  // The printed entries: "Get" names and what each printed, in order.
  std::vector<std::string> Printed(const char* journalClass, const OM::TaggedObject* builder) {
    JAM::Autotest::EnableAPIPrint(journalClass, true);
    JAM::Autotest::m_objectDetails = 1;
    JAM::Autotest::m_subobjectNesting = 1;
    Host::ClearCalls();
    tag_t tag = builder->ask_tag();
    JAM_print_fn print = JAM::Test::PrintFunction(journalClass);
    EXPECT_NE(print, nullptr);
    if (print != nullptr) print(&tag, "b", 1);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name.rfind("JAM_test_print_", 0) != 0) continue;
      std::string kind = c.name.substr(std::string("JAM_test_print_").size());
      if (kind == "method_end") continue;
      out.push_back(kind + " " + c.args);
    }
    return out;
  }
  // An expression prints as an object with details on; one the builder does
  // not hold prints as a null pointer.
  static std::vector<std::string> Expressions(const std::vector<std::pair<std::string, EXP_expression*>>& getters) {
    std::vector<std::string> out;
    for (const auto& [g, expression] : getters) {
      std::string printed = g;
      printed[0] = static_cast<char>(printed[0] - 'A' + 'a');
      out.push_back("method_start Get" + g);
      if (expression != nullptr)
        out.push_back("param_object " + printed + " " + TagOf(expression) + " Expression 0");
      else
        out.push_back("param_ptr " + printed + " 0 Expression 0");
    }
    return out;
  }
  std::vector<std::string> Tail(const OM::TaggedObject* builder, const char* journalClass) {
    std::string t = TagOf(builder);
    return {"subobjects_of_object " + t + " b 0", "tag_of_class " + t + " FeatureBuilder  0",
            "call_custom_print_fn " + t + " b " + journalClass, "tag_end b 1"};
  }
};

class DieToolBuilderOwners : public DieToolBuilders {
 protected:
  void TearDown() override {
    parent_.Restore();
    DieToolBuilders::TearDown();
  }
  OwnerRecorder& RecordParent() {
    return parent_.Record("Features.FeatureBuilder", "Builder", "Test.DieToolFeatureBuilderAside");
  }
  // The owner of one of these feature builders, registered under the feature builder's.
  static Property::Owner* OwnerOf(const char* journalClass) {
    Property::Owner* owner = stamvik_test::OwnerOf(journalClass);
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(journalClass), "Features.FeatureBuilder");
    return owner;
  }
  static std::vector<std::string> Names(const Property::List& list, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count && i < list.GetCount(); ++i) out.push_back(list.GetNameByIndex(i));
    return out;
  }
  static std::string ClassOf(const Property::Value* value) {
    if (value == nullptr || value->GetType() != Property::ValueType::kSubobject) return "(no subobject)";
    return static_cast<const Property::Subobject*>(value)->GetClassName();
  }
  static std::string MemberOf(const Property::Value* value) {
    if (value == nullptr || value->GetType() != Property::ValueType::kEnum) return "(no enum)";
    const char* name = static_cast<const Property::Enum*>(value)->GetMemberName();
    return name != nullptr ? name : "(none)";
  }

  stamvik_test::ParentOwnerStandIn<> parent_;
};

// The die-design body builders as object-manager classes: their
// registration rows, references and plain-field logging.
class GenericBodyBuilderClasses : public HostTest {
 protected:
  static constexpr std::uint32_t kSelection = 0x4, kLogicalType = 0x0, kIntegerType = 0x3, kDoubleType = 0x6;

  static const KTX::OM::RegistrationEvent* RegistrationOf(const char* className) {
    for (const auto& event : KTX::OM::RegistrationEvents())
      if (event.registered && event.className == className) return &event;
    return nullptr;
  }

  // Registration data of a class, and a few of its rows written out by hand.
  static void ExpectClass(int classId, const char* name, int rows,
                          std::initializer_list<stamvik_test::RegisteredRow> expected) {
    ASSERT_NO_FATAL_FAILURE(
        ExpectRegistration(classId, name, "KTX::DieDesJA::GenericBodyBuilder", rows, expected));
    const OM::RegistrationEvent* event = RegistrationOf(name);
    ASSERT_NE(event, nullptr) << name;
    EXPECT_EQ(event->attributeCount, rows);
    OM::ClassView view;
    OM::OM_describe_class(classId, &view);
    // None of these classes has a starting value, a measure or a second dimension.
    for (const OM::ClassAttributeStruct* row : view.rows) {
      EXPECT_EQ(row->initialValue, nullptr) << row->fieldName;
      EXPECT_EQ(row->measureList, nullptr) << row->fieldName;
      EXPECT_EQ(row->dimensions, nullptr) << row->fieldName;
    }
  }

  // How many rows are references, and how many of them carry `flags`.
  static std::pair<int, int> References(int classId, std::uint32_t flags) {
    OM::ClassView view;
    OM::OM_describe_class(classId, &view);
    int references = 0, withFlags = 0;
    for (const OM::ClassAttributeStruct* row : view.rows) {
      if (row->typeCode != kSelection) {
        EXPECT_EQ(row->flags, 0x1u) << row->fieldName;
        continue;
      }
      ++references;
      if (row->flags == flags) ++withFlags;
    }
    return {references, withFlags};
  }

  static int AlgorithmVersion(const OM::Object* builder) {
    int version = -1;
    OM::OM_ask_int(builder, DieDesJA::GenericBodyBuilder::m_algorithmVersionAttId, &version);
    return version;
  }

  static std::string JournalClass(const JAX_BASE_BUILDER* builder) {
    char* name = builder->ask_journal_class_name();
    std::string copy = name;
    SM_free(name);
    return copy;
  }

  int LogCalls() const { return static_cast<int>(Host::CountCalls("OM__log")); }
};

// The tags of one of a generic body's entities, in order.
inline std::vector<tag_t> TagsOf(const DIEDES_GENERIC_BODY_PARMS* parms, int entity) {
  int count = 0;
  tag_t* tags = nullptr;
  parms->GetEntity(entity)->AskTags(&count, &tags);
  std::vector<tag_t> out(tags, tags + count);
  SM_free(tags);
  return out;
}

// The scripting classes of the keyway and machine relief builders: one
// builder of each made in the model part, the classes set up on request, and
// their defaults and test prints read back.
using DieDesJA::KeywayBuilder;
using DieDesJA::MachineReliefBuilder;

class KeywayReliefScripting : public JamTest {
 protected:
  static constexpr const char* kKeyway = "Die.KeywayBuilder";
  static constexpr const char* kRelief = "Die.MachineReliefBuilder";

  // The registry calls these tests compare leave the defaults queries out.
  static std::vector<std::string> JamCalls(bool withLog = true) {
    return stamvik_test::JamCalls(withLog, /*withDefaultsQueries=*/false);
  }
  // The units a class depends on are set up before the test looks, so that
  // only the class's own registry calls remain to be seen.
  static void SetUpDependencies(const std::vector<const char*>& names) {
    for (const char* name : names) KTX::JAM::FileInitializer::Initialize(name);
  }

  void SetUp() override {
    JamTest::SetUp();
    keyway_ = DieDesJA::KeywayBuilderFactory::Create(modelPart(), nullptr);
    relief_ = DieDesJA::MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    keyway_->destroy();
    relief_->destroy();
    JamTest::TearDown();
  }
  // Sets both classes up, then forgets what was logged and recorded.
  void SetUpClasses() {
    int ignored = 0;
    ASSERT_EQ(XJA_KEYWAY_BUILDER_get_type(keyway_, &ignored), 0);
    ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_get_Type(relief_, &ignored), 0);
    JAM::ClearJournal();
    Host::ClearCalls();
  }
  static std::string TagOf(const OM::Object* object) { return std::to_string(object->OmTag()); }

  KeywayBuilder* keyway_ = nullptr;
  MachineReliefBuilder* relief_ = nullptr;
};

class KeywayReliefDefaults : public KeywayReliefScripting {
 protected:
  std::vector<std::string> Apply(const char* className, OM::Object* builder) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(className);
    EXPECT_NE(defaults, nullptr);
    Host::ClearCalls();
    if (defaults != nullptr) defaults(builder->OmTag(), true);
    return NamedWrites(TagOf(builder));
  }
};

class KeywayReliefPrint : public KeywayReliefScripting {
 protected:
  // The printed entries: the getter's name, then the printed name and, for an
  // enumeration, its type.
  std::vector<std::string> Print(const char* className, OM::Object* builder) {
    JAM::Autotest::EnableAPIPrint(className, true);
    Host::ClearCalls();
    tag_t tag = builder->OmTag();
    JAM::Test::PrintFunction(className)(&tag, nullptr, 0);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name == "JAM_test_print_method_start" || c.name == "JAM_test_print_param_ptr" ||
          c.name == "JAM_test_print_param_object")
        continue;
      if (c.name == "JAM_test_print_method_end") {
        out.push_back(c.args + " (expression)");
      } else if (c.name.rfind("_prop") == c.name.size() - 5) {
        std::string args = c.args.substr(0, c.args.find('='));
        out.push_back(args);
      } else if (c.name == "JAM_test_print_tag_of_class") {
        out.push_back("class " + c.args.substr(c.args.find(' ') + 1));
      }
    }
    return out;
  }
};

// The scripting classes of the clamping slot, clearance, rough data and die
// boolean builders: one builder of each made in the part, the classes set up
// before a case looks at the calls; their defaults, test prints and property
// owners read back. FirstCallSetUp sets a class up through its first
// journalled call and hands back the calls up to that call's record.
using DieDes::DieBooleanBuilder;
using DieDesJA::ClampingSlotBuilder;
using DieDesJA::ClearanceBuilder;
using DieEngJA::CompensateRoughDataBuilder;
using Property::ValuePtr;

class FirstCallSetUp : public JamTest {
 protected:
  // Runs the set-up through the first journalled call and returns the calls up to its record.
  template <class Call>
  std::vector<std::string> SetUpCalls(const char* journalClass, const std::vector<const char*>& dependencies,
                                      Call&& first) {
    if (AlreadySetUp(journalClass)) return {};
    for (const char* d : dependencies) JAM::FileInitializer::Initialize(d);
    Host::ClearCalls();
    first();
    std::vector<std::string> calls = JamCalls(false);
    auto record = std::find_if(calls.begin(), calls.end(),
                               [](const std::string& c) { return c.rfind("JAM_start_", 0) == 0; });
    if (record != calls.end()) calls.erase(record + 1, calls.end());
    return calls;
  }
};

class SlotClearanceRoughBooleanBuilders : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    slot_ = DieDesJA::ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
    clearance_ = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
    rough_ = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
    boolean_ = DieDes::DieBooleanBuilderFactory::Create(part());
    // The classes are set up by their first journalled call.
    for (const char* c :
         {"Die.ClampingSlotBuilder", "Die.ClearanceBuilder", "Die.CompensateRoughDataBuilder", "Die.DieBooleanBuilder"})
      JAM::FileInitializer::Initialize(c);
    JAM::ClearJournal();
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    slot_->destroy();
    clearance_->destroy();
    rough_->destroy();
    boolean_->destroy();
    JamTest::TearDown();
  }
  static std::string TagOf(const OM::TaggedObject* o) { return std::to_string(o->ask_tag()); }

  ClampingSlotBuilder* slot_ = nullptr;
  ClearanceBuilder* clearance_ = nullptr;
  CompensateRoughDataBuilder* rough_ = nullptr;
  DieBooleanBuilder* boolean_ = nullptr;
};

class SlotClearanceRoughBooleanDefaults : public SlotClearanceRoughBooleanBuilders {
 protected:
  // "path=text" of every named write on the object, in order.
  std::vector<std::string> Written(const OM::TaggedObject* o) { return NamedWrites(TagOf(o), true); }
  void Apply(const char* journalClass, const OM::TaggedObject* o) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass);
    ASSERT_NE(defaults, nullptr) << journalClass;
    defaults(o->ask_tag(), true);
  }
};

class SlotClearanceRoughBooleanPrint : public SlotClearanceRoughBooleanBuilders {
 protected:
  // The "Get" names printed, in order, and what closes the class's entry.
  std::vector<std::string> Printed(const char* journalClass, const OM::TaggedObject* o) {
    JAM::Autotest::EnableAPIPrint(journalClass, true);
    Host::ClearCalls();
    tag_t tag = o->ask_tag();
    JAM_print_fn print = JAM::Test::PrintFunction(journalClass);
    if (print == nullptr) return {"no print function"};
    print(&tag, nullptr, 0);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name == "JAM_test_print_method_start" || c.name == "JAM_test_print_tag_of_class") {
        out.push_back(c.name == "JAM_test_print_tag_of_class" ? "class " + c.args.substr(TagOf(o).size() + 1)
                                                              : c.args);
      } else if (c.name.rfind("JAM_test_print_", 0) == 0 && c.name.size() > 5 &&
                 c.name.compare(c.name.size() - 5, 5, "_prop") == 0) {
        out.push_back(c.args.substr(0, c.args.find(' ')));
      }
    }
    return out;
  }
};

class SlotClearanceRoughBooleanOwners : public SlotClearanceRoughBooleanBuilders {
 protected:
  static Property::Owner* OwnerOf(const char* journalClass) {
    return JAM::PropertyMapper::GetOwner(journalClass);
  }
  static ValuePtr Get(const char* journalClass, OM::Object* object, const char* name) {
    return ValuePtr(OwnerOf(journalClass)->GetProperty(object, name));
  }
  static const char* ClassOf(const ValuePtr& v) { return static_cast<const Property::Subobject&>(*v).GetClassName(); }
  // The journal of one write through the owner and of the same scripting call, from the same state.
  template <class Reset, class Script>
  static void ExpectSameRecord(Reset&& reset, const std::function<int()>& viaOwner, Script&& viaScript) {
    reset();
    JAM::ClearJournal();
    EXPECT_EQ(viaOwner(), 0);
    JAM::Journal owner = JAM::Recorded();
    reset();
    JAM::ClearJournal();
    EXPECT_EQ(viaScript(), 0);
    ASSERT_EQ(owner.size(), 1u);
    EXPECT_EQ(owner, JAM::Recorded());
    EXPECT_EQ(JAM::WriteJournal(owner), JAM::WriteJournal(JAM::Recorded()));
  }
  static inline Property::EnumMembers slotTypes{"Hydraulic,Traveling,Automatic"};
  static inline Property::EnumMembers approximations{"Coarse,Rough,Fine,Exact"};
  static inline Property::EnumMembers booleanTypes{"Unite,Subtract,Intersect"};
};

}  // namespace stamvik_test
