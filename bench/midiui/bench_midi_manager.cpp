// Brevane - cost of the MIDI Manager window and the System Exclusive editor: a bank that
// nobody asked for going into a slot, a burst of short messages with the window shown, a
// line added to a log of 100,000, and opening and confirming the editor.
#include "../voicelist/VoiceListBenchSupport.h"

#include "midi/MidiManagerSlots.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midiui/frmEditSysex.h"
#include "midiui/frmMIDIManager.h"
#include "platform/midi/SimulatedDX7.h"

#include <QTableView>

#include <benchmark/benchmark.h>

#include <thread>

namespace {

using platform::MidiEvent;
using platform::MidiEventKind;

// The MIDI Manager's data shown in its window, as the program has them.
class Manager final : public midi::SilentMidiWindows {
public:
    Manager()
    {
        data.setSysexSlots(&banks);
        banks.InitMidiGrid();
        banks.setChangeObserver([this] { window.banksChanged(); });
        data.setMessageObserver([this](platform::Bookmark b, bool replaced) { window.messageLogged(b, replaced); });
        midi::installMidiWindows(this);
        window.resize(700, 600);
        window.show();
        QApplication::processEvents();
    }
    ~Manager() override
    {
        midi::installMidiWindows(nullptr);
        midi::ResetMidiInputState();
        midi::ResetMidiOutputState();
    }
    void freeSlots()
    {
        for (int i = 1; i <= midi::kSysexSlotCount; ++i) {
            banks.MidiSysex.setAbsolutePosition(i);
            (void)banks.DeleteSysex();
        }
        banks.MidiSysex.moveFirst();
        window.banksChanged();
    }
    // Shows what waits and lets the window draw it.
    void catchUp()
    {
        window.flushMonitor();
        QApplication::processEvents();
    }

    void loadManager() override {}
    void unloadManager() override {}
    bool managerLoaded() const override { return true; }
    midi::clsMidiManagerData& managerData() override { return data; }

    // The application comes before any window.
    QApplication& application = bench_shell::app("midiui_manager_bench");
    midi::clsMidiManagerData data;
    midi::MidiManagerSlots banks{data};
    shell::frmMIDIManager window{data, banks, [] { return shell::frmMIDIManager::PortState{true, true, false}; }};
};

MidiEvent shortEvent(int i)
{
    MidiEvent e;
    e.kind = MidiEventKind::Data;
    e.data = 0x90 | (static_cast<std::uint32_t>(36 + i % 60) << 8) | (100U << 16);
    return e;
}

// A 4104-byte bank nobody asked for: logged, stripped, stored in the current slot, and
// the bank grid refreshed with the next slot selected.
void BM_UnsolicitedBankIntoSlot(benchmark::State& state)
{
    Manager m;
    const auto dump = platform::SimulatedDX7(0).bulkDump();
    auto& queue = midi::midiInputQueue();
    int stored = 0;
    for (auto _ : state) {
        queue.post(MidiEvent{MidiEventKind::LongData, 0, dump, 0});
        midi::ProcessMidiInput();
        if (++stored == midi::kSysexSlotCount - 1) {
            state.PauseTiming();
            m.freeSlots();
            m.catchUp();
            stored = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnsolicitedBankIntoSlot)->Unit(benchmark::kMicrosecond);

// 10,000 short messages from a device thread, handled and shown with the window open:
// how far the window is behind once the last message has come in.
void BM_Burst10000Shown(benchmark::State& state)
{
    constexpr int kBurst = 10000;
    Manager m;
    auto& queue = midi::midiInputQueue();
    for (auto _ : state) {
        state.PauseTiming();
        m.data.MidiMessage.clear();
        m.window.monitorModel().refresh();
        std::thread device([&] {
            for (int i = 0; i < kBurst; ++i)
                queue.post(shortEvent(i));
        });
        device.join();
        state.ResumeTiming();
        midi::ProcessMidiInput();
        m.catchUp();
        benchmark::DoNotOptimize(m.window.monitorModel().rowCount());
    }
    state.SetItemsProcessed(state.iterations() * kBurst);
}
BENCHMARK(BM_Burst10000Shown)->Unit(benchmark::kMillisecond);

// One more line in a log of 100,000 lines shown in the window: logged and added to the grid.
void BM_LineAtHundredThousand(benchmark::State& state)
{
    Manager m;
    midi::MonitorLines line;
    line[midi::MonitorField::Message] = "Note C3 On";
    line[midi::MonitorField::Type] = "Short";
    for (int i = 0; i < 100'000; ++i)
        m.data.AddMessage(line, false);
    m.catchUp();
    for (auto _ : state) {
        m.data.AddMessage(line, false);
        m.window.flushMonitor();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LineAtHundredThousand)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The same line logged with no window: what the log's recordset costs by itself.
void BM_LineAtHundredThousandLogOnly(benchmark::State& state)
{
    midi::clsMidiManagerData data;
    midi::MonitorLines line;
    line[midi::MonitorField::Message] = "Note C3 On";
    line[midi::MonitorField::Type] = "Short";
    for (int i = 0; i < 100'000; ++i)
        data.AddMessage(line, false);
    for (auto _ : state)
        data.AddMessage(line, false);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LineAtHundredThousandLogOnly)->Unit(benchmark::kMicrosecond)->Iterations(2000);

std::string sysexOf(std::size_t bytes)
{
    std::string s(bytes, '\x11');
    s.front() = '\xF0';
    s.back() = '\xF7';
    return s;
}

// Opening the editor on a message until it is drawn.
void BM_HexEditorOpen(benchmark::State& state)
{
    bench_shell::app("midiui_manager_bench");
    const std::string message = sysexOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        shell::frmEditSysex editor(message, false);
        editor.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(editor.DataGrid1()->model()->rowCount());
    }
}
BENCHMARK(BM_HexEditorOpen)->Arg(4104)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Confirming an edit of a megabyte: checked and handed back whole.
void BM_HexEditorConfirm1MiB(benchmark::State& state)
{
    bench_shell::app("midiui_manager_bench");
    const std::string message = sysexOf(1 << 20);
    for (auto _ : state) {
        midi::clsHexEditor bytes;
        state.PauseTiming();
        bytes.InitHexGrid(message);
        (void)bytes.setCell(1, 1, "5");
        state.ResumeTiming();
        std::string result;
        benchmark::DoNotOptimize(bytes.UpdateRecordset(result));
        benchmark::DoNotOptimize(result.data());
    }
}
BENCHMARK(BM_HexEditorConfirm1MiB)->Unit(benchmark::kMillisecond);

}  // namespace
