// Brevane - reading and writing whole files (POSIX).
#include "platform/FileIO.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <random>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::int64_t kMaxUniqueTries = 1'000'000;
constexpr int kMaxTempTries = 100;
constexpr std::size_t kTempBaseKeep = 64;  // characters of the target's name kept in the temp name
constexpr std::size_t kGrowthChunk = 64 * 1024;

std::mutex g_injectorMutex;
std::function<FileError(const std::string&)> g_injector;
std::function<void(const std::string&)> g_commitHook;
std::atomic<bool> g_anonymousTemporaries{true};

constexpr std::string_view kTempMarker = ".tmp-";

enum class Activity { Read, Write };

FileError fromErrno(int err, Activity activity)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return FileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileError::AccessDenied;
    case EISDIR:
        return FileError::IsDirectory;
    case ENOSPC:
    case EDQUOT:
        return FileError::NoSpace;
    case EFBIG:
    case EOVERFLOW:
        return FileError::TooLarge;
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return FileError::InvalidName;
    default:
        return activity == Activity::Read ? FileError::ReadFailed : FileError::WriteFailed;
    }
}

std::string describe(FileError e, const std::string& path, int err)
{
    if (e == FileError::NotAFile)
        return notAFileText(path);
    if (err == ELOOP)
        return "Symbolic link loop: " + path;
    std::string text = fileErrorMessage(e, path);
    if (err != 0)
        text += " (" + std::generic_category().message(err) + ")";
    return text;
}

bool nameIsUsable(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now; returns the errno of a failed close, else 0.
    int close()
    {
        if (m_fd < 0)
            return 0;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 || errno == EINTR ? 0 : errno;
    }
    void reset(int fd = -1)
    {
        close();
        m_fd = fd;
    }

private:
    int m_fd;
};

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name for a temporary file beside target: "." + target's name + ".tmp-" + process id +
// "-" + counter + "-" + random number. The process id tells a later save whether the
// file's writer is still alive.
std::string tempNameBeside(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 rng{std::random_device{}()};
    const std::string base = baseOf(target).substr(0, kTempBaseKeep);
    return joinPath(folderOf(target), "." + base + std::string(kTempMarker) + std::to_string(::getpid()) + "-" +
                                          std::to_string(counter.fetch_add(1)) + "-" +
                                          std::to_string(rng() % 1'000'000));
}

// Creates a new, empty named temporary file beside target. Returns its descriptor or -1
// with errno set.
int createTempBeside(const std::string& target, std::string& tempPath)
{
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        tempPath = tempNameBeside(target);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                              0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Creates a temporary file without a name in target's folder (it vanishes with its last
// descriptor, so a killed save leaves nothing). -1 with errno set; EOPNOTSUPP (or EISDIR,
// EINVAL from an older kernel) when the file system has no such files.
int createAnonymousTempBeside(const std::string& target)
{
    if (!g_anonymousTemporaries.load())
        return errno = EOPNOTSUPP, -1;
    return ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0666);
}

bool anonymousFilesUnsupported(int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL; }

// Gives a file without a name the name `name`; fails with EEXIST when the name is taken.
int linkAnonymous(int fd, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int err = errno;
    if (err != ENOENT)
        return err;
    // No /proc: the direct form, which needs the right to search by descriptor.
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno;
}

// Whether a process of this id is running (or may be: one of another user counts too).
bool processAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

// Removes the temporary files that saves of processes no longer running left in a folder
// (a save killed part-way, where the file system has no anonymous files, or between
// naming the new file and putting it in place). Only regular files of this user whose
// name is exactly of the form tempNameBeside makes are touched.
void removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() < 2 || name[0] != '.')
            continue;
        const std::size_t marker = name.rfind(kTempMarker);
        if (marker == std::string_view::npos || marker < 1)
            continue;
        // process id, counter and random number: three runs of digits joined by '-'
        std::string_view rest = name.substr(marker + kTempMarker.size());
        std::int64_t numbers[3] = {};
        bool wellFormed = true;
        for (int i = 0; i < 3 && wellFormed; ++i) {
            const std::size_t end = i < 2 ? rest.find('-') : rest.size();
            const std::string_view digits = rest.substr(0, end);
            wellFormed = end != std::string_view::npos && !digits.empty() && digits.size() <= 18 &&
                         std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (wellFormed)
                numbers[i] = std::stoll(std::string(digits));
            rest.remove_prefix(std::min(rest.size(), end + 1));
        }
        const auto pid = static_cast<pid_t>(numbers[0]);
        if (!wellFormed || numbers[0] <= 0 || numbers[0] > INT32_MAX || pid == self || processAlive(pid))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        (void)::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

std::string fileErrorText(FileError e)
{
    switch (e) {
    case FileError::None:
        return "No error";
    case FileError::NotFound:
        return "File not found";
    case FileError::AccessDenied:
        return "Access denied";
    case FileError::IsDirectory:
        return "The name is a folder";
    case FileError::TooLarge:
        return "File too large";
    case FileError::ReadFailed:
        return "Error reading the file";
    case FileError::WriteFailed:
        return "Error writing the file";
    case FileError::NoSpace:
        return "Not enough disk space";
    case FileError::InvalidName:
        return "Invalid file name";
    case FileError::NotAFile:
        return "Not a file";
    }
    return "Unknown file error";
}

std::string notAFileText(const std::string& name) { return name + " is not a file"; }

std::string fileErrorMessage(FileError e, const std::string& path)
{
    return e == FileError::NotAFile ? notAFileText(path) : fileErrorText(e) + ": " + path;
}

void setWriteFaultInjector(std::function<FileError(const std::string& path)> injector)
{
    const std::lock_guard lock(g_injectorMutex);
    g_injector = std::move(injector);
}

void setWriteCommitHook(std::function<void(const std::string& path)> hook)
{
    const std::lock_guard lock(g_injectorMutex);
    g_commitHook = std::move(hook);
}

void setAnonymousTemporaryFiles(bool enabled) { g_anonymousTemporaries.store(enabled); }

ReadResult readWholeFile(const std::string& path, std::size_t maxBytes)
{
    ReadResult result;
    auto fail = [&](FileError e, int err) {
        result.error = e;
        result.bytes.clear();
        result.message = describe(e, path, err);
        return result;
    };
    if (!nameIsUsable(path))
        return fail(FileError::InvalidName, 0);

    // O_NONBLOCK so that opening a pipe does not wait for a writer; it is refused below.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        return fail(fromErrno(err, Activity::Read), err);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        const int err = errno;
        return fail(FileError::ReadFailed, err);
    }
    if (S_ISDIR(st.st_mode))
        return fail(FileError::IsDirectory, 0);
    if (!S_ISREG(st.st_mode))
        return fail(FileError::NotAFile, 0);
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return fail(FileError::TooLarge, 0);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);

    // Read to the end, not just st_size bytes: the file may change while it is read.
    // One byte beyond the reported size, so a file that grew is noticed without a copy.
    std::size_t capacity = std::min(static_cast<std::size_t>(st.st_size), maxBytes) + 1;
    result.bytes.resize(capacity);
    std::size_t total = 0;
    for (;;) {
        if (total == capacity) {
            if (capacity > maxBytes)
                return fail(FileError::TooLarge, 0);
            capacity = std::min(capacity + kGrowthChunk, maxBytes + 1);
            if (capacity == total)  // exactly maxBytes read, one more byte would exceed it
                capacity = total + 1;
            result.bytes.resize(capacity);
        }
        const ssize_t n = ::read(fd.get(), result.bytes.data() + total, capacity - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            return fail(fromErrno(err, Activity::Read), err);
        }
        if (n == 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    if (total > maxBytes)
        return fail(FileError::TooLarge, 0);
    result.bytes.resize(total);
    return result;
}

namespace {

// Writes every byte and flushes the file to the disk; 0 or the errno of the failure.
int writeAndFlush(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Gives a new file the old one's owner (possible only with the right to do so) and mode
// bits; 0 or the errno of the failure.
int takeOverOwnerAndMode(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

void syncFolder(const std::string& folder)
{
    // Makes a new name durable. The new file is in place whatever this returns, so a
    // failure here (some file systems refuse to flush a folder) is not reported.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

}  // namespace

FileError writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes,
                          std::string* message)
{
    auto fail = [&](FileError e, const std::string& shown, int err) {
        if (message)
            *message = describe(e, shown, err);
        return e;
    };
    auto failErrno = [&](int err) {
        const FileError e = fromErrno(err, Activity::Write);
        // Writing, "not found" means the folder the file goes in (missing, or no folder).
        if (e == FileError::NotFound) {
            if (message)
                *message = "Folder not found: " + folderOf(path);
            return e;
        }
        return fail(e, path, err);
    };
    if (message)
        message->clear();
    if (!nameIsUsable(path))
        return fail(FileError::InvalidName, path, 0);

    // Write through a symbolic link to the file it names, so the link survives.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        std::error_code ec;
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved.string();
    }

    struct stat st {};
    bool replacing = false;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(FileError::IsDirectory, path, 0);
        if (!S_ISREG(st.st_mode))
            return fail(FileError::NotAFile, path, 0);
        // Renaming over the file needs only the folder's permission: a file the user may
        // not write (read-only, another user's) is refused here.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return failErrno(errno);
        replacing = true;
    } else if (errno != ENOENT) {
        return failErrno(errno);
    }
    if (!target.empty() && target.back() == '/')
        return fail(FileError::InvalidName, path, 0);
    const std::string folder = folderOf(target);

    removeStaleTemporaries(folder);

    std::function<FileError(const std::string&)> injector;
    std::function<void(const std::string&)> commitHook;
    {
        const std::lock_guard lock(g_injectorMutex);
        injector = g_injector;
        commitHook = g_commitHook;
    }

    // The new content goes to a file without a name where the file system allows it, so
    // nothing is left behind if the program dies before the file is in place; else to a
    // named temporary file, which the next save into the folder removes if need be.
    std::string tempPath;  // empty while the new file has no name
    FileDescriptor fd(createAnonymousTempBeside(target));
    if (fd.get() < 0) {
        if (!anonymousFilesUnsupported(errno))
            return failErrno(errno);
        fd.reset(createTempBeside(target, tempPath));
        if (fd.get() < 0)
            return failErrno(errno);
    }
    auto abandon = [&](FileError e, int err) {
        fd.close();
        if (!tempPath.empty())
            ::unlink(tempPath.c_str());
        return fail(e, path, err);
    };

    if (replacing)
        if (const int err = takeOverOwnerAndMode(fd.get(), st); err != 0)
            return abandon(fromErrno(err, Activity::Write), err);
    if (injector) {
        const FileError injected = injector(path);
        if (injected != FileError::None)
            return abandon(injected, 0);
    }
    if (const int err = writeAndFlush(fd.get(), bytes); err != 0)
        return abandon(fromErrno(err, Activity::Write), err);
    if (commitHook)
        commitHook(path);

    if (tempPath.empty()) {
        // A new target takes the file's name at once. To replace a file, or when the name
        // was taken meanwhile, the file gets a temporary name for the rename below.
        int err = replacing ? EEXIST : linkAnonymous(fd.get(), target);
        if (err == 0) {
            if (const int closed = fd.close(); closed != 0) {
                ::unlink(target.c_str());
                return failErrno(closed);
            }
            syncFolder(folder);
            return FileError::None;
        }
        for (int attempt = 0; attempt < kMaxTempTries && err == EEXIST; ++attempt) {
            tempPath = tempNameBeside(target);
            err = linkAnonymous(fd.get(), tempPath);
        }
        if (err != 0) {
            // The file cannot be given a name here (no /proc, no right to link by
            // descriptor): write the content again, to a named temporary file.
            tempPath.clear();
            fd.reset(createTempBeside(target, tempPath));
            if (fd.get() < 0)
                return failErrno(errno);
            if (replacing)
                if (const int e = takeOverOwnerAndMode(fd.get(), st); e != 0)
                    return abandon(fromErrno(e, Activity::Write), e);
            if (const int e = writeAndFlush(fd.get(), bytes); e != 0)
                return abandon(fromErrno(e, Activity::Write), e);
        }
    }
    if (const int err = fd.close(); err != 0)
        return abandon(fromErrno(err, Activity::Write), err);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int err = errno;
        return abandon(fromErrno(err, Activity::Write), err);
    }
    syncFolder(folder);
    return FileError::None;
}

std::int64_t fileSize(const std::string& path)
{
    struct stat st {};
    if (!nameIsUsable(path) || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool fileExists(const std::string& path) { return fileSize(path) >= 0; }

bool deleteFile(const std::string& path)
{
    struct stat st {};
    if (!nameIsUsable(path) || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

std::string canonicalPath(const std::string& path)
{
    if (!nameIsUsable(path))
        return {};
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        absolute = fs::path(path);
    fs::path resolved = fs::weakly_canonical(absolute, ec);
    if (ec)
        resolved = absolute.lexically_normal();
    std::string text = resolved.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string uniqueFileName(const std::string& folder,
                           const std::function<std::string(std::int64_t)>& nameFor,
                           std::int64_t first, std::int64_t* numberUsed)
{
    if (!nameFor)
        return {};
    for (std::int64_t i = 0; i < kMaxUniqueTries; ++i) {
        if (first > INT64_MAX - i)
            break;
        const std::int64_t n = first + i;
        const std::string candidate = joinPath(folder, nameFor(n));
        struct stat st {};
        if (!nameIsUsable(candidate))
            return {};
        if (::lstat(candidate.c_str(), &st) == 0)
            continue;
        if (errno != ENOENT && errno != ENOTDIR)
            return {};  // cannot tell whether the name is taken
        if (numberUsed)
            *numberUsed = n;
        return candidate;
    }
    return {};
}

std::string uniqueFileName(const std::string& folder, const std::string& stem,
                           const std::string& extension)
{
    std::string ext = extension;
    if (!ext.empty() && ext.front() != '.')
        ext.insert(ext.begin(), '.');
    return uniqueFileName(
        folder, [&](std::int64_t n) { return stem + " " + std::to_string(n) + ext; }, 1, nullptr);
}

}  // namespace platform
