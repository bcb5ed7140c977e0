// The real start-up and shut-down with the voice lists, offscreen, with an empty home
// folder: a file opened, renamed and saved in one run is in the recent files of the next
// run and opens from there with the new name.
#include "VoiceListTestSupport.h"

#include "shell/AppPaths.h"
#include "voicelist/frmFileFormatDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace shell {
namespace {

using banklib::FileType;
using platform::MsgAnswer;
using testing::TempFolder;
using testing::writeBankFile;

std::unique_ptr<frmStartup> startProgram(const AppPaths& paths, VoiceLists** lists)
{
    StartupOptions options;
    options.paths = paths;
    options.splashMs = 0;
    options.makeVoiceLists = [lists](frmStartup& main) {
        auto made = std::make_unique<VoiceLists>(main);
        *lists = made.get();
        return made;
    };
    options.makeMidiSetup = [] { return std::make_unique<MidiInitSetup>(); };
    return std::make_unique<frmStartup>(std::move(options));
}

// Presses OK in the "Save File" dialog as soon as it is up.
void acceptLayoutDialog()
{
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<frmFileFormatDialog*>(QApplication::activeModalWidget()))
            d->OKButton()->click();
    });
}

TEST(VoiceListSession, AFileOpenedAndSavedInOneRunReopensFromTheRecentFilesOfTheNext)
{
    platform::testing::ScriptedServices ui;
    frmVoiceList::setDeferredCallFactory([] { return std::make_unique<testing::ManualDeferredCall>(); });
    TempFolder program;
    TempFolder home;
    TempFolder banks;
    writeBankFile(program.file("DXInit.dat"), 32, FileType::Packed);
    const std::string homeFolder = home.folder();
    const AppPaths paths = resolveAppPaths(
        program.folder(), [homeFolder](const char* name) { return std::string(name) == "HOME" ? homeFolder : ""; },
        [](const std::string&) { return false; });
    const std::string bank = writeBankFile(banks.file("Strings.syx"), 40, FileType::PackedSysex);

    {
        VoiceLists* lists = nullptr;
        auto main = startProgram(paths, &lists);
        ASSERT_TRUE(main->Form_Load());
        EXPECT_TRUE(main->commandState().isEnabled(CommandId::FileOpen));
        EXPECT_FALSE(main->commandState().isEnabled(CommandId::FileSave));

        ui.answerFile(bank);
        main->mnufile_Click(1);  // File > Open
        ASSERT_EQ(lists->openListCount(), 1);
        frmVoiceList* w = lists->lists().window("L0001");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(main->recentFileList(), std::vector<std::string>{bank});
        EXPECT_EQ(main->DataDirectory(), banks.folder());
        EXPECT_TRUE(main->action(CommandId::FileRecent1)->isVisible());
        EXPECT_TRUE(main->commandState().isEnabled(CommandId::FileSave));

        // Rename voice 2 and save over the file in its own layout.
        w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, w->List1()->itemRect(1).center());
        w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, w->List1()->itemRect(1).center());
        w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, w->List1()->itemRect(1).center());
        w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, w->List1()->itemRect(1).center());
        ASSERT_TRUE(dynamic_cast<testing::ManualDeferredCall&>(w->renameWait()).fire());
        w->Text1()->setText(QStringLiteral("Cello"));
        w->commitRename();
        ui.answerFile(bank);
        acceptLayoutDialog();
        main->mnufile_Click(4);  // File > Save
        EXPECT_FALSE(w->isWindowModified());
        EXPECT_EQ(std::filesystem::file_size(bank), 4104u + 8u + 8u * 128u);

        // File > New: a temporary list, given up at exit.
        main->mnufile_Click(0);
        ASSERT_EQ(lists->openListCount(), 2);
        ui.answer(MsgAnswer::No);
        EXPECT_TRUE(main->close());
        EXPECT_EQ(ui.messagesShown().back().text, "DXInit.dat must be saved under a different name\r\nOK to save ?");
        EXPECT_TRUE(std::filesystem::exists(program.file("DXInit.dat")));
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::string settings = testing::readFile(home.file(".config/Brevane/Brevane.ini"));
    EXPECT_NE(settings.find("File 0=" + bank + "\r\n"), std::string::npos) << settings;

    {
        VoiceLists* lists = nullptr;
        auto main = startProgram(paths, &lists);
        ASSERT_TRUE(main->Form_Load());
        EXPECT_EQ(main->recentFileList(), std::vector<std::string>{bank});
        main->Mnurecentfiles_Click(1);
        ASSERT_EQ(lists->openListCount(), 1);
        frmVoiceList* w = lists->lists().window("L0001");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->List1()->text(1).toStdString(), "Cello     ");
        EXPECT_EQ(w->fileType(), FileType::PackedSysex);
        EXPECT_EQ(main->recentFileList(), std::vector<std::string>{bank});
        EXPECT_TRUE(main->close());
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui.unexpectedMessages(), 0);
    frmVoiceList::setDeferredCallFactory({});
}

}  // namespace
}  // namespace shell
