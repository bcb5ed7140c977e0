// Tavisco - error texts.
#include "inifile/Error.h"

namespace tavisco {

std::string Error::describe(ErrorNumber n)
{
    switch (n) {
    case ErrorNumber::None: return {};
    case ErrorNumber::InvalidArgument: return "Invalid procedure call or argument";
    case ErrorNumber::OutOfMemory: return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorNumber::FileNotFound: return "File not found";
    case ErrorNumber::DeviceIO: return "Device I/O error";
    case ErrorNumber::DiskFull: return "Disk full";
    case ErrorNumber::TooManyFiles: return "Too many files";
    case ErrorNumber::PermissionDenied: return "Permission denied";
    case ErrorNumber::PathFileAccess: return "Path/File access error";
    case ErrorNumber::PathNotFound: return "Path not found";
    case ErrorNumber::DuplicateKey: return "This key is already associated with an element of this collection";
    case ErrorNumber::InvalidKeyName: return "Invalid Key name";
    }
    return "Application-defined or object-defined error";
}

Error Error::make(ErrorNumber n, std::string source)
{
    return make(n, std::move(source), describe(n));
}

Error Error::make(ErrorNumber n, std::string source, std::string description)
{
    return Error{static_cast<std::int32_t>(n), std::move(source), std::move(description)};
}

}  // namespace tavisco
