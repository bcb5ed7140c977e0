// Brevane - tests of the MIDI device layer: stream parsing, the loopback and simulated
// instrument backends, and the real backend on a machine without a MIDI system.
#include "platform/midi/JackMidiBackend.h"
#include "platform/midi/JackMidiEventJoiner.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/MidiMapperPort.h"
#include "platform/midi/MidiStreamParser.h"
#include "platform/midi/RtMidiBackend.h"
#include "platform/midi/SimulatedDX7Backend.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <numeric>
#include <unistd.h>

using namespace platform;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Collected {
    std::vector<MidiPiece> pieces;
    MidiStreamParser::Sink sink() { return [this](MidiPiece&& p) { pieces.push_back(std::move(p)); }; }
};

class RecordingReceiver final : public MidiEventReceiver {
public:
    void post(MidiEvent e) override { events.push_back(std::move(e)); }
    std::vector<MidiEvent> events;
};

Bytes sysex(std::size_t dataBytes, std::uint8_t fill = 0x11)
{
    Bytes b(dataBytes + 2, fill);
    b.front() = 0xF0;
    b.back() = 0xF7;
    return b;
}

// Runs fn with file descriptor 2 sent to a temporary file; returns what was written.
template <class Fn>
std::string captureStderr(Fn fn)
{
    std::fflush(stderr);
    char path[] = "/tmp/brevane-stderr-XXXXXX";
    const int fd = ::mkstemp(path);
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    fn();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text;
    ::lseek(fd, 0, SEEK_SET);
    char buf[512];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    ::unlink(path);
    return text;
}

}  // namespace

// ---- stream parser

TEST(MidiStreamParser, CutsMessagesAcrossFeedsInOrder)
{
    struct Case {
        const char* name;
        std::vector<Bytes> feeds;
        std::vector<std::pair<MidiPiece::Kind, Bytes>> expected;
    };
    using K = MidiPiece::Kind;
    const std::vector<Case> cases = {
        {"sysex over three feeds", {{0xF0, 0x43}, {0x00, 0x09}, {0x01, 0xF7}},
         {{K::Message, {0xF0, 0x43, 0x00, 0x09, 0x01, 0xF7}}}},
        {"running status", {{0x90, 60, 100, 62, 100, 64}, {0}},
         {{K::Message, {0x90, 60, 100}}, {K::Message, {0x90, 62, 100}}, {K::Message, {0x90, 64, 0}}}},
        {"real-time byte inside sysex", {{0xF0, 1, 0xF8, 2, 0xF7}},
         {{K::Message, {0xF8}}, {K::Message, {0xF0, 1, 2, 0xF7}}}},
        {"program change is two bytes", {{0xC3, 5, 0xD0, 9}},
         {{K::Message, {0xC3, 5}}, {K::Message, {0xD0, 9}}}},
        {"stray data before any status", {{1, 2, 3, 0xB0, 7, 100}},
         {{K::Stray, {1, 2, 3}}, {K::Message, {0xB0, 7, 100}}}},
        {"lone F7", {{0xF7, 0xF6}}, {{K::Stray, {0xF7}}, {K::Message, {0xF6}}}},
        {"sysex cut by a status byte", {{0xF0, 0x43, 0x10, 0x80, 60, 0}},
         {{K::Incomplete, {0xF0, 0x43, 0x10}}, {K::Message, {0x80, 60, 0}}}},
        {"system common ends running status", {{0x90, 60, 1, 0xF3, 2, 61}},
         {{K::Message, {0x90, 60, 1}}, {K::Message, {0xF3, 2}}, {K::Stray, {61}}}},
    };
    for (const auto& c : cases) {
        MidiStreamParser parser;
        Collected got;
        for (const auto& f : c.feeds)
            parser.feed(f, got.sink());
        parser.finish(got.sink());
        ASSERT_EQ(got.pieces.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(got.pieces[i].kind, c.expected[i].first) << c.name << " piece " << i;
            EXPECT_EQ(got.pieces[i].bytes, c.expected[i].second) << c.name << " piece " << i;
        }
    }
}

TEST(MidiStreamParser, UnfinishedSysexComesOutOnlyAtFinish)
{
    MidiStreamParser parser;
    Collected got;
    parser.feed(Bytes{0xF0, 0x43, 0x00}, got.sink());
    EXPECT_TRUE(got.pieces.empty());
    EXPECT_TRUE(parser.midMessage());
    parser.finish(got.sink());
    ASSERT_EQ(got.pieces.size(), 1U);
    EXPECT_EQ(got.pieces[0].kind, MidiPiece::Kind::Incomplete);
}

// Every piece of a stream, fed in the given cuts and finished.
std::vector<std::pair<MidiPiece::Kind, Bytes>> parseInCuts(const Bytes& stream, const std::vector<std::size_t>& cuts)
{
    MidiStreamParser parser;
    std::vector<std::pair<MidiPiece::Kind, Bytes>> out;
    const auto sink = [&](MidiPiece&& p) { out.emplace_back(p.kind, std::move(p.bytes)); };
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        parser.feed(std::span(stream).subspan(at, cut - at), sink);
        at = cut;
    }
    parser.feed(std::span(stream).subspan(at), sink);
    parser.finish(sink);
    return out;
}

TEST(MidiStreamParser, ThePiecesDoNotDependOnHowTheStreamIsCut)
{
    const std::vector<Bytes> streams = {
        {0x01, 0x02, 0xF7, 0x90, 0x40},                          // strays, a lone F7, a cut-off note
        {0x05, 0xF0, 0x43, 0xF8, 0x00, 0xF7, 0x06, 0x07, 0xFE},  // strays around a sysex with a clock
        {0x90, 60, 100, 62, 0x11, 0xF3, 2, 61, 0xF7, 0xC0},      // running status, system common
        {0xF0, 0x01, 0x02, 0x80, 60, 0x03, 0x04, 0xF0, 0xF7},    // a sysex cut by a status byte
    };
    for (const Bytes& stream : streams) {
        const auto whole = parseInCuts(stream, {});
        ASSERT_FALSE(whole.empty());
        // Every way of cutting the stream into feeds (2^(n-1) of them) gives the same pieces.
        const std::size_t n = stream.size();
        for (std::uint32_t mask = 1; mask < (1U << (n - 1)); ++mask) {
            std::vector<std::size_t> cuts;
            for (std::size_t i = 0; i + 1 < n; ++i)
                if (mask & (1U << i))
                    cuts.push_back(i + 1);
            ASSERT_EQ(parseInCuts(stream, cuts), whole) << "stream of " << n << " bytes, cut mask " << mask;
        }
    }
    // The stream the issue was found with: one stray piece whichever way it arrives.
    using K = MidiPiece::Kind;
    const std::vector<std::pair<K, Bytes>> expected = {{K::Stray, {0x01, 0x02, 0xF7}}, {K::Incomplete, {0x90, 0x40}}};
    EXPECT_EQ(parseInCuts(streams[0], {}), expected);
    EXPECT_EQ(parseInCuts(streams[0], {2}), expected);
}

TEST(MidiStreamParser, AnEndlessSysexIsDroppedAtTheCapAndTheStreamGoesOn)
{
    constexpr std::size_t kCap = MidiStreamParser::kMaxMessageBytes;
    using K = MidiPiece::Kind;
    // F0h, 3 MiB of data, then either its F7h or straight away a note: the message is given
    // up once, when it reaches the cap, and what follows is read normally.
    for (const bool ended : {true, false}) {
        MidiStreamParser parser;
        Collected got;
        std::size_t held = 0;
        parser.feed(Bytes{0xF0, 0x43}, got.sink());
        const Bytes chunk(64 * 1024, 0x11);
        for (std::size_t sent = 0; sent < 3 * kCap; sent += chunk.size()) {
            parser.feed(chunk, got.sink());
            for (const auto& p : got.pieces)
                held = std::max(held, p.bytes.size());
        }
        EXPECT_TRUE(parser.midMessage());
        if (ended)
            parser.feed(Bytes{0xF7}, got.sink());
        parser.feed(Bytes{0x90, 60, 100}, got.sink());
        parser.finish(got.sink());
        ASSERT_EQ(got.pieces.size(), 2U) << (ended ? "with F7" : "without F7");
        EXPECT_EQ(got.pieces[0].kind, K::TooLong);
        EXPECT_LE(got.pieces[0].bytes.size(), kCap);
        EXPECT_EQ(got.pieces[0].bytes[0], 0xF0);
        EXPECT_EQ(got.pieces[1].kind, K::Message);
        EXPECT_EQ(got.pieces[1].bytes, (Bytes{0x90, 60, 100}));
        EXPECT_LE(held, kCap);
        // Reported once as too large, by its first bytes.
        const MidiEvent e = eventFromPiece(std::move(got.pieces[0]), 0);
        EXPECT_EQ(e.kind, MidiEventKind::TooLarge);
        EXPECT_EQ(e.data, 0x1143F0U);
    }
    // A message exactly at the cap is still whole.
    Bytes atCap = sysex(kCap - 2);
    EXPECT_EQ(parseInCuts(atCap, {kCap / 2}), (std::vector<std::pair<K, Bytes>>{{K::Message, atCap}}));
    atCap.insert(atCap.begin() + 1, 0x11);
    const auto over = parseInCuts(atCap, {});
    ASSERT_EQ(over.size(), 1U);
    EXPECT_EQ(over[0].first, K::TooLong);
}

// JACK events: System Exclusive runs on over events, anything else ends with its event.
TEST(JackMidiEventJoiner, JoinsSysexOverEventsAndEndsEverythingElseWithItsEvent)
{
    using K = MidiPiece::Kind;
    Collected out;
    JackMidiEventJoiner joiner(out.sink());
    const auto kinds = [&] {
        std::vector<std::pair<K, Bytes>> k;
        for (auto& p : out.pieces)
            k.emplace_back(p.kind, p.bytes);
        out.pieces.clear();
        return k;
    };
    joiner.push(Bytes{0xF0, 0x43});
    joiner.push(Bytes{});
    joiner.push(Bytes{0xF8});
    joiner.push(Bytes{0x10, 0x20});
    joiner.push(Bytes{0xF7});
    EXPECT_EQ(kinds(), (std::vector<std::pair<K, Bytes>>{{K::Message, {0xF8}},
                                                         {K::Message, {0xF0, 0x43, 0x10, 0x20, 0xF7}}}));
    // A note cut short is not finished by the next event, nor does running status carry over.
    joiner.push(Bytes{0x90, 0x3C});
    joiner.push(Bytes{0x40});
    joiner.push(Bytes{0x90, 0x3C, 0x40, 0x3E});
    EXPECT_EQ(kinds(), (std::vector<std::pair<K, Bytes>>{{K::Incomplete, {0x90, 0x3C}},
                                                         {K::Stray, {0x40}},
                                                         {K::Message, {0x90, 0x3C, 0x40}},
                                                         {K::Incomplete, {0x90, 0x3E}}}));
    // System Exclusive cut by a note: the data events after it are one run of stray bytes,
    // up to the next status byte, real-time bytes passing through.
    joiner.push(Bytes{0xF0, 0x43, 0x01});
    joiner.push(Bytes{0x90, 0x3C, 0x40});
    joiner.push(Bytes{0x02, 0x03});
    joiner.push(Bytes{0x04, 0xF8, 0x05});
    joiner.push(Bytes{0x06, 0xF7});
    joiner.push(Bytes{0xF0, 0x7D, 0xF7});
    EXPECT_EQ(kinds(), (std::vector<std::pair<K, Bytes>>{{K::Incomplete, {0xF0, 0x43, 0x01}},
                                                         {K::Message, {0x90, 0x3C, 0x40}},
                                                         {K::Stray, {0x02, 0x03}},
                                                         {K::Message, {0xF8}},
                                                         {K::Stray, {0xF7}},
                                                         {K::Message, {0xF0, 0x7D, 0xF7}}}));
}

TEST(MidiEvents, PiecesBecomeNotifications)
{
    const MidiEvent whole = eventFromPiece({MidiPiece::Kind::Message, {0xF0, 0x43, 0xF7}}, 5);
    EXPECT_EQ(whole.kind, MidiEventKind::LongData);
    EXPECT_EQ(whole.timeMs, 5U);
    // A data byte with bit 7 set inside System Exclusive data breaks the message.
    EXPECT_EQ(eventFromPiece({MidiPiece::Kind::Message, {0xF0, 0x80, 0xF7}}, 0).kind,
              MidiEventKind::LongError);
    EXPECT_EQ(eventFromPiece({MidiPiece::Kind::Incomplete, {0xF0, 0x43}}, 0).kind,
              MidiEventKind::LongError);
    const MidiEvent note = eventFromPiece({MidiPiece::Kind::Message, {0x91, 60, 100}}, 0);
    EXPECT_EQ(note.kind, MidiEventKind::Data);
    EXPECT_EQ(note.data, 0x643C91U);
    EXPECT_EQ(eventFromPiece({MidiPiece::Kind::Stray, {5}}, 0).kind, MidiEventKind::Error);
}

// ---- sending through a backend

TEST(MidiBackendSend, ChecksMessagesBeforeTheyGoOut)
{
    LoopbackMidiBackend b;
    b.refreshDevices();
    EXPECT_EQ(b.sendMessage(Bytes{0x90, 60, 1}), MidiResult::InvalidHandle) << "output closed";
    ASSERT_EQ(b.openOutput(0), MidiResult::NoError);
    EXPECT_EQ(b.sendMessage(Bytes{0x90, 60, 1}), MidiResult::NoError);
    EXPECT_EQ(b.sendMessage(Bytes{0x90, 60}), MidiResult::InvalidParameter) << "too short for note-on";
    EXPECT_EQ(b.sendMessage(Bytes{0xC0, 1, 2}), MidiResult::InvalidParameter) << "too long for program change";
    EXPECT_EQ(b.sendMessage(Bytes{0x90, 60, 0x80}), MidiResult::InvalidParameter) << "8-bit data";
    EXPECT_EQ(b.sendMessage(Bytes{0xF0, 0x43, 0x00}), MidiResult::InvalidParameter) << "no F7";
    EXPECT_EQ(b.sendMessage(Bytes{0xF0, 0x43, 0xFF, 0xF7}), MidiResult::InvalidParameter);
    EXPECT_EQ(b.sendMessage(Bytes{}), MidiResult::InvalidParameter);
    EXPECT_EQ(b.sendMessage(Bytes{0x10, 0x20}), MidiResult::InvalidParameter) << "no status byte";
    // A packed short message takes its length from the status byte.
    EXPECT_EQ(b.sendShort(0x00FF05C2), MidiResult::NoError);
    EXPECT_EQ(b.sendShort(0x00000005), MidiResult::InvalidParameter);
    ASSERT_EQ(b.sentMessages().size(), 2U);
    EXPECT_EQ(b.sentMessages()[1], (Bytes{0xC2, 0x05}));
}

TEST(MidiBackendSend, StreamOfSlicesIsReassembledIntoWholeMessages)
{
    // Two banks and a parameter change, sent in slices that cut the messages anywhere.
    Bytes file;
    const Bytes bank1 = sysex(4102, 0x01), bank2 = sysex(4102, 0x02);
    const Bytes param = {0xF0, 0x43, 0x10, 0x00, 0x05, 0x63, 0xF7};
    for (const Bytes* m : {&bank1, &param, &bank2})
        file.insert(file.end(), m->begin(), m->end());
    for (const std::size_t slice : {4096U, 1000U, 7U, 1U}) {
        LoopbackMidiBackend b;
        b.refreshDevices();
        ASSERT_EQ(b.openOutput(0), MidiResult::NoError);
        platform::MidiStreamParser stream;
        std::size_t sent = 0;
        for (std::size_t off = 0; off < file.size(); off += slice) {
            const auto r = b.sendStream(stream, std::span(file).subspan(off, std::min(slice, file.size() - off)));
            EXPECT_EQ(r.result, MidiResult::NoError);
            EXPECT_EQ(r.bytesNotSent, 0U);
            sent += r.messagesSent;
        }
        const auto end = b.finishStream(stream);
        EXPECT_EQ(end.bytesNotSent, 0U);
        EXPECT_EQ(sent, 3U) << "slice " << slice;
        ASSERT_EQ(b.sentMessages().size(), 3U);
        EXPECT_EQ(b.sentMessages()[0], bank1);
        EXPECT_EQ(b.sentMessages()[1], param);
        EXPECT_EQ(b.sentMessages()[2], bank2);
    }
}

TEST(MidiBackendSend, StreamReportsWhatCouldNotBeSent)
{
    LoopbackMidiBackend b;
    b.refreshDevices();
    ASSERT_EQ(b.openOutput(0), MidiResult::NoError);
    // Garbage, a whole message, then a message that never ends.
    const Bytes bytes = {0x01, 0x02, 0xF0, 0x43, 0xF7, 0xF0, 0x43, 0x00};
    platform::MidiStreamParser stream;
    const auto r = b.sendStream(stream, bytes);
    EXPECT_EQ(r.messagesSent, 1U);
    EXPECT_EQ(r.bytesNotSent, 2U);
    EXPECT_EQ(r.result, MidiResult::InvalidParameter);
    const auto end = b.finishStream(stream);
    EXPECT_EQ(end.bytesNotSent, 3U);
    EXPECT_NE(end.result, MidiResult::NoError);
    // A failing device is reported too.
    b.failSends(1, MidiResult::NotReady);
    const auto failed = b.sendStream(stream, Bytes{0x90, 60, 1});
    EXPECT_EQ(failed.result, MidiResult::NotReady);
    EXPECT_EQ(failed.bytesNotSent, 3U);
}

// ---- loopback

TEST(LoopbackMidiBackend, EchoesOnlyWhileInputIsStarted)
{
    platform::testing::ScriptedServices svc;
    LoopbackMidiBackend b;
    RecordingReceiver rx;
    b.refreshDevices();
    ASSERT_EQ(b.openInput(0, rx), MidiResult::NoError);
    ASSERT_EQ(b.openOutput(0), MidiResult::NoError);
    ASSERT_EQ(b.sendMessage(Bytes{0x90, 60, 1}), MidiResult::NoError);
    EXPECT_TRUE(rx.events.empty()) << "not started yet";
    ASSERT_EQ(b.startInput(), MidiResult::NoError);
    svc.advance(250);
    ASSERT_EQ(b.sendMessage(sysex(10)), MidiResult::NoError);
    ASSERT_EQ(rx.events.size(), 1U);
    EXPECT_EQ(rx.events[0].kind, MidiEventKind::LongData);
    EXPECT_EQ(rx.events[0].timeMs, 250U);
    b.closeInput();
    b.inject(sysex(3));
    EXPECT_EQ(rx.events.size(), 1U) << "nothing after close";
}

TEST(LoopbackMidiBackend, DevicesAreLookedUpAgainByNameWhenOpened)
{
    LoopbackMidiBackend b;
    RecordingReceiver rx;
    b.setInputs({{"A"}, {"B"}});
    b.refreshDevices();
    b.setInputs({{"B"}});  // A was unplugged after the list was taken
    EXPECT_EQ(b.openInput(0, rx), MidiResult::NoDevice);
    EXPECT_EQ(b.openInput(1, rx), MidiResult::NoError);
    EXPECT_EQ(b.openInput(1, rx), MidiResult::Allocated);
    EXPECT_EQ(b.openInput(7, rx), MidiResult::BadDeviceId);
}

// ---- simulated DX7

TEST(SimulatedDX7, AnswersRequestsForItsOwnDeviceNumberOnly)
{
    SimulatedDX7 dx7(3);
    EXPECT_TRUE(dx7.receive(Bytes{0xF0, 0x43, 0x20, 0x09, 0xF7}).empty()) << "device 0 is not ours";
    const auto bank = dx7.receive(Bytes{0xF0, 0x43, 0x23, 0x09, 0xF7});
    ASSERT_EQ(bank.size(), 1U);
    const Bytes& b = bank[0];
    ASSERT_EQ(b.size(), 4104U);
    EXPECT_EQ((Bytes{b.begin(), b.begin() + 6}), (Bytes{0xF0, 0x43, 0x03, 0x09, 0x20, 0x00}));
    EXPECT_EQ(b.back(), 0xF7);
    // The data bytes and the checksum add up to a multiple of 128.
    EXPECT_EQ(std::accumulate(b.begin() + 6, b.end() - 1, 0U) % 128, 0U);
    const auto voice = dx7.receive(Bytes{0xF0, 0x43, 0x23, 0x00, 0xF7});
    ASSERT_EQ(voice.size(), 1U);
    ASSERT_EQ(voice[0].size(), 163U);
    EXPECT_EQ((Bytes{voice[0].begin(), voice[0].begin() + 6}), (Bytes{0xF0, 0x43, 0x03, 0x00, 0x01, 0x1B}));
    EXPECT_EQ(std::accumulate(voice[0].begin() + 6, voice[0].end() - 1, 0U) % 128, 0U);
    EXPECT_EQ(dx7.voiceName(0), "SimVoice01");
    EXPECT_EQ(dx7.voiceName(31), "SimVoice32");
    EXPECT_EQ(dx7.count(SimulatedDX7::Received::Kind::BankRequest), 1U);
    EXPECT_EQ(dx7.count(SimulatedDX7::Received::Kind::Other), 1U);
}

TEST(SimulatedDX7, TakesParameterChangesVoicesAndBanksAndRecordsBadChecksums)
{
    SimulatedDX7 dx7(0);
    EXPECT_TRUE(dx7.receive(Bytes{0xF0, 0x43, 0x10, 0x01, 0x1A, 0x05, 0xF7}).empty());
    EXPECT_EQ(dx7.editBuffer()[154], 0x05) << "parameter 155 is the last name character";

    Bytes voice = dx7.singleVoiceDump();
    voice[6 + 145] = 'Z';  // change the name without fixing the checksum
    (void)dx7.receive(voice);
    EXPECT_EQ(dx7.badChecksums(), 1);
    EXPECT_NE(dx7.editBufferName()[0], 'Z') << "a voice with a bad checksum is not taken";
    voice[161] = SimulatedDX7::checksum(std::span(voice).subspan(6, 155));
    (void)dx7.receive(voice);
    EXPECT_EQ(dx7.badChecksums(), 1);
    EXPECT_EQ(dx7.editBufferName()[0], 'Z');

    SimulatedDX7 other(0);
    Bytes bank = other.bulkDump();
    bank[6 + 118] = 'Q';  // first voice's name
    bank[4102] = SimulatedDX7::checksum(std::span(bank).subspan(6, 4096));
    (void)dx7.receive(bank);
    EXPECT_EQ(dx7.voiceName(0)[0], 'Q');
    const auto& last = dx7.received().back();
    EXPECT_EQ(last.kind, SimulatedDX7::Received::Kind::Bank);
    EXPECT_TRUE(last.checksumOk);
}

TEST(SimulatedDX7, SilentAndTruncatedReplies)
{
    SimulatedDX7 dx7(0);
    dx7.setSilent(true);
    EXPECT_TRUE(dx7.receive(Bytes{0xF0, 0x43, 0x20, 0x09, 0xF7}).empty());
    dx7.setSilent(false);
    dx7.setTruncateRepliesTo(100);
    const auto r = dx7.receive(Bytes{0xF0, 0x43, 0x20, 0x09, 0xF7});
    ASSERT_EQ(r.size(), 1U);
    EXPECT_EQ(r[0].size(), 100U);
    EXPECT_EQ(r[0].back(), 0xF7);
}

TEST(SimulatedDX7Backend, RepliesArriveAfterTheDelayOnTheProgramsClock)
{
    platform::testing::ScriptedServices svc;
    SimulatedDX7Backend b(0);
    RecordingReceiver rx;
    b.dx7().setReplyDelayMs(500);
    b.refreshDevices();
    ASSERT_EQ(b.openInput(0, rx), MidiResult::NoError);
    ASSERT_EQ(b.startInput(), MidiResult::NoError);
    ASSERT_EQ(b.openOutput(0), MidiResult::NoError);
    ASSERT_EQ(b.sendMessage(Bytes{0xF0, 0x43, 0x20, 0x00, 0xF7}), MidiResult::NoError);
    b.poll();
    EXPECT_TRUE(rx.events.empty());
    svc.advance(499);
    b.poll();
    EXPECT_TRUE(rx.events.empty());
    svc.advance(1);
    b.poll();
    ASSERT_EQ(rx.events.size(), 1U);
    EXPECT_EQ(rx.events[0].bytes.size(), 163U);
    EXPECT_EQ(rx.events[0].timeMs, 500U);
}

// ---- the real backend without a MIDI system

TEST(RtMidiBackend, CleansAlsaPortNumbersFromNames)
{
    EXPECT_EQ(RtMidiBackend::cleanPortName("USB MIDI:USB MIDI MIDI 1 24:0"), "USB MIDI:USB MIDI MIDI 1");
    EXPECT_EQ(RtMidiBackend::cleanPortName("Midi Through:Midi Through Port-0 14:0"),
              "Midi Through:Midi Through Port-0");
    EXPECT_EQ(RtMidiBackend::cleanPortName("brevsim In:midi_out"), "brevsim In:midi_out");
    EXPECT_EQ(RtMidiBackend::cleanPortName("Synth 1:2"), "Synth") << "only digits:digits is dropped";
    EXPECT_EQ(RtMidiBackend::cleanPortName("Synth a:2"), "Synth a:2");
}

TEST(RtMidiBackend, WithoutAMidiSystemListsNothingFailsQuietlyAndNeverThrows)
{
    if (RtMidiBackend::alsaSequencerPresent())
        GTEST_SKIP() << "this machine has an ALSA sequencer; the offline case cannot be shown here";
    const std::string noise = captureStderr([] {
        RtMidiBackend alsa;
        EXPECT_FALSE(alsa.systemPresent());
        alsa.refreshDevices();
        EXPECT_EQ(alsa.inputCount(), 0);
        EXPECT_EQ(alsa.outputCount(), 0);
        RecordingReceiver rx;
        EXPECT_NE(alsa.openInput(0, rx), MidiResult::NoError);
        EXPECT_NE(alsa.openOutput(0), MidiResult::NoError);
        EXPECT_EQ(alsa.sendMessage(Bytes{0x90, 60, 1}), MidiResult::InvalidHandle);

        // JACK with no server under this name.
        ::setenv("JACK_DEFAULT_SERVER", "brevane-no-such-server", 1);
        JackMidiBackend jack;
        jack.refreshDevices();
        EXPECT_EQ(jack.inputCount(), 0);
        EXPECT_FALSE(JackMidiBackend::serverRunning());
        EXPECT_NE(jack.openOutput(0), MidiResult::NoError);
        EXPECT_NE(jack.mapper()->open(), MidiResult::NoError);
        ::unsetenv("JACK_DEFAULT_SERVER");
    });
    EXPECT_EQ(noise, "");
}
