// Brevane - the patch generator: breeds a new voice from up to ten source voices.
//
// For each of the 145 parameters of a voice (an unpacked voice without its name) the
// generator looks at the values of the sources whose group for that parameter is
// ticked, draws a whole number from the range they span (one source: the parameter's
// whole range) and pulls that range toward the first source, the base voice, by the
// variance. Parameters whose group is ticked in no source keep the base voice's value.
//
// The sources are a snapshot the caller takes just before asking: each names its list
// and record, carries its voice and its 43 group ticks, so nothing is read from the
// lists while a voice is built. One random engine is seeded once and draws every value.
#pragma once

#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>

namespace tools {

// The parameter groups a voice is bred by: positions 1..36 are six per operator k
// ((k-1)*6 + 1..6: EG Rate, EG Level, EG Level Scaling, Output Level, Sensitivity,
// Oscillator), then 37 Algorithm, 38 Pitch EG Rate, 39 Pitch EG Level, 40 LFO,
// 41 Feedback, 42 Oscillator Key Sync, 43 Transpose.
constexpr int kGroupCount = 43;
constexpr int kOperatorGroupCount = 6;
constexpr int kFirstNonOperatorGroup = 37;
// A generated voice body: an unpacked voice without its name.
constexpr std::size_t kBodySize = banklib::kUnpackedDataSize;
// Most source voices a voice is bred from.
constexpr int kMaxSourceVoices = 10;

// The group position (1..43) of an unpacked parameter (0-based, 0..144); 0 for a name
// character or past the voice.
[[nodiscard]] int GroupPosition(std::size_t param);

using UnpackedVoiceBytes = std::array<std::uint8_t, banklib::kUnpackedVoiceSize>;

// One source voice as the generator sees it.
struct GeneratorSource {
    std::string listKey;                                  // ListID of its list
    platform::Bookmark bookmark = platform::kNoBookmark;  // its record there
    UnpackedVoiceBytes voice{};                           // the voice, unpacked
    std::array<bool, kGroupCount> groups{};               // groups[g - 1]: position g ticked
};

// The voice of a record of a voice list, unpacked: a packed record (118 bytes of data)
// is unpacked, an unpacked one (145) is taken as it is. False, with voice untouched,
// when the record is gone or holds neither.
[[nodiscard]] bool ReadSourceVoice(const platform::Recordset& rs, platform::Bookmark bookmark,
                                   UnpackedVoiceBytes& voice);

class clsPatchGenerator {
public:
    // Seeded once from the system's random device.
    clsPatchGenerator();
    // Seeded once with a given seed (tests).
    explicit clsPatchGenerator(std::uint32_t seed);

    // A new voice body of kBodySize bytes from the sources in tree order (the first is
    // the base voice) and a variance of 0..100 percent (values outside are held to it);
    // "" when there is no source. Every value lies within 0 and the parameter's maximum
    // in the voice parameter table: a source value above it counts as that maximum, as
    // the voice model loads it.
    [[nodiscard]] std::string CreateNewPatch(std::span<const GeneratorSource> sources, int percent);

    // The value of one parameter (0-based).
    [[nodiscard]] int PickParameterValue(std::span<const GeneratorSource> sources, std::size_t param, int percent);

    // lower..upper pulled toward base by percent: each bound becomes
    // base + percent/100 * (bound - base), rounded to the nearest whole number with a
    // half going to the even one. 0 gives base..base, 100 keeps the range.
    [[nodiscard]] static std::pair<int, int> NarrowRange(int base, int lower, int upper, int percent);

    [[nodiscard]] std::mt19937& engine() { return m_engine; }

private:
    std::mt19937 m_engine;
};

}  // namespace tools
