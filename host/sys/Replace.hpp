// Writing a file whole or not at all, and reading only what can be read
// without waiting: what every writer and reader of the host and the plug-in
// uses for the files a user names.
#pragma once
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "Export.hpp"

namespace KTX::Files {

// Whether two names reach the same file (device and inode, not the name);
// false when either does not exist.
KTX_HOST_API bool SameFile(const std::string& a, const std::string& b);
// A user as the refusals name one: "name (uid N)", or "uid N" where the
// system knows no name.
KTX_HOST_API std::string UserName(unsigned uid);

// The file no writer of the host may replace (the journal being played: by
// device and inode, so through any link or spelling), or none for an empty
// name. A replacing write aimed at it is refused: nothing is written, its
// writer fails, and the user is shown kWritesPlayedJournal with the name.
inline constexpr int kWritesPlayedJournal = 841406;
KTX_HOST_API void ProtectFromWrites(const std::string& name);
// The same for the file opened as `descriptor` (the journal as it was read,
// not what its name reaches by now).
KTX_HOST_API void ProtectOpenedFromWrites(int descriptor);
// Whether the file opened as `fd` (reached from `name`) is the protected one:
// a write onto it is refused, and shown by the name.
KTX_HOST_API bool RefusedOpened(const std::string& name, int fd);

// Why a file of that name could not be written (empty when it could): its
// folder missing, the folder the name leads to (through links, the last
// one's) not writable, the name a folder, a file that exists and may not be
// written, another user's file in a sticky folder not the user's (which
// only its owner may replace), or a name no written file may take (see
// WhyNoPlaceForAFile).
KTX_HOST_API std::string WhyNotWritable(const std::string& name);

// Why no file written whole may take the name (empty when one may): a FIFO,
// a device (a terminal said as one) or a socket there, or a pipe or a
// socket a link of /proc leads to ("is a pipe, not a regular file"), which
// a regular file renamed onto it would replace (a reader waiting on the
// FIFO would wait for ever), a file no folder holds that one leads to
// (deleted, a memfd, an O_TMPFILE file: no file can take its place), a symbolic
// link that reaches no file (to a missing place, a loop, or a chain of more
// links than the system follows), or a symbolic link anywhere on the way,
// a folder's included, in a folder that users other than its owner may
// write that belongs neither to the user who runs the program nor to the
// folder's owner ("is a symbolic link owned by NAME (uid N) in a folder
// other users may write, which is not followed" for the name itself; "leads
// through LINK, a symbolic link owned by ..." for the link on the way that
// broke the rule). The name is walked one name at a time from a folder
// opened here, each link read (whole, whatever size it reports) and walked
// in turn: the system follows nothing on the way, and a name through /proc
// ("/proc/self/cwd/NAME", "/dev/stdout") is walked as any other. Every
// writer below refuses such a name; any other link to a file is written
// through.
KTX_HOST_API std::string WhyNoPlaceForAFile(const std::string& name);

// A file the host meant to write for its user and could not: the user is
// shown the warning kNotWritten naming it, why (WhyNotWritten) and what
// became of the name ("the older file is as it was", or what another
// process did there), as a writer that goes on without it must.
// Nothing is shown for the journal being played, whose refusal was shown.
inline constexpr int kNotWritten = 841407;
KTX_HOST_API void ShowNotWritten(const std::string& name, int error) noexcept;
// Why the last write of `name` on this thread failed with `error`, as the
// write found it: the words of the name's refusal when its walk refused it
// (a link, a FIFO, a missing folder ...; see WhyNoPlaceForAFile), of an
// older file that could not be read for an append, else WhyFailed(error).
// Nothing is looked up again: another process may have changed the name
// since.
KTX_HOST_API std::string WhyNotWritten(const std::string& name, int error);

// A new temporary file beside `name` (its folder, its name with a suffix), as
// a writer fills before it renames it into place; mode 0600 while it is
// written, the permissions of the file it replaces (or a new file's) once it
// is put in place: only its permission bits, and its group's and others'
// only when it was the user's own. False (nothing made) when it cannot be
// made, `name` is the protected file or no place for a file (errno, and
// WhyNotWritten, say why). The temporary
// file is made in the folder the walk of `name` reached (see
// WhyNoPlaceForAFile), held open until the rename: its path, handed back,
// is that folder's as walked, with the temporary file's name. A write cut by
// the process's file size limit fails as any other (the limit's signal is
// ignored from the first temporary file on, unless someone handles it), so
// that the writer removes its temporary file and the older file stays.
//
// The file is locked while its writer lives (the lock goes with the
// process, however it ends); the temporary files of `name` that no living
// writer holds, left by a writer that was killed, are removed first. A
// writer's temporary file is known by its name, NAME.tmp- and sixteen hex
// digits of which the last eight check the rest with NAME (NAME cut short,
// at a character's start, where the whole would be longer than the 255
// bytes a name may have: every name the system takes can be written), and
// by being still as its
// writer made it (a regular file of this user, one link, mode 0600): no
// other file is removed, however it is named.
//
// The file is written, and given its final mode, only through `descriptor`
// (the one it was made with, held until it is put in place or removed; not
// the caller's to close): never by its path, which whoever may write the
// folder can make name another file meanwhile.
KTX_HOST_API bool MakeTemporaryBeside(const std::string& name, std::string* temporary, int* descriptor = nullptr);
// Renames the temporary file onto `name`; on failure (the protected file
// among them) the temporary file is removed and `name` is left as it was.
// True when it took its place. The name is walked once, when the
// temporary file is made: the rename goes to the file it reached then, in
// the folder held open since, and only while a second walk meets every
// name on the way as it was (the same folders, the same links, the same
// file or still nothing) and that folder still holds that file; otherwise
// it fails with kNameChanged, following and changing nothing at the name.
// A temporary file MakeTemporaryBeside did not make is removed, and the
// call fails with EINVAL. On failure errno says why. Before the final mode is given, and again just
// before the rename, the temporary path must still name the file that was
// made (a regular file with one link, not a symbolic link, its device and
// inode): otherwise it fails with kTemporaryReplaced and leaves whatever was
// put there as it is (not followed, not changed, not removed). A swap in
// the moment between that check and the rename, which a rename by path
// cannot shut out, takes the name but is still no success: kNameTaken.
KTX_HOST_API bool PutInPlace(const std::string& temporary, const std::string& name);
// Removes a temporary file MakeTemporaryBeside made, if its path still names
// it, and lets its lock go.
KTX_HOST_API void RemoveTemporary(const std::string& temporary) noexcept;
// Removes every temporary file of this process's writers that its name
// still names, for a signal handler that ends the process (a write cut
// short leaves no temporary file): only what a handler may call, and
// nothing after it is to be written. Their locks go with the process.
KTX_HOST_API void RemoveTemporariesAtStop() noexcept;

// The errnos of a write that another process came between, and why a write
// failed as a user is told it: WhyFailed(kTemporaryReplaced) is "its
// temporary file was replaced by another file" (the older file stays),
// WhyFailed(kNameChanged) "its name was changed by another process while it
// was written" (what is at the name stays as that process left it),
// WhyFailed(kNameTaken) "its temporary file was replaced by another file as
// it was renamed" (the name now holds that file); any other error its
// system text.
inline constexpr int kTemporaryReplaced = ESTALE;
inline constexpr int kNameChanged = EREMCHG;
inline constexpr int kNameTaken = ENOTUNIQ;
KTX_HOST_API std::string WhyFailed(int error);
// Whether the error says that what stands at the name is another process's
// doing (kNameChanged, kNameTaken): what is there now says nothing of why.
KTX_HOST_API bool NameChangedUnderTheWriter(int error);

// For tests: called with the temporary path at each step between its
// creation and the rename ("made", "written", "final mode", "checked"), where a test
// puts another file in its place. Null (the default): nothing is called.
using TemporaryStepForTests = void (*)(const char* step, const std::string& temporary);
KTX_HOST_API void SetTemporaryStepForTests(TemporaryStepForTests step);

// The system's temporary folder: the first of TMPDIR, TMP, TEMP and TEMPDIR
// that is set and not empty (an empty one is taken as unset, not as a
// folder named ""), else /tmp. Inline: the kernel's geometry module, which
// links nothing of the host, takes its scratch files there too.
inline std::string TemporaryFolder() {
  for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"})
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
  return "/tmp";
}

// What a stream writes, sent through a descriptor (a temporary file's own):
// for a writer that fills the file through a std::ostream. A write that
// fails makes the stream bad; Error() keeps its errno.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int descriptor) : descriptor_(descriptor) { setp(buffer_, buffer_ + sizeof buffer_); }
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    const char* at = pbase();
    while (at < pptr()) {
      const ssize_t n = descriptor_ < 0 ? (errno = EBADF, -1) : ::write(descriptor_, at, pptr() - at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (error_ == 0) error_ = n < 0 ? errno : EIO;
        return -1;
      }
      at += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return 0;
  }

 private:
  int descriptor_;
  int error_ = 0;
  char buffer_[1 << 14];
};

// A temporary file beside `name` that a writer fills through its own means
// (a stream over its descriptor): removed on every way
// out, an exception's included, unless PutInPlace took it. Made() is false
// when it could not be made.
class TemporaryBeside {
 public:
  explicit TemporaryBeside(std::string name) : name_(std::move(name)) {
    if (!MakeTemporaryBeside(name_, &temporary_, &descriptor_)) temporary_.clear();
  }
  ~TemporaryBeside() {
    if (!temporary_.empty()) RemoveTemporary(temporary_);
  }
  TemporaryBeside(const TemporaryBeside&) = delete;
  TemporaryBeside& operator=(const TemporaryBeside&) = delete;

  bool Made() const { return !temporary_.empty(); }
  const std::string& Path() const { return temporary_; }
  // Where it is written (see MakeTemporaryBeside); -1 when not made.
  int Descriptor() const { return temporary_.empty() ? -1 : descriptor_; }
  // Renames it onto the name (see PutInPlace); it is not removed afterwards
  // either way.
  bool PutInPlace() {
    if (temporary_.empty()) return false;
    return Files::PutInPlace(Release(), name_);
  }
  // Hands the file over to whoever will put it in place or remove it: it is
  // no longer removed here.
  std::string Release() { return std::exchange(temporary_, std::string()); }

 private:
  std::string name_;
  std::string temporary_;
  int descriptor_ = -1;
};

// A stream that writes `name` through a temporary file beside it: what was
// written takes the file's place only at Close, whole; a write cut short
// (disk full, a crash, Close never called) leaves the older file as it was.
// Mode "w" starts empty, "a" from a copy of the existing file. Null when the
// temporary file cannot be made, or (mode "a") when the existing file cannot
// be read (a write-only file): errno says why, the file stays as it was, and
// ShowNotWritten then says that its older file could not be read. Close flushes, closes and renames: 0, or
// EOF when anything failed (the older file then stays; errno says why). A
// stream not opened here is closed plainly.
KTX_HOST_API std::FILE* OpenReplacing(const std::string& name, const char* mode);
KTX_HOST_API int CloseReplacing(std::FILE* file);
// The name a stream OpenReplacing handed out takes at its close (empty for
// any other stream).
KTX_HOST_API std::string ReplacingName(std::FILE* file);
// Closes such a stream and removes its temporary file: the older file stays
// (what a writer does when its work failed half way).
KTX_HOST_API void AbandonReplacing(std::FILE* file);

// Why a walk of a name (a reader's or a writer's) reached no file, as the
// walk found it: every message takes it as it is, and nothing works it out
// again from the name, which another process may have changed since.
struct Refusal {
  enum class Kind {
    kNone,
    kLink,           // a link refused: under the writers' rule, a loop, one that reaches no file
    kNoRegularFile,  // a pipe or a socket, which only a link of /proc leads to
    kChanged,        // a folder on the way replaced while it was walked (kNameChanged)
    kSystem,         // what the system answered: a folder missing on the way, a folder, no access
  };
  Kind kind = Kind::kNone;
  int error = 0;
  std::string words;
  bool onTheWay = false;  // the words name a link on the way, not the name given
  explicit operator bool() const { return kind != Kind::kNone; }
};

// OpenReached (Files.hpp) with the walk's own answer: the descriptor, or -1
// with errno and `why` holding the walk's refusal, or the system's error at
// the file itself (kSystem, with its text). With `folder`, an O_PATH
// descriptor of the folder that holds the file reached comes with it (the
// caller's to close; -1 when none was opened). A name through a link of
// /proc to a file a process holds (/proc/self/fd/N, /dev/stdin) reaches that
// file, also when no folder holds it any more (deleted) or ever did (a
// memfd, an O_TMPFILE file); `folder` is then the folder of /proc the link
// stands in.
KTX_HOST_API int OpenReached(const char* name, int flags, Refusal* why, int* folder = nullptr);

// Opens a file for reading only when it is a regular file, without waiting
// on a pipe that has no writer (opened not blocking, then checked), reached
// as Files::OpenReached reaches it. Null, with errno set (EINVAL for a file
// that is no regular file, EACCES for a link the writers' rule refuses),
// otherwise.
KTX_HOST_API std::FILE* OpenRegular(const char* name);

// The lines of a text file a user names, as every reader of the host and
// the plug-in reads one: a regular file only (never waiting on a pipe), no
// line longer than kLongestLine (what the journal reader allows), at most
// `most` bytes in all (a format's natural bound). Line ends (LF, CR LF) are
// dropped. 0, or the failure's message number with its text in *why:
// 840502 no such file, kNotRegular, kTooLarge, kLineTooLong, kUnreadable (a
// link on the way that the writers' rule refuses named as every writer
// names it, "leads through LINK, ...").
inline constexpr std::size_t kLongestLine = std::size_t{1} << 20;
inline constexpr int kNotRegular = 841401;
inline constexpr int kTooLarge = 841402;
inline constexpr int kLineTooLong = 841403;
inline constexpr int kUnreadable = 841404;
KTX_HOST_API int ReadLines(const char* name, std::size_t most, std::vector<std::string>* lines, std::string* why);

}  // namespace KTX::Files
