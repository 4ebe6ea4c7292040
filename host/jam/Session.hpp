// The host's "Session" scripting interface: named undo marks for scripts and
// plug-ins, on the object manager's undo. Fetched by class name through
// KTX::JAM::ClassInitializer ("Session"); the journalled and unjournalled
// forms behave alike, and each call is written to the host's call log
// ("SessionSetUndoMark" with the visibility and the name, "SessionUndoToMark"
// and "SessionDeleteUndoMark" with the mark).
#pragma once
#include <vector>

#include "jam/Jam.hpp"

namespace KTX::JAM {

class KTX_HOST_API Session_Interface : public IJAInterface {
 public:
  // Sets a mark (a null name makes an unnamed one): 0 and the mark in *mark,
  // or the error of the undo and *mark 0.
  virtual int SessionSetUndoMark(int visibility, const char* name, int* mark) = 0;
  // Undoes the model to the mark: 0, or the error for an unknown mark.
  virtual int SessionUndoToMark(int mark, const char* name) = 0;
  // Deletes the mark (what it recorded goes to the mark below): 0, or the
  // error for an unknown mark.
  virtual int SessionDeleteUndoMark(int mark, const char* name, int option) = 0;

 protected:
  Session_Interface() = default;
  ~Session_Interface() = default;
};

}  // namespace KTX::JAM

namespace KTX::Host {
// The marks set through "Session" and not deleted yet, oldest first (for tests).
KTX_HOST_API std::vector<int> OpenSessionMarks();
}  // namespace KTX::Host
