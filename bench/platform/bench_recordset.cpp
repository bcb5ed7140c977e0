// Brevane - recordset costs on a 100,000-voice list.
#include "platform/Recordset.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr int kVoices = 100'000;

// The least of the repetitions: on a shared machine the figure least disturbed by others.
double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

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

// A small table as a voice editor opens several of: 155 parameter rows of 14 fields,
// built from scratch.
void BM_Create155Rows(benchmark::State& state)
{
    const std::vector<FieldDef> fields = {
        {"ParamID", FieldType::FixedText, 4},      {"Title", FieldType::FixedText, 15},
        {"ShortTitle", FieldType::FixedText, 6},   {"Value", FieldType::FixedText, 5},
        {"Min.", FieldType::FixedText, 5},         {"Max.", FieldType::FixedText, 5},
        {"Group", FieldType::FixedText, 15},       {"SubGroup", FieldType::FixedText, 15},
        {"OpGroup", FieldType::FixedText, 15},     {"EGChartXVal", FieldType::Double, 10},
        {"EGChartKoffXVal", FieldType::Double, 10}, {"ProxyFieldID", FieldType::FixedText, 3},
        {"ProxyVal", FieldType::FixedText, 20},    {"RandomGroup", FieldType::FixedText, 20}};
    std::vector<std::vector<Value>> rows;
    for (int r = 0; r < 155; ++r)
        rows.push_back({std::to_string(r + 1), std::string("OP1 EG Rate 1"), std::string("R1"),
                        std::to_string(r % 100), std::string("0"), std::string("99"), std::string("Operator"),
                        std::string("EG"), std::string("OP1"), 0.0, 0.0, std::string("0"), std::string("Not Set"),
                        std::string("EG")});
    // Timed by hand: preparing the values and closing the table are not part of it.
    for (auto _ : state) {
        auto work = rows;
        const auto start = std::chrono::steady_clock::now();
        auto rs = std::make_unique<Recordset>(fields);
        for (auto& values : work)
            rs->appendRecordFrom(values);
        benchmark::DoNotOptimize(rs->recordCount());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_Create155Rows)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5)->ComputeStatistics("min", minimum);

// The same rows added one at a time with addNew and setValue, the way a parameter table
// is loaded from a voice.
void BM_Create155RowsByAddNew(benchmark::State& state)
{
    for (auto _ : state) {
        Recordset rs({{"ParamID", FieldType::FixedText, 4},
                      {"Title", FieldType::FixedText, 15},
                      {"Value", FieldType::FixedText, 5}});
        for (int r = 0; r < 155; ++r) {
            rs.addNew();
            rs.setValue(0, std::to_string(r + 1));
            rs.setValue(1, std::string("OP1 EG Rate 1"));
            rs.setValue(2, std::to_string(r % 100));
        }
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_Create155RowsByAddNew)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ComputeStatistics("min", minimum);

}  // namespace
