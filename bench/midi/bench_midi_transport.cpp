// Brevane - cost of handling MIDI input: hand-over from the device thread's queue,
// description and the monitor log line, for a short message, a 4104-byte bank and a
// burst of 10,000 short messages (a MIDI file's worth).
#include "midi/MidiManagerSlots.h"
#include "midi/MidiWindows.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "platform/midi/SimulatedDX7.h"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

using platform::MidiEvent;
using platform::MidiEventKind;

// The headless MIDI Manager, loaded, with an empty log and free bank slots (the
// MIDI Manager keeps both for the whole run).
void freshManager()
{
    midi::windows().loadManager();
    midi::clsMidiManagerData& data = midi::windows().managerData();
    data.MidiMessage.clear();
    if (auto* banks = dynamic_cast<midi::MidiManagerSlots*>(data.sysexSlots())) {
        for (int i = 1; i <= midi::kSysexSlotCount; ++i) {
            banks->MidiSysex.setAbsolutePosition(i);
            (void)banks->DeleteSysex();
        }
        banks->MidiSysex.moveFirst();
    }
    midi::ResetMidiInputState();
    midi::ResetMidiOutputState();
}

MidiEvent shortEvent(int i)
{
    MidiEvent e;
    e.kind = MidiEventKind::Data;
    e.data = 0x90 | (static_cast<std::uint32_t>(36 + i % 60) << 8) | (100U << 16);
    return e;
}

// One note-on: posted, handed over, described and logged.
void BM_ShortMessage(benchmark::State& state)
{
    freshManager();
    auto& queue = midi::midiInputQueue();
    int i = 0;
    for (auto _ : state) {
        queue.post(shortEvent(i++));
        midi::ProcessMidiInput();
        if (i % 10000 == 0) {
            state.PauseTiming();
            freshManager();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShortMessage);

// A bank that nobody asked for: described, logged whole, recognised, stripped of its
// wrapper and stored in the next free bank slot.
void BM_BankDumpUnrequested(benchmark::State& state)
{
    freshManager();
    const auto dump = platform::SimulatedDX7(0).bulkDump();
    auto& queue = midi::midiInputQueue();
    int i = 0;
    for (auto _ : state) {
        queue.post(MidiEvent{MidiEventKind::LongData, 0, dump, 0});
        midi::ProcessMidiInput();
        // Each bank takes the next slot; the slots are freed before they run out.
        if (++i % (midi::kSysexSlotCount - 1) == 0) {
            state.PauseTiming();
            freshManager();
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(dump.size()));
}
BENCHMARK(BM_BankDumpUnrequested);

// A bank a request is waiting for: handed over to the wait.
void BM_BankDumpRequested(benchmark::State& state)
{
    freshManager();
    midi::SetPendingRequest(midi::kDumpBank);
    const auto dump = platform::SimulatedDX7(0).bulkDump();
    auto& queue = midi::midiInputQueue();
    for (auto _ : state) {
        queue.post(MidiEvent{MidiEventKind::LongData, 0, dump, 0});
        midi::ProcessMidiInput();
        benchmark::DoNotOptimize(midi::ReceivedSysex().data());
        // The wait takes the reply, so the next bank is an answer again.
        midi::SetReceivedSysex(std::string(midi::kNoData));
    }
    midi::SetPendingRequest(-1);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(dump.size()));
}
BENCHMARK(BM_BankDumpRequested);

// 10,000 short messages posted by a device thread, then handled on this thread: the time
// the GUI thread needs to catch up.
void BM_Burst10000(benchmark::State& state)
{
    constexpr int kBurst = 10000;
    auto& queue = midi::midiInputQueue();
    for (auto _ : state) {
        state.PauseTiming();
        freshManager();
        std::thread device([&] {
            for (int i = 0; i < kBurst; ++i)
                queue.post(shortEvent(i));
        });
        device.join();
        state.ResumeTiming();
        midi::ProcessMidiInput();
        benchmark::DoNotOptimize(midi::windows().managerData().MidiMessage.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}
BENCHMARK(BM_Burst10000)->Unit(benchmark::kMillisecond);

}  // namespace

// The monitor log on its own: 100,000 lines logged into an empty log, as a long session
// of MIDI traffic does.
midi::MonitorLines noteLine(int i)
{
    midi::MonitorLines line;
    line[midi::MonitorField::Timestamp] = std::to_string(1000 + i);
    line[midi::MonitorField::Channel] = "1";
    line[midi::MonitorField::Message] = "Note On";
    line[midi::MonitorField::Data1Title] = "Note";
    line[midi::MonitorField::Data1] = std::to_string(36 + i % 60);
    line[midi::MonitorField::Data2Title] = "Velocity";
    line[midi::MonitorField::Data2] = "100";
    line[midi::MonitorField::Type] = "Short";
    return line;
}

void BM_MonitorLog100000(benchmark::State& state)
{
    constexpr int kLines = 100'000;
    for (auto _ : state) {
        state.PauseTiming();
        freshManager();
        auto& data = midi::windows().managerData();
        state.ResumeTiming();
        for (int i = 0; i < kLines; ++i)
            data.AddMessage(noteLine(i), false);
        benchmark::DoNotOptimize(data.MidiMessage.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_MonitorLog100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// One more line on a log that already holds 100,000.
void BM_MonitorAppendAfter100000(benchmark::State& state)
{
    freshManager();
    auto& data = midi::windows().managerData();
    for (int i = 0; i < 100'000; ++i)
        data.AddMessage(noteLine(i), false);
    int i = 0;
    for (auto _ : state)
        data.AddMessage(noteLine(i++), false);
}
BENCHMARK(BM_MonitorAppendAfter100000)->Unit(benchmark::kMicrosecond)->Iterations(200);
