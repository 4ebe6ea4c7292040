// The host's Unicode text, held as UTF-8.
#pragma once
#include <string>
#include <utility>

namespace KTX {

class UString {
 public:
  UString() = default;
  UString(const char* utf8) : text_(utf8 != nullptr ? utf8 : "") {}
  UString(std::string utf8) : text_(std::move(utf8)) {}

  const char* utf8_str() const { return text_.c_str(); }
  const std::string& utf8() const { return text_; }
  bool empty() const { return text_.empty(); }
  friend bool operator==(const UString& a, const UString& b) { return a.text_ == b.text_; }

 private:
  std::string text_;
};

}  // namespace KTX
