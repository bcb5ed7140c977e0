// Opening a 100,000-voice bank into a voice-list window and showing bank 1, and what
// paging, selecting and renaming in that window cost.
#include "VoiceListBenchSupport.h"
#include "voicelist/VoiceListBox.h"

#include <QLineEdit>
#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

std::string bigBank() { return bench_shell::bigBank("brevane-voicelist-bench.dat"); }

struct Program : bench_shell::Program {
    Program() : bench_shell::Program("voicelist_bench", "brevane-bench.ini") {}
};

void BM_OpenBankOf100000VoicesAndShowBank1(benchmark::State& state)
{
    const std::string path = bigBank();
    Program program;
    for (auto _ : state) {
        shell::frmVoiceList* w = program.open(path);
        QApplication::processEvents();
        benchmark::DoNotOptimize(w);
        state.PauseTiming();
        if (w == nullptr || w->List1()->count() != 32)
            state.SkipWithError("the bank did not open");
        else
            (void)w->unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenBankOf100000VoicesAndShowBank1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PageThrough100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    int bank = 1;
    for (auto _ : state) {
        bank = bank % 3125 + 1;
        w->HScroll1()->setValue(bank);
        benchmark::DoNotOptimize(w->List1()->count());
    }
}
BENCHMARK(BM_PageThrough100000Voices)->Unit(benchmark::kMicrosecond);

void BM_ClickAndCtrlClickIn100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    w->HScroll1()->setValue(1500);
    int entry = 0;
    for (auto _ : state) {
        entry = (entry + 7) % 32;
        const QPoint at = w->List1()->itemRect(entry).center();
        w->List1_MouseDown(Qt::LeftButton, entry % 2 ? Qt::ControlModifier : Qt::NoModifier, at);
        w->List1_MouseUp(Qt::LeftButton, entry % 2 ? Qt::ControlModifier : Qt::NoModifier, at);
        w->renameWait().stop();
    }
}
BENCHMARK(BM_ClickAndCtrlClickIn100000Voices)->Unit(benchmark::kMicrosecond);

void BM_RenameIn100000Voices(benchmark::State& state)
{
    Program program;
    shell::frmVoiceList* w = program.open(bigBank());
    w->HScroll1()->setValue(2000);
    int k = 0;
    for (auto _ : state) {
        k = (k + 1) % 32;
        w->ShowRenameBox(1999 * 32 + k);
        w->Text1()->setText(k % 2 ? QStringLiteral("RENAMED") : QStringLiteral("AGAIN"));
        w->commitRename();
    }
}
BENCHMARK(BM_RenameIn100000Voices)->Unit(benchmark::kMicrosecond);

}  // namespace
