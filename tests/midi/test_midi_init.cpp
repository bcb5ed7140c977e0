// Brevane - tests of the MIDI settings object: property checks, device lists, opening
// and closing, error texts.
#include "MidiTestFixture.h"

#include "platform/midi/RtMidiBackend.h"

using namespace miditest;
using midi::EnumerateOutcome;
using platform::LoopbackDevice;
using platform::MidiResult;
using platform::MsgAnswer;

namespace {

class MidiInitTest : public MidiFixture {
protected:
    // A loopback MIDI system with the given devices instead of the simulator.
    void useLoopback(std::vector<LoopbackDevice> inputs, std::vector<LoopbackDevice> outputs, bool mapper = false)
    {
        loop.setInputs(std::move(inputs));
        loop.setOutputs(std::move(outputs));
        loop.setMapperPresent(mapper);
        init.setBackend(&loop);
    }
    EnumerateOutcome enumerate(bool showDialog = false)
    {
        EnumerateOutcome outcome{};
        init.EnumerateMidiDevices(showDialog, outcome);
        return outcome;
    }
    platform::LoopbackMidiBackend loop;
};

}  // namespace

TEST_F(MidiInitTest, ChannelAndDeviceNumberRefuseValuesOutsideTheirRange)
{
    struct Case {
        void (midi::clsMIDIInit::*set)(std::int32_t);
        std::int32_t (midi::clsMIDIInit::*get)() const;
        const char* title;
        const char* text;
    };
    const Case cases[] = {
        {&midi::clsMIDIInit::setMIDIInChannel, &midi::clsMIDIInit::MIDIInChannel, "MIDI Channel Error",
         "MIDI Channel must be between 0 and 15"},
        {&midi::clsMIDIInit::setMIDIOutChannel, &midi::clsMIDIInit::MIDIOutChannel, "MIDI Channel Error",
         "MIDI Channel must be between 0 and 15"},
        {&midi::clsMIDIInit::setMIDIDeviceNumber, &midi::clsMIDIInit::MIDIDeviceNumber, "MIDI Device Error",
         "MIDI device number must be between 0 and 15"},
    };
    for (const auto& c : cases) {
        svc.clear();
        (init.*c.set)(7);
        (init.*c.set)(16);
        (init.*c.set)(-1);
        EXPECT_EQ((init.*c.get)(), 7) << c.title;
        ASSERT_EQ(svc.messagesShown().size(), 2U) << c.title;
        EXPECT_EQ(svc.messagesShown()[0].text, c.text);
        EXPECT_EQ(svc.messagesShown()[0].title, c.title);
        EXPECT_EQ(svc.messagesShown()[0].style, 48);
        (init.*c.set)(15);
        EXPECT_EQ((init.*c.get)(), 15);
    }
}

TEST_F(MidiInitTest, BankHalfSwitchesSendTheirParameterChange)
{
    ASSERT_TRUE(openBoth());
    init.setMIDIDeviceNumber(3);
    backend.clearSent();
    init.setSendToB(false);  // unchanged: nothing sent
    EXPECT_TRUE(backend.sentMessages().empty());
    init.setSendToB(true);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0xF0, 0x43, 0x13, 0x19, 0x4C, 0x01, 0xF7}));
    init.setGetFromB(false);  // unchanged, but GetFromB sends again
    ASSERT_EQ(backend.sentMessages().size(), 2U);
    EXPECT_EQ(backend.sentMessages()[1], (Bytes{0xF0, 0x43, 0x13, 0x19, 0x4C, 0x00, 0xF7}));
    EXPECT_TRUE(init.SendToB());

    midi::CloseMidiDevices(true, true);
    backend.clearSent();
    init.setSendToB(false);
    init.setGetFromB(true);
    EXPECT_TRUE(backend.sentMessages().empty()) << "nothing goes out while the output is closed";
    EXPECT_TRUE(init.GetFromB());
}

TEST_F(MidiInitTest, ErrorCodesBecomeTextsAndOnlyErrorsAreShown)
{
    const std::pair<int, const char*> table[] = {
        {0, "No Error"},
        {4, "A MIDI Device you have selected is already allocated "},
        {7, "Can't initialise - MIDI device may be unplugged"},
        {11, "Invalid parameter passed"},
        {64, "Header Not prepared"},
        {68, "Port no longer connected"},
        {12, "Error Code Out Of Range"},
        {-1, "Error Code Out Of Range"},
    };
    for (const auto& [code, text] : table) {
        svc.clear();
        std::string got;
        init.Identify_Midi_Error(code, got);
        EXPECT_EQ(got, text);
        if (code == 0) {
            EXPECT_TRUE(svc.statusHistory().empty());
            continue;
        }
        ASSERT_GE(svc.statusHistory().size(), 2U);
        EXPECT_EQ(svc.statusHistory().front().text, std::string("Error : ") + text);
        EXPECT_EQ(svc.statusHistory().back().text, "");
        EXPECT_EQ(svc.statusHistory().back().atMs - svc.statusHistory().front().atMs, 2000);
    }
}

TEST_F(MidiInitTest, DeviceNamesAreCutAtTheFirstUnusualCharacter)
{
    EXPECT_EQ(midi::clsMIDIInit::CleanDeviceName("UM-2 MIDI"), "UM-2 MIDI");
    EXPECT_EQ(midi::clsMIDIInit::CleanDeviceName("Bob's Interface"), "Bob");
    EXPECT_EQ(midi::clsMIDIInit::CleanDeviceName(std::string("Port\0junk", 9)), "Port");
    EXPECT_EQ(midi::clsMIDIInit::CleanDeviceName("Caf\xE9 MIDI"), "Caf");
}

TEST_F(MidiInitTest, EnumerationListsTheMapperFirstAndResolvesConfiguredNames)
{
    useLoopback({{"In A"}, {"In B"}}, {{"Out A"}, {"Out B"}, {"Out C"}}, true);
    init.setMidiOutDeviceName("Out A");
    init.setMidiInDeviceName("In B");
    EXPECT_EQ(enumerate(), EnumerateOutcome::Ok);
    EXPECT_TRUE(init.MidiMapperPresent());
    EXPECT_EQ(init.outputNames(), (std::vector<std::string>{"Loopback MIDI Mapper", "Out A", "Out B", "Out C"}));
    EXPECT_EQ(init.NoMidiOutDevices(), 4);
    EXPECT_EQ(init.MIDIOutputDeviceID(), 0);
    EXPECT_EQ(init.MIDIInputDeviceID(), 1);
    EXPECT_TRUE(statusShown(" 2 MIDI input and  4 MIDI output devices located."));
    midi::DeviceChoiceLists lists;
    init.FillDeviceLists(lists);
    EXPECT_EQ(lists.outputs[0], "None");
    EXPECT_EQ(lists.outputs[1], "Loopback MIDI Mapper");
    EXPECT_EQ(lists.outputSelected, 2) << "output id 0 stands at entry 2 behind the mapper";
    EXPECT_EQ(lists.inputSelected, 2);
    EXPECT_EQ(lists.OutputDeviceID, 0);
    EXPECT_EQ(init.outputIdForEntry(1), midi::kDeviceIdMapper);
    EXPECT_EQ(enumerate(true), EnumerateOutcome::ShowDialog);
}

TEST_F(MidiInitTest, MissingAndUnwantedDevices)
{
    struct Case {
        const char* in;
        const char* out;
        EnumerateOutcome outcome;
        const char* inAfter;
        const char* outAfter;
    };
    const Case cases[] = {
        {"Gone", "Out A", EnumerateOutcome::InputMissing, "Missing", "Out A"},
        {"In A", "", EnumerateOutcome::OutputMissing, "In A", "Missing"},
        {"None", "Out A", EnumerateOutcome::Ok, "None", "Out A"},
        {"None", "None", EnumerateOutcome::Ok, "None", "None"},
        {"Missing", "Gone", EnumerateOutcome::InputMissing, "Missing", "Missing"},
    };
    for (const auto& c : cases) {
        useLoopback({{"In A"}}, {{"Out A"}, {"None"}});
        init.setMidiInDeviceName(c.in);
        init.setMidiOutDeviceName(c.out);
        EXPECT_EQ(enumerate(), c.outcome) << c.in << "/" << c.out;
        EXPECT_EQ(init.MidiInDeviceName(), c.inAfter);
        EXPECT_EQ(init.MidiOutDeviceName(), c.outAfter);
        if (init.MidiOutDeviceName() == "None" || init.MidiOutDeviceName() == "Missing") {
            EXPECT_EQ(init.MIDIOutputDeviceID(), midi::kDeviceIdNone) << "a device named None is no match";
        }
        if (init.MidiInDeviceName() == "None" || init.MidiInDeviceName() == "Missing") {
            EXPECT_EQ(init.MIDIInputDeviceID(), midi::kDeviceIdNone);
        }
    }
}

TEST_F(MidiInitTest, ADeviceWhoseQueryFailsIsLeftOutAndEntriesStillMapToTheirIds)
{
    useLoopback({}, {{"Broken", true}, {"Out B"}, {"Out C"}});
    init.setMidiInDeviceName("None");
    init.setMidiOutDeviceName("Out C");
    EXPECT_EQ(enumerate(), EnumerateOutcome::Ok);
    EXPECT_EQ(init.outputNames(), (std::vector<std::string>{"Out B", "Out C"}));
    EXPECT_EQ(init.NoMidiOutDevices(), 2);
    EXPECT_EQ(init.NoMidiInDevices(), 0);
    EXPECT_EQ(init.MIDIOutputDeviceID(), 2);
    midi::DeviceChoiceLists lists;
    init.FillDeviceLists(lists);
    ASSERT_EQ(lists.outputs.size(), 3U);
    EXPECT_EQ(lists.outputs[static_cast<std::size_t>(lists.outputSelected)], "Out C");
    EXPECT_EQ(init.outputIdForEntry(lists.outputSelected), 2);
    EXPECT_EQ(init.outputIdForEntry(1), 1);
    EXPECT_EQ(init.outputIdForEntry(0), midi::kDeviceIdNone);
    EXPECT_EQ(lists.inputs, (std::vector<std::string>{"None"}));
}

TEST_F(MidiInitTest, ReenumerationForgetsDevicesThatHaveGone)
{
    useLoopback({{"In A"}, {"In B"}}, {{"Out A"}}, true);
    init.setMidiInDeviceName("In B");
    init.setMidiOutDeviceName("Out A");
    (void)enumerate();
    loop.setInputs({{"In A"}});
    loop.setMapperPresent(false);
    EXPECT_EQ(enumerate(), EnumerateOutcome::InputMissing);
    EXPECT_EQ(init.inputNames(), (std::vector<std::string>{"In A"}));
    EXPECT_FALSE(init.MidiMapperPresent());
    EXPECT_EQ(init.outputNames(), (std::vector<std::string>{"Out A"}));
}

TEST_F(MidiInitTest, FillingTheDialogWhenNoIdIsKnown)
{
    // Names configured but not resolved yet: select by name.
    useLoopback({{"Alpha In"}, {"Beta In"}}, {{"Alpha Out"}, {"Beta Out"}});
    (void)enumerate();  // names empty -> both Missing, ids none
    init.setMidiInDeviceName("Beta In");
    init.setMidiOutDeviceName("Alpha Out");
    midi::DeviceChoiceLists lists;
    init.FillDeviceLists(lists);
    EXPECT_EQ(lists.inputSelected, 2);
    EXPECT_EQ(lists.outputSelected, 1);

    // A missing device: the first input and output of one interface are offered.
    useLoopback({{"Other"}, {"USB MIDI Interface In"}}, {{"Synth Out"}, {"USB MIDI Interface Out"}});
    init.setMidiInDeviceName("Gone");
    init.setMidiOutDeviceName("Gone too");
    (void)enumerate();
    init.FillDeviceLists(lists);
    EXPECT_EQ(lists.inputSelected, 2);
    EXPECT_EQ(lists.outputSelected, 2);

    useLoopback({{"Aaa"}}, {{"Bbb"}});
    init.setMidiInDeviceName("Gone");
    (void)enumerate();
    init.FillDeviceLists(lists);
    EXPECT_EQ(lists.inputSelected, 0);
    EXPECT_EQ(lists.outputSelected, 0);
}

TEST_F(MidiInitTest, NoDevicesAtAllMeansOffline)
{
    useLoopback({}, {});
    EXPECT_EQ(enumerate(), EnumerateOutcome::NoDevices);
    EXPECT_TRUE(statusShown("No MIDI Devices found - working off-line"));
    init.setBackend(nullptr);
    EXPECT_EQ(enumerate(), EnumerateOutcome::NoDevices);
}

TEST_F(MidiInitTest, TheRealMidiSystemAbsentMeansOfflineWithoutNoise)
{
    if (platform::RtMidiBackend::alsaSequencerPresent())
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    platform::RtMidiBackend alsa;
    init.setBackend(&alsa);
    init.setMidiInDeviceName("USB MIDI");
    init.setMidiOutDeviceName("USB MIDI");
    EXPECT_EQ(enumerate(), EnumerateOutcome::NoDevices);
    EXPECT_TRUE(statusShown("No MIDI Devices found - working off-line"));
    bool failed = false;
    init.OpenMidiDevices(failed);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(init.MidiInOpen);
    EXPECT_FALSE(windows.managerLoaded());
    init.setBackend(&backend);
}

TEST_F(MidiInitTest, OpeningBothDevicesReportsAndEnablesTheCommands)
{
    ASSERT_TRUE(openBoth());
    EXPECT_TRUE(windows.managerLoaded());
    EXPECT_EQ(windows.shownMinimised, 1);
    EXPECT_TRUE(windows.inputCommands);
    EXPECT_TRUE(windows.outputCommands);
    EXPECT_TRUE(windows.buttons["Receive"]);
    EXPECT_TRUE(windows.buttons["Send"]);
    EXPECT_TRUE(backend.inputStarted());
    EXPECT_NE(init.MidiInputHandle(), 0);
    EXPECT_NE(midi::InputHandle(), 0);
    EXPECT_EQ(midi::GetPendingRequest(), -1);
    EXPECT_TRUE(statusShown("Input: DX7 Simulator Out    Output: DX7 Simulator In  Opened OK"));
    EXPECT_TRUE(monitorHas("DX7 Simulator Out opened for input."));
    EXPECT_TRUE(monitorHas("DX7 Simulator In opened for output."));
    EXPECT_EQ(midi::NoteNames()[60], "C3");
}

TEST_F(MidiInitTest, OpeningWithBothNamesNoneOpensNothing)
{
    init.setMidiInDeviceName("None");
    init.setMidiOutDeviceName("None");
    init.setSkipMIDIInOpen(true);
    bool failed = true;
    init.OpenMidiDevices(failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(windows.loads, 0);
    EXPECT_EQ(windows.shownMinimised, 0);
    EXPECT_FALSE(init.SkipMIDIInOpen());
}

TEST_F(MidiInitTest, SkippedInitialisationIsReported)
{
    init.setSkipMIDIInit(true);
    ASSERT_TRUE(openBoth());
    EXPECT_TRUE(statusShown("Initialisation skipped"));
}

TEST_F(MidiInitTest, OnlyTheOutputOpensWhenTheInputIsNone)
{
    init.setMidiInDeviceName("None");
    init.setMidiOutDeviceName("DX7 Simulator In");
    EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(false, outcome);
    bool failed = true;
    init.OpenMidiDevices(failed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(windows.managerLoaded());
    EXPECT_FALSE(backend.inputIsOpen());
    EXPECT_TRUE(statusShown("Output: DX7 Simulator In  Opened OK"));
}

TEST_F(MidiInitTest, AFailedOpenShowsTheErrorAndLeavesNothingHalfOpen)
{
    // The input cannot be opened at all.
    backend.setInputs({{"DX7 Simulator Out", false, MidiResult::Allocated}});
    bool failed = false;
    init.setMidiInDeviceName("DX7 Simulator Out");
    init.setMidiOutDeviceName("DX7 Simulator In");
    EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(false, outcome);
    init.OpenMidiDevices(failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(statusShown("Error : A MIDI Device you have selected is already allocated "));
    EXPECT_FALSE(windows.managerLoaded());
    EXPECT_FALSE(init.MidiInOpen);
    EXPECT_FALSE(backend.outputIsOpen()) << "the output is not tried after the input failed";

    // The input opens but cannot be started: it is closed again.
    backend.setInputs({{"DX7 Simulator Out"}});
    backend.setStartResult(MidiResult::NotEnabled);
    init.EnumerateMidiDevices(false, outcome);
    init.OpenMidiDevices(failed);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(backend.inputIsOpen());
    EXPECT_FALSE(init.MidiInOpen);
    EXPECT_EQ(init.MidiInputHandle(), 0);
    EXPECT_TRUE(statusShown("Error : Driver failed enable"));
}

TEST_F(MidiInitTest, AnOutputFailureKeepsTheOpenInputAndItsManagerWindow)
{
    backend.setOutputs({{"DX7 Simulator In", false, MidiResult::NoMemory}});
    bool failed = false;
    init.setMidiInDeviceName("DX7 Simulator Out");
    init.setMidiOutDeviceName("DX7 Simulator In");
    EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(false, outcome);
    init.OpenMidiDevices(failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(statusShown("Error : Can't initialise - MIDI device may be unplugged"));
    EXPECT_TRUE(init.MidiInOpen);
    EXPECT_FALSE(init.MidiOutOpen);
    EXPECT_TRUE(windows.managerLoaded()) << "the open input still needs its sink";
}

TEST_F(MidiInitTest, WithoutABackendOpeningFailsWithNoDriver)
{
    init.setBackend(nullptr);
    init.setMidiInDeviceName("Anything");
    init.setMidiOutDeviceName("None");
    bool failed = false;
    init.OpenMidiDevices(failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(statusShown("Error : No device driver present"));
}

TEST_F(MidiInitTest, ReopeningAnOpenInputClosesItFirstAndKeepsItsId)
{
    ASSERT_TRUE(openBoth());
    const auto firstHandle = init.MidiInputHandle();
    init.setSkipMIDIOutOpen(true);
    bool failed = true;
    init.OpenMidiDevices(failed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(init.MidiInOpen);
    EXPECT_EQ(init.MIDIInputDeviceID(), 0);
    EXPECT_NE(init.MidiInputHandle(), firstHandle);
    EXPECT_TRUE(init.MidiOutOpen) << "the skipped output stays open";
    EXPECT_FALSE(init.SkipMIDIOutOpen());
}

TEST_F(MidiInitTest, ClosingOneDeviceKeepsTheManagerClosingTheLastUnloadsIt)
{
    ASSERT_TRUE(openBoth());
    svc.clear();
    midi::CloseMidiDevices(true, false);
    EXPECT_FALSE(init.MidiInOpen);
    EXPECT_TRUE(init.MidiOutOpen);
    EXPECT_EQ(init.MIDIInputDeviceID(), midi::kDeviceIdNone);
    EXPECT_FALSE(windows.inputCommands);
    EXPECT_FALSE(windows.buttons["Receive"]);
    EXPECT_TRUE(windows.managerLoaded());
    EXPECT_TRUE(monitorHas("DX7 Simulator Out input closed"));
    EXPECT_TRUE(statusShown("MIDI input stopped"));
    EXPECT_TRUE(statusShown("Input: DX7 Simulator Out  Closed OK"));
    EXPECT_FALSE(backend.inputIsOpen());

    windows.closing = true;
    svc.clear();
    midi::CloseMidiDevices(true, true);
    EXPECT_FALSE(init.MidiOutOpen);
    EXPECT_FALSE(windows.managerLoaded());
    EXPECT_EQ(backend.resetCount(), 1);
    EXPECT_FALSE(statusShown("Output: DX7 Simulator In  Closed OK")) << "nothing is reported while closing";
}

TEST_F(MidiInitTest, StartTimeReadsTheClockUntilTheInputStarts)
{
    EXPECT_EQ(init.MIDIInStartTime(), static_cast<double>(svc.nowMs()));
    svc.advance(10);
    EXPECT_EQ(init.MIDIInStartTime(), static_cast<double>(svc.nowMs()));
    ASSERT_TRUE(openBoth());
    const double started = init.MIDIInStartTime();
    svc.advance(1000);
    EXPECT_EQ(init.MIDIInStartTime(), started);
}
