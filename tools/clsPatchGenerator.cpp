// Brevane - the patch generator.
#include "tools/clsPatchGenerator.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <variant>

namespace tools {
namespace {

using banklib::Unpacked::kAlgorithm;
using banklib::Unpacked::kFeedback;
using banklib::Unpacked::kLfoSpeed;
using banklib::Unpacked::kOscKeySync;
using banklib::Unpacked::kPitchEgLevel1;
using banklib::Unpacked::kPitchEgRate1;
using banklib::Unpacked::kTranspose;

// The group within an operator (1..6) of each of its 21 parameters.
constexpr std::array<int, banklib::kUnpackedOperatorSize> kOperatorGroupOf = {
    1, 1, 1, 1,     // EG rates
    2, 2, 2, 2,     // EG levels
    3, 3, 3, 3, 3,  // break point, left and right depth, left and right curve
    5, 5, 5,        // rate scaling, amplitude-modulation and key-velocity sensitivity
    4,              // output level
    6, 6, 6, 6,     // oscillator mode, coarse, fine, detune
};

constexpr std::array<int, kBodySize> buildGroupIndexTable()
{
    std::array<int, kBodySize> table{};
    constexpr std::size_t operatorBytes = banklib::kOperatorCount * banklib::kUnpackedOperatorSize;
    for (std::size_t p = 0; p < operatorBytes; ++p) {
        // Block 0 holds operator 6.
        const auto block = static_cast<int>(p / banklib::kUnpackedOperatorSize);
        table[p] = (5 - block) * kOperatorGroupCount + kOperatorGroupOf[p % banklib::kUnpackedOperatorSize];
    }
    for (std::size_t p = kPitchEgRate1; p < kPitchEgLevel1; ++p)
        table[p] = 38;
    for (std::size_t p = kPitchEgLevel1; p < kAlgorithm; ++p)
        table[p] = 39;
    table[kAlgorithm] = 37;
    table[kFeedback] = 41;
    table[kOscKeySync] = 42;
    for (std::size_t p = kLfoSpeed; p < kTranspose; ++p)
        table[p] = 40;
    table[kTranspose] = 43;
    return table;
}

constexpr std::array<int, kBodySize> kGroupIndexTable = buildGroupIndexTable();

// numerator / 100 rounded to the nearest whole number, a half to the even one
// (numerator >= 0).
int roundPercent(long numerator)
{
    long q = numerator / 100;
    const long r = numerator % 100;
    if (r * 2 > 100 || (r * 2 == 100 && (q % 2) != 0))
        ++q;
    return static_cast<int>(q);
}

const std::string* textOf(const platform::Value& value) { return std::get_if<std::string>(&value); }

}  // namespace

int GroupPosition(std::size_t param) { return param < kGroupIndexTable.size() ? kGroupIndexTable[param] : 0; }

bool ReadSourceVoice(const platform::Recordset& rs, platform::Bookmark bookmark, UnpackedVoiceBytes& voice)
{
    if (bookmark == platform::kNoBookmark || !rs.contains(bookmark))
        return false;
    const std::string* data = textOf(rs.valueAt(bookmark, banklib::VoiceListField::Data));
    const std::string* names = textOf(rs.valueAt(bookmark, banklib::VoiceListField::Names));
    if (data == nullptr)
        return false;
    std::string name = names != nullptr ? *names : std::string();
    name.resize(banklib::kNameLength, ' ');
    if (data->size() == banklib::kPackedDataSize) {
        std::array<std::uint8_t, banklib::kPackedVoiceSize> packed{};
        std::memcpy(packed.data(), data->data(), banklib::kPackedDataSize);
        std::memcpy(packed.data() + banklib::kPackedDataSize, name.data(), banklib::kNameLength);
        banklib::clsVoiceData::unpackVoice(packed, voice);
        return true;
    }
    if (data->size() == banklib::kUnpackedDataSize) {
        std::memcpy(voice.data(), data->data(), banklib::kUnpackedDataSize);
        std::memcpy(voice.data() + banklib::kUnpackedDataSize, name.data(), banklib::kNameLength);
        return true;
    }
    return false;
}

clsPatchGenerator::clsPatchGenerator() : m_engine(std::random_device{}()) {}

clsPatchGenerator::clsPatchGenerator(std::uint32_t seed) : m_engine(seed) {}

std::pair<int, int> clsPatchGenerator::NarrowRange(int base, int lower, int upper, int percent)
{
    const long p = std::clamp(percent, 0, 100);
    const int high = roundPercent(100L * base + p * (upper - base));
    const int low = roundPercent(100L * base - p * (base - lower));
    return {std::min(low, high), std::max(low, high)};
}

int clsPatchGenerator::PickParameterValue(std::span<const GeneratorSource> sources, std::size_t param, int percent)
{
    const int max = banklib::clsVoiceData::ParameterMaximum(param);
    const auto valueOf = [&](const GeneratorSource& s) { return std::min<int>(s.voice[param], max); };
    const int base = valueOf(sources.front());
    const int group = GroupPosition(param);
    if (group < 1)
        return base;

    bool any = false;
    int lowest = max;
    int highest = 0;
    for (const GeneratorSource& s : sources) {
        if (!s.groups[static_cast<std::size_t>(group - 1)])
            continue;
        any = true;
        lowest = std::min(lowest, valueOf(s));
        highest = std::max(highest, valueOf(s));
    }
    if (!any)
        return base;
    // One source voice: anything the parameter can hold.
    if (sources.size() == 1) {
        lowest = 0;
        highest = max;
    }
    const auto [lower, upper] = NarrowRange(base, lowest, highest, percent);
    if (lower == upper)
        return lower;
    return std::uniform_int_distribution<int>(lower, upper)(m_engine);
}

std::string clsPatchGenerator::CreateNewPatch(std::span<const GeneratorSource> sources, int percent)
{
    if (sources.empty())
        return {};
    std::string body(kBodySize, '\0');
    for (std::size_t p = 0; p < kBodySize; ++p)
        body[p] = static_cast<char>(PickParameterValue(sources, p, percent));
    return body;
}

}  // namespace tools
