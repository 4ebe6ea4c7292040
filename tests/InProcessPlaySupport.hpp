// Example journals played in the suite's own process, as ktxhost plays them:
// the plug-in's scripting binding and the dialogs' previews bound once, and
// a folder of the play's own to run in. The program links ktxbinding.
#pragma once
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "TestSupport.hpp"
#include "script/ScriptClasses.hpp"

namespace stamvik_test {

// The example journals name their files relative to the working directory
// (their inputs under examples/, the size file a manikin saves): a play runs
// in a directory of its own holding copies of the inputs, so that nothing it
// writes lands where the suite was started, and goes with it.
class PlayFolder {
 public:
  explicit PlayFolder(const std::filesystem::path& examples)
      : path_(folder_.Path()), started_(std::filesystem::current_path()) {
    std::filesystem::create_directories(path_ / "examples");
    for (const auto& entry : std::filesystem::directory_iterator(examples))
      if (entry.is_regular_file() && entry.path().extension() == ".txt")
        std::filesystem::copy_file(entry.path(), path_ / "examples" / entry.path().filename());
    std::filesystem::current_path(path_);
  }
  ~PlayFolder() {
    std::error_code ignored;
    std::filesystem::current_path(started_, ignored);
  }
  PlayFolder(const PlayFolder&) = delete;
  PlayFolder& operator=(const PlayFolder&) = delete;
  // The temporary files (NAME.tmp-...) writes left in it.
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
      if (entry.path().filename().string().find(".tmp-") != std::string::npos)
        left.push_back(entry.path().lexically_relative(path_).string());
    return left;
  }

 private:
  ScratchFolder folder_{"play-"};
  std::filesystem::path path_;
  std::filesystem::path started_;
};

inline std::filesystem::path Examples() { return std::filesystem::path(STAMVIK_TEST_DATA) / ".." / ".." / "examples"; }

// The scripting calls of the plug-in the suite is linked with, and the
// dialogs' previews, bound once.
inline void BindPlugin() {
  static const bool bound = [] {
    void* plugin = dlopen(STAMVIK_PLUGIN, RTLD_NOW);
    EXPECT_NE(plugin, nullptr) << dlerror();
    if (plugin != nullptr) KTXHost::BindPlugin(plugin);
    void* previews = dlopen(KTXHOST_PREVIEWS, RTLD_NOW);
    EXPECT_NE(previews, nullptr) << dlerror();
    if (previews != nullptr) {
      KTX::Script::SetPreviewer(reinterpret_cast<KTX::Script::Previewer>(dlsym(previews, "KTXHOST_preview")));
      KTX::Script::SetCommitFollower(
          reinterpret_cast<KTX::Script::CommitFollower>(dlsym(previews, "KTXHOST_committed")));
    }
    // The motion files go to a directory of the run's own.
    if (std::getenv("QDEN_TMP_DIR") == nullptr) {
      // ... and go with the run.
      static const ScratchFolder motion("motion-");
      setenv("QDEN_TMP_DIR", motion.Path().c_str(), 1);
    }
    return true;
  }();
  (void)bound;
}

}  // namespace stamvik_test
