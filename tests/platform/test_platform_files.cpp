// Whole-file reading, atomic writing, and file names.
#include "platform/FileIO.h"
#include "platform/VbText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

class FileIOTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string templ = (fs::temp_directory_path() / "brevane-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        m_dir = templ;
    }
    void TearDown() override
    {
        setWriteFaultInjector(nullptr);
        setWriteCommitHook(nullptr);
        setAnonymousTemporaryFiles(true);
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }

    void put(const std::string& name, const std::string& content) const
    {
        std::ofstream(path(name), std::ios::binary) << content;
    }

    std::string contentOf(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    unsigned modeOf(const std::string& name) const
    {
        struct stat st {};
        EXPECT_EQ(::stat(path(name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    std::string m_dir;
};

// ---- Reading ----

TEST_F(FileIOTest, ReadsEveryByteValue)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    put("all.dat", all);
    const ReadResult r = readWholeFile(path("all.dat"));
    ASSERT_EQ(r.error, FileError::None) << r.message;
    EXPECT_EQ(r.bytes, bytesOf(all));
    EXPECT_TRUE(r.message.empty());
}

TEST_F(FileIOTest, ReadsAnEmptyFile)
{
    put("empty.dat", "");
    const ReadResult r = readWholeFile(path("empty.dat"));
    EXPECT_EQ(r.error, FileError::None);
    EXPECT_TRUE(r.bytes.empty());
}

TEST_F(FileIOTest, ReadingAMissingFileNeitherSucceedsNorCreatesIt)
{
    const ReadResult r = readWholeFile(path("missing.dat"));
    EXPECT_EQ(r.error, FileError::NotFound);
    EXPECT_NE(r.message.find("missing.dat"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("missing.dat")));
    EXPECT_EQ(readWholeFile(path("no-folder/x.dat")).error, FileError::NotFound);
}

TEST_F(FileIOTest, ReadRefusesFoldersAndSpecialFiles)
{
    fs::create_directory(path("sub.dat"));
    EXPECT_EQ(readWholeFile(path("sub.dat")).error, FileError::IsDirectory);
    // A pipe without a writer would block a plain open; it is refused instead.
    ASSERT_EQ(::mkfifo(path("pipe.dat").c_str(), 0600), 0);
    const ReadResult pipe = readWholeFile(path("pipe.dat"));
    EXPECT_EQ(pipe.error, FileError::NotAFile);
    EXPECT_EQ(pipe.message, path("pipe.dat") + " is not a file");
    EXPECT_EQ(readWholeFile("/dev/null").error, FileError::NotAFile);
}

TEST_F(FileIOTest, ReadRefusesBadNames)
{
    EXPECT_EQ(readWholeFile("").error, FileError::InvalidName);
    EXPECT_EQ(readWholeFile(std::string("a\0b", 3)).error, FileError::InvalidName);
    EXPECT_EQ(readWholeFile(path(std::string(5000, 'x'))).error, FileError::InvalidName);
}

TEST_F(FileIOTest, ReadHonoursTheSizeLimit)
{
    put("hundred.dat", std::string(100, 'v'));
    const ReadResult over = readWholeFile(path("hundred.dat"), 99);
    EXPECT_EQ(over.error, FileError::TooLarge);
    EXPECT_TRUE(over.bytes.empty());
    const ReadResult exact = readWholeFile(path("hundred.dat"), 100);
    EXPECT_EQ(exact.error, FileError::None);
    EXPECT_EQ(exact.bytes.size(), 100u);
}

TEST_F(FileIOTest, ReadsFilesWhoseReportedSizeIsWrong)
{
    // Files under /proc report size 0 but have content; the reader goes to the end.
    const ReadResult r = readWholeFile("/proc/self/status");
    ASSERT_EQ(r.error, FileError::None) << r.message;
    const std::string text(r.bytes.begin(), r.bytes.end());
    EXPECT_NE(text.find("Pid:"), std::string::npos);
    EXPECT_EQ(readWholeFile("/proc/self/status", 10).error, FileError::TooLarge);
}

// ---- Writing ----

TEST_F(FileIOTest, WritesANewFileWithTheUsualPermissions)
{
    const mode_t old = ::umask(022);
    const auto data = bytesOf(std::string("\x00\x80\xff voice", 9));
    EXPECT_EQ(writeFileAtomic(path("new.dat"), data), FileError::None);
    ::umask(old);
    EXPECT_EQ(contentOf("new.dat"), std::string("\x00\x80\xff voice", 9));
    EXPECT_EQ(modeOf("new.dat"), 0644u);
    EXPECT_EQ(entries(), std::vector<std::string>{"new.dat"});
}

TEST_F(FileIOTest, WritesAnEmptyFile)
{
    EXPECT_EQ(writeFileAtomic(path("empty.dat"), {}), FileError::None);
    EXPECT_EQ(fileSize(path("empty.dat")), 0);
}

TEST_F(FileIOTest, ReplacingKeepsThePermissionBits)
{
    put("bank.dat", "old contents");
    ::chmod(path("bank.dat").c_str(), 0640);
    EXPECT_EQ(writeFileAtomic(path("bank.dat"), bytesOf("new")), FileError::None);
    EXPECT_EQ(contentOf("bank.dat"), "new");
    EXPECT_EQ(modeOf("bank.dat"), 0640u);
    EXPECT_EQ(entries(), std::vector<std::string>{"bank.dat"});
}

TEST_F(FileIOTest, WritingThroughASymbolicLinkKeepsTheLink)
{
    put("real.dat", "old");
    fs::create_symlink(path("real.dat"), path("link.dat"));
    EXPECT_EQ(writeFileAtomic(path("link.dat"), bytesOf("new")), FileError::None);
    EXPECT_TRUE(fs::is_symlink(path("link.dat")));
    EXPECT_EQ(contentOf("real.dat"), "new");
}

TEST_F(FileIOTest, WriteRefusesFoldersSpecialFilesAndBadNames)
{
    fs::create_directory(path("sub.dat"));
    EXPECT_EQ(writeFileAtomic(path("sub.dat"), bytesOf("x")), FileError::IsDirectory);
    EXPECT_TRUE(fs::is_directory(path("sub.dat")));

    ASSERT_EQ(::mkfifo(path("pipe.dat").c_str(), 0600), 0);
    std::string message;
    EXPECT_EQ(writeFileAtomic(path("pipe.dat"), bytesOf("x"), &message), FileError::NotAFile);
    EXPECT_TRUE(fs::is_fifo(path("pipe.dat")));
    EXPECT_EQ(message, path("pipe.dat") + " is not a file");

    EXPECT_EQ(writeFileAtomic("", bytesOf("x")), FileError::InvalidName);
    EXPECT_EQ(writeFileAtomic(std::string("a\0b", 3), bytesOf("x")), FileError::InvalidName);
    EXPECT_EQ(writeFileAtomic(path("none/"), bytesOf("x")), FileError::InvalidName);
    EXPECT_EQ(writeFileAtomic(path("no-folder/x.dat"), bytesOf("x"), &message), FileError::NotFound);
    EXPECT_EQ(message, "Folder not found: " + path("no-folder"));
    // A link to itself: said to be a loop, and left as it is.
    fs::create_symlink("loop.dat", path("loop.dat"));
    EXPECT_EQ(writeFileAtomic(path("loop.dat"), bytesOf("x"), &message), FileError::InvalidName);
    EXPECT_EQ(message, "Symbolic link loop: " + path("loop.dat"));
    EXPECT_TRUE(fs::is_symlink(path("loop.dat")));
    EXPECT_EQ((std::vector<std::string>{"loop.dat", "pipe.dat", "sub.dat"}), entries());
}

TEST_F(FileIOTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    put("bank.dat", "precious");
    std::string seenPath;
    setWriteFaultInjector([&](const std::string& p) {
        seenPath = p;
        return FileError::NoSpace;
    });
    std::string message;
    EXPECT_EQ(writeFileAtomic(path("bank.dat"), bytesOf("replacement"), &message),
              FileError::NoSpace);
    EXPECT_EQ(seenPath, path("bank.dat"));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(contentOf("bank.dat"), "precious");
    EXPECT_EQ(entries(), std::vector<std::string>{"bank.dat"});

    // A failed first save creates nothing.
    EXPECT_EQ(writeFileAtomic(path("fresh.dat"), bytesOf("x")), FileError::NoSpace);
    EXPECT_EQ(entries(), std::vector<std::string>{"bank.dat"});

    setWriteFaultInjector(nullptr);
    EXPECT_EQ(writeFileAtomic(path("bank.dat"), bytesOf("replacement")), FileError::None);
    EXPECT_EQ(contentOf("bank.dat"), "replacement");
}

TEST_F(FileIOTest, ARealWriteErrorLeavesTheOldFile)
{
    // The file size limit makes write() itself fail part-way, as a full disk would.
    put("bank.dat", "precious");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::vector<std::uint8_t> big(4096, 0x55);
        ::_exit(static_cast<int>(writeFileAtomic(path("bank.dat"), big)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(FileError::TooLarge));
    EXPECT_EQ(contentOf("bank.dat"), "precious");
    EXPECT_EQ(entries(), std::vector<std::string>{"bank.dat"});
}

// Exit code of a child that could not give up root's rights.
constexpr int kCannotDropRights = 77;

// Runs fn in a child process as an ordinary user (nobody, when the tests run as root:
// permission bits do not stop root) and returns its exit code, or kCannotDropRights.
int exitCodeAsUser(const std::function<int()>& fn)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(kCannotDropRights);
        ::_exit(fn());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(FileIOTest, AnUnwritableFolderIsReportedAsAccessDenied)
{
    put("bank.dat", "precious");
    ::chmod(m_dir.c_str(), 0555);
    const int code =
        exitCodeAsUser([&] { return static_cast<int>(writeFileAtomic(path("bank.dat"), bytesOf("x"))); });
    ::chmod(m_dir.c_str(), 0700);
    if (code == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(code, static_cast<int>(FileError::AccessDenied));
    EXPECT_EQ(contentOf("bank.dat"), "precious");
}

TEST_F(FileIOTest, AReadOnlyFileIsNeverReplaced)
{
    // The folder may be written, so only the file's own permission stands in the way.
    put("locked.dat", "precious");
    put("open.dat", "old");
    ::chmod(path("locked.dat").c_str(), 0444);
    ::chmod(path("open.dat").c_str(), 0666);
    ::chmod(m_dir.c_str(), 0777);
    const int code = exitCodeAsUser([&] {
        std::string message;
        const FileError locked = writeFileAtomic(path("locked.dat"), bytesOf("replacement"), &message);
        const FileError open = writeFileAtomic(path("open.dat"), bytesOf("new"));
        if (message.find("Access denied") == std::string::npos)
            return 1;
        return static_cast<int>(locked) * 16 + static_cast<int>(open);
    });
    ::chmod(m_dir.c_str(), 0700);
    if (code == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(code, static_cast<int>(FileError::AccessDenied) * 16 + static_cast<int>(FileError::None));
    EXPECT_EQ(contentOf("locked.dat"), "precious");
    EXPECT_EQ(modeOf("locked.dat"), 0444U);
    EXPECT_EQ(contentOf("open.dat"), "new");
    EXPECT_EQ(entries(), (std::vector<std::string>{"locked.dat", "open.dat"}));
}

TEST_F(FileIOTest, AKilledSaveLeavesTheOldFileAndTheNextSaveLeavesOneFile)
{
    const std::vector<std::uint8_t> big(2 * 1024 * 1024, 0x42);
    for (const bool anonymous : {true, false}) {
        SCOPED_TRACE(anonymous ? "temporary file without a name" : "named temporary file");
        put("bank.dat", "the old bank");
        // A save that dies once its data is written, before the new file is in place.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setAnonymousTemporaryFiles(anonymous);
            setWriteCommitHook([](const std::string&) { ::_exit(9); });
            ::_exit(static_cast<int>(writeFileAtomic(path("bank.dat"), big)));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 9) << "the save was not stopped before it finished";
        EXPECT_EQ(contentOf("bank.dat"), "the old bank");
        EXPECT_EQ(entries().size(), anonymous ? 1U : 2U);

        // A temporary file of a program that is still running, and files that only look
        // like temporary files, are left alone.
        put(".other.dat.tmp-1-0-0", "init is alive");
        put(".notes.tmp-x-1-2", "not ours");
        put("bank.dat.tmp-123456789-1-2", "no leading dot");
        EXPECT_EQ(writeFileAtomic(path("bank.dat"), bytesOf("the new bank")), FileError::None);
        EXPECT_EQ(contentOf("bank.dat"), "the new bank");
        EXPECT_EQ(entries(), (std::vector<std::string>{".notes.tmp-x-1-2", ".other.dat.tmp-1-0-0", "bank.dat",
                                                       "bank.dat.tmp-123456789-1-2"}));
        for (const char* name : {".notes.tmp-x-1-2", ".other.dat.tmp-1-0-0", "bank.dat.tmp-123456789-1-2"})
            fs::remove(path(name));
    }
}

TEST_F(FileIOTest, BothKindsOfTemporaryFileGiveTheSameFiles)
{
    for (const bool anonymous : {true, false}) {
        SCOPED_TRACE(anonymous ? "temporary file without a name" : "named temporary file");
        setAnonymousTemporaryFiles(anonymous);
        EXPECT_EQ(writeFileAtomic(path("new.dat"), bytesOf("first")), FileError::None);
        EXPECT_EQ(contentOf("new.dat"), "first");
        ::chmod(path("new.dat").c_str(), 0640);
        EXPECT_EQ(writeFileAtomic(path("new.dat"), bytesOf("second")), FileError::None);
        EXPECT_EQ(contentOf("new.dat"), "second");
        EXPECT_EQ(modeOf("new.dat"), 0640U) << "the old file's permissions are kept";
        EXPECT_EQ(entries(), std::vector<std::string>{"new.dat"});
        fs::remove(path("new.dat"));
    }
}

// ---- Queries ----

TEST_F(FileIOTest, SizeExistenceAndDeletion)
{
    put("five.dat", "12345");
    fs::create_directory(path("sub"));
    fs::create_symlink(path("five.dat"), path("link.dat"));

    EXPECT_EQ(fileSize(path("five.dat")), 5);
    EXPECT_EQ(fileSize(path("link.dat")), 5);
    EXPECT_EQ(fileSize(path("sub")), -1);
    EXPECT_EQ(fileSize(path("missing")), -1);
    EXPECT_TRUE(fileExists(path("five.dat")));
    EXPECT_FALSE(fileExists(path("sub")));
    EXPECT_FALSE(fileExists(path("missing")));

    EXPECT_FALSE(deleteFile(path("sub")));
    EXPECT_TRUE(fs::is_directory(path("sub")));
    EXPECT_FALSE(deleteFile(path("missing")));
    EXPECT_TRUE(deleteFile(path("link.dat")));  // the link goes, its file stays
    EXPECT_TRUE(fileExists(path("five.dat")));
    EXPECT_TRUE(deleteFile(path("five.dat")));
    EXPECT_FALSE(fileExists(path("five.dat")));
}

TEST_F(FileIOTest, CanonicalPathTellsTheSameFileByTwoPaths)
{
    put("bank.dat", "x");
    fs::create_directory(path("sub"));
    fs::create_symlink(path("bank.dat"), path("sub/alias.dat"));
    const std::string direct = canonicalPath(path("bank.dat"));
    EXPECT_EQ(direct.front(), '/');
    EXPECT_EQ(canonicalPath(path("sub/../bank.dat")), direct);
    EXPECT_EQ(canonicalPath(path("./sub/./alias.dat")), direct);
    EXPECT_EQ(canonicalPath(m_dir + "//bank.dat"), direct);
    // A path that does not exist yet is still made absolute and normalised.
    const std::string base = canonicalPath(m_dir);
    EXPECT_EQ(canonicalPath(path("sub/x/../new.dat")), base + "/sub/new.dat");
    EXPECT_EQ(canonicalPath(m_dir + "/"), base);
    EXPECT_EQ(canonicalPath("."), canonicalPath(fs::current_path().string()));
    EXPECT_EQ(canonicalPath(""), "");
}

TEST_F(FileIOTest, UniqueFileNameSkipsEveryTakenName)
{
    EXPECT_EQ(uniqueFileName(m_dir, "Bank", ".dat"), path("Bank 1.dat"));
    put("Bank 1.dat", "");
    put("Bank 2.dat", "");
    fs::create_directory(path("Bank 3.dat"));
    fs::create_symlink(path("nowhere"), path("Bank 4.dat"));
    EXPECT_EQ(uniqueFileName(m_dir, "Bank", ".dat"), path("Bank 5.dat"));
    EXPECT_EQ(uniqueFileName(m_dir + "/", "Bank", "dat"), path("Bank 5.dat"));
    EXPECT_EQ(uniqueFileName(m_dir, "Bank", ""), path("Bank 1"));
    // A stem ending in a blank gives the two blanks of a number written with its sign blank.
    EXPECT_EQ(uniqueFileName(m_dir, "DX Setup ", ".dat"), path("DX Setup  1.dat"));
}

TEST_F(FileIOTest, UniqueFileNameWithTheNumberInsideTheName)
{
    const auto delName = [](std::int64_t n) { return "Del " + Format(n, "#### from ") + "Strings.dat"; };
    std::int64_t used = -1;
    EXPECT_EQ(uniqueFileName(m_dir, delName, 0, &used), path("Del  from Strings.dat"));
    EXPECT_EQ(used, 0);
    put("Del  from Strings.dat", "");
    put("Del 1 from Strings.dat", "");
    EXPECT_EQ(uniqueFileName(m_dir, delName, 0, &used), path("Del 2 from Strings.dat"));
    EXPECT_EQ(used, 2);
    EXPECT_EQ(joinPath("", "a.dat"), "a.dat");
    EXPECT_EQ(joinPath("/x/", "a.dat"), "/x/a.dat");
    EXPECT_EQ(joinPath("/x", "a.dat"), "/x/a.dat");
}

TEST(FileErrorText, EveryCodeHasAText)
{
    for (int i = 0; i <= 8; ++i)
        EXPECT_FALSE(fileErrorText(static_cast<FileError>(i)).empty());
    EXPECT_EQ(fileErrorText(FileError::NotFound), "File not found");
}

}  // namespace
