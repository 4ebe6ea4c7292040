// The stand-in's scripting binding of the plug-in's published classes.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "script/ScriptHost.hpp"

namespace KTX::JA {
struct BindingRow;
struct DefaultRow;
}  // namespace KTX::JA

namespace KTXHost {
// Enters a binding for every scripting member whose export the loaded
// plug-in has (resolved in `plugin`, a dlopen handle); returns how many.
int BindPlugin(void* plugin);

// Whether a library loaded (a dlopen handle) as the plug-in is some other
// library: one that exports no scripting call ("ktxhost COMMAND: LIBRARY is
// not the plug-in: it exports no scripting call"), or one that only reaches
// the plug-in's, being linked against it as the dialogs' previews are ("...:
// its scripting calls are OTHER's"); then it says so on the error output and
// gives true. The plug-in is known by its own exports, not by what loading
// it brings in.
bool RefusedAsNotThePlugin(const char* command, const char* library, void* handle);

// Whether a library file named by its path (one with a '/': another name is
// the loader's to find) is refused before the loader opens it; then it says
// why on the error output and gives true. It is looked at as the journal
// is, opened by the readers' walk without waiting: what is no regular file
// (a FIFO would hold the loader's open for ever) is refused ("ktxhost
// COMMAND: LIBRARY: not a regular file (a plug-in is loaded from a file)"),
// and so is a link the readers' rule does not follow ("ktxhost COMMAND:
// cannot load LIBRARY: is a symbolic link owned by ..."). So is a file
// shorter than its own ELF headers say it is: its program header table, a
// loadable segment or its section header table runs past the file's end.
// The loader maps such a file without asking and the process dies of a bus
// error once it touches the missing pages ("ktxhost COMMAND: LIBRARY is cut
// short: it holds N bytes of the M its headers describe"). A file that is
// missing, or no ELF object of this machine's class, is left to the loader,
// which names what is wrong with it.
bool RefusedBeforeLoading(const char* command, const char* library);

// Why the readers' walk (Files::OpenReached) did not open `name`, having
// failed with `error`: the words for a link it does not follow ("is a
// symbolic link owned by ...", "leads through LINK, ..."), else the system's.
std::string WhyNotReached(const std::string& name, int error);

// The members of the plug-in's classes that make an object by tag: every
// method taking its object by tag (a collection's creators), with its
// signature, whether or not the loaded plug-in publishes it.
struct Creator {
  const char* journalClass;
  const char* member;
  KTX::Script::MemberSignature signature;
};
std::vector<Creator> Creators();

// A new builder of the journal class, made by the creator whose result is a
// tag of that class (a collection's creator, by the collection's tag, which
// is the part's), played from a record of its signature with every input
// left empty, as a script makes one. 0 when it made none: *status is the
// creator's status, or -1 when no creator makes the class.
KTX::tag_t CreateBuilder(const std::string& journalClass, KTX::tag_t part, int* status);
bool HasCreator(const std::string& journalClass);

// A published class whose description is in the tree: its member rows in
// interface order and its scripting defaults.
struct PublishedClass {
  const char* journalClass;
  const KTX::JA::BindingRow* rows;
  std::size_t count;
  const KTX::JA::DefaultRow* defaults;
  std::size_t defaultCount;
  bool defaultsVisitOnly;
};
std::vector<PublishedClass> PublishedClasses();
}  // namespace KTXHost
