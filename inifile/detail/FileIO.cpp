// Tavisco (internal) - whole-file reading and atomic writing over the POSIX file calls.
#include "inifile/detail/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace tavisco::detail {

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] int get() const noexcept { return m_fd; }
    // Closes now and returns 0 or the errno of a failed close (a late write error).
    [[nodiscard]] int close() noexcept
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Returns 0 or the errno of the failure.
int writeAll(int fd, std::string_view data) noexcept
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The file a path finally names: symbolic links followed. A dangling link or a path that is
// not there yet is returned unchanged (the new file then appears under that name).
std::string resolveTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Flushes a folder's entries so a rename in it survives a crash; failures are not reported
// because the rename itself has already succeeded.
void syncFolder(const std::string& folder) noexcept
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

std::atomic<unsigned> g_tempCounter{0};

}  // namespace

int readWholeFile(const std::string& path, std::string& out)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;

    std::string content;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    out = std::move(content);
    return 0;
}

int writeFileAtomically(const std::string& path, std::string_view data)
{
    if (path.empty())
        return ENOENT;
    const std::string target = resolveTarget(path);

    mode_t mode = 0666;  // less the umask, applied by open()
    bool keepMode = false;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return errno;
        mode = st.st_mode & 07777;
        keepMode = true;
    } else if (errno != ENOENT) {
        return errno;
    }

    const std::string folder = folderOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temp = folder + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
        fdNumber = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST)
            return errno;
    }
    if (fdNumber < 0)
        return EEXIST;
    FileDescriptor fd(fdNumber);

    int failure = writeAll(fd.get(), data);
    if (failure == 0 && keepMode && ::fchmod(fd.get(), mode) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(fd.get()) != 0)
        failure = errno;
    if (const int closed = fd.close(); failure == 0)
        failure = closed;
    if (failure == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.c_str());
        return failure;
    }
    syncFolder(folder);
    return 0;
}

ErrorNumber errorNumberFor(int systemError, FileOperation operation) noexcept
{
    switch (systemError) {
    case ENOENT:
        return operation == FileOperation::Load ? ErrorNumber::FileNotFound : ErrorNumber::PathNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
        return ErrorNumber::PathFileAccess;
    case EBUSY:
    case ETXTBSY:
        return ErrorNumber::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrorNumber::DiskFull;
    case EMFILE:
    case ENFILE:
        return ErrorNumber::TooManyFiles;
    case ENOMEM:
        return ErrorNumber::OutOfMemory;
    default:
        return ErrorNumber::DeviceIO;
    }
}

}  // namespace tavisco::detail
