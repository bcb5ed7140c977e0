// Brevane - a voice-list window auditions its voices over MIDI: a click sends the voice,
// a right click adds the test scale, the cursor keys send each voice reached, and a new
// name goes out as parameter changes; nothing goes out while the output is closed.
#include "VoiceListTestSupport.h"

#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/OpenDevices.h"
#include "midi/testing/TimedNotes.h"
#include "midiui/MidiInitSetup.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/SimulatedDX7Backend.h"

#include <QLineEdit>
#include <QTest>

using namespace shell;
using namespace shell::testing;
using banklib::FileType;
using shell::CommandId;

namespace {

class VoiceListMidi : public VoiceListFixture {
protected:
    VoiceListMidi()
    {
        backend.setEcho(false);
        // The main window's own settings object first, so that it does not replace this one.
        (void)main->objMIDIInit();
        midi::installMIDIInit(&init);
        backend.refreshDevices();
        EXPECT_TRUE(midi::testing::OpenDevicesByName(init, "None", "Loopback MIDI Out"));
        backend.clearSent();
    }
    ~VoiceListMidi() override
    {
        midi::CloseMidiDevices(true, true);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
        midi::installMIDIInit(nullptr);
    }
    const std::vector<std::vector<std::uint8_t>>& sent() const { return backend.sentMessages(); }

    platform::LoopbackMidiBackend backend;
    midi::clsMIDIInit init{&backend};
};

}  // namespace

TEST_F(VoiceListMidi, AClickSendsTheVoiceAndARightClickAddsTheScale)
{
    frmVoiceList* w = openBank("bank.dat", 40, FileType::Packed);
    ASSERT_NE(w, nullptr);
    w->HScroll1_Change(2);
    click(*w, 7);  // voice 40
    ASSERT_EQ(sent().size(), 1U);
    EXPECT_EQ(sent()[0].size(), 163U);
    EXPECT_EQ(std::string(sent()[0].begin() + 151, sent()[0].begin() + 161), nameOf(40, FileType::Packed));

    backend.clearSent();
    click(*w, 3, Qt::NoModifier, Qt::RightButton);
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(sent().size(), 15U) << "the voice, then seven notes on and off";
    EXPECT_EQ(sent()[0].size(), 163U);

    backend.clearSent();
    w->List1_KeyUp(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(sent().size(), 1U) << "the keys send the voice reached, never the scale";
}

TEST_F(VoiceListMidi, ARenamedVoiceSendsItsNewNameAndAClosedOutputSendsNothing)
{
    frmVoiceList* w = openBank("names.dat", 8, FileType::Unpacked);
    ASSERT_NE(w, nullptr);
    click(*w, 4);
    click(*w, 4);
    ASSERT_TRUE(timerOf(*w).fire());
    ASSERT_TRUE(w->renameBoxVisible());
    backend.clearSent();
    w->Text1()->selectAll();
    QTest::keyClicks(w->Text1(), "Alto Sax");
    QTest::keyClick(w->Text1(), Qt::Key_Return);
    ASSERT_EQ(sent().size(), 10U);
    EXPECT_EQ(sent()[0], (std::vector<std::uint8_t>{0xF0, 0x43, 0x10, 0x01, 0x11, 'A', 0xF7}));
    EXPECT_EQ(sent()[9], (std::vector<std::uint8_t>{0xF0, 0x43, 0x10, 0x01, 0x1A, ' ', 0xF7}));

    midi::CloseMidiDevices(false, true);
    backend.clearSent();
    click(*w, 2, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(sent().empty());
}

// ---- the whole program over a simulated DX7: the Midi menu and the toolbar's drop-downs

namespace {

class ProgramOverSimulator : public ::testing::Test {
protected:
    ProgramOverSimulator()
    {
        frmVoiceList::setDeferredCallFactory([] { return std::make_unique<ManualDeferredCall>(); });
        StartupOptions options;
        options.paths.programFolder = program.folder();
        options.paths.settingsFile = program.file("Brevane.ini");
        options.paths.dataBaseFolder = data.folder();
        options.paths.besideProgram = true;
        options.splashMs = 0;
        options.makeVoiceLists = [](frmStartup& main) { return std::make_unique<VoiceLists>(main); };
        options.makeMidiSetup = [this] {
            auto backend = std::make_unique<platform::SimulatedDX7Backend>(0);
            dx7 = backend.get();
            auto setup = std::make_unique<MidiInitSetup>(std::move(backend));
            setup->useHeadlessSetup();
            return setup;
        };
        main = std::make_unique<frmStartup>(std::move(options));
        main->setDataDirectory(data.folder());
        main->show();
        auto& init = dynamic_cast<MidiInitSetup&>(main->objMIDIInit()).object();
        EXPECT_TRUE(midi::testing::OpenDevicesByName(init, "DX7 Simulator Out", "DX7 Simulator In"));
        main->updateCommands();
    }
    ~ProgramOverSimulator() override
    {
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmVoiceList::setDeferredCallFactory({});
    }

    platform::testing::ScriptedServices ui;
    TempFolder program;
    TempFolder data;
    platform::SimulatedDX7Backend* dx7 = nullptr;
    std::unique_ptr<frmStartup> main;
};

}  // namespace

TEST_F(ProgramOverSimulator, GetBankOpensTheSynthesizersBankAndSendBankSendsItBack)
{
    ASSERT_TRUE(main->action(CommandId::MidiReceiveBank)->isEnabled());
    main->Toolbar1_ButtonMenuClick(QStringLiteral("Get Bank"));
    // The command returns while the request waits; the bank opens when it has come.
    midi::testing::WaitForRequestEnd();
    ASSERT_EQ(main->colVoiceLists().openListCount(), 1);
    const auto bank = dx7->dx7().bulkDump();
    EXPECT_EQ(readFile(data.file(" DX Bank  1.dat")), std::string(bank.begin(), bank.end()));
    QMdiSubWindow* shown = main->mdiArea()->activeSubWindow();
    ASSERT_NE(shown, nullptr);
    auto* list = qobject_cast<frmVoiceList*>(shown->widget());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->VoiceCount(), 32);
    EXPECT_TRUE(list->isWindowModified()) << "a received bank is a temporary list";

    ASSERT_TRUE(main->action(CommandId::MidiSendBank)->isEnabled());
    main->Toolbar1_ButtonMenuClick(QStringLiteral("Send Bank"));
    using Kind = platform::SimulatedDX7::Received::Kind;
    ASSERT_EQ(dx7->dx7().count(Kind::Bank), 1U);
    EXPECT_EQ(dx7->dx7().received().back().bytes, bank) << "the bank comes back unchanged";
}
