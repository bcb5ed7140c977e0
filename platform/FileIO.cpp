// Brevane - reading and writing whole files (POSIX).
#include "platform/FileIO.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <random>
#include <system_error>

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
    std::string text = fileErrorText(e) + ": " + path;
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
    void reset() { close(); }

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

// Creates a new, empty temporary file beside target. Returns its descriptor or -1 with
// errno set.
int createTempBeside(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 rng{std::random_device{}()};
    const std::string folder = folderOf(target);
    const std::string base = baseOf(target).substr(0, kTempBaseKeep);
    for (int attempt = 0; attempt < kMaxTempTries; ++attempt) {
        tempPath = joinPath(folder, "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(counter.fetch_add(1)) + "-" +
                                        std::to_string(rng() % 1'000'000));
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                              0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
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
    }
    return "Unknown file error";
}

void setWriteFaultInjector(std::function<FileError(const std::string& path)> injector)
{
    const std::lock_guard lock(g_injectorMutex);
    g_injector = std::move(injector);
}

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
        return fail(FileError::AccessDenied, 0);
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

FileError writeFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes,
                          std::string* message)
{
    auto fail = [&](FileError e, const std::string& shown, int err) {
        if (message)
            *message = describe(e, shown, err);
        return e;
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
            return fail(FileError::AccessDenied, path, 0);
        replacing = true;
    } else if (errno != ENOENT) {
        const int err = errno;
        return fail(fromErrno(err, Activity::Write), path, err);
    }
    if (!target.empty() && target.back() == '/')
        return fail(FileError::InvalidName, path, 0);

    std::string tempPath;
    FileDescriptor fd(createTempBeside(target, tempPath));
    if (fd.get() < 0) {
        const int err = errno;
        return fail(fromErrno(err, Activity::Write), path, err);
    }
    auto abandon = [&](FileError e, int err) {
        fd.close();
        ::unlink(tempPath.c_str());
        return fail(e, path, err);
    };

    if (replacing) {
        // Keep the old file's owner (possible only with the right to do so) and mode bits.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd.get(), st.st_uid, st.st_gid);
        }
        if (::fchmod(fd.get(), st.st_mode & 07777) != 0) {
            const int err = errno;
            return abandon(fromErrno(err, Activity::Write), err);
        }
    }

    std::function<FileError(const std::string&)> injector;
    {
        const std::lock_guard lock(g_injectorMutex);
        injector = g_injector;
    }
    if (injector) {
        const FileError injected = injector(path);
        if (injected != FileError::None)
            return abandon(injected, 0);
    }

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            return abandon(fromErrno(err, Activity::Write), err);
        }
        if (n == 0)
            return abandon(FileError::WriteFailed, 0);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) {
        const int err = errno;
        return abandon(fromErrno(err, Activity::Write), err);
    }
    if (const int err = fd.close(); err != 0) {
        ::unlink(tempPath.c_str());
        return fail(fromErrno(err, Activity::Write), path, err);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(tempPath.c_str());
        return fail(fromErrno(err, Activity::Write), path, err);
    }
    // Make the rename itself durable. The new file is in place whatever this returns, so a
    // failure here (some file systems refuse to flush a folder) is not reported.
    FileDescriptor dir(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
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
