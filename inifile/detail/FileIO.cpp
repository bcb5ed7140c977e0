// Tavisco (internal) - whole-file reading and atomic writing over the POSIX file calls.
#include "inifile/detail/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
        if (fd < 0)
            return 0;
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

constexpr std::string_view kTempMarker = ".tmp";

// "." + the target's name + ".tmp" + process id + "-" + counter, beside the target. The
// process id tells a later save whether the file's writer is still running.
std::string tempNameFor(const std::string& folder, const std::string& base)
{
    return folder + "/." + base + std::string(kTempMarker) + std::to_string(::getpid()) + "-" +
           std::to_string(g_tempCounter++);
}

bool allDigits(std::string_view s)
{
    return !s.empty() && s.size() <= 18 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the named temporary files that saves of processes no longer running left in a
// folder (a save killed part-way where the file system has no files without a name, or
// killed between naming the new file and renaming it). Only this user's regular files
// whose name has exactly the form tempNameFor gives are touched.
void removeStaleTemporaries(const std::string& folder) noexcept
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const std::size_t marker = name.rfind(kTempMarker);
        if (name.size() < 2 || name[0] != '.' || marker == std::string_view::npos || marker < 2)
            continue;
        const std::string_view numbers = name.substr(marker + kTempMarker.size());
        const std::size_t dash = numbers.find('-');
        if (dash == std::string_view::npos || !allDigits(numbers.substr(0, dash)) ||
            !allDigits(numbers.substr(dash + 1)))
            continue;
        const long long pid = std::stoll(std::string(numbers.substr(0, dash)));
        if (pid <= 0 || pid > INT_MAX || static_cast<pid_t>(pid) == self)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;  // running (or another user's process)
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        (void)::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Gives a file without a name (O_TMPFILE) a name; 0 or the errno (EEXIST: name taken).
int linkAnonymous(int fd, const std::string& name) noexcept
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Opens a new named temporary file beside the target; -1 with errno set.
int createNamedTemp(const std::string& folder, const std::string& base, std::string& temp) noexcept
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = tempNameFor(folder, base);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    temp.clear();
    errno = EEXIST;
    return -1;
}

// Writes the data to fd, sets the mode when asked and flushes; 0 or the errno.
int fillTemp(int fd, std::string_view data, bool keepMode, mode_t mode) noexcept
{
    int failure = writeAll(fd, data);
    if (failure == 0 && keepMode && ::fchmod(fd, mode) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    return failure;
}

}  // namespace

int readWholeFile(const std::string& path, std::string& out)
{
    // O_NONBLOCK so that opening a pipe does not wait for a writer; it is refused below. A
    // regular file reads the same with it.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EACCES;

    std::string content;
    if (st.st_size > 0)
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
    removeStaleTemporaries(folder);

    // The new text goes to a file without a name where the file system allows it, so a
    // save that is killed part-way leaves nothing behind; else to a named temporary file.
    std::string temp;
    int fdNumber = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fdNumber < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        fdNumber = createNamedTemp(folder, base, temp);
        if (fdNumber < 0)
            return errno;
    }
    FileDescriptor fd(fdNumber);
    const auto failWith = [&](int failure) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        return failure;
    };

    int failure = fillTemp(fd.get(), data, keepMode, mode);
    if (failure != 0) {
        (void)fd.close();
        return failWith(failure);
    }
    if (temp.empty()) {
        // A new target takes the file's name at once; to replace one, the file gets a
        // temporary name for the rename.
        failure = keepMode ? EEXIST : linkAnonymous(fd.get(), target);
        if (failure == 0) {
            if (const int closed = fd.close(); closed != 0) {
                ::unlink(target.c_str());
                return closed;
            }
            syncFolder(folder);
            return 0;
        }
        for (int attempt = 0; attempt < 100 && failure == EEXIST; ++attempt) {
            temp = tempNameFor(folder, base);
            failure = linkAnonymous(fd.get(), temp);
        }
        if (failure != 0) {
            // It cannot be given a name here: write the text again, to a named file.
            temp.clear();
            (void)fd.close();
            const int named = createNamedTemp(folder, base, temp);
            if (named < 0)
                return errno;
            FileDescriptor again(named);
            failure = fillTemp(again.get(), data, keepMode, mode);
            if (const int closed = again.close(); failure == 0)
                failure = closed;
            if (failure != 0)
                return failWith(failure);
        }
    }
    if (const int closed = fd.close(); closed != 0)
        return failWith(closed);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return failWith(errno);
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
