// The stand-in host's rooms include one another one way only, by floors, and
// none of them includes a header of the plug-in: the host stays below what it
// hosts. Read from the tree's sources, as a reviewer would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kTop = STAMVIK_SOURCE_DIR;

// The floors host/README.md gives, lowest first.
const std::map<std::string, int> kFloor = {
    {"sys", 1},  {"math", 1}, {"om", 2},   {"feat", 3}, {"kernel", 3}, {"assy", 4}, {"exp", 4},
    {"prop", 4}, {"clear", 5}, {"geom", 5}, {"jam", 5},  {"pref", 6},   {"sel", 6},  {"upd", 6},
    {"vd", 7},   {"afl", 8},  {"tool", 9}, {"modl", 10}, {"script", 10}};

bool IsSource(const fs::path& file) {
  const std::string ext = file.extension().string();
  return ext == ".cpp" || ext == ".hpp" || ext == ".h";
}

// Every quoted include of every source under `room`, as (file, included name).
std::multimap<std::string, std::string> QuotedIncludes(const fs::path& room) {
  std::multimap<std::string, std::string> found;
  const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  for (const auto& entry : fs::recursive_directory_iterator(room)) {
    if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
      if (std::regex_search(line, match, include)) found.emplace(entry.path().string(), match[1]);
    }
  }
  return found;
}

std::set<std::string> FileNamesUnder(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(HostFloors, EveryRoomHasAFloor) {
  for (const auto& entry : fs::directory_iterator(kTop / "host")) {
    if (!entry.is_directory()) continue;
    const std::string room = entry.path().filename().string();
    EXPECT_TRUE(kFloor.count(room)) << "host/" << room << " is on no floor";
  }
}

TEST(HostFloors, ARoomIncludesOnlyItselfAndRoomsBelow) {
  for (const auto& [room, floor] : kFloor) {
    SCOPED_TRACE("host/" + room);
    if (!fs::is_directory(kTop / "host" / room)) continue;
    for (const auto& [file, name] : QuotedIncludes(kTop / "host" / room)) {
      const std::string::size_type slash = name.find('/');
      if (slash == std::string::npos) continue;
      const std::string other = name.substr(0, slash);
      if (other == room) continue;
      auto it = kFloor.find(other);
      if (it == kFloor.end()) continue;  // a path inside the room, or a library's
      EXPECT_LT(it->second, floor) << file << " includes " << name;
    }
  }
}

TEST(HostFloors, NoHostSourceIncludesAPluginHeader) {
  std::set<std::string> plugin = FileNamesUnder(kTop / "src");
  const std::set<std::string> described = FileNamesUnder(kTop / "drv");
  plugin.insert(described.begin(), described.end());
  const std::set<std::string> host = FileNamesUnder(kTop / "host");
  for (const auto& [file, name] : QuotedIncludes(kTop / "host")) {
    const std::string base = fs::path(name).filename().string();
    if (host.count(base)) continue;  // the host's own header of that name
    EXPECT_FALSE(plugin.count(base)) << file << " includes the plug-in's " << name;
  }
}

}  // namespace
