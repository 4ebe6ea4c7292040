// What the host shows its user while a call runs: notes added to an error,
// warnings (a warning number or an error handed back to the host's error
// object among them, as "NUMBER TEXT"), error dialogs and the texts of the
// status area. They are kept in the host's records as before; a program that
// shows them (ktxhost play) hands over a sink that gets each one as it is
// shown.
#pragma once
#include <string>

#include "Export.hpp"

namespace KTX::Host {

enum class UserMessage { kNote, kWarning, kError, kStatus };

using UserMessageSink = void (*)(UserMessage kind, const std::string& text, void* context);

// The sink every message goes to from now on (null: none, the start).
KTX_HOST_API void SetUserMessageSink(UserMessageSink sink, void* context);
// Shows one message: hands it to the sink, if any. Never raises.
KTX_HOST_API void ShowUser(UserMessage kind, const std::string& text) noexcept;
// Shows a warning that carries a message number: "NUMBER TEXT", the text the
// message table's when none is given. Never raises.
KTX_HOST_API void ShowWarning(int number, const std::string& text) noexcept;

}  // namespace KTX::Host
