// Brevane - reading and writing whole files.
//
// Bank files are read whole into memory and written whole. Reading never creates or
// changes a file; writing replaces the target atomically (a temporary file in the same
// folder, flushed to disk, then renamed over the target), so a failed save leaves the old
// file exactly as it was. Paths are byte strings in the file system's own encoding.
// Nothing here throws.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Why a file operation failed. The values are pinned: callers store and compare them.
enum class FileError : int {
    None = 0,
    NotFound = 1,      // no such file, or a folder on the way is missing
    AccessDenied = 2,  // permissions or a read-only file system
    IsDirectory = 3,   // the path names a folder
    TooLarge = 4,      // beyond the reader's limit or the file size limit
    ReadFailed = 5,    // an input/output error while reading
    WriteFailed = 6,   // an input/output error while writing or flushing
    NoSpace = 7,       // disk full or quota exhausted
    InvalidName = 8,   // empty, holds a byte 0, too long, or a symbolic-link loop
    NotAFile = 9,      // the path names a pipe, a device or a socket
};

struct ReadResult {
    FileError error = FileError::None;
    std::vector<std::uint8_t> bytes;
    std::string message;  // empty on success; else the error text and the path
};

// The largest file readWholeFile reads unless told otherwise.
constexpr std::size_t kMaxReadBytes = 256u * 1024 * 1024;

// Reads a regular file whole. Opens read-only (never creates, never writes, does not wait
// on a pipe); a folder (IsDirectory), device, pipe or socket (NotAFile) is refused; a file
// larger than maxBytes gives TooLarge without reading it.
[[nodiscard]] ReadResult readWholeFile(const std::string& path, std::size_t maxBytes = kMaxReadBytes);

// Replaces (or creates) path with bytes: writes a temporary file beside it, flushes it,
// renames it over the target and flushes the folder. On any failure the temporary file is
// removed and the old file is left untouched; message (when given) receives the reason
// (a missing folder on the way: "Folder not found: <folder>"; a symbolic link that leads
// round in a loop: "Symbolic link loop: <path>").
// The temporary file has no name until it is complete (where the file system allows
// that), so a program killed part-way leaves no file behind; named temporary files that
// saves of programs no longer running left in the folder are removed.
// A target that is a symbolic link has the file it points to replaced; the link stays.
// A target that exists but is a folder (IsDirectory) or a device, pipe or socket
// (NotAFile), or that the user may not write (read-only, another user's: AccessDenied), is
// refused.
// When replacing, the old file's permission bits are kept; a new file gets the usual
// permissions of a new file (0666 less the process's umask).
[[nodiscard]] FileError writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes,
                                        std::string* message = nullptr);

// The size in bytes of a regular file (symbolic links followed); -1 when it is missing or
// not a regular file.
[[nodiscard]] std::int64_t fileSize(const std::string& path);
// True when path names a regular file (symbolic links followed).
[[nodiscard]] bool fileExists(const std::string& path);
// Removes a file (not a folder); true when it was removed.
[[nodiscard]] bool deleteFile(const std::string& path);

// A short text for a code, e.g. "File not found".
[[nodiscard]] std::string fileErrorText(FileError e);
// What is said of a name that is there but is no file (a folder, pipe, device or socket),
// by the open, save and send commands alike: "<name> is not a file".
[[nodiscard]] std::string notAFileText(const std::string& name);
// What ReadResult::message says of a failure the system gave no reason for, so that a
// caller that finds it first says it in the same words: "File too large: <path>".
[[nodiscard]] std::string fileErrorMessage(FileError e, const std::string& path);

// Test hook: when set, writeFileAtomic calls it with the target path after its temporary
// file is created and before any byte is written, and fails with the returned code when it
// is not None (to simulate a full disk). nullptr removes it.
void setWriteFaultInjector(std::function<FileError(const std::string& path)> injector);
// Test hook: when set, writeFileAtomic calls it with the target path once every byte is
// written and flushed, just before the new file is put in place (a test stops the
// process there to leave what a killed save leaves). nullptr removes it.
void setWriteCommitHook(std::function<void(const std::string& path)> hook);
// Test hook: false makes writeFileAtomic use named temporary files, as it does where the
// file system has no files without a name; true (the default) restores the usual way.
void setAnonymousTemporaryFiles(bool enabled);

// An absolute path with ".", ".." and symbolic links resolved as far as the path exists
// (the missing tail is normalised as text); two paths to the same existing file give the
// same text. "" for an empty path.
[[nodiscard]] std::string canonicalPath(const std::string& path);

// The first path folder + stem + " " + N + extension (N = 1, 2, ...), e.g. "Bank 3.dat",
// under which nothing exists yet
// (a file, folder or dangling link all count as existing). extension may be given with or
// without its dot, or empty. folder may be empty (the current folder) and may end in '/'.
// "" when no free name is found within a million tries.
[[nodiscard]] std::string uniqueFileName(const std::string& folder, const std::string& stem,
                                         const std::string& extension);
// The general form: the first folder + nameFor(N), N = first, first + 1, ..., under which
// nothing exists yet; numberUsed (when given) receives that N. For names whose number is
// not at the end, e.g. [](auto n) { return "Del " + Format(n, "#### from ") + title; }.
[[nodiscard]] std::string uniqueFileName(const std::string& folder,
                                         const std::function<std::string(std::int64_t)>& nameFor,
                                         std::int64_t first = 1, std::int64_t* numberUsed = nullptr);

// folder joined with name by one '/' (folder may end in '/' already; empty folder gives name).
[[nodiscard]] std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace platform
