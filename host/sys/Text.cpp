#include "sys/Text.hpp"

#include <cstring>
#include <map>
#include <string>

#include "sys/Memory.hpp"

// A text is one allocator block: its length, then the bytes and a zero.
struct TEXT_s {
  std::size_t length;
};

namespace {
char* bytesOf(TEXT_s* text) { return reinterpret_cast<char*>(text + 1); }
const char* bytesOf(const TEXT_s* text) { return reinterpret_cast<const char*>(text + 1); }

TEXT_s* makeText(const char* bytes, std::size_t length) {
  auto* text = static_cast<TEXT_s*>(SM_alloc(sizeof(TEXT_s) + length + 1));
  if (text == nullptr) return nullptr;
  text->length = length;
  std::memcpy(bytesOf(text), bytes, length);
  bytesOf(text)[length] = '\0';
  return text;
}
}  // namespace

extern "C" {

TEXT_s* TEXT_create_string(const char* utf8) {
  if (utf8 == nullptr) return nullptr;
  return makeText(utf8, std::strlen(utf8));
}

TEXT_s* TEXT_copy(const TEXT_s* text) {
  if (text == nullptr) return nullptr;
  return makeText(bytesOf(text), text->length);
}

const char* TEXT_ask_utf8(const TEXT_s* text) { return text == nullptr ? nullptr : bytesOf(text); }

std::size_t TEXT_ask_length(const TEXT_s* text) { return text == nullptr ? 0 : text->length; }

void TEXT_free(TEXT_s* text) { SM_free(text); }

const char* nat110(const char* key) {
  static auto* translations = new std::map<std::string, std::string>;
  if (key == nullptr) return "";
  auto [it, made] = translations->try_emplace(key);
  if (made) {
    const std::size_t n = std::strlen(key);
    const bool numbered = n >= 4 && key[0] == '#' && key[1] == '#' && key[2] >= '0' && key[2] <= '9' &&
                          key[3] >= '0' && key[3] <= '9';
    if (numbered) {
      it->second.assign(key + 4);
    } else {
      it->second = key;
    }
  }
  return it->second.c_str();
}
}
