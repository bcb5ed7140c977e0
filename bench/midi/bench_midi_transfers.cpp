// Brevane - cost of the MIDI transfers' own work: building a bank page to send, and a
// click's audition from the voice list up to the hand-over to the MIDI system (the
// loopback output, so that no wire time is counted).
#include "banklib/InitVoice.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeVoiceList.h"
#include "midi/MidiTransfers.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/OpenDevices.h"
#include "platform/midi/LoopbackMidiBackend.h"

#include <benchmark/benchmark.h>

namespace {

// A packed list of 40 voices.
banklib::testing::FakeVoiceList& packedList()
{
    static banklib::testing::FakeVoiceList* list = [] {
        banklib::clsVoiceData codec;
        std::string data;
        for (int i = 0; i < 40; ++i) {
            const auto init = banklib::InitVoice();
            data += codec.Pack(std::string_view(reinterpret_cast<const char*>(init.data()), init.size()));
        }
        platform::Recordset rs;
        bool repaired = false;
        banklib::clsVoiceNames names;
        (void)names.BuildRecordsetFromBytes(
            banklib::FileType::Packed, "bench.dat", rs,
            std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), repaired);
        return new banklib::testing::FakeVoiceList("bench.dat", banklib::FileType::Packed, std::move(rs));
    }();
    return *list;
}

void BM_BuildBankPage(benchmark::State& state)
{
    auto& list = packedList();
    std::int32_t voices = 0;
    for (auto _ : state) {
        const std::string dump = midi::BankPageDumpOf(list, 1, voices);
        benchmark::DoNotOptimize(dump.data());
    }
}
BENCHMARK(BM_BuildBankPage)->Unit(benchmark::kMicrosecond);

// A click on voice 35: read, unpacked, wrapped, logged and handed to the output.
void BM_ClickAudition(benchmark::State& state)
{
    platform::LoopbackMidiBackend backend;
    backend.setEcho(false);
    midi::clsMIDIInit init(&backend);
    midi::installMIDIInit(&init);
    (void)midi::testing::OpenDevicesByName(init, "None", "Loopback MIDI Out");
    auto& list = packedList();
    int i = 0;
    for (auto _ : state) {
        midi::SendPatchToMidi(list, 35, 1, true);
        if (++i % 2000 == 0) {
            state.PauseTiming();
            backend.clearSent();
            midi::ProcessMidiInput();
            midi::windows().managerData().MidiMessage.clear();
            state.ResumeTiming();
        }
    }
    midi::CloseMidiDevices(true, true);
    midi::ResetMidiOutputState();
    midi::ResetMidiInputState();
    midi::installMIDIInit(nullptr);
}
BENCHMARK(BM_ClickAudition)->Unit(benchmark::kMicrosecond);

}  // namespace
