#include "sys/Abort.hpp"

#include <string>

#include "sys/CallLog.hpp"

namespace KTX {
namespace {
int onFrom = 0;
int queries = 0;
}  // namespace

bool ABORT_ask_flag_status() {
  ++queries;
  const bool on = onFrom > 0 && queries >= onFrom;
  Host::Log("ABORT_ask_flag_status", std::to_string(queries) + (on ? " -> true" : " -> false"));
  return on;
}

namespace Abort {
void SetOnFromQuery(int n) {
  onFrom = n > 0 ? n : 0;
  queries = 0;
}
int Queries() { return queries; }
}  // namespace Abort

}  // namespace KTX
