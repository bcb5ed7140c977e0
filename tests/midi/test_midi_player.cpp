// Brevane - tests of the MIDI file player: the playback schedule on a fake clock (timing,
// tempo, silencing, the state sent after a jump, the end), and the player with its
// MidiFilePlayer command on files the tests write, played through a recording Mapper.
#include "banklib/AppState.h"
#include "midi/PlaybackSchedule.h"
#include "midi/clsMIDIFilePlayer.h"
#include "midi/clsMIDIInit.h"
#include "midi/testing/MidiFileBuilder.h"
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/testing/ScriptedServices.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

using namespace midi::testing;
using midi::PlaybackSchedule;

namespace {

using Messages = std::vector<Bytes>;

struct Collect {
    Messages out;
    midi::MidiMessageSink sink()
    {
        return [this](std::span<const std::uint8_t> m) { out.emplace_back(m.begin(), m.end()); };
    }
    Messages take() { return std::exchange(out, {}); }
};

midi::MidiFile read(const Bytes& bytes)
{
    auto r = midi::readMidiFile(bytes);
    EXPECT_EQ(r.error, midi::MidiFileError::None) << r.message;
    return std::move(r.file);
}

// Four quarter notes at 120 BPM on channel 0 (one every 500 ms), and one on channel 3;
// damaged, with a second (empty) track that the header does not count.
Bytes fourNotes(bool damaged = false)
{
    TrackBuilder t;
    t.noteOn(0, 0, 60, 100)
        .noteOff(480, 0, 60)
        .noteOn(0, 0, 62, 100)
        .noteOff(480, 0, 62)
        .noteOn(0, 0, 64, 100)
        .noteOn(0, 3, 40, 80)
        .noteOff(480, 0, 64)
        .noteOn(0, 0, 65, 100)
        .noteOff(480, 0, 65)
        .noteOff(0, 3, 40)
        .end(0);
    if (damaged)
        return buildMidiFile(1, 480, 1, {t, TrackBuilder().end(0)});
    return buildMidiFile(0, 480, {t});
}

constexpr std::int64_t kMs = 1000;

}  // namespace

// ---------------------------------------------------------------- the schedule

TEST(PlaybackSchedule, MessagesGoOutWhenDueAndTheNextDueTimeIsGiven)
{
    const auto file = read(fourNotes());
    PlaybackSchedule s(file);
    Collect c;
    const std::int64_t t0 = 7'000'000;  // any origin
    s.start(t0, c.sink());
    auto next = s.advance(t0, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0x90, 60, 100}}));
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, t0 + 500 * kMs);
    (void)s.advance(t0 + 499 * kMs, c.sink());
    EXPECT_TRUE(c.take().empty());
    next = s.advance(t0 + 500 * kMs, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0x80, 60, 0}, {0x90, 62, 100}}));
    EXPECT_EQ(s.positionAt(t0 + 750 * kMs), 750 * kMs);
    EXPECT_EQ(s.soundingNotes(0), 1);
}

TEST(PlaybackSchedule, TheTempoScalesTheFilesOwnTimeFromTheMomentItChanges)
{
    const auto file = read(fourNotes());
    PlaybackSchedule s(file);
    Collect c;
    s.setRate(240, 120, 0);  // twice as fast
    s.start(0, c.sink());
    (void)s.advance(0, c.sink());
    EXPECT_EQ(*s.advance(0, c.sink()), 250 * kMs) << "the second note, 500 ms into the file";
    (void)s.advance(250 * kMs, c.sink());
    EXPECT_EQ(s.positionAt(250 * kMs), 500 * kMs);
    // Back to the file's own tempo at 250 ms: the third note, at 1000 ms of the file, is 500 ms on.
    s.setRate(120, 120, 250 * kMs);
    EXPECT_EQ(*s.advance(250 * kMs, c.sink()), 750 * kMs);
    EXPECT_EQ(s.positionAt(500 * kMs), 750 * kMs);
    // Half speed: 1 ms of the clock is half a millisecond of the file.
    s.setRate(60, 120, 500 * kMs);
    EXPECT_EQ(s.positionAt(600 * kMs), 800 * kMs);
}

TEST(PlaybackSchedule, StoppingSilencesTheSoundingNotesAndTheFilesChannels)
{
    const auto file = read(fourNotes());
    PlaybackSchedule s(file);
    Collect c;
    s.start(0, c.sink());
    (void)s.advance(1000 * kMs, c.sink());  // notes 64 (channel 0) and 40 (channel 3) sound
    c.take();
    s.halt(1100 * kMs, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0x80, 64, 0},
                                  {0x83, 40, 0},
                                  {0xB0, 64, 0},
                                  {0xB0, 123, 0},
                                  {0xB3, 64, 0},
                                  {0xB3, 123, 0}}));
    EXPECT_FALSE(s.playing());
    EXPECT_EQ(s.positionAt(5000 * kMs), 1100 * kMs) << "the position stands while stopped";
    EXPECT_EQ(s.soundingNotes(0), 0);
}

TEST(PlaybackSchedule, AJumpSendsEachChannelsStateAtTheNewPosition)
{
    TrackBuilder t;
    t.controller(0, 1, 0, 2)        // bank select
        .controller(0, 1, 32, 5)
        .program(0, 1, 17)
        .controller(0, 1, 7, 100)   // volume
        .controller(0, 1, 101, 0)   // pitch bend range: registered parameter 0, 0
        .controller(0, 1, 100, 0)
        .controller(0, 1, 6, 12)
        .controller(0, 1, 101, 127) // then the null parameter
        .controller(0, 1, 100, 127)
        .controller(0, 1, 10, 30)   // pan
        .controller(0, 1, 7, 90)    // volume again: it now comes after the pan
        .pitchBend(0, 1, 9000)
        .controller(0, 1, 64, 127)  // sustain down
        .noteOn(0, 1, 60, 100)
        .program(960, 1, 33)        // at 1000 ms: after the position jumped to
        .end(480);
    const auto file = read(buildMidiFile(0, 480, {t}));
    PlaybackSchedule s(file);
    Collect c;
    s.seek(600 * kMs, 0, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0xB1, 64, 0},
                                  {0xB1, 123, 0},  // silence first
                                  {0xB1, 121, 0},  // reset all controllers
                                  {0xB1, 0, 2},
                                  {0xB1, 32, 5},
                                  {0xC1, 17},
                                  {0xB1, 10, 30},
                                  {0xB1, 7, 90},
                                  {0xB1, 64, 127},
                                  {0xB1, 101, 0},
                                  {0xB1, 100, 0},
                                  {0xB1, 6, 12},
                                  {0xB1, 101, 127},
                                  {0xB1, 100, 127},
                                  {0xE1, 9000 & 0x7F, 9000 >> 7}}));
    EXPECT_FALSE(s.playing()) << "a jump stands at the new position";
    EXPECT_EQ(s.positionAt(0), 600 * kMs);
    // Playing on from there sends no second copy of the state, then the next event when due.
    s.start(10 * kMs, c.sink());
    EXPECT_EQ(*s.advance(10 * kMs, c.sink()), 410 * kMs);
    EXPECT_TRUE(c.take().empty());
    (void)s.advance(410 * kMs, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0xC1, 33}}));
}

TEST(PlaybackSchedule, PlayingOnAfterAPauseRestoresWhatTheSilencingTookAway)
{
    TrackBuilder t;
    t.controller(0, 0, 64, 127).noteOn(0, 0, 60, 100).noteOff(960, 0, 60).end(0);
    const auto file = read(buildMidiFile(0, 480, {t}));
    PlaybackSchedule s(file);
    Collect c;
    s.start(0, c.sink());
    (void)s.advance(0, c.sink());
    s.halt(100 * kMs, c.sink());
    c.take();
    s.start(200 * kMs, c.sink());
    EXPECT_EQ(c.take(), (Messages{{0xB0, 121, 0}, {0xB0, 64, 127}}));
    EXPECT_EQ(s.positionAt(300 * kMs), 200 * kMs);
}

TEST(PlaybackSchedule, TheEndComesAfterTheLastEventEvenForAShortFile)
{
    TrackBuilder t;
    t.noteOn(0, 0, 60, 100).noteOn(0, 0, 64, 100).noteOff(192, 0, 60).noteOff(0, 0, 64).end(48);
    const auto file = read(buildMidiFile(0, 480, {t}));  // 200 ms of notes, 250 ms in all
    PlaybackSchedule s(file);
    Collect c;
    s.start(0, c.sink());
    auto next = s.advance(0, c.sink());
    EXPECT_FALSE(s.ended());
    ASSERT_TRUE(next);
    next = s.advance(*next, c.sink());
    EXPECT_EQ(c.out.size(), 4U) << "every note of a file under half a second plays";
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, 250 * kMs) << "then the end-of-track mark";
    c.take();
    EXPECT_FALSE(s.advance(*next, c.sink()));
    EXPECT_TRUE(s.ended());
    EXPECT_FALSE(s.playing());
    EXPECT_EQ(c.take(), (Messages{{0xB0, 64, 0}, {0xB0, 123, 0}})) << "the end silences";
    EXPECT_EQ(s.positionAt(9'000 * kMs), 250 * kMs);
}

TEST(PlaybackSchedule, PlayingCanEndBeforeTheFileDoes)
{
    const auto file = read(fourNotes());
    PlaybackSchedule s(file);
    Collect c;
    s.setEnd(700 * kMs);
    s.start(0, c.sink());
    (void)s.advance(0, c.sink());
    (void)s.advance(600 * kMs, c.sink());
    EXPECT_EQ(*s.advance(600 * kMs, c.sink()), 700 * kMs);
    EXPECT_FALSE(s.advance(700 * kMs, c.sink()));
    EXPECT_TRUE(s.ended());
    EXPECT_EQ(s.positionAt(800 * kMs), 700 * kMs);
}

// ---------------------------------------------------------------- the player and its command

namespace {

class FakePlayerView final : public midi::MidiFilePlayerView {
public:
    bool IsMIDIMapperAllocated() const override { return mapperAllocated; }
    void setIsMIDIMapperAllocated(bool b) override { mapperAllocated = b; }
    bool IsPlaying() const override { return playing; }
    void setIsPlaying(bool b) override
    {
        playing = b;
        timerRunning = b;
    }
    bool IsOpen() const override { return open; }
    void setIsOpen(bool b) override { open = b; }
    bool IsStopped() const override { return stopped; }
    void setIsStopped(bool b) override { stopped = b; }
    int tempoSpinnerValue() const override { return spinner; }
    std::string MIDIFileDirectory() const override { return directory; }
    void setMIDIFileDirectory(const std::string& f) override { directory = f; }
    std::string MidiFileTitle() const override { return title; }
    void setMidiFileTitle(const std::string& t) override { title = t; }
    int sliderValue() const override { return slider; }
    void setSliderValue(int s) override { slider = s; }
    int sliderMaximum() const override { return sliderMax; }
    void setSliderRange(int, int maximum) override { sliderMax = maximum; }
    void setSliderTickFrequency(int s) override { tick = s; }
    void setTempoSpinnerValue(int bpm) override { spinner = bpm; }

    bool mapperAllocated = false;
    bool playing = false;
    bool timerRunning = false;
    bool open = false;
    bool stopped = false;
    int spinner = 0;
    std::string directory;
    std::string title;
    int slider = 0;
    int sliderMax = 0;
    int tick = 0;
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        backend.setMapperPresent(true);
        midi::installMIDIInit(&init);
        player.setEngineTiming(midi::MidiPlayerEngine::Timing::Manual, [this] { return svc.nowMs() * kMs; });
    }
    void TearDown() override
    {
        control.closePlayer();
        midi::installMIDIInit(nullptr);
    }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = dir.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Opens (and so plays) a file through the command, as the Open button does.
    void open(const std::string& path)
    {
        svc.answerFile(path);
        control.MidiFilePlayer(0);
    }
    // Lets the clock run with the position poll every 50 ms.
    void run(std::int64_t ms)
    {
        for (std::int64_t t = 0; t < ms; t += 50) {
            svc.advance(50);
            if (view.timerRunning)
                control.Timer1_Timer();
        }
    }
    Messages played() const
    {
        Messages out;
        for (const auto& s : mapper().sent())
            out.push_back(s.bytes);
        return out;
    }
    static std::size_t count(const Messages& m, const Bytes& message)
    {
        return static_cast<std::size_t>(std::count(m.begin(), m.end(), message));
    }
    platform::RecordingMapperPort& mapper() const { return backend.recordingMapper(); }

    platform::testing::ScriptedServices svc;
    QTemporaryDir dir;
    mutable platform::LoopbackMidiBackend backend;
    midi::clsMIDIInit init{&backend};
    FakePlayerView view;
    midi::clsMIDIFilePlayer player{view};
    midi::MidiFilePlayerControl control{view, player};
};

}  // namespace

TEST_F(PlayerTest, OpeningPlaysAtOnceThroughTheMapperAndHoldsIt)
{
    const std::string path = write("Four Notes.mid", fourNotes());
    // With no folder of its own yet, the player's dialog starts in the data folder.
    banklib::appState().setDataDirectory(dir.path().toStdString() + "/start/");
    open(path);
    banklib::appState().setDataDirectory("");
    ASSERT_EQ(svc.fileDialogsShown().size(), 1U);
    const auto& request = svc.fileDialogsShown().front();
    EXPECT_EQ(request.title, " Select a Midi File to Play");
    EXPECT_EQ(request.initialFolder, dir.path().toStdString() + "/start/");
    EXPECT_EQ(request.defaultExtension, "mid");
    EXPECT_EQ(request.filters.front().first, "MIDI file (*.mid)");
    EXPECT_EQ(view.directory, dir.path().toStdString() + "/") << "the dialog leaves the folder of the choice";

    EXPECT_TRUE(view.open && view.playing && view.mapperAllocated && !view.stopped);
    EXPECT_TRUE(view.timerRunning);
    EXPECT_EQ(view.title, "Four Notes");
    EXPECT_EQ(svc.statusText(2), "Opened : Four Notes");
    EXPECT_EQ(view.sliderMax, 2);
    EXPECT_EQ(view.spinner, 120);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Port), midi::kSeqMapperPort);
    EXPECT_EQ(mapper().holder(), platform::MapperHolder::Player);
    EXPECT_EQ(played(), (Messages{{0x90, 60, 100}}));
    run(100);
    EXPECT_EQ(svc.statusText(2), "Playing : Four Notes");
}

TEST_F(PlayerTest, ACancelledDialogChangesNothingAndASecondFileClosesTheFirst)
{
    control.MidiFilePlayer(0);  // nothing scripted: the dialog is cancelled
    EXPECT_FALSE(view.open || view.playing || view.mapperAllocated);
    EXPECT_TRUE(played().empty());

    open(write("first.mid", fourNotes(true)));
    EXPECT_EQ(svc.statusText().rfind("first.mid is damaged and plays as far as it is readable", 0), 0U);
    run(1100);  // two notes sound
    mapper().clear();
    TrackBuilder t;
    t.noteOn(0, 5, 70, 1).end(480);
    open(write("second.mid", buildMidiFile(0, 480, {t})));
    const Messages m = played();
    ASSERT_GE(m.size(), 3U);
    EXPECT_EQ(count(m, {0x80, 64, 0}), 1U) << "the first file's notes end";
    EXPECT_EQ(count(m, {0x83, 40, 0}), 1U);
    EXPECT_EQ(m.back(), (Bytes{0x95, 70, 1}));
    EXPECT_EQ(view.title, "second");
    EXPECT_EQ(player.DeviceID(), 2);
    EXPECT_EQ(svc.statusText(), "") << "the first file's damage is no longer said";
}

TEST_F(PlayerTest, ALongTitleIsCutTo20CharactersAndDots)
{
    // Cut on a letter: the status texts read whole letters, whatever their bytes.
    struct Row {
        std::string file;
        std::string title;
    };
    const Row rows[] = {
        {"abcdefghijklmnopqrstuvwx.mid", "abcdefghijklmnopqrst..."},
        // The twentieth byte inside a letter of three bytes, of two bytes.
        {"\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9_\xC3\x9Fong_\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E_long_name.mid",
         "\xC3\x9Cn\xC3\xAF""c\xC3\xB8""d\xC3\xA9_\xC3\x9Fong_\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E_lon..."},
        {"abcdefghijklmnopqrs\xC3\xA9_and_more.mid", "abcdefghijklmnopqrs\xC3\xA9..."},
        {"abcdefghijklmnopqr\xC3\xA4\xC3\xB6.mid", "abcdefghijklmnopqr\xC3\xA4\xC3\xB6"},  // 20 letters: whole
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        open(write(row.file, fourNotes()));
        EXPECT_EQ(view.title, row.title);
        EXPECT_EQ(svc.statusText(2), "Opened : " + row.title);
        run(100);
        EXPECT_EQ(svc.statusText(2), "Playing : " + row.title);
        run(2500);  // to the end
        EXPECT_EQ(svc.statusText(2), "Open : " + row.title);
        control.MidiFilePlayer(3);
        EXPECT_EQ(svc.statusText(2), "Stopped : " + row.title);
    }
    EXPECT_EQ(midi::MidiFilePlayerControl::titleFor("/a/b/Song.Mid"), "Song");
    EXPECT_EQ(midi::MidiFilePlayerControl::titleFor("/a/b/noext"), "noext");
}

TEST_F(PlayerTest, StopStopsWhereItIsAndASecondStopRewinds)
{
    open(write("song.mid", fourNotes()));
    run(1200);
    mapper().clear();
    control.MidiFilePlayer(3);
    EXPECT_TRUE(view.stopped && !view.playing && !view.timerRunning);
    EXPECT_EQ(svc.statusText(2), "Stopped : song");
    EXPECT_EQ(count(played(), {0x80, 64, 0}), 1U) << "note-offs on stop";
    EXPECT_EQ(count(played(), {0xB0, 123, 0}), 1U);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 1200);
    EXPECT_EQ(view.slider, 1);

    control.MidiFilePlayer(3);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 0);
    EXPECT_EQ(view.slider, 0);
    control.MidiFilePlayer(1);
    EXPECT_TRUE(view.playing);
    EXPECT_EQ(played().back(), (Bytes{0x90, 60, 100})) << "playing again from the start";
}

TEST_F(PlayerTest, PauseThenPlayResumesWherePausedAndPauseWhileStoppedDoesNothing)
{
    open(write("song.mid", fourNotes()));
    run(700);
    control.MidiFilePlayer(2);
    EXPECT_TRUE(control.PlayerPaused());
    EXPECT_FALSE(view.playing || view.stopped);
    EXPECT_EQ(svc.statusText(2), "Paused : song");
    run(5000);  // nothing moves while paused
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 700);
    mapper().clear();
    control.MidiFilePlayer(1);
    EXPECT_FALSE(control.PlayerPaused());
    EXPECT_TRUE(view.playing);
    run(300);
    EXPECT_EQ(count(played(), {0x90, 64, 100}), 1U) << "the third note, 300 ms after resuming";

    control.MidiFilePlayer(3);
    svc.clear();
    control.MidiFilePlayer(2);
    EXPECT_FALSE(control.PlayerPaused());
    EXPECT_FALSE(view.playing);
    EXPECT_TRUE(svc.statusHistory().empty());
}

TEST_F(PlayerTest, AtTheEndTheSliderReturnsToZeroAndThePlayerStandsAtTheStart)
{
    TrackBuilder t;
    t.noteOn(0, 0, 60, 100).noteOn(0, 0, 64, 100).noteOff(192, 0, 60).noteOff(0, 0, 64).end(0);
    open(write("short.mid", buildMidiFile(0, 480, {t})));  // 200 ms long
    EXPECT_EQ(view.sliderMax, 0);
    run(150);
    EXPECT_TRUE(view.playing) << "a file under half a second does not stop at once";
    run(100);
    EXPECT_FALSE(view.playing);
    EXPECT_TRUE(view.stopped);
    EXPECT_EQ(view.slider, 0);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 0);
    EXPECT_EQ(svc.statusText(2), "Open : short");
    EXPECT_EQ(count(played(), {0x80, 60, 0}), 1U);
    EXPECT_EQ(count(played(), {0x80, 64, 0}), 1U) << "every note played to its end";
}

TEST_F(PlayerTest, TheSpinnerShowsTheFilesTempoAndScalesItWhilePlaying)
{
    TrackBuilder t;
    t.tempo(0, 1'000'000);  // 60 BPM: a quarter note lasts a second
    for (int i = 0; i < 8; ++i)
        t.noteOn(i == 0 ? 0 : 480, 0, 60 + i, 100);
    t.end(0);
    open(write("slow.mid", buildMidiFile(0, 480, {t})));
    EXPECT_EQ(view.spinner, 60);
    EXPECT_EQ(view.sliderMax, 7);
    run(1000);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 1000);
    view.spinner = 120;
    control.UpDown1_Change(120);
    run(1000);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 3000) << "twice as fast at once";

    // A new play takes the spinner's tempo again, even after a stop.
    control.MidiFilePlayer(3);
    view.spinner = 30;
    control.MidiFilePlayer(1);
    run(1000);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 3500);
    EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Tempo), 30);

    // Of two tempos at the start the second is in force: the file shows and plays 144.
    TrackBuilder two;
    two.tempo(0, 1'000'000).tempo(0, 416'667).noteOn(0, 0, 60, 100).noteOn(480, 0, 62, 100).end(0);
    open(write("two tempos.mid", buildMidiFile(0, 480, {two})));
    EXPECT_EQ(view.spinner, 144);
    mapper().clear();
    run(400);  // a quarter note lasts 417 ms
    EXPECT_EQ(count(played(), {0x90, 62, 100}), 0U);
    run(50);
    EXPECT_EQ(count(played(), {0x90, 62, 100}), 1U);

    // A tempo far from the usual, down to the slowest and up to the fastest a file can
    // hold, shows as it is; the file plays at its own speed and the spinner still scales it.
    struct Row {
        std::uint32_t usPerQuarter;
        int shown;
        bool timed;  // long enough to time a second of it
    };
    for (const Row row : {Row{60'000, 1000, true}, Row{5'000'000, 12, true}, Row{0xFFFFFF, 4, false},
                          Row{1, 60'000'000, false}}) {
        SCOPED_TRACE(row.shown);
        TrackBuilder far;
        // A second note four seconds in at the file's own tempo.
        const auto ticks = static_cast<std::uint32_t>(std::min<std::uint64_t>(4'000'000ULL * 480 / row.usPerQuarter, 0x0FFFFFFF));
        far.tempo(0, row.usPerQuarter).noteOn(0, 0, 60, 100).noteOn(ticks, 0, 62, 100).end(0);
        open(write("far tempo.mid", buildMidiFile(0, 480, {far})));
        EXPECT_EQ(view.spinner, row.shown);
        EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Tempo), row.shown);
        if (!row.timed)
            continue;
        run(1000);
        EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 1000);
        view.spinner = row.shown * 2;
        control.UpDown1_Change(view.spinner);
        run(500);
        EXPECT_EQ(player.SeqStatus(midi::SeqStatusItem::Position), 2000) << "twice as fast";
    }
}

TEST_F(PlayerTest, DraggingTheSliderJumpsWithTheChannelStateAndReleasingPlaysOn)
{
    TrackBuilder t;
    t.program(0, 2, 40).controller(0, 2, 7, 99).noteOn(0, 2, 50, 90);
    for (int i = 0; i < 6; ++i)
        t.noteOn(480, 2, 51 + i, 90);
    t.end(0);
    open(write("drag.mid", buildMidiFile(0, 480, {t})));
    run(200);
    mapper().clear();
    control.Slider1_Scroll(2);
    EXPECT_FALSE(view.playing);
    const Messages m = played();
    EXPECT_EQ(count(m, {0xC2, 40}), 1U) << "the program is sent again after the jump";
    EXPECT_EQ(count(m, {0xB2, 7, 99}), 1U);
    EXPECT_EQ(count(m, {0x82, 50, 0}), 1U) << "the note sounding before the jump ends";
    mapper().clear();
    control.Slider1_Change(2);
    EXPECT_TRUE(view.playing);
    EXPECT_EQ(played(), (Messages{{0x92, 54, 90}})) << "the note at 2 s";
}

TEST_F(PlayerTest, AFileTheReaderRefusesIsReportedAndChangesNothing)
{
    open(write("song.mid", fourNotes()));
    run(600);
    const std::string text = "not a MIDI file at all";
    open(write("notes.txt", Bytes(text.begin(), text.end())));
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "MIDI File Player Error");
    EXPECT_EQ(svc.messagesShown()[0].style, 48);
    EXPECT_NE(svc.messagesShown()[0].text.find("notes.txt"), std::string::npos);
    EXPECT_TRUE(view.open && view.playing && view.mapperAllocated);
    EXPECT_EQ(view.title, "song");
    run(500);
    EXPECT_EQ(count(played(), {0x90, 64, 100}), 1U) << "the first file plays on";
}

TEST_F(PlayerTest, WithoutAnOpenFileEveryCommandOpens)
{
    control.MidiFilePlayer(1);
    control.MidiFilePlayer(3);
    EXPECT_EQ(svc.fileDialogsShown().size(), 2U);
}

TEST_F(PlayerTest, TheMapperIsHeldEitherWay)
{
    // The program's output on the Mapper: the player cannot have it.
    ASSERT_EQ(backend.openOutput(platform::kMidiMapperId), platform::MidiResult::NoError);
    open(write("song.mid", fourNotes()));
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "MIDI Mapper Not Available");
    EXPECT_EQ(svc.messagesShown()[0].title, "MIDI File Player Error");
    EXPECT_FALSE(view.open || view.mapperAllocated);
    backend.closeOutput();

    // The player's: the program's output cannot have it until the player closes.
    open(write("song.mid", fourNotes()));
    EXPECT_TRUE(view.mapperAllocated);
    EXPECT_EQ(backend.openOutput(platform::kMidiMapperId), platform::MidiResult::Allocated);
    control.closePlayer();
    EXPECT_FALSE(view.mapperAllocated || view.open);
    EXPECT_EQ(mapper().holder(), platform::MapperHolder::None);
    EXPECT_EQ(backend.openOutput(platform::kMidiMapperId), platform::MidiResult::NoError);
    backend.closeOutput();
}

TEST_F(PlayerTest, WithoutAMidiSystemThereIsNoMapper)
{
    midi::clsMIDIInit offline(nullptr);
    midi::installMIDIInit(&offline);
    open(write("song.mid", fourNotes()));
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "MIDI Mapper Not Available");
    EXPECT_FALSE(view.open);
    midi::installMIDIInit(&init);
}

TEST_F(PlayerTest, ClosingSilencesAndFreesTheMapper)
{
    open(write("song.mid", fourNotes()));
    run(1100);
    mapper().clear();
    control.closePlayer();
    EXPECT_EQ(count(played(), {0x80, 64, 0}), 1U);
    EXPECT_EQ(count(played(), {0x83, 40, 0}), 1U);
    EXPECT_TRUE(view.stopped);
    EXPECT_FALSE(view.open || view.playing || view.mapperAllocated);
    EXPECT_EQ(view.sliderMax, 0);
}

// The real thread on the monotonic clock: a short file plays to its end in order.
TEST(MidiPlayerEngine, TheThreadPlaysAFileToItsEndInOrder)
{
    TrackBuilder t;
    for (int i = 0; i < 20; ++i)
        t.noteOn(i == 0 ? 0 : 4, 0, 40 + i, 100);  // every 4 ms at 120 BPM, 480 ticks
    t.end(0);
    auto r = midi::readMidiFile(buildMidiFile(0, 480, {t}));
    ASSERT_EQ(r.error, midi::MidiFileError::None);
    platform::RecordingMapperPort port;
    ASSERT_EQ(port.open(), platform::MidiResult::NoError);
    midi::MidiPlayerEngine engine(std::make_shared<const midi::MidiFile>(std::move(r.file)), port);
    engine.play();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!engine.ended() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(engine.ended());
    const auto sent = port.sent();
    ASSERT_GE(sent.size(), 20U);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(sent[static_cast<std::size_t>(i)].bytes, (Bytes{0x90, static_cast<std::uint8_t>(40 + i), 100}));
    EXPECT_EQ(sent.back().bytes, (Bytes{0xB0, 123, 0})) << "the end silences";
    EXPECT_EQ(engine.sendFailures(), 0);
}

// A file whose next event lies years away: the thread waits for it calmly and stops at once.
TEST(MidiPlayerEngine, AnEventYearsAwayIsWaitedForAndAStopEndsTheWait)
{
    TrackBuilder t;
    t.tempo(0, 0xFFFFFF).noteOn(0, 0, 60, 100);
    for (int i = 0; i < 30; ++i)
        t.raw(0x0FFFFFFF, {0xFF, 0x01, 0x00});  // empty text events, far apart
    t.noteOn(0, 0, 61, 100).end(0);
    auto r = midi::readMidiFile(buildMidiFile(0, 1, {t}));
    ASSERT_EQ(r.error, midi::MidiFileError::None);
    ASSERT_GT(r.file.events.back().timeUs, std::int64_t{1} << 49);
    platform::RecordingMapperPort port;
    ASSERT_EQ(port.open(), platform::MidiResult::NoError);
    midi::MidiPlayerEngine engine(std::make_shared<const midi::MidiFile>(std::move(r.file)), port);
    engine.setTempo(midi::kPlayerMinTempo, midi::kPlayerMaxTempo);  // as slow as it gets
    engine.play();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (port.sentCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(port.sentCount(), 1U);
    engine.halt();
    EXPECT_FALSE(engine.playing());
    EXPECT_FALSE(engine.ended());
    EXPECT_EQ(port.sent().back().bytes, (Bytes{0xB0, 123, 0})) << "the stop silences";
}
