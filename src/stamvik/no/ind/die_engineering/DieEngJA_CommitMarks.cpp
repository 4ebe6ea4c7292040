#include "DieEngJA_CommitMarks.hpp"

#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

CommitMarks::CommitMarks(const char* markName, const char* source, int severeLine) : memoryMark_(SM_set_mark()) {
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, markName, &error);
  if (error == 0) {
    undoMark_.emplace(mark, &Stamvik::UndoMarkScope::QuickUndoTo, &Stamvik::UndoMarkScope::QuickDelete);
    return;
  }
  failure_ = error;
  SM_free_to_mark(memoryMark_);
  memoryMark_ = 0;
  ERROR_severe(source, severeLine, error, "Failed to set undo mark = code %d", error);
}

int CommitMarks::Finish(int status) noexcept {
  if (undoMark_) {
    if (status == 0) undoMark_->Commit();
    undoMark_.reset();
  }
  if (memoryMark_ != 0) Stamvik::RunNoted("SM_free_to_mark", [this] { SM_free_to_mark(memoryMark_); });
  memoryMark_ = 0;
  return status;
}

}  // namespace KTX::DieEngJA
