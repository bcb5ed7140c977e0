// Brevane - the MIDI file player's timing: a jump with the state it sends, and how late
// the player thread sends what falls due while the GUI thread is blocked.
#include "midi/MidiPlayerEngine.h"
#include "midi/PlaybackSchedule.h"
#include "midi/testing/MidiFileBuilder.h"
#include "platform/midi/MidiMapperPort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

const midi::MidiFile& arrangement()
{
    static const midi::MidiFile file = midi::readMidiFile(midi::testing::arrangement(16, 18'750)).file;
    return file;
}

// A jump into the middle of the 300,000-event arrangement: silencing, finding the
// position and sending every channel's state there.
void BM_SeekWithResends(benchmark::State& state)
{
    const midi::MidiFile& file = arrangement();
    midi::PlaybackSchedule schedule(file);
    std::size_t messages = 0;
    const midi::MidiMessageSink sink = [&messages](std::span<const std::uint8_t>) { ++messages; };
    std::int64_t target = file.lengthUs / 2;
    for (auto _ : state) {
        schedule.seek(target, 0, sink);
        target = target == file.lengthUs / 2 ? file.lengthUs / 3 : file.lengthUs / 2;
    }
    state.counters["messages_per_seek"] = static_cast<double>(messages) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SeekWithResends)->Unit(benchmark::kMicrosecond);

// 3 seconds of a dense file (a message every millisecond, 16 channels) played by the
// player thread into a recording Mapper, while this thread (the GUI thread) is busy for
// 200 ms. Lateness is when each message was sent against when it fell due.
void BM_PlaybackLatenessWithTheGuiBlocked(benchmark::State& state)
{
    midi::testing::TrackBuilder t;
    constexpr int kMessages = 3000;
    for (int i = 0; i < kMessages; ++i)
        t.noteOn(i == 0 ? 0 : 1, i % 16, 36 + i % 60, i % 2 == 0 ? 90 : 0);  // 1 tick = 1 ms
    t.end(0);
    // 500 ticks a quarter at 120 BPM: one tick is one millisecond.
    auto file = std::make_shared<const midi::MidiFile>(
        midi::readMidiFile(midi::testing::buildMidiFile(0, 500, {t})).file);

    std::vector<double> lateMs;
    for (auto _ : state) {
        platform::RecordingMapperPort port;
        (void)port.open();
        midi::MidiPlayerEngine engine(file, port);
        const auto start = Clock::now();
        engine.play();
        // The GUI thread blocked 200 ms (a paced bank send, a large file opening).
        const auto blockedUntil = start + std::chrono::milliseconds(1000 + 200);
        std::this_thread::sleep_until(start + std::chrono::milliseconds(1000));
        while (Clock::now() < blockedUntil)
            benchmark::DoNotOptimize(blockedUntil);
        while (!engine.ended())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto sent = port.sent();
        for (std::size_t i = 0; i < file->events.size() && i < sent.size(); ++i) {
            const auto due = start + std::chrono::microseconds(file->events[i].timeUs);
            lateMs.push_back(std::chrono::duration<double, std::milli>(sent[i].at - due).count());
        }
    }
    std::sort(lateMs.begin(), lateMs.end());
    const auto at = [&lateMs](double q) {
        return lateMs.empty() ? 0.0 : lateMs[std::min(lateMs.size() - 1, static_cast<std::size_t>(q * lateMs.size()))];
    };
    state.counters["late_p50_ms"] = at(0.50);
    state.counters["late_p99_ms"] = at(0.99);
    state.counters["late_max_ms"] = lateMs.empty() ? 0.0 : lateMs.back();
    state.counters["messages"] = static_cast<double>(lateMs.size());
}
BENCHMARK(BM_PlaybackLatenessWithTheGuiBlocked)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
