#include <algorithm>
#include <string>
#include <vector>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace {
struct Marks {
  std::vector<int> open;
  int next = 1;
};
Marks& marks() {
  static auto* state = new Marks;
  return *state;
}
}  // namespace

extern "C" {

int SM_set_mark() {
  const int mark = marks().next++;
  marks().open.push_back(mark);
  KTX::Host::Log("SM_set_mark", std::to_string(mark));
  return mark;
}

void SM_free_to_mark(int mark) {
  KTX::Host::Log("SM_free_to_mark", std::to_string(mark));
  auto& open = marks().open;
  auto it = std::find(open.begin(), open.end(), mark);
  open.erase(it, open.end());
}

}  // extern "C"

int KTX::Memory::OpenMarks() { return static_cast<int>(marks().open.size()); }
