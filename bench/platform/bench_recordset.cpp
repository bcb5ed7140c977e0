// Brevane - recordset costs on a 100,000-voice list.
#include "platform/Recordset.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

using namespace platform;

namespace {

constexpr int kVoices = 100'000;

// A voice-list shaped table; names repeat in runs, as real collections do.
Recordset makeList(int n)
{
    Recordset rs;
    rs.appendField("ID", FieldType::Text, 10);
    rs.appendField("Data", FieldType::Text, 145);
    rs.appendField("Names", FieldType::FixedText, 10);
    rs.appendField("CRCAll", FieldType::FixedText, 15);
    rs.appendField("CRCExName", FieldType::FixedText, 15);
    rs.appendField("ChecksumAll", FieldType::FixedText, 15);
    rs.appendField("ChecksumExName", FieldType::FixedText, 15);
    rs.appendField("DelSelected", FieldType::Boolean, 1);
    for (int f : {2, 3, 4, 5})
        rs.createIndex(f);
    std::mt19937 rng(7);
    std::string data(118, '\0');
    for (int i = 0; i < n; ++i) {
        for (auto& c : data)
            c = static_cast<char>(rng() & 0x7F);
        const int nameNo = static_cast<int>(rng() % 20'000);
        rs.appendRecord({std::to_string(i + 1), data, "VOICE" + std::to_string(nameNo),
                         " " + std::to_string(rng()), " " + std::to_string(rng()),
                         " " + std::to_string(rng() & 0x7F), " " + std::to_string(rng() & 0x7F), false});
    }
    return rs;
}

void BM_Build(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(makeList(kVoices));
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

void BM_SortByName(benchmark::State& state)
{
    Recordset rs = makeList(kVoices);
    for (auto _ : state) {
        rs.sort({{2}});
        state.PauseTiming();
        rs.sort({});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

void BM_FilterByIndexedName(benchmark::State& state)
{
    Recordset rs = makeList(kVoices);
    int i = 0;
    for (auto _ : state) {
        rs.setFilter(std::vector<Equals>{{2, std::string("VOICE" + std::to_string(i++ % 20'000))}});
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_FilterByIndexedName)->Unit(benchmark::kMicrosecond);

void BM_FindNextByName(benchmark::State& state)
{
    Recordset rs = makeList(kVoices);
    rs.moveFirst();
    for (auto _ : state) {
        if (!rs.find(std::vector<Equals>{{2, std::string("VOICE123")}}, 1))
            rs.moveFirst();
    }
}
BENCHMARK(BM_FindNextByName)->Unit(benchmark::kMicrosecond);

void BM_DeleteHalfByBookmarks(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Recordset rs = makeList(kVoices);
        auto all = rs.bookmarks();
        std::vector<Bookmark> doomed;
        for (std::size_t i = 0; i < all.size(); i += 2)
            doomed.push_back(all[i]);
        state.ResumeTiming();
        rs.deleteRecords(doomed);
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_DeleteHalfByBookmarks)->Unit(benchmark::kMillisecond);

void BM_Copy(benchmark::State& state)
{
    Recordset rs = makeList(kVoices);
    for (auto _ : state)
        benchmark::DoNotOptimize(rs.copy());
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);

}  // namespace
