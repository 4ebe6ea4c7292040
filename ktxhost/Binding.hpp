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

// Loads the plug-in (dlopen, RTLD_NOW | RTLD_LOCAL) for `command`, or says
// why not. A bare name (no '/') is the loader's to find. A file named by a
// path is opened once, by the readers' walk and without waiting, looked at
// through that descriptor and loaded through it (/proc/self/fd/N): a name
// swapped since changes nothing. It is refused, said on the error output,
// when the walk refuses it (a link the readers' rule does not follow, a
// missing file: "ktxhost COMMAND: cannot load LIBRARY: WHY", the walk's own
// words), when it is no regular file ("ktxhost COMMAND: LIBRARY: not a
// regular file (a plug-in is loaded from a file)": a FIFO would hold the
// loader's open for ever), when a user other than the one who runs the
// program, or root, could have put it there or changed it (it is another
// user's file, others may write it, or its folder is another user's, or
// others may write its folder and it is not sticky: its code would run as
// the user), and when it is shorter than its own ELF headers say ("ktxhost
// COMMAND: LIBRARY is cut short: it holds N bytes of the M its headers
// describe"; the loader maps such a file without asking and the process
// dies of a bus error once it touches the missing pages). Null then, with
// `loaderWords` empty; null with the loader's words (the library named as
// given) when the loader refuses it.
void* LoadPlugin(const char* command, const char* library, std::string* loaderWords);

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
