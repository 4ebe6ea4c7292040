// A temporary file of a name as a writer killed half way leaves it, for the
// suites of the host's writers and of ktxhost's outputs.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "sys/Replace.hpp"

namespace stamvik_test {

// Made and half filled by a child that is then killed, its lock dying with
// it; the temporary file's path (empty when no child could be made).
inline std::string LeftByAKilledWriter(const std::string& name) {
  int ready[2];
  if (::pipe(ready) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    KTX::Files::TemporaryBeside temporary(name);
    (void)!::write(temporary.Descriptor(), "half", 4);
    const std::string path = temporary.Path() + "\n";
    (void)!::write(ready[1], path.data(), path.size());
    for (;;) ::pause();
  }
  ::close(ready[1]);
  std::string path;
  char c = 0;
  while (::read(ready[0], &c, 1) == 1 && c != '\n') path += c;
  ::close(ready[0]);
  if (child > 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  return path;
}

}  // namespace stamvik_test
