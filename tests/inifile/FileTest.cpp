// Loading and saving INI files, and the program's own settings file end to end.
#include "TestSupport.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace tavisco::testing {
namespace {

using Files = LibraryTest;

// Drops root's right to bypass file permissions for the life of the object (the tests run as
// root in CI). restricted() is false when that was not possible.
class WithoutRootRights {
public:
    WithoutRootRights()
    {
        if (::geteuid() == 0)
            m_switched = ::seteuid(kNobody) == 0;
    }
    ~WithoutRootRights()
    {
        if (m_switched)
            (void)::seteuid(0);
    }
    WithoutRootRights(const WithoutRootRights&) = delete;
    WithoutRootRights& operator=(const WithoutRootRights&) = delete;
    [[nodiscard]] bool restricted() const { return ::geteuid() != 0; }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_switched = false;
};

// Caps the size of any file this process writes, the way a full disk stops a write part-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

const std::string kOldText = "[Old]\r\nkept=yes\r\n\r\n";

Ref<INIFile> fileWithNewText()
{
    Ref<INIFile> ini = Create<INIFile>();
    ini->setText("[New]\r\nvalue=" + std::string(4096, 'x') + "\r\n");
    return ini;
}

TEST_F(Files, LoadingAMissingFileFailsWith53AndChangesNothing)
{
    TempFolder folder;
    Ref<INIFile> ini = newFile();
    ini->setText("[Kept]\r\n");
    ini->setFileName("before.ini");
    const std::string path = folder.file("Brevane.ini");

    const Error e = ini->Load(path);
    EXPECT_TRUE(e.is(ErrorNumber::FileNotFound));
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.source, "INIFile");
    EXPECT_EQ(e.description, "Unable to load file " + path + ": File not found");
    EXPECT_EQ(ini->FileName(), "before.ini");
    EXPECT_EQ(ini->Text(), "[Kept]\r\n\r\n");
    EXPECT_TRUE(ini->Load(folder.file("no-folder/Brevane.ini")).is(ErrorNumber::FileNotFound));
}

TEST_F(Files, OtherLoadFailuresAreNotFileNotFound)
{
    TempFolder folder;
    Ref<INIFile> ini = newFile();
    const Error isFolder = ini->Load(folder.path().string());
    EXPECT_TRUE(isFolder.is(ErrorNumber::PathFileAccess)) << isFolder.number;
    EXPECT_TRUE(isFolder.description.starts_with("Unable to load file ")) << isFolder.description;

    const std::string secret = folder.file("secret.ini");
    writeBytes(secret, kOldText);
    ::chmod(secret.c_str(), 0600);
    WithoutRootRights user;
    if (!user.restricted())
        GTEST_SKIP() << "cannot drop root rights here";
    const Error unreadable = ini->Load(secret);
    EXPECT_TRUE(unreadable.is(ErrorNumber::PathFileAccess)) << unreadable.number;
    EXPECT_EQ(ini->Sections()->Count(), 0);
}

TEST_F(Files, APipeOrADeviceIsRefusedAtOnceWithoutBeingRead)
{
    TempFolder folder;
    const std::string pipe = folder.file("Brevane.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    Ref<INIFile> ini = newFile();
    ini->setText("[Kept]\r\n");
    for (const std::string& path : {pipe, std::string("/dev/null")}) {
        const Error e = ini->Load(path);  // a pipe with no writer must not block
        EXPECT_TRUE(e.is(ErrorNumber::PathFileAccess)) << path << ": " << e.number;
        EXPECT_EQ(e.source, "INIFile");
        EXPECT_EQ(e.description, "Unable to load file " + path + ": Path/File access error");
        EXPECT_EQ(ini->Text(), "[Kept]\r\n\r\n");
    }
}

TEST_F(Files, SaveWritesTheTextExactlyAndLoadReadsItBack)
{
    TempFolder folder;
    const std::string path = folder.file("settings.ini");
    writeBytes(path, kOldText);
    ::chmod(path.c_str(), 0640);

    Ref<INIFile> ini = fileWithNewText();
    ASSERT_TRUE(ini->Save(path).ok());
    EXPECT_EQ(ini->FileName(), path);
    EXPECT_EQ(readBytes(path), ini->Text());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640U) << "the replaced file keeps its permissions";
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"settings.ini"}) << "no temporary file left";

    Ref<INIFile> again = newFile();
    again->setFileName(path);
    ASSERT_TRUE(again->Load().ok()) << "no argument: the FileName property";
    EXPECT_EQ(again->Text(), ini->Text());
    again->setText("[Changed]\r\n");
    ASSERT_TRUE(again->Save().ok());
    EXPECT_EQ(readBytes(path), "[Changed]\r\n\r\n");
}

TEST_F(Files, SavingThroughASymbolicLinkReplacesTheFileItNames)
{
    TempFolder folder;
    const std::string real = folder.file("real.ini");
    const std::string link = folder.file("link.ini");
    writeBytes(real, kOldText);
    ASSERT_EQ(::symlink("real.ini", link.c_str()), 0);
    Ref<INIFile> ini = fileWithNewText();
    ASSERT_TRUE(ini->Save(link).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(real), ini->Text());
}

TEST_F(Files, SavingIntoAMissingFolderFails)
{
    TempFolder folder;
    const std::string path = folder.file("missing/Brevane.ini");
    Ref<INIFile> ini = fileWithNewText();
    const Error e = ini->Save(path);
    EXPECT_TRUE(e.is(ErrorNumber::PathNotFound)) << e.number;
    EXPECT_EQ(e.source, "INIFile");
    EXPECT_EQ(e.description, "Unable to save file " + path + "(Path not found)");
    EXPECT_EQ(ini->FileName(), "");
}

// A failed save reports its error and leaves the previous file whole, with no temporary
// file behind.
TEST_F(Files, AFailedSaveLeavesTheOldFileIntact)
{
    TempFolder folder;
    const std::string path = folder.file("Brevane.ini");
    writeBytes(path, kOldText);
    {
        SCOPED_TRACE("disk full part-way through the write");
        Ref<INIFile> ini = fileWithNewText();
        Error e;
        {
            FileSizeLimit full(64);
            e = ini->Save(path);
        }
        EXPECT_TRUE(e.is(ErrorNumber::DiskFull)) << e.number << " " << e.description;
        EXPECT_EQ(e.description, "Unable to save file " + path + "(Disk full)");
        EXPECT_EQ(ini->FileName(), "");
        EXPECT_EQ(readBytes(path), kOldText);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"Brevane.ini"});
    }

    const std::string readOnlyFolder = folder.file("locked");
    std::filesystem::create_directory(readOnlyFolder);
    const std::string lockedPath = readOnlyFolder + "/Brevane.ini";
    writeBytes(lockedPath, kOldText);
    ::chmod(readOnlyFolder.c_str(), 0555);
    const std::string openFolder = folder.file("open");
    std::filesystem::create_directory(openFolder);
    const std::string readOnlyFile = openFolder + "/Brevane.ini";
    writeBytes(readOnlyFile, kOldText);
    ::chmod(openFolder.c_str(), 0777);
    ::chmod(readOnlyFile.c_str(), 0444);

    WithoutRootRights user;
    if (!user.restricted())
        GTEST_SKIP() << "cannot drop root rights here";
    for (const std::string& target : {lockedPath, readOnlyFile}) {
        SCOPED_TRACE(target);
        Ref<INIFile> ini = fileWithNewText();
        const Error e = ini->Save(target);
        EXPECT_TRUE(e.is(ErrorNumber::PathFileAccess)) << e.number << " " << e.description;
        EXPECT_TRUE(e.description.starts_with("Unable to save file " + target + "(")) << e.description;
        EXPECT_EQ(readBytes(target), kOldText);
        const auto left = std::distance(std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()),
                                        std::filesystem::directory_iterator());
        EXPECT_EQ(left, 1) << "no temporary file left";
    }
}

TEST_F(Files, ASaveKilledPartWayLeavesTheOldFileAndNothingElse)
{
    TempFolder folder;
    const std::string path = folder.file("Brevane.ini");
    writeBytes(path, kOldText);
    // The file size limit kills the saving process (SIGXFSZ) in the middle of the write.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 64 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Ref<INIFile> ini = Create<INIFile>();
        ini->setText("[Big]\r\nvalue=" + std::string(1024 * 1024, 'x') + "\r\n");
        (void)ini->Save(path);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not killed part-way";
    EXPECT_EQ(readBytes(path), kOldText);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"Brevane.ini"});
}

TEST_F(Files, TemporaryFilesOfSavesThatDiedAreRemovedByTheNextSave)
{
    TempFolder folder;
    const std::string path = folder.file("Brevane.ini");
    writeBytes(path, kOldText);
    // A process id that is surely not running any more: a child that has ended.
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string stale = ".Brevane.ini.tmp" + std::to_string(gone) + "-3";
    const std::string running = ".Other.ini.tmp1-0";  // process 1 is always running
    writeBytes(folder.file(stale), "half a file");
    writeBytes(folder.file(running), "being written");
    writeBytes(folder.file(".Brevane.ini.tmpx-1"), "not ours");

    Ref<INIFile> ini = fileWithNewText();
    const Error e = ini->Save(path);
    EXPECT_TRUE(e.is(ErrorNumber::None)) << e.description;
    auto left = folder.entries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".Brevane.ini.tmpx-1", running, "Brevane.ini"}));
}

// The program's settings file as its settings code writes it: three sections with a
// remark each, values read from objects by name, the recent files from an array.
const std::string kBrevaneIni =
    ";MDI initialisation\r\n"
    "[StartUp]\r\n"
    "Left=1200\r\n"
    "Top=900\r\n"
    "Width=9600\r\n"
    "Height=7200\r\n"
    "DataDirectory=/home/user/Brevane/Data/\r\n"
    "MIDIFileDirectory\r\n"
    "ShowSplash=True\r\n"
    "SynthID\r\n"
    "\r\n"
    ";Recent Files List\r\n"
    "[Recent Files]\r\n"
    "File 0=/home/user/Brevane/Data/DX Bank 1.syx\r\n"
    "File 1=/home/user/Brevane/Data/Strings & Brass.dat\r\n"
    "File 2\r\n"
    "File 3\r\n"
    "File 4\r\n"
    "File 5\r\n"
    "\r\n"
    ";ModInit Initialisation\r\n"
    "[MIDI]\r\n"
    "MidiInDeviceName=Midi Through Port-0\r\n"
    "MidiOutDeviceName=USB MIDI Interface = 2\r\n"
    "MIDIInChannel=1\r\n"
    "MIDIOutChannel=16\r\n"
    "MIDIDeviceNumber=0\r\n"
    "SendToB=False\r\n"
    "GetFromB=True\r\n"
    "MIDITimeout=2000\r\n"
    "SkipMIDIInit=False\r\n"
    "\r\n";

const std::vector<std::string> kStartUpKeys{"Left", "Top", "Width", "Height", "DataDirectory",
                                            "MIDIFileDirectory", "ShowSplash", "SynthID"};
const std::vector<std::string> kMidiKeys{"MidiInDeviceName", "MidiOutDeviceName", "MIDIInChannel",
                                         "MIDIOutChannel", "MIDIDeviceNumber", "SendToB",
                                         "GetFromB", "MIDITimeout", "SkipMIDIInit"};

FakeObject mainWindow()
{
    FakeObject o;
    o.properties = {{"Left", Value(1200)}, {"Top", Value(900)}, {"Width", Value(9600)}, {"Height", Value(7200)},
                    {"DataDirectory", Value("/home/user/Brevane/Data/")}, {"MIDIFileDirectory", Value("")},
                    {"ShowSplash", Value(true)}, {"SynthID", Value()}};
    return o;
}

FakeObject midiSettings()
{
    FakeObject o;
    o.properties = {{"MidiInDeviceName", Value("Midi Through Port-0")},
                    {"MidiOutDeviceName", Value("USB MIDI Interface = 2")},
                    {"MIDIInChannel", Value(1)}, {"MIDIOutChannel", Value(16)}, {"MIDIDeviceNumber", Value(0)},
                    {"SendToB", Value(false)}, {"GetFromB", Value(true)}, {"MIDITimeout", Value(2000)},
                    {"SkipMIDIInit", Value(false)}};
    return o;
}

TEST_F(Files, TheSettingsFileIsWrittenReadAndWrittenAgainByteForByte)
{
    TempFolder folder;
    const std::string path = folder.file("Brevane.ini");
    FakeObject window = mainWindow();
    FakeObject midi = midiSettings();
    std::array<Value, 6> recent{Value("/home/user/Brevane/Data/DX Bank 1.syx"),
                                Value("/home/user/Brevane/Data/Strings & Brass.dat"),
                                Value(""), Value(""), Value(""), Value("")};
    {
        Ref<INIFile> ini = Create<INIFile>();
        Ref<Sections> sections = ini->Sections();
        Result<Ref<Section>> startUp = sections->Add("StartUp", "MDI initialisation");
        ASSERT_TRUE(startUp.ok());
        startUp.value->LoadFromObject(window, kStartUpKeys);
        Result<Ref<Section>> files = sections->Add("Recent Files", "Recent Files List");
        ASSERT_TRUE(files.ok());
        ASSERT_TRUE(files.value->LoadFromArray(recent, "File ", false).ok());
        Result<Ref<Section>> midiSection = sections->Add("MIDI", "ModInit Initialisation");
        ASSERT_TRUE(midiSection.ok());
        midiSection.value->LoadFromObject(midi, kMidiKeys);
        ASSERT_TRUE(ini->Save(path).ok());
    }
    EXPECT_EQ(DllCanUnloadNow(), Status::Ok) << "the save released everything";
    ASSERT_EQ(readBytes(path), kBrevaneIni);

    FakeObject window2 = mainWindow();
    window2.properties["SynthID"] = Value(2);
    window2.properties["MIDIFileDirectory"] = Value("/old/");
    FakeObject midi2 = midiSettings();
    std::array<Value, 6> recent2{Value("stale"), Value("stale"), Value("stale"), Value("stale"), Value("stale"),
                                 Value("stale")};
    {
        Ref<INIFile> ini = Create<INIFile>();
        ASSERT_TRUE(ini->Load(path).ok());
        EXPECT_EQ(ini->ParsingErrors(), 0);
        section(ini, "StartUp")->SaveToObject(window2);
        section(ini, "MIDI")->SaveToObject(midi2);
        section(ini, "Recent Files")->SaveToArray(recent2, "File ");
        const std::string copy = folder.file("copy.ini");
        ASSERT_TRUE(ini->Save(copy).ok());
        EXPECT_EQ(readBytes(copy), kBrevaneIni);
    }
    EXPECT_EQ(DllCanUnloadNow(), Status::Ok) << "the load released everything";

    EXPECT_TRUE(window2.properties["SynthID"].isEmpty()) << "a bare SynthID reads back as empty";
    EXPECT_TRUE(window2.properties["MIDIFileDirectory"].isEmpty()) << "an empty text is written as a bare key";
    EXPECT_EQ(window2.properties["ShowSplash"], Value("True"));
    EXPECT_EQ(window2.properties["Left"], Value("1200"));
    EXPECT_EQ(midi2.properties["MidiOutDeviceName"], Value("USB MIDI Interface = 2"));
    EXPECT_EQ(recent2[1], Value("/home/user/Brevane/Data/Strings & Brass.dat"));
    EXPECT_TRUE(recent2[5].isEmpty());
}

TEST_F(Files, AMissingSectionIsAFailedLookupWithADescription)
{
    Ref<INIFile> ini = newFile();
    ini->setText("[StartUp]\r\nLeft=1\r\n[MIDI]\r\n");
    const Result<Ref<Section>> missing = ini->Sections()->Item("Recent Files");
    EXPECT_TRUE(missing.failed());
    EXPECT_FALSE(missing.value);
    EXPECT_FALSE(missing.error.is(ErrorNumber::FileNotFound));
    EXPECT_FALSE(missing.error.description.empty());
}

}  // namespace
}  // namespace tavisco::testing
