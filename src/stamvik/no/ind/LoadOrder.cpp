// The library's start-up, in the one order the host must see it. Each step
// registers what it loads and puts its own exit step on the runtime's exit
// list, so unloading runs the steps in reverse.
#include "LoadOrder.hpp"

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"

namespace KTX::Stamvik {
namespace {

constexpr LoadStep kLoadOrder[] = {
    {"KTX::DieDesJA::CastReliefBuilder", &DieDesJA::LoadCastReliefBuilderRegistration},
    {"KTX::DieDesJA::GenericBodyBuilder", &DieDesJA::LoadGenericBodyBuilderRegistration},
    {"KTX::DieDes::DiePlaneBuilder", &DieDes::LoadDiePlaneBuilderRegistration},
};

struct Loader {
  Loader() {
    for (const LoadStep& step : kLoadOrder) step.run();
  }
} loader;

}  // namespace

std::vector<const char*> LoadOrderNames() {
  std::vector<const char*> names;
  for (const LoadStep& step : kLoadOrder) names.push_back(step.name);
  return names;
}

}  // namespace KTX::Stamvik
