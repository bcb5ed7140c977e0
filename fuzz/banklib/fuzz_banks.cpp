// Brevane - fuzzing recognition, unwrapping and cataloguing of received or read bank data.
//
// Any bytes go through what a received dump or an opened file goes through: the size and
// wrapper recognition, the SY-series test, stripping the wrappers in the recognised layout
// (and in every other layout), building the voice-list recordset with its fingerprints,
// laying it out again, converting between packed and unpacked voices, and unpacking each
// packed voice. Message boxes answer with their first button (the headless services).
//
// Recognition and unwrapping read the whole input. Each recordset is built from at most
// the first kCatalogueVoices voices, once for the recognised layout and once for each bare
// layout it was not recognised as. Every voice goes through the same code, and in the
// sanitized fuzz build each costs some ten microseconds: a 70 kB input catalogued whole
// three times over left little time to explore.
#include "FuzzSeeds.h"
#include "banklib/InitVoice.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceLists.h"
#include "banklib/clsVoiceNames.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using namespace banklib;

namespace {

constexpr std::size_t kCatalogueVoices = 16;

// Builds the recordset of the first kCatalogueVoices voices of bare data in a layout, lays
// it out again and converts that to the other layout, checking the sizes at each step.
void catalogue(clsVoiceNames& names, FileType layout, std::span<const std::uint8_t> whole)
{
    const std::span<const std::uint8_t> bare =
        whole.first(std::min(whole.size(), kCatalogueVoices * voiceSizeOf(layout)));
    platform::Recordset rs;
    bool repaired = false;
    if (names.BuildRecordsetFromBytes(layout, "fuzz", rs, bare, repaired, Fingerprints::Fill))
        return;
    const std::size_t size = voiceSizeOf(layout);
    if (rs.recordCount() != static_cast<int>((bare.size() + size - 1) / size))
        std::abort();
    std::vector<std::uint8_t> image;
    const std::int32_t crc = names.RecordsetToByteArray(rs, image, layout);
    if ((crc == -1) != (rs.recordCount() == 0) || image.size() != static_cast<std::size_t>(rs.recordCount()) * size)
        std::abort();
    const FileType other = isPackedLayout(layout) ? FileType::Unpacked : FileType::Packed;
    names.RestructureFileBufferByt(image, layout, other);
    if (image.size() != static_cast<std::size_t>(rs.recordCount()) * voiceSizeOf(other))
        std::abort();
}

// Files of each layout as the program writes them: initial voices under other names,
// one voice, one bank, a bank and a bit, two banks.
std::vector<fuzzseeds::Seed> seeds()
{
    std::vector<std::uint8_t> unpacked;
    for (int i = 0; i < 40; ++i) {
        auto voice = InitVoice();
        voice[Unpacked::kName] = static_cast<std::uint8_t>('A' + i % 26);
        voice[Unpacked::kName + 1] = static_cast<std::uint8_t>('0' + i % 10);
        unpacked.insert(unpacked.end(), voice.begin(), voice.end());
    }
    clsVoiceNames names;
    std::vector<std::uint8_t> packed = unpacked;
    names.RestructureFileBufferByt(packed, FileType::Unpacked, FileType::Packed);
    std::vector<std::uint8_t> oneVoice(unpacked.begin(), unpacked.begin() + kUnpackedVoiceSize);
    std::vector<std::uint8_t> oneBank(packed.begin(), packed.begin() + 32 * kPackedVoiceSize);
    std::vector<std::uint8_t> twoBanks = oneBank;
    twoBanks.insert(twoBanks.end(), oneBank.begin(), oneBank.end());
    std::vector<fuzzseeds::Seed> out = {oneVoice, oneBank, packed, unpacked};
    for (const auto* bare : {&oneVoice, &unpacked}) {
        std::vector<std::uint8_t> wrapped;
        names.AddWrappersByt(*bare, wrapped, FileType::UnpackedSysex);
        out.push_back(wrapped);
    }
    for (const auto* bare : {&oneBank, &packed, &twoBanks}) {
        std::vector<std::uint8_t> wrapped;
        names.AddWrappersByt(*bare, wrapped, FileType::PackedSysex);
        out.push_back(wrapped);
    }
    return out;
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // These keep no state between the calls made here; made once, they cost no time per input.
    static clsVoiceLists lists;
    static clsVoiceNames names;
    static const clsVoiceData codec;

    const std::span<const std::uint8_t> bytes(data, size);
    const std::string buffer(reinterpret_cast<const char*>(data), size);

    FileType syType = FileType::NotFound;
    (void)lists.CheckSYFormat(bytes, syType);
    std::string name;
    FileType type = FileType::NotFound;
    const FileCheck check = lists.CheckFileIntegrity(name, type, true, buffer);

    FileType catalogued = FileType::NotFound;
    if (check == FileCheck::Ok) {
        FileType stripped = type;
        const std::string bare = names.stripheaders(buffer, stripped, true);
        if (bare.size() > buffer.size())
            std::abort();
        catalogue(names, stripped,
                  std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bare.data()), bare.size()));
        catalogued = stripped;
    }
    // Every layout, whatever the recognition said, as a file of that type would be read.
    for (FileType layout : {FileType::UnpackedSysex, FileType::PackedSysex}) {
        std::vector<std::uint8_t> out;
        names.StripHeadersByt(bytes, layout, out);
        if (out.size() > size)
            std::abort();
    }
    for (FileType layout : {FileType::Unpacked, FileType::Packed}) {
        if (layout != catalogued)
            catalogue(names, layout, bytes);
    }
    for (std::size_t at = 0; at + kPackedVoiceSize <= size && at < 8 * kPackedVoiceSize; at += kPackedVoiceSize) {
        std::vector<std::uint8_t> unpacked;
        if (!codec.UnpackByt(bytes.subspan(at, kPackedVoiceSize), unpacked))
            std::abort();
        std::vector<std::uint8_t> packed;
        codec.PackByt(unpacked, packed);
        std::vector<std::uint8_t> again;
        if (!codec.UnpackByt(packed, again) || again != unpacked)
            std::abort();
    }
    return 0;
}
