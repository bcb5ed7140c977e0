// What the patch generator costs: one voice from ten sources, ticking a voice node with
// its 51 nodes, and a click in a 100,000-voice list while the generator follows it.
#include "../voicelist/VoiceListBenchSupport.h"
#include "tools/frmRandomiseVoices.h"

#include "voicelist/VoiceListBox.h"

#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

void BM_CreateNewPatchFromTenSources(benchmark::State& state)
{
    std::mt19937 rng(3);
    std::vector<tools::GeneratorSource> sources(tools::kMaxSourceVoices);
    for (tools::GeneratorSource& s : sources) {
        for (std::size_t p = 0; p < tools::kBodySize; ++p)
            s.voice[p] = static_cast<std::uint8_t>(
                std::uniform_int_distribution<int>(0, banklib::clsVoiceData::ParameterMaximum(p))(rng));
        s.groups.fill(true);
    }
    tools::clsPatchGenerator generator(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.CreateNewPatch(sources, 60));
}
BENCHMARK(BM_CreateNewPatchFromTenSources)->Unit(benchmark::kMicrosecond);

struct Program : bench_shell::Program {
    explicit Program(bool withGenerator) : bench_shell::Program("tools_generator_bench", "brevane-generator-bench.ini")
    {
        if (withGenerator)
            generator = &tools::frmRandomiseVoices::install(*main);
    }
    tools::frmRandomiseVoices* generator = nullptr;
};

std::string bigBank() { return bench_shell::bigBank("brevane-generator-bench.dat"); }

void BM_TickAVoiceNodeWithItsFiftyOneNodes(benchmark::State& state)
{
    Program program(true);
    shell::frmVoiceList* w = program.open(bigBank());
    const QPoint at = w->List1()->itemRect(3).center();
    w->List1_MouseDown(Qt::LeftButton, Qt::NoModifier, at);
    w->List1_MouseUp(Qt::LeftButton, Qt::NoModifier, at);
    w->renameWait().stop();
    QTreeWidgetItem* voice = program.generator->TreeView1()->voiceNodes().front()->item;
    bool on = false;
    for (auto _ : state) {
        on = !on;
        voice->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
}
BENCHMARK(BM_TickAVoiceNodeWithItsFiftyOneNodes)->Unit(benchmark::kMicrosecond);

// A plain click and a Ctrl click in turn, far into the list; the second argument says
// whether the generator is there to follow the selection.
void BM_ClickIn100000Voices(benchmark::State& state)
{
    Program program(state.range(0) != 0);
    shell::frmVoiceList* w = program.open(bigBank());
    w->HScroll1()->setValue(3000);
    int entry = 0;
    for (auto _ : state) {
        entry = (entry + 7) % 32;
        const Qt::KeyboardModifiers modifiers = entry % 2 ? Qt::ControlModifier : Qt::NoModifier;
        const QPoint at = w->List1()->itemRect(entry).center();
        w->List1_MouseDown(Qt::LeftButton, modifiers, at);
        w->List1_MouseUp(Qt::LeftButton, modifiers, at);
        w->renameWait().stop();
    }
    if (program.generator != nullptr && program.generator->SourceVoiceCount() == 0)
        state.SkipWithError("the generator did not follow the clicks");
}
BENCHMARK(BM_ClickIn100000Voices)->Arg(0)->Arg(1)->ArgName("generator")->Unit(benchmark::kMicrosecond);

}  // namespace
