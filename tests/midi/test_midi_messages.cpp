// Brevane - tests of the messages built for the synthesizer: parameter changes, single
// voices and the test arpeggio.
#include "MidiTestFixture.h"

#include "banklib/InitVoice.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "platform/StatusHelpers.h"

#include <array>
#include <functional>
#include <set>

using namespace miditest;
using midi::TransportResult;
using platform::MidiResult;

namespace {

class MessagesTest : public MidiFixture {
protected:
    void SetUp() override
    {
        MidiFixture::SetUp();
        ASSERT_TRUE(openBoth());
        log().MidiMessage.clear();
        backend.clearSent();
        svc.clear();
    }
    midi::clsMidiManagerData sender;
};

// A voice list of one voice, loaded into VoiceData.
platform::Recordset voiceDataOf(const std::array<std::uint8_t, banklib::kUnpackedVoiceSize>& voice)
{
    banklib::clsVoiceNames names;
    platform::Recordset list;
    bool repaired = false;
    EXPECT_FALSE(names.BuildRecordsetFromBytes(banklib::FileType::Unpacked, "test.dat", list, voice, repaired));
    banklib::clsVoiceData codec;
    platform::Recordset voiceData;
    std::int32_t crc = 0;
    std::string unused;
    EXPECT_FALSE(codec.GetVoiceData(list, 1, banklib::FileType::Unpacked, voiceData, crc, true, unused, 0));
    return voiceData;
}

}  // namespace

TEST_F(MessagesTest, ParameterChangesCarryGroupAndNumber)
{
    struct Case {
        int device, p, value, group;
        Bytes expected;
    };
    const Case cases[] = {
        {0, 1, 99, 0, {0xF0, 0x43, 0x10, 0x00, 0x00, 0x63, 0xF7}},
        {0, 128, 7, 0, {0xF0, 0x43, 0x10, 0x00, 0x7F, 0x07, 0xF7}},
        {0, 129, 7, 0, {0xF0, 0x43, 0x10, 0x01, 0x00, 0x07, 0xF7}},
        {0, 155, 65, 0, {0xF0, 0x43, 0x10, 0x01, 0x1A, 0x41, 0xF7}},
        {3, 77, 1, 25, {0xF0, 0x43, 0x13, 0x19, 0x4C, 0x01, 0xF7}},
        {15, 2, 127, 0, {0xF0, 0x43, 0x1F, 0x00, 0x01, 0x7F, 0xF7}},
    };
    for (const auto& c : cases) {
        init.setMIDIDeviceNumber(c.device);
        backend.clearSent();
        EXPECT_EQ(sender.SendParametertoMIDI(c.p, c.value, c.group, false, false), TransportResult::Ok);
        ASSERT_EQ(backend.sentMessages().size(), 1U) << "parameter " << c.p;
        EXPECT_EQ(backend.sentMessages()[0], c.expected) << "parameter " << c.p;
    }
    EXPECT_EQ(backend.dx7().count(platform::SimulatedDX7::Received::Kind::ParameterChange), 4U)
        << "only the changes for the instrument's own device number count";
    EXPECT_EQ(backend.dx7().editBuffer()[0], 99);
    EXPECT_EQ(backend.dx7().editBuffer()[128], 7);
    EXPECT_EQ(backend.dx7().editBuffer()[154], 65);
}

TEST_F(MessagesTest, ParameterChangesThatCannotBeSevenBitAreRefusedBeforeSending)
{
    const std::tuple<int, int, int> refused[] = {
        {1, 128, 0},     // value above 127
        {1, 255, 0},
        {1, -1, 0},
        {0, 5, 0},       // no parameter 0
        {-3, 5, 0},
        {1, 5, 200},     // group above 127
        {20000, 5, 0},   // group derived from p above 127
    };
    for (const auto& [p, value, group] : refused)
        EXPECT_EQ(sender.SendParametertoMIDI(p, value, group, true, true), TransportResult::Failed)
            << p << " " << value << " " << group;
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_EQ(log().MidiMessage.recordCount(), 0);
}

TEST_F(MessagesTest, NoteAndScaleFollowTheParameterChange)
{
    init.setMIDIOutChannel(4);
    sender.setRandomSource([] { return 0.5; });  // root 60
    EXPECT_EQ(sender.SendParametertoMIDI(5, 10, 0, true, true), TransportResult::Ok);
    const auto& sent = backend.sentMessages();
    EXPECT_EQ(sent.size(), 2U) << "the change and the note's on; the rest comes at its time";
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(sent.size(), 1U + 2U + 14U);
    EXPECT_EQ(sent[0][0], 0xF0);
    EXPECT_EQ(sent[1], (Bytes{0x94, 60, 60}));
    EXPECT_EQ(sent[2], (Bytes{0x94, 60, 0}));
    const int arpeggio[] = {60, 64, 67, 72, 67, 64, 60};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(sent[3 + 2 * i], (Bytes{0x94, static_cast<std::uint8_t>(arpeggio[i]), 50}));
        EXPECT_EQ(sent[4 + 2 * i], (Bytes{0x94, static_cast<std::uint8_t>(arpeggio[i]), 0}));
    }
    // The note is held 250 ms, and the scale follows it at once.
    const auto& at = backend.sentTimesMs();
    EXPECT_EQ(at[2] - at[1], 250);
    EXPECT_EQ(at[3], at[2]);
}

TEST_F(MessagesTest, TheArpeggioRootLiesBetween48And72RoundingHalvesToEven)
{
    const std::pair<double, int> table[] = {
        {0.0, 48}, {0.5, 60}, {0.9375, 70}, {0.979, 71}, {23.5 / 24.0, 72}, {0.999999, 72}, {1.5 / 24.0, 50},
    };
    for (const auto& [x, root] : table) {
        backend.clearSent();
        sender.setRandomSource([x = x] { return x; });
        const auto start = svc.nowMs();
        sender.SendAScale();
        EXPECT_EQ(svc.nowMs(), start) << "the scale plays on timed calls, nothing waits";
        EXPECT_EQ(backend.sentMessages().size(), 1U);
        midi::testing::PlayOutTimedNotes();
        ASSERT_EQ(backend.sentMessages().size(), 14U);
        EXPECT_EQ(backend.sentMessages()[0][1], root) << x;
        EXPECT_LE(backend.sentMessages()[6][1], 84);
        // Each note held 350 ms (the last 2 s), the next 50 ms after its note off.
        const auto& at = backend.sentTimesMs();
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(at[2 * i] - start, static_cast<std::int64_t>(400 * i)) << i;
            EXPECT_EQ(at[2 * i + 1] - at[2 * i], i == 6 ? 2000 : 350) << i;
        }
    }
}

TEST_F(MessagesTest, WithTheOutputClosedTheArpeggioDoesNothing)
{
    midi::CloseMidiDevices(false, true);
    backend.clearSent();
    log().MidiMessage.clear();
    const auto start = svc.nowMs();
    sender.SendAScale();
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_EQ(svc.nowMs(), start);
    EXPECT_EQ(log().MidiMessage.recordCount(), 0);
}

TEST_F(MessagesTest, AFailedNoteEndsTheArpeggioWithOneLine)
{
    sender.setRandomSource([] { return 0.0; });
    backend.failSends(1, MidiResult::NotReady, 4);  // the third note-on fails
    sender.SendAScale();
    midi::testing::PlayOutTimedNotes();
    ASSERT_EQ(backend.sentMessages().size(), 4U) << "two notes with their note-offs";
    EXPECT_EQ(backend.sentMessages()[3], (Bytes{0x90, 52, 0}));
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Hardware is still busy");
    const auto messages = monitorMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Output Failed"), 1);
    EXPECT_EQ(messages.back(), "Output Failed");
}

// One scale at a time: what comes 100 ms into a scale (its first note sounding) ends it at
// once, its note released, and nothing more of it follows. The same when it comes while a
// send of the scale's is refused and the device's error is shown (a box runs the event
// loop): every phrase's end is told once, and no note off goes out for a note that never
// sounded.
TEST_F(MessagesTest, AScaleEndsAtOnceForAnotherScaleAVoiceOrAClosedOutput)
{
    platform::Recordset voice = voiceDataOf(banklib::InitVoice());
    int ended = 0;
    const auto scale = [&] { sender.SendAScale(); };
    const auto sendVoice = [&] { (void)sender.SendVoiceToMidi(voice, banklib::FileType::Unpacked, false); };
    // What the generator does with a voice it has made: the voice, then its audition.
    const auto generatorVoice = [&] {
        sendVoice();
        midi::PlayRandomiserNotes(0, [&] { ++ended; });
    };
    // Closed, then opened again: nothing of the scale is left to play once its output has
    // closed (looked at as the close pauses on its report, before the note off is due), so
    // an output opened before its next note was due would hear nothing of it.
    const auto closeAndReopen = [&] {
        bool looked = false;
        svc.onProcessEvents([&](std::int64_t) {
            if (!std::exchange(looked, true)) {
                EXPECT_FALSE(midi::testing::TimedNotesPlaying()) << "the scale outlived its output";
            }
        });
        midi::CloseMidiDevices(false, true);
        svc.onProcessEvents({});
        EXPECT_TRUE(looked);
        EXPECT_TRUE(openBoth());
    };
    struct Row {
        const char* what;
        std::function<void()> action;  // 100 ms into the scale
        // What goes out after the note on: f its off, V a voice, n a note on, x a note off
        // for a note that does not sound.
        const char* after;
        int refused = -1;                  // of the sends from 100 ms on, the one refused
        std::function<void()> inBox = {};  // runs while that refusal's error box is open
        int outputFailed = 0;              // "Output Failed" lines
        int ended = 0;                     // ends told of the generator's auditions
    };
    const Row rows[] = {
        {"another scale", scale, "fnnnnnnn"},
        {"a voice", sendVoice, "fV"},
        {"a voice and its scale",
         [&] { (void)sender.SendVoiceToMidi(voice, banklib::FileType::Unpacked, true); }, "fVnnnnnnn"},
        {"the output closed", closeAndReopen, ""},
        // The scale's second note on is refused, and its box ends the scale: that note
        // never sounded.
        {"another scale while a note on is refused", {}, "fnnnnnnn", 1, scale, 1},
        {"the generator's voice while a note on is refused", {}, "fVnnnnnnnnnnnnn", 1, generatorVoice, 1, 1},
        {"the output closed while a note on is refused", {}, "f", 1, closeAndReopen, 1},
        // The scale's release is refused, and the generator's next voice comes while its
        // box is open: the voice goes out, its audition ends unplayed, and what was
        // ending the scale goes on.
        {"another scale whose release is refused", scale, "Vnnnnnnn", 0, generatorVoice, 0, 1},
        {"a voice whose release is refused", sendVoice, "VV", 0, generatorVoice, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        backend.clearSent();
        svc.clear();
        log().MidiMessage.clear();
        ended = 0;
        sender.setRandomSource([] { return 0.0; });  // root 48
        sender.SendAScale();
        platform::PauseWithEvents(100);
        const auto cutAt = svc.nowMs();
        sender.setRandomSource([] { return 0.5; });  // root 60
        if (row.refused >= 0) {
            backend.failSends(1, MidiResult::NotReady, row.refused);
            svc.whileMessageShown([&](const std::string&) { row.inBox(); });
        }
        if (row.action)
            row.action();
        midi::testing::PlayOutTimedNotes();
        svc.whileMessageShown({});
        const auto& sent = backend.sentMessages();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0], (Bytes{0x90, 48, 50}));
        std::string after;
        std::set<int> sounding = {48};
        for (std::size_t i = 1; i < sent.size(); ++i) {
            if (sent[i].size() == 163)
                after += 'V';
            else if (sent[i].size() == 3 && sent[i][2] == 50)
                after += 'n';
            else if (sent[i] == Bytes{0x90, 48, 0})
                after += 'f';
            if (sent[i].size() == 3 && sent[i][2] == 50)
                sounding.insert(sent[i][1]);
            else if (sent[i].size() == 3 && sounding.erase(sent[i][1]) == 0)
                after += 'x';
        }
        EXPECT_EQ(after, row.after);
        if (row.action && sent.size() > 1 && sent[1] == Bytes{0x90, 48, 0}) {
            EXPECT_EQ(backend.sentTimesMs()[1], cutAt) << "released at once";
        }
        EXPECT_EQ(svc.messagesShown().size(), row.refused >= 0 ? 1U : 0U);
        const auto messages = monitorMessages();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), "Output Failed"), row.outputFailed);
        EXPECT_EQ(ended, row.ended) << "each audition's end told once";
        EXPECT_FALSE(midi::testing::TimedNotesPlaying());
    }
}

TEST_F(MessagesTest, AVoiceGoesOutAsASingleVoiceDumpTheInstrumentAccepts)
{
    // An initial voice with its own name.
    auto voice = banklib::InitVoice();
    const std::string name = "BRASS  1  ";
    std::copy(name.begin(), name.end(), voice.begin() + 145);
    platform::Recordset voiceData = voiceDataOf(voice);

    EXPECT_EQ(sender.SendVoiceToMidi(voiceData, banklib::FileType::Unpacked, false), TransportResult::Ok);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    const Bytes& dump = backend.sentMessages()[0];
    ASSERT_EQ(dump.size(), 163U);
    EXPECT_EQ((Bytes{dump.begin(), dump.begin() + 6}), (Bytes{0xF0, 0x43, 0x00, 0x00, 0x01, 0x1B}));
    const auto& received = backend.dx7().received().back();
    EXPECT_EQ(received.kind, platform::SimulatedDX7::Received::Kind::Voice);
    EXPECT_TRUE(received.checksumOk) << "the instrument's own checksum agrees";
    EXPECT_EQ(backend.dx7().editBufferName(), name);
    EXPECT_TRUE(std::equal(voice.begin(), voice.end(), backend.dx7().editBuffer().begin()));
    EXPECT_EQ(monitorMessages().back(), "Long Sysex sent: length  163 bytes");

    // A recordset that holds no voice sends nothing.
    platform::Recordset empty;
    EXPECT_EQ(sender.SendVoiceToMidi(empty, banklib::FileType::Unpacked, false), TransportResult::Failed);
    EXPECT_EQ(backend.sentMessages().size(), 1U);
}
