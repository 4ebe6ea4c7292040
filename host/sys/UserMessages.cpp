#include "sys/UserMessages.hpp"

#include "sys/Error.hpp"

namespace KTX::Host {
namespace {
UserMessageSink gSink = nullptr;
void* gContext = nullptr;
}  // namespace

void SetUserMessageSink(UserMessageSink sink, void* context) {
  gSink = sink;
  gContext = context;
}

void ShowUser(UserMessage kind, const std::string& text) noexcept {
  if (gSink == nullptr) return;
  try {
    gSink(kind, text, gContext);
  } catch (...) {
    // A sink that cannot show a message loses it; the call showing it goes on.
  }
}

void ShowWarning(int number, const std::string& text) noexcept {
  if (gSink == nullptr) return;
  try {
    const std::string listed = text.empty() ? Error::PrintedText(number) : text;
    // A number the message table holds no text for stands alone.
    ShowUser(UserMessage::kWarning, listed.empty() ? std::to_string(number) : std::to_string(number) + " " + listed);
  } catch (...) {
    // As ShowUser: the call showing it goes on.
  }
}

}  // namespace KTX::Host
