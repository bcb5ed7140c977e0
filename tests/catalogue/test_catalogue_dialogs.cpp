// Tests of the Find, duplicate-search and grouping dialogs driving the catalogue engine
// over in-memory voice lists, with scripted answers.
#include "../shell/ShellTestSupport.h"

#include "banklib/AppState.h"
#include "banklib/CatalogueHooks.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "catalogue/CatalogueCommands.h"
#include "catalogue/GroupPatternEdit.h"
#include "catalogue/frmContinueSearchDlg.h"
#include "catalogue/frmDupStatus.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmFind.h"
#include "catalogue/frmGroupPatches.h"
#include "catalogue/frmGroupStatus.h"
#include "platform/Latin1.h"
#include "platform/VbText.h"
#include "platform/testing/ScriptedServices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace shell {
namespace {

using banklib::testing::FakeVoiceList;
using platform::MsgAnswer;
using shell::testing::whenModal;

// The main window's state with the Qt catalogue dialogs in place of the scripted ones.
class DialogAppState final : public banklib::AppState {
public:
    explicit DialogAppState(QWidget& mainWindow) : dialogs(&mainWindow) { banklib::installAppState(this); }
    ~DialogAppState() override { banklib::installAppState(nullptr); }
    DialogAppState(const DialogAppState&) = delete;
    DialogAppState& operator=(const DialogAppState&) = delete;

    std::string DataDirectory() const override { return fake.DataDirectory(); }
    void setDataDirectory(const std::string& folder) override { fake.setDataDirectory(folder); }
    std::string ProgramFolder() const override { return fake.ProgramFolder(); }
    std::int32_t SaveFileFormat() const override { return fake.SaveFileFormat(); }
    void setSaveFileFormat(std::int32_t layout) override { fake.setSaveFileFormat(layout); }
    std::vector<std::string> RecentFiles() const override { return fake.RecentFiles(); }
    void setRecentFiles(const std::vector<std::string>& paths) override { fake.setRecentFiles(paths); }
    std::int32_t MIDIDeviceNumber() const override { return 0; }
    banklib::VoiceListRegistry& colVoiceLists() override { return fake.registry; }
    banklib::ActiveWindow activeWindow() override { return fake.active; }
    banklib::GeneratorView& frmRandomiseVoices() override { return fake.generator; }
    banklib::CatalogueDialogs& catalogueDialogs() override { return dialogs; }

    banklib::testing::FakeAppState fake;
    CatalogueDialogsQt dialogs;
};

// One voice: its name and a number that decides its data (equal numbers, equal data).
struct Voice {
    std::string name;
    int body = 0;
};

platform::Recordset listOf(const std::vector<Voice>& voices)
{
    std::vector<std::uint8_t> bytes;
    for (const Voice& v : voices) {
        bytes.push_back(static_cast<std::uint8_t>(v.body % 100));
        bytes.push_back(static_cast<std::uint8_t>(v.body / 100 % 100));
        for (int i = 2; i < 145; ++i)
            bytes.push_back(static_cast<std::uint8_t>(i % 100));
        std::string name = v.name;
        name.resize(10, ' ');
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    banklib::clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    if (names.BuildRecordsetFromBytes(banklib::FileType::Unpacked, "list", rs, bytes, repaired))
        ADD_FAILURE() << "could not build the list";
    return rs;
}

std::vector<std::string> namesOf(banklib::VoiceListView& list)
{
    std::vector<std::string> out;
    list.rsmfimage().forEach(
        [&](const platform::RowRef& row) { out.push_back(platform::RTrim(row.text(banklib::VoiceListField::Names))); });
    return out;
}

std::vector<std::string> titlesOf(const std::vector<platform::testing::RecordedMessage>& shown)
{
    std::vector<std::string> out;
    for (const auto& m : shown)
        out.push_back(m.title);
    return out;
}

class CatalogueDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        main.setGeometry(100, 100, 800, 600);
        mainButton = new QPushButton(QStringLiteral("Menu"), &main);
        QObject::connect(mainButton, &QPushButton::clicked, [this] { ++mainClicks; });
        main.show();
        app = std::make_unique<DialogAppState>(main);
        app->fake.dataDirectory = folder.folder();
        // Files the catalogue writes open as lists of the registry.
        banklib::setVoiceListOpener([this](const std::string& path, bool, bool) -> banklib::VoiceListView* {
            opened.push_back(path);
            bool cancel = false;
            banklib::FileType type = banklib::FileType::NotFound;
            banklib::VoiceListView* view = app->fake.registry.Add(path, cancel, type);
            if (view == nullptr)
                return nullptr;
            banklib::clsVoiceNames reader;
            platform::Recordset rs;
            if (reader.OpenFileAsRecordsetByt(path, view->FileTitle(), type, rs) == -1)
                return nullptr;
            view->setRsmfimage(std::move(rs));
            view->setVoiceCount(view->rsmfimage().recordCount());
            return view;
        });
    }

    void TearDown() override
    {
        unloadCatalogueDialogs();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        banklib::setVoiceListOpener({});
    }

    FakeVoiceList& addList(const std::string& title, const std::vector<Voice>& voices)
    {
        lists.push_back(std::make_unique<FakeVoiceList>(folder.file(title), banklib::FileType::Unpacked, listOf(voices)));
        FakeVoiceList& list = *lists.back();
        list.show();
        app->fake.registry.registerList(list);
        app->fake.active.list = &list;
        return list;
    }

    std::vector<std::string> filesInDataFolder() const
    {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            out.push_back(entry.path().filename().string());
        return out;
    }

    platform::testing::ScriptedServices ui;
    QWidget main;
    QPushButton* mainButton = nullptr;
    int mainClicks = 0;
    testing::TempFolder folder;
    std::unique_ptr<DialogAppState> app;
    std::vector<std::unique_ptr<FakeVoiceList>> lists;
    std::vector<std::string> opened;
};

// ---- Find

TEST_F(CatalogueDialogsTest, FindOffersAllListsOnlyWithTwoListsAndStartsFromTheCurrentName)
{
    FakeVoiceList& first = addList("One.dat", {{"PIANO 1", 1}, {"BASS 1", 2}});
    frmFind* find = &showFindDialog(main, first);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->SearchListNo(), 1);
    EXPECT_FALSE(find->Option1(1)->isEnabled());
    EXPECT_TRUE(find->Option1(0)->isChecked());
    // The current voice is 0: the find box stays empty.
    EXPECT_TRUE(find->Text1()->text().isEmpty());
    EXPECT_EQ(find->Combo1()->count(), 3);
    EXPECT_EQ(find->Combo1()->currentText(), QStringLiteral("All"));
    find->Command1_Click(frmFind::kCancel);
    EXPECT_EQ(frmFind::instance(), nullptr);

    FakeVoiceList& second = addList("Two.dat", {{"STRINGS", 3}, {"BRASS 1", 4}});
    second.setCurrentVoice(2);
    find = &showFindDialog(main, second);
    EXPECT_EQ(find->SearchListNo(), 2);
    EXPECT_TRUE(find->Option1(1)->isEnabled());
    EXPECT_TRUE(find->Option1(1)->isChecked());
    EXPECT_EQ(find->Text1()->text(), QStringLiteral("BRASS 1"));
}

TEST_F(CatalogueDialogsTest, EnterInTheFindBoxFindsNextFromTheLastMatchUntilNothingIsLeft)
{
    FakeVoiceList& list = addList("One.dat", {{"PIANO 1", 1}, {"BASS 1", 2}, {"STRINGS", 3}, {"bass 2", 4}, {"BRASS", 5}});
    list.setCurrentVoice(1);
    // Find Next before any Find does nothing.
    findNext();
    EXPECT_TRUE(ui.messagesShown().empty());

    frmFind& find = showFindDialog(main, list);
    find.Text1()->setText(QStringLiteral("BASS*"));
    find.Check1()->setChecked(true);
    QTest::keyClick(find.Text1(), Qt::Key_Return);
    EXPECT_EQ(list.listBoxVoice(), 2);
    QTest::keyClick(find.Text1(), Qt::Key_Enter);
    EXPECT_EQ(list.listBoxVoice(), 4);
    EXPECT_EQ(find.Text1()->text(), QStringLiteral("BASS*"));
    EXPECT_TRUE(ui.messagesShown().empty());

    // F3 presses Find Next: nothing is left, and the next search starts afresh.
    ui.answer(MsgAnswer::Ok);
    findNext();
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Find");
    EXPECT_EQ(ui.messagesShown()[0].text, "Search complete \r\nBASS* not found.");
    findNext();
    EXPECT_EQ(list.listBoxVoice(), 2);
    EXPECT_EQ(frmFind::instance(), &find);
}

TEST_F(CatalogueDialogsTest, FindGoesOnInTheActiveListWhenItsStartListHasClosed)
{
    FakeVoiceList& first = addList("One.dat", {{"PIANO 1", 1}, {"BASS 1", 2}});
    FakeVoiceList& second = addList("Two.dat", {{"BASS 2", 3}});
    frmFind& find = showFindDialog(main, second);
    find.Text1()->setText(QStringLiteral("BASS 1"));
    find.Option1(0)->setChecked(true);
    app->fake.registry.Delete(second.ListID());
    app->fake.active.list = &first;
    find.Command1_Click(frmFind::kFindNext);
    EXPECT_EQ(first.listBoxVoice(), 2);
    EXPECT_EQ(find.SearchListNo(), 1);
}

// ---- duplicate search

TEST_F(CatalogueDialogsTest, OnlyAWholeFileSearchOffersSortingFirst)
{
    FakeVoiceList& list = addList("One.dat", {{"A", 1}, {"B", 2}});
    frmDuplicates& dialog = showDuplicatesDialog(main, list);
    EXPECT_EQ(dialog.TargetList(), &list);
    EXPECT_TRUE(dialog.Option1(1)->isChecked());
    EXPECT_TRUE(dialog.Check1()->isChecked());
    for (int scope : {1, 2}) {
        dialog.Option2(scope)->click();
        EXPECT_FALSE(dialog.Check2()->isChecked()) << scope;
        EXPECT_FALSE(dialog.Check2()->isEnabled()) << scope;
        dialog.Option2(0)->click();
        EXPECT_TRUE(dialog.Check2()->isChecked()) << scope;
        EXPECT_TRUE(dialog.Check2()->isEnabled()) << scope;
    }
    // The engine reads what the controls show.
    dialog.Option1(3)->click();
    dialog.Option2(2)->click();
    dialog.Check1()->setChecked(false);
    const banklib::DuplicateOptions o = app->dialogs.duplicateOptions();
    EXPECT_EQ(o.Option1, 3);
    EXPECT_EQ(o.Option2, 2);
    EXPECT_EQ(o.Check1, 0);
    EXPECT_EQ(o.Check2, 0);
}

TEST_F(CatalogueDialogsTest, CancelInTheProgressWindowAsksAndOnlyYesStops)
{
    std::vector<Voice> voices;
    for (int i = 0; i < 1100; ++i)
        voices.push_back({"V" + platform::Format(i + 1, "0000"), i});
    FakeVoiceList& list = addList("Big.dat", voices);
    frmDuplicates& dialog = showDuplicatesDialog(main, list);
    // Data without names: no sorting, one progress event per voice.
    dialog.Option1(3)->click();

    int events = 0;
    bool shownDuringRun = false;
    bool finalRowsDuringRun = true;
    bool dialogHidden = false;
    ui.onProcessEvents([&](std::int64_t) {
        ++events;
        ui.advance(100);  // every event repaints
        frmDupStatus* status = frmDupStatus::instance();
        ASSERT_NE(status, nullptr);
        if (events == 1) {
            shownDuringRun = status->isVisible();
            finalRowsDuringRun = status->finalRowsVisible();
            dialogHidden = !dialog.isVisible();
        }
        if (events == 3 || events == 6)
            QTest::mouseClick(status->CancelButton(), Qt::LeftButton);
    });
    ui.answer(MsgAnswer::No);
    ui.answer(MsgAnswer::Yes);
    ui.answer(MsgAnswer::Ok);
    dialog.OKButton()->click();

    EXPECT_EQ(events, 6);
    EXPECT_TRUE(shownDuringRun);
    EXPECT_FALSE(finalRowsDuringRun);
    EXPECT_TRUE(dialogHidden);
    EXPECT_EQ(titlesOf(ui.messagesShown()),
              (std::vector<std::string>{"Search Interrupted", "Search Interrupted", "No Duplicates Found"}));
    EXPECT_EQ(ui.messagesShown()[0].text, "Are you sure you want to stop this search ?");
    EXPECT_FALSE(dialog.CancelSearch);
    EXPECT_EQ(frmDupStatus::instance(), nullptr);
    EXPECT_EQ(frmDuplicates::instance(), &dialog);
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(CatalogueDialogsTest, TickingContinueUntilTheEndHoldsForOneSearchOnly)
{
    FakeVoiceList& list = addList("One.dat", {{"A", 1}, {"A", 1}, {"B", 2}, {"B", 2}, {"C", 3}, {"C", 3}});
    frmDuplicates& dialog = showDuplicatesDialog(main, list);
    dialog.Check1()->setChecked(false);  // ask for every source voice
    dialog.Check2()->setChecked(false);

    int asked = 0;
    whenModal<frmContinueSearchDlg>([&](frmContinueSearchDlg* box) {
        ++asked;
        // Ticked and unticked again: the rest of this search is not asked about.
        box->Check1()->click();
        box->Check1()->click();
        box->OKButton()->click();
    });
    for (int i = 0; i < 3; ++i)
        ui.answer(MsgAnswer::Yes);
    dialog.OKButton()->click();

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(titlesOf(ui.messagesShown()), (std::vector<std::string>(3, "Matching patch found")));
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"A", "B", "C"}));
    // A whole-file search hides the dialog, which stays loaded.
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(frmDuplicates::instance(), &dialog);
    // The next search asks again.
    EXPECT_EQ(frmContinueSearchDlg::instance(), nullptr);
    EXPECT_FALSE(app->dialogs.continueDontAskAgain());
}

// ---- grouping

TEST_F(CatalogueDialogsTest, AnInvalidPatternIsRefusedByItsGroupNumberAndNothingChanges)
{
    FakeVoiceList& list = addList("One.dat", {{"BASS 1", 1}, {"PIANO", 2}, {"BASS 2", 3}});
    frmGroupPatches& dialog = showGroupPatchesDialog(main, list);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Group Patches in One.dat"));
    dialog.Option1(1)->click();  // move
    dialog.Check1(0)->click();   // group 1 off
    dialog.Check1(1)->click();
    dialog.Check1(4)->click();
    EXPECT_FALSE(dialog.MaskEdBox1(0)->isEnabled());
    EXPECT_TRUE(dialog.MaskEdBox1(4)->isEnabled());
    dialog.MaskEdBox1(1)->setPatterns("BASS*", "");
    dialog.MaskEdBox1(4)->setText("B*SS      " " OR " "          ");
    EXPECT_EQ(dialog.collectPatterns().entries, (std::vector<std::string>{"BASS*", "", "B*SS", ""}));

    ui.answer(MsgAnswer::Ok);
    dialog.OKButton()->click();

    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Search String Invalid");
    EXPECT_EQ(ui.messagesShown()[0].text, "The Group search could not be completed because there was an error in the "
                                          "search pattern  for Group 5");
    EXPECT_EQ(namesOf(list), (std::vector<std::string>{"BASS 1", "PIANO", "BASS 2"}));
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(filesInDataFolder().empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(CatalogueDialogsTest, GroupingCopiesOrMovesAsChosen)
{
    struct Row {
        bool move;
        bool selectionOnly;
        std::vector<std::string> groupFile;
        std::vector<std::string> listAfter;
        MsgAnswer extend;
        std::string file = "Copy.dat";  // the list's file, named in the dialog's title
    };
    const Row rows[] = {
        {false, false, {"BASS 1", "BASS 2"}, {"BASS 1", "PIANO", "BASS 2", "PIANO 2"}, MsgAnswer::Yes},
        {true, true, {"BASS 2"}, {"BASS 1", "PIANO", "PIANO 2"}, MsgAnswer::No, "Move.dat"},
        // A name with letters outside ASCII (UTF-8 on disk) reads in the title as it does
        // in the title bar.
        {false, false, {"BASS 1", "BASS 2"}, {"BASS 1", "PIANO", "BASS 2", "PIANO 2"}, MsgAnswer::No,
         "na\xC3\xAFve caf\xC3\xA9 \xD0\x91\xD0\xB0\xD0\xBD\xD0\xBA.dat"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        ui.clear();
        opened.clear();
        FakeVoiceList& list = addList(row.file, {{"BASS 1", 1}, {"PIANO", 2}, {"BASS 2", 3}, {"PIANO 2", 4}});
        frmGroupPatches& dialog = showGroupPatchesDialog(main, list);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Group Patches in " + row.file);
        dialog.Option1(row.move ? 1 : 0)->click();
        dialog.Option2(row.selectionOnly ? 1 : 0)->click();
        dialog.MaskEdBox1(0)->setPatterns("bass*", "");
        if (row.selectionOnly) {
            // No voice selected: refused before the engine runs.
            ui.answer(MsgAnswer::Ok);
            dialog.OKButton()->click();
            ASSERT_EQ(ui.messagesShown().size(), 1u);
            EXPECT_EQ(ui.messagesShown()[0].title, "No Voices Selected");
            EXPECT_EQ(ui.messagesShown()[0].text,
                      "Please select the voice patches in Move.dat you want to use for this search");
            EXPECT_TRUE(opened.empty());
            ui.clear();
            list.selectionTracker().tr[3] = true;
            list.selectionTracker().TotalSelections = 1;
        }
        EXPECT_TRUE(app->dialogs.groupMovesVoices() == row.move);
        EXPECT_TRUE(app->dialogs.groupCurrentSelection() == row.selectionOnly);
        if (row.move)
            ui.answer(MsgAnswer::No);  // keep the deletions
        ui.answer(row.extend);
        dialog.OKButton()->click();

        ASSERT_EQ(opened.size(), 1u);
        banklib::VoiceListView* group = app->fake.registry.lists().back();
        EXPECT_EQ(namesOf(*group), row.groupFile);
        EXPECT_EQ(namesOf(list), row.listAfter);
        const std::vector<platform::testing::RecordedMessage>& shown = ui.messagesShown();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back().title, "Extend Search");
        EXPECT_EQ(shown.back().text, "Search results: 1 file created. \r\n\r\nWould you like to create some more "
                                     "Patch Groups from " + list.FileTitle() + "?");
        EXPECT_EQ(ui.unexpectedMessages(), 0);
        if (row.extend == MsgAnswer::Yes) {
            EXPECT_TRUE(dialog.isVisible());
        } else {
            EXPECT_EQ(frmGroupPatches::instance(), nullptr);
        }
        unloadCatalogueDialogs();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CatalogueDialogsTest, ARunShutsOutTheMainWindowButNotItsProgressWindow)
{
    std::vector<Voice> voices;
    for (int i = 0; i < 1030; ++i)
        voices.push_back({(i % 3 == 0 ? "BASS " : "PAD ") + std::to_string(i), i});
    FakeVoiceList& list = addList("One.dat", voices);
    frmFind& find = showFindDialog(main, list);
    frmGroupPatches& dialog = showGroupPatchesDialog(main, list);
    for (int g = 1; g < 3; ++g)
        dialog.Check1(g)->click();
    dialog.MaskEdBox1(0)->setPatterns("BASS*", "");
    dialog.MaskEdBox1(1)->setPatterns("PAD*", "");
    dialog.MaskEdBox1(2)->setPatterns("NONE*", "");

    int events = 0;
    bool mainCloseRefused = false;
    bool findCloseRefused = false;
    ui.onProcessEvents([&](std::int64_t) {
        if (++events != 1)
            return;
        QTest::mouseClick(mainButton, Qt::LeftButton);
        QTest::keyClick(find.Text1(), Qt::Key_Return);
        QCloseEvent close;
        QApplication::sendEvent(&main, &close);
        mainCloseRefused = !close.isAccepted() && main.isVisible();
        QCloseEvent closeFind;
        QApplication::sendEvent(&find, &closeFind);
        findCloseRefused = frmFind::instance() == &find;
        // The progress window still takes its Cancel.
        QTest::mouseClick(frmGroupStatus::instance()->CancelButton(), Qt::LeftButton);
    });
    ui.answer(MsgAnswer::Yes);  // stop
    ui.answer(MsgAnswer::No);   // no more groups
    dialog.OKButton()->click();

    EXPECT_GE(events, 1);
    EXPECT_EQ(mainClicks, 0);
    EXPECT_TRUE(mainCloseRefused);
    EXPECT_TRUE(findCloseRefused);
    EXPECT_EQ(titlesOf(ui.messagesShown()), (std::vector<std::string>{"Search Interrupted", "Extend Search"}));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(list.rsmfimage().recordCount(), 1030);
    // After the run the main window takes input again.
    EXPECT_FALSE(app->dialogs.runActive());
    QTest::mouseClick(mainButton, Qt::LeftButton);
    EXPECT_EQ(mainClicks, 1);
}

}  // namespace
}  // namespace shell
