// Tavisco (internal) - whole-file reading and atomic writing.
#pragma once

#include "inifile/Error.h"

#include <string>
#include <string_view>

namespace tavisco::detail {

// Reads the whole file into out. Returns 0, or the errno of the failure (out is then
// unchanged). A folder gives EISDIR; anything else that is not a regular file (a pipe, a
// device, a socket) gives EACCES at once, unread, without waiting for a writer.
[[nodiscard]] int readWholeFile(const std::string& path, std::string& out);

// Writes data to a new temporary file in the target's folder, flushes it to the disk and
// renames it over the target, so the target is either the old file or the complete new
// one. A symbolic link is followed and the file it names is replaced. An existing target
// that may not be written is refused (EACCES). The new file keeps the old file's permission
// bits; a new target gets the usual ones (0666 less the umask). Returns 0, or the errno of
// the failure; the temporary file is removed on failure.
[[nodiscard]] int writeFileAtomically(const std::string& path, std::string_view data);

// The error number a system failure maps to. A missing file (ENOENT) is FileNotFound when
// loading and PathNotFound (a missing folder) when saving.
enum class FileOperation { Load, Save };
[[nodiscard]] ErrorNumber errorNumberFor(int systemError, FileOperation operation) noexcept;

}  // namespace tavisco::detail
