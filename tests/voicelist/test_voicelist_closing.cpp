// Closing and saving voice-list windows: the questions with scripted answers, Cancel and
// a failing writer, temporary lists, the registry's keys, the same file by two paths,
// closing during a wait, and the real "Save File" dialog.
#include "VoiceListTestSupport.h"

#include "banklib/AppState.h"
#include "banklib/GeneratorView.h"
#include "platform/FileIO.h"
#include "platform/StatusHelpers.h"
#include "shell/QtEventLoop.h"
#include "voicelist/frmFileFormatDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>

namespace shell {
namespace {

using banklib::FileType;
using platform::MsgAnswer;
using testing::VoiceListFixture;
using testing::writeBankFile;

class VoiceListClosing : public VoiceListFixture {
protected:
    // Renames voice `voice` of the page shown through the rename box.
    void renameVoice(frmVoiceList& w, int entry, const char* name)
    {
        click(w, entry);
        click(w, entry);
        ASSERT_TRUE(timerOf(w).fire());
        w.Text1()->setText(QString::fromLatin1(name));
        w.commitRename();
    }
    bool isOpen(frmVoiceList* w) const { return voiceLists->lists().contains(w); }
};

TEST_F(VoiceListClosing, AChangedListAsksAndCancelOrAFailedWriteKeepsItOpen)
{
    frmVoiceList* w = openBank("bank.dat", 40, FileType::Packed);
    ASSERT_NE(w, nullptr);
    const std::string path = data.file("bank.dat");
    const std::string before = testing::readFile(path);
    renameVoice(*w, 2, "CHANGED");
    ASSERT_TRUE(w->isWindowModified());

    ui.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(w->subWindow()->close());
    EXPECT_TRUE(isOpen(w));
    EXPECT_TRUE(main->UnloadCancelled());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "bank.dat has changed\r\nOK to save ?");

    // Yes, a name, the layout kept, and a disk that fails: the window and its edit stay.
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    ui.answer(MsgAnswer::Yes);
    ui.answerFile(path);
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<frmFileFormatDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = d->Option1(2)->isChecked();
            d->OKButton()->click();
        }
    });
    EXPECT_FALSE(w->unload());
    platform::setWriteFaultInjector(nullptr);
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(isOpen(w));
    EXPECT_EQ(ui.messagesShown().back().title, "File Access Error");
    EXPECT_EQ(testing::readFile(path), before);
    EXPECT_TRUE(w->isWindowModified());

    // No: it closes and the file is as it was.
    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(w->unload());
    EXPECT_EQ(voiceLists->openListCount(), 0);
    EXPECT_EQ(testing::readFile(path), before);
    EXPECT_FALSE(main->commandState().isEnabled(CommandId::FileClose));
    EXPECT_FALSE(main->commandState().isEnabled(CommandId::FileCloseAll));
}

TEST_F(VoiceListClosing, SaveAsInAnotherLayoutThroughTheRealDialog)
{
    frmVoiceList* w = openBank("unpacked.dat", 33, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    const std::string target = data.file("packed.syx");
    ui.answerFile(target);
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<frmFileFormatDialog*>(QApplication::activeModalWidget())) {
            d->Option1(3)->click();
            d->OKButton()->click();
        }
    });
    main->mnufile_Click(5);  // Save As
    EXPECT_EQ(std::filesystem::file_size(target), 4104u + 8u + 128u);
    EXPECT_EQ(w->fileType(), FileType::PackedSysex);
    EXPECT_EQ(w->FileName(), target);
    EXPECT_EQ(w->caption(), "packed [ 33 patches ]");
    EXPECT_EQ(main->SaveFileFormat(), 3);
    EXPECT_FALSE(w->isWindowModified());
    // Unchanged now: closing asks nothing.
    EXPECT_TRUE(w->unload());
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(VoiceListClosing, CancelInTheLayoutDialogSavesNothingAndKeepsTheWindow)
{
    frmVoiceList* w = openBank("keep.dat", 3, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    renameVoice(*w, 0, "EDITED");
    main->setSaveFileFormat(2);
    ui.answer(MsgAnswer::Yes);
    ui.answerFile(data.file("keep.dat"));
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<frmFileFormatDialog*>(QApplication::activeModalWidget()))
            d->CancelButton()->click();
    });
    EXPECT_FALSE(w->unload());
    EXPECT_TRUE(isOpen(w));
    // The layout shown when the dialog opened (the list's own) is the one kept.
    EXPECT_EQ(main->SaveFileFormat(), 0);
    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(w->unload());
}

TEST_F(VoiceListClosing, ClosingTheGeneratorsWorkListResetsTheGenerator)
{
    frmVoiceList* other = openBank("other.dat", 2, FileType::Unpacked);
    frmVoiceList* work = openBank("PatchGen.dat", 2, FileType::Unpacked);
    ASSERT_TRUE(other && work);
    banklib::appState().frmRandomiseVoices().setWorkListFlag(1);
    EXPECT_TRUE(work->unload());
    EXPECT_EQ(banklib::appState().frmRandomiseVoices().WorkListFlag(), 0);
    EXPECT_TRUE(isOpen(other));
}

TEST_F(VoiceListClosing, TheRegistrysIdIsSetOnce)
{
    clsVoiceLists& lists = voiceLists->lists();
    lists.setID("first");
    lists.setID("second");
    EXPECT_EQ(lists.ID(), "first");
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Error: VoiceList form ID already set");
    EXPECT_EQ(ui.messagesShown()[0].style, 16);
}

TEST_F(VoiceListClosing, FileNewIsATemporaryListThatNeverDeletesDXInit)
{
    main->mnufile_Click(0);
    ASSERT_EQ(voiceLists->openListCount(), 1);
    auto* w = voiceLists->lists().window("L0001");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->FileTitle(), "DXInit.dat");
    EXPECT_EQ(w->SavedCRC(), banklib::kSavedCrcTemporary);
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_TRUE(main->recentFileList().empty());
    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(w->unload());
    EXPECT_EQ(ui.messagesShown().at(0).text, "DXInit.dat must be saved under a different name\r\nOK to save ?");
    EXPECT_TRUE(std::filesystem::exists(program.file("DXInit.dat")));
}

TEST_F(VoiceListClosing, KeysAreNeverReusedAndTheSameFileByAnotherPathCountsAsOpen)
{
    const std::string path = writeBankFile(data.file("same.dat"), 2, FileType::Unpacked);
    std::filesystem::create_symlink(path, data.file("link.dat"));
    frmVoiceList* first = open(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(voiceLists->lists().NextFileNo(), 2);
    EXPECT_EQ(voiceLists->lists().NextFileNo(), 2) << "asking takes no number";

    for (const std::string& other : {data.folder() + "./same.dat", data.file("link.dat"),
                                     data.folder() + "../" + data.path().filename().string() + "/same.dat"}) {
        ui.answer(MsgAnswer::No);
        EXPECT_EQ(open(other), nullptr) << other;
    }
    EXPECT_EQ(voiceLists->openListCount(), 1);
    for (const auto& m : ui.messagesShown())
        EXPECT_EQ(m.title, "File already open");

    // Yes: the old window goes and the new one takes the next key.
    ui.answer(MsgAnswer::Yes);
    frmVoiceList* again = open(data.file("link.dat"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ListID(), "L0002");
    EXPECT_EQ(voiceLists->openListCount(), 1);
    // A file that fails the check takes no number.
    EXPECT_EQ(open(data.file("missing.dat")), nullptr);
    EXPECT_TRUE(again->unload());
    frmVoiceList* next = open(path);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->ListID(), "L0003");
}

TEST_F(VoiceListClosing, RevertingToAFileWhoseWindowRefusesToCloseOpensNothing)
{
    frmVoiceList* w = openBank("refuse.dat", 3, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    renameVoice(*w, 1, "UNSAVED");
    ui.answer(MsgAnswer::Yes);     // revert to the saved version
    ui.answer(MsgAnswer::Cancel);  // but its own save question is cancelled
    EXPECT_EQ(open(data.file("refuse.dat")), nullptr);
    EXPECT_EQ(voiceLists->openListCount(), 1);
    EXPECT_TRUE(isOpen(w));
    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(w->unload());
}

TEST_F(VoiceListClosing, FileCloseClosesTheActiveWindowEvenWithASharedCaption)
{
    std::filesystem::create_directories(data.file("a"));
    std::filesystem::create_directories(data.file("b"));
    frmVoiceList* first = open(writeBankFile(data.file("a/rom.dat"), 2, FileType::Unpacked));
    frmVoiceList* second = open(writeBankFile(data.file("b/rom.dat"), 2, FileType::Unpacked));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->caption(), second->caption());
    main->mdiArea()->setActiveSubWindow(second->subWindow());
    main->mnufile_Click(2);
    EXPECT_TRUE(isOpen(first));
    EXPECT_FALSE(isOpen(second));
}

TEST_F(VoiceListClosing, CloseAllGoesOnPastAListThatStaysAndExitStopsAtIt)
{
    frmVoiceList* a = openBank("a.dat", 2, FileType::Unpacked);
    frmVoiceList* b = openBank("b.dat", 2, FileType::Unpacked);
    frmVoiceList* c = openBank("c.dat", 2, FileType::Unpacked);
    ASSERT_TRUE(a && b && c);
    renameVoice(*b, 0, "B CHANGED");
    ui.answer(MsgAnswer::Cancel);
    main->mnufile_Click(3);
    EXPECT_FALSE(isOpen(a));
    EXPECT_TRUE(isOpen(b));
    EXPECT_FALSE(isOpen(c));

    frmVoiceList* d = openBank("d.dat", 2, FileType::Unpacked);
    ASSERT_NE(d, nullptr);
    ui.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(voiceLists->closeAllForExit());
    EXPECT_TRUE(isOpen(b));
    EXPECT_TRUE(isOpen(d)) << "the lists after the refused one stay open";
    EXPECT_TRUE(main->UnloadCancelled());
}

TEST_F(VoiceListClosing, ClosingDuringAWaitRunsAfterTheWait)
{
    QtEventLoop loop;
    platform::installEventLoop(&loop);
    frmVoiceList* w = openBank("wait.dat", 2, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    bool fired = false;
    bool openRightAfterClose = false;
    QTimer::singleShot(10, [&] {
        w->subWindow()->close();
        openRightAfterClose = isOpen(w);
        fired = true;
    });
    // Every pass is a wait of its own, so the timer fires inside one even on a loaded machine.
    for (int i = 0; i < 1000 && !fired; ++i)
        platform::PauseWithEvents(10);
    ASSERT_TRUE(fired);
    EXPECT_TRUE(openRightAfterClose);
    EXPECT_TRUE(isOpen(w));
    // Back in the main loop (the idle check runs every few milliseconds) it closes.
    for (int i = 0; i < 200 && voiceLists->openListCount() > 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(voiceLists->openListCount(), 0);
    platform::installEventLoop(&ui);
}

}  // namespace
}  // namespace shell
