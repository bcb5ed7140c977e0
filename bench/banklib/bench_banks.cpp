// Brevane - opening and saving a large bank file.
//
// A generated type-3 file of 100,000 voices (3,125 bulk dumps, 12.8 MB) is recognised,
// read, unwrapped and catalogued with every fingerprint column, then saved back in each
// of the four layouts. The baseline reads the same file and computes one CRC-32 over it.
#include "banklib/Crc32.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

using namespace banklib;

constexpr std::size_t kVoices = 100'000;

struct BigBank {
    QTemporaryDir dir;
    std::string path;
    std::string outPath;

    BigBank()
    {
        path = dir.filePath("big.syx").toStdString();
        outPath = dir.filePath("saved.dat").toStdString();
        std::mt19937 rng(1);
        std::vector<std::uint8_t> packed(kVoices * kPackedVoiceSize);
        std::array<std::uint8_t, kUnpackedVoiceSize> v{};
        for (std::size_t i = 0; i < kVoices; ++i) {
            for (std::size_t p = 0; p < kUnpackedVoiceSize - kNameLength; ++p)
                v[p] = static_cast<std::uint8_t>(rng() % 100);
            char name[16];
            std::snprintf(name, sizeof name, "BIG %06zu", i);
            for (std::size_t k = 0; k < kNameLength; ++k)
                v[Unpacked::kName + k] = static_cast<std::uint8_t>(name[k]);
            clsVoiceData::packVoice(v, std::span<std::uint8_t, kPackedVoiceSize>(
                                           packed.data() + i * kPackedVoiceSize, kPackedVoiceSize));
        }
        clsVoiceNames names;
        std::vector<std::uint8_t> wrapped;
        names.AddWrappersByt(packed, wrapped, FileType::PackedSysex);
        if (platform::writeFileAtomic(path, wrapped) != platform::FileError::None)
            std::abort();
    }
};

BigBank& bank()
{
    static BigBank b;
    return b;
}

// The whole open: recognise, read, unwrap, build the recordset; the fingerprint fields
// filled while building, left empty (as File > Open leaves them), or filled by a pass
// over the finished recordset (as the duplicate search fills them).
enum class Columns { WhileBuilding, Empty, SeparatePass };

platform::Recordset openBank(std::int32_t& crc, Columns columns = Columns::WhileBuilding)
{
    clsVoiceLists lists;
    std::string name = bank().path;
    FileType type = FileType::NotFound;
    if (lists.CheckFileIntegrity(name, type, true) != FileCheck::Ok)
        std::abort();
    clsVoiceNames names;
    platform::Recordset rs;
    crc = names.OpenFileAsRecordsetByt(bank().path, "big.syx", type, rs,
                                       columns == Columns::WhileBuilding ? Fingerprints::Fill : Fingerprints::Empty);
    if (columns == Columns::SeparatePass) {
        names.CalcCRCColumns(rs, false);
        names.CalcCRCColumns(rs, true);
        names.CalcChecksumColumns(rs, false);
        names.CalcChecksumColumns(rs, true);
    }
    return rs;
}

void BM_Baseline_ReadAndCrc(benchmark::State& state)
{
    for (auto _ : state) {
        const platform::ReadResult r = platform::readWholeFile(bank().path);
        benchmark::DoNotOptimize(crc32(r.bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kVoices / 32 * 4104);
}
BENCHMARK(BM_Baseline_ReadAndCrc)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

void BM_Open_RecogniseReadUnwrapCatalogue(benchmark::State& state)
{
    const auto columns = static_cast<Columns>(state.range(0));
    for (auto _ : state) {
        std::int32_t crc = 0;
        platform::Recordset rs = openBank(crc, columns);
        if (rs.recordCount() != static_cast<int>(kVoices))
            std::abort();
        benchmark::DoNotOptimize(crc);
        // Closing the list is not part of opening it.
        state.PauseTiming();
        rs = platform::Recordset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open_RecogniseReadUnwrapCatalogue)
    ->ArgName("columns")
    ->Arg(static_cast<int>(Columns::WhileBuilding))
    ->Arg(static_cast<int>(Columns::Empty))
    ->Arg(static_cast<int>(Columns::SeparatePass))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

// The parts of the open, for finding where the time goes.
void BM_OpenPart_RecogniseAndRead(benchmark::State& state)
{
    for (auto _ : state) {
        clsVoiceLists lists;
        std::string name = bank().path;
        FileType type = FileType::NotFound;
        (void)lists.CheckFileIntegrity(name, type, true);
        clsVoiceNames names;
        std::vector<std::uint8_t> bytes;
        std::int32_t crc = 0;
        (void)names.GetFileByt(bank().path, "big.syx", type, bytes, crc, true);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_OpenPart_RecogniseAndRead)->Unit(benchmark::kMillisecond);

void BM_OpenPart_BuildRecordset(benchmark::State& state)
{
    clsVoiceNames names;
    std::vector<std::uint8_t> bytes;
    std::int32_t crc = 0;
    (void)names.GetFileByt(bank().path, "big.syx", FileType::PackedSysex, bytes, crc, true);
    for (auto _ : state) {
        platform::Recordset rs;
        bool repaired = false;
        (void)names.BuildRecordsetFromBytes(FileType::PackedSysex, "big.syx", rs, bytes, repaired);
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_OpenPart_BuildRecordset)->Unit(benchmark::kMillisecond);

// Save as the list's save does: lay the records out in their own layout, convert to the
// chosen layout, write it (wrapped for 1 and 3).
void BM_Save(benchmark::State& state)
{
    const auto target = static_cast<FileType>(state.range(0));
    std::int32_t crc = 0;
    platform::Recordset rs = openBank(crc);
    for (auto _ : state) {
        clsVoiceNames names;
        std::vector<std::uint8_t> image;
        if (names.RecordsetToByteArray(rs, image, FileType::PackedSysex) == -1)
            std::abort();
        names.RestructureFileBufferByt(image, FileType::PackedSysex, target);
        if (names.SaveVoiceDataToFileByt(image, bank().outPath, target, true))
            std::abort();
    }
}
BENCHMARK(BM_Save)
    ->ArgName("layout")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

}  // namespace
