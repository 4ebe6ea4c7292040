#include "DieEngJA_CommitMarks.hpp"

#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

CommitMarks::CommitMarks(const char* markName, const char* source, int severeLine) : memoryMark_(SM_set_mark()) {
  int error = 0;
  undoMark_ = UNDO_QD_set_mark(1, markName, &error);
  if (error == 0) return;
  undoMark_ = 0;
  failure_ = error;
  SM_free_to_mark(memoryMark_);
  memoryMark_ = 0;
  ERROR_severe(source, severeLine, error, "Failed to set undo mark = code %d", error);
}

int CommitMarks::Finish(int status) {
  if (undoMark_ != 0) {
    if (status != 0) UNDO_QD_undo_to_mark(undoMark_, nullptr);
    UNDO_QD_delete_mark(undoMark_, nullptr);
    undoMark_ = 0;
  }
  if (memoryMark_ != 0) SM_free_to_mark(memoryMark_);
  memoryMark_ = 0;
  return status;
}

}  // namespace KTX::DieEngJA
