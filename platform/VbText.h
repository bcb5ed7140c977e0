// Brevane - number and text conventions of the program's texts.
//
// Captions, status texts, file names and list keys follow fixed conventions that the
// program's files and texts rely on: numbers turned into text carry a blank in place of
// a plus sign, numbers are read back from the front of a text, and a few picture
// patterns ("0000", "###,###,##0", "#### from ") lay numbers out. All functions work on byte
// strings (one character per byte), never consult the C locale and never throw for
// bad arguments: out-of-range counts and positions are clamped.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// ---- Numbers to text ---------------------------------------------------------------

// Decimal text with one leading blank for a value that is not negative:
// 7 -> " 7", -7 -> "-7", 0 -> " 0".
[[nodiscard]] std::string Str(std::int64_t v);
// The same rule with up to 15 significant digits; no leading zero before the point,
// exponent form from 1E+15 up and below 1E-04: 0.01 -> " .01", -0.5 -> "-.5",
// 2.5 -> " 2.5", 1e20 -> " 1E+20", 0.00001 -> " 1E-05".
[[nodiscard]] std::string Str(double v);
// Single precision: up to 7 significant digits, so 1.41f reads " 1.41".
[[nodiscard]] std::string Str(float v);

template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, std::int64_t>)
[[nodiscard]] std::string Str(T v)
{
    return Str(static_cast<std::int64_t>(v));
}

// ---- Text to numbers ---------------------------------------------------------------

// The number a text starts with. Blanks, tabs and line feeds are skipped wherever they
// stand ("1 2 3" -> 123); then an optional sign, digits, at most one decimal point and an
// exponent introduced by E or D ("1.5E3", "2d-1"); reading stops at the first character
// that cannot continue the number, and a text with no number gives 0.
// "&H1F" (hexadecimal) and "&O17" or "&17" (octal) are read as integers of the width
// their value needs: up to FFFF (177777 octal) as a signed 16-bit value, up to FFFFFFFF
// as a signed 32-bit value, so "&HFFFF" is -1 and "&H10000" is 65536; larger values are
// returned unsigned. A decimal value beyond the range of a double gives the largest
// finite double of its sign; one too small to represent gives 0.
[[nodiscard]] double Val(std::string_view s);

// ---- Text --------------------------------------------------------------------------

// The line break of message texts and of the program's text files.
inline const std::string kCrLf = "\r\n";

// Remove leading and/or trailing blanks (code 32 only; tabs and other bytes stay).
[[nodiscard]] std::string Trim(std::string_view s);
[[nodiscard]] std::string LTrim(std::string_view s);
[[nodiscard]] std::string RTrim(std::string_view s);

// Letters a-z and A-Z only; bytes 0x80-0xFF and everything else pass unchanged.
[[nodiscard]] std::string UCase(std::string_view s);
[[nodiscard]] std::string LCase(std::string_view s);

// The first / last n characters; n <= 0 gives "", n beyond the length gives all of s.
[[nodiscard]] std::string Left(std::string_view s, std::int64_t n);
[[nodiscard]] std::string Right(std::string_view s, std::int64_t n);
// Characters from the 1-based position start to the end of s.
[[nodiscard]] std::string Mid(std::string_view s, std::int64_t start);
// length characters from the 1-based position start. The result is the part of s that
// lies in positions start .. start + length - 1: a start before 1 or a range running past
// the end is cut to the text, a negative length gives "".
[[nodiscard]] std::string Mid(std::string_view s, std::int64_t start, std::int64_t length);
// Overwrites characters of target in place from the 1-based position start with the
// first characters of replacement, at most length of them (all of replacement when
// length is negative) and never past the end of target: the length of target never
// changes. A start outside 1 .. length of target changes nothing.
void SetMid(std::string& target, std::int64_t start, std::int64_t length,
            std::string_view replacement);

// n blanks / n copies of ch; n <= 0 gives "".
[[nodiscard]] std::string Space(std::int64_t n);
[[nodiscard]] std::string String(std::int64_t n, char ch);

// ---- Picture patterns --------------------------------------------------------------

// Lays out a number by a picture pattern:
//   0  a digit, or 0 where the number has none;
//   #  a digit, or nothing where the number has none (Format(0, "####") is "");
//   .  the decimal point (the first one; it is always written, so Format(2, "0.##")
//      is "2."); the value is rounded half away from zero to the number of
//      placeholders after it, or to a whole number when there are none;
//   ,  between digit placeholders before the point: thousands separators;
//   %  written as is, and the value is multiplied by 100;
//   \c the character c as is; "text" the text as is;
//   anything else is written as is where it stands ("#### from ", "  0.0").
// Digits that do not fit the integer placeholders are all written at the first one, so
// Format(12345, "00") is "12345". A negative value is preceded by "-" unless it rounds
// to zero. Commas elsewhere are written as is. An empty pattern and "General Number"
// give the general form without a sign position and with a 0 before a leading point
// (0.0625 -> "0.0625", 2 -> "2", 1e20 -> "1E+20").
[[nodiscard]] std::string Format(double v, std::string_view pattern);
[[nodiscard]] std::string Format(std::int64_t v, std::string_view pattern);
// Single precision values are laid out from their 7-significant-digit form.
[[nodiscard]] std::string Format(float v, std::string_view pattern);

template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, std::int64_t>)
[[nodiscard]] std::string Format(T v, std::string_view pattern)
{
    return Format(static_cast<std::int64_t>(v), pattern);
}

// Lays out a text by a character pattern: each @ takes one character of the text, filled
// from the right, and shows a blank where the text has none; other pattern characters are
// written as they stand; characters of the text beyond the @ count go in front of the
// first @. Format of "5" with "@@@" is "  5", with " @@" is "  5".
[[nodiscard]] std::string FormatText(std::string_view text, std::string_view pattern);

}  // namespace platform
