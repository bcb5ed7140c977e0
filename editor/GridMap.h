// Brevane - which of the editor's 27 parameter grids shows which VoiceData rows.
//
//   0        pitch EG rates and levels (rows 126..133)
//   n        operator n's EG rates and levels (8 rows from its first row)
//   n + 6    operator n's level scaling: break point, depths, curves ("Level Scaling")
//   n + 12   operator n's oscillator: mode, coarse, fine, detune ("Oscillator")
//   n + 18   operator n's rate scaling, AMS, KVS, output level ("Sensitivity")
//   25       LFO speed, delay, PMD, AMD, key sync, wave, PMS (rows 137..143)
//   26       feedback, oscillator key sync, transpose (rows 135, 136, 144)
//
// Operator n's first row is (6 - n) x 21. The algorithm (row 134) and the name rows have
// no grid. The EG grids show the raw value, the others the display text.
#pragma once

#include <string_view>
#include <vector>

namespace editor {

constexpr int kGridCount = 27;
constexpr int kPitchEgGrid = 0;
constexpr int kLfoGrid = 25;
constexpr int kMiscGrid = 26;

// The VoiceData rows of a grid, top to bottom (empty for an index outside 0..26).
[[nodiscard]] std::vector<int> rowsOfGrid(int grid);
// The grid that shows a row, or -1.
[[nodiscard]] int gridOfRow(int row);
// The panel a grid sits in: the operator 1..6, or 0 for the non-operator panel.
[[nodiscard]] int panelOfGrid(int grid);
// Whether the grid shows the raw value (the EG grids) rather than the display text.
[[nodiscard]] bool gridShowsRawValue(int grid);
[[nodiscard]] std::string_view gridCaption(int grid);

}  // namespace editor
