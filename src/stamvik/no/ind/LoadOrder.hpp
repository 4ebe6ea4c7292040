#pragma once
#include <vector>

#include "StamvikExport.hpp"

namespace KTX::Stamvik {

struct LoadStep {
  const char* name;  // what the step loads
  void (*run)();
};

// The names of the load steps, in the order they run.
STAMVIK_API std::vector<const char*> LoadOrderNames();

}  // namespace KTX::Stamvik
