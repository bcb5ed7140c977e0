// Brevane - the frequency an operator's oscillator plays, as text and back.
#include "editor/FrequencyDisplay.h"

#include "platform/VbText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace editor {
namespace {

constexpr int kFineSteps = FrequencyDisplay::kMaxFine + 1;
constexpr int kCoarseSteps = FrequencyDisplay::kMaxCoarse + 1;
constexpr double kLowestTyped = 0.5;
constexpr double kHighestTyped = 9772.0;

std::array<int, kFineSteps> buildFixedTable()
{
    std::array<int, kFineSteps> t{};
    for (int k = 0; k < kFineSteps; ++k)
        t[static_cast<std::size_t>(k)] = static_cast<int>(std::lround(1000.0 * std::pow(10.0, k / 100.0)));
    // The two steps where the instrument's own table differs from the rounded power.
    t[44] = 2716;
    t[94] = 8718;
    return t;
}

const std::array<int, kFineSteps>& fixedTable()
{
    static const std::array<int, kFineSteps> table = buildFixedTable();
    return table;
}

// The number a display text shows, in thousandths.
std::int64_t thousandthsOf(double value) { return std::llround(value * 1000.0); }

// Every ratio setting's shown number in thousandths, in the search order.
const std::array<std::int64_t, kCoarseSteps * kFineSteps>& shownRatios()
{
    static const auto table = [] {
        std::array<std::int64_t, kCoarseSteps * kFineSteps> t{};
        for (int c = 0; c < kCoarseSteps; ++c)
            for (int j = 0; j < kFineSteps; ++j)
                t[static_cast<std::size_t>(c * kFineSteps + j)] =
                    thousandthsOf(platform::Val(FrequencyDisplay::text(OscillatorMode::Ratio, c, j)));
        return t;
    }();
    return table;
}

bool endsWithHz(std::string_view s)
{
    if (s.size() < 2)
        return false;
    const char h = s[s.size() - 2];
    const char z = s[s.size() - 1];
    return (h == 'H' || h == 'h') && (z == 'Z' || z == 'z');
}

}  // namespace

OscillatorMode FrequencyDisplay::modeOfText(std::string_view modeText)
{
    return platform::Left(modeText, 5) == "Fixed" ? OscillatorMode::Fixed : OscillatorMode::Ratio;
}

OscillatorMode FrequencyDisplay::modeOfValue(int value)
{
    return value == 1 ? OscillatorMode::Fixed : OscillatorMode::Ratio;
}

int FrequencyDisplay::fixedTableValue(int fine)
{
    if (fine < 0 || fine > kMaxFine)
        return 0;
    return fixedTable()[static_cast<std::size_t>(fine)];
}

float FrequencyDisplay::fineFactor(OscillatorMode mode, int fine)
{
    fine = std::clamp(fine, 0, kMaxFine);
    if (mode == OscillatorMode::Ratio)
        return static_cast<float>(fine) / 100.0f;
    return static_cast<float>(fixedTableValue(fine) / 1000.0) - 1.0f;
}

std::string FrequencyDisplay::text(OscillatorMode mode, int coarse, int fine)
{
    coarse = std::clamp(coarse, 0, kMaxCoarse);
    fine = std::clamp(fine, 0, kMaxFine);
    if (mode == OscillatorMode::Ratio) {
        const float f = fineFactor(mode, fine);
        const float base = coarse == 0 ? 0.5f : static_cast<float>(coarse);
        const float ratio = base * f + base;
        return platform::Format(ratio, coarse == 0 ? "0.###" : "#0.0##");
    }
    static constexpr std::string_view kPatterns[] = {"#.000", "#0.00", "##0.0", "0000"};
    const int decade = coarse % 4;
    const double hz = std::pow(10.0, decade) * fixedTableValue(fine) / 1000.0;
    return platform::Format(hz, kPatterns[decade]) + "Hz";
}

std::optional<OscillatorFrequency> FrequencyDisplay::parse(OscillatorMode mode, std::string_view typed)
{
    std::string t = platform::Trim(typed);
    if (endsWithHz(t))
        t = platform::Trim(std::string_view(t).substr(0, t.size() - 2));
    const double f = platform::Val(t);
    if (!(f >= kLowestTyped) || f > kHighestTyped)
        return std::nullopt;

    if (mode == OscillatorMode::Ratio) {
        const std::int64_t wanted = thousandthsOf(f);
        const auto& shown = shownRatios();
        const auto it = std::find(shown.begin(), shown.end(), wanted);
        if (it == shown.end())
            return std::nullopt;
        const int index = static_cast<int>(it - shown.begin());
        return OscillatorFrequency{index / kFineSteps, index % kFineSteps};
    }

    if (f < 1.0)
        return OscillatorFrequency{0, 0};
    const int decade = f < 10.0 ? 0 : f < 100.0 ? 1 : f < 1000.0 ? 2 : 3;
    // The decade's four shown digits, as the table holds them.
    const std::int64_t wanted = std::llround(f * std::pow(10.0, 3 - decade));
    const auto& table = fixedTable();
    const auto it = std::find(table.begin(), table.end(), wanted);
    if (it == table.end())
        return std::nullopt;
    return OscillatorFrequency{decade, static_cast<int>(it - table.begin())};
}

}  // namespace editor
