#include "sys/Error.hpp"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "sys/CallLog.hpp"
#include "sys/UserMessages.hpp"

namespace KTX::Error {
namespace {
// The mode of an error a journalled call hands back as its status.
constexpr int kStatusMode = 2;

std::vector<SevereRecord>& records() {
  static auto* r = new std::vector<SevereRecord>;
  return *r;
}

std::string vformat(const char* format, va_list args) {
  if (format == nullptr) return {};
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  return buffer;
}
}  // namespace

Exception::Exception(int code, std::string text, std::string file, int line)
    : code_(code), text_(std::move(text)), file_(std::move(file)), line_(line) {}

const char* Exception::what() const noexcept { return text_.c_str(); }

void Exception::Rethrow() const { throw *this; }

Severe::Severe() : record_(records().size()) { records().push_back({}); }
Severe::~Severe() = default;

Exception Severe::Convert(const std::exception& e) {
  if (const auto* host = dynamic_cast<const Exception*>(&e)) return *host;
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return Exception(kNoMemory, e.what());
  return Exception(kStdException, e.what());
}

void Severe::Use(const Exception& e) {
  records()[record_].code = e.askCode();
  records()[record_].text = e.text();
}

void Severe::SetLocation(const char* file, int line, int mode) {
  SevereRecord& r = records()[record_];
  r.file = file != nullptr ? file : "";
  r.line = line;
  r.locationMode = mode;
}

int Severe::askCode() const { return records()[record_].code; }

void Severe::Further() {
  records()[record_].further = true;
  Host::Log("ERROR_further", std::to_string(records()[record_].code));
}

void Severe::Close(int mode) {
  SevereRecord& r = records()[record_];
  r.closeMode = mode;
  const int code = r.code;
  Host::Log("ERROR_close", std::to_string(code) + " mode=" + std::to_string(mode));
  // Handed back to the error object, the error is the user's to see, also
  // when the caller absorbs it and goes on; one a journalled call closes with
  // mode 2 is that call's status, which its caller is given instead.
  if (mode != kStatusMode) Host::ShowWarning(code, records()[record_].text);
}

const std::vector<SevereRecord>& SevereErrors() { return records(); }
void ClearSevereErrors() { records().clear(); }

int HandleAsBuilder(const std::exception& e, const char* file, int line) {
  Severe error;
  error.Use(Severe::Convert(e));
  error.SetLocation(file, line, 0);
  int code = error.askCode();
  error.Close(0);
  return code;
}

}  // namespace KTX::Error

extern "C" {

void mtStatusAreaImmediate(const char* text) {
  KTX::Host::Log("mtStatusAreaImmediate", text != nullptr ? text : "");
  KTX::Host::ShowUser(KTX::Host::UserMessage::kStatus, text != nullptr ? text : "");
}

void ERROR_raise(const char* file, int line, int code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = KTX::Error::vformat(format, args);
  va_end(args);
  KTX::Host::Log("ERROR_raise", std::to_string(code) + " " + text);
  throw KTX::Error::Exception(code, text, file != nullptr ? file : "", line);
}

void ERROR_severe(const char* file, int line, int code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = KTX::Error::vformat(format, args);
  va_end(args);
  KTX::Error::Severe error;
  error.Use(KTX::Error::Exception(code, text));
  error.SetLocation(file, line, 0);
  error.Close(0);
}

void ERROR_lprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = KTX::Error::vformat(format, args);
  va_end(args);
  KTX::Host::Log("ERROR_lprintf", text);
}

}  // extern "C"
