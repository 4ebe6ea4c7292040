// The host's record of the calls the plug-in makes on it, and the answers
// that tests script for the host's fakes.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX::OM {
class Object;
}

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
KTX_HOST_API const std::vector<Call>& Calls();
KTX_HOST_API void ClearCalls();
// Names of the logged calls, in order, keeping only those whose name is in
// `filter` (all when it is empty).
KTX_HOST_API std::vector<std::string> CallNames(const std::vector<std::string>& filter = {});
KTX_HOST_API std::size_t CountCalls(const std::string& name);

// An object among a logged call's arguments: "tag=12" ("tag=0" for none).
std::string TagArg(const OM::Object* object);
// Its bare tag, for an argument the call names itself ("frec=12").
std::string TagNumber(const OM::Object* object);

// Scripted answers: a fake asks Answer(name, fallback); a test sets them.
KTX_HOST_API void SetAnswer(const std::string& name, long long value);
KTX_HOST_API long long Answer(const std::string& name, long long fallback);
KTX_HOST_API void ClearAnswers();
// The same for fakes whose answer is a real number (cleared with the others).
KTX_HOST_API void SetRealAnswer(const std::string& name, double value);
KTX_HOST_API double RealAnswer(const std::string& name, double fallback);

}  // namespace KTX::Host
