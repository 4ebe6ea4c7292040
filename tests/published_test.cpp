// ktxhost published: the listing of everything the plug-in publishes, against
// its golden text, and the runs that must fail.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Published(std::vector<std::string> arguments, int* exit, bool withErrors = false) {
  int status = -1;
  arguments.insert(arguments.begin(), "published");
  std::vector<std::string> lines = stamvik_test::KtxhostOutput(arguments, &status, withErrors);
  *exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return lines;
}

// The golden lines from the one starting `head` up to the next that starts
// at the left margin.
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& head) {
  std::vector<std::string> block;
  for (const std::string& line : lines) {
    if (!block.empty() && line[0] != ' ') break;
    if (!block.empty() || line == head) block.push_back(line);
  }
  return block;
}

const std::vector<std::string>& Golden() {
  // After a published class is added or changed: tools/update-published-golden
  static const std::vector<std::string> golden =
      Lines(stamvik_test::ReadFile(std::string(STAMVIK_TEST_DATA) + "/ktxhost_published.txt"));
  return golden;
}

TEST(KtxhostPublished, ListsTheGoldenTextTheSameOnEveryRun) {
  ASSERT_FALSE(Golden().empty());
  int exit = -1;
  EXPECT_EQ(Published({"--plugin", STAMVIK_PLUGIN}, &exit), Golden()) << "tools/update-published-golden renews the golden";
  EXPECT_EQ(exit, 0);
  EXPECT_EQ(Published({"--plugin", STAMVIK_PLUGIN}, &exit), Golden());
}

TEST(KtxhostPublished, OneClassOrTheCountsAreTheirPartOfTheWholeListing) {
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> want;
  };
  std::vector<std::string> shoe = Block(Golden(), "class Die.DieShoeBuilder");
  std::vector<std::string> shoeOwner = Block(Golden(), "owner Die.DieShoeBuilder");
  shoe.insert(shoe.end(), shoeOwner.begin(), shoeOwner.end());
  std::vector<std::string> keyway = Block(Golden(), "class Die.Keyway");
  std::vector<std::string> keywayOwner = Block(Golden(), "owner Die.Keyway");
  keyway.insert(keyway.end(), keywayOwner.begin(), keywayOwner.end());
  const Case cases[] = {
      {{"--class", "Die.DieShoeBuilder"}, shoe},
      {{"--class", "Die.Keyway"}, keyway},
      {{"--counts"}, {Golden().back()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    EXPECT_GT(c.want.size(), 0u);
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--plugin", STAMVIK_PLUGIN});
    int exit = -1;
    EXPECT_EQ(Published(arguments, &exit), c.want);
    EXPECT_EQ(exit, 0);
  }
}

TEST(KtxhostPublished, APlugInThatDoesNotLoadOrAClassNotPublishedExitsOneWithTheReasonOnly) {
  struct Case {
    std::vector<std::string> arguments;
    std::string want;  // the start of the one line printed, on either output
  };
  const Case cases[] = {
      {{"--plugin", "/no/such.so"}, "ktxhost published: cannot load /no/such.so: "},
      // A readable file that is no shared object.
      {{"--plugin", std::string(STAMVIK_TEST_DATA) + "/ktxhost_published.txt"},
       "ktxhost published: cannot load " + std::string(STAMVIK_TEST_DATA) + "/ktxhost_published.txt: "},
      {{"--class", "Die.NoSuchBuilder", "--plugin", STAMVIK_PLUGIN},
       "ktxhost published: no published class Die.NoSuchBuilder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    int exit = -1;
    std::vector<std::string> lines = Published(c.arguments, &exit, true);
    EXPECT_EQ(exit, 1);
    EXPECT_EQ(lines.size(), 1u);
    if (lines.size() != 1u) continue;
    EXPECT_EQ(lines[0].rfind(c.want, 0), 0u) << lines[0];
  }
}

}  // namespace
