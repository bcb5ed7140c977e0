// Brevane - tests of the Standard MIDI File reader on files the tests write: timing under
// tempo maps and SMPTE, merged tracks, running status, joined System Exclusive messages,
// and damaged or foreign files that are read as far as readable or refused.
#include "midi/MidiFile.h"
#include "midi/testing/MidiFileBuilder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

using midi::MidiFileError;
using midi::readMidiFile;
using namespace midi::testing;

namespace {

// (time in ms, status, data1, data2) of every short message, in order.
struct Timed {
    std::int64_t ms;
    std::uint32_t data;
    bool operator==(const Timed&) const = default;
};

std::vector<Timed> timeline(const midi::MidiFile& f)
{
    std::vector<Timed> out;
    for (const auto& e : f.events)
        out.push_back({e.timeUs / 1000, e.isSysex() ? 0xF0 : e.data});
    return out;
}

constexpr std::uint32_t msg(int status, int d1, int d2 = 0)
{
    return static_cast<std::uint32_t>(status) | (static_cast<std::uint32_t>(d1) << 8) |
           (static_cast<std::uint32_t>(d2) << 16);
}

Bytes withoutLastBytes(Bytes b, std::size_t n)
{
    b.resize(b.size() - n);
    return b;
}

}  // namespace

TEST(MidiFileReader, TimesFollowTheTempoMapFromTheFirstTempoOn)
{
    TrackBuilder t;
    t.tempo(0, 500'000)                // 120 BPM: 480 ticks = 500 ms
        .noteOn(0, 0, 60, 100)
        .noteOff(480, 0, 60)          // 500 ms
        .tempo(0, 250'000)            // 240 BPM from here
        .noteOn(0, 1, 62, 90)         // 500 ms
        .noteOff(480, 1, 62)          // 750 ms
        .end(960);                     // 1250 ms
    const auto r = readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, MidiFileError::None) << r.message;
    EXPECT_FALSE(r.file.damaged) << r.file.damageNote;
    EXPECT_EQ(timeline(r.file), (std::vector<Timed>{{0, msg(0x90, 60, 100)},
                                                    {500, msg(0x80, 60)},
                                                    {500, msg(0x91, 62, 90)},
                                                    {750, msg(0x81, 62)}}));
    EXPECT_EQ(r.file.lengthUs, 1'250'000) << "the end-of-track mark counts for the length";
    EXPECT_EQ(r.file.firstTempoBpm(), 120);
    EXPECT_EQ(r.file.channelsUsed, 0b11);
    ASSERT_EQ(r.file.tempoMap.size(), 2U);
    EXPECT_EQ(r.file.tempoMap[1].timeUs, 500'000);
}

TEST(MidiFileReader, WithoutATempoEventAFilePlaysAt120AndItsFirstTempoIsTheOneAtTheStart)
{
    TrackBuilder plain;
    plain.noteOn(96, 0, 60, 100).end(0);
    const auto r = readMidiFile(buildMidiFile(0, 96, {plain}));
    ASSERT_EQ(r.error, MidiFileError::None);
    EXPECT_EQ(r.file.events.at(0).timeUs, 500'000);
    EXPECT_EQ(r.file.firstTempoBpm(), 120);

    TrackBuilder slow;
    slow.tempo(0, 600'000).noteOn(96, 0, 60, 100).end(0);
    EXPECT_EQ(readMidiFile(buildMidiFile(0, 96, {slow})).file.firstTempoBpm(), 100);
}

TEST(MidiFileReader, TracksOfAFormat1FileAreMergedByTimeInTrackOrderAndShareTheTempoMap)
{
    TrackBuilder conductor;
    conductor.tempo(0, 1'000'000).tempo(100, 500'000).end(0);  // 60 BPM, then 120 at tick 100
    TrackBuilder a;
    a.noteOn(100, 0, 60, 1).noteOn(100, 0, 61, 1).end(0);
    TrackBuilder b;
    b.noteOn(100, 1, 70, 1).noteOn(50, 1, 71, 1).end(0);
    const auto r = readMidiFile(buildMidiFile(1, 100, {conductor, a, b}));
    ASSERT_EQ(r.error, MidiFileError::None) << r.message;
    EXPECT_EQ(r.file.trackCount, 3);
    EXPECT_EQ(timeline(r.file), (std::vector<Timed>{{1000, msg(0x90, 60, 1)},
                                                    {1000, msg(0x91, 70, 1)},
                                                    {1250, msg(0x91, 71, 1)},
                                                    {1500, msg(0x90, 61, 1)}}));
}

TEST(MidiFileReader, SmpteDivisionTimesTicksAsFramesAtTheFileRate)
{
    TrackBuilder t;
    t.tempo(0, 250'000).noteOn(40, 0, 60, 1).noteOn(1000, 0, 61, 1).end(0);
    // 25 frames a second, 40 ticks a frame: one tick is a millisecond; tempo plays no part.
    const auto r = readMidiFile(buildMidiFile(0, (0xE7 << 8) | 40, {t}));
    ASSERT_EQ(r.error, MidiFileError::None) << r.message;
    EXPECT_EQ(r.file.smpteFps, 25);
    EXPECT_EQ(timeline(r.file), (std::vector<Timed>{{40, msg(0x90, 60, 1)}, {1040, msg(0x90, 61, 1)}}));
    EXPECT_EQ(r.file.firstTempoBpm(), 120);

    TrackBuilder drop;
    drop.noteOn(2997, 0, 60, 1).end(0);
    // 29.97 frames a second, 1 tick a frame: 2997 frames are 100 seconds.
    const auto d = readMidiFile(buildMidiFile(0, (0xE3 << 8) | 1, {drop}));
    ASSERT_EQ(d.error, MidiFileError::None);
    EXPECT_EQ(d.file.events.at(0).timeUs, 100'000'000);
}

TEST(MidiFileReader, RunningStatusCarriesOverMetaEventsAndSystemExclusive)
{
    TrackBuilder t;
    t.noteOn(0, 2, 60, 100)
        .raw(10, {62, 100})                 // running status
        .raw(0, {0xFF, 0x01, 0x01, 'x'})    // a text event between
        .raw(10, {64, 0})                   // still the note-on status
        .end(0);
    const auto r = readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, MidiFileError::None);
    EXPECT_FALSE(r.file.damaged);
    ASSERT_EQ(r.file.events.size(), 3U);
    EXPECT_EQ(r.file.events[1].data, msg(0x92, 62, 100));
    EXPECT_EQ(r.file.events[2].data, msg(0x92, 64, 0));
}

TEST(MidiFileReader, SystemExclusivePacketsAreJoinedIntoOneMessageAtTheFirstPacketsTime)
{
    const Bytes first{0x43, 0x10, 0x01};               // no F7: more follows
    const Bytes second{0x1B, 0x05};
    const Bytes last{0x63, 0xF7};
    const Bytes whole{0x43, 0x10, 0x00, 0x00, 0x10, 0xF7};
    TrackBuilder t;
    t.sysex(0, whole).sysex(480, first).sysexContinuation(10, second).sysexContinuation(10, last).end(0);
    const auto r = readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, MidiFileError::None);
    EXPECT_FALSE(r.file.damaged) << r.file.damageNote;
    ASSERT_EQ(r.file.events.size(), 2U);
    const auto one = r.file.sysex(r.file.events[0]);
    EXPECT_EQ(Bytes(one.begin(), one.end()), (Bytes{0xF0, 0x43, 0x10, 0x00, 0x00, 0x10, 0xF7}));
    const auto joined = r.file.sysex(r.file.events[1]);
    EXPECT_EQ(Bytes(joined.begin(), joined.end()), (Bytes{0xF0, 0x43, 0x10, 0x01, 0x1B, 0x05, 0x63, 0xF7}));
    EXPECT_EQ(r.file.events[1].timeUs, 500'000);
}

TEST(MidiFileReader, EventsBetweenTheDumpPacketsKeepTheTimeOrder)
{
    // Notes that stand between the packets of a dump play after it: it starts first.
    const Bytes first{0x43, 0x10, 0x01};
    const Bytes last{0x1B, 0x05, 0xF7};
    TrackBuilder t;
    t.sysex(0, first).noteOn(480, 0, 60, 100).noteOff(480, 0, 60).sysexContinuation(480, last).noteOn(0, 0, 62, 90).end(0);
    const auto r = readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, MidiFileError::None);
    EXPECT_EQ(timeline(r.file), (std::vector<Timed>{{0, 0xF0}, {500, msg(0x90, 60, 100)}, {1000, msg(0x80, 60)},
                                                    {1500, msg(0x90, 62, 90)}}));
    EXPECT_EQ(r.file.lengthUs, 1'500'000);
}

TEST(MidiFileReader, EscapedBytesPlayWhenTheyAreWholeMessagesAndArePassedOverOtherwise)
{
    const Bytes note{0x93, 0x40, 0x50};
    const Bytes stray{0x40, 0x50};
    TrackBuilder t;
    t.sysexContinuation(0, note).sysexContinuation(0, stray).end(0);
    const auto r = readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, MidiFileError::None);
    ASSERT_EQ(r.file.events.size(), 1U);
    EXPECT_EQ(r.file.events[0].data, msg(0x93, 0x40, 0x50));
    EXPECT_TRUE(r.file.damaged);
}

// ---- foreign and damaged files

TEST(MidiFileReader, FilesThatCannotBePlayedAreRefusedWithAReason)
{
    TrackBuilder t;
    t.noteOn(0, 0, 60, 100).end(0);
    const std::string text = "This is a text file, not music.\n";
    struct Case {
        const char* what;
        Bytes bytes;
        MidiFileError error;
    };
    const std::vector<Case> cases = {
        {"empty", {}, MidiFileError::NotMidi},
        {"text", Bytes(text.begin(), text.end()), MidiFileError::NotMidi},
        {"a header cut short", withoutLastBytes(buildMidiFile(0, 480, {}), 3), MidiFileError::NotMidi},
        {"format 2", buildMidiFile(2, 480, {t}), MidiFileError::UnsupportedFormat},
        {"division 0", buildMidiFile(0, 0, {t}), MidiFileError::BadDivision},
        {"an SMPTE rate of 23", buildMidiFile(0, (0xE9 << 8) | 4, {t}), MidiFileError::BadDivision},
        {"no track", buildMidiFile(0, 480, {}), MidiFileError::NoTracks},
    };
    for (const Case& c : cases) {
        const auto r = readMidiFile(c.bytes);
        EXPECT_EQ(r.error, c.error) << c.what;
        EXPECT_FALSE(r.message.empty()) << c.what;
        EXPECT_TRUE(r.file.events.empty()) << c.what;
    }
}

TEST(MidiFileReader, DamagedFilesAreReadAsFarAsTheyAreReadable)
{
    auto twoNotesThen = [](std::initializer_list<std::uint8_t> fault) {
        TrackBuilder t;
        t.noteOn(0, 0, 60, 100).noteOn(10, 0, 62, 100);
        t.raw(10, fault);
        t.noteOn(10, 0, 64, 100).end(0);
        return buildMidiFile(0, 480, {t});
    };
    TrackBuilder good;
    good.noteOn(0, 0, 60, 100).noteOn(10, 0, 62, 100).end(0);
    const Bytes goodFile = buildMidiFile(0, 480, {good});

    // A track chunk that claims more bytes than the file has.
    Bytes longChunk = goodFile;
    longChunk[14 + 7] = static_cast<std::uint8_t>(longChunk[14 + 7] + 40);

    TrackBuilder noEnd;
    noEnd.noteOn(0, 0, 60, 100).noteOn(10, 0, 62, 100);

    TrackBuilder runningFirst;
    runningFirst.raw(0, {60, 100});

    TrackBuilder longVarLen;
    longVarLen.noteOn(0, 0, 60, 100).noteOn(10, 0, 62, 100).raw(0, {});
    Bytes longDelta = buildMidiFile(0, 480, {longVarLen});
    // Replace the last delta (0) by five continuation bytes.
    longDelta.pop_back();
    for (int i = 0; i < 5; ++i)
        longDelta.push_back(0x81);
    longDelta[18 + 3] = static_cast<std::uint8_t>(longDelta[18 + 3] + 4);

    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t events;
    };
    const std::vector<Case> cases = {
        {"cut inside the track", withoutLastBytes(goodFile, 5), 1},
        {"no end-of-track", buildMidiFile(0, 480, {noEnd}), 2},
        {"a chunk length past the end", longChunk, 2},
        {"more tracks in the header than in the file", buildMidiFile(1, 480, 4, {good}), 2},
        {"a meta event longer than its track", twoNotesThen({0xFF, 0x01, 0x7F, 'a'}), 2},
        {"a System Exclusive message longer than its track", twoNotesThen({0xF0, 0x7F, 0x43}), 2},
        {"a status byte no file may hold", twoNotesThen({0xF4}), 2},
        {"a note short of a data byte", twoNotesThen({0x90, 0x40, 0x90}), 2},
        {"a System Exclusive byte over 127", twoNotesThen({0xF0, 0x03, 0x43, 0x99, 0xF7}), 3},
        {"running status with none set", buildMidiFile(0, 480, {runningFirst, good}), 2},
        {"a variable-length number over four bytes", longDelta, 2},
    };
    for (const Case& c : cases) {
        const auto r = readMidiFile(c.bytes);
        ASSERT_EQ(r.error, MidiFileError::None) << c.what << ": " << r.message;
        EXPECT_TRUE(r.file.damaged) << c.what;
        EXPECT_FALSE(r.file.damageNote.empty()) << c.what;
        EXPECT_EQ(r.file.events.size(), c.events) << c.what;
    }
}

TEST(MidiFileReader, UnknownChunksAreSkippedAndATempoOf0IsPassedOver)
{
    TrackBuilder t;
    t.tempo(0, 0).noteOn(480, 0, 60, 100).end(0);
    Bytes file = buildMidiFile(0, 480, {});
    const Bytes junk{1, 2, 3, 4, 5};
    const Bytes unknown = chunk("XFIH", junk);
    file.insert(file.end(), unknown.begin(), unknown.end());
    const Bytes track = chunk("MTrk", t.bytes());
    file.insert(file.end(), track.begin(), track.end());
    file[11] = 1;  // the header's track count
    const auto r = readMidiFile(file);
    ASSERT_EQ(r.error, MidiFileError::None) << r.message;
    ASSERT_EQ(r.file.events.size(), 1U);
    EXPECT_EQ(r.file.events[0].timeUs, 500'000) << "the default tempo goes on";
    EXPECT_TRUE(r.file.tempoMap.empty());
}

TEST(MidiFileReader, HugeTimesAreHeldWithinRangeAndTheEventCountIsBounded)
{
    TrackBuilder t;
    t.tempo(0, 0xFFFFFF);
    for (int i = 0; i < 40; ++i)
        t.noteOn(0x0FFFFFFF, 0, 60, 1);
    t.end(0);
    const auto r = readMidiFile(buildMidiFile(0, 1, {t}));
    ASSERT_EQ(r.error, MidiFileError::None);
    for (std::size_t i = 1; i < r.file.events.size(); ++i)
        EXPECT_LE(r.file.events[i - 1].timeUs, r.file.events[i].timeUs);
    EXPECT_GT(r.file.lengthUs, 0);

    // One event more than the reader keeps: 3-byte notes under running status.
    TrackBuilder many;
    many.noteOn(0, 0, 60, 1);
    Bytes body = many.bytes();
    body.reserve(midi::kMaxMidiFileEvents * 3 + 16);
    for (std::size_t i = 0; i < midi::kMaxMidiFileEvents; ++i) {
        body.push_back(0);
        body.push_back(60);
        body.push_back(1);
    }
    Bytes file = buildMidiFile(0, 480, {});
    file[11] = 1;
    const Bytes track = chunk("MTrk", body);
    file.insert(file.end(), track.begin(), track.end());
    const auto big = readMidiFile(file);
    ASSERT_EQ(big.error, MidiFileError::None);
    EXPECT_EQ(big.file.events.size(), midi::kMaxMidiFileEvents);
    EXPECT_TRUE(big.file.damaged);
}

TEST(MidiFileReader, FilesOnDiskAreReadWholeAndHugeOrMissingOnesAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    TrackBuilder t;
    t.noteOn(0, 0, 60, 100).end(0);
    const Bytes bytes = buildMidiFile(0, 480, {t});
    const std::string path = folder + "/song.mid";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    const auto ok = midi::loadMidiFile(path);
    EXPECT_EQ(ok.error, MidiFileError::None);
    EXPECT_EQ(ok.file.events.size(), 1U);

    EXPECT_EQ(midi::loadMidiFile(folder + "/none.mid").error, MidiFileError::Unreadable);
    EXPECT_EQ(midi::loadMidiFile(folder).error, MidiFileError::Unreadable);

    // 100 MB, sparse: refused by its size without being read.
    const std::string huge = folder + "/huge.mid";
    const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 100'000'000), 0);
    ::close(fd);
    const auto refused = midi::loadMidiFile(huge);
    EXPECT_EQ(refused.error, MidiFileError::TooLarge);
    EXPECT_FALSE(refused.message.empty());
}
