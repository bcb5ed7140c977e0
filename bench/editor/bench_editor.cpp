// Brevane - cost of the voice editor: opening a voice (double click to shown, also with
// 20 editors open), one edit through commit to a loopback MIDI output, Reset and close;
// a chart drag step, the charts' repaint and geometry, and an operator copied between
// two editors.
#include "../voicelist/VoiceListBenchSupport.h"

#include "banklib/clsVoiceNames.h"
#include "editor/EditorOutput.h"
#include "editor/EnvelopeGeometry.h"
#include "editor/LevelScalingGeometry.h"
#include "editor/VoiceChart.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmAlgorithms.h"
#include "editor/frmVoiceEditor.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/OpenDevices.h"
#include "platform/midi/LoopbackMidiBackend.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kOutputLevelOp1 = (6 - 1) * 21 + 16;

// A 32-voice packed bank with varied voices, written once into the temporary folder.
std::string smallBank()
{
    const auto path = std::filesystem::temp_directory_path() / "brevane-bench-editor.syx";
    std::vector<std::uint8_t> data(32 * banklib::kPackedVoiceSize);
    std::mt19937 rng(5);
    for (std::size_t i = 0; i < 32; ++i) {
        std::array<std::uint8_t, banklib::kUnpackedVoiceSize> voice{};
        for (std::size_t p = 0; p < banklib::Unpacked::kName; ++p)
            voice[p] = static_cast<std::uint8_t>(rng() % 2);
        voice[banklib::Unpacked::kAlgorithm] = static_cast<std::uint8_t>(i);
        char name[16];
        std::snprintf(name, sizeof name, "BENCH %04zu", i + 1);
        std::copy(name, name + banklib::kNameLength, voice.begin() + banklib::Unpacked::kName);
        banklib::clsVoiceData::packVoice(
            voice, std::span<std::uint8_t, banklib::kPackedVoiceSize>(data.data() + i * banklib::kPackedVoiceSize,
                                                                      banklib::kPackedVoiceSize));
    }
    banklib::clsVoiceNames writer;
    (void)writer.SaveVoiceDataToFileByt(data, path.string(), banklib::FileType::PackedSysex, true);
    return path.string();
}

struct EditorProgram {
    EditorProgram() : program((editor::installVoiceListHooks(true), "bench_editor"), "brevane-bench-editor.ini")
    {
        list = program.open(smallBank());
    }
    ~EditorProgram() { editor::installVoiceListHooks(false); }
    editor::frmVoiceEditor* open(int voice) { return editor::VoiceListEditors::of(*list).LoadVoice(voice); }
    // What the event loop does between two user actions: pending paints and layouts, and
    // the windows closed meanwhile deleted.
    static void flush()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    bench_shell::Program program;
    shell::frmVoiceList* list = nullptr;
};

EditorProgram& shared()
{
    static EditorProgram* p = new EditorProgram;
    return *p;
}

void openAndClose(benchmark::State& state, int alreadyOpen)
{
    EditorProgram& p = shared();
    std::vector<editor::frmVoiceEditor*> others;
    for (int v = 1; v <= alreadyOpen; ++v)
        others.push_back(p.open(v));
    const int voice = alreadyOpen + 1;
    (void)p.open(voice)->unload();  // warm
    EditorProgram::flush();
    for (auto _ : state) {
        editor::frmVoiceEditor* e = p.open(voice);
        benchmark::DoNotOptimize(e);
        state.PauseTiming();
        (void)e->unload();
        EditorProgram::flush();
        state.ResumeTiming();
    }
    for (auto* e : others)
        (void)e->unload();
    EditorProgram::flush();
}

void BM_OpenEditor(benchmark::State& state) { openAndClose(state, 0); }
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);

void BM_OpenEditorWith20Open(benchmark::State& state) { openAndClose(state, 20); }
BENCHMARK(BM_OpenEditorWith20Open)->Unit(benchmark::kMillisecond);

void BM_CloseEditor(benchmark::State& state)
{
    EditorProgram& p = shared();
    for (auto _ : state) {
        state.PauseTiming();
        editor::frmVoiceEditor* e = p.open(2);
        state.ResumeTiming();
        benchmark::DoNotOptimize(e->unload());
        state.PauseTiming();
        EditorProgram::flush();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloseEditor)->Unit(benchmark::kMillisecond);

void BM_Reset(benchmark::State& state)
{
    EditorProgram& p = shared();
    editor::frmVoiceEditor* e = p.open(3);
    for (auto _ : state) {
        e->ResetVoice();
        state.PauseTiming();
        EditorProgram::flush();
        state.ResumeTiming();
    }
    (void)e->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_Reset)->Unit(benchmark::kMillisecond);

// The program's MIDI output opened on the loopback backend for as long as it lives.
struct LoopbackOutput {
    LoopbackOutput() : init(&backend)
    {
        midi::installMIDIInit(&init);
        (void)midi::testing::OpenDevicesByName(init, "None", "Loopback MIDI Out");
    }
    ~LoopbackOutput()
    {
        midi::CloseMidiDevices(true, true);
        midi::installMIDIInit(nullptr);
    }
    LoopbackOutput(const LoopbackOutput&) = delete;
    LoopbackOutput& operator=(const LoopbackOutput&) = delete;
    [[nodiscard]] bool open() const { return init.MidiOutOpen; }
    // The monitor log grows with every message: start it afresh now and then.
    void trimMonitor(benchmark::State& state, std::int64_t n)
    {
        if (n % 5000 != 0)
            return;
        state.PauseTiming();
        midi::windows().unloadManager();
        midi::windows().loadManager();
        state.ResumeTiming();
    }

    platform::LoopbackMidiBackend backend;
    midi::clsMIDIInit init;
};

// One spin step: written, shown and sent as a parameter change with its audition note
// to an open loopback output.
void BM_CommitToLoopback(benchmark::State& state)
{
    EditorProgram& p = shared();
    LoopbackOutput output;
    if (!output.open()) {
        state.SkipWithError("the loopback output did not open");
        return;
    }
    editor::frmVoiceEditor* e = p.open(4);
    int value = 0;
    std::int64_t n = 0;
    for (auto _ : state) {
        value = (value + 1) % 100;
        benchmark::DoNotOptimize(e->edits().commit(kOutputLevelOp1, value, editor::EditPath::Spin));
        output.trimMonitor(state, ++n);
    }
    state.SetItemsProcessed(state.iterations());
    e->edits().setSendSuppressed(true);
    (void)e->edits().commit(kOutputLevelOp1, 0, editor::EditPath::Quiet);
    // Closing answers the save question with its first button (Yes): the list keeps it.
    (void)e->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_CommitToLoopback)->Unit(benchmark::kMicrosecond);

// Renders a chart as a repaint does.
void repaint(editor::VoiceChart& chart, QImage& image)
{
    QPainter painter(&image);
    chart.render(&painter);
}

// One drag step of an envelope point: two mouse moves (every second one is a step),
// the rate and level written and sent to the loopback output with the audition note,
// the grid refreshed and the chart repainted.
void BM_ChartDragStep(benchmark::State& state)
{
    EditorProgram& p = shared();
    LoopbackOutput output;
    if (!output.open()) {
        state.SkipWithError("the loopback output did not open");
        return;
    }
    editor::frmVoiceEditor* e = p.open(5);
    EditorProgram::flush();
    editor::VoiceChart* chart = e->MSChart1(2);
    QImage image(chart->size(), QImage::Format_ARGB32_Premultiplied);
    e->MSChart1_MouseDown(2, 3, Qt::LeftButton, Qt::NoModifier);
    std::int64_t n = 0;
    for (auto _ : state) {
        const double x = 300.0 + static_cast<double>(n % 1200);
        const double y = 300.0 + static_cast<double>((n * 7) % 1300);
        e->MSChart1_MouseMove(2, QPointF(x, y), Qt::NoModifier);
        e->MSChart1_MouseMove(2, QPointF(x, y), Qt::NoModifier);
        repaint(*chart, image);
        output.trimMonitor(state, ++n);
    }
    state.SetItemsProcessed(state.iterations());
    e->MSChart1_MouseUp(2, Qt::LeftButton);
    e->edits().setSendSuppressed(true);
    (void)e->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_ChartDragStep)->Unit(benchmark::kMicrosecond);

// The repaint of an envelope chart, and of a level-scaling chart of 100 points.
void BM_ChartRepaint(benchmark::State& state)
{
    EditorProgram& p = shared();
    editor::frmVoiceEditor* e = p.open(6);
    EditorProgram::flush();
    const int n = static_cast<int>(state.range(0));
    if (n == 8) {
        // Both sides exponential at break point 50.
        const int b = (6 - 2) * 21 + 8;
        const int values[5] = {50, 80, 70, 1, 2};
        for (int i = 0; i < 5; ++i)
            (void)e->edits().commit(b + i, values[i], editor::EditPath::Quiet);
    }
    editor::VoiceChart* chart = e->MSChart1(n);
    state.SetLabel(std::to_string(chart->series().size()) + " points");
    QImage image(chart->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        repaint(*chart, image);
    (void)e->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_ChartRepaint)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond);

// The level-scaling geometry of 100 points (two exponential sides).
void BM_LevelScalingGeometry(benchmark::State& state)
{
    const editor::LevelScalingValues values{static_cast<int>(state.range(0)), 80, 70, 1, 2};
    for (auto _ : state)
        benchmark::DoNotOptimize(editor::LevelScalingGeometry::FillLevScChart(values));
}
BENCHMARK(BM_LevelScalingGeometry)->Arg(50)->Arg(0)->Unit(benchmark::kMicrosecond);

// A whole operator dropped from one editor onto another: 21 values written, the target
// operator's grids and charts rebuilt and repainted, the voice sent as one dump.
void BM_CopyOperatorBetweenEditors(benchmark::State& state)
{
    EditorProgram& p = shared();
    LoopbackOutput output;
    if (!output.open()) {
        state.SkipWithError("the loopback output did not open");
        return;
    }
    editor::frmVoiceEditor* from = p.open(7);
    editor::frmVoiceEditor* to = p.open(8);
    EditorProgram::flush();
    std::int64_t n = 0;
    for (auto _ : state) {
        const int op = static_cast<int>(n % 6) + 1;
        benchmark::DoNotOptimize(
            to->CopyVoiceElementData(from->element(editor::ElementKind::Title, op), editor::ElementKind::Title, 7 - op));
        QApplication::processEvents();
        output.trimMonitor(state, ++n);
    }
    state.SetItemsProcessed(state.iterations());
    to->edits().setSendSuppressed(true);
    (void)to->unload();
    (void)from->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_CopyOperatorBetweenEditors)->Unit(benchmark::kMillisecond);

}  // namespace
