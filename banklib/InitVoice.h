// Brevane - the initial voice, and the bank of 32 of them that File > New opens.
#pragma once

#include "banklib/VoiceFormat.h"

#include <array>
#include <cstdint>
#include <vector>

namespace banklib {

// Name of the program's own bank of initial voices, read from the program folder.
constexpr const char* kInitBankFileName = "DXInit.dat";

// "INIT VOICE" in the unpacked layout: every operator envelope at rate 99 with levels
// 99/99/99/0, operator 1 at output level 99 and the others silent, ratio mode with coarse 1
// and fine 0, detune centred (7), break point 39 (C3); pitch envelope levels 50 (rates 99);
// algorithm 1, feedback 0, oscillator key sync on, LFO speed 35, pitch modulation
// sensitivity 3, transpose 24 (C3). Everything else is 0.
[[nodiscard]] std::array<std::uint8_t, kUnpackedVoiceSize> InitVoice();

// A packed bank (type 2, 4096 bytes) of 32 initial voices.
[[nodiscard]] std::vector<std::uint8_t> InitBank();

}  // namespace banklib
