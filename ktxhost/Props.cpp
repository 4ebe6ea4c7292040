// ktxhost props: loads the plug-in, makes a new builder of the class asked
// for through the creator the plug-in publishes for it, as a script makes
// one, finds the owner of its journal class through the property mapper, the
// way the host's property system does, and lists, reads or writes its
// properties by name.
#include "Props.hpp"

#include <dlfcn.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "feat/Builder.hpp"
#include "script/ScriptHost.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

namespace KTX::HostProgram {

namespace {

using Property::ValuePtr;
using Property::ValueType;

constexpr const char* kDefaultClass = "Die.CastReliefBuilder";

std::string describe(const Property::Value& value) {
  return std::string(Property::TypeName(value.GetType())) + " " + Property::Format(value);
}

bool parseDouble(const char* text, double* out) {
  char* end = nullptr;
  errno = 0;
  *out = std::strtod(text, &end);
  // A real that is not finite is no value a builder can hold.
  return end != text && *end == '\0' && errno == 0 && std::isfinite(*out);
}

bool parseLong(const char* text, long* out) {
  char* end = nullptr;
  errno = 0;
  *out = std::strtol(text, &end, 10);
  // A real that is not finite is no value a builder can hold.
  return end != text && *end == '\0' && errno == 0 && std::isfinite(*out);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// A value of the same type as `current` made from text; null when the text
// does not read as that type.
ValuePtr parseValue(const Property::Value& current, const std::string& text) {
  double d = 0;
  long n = 0;
  switch (current.GetType()) {
    case ValueType::kDouble:
      return parseDouble(text.c_str(), &d) ? Property::MakeDouble(d) : nullptr;
    case ValueType::kInteger:
      return parseLong(text.c_str(), &n) ? Property::MakeInteger(static_cast<int>(n)) : nullptr;
    case ValueType::kLogical:
      if (text == "true" || text == "1") return Property::MakeLogical(true);
      if (text == "false" || text == "0") return Property::MakeLogical(false);
      return nullptr;
    case ValueType::kEnum: {
      const auto& e = static_cast<const Property::Enum&>(current);
      auto made = std::make_unique<Property::Enum>(e.GetMap(), e.GetNames());
      if (made->SetValueByName(text.c_str())) return made;
      if (!parseLong(text.c_str(), &n)) return nullptr;
      made->SetValue(static_cast<int>(n));
      return made;
    }
    case ValueType::kTag:
      return parseLong(text.c_str(), &n) && n >= 0 ? Property::MakeTag(static_cast<tag_t>(n)) : nullptr;
    case ValueType::kPoint: {
      std::vector<std::string> xyz = split(text, ',');
      Property::Point3d p;
      if (xyz.size() != 3 || !parseDouble(xyz[0].c_str(), &p.x) || !parseDouble(xyz[1].c_str(), &p.y) ||
          !parseDouble(xyz[2].c_str(), &p.z))
        return nullptr;
      return Property::MakePoint(p);
    }
    case ValueType::kString:
      return Property::MakeString(text.c_str());
    case ValueType::kUtfString:
      return Property::MakeUtfString(TEXT_create_string(text.c_str()));
    case ValueType::kArray: {
      std::vector<std::string> items = text.empty() ? std::vector<std::string>{} : split(text, '|');
      auto** texts = static_cast<TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * (items.size() + 1)));
      for (std::size_t i = 0; i < items.size(); ++i) texts[i] = TEXT_create_string(items[i].c_str());
      return Property::MakeTextArray(static_cast<int>(items.size()), texts);
    }
    case ValueType::kSubobject:
      // Sub-objects are not written by value; the owner decides what a write means.
      return Property::MakeSubobject(nullptr, static_cast<const Property::Subobject&>(current).GetClassName());
  }
  return nullptr;
}

// One request; false when it failed.
bool request(Property::Owner& owner, OM::Object* object, OM::Object* builder, const std::string& argument) {
  std::size_t equals = argument.find('=');
  std::string name = argument.substr(0, equals);
  try {
    if (equals == std::string::npos) {
      ValuePtr value(owner.GetProperty(object, name.c_str()));
      if (value == nullptr) {
        std::printf("%s: no such property\n", name.c_str());
        return false;
      }
      std::printf("%s = %s\n", name.c_str(), describe(*value).c_str());
      return true;
    }
    std::string text = argument.substr(equals + 1);
    // The type a write needs is the type a read of the builder gives, also
    // when the write itself is made without an object.
    ValuePtr current(owner.GetProperty(builder, name.c_str()));
    if (current == nullptr) {
      std::printf("%s: no such property\n", name.c_str());
      return false;
    }
    ValuePtr value = parseValue(*current, text);
    if (value == nullptr) {
      std::printf("%s: '%s' is no %s\n", name.c_str(), text.c_str(), Property::TypeName(current->GetType()));
      return false;
    }
    int status = owner.SetProperty(object, name.c_str(), value.get());
    // A write refused by its status is an error as one raised is.
    if (status != 0) {
      const std::string text = Error::PrintedText(status);
      std::printf("%s: error %d%s%s\n", name.c_str(), status, text.empty() ? "" : " ", text.c_str());
      return false;
    }
    std::printf("%s <- %s: status %d\n", name.c_str(), Property::Format(*value).c_str(), status);
    if (object != nullptr) {
      ValuePtr after(owner.GetProperty(object, name.c_str()));
      if (after != nullptr) std::printf("%s = %s\n", name.c_str(), describe(*after).c_str());
    }
    return true;
  } catch (const Error::Exception& e) {
    std::printf("%s: error %d %s\n", name.c_str(), e.askCode(), e.text().c_str());
    return false;
  }
}

}  // namespace

extern const Syntax kPropsSyntax{"props",
                                  {{"--class", "NAME", "a value"}, kPluginOption, {"--no-object", nullptr, nullptr}},
                                  {{"NAME | NAME=VALUE", "request", Operand::kRepeated}}};

extern const char* const kPropsHelp =
    "Loads the plug-in, makes a new builder of the journal class given with\n"
    "--class (\"Die.CastReliefBuilder\" when none is given) through the creator the\n"
    "plug-in publishes for it, as a script makes one, and asks the owner of its\n"
    "class, as the host's property system does: with no NAME, lists every\n"
    "property (the builder's own, then those of its parent classes) as\n"
    "'NAME TYPE VALUE'; NAME prints one property's value; NAME=VALUE writes it\n"
    "(VALUE as the property's type reads it: a number, true/false, an enumeration\n"
    "member's name or index, x,y,z for a point, texts separated by '|' for an\n"
    "array of texts) and prints what reading it back gives. Names are matched as\n"
    "the owner matches them (camel case or snake form, any case). Errors print as\n"
    "'NAME: error NUMBER TEXT'. After the requests the journal records they left\n"
    "are printed (a read leaves none). With --no-object the requests are made\n"
    "without an object. Last, once the plug-in is unloaded, how many of the\n"
    "classes it registered with the property mapper are still registered.\n";

int Props(const Arguments& arguments, const char* plugin) {
  const std::string journalClass = arguments.Value("--class", kDefaultClass);
  const bool withObject = !arguments.Given("--no-object");
  const std::vector<std::string>& requests = arguments.Repeated();

  std::vector<std::string> before = JAM::PropertyMapper::RegisteredClasses();
  std::string loaderWords;
  void* handle = KTXHost::LoadPlugin("props", plugin, &loaderWords);
  if (handle == nullptr) {
    if (!loaderWords.empty()) std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, loaderWords.c_str());
    return kFailed;
  }
  if (KTXHost::RefusedAsNotThePlugin("props", plugin, handle)) {
    dlclose(handle);
    return kFailed;
  }
  KTXHost::BindPlugin(handle);
  Property::Owner* owner = JAM::PropertyMapper::GetOwner(journalClass.c_str());
  int result = kDone;
  bool made = false;  // whether there was a builder to ask
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  int status = 0;
  tag_t tag = owner != nullptr ? KTXHost::CreateBuilder(journalClass, part->ask_tag(), &status) : 0;
  auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(tag));
  if (owner == nullptr || status == -1) {
    std::fprintf(stderr, "ktxhost props: the plug-in publishes no %s of \"%s\" (see ktxhost help props)\n",
                 owner == nullptr ? "property owner" : "creator", journalClass.c_str());
    result = kFailed;
  } else if (status != 0 || builder == nullptr) {
    std::fprintf(stderr, "ktxhost props: the creator of \"%s\" failed with status %s\n", journalClass.c_str(),
                 Error::Describe(status).c_str());
    result = kFailed;
  } else {
    made = true;
    OM::Object* object = withObject ? builder : nullptr;
    // Only the property requests' own records are shown.
    JAM::ClearJournal();
    if (withObject)
      std::printf("object \"%s\" tag %u\n", journalClass.c_str(), builder->OmTag());
    else
      std::printf("no object\n");
    if (requests.empty()) {
      Property::List list;
      try {
        owner->GetProperties(object, list);
      } catch (const Error::Exception& e) {
        std::printf("error %d %s\n", e.askCode(), e.text().c_str());
        result = kFailed;
      }
      for (int i = 0; i < list.GetCount(); ++i)
        std::printf("%s %s\n", list.GetNameByIndex(i), describe(*list.GetPropertyByIndex(i)).c_str());
    }
    for (const std::string& r : requests)
      if (!request(*owner, object, builder, r)) result = kFailed;
    if (!requests.empty()) {
      std::printf("journal records: %zu\n", JAM::Recorded().size());
      if (!JAM::Recorded().empty()) std::fputs(JAM::WriteJournal(JAM::Recorded()).c_str(), stdout);
    }
    builder->destroy();
  }
  PART_set_work_part(nullptr);
  part->destroy();
  Script::UnbindPlugin();
  std::vector<std::string> added = JAM::PropertyMapper::RegisteredClasses();
  added.erase(added.begin(), added.begin() + static_cast<std::ptrdiff_t>(before.size()));
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return kFailed;
  }
  if (!made) return result;
  // The plug-in's owners are gone, but unloading takes none of its classes
  // out of the mapper: each is still known under its parent.
  std::size_t kept = 0;
  for (const std::string& name : added)
    if (JAM::PropertyMapper::IsRegistered(name.c_str())) ++kept;
  const char* parent = JAM::PropertyMapper::GetParentClassName(journalClass.c_str());
  std::printf("after unload: %zu of %zu property registrations kept; \"%s\" under \"%s\"\n", kept, added.size(),
              journalClass.c_str(), parent != nullptr ? parent : "");
  return result;
}

}  // namespace KTX::HostProgram
