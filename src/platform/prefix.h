// The prefix folder that holds the emulated machine, the mapping of Windows
// paths onto it, and the file primitives the layer is built on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// $ZELKORA_PREFIX, or $HOME/.zelkora; read anew at every call.
std::string PrefixDir();

// The native path for a Windows path: X:\rest names <prefix>/drive_x/rest, a
// path that starts with "/" is native already, backslashes separate, and each
// existing component is matched without regard to letter case.
std::string MapPath(std::string_view path);
// The same mapping for a relative path under a native folder: each existing
// component of rest matched without regard to letter case.
std::string MapUnder(const std::string& nativeBase, std::string_view rest);

// What tells one content of a file from another without reading it: the same
// file (device and inode), size and modification time.
struct FileStamp {
    uint64_t device = 0, inode = 0;
    int64_t size = -1, modified = 0; // modified: nanoseconds
    bool operator==(const FileStamp&) const = default;
};

// Reads a whole file, and its stamp when asked. False when it does not exist
// or cannot be read; errno then tells why (ENOENT only for a missing file).
bool ReadWholeFile(const std::string& nativePath, std::string& out, FileStamp* stamp = nullptr);
// The whole file; "" when it does not exist or cannot be read.
std::string ReadWholeFile(const std::string& nativePath);
// The stamp of a plain file; false when there is none.
bool StatFile(const std::string& nativePath, FileStamp& stamp);

// Replaces a file atomically: the content goes to a file beside it (with no
// name while it is written, where the system allows), is flushed and renamed
// over the target, and the folder is flushed. A kill leaves the old or the
// new file and at most the one temporary name TemporaryNameFor gives, which
// the next write replaces. Refuses a read-only target. Returns 0 or an errno
// value. The caller holds WriteLock.
int WriteFileAtomic(const std::string& nativePath, std::string_view content);
// The one temporary name a target's writes use (".NAME.new" beside it).
std::string TemporaryNameFor(const std::string& nativePath);

// Moves a folder (or file) to a name that must not exist yet, in one step.
// Returns 0 or an errno value (EEXIST when the name is taken).
int MoveIntoPlace(const std::string& from, const std::string& to);
// Swaps two existing names in one step: each names the other's content after.
// Returns 0 or an errno value.
int SwapPaths(const std::string& a, const std::string& b);

// Serialises the layer's read-modify-write cycles between processes (and
// threads) of one prefix.
class WriteLock {
  public:
    WriteLock();
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

  private:
    intptr_t held_ = -1; // a descriptor, or a Windows handle
};

// The system's side of WriteLock: the prefix's lock file, taken (its handle;
// -1 when it cannot be had) and let go.
intptr_t LockPrefixFile();
void UnlockPrefixFile(intptr_t held);

// What the program's file test sees at a path.
enum class FileKind { Missing, PlainFile, Other };

// Looks at a Windows (or native) path. A path that the file system rejects with
// an error rather than an answer raises a failure with a number and description.
FileKind ProbeFile(std::string_view path);

// ASCII case-insensitive equality.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
// True when s is longer than suffix and ends with it, ASCII letter case aside
// (a file name and its extension).
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// Without leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view s);

} // namespace platform
