// Brevane - cost of the voice editor: opening a voice (double click to shown, also with
// 20 editors open), one edit through commit to a loopback MIDI output, Reset and close.
#include "../shell/ShellBenchSupport.h"

#include "banklib/clsVoiceNames.h"
#include "editor/EditorOutput.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmAlgorithms.h"
#include "editor/frmVoiceEditor.h"
#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "platform/midi/LoopbackMidiBackend.h"

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

// One spin step: written, shown and sent as a parameter change with its audition note
// to an open loopback output.
void BM_CommitToLoopback(benchmark::State& state)
{
    EditorProgram& p = shared();
    platform::LoopbackMidiBackend backend;
    midi::clsMIDIInit init(&backend);
    midi::installMIDIInit(&init);
    init.setMidiInDeviceName("None");
    init.setMidiOutDeviceName("Loopback MIDI Out");
    midi::EnumerateOutcome outcome{};
    init.EnumerateMidiDevices(false, outcome);
    bool failed = true;
    init.OpenMidiDevices(failed);
    if (!init.MidiOutOpen) {
        state.SkipWithError("the loopback output did not open");
        midi::installMIDIInit(nullptr);
        return;
    }
    editor::frmVoiceEditor* e = p.open(4);
    int value = 0;
    std::int64_t n = 0;
    for (auto _ : state) {
        value = (value + 1) % 100;
        benchmark::DoNotOptimize(e->edits().commit(kOutputLevelOp1, value, editor::EditPath::Spin));
        if (++n % 5000 == 0) {
            state.PauseTiming();
            midi::windows().unloadManager();
            midi::windows().loadManager();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
    e->edits().setSendSuppressed(true);
    (void)e->edits().commit(kOutputLevelOp1, 0, editor::EditPath::Quiet);
    midi::CloseMidiDevices(true, true);
    midi::installMIDIInit(nullptr);
    // Closing answers the save question with its first button (Yes): the list keeps it.
    (void)e->unload();
    EditorProgram::flush();
}
BENCHMARK(BM_CommitToLoopback)->Unit(benchmark::kMicrosecond);

}  // namespace
