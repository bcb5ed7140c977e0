// Tavisco - how a failing call reports itself.
#pragma once

#include "inifile/tavisco_export.h"

#include <cstdint>
#include <string>
#include <utility>

namespace tavisco {

// Error numbers the library reports. The values are pinned: the program compares with them
// (a settings reader ignores FileNotFound and shows every other error's description).
enum class ErrorNumber : std::int32_t {
    None = 0,
    InvalidArgument = 5,        // a name that no member of a collection has; Before and After both given
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,    // a position outside 1..Count
    FileNotFound = 53,          // Load of a file that is not there
    DeviceIO = 57,              // the device failed while reading or writing
    DiskFull = 61,              // no space left, quota or file-size limit reached while writing
    TooManyFiles = 67,          // no file descriptor left
    PermissionDenied = 70,      // the file is busy
    PathFileAccess = 75,        // access refused, read-only file system, a folder where a file should be
    PathNotFound = 76,          // a folder of the path is not there
    DuplicateKey = 457,         // a collection already has a member of that name (case ignored)
    InvalidKeyName = 1001,      // an empty key name
};

// The outcome of a call that can fail: number 0 means success. Source is the name of the
// class that met the failure ("Key", "Keys", "Sections", "INIFile"); description is the text
// to show the user. No exception ever leaves the library: failures arrive as these.
struct [[nodiscard]] Error {
    std::int32_t number = 0;
    std::string source;
    std::string description;

    [[nodiscard]] bool ok() const noexcept { return number == 0; }
    [[nodiscard]] bool failed() const noexcept { return number != 0; }
    [[nodiscard]] bool is(ErrorNumber n) const noexcept { return number == static_cast<std::int32_t>(n); }

    // The standard description of one of the numbers above ("File not found", ...).
    [[nodiscard]] TAVISCO_EXPORT static std::string describe(ErrorNumber n);
    [[nodiscard]] TAVISCO_EXPORT static Error make(ErrorNumber n, std::string source);
    [[nodiscard]] TAVISCO_EXPORT static Error make(ErrorNumber n, std::string source, std::string description);
};

// A value together with the Error of the call that produced it; the value is empty
// (a default T) when the call failed.
template <typename T>
struct [[nodiscard]] Result {
    T value{};
    Error error;

    [[nodiscard]] bool ok() const noexcept { return error.ok(); }
    [[nodiscard]] bool failed() const noexcept { return error.failed(); }
};

}  // namespace tavisco
