// What the tire envelope's operations share inside the library: the writer
// of the feature's parameter block and the rules by which the envelope and
// the tire body fill the same fields, the judging of part saves, and the
// simple name of a part. Not exported.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "Support.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "afl/TireEnvelope.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "vd/Motion.hpp"

namespace KTX::VDJA {

// A negative result of the host's processing of save failures r gives the
// status kSaveMessageBase - r.
inline constexpr int kSaveMessageBase = 1020000;

using Stamvik::HostBlock;

// Fills the block's fields; a text too long for its field is not written and
// refuses the commit.
class BlockWriter {
 public:
  explicit BlockWriter(Tireenv_params_s* block) : b(block) {}
  template <std::size_t N>
  void Text(char (&field)[N], const char* text) {
    const std::size_t length = std::strlen(text != nullptr ? text : "");
    if (length >= N) {
      refused = kTextTooLong;
      return;
    }
    std::memcpy(field, text != nullptr ? text : "", length + 1);
  }
  template <std::size_t N>
  void Handle(char (&field)[N], tag_t tag) {
    HostBlock<char> handle(OM::TAG_ask_handle_of_tag(tag));
    Text(field, handle ? handle.get() : "");
  }
  // A selection list's objects, handed to the block.
  void List(const TagListObject* list, std::int32_t* count, tag_t** tags) {
    int n = 0;
    list->ask_tags(&n, tags);
    *count = n;
  }
  // A file's lines, when the file is there.
  static void Lines(const char* file, std::int32_t* count, char*** lines) {
    if (file == nullptr || *file == '\0' || CFI_ask_file_exist(file) != 0) return;
    int n = 0;
    char** read = nullptr;
    if (TIREENV_read_data_file_into_strings(file, &n, &read) != 0) return;
    *count = n;
    *lines = read;
  }
  // Handles of the objects of a list: the count, and an array of them when there are any.
  void Handles(const TagListObject* list, std::int32_t* count, char*** handles) {
    int n = 0;
    tag_t* tags = nullptr;
    list->ask_tags(&n, &tags);
    HostBlock<tag_t> owned(tags);
    *count = n;
    if (n <= 0) return;
    *handles = static_cast<char**>(SM_alloc(sizeof(char*) * static_cast<std::size_t>(n)));
    for (int i = 0; i < n; ++i) {
      char* handle = OM::TAG_ask_handle_of_tag(owned.get()[i]);
      (*handles)[i] = handle != nullptr ? handle : SM_string_copy("");
    }
  }

  Tireenv_params_s* b;
  int refused = 0;
};

// The three layer defaults and the builder's four layers.
void WriteBlockLayers(const TireEnvelopeBuilder& builder, Tireenv_params_s* block);
// The work record's tire points, put in order first.
void WriteBlockProfilePoints(Tire_s* area, Tireenv_params_s* block);
// The envelope-offset flags and sections, when offsets are applied: 0, or
// the status of an offset file that cannot be read.
int WriteBlockOffsets(TireEnvelopeBuilder& builder, Tireenv_params_s* block, BlockWriter& w);

// A suspension template's hard points as the listing names them (without
// its indent), in the order they are numbered when set one at a time, each
// with its place in the template's record; none for another template.
struct TemplateHardPoint {
  const char* label;
  std::size_t place;
};
std::vector<TemplateHardPoint> TemplateHardPoints(int templateType);

// What a save reports, judged against the work part on entry `entry`: 0, or
// the status the save fails with.
int PartSaveCode(const PART_save_failure_s& failures, PART_part* entry);

// A part's simple name, as the host's data management names it.
HostBlock<char> SimpleNameOf(const char* partName);

// The envelope's own undo marks: a named one is important, an unnamed one is
// not. A mark the host cannot set raises `failure` (formatted with the host's
// code) under the builder's source and the given line.
inline constexpr const char* kMarkFailure = "Failed to set UNDO mark - code %d";
inline int SetMark(const char* name, const char* failure, int line) {
  int status = 0;
  const int mark = UNDO_QD_set_mark(1, name, &status);
  if (status != 0) ERROR_raise("VDJA_TireEnvelopeBuilder", line, status, failure, status);
  // A mark left behind would hold every change after it for good.
  try {
    UNDO_QD_set_mark_importance(mark, name != nullptr ? 1 : 0);
  } catch (...) {
    UNDO_QD_delete_to_mark(mark, name);
    throw;
  }
  return mark;
}

// Runs `work` under its own mark: kept on success, rolled back and ended
// when it raises (the error goes on to the caller).
template <class Work>
void UnderMark(const char* name, const char* failure, int line, Work work) {
  const int mark = SetMark(name, failure, line);
  try {
    work();
  } catch (...) {
    UNDO_QD_undo_to_mark_no_status(mark, name);
    UNDO_QD_delete_to_mark(mark, name);
    throw;
  }
  UNDO_QD_delete_to_mark(mark, name);
}

}  // namespace KTX::VDJA
