// Brevane - tests of the MIDI transport: sending and logging, dump requests and their
// waits, the input hand-over and the descriptions of received messages.
#include "MidiTestFixture.h"
#include "midi/AuditionNote.h"
#include "platform/StatusHelpers.h"
#include "platform/midi/MidiStreamParser.h"

#include <QCoreApplication>
#include <map>

#include <numeric>
#include <thread>

using namespace miditest;
using midi::TransportResult;
using platform::MidiEventKind;
using platform::MidiResult;
using platform::MsgAnswer;

namespace {

class TransportTest : public MidiFixture {
protected:
    void SetUp() override
    {
        MidiFixture::SetUp();
        ASSERT_TRUE(openBoth());
        // Start the input afresh so that times count from here, and begin with an empty log.
        midi::StartMidiInput();
        log().MidiMessage.clear();
        backend.clearSent();
        svc.clear();
    }
    // Hands a message to the program's input as the device would, and lets it be handled.
    void receive(const Bytes& message)
    {
        backend.inject(message);
        midi::ProcessMidiInput();
    }
    std::string lastMessage()
    {
        const auto all = monitorMessages();
        return all.empty() ? std::string() : all.back();
    }
    std::string field(int f)
    {
        auto& rs = log().MidiMessage;
        rs.moveLast();
        return rs.text(f);
    }
};

Bytes bankRequest(int n = 0) { return {0xF0, 0x43, static_cast<std::uint8_t>(0x20 + n), 0x09, 0xF7}; }

}  // namespace

// ---- sending

TEST_F(TransportTest, LongMessagesAreLoggedByteByByteBelowTwelveBytes)
{
    struct Case {
        Bytes message;
        const char* logged;
    };
    Bytes eleven(11, 0x01);
    eleven.front() = 0xF0;
    eleven.back() = 0xF7;
    Bytes twelve(12, 0x01);
    twelve.front() = 0xF0;
    twelve.back() = 0xF7;
    const Case cases[] = {
        {bankRequest(), "Long Sysex sent: 240 67 32 9 247"},
        {eleven, "Long Sysex sent: 240 1 1 1 1 1 1 1 1 1 247"},
        {twelve, "Long Sysex sent: length  12 bytes"},
    };
    backend.dx7().setSilent(true);
    for (const auto& c : cases) {
        ASSERT_EQ(midi::SendLongSysex(str(c.message)), TransportResult::Ok);
        EXPECT_EQ(lastMessage(), c.logged);
        EXPECT_EQ(field(midi::MonitorField::RawMessage), str(c.message));
        EXPECT_EQ(field(midi::MonitorField::Type), "Long ");
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Channel)), "1");
    }
    EXPECT_EQ(backend.sentMessages().size(), 3U);
    // The device's completion notice follows each long message.
    midi::ProcessMidiInput();
    EXPECT_EQ(lastMessage(), "Midi output completed OK");
}

TEST_F(TransportTest, LongSendsAreRefusedSilentlyWhenClosedAndLoudlyWhenTheDeviceFails)
{
    EXPECT_EQ(midi::SendLongSysex(""), TransportResult::Failed);
    midi::CloseMidiDevices(false, true);
    svc.clear();
    EXPECT_EQ(midi::SendLongSysex(str(bankRequest())), TransportResult::Failed);
    EXPECT_TRUE(svc.messagesShown().empty());
    ASSERT_TRUE(openBoth());
    backend.failSends(1, MidiResult::NotReady);
    const auto rows = log().MidiMessage.recordCount();
    EXPECT_EQ(midi::SendLongSysex(str(bankRequest())), TransportResult::Failed);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "MIDI output failed");
    EXPECT_EQ(svc.messagesShown()[0].title, "MIDI output");
    EXPECT_EQ(svc.messagesShown()[0].style, 16);
    EXPECT_EQ(log().MidiMessage.recordCount(), rows) << "a failed send is not logged as sent";
    EXPECT_FALSE(svc.busy());
}

TEST_F(TransportTest, ShortMessagesAreSentAndLogged)
{
    ASSERT_EQ(midi::SendShortMessage("\x92", "\x3C", "\x64", ""), TransportResult::Ok);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0x92, 0x3C, 0x64}));
    EXPECT_EQ(lastMessage(), "Short Sysex sent:                       Status");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Channel)), "3");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data1Title)), "146");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data1)), "Data");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data2Title)), "60");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data2)), "100");

    // A packed message given as a decimal number, resent with its label.
    ASSERT_EQ(midi::SendShortMessage(" 4209808", "", "", " (row 3)"), TransportResult::Ok);
    EXPECT_EQ(backend.sentMessages()[1], (Bytes{0x90, 0x3C, 0x40}));
    EXPECT_EQ(lastMessage(), "Short Sysex resent: (row 3)");
}

TEST_F(TransportTest, AShortMessageTheDeviceRefusesShowsTheErrorText)
{
    backend.failSends(1, MidiResult::NotReady);
    EXPECT_EQ(midi::SendShortMessage("\x90", "\x3C", "\x40", ""), TransportResult::Failed);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Hardware is still busy");
    EXPECT_EQ(svc.messagesShown()[0].style, 48);
    // A data byte above 127 never reaches the device.
    EXPECT_EQ(midi::SendShortMessage("\x90", "\x80", "\x40", ""), TransportResult::Failed);
    EXPECT_EQ(svc.messagesShown().back().text, "Invalid parameter passed");
    EXPECT_TRUE(backend.sentMessages().empty());
}

TEST_F(TransportTest, AuditionAndRandomiserNotesHoldOnTheProgramsClock)
{
    init.setMIDIOutChannel(2);
    const auto t0 = svc.nowMs();
    midi::PlayAuditionNote(64);
    EXPECT_EQ(svc.nowMs(), t0) << "the note's off comes on a timed call: nothing waits";
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(backend.sentMessages().size(), 2U);
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0x92, 64, 60}));
    EXPECT_EQ(backend.sentMessages()[1], (Bytes{0x92, 64, 0}));
    EXPECT_EQ(backend.sentTimesMs()[1] - t0, 250);

    // A note played over another whose release the device refuses, and a third asked for
    // while that refusal's box is open: no note is left without its note off.
    backend.clearSent();
    midi::PlayAuditionNote(60);
    backend.failSends(1, MidiResult::NotReady);
    svc.whileMessageShown([](const std::string&) { midi::PlayAuditionNote(67); });
    midi::PlayAuditionNote(64);
    svc.whileMessageShown({});
    midi::testing::PlayOutTimedNotes();
    EXPECT_FALSE(midi::auditionNote().sounding());
    std::map<int, int> held;
    for (const Bytes& m : backend.sentMessages())
        held[m[1]] += m[2] > 0 ? 1 : -1;
    EXPECT_EQ(held[64], 0) << "the note that asked first sounds and is released";
    EXPECT_EQ(held[67], 0);
    svc.clear();

    for (const auto& [duration, hold] : {std::pair{0, 300}, std::pair{120, 120}}) {
        backend.clearSent();
        const auto start = svc.nowMs();
        int ended = 0;
        midi::PlayRandomiserNotes(duration, [&] { ++ended; });
        EXPECT_EQ(svc.nowMs(), start);
        midi::testing::PlayOutTimedNotes();
        ASSERT_EQ(backend.sentMessages().size(), 26U);
        EXPECT_EQ(backend.sentMessages()[12], (Bytes{0x92, 84, 50})) << "the top of the arpeggio";
        // Each note held hold ms, the next at once after its note off.
        for (std::size_t i = 0; i < 13; ++i) {
            EXPECT_EQ(backend.sentTimesMs()[2 * i] - start, static_cast<std::int64_t>(i) * hold) << i;
            EXPECT_EQ(backend.sentTimesMs()[2 * i + 1] - backend.sentTimesMs()[2 * i], hold) << i;
        }
        EXPECT_EQ(ended, 1) << "the end is told once";
    }
    // A refused note ends the arpeggio with one message, not one for every note, and its
    // end is told.
    backend.clearSent();
    svc.clear();
    backend.failSends(1, MidiResult::NotReady, 2);
    int ended = 0;
    midi::PlayRandomiserNotes(100, [&] { ++ended; });
    midi::testing::PlayOutTimedNotes();
    EXPECT_EQ(backend.sentMessages().size(), 2U);
    EXPECT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(ended, 1);

    midi::CloseMidiDevices(false, true);
    backend.clearSent();
    svc.clear();
    midi::PlayAuditionNote(60);
    ended = 0;
    midi::PlayRandomiserNotes(100, [&] { ++ended; });
    midi::testing::PlayOutTimedNotes();
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_TRUE(svc.messagesShown().empty());
    EXPECT_EQ(ended, 1) << "a phrase that cannot start has ended too";
}

TEST_F(TransportTest, SlicesOfAFileAreJoinedIntoWholeMessages)
{
    const Bytes bank = backend.dx7().bulkDump();
    midi::SysexSliceStream stream;
    ASSERT_EQ(midi::SendSysexSlice(stream, bank, 0, 4096), TransportResult::Ok);
    EXPECT_TRUE(backend.sentMessages().empty()) << "the bank is not whole yet";
    ASSERT_EQ(midi::SendSysexSlice(stream, bank, 4096, 4096), TransportResult::Ok);
    ASSERT_EQ(midi::EndSysexSlices(stream), TransportResult::Ok);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], bank);
    EXPECT_EQ(backend.dx7().count(platform::SimulatedDX7::Received::Kind::Bank), 1U);

    // Bytes that form no message are reported, not dropped silently.
    const Bytes junk = {0x01, 0x02, 0xF0, 0x43};
    EXPECT_EQ(midi::SendSysexSlice(stream, junk, 0, junk.size()), TransportResult::Failed);
    EXPECT_EQ(midi::EndSysexSlices(stream), TransportResult::Failed);
    const auto all = monitorMessages();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const std::string& m) { return m.rfind("Sysex slice: ", 0) == 0; }),
              2);
}

TEST_F(TransportTest, DumpRequestsAreBuiltForTheirTypesOnly)
{
    init.setMIDIDeviceNumber(5);
    struct Case {
        std::int16_t type, a, b, c;
        Bytes expected;
    };
    const Case cases[] = {
        {0, 0, 0, 0, {0xF0, 0x43, 0x25, 0x00, 0xF7}},
        {9, 0, 0, 0, {0xF0, 0x43, 0x25, 0x09, 0xF7}},
        {125, 0, 0, 0, {0xF0, 0x43, 0x25, 0x7D, 0xF7}},
        {4, 1, 2, 3, {0xF0, 0x43, 0x25, 0x11, 0x02, 0x03, 0xF7}},
        {13, 0, 127, 0, {0xF0, 0x43, 0x25, 0x34, 0x7F, 0x00, 0xF7}},
        {3, 0, 0, 0, {}},
        {13, 100, 0, 0, {}},  // 4 * 13 + 100 does not fit 7 bits
        {8, 0, 128, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(midi::BuildDumpRequest(c.type, c.a, c.b, c.c), str(c.expected)) << "type " << c.type;
}

// ---- dump requests and their waits

TEST_F(TransportTest, ABankRequestReceivesAllBytesWhileTheStatusBarCountsDown)
{
    backend.dx7().setReplyDelayMs(700);
    std::string reply;
    ASSERT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Ok);
    EXPECT_EQ(reply, str(backend.dx7().bulkDump()));
    EXPECT_EQ(midi::GetPendingRequest(), -1);
    EXPECT_EQ(midi::ReceivedSysex(), "No Data");
    EXPECT_TRUE(statusShown("Detecting using device no. 1 -       secs. left to timeout"));
    EXPECT_TRUE(statusShown("Detecting using device no. 1   2.0   secs. left to timeout"));
    EXPECT_TRUE(statusShown("Detecting using device no. 1   1.9   secs. left to timeout"));
    EXPECT_TRUE(statusShown("Sysex received on device  1"));
    EXPECT_EQ(svc.statusText(1), "");
    EXPECT_FALSE(svc.busy());
    EXPECT_EQ(windows.caption, "MIDI Manager");
    // A reply that was waited for is neither logged as received nor stored in a slot.
    EXPECT_FALSE(monitorHas("32 Voice Bulk Dump Received"));
    EXPECT_TRUE(windows.sysexSlots.stored.empty());
    EXPECT_EQ(backend.sentMessages(), std::vector<Bytes>{bankRequest()});
}

TEST_F(TransportTest, NoReplyTimesOutWithItsMonitorLine)
{
    backend.dx7().setSilent(true);
    std::string reply;
    const auto start = svc.nowMs();
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Failed);
    EXPECT_EQ(reply, "Timeout");
    EXPECT_GE(svc.nowMs() - start, 2000);
    EXPECT_TRUE(monitorHas("Timeout - no data received"));
    EXPECT_EQ(midi::GetPendingRequest(), -1) << "reset whatever the outcome";
}

TEST_F(TransportTest, OnlyADumpEndsTheWaitAndOtherDataIsKeptAsIfUnasked)
{
    backend.dx7().setSilent(true);
    // What a MIDI Thru loop, a busy synth or another instrument puts on the cable meanwhile.
    const std::vector<Bytes> others = {
        bankRequest(),                                    // the request's own echo
        {0xF0, 0x43, 0x10, 0x01, 0x02, 0x03, 0xF7},       // a parameter change
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0xF7},  // another maker's data
        {0xF0, 0x43},                                     // a cut reply
    };
    Bytes bank = backend.dx7().bulkDump();
    bank[2] = 0x05;                                       // from device number 6
    int pass = 0;
    svc.onProcessEvents([&](std::int64_t) {
        ++pass;
        if (pass == 5) {
            for (const Bytes& b : others)
                backend.inject(b);
        } else if (pass == 50) {
            backend.inject(bank);
        }
    });
    std::string reply;
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Ok);
    svc.onProcessEvents(nullptr);
    EXPECT_EQ(reply, str(bank));
    EXPECT_TRUE(monitorHas("Parm. Change: 240 67 16 1 2 3 247"));
    EXPECT_TRUE(monitorHas("Unrecognised Long Sysex Received"));
    ASSERT_EQ(windows.sysexSlots.stored.size(), 1U) << "the echo and the parameter change are not kept";
    EXPECT_EQ(bytes(windows.sysexSlots.stored[0].data), others[2]) << "another maker's data is kept";
}

TEST_F(TransportTest, AManualWaitSendsNothingAndTakesFifteenVirtualSeconds)
{
    std::string reply;
    svc.onProcessEvents([&](std::int64_t) {
        EXPECT_EQ(midi::GetPendingRequest(), 0);
    });
    EXPECT_EQ(midi::RequestDumpAndWait(0, 15000, reply, false), TransportResult::Failed);
    svc.onProcessEvents(nullptr);
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_TRUE(statusShown("PLEASE SEND DATA NOW -   -       secs. left to timeout"));
    EXPECT_TRUE(statusShown("PLEASE SEND DATA NOW -     14.9  secs. left to timeout"));
}

TEST_F(TransportTest, UnknownDumpTypesAndFailedRequestsEndTheWaitAtOnce)
{
    std::string reply = "x";
    EXPECT_EQ(midi::RequestDumpAndWait(3, 2000, reply, true), TransportResult::Failed);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Unknown dump type requested");
    EXPECT_EQ(midi::GetPendingRequest(), -1);
    EXPECT_EQ(reply, "");

    midi::CloseMidiDevices(false, true);
    svc.clear();
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Failed);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "MIDI Output failed");
    EXPECT_EQ(midi::GetPendingRequest(), -1);
    EXPECT_FALSE(svc.busy());
}

TEST_F(TransportTest, AnOldUnrequestedDumpIsNeverTakenAsTheReply)
{
    backend.sendUnsolicitedBank();
    midi::ProcessMidiInput();
    EXPECT_TRUE(monitorHas("32 Voice Bulk Dump Received"));
    ASSERT_EQ(windows.sysexSlots.stored.size(), 1U);
    EXPECT_EQ(windows.sysexSlots.stored[0].length, 4096) << "stored without its wrapper";
    EXPECT_EQ(windows.sysexSlots.stored[0].fileType, 2);
    backend.dx7().setSilent(true);
    std::string reply;
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Failed);
    EXPECT_EQ(reply, "Timeout");
}

TEST_F(TransportTest, ABrokenMessageNeverOverwritesAReplyWaitingToBeTaken)
{
    backend.dx7().setSilent(true);
    bool sent = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (!sent) {
            sent = true;
            backend.inject(backend.dx7().bulkDump());
            backend.inject(Bytes{0xF0, 0x43, 0x00});  // cut off: arrives broken
        }
    });
    std::string reply;
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Ok);
    svc.onProcessEvents(nullptr);
    EXPECT_EQ(reply.size(), 4104U);
    EXPECT_TRUE(monitorHas("Midi Long Message Error - Invalid Sysex Message ( 3 bytes) returned."));
}

TEST_F(TransportTest, ASecondRequestWhileOneWaitsIsRefused)
{
    backend.dx7().setReplyDelayMs(1000);
    bool tried = false;
    TransportResult nested = TransportResult::Ok;
    std::string nestedReply = "untouched";
    std::string retried = "untouched";
    svc.onProcessEvents([&](std::int64_t) {
        if (tried)
            return;
        tried = true;
        nested = midi::RequestDumpAndWait(0, 500, nestedReply, true);
        retried = midi::RequestDumpWithRetry(0);
    });
    std::string reply;
    EXPECT_EQ(midi::RequestDumpAndWait(9, 2000, reply, true), TransportResult::Ok);
    svc.onProcessEvents(nullptr);
    EXPECT_EQ(nested, TransportResult::Failed);
    EXPECT_EQ(nestedReply, "");
    EXPECT_EQ(retried, "");
    EXPECT_TRUE(svc.messagesShown().empty());
    EXPECT_EQ(reply.size(), 4104U) << "the first wait goes on and gets its bank";
    EXPECT_EQ(backend.sentMessages().size(), 1U) << "the refused requests sent nothing";
}

// Escape (or the exit) ends a wait at once: nothing more is asked or sent, a reply already
// whole is still taken, and the program's closing does not wait out the notice.
TEST_F(TransportTest, AWaitEndedByTheUserOrTheExitEndsAtOnceAndAsksNothingMore)
{
    using midi::WaitEnd;
    struct Row {
        const char* what;
        WaitEnd how;
        bool retry;           // the Receive's sequence, else one wait
        int endAtMs;          // when the wait is ended, from its start
        int replyAfterMs;     // the synth's answer; silent when negative
        bool queuedAtEnd;     // a whole bank waits in the input, not yet taken, as the wait ends
        const char* reply;    // "*" the bank
        std::size_t asked;    // questions shown
        std::size_t sent;     // requests sent
        bool timeoutLine;
        int tookAtMostMs;
    };
    const Row rows[] = {
        {"Escape in a wait", WaitEnd::ByUser, false, 500, -1, false, "Ended", 0, 1, false, 510},
        {"the exit in a wait", WaitEnd::ByExit, false, 500, -1, false, "Ended", 0, 1, false, 510},
        {"Escape in the Receive's first wait", WaitEnd::ByUser, true, 500, -1, false, "", 0, 1, false, 510},
        {"Escape in the Receive's resent wait", WaitEnd::ByUser, true, 2500, -1, false, "", 1, 2, true, 2510},
        {"Escape once the reply is whole", WaitEnd::ByUser, false, 600, 300, false, "*", 0, 1, false, 610},
        {"the exit during the notice of a reply", WaitEnd::ByExit, false, 600, 300, false, "*", 0, 1, false, 610},
        {"the exit while a whole reply waits to be taken", WaitEnd::ByExit, true, 500, -1, true, "*", 0, 1, false,
         510},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        backend.clearSent();
        log().MidiMessage.clear();
        svc.clear();
        backend.dx7().setSilent(row.replyAfterMs < 0);
        if (row.replyAfterMs >= 0)
            backend.dx7().setReplyDelayMs(row.replyAfterMs);
        if (row.retry)
            svc.answer(MsgAnswer::No);  // no response: resend
        const std::int64_t start = svc.nowMs();
        bool ended = false;
        std::size_t statusesAtEnd = 0;
        svc.onProcessEvents([&](std::int64_t now) {
            if (!ended && now - start >= row.endAtMs) {
                ended = true;
                if (row.queuedAtEnd)
                    backend.inject(backend.dx7().bulkDump());
                EXPECT_TRUE(midi::EndDumpWait(row.how));
                EXPECT_EQ(svc.statusText(1), "") << "nothing stands as the exit's questions begin";
                statusesAtEnd = svc.statusHistory().size();
            }
        });
        std::string reply;
        if (row.retry)
            reply = midi::RequestDumpWithRetry(1);
        else
            (void)midi::RequestDumpAndWait(9, 2000, reply, true);
        svc.onProcessEvents({});
        EXPECT_TRUE(ended);
        const std::int64_t took = svc.nowMs() - start;
        // The exit's own questions come next: the wait says nothing more meanwhile.
        platform::PauseWithEvents(1500);
        for (std::size_t i = statusesAtEnd; i < svc.statusHistory().size(); ++i)
            EXPECT_EQ(svc.statusHistory()[i].text, "") << "said after the wait was ended";
        EXPECT_EQ(reply, std::string(row.reply) == "*" ? str(backend.dx7().bulkDump()) : std::string(row.reply));
        EXPECT_LE(took, row.tookAtMostMs);
        EXPECT_EQ(svc.messagesShown().size(), row.asked);
        EXPECT_EQ(backend.sentMessages().size(), row.sent);
        EXPECT_EQ(monitorHas("Timeout - no data received"), row.timeoutLine);
        EXPECT_EQ(midi::LastDumpWaitEnd(), row.how);
        EXPECT_FALSE(midi::RequestSequenceActive());
        EXPECT_EQ(midi::GetPendingRequest(), -1);
        EXPECT_FALSE(svc.busy());
        EXPECT_EQ(svc.statusText(1), "");
        EXPECT_FALSE(midi::EndDumpWait(row.how)) << "no wait left to end";
    }
    backend.dx7().setReplyDelayMs(0);
}

TEST_F(TransportTest, RetryCancelGivesUpAfterOneRequest)
{
    backend.dx7().setSilent(true);
    svc.answer(MsgAnswer::Cancel);
    EXPECT_EQ(midi::RequestDumpWithRetry(1), "");
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "No response to Bulk Dump Request");
    EXPECT_EQ(svc.messagesShown()[0].style, 16435);
    EXPECT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(midi::GetPendingRequest(), -1);
}

TEST_F(TransportTest, RetryNoResendsTheRequestAndAskedAgainStartsOver)
{
    backend.dx7().setSilent(true);
    svc.answer(MsgAnswer::No);   // resend
    svc.answer(MsgAnswer::Yes);  // try again from the start
    svc.answer(MsgAnswer::Yes);  // manual: nothing sent
    svc.answer(MsgAnswer::No);   // give up
    EXPECT_EQ(midi::RequestDumpWithRetry(0), "");
    ASSERT_EQ(svc.messagesShown().size(), 4U);
    EXPECT_EQ(svc.messagesShown()[1].text, "No data received at timeout\r\n\r\nWould you like to try again ?");
    EXPECT_EQ(svc.messagesShown()[1].style, 35);
    EXPECT_EQ(backend.sentMessages().size(), 3U) << "first, resend, first again; the manual wait sends nothing";
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0xF0, 0x43, 0x20, 0x00, 0xF7}));
}

TEST_F(TransportTest, AReplyArrivingWhileTheQuestionIsShownIsTakenByTheManualWait)
{
    // A question box runs the event loop while it is open, as a modal dialog does; the
    // reply arrives then. The request is still pending, so it goes to the hand-over (not
    // to the monitor or a slot) and the manual wait takes it on its first pass.
    class PumpingMessages final : public platform::MessageService {
    public:
        explicit PumpingMessages(platform::testing::ScriptedServices& s) : svc(s) {}
        MsgAnswer messageBox(const std::string& text, int style, const std::string& title) override
        {
            svc.advance(600);
            midi::ProcessMidiInput();
            pendingDuringBox = midi::GetPendingRequest();
            afterBoxMs = svc.nowMs();
            return svc.messageBox(text, style, title);
        }
        std::optional<std::string> inputBox(const std::string& p, const std::string& t,
                                            const std::string& d) override
        {
            return svc.inputBox(p, t, d);
        }
        platform::testing::ScriptedServices& svc;
        std::int32_t pendingDuringBox = -1;
        std::int64_t afterBoxMs = 0;
    } boxes(svc);
    platform::installMessageService(&boxes);
    backend.dx7().setReplyDelayMs(2500);
    svc.answer(MsgAnswer::Yes);
    const std::string reply = midi::RequestDumpWithRetry(1);
    platform::installMessageService(&svc);
    EXPECT_EQ(boxes.pendingDuringBox, 9);
    EXPECT_EQ(reply.size(), 4104U);
    EXPECT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_FALSE(monitorHas("32 Voice Bulk Dump Received"));
    EXPECT_TRUE(windows.sysexSlots.stored.empty());
    EXPECT_LE(svc.nowMs() - boxes.afterBoxMs, 1010) << "taken at once, then the 1-second notice";
    EXPECT_EQ(midi::GetPendingRequest(), -1);
}

TEST_F(TransportTest, TheManualPathReceivesADumpSentByHand)
{
    backend.dx7().setSilent(true);
    svc.answer(MsgAnswer::Yes);
    bool manual = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (!manual && svc.statusText(1).rfind("PLEASE SEND DATA NOW", 0) == 0) {
            manual = true;
            backend.sendUnsolicitedVoice();  // the user presses the buttons on the instrument
        }
    });
    const std::string reply = midi::RequestDumpWithRetry(0);
    svc.onProcessEvents(nullptr);
    EXPECT_EQ(reply, str(backend.dx7().singleVoiceDump()));
    EXPECT_EQ(backend.sentMessages().size(), 1U);
}

// ---- input

TEST_F(TransportTest, ShortMessagesAreDescribed)
{
    struct Case {
        Bytes message;
        const char* text;
        const char* title1;
        const char* data1;
        const char* title2;
        const char* data2;
        const char* channel;
    };
    const Case cases[] = {
        {{0x90, 60, 100}, "Note C3 On", "Velocity", "100", "", "", "1"},
        {{0x90, 61, 0}, "Note C#3 Off", "Velocity", "0", "", "", "1"},
        {{0x8F, 0, 64}, "Note C-2 Off", "Velocity", "64", "", "", "16"},
        {{0xA1, 127, 5}, "Aftertouch G8", "Velocity", "5", "", "", "2"},
        {{0xB0, 1, 7}, "Modulation Wheel", "Value", "7", "", "", "1"},
        {{0xB0, 6, 8}, "Data Entry", "Value", "8", "", "", "1"},
        {{0xB0, 96, 127}, "Yes Button pressed", "Value", "127", "", "", "1"},
        {{0xB0, 97, 127}, "No Button pressed", "Value", "127", "", "", "1"},
        {{0xB2, 7, 90}, "Controller Change", "ID", "7", "Value", "90", "3"},
        {{0xC0, 12}, "Program Change", "Number", "12", "", "", "1"},
        {{0xD0, 33}, "Channel Aftertouch", "Value", "33", "", "", "1"},
        {{0xE0, 0, 64}, "PitchBend", "LSB", "0", "MSB", "64", "1"},
        {{0xF1, 17}, "MTC Quarterframe", "Value", "17", "", "", "2"},
        {{0xF2, 1, 2}, "Song Position Pointer", "LSB Value", "1", "MSB Value", "2", "3"},
        {{0xF3, 4}, "Song Select", "Value", "4", "", "", "4"},
        {{0xF6}, "Undefined System Common message received", "", "", "", "", "7"},
    };
    for (const auto& c : cases) {
        receive(c.message);
        EXPECT_EQ(lastMessage(), c.text);
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data1Title)), c.title1) << c.text;
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data1)), c.data1) << c.text;
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data2Title)), c.title2) << c.text;
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Data2)), c.data2) << c.text;
        EXPECT_EQ(platform::Trim(field(midi::MonitorField::Channel)), c.channel) << c.text;
        EXPECT_EQ(field(midi::MonitorField::Type), "Short");
        EXPECT_EQ(field(midi::MonitorField::Status), std::string(1, static_cast<char>(c.message[0])));
    }
}

TEST_F(TransportTest, ClockSensingAndStrayBytesAreHandledWithoutNoise)
{
    const auto rows = log().MidiMessage.recordCount();
    receive({0xF8});
    receive({0xFE});
    EXPECT_EQ(log().MidiMessage.recordCount(), rows);
    receive({0x05, 0x06});
    EXPECT_EQ(lastMessage(), "Bad MIDI Message:Status  5 Data1  6 Data2  0");
    midi::ShortMessageHandler(MidiEventKind::Error, 0xF7, 0);
    EXPECT_EQ(lastMessage(), "Bad MIDI Message:Status  5 Data1  6 Data2  0") << "a lone F7 error is not logged";
}

TEST_F(TransportTest, AnEndlessSysexIsOneTooLargeLineAndInputGoesOn)
{
    const auto rows = log().MidiMessage.recordCount();
    Bytes endless(3 * platform::MidiStreamParser::kMaxMessageBytes, 0x11);
    endless[0] = 0xF0;
    endless[1] = 0x43;
    receive(endless);
    receive({0x90, 60, 100});
    const auto all = monitorMessages();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(rows) + 2);
    EXPECT_EQ(all[all.size() - 2], "Midi Long Message Error - Sysex Message too large (over 1048576 bytes), dropped.");
    EXPECT_EQ(midi::ReceivedSysex(), "No Data") << "nothing of the dropped message is handed over";
}

TEST_F(TransportTest, InputHeldUpWaitsWithinItsCapAndEachRunOfDropsIsOneLine)
{
    // Nothing takes what arrives, as while a handler's question is open: three messages
    // of 1 MiB fill the queue, two more are dropped, a note fits again and ends that run,
    // and one more big message starts a second run.
    const platform::MidiEvent big{MidiEventKind::LongError, 0, Bytes(std::size_t{1} << 20, 0x11), 0};
    const platform::MidiEvent note{MidiEventKind::Data, 0x643C90, {}, 0};
    auto& queue = midi::midiInputQueue();
    for (int i = 0; i < 5; ++i)
        queue.post(big);
    queue.post(note);
    queue.post(big);
    const auto rows = log().MidiMessage.recordCount();
    midi::ProcessMidiInput();
    const auto all = monitorMessages();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(rows) + 6);
    const std::string error = "Midi Long Message Error - Invalid Sysex Message ( 1048576 bytes) returned.";
    EXPECT_EQ(all[rows], error);
    EXPECT_EQ(all[rows + 2], error);
    EXPECT_EQ(all[rows + 3], "MIDI input queue full: 2 messages (2097152 bytes) dropped while input waited");
    EXPECT_EQ(all[rows + 4], "Note C3 On");
    EXPECT_EQ(all[rows + 5], "MIDI input queue full: 1 message (1048576 bytes) dropped while input waited");
    // Drained, the queue takes as much again.
    for (int i = 0; i < 3; ++i)
        queue.post(big);
    midi::ProcessMidiInput();
    EXPECT_EQ(monitorMessages().size(), static_cast<std::size_t>(rows) + 9);
}

TEST_F(TransportTest, NoteNamesRunFromCMinusTwo)
{
    const auto& names = midi::NoteNames();
    EXPECT_EQ(names[0], "C-2");
    EXPECT_EQ(names[13], "C#-1");
    EXPECT_EQ(names[60], "C3");
    EXPECT_EQ(names[127], "G8");
    EXPECT_EQ(names[128], "G#8");
}

TEST_F(TransportTest, UnrequestedLongMessagesAreDescribedAndDumpsStored)
{
    receive(backend.dx7().singleVoiceDump());
    EXPECT_EQ(lastMessage(), "Single DX Voice Received");
    EXPECT_TRUE(statusShown("Single DX Voice Received"));
    ASSERT_EQ(windows.sysexSlots.stored.size(), 1U);
    EXPECT_EQ(windows.sysexSlots.stored[0].length, 155);
    EXPECT_EQ(windows.sysexSlots.stored[0].fileType, 0);
    EXPECT_EQ(windows.sysexSlots.stored[0].name, "");
    EXPECT_EQ(midi::ReceivedSysex().size(), 155U) << "what nobody waited for is handed over stripped";

    const Bytes param = {0xF0, 0x43, 0x12, 0x00, 0x05, 0x63, 0xF7};
    receive(param);
    EXPECT_EQ(lastMessage(), "Parm. Change: 240 67 18 0 5 99 247");
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Channel)), "3");
    EXPECT_EQ(field(midi::MonitorField::RawMessage), str(param));
    EXPECT_EQ(windows.sysexSlots.stored.size(), 1U) << "a parameter change is not stored";

    Bytes setup = {0xF0, 0x43, 0x00, 0x7E, 0x00, 0x10, 'L', 'M', ' ', ' ', '8', '9', '7', '3', 'S', ' ', 0x01, 0x00, 0xF7};
    receive(setup);
    EXPECT_EQ(lastMessage(), "System Setup Received");
    setup[14] = 'X';
    receive(setup);
    EXPECT_EQ(lastMessage(), "Unsupported (DX7II) Sysex received");
    receive({0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7});
    EXPECT_EQ(lastMessage(), "Unrecognised Long Sysex Received");
    receive({0xF0, 0x43, 0x00, 0x05, 0x01, 0xF7});
    EXPECT_EQ(lastMessage(), "Unrecognised Sysex Recd. ID: 5");
}

TEST_F(TransportTest, ShortAndTruncatedRepliesAreDescribedWithinTheirBounds)
{
    // Second-series format byte on a message too short to carry the setup name.
    receive({0xF0, 0x43, 0x00, 0x7E, 0xF7});
    EXPECT_EQ(lastMessage(), "Unsupported (DX7II) Sysex received");
    // A bank cut short (as a flooded interface delivers it).
    backend.dx7().setTruncateRepliesTo(1000);
    Bytes cut = backend.dx7().bulkDump();
    cut.resize(999);
    cut.push_back(0xF7);
    receive(cut);
    EXPECT_EQ(lastMessage(), "Damaged 32 Voice Bulk Dump Received: it is incomplete (1000 of 4104 bytes)");
    EXPECT_EQ(field(midi::MonitorField::RawMessage).size(), 1000U);
    // Messages of any length are kept whole in the log.
    Bytes big(9000, 0x10);
    big.front() = 0xF0;
    big.back() = 0xF7;
    receive(big);
    EXPECT_EQ(field(midi::MonitorField::RawMessage), str(big));
    // Edited messages, described directly.
    EXPECT_EQ(midi::DescribeSysexMessage("", 0, false), midi::DescribeResult::ShortOrParameter);
    EXPECT_EQ(midi::DescribeSysexMessage("\xC1\x05", 0, false), midi::DescribeResult::ShortOrParameter);
    EXPECT_EQ(lastMessage(), "Parm. Change: 193 5");
    EXPECT_EQ(field(midi::MonitorField::ShortData2), "");
}

TEST_F(TransportTest, BrokenLongMessagesAreLoggedAsErrors)
{
    receive({0xF0, 0x43, 0x00, 0x7E});  // no F7 (a dump cut so is a damaged dump)
    EXPECT_EQ(lastMessage(), "Midi Long Message Error - Invalid Sysex Message ( 4 bytes) returned.");
    midi::MidiSinkWindowProc(platform::MidiEvent{MidiEventKind::LongData, 0, {}, 0});
    EXPECT_EQ(lastMessage(), "Midi Long Message Error - Invalid, Empty or Unrecognised Buffer returned.");
    EXPECT_EQ(midi::ReceivedSysex(), "No Data");
}

TEST_F(TransportTest, TimeStampsComeFromTheDeviceOnlyInCallbackFunctionMode)
{
    svc.advance(1500);
    midi::setCallbackFunctionMode(true);
    backend.inject(Bytes{0x90, 60, 1});
    svc.advance(5000);  // handled later: the device's time stamp still says 1.5 s
    midi::ProcessMidiInput();
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Timestamp)), "0:0:1.5");
    midi::setCallbackFunctionMode(false);
    backend.inject(Bytes{0x90, 60, 1});
    midi::ProcessMidiInput();
    EXPECT_EQ(platform::Trim(field(midi::MonitorField::Timestamp)), "0:0:6.5") << "the time when it was handled";
}

TEST_F(TransportTest, InputIsHandledWhileTheManagerWindowIsNotLoaded)
{
    windows.unloadManager();
    receive({0x90, 60, 1});
    receive(backend.dx7().bulkDump());
    EXPECT_EQ(monitorMessages(), (std::vector<std::string>{"Note C3 On", "32 Voice Bulk Dump Received"}));
    ASSERT_EQ(windows.sysexSlots.stored.size(), 1U) << "the bank is kept in a slot";
    EXPECT_EQ(windows.sysexSlots.stored[0].data.size(), 4096U);
    EXPECT_EQ(midi::ReceivedSysex().size(), 4096U);
}

TEST_F(TransportTest, InputFromAnotherThreadIsHandledOnTheGuiThreadInOrder)
{
    constexpr int kCount = 2000;
    std::thread device([&] {
        for (int i = 0; i < kCount; ++i) {
            const Bytes msg = {0xB0, static_cast<std::uint8_t>(20 + i % 2), static_cast<std::uint8_t>(i % 128)};
            backend.injectFromAnyThread(msg, static_cast<std::uint32_t>(i));
        }
        // Handling from the device thread does nothing.
        midi::ProcessMidiInput();
    });
    device.join();
    EXPECT_EQ(log().MidiMessage.recordCount(), 0);
    midi::ProcessMidiInput();
    ASSERT_EQ(log().MidiMessage.recordCount(), kCount);
    int i = 0;
    log().MidiMessage.forEach([&](const platform::RowRef& r) {
        EXPECT_EQ(platform::Trim(r.text(midi::MonitorField::Data2)), std::to_string(i % 128));
        ++i;
    });
}

TEST_F(TransportTest, WithAnApplicationObjectItsEventLoopHandsInputOver)
{
    int argc = 1;
    char name[] = "test_midi_transport";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    std::thread device([&] { backend.injectFromAnyThread(Bytes{0x90, 60, 1}, 0); });
    device.join();
    EXPECT_EQ(log().MidiMessage.recordCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(lastMessage(), "Note C3 On");
}

// ---- the monitor log

TEST_F(TransportTest, TimeStampsRoundToTenthsOfASecond)
{
    const std::pair<const char*, const char*> table[] = {
        {"3725400", "1:2:5.4"}, {"5300", "0:0:5.3"},   {"59600", "0:0:59.6"},
        {"60000", "0:1:0.0"},   {"59960", "0:1:0.0"},  {" 59949", "0:0:59.9"},
        {"3599960", "1:0:0.0"}, {"100", "0:0:0.1"},
    };
    for (const auto& [in, out] : table)
        EXPECT_EQ(midi::clsMidiManagerData::FormatTimestamp(in), out) << in;
    svc.advance(2000);
    EXPECT_EQ(midi::clsMidiManagerData::FormatTimestamp("0"), "0:0:2.0") << "time since input start";
    EXPECT_EQ(midi::clsMidiManagerData::FormatTimestamp(""), "0:0:2.0");
}

TEST_F(TransportTest, RowsAreNumberedAndCanBeRewrittenInPlace)
{
    auto& data = log();
    data.MidiMessage.clear();
    midi::MonitorLines line;
    for (int i = 1; i <= 10; ++i) {
        line[midi::MonitorField::Message] = "m" + std::to_string(i);
        EXPECT_FALSE(data.AddMessage(line, false));
    }
    EXPECT_EQ(platform::Trim(data.MidiMessage.text(midi::MonitorField::No)), "10");
    data.MidiMessage.setAbsolutePosition(4);
    line[midi::MonitorField::Message] = "rewritten";
    (void)data.AddMessage(line, true);
    EXPECT_EQ(data.MidiMessage.recordCount(), 10);
    data.MidiMessage.setAbsolutePosition(4);
    EXPECT_EQ(platform::Trim(data.MidiMessage.text(midi::MonitorField::Message)), "rewritten");
    EXPECT_TRUE(windows.buttons["#2"]);
}

TEST_F(TransportTest, ResendingARowSendsExactlyWhatWasLogged)
{
    receive({0x91, 0x20, 0x20});  // blanks as data bytes must survive
    receive(backend.dx7().singleVoiceDump());
    auto& data = log();
    backend.clearSent();
    data.MidiMessage.moveLast();
    data.MidiMessage.movePrevious();
    const int row = data.MidiMessage.absolutePosition();
    (void)data.SendMIDIMessage(2, row);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0x91, 0x20, 0x20}));
    EXPECT_EQ(data.MidiMessage.absolutePosition(), row) << "the cursor goes back to the row";
    data.MidiMessage.setAbsolutePosition(row + 1);
    (void)data.SendMIDIMessage(2, row + 1);
    ASSERT_EQ(backend.sentMessages().size(), 2U);
    EXPECT_EQ(backend.sentMessages()[1], backend.dx7().singleVoiceDump());
    (void)data.SendMIDIMessage(1, 0);
    EXPECT_EQ(windows.sysexSlots.sendCount, 1);
    (void)data.SendMIDIMessage(3, 0);
    EXPECT_EQ(backend.sentMessages().size(), 2U);
}

TEST_F(TransportTest, TheTimedAuditionNoteReturnsAtOnceAndItsTimerEndsIt)
{
    midi::TimedAuditionNote note;
    init.setMIDIOutChannel(1);
    const auto t0 = svc.nowMs();
    note.play(60);
    EXPECT_EQ(svc.nowMs(), t0) << "nothing waits while the note sounds";
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], (Bytes{0x91, 60, 60}));
    EXPECT_TRUE(note.sounding());
    // The same note again ends the sounding one before it starts again, so no note on is
    // left without its note off.
    note.play(60);
    ASSERT_EQ(backend.sentMessages().size(), 3U);
    EXPECT_EQ(backend.sentMessages()[1], (Bytes{0x91, 60, 0}));
    EXPECT_EQ(backend.sentMessages()[2], (Bytes{0x91, 60, 60}));
    // Another note ends the one sounding first.
    note.play(64);
    ASSERT_EQ(backend.sentMessages().size(), 5U);
    EXPECT_EQ(backend.sentMessages()[3], (Bytes{0x91, 60, 0}));
    EXPECT_EQ(backend.sentMessages()[4], (Bytes{0x91, 64, 60}));
    // The timer's note off goes to the channel the note was played on.
    init.setMIDIOutChannel(5);
    note.release();
    ASSERT_EQ(backend.sentMessages().size(), 6U);
    EXPECT_EQ(backend.sentMessages()[5], (Bytes{0x91, 64, 0}));
    EXPECT_FALSE(note.sounding());
    note.release();
    EXPECT_EQ(backend.sentMessages().size(), 6U);

    // Its timed call ends it 250 ms after its note on, on the program's clock.
    const auto t1 = svc.nowMs();
    note.play(62);
    platform::PauseWithEvents(249);
    EXPECT_TRUE(note.sounding());
    platform::PauseWithEvents(1);
    EXPECT_FALSE(note.sounding());
    ASSERT_EQ(backend.sentMessages().size(), 8U);
    EXPECT_EQ(backend.sentMessages()[7], (Bytes{0x95, 62, 0}));
    EXPECT_EQ(backend.sentTimesMs()[7] - t1, 250);

    // Closed while the note sounds: nothing more goes out, to that output or to one opened
    // before the note's time was up.
    midi::PlayAuditionNote(64);
    ASSERT_TRUE(midi::auditionNote().sounding());
    midi::CloseMidiDevices(false, true);
    EXPECT_FALSE(midi::auditionNote().sounding());
    midi::PlayAuditionNote(65);
    ASSERT_TRUE(midi::testing::OpenDevicesByName(init, "DX7 Simulator Out", "DX7 Simulator In"));
    backend.clearSent();
    midi::testing::PlayOutTimedNotes();
    platform::PauseWithEvents(300);
    EXPECT_TRUE(backend.sentMessages().empty());

    midi::CloseMidiDevices(false, true);
    backend.clearSent();
    note.play(60);
    EXPECT_FALSE(note.sounding());
    EXPECT_TRUE(backend.sentMessages().empty());
}
