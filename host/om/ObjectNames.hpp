// The names users give objects (a sketch's "SKETCH_000"), kept by tag, and
// the short-lived plain string that a name is read into.
#pragma once
#include "Export.hpp"
#include "sys/UString.hpp"

namespace KTX {

namespace OM {
class KTX_HOST_API UserObjectName {
 public:
  // The object's user name; empty when it has none. A tag of no live object
  // raises the deleted-tag or bad-object error.
  static UString Get(tag_t object);
  // Test hook: names the object (an empty name takes its name away).
  static void Set(tag_t object, const char* name);
};
}  // namespace OM

// A name as a plain string from the host allocator, freed when this goes.
class KTX_HOST_API TemporaryNameString {
 public:
  explicit TemporaryNameString(const UString& name);
  ~TemporaryNameString();
  TemporaryNameString(const TemporaryNameString&) = delete;
  TemporaryNameString& operator=(const TemporaryNameString&) = delete;
  const char* c_str() const { return text_; }

 private:
  char* text_;
};

}  // namespace KTX
