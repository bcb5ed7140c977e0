// Brevane - the voice editor window opened from a voice list, edited, reset and closed,
// and what it sends when the program runs it over a MIDI output.
#include "EditorTestSupport.h"

#include "editor/AlgorithmDiagram.h"
#include "editor/CellSpin.h"
#include "editor/GridMap.h"
#include "editor/ParameterGridModel.h"
#include "editor/VoiceChart.h"
#include "editor/frmVoiceRecordset.h"
#include "banklib/InitVoice.h"
#include "catalogue/GroupPatternEdit.h"
#include "catalogue/frmDuplicates.h"
#include "catalogue/frmGroupPatches.h"
#include "voicelist/VoiceDrag.h"
#include "voicelist/frmFileFormatDialog.h"
#include "midi/AuditionNote.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/OpenDevices.h"
#include "midi/testing/TimedNotes.h"
#include "midiui/MidiInitSetup.h"
#include "platform/Latin1.h"
#include "platform/VbText.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/SimulatedDX7Backend.h"
#include "shell/QtEventLoop.h"
#include "shell/QtMessageService.h"
#include "shell/QtStatusService.h"
#include "tools/frmRandomiseVoices.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

using banklib::FileType;
using editor::EditPath;
using editor::frmAlgorithms;
using editor::frmVoiceEditor;
using editor::ParameterEdits;
using editor::VoiceListEditors;
using platform::MsgAnswer;
using shell::frmVoiceList;

constexpr int kOutputOp1 = (6 - 1) * 21 + 16;  // operator 1's output level
constexpr int kSensitivityGrid1 = 1 + 18;

// The program's MIDI output, open on a loopback backend that records what goes out.
struct LoopbackOutput {
    explicit LoopbackOutput(shell::frmStartup& main)
        : init(dynamic_cast<shell::MidiInitSetup&>(main.objMIDIInit()).object())
    {
        backend.setEcho(false);
        init.setBackend(&backend);
        backend.refreshDevices();
        EXPECT_TRUE(midi::testing::OpenDevicesByName(init, "None", "Loopback MIDI Out"));
        main.updateCommands();
        backend.clearSent();
    }
    ~LoopbackOutput()
    {
        midi::CloseMidiDevices(true, true);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
        init.setBackend(nullptr);
    }
    LoopbackOutput(const LoopbackOutput&) = delete;
    LoopbackOutput& operator=(const LoopbackOutput&) = delete;

    midi::clsMIDIInit& init;
    platform::LoopbackMidiBackend backend;
};

class EditorWindowTest : public editor::testing::EditorFixture {
protected:
    frmVoiceList* bank(const std::string& name = "bank.syx", std::size_t n = 8, FileType type = FileType::PackedSysex)
    {
        return openBank(name, n, type);
    }
    // Changes operator 1's output level as the spin does and returns the new value.
    static int nudge(frmVoiceEditor& e)
    {
        const int v = e.edits().value(kOutputOp1);
        const int next = v == 99 ? 98 : v + 1;
        EXPECT_TRUE(e.edits().commit(kOutputOp1, next, EditPath::Spin));
        return next;
    }
    // The program loses (false) or regains the focus as the window system reports it: its
    // main window deactivated or activated and the application's state changed, in
    // either order.
    void programFocus(bool focus, bool windowFirst)
    {
        QEvent state(focus ? QEvent::ApplicationActivate : QEvent::ApplicationDeactivate);
        if (!windowFirst)
            QCoreApplication::sendEvent(qApp, &state);
        QApplication::setActiveWindow(focus ? main.get() : nullptr);
        if (windowFirst)
            QCoreApplication::sendEvent(qApp, &state);
        processEvents();
    }
    // The child windows the Window menu lists, as the opened menu shows them (without
    // their numbers).
    std::vector<QString> windowMenuEntries()
    {
        QMenu* menu = main->findChild<QMenu*>(QStringLiteral("mnuWindow"));
        menu->popup(main->mapToGlobal(QPoint(0, 0)));
        std::vector<QString> entries;
        for (std::size_t slot = 0; slot < shell::kWindowListSlots; ++slot) {
            const QAction* a = main->action(shell::windowListCommand(slot));
            if (a->isVisible())
                entries.push_back(a->text().mid(a->text().indexOf(QLatin1Char(' ')) + 1));
        }
        menu->close();
        return entries;
    }
    // Puts the current cell of grid n on its row r, as a click would.
    static void clickCell(frmVoiceEditor& e, int grid, int row)
    {
        QTableView* view = e.dGrid1(grid);
        view->setCurrentIndex(view->model()->index(row, 1));
    }
};

TEST_F(EditorWindowTest, OpeningAVoiceShowsItsEditorAndTheViewer)
{
    frmVoiceList* list = bank();
    ASSERT_NE(list, nullptr);
    ui.clear();
    frmVoiceEditor* e = openEditor(*list, 3);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->caption(), shell::testing::nameOf(3, FileType::PackedSysex));
    EXPECT_EQ(e->VoiceName(), e->caption());
    EXPECT_EQ(e->VoiceListID(), list->ListID());
    EXPECT_EQ(e->VoiceNo(), 3);
    EXPECT_NE(e->ChecksumOnEntry(), 0);
    EXPECT_TRUE(e->subWindow()->isVisible());
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), e->subWindow());
    EXPECT_EQ(ui.statusText(), "");
    EXPECT_EQ(ui.unexpectedMessages(), 0);
    // Every grid shows its rows; the algorithm box, the diagram and the viewer show the
    // voice's algorithm with all operators on.
    for (int g = 0; g < editor::kGridCount; ++g)
        EXPECT_EQ(e->dGrid1(g)->model()->rowCount(), static_cast<int>(editor::rowsOfGrid(g).size())) << g;
    const int alg = stored(*list, 3, ParameterEdits::kAlgorithmRow);
    EXPECT_EQ(e->Combo1()->currentIndex(), alg);
    EXPECT_EQ(e->diagram()->algorithm(), alg + 1);
    EXPECT_EQ(e->OperatorStatus(), 63);
    ASSERT_NE(frmAlgorithms::instance(), nullptr);
    EXPECT_EQ(frmAlgorithms::instance()->UpDown1(), alg);
    EXPECT_EQ(frmAlgorithms::instance()->diagram()->algorithm(), alg + 1);
    // The command table sees an editor: Save Voice is enabled.
    EXPECT_EQ(main->activeChild().kind, shell::ChildKind::VoiceEditor);
    // The tag of drag and drop between editors.
    EXPECT_EQ(platform::toBytes(e->dGrid1(4)->property("EditorControlTag").toString()),
              list->ListID() + "," + e->EditorID());

    // The real status bar paints "Loading Voice Editor - Please Wait" while the editor is
    // being made, and is empty again once it shows.
    shell::QtStatusService bar;
    bar.setMainWindow(main.get());
    platform::installStatusService(&bar);
    auto* panel = main->findChild<QLabel*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    QStringList painted;
    shell::testing::PaintWatch watch(*panel, [&] { painted << panel->text(); });
    EXPECT_NE(openEditor(*list, 4), nullptr);
    platform::installStatusService(&ui);
    EXPECT_TRUE(painted.contains(QStringLiteral("Loading Voice Editor - Please Wait")))
        << painted.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(panel->text(), QString());

    // The viewer a voice loads only holds the diagrams, however the main window stands
    // while the voice loads: neither shown nor listed in the Window menu.
    struct Row {
        const char* what;
        std::function<void()> before, after;  // before and after the voice loads
    };
    const Row rows[] = {
        {"the main window shown", [] {}, [] {}},
        {"the main window hidden, then shown", [&] { main->hide(); }, [&] { main->show(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (frmVoiceEditor* open : VoiceListEditors::of(*list).Editors().editors())
            EXPECT_TRUE(open->unload());
        processEvents();
        ASSERT_EQ(frmAlgorithms::instance(), nullptr);
        row.before();
        ASSERT_NE(openEditor(*list, 5), nullptr);
        row.after();
        processEvents();
        EXPECT_FALSE(frmAlgorithms::instance()->subWindow()->isVisible());
        EXPECT_EQ(std::ranges::count(windowMenuEntries(), QStringLiteral("Algorithms")), 0);
    }
}

TEST_F(EditorWindowTest, SecondOpenOffersTheResetAndYesThrowsTheEditsAway)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 2);
    const int original = e->edits().value(kOutputOp1);
    nudge(*e);
    ui.clear();
    ui.answer(MsgAnswer::No);
    EXPECT_EQ(openEditor(*list, 2), e);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text,
              "You already have an editor open for this voice, do you want to reset this to the saved version ?");
    EXPECT_EQ(ui.messagesShown()[0].style, platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question);
    EXPECT_NE(e->edits().value(kOutputOp1), original);
    ui.answer(MsgAnswer::Yes);
    EXPECT_EQ(openEditor(*list, 2), e);
    EXPECT_EQ(e->edits().value(kOutputOp1), original);
    EXPECT_EQ(VoiceListEditors::of(*list).Editors().count(), 1);
}

TEST_F(EditorWindowTest, OneEditorPerVoiceAndPerList)
{
    frmVoiceList* a = bank("a.syx");
    frmVoiceList* b = bank("b.syx");
    frmVoiceEditor* a1 = openEditor(*a, 1);
    frmVoiceEditor* a2 = openEditor(*a, 2);
    frmVoiceEditor* b1 = openEditor(*b, 1);
    EXPECT_NE(a1, a2);
    EXPECT_NE(a1, b1);
    EXPECT_EQ(VoiceListEditors::of(*a).Editors().count(), 2);
    EXPECT_EQ(VoiceListEditors::of(*a).Recordsets().count(), 2);
    EXPECT_EQ(VoiceListEditors::of(*b).Editors().count(), 1);
    EXPECT_EQ(VoiceListEditors::openEditorCount(), 3);
}

TEST_F(EditorWindowTest, AVoiceRefusedWhileLoadingLeavesNothing)
{
    frmVoiceList* list = bank("bad.dat", 4, FileType::Unpacked);
    // A value out of its range in voice 2 (operator 6's rate 1 at 120).
    list->rsmfimage().setAbsolutePosition(2);
    std::string data = list->rsmfimage().text(banklib::VoiceListField::Data);
    data[0] = static_cast<char>(120);
    list->rsmfimage().setValue(banklib::VoiceListField::Data, data);
    ui.clear();
    ui.answer(MsgAnswer::No);
    EXPECT_EQ(openEditor(*list, 2), nullptr);
    EXPECT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.statusText(), "");
    EXPECT_FALSE(ui.busy());
    EXPECT_EQ(VoiceListEditors::of(*list).Editors().count(), 0);
    EXPECT_EQ(VoiceListEditors::of(*list).Recordsets().count(), 0);
    EXPECT_EQ(frmAlgorithms::instance(), nullptr);
    EXPECT_EQ(openEditor(*list, 9), nullptr);
    // Yes loads it with the value at its top.
    ui.answer(MsgAnswer::Yes);
    frmVoiceEditor* e = openEditor(*list, 2);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->edits().value(0), 99);
}

TEST_F(EditorWindowTest, ClosingAnUnchangedEditorAsksNothingAndTheLastClosesTheViewer)
{
    frmVoiceList* a = bank("a.syx");
    frmVoiceList* b = bank("b.syx");
    frmVoiceEditor* a1 = openEditor(*a, 1);
    QPointer<frmVoiceEditor> b1 = openEditor(*b, 1);
    ui.clear();
    EXPECT_TRUE(a1->unload());
    EXPECT_TRUE(ui.messagesShown().empty());
    // Another list still has an editor: the viewer stays.
    ASSERT_NE(frmAlgorithms::instance(), nullptr);
    EXPECT_TRUE(b1->unload());
    processEvents();
    EXPECT_EQ(frmAlgorithms::instance(), nullptr);
    EXPECT_EQ(VoiceListEditors::openEditorCount(), 0);
}

TEST_F(EditorWindowTest, SaveChangesYesNoCancel)
{
    frmVoiceList* list = bank();
    const std::string before = storedVoice(*list, 4);

    frmVoiceEditor* e = openEditor(*list, 4);
    const int changed = nudge(*e);
    ui.clear();
    ui.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(e->unload());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, e->caption() + " has changed\r\nSave Changes ?");
    EXPECT_EQ(ui.messagesShown()[0].title, "Save Voice");
    EXPECT_EQ(e->edits().value(kOutputOp1), changed);
    EXPECT_EQ(storedVoice(*list, 4), before);

    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(e->unload());
    EXPECT_EQ(storedVoice(*list, 4), before);

    frmVoiceEditor* again = openEditor(*list, 4);
    const int saved = nudge(*again);
    ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(again->unload());
    EXPECT_EQ(stored(*list, 4, kOutputOp1), saved);
    const std::string after = storedVoice(*list, 4);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (static_cast<int>(i) != kOutputOp1) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
}

TEST_F(EditorWindowTest, AnEditorFollowsItsVoiceThroughSortPasteAndMove)
{
    frmVoiceList* list = bank("sorted.syx", 6);
    // Voice 5 is renamed so that sorting moves it to the top.
    list->rsmfimage().setAbsolutePosition(5);
    list->rsmfimage().setValue(banklib::VoiceListField::Names, std::string("AAA FIRST "));
    frmVoiceEditor* e = openEditor(*list, 5);
    const int saved = nudge(*e);
    edit(*list, 8);  // Sort Voice List
    list->rsmfimage().setAbsolutePosition(1);
    ASSERT_EQ(list->rsmfimage().text(banklib::VoiceListField::Names), "AAA FIRST ");
    // Cut voice 1 (our voice) and paste it at voice 4 of the same list.
    (void)list->AddTracker(1, 0);
    edit(*list, 0);
    list->setCurrentVoice(4);
    edit(*list, 2);
    ASSERT_EQ(list->rsmfimage().recordCount(), 6);
    const int now = list->rsmfimage().positionOf(e->VoiceBookmark());
    ASSERT_GT(now, 0);
    ui.clear();
    ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(e->unload());
    EXPECT_EQ(stored(*list, now, kOutputOp1), saved);
    list->rsmfimage().setAbsolutePosition(now);
    EXPECT_EQ(list->rsmfimage().text(banklib::VoiceListField::Names), "AAA FIRST ");
}

TEST_F(EditorWindowTest, AVoiceDeletedUnderItsEditor)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 2);
    const int original = e->edits().value(kOutputOp1);
    const int changed = nudge(*e);
    const std::string third = storedVoice(*list, 3);
    (void)list->AddTracker(2, 0);
    edit(*list, 3);  // Delete
    ASSERT_EQ(list->rsmfimage().recordCount(), 7);
    // Reset says so and keeps the edits.
    ui.clear();
    e->ResetVoice();
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Reset Voice");
    EXPECT_EQ(e->edits().value(kOutputOp1), changed);
    EXPECT_NE(changed, original);
    // Closing says the voice is gone, and no other voice is overwritten.
    ui.clear();
    EXPECT_TRUE(e->unload());
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_NE(ui.messagesShown()[0].text.find("is no longer in"), std::string::npos);
    EXPECT_EQ(storedVoice(*list, 2), third);
}

TEST_F(EditorWindowTest, RenameReachesTheEditorAndAsksNothingAtClosing)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    list->rsmfimage().setAbsolutePosition(1);
    const platform::Bookmark bookmark = list->rsmfimage().bookmark();
    list->rsmfimage().setValue(banklib::VoiceListField::Names, std::string("NEW       "));
    emit list->voiceRenamed(1, bookmark, QStringLiteral("VOICE 0001"), QStringLiteral("NEW"));
    EXPECT_EQ(e->caption(), "NEW       ");
    ui.clear();
    EXPECT_TRUE(e->unload());
    EXPECT_TRUE(ui.messagesShown().empty());
    EXPECT_EQ(list->rsmfimage().text(banklib::VoiceListField::Names), "NEW       ");
}

TEST_F(EditorWindowTest, RenameOfAChangedVoiceSavesTheNewName)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    const int changed = nudge(*e);
    list->rsmfimage().setAbsolutePosition(1);
    const platform::Bookmark bookmark = list->rsmfimage().bookmark();
    list->rsmfimage().setValue(banklib::VoiceListField::Names, std::string("RENAMED   "));
    emit list->voiceRenamed(1, bookmark, QStringLiteral("VOICE 0001"), QStringLiteral("RENAMED"));
    ui.clear();
    ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(e->unload());
    EXPECT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(list->rsmfimage().text(banklib::VoiceListField::Names), "RENAMED   ");
    EXPECT_EQ(stored(*list, 1, kOutputOp1), changed);
}

TEST_F(EditorWindowTest, AListClosesItsEditorsFirstAndCancelKeepsBoth)
{
    frmVoiceList* list = bank();
    QPointer<frmVoiceEditor> e = openEditor(*list, 1);
    nudge(*e);
    ui.clear();
    ui.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(list->unload());
    EXPECT_TRUE(e);
    EXPECT_FALSE(e->unloaded());
    EXPECT_TRUE(voiceLists->lists().contains(list));
    // No to the editor's question, No to the list's own.
    ui.answer(MsgAnswer::No);
    ui.answer(MsgAnswer::No);
    EXPECT_TRUE(list->unload());
    processEvents();
    EXPECT_FALSE(e);
    EXPECT_EQ(frmAlgorithms::instance(), nullptr);
}

TEST_F(EditorWindowTest, SaveVoiceWritesTheActiveEditorsVoiceWithoutAsking)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 6);
    const int changed = nudge(*e);
    main->mdiArea()->setActiveSubWindow(e->subWindow());
    ui.clear();
    // The command as the program installs it.
    shell::StartupOptions options;
    editor::installVoiceEditor(options);
    EXPECT_TRUE(options.extraFeatures.voiceEditor);
    options.runExtraCommand(shell::CommandId::FileSaveVoice);
    EXPECT_TRUE(ui.messagesShown().empty());
    EXPECT_EQ(stored(*list, 6, kOutputOp1), changed);
    // Now unchanged against the list: closing asks nothing.
    EXPECT_TRUE(e->unload());
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(EditorWindowTest, TheModifiedMarkIsTheHasChangedTestAfterEveryChange)
{
    // The test the save question asks: the CRC-32 of the bytes a save writes against
    // SavedCRC, a temporary list always changed.
    const auto hasChanged = [](frmVoiceList& w) {
        banklib::clsVoiceNames names;
        std::vector<std::uint8_t> image;
        return w.SavedCRC() == banklib::kSavedCrcTemporary ||
               names.RecordsetToByteArray(w.rsmfimage(), image, w.fileType()) != w.SavedCRC();
    };
    // A bank of 8 voices whose voice 2 is voice 1 again and whose voice 3 has a name with
    // an apostrophe (repairs), else plain.
    const auto file = [&](const std::string& name, bool duplicate, bool badName) {
        std::vector<std::uint8_t> voices = banklib::test::packedVoices(8);
        if (duplicate)
            std::copy_n(voices.begin(), 128, voices.begin() + 128);
        if (badName)
            voices[2 * 128 + 118 + 2] = '\'';
        banklib::clsVoiceNames writer;
        EXPECT_FALSE(writer.SaveVoiceDataToFileByt(voices, data.file(name), FileType::PackedSysex, true));
        return data.file(name);
    };
    const auto rename = [&](frmVoiceList& w, int entry, const std::string& name) {
        click(w, entry);
        click(w, entry);
        ASSERT_TRUE(timerOf(w).fire());
        w.Text1()->setText(QString::fromLatin1(name));
        w.commitRename();
    };
    const auto layoutDialogOk = [] {
        shell::testing::whenModal<shell::frmFileFormatDialog>(
            [](shell::frmFileFormatDialog* d) { d->OKButton()->click(); });
    };
    const auto listTitled = [&](const std::string& start) -> frmVoiceList* {
        for (banklib::VoiceListView* v : voiceLists->lists().lists())
            if (v->FileTitle().starts_with(start))
                return dynamic_cast<frmVoiceList*>(v);
        return nullptr;
    };
    const auto removeDuplicates = [&](frmVoiceList& w) {
        EXPECT_TRUE(w.unload());
        frmVoiceList* doubled = open(file("doubled.syx", true, false));
        edit(*doubled, 9);
        ui.answer(MsgAnswer::Yes);  // remove it, into a new list
        shell::frmDuplicates::instance()->OKButton()->click();
        return doubled;
    };
    // A bank received from a synthesizer at the other end of the cable.
    platform::SimulatedDX7Backend synth;
    midi::clsMIDIInit& init = dynamic_cast<shell::MidiInitSetup&>(main->objMIDIInit()).object();
    const auto receiveBank = [&] {
        init.setBackend(&synth);
        synth.refreshDevices();
        EXPECT_TRUE(midi::testing::OpenDevicesByName(init, "DX7 Simulator Out", "DX7 Simulator In"));
        main->updateCommands();
        main->action(shell::CommandId::MidiReceiveBank)->trigger();
        // The command returns while the request waits; the bank opens when it has come.
        midi::testing::WaitForRequestEnd();
        midi::CloseMidiDevices(true, true);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
        init.setBackend(nullptr);
    };
    tools::frmRandomiseVoices::setDeferredCallFactory(
        [] { return std::make_unique<shell::testing::ManualDeferredCall>(); });
    tools::frmRandomiseVoices& generator = tools::frmRandomiseVoices::install(*main);
    generator.setGenerator(std::make_unique<tools::clsPatchGenerator>(5));
    // The window's entry in the Window menu as the opened menu shows it, drawn from the
    // window's frame as its title bar is: the caption, "*" after it while marked.
    const auto windowMenuEntry = [&](frmVoiceList& w) {
        const QString caption = QFile::decodeName(w.caption().c_str());
        std::string entry;
        for (const QString& text : windowMenuEntries())
            if (text == caption || text == caption + QLatin1Char('*'))
                entry = text.toStdString();
        return entry;
    };
    const auto marked = [&](frmVoiceList& w) {
        return QFile::decodeName(w.caption().c_str()).toStdString() + (hasChanged(w) ? "*" : "");
    };
    struct Row {
        const char* path;
        bool changed;
        // Changes the list (opened on a file of its own) and gives the window to look at.
        std::function<frmVoiceList*(frmVoiceList&)> change;
    };
    const Row rows[] = {
        {"save voice", true,
         [&](frmVoiceList& w) {
             frmVoiceEditor* e = openEditor(w, 1);
             nudge(*e);
             main->mdiArea()->setActiveSubWindow(e->subWindow());
             editor::SaveVoiceCommand();
             return &w;
         }},
        {"yes to save changes", true,
         [&](frmVoiceList& w) {
             frmVoiceEditor* e = openEditor(w, 2);
             nudge(*e);
             ui.answer(MsgAnswer::Yes);
             EXPECT_TRUE(e->unload());
             return &w;
         }},
        {"rename and back", false,
         [&](frmVoiceList& w) {
             rename(w, 0, "RENAMED");
             rename(w, 0, platform::RTrim(shell::testing::nameOf(1, FileType::PackedSysex)));
             return &w;
         }},
        {"paste", true,
         [&](frmVoiceList& w) {
             click(w, 3);
             edit(w, 1);  // Copy
             edit(w, 2);  // Paste
             return &w;
         }},
        {"drop in place", false,
         [&](frmVoiceList& w) {
             click(w, 2);
             const auto drag = shell::makeVoiceDragData(w.BuildDragText());
             EXPECT_TRUE(w.List1_OLEDragDrop(drag.get(), pointOf(w, 3), Qt::NoModifier));
             return &w;
         }},
        {"drop from another list", true,
         [&](frmVoiceList& w) {
             frmVoiceList* other = bank("other.syx");
             click(*other, 0);
             const auto drag = shell::makeVoiceDragData(other->BuildDragText());
             EXPECT_TRUE(w.List1_OLEDragDrop(drag.get(), pointOf(w, 3), Qt::ControlModifier));
             return &w;
         }},
        {"delete", true,
         [&](frmVoiceList& w) {
             click(w, 4);
             edit(w, 3);
             return &w;
         }},
        {"sort of a sorted list", false,
         [&](frmVoiceList& w) {
             edit(w, 8);
             return &w;
         }},
        {"group with move", true,
         [&](frmVoiceList& w) {
             edit(w, 10);
             shell::frmGroupPatches* dialog = shell::frmGroupPatches::instance();
             dialog->Option1(1)->click();
             dialog->MaskEdBox1(0)->setPatterns("VOICE 0002", "");
             ui.answer(MsgAnswer::No);  // keep the deletions
             ui.answer(MsgAnswer::No);  // no more groups
             dialog->OKButton()->click();
             return &w;
         }},
        {"duplicate removal", true, removeDuplicates},
        // The lists that open temporary: changed from the moment they open.
        {"deleted duplicates", true,
         [&](frmVoiceList& w) {
             (void)removeDuplicates(w);
             return listTitled("Del ");
         }},
        {"received bank", true,
         [&](frmVoiceList&) {
             receiveBank();
             return listTitled(" DX Bank");
         }},
        {"generator list", true,
         [&](frmVoiceList& w) {
             click(w, 4);
             for (const std::string& key : {w.ListID() + ": 5:", w.ListID() + ": 5:nonop:"})
                 generator.TreeView1()->findKey(key)->setCheckState(0, Qt::Checked);
             generator.Text1()->setText(QStringLiteral("0"));
             generator.Command1_Click();
             return generator.PatchGenList();
         }},
        {"new", true,
         [&](frmVoiceList&) {
             main->mnufile_Click(0);
             return listTitled(banklib::kInitBankFileName);
         }},
        {"repaired names", true,
         [&](frmVoiceList& w) {
             EXPECT_TRUE(w.unload());
             ui.answer(MsgAnswer::Ok);  // "These have been replaced with spaces."
             return open(file("repaired.syx", false, true));
         }},
        {"save", false,
         [&](frmVoiceList& w) {
             rename(w, 0, "SAVED");
             main->mdiArea()->setActiveSubWindow(w.subWindow());
             ui.answerFile(w.FileName());
             layoutDialogOk();
             main->mnufile_Click(4);
             return &w;
         }},
        {"save as", false,
         [&](frmVoiceList& w) {
             rename(w, 0, "SAVED AS");
             main->mdiArea()->setActiveSubWindow(w.subWindow());
             ui.answerFile(data.file("saved as.syx"));
             layoutDialogOk();
             main->mnufile_Click(5);
             return &w;
         }},
        {"revert", false,
         [&](frmVoiceList& w) {
             rename(w, 0, "REVERTED");
             ui.answer(MsgAnswer::Yes);  // revert to the file
             ui.answer(MsgAnswer::No);   // its changes are not saved
             return open(w.FileName());
         }},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ui.clear();
        frmVoiceList* list = open(file("list" + std::to_string(++n) + ".syx", false, false));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(windowMenuEntry(*list), marked(*list));
        ASSERT_FALSE(hasChanged(*list));
        frmVoiceList* w = row.change(*list);
        ASSERT_NE(w, nullptr);
        processEvents();
        EXPECT_EQ(hasChanged(*w), row.changed);
        EXPECT_EQ(windowMenuEntry(*w), marked(*w));
        EXPECT_EQ(ui.unexpectedMessages(), 0);
        // Nothing is kept for the next row.
        for (banklib::VoiceListView* open : voiceLists->lists().lists()) {
            if (hasChanged(dynamic_cast<frmVoiceList&>(*open)))
                ui.answer(MsgAnswer::No);
            (void)open->unload();
        }
        ui.clear();
        ASSERT_EQ(voiceLists->openListCount(), 0);
    }
    tools::frmRandomiseVoices::setDeferredCallFactory({});
}

TEST_F(EditorWindowTest, SpinStepsEachWriteAndSend)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    clickCell(*e, kSensitivityGrid1, 3);  // output level
    ASSERT_EQ(e->UpDown()->tag(), kSensitivityGrid1);
    EXPECT_EQ(e->CurrentGrid, kSensitivityGrid1);
    EXPECT_EQ(e->CurrentGridRow, 3);
    e->edits().commit(kOutputOp1, 50, EditPath::Quiet);
    out.clear();
    // Three steps inside the audition note's 250 ms: none is lost.
    for (int i = 0; i < 3; ++i)
        e->UpDown()->step(+1);
    EXPECT_EQ(e->edits().value(kOutputOp1), 53);
    EXPECT_EQ(out.parameters,
              (std::vector<std::pair<int, int>>{{kOutputOp1 + 1, 51}, {kOutputOp1 + 1, 52}, {kOutputOp1 + 1, 53}}));
    EXPECT_EQ(out.notes, 3);
    EXPECT_EQ(e->gridModel(kSensitivityGrid1)->data(e->gridModel(kSensitivityGrid1)->index(3, 1)).toString(),
              QStringLiteral("53"));
    EXPECT_EQ(e->UpDown()->maximum(), 99);
}

TEST_F(EditorWindowTest, CtrlOnTheSpinAndTheRightButton)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    clickCell(*e, kSensitivityGrid1, 3);
    out.clear();
    e->UpDown_MouseDown(Qt::LeftButton, Qt::ControlModifier);
    e->UpDown()->step(-1);
    EXPECT_TRUE(e->SendSuppressed());
    EXPECT_EQ(out.sends(), 0);
    // A right button held while the left is released keeps sending off.
    e->UpDown_MouseDown(Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(out.scales, 1);
    e->UpDown_MouseUp(Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(e->SendSuppressed());
    e->UpDown_MouseUp(Qt::RightButton, Qt::NoModifier);
    e->UpDown_MouseUp(Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(e->SendSuppressed());
    // A Ctrl press on the spin whose release went elsewhere: leaving the window ends it.
    e->UpDown_MouseDown(Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(e->SendSuppressed());
    e->Form_Deactivate();
    EXPECT_FALSE(e->SendSuppressed());
}

TEST_F(EditorWindowTest, CtrlOnTheKeyboardSilencesSendingWhereverTheFocusIs)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    clickCell(*e, kSensitivityGrid1, 3);
    e->edits().commit(kOutputOp1, 50, EditPath::Quiet);
    out.clear();
    heldKeys = Qt::ControlModifier;
    // Focus in the zoom box: the spin changes the voice and sends nothing.
    e->Text1(1)->setFocus();
    e->UpDown()->step(+1);
    EXPECT_EQ(e->edits().value(kOutputOp1), 51);
    // On Reset: the stored voice comes back and is not sent.
    e->Command1()->setFocus();
    e->Command1()->click();
    EXPECT_EQ(e->edits().value(kOutputOp1), stored(*list, 1, kOutputOp1));
    // In an open cell editor: the typed value is taken quietly.
    QTableView* grid = e->dGrid1(kSensitivityGrid1);
    const QModelIndex cell = grid->model()->index(3, 1);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* box = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    box->setText(QStringLiteral("42"));
    QTest::keyClick(box, Qt::Key_Return);
    processEvents();  // the cell editor commits after its own key handling
    EXPECT_EQ(e->edits().value(kOutputOp1), 42);
    EXPECT_EQ(out.sends(), 0);
    EXPECT_EQ(out.notes, 0);
    EXPECT_EQ(out.voices, 0);
    EXPECT_EQ(out.scales, 0);
    // Ctrl let go: the next change goes out.
    heldKeys = Qt::NoModifier;
    clickCell(*e, kSensitivityGrid1, 2);
    clickCell(*e, kSensitivityGrid1, 3);
    e->UpDown()->step(+1);
    EXPECT_EQ(out.parameters, (std::vector<std::pair<int, int>>{{kOutputOp1 + 1, 43}}));
}

TEST_F(EditorWindowTest, ActivationSendsTheWholeVoiceAndResetToo)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    // Opening made it the active window once: the voice went out once.
    EXPECT_EQ(out.voices, 1);
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), e->subWindow());
    out.clear();
    e->edits().setSendSuppressed(true);
    e->Form_Activate();
    processEvents();
    EXPECT_EQ(out.voices, 1);
    EXPECT_EQ(out.scales, 1);
    out.clear();
    e->ResetVoice();
    EXPECT_EQ(out.voices, 0);
    e->edits().setSendSuppressed(false);
    e->Command1()->click();
    EXPECT_EQ(out.voices, 1);
    out.open = false;
    out.clear();
    e->Form_Activate();
    processEvents();
    EXPECT_EQ(out.voices, 0);
}

TEST_F(EditorWindowTest, OnlyAChangeOfSubWindowActivatesAnEditor)
{
    // The program has the focus, as it has when the user works in it.
    QApplication::setActiveWindow(main.get());
    frmVoiceList* list = bank();
    // A voice list keeps a name being typed while the program is away.
    list->ShowRenameBox(0);
    ASSERT_TRUE(list->renameBoxVisible());
    programFocus(false, true);
    programFocus(true, false);
    EXPECT_TRUE(list->renameBoxVisible());
    list->commitRename();
    frmVoiceEditor* e1 = openEditor(*list, 1);
    frmVoiceEditor* e2 = openEditor(*list, 2);
    QMdiArea* area = main->mdiArea();
    ASSERT_EQ(area->activeSubWindow(), e2->subWindow());
    // Another program takes the focus and gives it back, reported in either order:
    // nothing goes out, and the editor is still the one worked in.
    for (const bool windowFirst : {true, false}) {
        out.clear();
        e2->UpDown_MouseDown(Qt::LeftButton, Qt::ControlModifier);
        programFocus(false, windowFirst);
        programFocus(true, windowFirst);
        EXPECT_EQ(out.voices, 0) << windowFirst;
        EXPECT_EQ(out.scales, 0) << windowFirst;
        EXPECT_EQ(area->activeSubWindow(), e2->subWindow());
        EXPECT_TRUE(e2->SendSuppressed()) << "not deactivated";
        e2->UpDown_MouseUp(Qt::LeftButton, Qt::NoModifier);
    }
    // Moving between the sub-windows activates and deactivates, each once.
    out.clear();
    e2->UpDown_MouseDown(Qt::LeftButton, Qt::ControlModifier);
    area->setActiveSubWindow(e1->subWindow());
    processEvents();
    EXPECT_EQ(out.voices, 1);
    EXPECT_EQ(out.scales, 1);
    EXPECT_FALSE(e2->SendSuppressed()) << "deactivated";
    area->setActiveSubWindow(list->subWindow());
    area->setActiveSubWindow(e2->subWindow());
    processEvents();
    EXPECT_EQ(out.voices, 2);
    area->setActiveSubWindow(e2->subWindow());
    processEvents();
    EXPECT_EQ(out.voices, 2);
}

TEST_F(EditorWindowTest, ResetPutsTheSpinBackOnItsCell)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    clickCell(*e, kSensitivityGrid1, 2);
    const int original = e->edits().value(kOutputOp1 - 1);
    e->edits().commit(kOutputOp1 - 1, original == 0 ? 1 : 0, EditPath::Spin);
    e->ResetVoice();
    EXPECT_EQ(e->edits().value(kOutputOp1 - 1), original);
    EXPECT_EQ(e->CurrentGrid, kSensitivityGrid1);
    EXPECT_EQ(e->CurrentGridRow, 2);
    EXPECT_EQ(e->UpDown()->value(), original);
    EXPECT_EQ(e->ChecksumOnEntry(), e->holder()->VoiceCRC);
}

TEST_F(EditorWindowTest, TypingIntoACell)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    auto* model = e->gridModel(kSensitivityGrid1);
    const QModelIndex cell = model->index(3, 1);
    out.clear();
    EXPECT_FALSE(model->setData(cell, QStringLiteral("120")));
    EXPECT_EQ(out.sends(), 0);
    EXPECT_TRUE(model->setData(cell, QStringLiteral("12.6")));
    EXPECT_EQ(e->edits().value(kOutputOp1), 13);
    EXPECT_EQ(model->data(cell).toString(), QStringLiteral("13"));
    EXPECT_EQ(out.sends(), 1);
    // The frequency grid: both rows change and both are shown.
    auto* osc = e->gridModel(1 + 12);
    e->edits().commit((6 - 1) * 21 + 17, 0, EditPath::Quiet);
    EXPECT_TRUE(osc->setData(osc->index(1, 1), QStringLiteral("1.5")));
    EXPECT_EQ(osc->data(osc->index(1, 1)).toString(), QStringLiteral("1.5"));
    EXPECT_EQ(osc->data(osc->index(2, 1)).toString(), QStringLiteral("1.5"));
    // Only the value column takes typing.
    EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(model->flags(cell).testFlag(Qt::ItemIsEditable));
}

TEST_F(EditorWindowTest, AValueStillBeingTypedIsTakenOrRefusedWhenAKeyClosesTheEditor)
{
    // Typed without Enter, then read by something that moves no focus: Ctrl+L (Close All),
    // File > Save Voice, F6 (Send Voice) or a drag of operator 1 onto operator 2. Only the
    // reader itself can take what is typed, as Enter would.
    enum class Reader { CloseAll, SaveVoice, SendVoice, Drag };
    struct Row {
        Reader reader;
        bool intoBox;  // the algorithm box, else operator 1's output cell
        const char* typed;
        std::vector<std::string> titles;  // the messages, in order
        int row;
        int stored;  // what the reader took; -1: the value before (closing: the list was unchanged and closed)
    };
    const Row rows[] = {
        {Reader::CloseAll, false, "50", {"Save Voice", "Save File"}, kOutputOp1, 50},
        {Reader::CloseAll, false, "120", {}, kOutputOp1, -1},
        {Reader::CloseAll, true, "7", {"Save Voice", "Save File"}, ParameterEdits::kAlgorithmRow, 6},
        {Reader::CloseAll, true, "33", {"Invalid Algorithm Number"}, ParameterEdits::kAlgorithmRow, -1},
        {Reader::SaveVoice, false, "50", {}, kOutputOp1, 50},
        {Reader::SaveVoice, true, "33", {"Invalid Algorithm Number"}, ParameterEdits::kAlgorithmRow, -1},
        {Reader::SendVoice, false, "50", {}, kOutputOp1, 50},
        {Reader::SendVoice, true, "7", {}, ParameterEdits::kAlgorithmRow, 6},
        {Reader::Drag, false, "50", {}, kOutputOp1, 50},
    };
    // The drag goes where the user lets it go: onto operator 2's title.
    frmVoiceEditor::setElementDragRunner([](frmVoiceEditor& source, QWidget*, std::unique_ptr<QMimeData> data) {
        QWidget* onto = source.Label3(2);
        QDragEnterEvent enter(onto->rect().center(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(onto, &enter);
        QDropEvent drop(onto->rect().center(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(onto, &drop);
    });
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(++n) + ": " + row.typed);
        std::optional<LoopbackOutput> midiOut;
        if (row.reader == Reader::SendVoice)
            midiOut.emplace(*main);
        frmVoiceList* list = bank("typed" + std::to_string(n) + ".syx");
        frmVoiceEditor* e = openEditor(*list, 1);
        const int before = e->edits().value(row.row);
        ASSERT_NE(before, row.stored);
        ASSERT_NE(e->edits().value(row.row - 21), row.stored);  // operator 2's, for the drag
        QTableView* grid = e->dGrid1(kSensitivityGrid1);
        if (row.intoBox) {
            e->Combo1()->lineEdit()->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        } else {
            clickCell(*e, kSensitivityGrid1, 3);
            grid->setFocus();
        }
        // The first key opens the cell's editor, which takes the focus and the next keys.
        for (const char c : std::string(row.typed))
            QTest::keyClick(QApplication::focusWidget(), c);
        if (!row.intoBox) {
            ASSERT_NE(grid->indexWidget(grid->currentIndex()), nullptr);
        }
        ASSERT_EQ(e->edits().value(row.row), before);
        ui.clear();
        if (row.reader == Reader::CloseAll && row.stored >= 0) {
            ui.answer(MsgAnswer::Yes);     // Save Changes ?
            ui.answer(MsgAnswer::Cancel);  // the list's own question: it stays open
        } else if (row.intoBox && row.stored < 0) {
            ui.answer(MsgAnswer::Ok);
        }
        switch (row.reader) {
        case Reader::CloseAll: QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier); break;
        case Reader::SaveVoice: editor::SaveVoiceCommand(); break;
        case Reader::SendVoice: QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6); break;
        case Reader::Drag:
            QTest::mousePress(e->Label3(1), Qt::LeftButton);
            ASSERT_TRUE(holdTimerOf(*e).fire());
            QTest::mouseRelease(e->Label3(1), Qt::LeftButton);
            break;
        }
        processEvents();
        std::vector<std::string> titles;
        for (const auto& m : ui.messagesShown())
            titles.push_back(m.title);
        EXPECT_EQ(titles, row.titles);
        EXPECT_EQ(ui.unexpectedMessages(), 0);
        if (row.intoBox && row.stored < 0 && !ui.messagesShown().empty()) {
            EXPECT_EQ(ui.messagesShown()[0].text, "Algorithm values must be whole numbers between 1 and 32");
        }
        const int taken = row.stored >= 0 ? row.stored : before;
        if (row.reader == Reader::SaveVoice) {
            EXPECT_EQ(stored(*list, 1, row.row), taken);
        } else if (row.reader == Reader::SendVoice) {
            const auto& sent = midiOut->backend.sentMessages();
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].at(6 + static_cast<std::size_t>(row.row)), taken);
        } else if (row.reader == Reader::Drag) {
            EXPECT_EQ(e->edits().value(row.row - 21), taken);
        }
        if (row.reader != Reader::CloseAll) {
            ui.answer(MsgAnswer::No);  // Save Changes ?
            ui.answer(MsgAnswer::No);  // the list's own question
            EXPECT_TRUE(list->unload());
        }
        EXPECT_EQ(VoiceListEditors::openEditorCount(), 0);
        if (row.reader == Reader::CloseAll && row.stored >= 0 && voiceLists->lists().contains(list)) {
            EXPECT_EQ(stored(*list, 1, row.row), row.stored);
            ui.answer(MsgAnswer::No);
            EXPECT_TRUE(list->unload());
        }
        EXPECT_EQ(voiceLists->openListCount(), 0);
    }
}

TEST_F(EditorWindowTest, AlgorithmBoxAndOperatorBoxes)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    const int before = e->edits().value(ParameterEdits::kAlgorithmRow);
    out.clear();
    ui.clear();
    // Typed into the box and ended with Enter or Return, as the keyboard delivers them: to
    // the widget that has the focus when the box's text is clicked.
    QComboBox* box = e->Combo1();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    box->lineEdit()->setFocus();
    QWidget* typedInto = QApplication::focusWidget();
    ASSERT_TRUE(typedInto == box || typedInto == box->lineEdit());
    const auto type = [&](const char* text, Qt::Key key) {
        QTest::keyClick(typedInto, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(typedInto, QString::fromLatin1(text));
        QTest::keyClick(typedInto, key);
    };
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        for (const char* refused : {"0", "33"}) {
            type(refused, key);
            ASSERT_EQ(ui.messagesShown().size(), 1u) << refused;
            EXPECT_EQ(ui.messagesShown()[0].text, "Algorithm values must be whole numbers between 1 and 32");
            EXPECT_EQ(ui.messagesShown()[0].title, "Invalid Algorithm Number");
            EXPECT_EQ(box->lineEdit()->selectedText(), QString::fromLatin1(refused));
            EXPECT_EQ(e->edits().value(ParameterEdits::kAlgorithmRow), before);
            ui.clear();
        }
    }
    EXPECT_EQ(out.sends(), 0);
    type("2.5", Qt::Key_Enter);
    EXPECT_EQ(e->edits().value(ParameterEdits::kAlgorithmRow), 2);
    EXPECT_EQ(e->diagram()->algorithm(), 3);
    EXPECT_EQ(out.parameters.back(), (std::pair<int, int>{135, 2}));
    type("12", Qt::Key_Return);
    EXPECT_EQ(e->edits().value(ParameterEdits::kAlgorithmRow), 11);
    EXPECT_EQ(e->diagram()->algorithm(), 12);
    EXPECT_EQ(box->currentIndex(), 11);
    EXPECT_EQ(out.parameters.back(), (std::pair<int, int>{135, 11}));
    EXPECT_TRUE(ui.messagesShown().empty());
    // Operator boxes: nothing while the output is closed, not even the colour.
    out.open = false;
    e->Label1_Click(4);
    EXPECT_TRUE(e->diagram()->operatorOn(4));
    out.open = true;
    e->Label1_Click(4);
    EXPECT_FALSE(e->diagram()->operatorOn(4));
    EXPECT_EQ(out.parameters.back(), (std::pair<int, int>{156, 63 - 4}));
    e->Label1_Click(4);
    EXPECT_TRUE(e->diagram()->operatorOn(4));
    // A click on the diagram's box reaches the same place.
    emit e->diagram()->operatorClicked(1);
    EXPECT_FALSE(e->diagram()->operatorOn(1));
    // The typed algorithm is the voice's when it is saved.
    ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(e->unload());
    EXPECT_EQ(stored(*list, 1, ParameterEdits::kAlgorithmRow), 11);
}

TEST_F(EditorWindowTest, ZoomSpinsAndScrolling)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    EXPECT_EQ(e->zoomValue(), 0);
    EXPECT_EQ(e->Text1(3)->text(), QStringLiteral("1"));
    e->UpDown2(3)->step(+1);
    EXPECT_EQ(e->zoomValue(), 32);
    EXPECT_EQ(e->Text1(3)->text(), QStringLiteral("2"));
    e->UpDown2(3)->setValue(0);
    EXPECT_EQ(e->Text1(3)->text(), QStringLiteral("0.0625"));
    // Maximising shows the canvas from its top left corner.
    e->subWindow()->resize(300, 200);
    processEvents();
    e->scrollArea()->horizontalScrollBar()->setValue(100);
    e->scrollArea()->verticalScrollBar()->setValue(100);
    e->subWindow()->showMaximized();
    processEvents();
    EXPECT_EQ(e->scrollArea()->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(e->scrollArea()->verticalScrollBar()->value(), 0);

    // Each zoom box's caption reads whole and each parameter grid shows all its rows, in each
    // font and style the program may get (a desktop's theme may give labels and item views
    // fonts of their own): the label and the box and panel around it leave room for the
    // whole text; the grid's last row, as tall as its text, lies inside its viewport.
    const QFont appFont = QApplication::font();
    const QString appStyle = QApplication::style()->name();
    const auto restore = qScopeGuard([&] {
        QApplication::setFont(appFont);
        QApplication::setStyle(appStyle);
    });
    struct Look {
        const char* family;
        const char* style;
        int classPoints;  // the font of labels and item views, in points; 0: the program's
    };
    for (const Look look : {Look{"DejaVu Sans", "fusion", 0}, Look{"Liberation Sans", "fusion", 0},
                            Look{"DejaVu Sans", "windows", 0}, Look{"DejaVu Sans", "fusion", 13}}) {
        SCOPED_TRACE(std::string(look.family) + ", " + look.style + ", " + std::to_string(look.classPoints));
        QApplication::setFont(QFont(QString::fromLatin1(look.family), appFont.pointSize()));
        QApplication::setStyle(QString::fromLatin1(look.style));
        for (const char* viewClass : {"QLabel", "QAbstractItemView"})
            if (look.classPoints > 0)
                QApplication::setFont(QFont(QString::fromLatin1(look.family), look.classPoints), viewClass);
        frmVoiceEditor* shown = openEditor(*list, 2);
        processEvents();
        // The editor opened before takes each look as it comes, measured again.
        for (const frmVoiceEditor* window : {shown, e}) {
            for (int chart = 0; chart <= 6; ++chart) {
                QWidget* box = window->UpDown2(chart)->parentWidget();
                const QLabel* caption = box->findChild<QLabel*>();
                ASSERT_NE(caption, nullptr);
                EXPECT_EQ(caption->text(), chart == 0 ? QStringLiteral("Zoom") : QStringLiteral(" EG Zoom"));
                QRect room = caption->contentsRect();
                for (const QWidget* w = caption; w != window->Frame3(chart); w = w->parentWidget())
                    room = room.translated(w->pos()).intersected(w->parentWidget()->rect());
                EXPECT_GE(room.width(), caption->fontMetrics().horizontalAdvance(caption->text())) << chart;
            }
            for (int index = 0; index < editor::kGridCount; ++index) {
                const QTableView* grid = window->dGrid1(index);
                const int rows = grid->model()->rowCount();
                ASSERT_GT(rows, 0);
                const QRect last = grid->visualRect(grid->model()->index(rows - 1, 1));
                EXPECT_TRUE(grid->viewport()->rect().contains(last)) << index << " " << rows;
                EXPECT_GE(last.height(), grid->fontMetrics().height()) << index;
            }
        }
        EXPECT_TRUE(shown->unload());
    }
}

TEST_F(EditorWindowTest, NameChangesArePaddedWithBlanks)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    bool done = false;
    e->VoiceNameChange("ABC", done);
    EXPECT_TRUE(done);
    EXPECT_EQ(e->caption(), "ABC       ");
    ui.answer(MsgAnswer::Yes);
    EXPECT_TRUE(e->unload());
    EXPECT_EQ(list->rsmfimage().text(banklib::VoiceListField::Names), "ABC       ");
}

TEST_F(EditorWindowTest, ClosingWhileASendWaitsIsDoneAfterTheWait)
{
    frmVoiceList* list = bank();
    QPointer<frmVoiceEditor> e = openEditor(*list, 1);
    shell::QtEventLoop loop;
    bool closedAtOnce = true;
    // The close arrives while a send waits (the test scale keeps the event loop running).
    QTimer::singleShot(0, e.data(), [&] { closedAtOnce = e->unload(); });
    loop.processEvents(50);
    EXPECT_FALSE(closedAtOnce);
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->unloaded());
    // Once the wait is over the close goes ahead.
    for (int i = 0; i < 500 && e && !e->unloaded(); ++i)
        QTest::qWait(10);
    EXPECT_TRUE(!e || e->unloaded());
    EXPECT_EQ(VoiceListEditors::of(*list).Editors().count(), 0);
}

TEST_F(EditorWindowTest, AWindowLargerThanTheCanvasHidesTheScrollBars)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 1);
    main->resize(e->picClient()->width() + 300, e->picClient()->height() + 300);
    e->subWindow()->resize(e->picClient()->width() + 60, e->picClient()->height() + 80);
    processEvents();
    EXPECT_FALSE(e->scrollArea()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(e->scrollArea()->verticalScrollBar()->isVisible());
    EXPECT_EQ(e->picClient()->pos(), QPoint(0, 0));
    e->subWindow()->resize(300, 200);
    processEvents();
    EXPECT_TRUE(e->scrollArea()->verticalScrollBar()->isVisible());
}

TEST_F(EditorWindowTest, OpensAsLargeAsItsPanelsCappedToTheArea)
{
    frmVoiceList* list = bank();
    // An area with room for everything: every panel shows, nothing scrolls.
    main->resize(2600, 1800);
    processEvents();
    frmVoiceEditor* e = openEditor(*list, 1);
    processEvents();
    const QSize canvas = e->picClient()->size();
    EXPECT_GE(e->scrollArea()->viewport()->width(), canvas.width());
    EXPECT_GE(e->scrollArea()->viewport()->height(), canvas.height());
    EXPECT_LE(e->subWindow()->width(), main->mdiArea()->viewport()->width());
    // A smaller area: the window takes all of it and scrolls.
    main->resize(900, 700);
    processEvents();
    frmVoiceEditor* e2 = openEditor(*list, 2);
    EXPECT_EQ(e2->subWindow()->size(), main->mdiArea()->viewport()->size());
}

TEST_F(EditorWindowTest, AVoiceWhoseHolderCannotBeMadeIsAMessage)
{
    frmVoiceList* list = bank();
    list->rsmfimage().setAbsolutePosition(4);
    const std::string key = VoiceListEditors::keyOf(list->rsmfimage().bookmark());
    // A holder left under the voice's key by an editor that is gone.
    ASSERT_NE(VoiceListEditors::of(*list).Recordsets().Add(key), nullptr);
    ui.clear();
    EXPECT_EQ(openEditor(*list, 4), nullptr);
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_NE(ui.messagesShown()[0].text.find("can't be opened in an editor"), std::string::npos);
    EXPECT_EQ(ui.messagesShown()[0].title, "Voice Editor");
    EXPECT_EQ(VoiceListEditors::of(*list).Editors().count(), 0);
    EXPECT_EQ(VoiceListEditors::of(*list).Recordsets().count(), 1);
    EXPECT_EQ(ui.statusText(), "");
    // Other voices still open.
    EXPECT_NE(openEditor(*list, 5), nullptr);
}

// ---- the editor in the program, sending through MIDI to a loopback output

class EditorOverMidi : public EditorWindowTest {
protected:
    EditorOverMidi() { editor::installEditorOutput(nullptr); }
    const std::vector<std::vector<std::uint8_t>>& sent() const { return backend.sentMessages(); }
    // Single-voice dumps among the messages sent.
    int dumps() const
    {
        return static_cast<int>(
            std::count_if(sent().begin(), sent().end(), [](const auto& m) { return m.size() == 163; }));
    }

    LoopbackOutput midiOut{*main};
    platform::LoopbackMidiBackend& backend = midiOut.backend;
};

TEST_F(EditorOverMidi, SendVoiceAndF6SendTheActiveEditorsVoiceAsEdited)
{
    QApplication::setActiveWindow(main.get());
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 3);
    midi::testing::PlayOutTimedNotes();
    const int edited = stored(*list, 3, kOutputOp1) == 17 ? 18 : 17;
    ASSERT_TRUE(e->edits().commit(kOutputOp1, edited, EditPath::Quiet));
    backend.clearSent();
    QAction* sendVoice = main->action(shell::CommandId::MidiSendVoice);
    ASSERT_TRUE(sendVoice->isEnabled());
    sendVoice->trigger();
    ASSERT_EQ(sent().size(), 1u);
    const std::vector<std::uint8_t> dump = sent()[0];
    ASSERT_EQ(dump.size(), 163u);
    EXPECT_EQ(dump[6 + kOutputOp1], edited);
    EXPECT_EQ(std::string(dump.begin() + 151, dump.begin() + 161), e->caption());
    EXPECT_EQ(ui.statusText(), "");
    // F6 with the focus in one of the editor's grids does the same.
    backend.clearSent();
    e->dGrid1(kSensitivityGrid1)->setFocus();
    QTest::keyClick(e->dGrid1(kSensitivityGrid1), Qt::Key_F6);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0], dump);
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(EditorOverMidi, ADoubleClickSendsTheVoiceForItsClickAndForItsEditorOnly)
{
    frmVoiceList* list = bank();
    backend.clearSent();
    const QPoint voice5 = pointOf(*list, 4);
    QTest::mouseClick(list->List1(), Qt::LeftButton, Qt::NoModifier, voice5);
    QTest::mouseDClick(list->List1(), Qt::LeftButton, Qt::NoModifier, voice5);
    QTest::mouseRelease(list->List1(), Qt::LeftButton, Qt::NoModifier, voice5);
    processEvents();
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(VoiceListEditors::of(*list).Editors().count(), 1);
    EXPECT_EQ(VoiceListEditors::of(*list).Editors().editors()[0]->VoiceNo(), 5);
    // The click's dump, then the editor's as it became active, with its test scale.
    EXPECT_EQ(dumps(), 2);
    EXPECT_EQ(sent().size(), 2u + 14u);
    ASSERT_FALSE(sent().empty());
    EXPECT_EQ(std::string(sent()[0].begin() + 151, sent()[0].begin() + 161),
              shell::testing::nameOf(5, FileType::PackedSysex));
    EXPECT_FALSE(list->renameBoxVisible());
}

// One right press plays the test scale once wherever it lands on the editor: on its
// surface (which takes no press itself) as on a control that takes it.
TEST_F(EditorOverMidi, ARightPressPlaysTheScaleOnceWhereverItLands)
{
    frmVoiceList* list = bank();
    frmVoiceEditor* e = openEditor(*list, 3);
    midi::testing::PlayOutTimedNotes();
    QLabel* label = nullptr;
    for (QLabel* l : e->findChildren<QLabel*>())
        if (l->text() == QStringLiteral("Algorithm"))
            label = l;
    ASSERT_NE(label, nullptr);
    struct Row {
        const char* what;
        QWidget* target;
        QPoint at;
    };
    const Row rows[] = {
        {"the background", e->picClient(), {2, 2}},
        {"a panel's frame", e->Frame3(2), {2, 2}},
        {"a label", label, {2, 2}},
        {"the algorithm diagram", e->diagram(), {2, 2}},
        {"a grid", e->dGrid1(kSensitivityGrid1)->viewport(), {5, 5}},
        {"a title", e->Label3(2), {2, 2}},
        {"the algorithm box", e->Combo1(), {2, 2}},
        {"the algorithm box's text, where a click lands", e->Combo1()->lineEdit(), {2, 2}},
        {"a chart", e->MSChart1(2), {2, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(row.target, nullptr);
        backend.clearSent();
        QTest::mousePress(row.target, Qt::RightButton, Qt::NoModifier, row.at);
        QTest::mouseRelease(row.target, Qt::RightButton, Qt::NoModifier, row.at);
        midi::testing::PlayOutTimedNotes();
        // Note ons at the scale's velocity: one scale is seven.
        EXPECT_EQ(std::count_if(sent().begin(), sent().end(), [](const auto& m) { return m.size() == 3 && m[2] == 50; }),
                  7);
        EXPECT_EQ(sent().size(), 14u);
    }
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

// A note is released at its time whatever window opens while it sounds: a modal dialog
// opened during an opened voice's scale, during an edit's audition note or during the
// generator's audition, or the reset question asked during a scale, stays open 2 s, and
// every note off due meanwhile goes out at its time, on the program's own event loop.
TEST_F(EditorOverMidi, EveryNoteIsReleasedAtItsTimeWhileAModalWindowIsOpen)
{
    shell::QtEventLoop loop;
    shell::QtMessageService questions;
    platform::installEventLoop(&loop);
    platform::installMessageService(&questions);
    const auto restore = qScopeGuard([&] {
        platform::installEventLoop(&ui);
        platform::installMessageService(&ui);
    });
    constexpr int kOpenMs = 2000;
    const auto dialog = [] {
        QDialog d;
        QTimer::singleShot(kOpenMs, &d, &QDialog::accept);
        d.exec();
    };
    std::string question;
    // Answers the reset question No (the edits stay, nothing is sent) once it has been
    // open 2 s.
    std::function<void()> answerNo = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(50, qApp, answerNo);
            return;
        }
        question = box->text().toStdString();
        QTimer::singleShot(kOpenMs, box, [box] { box->button(QMessageBox::No)->click(); });
    };
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    frmVoiceList* list = bank();
    QPointer<frmVoiceEditor> e;
    const std::vector<int> scale = {350, 350, 350, 350, 350, 350, 2000};
    struct Row {
        const char* what;
        std::function<void()> start;  // at once
        int modalAfterMs;
        std::function<void()> modal;  // opens the modal window; returns once it has closed
        std::vector<int> holds;       // each note's hold, in ms
    };
    const Row rows[] = {
        // An opened voice's scale, and a dialog (a file dialog, a box) over it 0.9 s in.
        {"a dialog during a scale", [&] { e = VoiceListEditors::of(*list).LoadVoice(3); }, 900, dialog, scale},
        {"a dialog during an audition note", {}, 100,
         [&] {
             ASSERT_TRUE(e);
             nudge(*e);
             dialog();
         },
         {250}},
        {"the reset question during a scale", [&] { (void)VoiceListEditors::of(*list).LoadVoice(4); }, 900,
         [&] {
             QTimer::singleShot(0, qApp, answerNo);
             (void)VoiceListEditors::of(*list).LoadVoice(4);
         },
         scale},
        {"a dialog during the generator's audition", [] { midi::PlayRandomiserNotes(150); }, 900, dialog,
         std::vector<int>(13, 150)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        backend.clearSent();
        std::int64_t openedAt = -1;
        std::int64_t closedAt = -1;
        if (row.start)
            row.start();
        QTimer::singleShot(row.modalAfterMs, main.get(), [&] {
            openedAt = platform::eventLoop().nowMs();
            row.modal();
            closedAt = platform::eventLoop().nowMs();
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return closedAt >= 0 && !midi::testing::TimedNotesPlaying(); }, 20'000));
        EXPECT_GE(closedAt - openedAt, kOpenMs - 100);
        // Each note on with its off: held its time (well under the 2 s the window is open),
        // and released before the window closed when it was due well before.
        const auto& m = sent();
        const auto& at = backend.sentTimesMs();
        std::size_t note = 0;
        int dueWhileOpen = 0;
        for (std::size_t i = 0; i < m.size(); ++i) {
            if (m[i].size() != 3 || m[i][2] == 0)
                continue;
            ASSERT_LT(note, row.holds.size());
            const int hold = row.holds[note++];
            std::size_t off = i + 1;
            while (off < m.size() && !(m[off].size() == 3 && m[off][1] == m[i][1] && m[off][2] == 0))
                ++off;
            ASSERT_LT(off, m.size()) << "note " << note << " has no note off";
            const std::int64_t due = at[i] + hold;
            EXPECT_GE(at[off] - due, -5) << "note " << note;
            EXPECT_LT(at[off] - due, 1000) << "note " << note;
            if (due > openedAt && due + 500 < closedAt) {
                ++dueWhileOpen;
                EXPECT_LT(at[off], closedAt) << "note " << note << " was held until the window closed";
            }
        }
        EXPECT_EQ(note, row.holds.size());
        EXPECT_GE(dueWhileOpen, 1) << "a note off was due while the window was open";
    }
    EXPECT_EQ(question, "You already have an editor open for this voice, do you want to reset this to the saved version ?");
    EXPECT_EQ(ui.unexpectedMessages(), 0);
    ui.answer(MsgAnswer::No);  // Save Changes ? of the edited voice
}

TEST_F(EditorOverMidi, AnOpenedEditorIsDrawnBeforeItsVoiceAndScaleGoOutAndStaysUsable)
{
    // The scale plays on timed calls of the program's clock, which the test runs; the
    // windows' events come in between, as the program's event loop has them. What the user
    // does while the scale plays arrives once its first note has gone out.
    shell::QtEventLoop windows;
    std::function<void()> duringScale;
    std::string statusDuringScale;
    ui.setTick(10);
    const auto unhook = qScopeGuard([&] { ui.onProcessEvents({}); });
    ui.onProcessEvents([&](std::int64_t) {
        if (!sent().empty() && sent().back().size() == 3 && statusDuringScale.empty())
            statusDuringScale = ui.statusText() + (ui.busy() ? "(busy)" : "") + "|";
        if (duringScale && !statusDuringScale.empty())
            QTimer::singleShot(0, main.get(), std::exchange(duringScale, nullptr));
        windows.processEvents(0);
    });
    const auto typeInto = [](QWidget* w, const char* text) {
        w->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    const auto close = [](frmVoiceList&, frmVoiceEditor& e) { e.subWindow()->close(); };
    const auto open5 = [](frmVoiceList& list, frmVoiceEditor&) { (void)VoiceListEditors::of(list).LoadVoice(5); };
    // The Patch Generator, breeding from a voice of a list of its own.
    tools::frmRandomiseVoices::setDeferredCallFactory(
        [] { return std::make_unique<shell::testing::ManualDeferredCall>(); });
    const auto noFactory = qScopeGuard([] { tools::frmRandomiseVoices::setDeferredCallFactory({}); });
    tools::frmRandomiseVoices& generator = tools::frmRandomiseVoices::install(*main);
    generator.setGenerator(std::make_unique<tools::clsPatchGenerator>(5));
    frmVoiceList* sources = bank("sources.syx");
    click(*sources, 0);
    generator.TreeView1()->findKey(sources->ListID() + ": 1:")->setCheckState(0, Qt::Checked);
    struct Row {
        const char* what;
        std::function<void(frmVoiceList&, frmVoiceEditor&)> action;
        bool whileScalePlays;     // else at once, before the event loop runs
        const char* shape;        // what went out: V a voice, P a parameter, n a run of notes
        std::vector<int> voices;  // the voices sent, in order
        int scaleNotes;           // note ons at the scale's velocity after the last voice
        bool stillOpen;
    };
    const Row rows[] = {
        {"nothing", {}, true, "Vn", {3}, 7, true},
        {"a value typed",
         [&](frmVoiceList&, frmVoiceEditor& e) {
             clickCell(e, kSensitivityGrid1, 3);
             typeInto(e.dGrid1(kSensitivityGrid1), "4");
         },
         true, "VnPn", {3}, 7, true},
        // Typed ahead: the voice goes first, and the edit's scale is the only one.
        {"an algorithm typed ahead",
         [&](frmVoiceList&, frmVoiceEditor& e) {
             e.Combo1()->lineEdit()->selectAll();
             typeInto(e.Combo1()->lineEdit(), "7");
         },
         false, "VPn", {3}, 7, true},
        {"closed at once", close, false, "", {}, 0, false},
        {"closed", close, true, "Vn", {3}, 7, false},
        // The scale belongs to the voice it followed: the new voice ends it, its sounding
        // note released, and gets its own whole scale.
        {"another voice opened", open5, true, "VnVn", {3, 5}, 7, true},
        // Left before its voice went out: only the voice left for goes out.
        {"another voice opened at once", open5, false, "Vn", {5}, 7, true},
        // The generator's voice ends the scale too, before it goes out; its audition follows.
        {"the generator's voice", [&](frmVoiceList&, frmVoiceEditor&) { generator.Command1_Click(); }, true, "VnVn",
         {3}, 13, true},
    };
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        frmVoiceList* list = bank(std::string(row.what) + ".syx");
        backend.clearSent();
        ui.clear();
        statusDuringScale.clear();
        QPointer<frmVoiceEditor> e = VoiceListEditors::of(*list).LoadVoice(3);
        ASSERT_TRUE(e);
        EXPECT_TRUE(sent().empty());
        std::size_t sentAtFirstPaint = 99;
        shell::testing::PaintWatch watch(*e, [&] { sentAtFirstPaint = std::min(sentAtFirstPaint, sent().size()); });
        if (row.action && !row.whileScalePlays)
            row.action(*list, *e);
        else if (row.action)
            duringScale = [&row, list, e] {
                if (e)
                    row.action(*list, *e);
            };
        processEvents();
        // The scale, and a note a click played: their notes belong to this row.
        midi::testing::PlayOutTimedNotes();
        duringScale = nullptr;
        if (row.whileScalePlays) {
            EXPECT_EQ(sentAtFirstPaint, 0u);
            EXPECT_EQ(statusDuringScale, "|");
        }
        std::string shape;
        std::vector<int> voices;
        std::size_t lastVoice = 0;
        for (std::size_t i = 0; i < sent().size(); ++i) {
            const auto& m = sent()[i];
            if (const char c = m.size() == 163 ? 'V' : m.size() == 7 ? 'P' : 'n'; c != 'n' || !shape.ends_with('n'))
                shape += c;
            if (m.size() != 163)
                continue;
            lastVoice = i;
            const std::string name(m.begin() + 151, m.begin() + 161);
            for (int v = 1; v <= 8; ++v)
                if (name == shell::testing::nameOf(v, FileType::PackedSysex))
                    voices.push_back(v);
        }
        EXPECT_EQ(shape, row.shape);
        EXPECT_EQ(voices, row.voices);
        // Note ons at the scale's velocity after the last voice, and every note released
        // before a voice went out.
        EXPECT_EQ(std::count_if(sent().begin() + static_cast<std::ptrdiff_t>(lastVoice), sent().end(),
                                [](const auto& m) { return m.size() == 3 && m[2] == 50; }),
                  row.scaleNotes);
        int sounding = 0;
        for (std::size_t i = 0; i < sent().size(); ++i) {
            if (sent()[i].size() == 163)
                EXPECT_EQ(sounding, 0) << "a note sounds when voice " << i << " goes out";
            else if (sent()[i].size() == 3)
                sounding += sent()[i][2] != 0 ? 1 : -1;
        }
        EXPECT_EQ(sounding, 0);
        EXPECT_EQ(QTest::qWaitFor([&] { return !e || e->unloaded(); }, row.stillOpen ? 0 : 5000), !row.stillOpen);
        EXPECT_EQ(ui.unexpectedMessages(), 0);
        ui.answer(MsgAnswer::No);  // Save Changes ? of an edited voice
        EXPECT_TRUE(list->unload());
    }
    ASSERT_NE(generator.PatchGenList(), nullptr);
    ui.answer(MsgAnswer::No);  // the work list is not kept under a name of the user's
    EXPECT_TRUE(generator.PatchGenList()->unload());
    EXPECT_TRUE(sources->unload());
}

}  // namespace
