// Brevane - busy cursor, status-bar messages, yielding waits and bank arithmetic.
//
// Every subsystem keeps the user informed through these helpers; they reach the main
// window only through platform::status() and platform::eventLoop(), so tests run them
// against a scripted status bar and a virtual clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Voices per bank of a DX7 bulk dump.
constexpr std::int32_t kVoicesPerBank = 32;

// The program-wide mouse pointer: the hourglass while busy, the default pointer otherwise.
void SetBusyCursor(bool busy);

// Writes, holds and clears a message in a status-bar panel (1 = messages, 2 = MIDI file
// player). mode 0 shows text, waits pauseMs and clears the panel; mode 1 shows text and
// leaves it standing (an empty text clears the panel); mode 2 shows nothing, waits and
// then clears the panel; any other mode only waits. redraw repaints the main window right
// after the text is written. Nothing at all happens for an empty text with pause 0 unless
// the mode is 1. The wait keeps the windows alive (PauseWithEvents).
void ShowStatusMessage(const std::string& text, std::int32_t pauseMs = 0, std::int32_t mode = 1,
                       bool redraw = false, std::int32_t panel = 1);

// Waits ms milliseconds on the monotonic clock while events are handled, so windows stay
// usable and handlers (MIDI input, clicks, timers) run inside the wait; callers guard
// against re-entry themselves. Returns at once, without handling events, for ms <= 0.
void PauseWithEvents(std::int32_t ms);

// The number of 32-voice banks that hold n voices, ceiling(n / 32), which is also the
// bank page of the 1-based voice n: 1-32 give 1, 33-64 give 2. A 0 in the caller's
// variable is first changed to 1. Negative counts give ceiling(n / 32) truncated towards
// zero (-40 gives -1), with 0 results changed to 1.
std::int32_t BankCountForPatches(std::int32_t& n);
// The same for a value that is not a variable (an expression or a constant).
[[nodiscard]] std::int32_t BankCountForPatches(const std::int32_t& n);

// The position 1-32 of the 1-based voice n within its bank: 1 gives 1, 32 gives 32,
// 33 gives 1; 0 gives 0. A negative n gives n Mod 32 with the sign of n (-1 gives -1),
// with 0 remainders changed to 32.
[[nodiscard]] std::int32_t PatchNumberInBank(std::int32_t n);

// The part of s before its first byte 0; all of s when it has none. For buffers that
// system calls fill and pad with zeros.
[[nodiscard]] std::string TrimAtNull(std::string_view s);

// The low 16 bits of value, 0-65535.
[[nodiscard]] std::int32_t LoWord(std::int32_t value);
// The high 16 bits of value as an unsigned number 0-65535 (-1 gives 65535).
[[nodiscard]] std::int32_t HiWord(std::int32_t value);

}  // namespace platform
