// The voice-list window offscreen: opening each layout, paging and the header texts,
// selecting with click, Ctrl and Shift across banks, the keys, the rename box with its
// wait, and the file-information panel.
#include "VoiceListTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

namespace shell {
namespace {

using banklib::FileType;
using testing::nameOf;
using testing::VoiceListFixture;
using testing::writeBankFile;

class VoiceListWindow : public VoiceListFixture {};

TEST_F(VoiceListWindow, EveryLayoutOpensAtBankOneWithItsCaptionAndHeader)
{
    struct Row {
        FileType type;
        std::size_t voices;
        const char* name;
        const char* caption;
        const char* header;
        bool scrolls;
    };
    const Row rows[] = {
        {FileType::Unpacked, 1, "one.dat", "one [ 1 patch ]", "Bank  1 of  1", false},
        {FileType::UnpackedSysex, 32, "rom1a.syx", "rom1a [ 32 patches ]", "Bank  1 of  1", false},
        {FileType::Packed, 33, "more.dx7", "more [ 33 patches ]", "Bank  1 of  2", true},
        {FileType::PackedSysex, 100, "big.bank.32", "big [ 100 patches ]", "Bank  1 of  4", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        frmVoiceList* w = openBank(row.name, row.voices, row.type);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->fileType(), row.type);
        EXPECT_EQ(w->VoiceCount(), static_cast<std::int32_t>(row.voices));
        EXPECT_EQ(w->caption(), row.caption);
        EXPECT_EQ(w->Label1(0)->text().toStdString(), row.header);
        EXPECT_EQ(w->HScroll1()->isEnabled(), row.scrolls);
        EXPECT_EQ(w->List1()->count(), static_cast<int>(std::min<std::size_t>(row.voices, 32)));
        EXPECT_EQ(testing::VoiceListFixture::entries(*w).front(), nameOf(1, row.type));
        ASSERT_NE(w->subWindow(), nullptr);
        EXPECT_EQ(main->mdiArea()->activeSubWindow(), w->subWindow());
        EXPECT_FALSE(w->isWindowModified());
        EXPECT_TRUE(main->commandState().isEnabled(CommandId::FileSave));
        EXPECT_TRUE(main->commandState().isEnabled(CommandId::FileClose));
    }
    EXPECT_EQ(voiceLists->lists().count(), 4);
    EXPECT_EQ(voiceLists->lists().Item(4)->ListID(), "L0004");
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(VoiceListWindow, RealBankFilesOpenWhenTheyAreThere)
{
    const std::filesystem::path folder(BREVANE_REAL_BANKS);
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real bank files at " << folder;
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.file_size() < 128)
            continue;
        ui.answer(platform::MsgAnswer::No);  // a file of odd size is not loaded anyway
        frmVoiceList* w = open(entry.path().string());
        if (w == nullptr)
            continue;
        ++opened;
        EXPECT_GE(w->VoiceCount(), 1) << entry.path();
        EXPECT_EQ(w->List1()->count(), std::min(w->VoiceCount(), 32)) << entry.path();
        if (opened >= 20)
            break;
    }
    EXPECT_GT(opened, 0);
}

TEST_F(VoiceListWindow, PagingShowsEachBankAndTheLastMayBeShort)
{
    frmVoiceList* w = openBank("two.dat", 33, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    w->HScroll1()->setValue(2);
    EXPECT_EQ(w->Label1(0)->text().toStdString(), "Bank  2 of  2");
    EXPECT_EQ(testing::VoiceListFixture::entries(*w), std::vector<std::string>{nameOf(33, FileType::Unpacked)});
    // A bank past the last shows the last.
    std::int32_t bank = 5;
    w->UpdateListBoxPage(bank, true, -1);
    EXPECT_EQ(bank, 2);
    EXPECT_EQ(w->bankPage(), 2);
    // Below the last name of a short bank there is no voice.
    EXPECT_EQ(w->GetVoiceNo(pointOf(*w, 1)), 0);
    EXPECT_EQ(w->GetVoiceNo(pointOf(*w, 0)), 33);
    // The right column of bank 1 starts at voice 17.
    w->HScroll1()->setValue(1);
    EXPECT_EQ(w->GetVoiceNo(pointOf(*w, 16)), 17);
    EXPECT_EQ(w->GetVoiceNo(pointOf(*w, 15)), 16);
}

TEST_F(VoiceListWindow, ANewWindowShowsItsWholeTitleWhileTheWorkspaceHasRoom)
{
    main->mdiArea()->resize(1000, 600);
    frmVoiceList* w = openBank("A rather long name for a bank of voices.dat", 40, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    QFont bold = w->subWindow()->font();
    bold.setBold(true);
    const int textWidth = QFontMetrics(bold).horizontalAdvance(QString::fromStdString(w->caption()));
    EXPECT_GT(w->subWindow()->width(), textWidth);
    EXPECT_LE(w->subWindow()->width(), main->mdiArea()->viewport()->width());

    // A workspace too narrow for it keeps the window inside.
    main->mdiArea()->resize(300, 600);
    frmVoiceList* narrow = openBank("Another rather long name for a bank of voices.dat", 40, FileType::Unpacked);
    ASSERT_NE(narrow, nullptr);
    EXPECT_LE(narrow->subWindow()->width(), std::max(300, narrow->minimumWidth() + 20));
}

TEST_F(VoiceListWindow, AnEmptyListSaysSo)
{
    frmVoiceList* w = openBank("few.dat", 3, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    w->rsmfimage().clear();
    w->InitList(1, true);
    EXPECT_EQ(w->Label1(0)->text().toStdString(), "File is empty");
    EXPECT_EQ(w->caption(), "few");
    EXPECT_EQ(w->List1()->count(), 0);
    EXPECT_TRUE(w->isWindowModified());
}

TEST_F(VoiceListWindow, SelectionsLiveAcrossBanks)
{
    frmVoiceList* w = openBank("sel.dat", 70, FileType::Packed);
    ASSERT_NE(w, nullptr);
    QSignalSpy changed(w, &frmVoiceList::selectionChanged);

    click(*w, 2);  // voice 3
    EXPECT_EQ(w->CurrentVoice(), 3);
    EXPECT_EQ(w->TotalSelections(), 1);
    EXPECT_TRUE(main->commandState().isEnabled(CommandId::FileSave));
    w->HScroll1()->setValue(2);
    click(*w, 7, Qt::ControlModifier);  // voice 40
    EXPECT_EQ(w->TotalSelections(), 2);
    EXPECT_EQ(shownSelected(*w), std::vector<int>{40});
    w->HScroll1()->setValue(1);
    EXPECT_EQ(shownSelected(*w), std::vector<int>{3});
    // Ctrl on a selected voice clears it.
    click(*w, 2, Qt::ControlModifier);
    EXPECT_EQ(w->TotalSelections(), 1);
    EXPECT_TRUE(shownSelected(*w).empty());
    EXPECT_GE(changed.count(), 3);

    // Shift from 5 to 2, then to 9: the anchor stays at 5.
    click(*w, 4);
    click(*w, 1, Qt::ShiftModifier);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(w->TotalSelections(), 4);
    click(*w, 8, Qt::ShiftModifier);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{5, 6, 7, 8, 9}));
    // Shift across banks: voice 66 on bank 3.
    w->HScroll1()->setValue(3);
    click(*w, 1, Qt::ShiftModifier);
    EXPECT_EQ(w->TotalSelections(), 62);
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{65, 66}));
    // A plain click inside the selection keeps it; outside, only that voice stays.
    click(*w, 0);
    EXPECT_EQ(w->TotalSelections(), 62);
    click(*w, 5);
    EXPECT_EQ(w->TotalSelections(), 1);
    EXPECT_EQ(shownSelected(*w), std::vector<int>{70});
    const std::vector<platform::Bookmark> marks = w->selectedBookmarks();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(w->rsmfimage().positionOf(marks[0]), 70);
}

TEST_F(VoiceListWindow, RealMouseClicksReachTheTracker)
{
    frmVoiceList* w = openBank("mouse.dat", 40, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w->List1(), Qt::LeftButton, Qt::NoModifier, pointOf(*w, 3));
    QTest::mouseClick(w->List1(), Qt::LeftButton, Qt::ControlModifier, pointOf(*w, 20));
    EXPECT_EQ(shownSelected(*w), (std::vector<int>{4, 21}));
    EXPECT_EQ(w->CurrentVoice(), 21);
    // Beside the names of a short page nothing is hit.
    w->HScroll1()->setValue(2);
    QTest::mouseClick(w->List1(), Qt::LeftButton, Qt::NoModifier, pointOf(*w, 20));
    EXPECT_EQ(w->CurrentVoice(), 0);
    EXPECT_EQ(w->TotalSelections(), 2);
}

TEST_F(VoiceListWindow, KeysWalkAcrossBanks)
{
    frmVoiceList* w = openBank("keys.dat", 40, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    QSignalSpy audition(w, &frmVoiceList::voiceAuditionRequested);
    struct Step {
        int startBank;
        int startIndex;
        int key;
        Qt::KeyboardModifiers modifiers;
        int bank;
        int index;
    };
    const Step steps[] = {
        {1, 20, Qt::Key_Right, Qt::NoModifier, 2, 4},   {1, 30, Qt::Key_Right, Qt::NoModifier, 2, 7},
        {2, 3, Qt::Key_Left, Qt::NoModifier, 1, 19},    {2, 0, Qt::Key_Up, Qt::NoModifier, 1, 31},
        {1, 31, Qt::Key_Down, Qt::NoModifier, 2, 0},    {1, 5, Qt::Key_Down, Qt::NoModifier, 1, 6},
        {1, 12, Qt::Key_PageDown, Qt::NoModifier, 2, 7}, {2, 4, Qt::Key_PageUp, Qt::NoModifier, 1, 4},
        {2, 6, Qt::Key_Home, Qt::NoModifier, 2, 0},     {2, 6, Qt::Key_Home, Qt::ControlModifier, 1, 0},
        {1, 6, Qt::Key_End, Qt::NoModifier, 1, 31},     {1, 6, Qt::Key_End, Qt::ControlModifier, 2, 7},
        {1, 6, Qt::Key_PageUp, Qt::NoModifier, 1, 6},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.key) + " from " + std::to_string(s.startBank) + "/" + std::to_string(s.startIndex));
        w->HScroll1()->setValue(s.startBank);
        w->List1()->setCurrentIndex(s.startIndex);
        QTest::keyClick(w->List1(), static_cast<Qt::Key>(s.key), s.modifiers);
        EXPECT_EQ(w->bankPage(), s.bank);
        EXPECT_EQ(w->List1()->currentIndex(), s.index);
        // The key's release auditions the voice reached, never with the test scale.
        ASSERT_FALSE(audition.isEmpty());
        EXPECT_EQ(audition.last().at(0).toInt(), (s.bank - 1) * 32 + s.index + 1);
        EXPECT_FALSE(audition.last().at(2).toBool());
    }
    // Keys move the highlight only.
    EXPECT_EQ(w->TotalSelections(), 0);
    EXPECT_EQ(w->CurrentVoice(), 0);

    frmVoiceList* full = openBank("full.dat", 64, FileType::Unpacked);
    ASSERT_NE(full, nullptr);
    full->List1()->setCurrentIndex(3);
    QTest::keyClick(full->List1(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(full->bankPage(), 2);
    EXPECT_EQ(full->List1()->currentIndex(), 31);
}

TEST_F(VoiceListWindow, ASecondSlowClickOpensTheRenameBoxAndEnterRenames)
{
    frmVoiceList* w = openBank("names.dat", 40, FileType::Packed);
    ASSERT_NE(w, nullptr);
    QSignalSpy renamed(w, &frmVoiceList::voiceRenamed);
    click(*w, 4);
    EXPECT_FALSE(w->renamePending()) << "a first click never arms the box";
    click(*w, 4);
    ASSERT_TRUE(w->renamePending());
    EXPECT_EQ(timerOf(*w).delayMs, frmVoiceList::kRenameDelayMs);
    EXPECT_FALSE(w->renameBoxVisible());
    ASSERT_TRUE(timerOf(*w).fire());
    ASSERT_TRUE(w->renameBoxVisible());
    EXPECT_EQ(w->Text1()->text().toStdString(), nameOf(5, FileType::Packed));
    EXPECT_EQ(w->Text1()->toolTip().toStdString(), "Edit Patch Name, Press Esc to abort");
    EXPECT_TRUE(w->Text1()->geometry().intersects(w->List1()->itemRect(4).translated(w->List1()->pos())));
    // While it is open the Edit commands leave the list alone.
    EXPECT_TRUE(main->activeChild().renameBoxVisible);

    w->Text1()->selectAll();
    QTest::keyClicks(w->Text1(), "Brass 'One' and more");
    EXPECT_EQ(w->Text1()->text().toStdString(), "Brass One ");
    QTest::keyClick(w->Text1(), Qt::Key_Return);
    EXPECT_FALSE(w->renameBoxVisible());
    w->rsmfimage().setAbsolutePosition(5);
    EXPECT_EQ(w->rsmfimage().text(banklib::VoiceListField::Names), "Brass One ");
    EXPECT_EQ(w->List1()->text(4).toStdString(), "Brass One ");
    ASSERT_EQ(renamed.count(), 1);
    EXPECT_EQ(renamed.at(0).at(0).toInt(), 5);
    EXPECT_EQ(renamed.at(0).at(3).toString().toStdString(), "Brass One ");
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_FALSE(main->activeChild().renameBoxVisible);
}

TEST_F(VoiceListWindow, ADoubleClickOpensTheEditorAndNoRenameBox)
{
    frmVoiceList* w = openBank("dbl.dat", 10, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    QSignalSpy openRequests(w, &frmVoiceList::voiceOpenRequested);
    click(*w, 4);
    // The second press of a double click arrives as a double click, then its release.
    w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, pointOf(*w, 4));
    w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, pointOf(*w, 4));
    EXPECT_TRUE(w->renamePending());
    w->List1_DblClick();
    w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, pointOf(*w, 4));
    EXPECT_FALSE(w->renamePending());
    EXPECT_FALSE(timerOf(*w).fire());
    EXPECT_FALSE(w->renameBoxVisible());
    ASSERT_EQ(openRequests.count(), 1);
    EXPECT_EQ(openRequests.at(0).at(0).toInt(), 5);
}

TEST_F(VoiceListWindow, EscapeRestoresTheStartingNameThenCloses)
{
    frmVoiceList* w = openBank("esc.dat", 10, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    click(*w, 2);
    click(*w, 2);
    ASSERT_TRUE(timerOf(*w).fire());
    const std::string original = nameOf(3, FileType::Unpacked);
    w->Text1()->setText(QStringLiteral("Typed"));
    QTest::keyClick(w->Text1(), Qt::Key_Escape);
    EXPECT_TRUE(w->renameBoxVisible());
    EXPECT_EQ(w->Text1()->text().toStdString(), original);
    QTest::keyClick(w->Text1(), Qt::Key_Escape);
    EXPECT_FALSE(w->renameBoxVisible());
    w->rsmfimage().setAbsolutePosition(3);
    EXPECT_EQ(w->rsmfimage().text(banklib::VoiceListField::Names), original);
    EXPECT_EQ(w->TotalSelections(), 1);
    EXPECT_FALSE(w->isWindowModified());
    // A click on a different voice with one voice selected never arms the box.
    click(*w, 6);
    EXPECT_FALSE(w->renamePending());
}

TEST_F(VoiceListWindow, TheRenameGoesToItsVoiceEvenWhenTheVoicesMoved)
{
    frmVoiceList* w = openBank("moved.dat", 10, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    click(*w, 4);
    click(*w, 4);
    ASSERT_TRUE(timerOf(*w).fire());
    // Another part of the program drops voice 1 under the open box: voice 5 is now 4.
    platform::Recordset& rs = w->rsmfimage();
    const std::vector<platform::Bookmark> first{rs.bookmarks().front()};
    rs.deleteRecords(first);
    w->Text1()->setText(QStringLiteral("Moved"));
    QTest::keyClick(w->Text1(), Qt::Key_Enter);
    rs.setAbsolutePosition(4);
    EXPECT_EQ(rs.text(banklib::VoiceListField::Names), "Moved     ");
    rs.setAbsolutePosition(5);
    EXPECT_EQ(rs.text(banklib::VoiceListField::Names), nameOf(6, FileType::Unpacked));
}

TEST_F(VoiceListWindow, AClickInTheListCommitsAnOpenRenameBox)
{
    frmVoiceList* w = openBank("commit.dat", 10, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    click(*w, 1);
    click(*w, 1);
    ASSERT_TRUE(timerOf(*w).fire());
    w->Text1()->setText(QStringLiteral("Clicked"));
    click(*w, 7);
    EXPECT_FALSE(w->renameBoxVisible());
    EXPECT_EQ(w->List1()->text(1).toStdString(), "Clicked   ");
    EXPECT_EQ(w->CurrentVoice(), 8);
    // Shift with a navigation key commits too and moves in the list.
    click(*w, 7);
    ASSERT_TRUE(timerOf(*w).fire());
    w->Text1()->setText(QStringLiteral("Shifted"));
    QTest::keyClick(w->Text1(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_FALSE(w->renameBoxVisible());
    EXPECT_EQ(w->List1()->text(7).toStdString(), "Shifted   ");
    EXPECT_EQ(w->List1()->currentIndex(), 8);
}

TEST_F(VoiceListWindow, TheHeaderShowsAndHidesTheFileInformation)
{
    frmVoiceList* w = openBank("info.syx", 33, FileType::PackedSysex);
    ASSERT_NE(w, nullptr);
    const int closedHeight = w->subWindow()->height();
    QTest::mouseClick(w->Label1(0), Qt::LeftButton);
    EXPECT_TRUE(w->fileInfoShown());
    EXPECT_FALSE(w->Frame1()->isHidden());
    EXPECT_GT(w->subWindow()->height(), closedHeight);
    EXPECT_EQ(w->Label2(1)->text().toStdString(), data.file("info.syx"));
    EXPECT_EQ(w->Label2(2)->text().toStdString(), "Data is packed.Banks have sysex headers");
    EXPECT_EQ(w->Label2(3)->text().toStdString(), "4,240 bytes");
    EXPECT_EQ(w->Label2(4)->text().toStdString(), "33");
    EXPECT_EQ(w->Label2(5)->text().toStdString(), "2");
    QTest::mouseClick(w->Label1(0), Qt::LeftButton);
    EXPECT_TRUE(w->Frame1()->isHidden());
    EXPECT_EQ(w->subWindow()->height(), closedHeight);
}

TEST(VoiceNames, AreTenPrintableCharactersWithoutTheApostrophe)
{
    EXPECT_EQ(paddedVoiceName("E.PIANO 1"), "E.PIANO 1 ");
    EXPECT_EQ(paddedVoiceName("TOO LONG A NAME"), "TOO LONG A");
    EXPECT_EQ(paddedVoiceName(std::string("it's\x7f\x01") + "\xe9"), "it s      ");
    EXPECT_TRUE(isVoiceNameCharacter('~'));
    EXPECT_FALSE(isVoiceNameCharacter('\''));
    EXPECT_FALSE(isVoiceNameCharacter('\t'));
}

}  // namespace
namespace {

// Pixels of the top line of an entry, as the list box draws it, that have the colour of
// its current-entry frame (text colour, or highlighted text over a selected entry).
int framePixels(VoiceListBox& box, int entry)
{
    const QImage image = box.grab().toImage();
    const QRect r = box.itemRect(entry);
    const QColor frame = box.palette().color(box.isSelected(entry) ? QPalette::HighlightedText : QPalette::Text);
    int n = 0;
    for (int x = r.left() + 1; x < r.right(); ++x)
        if (image.pixelColor(x, r.top()) == frame)
            ++n;
    return n;
}

// The colour in the middle of an entry's empty right-hand part.
QColor fillOf(VoiceListBox& box, int entry)
{
    const QRect r = box.itemRect(entry);
    return box.grab().toImage().pixelColor(r.right() - 3, r.center().y());
}

}  // namespace

TEST_F(VoiceListWindow, TheCurrentEntryIsDrawnAndAVoiceShownByFindIsSelected)
{
    frmVoiceList* w = openBank("shown.dat", 40, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    VoiceListBox& box = *w->List1();
    const QColor base = box.palette().color(QPalette::Base);
    const QColor highlight = box.palette().color(QPalette::Highlight);

    // The arrow keys move a frame the user can see, focus or not.
    box.setCurrentIndex(3);
    QTest::keyClick(&box, Qt::Key_Down);
    ASSERT_EQ(box.currentIndex(), 4);
    EXPECT_GT(framePixels(box, 4), 5) << "the current entry has no frame";
    EXPECT_EQ(framePixels(box, 3), 0);
    EXPECT_EQ(fillOf(box, 4), base) << "keys move the frame, not the selection";

    // A voice shown by Find (UpdateListBox with a voice): its bank, framed and selected,
    // as the selected voice of the list.
    w->UpdateListBox(2, 5, false);
    EXPECT_EQ(w->bankPage(), 2);
    EXPECT_EQ(box.currentIndex(), 4);
    EXPECT_TRUE(box.isSelected(4));
    EXPECT_EQ(fillOf(box, 4), highlight);
    EXPECT_GT(framePixels(box, 4), 5);
    EXPECT_EQ(fillOf(box, 3), base);
    EXPECT_EQ(w->CurrentVoice(), 37);
    EXPECT_EQ(w->TotalSelections(), 1);
    EXPECT_EQ(testing::VoiceListFixture::shownSelected(*w), std::vector<int>{37});

    // Without a voice the page is shown as it is, nothing framed.
    w->UpdateListBox(1, 0, true);
    EXPECT_EQ(box.currentIndex(), -1);
    for (int i = 0; i < box.count(); ++i)
        EXPECT_EQ(framePixels(box, i), 0) << i;
}

}  // namespace shell
