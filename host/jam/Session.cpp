#include "jam/Session.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"

namespace KTX::JAM {
namespace {

std::vector<int>& openMarks() {
  static std::vector<int>* marks = new std::vector<int>;
  return *marks;
}

std::string nameText(const char* name) { return name != nullptr ? std::string("\"") + name + "\"" : "(none)"; }

class Session final : public Session_Interface {
 public:
  int SessionSetUndoMark(int visibility, const char* name, int* mark) override {
    Host::Log("SessionSetUndoMark", "visibility=" + std::to_string(visibility) + " name=" + nameText(name));
    int error = 0;
    int id = UNDO_QD_set_mark(visibility, name, &error);
    if (mark != nullptr) *mark = error == 0 ? id : 0;
    if (error == 0) openMarks().push_back(id);
    return error;
  }
  int SessionUndoToMark(int mark, const char* name) override {
    Host::Log("SessionUndoToMark", "mark=" + std::to_string(mark) + " name=" + nameText(name));
    int rc = UNDO_QD_undo_to_mark(mark, name);
    // The marks set after this one are gone with the undo.
    auto& marks = openMarks();
    if (rc == 0) marks.erase(std::remove_if(marks.begin(), marks.end(), [mark](int m) { return m > mark; }), marks.end());
    return rc;
  }
  int SessionDeleteUndoMark(int mark, const char* name, int option) override {
    Host::Log("SessionDeleteUndoMark",
              "mark=" + std::to_string(mark) + " name=" + nameText(name) + " option=" + std::to_string(option));
    int rc = UNDO_QD_delete_mark(mark, name);
    auto& marks = openMarks();
    if (rc == 0) marks.erase(std::remove(marks.begin(), marks.end(), mark), marks.end());
    return rc;
  }
};

Session journalled;
Session unjournalled;
ClassInitializer sessionInitializer("Session", &journalled, &unjournalled);

}  // namespace
}  // namespace KTX::JAM

namespace KTX::Host {
std::vector<int> OpenSessionMarks() { return JAM::openMarks(); }
}  // namespace KTX::Host
