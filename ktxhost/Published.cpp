// ktxhost published: loads the plug-in and lists what it publishes, looking
// at it only as the host does: the journaling library's registries (file and
// class initializers, creator method names, what each set-up registered),
// the property mapper and its owners, the plug-in's dynamic symbol table as
// the loader mapped it, and each published class's description read as data
// through the play bindings. Nothing of the plug-in is changed; its set-ups
// run by name, as the host may run them at any time.
#include "Published.hpp"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "ja_binding.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX::HostProgram {

namespace {

using JA::BindingRow;
using JA::MemberFacts;
using JA::Shape;

// ---- the plug-in's exports, read from its dynamic section -------------------------

// The number of entries of the dynamic symbol table, from the hash table the
// loader itself uses to find symbols.
std::size_t SymbolCount(const ElfW(Word) * hash, const ElfW(Word) * gnuHash) {
  if (hash != nullptr) return hash[1];  // nchain
  if (gnuHash == nullptr) return 0;
  ElfW(Word) buckets = gnuHash[0], offset = gnuHash[1], bloomWords = gnuHash[2];
  const ElfW(Word)* bucket = reinterpret_cast<const ElfW(Word)*>(reinterpret_cast<const ElfW(Addr)*>(gnuHash + 4) + bloomWords);
  const ElfW(Word)* chain = bucket + buckets;
  ElfW(Word) last = 0;
  for (ElfW(Word) i = 0; i < buckets; ++i) last = bucket[i] > last ? bucket[i] : last;
  if (last < offset) return offset;
  while ((chain[last - offset] & 1) == 0) ++last;
  return last + 1;
}

struct Export {
  std::string name;
  const void* address;
};

// Every symbol the loaded object defines and exports, in table order.
bool ReadExports(void* handle, std::vector<Export>* exports, std::string* error) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
    *error = "the loader keeps no map of it";
    return false;
  }
  // Most targets relocate the dynamic section's addresses in place; where
  // they stay file offsets, the load address is added.
  auto at = [&](ElfW(Addr) p) { return p < map->l_addr ? p + map->l_addr : p; };
  const ElfW(Sym)* symbols = nullptr;
  const char* strings = nullptr;
  const ElfW(Word)* hash = nullptr;
  const ElfW(Word)* gnuHash = nullptr;
  for (const ElfW(Dyn)* d = map->l_ld; d->d_tag != DT_NULL; ++d) {
    if (d->d_tag == DT_SYMTAB) symbols = reinterpret_cast<const ElfW(Sym)*>(at(d->d_un.d_ptr));
    if (d->d_tag == DT_STRTAB) strings = reinterpret_cast<const char*>(at(d->d_un.d_ptr));
    if (d->d_tag == DT_HASH) hash = reinterpret_cast<const ElfW(Word)*>(at(d->d_un.d_ptr));
    if (d->d_tag == DT_GNU_HASH) gnuHash = reinterpret_cast<const ElfW(Word)*>(at(d->d_un.d_ptr));
  }
  if (symbols == nullptr || strings == nullptr || (hash == nullptr && gnuHash == nullptr)) {
    *error = "it has no dynamic symbol table";
    return false;
  }
  std::size_t count = SymbolCount(hash, gnuHash);
  for (std::size_t i = 1; i < count; ++i) {
    const ElfW(Sym)& s = symbols[i];
    int binding = ELF64_ST_BIND(s.st_info);
    if (s.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK) ||
        ELF64_ST_VISIBILITY(s.st_other) != STV_DEFAULT)
      continue;
    exports->push_back({strings + s.st_name, reinterpret_cast<const void*>(map->l_addr + s.st_value)});
  }
  // The table's order is the linker's; the listing's must not depend on it.
  std::sort(exports->begin(), exports->end(), [](const Export& a, const Export& b) { return a.name < b.name; });
  return true;
}

enum class ExportKind { Other, Journalled, Overload, Enumerator, Anchor };

bool OneWord(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// XJA_<Class>_force_load: a load anchor; XJA_<Class>_enumerate: an
// enumerator; X<number>JA_...: an overload entry; any other XJA_...: a
// journalled scripting call.
ExportKind ExportKindOf(const std::string& name) {
  auto wordBetween = [&](const char* suffix) {
    std::size_t n = std::strlen(suffix);
    return name.size() > 4 + n && name.compare(name.size() - n, n, suffix) == 0 &&
           OneWord(name.substr(4, name.size() - 4 - n));
  };
  if (name.rfind("XJA_", 0) == 0) {
    if (wordBetween("_force_load")) return ExportKind::Anchor;
    if (wordBetween("_enumerate")) return ExportKind::Enumerator;
    return ExportKind::Journalled;
  }
  std::size_t digits = 1;
  while (digits < name.size() && std::isdigit(static_cast<unsigned char>(name[digits]))) ++digits;
  if (name.size() > 1 && name[0] == 'X' && digits > 1 && name.compare(digits, 3, "JA_") == 0)
    return ExportKind::Overload;
  return ExportKind::Other;
}

// ---- what is printed of a member ---------------------------------------------------

std::string ValueText(Shape shape, const char* typeName, const char* templateName, const char* argument) {
  auto named = [&](const char* kind) { return std::string(kind) + " " + (typeName != nullptr ? typeName : "?"); };
  switch (shape) {
    case Shape::Logical: return "logical";
    case Shape::Integer: return "int";
    case Shape::Double: return "double";
    case Shape::Enum: return named("enum");
    case Shape::Object: return named("object");
    case Shape::TemplateObject:
      return named("template") + " = " + (templateName != nullptr ? templateName : "?") + " of " +
             (argument != nullptr ? argument : "?");
    case Shape::Tag: return named("tag");
    case Shape::String: return "string";
    case Shape::Text: return "text";
    case Shape::Struct: return named("struct");
    case Shape::StringArray: return "string-array";
    case Shape::StructArray: return named("struct-array");
    case Shape::TextArray: return "text-array";
    case Shape::DoubleArray: return "double-array";
  }
  return "?";
}

// The member's journal arguments in order: direction, journal name, value kind.
std::string ArgumentsText(const MemberFacts& m) {
  if (m.kind != JA::Kind::Method)
    return std::string(m.kind == JA::Kind::Get ? "result" : "in") + " \"" + m.journalName + "\" " +
           ValueText(m.shape, m.typeName, m.templateName, m.argument);
  std::string text;
  for (int i = 0; i < m.argumentCount; ++i) {
    const JA::ArgumentRecord& a = m.arguments[i];
    // An array's count goes under the array's name, right before it.
    bool count = a.shape == Shape::Integer && i + 1 < m.argumentCount &&
                 std::strcmp(m.arguments[i + 1].name, a.name) == 0 && m.arguments[i + 1].shape != Shape::Integer;
    if (!text.empty()) text += ", ";
    text += std::string(a.result ? "result" : "in") + " \"" + a.name + "\" " +
            (count ? std::string("count") : ValueText(a.shape, a.typeName, a.templateName, a.argument));
  }
  return text.empty() ? "none" : text;
}

std::string Quoted(const char* text) { return text != nullptr ? "\"" + std::string(text) + "\"" : "null"; }

// ---- the property owners -----------------------------------------------------------

// "ReliefProfile" -> "relief_profile": every upper-case letter but the first
// character starts a new lower-case word.
std::string SnakeForm(const std::string& name) {
  std::string snake;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (std::isupper(c) && i > 0) snake += '_';
    snake += static_cast<char>(std::tolower(c));
  }
  return snake;
}

std::string TypeText(const Property::Value& value) {
  std::string text = Property::TypeName(value.GetType());
  if (value.GetType() == Property::ValueType::kSubobject)
    text += std::string(" ") + static_cast<const Property::Subobject&>(value).GetClassName();
  if (value.GetType() == Property::ValueType::kEnum) {
    const auto& e = static_cast<const Property::Enum&>(value);
    const Property::StringVector* names = e.GetNames();
    std::string members;
    for (std::size_t i = 0; names != nullptr && i < names->Count(); ++i) {
      int v = 0;
      bool found = e.GetMap() != nullptr && e.GetMap()->Find(names->At(i), &v);
      members += (i == 0 ? "" : ",") + std::string(names->At(i)) + "=" + (found ? std::to_string(v) : "?");
    }
    text += " " + (members.empty() ? std::string("(no members)") : members);
  }
  return text;
}

// What a write of the value without an object gives: the status, or the
// number of the error it raised (marked so that the two never compare equal).
long long WriteAnswer(Property::Owner* owner, const char* name, const Property::Value* value) {
  if (owner == nullptr) return Property::kUnknownProperty;
  try {
    return owner->SetProperty(nullptr, name, value);
  } catch (const Error::Exception& e) {
    return (1LL << 40) + e.askCode();
  } catch (const std::exception&) {
    return (1LL << 40) + Error::kStdException;
  }
}

struct OwnProperty {
  std::string name;
  std::string type;
  Property::ValueType valueType;
  std::string write;  // settable, accepted, read-only
};

// The owner's own properties: those it lists, without an object, before its
// parent's owner lists its own.
std::vector<OwnProperty> OwnProperties(const char* journalClass) {
  Property::Owner* owner = JAM::PropertyMapper::GetOwner(journalClass);
  Property::Owner* parent = JAM::PropertyMapper::GetParentOwner(journalClass);
  std::vector<OwnProperty> own;
  if (owner == nullptr) return own;
  Property::List all(Property::List::kSequence), inherited(Property::List::kSequence);
  owner->GetProperties(nullptr, all);
  if (parent != nullptr) parent->GetProperties(nullptr, inherited);
  for (int i = 0; i < all.GetCount() - inherited.GetCount(); ++i) {
    const char* name = all.GetNameByIndex(i);
    const Property::Value* value = all.GetPropertyByIndex(i);
    OwnProperty p{name != nullptr ? name : "", TypeText(*value), value->GetType(), ""};
    long long mine = WriteAnswer(owner, p.name.c_str(), value);
    long long parents = WriteAnswer(parent, p.name.c_str(), value);
    p.write = mine == parents ? "read-only" : mine == 0 ? "accepted" : "settable";
    own.push_back(p);
  }
  return own;
}

// ---- one run ------------------------------------------------------------------------

struct Unit {
  std::string journalClass;
  std::vector<std::string> creators;  // "Collection Method", registered right before its file initializer
};

class Listing {
 public:
  Listing(std::vector<Unit> units, std::vector<std::string> owners, std::vector<Export> exports,
          std::size_t classInitializers)
      : units_(std::move(units)),
        owners_(std::move(owners)),
        exports_(std::move(exports)),
        classInitializers_(classInitializers) {
    for (const KTXHost::PublishedClass& c : KTXHost::PublishedClasses()) described_[c.journalClass] = c;
    for (const Unit& u : units_)
      for (const std::string& c : u.creators) creators_.insert(c);
    for (const Export& e : exports_) exported_.insert(e.name);
  }

  // Runs the set-up of each unit, or of the one asked for, by name.
  void SetUp(const std::string& only) {
    for (const Unit& u : units_) {
      if (!only.empty() && u.journalClass != only) continue;
      try {
        JAM::FileInitializer::Initialize(u.journalClass.c_str());
      } catch (const Error::Exception& e) {
        failed_[u.journalClass] = e.askCode();
      } catch (const std::exception&) {
        failed_[u.journalClass] = Error::kStdException;
      }
    }
  }
  bool AnySetUpFailed() const { return !failed_.empty(); }

  bool Publishes(const std::string& name) const {
    for (const Unit& u : units_)
      if (u.journalClass == name) return true;
    for (const std::string& o : owners_)
      if (o == name) return true;
    return false;
  }

  void PrintClasses(const std::string& only) {
    for (const Unit& u : units_)
      if (only.empty() || u.journalClass == only) PrintClass(u);
  }
  void PrintOwners(const std::string& only) {
    for (const std::string& o : owners_)
      if (only.empty() || o == only) PrintOwner(o);
  }

  // Anchors and enumerators that no listed class names, and every scripting
  // export that no listed member names.
  void PrintRest() {
    std::set<std::string> named;
    for (const Unit& u : units_) {
      named.insert(AnchorOf(u.journalClass));
      named.insert(EnumeratorOf(u.journalClass));
      auto d = described_.find(u.journalClass);
      if (d == described_.end()) continue;
      for (std::size_t i = 0; i < d->second.count; ++i) named.insert(d->second.rows[i].exportName);
    }
    for (const Export& e : exports_) {
      ExportKind kind = ExportKindOf(e.name);
      if (kind == ExportKind::Other || named.count(e.name) != 0) continue;
      if (kind == ExportKind::Anchor)
        std::printf("load-anchor %s of no listed class\n", e.name.c_str());
      else if (kind == ExportKind::Enumerator)
        std::printf("enumerator %s of no listed class\n", e.name.c_str());
      else
        std::printf("unlisted %s\n", e.name.c_str());
    }
  }

  void PrintTotals() {
    std::map<ExportKind, int> exports;
    for (const Export& e : exports_) ++exports[ExportKindOf(e.name)];
    std::map<std::string, int> kinds;
    int creators = 0;
    for (const Unit& u : units_) {
      ++kinds[UnitKind(u)];
      creators += static_cast<int>(u.creators.size());
    }
    std::map<std::string, int> ownerKinds;
    int properties = 0, settable = 0;
    std::map<Property::ValueType, int> byType;
    for (const std::string& o : owners_) {
      ++ownerKinds[OwnerKind(o)];
      for (const OwnProperty& p : Properties(o)) {
        ++properties;
        settable += p.write == "settable" ? 1 : 0;
        ++byType[p.valueType];
      }
    }
    std::printf(
        "totals journalled-exports %d overload-entries %d enumerator-names %d load-anchors %d journal-classes %zu "
        "builders %d collections %d features %d class-initializers %zu creator-names %d owners %zu builder-owners %d "
        "feature-owners %d properties %d settable %d",
        exports[ExportKind::Journalled], exports[ExportKind::Overload], exports[ExportKind::Enumerator],
        exports[ExportKind::Anchor], units_.size(), kinds["builder"], kinds["collection"], kinds["feature"],
        classInitializers_, creators, owners_.size(), ownerKinds["builder"], ownerKinds["feature"], properties, settable);
    using T = Property::ValueType;
    for (T t : {T::kSubobject, T::kDouble, T::kLogical, T::kEnum, T::kTag, T::kInteger, T::kPoint, T::kString,
                T::kUtfString, T::kArray})
      std::printf(" %s %d", Property::TypeName(t), byType[t]);
    std::printf("\n");
  }

 private:
  static std::string ShortName(const std::string& journalClass) {
    std::size_t dot = journalClass.rfind('.');
    return dot == std::string::npos ? journalClass : journalClass.substr(dot + 1);
  }
  static std::string AnchorOf(const std::string& c) { return "XJA_" + ShortName(c) + "_force_load"; }
  static std::string EnumeratorOf(const std::string& c) { return "XJA_" + ShortName(c) + "_enumerate"; }

  // A class with no interface implementations is a feature's; one under
  // "TaggedObjectCollection" a collection; any other a builder.
  static std::string UnitKind(const Unit& u) {
    if (JAM::ClassInitializer::GetJournalledInterface(u.journalClass.c_str()) == nullptr) return "feature";
    JAM::Test::TypeView view;
    if (JAM::Test::DescribeClass(u.journalClass.c_str(), &view) && view.parent == "TaggedObjectCollection")
      return "collection";
    return "builder";
  }
  std::string OwnerKind(const std::string& journalClass) {
    for (const Unit& u : units_)
      if (u.journalClass == journalClass) return UnitKind(u) == "feature" ? "feature" : "builder";
    // An owner of no listed class: a builder's when it publishes anything.
    return Properties(journalClass).empty() ? "feature" : "builder";
  }

  // Operation 0 of an implementation, called as the host calls an interface
  // it knows by its first operation only.
  static unsigned int InterfaceId(JAM::IJAInterface* implementation) {
    using Operation = unsigned int (*)(JAM::IJAInterface*);
    Operation first = (*reinterpret_cast<Operation**>(implementation))[0];
    return first(implementation);
  }

  const std::vector<OwnProperty>& Properties(const std::string& journalClass) {
    auto found = properties_.find(journalClass);
    if (found == properties_.end()) found = properties_.emplace(journalClass, OwnProperties(journalClass.c_str())).first;
    return found->second;
  }

  void PrintClass(const Unit& u) {
    const char* name = u.journalClass.c_str();
    std::printf("class %s\n", name);
    JAM::Test::TypeView view;
    bool known = JAM::Test::DescribeClass(name, &view) && view.created;
    std::printf("  parent %s\n", known ? view.parent.c_str() : "(not created)");
    std::printf("  kind %s\n", UnitKind(u).c_str());
    for (const std::string& c : u.creators) std::printf("  creator %s\n", c.c_str());
    JAM::IJAInterface* journalled = JAM::ClassInitializer::GetJournalledInterface(name);
    JAM::IJAInterface* unjournalled = JAM::ClassInitializer::GetUnjournalledInterface(name);
    if (journalled == nullptr || unjournalled == nullptr) {
      std::printf("  class-initializer no\n");
    } else {
      unsigned int a = InterfaceId(journalled), b = InterfaceId(unjournalled);
      std::printf("  class-initializer yes\n");
      if (a == b)
        std::printf("  interface-id 0x%08X\n", a);
      else
        std::printf("  interface-id 0x%08X journalled, 0x%08X unjournalled: they differ\n", a, b);
    }
    for (const std::string& e : {AnchorOf(u.journalClass), EnumeratorOf(u.journalClass)})
      if (exported_.count(e) != 0) std::printf("  %s %s\n", e.find("_force_load") != std::string::npos ? "load-anchor" : "enumerator", e.c_str());

    auto failed = failed_.find(u.journalClass);
    if (failed != failed_.end()) std::printf("  set-up failed %d\n", failed->second);
    std::vector<std::string> registered = JAM::Test::SetUpRegistrations(name);
    std::printf("  set-up %zu\n", registered.size());
    for (const std::string& fact : registered) std::printf("    %s\n", fact.c_str());

    auto d = described_.find(u.journalClass);
    if (d == described_.end()) {
      // A feature's unit has no members; a builder's whose description is
      // not bound cannot be read.
      std::printf("  members %s\n", journalled == nullptr ? "0" : "not described");
      return;
    }
    const KTXHost::PublishedClass& c = d->second;
    std::printf("  members %zu\n", c.count);
    for (std::size_t i = 0; i < c.count; ++i) {
      const BindingRow& row = c.rows[i];
      const MemberFacts& m = row.facts;
      const char* kind = m.kind == JA::Kind::Get   ? "get"
                         : m.kind == JA::Kind::Set ? "set"
                         : creators_.count(u.journalClass + " " + m.name) != 0 ? "creator"
                                                                               : "method";
      std::printf("    %zu %s %s %s export %s%s\n", i + 1, kind, m.name, ArgumentsText(m).c_str(), row.exportName,
                  exported_.count(row.exportName) != 0 ? "" : " missing");
    }
    if (c.defaultsVisitOnly) {
      std::printf("  defaults visit-only\n");
    } else {
      std::printf("  defaults %zu\n", c.defaultCount);
      for (std::size_t i = 0; i < c.defaultCount; ++i) {
        const JA::DefaultRow& row = c.defaults[i];
        std::printf("    %s %s %s\n", Quoted(row.path).c_str(), Quoted(row.millimetre).c_str(),
                    Quoted(row.inch != nullptr ? row.inch : row.millimetre).c_str());
      }
    }
  }

  void PrintOwner(const std::string& journalClass) {
    const char* parent = JAM::PropertyMapper::GetParentClassName(journalClass.c_str());
    std::printf("owner %s\n", journalClass.c_str());
    std::printf("  parent %s\n", parent != nullptr ? parent : "(none)");
    std::printf("  kind %s\n", OwnerKind(journalClass).c_str());
    const std::vector<OwnProperty>& own = Properties(journalClass);
    std::printf("  properties %zu\n", own.size());
    for (const OwnProperty& p : own)
      std::printf("    %s %s %s %s\n", p.name.c_str(), SnakeForm(p.name).c_str(), p.type.c_str(), p.write.c_str());
  }

  std::vector<Unit> units_;
  std::vector<std::string> owners_;
  std::vector<Export> exports_;
  std::size_t classInitializers_;
  std::map<std::string, KTXHost::PublishedClass> described_;
  std::set<std::string> creators_;
  std::set<std::string> exported_;
  std::map<std::string, int> failed_;
  std::map<std::string, std::vector<OwnProperty>> properties_;
};

// The units the plug-in registered while it loaded, in that order, each with
// the creator names registered since the unit before it.
std::vector<Unit> UnitsRegistered(std::size_t fromCall) {
  std::vector<Unit> units;
  std::vector<std::string> creators;
  const auto& calls = Host::Calls();
  for (std::size_t i = fromCall; i < calls.size(); ++i) {
    if (calls[i].name == "JAM_register_creator_method_name") creators.push_back(calls[i].args);
    if (calls[i].name == "FileInitializer") {
      units.push_back({calls[i].args, creators});
      creators.clear();
    }
  }
  return units;
}

}  // namespace

extern const Syntax kPublishedSyntax{
    "published",
    {{"--class", "NAME", "a journal class"}, {"--counts", nullptr, nullptr}, kPluginOption},
    {}};

extern const char* const kPublishedHelp =
    "Loads the plug-in, runs every journal class's set-up by name and prints what\n"
    "the host then knows of it, one fact a line: each journal class in load order\n"
    "(parent, kind, creator names, class initializer and interface id, load\n"
    "anchor, what its set-up registered, its members with their journal arguments\n"
    "and exports, its scripting defaults), each property owner with its own\n"
    "properties, every scripting export no listed member names ('unlisted'), and\n"
    "the totals; then unloads it. --class prints one journal class and its owner,\n"
    "--counts only the totals. The format is in ktxhost/README.md. A set-up that\n"
    "fails is listed and the listing goes on (exit 1); a plug-in that cannot be\n"
    "loaded, or a NAME not published, gives the reason only (exit 1).\n";

int Published(const Arguments& arguments, const char* plugin) {
  const std::string only = arguments.Value("--class", "");
  const bool counts = arguments.Given("--counts");

  std::vector<std::string> ownersBefore = JAM::PropertyMapper::RegisteredClasses();
  std::size_t classInitializersBefore = JAM::Test::ClassInitializerNames().size();
  std::size_t fromCall = Host::Calls().size();
  std::string loaderWords;
  void* handle = KTXHost::LoadPlugin("published", plugin, &loaderWords);
  if (handle == nullptr) {
    if (!loaderWords.empty()) std::fprintf(stderr, "ktxhost published: cannot load %s: %s\n", plugin, loaderWords.c_str());
    return kFailed;
  }
  if (KTXHost::RefusedAsNotThePlugin("published", plugin, handle)) {
    dlclose(handle);
    return kFailed;
  }
  std::vector<Export> exports;
  std::string error;
  if (!ReadExports(handle, &exports, &error)) {
    std::fprintf(stderr, "ktxhost published: cannot read the exports of %s: %s\n", plugin, error.c_str());
    dlclose(handle);
    return kFailed;
  }
  std::vector<std::string> owners;
  for (const std::string& name : JAM::PropertyMapper::RegisteredClasses())
    if (std::find(ownersBefore.begin(), ownersBefore.end(), name) == ownersBefore.end()) owners.push_back(name);

  int result = kDone;
  {
    Listing listing(UnitsRegistered(fromCall), owners, exports,
                    JAM::Test::ClassInitializerNames().size() - classInitializersBefore);
    if (!only.empty() && !listing.Publishes(only)) {
      std::fprintf(stderr, "ktxhost published: no published class %s\n", only.c_str());
      result = kFailed;
    } else {
      listing.SetUp(counts ? std::string() : only);
      if (!counts) {
        listing.PrintClasses(only);
        listing.PrintOwners(only);
        if (only.empty()) listing.PrintRest();
      }
      if (only.empty()) listing.PrintTotals();
      if (listing.AnySetUpFailed()) result = kFailed;
    }
  }
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost published: cannot unload %s: %s\n", plugin, dlerror());
    return kFailed;
  }
  return result;
}

}  // namespace KTX::HostProgram
