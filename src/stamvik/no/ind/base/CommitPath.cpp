#include "CommitPath.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "exp/Expression.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::Stamvik {

namespace {
// The text each expression copy was read with, by the copy's tag. A copy
// lives as long as its builder; the entries of copies freed for good are
// swept out as the table grows, so a long session keeps no more than it
// has copies alive.
struct ReadTexts {
  std::unordered_map<tag_t, std::string> texts;
  std::size_t sweepAt = 64;
};
// Held by value: the library is unloaded with the host's session going on,
// and a table only a pointer of its own led to would be lost with it.
ReadTexts& readTexts() {
  static ReadTexts table;
  return table;
}
void note(tag_t copy, std::string text) {
  ReadTexts& table = readTexts();
  if (table.texts.size() >= table.sweepAt) {
    std::erase_if(table.texts, [](const auto& entry) { return OM::OM_is_freed_tag(entry.first); });
    table.sweepAt = std::max<std::size_t>(64, 2 * table.texts.size());
  }
  table.texts[copy] = std::move(text);
}

// The commits under way, and what they noted of the copies they wrote.
struct Pending {
  int depth = 0;
  std::vector<std::pair<tag_t, std::string>> written;
};
Pending& pending() {
  static Pending under;
  return under;
}
}  // namespace

CommitNotes::CommitNotes() : from_(pending().written.size()) { ++pending().depth; }

CommitNotes::~CommitNotes() {
  Pending& under = pending();
  if (--under.depth > 0) {
    // An inner commit that failed takes its notes with it; one that went
    // through leaves them to the commit around it.
    if (!kept_) under.written.resize(from_);
    return;
  }
  std::vector<std::pair<tag_t, std::string>> written = std::exchange(under.written, {});
  if (!kept_) return;
  try {
    for (auto& [copy, text] : written) note(copy, std::move(text));
  } catch (...) {
    // A note lost costs only a value written again that was already there.
  }
}

void NoteReadText(const EXP_expression* copy) {
  if (copy != nullptr) note(OM::OM_ask_object_tag(copy), copy->ask_text());
}

void NoteWrittenText(const EXP_expression* copy) {
  if (copy == nullptr) return;
  if (pending().depth == 0) {
    NoteReadText(copy);
    return;
  }
  pending().written.emplace_back(OM::OM_ask_object_tag(copy), copy->ask_text());
}

bool ChangedSinceRead(const EXP_expression* copy) {
  if (copy == nullptr) return false;
  const ReadTexts& table = readTexts();
  const auto it = table.texts.find(OM::OM_ask_object_tag(copy));
  return it == table.texts.end() || it->second != copy->ask_text();
}

int WriteCopyInto(EXP_expression* own, EXP_expression* copy) {
  if (own == nullptr || copy == nullptr || own == copy) return 0;
  if (std::strcmp(own->ask_text(), copy->ask_text()) != 0) {
    if (const int rc = ChangedSinceRead(copy) ? EXP_edit_exp(0, own, copy->ask_text())
                                              : EXP_edit_exp(0, copy, own->ask_text());
        rc != 0)
      return rc;
  }
  NoteWrittenText(copy);
  return 0;
}

}  // namespace KTX::Stamvik
