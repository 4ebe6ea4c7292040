// The host's error facility: raised errors are C++ exceptions carrying a
// message number; the severe error is what a handler turns them into before
// handing them back to the host's error object.
#pragma once
#include <exception>
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX::Error {

// Message numbers the stand-in host chooses for its own errors.
enum HostMessage : int {
  kDeletedTag = 840001,      // a tag whose object was deleted
  kBadObject = 840002,       // an object of the wrong class, or no object
  kIndexOutOfRange = 840003, // an index past the end of an array attribute
  kStdException = 840004,    // a standard exception that is not a host error
  kNoMemory = 840005,        // the host allocator gave no memory
  kBadAttribute = 840006,    // an attribute id that is unbound or not the object's
};

class KTX_HOST_API Exception : public std::exception {
 public:
  Exception(int code, std::string text, std::string file = {}, int line = 0);
  const char* what() const noexcept override;
  int askCode() const noexcept { return code_; }
  const std::string& text() const noexcept { return text_; }
  const std::string& file() const noexcept { return file_; }
  int line() const noexcept { return line_; }
  [[noreturn]] void Rethrow() const;

 private:
  int code_;
  std::string text_;
  std::string file_;
  int line_;
};

// What became of one severe error, for tests.
struct SevereRecord {
  int code = 0;
  std::string text;
  std::string file;   // recorded location
  int line = 0;
  int locationMode = -1;
  bool further = false;  // the further step ran
  int closeMode = -1;    // -1 while not closed
};

class KTX_HOST_API Severe {
 public:
  Severe();
  ~Severe();
  Severe(const Severe&) = delete;
  Severe& operator=(const Severe&) = delete;

  // A standard exception that is no host error becomes one with kStdException
  // (kNoMemory for std::bad_alloc); a host error is copied as it is.
  static Exception Convert(const std::exception& e);

  void Use(const Exception& e);
  void SetLocation(const char* file, int line, int mode);
  int askCode() const;
  void Further();
  // Hands the error back to the host's error object with the given flag.
  void Close(int mode);

 private:
  std::size_t record_;
};

KTX_HOST_API const std::vector<SevereRecord>& SevereErrors();
KTX_HOST_API void ClearSevereErrors();

// The host's message table: the text of a message number (null when the
// table has none), and the number with its text for a message a person reads
// ("3030022 (the relief profile has no closed loop)").
KTX_HOST_API const char* MessageText(int number);
KTX_HOST_API std::string Describe(int number);
// Every number the table holds, in its order.
KTX_HOST_API std::vector<int> MessageNumbers();
// Whether a text takes values (holds a printf conversion such as "%.1f").
KTX_HOST_API bool TakesValues(const char* text);
// The text a person reads for a number: the table's; for a text that takes
// values, the text the last error of that number was handed back with (its
// values filled in where it was refused), or, with none, the table's text
// with "?" for each value. Never a bare conversion.
KTX_HOST_API std::string PrintedText(int number);

// The builders' handler convention: turn whatever standard exception was
// caught into the severe error, record file and line, close it with flag 0,
// and give its message number.
KTX_HOST_API int HandleAsBuilder(const std::exception& e, const char* file, int line);

}  // namespace KTX::Error

extern "C" {
[[noreturn]] KTX_HOST_API void ERROR_raise(const char* file, int line, int code, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
KTX_HOST_API void ERROR_severe(const char* file, int line, int code, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// A line for the host's log file: recorded in the call log ("ERROR_lprintf",
// the formatted text), which is what the stand-in keeps of its log.
KTX_HOST_API void ERROR_lprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A text shown at once in the host's status area: recorded in the call log
// ("mtStatusAreaImmediate", the text).
KTX_HOST_API void mtStatusAreaImmediate(const char* text);
}
