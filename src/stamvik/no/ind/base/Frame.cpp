#include "ClassFrame.hpp"

#include "sys/Error.hpp"

namespace KTX::Frame {

void DestroyClassRegistrant(OM::ClassRegistrant** holder) {
  OM::ClassRegistrant::Destroy(*holder);
  *holder = nullptr;
}

void ReplaceString(OM::Object* object, OM::String*& field, const char* text, bool utf8) {
  OM::LogForWrite(object);
  OM::String* fresh = utf8 ? OM::OM_create_utf8_string(text) : OM::OM_create_string(text);
  if (fresh == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a text");
  OM::String* old = field;
  field = fresh;
  OM::OM__delete_string(old);
}

// Called from inside the library, so the step runs when the library unloads.
void AtUnload(void (*step)()) { std::atexit(step); }

}  // namespace KTX::Frame
