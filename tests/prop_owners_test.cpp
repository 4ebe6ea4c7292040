// The property owners: the cast-relief builder's owner on a real builder, the
// 16 feature owners, and every kind of value on a made-up class. Expected
// names, orders, counts and numbers are written out from the published
// property tables, not read from the member tables the owners are made from.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_exports.hpp"
#include "ja_property_owner.hpp"
#include "ja_value_types.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"
#include "sys/Str.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using DieDesJA::CastReliefBuilder;
using Property::ValuePtr;
using stamvik_test::HostTest;
using stamvik_test::JamTest;

namespace {

const char* kSource = "drv/stamvik/no/ind/Die_CastReliefBuilderPropertyOwner";

// An owner that stands in for the host's "Features.FeatureBuilder" owner for
// the length of a test: it notes what reaches it, and how many counted
// compares had been made by then, and hands the request on to the real one.
class ParentRecorder final : public JAM::TaggedObjectPropertyOwner {
 public:
  explicit ParentRecorder(Property::Owner* real) : real_(real) {}
  struct Request {
    std::string operation;
    OM::Object* object;
    std::string name;  // "(null)" for a null name
    long long comparesBefore;
  };
  std::vector<Request> requests;

  int GetProperties(OM::Object* object, Property::List& list) override {
    note("GetProperties", object, "");
    return real_->GetProperties(object, list);
  }
  int SetProperties(OM::Object* object, Property::List& list) override {
    note("SetProperties", object, "");
    return real_->SetProperties(object, list);
  }
  Property::Value* GetProperty(OM::Object* object, const char* name) override {
    note("GetProperty", object, name);
    return real_->GetProperty(object, name);
  }
  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override {
    note("SetProperty", object, name);
    return real_->SetProperty(object, name, value);
  }

 private:
  void note(const char* operation, OM::Object* object, const char* name) {
    requests.push_back({operation, object, name != nullptr ? name : "(null)", Str::CompareCount()});
  }
  Property::Owner* real_;
};

class CastReliefOwner : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    builder_ = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    owner_ = JAM::PropertyMapper::GetOwner("Die.CastReliefBuilder");
    ASSERT_NE(owner_, nullptr);
    JAM::Test::Reset();
  }
  void TearDown() override {
    parent_.Restore();
    builder_->destroy();
    JamTest::TearDown();
  }

  // Puts a recorder in place of the parent class's owner.
  ParentRecorder& RecordParent() {
    return parent_.Record("Features.FeatureBuilder", "Builder", "Test.FeatureBuilderAside");
  }

  ValuePtr Get(const char* name) { return ValuePtr(owner_->GetProperty(builder_, name)); }

  CastReliefBuilder* builder_ = nullptr;
  Property::Owner* owner_ = nullptr;
  stamvik_test::ParentOwnerStandIn<ParentRecorder> parent_;
};

// ---- names -------------------------------------------------------------------------

TEST_F(CastReliefOwner, EveryFormOfANameReadsTheSameSubobject) {
  for (const char* name : {"ReliefProfile", "relief_profile", "RELIEF_PROFILE", "reliefprofile", "Relief_Profile"}) {
    ValuePtr value = Get(name);
    ASSERT_NE(value, nullptr) << name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kSubobject) << name;
    EXPECT_EQ(value->GetSubobject(), builder_->GetReliefProfile()) << name;
    EXPECT_STREQ(static_cast<Property::Subobject&>(*value).GetClassName(), "Section") << name;
  }
  ValuePtr thickness = Get("tHiCkNeSs");
  ASSERT_NE(thickness, nullptr);
  EXPECT_STREQ(static_cast<Property::Subobject&>(*thickness).GetClassName(), "Expression");
  EXPECT_EQ(thickness->GetSubobject(), builder_->GetThickness());
  ValuePtr sheet = Get("relief_sheet");
  ASSERT_NE(sheet, nullptr);
  EXPECT_STREQ(static_cast<Property::Subobject&>(*sheet).GetClassName(), "SelectBrenvikObject");
  ValuePtr plane = Get("base_orientation");
  ASSERT_NE(plane, nullptr);
  EXPECT_STREQ(static_cast<Property::Subobject&>(*plane).GetClassName(), "Die.DiePlaneBuilder");
}

TEST_F(CastReliefOwner, NamesItDoesNotKnowGoToTheParentOwnerUnchanged) {
  ParentRecorder& parent = RecordParent();
  for (const char* name : {"relief profile", "_relief_profile", "ReliefProfil", "relief__profile"})
    EXPECT_EQ(Get(name), nullptr) << name;
  ASSERT_EQ(parent.requests.size(), 4u);
  EXPECT_EQ(parent.requests[0].name, "relief profile");
  EXPECT_EQ(parent.requests[1].name, "_relief_profile");
  EXPECT_EQ(parent.requests[1].object, builder_);
  EXPECT_EQ(parent.requests[1].operation, "GetProperty");

  // A name of the parent's is answered by the parent.
  ValuePtr editing = Get("Editing");
  ASSERT_NE(editing, nullptr);
  EXPECT_FALSE(editing->GetLogical());
  EXPECT_EQ(parent.requests.back().name, "Editing");
  // And one of the parent's own parent, through the parent.
  ValuePtr journalClass = Get("journal_class_name");
  ASSERT_NE(journalClass, nullptr);
  EXPECT_STREQ(journalClass->GetString(), "Die.CastReliefBuilder");
  EXPECT_EQ(parent.requests.back().name, "journal_class_name");
}

TEST_F(CastReliefOwner, AnUnknownNameCostsTwoComparesARowAndOneForAOneWordRow) {
  ParentRecorder& parent = RecordParent();
  // Ten properties; "Target" and "Thickness" are one word: 8 * 2 + 2 * 1.
  Str::ResetCompareCount();
  EXPECT_EQ(Get("NoSuchProperty"), nullptr);
  ASSERT_EQ(parent.requests.size(), 1u);
  EXPECT_EQ(parent.requests[0].comparesBefore, 18);

  // A null name matches nothing, crashes nothing and costs the same.
  Str::ResetCompareCount();
  EXPECT_EQ(Get(nullptr), nullptr);
  ASSERT_EQ(parent.requests.size(), 2u);
  EXPECT_EQ(parent.requests[1].name, "(null)");
  EXPECT_EQ(parent.requests[1].comparesBefore, 18);

  // A write compares against the three settable properties only.
  Str::ResetCompareCount();
  Property::Logical value;
  owner_->SetProperty(builder_, "NoSuchProperty", &value);
  ASSERT_EQ(parent.requests.size(), 3u);
  EXPECT_EQ(parent.requests[2].operation, "SetProperty");
  EXPECT_EQ(parent.requests[2].comparesBefore, 6);

  // The match stops the chain: 16 compares ahead of "AngleTolerance", then
  // its camel-case name; its snake form is matched one compare later.
  Str::ResetCompareCount();
  EXPECT_NE(Get("AngleTolerance"), nullptr);
  EXPECT_EQ(Str::CompareCount(), 17);
  Str::ResetCompareCount();
  EXPECT_NE(Get("angle_tolerance"), nullptr);
  EXPECT_EQ(Str::CompareCount(), 18);
  Str::ResetCompareCount();
  EXPECT_NE(Get("Target"), nullptr);
  EXPECT_EQ(Str::CompareCount(), 1);
  EXPECT_EQ(parent.requests.size(), 3u);
}

// ---- reading and listing ---------------------------------------------------------------

TEST_F(CastReliefOwner, ValuesCarryWhatTheBuilderHolds) {
  builder_->SetCreateSupportCasting(true);
  builder_->SetDistanceTolerance(0.125);
  ValuePtr support = Get("CreateSupportCasting");
  ASSERT_EQ(support->GetType(), Property::ValueType::kLogical);
  EXPECT_TRUE(support->GetLogical());
  ValuePtr tolerance = Get("distance_tolerance");
  ASSERT_EQ(tolerance->GetType(), Property::ValueType::kDouble);
  EXPECT_EQ(tolerance->GetDouble(), 0.125);
  ValuePtr depth = Get("ReliefDepth");
  EXPECT_EQ(depth->GetSubobject(), builder_->GetReliefDepth());
  EXPECT_STREQ(static_cast<Property::Subobject&>(*depth).GetClassName(), "Expression");
}

TEST_F(CastReliefOwner, GetPropertiesListsTheTableInOrderThenTheParentsProperties) {
  Property::List list;
  owner_->GetProperties(builder_, list);
  const char* expected[] = {"Target",      "ReliefProfile",        "SheetMetal", "ReliefSheet",
                            "BaseOrientation", "ReliefDepth",      "CreateSupportCasting",
                            "Thickness",   "DistanceTolerance",    "AngleTolerance"};
  ASSERT_GT(list.GetCount(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(list.GetNameByIndex(i), expected[i]) << i;
  // Then what "Features.FeatureBuilder", "Builder" and "TaggedObject" publish.
  std::vector<std::string> rest;
  for (int i = 10; i < list.GetCount(); ++i) rest.push_back(list.GetNameByIndex(i));
  EXPECT_EQ(rest, (std::vector<std::string>{"Editing", "FeatureRecord", "JournalClassName", "Tag", "Name"}));
  EXPECT_EQ(list.GetProperty("Target")->GetSubobject(), builder_->GetTarget());
  EXPECT_EQ(list.GetProperty("Tag")->GetTag(), builder_->OmTag());
}

TEST_F(CastReliefOwner, GetPropertiesWithoutAnObjectGivesNullObjectValues) {
  Property::List list;
  owner_->GetProperties(nullptr, list);
  ASSERT_GE(list.GetCount(), 10);
  const char* classes[] = {"SelectBrenvikObject", "Section", "SelectBrenvikObject", "SelectBrenvikObject",
                           "Die.DiePlaneBuilder", "Expression"};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    Property::Value* value = list.GetPropertyByIndex(i);
    EXPECT_EQ(value->GetType(), Property::ValueType::kSubobject) << i;
    if (value->GetType() != Property::ValueType::kSubobject) continue;
    EXPECT_EQ(value->GetSubobject(), nullptr) << i;
    EXPECT_STREQ(static_cast<Property::Subobject*>(value)->GetClassName(), classes[i]) << i;
  }
  EXPECT_FALSE(list.GetPropertyByIndex(6)->GetLogical());
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetPropertyByIndex(7))->GetClassName(), "Expression");
  EXPECT_EQ(list.GetPropertyByIndex(8)->GetDouble(), 0.0);
  EXPECT_EQ(list.GetPropertyByIndex(9)->GetDouble(), 0.0);
}

TEST_F(CastReliefOwner, APropertyAskedOfNoObjectRaisesNullPtr68) {
  for (const char* name : {"ReliefProfile", "Tag", "NoSuchProperty"}) {
    try {
      ValuePtr value(owner_->GetProperty(nullptr, name));
      ADD_FAILURE() << name << " gave a value without an object";
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), 68) << name;
      EXPECT_EQ(e.text(), "null ptr") << name;
      EXPECT_EQ(e.file(), kSource) << name;
    }
  }
}

TEST_F(CastReliefOwner, AReadLeavesNoJournalRecord) {
  Get("ReliefProfile");
  Get("CreateSupportCasting");
  Get("AngleTolerance");
  Property::List list;
  owner_->GetProperties(builder_, list);
  EXPECT_TRUE(JAM::Recorded().empty());
}

// ---- writing ---------------------------------------------------------------------------

TEST_F(CastReliefOwner, AWriteLeavesTheSameJournalRecordAsTheScriptingCall) {
  ValuePtr yes = Property::MakeLogical(true);
  EXPECT_EQ(owner_->SetProperty(builder_, "create_support_casting", yes.get()), 0);
  EXPECT_TRUE(builder_->GetCreateSupportCasting());
  JAM::Journal viaOwner = JAM::Recorded();

  JAM::ClearJournal();
  builder_->SetCreateSupportCasting(false);
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  JAM::Journal viaScript = JAM::Recorded();

  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, viaScript);
  EXPECT_EQ(viaOwner[0].journalClass, "Die.CastReliefBuilder");
  EXPECT_EQ(viaOwner[0].member, "CreateSupportCasting");
  EXPECT_EQ(viaOwner[0].methodType, 2);
  EXPECT_EQ(JAM::WriteJournal(viaOwner), JAM::WriteJournal(viaScript));

  JAM::ClearJournal();
  ValuePtr tolerance = Property::MakeDouble(0.02);
  EXPECT_EQ(owner_->SetProperty(builder_, "DISTANCE_TOLERANCE", tolerance.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(builder_, 0.02), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(builder_->GetDistanceTolerance(), 0.02);
}

TEST_F(CastReliefOwner, AFailingSetterRaisesPropErrWithTheBuildersStatus) {
  // The journalled setter catches the error raised while recording and
  // returns its number.
  JAM::Test::RaiseAt("JAM_in_double", 670123);
  ValuePtr value = Property::MakeDouble(0.5);
  try {
    owner_->SetProperty(builder_, "AngleTolerance", value.get());
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670123);
    EXPECT_EQ(e.text(), "prop err");
    EXPECT_EQ(e.file(), kSource);
  }
}

TEST_F(CastReliefOwner, AWriteOfAnotherTypeRaisesPropErrAndCallsNothing) {
  double before = builder_->GetDistanceTolerance();
  ValuePtr wrong = Property::MakeLogical(true);
  EXPECT_EQ(RaisedCode([&] { owner_->SetProperty(builder_, "DistanceTolerance", wrong.get()); }),
            Property::kWrongValueType);
  EXPECT_EQ(RaisedCode([&] { owner_->SetProperty(builder_, "DistanceTolerance", nullptr); }),
            Property::kMissingValue);
  ValuePtr integer = Property::MakeInteger(1);
  EXPECT_EQ(RaisedCode([&] { owner_->SetProperty(builder_, "CreateSupportCasting", integer.get()); }),
            Property::kWrongValueType);
  EXPECT_EQ(builder_->GetDistanceTolerance(), before);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(CastReliefOwner, AWriteWithoutAnObjectWritesNothing) {
  ValuePtr value = Property::MakeDouble(0.5);
  EXPECT_EQ(RaisedCode([&] { owner_->SetProperty(nullptr, "AngleTolerance", value.get()); }), 68);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(CastReliefOwner, ReadOnlyPropertiesAreHandedToTheParentOwner) {
  ParentRecorder& parent = RecordParent();
  ValuePtr value = Property::MakeDouble(1.0);
  // Nobody up the chain writes these: the host's answer comes back.
  EXPECT_EQ(owner_->SetProperty(builder_, "ReliefDepth", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(owner_->SetProperty(builder_, "Target", value.get()), Property::kUnknownProperty);
  ASSERT_EQ(parent.requests.size(), 2u);
  EXPECT_EQ(parent.requests[0].name, "ReliefDepth");
  EXPECT_EQ(parent.requests[1].name, "Target");
  EXPECT_TRUE(JAM::Recorded().empty());
  // A property the parent knows but does not write.
  ValuePtr yes = Property::MakeLogical(true);
  EXPECT_EQ(owner_->SetProperty(builder_, "Editing", yes.get()), Property::kReadOnlyProperty);
}

TEST_F(CastReliefOwner, SetPropertiesWritesTheSettableOnesInOrderThenHandsOn) {
  ParentRecorder& parent = RecordParent();
  Property::List list;
  list.SetValue("AngleTolerance", Property::MakeDouble(0.75).release());
  list.SetValue("ReliefDepth", Property::MakeDouble(9.0).release());
  list.SetValue("CreateSupportCasting", Property::MakeLogical(true).release());
  // DistanceTolerance is missing from the list: it is left as it is.
  double distance = builder_->GetDistanceTolerance();
  owner_->SetProperties(builder_, list);
  EXPECT_TRUE(builder_->GetCreateSupportCasting());
  EXPECT_EQ(builder_->GetAngleTolerance(), 0.75);
  EXPECT_EQ(builder_->GetDistanceTolerance(), distance);
  const JAM::Journal& journal = JAM::Recorded();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0].member, "CreateSupportCasting");
  EXPECT_EQ(journal[1].member, "AngleTolerance");
  ASSERT_EQ(parent.requests.size(), 1u);
  EXPECT_EQ(parent.requests[0].operation, "SetProperties");
}

// ---- load order and feature owners ------------------------------------------------------

TEST(PropertyOwnerLoad, BuilderOwnersComeBeforeTheJournalingUnitsAndTheToolingOwnerAfter) {
  std::vector<std::string> names;
  for (const char* n : Stamvik::LoadOrderNames()) names.push_back(n);
  auto at = [&](const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return static_cast<long>(i);
    return -1L;
  };
  long builderOwner = at("owner Die.CastReliefBuilder");
  long featureOwner = at("owner Die.CastRelief");
  long groupOwner = at("owner Tooling.AutoDieGroup");
  ASSERT_GE(builderOwner, 0);
  EXPECT_EQ(featureOwner, builderOwner + 1);
  EXPECT_GT(builderOwner, at("KTX::DieEngJA::SpringbackCompensationBuilder"));
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].rfind("journal ", 0) != 0) continue;
    EXPECT_LT(builderOwner, static_cast<long>(i)) << names[i];
    EXPECT_GT(groupOwner, static_cast<long>(i)) << names[i];
  }
  EXPECT_LT(groupOwner, at("KTX::Tooling::DieDesDrawDieBuilder"));
  // The rough-data feature's owner follows the springback feature's.
  EXPECT_EQ(at("owner Features.CompensateRoughData"), at("owner Die.SpringbackCompensation") + 1);
}

TEST(PropertyOwnerLoad, OwnersLoadInTheOneOrderOfTheirClasses) {
  // Per class its builder's owner, then its feature's; classes in
  // alphabetical order, the rough-data feature after the springback one;
  // the tooling owners after the journaling units.
  const std::vector<std::string> expected = {
      "Die.CastReliefBuilder",          "Die.CastRelief",
      "Die.ClampingSlotBuilder",        "Die.ClampingSlot",
      "Die.ClearanceBuilder",           "Die.Clearance",
      "Die.CompensateRoughDataBuilder", "Die.DieBooleanBuilder",
      "Die.DieDirectionBuilder",        "Die.DieLocationBuilder",
      "Die.DieLocationsBuilder",        "Die.DiePlaneBuilder",
      "Die.DieShoeBuilder",             "Die.DieShoe",
      "Die.DrawBeadBuilder",            "Die.DrawBead",
      "Die.DrawBeadSegmentBuilder",     "Die.DrawBeadTaperBuilder",
      "Die.FillAreaBuilder",            "Die.FillArea",
      "Die.FingerClearanceNotchBuilder", "Die.FingerClearanceNotch",
      "Die.HandlingCoreBuilder",        "Die.HandlingCore",
      "Die.HeelpostBuilder",            "Die.Heelpost",
      "Die.KeywayBuilder",              "Die.Keyway",
      "Die.MachineReliefBuilder",       "Die.MachineRelief",
      "Die.SpringbackCompensationBuilder", "Die.SpringbackCompensation",
      "Features.CompensateRoughData",   "Features.ManikinBuilder",
      "Features.Manikin",               "Features.TireEnvelopeBuilder",
      "Features.TireEnvelope",          "Tooling.AutoDieGroup",
      "Tooling.DieDesDrawDieBuilder",   "Tooling.DieDesDrawPunchBuilder",
      "Tooling.DieDesPierceInsertBuilder", "Tooling.DieEngFormTaskBuilder",
  };
  ASSERT_EQ(expected.size(), 42u);
  std::vector<std::string> loaded;
  for (const char* n : Stamvik::LoadOrderNames()) {
    std::string name = n;
    if (name.rfind("owner ", 0) == 0) loaded.push_back(name.substr(6));
  }
  // Owners of classes still to come may be missing; those loaded keep the order.
  std::size_t next = 0;
  for (const std::string& name : loaded) {
    SCOPED_TRACE(name);
    std::size_t at = next;
    while (at < expected.size() && expected[at] != name) ++at;
    EXPECT_LT(at, expected.size()) << name << " out of order, or no owner of the load order";
    if (at == expected.size()) continue;
    next = at + 1;
    EXPECT_NE(JAM::PropertyMapper::GetOwner(name.c_str()), nullptr) << name;
  }
  // The cast relief's owners, the feature owners loaded last and the last builder owner are there.
  for (const char* name : {"Die.CastReliefBuilder", "Die.CastRelief", "Die.SpringbackCompensation",
                           "Features.CompensateRoughData", "Features.Manikin", "Features.TireEnvelope",
                           "Tooling.AutoDieGroup", "Die.MachineReliefBuilder"})
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), name), loaded.end()) << name;
}

class FeatureOwners : public HostTest {};

std::vector<std::string> Formatted(const Property::List& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetCount(); ++i)
    out.push_back(std::string(list.GetNameByIndex(i)) + " = " + Property::Format(*list.GetPropertyByIndex(i)));
  return out;
}

TEST_F(FeatureOwners, EveryRequestGetsWhatTheParentClassOwnerGives) {
  OM::Object* feature = part();
  for (const stamvik_test::FeatureClassRow& row : stamvik_test::kFeatureClasses) {
    SCOPED_TRACE(row.journalClass);
    Property::Owner* owner = JAM::PropertyMapper::GetOwner(row.journalClass);
    Property::Owner* parent = JAM::PropertyMapper::GetOwner(row.parent);
    EXPECT_NE(owner, nullptr);
    EXPECT_NE(parent, nullptr);
    if (owner == nullptr || parent == nullptr) continue;
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(row.journalClass), row.parent);
    EXPECT_EQ(JAM::PropertyMapper::GetSuperclassOwner(owner), parent);

    Property::List mine, theirs;
    EXPECT_EQ(owner->GetProperties(feature, mine), parent->GetProperties(feature, theirs));
    EXPECT_EQ(Formatted(mine), Formatted(theirs));
    EXPECT_GT(mine.GetCount(), 0);

    for (const char* name : {"Suppressed", "feature_type", "Tag", "ReliefProfile"}) {
      SCOPED_TRACE(name);
      ValuePtr a(owner->GetProperty(feature, name));
      ValuePtr b(parent->GetProperty(feature, name));
      EXPECT_EQ(a == nullptr, b == nullptr) << name;
      if (a != nullptr && b != nullptr) {
        EXPECT_EQ(Property::Format(*a), Property::Format(*b)) << name;
      }
    }
    EXPECT_EQ(RaisedCode([&] { ValuePtr(owner->GetProperty(nullptr, "Tag")); }), 68);

    // A write reaches the parent's owner: what it answers, and what it changed.
    ValuePtr yes = Property::MakeLogical(true);
    ValuePtr name = Property::MakeString("left rib");
    EXPECT_EQ(owner->SetProperty(feature, "Name", name.get()), 0);
    EXPECT_EQ(Property::Format(*ValuePtr(parent->GetProperty(feature, "Name"))), "\"left rib\"");
    int statusMine = owner->SetProperty(feature, "Suppressed", yes.get());
    int statusTheirs = parent->SetProperty(feature, "Suppressed", yes.get());
    EXPECT_EQ(statusMine, statusTheirs);
    EXPECT_EQ(owner->SetProperty(feature, "NoSuchProperty", yes.get()), Property::kUnknownProperty);
    name = Property::MakeString(nullptr);
    owner->SetProperty(feature, "Name", name.get());

    // A list is handed up too, and written by the owner that knows its names.
    Property::List list;
    list.SetValue("Name", Property::MakeString("right rib").release());
    EXPECT_EQ(owner->SetProperties(feature, list), 0);
    EXPECT_EQ(Property::Format(*ValuePtr(parent->GetProperty(feature, "Name"))), "\"right rib\"");
    owner->SetProperty(feature, "Name", name.get());
  }
}

// ---- every builder owner of the die-design and die-engineering classes ------------------

struct BuilderOwnerRow {
  const char* journalClass;
  const char* parent;
  int properties;
  int settable;
  // Compares an unknown name costs: two a property, one for a one-word name.
  int unknownNameCompares;
};

const BuilderOwnerRow kBuilderOwners[] = {
    {"Die.CastReliefBuilder", "Features.FeatureBuilder", 10, 3, 18},
    {"Die.ClampingSlotBuilder", "Features.FeatureBuilder", 34, 4, 64},
    {"Die.ClearanceBuilder", "Features.FeatureBuilder", 12, 4, 16},
    {"Die.CompensateRoughDataBuilder", "Features.FeatureBuilder", 10, 7, 18},
    {"Die.DieBooleanBuilder", "TaggedObject", 2, 1, 4},
    {"Die.DieDirectionBuilder", "TaggedObject", 6, 4, 10},
    {"Die.DieLocationBuilder", "TaggedObject", 7, 5, 10},
    {"Die.DieLocationsBuilder", "TaggedObject", 1, 0, 1},
    {"Die.DiePlaneBuilder", "TaggedObject", 6, 4, 12},
    {"Die.DieShoeBuilder", "Features.FeatureBuilder", 19, 3, 38},
    {"Die.DrawBeadBuilder", "Features.FeatureBuilder", 36, 17, 69},
    {"Die.DrawBeadSegmentBuilder", "TaggedObject", 17, 3, 32},
    {"Die.DrawBeadTaperBuilder", "TaggedObject", 5, 2, 10},
    {"Die.FillAreaBuilder", "Features.FeatureBuilder", 11, 4, 19},
    {"Die.FingerClearanceNotchBuilder", "Features.FeatureBuilder", 13, 4, 19},
    {"Die.HandlingCoreBuilder", "Features.FeatureBuilder", 11, 3, 15},
    {"Die.HeelpostBuilder", "Features.FeatureBuilder", 45, 13, 83},
    {"Die.KeywayBuilder", "Features.FeatureBuilder", 26, 5, 48},
    {"Die.MachineReliefBuilder", "Features.FeatureBuilder", 28, 7, 50},
};

class BuilderOwners : public HostTest {};

// Every owner follows the one frame: its table ahead of the parent's in the
// list, the written properties exactly the ones that are no sub-object (the
// matrix entry is accepted and not written), an unknown name costing two
// compares a property, errors naming the owner's own source.
TEST_F(BuilderOwners, EachPublishesItsTableByTheSameRules) {
  JAM::ClearJournal();
  for (const BuilderOwnerRow& row : kBuilderOwners) {
    SCOPED_TRACE(row.journalClass);
    Property::Owner* owner = JAM::PropertyMapper::GetOwner(row.journalClass);
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(row.journalClass), row.parent);
    Property::Owner* parent = JAM::PropertyMapper::GetOwner(row.parent);
    EXPECT_EQ(JAM::PropertyMapper::GetSuperclassOwner(owner), parent);

    Property::List mine, theirs;
    owner->GetProperties(nullptr, mine);
    parent->GetProperties(nullptr, theirs);
    EXPECT_EQ(mine.GetCount() - theirs.GetCount(), row.properties);
    if (mine.GetCount() - theirs.GetCount() != row.properties) continue;
    for (int i = 0; i < theirs.GetCount(); ++i)
      EXPECT_STREQ(mine.GetNameByIndex(row.properties + i), theirs.GetNameByIndex(i));

    int written = 0;
    for (int i = 0; i < row.properties; ++i) {
      const char* name = mine.GetNameByIndex(i);
      const Property::Value* value = mine.GetPropertyByIndex(i);
      SCOPED_TRACE(name);
      if (value->GetType() == Property::ValueType::kSubobject) {
        EXPECT_EQ(value->GetSubobject(), nullptr);
        // Not written here: the parent's answer comes back.
        EXPECT_EQ(owner->SetProperty(nullptr, name, value), Property::kUnknownProperty);
      } else if (std::strcmp(name, "CoordinateSystemMatrix") == 0) {
        EXPECT_EQ(value->GetType(), Property::ValueType::kInteger);
        EXPECT_EQ(owner->SetProperty(nullptr, name, value), 0);
      } else {
        // Written: without an object the write stops before the setter.
        EXPECT_EQ(RaisedCode([&] { owner->SetProperty(nullptr, name, value); }), 68);
        ++written;
      }
    }
    EXPECT_EQ(written, row.settable);
    EXPECT_TRUE(JAM::Recorded().empty());

    Str::ResetCompareCount();
    EXPECT_EQ(ValuePtr(owner->GetProperty(part(), "NoSuchProperty")), nullptr);
    EXPECT_EQ(Str::CompareCount(), row.unknownNameCompares);

    std::string source = std::string("drv/stamvik/no/ind/") + row.journalClass + "PropertyOwner";
    source[source.find('.', std::strlen("drv/stamvik/no/ind/"))] = '_';
    try {
      ValuePtr(owner->GetProperty(nullptr, mine.GetNameByIndex(0)));
      ADD_FAILURE() << "no error";
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), 68);
      EXPECT_EQ(e.text(), "null ptr");
      EXPECT_EQ(e.file(), source);
    }
  }
}

// The file and line an owner's errors name are data the error reports show:
// every builder owner's, typed here as the reports give them.
struct OwnerPlaceRow {
  const char* journalClass;
  const char* file;
  int line;
};

const OwnerPlaceRow kOwnerPlaces[] = {
    {"Die.CastReliefBuilder", "drv/stamvik/no/ind/Die_CastReliefBuilderPropertyOwner", 13},
    {"Die.ClampingSlotBuilder", "drv/stamvik/no/ind/Die_ClampingSlotBuilderPropertyOwner", 13},
    {"Die.ClearanceBuilder", "drv/stamvik/no/ind/Die_ClearanceBuilderPropertyOwner", 13},
    {"Die.CompensateRoughDataBuilder", "drv/stamvik/no/ind/Die_CompensateRoughDataBuilderPropertyOwner", 13},
    {"Die.DieBooleanBuilder", "drv/stamvik/no/ind/Die_DieBooleanBuilderPropertyOwner", 13},
    {"Die.DieDirectionBuilder", "drv/stamvik/no/ind/Die_DieDirectionBuilderPropertyOwner", 15},
    {"Die.DieLocationBuilder", "drv/stamvik/no/ind/Die_DieLocationBuilderPropertyOwner", 13},
    {"Die.DieLocationsBuilder", "drv/stamvik/no/ind/Die_DieLocationsBuilderPropertyOwner", 13},
    {"Die.DiePlaneBuilder", "drv/stamvik/no/ind/Die_DiePlaneBuilderPropertyOwner", 15},
    {"Die.DieShoeBuilder", "drv/stamvik/no/ind/Die_DieShoeBuilderPropertyOwner", 13},
    {"Die.DrawBeadBuilder", "drv/stamvik/no/ind/Die_DrawBeadBuilderPropertyOwner", 13},
    {"Die.DrawBeadSegmentBuilder", "drv/stamvik/no/ind/Die_DrawBeadSegmentBuilderPropertyOwner", 13},
    {"Die.DrawBeadTaperBuilder", "drv/stamvik/no/ind/Die_DrawBeadTaperBuilderPropertyOwner", 13},
    {"Die.FillAreaBuilder", "drv/stamvik/no/ind/Die_FillAreaBuilderPropertyOwner", 13},
    {"Die.FingerClearanceNotchBuilder", "drv/stamvik/no/ind/Die_FingerClearanceNotchBuilderPropertyOwner", 13},
    {"Die.HandlingCoreBuilder", "drv/stamvik/no/ind/Die_HandlingCoreBuilderPropertyOwner", 13},
    {"Die.HeelpostBuilder", "drv/stamvik/no/ind/Die_HeelpostBuilderPropertyOwner", 13},
    {"Die.KeywayBuilder", "drv/stamvik/no/ind/Die_KeywayBuilderPropertyOwner", 13},
    {"Die.MachineReliefBuilder", "drv/stamvik/no/ind/Die_MachineReliefBuilderPropertyOwner", 13},
    {"Die.SpringbackCompensationBuilder", "drv/stamvik/no/ind/Die_SpringbackCompensationBuilderPropertyOwner", 13},
    {"Tooling.DieDesDrawDieBuilder", "drv/stamvik/no/ind/Tooling_DieDesDrawDieBuilderPropertyOwner", 13},
    {"Tooling.DieDesDrawPunchBuilder", "drv/stamvik/no/ind/Tooling_DieDesDrawPunchBuilderPropertyOwner", 13},
    {"Tooling.DieDesPierceInsertBuilder", "drv/stamvik/no/ind/Tooling_DieDesPierceInsertBuilderPropertyOwner", 13},
    {"Tooling.DieEngFormTaskBuilder", "drv/stamvik/no/ind/Tooling_DieEngFormTaskBuilderPropertyOwner", 13},
    {"Features.ManikinBuilder", "drv/stamvik/no/ind/Features_ManikinBuilderPropertyOwner", 13},
    {"Features.TireEnvelopeBuilder", "drv/stamvik/no/ind/Features_TireEnvelopeBuilderPropertyOwner", 13},
};

TEST_F(BuilderOwners, EachNamesItsOwnFileAndLineInItsErrors) {
  for (const OwnerPlaceRow& row : kOwnerPlaces) {
    SCOPED_TRACE(row.journalClass);
    Property::Owner* owner = JAM::PropertyMapper::GetOwner(row.journalClass);
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
    Property::List mine;
    owner->GetProperties(nullptr, mine);
    EXPECT_GT(mine.GetCount(), 0);
    if (mine.GetCount() == 0) continue;
    try {
      ValuePtr(owner->GetProperty(nullptr, mine.GetNameByIndex(0)));
      ADD_FAILURE() << "no error";
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), 68);
      EXPECT_EQ(e.file(), row.file);
      EXPECT_EQ(e.line(), row.line);
    }
  }
}

// ---- ktxhost props ---------------------------------------------------------------------

std::vector<std::string> RunKtxhost(const std::vector<std::string>& arguments, int* status) {
  std::vector<std::string> props = {"props", "--plugin", STAMVIK_PLUGIN};
  props.insert(props.end(), arguments.begin(), arguments.end());
  return stamvik_test::KtxhostOutput(props, status);
}

bool Has(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& line : lines)
    if (line == wanted) return true;
  return false;
}

TEST(KtxhostProps, ListsReadsAndWritesAPropertyByNameAndShowsTheWritesJournal) {
  int status = -1;
  std::vector<std::string> listed = RunKtxhost({}, &status);
  EXPECT_EQ(status, 0);
  ASSERT_GE(listed.size(), 11u);
  EXPECT_EQ(listed[1].rfind("Target Subobject SelectBrenvikObject: tag ", 0), 0u) << listed[1];
  EXPECT_EQ(listed[2].rfind("ReliefProfile Subobject Section: tag ", 0), 0u) << listed[2];
  EXPECT_TRUE(Has(listed, "AngleTolerance Double 0.5"));
  EXPECT_TRUE(Has(listed, "CreateSupportCasting Logical false"));

  std::vector<std::string> written = RunKtxhost({"CREATE_SUPPORT_CASTING=true", "thickness"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Has(written, "CREATE_SUPPORT_CASTING <- true: status 0"));
  EXPECT_TRUE(Has(written, "CREATE_SUPPORT_CASTING = Logical true"));
  EXPECT_TRUE(Has(written, "journal records: 1"));
  EXPECT_TRUE(Has(written, "record 0 set \"Die.CastReliefBuilder\" \"CreateSupportCasting\""));
  EXPECT_TRUE(Has(written, "  in logical \"createsupportcasting\" - true"));

  // Unloading destroys the owners but takes no class out of the mapper.
  const std::string* unload = nullptr;
  for (const std::string& line : listed)
    if (line.rfind("after unload: ", 0) == 0) unload = &line;
  ASSERT_NE(unload, nullptr);
  unsigned kept = 0, registered = 0;
  char parent[64] = {};
  ASSERT_EQ(std::sscanf(unload->c_str(),
                        "after unload: %u of %u property registrations kept; \"Die.CastReliefBuilder\" under \"%63[^\"]",
                        &kept, &registered, parent),
            3)
      << *unload;
  EXPECT_GE(registered, 35u);  // the cast relief's, the 16 feature owners and the other builder owners
  EXPECT_EQ(kept, registered);
  EXPECT_STREQ(parent, "Features.FeatureBuilder");

  std::vector<std::string> refused = RunKtxhost({"--no-object", "ReliefProfile", "relief profile"}, &status);
  EXPECT_NE(status, 0);
  EXPECT_TRUE(Has(refused, "ReliefProfile: error 68 null ptr"));
  EXPECT_TRUE(Has(refused, "relief profile: error 68 null ptr"));
  // A write the owner answers with a status is an error with its text too.
  std::vector<std::string> readOnly = RunKtxhost({"Tag=5"}, &status);
  EXPECT_NE(status, 0);
  EXPECT_TRUE(Has(readOnly, "Tag: error 840104 read-only property"));
}

// ---- every kind of value, on a made-up class ------------------------------------------

}  // namespace

void JA_Probe_initialize_class();
void JA_Probe_destroy_class();
void JA_Probe_test_print(const tag_t* tag, const char* tagName, int level);

namespace ja_test_probe_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::PART_part;
  static constexpr const char* journalClass = "Test.Probe";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_test_probe_jam";
  static constexpr std::uint32_t interfaceId = 0x5eed;
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{
      {{"Test.Probe.Types", {"Hydraulic", "Traveling", "Automatic"}}}};
  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_Probe_initialize_class;
  static constexpr auto destroy = &JA_Probe_destroy_class;
  static constexpr auto testPrint = &JA_Probe_test_print;
  static constexpr void (*setDefaults)(tag_t, bool) = nullptr;
};

// What the made-up builder holds, and how its operations fail when asked to.
struct State {
  int type = 1;
  std::string label = "left";
  tag_t anchor = 4711;
  JAM_point3d_s origin{1, 2, 3};
  int steps = 7;
  std::vector<std::string> notes{"first", "second"};
  std::string size = "P50";
  int failGet = 0;
  int failSetNotes = 0;
  int failGetNotes = 0;  // after the texts are handed out
  int matrixCalls = 0;
  int lastNotesCount = -1;
};
inline State state;

// A host text, as the engine's shared types will name it; recorded as nothing here.
struct Text {
  using type = TEXT_s*;
  static constexpr ::KTX::JA::Shape shape = ::KTX::JA::Shape::Text;
  static constexpr const char* typeName = nullptr;
  static void In(const type*, const char*, const ::KTX::JA::UnitState&) {}
  static void Result(type*, const char*, const ::KTX::JA::UnitState&) {}
};
struct Count {
  using type = int;
  static constexpr ::KTX::JA::Shape shape = ::KTX::JA::Shape::Integer;
  static constexpr const char* typeName = nullptr;
  static void In(const type*, const char*, const ::KTX::JA::UnitState&) {}
  static void Result(type*, const char*, const ::KTX::JA::UnitState&) {}
};
struct Texts {
  using type = TEXT_s**;
  static constexpr ::KTX::JA::Shape shape = ::KTX::JA::Shape::Text;
  static constexpr const char* typeName = nullptr;
  static void In(const type*, const char*, const ::KTX::JA::UnitState&) {}
  static void Result(type*, const char*, const ::KTX::JA::UnitState&) {}
};
using Types = ::KTX::JA::Enum<"Test.Probe.Types">;
using PointTag = ::KTX::JA::TagOf<"Point", "Point">;

template <class T>
using SetArg = std::conditional_t<std::is_class_v<T>, const T*, T>;

struct TypeBody {
  template <class T>
  static int Get(OM::Object*, T* r) { *r = state.type; return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T> v) { state.type = v; return 0; }
};
struct LabelBody {
  template <class T>
  static int Get(OM::Object*, T* r) { *r = SM_string_copy(state.label.c_str()); return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T> v) { state.label = v != nullptr ? v : "(none)"; return 0; }
};
struct AnchorBody {
  template <class T>
  static int Get(OM::Object*, T* r) { *r = state.anchor; return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T> v) { state.anchor = v; return 0; }
};
struct OriginBody {
  template <class T>
  static int Get(OM::Object*, T* r) { *r = state.origin; return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T> v) { state.origin = *v; return 0; }
};
struct MatrixBody {
  template <class T>
  static int Get(OM::Object*, T*) { ++state.matrixCalls; return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T>) { ++state.matrixCalls; return 0; }
};
struct StepsBody {
  template <class T>
  static int Get(OM::Object*, T* r) {
    if (state.failGet != 0) return state.failGet;
    *r = state.steps;
    return 0;
  }
};
struct SizeBody {
  template <class T>
  static int Get(OM::Object*, T* r) { *r = TEXT_create_string(state.size.c_str()); return 0; }
  template <class T>
  static int Set(OM::Object*, SetArg<T> v) { state.size = TEXT_ask_utf8(v); return 0; }
};
int GetNotesBody(PART_part*, int* count, TEXT_s*** texts) {
  *count = static_cast<int>(state.notes.size());
  *texts = static_cast<TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * (state.notes.size() + 1)));
  for (std::size_t i = 0; i < state.notes.size(); ++i) (*texts)[i] = TEXT_create_string(state.notes[i].c_str());
  return state.failGetNotes;
}
int SetNotesBody(PART_part*, int count, TEXT_s** texts) {
  state.lastNotesCount = count;
  if (state.failSetNotes != 0) return state.failSetNotes;
  state.notes.clear();
  for (int i = 0; i < count; ++i) state.notes.push_back(TEXT_ask_utf8(texts[i]));
  return 0;
}
using GetNotesSignature = Signature<ByPointer, -1, Result<Count, "count">, Result<Texts, "notes">>;
using SetNotesSignature = Signature<ByPointer, -1, In<Count, "count">, In<Texts, "notes">>;

// clang-format off
#define PROBE_MEMBERS(X)                                                               \
  X(get,     Type,                   Types,     ::ja_test_probe_jam::TypeBody,   10)   \
  X(set,     Type,                   Types,     ::ja_test_probe_jam::TypeBody,   11)   \
  X(get,     Label,                  String,    ::ja_test_probe_jam::LabelBody,  12)   \
  X(set,     Label,                  String,    ::ja_test_probe_jam::LabelBody,  13)   \
  X(method2, GetNotes,               GetNotesSignature, JA_FUNCTION(GetNotesBody), 14) \
  X(method2, SetNotes,               SetNotesSignature, JA_FUNCTION(SetNotesBody), 15) \
  X(get,     Anchor,                 PointTag, ::ja_test_probe_jam::AnchorBody, 16) \
  X(set,     Anchor,                 PointTag, ::ja_test_probe_jam::AnchorBody, 17) \
  X(get,     CoordinateSystemOrigin, Point3d,   ::ja_test_probe_jam::OriginBody, 18)   \
  X(set,     CoordinateSystemOrigin, Point3d,   ::ja_test_probe_jam::OriginBody, 19)   \
  X(get,     CoordinateSystemMatrix, Matrix3x3, ::ja_test_probe_jam::MatrixBody, 20)   \
  X(set,     CoordinateSystemMatrix, Matrix3x3, ::ja_test_probe_jam::MatrixBody, 21)   \
  X(get,     Steps,                  Integer,   ::ja_test_probe_jam::StepsBody,  22)   \
  X(get,     SourceDataType,         Integer,   ::ja_test_probe_jam::StepsBody,  23)   \
  X(get,     CurrentSize,            Text,      ::ja_test_probe_jam::SizeBody,   24)   \
  X(set,     CurrentSize,            Text,      ::ja_test_probe_jam::SizeBody,   25)
// clang-format on

PROBE_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void PROBE_MEMBERS(JA_MEMBER_LIST)>;
}  // namespace ja_test_probe_jam

#define JA_UNIT ja_test_probe_jam
class Test_Probe_Interface : public JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  PROBE_MEMBERS(JA_INTERFACE_OP)
};
#undef JA_UNIT

namespace ja_test_probe_jam {
class JournalledImpl final : public Test_Probe_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  PROBE_MEMBERS(JA_JOURNALLED_OP)
};
class UnjournalledImpl final : public Test_Probe_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  PROBE_MEMBERS(JA_UNJOURNALLED_OP)
};

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_test_probe_jam::Unit;
  using Interface = ::Test_Probe_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void PROBE_MEMBERS(JA_OWNER_OP)>;
  static constexpr std::array<const char*, 1> unpublished{"SourceDataType"};
  static constexpr const char* source = "tests/Test_ProbePropertyOwner";
  static constexpr int line = 7;
};
}  // namespace ja_test_probe_jam

void JA_Probe_initialize_class() {
  KTX::JA::InitializeClass<ja_test_probe_jam::Unit, ja_test_probe_jam::Members>();
}
void JA_Probe_destroy_class() { KTX::JA::DestroyClass<ja_test_probe_jam::Unit>(); }
void JA_Probe_test_print(const tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<ja_test_probe_jam::Unit, ja_test_probe_jam::Members>(tag, tagName, level);
}

JA_PROPERTY_OWNER_CLASS(Test_ProbePropertyOwner, ja_test_probe_jam::PropertyOwnerDescription)

namespace {

class ProbeOwner : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    static ja_test_probe_jam::JournalledImpl journalled;
    static ja_test_probe_jam::UnjournalledImpl unjournalled;
    static JAM::ClassInitializer interfaces("Test.Probe", &journalled, &unjournalled);
    static JAM::Test_ProbePropertyOwner owner;
    static bool registered = [] {
      JAM::PropertyMapper::RegisterPropertyOwner("Test.Probe", "TaggedObject", &owner);
      return true;
    }();
    (void)registered;
    owner_ = &owner;
    ja_test_probe_jam::state = {};
    object_ = part();
  }
  ValuePtr Get(const char* name) { return ValuePtr(owner_->GetProperty(object_, name)); }
  int Set(const char* name, const Property::Value& value) { return owner_->SetProperty(object_, name, &value); }

  Property::Owner* owner_ = nullptr;
  OM::Object* object_ = nullptr;
};

TEST_F(ProbeOwner, EnumValuesShareOneMemberListAndMap) {
  ValuePtr first = Get("Type");
  ValuePtr second = Get("type");
  ASSERT_EQ(first->GetType(), Property::ValueType::kEnum);
  auto& a = static_cast<Property::Enum&>(*first);
  auto& b = static_cast<Property::Enum&>(*second);
  EXPECT_EQ(a.GetEnum(), 1);
  EXPECT_STREQ(a.GetMemberName(), "Traveling");
  EXPECT_EQ(a.GetNames(), b.GetNames());
  EXPECT_EQ(a.GetMap(), b.GetMap());
  ASSERT_EQ(a.GetNames()->Count(), 3u);
  EXPECT_STREQ(a.GetNames()->At(2), "Automatic");
  int value = -1;
  ASSERT_TRUE(a.GetMap()->Find("Hydraulic", &value));
  EXPECT_EQ(value, 0);

  Property::Enum automatic(a.GetMap(), a.GetNames());
  automatic.SetValue(2);
  EXPECT_EQ(Set("TYPE", automatic), 0);
  EXPECT_EQ(ja_test_probe_jam::state.type, 2);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "Type");
  // An Integer is not an Enum.
  EXPECT_EQ(RaisedCode([&] { Set("Type", *Property::MakeInteger(0)); }), Property::kWrongValueType);
}

TEST_F(ProbeOwner, StringsAreCopiedAndTheGettersCopyReleased) {
  ValuePtr label = Get("label");
  EXPECT_STREQ(label->GetString(), "left");
  EXPECT_EQ(Set("Label", *Property::MakeString("right")), 0);
  EXPECT_EQ(ja_test_probe_jam::state.label, "right");
}

TEST_F(ProbeOwner, TagsAndPoints) {
  EXPECT_EQ(Get("Anchor")->GetTag(), 4711u);
  EXPECT_EQ(Set("anchor", *Property::MakeTag(12)), 0);
  EXPECT_EQ(ja_test_probe_jam::state.anchor, 12u);

  Property::Point3d origin = Get("coordinate_system_origin")->GetPoint();
  EXPECT_EQ(origin.x, 1);
  EXPECT_EQ(origin.y, 2);
  EXPECT_EQ(origin.z, 3);
  EXPECT_EQ(Set("CoordinateSystemOrigin", *Property::MakePoint({4, 5, 6})), 0);
  EXPECT_EQ(ja_test_probe_jam::state.origin.x, 4);
  EXPECT_EQ(ja_test_probe_jam::state.origin.z, 6);
}

TEST_F(ProbeOwner, TheMatrixEntryCallsNothingAndIsNeverWritten) {
  ValuePtr matrix = Get("CoordinateSystemMatrix");
  ASSERT_EQ(matrix->GetType(), Property::ValueType::kInteger);
  EXPECT_EQ(Set("coordinate_system_matrix", *Property::MakeDouble(1)), 0);
  EXPECT_EQ(ja_test_probe_jam::state.matrixCalls, 0);
  EXPECT_TRUE(JAM::Recorded().empty());

  // Listed, but not written by SetProperties.
  Property::List list;
  owner_->GetProperties(object_, list);
  EXPECT_NE(list.GetProperty("CoordinateSystemMatrix"), nullptr);
  owner_->SetProperties(object_, list);
  EXPECT_EQ(ja_test_probe_jam::state.matrixCalls, 0);
  std::vector<std::string> written;
  for (const JAM::Record& r : JAM::Recorded()) written.push_back(r.member);
  EXPECT_EQ(written, (std::vector<std::string>{"Type", "Label", "SetNotes", "Anchor", "CoordinateSystemOrigin",
                                               "CurrentSize"}));
}

TEST_F(ProbeOwner, UnpublishedMembersAreNotListedOrFound) {
  Property::List list;
  owner_->GetProperties(object_, list);
  std::vector<std::string> names;
  for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.GetNameByIndex(i));
  EXPECT_EQ(names, (std::vector<std::string>{"Type", "Label", "Notes", "Anchor", "CoordinateSystemOrigin",
                                             "CoordinateSystemMatrix", "Steps", "CurrentSize", "Tag", "Name"}));
  EXPECT_EQ(Get("SourceDataType"), nullptr);
}

TEST_F(ProbeOwner, AFailingGetterRaisesPropErrWithItsStatusAndMakesNoValue) {
  ja_test_probe_jam::state.failGet = 3030446;
  try {
    Get("Steps");
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 3030446);
    EXPECT_EQ(e.text(), "prop err");
    EXPECT_EQ(e.file(), "tests/Test_ProbePropertyOwner");
  }
  // Read-only: a write goes up the chain.
  EXPECT_EQ(Set("Steps", *Property::MakeInteger(3)), Property::kUnknownProperty);
}

TEST_F(ProbeOwner, UtfTextsAreTakenOverAndFreed) {
  ValuePtr a = Get("CurrentSize");
  ValuePtr b = Get("current_size");
  EXPECT_STREQ(TEXT_ask_utf8(a->GetTextString()), "P50");
  EXPECT_NE(a->GetTextString(), b->GetTextString());
  ValuePtr text = Property::MakeUtfString(TEXT_create_string("P95"));
  EXPECT_EQ(Set("CurrentSize", *text), 0);
  EXPECT_EQ(ja_test_probe_jam::state.size, "P95");
}

TEST_F(ProbeOwner, ArraysOfTextsReadAndWriteThroughTheMethodPair) {
  ValuePtr notes = Get("notes");
  ASSERT_EQ(notes->GetType(), Property::ValueType::kArray);
  const Property::List* items = notes->GetArrayValue();
  ASSERT_EQ(items->GetCount(), 2);
  EXPECT_STREQ(TEXT_ask_utf8(items->GetPropertyByIndex(1)->GetTextString()), "second");
  EXPECT_EQ(items->GetNameByIndex(0), nullptr);

  ValuePtr empty = Property::MakeTextArray(0, nullptr);
  EXPECT_EQ(Set("Notes", *empty), 0);
  EXPECT_EQ(ja_test_probe_jam::state.lastNotesCount, 0);
  EXPECT_TRUE(ja_test_probe_jam::state.notes.empty());
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "SetNotes");

  // A failing write releases its temporary array and raises the status.
  ja_test_probe_jam::state.failSetNotes = 670200;
  EXPECT_EQ(RaisedCode([&] { Set("Notes", *notes); }), 670200);
  EXPECT_EQ(ja_test_probe_jam::state.lastNotesCount, 2);
  // An element that is no text is refused before anything is called.
  Property::List mixed(Property::List::kSequence);
  mixed.SetValue(nullptr, Property::MakeDouble(1).release());
  Property::Array wrong;
  wrong.SetValue(mixed);
  ja_test_probe_jam::state.lastNotesCount = -1;
  EXPECT_EQ(RaisedCode([&] { Set("Notes", wrong); }), Property::kWrongValueType);
  EXPECT_EQ(ja_test_probe_jam::state.lastNotesCount, -1);
}

TEST_F(ProbeOwner, AFailingTextArrayGetterReleasesWhatItHandedOut) {
  const std::vector<std::vector<std::string>> cases = {{}, {"one"}, {"one", "two", "three"}};
  const std::vector<std::string> kept = ja_test_probe_jam::state.notes;
  for (const auto& notes : cases) {
    ja_test_probe_jam::state.notes = notes;
    ja_test_probe_jam::state.failGetNotes = 670201;
    const Memory::Counters before = Memory::LiveCounters();
    EXPECT_EQ(RaisedCode([&] { (void)Get("Notes"); }), 670201) << notes.size();
    EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks) << notes.size();
    ja_test_probe_jam::state.failGetNotes = 0;
  }
  ja_test_probe_jam::state.notes = kept;
}

TEST_F(ProbeOwner, WithoutAnObjectTheValuesAreTheNullObjectOnes) {
  Property::List list;
  owner_->GetProperties(nullptr, list);
  EXPECT_EQ(list.GetProperty("Type")->GetEnum(), 0);
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetProperty("Type"))->GetMemberName(), "Hydraulic");
  EXPECT_EQ(list.GetProperty("Label")->GetString(), nullptr);
  EXPECT_EQ(list.GetProperty("Notes")->GetArrayValue()->GetCount(), 0);
  EXPECT_EQ(list.GetProperty("Anchor")->GetTag(), 0u);
  EXPECT_EQ(list.GetProperty("CoordinateSystemOrigin")->GetPoint().y, 0.0);
  EXPECT_EQ(list.GetProperty("Steps")->GetInteger(), 0);
  EXPECT_EQ(list.GetProperty("CurrentSize")->GetTextString(), nullptr);
}

}  // namespace
