// Brevane - cost of reading a Standard MIDI File: a 1 MiB format-1 arrangement of 16
// tracks (about 300,000 events, running status, tempo changes every bar).
#include "midi/MidiFile.h"
#include "midi/testing/MidiFileBuilder.h"

#include <benchmark/benchmark.h>

namespace {

const midi::testing::Bytes& arrangementFile()
{
    static const auto file = midi::testing::arrangement(16, 18'750);
    return file;
}

void BM_ReadArrangement(benchmark::State& state)
{
    const auto& bytes = arrangementFile();
    std::size_t events = 0;
    for (auto _ : state) {
        const auto r = midi::readMidiFile(bytes);
        events = r.file.events.size();
        benchmark::DoNotOptimize(events);
    }
    state.counters["events"] = static_cast<double>(events);
    state.counters["file_KiB"] = static_cast<double>(bytes.size()) / 1024.0;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadArrangement)->Unit(benchmark::kMillisecond);

}  // namespace
