// The host's record of the calls the plug-in makes on it, and the answers
// that tests script for the host's fakes.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX::Host {

struct Call {
  std::string name;  // host function, e.g. "OM__log"
  std::string args;  // its arguments as text, e.g. "tag=12"
};

KTX_HOST_API void Log(const std::string& name, const std::string& args = {});
KTX_HOST_API const std::vector<Call>& Calls();
KTX_HOST_API void ClearCalls();
// Names of the logged calls, in order, keeping only those whose name is in
// `filter` (all when it is empty).
KTX_HOST_API std::vector<std::string> CallNames(const std::vector<std::string>& filter = {});
KTX_HOST_API std::size_t CountCalls(const std::string& name);

// Scripted answers: a fake asks Answer(name, fallback); a test sets them.
KTX_HOST_API void SetAnswer(const std::string& name, long long value);
KTX_HOST_API long long Answer(const std::string& name, long long fallback);
KTX_HOST_API void ClearAnswers();

}  // namespace KTX::Host
