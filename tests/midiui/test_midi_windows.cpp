// Brevane - the MIDI windows offscreen: the set-up dialogs, the MIDI Manager, the System
// Exclusive editor, and the start-up that finds a simulated DX7 and opens its bank.
#include "../voicelist/VoiceListTestSupport.h"
#include "../midi/SetupTestSupport.h"

#include "banklib/testing/FakeAppState.h"
#include "midi/MidiManagerSlots.h"
#include "midi/MidiSetupRules.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/TimedNotes.h"
#include "midi/testing/OpenDevices.h"
#include "midiui/HexGridModel.h"
#include "midiui/MidiInitSetup.h"
#include "midiui/QtMidiWindows.h"
#include "midiui/frmDX7MKIInit.h"
#include "midiui/frmEditSysex.h"
#include "midiui/frmInitFailureDialog.h"
#include "midiui/frmInitStatus.h"
#include "midiui/frmInitialisationMessage.h"
#include "midiui/frmMIDIManager.h"
#include "midiui/frmMidiConfigure.h"
#include "platform/FileIO.h"
#include "platform/VbText.h"
#include "platform/midi/SimulatedDX7Backend.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/frmStartup.h"
#include "voicelist/VoiceLists.h"
#include "voicelist/frmVoiceList.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <fstream>

namespace shell {
namespace {

using platform::LoopbackDevice;
using platform::MsgAnswer;
using platform::testing::ScriptedServices;

// A MIDI system of two interfaces, A and B, and a settings object over it.
struct Ports {
    Ports()
    {
        loop.setInputs({{"Port A In"}, {"Port B In"}});
        loop.setOutputs({{"Port A Out"}, {"Port B Out"}});
        midi::installMIDIInit(&init);
    }
    ~Ports()
    {
        midi::CloseMidiDevices(true, true);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
        midi::installMIDIInit(nullptr);
    }
    midi::DeviceChoiceLists lists()
    {
        midi::EnumerateOutcome outcome{};
        init.EnumerateMidiDevices(true, outcome);
        midi::DeviceChoiceLists l;
        init.FillDeviceLists(l);
        return l;
    }
    platform::LoopbackMidiBackend loop;
    midi::clsMIDIInit init{&loop};
};

void focusIn(QWidget* w)
{
    QFocusEvent event(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w, &event);
}

// The text a grid's cell shows.
QString shownText(const QTableView* grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    const auto* delegate = qobject_cast<const QStyledItemDelegate*>(grid->itemDelegateForIndex(index));
    return delegate->displayText(index.data(), grid->locale());
}

// The text a grid's cell shows fits the room it has: its width less a grid line and the
// style's margins at either side. Else the grid cuts it short with an ellipsis.
::testing::AssertionResult shownWhole(const QTableView* grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    const QString text = shownText(grid, row, column);
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const int room = grid->visualRect(index).width() - 2 * margin;
    const qreal width = QFontMetricsF(grid->font()).horizontalAdvance(text);
    if (width <= room)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text.toStdString() << "\" is " << width << " wide in "
                                         << grid->font().family().toStdString() << ", the cell has " << room;
}

}  // namespace

// ---- the set-up dialogs

TEST(MidiSetupDialogs, TheDeviceDialogsSkipBoxFollowsTheListsAndOkWritesTheChoice)
{
    ScriptedServices ui;
    Ports p;
    p.init.setMidiInDeviceName("Port B In");
    p.init.setMidiOutDeviceName("Port B Out");
    frmMidiConfigure d(p.init, p.lists(), false);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("  Please select MIDI devices to use with Brevane"));
    // Wide enough for the title set bold with a fifth to spare (a title bar's font may be
    // larger), and the title bar's icon and three buttons beside it.
    QFont bold = d.font();
    bold.setBold(true);
    const int button = d.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &d);
    d.show();
    EXPECT_GE(d.width(), QFontMetrics(bold).horizontalAdvance(d.windowTitle()) * 6 / 5 + 4 * button);
    d.hide();
    EXPECT_EQ(d.Combo1(0)->currentText(), QStringLiteral("Port B Out"));
    EXPECT_EQ(d.Combo1(1)->currentText(), QStringLiteral("Port B In"));
    EXPECT_FALSE(d.Check1()->isChecked()) << "no synthesizer type yet: cleared and disabled";
    EXPECT_FALSE(d.Check1()->isEnabled());
    d.Combo1(1)->setCurrentIndex(0);
    EXPECT_TRUE(d.Check1()->isChecked()) << "None ticks and disables the box";
    EXPECT_FALSE(d.Check1()->isEnabled());
    d.Combo1(1)->setCurrentIndex(1);
    d.Command1(0)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(p.init.MidiInDeviceName(), "Port A In");
    EXPECT_EQ(p.init.MIDIInputDeviceID(), 0);
    EXPECT_EQ(p.init.MidiOutDeviceName(), "Port B Out");
    EXPECT_EQ(p.init.MIDIOutputDeviceID(), 1);

    // With a synthesizer type the box is the user's, and writes SkipMIDIInit at once.
    p.init.setSkipMIDIInit(true);
    frmMidiConfigure second(p.init, p.lists(), true);
    EXPECT_TRUE(second.Check1()->isChecked());
    EXPECT_TRUE(second.Check1()->isEnabled());
    second.Check1()->click();
    EXPECT_FALSE(p.init.SkipMIDIInit());
    second.Command1(2)->click();
    ASSERT_EQ(ui.helpTopicsShown().size(), 1U);
    EXPECT_EQ(ui.helpTopicsShown()[0], "::/index.htm#StartingBrevane");
}

TEST(MidiSetupDialogs, EscAndTheCloseBoxCancelEverySetUpDialog)
{
    ScriptedServices ui;
    Ports p;
    std::optional<std::int32_t> synth = 1;
    const auto cancelled = [&](QDialog& d, bool byClose) {
        p.init.InitCancelled = false;
        d.show();
        if (byClose)
            d.close();
        else
            d.reject();
        return p.init.InitCancelled;
    };
    for (bool byClose : {false, true}) {
        frmMidiConfigure devices(p.init, p.lists(), true);
        EXPECT_TRUE(cancelled(devices, byClose));
        frmInitialisationMessage type(p.init, synth, nullptr);
        EXPECT_TRUE(cancelled(type, byClose));
        frmDX7MKIInit mki(p.init);
        EXPECT_TRUE(cancelled(mki, byClose));
        frmInitFailureDialog failure(p.init);
        EXPECT_TRUE(cancelled(failure, byClose));
        EXPECT_EQ(p.init.FailureAnswer, 0);
        int interrupts = 0;
        frmInitStatus progress([&interrupts] { ++interrupts; });
        progress.show();
        if (byClose)
            progress.close();
        else
            progress.reject();
        EXPECT_EQ(interrupts, 1);
    }
    EXPECT_EQ(synth, 1) << "a cancelled type dialog leaves the type";
}

TEST(MidiSetupDialogs, TheMapperHeldByThePlayerCannotBeChosen)
{
    ScriptedServices ui;
    Ports p;
    p.loop.setMapperPresent(true);
    frmMidiConfigure d(p.init, p.lists(), true);
    ASSERT_EQ(d.Combo1(0)->itemText(1), QStringLiteral("Loopback MIDI Mapper"));
    midi::setMidiMapperAllocatedQuery([] { return true; });
    d.Combo1(0)->setCurrentIndex(1);
    d.Command1(0)->click();
    EXPECT_NE(d.result(), QDialog::Accepted) << "the dialog stays";
    ASSERT_EQ(ui.messagesShown().size(), 1U);
    EXPECT_EQ(ui.messagesShown()[0].title, "Midi Mapper Not Available");
    midi::setMidiMapperAllocatedQuery({});
    d.Command1(0)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(p.init.MIDIOutputDeviceID(), -1);
}

TEST(MidiSetupDialogs, TheTypeDialogShowsTheTypesAndWritesTheChosenOne)
{
    ScriptedServices ui;
    Ports p;
    std::optional<std::int32_t> synth;
    frmInitialisationMessage d(p.init, synth, nullptr);
    EXPECT_EQ(d.Option1(0)->text(), QStringLiteral("     &MkI \"Original\" DX7"));
    EXPECT_EQ(d.Option1(2)->text(), QStringLiteral("     M&kII DX7, TX802 or any other \"second series\" DX/TX"));
    EXPECT_EQ(d.Command1(1)->toolTip(), QStringLiteral("Skips download of patch bank"));
    EXPECT_TRUE(d.Option1(0)->isChecked()) << "no type yet: the MkI";
    d.Option1(2)->setChecked(true);
    d.Command1(0)->click();
    EXPECT_EQ(synth, 2);
    EXPECT_EQ(p.init.MIDITimeout(), 2000);

    std::optional<std::int32_t> mki = 0;
    frmInitialisationMessage skip(p.init, mki, nullptr);
    EXPECT_TRUE(skip.Option1(0)->isChecked());
    skip.Command1(1)->click();
    EXPECT_TRUE(p.init.SkipMIDIInit());

    frmDX7MKIInit instructions(p.init);
    EXPECT_TRUE(instructions.Steps()->text().contains(QStringLiteral("YOU'RE READY TO SEND !")));
    instructions.Command1(0)->click();
    EXPECT_FALSE(p.init.SkipMIDIInit());
}

TEST(MidiSetupDialogs, TheFailureDialogBlocksTheProgramAndWorkOfflineClosesTheDevices)
{
    ScriptedServices ui;
    Ports p;
    p.init.setMidiInDeviceName("Port A In");
    p.init.setMidiOutDeviceName("Port A Out");
    (void)p.lists();
    bool failed = true;
    p.init.OpenMidiDevices(failed);
    ASSERT_FALSE(failed);
    frmInitFailureDialog d(p.init);
    EXPECT_EQ(d.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(d.Text1()->toPlainText().contains(
        QStringLiteral("Input: Port A In      Output: Port A Out\n\n           but could not detect your DX7.")));
    d.Command1(0)->click();
    EXPECT_EQ(p.init.FailureAnswer, -1);
    EXPECT_FALSE(p.init.MidiInOpen || p.init.MidiOutOpen);
}

// ---- the MIDI Manager window

namespace {

// Windows that log into the test's data and do nothing else.
class DataWindows final : public midi::SilentMidiWindows {
public:
    explicit DataWindows(midi::clsMidiManagerData& data) : m_data(data) {}
    void loadManager() override {}
    void unloadManager() override {}
    bool managerLoaded() const override { return true; }
    midi::clsMidiManagerData& managerData() override { return m_data; }

private:
    midi::clsMidiManagerData& m_data;
};

class ManagerWindowTest : public ::testing::Test {
protected:
    ManagerWindowTest()
    {
        midi::installMIDIInit(&init);
        midi::installMidiWindows(&windows);
        EXPECT_TRUE(midi::testing::OpenDevicesByName(init, "DX7 Simulator Out", "DX7 Simulator In"));
        data.setSysexSlots(&banks);
        banks.InitMidiGrid();
        banks.setChangeObserver([this] { window.banksChanged(); });
        data.setMessageObserver([this](platform::Bookmark b, bool replaced) { window.messageLogged(b, replaced); });
        backend.clearSent();
    }
    ~ManagerWindowTest() override
    {
        data.setMessageObserver({});
        banks.setChangeObserver({});
        midi::CloseMidiDevices(true, true);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
        midi::installMidiWindows(nullptr);
        midi::installMIDIInit(nullptr);
    }
    void log(const std::string& message)
    {
        midi::MonitorLines line;
        line[midi::MonitorField::Message] = message;
        data.AddMessage(line, false);
    }

    ScriptedServices ui;
    platform::SimulatedDX7Backend backend;
    midi::clsMIDIInit init{&backend};
    midi::clsMidiManagerData data;
    DataWindows windows{data};
    midi::MidiManagerSlots banks{data};
    frmMIDIManager::PortState ports{true, true, false};
    frmMIDIManager window{data, banks, [this] { return ports; }};
};

}  // namespace

TEST_F(ManagerWindowTest, TheButtonsFollowThePortsAndTheSelectedSlot)
{
    EXPECT_EQ(window.bankModel().rowCount(), 100);
    EXPECT_EQ(window.DataGrid2()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("H:M:Sec"));
    // At the opening size the cells show their texts whole, in the program's font and in a
    // fixed-pitch one: a time stamp, a line number, a channel, the data's titles and values,
    // a slot's number and length; and every column of a short and of a long message sent.
    ASSERT_EQ(midi::SendShortMessage("\x90", "\x46", "\x7F", ""), midi::TransportResult::Ok);
    const std::string voice = std::string("\xF0\x43\x00\x00\x01\x1B", 6) + std::string(156, '\x63') + "\xF7";
    ASSERT_EQ(voice.size(), 163U);
    ASSERT_EQ(midi::SendLongSysex(voice), midi::TransportResult::Ok);
    ASSERT_EQ(midi::SendLongSysex("\xF0\x43\x10\x7F\x7F\x7F\xF7"), midi::TransportResult::Ok);
    midi::MonitorLines line;
    line[midi::MonitorField::Timestamp] = "39599900";
    line[midi::MonitorField::Channel] = "16";
    line[midi::MonitorField::Message] = "Control Change";
    line[midi::MonitorField::Data1Title] = "Sysex Bank";
    line[midi::MonitorField::Data1] = "100";
    line[midi::MonitorField::Data2Title] = "MSB Value ";
    line[midi::MonitorField::Data2] = "127";
    data.AddMessage(line, false);
    const QFont programFont = QApplication::font();
    QFont fixedPitch(QStringLiteral("Monospace"), 10);
    fixedPitch.setStyleHint(QFont::Monospace);
    for (const QFont& font : {programFont, fixedPitch}) {
        QApplication::setFont(font);
        frmMIDIManager opened{data, banks, [this] { return ports; }};
        const int last = opened.monitorModel().rowCount() - 1;
        ASSERT_EQ(opened.monitorModel().index(last, 0).data().toString().trimmed(), QStringLiteral("10:59:59.9"));
        ASSERT_EQ(shownText(opened.DataGrid2(), last - 3, 5), QStringLiteral("Data"));
        ASSERT_EQ(shownText(opened.DataGrid2(), last - 2, 3), QStringLiteral("Long Sysex sent: length  163 bytes"));
        for (int row = last - 3; row <= last; ++row)
            for (int column = 0; column < 8; ++column)
                EXPECT_TRUE(shownWhole(opened.DataGrid2(), row, column)) << row << ", " << column;
        EXPECT_TRUE(shownWhole(opened.DataGrid1(), 99, 0));
        EXPECT_TRUE(shownWhole(opened.DataGrid1(), 99, 2));
    }
    QApplication::setFont(programFont);
    EXPECT_FALSE(window.button(QStringLiteral("Send"))->isEnabled());
    EXPECT_FALSE(window.button(QStringLiteral("Save"))->isEnabled());
    EXPECT_TRUE(window.button(QStringLiteral("Receive"))->isEnabled());
    EXPECT_TRUE(window.button(QStringLiteral("Load"))->isEnabled());
    std::int32_t type = 3;
    (void)banks.AddSysex(std::string(4096, '\x01'), 4096, type, "Bank A");
    // The next slot is current now, and shown selected: a free one.
    EXPECT_EQ(window.DataGrid1()->currentIndex().row(), 1);
    EXPECT_FALSE(window.button(QStringLiteral("Send"))->isEnabled());
    window.DataGrid1()->selectionModel()->setCurrentIndex(window.bankModel().index(0, 1),
                                                          QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(window.button(QStringLiteral("Send"))->isEnabled());
    EXPECT_TRUE(window.button(QStringLiteral("Delete"))->isEnabled());
    EXPECT_EQ(window.bankModel().data(window.bankModel().index(0, 1)).toString().trimmed(),
              QStringLiteral("Bank A"));
    ports = {true, false, false};
    window.updateButtons();
    EXPECT_FALSE(window.button(QStringLiteral("Send"))->isEnabled());
    EXPECT_FALSE(window.button(QStringLiteral("Receive"))->isEnabled());
    EXPECT_TRUE(window.button(QStringLiteral("Save And Load"))->isEnabled());

    // The grid's delete key frees the selected slot.
    focusIn(window.DataGrid1());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(window.DataGrid1(), &del);
    EXPECT_EQ(banks.UsedBankCount(), 0);
    EXPECT_FALSE(window.button(QStringLiteral("Save"))->isEnabled());
}

TEST_F(ManagerWindowTest, NewLinesArriveInBatchesAtTheEnd)
{
    for (int i = 0; i < 500; ++i)
        log("line " + std::to_string(i));
    EXPECT_EQ(window.pendingLines(), 500U);
    window.flushMonitor();
    EXPECT_EQ(window.monitorModel().rowCount(), 500);
    EXPECT_EQ(window.monitorModel().data(window.monitorModel().index(499, 3)).toString().trimmed(),
              QStringLiteral("line 499"));
    EXPECT_EQ(window.pendingLines(), 0U);

    // Lines longer than the Message column, come after the window opened, are shown whole:
    // the column widens to them. So is a line of more than 80 bytes, a file's name in it.
    for (const std::string line : {"Damaged 32 Voice Bulk Dump Received: it is incomplete (272 of 4104 bytes)",
                                   "\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9_\xE6\x97\xA5\xE6\x9C\xAC_long_name.syx not sent "
                                   "completely: the MIDI output was closed (272 of 4104 bytes sent)"}) {
        log(line);
        window.flushMonitor();
        EXPECT_EQ(shownText(window.DataGrid2(), window.monitorModel().rowCount() - 1, 3), QString::fromUtf8(line));
        EXPECT_TRUE(shownWhole(window.DataGrid2(), window.monitorModel().rowCount() - 1, 3)) << line;
    }
}

TEST_F(ManagerWindowTest, TheMonitorKeepsTheLastHundredThousandLinesAndOneLineTellsOfTheRest)
{
    std::int32_t type = 3;
    (void)banks.AddSysex(std::string(4096, '\x01'), 4096, type, "Kept");
    data.MidiMessage.clear();
    window.monitorModel().refresh();
    const auto& model = window.monitorModel();
    const auto cell = [&](int row, int column) {
        return model.data(model.index(row, column)).toString().trimmed().toStdString();
    };
    // Sixteen batches of 10,000 lines, each shown before the next: the oldest lines leave
    // several times, and the log is copied afresh on the way.
    int logged = 0;
    for (int batch = 0; batch < 16; ++batch) {
        for (int i = 0; i < 10'000; ++i)
            log("line " + std::to_string(++logged));
        window.flushMonitor();
        ASSERT_LE(data.MidiMessage.recordCount(), midi::kMonitorLineCap);
        ASSERT_EQ(model.rowCount(), data.MidiMessage.recordCount());
    }
    const int left = logged - (model.rowCount() - 1);
    EXPECT_EQ(cell(0, 3), std::to_string(left) + " older lines removed - the monitor keeps the last 100000 lines");
    EXPECT_TRUE(shownWhole(window.DataGrid2(), 0, 3));
    EXPECT_EQ(cell(1, 3), "line " + std::to_string(left + 1));
    EXPECT_EQ(cell(model.rowCount() - 1, 3), "line 160000");
    EXPECT_EQ(cell(model.rowCount() - 1, 1), "160000") << "lines keep their numbers from the start";
    EXPECT_TRUE(shownWhole(window.DataGrid2(), model.rowCount() - 1, 1));
    EXPECT_EQ(banks.UsedBankCount(), 1) << "the slots are not the log";
}

TEST_F(ManagerWindowTest, OnlyTheUsersSelectionResendsARow)
{
    window.Check1()->setChecked(true);
    const std::string request = midi::BuildDumpRequest(9, 0, 0, 0);
    (void)midi::SendLongSysex(request);  // logged as row 1
    window.flushMonitor();
    backend.clearSent();
    // New lines, and the grid following them, send nothing.
    for (int i = 0; i < 20; ++i)
        log("line");
    window.flushMonitor();
    std::int32_t type = 0;
    (void)banks.AddSysex(std::string(155, '\x01'), 155, type, "");
    EXPECT_TRUE(backend.sentMessages().empty());
    // The user picks row 1: it goes out once, and its own log line moves nothing.
    window.DataGrid2()->selectionModel()->setCurrentIndex(window.monitorModel().index(0, 0),
                                                          QItemSelectionModel::ClearAndSelect);
    window.flushMonitor();
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(std::string(backend.sentMessages()[0].begin(), backend.sentMessages()[0].end()), request);
    EXPECT_EQ(window.DataGrid2()->currentIndex().row(), 0);
    window.Check1()->setChecked(false);
    window.DataGrid2()->selectionModel()->setCurrentIndex(window.monitorModel().index(3, 0),
                                                          QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(backend.sentMessages().size(), 1U);
}

TEST_F(ManagerWindowTest, ASlotNamedAfterItsFileShowsTheNameAsTheTitleBarDoesAndIsSavedUnderIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    banklib::testing::FakeAppState app;
    app.dataDirectory = QFile::encodeName(folder.path()).toStdString() + "/";
    const std::vector<std::uint8_t> dump = backend.dx7().bulkDump();
    // 9 bytes and 40 letters of 2 bytes each: a slot's 80 bytes end inside a letter.
    std::string longName = "Банк ";
    for (int i = 0; i < 40; ++i)
        longName += "ж";
    struct Row {
        std::string file;
        std::string name;  // as the slot shows it, and the file Save proposes
    };
    const Row rows[] = {
        {"naïve café.syx", "naïve café"},
        {"Струнные и духовые.syx", "Струнные и духовые"},
        // A name longer than a slot's 80 bytes keeps whole letters.
        {longName + ".syx", longName.substr(0, 79)},
        {"Ünïcødé.Set.syx", "Ünïcødé"},
    };
    int slot = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = app.dataDirectory + row.file;
        {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(dump.data()), static_cast<std::streamsize>(dump.size()));
        }
        ui.clear();
        ui.answerFile(path);
        window.DataGrid1()->selectionModel()->setCurrentIndex(window.bankModel().index(slot, 1),
                                                              QItemSelectionModel::ClearAndSelect);
        window.button(QStringLiteral("Load"))->trigger();
        ASSERT_EQ(banks.UsedBankCount(), slot + 1);
        const QString stem = QFile::decodeName(row.name.c_str());
        // The title bar's way with a file name: its stem is what the slot shows.
        EXPECT_EQ(QFile::decodeName(row.file.c_str()).left(stem.size()), stem);
        EXPECT_EQ(shownText(window.DataGrid1(), slot, 1).toStdString(), stem.toStdString());

        // Save proposes the file under the slot's name, and writes it there.
        window.DataGrid1()->selectionModel()->setCurrentIndex(window.bankModel().index(slot, 1),
                                                              QItemSelectionModel::ClearAndSelect);
        const std::string saved = app.dataDirectory + row.name + ".dat";
        ui.answerFile(saved);
        window.button(QStringLiteral("Save"))->trigger();
        ASSERT_EQ(ui.fileDialogsShown().size(), 2U);
        EXPECT_EQ(ui.fileDialogsShown()[1].fileName, saved);
        EXPECT_TRUE(platform::fileExists(saved));
        ++slot;
    }

    // A name typed into the grid is the file's name too; left as it was, it keeps its bytes.
    const QModelIndex name = window.bankModel().index(0, 1);
    ASSERT_TRUE(window.bankModel().setData(name, QStringLiteral("Noël Хор")));
    EXPECT_EQ(shownText(window.DataGrid1(), 0, 1).toStdString(), "Noël Хор");
    window.DataGrid1()->selectionModel()->setCurrentIndex(name, QItemSelectionModel::ClearAndSelect);
    ui.clear();
    ui.answerFile(app.dataDirectory + "typed.dat");
    window.button(QStringLiteral("Save"))->trigger();
    ASSERT_EQ(ui.fileDialogsShown().size(), 1U);
    EXPECT_EQ(ui.fileDialogsShown()[0].fileName, app.dataDirectory + "Noël Хор.dat");
    banks.MidiSysex.setAbsolutePosition(3);
    const std::string latin1 = "Caf\xE9";  // no UTF-8: shown one character a byte
    banks.MidiSysex.setValue(midi::SlotField::Name, latin1);
    window.banksChanged();
    EXPECT_EQ(shownText(window.DataGrid1(), 2, 1).toStdString(), "Café");
    ASSERT_TRUE(window.bankModel().setData(window.bankModel().index(2, 1), window.bankModel().index(2, 1).data()));
    EXPECT_EQ(platform::Trim(banks.MidiSysex.text(midi::SlotField::Name)), latin1);
}

TEST_F(ManagerWindowTest, EditWorksOnTheGridLastFocused)
{
    window.Toolbar1_ButtonClick(QStringLiteral("Edit"));
    ASSERT_EQ(ui.messagesShown().size(), 1U);
    EXPECT_EQ(ui.messagesShown()[0].text, "Please select a sysex message or bank to edit.");
    EXPECT_EQ(ui.messagesShown()[0].title, "Nothing to Edit");
    EXPECT_EQ(ui.messagesShown()[0].style, 64);

    std::int32_t type = 0;
    (void)banks.AddSysex(std::string(155, '\x01'), 155, type, "");
    window.DataGrid1()->selectionModel()->setCurrentIndex(window.bankModel().index(0, 0),
                                                          QItemSelectionModel::ClearAndSelect);
    std::vector<std::string> edited;
    banks.setEditor([&](const std::string& message, bool voiceData) -> std::optional<std::string> {
        edited.push_back(message);
        EXPECT_TRUE(voiceData);
        return std::string(155, '\x02');
    });
    focusIn(window.DataGrid1());
    window.Toolbar1_ButtonClick(QStringLiteral("Edit"));
    ASSERT_EQ(edited.size(), 1U);
    banks.MidiSysex.setAbsolutePosition(1);
    EXPECT_EQ(banks.MidiSysex.text(midi::SlotField::Data), std::string(155, '\x02'));
}

// ---- the System Exclusive editor

TEST(SysexEditorWindow, CellsTakeBytesAndOkGivesTheEditedMessage)
{
    ScriptedServices ui;
    const std::string message("\xF0\x43\x10\x01\x02\x03\xF7", 7);
    frmEditSysex d(message, false);
    HexGridModel& m = *d.model();
    EXPECT_EQ(m.data(m.index(0, 0)).toString(), QStringLiteral("0"));
    EXPECT_EQ(m.data(m.index(0, 1)).toString(), QStringLiteral("240"));
    EXPECT_FALSE(d.DataGrid1()->isColumnHidden(8)) << "room to type after the last byte";
    EXPECT_TRUE(d.DataGrid1()->isColumnHidden(9));
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m.setData(m.index(0, 4), QStringLiteral("12a")));
    ASSERT_EQ(ui.messagesShown().size(), 1U);
    EXPECT_EQ(ui.messagesShown()[0].title, "Invalid Byte Value");
    EXPECT_TRUE(m.setData(m.index(0, 4), QStringLiteral("99")));
    EXPECT_EQ(m.data(m.index(0, 4)).toString(), QStringLiteral("99"));
    d.Command1(0)->click();
    EXPECT_EQ(d.editedMessage(), std::string("\xF0\x43\x10\x63\x02\x03\xF7", 7));

    // Cancel keeps the message as it was.
    frmEditSysex cancelled(message, false);
    EXPECT_TRUE(cancelled.model()->setData(cancelled.model()->index(0, 2), QStringLiteral("1")));
    cancelled.Command1(1)->click();
    EXPECT_EQ(cancelled.editedMessage(), message);
}

TEST(SysexEditorWindow, EmptyingACellAsksAndTruncates)
{
    ScriptedServices ui;
    frmEditSysex d(std::string(100, '\x01'), true);
    HexGridModel& m = *d.model();
    ui.answer(MsgAnswer::No);
    EXPECT_FALSE(m.setData(m.index(2, 5), QString()));
    EXPECT_EQ(m.rowCount(), 7);
    ui.answer(MsgAnswer::Yes);
    EXPECT_FALSE(m.setData(m.index(2, 5), QString())) << "the emptying itself is refused";
    EXPECT_EQ(ui.messagesShown()[1].text, "Do you want to truncate the sysex at this point");
    EXPECT_EQ(ui.messagesShown()[1].title, "Null value entered");
    EXPECT_EQ(m.rowCount(), 3);
    d.Command1(0)->click();
    EXPECT_EQ(d.editedMessage(), std::string(36, '\x01'));
}

TEST(SysexEditorWindow, TheEditorOpensModallyAndGivesNothingBackWhenUnchanged)
{
    ScriptedServices ui;
    testing::whenModal<frmEditSysex>([](frmEditSysex* d) { d->Command1(0)->click(); });
    EXPECT_EQ(frmEditSysex::edit(std::string("\x90\x40\x40", 3), false, nullptr), std::nullopt);
    testing::whenModal<frmEditSysex>([](frmEditSysex* d) {
        (void)d->model()->setData(d->model()->index(0, 3), QStringLiteral("0"));
        d->Command1(0)->click();
    });
    EXPECT_EQ(frmEditSysex::edit(std::string("\x90\x40\x40", 3), false, nullptr), std::string("\x90\x40\x00", 3));
}

// ---- the program with a simulated DX7

TEST(MidiStartUp, TheProgramFindsTheSynthOpensItsBankAndShowsTheMidiManager)
{
    ScriptedServices ui;
    frmVoiceList::setDeferredCallFactory([] { return std::make_unique<testing::ManualDeferredCall>(); });
    testing::TempFolder program;
    testing::TempFolder data;
    miditest::ScriptedSetupHost* host = nullptr;
    platform::SimulatedDX7Backend* dx7 = nullptr;
    {
        StartupOptions options;
        options.paths.programFolder = program.folder();
        options.paths.settingsFile = program.file("Brevane.ini");
        options.paths.dataBaseFolder = data.folder();
        options.splashMs = 0;
        options.makeVoiceLists = [](frmStartup& main) { return std::make_unique<VoiceLists>(main); };
        options.makeMidiSetup = [&host, &dx7] {
            auto backend = std::make_unique<platform::SimulatedDX7Backend>(0);
            dx7 = backend.get();
            auto setup = std::make_unique<MidiInitSetup>(std::move(backend));
            auto scripted = std::make_unique<miditest::ScriptedSetupHost>();
            host = scripted.get();
            host->typeAnswers.push_back({false, false, 2});
            setup->setSetupHost(std::move(scripted));
            return setup;
        };
        frmStartup main(std::move(options));
        bool devicesDisabledDuringSetUp = false;
        // The first call of objMIDIInit makes the set-up object and its host.
        (void)main.objMIDIInit();
        ASSERT_NE(host, nullptr);
        host->onDeviceDialog = [&] {
            main.updateCommands();
            devicesDisabledDuringSetUp = !main.commandState().isEnabled(CommandId::MidiDevices);
        };
        ASSERT_TRUE(main.Form_Load());
        EXPECT_EQ(host->deviceDialogs, 1) << "no devices configured yet";
        EXPECT_TRUE(devicesDisabledDuringSetUp);
        EXPECT_TRUE(main.commandState().isEnabled(CommandId::MidiDevices));
        EXPECT_TRUE(main.objMIDIInit().MidiInOpen() && main.objMIDIInit().MidiOutOpen());
        EXPECT_EQ(main.objMIDIInit().MidiOutDeviceName(), "DX7 Simulator In");

        // The bank is the first voice list.
        ASSERT_EQ(main.colVoiceLists().openListCount(), 1);
        auto* midiWindows = dynamic_cast<MidiInitSetup&>(main.objMIDIInit()).midiWindows();
        ASSERT_NE(midiWindows, nullptr);
        ASSERT_NE(midiWindows->managerSubWindow(), nullptr);
        EXPECT_TRUE(midiWindows->managerSubWindow()->isMinimized());
        EXPECT_TRUE(main.action(CommandId::MidiInputOn)->isChecked());
        EXPECT_TRUE(main.action(CommandId::MidiShowManager)->isChecked());
        EXPECT_TRUE(main.commandState().midiReceiveMenu);

        // While a bank is asked for, MIDI Devices waits for the reply.
        bool devicesDisabledDuringReceive = false;
        ui.onProcessEvents([&](std::int64_t) {
            devicesDisabledDuringReceive = devicesDisabledDuringReceive ||
                                           !main.action(CommandId::MidiDevices)->isEnabled();
        });
        main.mnuMIDIreceive_Click(1);
        // The command returns while the request waits; the bank opens when it has come.
        midi::testing::WaitForRequestEnd();
        ui.onProcessEvents({});
        EXPECT_TRUE(devicesDisabledDuringReceive);
        EXPECT_TRUE(main.action(CommandId::MidiDevices)->isEnabled());
        ASSERT_EQ(main.colVoiceLists().openListCount(), 2);

        // Midi Input On switches input off and on, and Receive with it. Switched off while a
        // Receive waits for a synth that says nothing, it ends the wait at once, asking nothing.
        dx7->dx7().setSilent(true);
        const std::size_t asked = ui.messagesShown().size();
        main.mnuMIDIreceive_Click(1);
        ASSERT_TRUE(midi::RequestSequenceActive());
        main.mnuMIDIOptions_Click(0);
        EXPECT_FALSE(midi::RequestSequenceActive());
        EXPECT_EQ(ui.messagesShown().size(), asked);
        dx7->dx7().setSilent(false);
        EXPECT_FALSE(main.action(CommandId::MidiInputOn)->isChecked());
        EXPECT_FALSE(main.commandState().midiReceiveMenu);
        EXPECT_TRUE(std::any_of(ui.statusHistory().begin(), ui.statusHistory().end(),
                                [](const auto& s) { return s.text == "MIDI input stopped"; }));
        main.mnuMIDIOptions_Click(0);
        EXPECT_TRUE(main.action(CommandId::MidiInputOn)->isChecked());
        EXPECT_TRUE(main.commandState().midiReceiveMenu);

        // Show Midi Manager hides the window and shows it again.
        main.mnuMIDIOptions_Click(1);
        EXPECT_FALSE(midiWindows->managerShown());
        EXPECT_FALSE(main.action(CommandId::MidiShowManager)->isChecked());
        main.mnuMIDIOptions_Click(1);
        EXPECT_TRUE(midiWindows->managerShown());
        EXPECT_FALSE(midiWindows->managerSubWindow()->isMinimized());

        // A bank the synth sends by itself lands in the first slot.
        dx7->sendUnsolicitedBank();
        midi::ProcessMidiInput();
        EXPECT_EQ(midiWindows->banks().UsedBankCount(), 1);
        midiWindows->manager()->flushMonitor();
        EXPECT_GT(midiWindows->manager()->monitorModel().rowCount(), 0);

        // Closed by its close button, by Ctrl+F4 and by its window menu, again and again,
        // and shown by Ctrl+M or the menu: it comes back whole, with its slots and lines.
        main.show();
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        frmMIDIManager* const manager = midiWindows->manager();
        const int lines = manager->monitorModel().rowCount();
        const QString slotName = manager->bankModel().index(0, 1).data().toString();
        enum class CloseBy { Button, CtrlF4, WindowMenu };
        for (int round = 1; round <= 2; ++round) {
            for (const CloseBy way : {CloseBy::Button, CloseBy::CtrlF4, CloseBy::WindowMenu}) {
                SCOPED_TRACE("round " + std::to_string(round) + ", closed by way " +
                             std::to_string(static_cast<int>(way)));
                QMdiSubWindow* sub = midiWindows->managerSubWindow();
                ASSERT_NE(sub, nullptr);
                ASSERT_TRUE(sub->isVisible());
                main.mdiArea()->setActiveSubWindow(sub);
                switch (way) {
                case CloseBy::Button: sub->close(); break;
                case CloseBy::CtrlF4: QTest::keyClick(sub, Qt::Key_F4, Qt::ControlModifier); break;
                case CloseBy::WindowMenu: {
                    const QList<QAction*> items = sub->systemMenu()->actions();
                    const auto close = std::find_if(items.begin(), items.end(), [](const QAction* a) {
                        return a->text().remove(QLatin1Char('&')) == QStringLiteral("Close");
                    });
                    ASSERT_NE(close, items.end());
                    (*close)->trigger();
                    break;
                }
                }
                QApplication::processEvents();
                EXPECT_FALSE(midiWindows->managerShown());
                EXPECT_FALSE(main.action(CommandId::MidiShowManager)->isChecked());
                if (way == CloseBy::WindowMenu)
                    main.action(CommandId::MidiShowManager)->trigger();
                else
                    QTest::keyClick(&main, Qt::Key_M, Qt::ControlModifier);
                QApplication::processEvents();
                ASSERT_EQ(midiWindows->managerSubWindow(), sub);
                ASSERT_EQ(midiWindows->manager(), manager);
                EXPECT_TRUE(sub->isVisible());
                EXPECT_TRUE(main.action(CommandId::MidiShowManager)->isChecked());
                EXPECT_TRUE(manager->isVisible()) << "not an empty frame";
                EXPECT_TRUE(manager->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->isVisible());
                EXPECT_TRUE(manager->DataGrid1()->isVisible());
                EXPECT_TRUE(manager->DataGrid2()->isVisible());
                EXPECT_TRUE(sub->contentsRect().contains(manager->geometry()));
                EXPECT_EQ(manager->bankModel().index(0, 1).data().toString(), slotName);
                EXPECT_EQ(manager->monitorModel().rowCount(), lines);
                EXPECT_EQ(midiWindows->banks().UsedBankCount(), 1);
            }
        }
        EXPECT_TRUE(main.objMIDIInit().MidiInOpen() && main.objMIDIInit().MidiOutOpen());
        main.hide();

        // Its caption shows a file name as a title bar shows one.
        for (const char* name : {"naïve café.syx", "Струнные.syx"}) {
            midiWindows->setManagerCaption(name);
            EXPECT_EQ(midiWindows->managerSubWindow()->windowTitle(), QFile::decodeName(name));
        }
        midiWindows->setManagerCaption("MIDI Manager");

        // Closing the last device hides the window and keeps slots and log.
        const int rows = midiWindows->manager()->monitorModel().rowCount();
        main.objMIDIInit().CloseMidiDevices(true, true);
        EXPECT_FALSE(midiWindows->managerShown());
        EXPECT_EQ(midiWindows->banks().UsedBankCount(), 1);
        midiWindows->manager()->flushMonitor();
        EXPECT_GE(midiWindows->manager()->monitorModel().rowCount(), rows);

        ui.answer(MsgAnswer::No);  // the start-up bank is not saved
        EXPECT_TRUE(main.close());
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmVoiceList::setDeferredCallFactory({});
}

}  // namespace shell
