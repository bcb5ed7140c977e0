// Edit > Delete, Cut, Copy and Paste of 50,000 selected voices in a voice-list window of
// 100,000 voices, as the Edit menu runs them (redrawing the bank and the commands).
// Every other voice is selected, so the voices are spread over the whole list.
#include "VoiceListBenchSupport.h"
#include "voicelist/PatchClipboard.h"

#include <QMdiArea>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

constexpr std::size_t kVoices = bench_shell::kBankVoices;
constexpr std::int32_t kSelected = 50'000;
// Edit menu indexes.
constexpr int kCut = 0;
constexpr int kCopy = 1;
constexpr int kPaste = 2;
constexpr int kDelete = 3;

// The main window with one 100,000-voice list, and a copy of that list's records to put
// back before each run.
struct Program : bench_shell::Program {
    shell::frmVoiceList* list = nullptr;
    platform::Recordset pristine;

    Program() : bench_shell::Program("voicelist_clipboard_bench", "brevane-clipboard-bench.ini")
    {
        list = open(bench_shell::bigBank("brevane-clipboard-bench.dat"));
        if (list != nullptr)
            pristine = list->rsmfimage().copy();
    }
    ~Program() { shell::patchClipboard().clear(); }

    // False (and the benchmark skipped) when the bank did not open.
    bool opened(benchmark::State& state) const
    {
        if (list == nullptr)
            state.SkipWithError("the bank did not open");
        return list != nullptr;
    }

    // All 100,000 voices back, every other one selected, the list active.
    void reset()
    {
        list->setRsmfimage(pristine.copy());
        list->InitList(1, true);
        banklib::SelectionTracker& t = list->selectionTracker();
        for (std::size_t v = 2; v < t.tr.size(); v += 2)
            t.tr[v] = true;
        t.TotalSelections = kSelected;
        list->setCurrentVoice(kSelected);
        main->mdiArea()->setActiveSubWindow(list->subWindow());
    }
};

// Runs an Edit menu command once per iteration on the list put back as it was, timing the
// command only. prepare runs untimed after each reset; done says whether the command
// did its work.
void timeEditCommand(benchmark::State& state, Program& program, int command, const char* failure,
                     const std::function<bool()>& done, const std::function<void()>& prepare = {})
{
    for (auto _ : state) {
        state.PauseTiming();
        program.reset();
        if (prepare)
            prepare();
        state.ResumeTiming();
        program.main->mnuedit_Click(command);
        state.PauseTiming();
        if (!done())
            state.SkipWithError(failure);
        state.ResumeTiming();
    }
}

void BM_Delete50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (!program.opened(state))
        return;
    timeEditCommand(state, program, kDelete, "the voices were not deleted", [&] {
        return program.list->VoiceCount() == static_cast<std::int32_t>(kVoices) - kSelected;
    });
}
BENCHMARK(BM_Delete50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Cut50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (!program.opened(state))
        return;
    timeEditCommand(state, program, kCut, "the voices were not cut", [&] {
        return shell::GetClipboardCount() == kSelected &&
               program.list->VoiceCount() == static_cast<std::int32_t>(kVoices) - kSelected;
    });
}
BENCHMARK(BM_Cut50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Copy50000Of100000Voices(benchmark::State& state)
{
    Program program;
    if (!program.opened(state))
        return;
    timeEditCommand(state, program, kCopy, "the voices were not copied",
                    [] { return shell::GetClipboardCount() == kSelected; });
}
BENCHMARK(BM_Copy50000Of100000Voices)->Unit(benchmark::kMillisecond)->Iterations(5);

// Paste of 50,000 voices in the middle of 100,000; with arg 1 they come from an unpacked
// list and are packed on the paste.
void BM_Paste50000Into100000Voices(benchmark::State& state)
{
    Program program;
    if (!program.opened(state))
        return;
    const bool convert = state.range(0) != 0;
    platform::Recordset unpackedSource = program.pristine.copy();
    if (convert)
        shell::ConvertClipboardPatches(unpackedSource, banklib::FileType::Packed, banklib::FileType::Unpacked);
    std::vector<platform::Bookmark> half = unpackedSource.bookmarks();
    half.resize(static_cast<std::size_t>(kSelected));
    timeEditCommand(
        state, program, kPaste, "the voices were not pasted",
        [&] { return program.list->VoiceCount() == static_cast<std::int32_t>(kVoices) + kSelected; },
        [&] {
            (void)shell::patchClipboard().fill(convert ? unpackedSource : program.list->rsmfimage(), half,
                                               convert ? banklib::FileType::Unpacked : banklib::FileType::Packed,
                                               "bench");
        });
}
BENCHMARK(BM_Paste50000Into100000Voices)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
