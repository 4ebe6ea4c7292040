#include "ClassFrame.hpp"

namespace KTX::Frame {

void DestroyClassRegistrant(OM::ClassRegistrant** holder) {
  OM::ClassRegistrant::Destroy(*holder);
  *holder = nullptr;
}

// Called from inside the library, so the step runs when the library unloads.
void AtUnload(void (*step)()) { std::atexit(step); }

}  // namespace KTX::Frame
