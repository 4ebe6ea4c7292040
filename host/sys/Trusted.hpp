// Loading a library a user names, or one the host finds beside itself: only
// one that no user but the one who runs the program, or root, could have put
// there or changed, since loading runs its code as that user.
#pragma once
#include <string>

#include "Export.hpp"

namespace KTX::Files {

// Why the library file opened as `file`, reached from `name`, may not be
// loaded (empty when it may). The file must be the user's or root's and
// no one else may write it; every folder its name passes through, a link's
// text walked in turn (a name of /proc/self/fd included, which leads to the
// folder that holds the file), the user's or root's and not writable by
// others unless sticky. A file that no folder holds (deleted, a memfd, an
// O_TMPFILE file), reached through /proc, has no folder but those of /proc
// on its way. The words say who else may write and the remedy ("chmod
// g-w", or a build under umask 022).
KTX_HOST_API std::string WhyNotTrustedToLoad(const std::string& name, int file);

// The library loaded as the plug-in is (RTLD_NOW | RTLD_LOCAL): a name with
// a '/' is opened once, by the readers' walk, looked at through that
// descriptor (WhyNotTrustedToLoad) and loaded through it; a bare name is the
// loader's to find. Null with `why` saying why otherwise, in words that
// follow "cannot load NAME: ", the loader's naming the file as given.
KTX_HOST_API void* LoadTrustedLibrary(const std::string& name, std::string* why);

// The name the file open as `fd` is loaded by: its descriptor's name in
// /proc, spelt as no name loaded before in this process is. The loader takes
// a name it has loaded before for that object again, without opening it, and
// a descriptor's number is used again once it is closed.
KTX_HOST_API std::string LoadableName(int fd);

// The loader's last words (dlerror) with the name it was given, `loaded`
// (a descriptor's), put back to the name the user gave.
KTX_HOST_API std::string LoaderWords(const std::string& loaded, const std::string& given);

}  // namespace KTX::Files
