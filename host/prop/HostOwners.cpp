#include "prop/HostOwners.hpp"

#include <cstring>
#include <map>
#include <string>

#include "feat/Builder.hpp"
#include "om/ObjectManager.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Memory.hpp"

namespace KTX::Host {

namespace {

using Property::ValuePtr;
using Property::ValueType;

constexpr const char* kSource = "host/prop/HostOwners.cpp";

// The host's own names are compared here and not through STR_compare_i, so
// that the compares a plug-in owner makes can be counted on their own.
bool sameName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == '\0') return true;
  }
}

// What the host keeps of objects beyond their own fields, by tag.
struct ObjectState {
  std::map<tag_t, std::string> names;
  std::map<tag_t, bool> suppressed;
};

ObjectState& state() {
  static ObjectState* s = new ObjectState;
  return *s;
}

tag_t tagOf(const OM::Object* object) { return object != nullptr ? object->OmTag() : 0; }

// ---- "TaggedObject"

ValuePtr getTag(OM::Object* object) { return Property::MakeTag(tagOf(object)); }

ValuePtr getName(OM::Object* object) {
  if (object == nullptr) return Property::MakeString(nullptr);
  auto it = state().names.find(tagOf(object));
  return Property::MakeString(it != state().names.end() ? it->second.c_str() : "");
}

void setName(OM::Object* object, const Property::Value& value) {
  const char* text = value.GetString();
  if (text == nullptr || *text == '\0') {
    state().names.erase(tagOf(object));
  } else {
    state().names[tagOf(object)] = text;
  }
}

// ---- "Builder"

ValuePtr getJournalClassName(OM::Object* object) {
  auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(object);
  if (builder == nullptr) return Property::MakeString(nullptr);
  char* name = builder->ask_journal_class_name();
  std::string copy = name != nullptr ? name : "";
  bool hasName = name != nullptr;
  SM_free(name);
  return Property::MakeString(hasName ? copy.c_str() : nullptr);
}

// ---- "Features.FeatureBuilder"

FEATURE_RECORD* frecOf(OM::Object* object) {
  auto* builder = dynamic_cast<JAX_FEAT_BUILDER*>(object);
  return builder != nullptr ? builder->get_frec() : nullptr;
}

ValuePtr getEditing(OM::Object* object) { return Property::MakeLogical(frecOf(object) != nullptr); }

ValuePtr getFeatureRecord(OM::Object* object) { return Property::MakeSubobject(frecOf(object), "Features.Feature"); }

// ---- "Features.Feature"

ValuePtr getFeatureType(OM::Object* object) {
  return Property::MakeString(object != nullptr ? OM::OM_ask_class_name(object->OmClassId()) : nullptr);
}

// ---- "Features.BodyFeature"

ValuePtr getSuppressed(OM::Object* object) {
  if (object == nullptr) return Property::MakeLogical(false);
  auto it = state().suppressed.find(tagOf(object));
  return Property::MakeLogical(it != state().suppressed.end() && it->second);
}

void setSuppressed(OM::Object* object, const Property::Value& value) {
  state().suppressed[tagOf(object)] = value.GetLogical();
}

const PropertyRows& builderRows() {
  static const PropertyRows rows({
      {"JournalClassName", "journal_class_name", ValueType::kString, getJournalClassName, nullptr},
  });
  return rows;
}

const PropertyRows& featureBuilderRows() {
  static const PropertyRows rows({
      {"Editing", nullptr, ValueType::kLogical, getEditing, nullptr},
      {"FeatureRecord", "feature_record", ValueType::kSubobject, getFeatureRecord, nullptr},
  });
  return rows;
}

const PropertyRows& featureRows() {
  static const PropertyRows rows({
      {"FeatureType", "feature_type", ValueType::kString, getFeatureType, nullptr},
  });
  return rows;
}

const PropertyRows& bodyFeatureRows() {
  static const PropertyRows rows({
      {"Suppressed", nullptr, ValueType::kLogical, getSuppressed, setSuppressed},
  });
  return rows;
}

// An owner of one of the host's journal classes, served by its rows.
class HostOwner final : public JAM::TaggedObjectPropertyOwner {
 public:
  explicit HostOwner(const PropertyRows& (*rows)()) : rows_(rows) {}
  int GetProperties(OM::Object* object, Property::List& list) override {
    return rows_().GetProperties(this, object, list);
  }
  int SetProperties(OM::Object* object, Property::List& list) override {
    return rows_().SetProperties(this, object, list);
  }
  Property::Value* GetProperty(OM::Object* object, const char* name) override {
    return rows_().GetProperty(this, object, name);
  }
  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override {
    return rows_().SetProperty(this, object, name, value);
  }

 private:
  const PropertyRows& (*rows_)();
};

// Registered when the host loads, before any plug-in can register its own.
struct HostOwners {
  JAM::TaggedObjectPropertyOwner taggedObject;
  HostOwner builder{builderRows};
  HostOwner featureBuilder{featureBuilderRows};
  HostOwner feature{featureRows};
  HostOwner bodyFeature{bodyFeatureRows};

  HostOwners() {
    JAM::PropertyMapper::RegisterPropertyOwner("TaggedObject", nullptr, &taggedObject);
    JAM::PropertyMapper::RegisterPropertyOwner("Builder", "TaggedObject", &builder);
    JAM::PropertyMapper::RegisterPropertyOwner("Features.FeatureBuilder", "Builder", &featureBuilder);
    JAM::PropertyMapper::RegisterPropertyOwner("Features.Feature", "TaggedObject", &feature);
    JAM::PropertyMapper::RegisterPropertyOwner("Features.BodyFeature", "Features.Feature", &bodyFeature);
  }
} hostOwners;

}  // namespace

const PropertyRows& TaggedObjectRows() {
  static const PropertyRows rows({
      {"Tag", nullptr, ValueType::kTag, getTag, nullptr},
      {"Name", nullptr, ValueType::kString, getName, setName},
  });
  return rows;
}

const PropertyRow* PropertyRows::match(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const PropertyRow& row : rows_) {
    if (sameName(name, row.name) || (row.snake != nullptr && sameName(name, row.snake))) return &row;
  }
  return nullptr;
}

int PropertyRows::GetProperties(Property::Owner* self, OM::Object* object, Property::List& list) const {
  for (const PropertyRow& row : rows_) list.SetValue(row.name, row.get(object).release());
  Property::Owner* parent = JAM::PropertyMapper::GetSuperclassOwner(self);
  return parent != nullptr ? parent->GetProperties(object, list) : 0;
}

int PropertyRows::SetProperties(Property::Owner* self, OM::Object* object, Property::List& list) const {
  for (const PropertyRow& row : rows_) {
    if (row.set == nullptr) continue;
    // A settable name that the list has no value for is left as it is.
    const Property::Value* value = list.GetProperty(row.name);
    if (value != nullptr) self->SetProperty(object, row.name, value);
  }
  Property::Owner* parent = JAM::PropertyMapper::GetSuperclassOwner(self);
  return parent != nullptr ? parent->SetProperties(object, list) : 0;
}

Property::Value* PropertyRows::GetProperty(Property::Owner* self, OM::Object* object, const char* name) const {
  if (object == nullptr) Property::RaiseNullPtr(kSource, __LINE__);
  if (const PropertyRow* row = match(name)) return row->get(object).release();
  Property::Owner* parent = JAM::PropertyMapper::GetSuperclassOwner(self);
  return parent != nullptr ? parent->GetProperty(object, name) : nullptr;
}

int PropertyRows::SetProperty(Property::Owner* self, OM::Object* object, const char* name,
                              const Property::Value* value) const {
  if (const PropertyRow* row = match(name)) {
    if (row->set == nullptr) return Property::kReadOnlyProperty;
    if (object == nullptr) Property::RaiseNullPtr(kSource, __LINE__);
    row->set(object, Property::Expect(value, row->type, kSource, __LINE__));
    return 0;
  }
  Property::Owner* parent = JAM::PropertyMapper::GetSuperclassOwner(self);
  return parent != nullptr ? parent->SetProperty(object, name, value) : Property::kUnknownProperty;
}

}  // namespace KTX::Host
