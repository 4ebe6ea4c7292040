// The host's text object: a UTF-8 text in one block of the host allocator, so
// that a text handed across the host boundary and never freed shows up in the
// allocator's counters.
#pragma once
#include <cstddef>

#include "Export.hpp"

extern "C" {

struct TEXT_s;

// A new text holding a copy of the zero-terminated UTF-8 bytes; null for null
// (and when the host is out of memory).
KTX_HOST_API TEXT_s* TEXT_create_string(const char* utf8);
// A new text with the same content; null for null.
KTX_HOST_API TEXT_s* TEXT_copy(const TEXT_s* text);
// The text's zero-terminated UTF-8 bytes, owned by the text; null for null.
KTX_HOST_API const char* TEXT_ask_utf8(const TEXT_s* text);
// Number of bytes before the terminating zero; 0 for null.
KTX_HOST_API std::size_t TEXT_ask_length(const TEXT_s* text);
// Releases a text; null is allowed and does nothing.
KTX_HOST_API void TEXT_free(TEXT_s* text);

// The translation of a message key. A key "##NN..." (two decimal digits NN,
// the entry of the host's catalogue) is followed by its text in the
// stand-in's one language, which is the translation; any other key
// translates to itself, and null to an empty text. The text is the host's,
// kept for the life of the process (the same key, the same text); the caller
// copies it.
KTX_HOST_API const char* nat110(const char* key);
}
