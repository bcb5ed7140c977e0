// Brevane - tests of the MIDI start-up: the command line, the set-up windows' answers,
// opening the devices, and finding a simulated DX7 on the program's clock.
#include "MidiTestFixture.h"
#include "SetupTestSupport.h"

#include "banklib/testing/FakeAppState.h"
#include "platform/FileIO.h"

#include <QTemporaryDir>

using namespace miditest;
using midi::FailureButton;
using midi::MkIButton;
using platform::LoopbackDevice;
using platform::MidiResult;
using platform::MsgAnswer;

namespace {

constexpr const char* kSimIn = "DX7 Simulator Out";
constexpr const char* kSimOut = "DX7 Simulator In";

// A DX7 behind a MIDI Thru loop: everything sent comes back, and so do its replies.
class ThruDX7Backend final : public platform::LoopbackMidiBackend {
public:
    ThruDX7Backend()
    {
        setInputs({{kSimIn}});
        setOutputs({{kSimOut}});
    }
    platform::SimulatedDX7 dx7{0};

protected:
    void delivered(std::span<const std::uint8_t> message) override
    {
        injectAfter(0, Bytes(message.begin(), message.end()));
        for (auto& reply : dx7.receive(message))
            injectAfter(dx7.replyDelayMs(), std::move(reply));
    }
};

class StartupTest : public MidiFixture {
protected:
    void SetUp() override
    {
        MidiFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        app.dataDirectory = folder.path().toStdString() + "/";
        init.setMidiInDeviceName(kSimIn);
        init.setMidiOutDeviceName(kSimOut);
        host.synthId = 2;
        svc.onProcessEvents([this](std::int64_t now) {
            if (midi::GetPendingRequest() == 9 && m_firstWait < 0)
                m_firstWait = now;
        });
        host.onFailureDialog = [this] { m_failureAt = svc.nowMs(); };
    }

    // The dump requests the program sent, by device number.
    std::vector<int> probes() const
    {
        std::vector<int> out;
        for (const auto& m : backend.sentMessages())
            if (m.size() == 5 && m[0] == 0xF0 && m[1] == 0x43 && (m[2] & 0xF0) == 0x20 && m[3] == 9)
                out.push_back(m[2] & 0x0F);
        return out;
    }
    bool messageShown(const std::string& title) const
    {
        for (const auto& m : svc.messagesShown())
            if (m.title == title)
                return true;
        return false;
    }

    // Virtual milliseconds from the first dump wait to the failure dialog, once
    // InitialiseMIDI has run (kept up to date by the hooks SetUp installs).
    std::int64_t detectionTime() const { return m_failureAt - m_firstWait; }
    void resetDetectionTime() { m_firstWait = m_failureAt = -1; }

    // Other MIDI systems a test may use (closed with the devices in TearDown).
    void TearDown() override
    {
        closeAndUninstallMidi();
        init.setBackend(&backend);
        MidiFixture::TearDown();
    }

    QTemporaryDir folder;
    banklib::testing::FakeAppState app;
    ScriptedSetupHost host;
    ThruDX7Backend thru;
    platform::LoopbackMidiBackend loop;

private:
    std::int64_t m_firstWait = -1;
    std::int64_t m_failureAt = -1;
};

std::vector<int> range(int first, int last)
{
    std::vector<int> v;
    for (int i = first; i <= last; ++i)
        v.push_back(i);
    return v;
}

}  // namespace

// ---- finding the synthesizer

TEST_F(StartupTest, ASecondSeriesSynthOnDeviceThreeIsFoundAndItsBankOpens)
{
    backend.dx7().setDeviceNumber(3);
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.deviceDialogs, 0) << "both configured devices are there";
    EXPECT_EQ(host.typeDialogs, 1);
    EXPECT_EQ(host.mkiDialogs, 0);
    EXPECT_EQ(probes(), range(0, 3));
    EXPECT_EQ(host.progress, (std::vector<float>{6.25F, 12.5F, 18.75F}));
    EXPECT_EQ(host.progressShown, 1);
    EXPECT_EQ(init.MIDIDeviceNumber(), 3);
    EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen);
    EXPECT_TRUE(init.SkipMIDIInit()) << "the next start does not detect again";
    EXPECT_EQ(init.DetectionCount, 1);
    ASSERT_EQ(app.registry.count(), 1);
    EXPECT_EQ(app.registry.lists()[0]->FileTitle(), "DX Setup  1.dat");
    EXPECT_TRUE(platform::fileExists(app.dataDirectory + "DX Setup  1.dat"));
    EXPECT_TRUE(statusShown("Please wait - detecting using device  4"));
    EXPECT_TRUE(statusShown("DX7 (Series) - Initialised OK "));
    EXPECT_TRUE(statusShown("Input: DX7 Simulator Out  Output: DX7 Simulator In"));
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_FALSE(init.SetupRunning);
    EXPECT_FALSE(svc.busy());
    EXPECT_EQ(svc.unexpectedMessages(), 0);
}

TEST_F(StartupTest, ABankThatFinishesDuringTheNextProbeNamesItsInstrument)
{
    backend.dx7().setDeviceNumber(3);
    backend.dx7().setReplyDelayMs(2500);  // after its probe has timed out
    init.InitialiseMIDI(false);
    EXPECT_EQ(probes(), range(0, 4));
    EXPECT_EQ(host.progress.size(), 4U);
    EXPECT_EQ(init.MIDIDeviceNumber(), 3) << "the device number of the bank, not of the probe";
    EXPECT_EQ(app.registry.count(), 1);
}

TEST_F(StartupTest, TheRequestsEchoThroughAMidiThruLoopIsNotTakenForTheBank)
{
    thru.dx7.setDeviceNumber(2);
    init.setBackend(&thru);
    init.InitialiseMIDI(false);
    EXPECT_EQ(init.MIDIDeviceNumber(), 2);
    EXPECT_EQ(host.failureDialogs, 0);
    ASSERT_EQ(app.registry.count(), 1);
    EXPECT_EQ(app.registry.lists()[0]->fileType(), banklib::FileType::PackedSysex);
}

TEST_F(StartupTest, TheMkIWaitsFifteenSecondsOnDeviceZeroForADumpSentByHand)
{
    host.synthId = 0;
    init.setMIDITimeout(0);
    host.typeAnswers.push_back({false, false, 0});  // the same type: the time-out is not reset
    backend.dx7().setDeviceNumber(0);
    std::int64_t askedAt = -1;
    svc.onProcessEvents([&](std::int64_t now) {
        if (askedAt < 0 && midi::GetPendingRequest() == 9)
            askedAt = now;
        if (askedAt >= 0 && now - askedAt == 14000)
            backend.sendUnsolicitedBank();
    });
    init.InitialiseMIDI(false);
    svc.onProcessEvents(nullptr);
    EXPECT_EQ(host.mkiDialogs, 1);
    EXPECT_TRUE(probes().empty()) << "the MkI is not asked";
    EXPECT_EQ(init.MIDITimeout(), 15000);
    EXPECT_TRUE(statusShown("PLEASE SEND DATA NOW -     14.9  secs. left to timeout"));
    EXPECT_TRUE(statusShown("DX7 (MKI) - Initialised OK "));
    EXPECT_EQ(app.registry.count(), 1);
}

// The bank names the device number its instrument answered on. The MkI has one number for
// that and its notes channel, so the channel is learnt with it; a series instrument keeps
// the channel the user set.
TEST_F(StartupTest, TheBankNamesTheDeviceNumberAndOnTheMkITheNotesChannelToo)
{
    struct Row {
        const char* what;
        std::int32_t synth;
        int bankDevice;
        std::int32_t channelBefore;
        std::int32_t channelAfter;
    };
    const Row rows[] = {
        {"MkI, bank sent by hand on device number 3", 0, 3, 0, 3},
        {"MkI on device number 0, channel 6 before", 0, 0, 6, 0},
        {"second series on device number 3", 2, 3, 0, 0},
        {"first series on device number 5", 1, 5, 9, 9},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        backend.dx7().setDeviceNumber(r.bankDevice);
        init.setMIDIOutChannel(r.channelBefore);
        init.setMIDIDeviceNumber(0);
        init.setMIDITimeout(0);
        init.setSkipMIDIInit(false);
        host.synthId = r.synth;
        host.typeAnswers = {ScriptedSetupHost::TypeAnswer{false, false, r.synth}};
        host.failureDialogs = 0;
        // The MkI is not asked: its bank is sent by hand while the program waits.
        bool sent = r.synth != 0;
        svc.onProcessEvents([&](std::int64_t) {
            if (!sent && midi::GetPendingRequest() == 9) {
                sent = true;
                backend.sendUnsolicitedBank();
            }
        });
        init.InitialiseMIDI(false);
        svc.onProcessEvents(nullptr);
        EXPECT_EQ(host.failureDialogs, 0);
        EXPECT_EQ(init.MIDIDeviceNumber(), r.bankDevice);
        EXPECT_EQ(init.MIDIOutChannel(), r.channelAfter);
    }
}

TEST_F(StartupTest, AnMkIThatSendsNothingBringsTheFailureDialogAfterOneWait)
{
    host.synthId = 0;
    init.setMIDITimeout(0);
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.failureDialogs, 1);
    const std::int64_t waited = detectionTime();
    EXPECT_GE(waited, 14990);
    EXPECT_LT(waited, 15100) << "only device number 0 is tried";
    EXPECT_EQ(host.progressShown, 0);
}

TEST_F(StartupTest, SilenceBringsTheFailureDialogAndRetryStartsAgainAtDeviceZero)
{
    backend.dx7().setSilent(true);
    init.setMIDIDeviceNumber(5);
    host.failureAnswers = {FailureButton::Retry, FailureButton::Cancel};
    int failuresSeen = 0;
    host.onFailureDialog = [&] {
        ++failuresSeen;
        EXPECT_EQ(probes().size(), static_cast<std::size_t>(16 * failuresSeen));
    };
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.failureDialogs, 2);
    std::vector<int> twice = range(0, 15);
    const auto again = range(0, 15);
    twice.insert(twice.end(), again.begin(), again.end());
    EXPECT_EQ(probes(), twice);
    ASSERT_FALSE(host.failureTexts.empty());
    EXPECT_NE(host.failureTexts[0].find("Input: DX7 Simulator Out      Output: DX7 Simulator In"), std::string::npos);
    // Cancel ends like Skip: the devices stay open and the next start does not detect.
    EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen);
    EXPECT_TRUE(init.SkipMIDIInit());
    EXPECT_EQ(init.MIDIDeviceNumber(), 5) << "a detection that found nothing keeps the device number";
    EXPECT_EQ(app.registry.count(), 0);
}

TEST_F(StartupTest, WorkOfflineInTheFailureDialogClosesTheDevicesAndKeepsTheirNames)
{
    backend.dx7().setSilent(true);
    host.failureAnswers = {FailureButton::WorkOffline};
    host.onFailureDialog = [&] { EXPECT_TRUE(init.MidiOutOpen); };
    init.InitialiseMIDI(false);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_EQ(init.MidiInDeviceName(), kSimIn);
    EXPECT_EQ(init.MidiOutDeviceName(), kSimOut);
    EXPECT_EQ(host.synthId, 2);
    EXPECT_TRUE(statusShown(" Working Offline - Press F1 for Help"));
}

TEST_F(StartupTest, StoppingFromTheProgressWindowAsksFirst)
{
    backend.dx7().setSilent(true);
    // Cancel pressed during the second probe and again during the fifth.
    host.onProgress = [&] {
        if (host.progress.size() == 2 || host.progress.size() == 5)
            host.interrupted = true;
    };
    svc.answer(MsgAnswer::No);   // the first time: go on
    svc.answer(MsgAnswer::Yes);  // the second: stop
    init.InitialiseMIDI(false);
    ASSERT_EQ(svc.messagesShown().size(), 2U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Are you sure you want to stop initialising ?");
    EXPECT_EQ(svc.messagesShown()[0].title, "Initialisation Interrupted");
    EXPECT_EQ(svc.messagesShown()[0].style, 35);
    EXPECT_EQ(probes(), range(0, 4));
    EXPECT_EQ(host.failureDialogs, 1);
}

// Escape during a probe stops the probing at once, and the failure dialog asks what next;
// the program's closing ends the detection without a word.
TEST_F(StartupTest, AProbeEndedByEscapeStopsTheDetectionAndTheExitEndsItQuietly)
{
    backend.dx7().setSilent(true);
    init.setMIDIDeviceNumber(5);
    for (const midi::WaitEnd how : {midi::WaitEnd::ByUser, midi::WaitEnd::ByExit}) {
        SCOPED_TRACE(how == midi::WaitEnd::ByUser ? "Escape" : "the exit");
        closeAndUninstallMidi();
        midi::installMIDIInit(&init);
        midi::installMidiWindows(&windows);
        ASSERT_TRUE(openBoth());
        backend.clearSent();
        svc.clear();
        host.failureDialogs = 0;
        host.failureAnswers = {FailureButton::Skip};
        init.setSkipMIDIInit(false);
        // Ended half a second into the third probe.
        svc.onProcessEvents([&](std::int64_t) {
            if (probes().size() == 3 && midi::RequestSequenceActive() && svc.statusText(1).find(" 1.5 ") != std::string::npos)
                (void)midi::EndDumpWait(how);
        });
        init.InitialiseMIDI(false);
        svc.onProcessEvents({});
        EXPECT_EQ(probes(), range(0, 2));
        EXPECT_EQ(host.failureDialogs, how == midi::WaitEnd::ByUser ? 1 : 0);
        EXPECT_TRUE(svc.messagesShown().empty());
        EXPECT_EQ(init.MIDIDeviceNumber(), 5) << "a detection that found nothing keeps the device number";
        EXPECT_FALSE(svc.busy());
        EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen);
    }
}

TEST_F(StartupTest, ATimeOutFromTheSettingsOutsideItsRangeGivesWayToTheTypesDefault)
{
    backend.dx7().setSilent(true);
    host.failureAnswers = {FailureButton::Skip};
    for (const std::int32_t bad : {-1, 500, 1'000'000'000}) {
        SCOPED_TRACE(bad);
        init.setMIDITimeout(bad);
        init.setSkipMIDIInit(false);
        host.failureAnswers = {FailureButton::Skip};
        host.typeAnswers = {ScriptedSetupHost::TypeAnswer{false, false, 2}};
        resetDetectionTime();
        init.InitialiseMIDI(false);
        EXPECT_EQ(init.MIDITimeout(), 2000);
        const std::int64_t waited = detectionTime();
        EXPECT_GE(waited, 16 * 2000 - 10);
        EXPECT_LT(waited, 16 * 2050);
    }
}

TEST_F(StartupTest, AReplyThatIsNotABankOfThirtyTwoVoicesIsAFailedReply)
{
    backend.dx7().setTruncateRepliesTo(100);
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.failureDialogs, 1);
    EXPECT_EQ(app.registry.count(), 0);
}

TEST_F(StartupTest, ABankThatCannotBeOpenedIsKeptInAFreeSlot)
{
    app.dataDirectory = folder.path().toStdString() + "/missing/folder/";
    init.InitialiseMIDI(false);
    EXPECT_EQ(app.registry.count(), 0);
    ASSERT_EQ(windows.sysexSlots.stored.size(), 1U);
    EXPECT_EQ(windows.sysexSlots.stored[0].data.size(), 4096U);
    EXPECT_EQ(windows.sysexSlots.stored[0].fileType, 2);
    EXPECT_EQ(windows.sysexSlots.stored[0].name, "DX Setup 1");
    ASSERT_TRUE(messageShown("DX7 Bank Received"));
    EXPECT_TRUE(statusShown("DX7 (Series) - Initialised OK "));
}

// ---- the command line and working offline

TEST_F(StartupTest, SwitchNWorksOfflineAndKeepsTheSavedDevices)
{
    init.CommandLineArgument = "n";
    host.synthId = 1;
    init.InitialiseMIDI(false);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_EQ(init.MidiInDeviceName(), kSimIn);
    EXPECT_EQ(init.MidiOutDeviceName(), kSimOut);
    EXPECT_EQ(host.synthId, 1);
    EXPECT_TRUE(init.outputNames().empty()) << "no device is listed";
    EXPECT_TRUE(statusShown(" Working Offline - Press F1 for Help"));
    // Later in the same run MIDI Devices... lists and opens as usual.
    host.deviceAnswers.push_back({false, -1, -1, std::nullopt});
    host.typeAnswers.push_back({false, true, 1});  // Skip Initialisation
    init.InitialiseMIDI(true);
    EXPECT_EQ(host.deviceDialogs, 1);
    EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen);
}

TEST_F(StartupTest, TheOtherSwitchesTakeEffectOnlyAsTheWholeArgument)
{
    struct Case {
        const char* arg;
        bool callback;
        bool skip;
    };
    const Case cases[] = {{"c", true, false}, {"S", false, true}, {"-s", false, false}, {"cs", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        midi::setCallbackFunctionMode(false);
        init.CommandLineRead = false;
        init.CommandLineArgument = c.arg;
        init.setSkipMIDIInit(false);
        host.typeAnswers = {ScriptedSetupHost::TypeAnswer{true, false, -1}};  // cancel: nothing opens
        const int typeDialogs = host.typeDialogs;
        init.InitialiseMIDI(false);
        EXPECT_EQ(midi::CallbackFunctionMode(), c.callback);
        EXPECT_EQ(host.typeDialogs - typeDialogs, c.skip ? 0 : 1) << "a skipped detection asks no type";
        EXPECT_TRUE(probes().empty());
    }
    midi::setCallbackFunctionMode(false);
}

TEST_F(StartupTest, NoneChosenInTheDeviceDialogIsKeptAsNone)
{
    host.deviceAnswers.push_back({false, 0, 0, std::nullopt});
    init.InitialiseMIDI(true);
    EXPECT_EQ(init.MidiInDeviceName(), "None");
    EXPECT_EQ(init.MidiOutDeviceName(), "None");
    EXPECT_TRUE(host.shownSkipBox.checked);
    EXPECT_FALSE(host.shownSkipBox.enabled);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
}

TEST_F(StartupTest, NoMidiDevicesAtAllWorksOffline)
{
    loop.setInputs({});
    loop.setOutputs({});
    init.setBackend(&loop);
    init.InitialiseMIDI(false);
    EXPECT_TRUE(statusShown("No MIDI Devices found - working off-line"));
    EXPECT_EQ(init.MidiInDeviceName(), kSimIn) << "kept for a run with the devices";
    EXPECT_EQ(host.deviceDialogs, 0);
}

// ---- cancelling

TEST_F(StartupTest, CancelOnTheVeryFirstStartWorksOfflineAndLaterRestoresTheSettings)
{
    host.synthId.reset();
    init.setMidiInDeviceName("");
    init.setMidiOutDeviceName("");
    host.deviceAnswers.push_back({true, -1, -1, std::nullopt});
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.deviceDialogs, 1) << "no configured device: the dialog is shown";
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_TRUE(statusShown(" Working Offline - Press F1 for Help"));

    // A type is known now: Cancel restores names, type and time-out.
    init.setMidiInDeviceName(kSimIn);
    init.setMidiOutDeviceName(kSimOut);
    host.synthId = 2;
    init.setMIDITimeout(4500);
    host.deviceAnswers.push_back({false, 1, 1, std::nullopt});
    host.typeAnswers.push_back({false, false, 0});  // another type: the time-out is reset...
    host.mkiAnswers.push_back(MkIButton::Cancel);   // ... and then the set-up cancelled
    init.InitialiseMIDI(true);
    EXPECT_EQ(host.synthId, 2);
    EXPECT_EQ(init.MIDITimeout(), 4500);
    EXPECT_EQ(init.MidiInDeviceName(), kSimIn);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
}

TEST_F(StartupTest, CancelAfterAFailedOpenReopensTheDeviceThatWorked)
{
    loop.setInputs({{"Port A In"}, {"Port B In", false, MidiResult::Allocated}});
    loop.setOutputs({{"Port A Out"}, {"Port B Out"}});
    init.setBackend(&loop);
    init.setMidiInDeviceName("Port A In");
    init.setMidiOutDeviceName("Port A Out");
    init.setSkipMIDIInit(true);
    init.InitialiseMIDI(false);
    ASSERT_TRUE(init.MidiInOpen && init.MidiOutOpen);

    // The user picks B, whose input is taken: the open fails and the user cancels.
    host.deviceAnswers.push_back({false, 2, 2, true});
    svc.answer(MsgAnswer::Cancel);
    init.InitialiseMIDI(true);
    ASSERT_FALSE(svc.messagesShown().empty());
    const auto& failure = svc.messagesShown()[0];
    EXPECT_EQ(failure.title, "Midi Open/Start Error");
    EXPECT_EQ(failure.style, 49);
    EXPECT_NE(failure.text.find("Port B In (Input) failed to open"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find("aconnect -l"), std::string::npos);
    EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen);
    EXPECT_EQ(init.MidiInDeviceName(), "Port A In");
    EXPECT_EQ(init.MidiOutDeviceName(), "Port A Out");
    EXPECT_EQ(loop.openedInputId(), 0);
    EXPECT_EQ(loop.openedOutputId(), 0);

    // When A cannot be opened again either, the program says so and works offline.
    loop.setInputs({{"Port A In", false, MidiResult::Allocated}, {"Port B In", false, MidiResult::Allocated}});
    host.deviceAnswers.push_back({false, 2, 2, true});
    svc.clear();
    svc.answer(MsgAnswer::Cancel);
    init.InitialiseMIDI(true);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_TRUE(messageShown("Midi Open/Start Error"));
    EXPECT_EQ(svc.messagesShown().size(), 2U);
    EXPECT_EQ(init.MidiInDeviceName(), "Port A In");
}

TEST_F(StartupTest, OkAfterAFailedOpenWorksOffline)
{
    init.setMidiInDeviceName("Nowhere");
    host.deviceAnswers.push_back({false, 1, 1, true});
    backend.setInputs({{kSimIn, false, MidiResult::NoMemory}});
    svc.answer(MsgAnswer::Ok);
    init.InitialiseMIDI(false);
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_TRUE(statusShown("Error : Can't initialise - MIDI device may be unplugged"));
    EXPECT_TRUE(statusShown(" Working Offline - Press F1 for Help"));
}

TEST_F(StartupTest, ASecondSetUpWhileOneRunsIsRefused)
{
    backend.dx7().setSilent(true);
    host.onFailureDialog = [&] {
        EXPECT_TRUE(init.SetupRunning);
        init.InitialiseMIDI(true);  // from the menu, while the failure dialog is open
    };
    init.InitialiseMIDI(false);
    EXPECT_EQ(host.failureDialogs, 1);
    EXPECT_EQ(host.runningCalls, (std::vector<bool>{true, false}));
}

// ---- the set-up windows' rules

TEST(SetupRules, TheSkipBoxFollowsBothLists)
{
    using midi::SkipBoxState;
    struct Row {
        int changed, other;
        bool typeChosen, skip;
        SkipBoxState before, after;
    };
    const SkipBoxState any{false, true};
    const Row rows[] = {
        {0, 2, true, false, any, {true, false}},   // "None" ticks and disables
        {0, 0, false, false, any, {true, false}},
        {1, 2, false, true, any, {false, false}},  // first start: cleared and disabled
        {1, 2, true, true, any, {true, true}},     // else as SkipMIDIInit
        {1, 2, true, false, {true, false}, {false, true}},
        {3, 0, true, true, {true, false}, {true, false}},  // the other list is "None": unchanged
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.changed << " " << r.other << " " << r.typeChosen << " " << r.skip);
        EXPECT_EQ(midi::skipBoxAfterListChange(r.changed, r.other, r.typeChosen, r.skip, r.before), r.after);
    }
    EXPECT_EQ(midi::skipBoxOnLoad(1, 1, false, true), (SkipBoxState{false, false}));
    EXPECT_EQ(midi::skipBoxOnLoad(1, 0, true, false), (SkipBoxState{true, false}));
}

TEST_F(StartupTest, DeviceOkMapsEntriesToIdsAndKeepsAnOpenDeviceOpen)
{
    // The first output's capabilities cannot be read: list entries and ids differ.
    loop.setOutputs({{"Broken", true}, {"Out One"}, {"Out Two"}});
    loop.setInputs({{"In One"}, {"In Two"}});
    loop.setMapperPresent(true);
    init.setBackend(&loop);
    init.setMidiOutDeviceName("Out Two");
    init.setMidiInDeviceName("In One");
    midi::EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(true, outcome);
    midi::DeviceChoiceLists lists;
    init.FillDeviceLists(lists);
    ASSERT_EQ(lists.outputs, (std::vector<std::string>{"None", "Loopback MIDI Mapper", "Out One", "Out Two"}));

    EXPECT_EQ(midi::applyDeviceChoice(init, lists, 3, 2, false), midi::DeviceChoice::Accepted);
    EXPECT_EQ(init.MIDIOutputDeviceID(), 2);
    EXPECT_EQ(init.MIDIInputDeviceID(), 1);
    EXPECT_EQ(init.MidiOutDeviceName(), "Out Two");
    EXPECT_EQ(init.MidiInDeviceName(), "In Two");
    EXPECT_TRUE(init.DeviceChoiceMade);

    // The mapper, by its id: refused while the file player holds it.
    midi::setMidiMapperAllocatedQuery([] { return true; });
    svc.clear();
    EXPECT_EQ(midi::applyDeviceChoice(init, lists, 1, 0, false), midi::DeviceChoice::MapperBusy);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text,
              "The MIDI Mapper is being used by the MIDI File Player\r\n\r\nPlease close the Player or choose "
              "another device");
    EXPECT_EQ(svc.messagesShown()[0].style, 16);
    EXPECT_EQ(init.MidiOutDeviceName(), "Out Two") << "nothing written";
    midi::setMidiMapperAllocatedQuery({});
    EXPECT_EQ(midi::applyDeviceChoice(init, lists, 1, 0, true), midi::DeviceChoice::Accepted);
    EXPECT_EQ(init.MIDIOutputDeviceID(), -1);
    EXPECT_EQ(init.MIDIInputDeviceID(), -2);
    EXPECT_TRUE(init.SkipMIDIInit());

    // OK with the device already open keeps it open.
    bool failed = true;
    init.setMidiOutDeviceName("Out One");
    init.setMidiInDeviceName("In One");
    init.EnumerateMidiDevices(false, outcome);
    init.OpenMidiDevices(failed);
    ASSERT_FALSE(failed);
    init.FillDeviceLists(lists);
    EXPECT_EQ(midi::applyDeviceChoice(init, lists, 2, 1, false), midi::DeviceChoice::Accepted);
    EXPECT_TRUE(init.SkipMIDIOutOpen());
    EXPECT_TRUE(init.SkipMIDIInOpen());
    EXPECT_EQ(midi::applyDeviceChoice(init, lists, 3, 1, false), midi::DeviceChoice::Accepted);
    EXPECT_FALSE(init.SkipMIDIOutOpen()) << "another output is opened anew";
    EXPECT_TRUE(init.SkipMIDIInOpen());
}

TEST_F(StartupTest, TheSynthTypeResetsTheTimeOutOnlyWhenItChanges)
{
    struct Row {
        std::optional<std::int32_t> before;
        int option;
        bool skip;
        std::int32_t timeoutAfter;
        bool skipAfter;
    };
    const Row rows[] = {
        {std::nullopt, 0, false, 15000, false},
        {std::nullopt, 2, false, 2000, false},
        {2, 2, false, 4500, false},  // the same type keeps a time-out the user set
        {2, 1, false, 2000, false},
        {1, 0, false, 15000, false},
        {1, 0, true, 4500, true},    // Skip Initialisation leaves the time-out
    };
    for (const Row& r : rows) {
        std::optional<std::int32_t> id = r.before;
        init.setMIDITimeout(4500);
        init.setSkipMIDIInit(false);
        midi::applySynthType(init, id, r.option, r.skip);
        EXPECT_EQ(id, r.option);
        EXPECT_EQ(init.MIDITimeout(), r.timeoutAfter);
        EXPECT_EQ(init.SkipMIDIInit(), r.skipAfter);
    }
    EXPECT_EQ(midi::synthTypeOptionOnLoad(std::nullopt), 0);
    EXPECT_EQ(midi::synthTypeOptionOnLoad(2), 2);
}

TEST_F(StartupTest, FailureAndMkIButtonsWriteTheirAnswers)
{
    ASSERT_TRUE(openBoth());
    struct Row {
        FailureButton button;
        std::int32_t answer;
        bool skip, cancelled, open;
    };
    const Row rows[] = {
        {FailureButton::Skip, 5, true, false, true},
        {FailureButton::Retry, -2, false, false, true},
        {FailureButton::Cancel, 0, false, true, true},
        {FailureButton::WorkOffline, -1, false, false, false},
    };
    for (const Row& r : rows) {
        init.setSkipMIDIInit(false);
        init.InitCancelled = false;
        midi::applyFailureButton(init, r.button);
        EXPECT_EQ(init.FailureAnswer, r.answer);
        EXPECT_EQ(init.SkipMIDIInit(), r.skip);
        EXPECT_EQ(init.InitCancelled, r.cancelled);
        EXPECT_EQ(init.MidiOutOpen, r.open);
    }
    init.InitCancelled = false;
    midi::applyMkIButton(init, MkIButton::Skip);
    EXPECT_TRUE(init.SkipMIDIInit());
    midi::applyMkIButton(init, MkIButton::ReadyToSend);
    EXPECT_FALSE(init.SkipMIDIInit());
    midi::applyMkIButton(init, MkIButton::Cancel);
    EXPECT_TRUE(init.InitCancelled);
}

TEST(SetupRules, TimeOutsAndButtons)
{
    EXPECT_EQ(midi::effectiveTimeout(2, 0), 2000);
    EXPECT_EQ(midi::effectiveTimeout(std::nullopt, 0), 15000);
    EXPECT_EQ(midi::effectiveTimeout(0, 1999), 15000);
    EXPECT_EQ(midi::effectiveTimeout(1, 2000), 2000);
    EXPECT_EQ(midi::effectiveTimeout(1, 60000), 60000);
    EXPECT_EQ(midi::effectiveTimeout(1, 60001), 2000);
    EXPECT_FLOAT_EQ(midi::progressPercent(0), 6.25F);
    EXPECT_FLOAT_EQ(midi::progressPercent(15), 100.0F);

    using B = midi::ManagerButtons;
    struct Row {
        bool in, out, used, setup;
        B buttons;
    };
    const Row rows[] = {
        {false, false, false, false, {false, false, false, false, true, false, true}},
        {true, false, true, false, {false, false, true, true, true, true, true}},
        {true, true, false, false, {false, true, false, false, true, false, true}},
        {true, true, true, false, {true, true, true, true, true, true, true}},
        {true, true, true, true, {true, false, true, true, true, true, true}},
        {false, true, true, false, {true, false, true, true, true, true, true}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(midi::managerButtonStates(r.in, r.out, r.used, r.setup), r.buttons)
            << r.in << r.out << r.used << r.setup;
}

// ---- replies that are not the bank

namespace {

// A synth that answers every bank request with the given messages.
class OddReplies final : public platform::LoopbackMidiBackend {
public:
    OddReplies()
    {
        setInputs({{kSimIn}});
        setOutputs({{kSimOut}});
        setEcho(false);
    }
    std::vector<Bytes> replies;

protected:
    void delivered(std::span<const std::uint8_t> message) override
    {
        if (message.size() == 5 && message[3] == 9)
            for (const Bytes& r : replies)
                injectAfter(10, r);
    }
};

Bytes bankOfLength(std::size_t n)
{
    Bytes b(n, 0x01);
    b[0] = 0xF0;
    b[1] = 0x43;
    b[2] = 0x00;
    b[3] = 0x09;
    b[n - 1] = 0xF7;
    return b;
}

}  // namespace

TEST_F(StartupTest, RepliesThatAreNotABankNeitherCrashNorOpenAList)
{
    const Bytes bank = platform::SimulatedDX7(0).bulkDump();
    struct Case {
        const char* what;
        std::vector<Bytes> replies;
        int failureDialogs;
        int lists;
        std::size_t keptInSlots;
    };
    const Case cases[] = {
        {"a cut reply", {{0xF0, 0x43, 0xF7}}, 1, 0, 0},
        // Kept as if sent unasked, once for each of the 16 probes it came after.
        {"another maker's bank", {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}}, 1, 0, 16},
        {"another format", {{0xF0, 0x43, 0x00, 0x05, 0x01, 0x02, 0x03, 0x04, 0xF7}}, 1, 0, 16},
        {"a bank of 4000 bytes, kept as received", {bankOfLength(4000)}, 1, 0, 1},
        {"two banks back to back", {bank, bank}, 0, 1, 1},
        // A voice answers the first probe: not a bank, but kept as one sent unasked is.
        {"a voice", {platform::SimulatedDX7(0).singleVoiceDump()}, 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OddReplies odd;
        odd.replies = c.replies;
        init.setBackend(&odd);
        const int listsBefore = app.registry.count();
        windows.sysexSlots.stored.clear();
        host.failureDialogs = 0;
        host.failureAnswers = {FailureButton::Skip};
        host.typeAnswers = {ScriptedSetupHost::TypeAnswer{false, false, 2}};
        init.setSkipMIDIInit(false);
        init.InitialiseMIDI(false);
        midi::ProcessMidiInput();
        EXPECT_EQ(host.failureDialogs, c.failureDialogs);
        EXPECT_EQ(app.registry.count() - listsBefore, c.lists);
        EXPECT_EQ(windows.sysexSlots.stored.size(), c.keptInSlots) << "the second bank is kept in a slot";
        if (c.replies.front().size() == 163 && !windows.sysexSlots.stored.empty()) {
            EXPECT_EQ(windows.sysexSlots.stored[0].data, str(c.replies.front()).substr(6, 155)) << "without its wrapper";
        }
        closeAndUninstallMidi();
        midi::installMIDIInit(&init);
        midi::installMidiWindows(&windows);
        init.setBackend(&backend);
    }
}
