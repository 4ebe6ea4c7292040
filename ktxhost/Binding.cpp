// The stand-in's scripting binding of the plug-in: one table per published
// class, made from the class's description (its member table, read as data
// through drv/stamvik/no/ind/ja_binding.hpp) with the class's export prefix.
// Binding resolves each row's exported scripting call in the loaded plug-in
// by name and enters it with the host's bindings, so that playing a journal
// calls what a script calls. The classes are the catalogue's
// (ja_catalogue.hpp), every one with a description.
#include "Binding.hpp"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "ja_binding.hpp"
#include "ja_catalogue.hpp"
#include "script/ScriptHost.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Replace.hpp"
#include "sys/Trusted.hpp"

// One table of rows per described class, k_<unit>, in catalogue order.
#define KTXHOST_ROWS_I(unit) k_##unit
#define KTXHOST_ROWS(unit) KTXHOST_ROWS_I(unit)
#define JA_EACH_DESCRIPTION \
  namespace {               \
  const ::KTX::JA::BindingRow KTXHOST_ROWS(JA_UNIT)[] = {JA_MEMBERS(JA_BINDING_ROW)}; \
  }
#include "ja_catalogue_descriptions.hpp"
#undef JA_EACH_DESCRIPTION

namespace {

using ::KTX::JA::BindingRow;

using Table = KTXHost::PublishedClass;
// A class's rows with what its description says beyond its members.
#define KTXHOST_TABLE(unit)                                                                         \
  Table{unit::Unit::journalClass, k_##unit, std::size(k_##unit), unit::Unit::defaults.data(),       \
        unit::Unit::defaults.size(), unit::Unit::defaultsVisitOnly},
#define KTXHOST_BUILDER_TABLE(Area, Class, Namespace, unit, ...) KTXHOST_TABLE(unit)
#define KTXHOST_COLLECTION_TABLE(Area, Class, unit, ...) KTXHOST_TABLE(unit)
const Table kTables[] = {JA_CATALOGUE(KTXHOST_BUILDER_TABLE, KTXHOST_COLLECTION_TABLE, JA_CATALOGUE_NOTHING)};

}  // namespace

namespace KTXHost {

int BindPlugin(void* plugin) {
  int bound = 0;
  for (const Table& table : kTables) {
    for (std::size_t i = 0; i < table.count; ++i) {
      const BindingRow& row = table.rows[i];
      *row.symbol = dlsym(plugin, row.exportName);
      if (*row.symbol == nullptr) continue;  // not published by this plug-in
      KTX::Script::Bind(row.journalClass, row.methodType, row.member, row.play, row.signature);
      ++bound;
    }
  }
  return bound;
}

bool RefusedAsNotThePlugin(const char* command, const char* library, void* handle) {
  link_map* own = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr) return false;
  for (const Table& table : kTables)
    for (std::size_t i = 0; i < table.count; ++i) {
      void* call = dlsym(handle, table.rows[i].exportName);
      if (call == nullptr) continue;
      // The object that defines the first call found: the plug-in defines
      // every one of its own.
      Dl_info info{};
      link_map* from = nullptr;
      if (dladdr1(call, &info, reinterpret_cast<void**>(&from), RTLD_DL_LINKMAP) == 0 || from == nullptr ||
          from == own)
        return false;
      std::fprintf(stderr, "ktxhost %s: %s is not the plug-in: its scripting calls are %s's\n", command, library,
                   from->l_name);
      return true;
    }
  std::fprintf(stderr, "ktxhost %s: %s is not the plug-in: it exports no scripting call\n", command, library);
  return true;
}

namespace {

bool readAt(int fd, void* to, std::size_t size, std::uint64_t offset) {
  return ::pread(fd, to, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// offset + count * size, or the largest number when that does not fit:
// headers that point past any file are cut short all the same.
std::uint64_t endOf(std::uint64_t offset, std::uint64_t count, std::uint64_t size) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  if (size != 0 && count > kMost / size) return kMost;
  return offset > kMost - count * size ? kMost : offset + count * size;
}

// The bytes the ELF headers of the open file describe: the end of the last
// of its program header table, its loadable segments and its section header
// table. 0 when it is no ELF object of this machine's class.
std::uint64_t describedSize(int fd, std::uint64_t size) {
  ElfW(Ehdr) header{};
  if (!readAt(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
      header.e_phentsize != sizeof(ElfW(Phdr)))
    return 0;
  std::uint64_t described = endOf(header.e_phoff, header.e_phnum, header.e_phentsize);
  // A section count of 0 with a table is the extended count: one entry at least.
  if (header.e_shoff != 0)
    described = std::max(described, endOf(header.e_shoff, std::max<std::uint64_t>(header.e_shnum, 1),
                                          header.e_shentsize));
  if (endOf(header.e_phoff, header.e_phnum, header.e_phentsize) > size) return described;
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  if (!segments.empty() && !readAt(fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)), header.e_phoff))
    return described;
  for (const ElfW(Phdr)& segment : segments)
    if (segment.p_type == PT_LOAD) described = std::max(described, endOf(segment.p_offset, 1, segment.p_filesz));
  return described;
}

}  // namespace

namespace {

// A descriptor closed with its holder.
struct Held {
  int fd = -1;
  ~Held() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

void* LoadPlugin(const char* command, const char* library, std::string* loaderWords) {
  loaderWords->clear();
  // A bare name is the loader's to find, on its own path.
  if (std::strchr(library, '/') == nullptr) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) *loaderWords = KTX::Files::LoaderWords(library, library);
    return handle;
  }
  KTX::Files::Refusal why;
  Held file;
  file.fd = KTX::Files::OpenReached(library, O_RDONLY | O_NONBLOCK, &why);
  struct stat info {};
  if (file.fd >= 0 && ::fstat(file.fd, &info) != 0) {
    why = {KTX::Files::Refusal::Kind::kSystem, errno, std::strerror(errno)};
  } else if (file.fd >= 0 && !S_ISREG(info.st_mode)) {
    why = {KTX::Files::Refusal::Kind::kNoRegularFile, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, ""};
  }
  if (why.kind == KTX::Files::Refusal::Kind::kNoRegularFile || why.error == EISDIR) {
    std::fprintf(stderr, "ktxhost %s: %s: not a regular file (a plug-in is loaded from a file)\n", command, library);
    return nullptr;
  }
  if (why) {
    std::fprintf(stderr, "ktxhost %s: cannot load %s: %s\n", command, library, why.words.c_str());
    return nullptr;
  }
  if (const std::string untrusted = KTX::Files::WhyNotTrustedToLoad(library, file.fd); !untrusted.empty()) {
    std::fprintf(stderr, "ktxhost %s: cannot load %s: %s\n", command, library, untrusted.c_str());
    return nullptr;
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  const std::uint64_t described = describedSize(file.fd, size);
  if (described > size) {
    std::fprintf(stderr, "ktxhost %s: %s is cut short: it holds %llu bytes of the %llu its headers describe\n",
                 command, library, static_cast<unsigned long long>(size),
                 static_cast<unsigned long long>(described));
    return nullptr;
  }
  // Loaded through the descriptor looked at: no name is looked up again,
  // so nothing put at the name since is loaded (nor a FIFO waited on).
  const std::string loaded = KTX::Files::LoadableName(file.fd);
  void* handle = dlopen(loaded.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) *loaderWords = KTX::Files::LoaderWords(loaded, library);
  return handle;
}

namespace {
const Creator* creatorOf(const std::vector<Creator>& creators, const std::string& journalClass) {
  for (const Creator& creator : creators) {
    const KTX::Script::MemberSignature& s = creator.signature;
    if (s.count == 0) continue;
    const KTX::Script::ValueSignature& made = s.values[s.count - 1];
    if (made.direction == KTX::JAM::Direction::Result && made.kind == KTX::JAM::ValueKind::Tag &&
        made.type != nullptr && journalClass == made.type)
      return &creator;
  }
  return nullptr;
}
}  // namespace

bool HasCreator(const std::string& journalClass) { return creatorOf(Creators(), journalClass) != nullptr; }

KTX::tag_t CreateBuilder(const std::string& journalClass, KTX::tag_t part, int* status) {
  std::vector<Creator> creators = Creators();
  const Creator* creator = creatorOf(creators, journalClass);
  JAM_replay_fn play = creator != nullptr ? KTX::Script::Bound(creator->journalClass, 0, creator->member) : nullptr;
  if (play == nullptr) {
    *status = -1;
    return 0;
  }
  KTX::JAM::Record call;
  call.journalClass = creator->journalClass;
  call.member = creator->member;
  call.thisKind = 't';
  call.thisTag = part;
  for (int i = 0; i < creator->signature.count; ++i) {
    const KTX::Script::ValueSignature& want = creator->signature.values[i];
    KTX::JAM::Value& v = call.values.emplace_back();
    v.direction = want.direction;
    v.kind = want.kind;
    v.type = want.type != nullptr ? want.type : "";
    v.isNull = true;  // no text, no array
  }
  std::size_t before = KTX::JAM::Recorded().size();
  *status = KTX::JAM::ReplayWith(call, play);
  if (KTX::JAM::Recorded().size() <= before) return 0;
  const KTX::JAM::Record& played = KTX::JAM::Recorded()[before];
  const KTX::tag_t made = played.values.empty() ? 0 : static_cast<KTX::tag_t>(played.values.back().integer);
  if (made != 0 && *status == 0) {
    // The builder is the part's either way: a failure of its defaults is the creation's.
    try {
      KTX::Script::GiveScriptingDefaults(made);
    } catch (const KTX::Error::Exception& e) {
      *status = e.askCode();
    }
  }
  return made;
}

std::vector<Creator> Creators() {
  std::vector<Creator> creators;
  for (const Table& table : kTables)
    for (std::size_t i = 0; i < table.count; ++i) {
      const BindingRow& row = table.rows[i];
      if (row.methodType == 0 && row.signature.object == 't')
        creators.push_back({row.journalClass, row.member, row.signature});
    }
  return creators;
}

std::vector<PublishedClass> PublishedClasses() { return {std::begin(kTables), std::end(kTables)}; }

}  // namespace KTXHost
