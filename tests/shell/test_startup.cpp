// The main window's real start-up and shut-down, offscreen, with its settings file.
#include "banklib/AppState.h"
#include "banklib/CatalogueDialogs.h"
#include "banklib/VoiceListRegistry.h"
#include "midiui/MidiInitSetup.h"
#include "platform/StatusHelpers.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/QtEventLoop.h"
#include "shell/QtHelpService.h"
#include "shell/QtStatusService.h"
#include "shell/ShellAppState.h"
#include "shell/ShellHelpers.h"
#include "shell/frmHelp.h"
#include "shell/frmSplash.h"
#include "shell/frmStartup.h"

#include "ShellTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace shell {
namespace {

using platform::testing::ScriptedServices;
using shell::testing::readFile;
using shell::testing::TempFolder;
using shell::testing::writeFile;

// Voice lists as plain MDI children: each can refuse to close.
class FakeLists final : public VoiceListHooks {
public:
    explicit FakeLists(frmStartup& main) : m_main(main) {}

    struct List {
        QMdiSubWindow* window = nullptr;
        bool refuse = false;
        std::int32_t selections = 0;
        bool renaming = false;
    };
    std::vector<List> lists;
    std::vector<std::string> calls;
    bool dataAccess = true;
    bool clipboard = false;

    QMdiSubWindow* open(bool refuse = false)
    {
        QMdiSubWindow* w = m_main.mdiArea()->addSubWindow(new QWidget);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        lists.push_back({w, refuse, 0, false});
        m_main.mdiArea()->setActiveSubWindow(w);
        m_main.updateCommands();
        return w;
    }
    List* find(QMdiSubWindow* w)
    {
        for (List& l : lists)
            if (l.window == w)
                return &l;
        return nullptr;
    }

    bool dataAccessAvailable() override { return dataAccess; }
    void fileNew() override { calls.push_back("new"); }
    void fileOpen() override { calls.push_back("open"); }
    void fileClose(QMdiSubWindow* active) override
    {
        calls.push_back(find(active) ? "close list" : "close nothing");
    }
    void fileCloseAll() override { calls.push_back("close all"); }
    void fileSave(bool saveAs) override { calls.push_back(saveAs ? "save as" : "save"); }
    void openRecentFile(const std::string& path) override { calls.push_back("recent " + path); }
    void editCommand(CommandId id) override { calls.push_back("edit " + std::string(commandSpec(id).caption)); }
    bool closeAllForExit() override
    {
        while (!lists.empty()) {
            if (lists.front().refuse) {
                m_main.setUnloadCancelled(true);
                return false;
            }
            QMdiSubWindow* w = lists.front().window;
            lists.erase(lists.begin());
            w->close();
        }
        return true;
    }
    std::int32_t openListCount() const override { return static_cast<std::int32_t>(lists.size()); }
    ActiveChildState describeChild(QMdiSubWindow* window) const override
    {
        if (!window)
            return {};
        for (const List& l : lists)
            if (l.window == window)
                return {ChildKind::VoiceList, l.selections, l.renaming};
        return {ChildKind::Other, 0, false};
    }
    bool clipboardHasVoices() const override { return clipboard; }
    CommandFeatures features() const override
    {
        CommandFeatures f;
        f.voiceFiles = f.editCommands = f.sortList = true;
        return f;
    }
    banklib::VoiceListRegistry* registry() override { return nullptr; }
    void activeViews(QMdiSubWindow*, banklib::ActiveWindow&) override {}
    banklib::CatalogueDialogs* catalogueDialogs() override { return nullptr; }

private:
    frmStartup& m_main;
};

// MIDI settings whose ports can be open.
class FakeMidi final : public MidiInitSetup {
public:
    bool inOpen = false;
    bool outOpen = false;
    int closeCalls = 0;
    bool appClosingSeen = false;
    bool online = false;  // ports that are open count as a MIDI system
    bool MidiInOpen() const override { return inOpen; }
    bool MidiOutOpen() const override { return outOpen; }
    bool available() const override { return online || MidiInitSetup::available(); }
    bool inputRunning() const override { return inOpen; }
    void CloseMidiDevices(bool input, bool output) override
    {
        ++closeCalls;
        appClosingSeen = frmStartup::instance() && frmStartup::instance()->AppClosing();
        if (input)
            inOpen = false;
        if (output)
            outOpen = false;
    }
};

class StartupTest : public ::testing::Test {
protected:
    StartupTest()
    {
        platform::installEventLoop(&loop);
        platform::installStatusService(&status);
    }
    ~StartupTest() override
    {
        platform::installEventLoop(nullptr);
        platform::installStatusService(nullptr);
    }

    // A program installed in a read-only place, with an empty home: settings and data go
    // to the XDG folders under home.
    AppPaths installedPaths() const
    {
        const std::string homeFolder = home.folder();
        return resolveAppPaths(
            program.folder(), [homeFolder](const char* name) { return std::string(name) == "HOME" ? homeFolder : ""; },
            [](const std::string&) { return false; });
    }
    AppPaths besideProgram() const
    {
        AppPaths p;
        p.programFolder = program.folder();
        p.settingsFile = program.file("Brevane.ini");
        p.dataBaseFolder = program.folder();
        p.besideProgram = true;
        return p;
    }

    std::unique_ptr<frmStartup> makeWindow(AppPaths paths, FakeLists** lists = nullptr, FakeMidi** midi = nullptr,
                                           std::int32_t splashMs = 0)
    {
        StartupOptions options;
        options.paths = std::move(paths);
        options.splashMs = splashMs;
        options.makeVoiceLists = [lists](frmStartup& main) {
            auto fake = std::make_unique<FakeLists>(main);
            if (lists)
                *lists = fake.get();
            return fake;
        };
        options.makeMidiSetup = [midi]() {
            auto fake = std::make_unique<FakeMidi>();
            if (midi)
                *midi = fake.get();
            return fake;
        };
        auto w = std::make_unique<frmStartup>(std::move(options));
        status.setMainWindow(w.get());
        return w;
    }

    ScriptedServices services;  // message boxes are answered and recorded
    QtEventLoop loop;
    QtStatusService status;
    TempFolder program;
    TempFolder home;
};

TEST_F(StartupTest, FirstRunWritesItsSettingsAndTheSecondRunReadsThemBack)
{
    const AppPaths paths = installedPaths();
    {
        auto w = makeWindow(paths, nullptr, nullptr, 300);
        // The splash shows while the main window is still hidden.
        bool splashSeen = false;
        bool mainHiddenDuringSplash = false;
        // Fires at the first event pass, which is the splash's own wait.
        QTimer::singleShot(0, w.get(), [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<frmSplash*>(top) && top->isVisible())
                    splashSeen = true;
            mainHiddenDuringSplash = !w->isVisible();
        });
        ASSERT_TRUE(w->Form_Load());
        EXPECT_TRUE(splashSeen);
        EXPECT_TRUE(mainHiddenDuringSplash);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), QStringLiteral("  Brevane"));
        EXPECT_EQ(w->settingsLoadResult().outcome, SettingsLoad::FileMissing);
        EXPECT_EQ(w->ShowSplash(), true);
        EXPECT_EQ(w->settingsGeometry(), frmStartup::kDesignedGeometry);
        // No Data folder with voice files: the data folder is the XDG data folder itself.
        EXPECT_EQ(w->DataDirectory(), home.folder() + ".local/share/Brevane/");
        EXPECT_TRUE(std::filesystem::is_directory(w->DataDirectory()));
        EXPECT_TRUE(services.messagesShown().empty());

        w->setShowSplash(false);
        ASSERT_TRUE(w->setSynthID(2));
        ASSERT_TRUE(w->objMIDIInit().setMIDIOutChannel(7));
        ASSERT_TRUE(w->objMIDIInit().setMIDITimeout(4500));
        w->setMIDIFileDirectory("/music/midi/");
        w->setRecentFileList({"/banks/one.dat", "/banks/two.syx"});
        w->setSettingsGeometry(QRect(40, 50, 700, 500));
        EXPECT_TRUE(w->close());
        EXPECT_FALSE(w->isVisible());
    }
    const std::string text = readFile(home.file(".config/Brevane/Brevane.ini"));
    EXPECT_NE(text.find("SynthID=2\r\n"), std::string::npos);
    EXPECT_NE(text.find("ShowSplash=False\r\n"), std::string::npos);
    EXPECT_NE(text.find("File 0=/banks/one.dat\r\n"), std::string::npos);
    EXPECT_NE(text.find("Left=600\r\nTop=750\r\nWidth=10500\r\nHeight=7500\r\n"), std::string::npos);

    auto w = makeWindow(paths);
    bool splashSeen = false;
    QTimer::singleShot(0, w.get(), [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            splashSeen = splashSeen || qobject_cast<frmSplash*>(top);
    });
    ASSERT_TRUE(w->Form_Load());
    EXPECT_FALSE(splashSeen);
    EXPECT_EQ(w->settingsLoadResult().outcome, SettingsLoad::Read);
    EXPECT_EQ(w->ShowSplash(), false);
    EXPECT_EQ(w->SynthID(), 2);
    EXPECT_EQ(w->objMIDIInit().MIDIOutChannel(), 7);
    EXPECT_EQ(w->objMIDIInit().MIDITimeout(), 4500);
    EXPECT_EQ(w->MIDIFileDirectory(), "/music/midi/");
    EXPECT_EQ(w->settingsGeometry(), QRect(40, 50, 700, 500));
    EXPECT_EQ(w->recentFileList(), (std::vector<std::string>{"/banks/one.dat", "/banks/two.syx"}));
    EXPECT_TRUE(w->action(CommandId::FileRecent2)->isVisible());
    EXPECT_EQ(w->action(CommandId::FileRecent2)->text(), QStringLiteral("2 /banks/two.syx"));
    EXPECT_FALSE(w->action(CommandId::FileRecent3)->isVisible());
    EXPECT_TRUE(services.messagesShown().empty());
    EXPECT_TRUE(w->close());
}

TEST_F(StartupTest, ADataFolderWithVoiceFilesBecomesTheDataDirectory)
{
    writeFile(program.file("Data/rom1.dat"), std::string(4096, '\0'));
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    EXPECT_EQ(w->DataDirectory(), program.folder() + "Data/");
    EXPECT_TRUE(w->close());
    EXPECT_NE(readFile(program.file("Brevane.ini")).find("DataDirectory=" + program.folder() + "Data/\r\n"),
              std::string::npos);
}

TEST_F(StartupTest, ADataDirectoryFromTheSettingsIsKeptAsItIs)
{
    const std::string gone = home.folder() + "unplugged/banks/";
    writeFile(program.file("Brevane.ini"),
              "[StartUp]\r\nDataDirectory=" + gone + "\r\nShowSplash=False\r\n[Recent Files]\r\n[MIDI]\r\n");
    writeFile(program.file("Data/rom1.dat"), "x");
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    EXPECT_EQ(w->DataDirectory(), gone);
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(w->close());
}

TEST_F(StartupTest, ExitStopsAtTheListWhoseCloseIsRefused)
{
    FakeLists* lists = nullptr;
    FakeMidi* midi = nullptr;
    auto w = makeWindow(besideProgram(), &lists, &midi);
    ASSERT_TRUE(w->Form_Load());
    QMdiSubWindow* first = lists->open();
    QMdiSubWindow* second = lists->open(true);
    QMdiSubWindow* third = lists->open();
    midi->inOpen = midi->outOpen = true;

    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->UnloadCancelled());
    EXPECT_EQ(lists->lists.size(), 2u);
    EXPECT_EQ(lists->lists[0].window, second);
    EXPECT_EQ(lists->lists[1].window, third);
    (void)first;
    EXPECT_EQ(midi->closeCalls, 0);
    EXPECT_TRUE(midi->inOpen && midi->outOpen);
    EXPECT_FALSE(std::filesystem::exists(program.file("Brevane.ini")));

    // Once the list lets go, exit runs to the end: ports closed, settings written.
    lists->lists[0].refuse = false;
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(lists->lists.empty());
    EXPECT_EQ(midi->closeCalls, 1);
    EXPECT_TRUE(midi->appClosingSeen);
    EXPECT_TRUE(std::filesystem::exists(program.file("Brevane.ini")));
}

TEST_F(StartupTest, ExitWithNothingOpenClosesOtherWindowsAndWritesTheSettings)
{
    FakeMidi* midi = nullptr;
    auto w = makeWindow(besideProgram(), nullptr, &midi);
    ASSERT_TRUE(w->Form_Load());
    QMdiSubWindow* other = w->mdiArea()->addSubWindow(new QWidget);
    other->show();
    QWidget loose;
    loose.show();
    EXPECT_TRUE(w->close());
    EXPECT_EQ(midi->closeCalls, 0);
    EXPECT_FALSE(loose.isVisible());
    EXPECT_TRUE(w->mdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(std::filesystem::exists(program.file("Brevane.ini")));
}

// Closing asked for inside a wait runs after the wait, not under it.
TEST_F(StartupTest, CloseDuringAWaitIsDeferredUntilTheWaitEnds)
{
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    bool fired = false;
    bool visibleAfterCloseRequest = false;
    QTimer::singleShot(20, w.get(), [&] {
        w->mnuExit_Click();
        visibleAfterCloseRequest = w->isVisible();
        fired = true;
    });
    // Every pass is a wait of its own, so the timer fires inside one even on a loaded machine.
    for (int i = 0; i < 1000 && !fired; ++i)
        platform::PauseWithEvents(10);
    ASSERT_TRUE(fired);
    EXPECT_TRUE(visibleAfterCloseRequest);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(std::filesystem::exists(program.file("Brevane.ini")));
    // Back in the main loop the close goes ahead.
    for (int i = 0; i < 200 && w->isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(std::filesystem::exists(program.file("Brevane.ini")));
}

TEST_F(StartupTest, WithoutDataAccessTheProgramEndsAndWritesNothing)
{
    StartupOptions options;
    options.paths = besideProgram();
    options.makeVoiceLists = [](frmStartup& main) {
        auto fake = std::make_unique<FakeLists>(main);
        fake->dataAccess = false;
        return fake;
    };
    frmStartup w(std::move(options));
    EXPECT_FALSE(w.Form_Load());
    EXPECT_TRUE(w.MDACMissing());
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].title, "MDAC Missing/Incorrect Version");
    EXPECT_EQ(services.messagesShown()[0].style, 48);
    EXPECT_NE(services.messagesShown()[0].text.find("MDAC 2.5 or later is required to run Brevane."),
              std::string::npos);
    w.close();
    EXPECT_FALSE(std::filesystem::exists(program.file("Brevane.ini")));
}

TEST_F(StartupTest, ASettingsFileThatCannotBeReadIsNotOverwritten)
{
    std::filesystem::create_directories(program.file("Brevane.ini"));
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    EXPECT_EQ(w->settingsLoadResult().outcome, SettingsLoad::Unreadable);
    EXPECT_TRUE(w->close());
    // The load's message, then why it was not saved over: no copy of it could be kept.
    ASSERT_EQ(services.messagesShown().size(), 2u);
    EXPECT_EQ(services.messagesShown()[0].title, "IniFile Error");
    EXPECT_NE(services.messagesShown()[1].text.find("no copy of it could be kept"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(program.file("Brevane.ini")));
}

TEST_F(StartupTest, AFailedSettingsWriteIsReported)
{
    AppPaths paths = besideProgram();
    paths.settingsFile = program.file("config/Brevane.ini");
    auto w = makeWindow(paths);
    ASSERT_TRUE(w->Form_Load());
    writeFile(program.file("config"), "a file where the folder should be");
    EXPECT_TRUE(w->close());
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].title, "IniFile Error");
    EXPECT_NE(services.messagesShown()[0].text.find("Unable to save file"), std::string::npos);
}

// The main window opens from its settings with its whole frame on the screen: where they
// fit, exactly as they say; where they ask for more than the screen has, shrunk to it. The
// help window opens whole on the screen too, and a new child window whole within the area.
// The test runs once more in a program of its own at twice the scale on a 1600x1000 screen.
TEST_F(StartupTest, TheWindowsOpenWholeOnTheScreen)
{
    const bool scaled = qEnvironmentVariableIsSet("BREVANE_TEST_SCALED");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (scaled) {
        ASSERT_EQ(area.size(), QSize(800, 500));
    }
    auto text = [](const QRect& r) {
        return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
               std::to_string(r.height());
    };
    struct Case {
        const char* what;
        QRect settings;  // pixels
    };
    for (const Case& c : {Case{"as designed", {20, 20, 760, 540}},
                          Case{"written on a larger screen", {1700, 30, 2400, 1500}},
                          Case{"far off and flat", {-6000, 60000, 66666, 1}}}) {
        SCOPED_TRACE(c.what);
        const int k = frmStartup::kTwipsPerPixel;
        writeFile(program.file("Brevane.ini"),
                  "[StartUp]\r\nLeft=" + std::to_string(c.settings.x() * k) + "\r\nTop=" +
                      std::to_string(c.settings.y() * k) + "\r\nWidth=" + std::to_string(c.settings.width() * k) +
                      "\r\nHeight=" + std::to_string(c.settings.height() * k) +
                      "\r\nShowSplash=False\r\n[Recent Files]\r\n[MIDI]\r\n");
        auto w = makeWindow(besideProgram());
        ASSERT_TRUE(w->Form_Load());
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        EXPECT_TRUE(area.contains(frame)) << text(frame);
        if (area.contains(c.settings.marginsAdded(margins))) {
            EXPECT_EQ(client, c.settings) << text(client);
        }
        if (c.settings.width() > area.width()) {
            EXPECT_EQ(frame.width(), area.width());
        }
        EXPECT_GE(client.height(), 240);

        QtHelpService help([&w] { return w.get(); });
        help.showHelp("");
        EXPECT_TRUE(area.contains(help.window().frameGeometry())) << text(help.window().frameGeometry());

        // Larger than the area where the area places it, and put partly beside it.
        const QRect visible = w->mdiArea()->viewport()->rect();
        for (const QRect& asked : {QRect(QPoint(), visible.size() + QSize(90, 60)),
                                   QRect(visible.right() - 40, visible.bottom() - 30, 120, 90)}) {
            QMdiSubWindow* child = w->mdiArea()->addSubWindow(new QWidget);
            if (asked.topLeft().isNull())
                child->resize(asked.size());
            else
                child->setGeometry(asked);
            child->show();
            EXPECT_TRUE(visible.contains(child->geometry())) << text(child->geometry());
        }
        EXPECT_TRUE(w->close());
    }
    if (scaled)
        return;

    const std::string screens = program.file("screens.json");
    writeFile(screens, R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1600, "height": 1000}]})");
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BREVANE_TEST_SCALED"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               QStringLiteral("offscreen:configfile=") + QString::fromStdString(screens));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=StartupTest.TheWindowsOpenWholeOnTheScreen")});
    ASSERT_TRUE(run.waitForFinished(120000));
    const QByteArray output = run.readAll();
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST_F(StartupTest, RecentFilesKeepSixSlotsAndGapsShowNoEntry)
{
    writeFile(program.file("Brevane.ini"),
              "[StartUp]\r\nShowSplash=False\r\n[Recent Files]\r\nFile 0=/a.dat\r\nFile 1\r\nFile 2=/c.dat\r\n"
              "[MIDI]\r\n");
    FakeLists* lists = nullptr;
    auto w = makeWindow(besideProgram(), &lists);
    ASSERT_TRUE(w->Form_Load());
    EXPECT_TRUE(w->action(CommandId::FileRecent1)->isVisible());
    EXPECT_FALSE(w->action(CommandId::FileRecent2)->isVisible());
    EXPECT_TRUE(w->action(CommandId::FileRecent3)->isVisible());
    EXPECT_EQ(w->action(CommandId::FileRecent3)->text(), QStringLiteral("3 /c.dat"));
    w->action(CommandId::FileRecent3)->trigger();
    EXPECT_EQ(lists->calls.back(), "recent /c.dat");

    w->setRecentFileList({"/1.dat", "/2.dat", "/3.dat", "/4.dat", "/5.dat", "/6.dat", "/7&8.dat"});
    EXPECT_EQ(w->recentFileList().front(), "/2.dat");
    EXPECT_EQ(w->RecentFiles()[5], "/7&8.dat");
    EXPECT_EQ(w->action(CommandId::FileRecent6)->text(), QStringLiteral("6 /7&&8.dat"));
    EXPECT_TRUE(w->close());
    const std::string text = readFile(program.file("Brevane.ini"));
    EXPECT_NE(text.find("File 0=/2.dat\r\n"), std::string::npos);
    EXPECT_NE(text.find("File 5=/7&8.dat\r\n"), std::string::npos);
    EXPECT_EQ(text.find("File 6"), std::string::npos);
}

TEST_F(StartupTest, MenuCommandsReachTheVoiceListsOnlyWhereTheyApply)
{
    FakeLists* lists = nullptr;
    auto w = makeWindow(besideProgram(), &lists);
    ASSERT_TRUE(w->Form_Load());
    // No window: Save is disabled, Close All too; the toolbar's Print Voice does nothing.
    EXPECT_FALSE(w->action(CommandId::FileSave)->isEnabled());
    EXPECT_FALSE(w->action(CommandId::FileCloseAll)->isEnabled());
    w->Toolbar1_ButtonClick(QStringLiteral("Print Voice"));
    w->action(CommandId::FileOpen)->trigger();
    EXPECT_EQ(lists->calls, (std::vector<std::string>{"open"}));

    QMdiSubWindow* list = lists->open();
    EXPECT_TRUE(w->action(CommandId::FileSave)->isEnabled());
    EXPECT_FALSE(w->action(CommandId::EditCut)->isEnabled());
    lists->find(list)->selections = 2;
    w->updateCommands();
    EXPECT_TRUE(w->action(CommandId::EditCut)->isEnabled());
    w->Toolbar1_ButtonClick(QStringLiteral("Cut"));
    w->mnufile_Click(2);
    w->Toolbar1_ButtonClick(QStringLiteral("Save File"));
    EXPECT_EQ(lists->calls, (std::vector<std::string>{"open", "edit &Cut", "close list", "save"}));

    // With the rename box open the Edit commands leave the list alone.
    lists->find(list)->renaming = true;
    w->updateCommands();
    EXPECT_FALSE(w->action(CommandId::EditCut)->isEnabled());
    w->mnuedit_Click(0);
    w->mnuedit_Click(8);
    EXPECT_EQ(lists->calls.size(), 4u);

    // File > Close acts on the active window itself.
    QMdiSubWindow* other = w->mdiArea()->addSubWindow(new QWidget);
    other->show();
    w->mdiArea()->setActiveSubWindow(other);
    w->mnufile_Click(2);
    EXPECT_EQ(lists->calls.back(), "close nothing");
    lists->lists.clear();
    EXPECT_TRUE(w->close());
}

TEST_F(StartupTest, StatusPanelsShareTheWidthAndShowTheHelpersTexts)
{
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    w->resize(1000, 400);
    QApplication::processEvents();
    EXPECT_NEAR(w->statusPanelWidth(1), w->width() * 0.65, 1.0);
    EXPECT_NEAR(w->statusPanelWidth(2), w->width() * 0.3, 1.0);

    platform::ShowStatusMessage("Please Wait - reading caf\xC3\xA9.syx", 0, 1, true, 1);
    EXPECT_EQ(w->statusPanelText(1), QStringLiteral("Please Wait - reading caf\u00E9.syx"));
    platform::ShowStatusMessage("Playing", 0, 1, false, 2);
    EXPECT_EQ(w->statusPanelText(2), QStringLiteral("Playing"));
    platform::ShowStatusMessage("Held", 30, 0, false, 1);
    EXPECT_EQ(w->statusPanelText(1), QString());

    platform::SetBusyCursor(true);
    platform::SetBusyCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::SetBusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w->close());
}

// The voice bank library reads and writes the main window's state through its AppState.
TEST_F(StartupTest, TheVoiceBankLibrarySeesTheMainWindowsState)
{
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    banklib::AppState& state = banklib::appState();
    EXPECT_EQ(&state, &w->appState());
    EXPECT_EQ(state.ProgramFolder(), program.folder());
    EXPECT_EQ(state.DataDirectory(), w->DataDirectory());
    state.setDataDirectory("/chosen/folder");
    EXPECT_EQ(w->DataDirectory(), "/chosen/folder/");
    ASSERT_TRUE(w->objMIDIInit().setMIDIDeviceNumber(5));
    EXPECT_EQ(state.MIDIDeviceNumber(), 5);
    state.setSaveFileFormat(3);
    EXPECT_EQ(w->SaveFileFormat(), 3);
    state.setRecentFiles({"/x/one.dat", "/x/two.dat"});
    EXPECT_EQ(w->action(CommandId::FileRecent2)->text(), QStringLiteral("2 /x/two.dat"));
    EXPECT_EQ(state.RecentFiles(), (std::vector<std::string>{"/x/one.dat", "/x/two.dat"}));
    // Without voice-list windows: nothing open, dialogs cancel.
    EXPECT_EQ(state.colVoiceLists().count(), 0);
    EXPECT_EQ(state.activeWindow().list, nullptr);
    EXPECT_FALSE(state.catalogueDialogs().chooseSaveFormat(banklib::FileType::Packed).has_value());
    state.frmRandomiseVoices().setWorkListFlag(1);
    EXPECT_EQ(state.frmRandomiseVoices().WorkListFlag(), 1);
    EXPECT_TRUE(w->close());
    w.reset();
    EXPECT_NE(&banklib::appState(), static_cast<banklib::AppState*>(nullptr));
    EXPECT_EQ(banklib::appState().ProgramFolder(), "");
}

TEST_F(StartupTest, CommandsOfOtherSubsystemsGoToTheirHandler)
{
    std::vector<CommandId> extra;
    StartupOptions options;
    options.paths = besideProgram();
    options.extraFeatures.midi = true;
    options.runExtraCommand = [&extra](CommandId id) { extra.push_back(id); };
    options.adjustCommandInputs = [](CommandInputs& in) { in.midiInOpen = in.midiOutOpen = in.midiInputRunning = true; };
    options.makeMidiSetup = [] { return std::make_unique<MidiInitSetup>(); };
    frmStartup w(std::move(options));
    ASSERT_TRUE(w.Form_Load());

    // The drop-down buttons and the Midi menu reach the main window's own MIDI transfers,
    // which do nothing while the ports are in fact closed.
    w.Toolbar1_ButtonMenuClick(QStringLiteral("Get Bank"));
    w.Toolbar1_ButtonMenuClick(QStringLiteral("Send Voice"));
    w.action(CommandId::MidiReceiveVoice)->trigger();
    EXPECT_TRUE(extra.empty());

    // The player bar: showing it opens nothing; hiding it closes the file and empties panel 2.
    EXPECT_FALSE(w.action(CommandId::PlayerPlay)->isVisible());
    w.mnuTools_Click(2);
    EXPECT_TRUE(w.playerBarShown());
    EXPECT_TRUE(w.action(CommandId::PlayerPlay)->isVisible());
    EXPECT_TRUE(w.action(CommandId::ToolsMidiFilePlayer)->isChecked());
    EXPECT_TRUE(extra.empty());
    EXPECT_FALSE(w.IsOpen());
    w.setStatusPanelText(2, QStringLiteral("Playing song.mid"));
    w.mnuTools_Click(2);
    EXPECT_FALSE(w.playerBarShown());
    EXPECT_FALSE(w.action(CommandId::PlayerPlay)->isVisible());
    EXPECT_TRUE(extra.empty()) << "the player is the main window's own";
    EXPECT_EQ(w.statusPanelText(2), QString());

    // Timer1 runs exactly while a file plays.
    int ticks = 0;
    QObject::connect(&w, &frmStartup::Timer1_Timer, [&ticks] { ++ticks; });
    w.setIsPlaying(true);
    for (int i = 0; i < 100 && ticks == 0; ++i)
        loop.processEvents(20);
    EXPECT_GT(ticks, 0);
    w.setIsPlaying(false);
    const int stopped = ticks;
    loop.processEvents(120);
    EXPECT_EQ(ticks, stopped);
    EXPECT_TRUE(w.close());
}

TEST_F(StartupTest, WindowMenuArrangesTheChildren)
{
    auto w = makeWindow(besideProgram());
    ASSERT_TRUE(w->Form_Load());
    QMdiSubWindow* a = w->mdiArea()->addSubWindow(new QWidget);
    QMdiSubWindow* b = w->mdiArea()->addSubWindow(new QWidget);
    a->show();
    b->show();
    w->mnuWindow_Click(1);
    const int height = w->mdiArea()->viewport()->height();
    EXPECT_EQ(a->geometry().top(), 0);
    EXPECT_EQ(b->geometry().top(), 0);
    EXPECT_EQ(a->height(), height);
    EXPECT_EQ(a->geometry().right() + 1, b->geometry().left());
    w->mnuWindow_Click(0);
    EXPECT_NE(a->geometry().topLeft(), b->geometry().topLeft());
    // A repaint of "no window" is the main window, written back to the caller.
    QWidget* target = nullptr;
    RefreshWindow(target);
    EXPECT_EQ(target, w.get());
    RefreshWindowFrame(a);
    EXPECT_TRUE(w->close());
}

// Every child window can be reached while one of them is maximised and hides the others:
// Ctrl+Tab and Ctrl+Shift+Tab go round them one step a press, and the Window menu lists
// them, the active one ticked, following them as they change. Ctrl+F6 is Receive Voice.
TEST_F(StartupTest, EveryChildWindowIsReachableByKeyAndFromTheWindowMenu)
{
    FakeMidi* midi = nullptr;
    auto w = makeWindow(besideProgram(), nullptr, &midi);
    ASSERT_TRUE(w->Form_Load());
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QMdiArea* area = w->mdiArea();
    std::vector<QMdiSubWindow*> children;
    auto open = [&](const QString& title) {
        auto* content = new QWidget;
        content->setWindowTitle(title);
        QMdiSubWindow* child = area->addSubWindow(content);
        child->setAttribute(Qt::WA_DeleteOnClose);
        child->show();
        area->setActiveSubWindow(child);
        children.push_back(child);
    };
    for (const char* title : {"ROM1A [32 patches ][*]", "Brass[*]", "Strings & Pads[*]"})
        open(QString::fromLatin1(title));
    children[0]->showMaximized();
    area->setActiveSubWindow(children[0]);

    // Keys as the keyboard gives them, to the widget that has the focus: Shift+Tab comes
    // as Backtab. Each press steps once, also once the MDI area's own wait for a second
    // Tab has passed (waited out after the first press).
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : w.get(), key, modifiers);
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::size_t expected;
    };
    for (const Step& s : {Step{Qt::Key_Tab, ctrl, 1}, Step{Qt::Key_Tab, ctrl, 2}, Step{Qt::Key_Tab, ctrl, 0},
                          Step{Qt::Key_Backtab, ctrlShift, 2}, Step{Qt::Key_Tab, ctrlShift, 1}}) {
        press(s.key, s.modifiers);
        if (s.expected == 1 && s.key == Qt::Key_Tab && s.modifiers == ctrl)
            QTest::qWait(QApplication::keyboardInputInterval() + 50);
        ASSERT_EQ(area->currentSubWindow(), children[s.expected]) << s.expected;
        EXPECT_TRUE(area->currentSubWindow()->isMaximized());
    }
    midi->online = midi->inOpen = midi->outOpen = true;
    w->updateCommands();
    QSignalSpy receiveVoice(w->action(CommandId::MidiReceiveVoice), &QAction::triggered);
    press(Qt::Key_F6, ctrl);
    EXPECT_EQ(receiveVoice.count(), 1);
    EXPECT_EQ(area->currentSubWindow(), children[1]);

    // The entries after the separator as the opened menu shows them, "[x]" for the ticked one.
    QMenu* menu = w->findChild<QMenu*>(QStringLiteral("mnuWindow"));
    ASSERT_NE(menu, nullptr);
    auto listed = [&] {
        menu->popup(w->mapToGlobal(QPoint(0, 0)));
        QStringList entries;
        for (std::size_t slot = 0; slot < kWindowListSlots; ++slot) {
            QAction* a = w->action(windowListCommand(slot));
            if (a->isVisible())
                entries << (a->isChecked() ? QStringLiteral("[x]") : QString()) + a->text();
        }
        menu->close();
        return entries.join(QLatin1Char('|')).toStdString();
    };
    // Chooses an entry the way a user does: the menu opens and its number is typed.
    auto choose = [&](Qt::Key key) {
        menu->popup(w->mapToGlobal(QPoint(0, 0)));
        QTest::keyClick(menu, key);
        EXPECT_FALSE(menu->isVisible());
    };
    children[2]->widget()->setWindowModified(true);
    EXPECT_EQ(listed(), "&1 ROM1A [32 patches ]|[x]&2 Brass|&3 Strings && Pads*");
    choose(Qt::Key_3);
    EXPECT_EQ(area->currentSubWindow(), children[2]);
    EXPECT_TRUE(children[2]->isMaximized());

    // Renamed, closed, minimised: the list follows, and a minimised window comes back.
    children[2]->widget()->setWindowTitle(QStringLiteral("Pads[*]"));
    children[1]->close();
    children[0]->showMinimized();
    area->setActiveSubWindow(children[2]);
    EXPECT_EQ(listed(), "&1 ROM1A [32 patches ]|[x]&2 Pads*");
    choose(Qt::Key_1);
    EXPECT_EQ(area->currentSubWindow(), children[0]);
    EXPECT_FALSE(children[0]->isMinimized());
    EXPECT_EQ(listed(), "[x]&1 ROM1A [32 patches ]|&2 Pads*");

    // Beyond nine, "More Windows..." offers every one of them.
    for (int i = 3; i <= 11; ++i)
        open(QStringLiteral("Bank %1").arg(i));
    EXPECT_EQ(listed(), "&1 ROM1A [32 patches ]|&2 Pads*|&3 Bank 3|&4 Bank 4|&5 Bank 5|&6 Bank 6|&7 Bank 7|"
                        "&8 Bank 8|&9 Bank 9");
    EXPECT_TRUE(w->action(CommandId::WindowMore)->isVisible());
    shell::testing::whenModal<QDialog>([](QDialog* dialog) {
        auto* windows = dialog->findChild<QListWidget*>();
        ASSERT_EQ(windows->count(), 11);
        EXPECT_EQ(windows->currentRow(), 10);
        windows->setCurrentRow(9);
        dialog->accept();
    });
    choose(Qt::Key_M);
    EXPECT_EQ(area->currentSubWindow()->windowTitle(), QStringLiteral("Bank 10"));
    EXPECT_TRUE(w->close());
}

// Without a device set-up, start-up says in the status bar when the program is off-line.
TEST_F(StartupTest, StartUpSaysWhenItWorksOffline)
{
    struct Case {
        const char* what;
        bool backend;
        bool devices;
        CommandLineSwitch commandLine;
        bool offline;
    };
    const Case cases[] = {
        {"no MIDI system", false, false, CommandLineSwitch::None, true},
        {"a MIDI system without devices", true, false, CommandLineSwitch::None, true},
        {"devices present", true, true, CommandLineSwitch::None, false},
        {"devices present, 'n' on the command line", true, true, CommandLineSwitch::WorkOffline, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartupOptions options;
        options.paths = besideProgram();
        options.splashMs = 0;
        options.commandLine = c.commandLine;
        options.makeMidiSetup = [&c]() {
            std::unique_ptr<platform::MidiBackend> backend;
            if (c.backend) {
                auto loopback = std::make_unique<platform::LoopbackMidiBackend>();
                if (!c.devices) {
                    loopback->setInputs({});
                    loopback->setOutputs({});
                }
                backend = std::move(loopback);
            }
            auto setup = std::make_unique<MidiInitSetup>(std::move(backend));
            setup->useHeadlessSetup();
            return setup;
        };
        frmStartup w(std::move(options));
        status.setMainWindow(&w);
        ASSERT_TRUE(w.Form_Load());
        EXPECT_EQ(w.statusPanelText(1) == QStringLiteral("No MIDI Devices found - working off-line"), c.offline);
        EXPECT_TRUE(w.close());
        status.setMainWindow(nullptr);
    }
}

}  // namespace
}  // namespace shell
