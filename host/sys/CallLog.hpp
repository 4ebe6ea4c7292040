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

// The log is on from the start, since tests read what the plug-in did while
// it loaded. A program with no use for it (ktxhost play, the benchmarks) turns
// it off; callers on a hot path test Logging() before they format anything.
KTX_HOST_API extern bool callLogOn;
inline bool Logging() { return callLogOn; }
KTX_HOST_API void SetLogging(bool on);

KTX_HOST_API void Log(const std::string& name, const std::string& args = {});
// Who is told of each call as it is logged, the log on or off (null: none,
// the start): a program that traces calls (ktxhost play's KTX_FAIL_TRACE).
// A call the failure switch fails raises before it is told of.
using CallWatcher = void (*)(const std::string& name, const std::string& args, void* context);
KTX_HOST_API void SetCallWatcher(CallWatcher watcher, void* context);
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
// The same for fakes whose answer is a real number (cleared with the others).
KTX_HOST_API void SetRealAnswer(const std::string& name, double value);
KTX_HOST_API double RealAnswer(const std::string& name, double fallback);

}  // namespace KTX::Host
