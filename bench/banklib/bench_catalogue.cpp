// Brevane - catalogue operations on a 100,000-voice list.
//
// The list is built as real collections are: 70,000 voices of which about 15,000 share
// popular names (one name 2,000 times, the next 1,000 times, and so on, some in other
// letter case), the rest with names of their own, and 30,000 exact copies of random
// voices among them, all shuffled. Each run works on a fresh copy of that list in a
// voice-list window stand-in; answers to the questions are scripted, and the files of
// removed or grouped voices are written to a temporary folder and read back as the
// program opens them.
#include "banklib/CatalogueHooks.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "banklib/testing/FakeVoiceList.h"
#include "platform/VbText.h"
#include "platform/testing/ScriptedServices.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>

namespace {

using namespace banklib;
using platform::MsgAnswer;

constexpr std::size_t kOriginals = 70'000;
constexpr std::size_t kCopies = 30'000;

platform::Recordset buildList()
{
    std::mt19937 rng(5);
    std::vector<std::array<std::uint8_t, kPackedVoiceSize>> voices;
    voices.reserve(kOriginals + kCopies);
    std::array<std::uint8_t, kUnpackedVoiceSize> v{};
    std::size_t popular = 0;
    for (std::size_t k = 0; voices.size() < kOriginals; ++k) {
        // Popular name k is used 2000 / (k + 1) times while the popular names last.
        const std::size_t uses = k < 2000 ? std::max<std::size_t>(2000 / (k + 1), 1) : 1;
        for (std::size_t u = 0; u < uses && voices.size() < kOriginals; ++u) {
            for (std::size_t p = 0; p < kUnpackedVoiceSize - kNameLength; ++p)
                v[p] = static_cast<std::uint8_t>(rng() % 100);
            char name[32];
            if (k < 2000)
                std::snprintf(name, sizeof name, (rng() % 4 == 0) ? "pop %05zu" : "POP %05zu", k);
            else
                std::snprintf(name, sizeof name, "U%09zu", k);
            for (std::size_t i = 0; i < kNameLength; ++i)
                v[Unpacked::kName + i] = static_cast<std::uint8_t>(name[i]);
            std::array<std::uint8_t, kPackedVoiceSize> packed{};
            clsVoiceData::packVoice(v, packed);
            voices.push_back(packed);
            popular += k < 2000 ? 1 : 0;
        }
    }
    for (std::size_t c = 0; c < kCopies; ++c)
        voices.push_back(voices[rng() % kOriginals]);
    std::shuffle(voices.begin(), voices.end(), rng);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(voices.size() * kPackedVoiceSize);
    for (const auto& p : voices)
        bytes.insert(bytes.end(), p.begin(), p.end());
    platform::testing::ScriptedServices quiet;
    clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    if (names.BuildRecordsetFromBytes(FileType::Packed, "big", rs, bytes, repaired))
        std::abort();
    return rs;
}

const platform::Recordset& master()
{
    static const platform::Recordset list = buildList();
    return list;
}

// A fresh window on a copy of the big list, with scripted services and a data folder.
struct Workbench {
    // The big list is built first: building it installs and then removes services of its
    // own, which would otherwise leave this workbench's scripted answers uninstalled.
    const bool listBuilt = (static_cast<void>(master()), true);
    platform::testing::ScriptedServices ui;
    testing::FakeAppState app;
    QTemporaryDir dir;
    std::unique_ptr<testing::FakeVoiceList> list;

    Workbench()
    {
        app.dataDirectory = dir.path().toStdString() + "/";
        setVoiceListOpener([](const std::string& path, bool, bool) -> VoiceListView* {
            clsVoiceNames reader;
            platform::Recordset rs;
            (void)reader.OpenFileAsRecordsetByt(path, "opened", FileType::Packed, rs);
            return nullptr;
        });
        fresh();
    }
    ~Workbench() { setVoiceListOpener({}); }

    void fresh()
    {
        list = std::make_unique<testing::FakeVoiceList>(dir.path().toStdString() + "/Big.dat", FileType::Packed,
                                                        master().copy());
        app.registry = testing::FakeRegistry();
        app.registry.registerList(*list);
    }
};

// The progress handler of the duplicate dialog: the six figures are laid out for the
// window at most every 50 ms of real time.
clsVoiceNames::SearchStatusHandler progressHandler(std::string& shown)
{
    auto last = std::make_shared<std::chrono::steady_clock::time_point>();
    return [&shown, last](std::int32_t v, std::int32_t s, std::int32_t n, std::int32_t f, std::int32_t d, bool&) {
        const auto now = std::chrono::steady_clock::now();
        if (v != s && now - *last < std::chrono::milliseconds(50))
            return;
        *last = now;
        shown = platform::Format(v, "###,###,##0") + platform::Format(n - v, "###,###,##0") +
                platform::Format(f, "###,###,##0") + platform::Format(d, "###,###,##0") +
                platform::Format(s, "###,###,##0") + platform::Format(n, "###,###,##0");
    };
}

void BM_SearchDuplicates(benchmark::State& state)
{
    const auto mode = static_cast<std::int32_t>(state.range(0));
    const bool sortFirst = state.range(1) != 0;
    Workbench w;
    std::string shown;
    std::int64_t marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.fresh();
        w.app.dialogs.duplicates = {mode, 0, 1, sortFirst ? 1 : 0};
        if (!sortFirst && mode != 3)
            w.ui.answer(MsgAnswer::No);  // "Sort File": search unsorted
        w.ui.answer(MsgAnswer::Yes);     // keep the changes, save the removed voices
        clsVoiceNames names;
        names.SearchStatus = progressHandler(shown);
        state.ResumeTiming();
        names.SearchDuplicates(*w.list);
        marked = static_cast<std::int64_t>(names.MarkedBookmarks().size());
    }
    state.counters["marked"] = static_cast<double>(marked);
}
BENCHMARK(BM_SearchDuplicates)
    ->ArgsProduct({{0, 1, 2, 3}, {1, 0}})
    ->ArgNames({"mode", "sorted"})
    ->Unit(benchmark::kMillisecond);

void BM_SortVoiceList(benchmark::State& state)
{
    Workbench w;
    for (auto _ : state) {
        state.PauseTiming();
        w.fresh();
        clsVoiceNames names;
        state.ResumeTiming();
        names.SortVoiceList(*w.list);
    }
}
BENCHMARK(BM_SortVoiceList)->Unit(benchmark::kMillisecond);

// Find next from the first voice: a name near the end of the list, or a pattern that
// matches nothing, so every name is compared and "Search complete" is reported.
void BM_FindNext(benchmark::State& state)
{
    Workbench w;
    const bool pattern = state.range(0) != 0;
    w.list->rsmfimage().setAbsolutePosition(99'000);
    const std::string target = platform::RTrim(w.list->rsmfimage().text(VoiceListField::Names));
    const std::string text = pattern ? "*QQQ*" : target;
    for (auto _ : state) {
        clsVoiceNames finder;
        finder.FindVoice(text, 1, 1, 1, false, pattern, 2);
    }
    if (!pattern && w.list->listBoxPage() < 2)
        state.SkipWithError("not found");
}
BENCHMARK(BM_FindNext)->Arg(0)->Arg(1)->ArgName("pattern")->Unit(benchmark::kMillisecond);

// Six groups of two patterns, copied or moved into new files.
void BM_GroupPatches(benchmark::State& state)
{
    const bool move = state.range(0) != 0;
    Workbench w;
    const std::vector<std::string> patterns = {"POP 00001*", "pop 00002*", "*0003", "POP 0001*", "U00000*",
                                               "*1234*",     "POP 01*",    "",      "*99",       "U0001*",
                                               "POP 00000",  "*77*"};
    std::int32_t files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.fresh();
        w.app.dialogs.groupMove = move;
        w.ui.answer(MsgAnswer::No);  // keep the moved voices out of the list
        clsVoiceNames names;
        state.ResumeTiming();
        files = names.GroupPatches(*w.list, patterns);
    }
    state.counters["files"] = files;
}
BENCHMARK(BM_GroupPatches)->Arg(0)->Arg(1)->ArgName("move")->Unit(benchmark::kMillisecond);

// Deleting 50,000 selected voices (every other one) in one pass, removed records returned.
void BM_DeleteSelected(benchmark::State& state)
{
    Workbench w;
    for (auto _ : state) {
        state.PauseTiming();
        w.fresh();
        w.list->ResetTracker();
        auto& tracker = w.list->selectionTracker();
        for (std::size_t v = 1; v < tracker.tr.size(); v += 2) {
            tracker.tr[v] = true;
            ++tracker.TotalSelections;
        }
        state.ResumeTiming();
        platform::Recordset removed = w.list->EditDelete(false, {});
        benchmark::DoNotOptimize(removed.recordCount());
    }
}
BENCHMARK(BM_DeleteSelected)->Unit(benchmark::kMillisecond);

}  // namespace
