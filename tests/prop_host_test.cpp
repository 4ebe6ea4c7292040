// The host's property model as owners rely on it: the case-insensitive
// compare, values made and released, lists, enumerations, the property mapper
// and the host's own owners at the top of every chain.
#include <cstring>
#include <functional>
#include <string>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "TestSupport.hpp"
#include "om/HostClass.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Str.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using Property::ValuePtr;
using Property::ValueType;
using stamvik_test::HostTest;

namespace {

class PropHost : public HostTest {
 protected:
  static Error::Exception Raised(const std::function<void()>& f) {
    try {
      f();
    } catch (const Error::Exception& e) {
      return e;
    }
    return Error::Exception(0, "nothing raised");
  }
};

// ---- STR_compare_i

TEST_F(PropHost, CompareIgnoresAsciiCaseOverTheWholeText) {
  EXPECT_EQ(STR_compare_i("ReliefProfile", "RELIEFPROFILE"), 0);
  EXPECT_EQ(STR_compare_i("relief_profile", "Relief_Profile"), 0);
  EXPECT_EQ(STR_compare_i("", ""), 0);
  // A prefix is not the whole name, whichever side is shorter.
  EXPECT_LT(STR_compare_i("Thick", "Thickness"), 0);
  EXPECT_GT(STR_compare_i("Thickness", "thick"), 0);
  EXPECT_NE(STR_compare_i("Target", ""), 0);
  // A blank or a leading underscore is another name.
  EXPECT_NE(STR_compare_i("relief profile", "relief_profile"), 0);
  EXPECT_NE(STR_compare_i("_relief_profile", "relief_profile"), 0);
  // A letter changed is another name ("ReliefDistanse" is published so).
  EXPECT_NE(STR_compare_i("ReliefDistance", "ReliefDistanse"), 0);
}

TEST_F(PropHost, CompareFoldsOnlyAsciiLetters) {
  // Neighbours of the letters that a careless fold would take as equal.
  EXPECT_NE(STR_compare_i("@", "`"), 0);
  EXPECT_NE(STR_compare_i("[", "{"), 0);
  EXPECT_NE(STR_compare_i("_", "\x7F"), 0);
  // Bytes above ASCII are compared as they are.
  EXPECT_NE(STR_compare_i("\xC3\x84", "\xC3\xA4"), 0);
  EXPECT_EQ(STR_compare_i("\xC3\x84x", "\xC3\x84X"), 0);
  // The order is that of the lower-case bytes, unsigned.
  EXPECT_LT(STR_compare_i("a", "\xC3"), 0);
  EXPECT_LT(STR_compare_i("B", "c"), 0);
}

TEST_F(PropHost, CompareWithNullNeverCrashesAndMatchesNoName) {
  EXPECT_NE(STR_compare_i(nullptr, "Target"), 0);
  EXPECT_NE(STR_compare_i("Target", nullptr), 0);
  EXPECT_NE(STR_compare_i(nullptr, ""), 0);
  EXPECT_NE(STR_compare_i("", nullptr), 0);
  EXPECT_EQ(STR_compare_i(nullptr, nullptr), 0);
  // Antisymmetric, so that a sort stays consistent.
  EXPECT_EQ(STR_compare_i(nullptr, "a") < 0, STR_compare_i("a", nullptr) > 0);
}

TEST_F(PropHost, EveryCompareIsCounted) {
  Str::ResetCompareCount();
  STR_compare_i("a", "b");
  STR_compare_i(nullptr, "b");
  STR_compare_i("a", "A");
  EXPECT_EQ(Str::CompareCount(), 3);
}

// ---- values

TEST_F(PropHost, EachValueGivesBackWhatItCarriesAndIsReleasedOnce) {
  auto before = Memory::LiveCounters();
  {
    ValuePtr d = Property::MakeDouble(2.5);
    ValuePtr i = Property::MakeInteger(-7);
    ValuePtr unset = Property::MakeUnsetInteger();
    ValuePtr b = Property::MakeLogical(true);
    ValuePtr t = Property::MakeTag(42);
    ValuePtr p = Property::MakePoint({1.0, -2.0, 3.5});
    ValuePtr s = Property::MakeString("Traveling");
    ValuePtr none = Property::MakeString(nullptr);
    ValuePtr sub = Property::MakeSubobject(nullptr, "Section");
    EXPECT_EQ(Memory::LiveCounters().objects, before.objects + 9);

    EXPECT_EQ(d->GetType(), ValueType::kDouble);
    EXPECT_DOUBLE_EQ(d->GetDouble(), 2.5);
    EXPECT_EQ(i->GetInteger(), -7);
    EXPECT_EQ(unset->GetType(), ValueType::kInteger);
    EXPECT_TRUE(b->GetLogical());
    EXPECT_EQ(t->GetTag(), 42u);
    Property::Point3d point = p->GetPoint();
    EXPECT_DOUBLE_EQ(point.x, 1.0);
    EXPECT_DOUBLE_EQ(point.y, -2.0);
    EXPECT_DOUBLE_EQ(point.z, 3.5);
    EXPECT_STREQ(s->GetString(), "Traveling");
    EXPECT_EQ(none->GetString(), nullptr);
    EXPECT_EQ(sub->GetSubobject(), nullptr);
    EXPECT_STREQ(static_cast<Property::Subobject&>(*sub).GetClassName(), "Section");
  }
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);
}

TEST_F(PropHost, ReadingAValueAsAnotherTypeRaisesPropErr) {
  ValuePtr b = Property::MakeLogical(true);
  Error::Exception e = Raised([&] { (void)b->GetDouble(); });
  EXPECT_EQ(e.askCode(), Property::kWrongValueType);
  EXPECT_NE(e.text().find("prop err"), std::string::npos);
  EXPECT_EQ(RaisedCode([&] { b->SetTag(3); }), Property::kWrongValueType);
  // The readers for writes name the caller's source and line.
  e = Raised([&] { (void)Property::ReadDouble(b.get(), "owner.cpp", 17); });
  EXPECT_EQ(e.askCode(), Property::kWrongValueType);
  EXPECT_EQ(e.text(), "prop err");
  EXPECT_EQ(e.file(), "owner.cpp");
  EXPECT_EQ(e.line(), 17);
  EXPECT_EQ(RaisedCode([&] { (void)Property::ReadLogical(nullptr, "owner.cpp", 18); }), Property::kMissingValue);
  EXPECT_TRUE(Property::ReadLogical(b.get(), "owner.cpp", 19));
  // An Enum is not an Integer, although both carry an int.
  Property::EnumMembers members{"Solid,Section"};
  ValuePtr en = Property::MakeEnum(members, 1);
  EXPECT_EQ(RaisedCode([&] { (void)Property::ReadInteger(en.get(), "owner.cpp", 20); }), Property::kWrongValueType);
  EXPECT_EQ(Property::ReadEnum(en.get(), "owner.cpp", 21), 1);
}

TEST_F(PropHost, UtfStringTakesOverTheTextAndFreesIt) {
  auto before = Memory::LiveCounters();
  {
    ValuePtr v = Property::MakeUtfString(TEXT_create_string("Hinten links"));
    // The value's own copy is the one block left.
    EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks + 1);
    EXPECT_STREQ(TEXT_ask_utf8(v->GetTextString()), "Hinten links");
    // A null text is freed all the same and leaves no text.
    ValuePtr empty = Property::MakeUtfString(nullptr);
    EXPECT_EQ(empty->GetTextString(), nullptr);
    // Writing a text copies it; the writer keeps its own.
    TEXT_s* other = TEXT_create_string("vorn");
    v->SetTextString(other);
    TEXT_free(other);
    EXPECT_STREQ(TEXT_ask_utf8(v->GetTextString()), "vorn");
  }
  EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks);
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);
}

TEST_F(PropHost, MakingAValueWithoutMemoryStillReleasesWhatItTookOver) {
  TEXT_s* text = TEXT_create_string("lost?");
  Memory::FailNextAllocations(1);
  EXPECT_EQ(RaisedCode([&] { (void)Property::MakeUtfString(text); }), Error::kNoMemory);

  auto** texts = static_cast<TEXT_s**>(SM_alloc(2 * sizeof(TEXT_s*)));
  texts[0] = TEXT_create_string("a");
  texts[1] = TEXT_create_string("b");
  Memory::FailNextAllocations(1);
  EXPECT_EQ(RaisedCode([&] { (void)Property::MakeTextArray(2, texts); }), Error::kNoMemory);
  Memory::FailNextAllocations(0);
  // TearDown proves that the texts and the array were freed.
}

TEST_F(PropHost, TextArrayIsTakenOverAndReadBackForAWrite) {
  auto before = Memory::LiveCounters();
  auto** texts = static_cast<TEXT_s**>(SM_alloc(3 * sizeof(TEXT_s*)));
  texts[0] = TEXT_create_string("Hood");
  texts[1] = nullptr;
  texts[2] = TEXT_create_string("Fender");
  ValuePtr array = Property::MakeTextArray(3, texts);
  const Property::List* list = array->GetArrayValue();
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_STREQ(TEXT_ask_utf8(list->GetPropertyByIndex(0)->GetTextString()), "Hood");
  EXPECT_EQ(list->GetPropertyByIndex(1)->GetTextString(), nullptr);
  EXPECT_EQ(list->GetNameByIndex(0), nullptr);
  {
    Property::TextArray read(array.get(), "owner.cpp", 1);
    ASSERT_EQ(read.Count(), 3);
    EXPECT_EQ(read.Texts()[0], list->GetPropertyByIndex(0)->GetTextString());  // lent, not copied
    EXPECT_STREQ(TEXT_ask_utf8(read.Texts()[2]), "Fender");
  }
  array.reset();
  EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks);
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);

  // No array at all is an empty Array, and reading it needs no block.
  ValuePtr empty = Property::MakeTextArray(0, nullptr);
  EXPECT_EQ(empty->GetArrayValue()->GetCount(), 0);
  Property::TextArray none(empty.get(), "owner.cpp", 2);
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(none.Texts(), nullptr);
}

TEST_F(PropHost, TextArrayOfAWrongEntryRaisesAfterReleasingItsBlock) {
  Property::Array array;
  Property::List local(Property::List::kSequence);
  local.SetValue(nullptr, Property::MakeUtfString(TEXT_create_string("ok")).release());
  local.SetValue(nullptr, Property::MakeDouble(1.0).release());
  array.SetValue(local);
  EXPECT_EQ(local.GetCount(), 0);
  EXPECT_EQ(RaisedCode([&] { Property::TextArray read(&array, "owner.cpp", 3); }), Property::kWrongValueType);
  EXPECT_EQ(RaisedCode([&] { Property::TextArray read(nullptr, "owner.cpp", 4); }), Property::kMissingValue);
}

// ---- lists

TEST_F(PropHost, ListAnswersByNameWithoutCaseAndByIndexInOrder) {
  Property::List list;
  EXPECT_EQ(list.SetValue("DistanceTolerance", Property::MakeDouble(0.01).release()), Property::List::kAdded);
  EXPECT_EQ(list.SetValue("CreateSupportCasting", Property::MakeLogical(true).release()), Property::List::kAdded);
  EXPECT_EQ(list.SetValue(nullptr, Property::MakeInteger(5).release()), Property::List::kAdded);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_STREQ(list.GetNameByIndex(1), "CreateSupportCasting");
  EXPECT_EQ(list.GetNameByIndex(2), nullptr);
  EXPECT_EQ(list.GetNameByIndex(3), nullptr);
  EXPECT_EQ(list.GetNameByIndex(-1), nullptr);
  EXPECT_DOUBLE_EQ(list.GetProperty("distancetolerance")->GetDouble(), 0.01);
  EXPECT_EQ(list.GetProperty("distance_tolerance"), nullptr);  // the list knows only the names it was given
  EXPECT_EQ(list.GetProperty(nullptr), nullptr);
  EXPECT_EQ(list.GetPropertyByIndex(-1), nullptr);
  EXPECT_EQ(list.GetPropertyByIndex(3), nullptr);
  EXPECT_EQ(list.GetPropertyByIndex(2)->GetInteger(), 5);
  EXPECT_EQ(list.SetValue("Nothing", nullptr), Property::List::kNoValue);
  // The same value twice would be released twice.
  EXPECT_EQ(list.SetValue("distanceTOLERANCE", list.GetPropertyByIndex(0)), Property::List::kNoValue);
  EXPECT_EQ(list.GetCount(), 3);
}

// What a list takes over it holds after its own entries, in their order and
// with their names; the list it took them from is empty, past its end at 0.
TEST_F(PropHost, AListTakenOverHandsOnEveryEntryAndKeepsNone) {
  Property::List list;
  Property::List other;
  list.SetValue("First", Property::MakeInteger(1).release());
  other.SetValue("Second", Property::MakeInteger(2).release());
  other.SetValue(nullptr, Property::MakeInteger(3).release());
  list.TakeOver(other);
  list.TakeOver(list);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_STREQ(list.GetNameByIndex(0), "First");
  EXPECT_STREQ(list.GetNameByIndex(1), "Second");
  EXPECT_EQ(list.GetNameByIndex(2), nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.GetPropertyByIndex(i)->GetInteger(), i + 1) << i;
  EXPECT_EQ(other.GetCount(), 0);
  EXPECT_EQ(other.GetNameByIndex(0), nullptr);
  EXPECT_EQ(other.GetPropertyByIndex(0), nullptr);
  EXPECT_EQ(other.GetProperty("Second"), nullptr);
}

TEST_F(PropHost, ListModesDecideWhatASecondValueUnderOneNameDoes) {
  auto before = Memory::LiveCounters();
  {
    Property::List byName(Property::List::kByName);
    byName.SetValue("Type", Property::MakeInteger(1).release());
    EXPECT_EQ(byName.SetValue("TYPE", Property::MakeInteger(2).release()), Property::List::kReplaced);
    EXPECT_EQ(byName.GetCount(), 1);
    EXPECT_EQ(byName.GetProperty("type")->GetInteger(), 2);
    // The replaced value was released at once.
    EXPECT_EQ(Memory::LiveCounters().objects, before.objects + 1);

    Property::List sequence(Property::List::kSequence);
    sequence.SetValue("Type", Property::MakeInteger(1).release());
    sequence.SetValue("Type", Property::MakeInteger(2).release());
    EXPECT_EQ(sequence.GetCount(), 2);
    EXPECT_EQ(sequence.GetProperty("Type")->GetInteger(), 1);  // the first under the name
  }
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);
}

TEST_F(PropHost, HeapListIsCountedLikeAValue) {
  auto before = Memory::LiveCounters();
  auto* list = new Property::List(Property::List::kSequence);
  list->SetValue("a", Property::MakeLogical(false).release());
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects + 2);
  delete list;
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);
}

// ---- enumerations

TEST_F(PropHost, EnumerationListAndMapAreBuiltOnceAndShared) {
  const Property::StringVector* names = Property::Enum::CreateStringVector("Hydraulic,Traveling,Automatic");
  ASSERT_EQ(names->Count(), 3u);
  EXPECT_STREQ(names->At(0), "Hydraulic");
  EXPECT_STREQ(names->At(2), "Automatic");
  EXPECT_EQ(names->At(3), nullptr);
  EXPECT_EQ(Property::Enum::CreateStringVector("Hydraulic,Traveling,Automatic"), names);

  const int values[] = {0, 1, 2};
  const Property::EnumMap* map = Property::Enum::CreateEnumMap(names, values);
  int value = -1;
  EXPECT_TRUE(map->Find("Hydraulic", &value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(map->Find("Automatic", &value));
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(map->Find("automatic", &value));  // members are matched as written
  EXPECT_FALSE(map->Find(nullptr, &value));
  EXPECT_STREQ(map->NameOf(1), "Traveling");
  EXPECT_EQ(map->NameOf(3), nullptr);
  EXPECT_EQ(Property::Enum::CreateEnumMap(names, values), map);
  EXPECT_EQ(Property::Enum::CreateEnumMap(names, nullptr), map);  // 0 to n-1 by default

  // Two values of one property share the list and the map.
  Property::EnumMembers types{"Hydraulic,Traveling,Automatic"};
  ValuePtr first = Property::MakeEnum(types, 1);
  ValuePtr second = Property::MakeEnum(types, 2);
  auto& a = static_cast<Property::Enum&>(*first);
  auto& b = static_cast<Property::Enum&>(*second);
  EXPECT_EQ(a.GetMap(), map);
  EXPECT_EQ(b.GetNames(), names);
  EXPECT_STREQ(a.GetMemberName(), "Traveling");
  EXPECT_TRUE(b.SetValueByName("Hydraulic"));
  EXPECT_EQ(b.GetEnum(), 0);
  EXPECT_FALSE(b.SetValueByName("Pneumatic"));
  EXPECT_EQ(b.GetEnum(), 0);
  b.SetValue(7);
  EXPECT_EQ(b.GetMemberName(), nullptr);
}

TEST_F(PropHost, EnumerationTextsAreSplitExactly) {
  EXPECT_EQ(Property::Enum::CreateStringVector("")->Count(), 0u);
  EXPECT_EQ(Property::Enum::CreateStringVector(nullptr)->Count(), 0u);
  const Property::StringVector* odd = Property::Enum::CreateStringVector("Gage, Gripper,");
  ASSERT_EQ(odd->Count(), 3u);
  EXPECT_STREQ(odd->At(1), " Gripper");
  EXPECT_STREQ(odd->At(2), "");
  // A member list of another text is another list.
  EXPECT_NE(Property::Enum::CreateStringVector("Solid,Section"), Property::Enum::CreateStringVector("Gage,Gripper,Lifter"));
}

// ---- the property mapper and the host's owners

// A stand-in for an owner of a plug-in class: knows "Width" and passes the
// rest on.
class WidgetOwner : public JAM::TaggedObjectPropertyOwner {
 public:
  Property::Value* GetProperty(OM::Object* object, const char* name) override {
    if (STR_compare_i(name, "Width") == 0) return Property::MakeDouble(4.0).release();
    return SuperGetProperty(object, name);
  }
  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override {
    return SuperSetProperty(object, name, value);
  }
  int GetProperties(OM::Object* object, Property::List& list) override {
    list.SetValue("Width", Property::MakeDouble(4.0).release());
    return SuperGetProperties(object, list);
  }
  int SetProperties(OM::Object* object, Property::List& list) override { return SuperSetProperties(object, list); }
};

TEST_F(PropHost, HostRegistersItsOwnClassesWithTheirParents) {
  using JAM::PropertyMapper;
  for (const char* name : {"TaggedObject", "Builder", "Features.FeatureBuilder", "Features.Feature",
                           "Features.BodyFeature"}) {
    EXPECT_NE(PropertyMapper::GetOwner(name), nullptr) << name;
  }
  EXPECT_EQ(PropertyMapper::GetParentClassName("TaggedObject"), nullptr);
  EXPECT_STREQ(PropertyMapper::GetParentClassName("Builder"), "TaggedObject");
  EXPECT_STREQ(PropertyMapper::GetParentClassName("Features.FeatureBuilder"), "Builder");
  EXPECT_STREQ(PropertyMapper::GetParentClassName("Features.BodyFeature"), "Features.Feature");
  EXPECT_STREQ(PropertyMapper::GetParentClassName("Features.Feature"), "TaggedObject");
  EXPECT_EQ(PropertyMapper::GetParentOwner("Features.BodyFeature"), PropertyMapper::GetOwner("Features.Feature"));
  EXPECT_EQ(PropertyMapper::GetSuperclassOwner(PropertyMapper::GetOwner("TaggedObject")), nullptr);
  // Journal class names are compared exactly.
  EXPECT_EQ(PropertyMapper::GetOwner("builder"), nullptr);
  EXPECT_EQ(PropertyMapper::GetOwner(nullptr), nullptr);
}

TEST_F(PropHost, RegistrationNamesTheParentAndOutlivesItsOwner) {
  using JAM::PropertyMapper;
  {
    WidgetOwner widget;
    PropertyMapper::RegisterPropertyOwner("Test.Widget", "Features.FeatureBuilder", &widget);
    EXPECT_EQ(PropertyMapper::GetOwner("Test.Widget"), &widget);
    EXPECT_EQ(PropertyMapper::GetSuperclassOwner(&widget), PropertyMapper::GetOwner("Features.FeatureBuilder"));

    // A class registered again takes the new owner and parent.
    WidgetOwner other;
    PropertyMapper::RegisterPropertyOwner("Test.Widget", "TaggedObject", &other);
    EXPECT_EQ(PropertyMapper::GetOwner("Test.Widget"), &other);
    EXPECT_EQ(PropertyMapper::GetSuperclassOwner(&other), PropertyMapper::GetOwner("TaggedObject"));
    EXPECT_EQ(PropertyMapper::GetSuperclassOwner(&widget), nullptr);
    PropertyMapper::RegisterPropertyOwner("Test.Widget", "Features.FeatureBuilder", &widget);
  }
  // The owners are gone: the class is still known, but names no owner that
  // could be called any more.
  EXPECT_TRUE(PropertyMapper::IsRegistered("Test.Widget"));
  EXPECT_STREQ(PropertyMapper::GetParentClassName("Test.Widget"), "Features.FeatureBuilder");
  EXPECT_EQ(PropertyMapper::GetOwner("Test.Widget"), nullptr);

  WidgetOwner owner;
  EXPECT_EQ(RaisedCode([&] { PropertyMapper::RegisterPropertyOwner(nullptr, "TaggedObject", &owner); }),
            Property::kMissingValue);
  EXPECT_EQ(RaisedCode([&] { PropertyMapper::RegisterPropertyOwner("Test.Nothing", "TaggedObject", nullptr); }),
            Property::kMissingValue);
  EXPECT_FALSE(PropertyMapper::IsRegistered("Test.Nothing"));

  // An owner that is not registered has no parent: the chain ends with it.
  EXPECT_EQ(owner.GetProperty(nullptr, "Tag"), nullptr);
  EXPECT_EQ(owner.SetProperty(nullptr, "Tag", nullptr), Property::kUnknownProperty);
  Property::List list;
  EXPECT_EQ(owner.GetProperties(nullptr, list), 0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(owner.SetProperties(nullptr, list), 0);
}

TEST_F(PropHost, BuilderRequestsClimbToTheBuilderAndTaggedObjectOwners) {
  using JAM::PropertyMapper;
  WidgetOwner widget;
  PropertyMapper::RegisterPropertyOwner("Test.Widget", "Features.FeatureBuilder", &widget);
  auto* relief = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);

  ValuePtr width(widget.GetProperty(relief, "width"));
  EXPECT_DOUBLE_EQ(width->GetDouble(), 4.0);
  ValuePtr editing(widget.GetProperty(relief, "editing"));
  EXPECT_FALSE(editing->GetLogical());
  ValuePtr frec(widget.GetProperty(relief, "feature_record"));
  EXPECT_EQ(frec->GetSubobject(), nullptr);
  EXPECT_STREQ(static_cast<Property::Subobject&>(*frec).GetClassName(), "Features.Feature");
  ValuePtr journalClass(widget.GetProperty(relief, "JOURNAL_CLASS_NAME"));
  EXPECT_STREQ(journalClass->GetString(), "Die.CastReliefBuilder");
  ValuePtr tag(widget.GetProperty(relief, "Tag"));
  EXPECT_EQ(tag->GetTag(), relief->ask_tag());
  // Nobody knows it: the chain ends without a value.
  EXPECT_EQ(widget.GetProperty(relief, "relief profile"), nullptr);
  EXPECT_EQ(widget.GetProperty(relief, nullptr), nullptr);

  // Writes: an unknown name and a read-only one are answered, not raised.
  ValuePtr truth = Property::MakeLogical(true);
  EXPECT_EQ(widget.SetProperty(relief, "Target", truth.get()), Property::kUnknownProperty);
  EXPECT_EQ(widget.SetProperty(relief, "Editing", truth.get()), Property::kReadOnlyProperty);
  EXPECT_EQ(widget.SetProperty(relief, "Tag", truth.get()), Property::kReadOnlyProperty);
  EXPECT_EQ(widget.SetProperty(relief, nullptr, truth.get()), Property::kUnknownProperty);

  // Every owner of the chain adds its own, the widget's first.
  Property::List list;
  widget.GetProperties(relief, list);
  ASSERT_EQ(list.GetCount(), 6);
  const char* expected[] = {"Width", "Editing", "FeatureRecord", "JournalClassName", "Tag", "Name"};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(list.GetNameByIndex(i), expected[i]);

  // A list handed up the chain is written by the owner that knows the name.
  list.SetValue("Name", Property::MakeString("Relief A").release());
  EXPECT_EQ(widget.SetProperties(relief, list), 0);
  ValuePtr name(widget.GetProperty(relief, "name"));
  EXPECT_STREQ(name->GetString(), "Relief A");
  ValuePtr cleared = Property::MakeString("");
  EXPECT_EQ(widget.SetProperty(relief, "Name", cleared.get()), 0);
  relief->destroy();
}

TEST_F(PropHost, FeatureRequestsReachTheBodyFeatureOwnerAndItsParents) {
  using JAM::PropertyMapper;
  Property::Owner* body = PropertyMapper::GetOwner("Features.BodyFeature");
  auto* feature = Host::CreateHostObject<FEATURE_RECORD>();

  ValuePtr suppressed(body->GetProperty(feature, "suppressed"));
  EXPECT_FALSE(suppressed->GetLogical());
  ValuePtr truth = Property::MakeLogical(true);
  EXPECT_EQ(body->SetProperty(feature, "SUPPRESSED", truth.get()), 0);
  suppressed.reset(body->GetProperty(feature, "Suppressed"));
  EXPECT_TRUE(suppressed->GetLogical());

  ValuePtr type(body->GetProperty(feature, "feature_type"));
  EXPECT_STREQ(type->GetString(), FEATURE_RECORD::OmClassName);

  // "Name" belongs to the tagged-object owner, two steps up.
  ValuePtr name = Property::MakeString("Relief 1");
  EXPECT_EQ(body->SetProperty(feature, "name", name.get()), 0);
  ValuePtr read(body->GetProperty(feature, "Name"));
  EXPECT_STREQ(read->GetString(), "Relief 1");

  // A write of another type is refused before anything is read from it.
  EXPECT_EQ(RaisedCode([&] { body->SetProperty(feature, "Suppressed", name.get()); }), Property::kWrongValueType);
  EXPECT_EQ(RaisedCode([&] { body->SetProperty(feature, "Suppressed", nullptr); }), Property::kMissingValue);

  // SetProperties writes what the list holds and leaves the rest.
  Property::List list;
  list.SetValue("Suppressed", Property::MakeLogical(false).release());
  EXPECT_EQ(body->SetProperties(feature, list), 0);
  suppressed.reset(body->GetProperty(feature, "Suppressed"));
  EXPECT_FALSE(suppressed->GetLogical());
  read.reset(body->GetProperty(feature, "Name"));
  EXPECT_STREQ(read->GetString(), "Relief 1");

  ValuePtr cleared = Property::MakeString(nullptr);
  EXPECT_EQ(body->SetProperty(feature, "Name", cleared.get()), 0);
  feature->destroy();
}

TEST_F(PropHost, WithoutAnObjectReadsRaiseNullPtrAndListsHoldNullObjectValues) {
  Property::Owner* body = JAM::PropertyMapper::GetOwner("Features.BodyFeature");
  Error::Exception e = Raised([&] { delete body->GetProperty(nullptr, "Tag"); });
  EXPECT_EQ(e.askCode(), 68);
  EXPECT_EQ(e.text(), "null ptr");
  EXPECT_EQ(RaisedCode([&] { delete body->GetProperty(nullptr, "no such name"); }), 68);
  ValuePtr truth = Property::MakeLogical(true);
  EXPECT_EQ(RaisedCode([&] { body->SetProperty(nullptr, "Suppressed", truth.get()); }), 68);

  Property::List list;
  EXPECT_EQ(body->GetProperties(nullptr, list), 0);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_FALSE(list.GetProperty("Suppressed")->GetLogical());
  EXPECT_EQ(list.GetProperty("FeatureType")->GetString(), nullptr);
  EXPECT_EQ(list.GetProperty("Tag")->GetTag(), 0u);
  EXPECT_EQ(list.GetProperty("Name")->GetString(), nullptr);
}

TEST_F(PropHost, HostOwnersMakeNoCountedCompare) {
  Property::Owner* body = JAM::PropertyMapper::GetOwner("Features.BodyFeature");
  auto* feature = Host::CreateHostObject<FEATURE_RECORD>();
  Str::ResetCompareCount();
  ValuePtr tag(body->GetProperty(feature, "tag"));
  EXPECT_EQ(body->GetProperty(feature, "unknown"), nullptr);
  EXPECT_EQ(Str::CompareCount(), 0);
  feature->destroy();
}

TEST_F(PropHost, FormatShowsEachValueForPeople) {
  Property::EnumMembers types{"Gage,Gripper,Lifter"};
  EXPECT_EQ(Property::Format(*Property::MakeDouble(0.25)), "0.25");
  EXPECT_EQ(Property::Format(*Property::MakeLogical(true)), "true");
  EXPECT_EQ(Property::Format(*Property::MakeEnum(types, 1)), "Gripper (1)");
  EXPECT_EQ(Property::Format(*Property::MakePoint({1, 2, 3})), "(1, 2, 3)");
  EXPECT_EQ(Property::Format(*Property::MakeString(nullptr)), "(no text)");
  EXPECT_EQ(Property::Format(*Property::MakeSubobject(nullptr, "Expression")), "Expression: no object");
}

}  // namespace
