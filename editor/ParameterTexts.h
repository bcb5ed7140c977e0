// Brevane - the display texts (ProxyVal) of a voice's parameter rows.
//
// Each VoiceData row carries the text a grid shows beside its raw value: a row whose
// ProxyFieldID is empty shows its own number, any other row the ProxyData text of its
// value in the column ProxyFieldID names ("+EXP", "C 3", "Sine"). An operator's four
// oscillator rows are kept together: "Ratio" or "Fixed" on the mode row, the detune
// text, and the frequency ("1.5", "263.0Hz") on both the coarse and the fine row, whose
// ProxyFieldID follows the mode (3 "Fixed Freq.Fine", 4 "Freq.Ratio Fine").
//
// Rows are 0-based VoiceData positions; no widget is involved, so the printed listings
// use the same texts.
#pragma once

#include "editor/VoiceRows.h"

#include <string>

namespace editor {

// First VoiceData row of operator op (1..6): operator 6 starts at row 0.
[[nodiscard]] constexpr int operatorFirstRow(int op) { return (6 - op) * 21; }
// Offsets of an operator's oscillator rows from its first row.
constexpr int kOscModeOffset = 17;
constexpr int kOscCoarseOffset = 18;
constexpr int kOscFineOffset = 19;
constexpr int kOscDetuneOffset = 20;
// The operator (1..6) whose oscillator rows include row, or 0.
[[nodiscard]] int oscillatorOperatorOfRow(int row);

// The display text of one value in a ProxyData column (1..10); "" when the value or the
// column is outside the table.
[[nodiscard]] std::string proxyText(const VoiceRows& proxy, int column, int value);

// The frequency text of operator op as its coarse, fine and mode rows give it.
[[nodiscard]] std::string FormatOscillatorFrequency(const VoiceRows& voice, int op);
// Writes the texts of operator op's four oscillator rows and points the coarse and fine
// rows at the mode's ProxyData column. Returns the frequency text.
std::string UpdateOscillatorTexts(const VoiceRows& voice, const VoiceRows& proxy, int op);
std::string UpdateOscillatorTexts(platform::Recordset& rsVoiceData, platform::Recordset& rsProxyData, int op);

// Writes the text of one row (the four oscillator rows of its operator for an oscillator
// row).
void RefreshRowText(const VoiceRows& voice, const VoiceRows& proxy, int row);
// Writes the texts of every parameter row (not the name).
void RefreshAllTexts(const VoiceRows& voice, const VoiceRows& proxy);

}  // namespace editor
