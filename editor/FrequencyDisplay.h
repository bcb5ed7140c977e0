// Brevane - the frequency an operator's oscillator plays, as text and back.
//
// An operator's oscillator runs either at a ratio of the key's pitch (mode 0, "Ratio") or
// at a fixed frequency (mode 1, "Fixed"); its coarse (0..31) and fine (0..99) values give
// the number. The editor shows that number on the coarse and the fine row ("1.5",
// "0.505", "263.0Hz", "2716Hz"), the full listing prints it, and a number typed into one
// of those rows is turned back into coarse and fine.
//
// Ratio: coarse c (0 counts as 0.5) times (1 + fine / 100), at most three decimals.
// Fixed: 10^(c mod 4) times T/1000, where T is the instrument's table 1000 x 10^(fine/100)
// rounded (1000, 1023, 1047 ... 9772; fine 44 gives 2716 and 94 gives 8718).
//
// Plain values only: no recordset, no widget.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace editor {

// Raw values of the oscillator mode row.
enum class OscillatorMode : int { Ratio = 0, Fixed = 1 };

struct OscillatorFrequency {
    int coarse = 0;
    int fine = 0;
    friend bool operator==(const OscillatorFrequency&, const OscillatorFrequency&) = default;
};

class FrequencyDisplay {
public:
    static constexpr int kMaxCoarse = 31;
    static constexpr int kMaxFine = 99;

    // The mode of a mode row's display text: "Fixed..." is fixed, anything else ratio
    // (the first five characters decide).
    [[nodiscard]] static OscillatorMode modeOfText(std::string_view modeText);
    // The mode of a raw mode value: 1 is fixed, anything else ratio.
    [[nodiscard]] static OscillatorMode modeOfValue(int value);

    // The instrument's fixed-frequency table value T of a fine value 0..99 (1000..9772);
    // 0 outside that range.
    [[nodiscard]] static int fixedTableValue(int fine);
    // The fine factor of a fine value as the display lookup holds it: fine / 100 for a
    // ratio, T / 1000 - 1 for a fixed frequency (single precision).
    [[nodiscard]] static float fineFactor(OscillatorMode mode, int fine);

    // The text shown for coarse and fine: "1.5", "0.505", "2.0" for ratios, "1.023Hz",
    // "10.23Hz", "263.0Hz", "2716Hz" for fixed frequencies. Values outside their ranges
    // are clamped into them.
    [[nodiscard]] static std::string text(OscillatorMode mode, int coarse, int fine);

    // A typed frequency ("1.5", "263Hz", " 2716 Hz") turned back into coarse and fine, or
    // nullopt when no setting shows that number.
    //
    // Whatever the display shows is found again: a ratio is matched to three decimals in
    // the order coarse 0..31, fine 0..99 (so 1.5 gives coarse 1, fine 50); a fixed
    // frequency is taken in its decade (1 to below 10 Hz coarse 0, 10 to below 100 coarse
    // 1, 100 to below 1000 coarse 2, 1000 Hz and above coarse 3) and matched to the
    // decade's four digits. A trailing "Hz" is ignored. Refused: no number, below 0.5 or
    // above 9772, a ratio no setting gives (62, 1.02), a fixed frequency between table
    // steps (1.02) or that would round into the next decade (9.9995). From 0.5 to below
    // 1 Hz a fixed frequency gives coarse 0, fine 0 (1 Hz), the lowest there is.
    [[nodiscard]] static std::optional<OscillatorFrequency> parse(OscillatorMode mode, std::string_view typed);
};

}  // namespace editor
