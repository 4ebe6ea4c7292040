// The file-reading targets hand the fuzzer's bytes to their readers as a
// file: one per process (ctest and tools/fuzz may run targets side by side),
// written anew for each input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Scratch.hpp"

namespace stamvik_fuzz {

// Writes the input to <stem><extension> in a folder of the process's own
// and gives its name, or null when the file cannot be written.
inline const char* WriteInputFile(const char* stem, const char* extension, const std::uint8_t* data,
                                  std::size_t size) {
  static const std::string name = stamvik_scratch::ProcessFolder().Slashed() + stem + extension;
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) return nullptr;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  return name.c_str();
}

}  // namespace stamvik_fuzz
