// The marks a compensation commit works under from its first step to its
// last: a host memory mark and the commit path's named undo mark
// (CommitPath.hpp), so that a failed commit leaves the model as it was.
#pragma once
#include <optional>

#include "StamvikExport.hpp"
#include "Support.hpp"

namespace KTX::DieEngJA {

class CommitMarks {
 public:
  // Sets both marks. When the undo mark cannot be set, the memory is freed
  // to its mark at once, the severe error is reported from source and line,
  // and Failure() gives the code.
  CommitMarks(const char* markName, const char* source, int severeLine);
  // A commit left without Finish (an exception on the way) is undone as a failed one.
  ~CommitMarks() { Finish(1); }
  CommitMarks(const CommitMarks&) = delete;
  CommitMarks& operator=(const CommitMarks&) = delete;

  int Failure() const { return failure_; }
  // Undoes to the mark when status is not 0, deletes it and frees memory to
  // the memory mark; gives status back.
  int Finish(int status) noexcept;

 private:
  int memoryMark_ = 0;
  std::optional<Stamvik::UndoMarkScope> undoMark_;
  int failure_ = 0;
};

}  // namespace KTX::DieEngJA
