#include "prop/PropertyMapper.hpp"

#include <map>
#include <string_view>
#include <unordered_map>

#include "feat/Builder.hpp"
#include "prop/HostOwners.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::JAM {

namespace {

constexpr const char* kSource = "host/prop/PropertyMapper.cpp";

struct Registration {
  std::string parent;
  Property::Owner* owner = nullptr;
  unsigned long long serial = 0;  // order of the latest registration
};

struct Registry {
  std::map<std::string, Registration, std::less<>> classes;
  std::vector<std::string> order;
  unsigned long long serial = 0;
  // Each owner's parent owner as last found; cleared by every change.
  std::unordered_map<const Property::Owner*, Property::Owner*> parents;
};

// Never destroyed: owners in other libraries forget themselves from their
// exit steps, whenever those run.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

Property::Owner* findSuperclassOwner(const Property::Owner* owner);

const Registration* find(const char* journalClass) {
  if (journalClass == nullptr) return nullptr;
  auto it = registry().classes.find(std::string_view(journalClass));
  return it == registry().classes.end() ? nullptr : &it->second;
}

}  // namespace

void PropertyMapper::RegisterPropertyOwner(const char* journalClass, const char* parentJournalClass,
                                           Property::Owner* owner) {
  if (journalClass == nullptr || *journalClass == '\0' || owner == nullptr) {
    ERROR_raise(kSource, __LINE__, Property::kMissingValue, "property owner registered without %s",
                owner == nullptr ? "an owner" : "a journal class name");
  }
  Registry& r = registry();
  auto [it, fresh] = r.classes.try_emplace(journalClass);
  if (fresh) r.order.emplace_back(journalClass);
  it->second.parent = parentJournalClass != nullptr ? parentJournalClass : "";
  it->second.owner = owner;
  it->second.serial = ++r.serial;
  r.parents.clear();
}

Property::Owner* PropertyMapper::GetSuperclassOwner(const Property::Owner* owner) {
  if (owner == nullptr) return nullptr;
  auto& parents = registry().parents;
  if (auto known = parents.find(owner); known != parents.end()) return known->second;
  Property::Owner* parent = findSuperclassOwner(owner);
  parents.emplace(owner, parent);
  return parent;
}

namespace {
Property::Owner* findSuperclassOwner(const Property::Owner* owner) {
  const Registration* latest = nullptr;
  for (const auto& [name, registration] : registry().classes) {
    if (registration.owner == owner && (latest == nullptr || registration.serial > latest->serial)) {
      latest = &registration;
    }
  }
  if (latest == nullptr || latest->parent.empty()) return nullptr;
  return PropertyMapper::GetOwner(latest->parent.c_str());
}
}  // namespace

Property::Owner* PropertyMapper::GetOwner(const char* journalClass) {
  const Registration* registration = find(journalClass);
  return registration != nullptr ? registration->owner : nullptr;
}

const char* PropertyMapper::GetParentClassName(const char* journalClass) {
  const Registration* registration = find(journalClass);
  if (registration == nullptr || registration->parent.empty()) return nullptr;
  return registration->parent.c_str();
}

Property::Owner* PropertyMapper::GetParentOwner(const char* journalClass) {
  return GetOwner(GetParentClassName(journalClass));
}

bool PropertyMapper::IsRegistered(const char* journalClass) { return find(journalClass) != nullptr; }

std::vector<std::string> PropertyMapper::RegisteredClasses() { return registry().order; }

Property::Owner* PropertyMapper::GetOwnerOfObject(OM::Object* object) {
  auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(object);
  if (builder == nullptr) return nullptr;
  char* journalClass = builder->ask_journal_class_name();
  Property::Owner* owner = GetOwner(journalClass);
  SM_free(journalClass);
  return owner;
}

void PropertyMapper::ForgetOwner(const Property::Owner* owner) {
  for (auto& [name, registration] : registry().classes) {
    if (registration.owner == owner) registration.owner = nullptr;
  }
  registry().parents.clear();
}

// ---- the tagged-object owner

TaggedObjectPropertyOwner::TaggedObjectPropertyOwner() = default;
TaggedObjectPropertyOwner::~TaggedObjectPropertyOwner() = default;

int TaggedObjectPropertyOwner::GetProperties(OM::Object* object, Property::List& list) {
  return Host::TaggedObjectRows().GetProperties(this, object, list);
}

int TaggedObjectPropertyOwner::SetProperties(OM::Object* object, Property::List& list) {
  return Host::TaggedObjectRows().SetProperties(this, object, list);
}

Property::Value* TaggedObjectPropertyOwner::GetProperty(OM::Object* object, const char* name) {
  return Host::TaggedObjectRows().GetProperty(this, object, name);
}

int TaggedObjectPropertyOwner::SetProperty(OM::Object* object, const char* name, const Property::Value* value) {
  return Host::TaggedObjectRows().SetProperty(this, object, name, value);
}

int TaggedObjectPropertyOwner::SuperGetProperties(OM::Object* object, Property::List& list) {
  Property::Owner* parent = PropertyMapper::GetSuperclassOwner(this);
  return parent != nullptr ? parent->GetProperties(object, list) : 0;
}

int TaggedObjectPropertyOwner::SuperSetProperties(OM::Object* object, Property::List& list) {
  Property::Owner* parent = PropertyMapper::GetSuperclassOwner(this);
  return parent != nullptr ? parent->SetProperties(object, list) : 0;
}

Property::Value* TaggedObjectPropertyOwner::SuperGetProperty(OM::Object* object, const char* name) {
  Property::Owner* parent = PropertyMapper::GetSuperclassOwner(this);
  return parent != nullptr ? parent->GetProperty(object, name) : nullptr;
}

int TaggedObjectPropertyOwner::SuperSetProperty(OM::Object* object, const char* name,
                                                const Property::Value* value) {
  Property::Owner* parent = PropertyMapper::GetSuperclassOwner(this);
  return parent != nullptr ? parent->SetProperty(object, name, value) : Property::kUnknownProperty;
}

}  // namespace KTX::JAM
