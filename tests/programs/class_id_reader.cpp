// A program linked against the plug-in and built as the compiler builds an
// executable by default (no -fPIC asked for): its reads of the plug-in's
// exported class id may go through a copy the loader makes in the program.
// The id it reads must be the one the plug-in registered when it loaded.
#include <cstdio>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "om/ObjectManager.hpp"

int main() {
  const int registered = KTX::OM::OM_ask_class_id("KTX::DieDesJA::CastReliefBuilder");
  const int read = KTX::DieDesJA::CastReliefBuilderClassId;
  std::printf("registered %d read %d\n", registered, read);
  return registered != 0 && read == registered ? 0 : 1;
}
