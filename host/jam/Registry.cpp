// The scripting type registry, file and class initializers, creator method
// names, defaults and the automatic-test output.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

#include "jam/Internal.hpp"
#include "om/ObjectManager.hpp"
#include "sys/AddressTable.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX::JAM {
namespace {

struct FileEntry {
  std::string name;
  JAM_init_fn initialize;
  JAM_init_fn destroy;
  const FileInitializer* owner;
};
struct ClassEntry {
  std::string name;
  IJAInterface* journalled;
  IJAInterface* unjournalled;
  const ClassInitializer* owner;
};

struct Registry {
  std::map<std::string, std::unique_ptr<JAM_type_class_s>> classes;
  std::map<std::string, std::unique_ptr<JAM_type_enum_s>> enums;
  std::map<std::string, std::unique_ptr<JAM_type_struct_s>> structs;
  std::map<std::string, JAM_defaults_fn> defaults;
  std::map<std::string, JAM_print_fn> printers;
  std::vector<std::string> creators;
  std::vector<FileEntry> files;
  // Entries stay where they are while others come and go: the index below
  // points at them.
  std::list<ClassEntry> classInitializers;
  // The latest live class initializer's interfaces by name: what the
  // property owners ask for on every call, found without a scan.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
  };
  std::unordered_map<std::string, const ClassEntry*, NameHash, std::equal_to<>> interfacesByName;
  // The same, by the address of the name asked with: an owner asks with
  // its class's one name text every time. A hit is checked against the
  // entry's name (the text at an address may have changed since).
  KTX::Host::AddressTable<const ClassEntry*> interfacesByAddress;
  std::set<std::string> printEnabled;
  // The units whose set-up FileInitializer::Initialize is running, innermost
  // last, each with what it has registered so far; and what each unit's last
  // set-up that registered anything registered.
  std::vector<std::pair<std::string, std::vector<std::string>>> runningSetUps;
  std::map<std::string, std::vector<std::string>> setUpRegistrations;
};

// Never destroyed: the plug-in's exit steps run after the host's statics may be gone.
Registry& registry() {
  static Registry* r = [] {
    auto* made = new Registry;
    auto point = std::make_unique<JAM_type_struct_s>();
    point->name = "Point3d";
    point->components = {"X", "Y", "Z"};
    made->structs["Point3d"] = std::move(point);
    auto matrix = std::make_unique<JAM_type_struct_s>();
    matrix->name = "Matrix3x3";
    matrix->components = {"Xx", "Xy", "Xz", "Yx", "Yy", "Yz", "Zx", "Zy", "Zz"};
    made->structs["Matrix3x3"] = std::move(matrix);
    return made;
  }();
  return *r;
}

// Later registrations of a name hide earlier ones; the entry going (null:
// none) is passed over. The table by address is started afresh, since a hit
// there is checked by name only.
void indexInterfaces(const std::string& name, const ClassEntry* going = nullptr) {
  Registry& r = registry();
  r.interfacesByAddress.Clear();
  for (auto it = r.classInitializers.rbegin(); it != r.classInitializers.rend(); ++it)
    if (&*it != going && it->name == name) {
      r.interfacesByName[name] = &*it;
      return;
    }
  r.interfacesByName.erase(name);
}

// The host's own units: they need no set-up of the plug-in's.
const std::set<std::string>& hostUnits() {
  // The die-attributes builder is the host's own class, published by the host.
  static const auto* units = new std::set<std::string>{"Expression",   "Section",    "SelectObject",
                                                       "SelectObjectList", "ScCollector", "ObjectList",
                                                       "qdmath",       "Die.DieAttributesBuilder", "Tooling.ToolingManager"};
  return *units;
}

std::string str(const char* s) { return s != nullptr ? s : ""; }
std::string num(long long v) { return std::to_string(v); }

// One registration, credited to the set-up running innermost (none outside a set-up).
void credit(const std::string& fact) {
  auto& running = registry().runningSetUps;
  if (!running.empty()) running.back().second.push_back(fact);
}

JAM_type_class_s* classNamed(const std::string& name) {
  auto& slot = registry().classes[name];
  if (!slot) {
    slot = std::make_unique<JAM_type_class_s>();
    slot->name = name;
  }
  return slot.get();
}

}  // namespace

namespace Internal {
JAM_type_struct_s* FindStruct(const std::string& name) {
  auto it = registry().structs.find(name);
  return it == registry().structs.end() ? nullptr : it->second.get();
}
}  // namespace Internal

// ---- initializers ------------------------------------------------------------

FileInitializer::FileInitializer(const char* className, JAM_init_fn initialize, JAM_init_fn destroy)
    : className_(className) {
  Host::Log("FileInitializer", str(className));
  registry().files.push_back({str(className), initialize, destroy, this});
}

FileInitializer::~FileInitializer() {
  Host::Log("~FileInitializer", str(className_));
  auto& files = registry().files;
  for (auto it = files.begin(); it != files.end(); ++it) {
    if (it->owner != this) continue;
    FileEntry entry = *it;
    files.erase(it);
    auto c = registry().classes.find(entry.name);
    if (entry.destroy != nullptr && c != registry().classes.end() && c->second->created) entry.destroy();
    return;
  }
}

void FileInitializer::Initialize(const char* className) {
  std::string name = str(className);
  credit("initializes " + name);
  if (hostUnits().count(name) != 0) {
    Host::Log("FileInitializer::Initialize", name);
    return;
  }
  for (const FileEntry& e : registry().files) {
    if (e.name != name) continue;
    Host::Log("FileInitializer::Initialize", name);
    if (e.initialize == nullptr) return;
    // A set-up that returns at once (it ran before) keeps what its first run
    // registered; one that raises keeps what it registered until then.
    struct Running {
      explicit Running(const std::string& unit) { registry().runningSetUps.push_back({unit, {}}); }
      ~Running() {
        auto& running = registry().runningSetUps;
        if (!running.back().second.empty())
          registry().setUpRegistrations[running.back().first] = std::move(running.back().second);
        running.pop_back();
      }
    } running(name);
    e.initialize();
    return;
  }
  Host::Log("FileInitializer::Initialize", name + " (not registered)");
}

ClassInitializer::ClassInitializer(const char* className, IJAInterface* journalled, IJAInterface* unjournalled)
    : className_(className) {
  Host::Log("ClassInitializer", str(className));
  registry().classInitializers.push_back({str(className), journalled, unjournalled, this});
  indexInterfaces(registry().classInitializers.back().name);
}

ClassInitializer::~ClassInitializer() {
  Host::Log("~ClassInitializer", str(className_));
  auto& list = registry().classInitializers;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->owner == this) {
      indexInterfaces(it->name, &*it);
      list.erase(it);
      return;
    }
}

namespace {
// Names asked with from more addresses than this start the table afresh.
constexpr std::size_t kAddressesKept = 1024;

const ClassEntry* interfacesOf(const char* className) {
  Registry& r = registry();
  if (const ClassEntry** hit = r.interfacesByAddress.Find(className))
    if (std::strcmp((*hit)->name.c_str(), className) == 0) return *hit;
  auto it = r.interfacesByName.find(std::string_view(className != nullptr ? className : ""));
  if (it == r.interfacesByName.end()) return nullptr;
  if (const ClassEntry** stale = r.interfacesByAddress.Find(className)) {
    *stale = it->second;
  } else {
    if (r.interfacesByAddress.Size() >= kAddressesKept) r.interfacesByAddress.Clear();
    r.interfacesByAddress.Insert(className, it->second);
  }
  return it->second;
}
}  // namespace

IJAInterface* ClassInitializer::GetJournalledInterface(const char* className) {
  const ClassEntry* entry = interfacesOf(className);
  return entry != nullptr ? entry->journalled : nullptr;
}

IJAInterface* ClassInitializer::GetUnjournalledInterface(const char* className) {
  const ClassEntry* entry = interfacesOf(className);
  return entry != nullptr ? entry->unjournalled : nullptr;
}

// ---- automatic-test switches ---------------------------------------------------

int Autotest::m_objectDetails = 0;
int Autotest::m_subobjectNesting = 0;

bool Autotest::APIPrintEnabled(const char* className) {
  const auto& on = registry().printEnabled;
  bool enabled = on.count("*") != 0 || on.count(str(className)) != 0;
  Host::Log("Autotest::APIPrintEnabled", str(className) + (enabled ? " yes" : " no"));
  return enabled;
}

void Autotest::EnableAPIPrint(const char* className, bool on) {
  if (on) {
    registry().printEnabled.insert(str(className));
  } else if (str(className) == "*") {
    registry().printEnabled.clear();
  } else {
    registry().printEnabled.erase(str(className));
  }
}

bool IsCreatorMethod(std::string_view journalClass, std::string_view method) {
  for (const std::string& c : registry().creators)
    if (c.size() == journalClass.size() + 1 + method.size() && c.starts_with(journalClass) &&
        c[journalClass.size()] == ' ' && c.ends_with(method))
      return true;
  return false;
}

// ---- what tests read -----------------------------------------------------------

namespace Test {
bool DescribeClass(const char* name, TypeView* view) {
  auto it = registry().classes.find(str(name));
  if (it == registry().classes.end()) return false;
  const JAM_type_class_s& c = *it->second;
  *view = TypeView{c.name, c.parent, c.created, c.templateName, c.argument, {}, c.accessors, c.interfaces};
  return true;
}
std::vector<std::string> CreatorMethodNames() { return registry().creators; }
std::vector<std::string> FileInitializerNames() {
  std::vector<std::string> names;
  for (const auto& e : registry().files) names.push_back(e.name);
  return names;
}
std::vector<std::string> ClassInitializerNames() {
  std::vector<std::string> names;
  for (const auto& e : registry().classInitializers) names.push_back(e.name);
  return names;
}
std::vector<std::string> SetUpRegistrations(const char* className) {
  auto it = registry().setUpRegistrations.find(str(className));
  return it == registry().setUpRegistrations.end() ? std::vector<std::string>{} : it->second;
}
JAM_defaults_fn DefaultsFunction(const char* className) {
  auto it = registry().defaults.find(str(className));
  return it == registry().defaults.end() ? nullptr : it->second;
}
JAM_print_fn PrintFunction(const char* className) {
  auto it = registry().printers.find(str(className));
  return it == registry().printers.end() ? nullptr : it->second;
}
}  // namespace Test

}  // namespace KTX::JAM

using namespace KTX;
using namespace KTX::JAM;

namespace {

// The host calls a print body itself and prints the value or the status.
template <class T, class Show>
void printProp(const char* function, const char* getName, tag_t tag, int (*body)(OM::Object*, T*), const char* name,
               Show show, const std::string& extra = {}) {
  std::string line = str(getName) + " " + str(name) + extra;
  T value{};
  int status = 0;
  OM::Object* object = OM::OM_object_of_tag(tag);
  try {
    // A body is never handed a null object.
    status = object == nullptr ? Error::kBadObject : body != nullptr ? body(object, &value) : 0;
  } catch (const Error::Exception& e) {
    status = e.askCode();
  }
  if (status == 0) {
    line += "=" + show(value);
  } else {
    line += " status=" + num(status);
  }
  Host::Log(function, line);
}

// One declaration per property: a set-up run again (after one an error left)
// declares its accessors again, and the last declaration stands.
void declareAccessor(JAM_type_class_s* journalClass, const char* kind, const std::string& property) {
  auto& accessors = journalClass->accessors;
  accessors.erase(std::remove_if(accessors.begin(), accessors.end(),
                                 [&](const std::string& a) { return a.substr(a.find(' ') + 1) == property; }),
                  accessors.end());
  accessors.push_back(std::string(kind) + " " + property);
}

}  // namespace

extern "C" {

JAM_type_class_s* JAM_lookup_or_create_class(const char* name) {
  Host::Log("JAM_lookup_or_create_class", str(name));
  credit("class " + str(name));
  return classNamed(str(name));
}

JAM_type_class_s* JAM_lookup_or_create_template_class(const char* name, const char* templateName,
                                                      const char* argument) {
  Host::Log("JAM_lookup_or_create_template_class", str(name) + " " + str(templateName) + " " + str(argument));
  credit("template " + str(name) + " " + str(templateName) + " " + str(argument));
  JAM_type_class_s* c = classNamed(str(name));
  c->isTemplate = true;
  c->templateName = str(templateName);
  c->argument = str(argument);
  return c;
}

JAM_type_enum_s* JAM_lookup_or_create_enum(const char* name, int valueSize) {
  Host::Log("JAM_lookup_or_create_enum", str(name) + " " + num(valueSize));
  credit("enumeration " + str(name) + " " + num(valueSize));
  auto& slot = registry().enums[str(name)];
  if (!slot) {
    slot = std::make_unique<JAM_type_enum_s>();
    slot->name = str(name);
    slot->valueSize = valueSize;
  }
  return slot.get();
}

void JAM_add_enum_member(JAM_type_enum_s* enumeration, const char* member, int value) {
  Host::Log("JAM_add_enum_member",
            (enumeration != nullptr ? enumeration->name : std::string()) + " " + str(member) + " " + num(value));
  if (enumeration != nullptr) enumeration->members.emplace_back(str(member), value);
  credit("enum-member " + (enumeration != nullptr ? enumeration->name : std::string()) + " " + str(member) + " " +
         num(value));
}

JAM_type_struct_s* JAM_lookup_struct(const char* name) {
  Host::Log("JAM_lookup_struct", str(name));
  credit("structure " + str(name));
  JAM_type_struct_s* s = Internal::FindStruct(str(name));
  if (s == nullptr) ERROR_raise("jam", 0, Error::kBadObject, "no structure %s", str(name).c_str());
  return s;
}

JAM_type_class_s* JAM_create_class(const char* name, const char* parent) {
  Host::Log("JAM_create_class", str(name) + " " + str(parent));
  Internal::MaybeRaise("JAM_create_class");
  credit("creates " + str(name) + " " + str(parent));
  JAM_type_class_s* c = classNamed(str(name));
  c->created = true;
  c->parent = str(parent);
  return c;
}

void JAM_destroy_class(const char* name, const char* parent) {
  Host::Log("JAM_destroy_class", str(name) + " " + str(parent));
  auto it = registry().classes.find(str(name));
  if (it != registry().classes.end()) it->second->created = false;
}

void JAM_declare_ptr_property_accessor(JAM_type_class_s* journalClass, const char* property, JAM_replay_fn getter,
                                       int reserved, bool flag) {
  Host::Log("JAM_declare_ptr_property_accessor",
            (journalClass ? journalClass->name : "") + " " + str(property) + " " + num(reserved) + " " + num(flag));
  credit("accessor ptr " + str(property) + " " + num(reserved) + " " + num(flag));
  if (journalClass == nullptr) return;
  declareAccessor(journalClass, "ptr", str(property));
  Internal::LearnReplay(Internal::ReplayKey(journalClass->name, 1, str(property)), getter);
  Internal::LearnValueCount(Internal::ReplayKey(journalClass->name, 1, str(property)), 1);
}

void JAM_declare_tag_property_accessor(JAM_type_class_s* journalClass, const char* property, JAM_replay_fn getter,
                                       int reserved, bool flag) {
  Host::Log("JAM_declare_tag_property_accessor",
            (journalClass ? journalClass->name : "") + " " + str(property) + " " + num(reserved) + " " + num(flag));
  credit("accessor tag " + str(property) + " " + num(reserved) + " " + num(flag));
  if (journalClass == nullptr) return;
  declareAccessor(journalClass, "tag", str(property));
  Internal::LearnReplay(Internal::ReplayKey(journalClass->name, 1, str(property)), getter);
  Internal::LearnValueCount(Internal::ReplayKey(journalClass->name, 1, str(property)), 1);
}

void JAM_add_interface(JAM_type_class_s* journalClass, const char* interfaceName) {
  Host::Log("JAM_add_interface", (journalClass ? journalClass->name : "") + " " + str(interfaceName));
  credit("interface " + str(interfaceName));
  if (journalClass == nullptr) return;
  // A set-up run again (after one an error left) declares it again: kept once.
  auto& interfaces = journalClass->interfaces;
  if (std::find(interfaces.begin(), interfaces.end(), str(interfaceName)) == interfaces.end())
    interfaces.push_back(str(interfaceName));
}

void JAM_register_initialisation_function(const char* className, JAM_defaults_fn function) {
  Host::Log("JAM_register_initialisation_function", str(className));
  credit("defaults-function " + str(className));
  registry().defaults[str(className)] = function;
}

void JAM_test_register_print_fn(const char* className, JAM_print_fn function) {
  Host::Log("JAM_test_register_print_fn", str(className));
  credit("printer " + str(className));
  registry().printers[str(className)] = function;
}

void JAM_register_creator_method_name(const char* className, const char* method) {
  Host::Log("JAM_register_creator_method_name", str(className) + " " + str(method));
  registry().creators.push_back(str(className) + " " + str(method));
}

void JAM_traverse_builder_objects(JAM_type_class_s* journalClass, tag_t tag, bool apply) {
  Host::Log("JAM_traverse_builder_objects",
            (journalClass ? journalClass->name : "") + " " + num(tag) + " " + num(apply));
}

void JAM_set_named_attribute_value(OM::Object* object, const char* path, const char* text) {
  Host::Log("JAM_set_named_attribute_value",
            num(OM::OM_ask_object_tag(object)) + " " + str(path) + "=" + str(text) +
                (JournalPauser::Paused() ? " (paused)" : ""));
  Internal::MaybeRaise("JAM_set_named_attribute_value");
  if (Internal::ApplyingDefaults::Active()) Internal::ApplyNamedValue(object, path, text);
}

void JAM_test_print_tag_start(tag_t tag, const char* tagName, int level) {
  Host::Log("JAM_test_print_tag_start", num(tag) + " " + str(tagName) + " " + num(level));
}
void JAM_test_print_tag_end(const char* tagName, int level) {
  Host::Log("JAM_test_print_tag_end", str(tagName) + " " + num(level));
}
void JAM_test_print_method_start(const char* name) { Host::Log("JAM_test_print_method_start", str(name)); }
void JAM_test_print_method_end(const char* name) { Host::Log("JAM_test_print_method_end", str(name)); }
void JAM_test_print_error(const char* name, int status) {
  Host::Log("JAM_test_print_error", str(name) + " " + num(status));
}
void JAM_test_print_param_object(tag_t tag, const char* name, const char* className, int level) {
  Host::Log("JAM_test_print_param_object", str(name) + " " + num(tag) + " " + str(className) + " " + num(level));
}
void JAM_test_print_param_ptr(const void* object, const char* name, const char* className, int level) {
  tag_t tag = object == nullptr ? 0 : OM::OM_ask_object_tag(static_cast<const OM::Object*>(object));
  Host::Log("JAM_test_print_param_ptr", str(name) + " " + num(tag) + " " + str(className) + " " + num(level));
}
void JAM_test_print_param_double(double value, const char* name, int level) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  Host::Log("JAM_test_print_param_double", str(name) + "=" + text + " " + num(level));
}
void JAM_test_print_struct_start(const char* name, int level) {
  Host::Log("JAM_test_print_struct_start", str(name) + " " + num(level));
}
void JAM_test_print_struct_end(const char* name, int level) {
  Host::Log("JAM_test_print_struct_end", str(name) + " " + num(level));
}

void JAM_test_print_logical_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, bool*), const char* name) {
  printProp("JAM_test_print_logical_prop", getName, tag, body, name, [](bool v) { return num(v); });
}
void JAM_test_print_int_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, int*), const char* name) {
  printProp("JAM_test_print_int_prop", getName, tag, body, name, [](int v) { return num(v); });
}
void JAM_test_print_double_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, double*),
                                const char* name) {
  printProp("JAM_test_print_double_prop", getName, tag, body, name, [](double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return std::string(text);
  });
}
void JAM_test_print_string_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, char**), const char* name) {
  printProp("JAM_test_print_string_prop", getName, tag, body, name, [](char* v) {
    std::string text = v != nullptr ? v : "(null)";
    SM_free(v);  // the body handed out a copy
    return text;
  });
}
void JAM_test_print_text_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, TEXT_s**), const char* name) {
  printProp("JAM_test_print_text_prop", getName, tag, body, name, [](TEXT_s* v) {
    std::string text = v != nullptr ? TEXT_ask_utf8(v) : "(null)";
    TEXT_free(v);
    return text;
  });
}
void JAM_test_print_enum_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, int*),
                              JAM_type_enum_s* enumeration, const char* enumName, const char* name) {
  printProp(
      "JAM_test_print_enum_prop", getName, tag, body, name,
      [enumeration](int v) {
        if (enumeration != nullptr)
          for (const auto& m : enumeration->members)
            if (m.second == v) return m.first;
        return num(v);
      },
      " " + str(enumName));
}
void JAM_test_print_object_prop(const char* getName, tag_t tag, int (*body)(OM::Object*, tag_t*), const char* name,
                                const char* className) {
  printProp("JAM_test_print_object_prop", getName, tag, body, name, [](tag_t v) { return num(v); },
            " " + str(className));
}
void JAM_test_print_subobjects_of_object(const tag_t* tag, const char* tagName, int level) {
  Host::Log("JAM_test_print_subobjects_of_object", num(tag ? *tag : 0) + " " + str(tagName) + " " + num(level));
}
void JAM_test_print_tag_of_class(tag_t tag, const char* className, const char* extra, int level) {
  Host::Log("JAM_test_print_tag_of_class", num(tag) + " " + str(className) + " " + str(extra) + " " + num(level));
}
void JAM_test_print_call_custom_print_fn(const tag_t* tag, const char* tagName, const char* className) {
  Host::Log("JAM_test_print_call_custom_print_fn", num(tag ? *tag : 0) + " " + str(tagName) + " " + str(className));
}

}  // extern "C"
