// Brevane - number and text conventions of the program's texts.
#include "platform/VbText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace platform {
namespace {

constexpr int kDoubleDigits = 15;  // significant digits of a double turned into text
constexpr int kFloatDigits = 7;    // significant digits of a float turned into text

bool isBlankForVal(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A finite, non-negative number as decimal digits: value = 0.digits x 10^pointPos, that is
// the first pointPos digits stand before the decimal point (pointPos may be <= 0 or
// beyond the digit count). digits holds no leading zero; it is empty for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPos = 0;
};

void stripLeadingZeros(Decimal& d)
{
    std::size_t i = 0;
    while (i < d.digits.size() && d.digits[i] == '0')
        ++i;
    d.digits.erase(0, i);
    d.pointPos -= static_cast<int>(i);
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.pointPos = 0;
}

Decimal decimalOf(double v, int significant)
{
    Decimal d;
    d.negative = std::signbit(v);
    const double a = std::fabs(v);
    if (a == 0.0)
        return d;
    char buf[64];
    // d.ddddde+XX: one digit, the point, significant - 1 digits and the exponent.
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific,
                                 significant - 1);
    const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (isDigit(text[i]))
            d.digits.push_back(text[i]);
    int exponent = 0;
    std::string_view expText = text.substr(e + 1);
    if (!expText.empty() && expText.front() == '+')
        expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    d.pointPos = exponent + 1;
    stripLeadingZeros(d);
    return d;
}

Decimal decimalOf(std::int64_t v)
{
    Decimal d;
    d.negative = v < 0;
    // The magnitude in unsigned arithmetic, so the most negative value works too.
    const std::uint64_t mag = v < 0 ? ~static_cast<std::uint64_t>(v) + 1u
                                    : static_cast<std::uint64_t>(v);
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, mag);
    d.digits.assign(buf, r.ptr);
    d.pointPos = static_cast<int>(d.digits.size());
    stripLeadingZeros(d);
    return d;
}

// General form: up to `significant` digits, plain notation for decimal exponents
// -4 <= x < significant (x = pointPos - 1), exponent form otherwise; no sign position.
// leadingZero puts a 0 before a point that would otherwise start the number (Str writes
// " .5", Format's general form "0.5"). Expects a finite value.
std::string generalText(const Decimal& d, int significant, bool leadingZero = false)
{
    if (d.digits.empty())
        return "0";
    std::string out;
    if (d.negative)
        out.push_back('-');
    const int x = d.pointPos - 1;
    if (x < -4 || x >= significant) {
        out.push_back(d.digits[0]);
        if (d.digits.size() > 1) {
            out.push_back('.');
            out.append(d.digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.push_back(x < 0 ? '-' : '+');
        const int ax = x < 0 ? -x : x;
        if (ax < 10)
            out.push_back('0');
        out += std::to_string(ax);
        return out;
    }
    const int n = static_cast<int>(d.digits.size());
    if (d.pointPos <= 0) {
        if (leadingZero)
            out.push_back('0');
        out.push_back('.');
        out.append(static_cast<std::size_t>(-d.pointPos), '0');
        out += d.digits;
    } else if (d.pointPos >= n) {
        out += d.digits;
        out.append(static_cast<std::size_t>(d.pointPos - n), '0');
    } else {
        out.append(d.digits, 0, static_cast<std::size_t>(d.pointPos));
        out.push_back('.');
        out.append(d.digits, static_cast<std::size_t>(d.pointPos), std::string::npos);
    }
    return out;
}

std::string nonFiniteText(double v)
{
    if (std::isnan(v))
        return "NaN";
    return v < 0 ? "-Inf" : "Inf";
}

std::string withSignBlank(std::string text)
{
    if (text.empty() || text.front() != '-')
        text.insert(text.begin(), ' ');
    return text;
}

// ---- Picture patterns ----

enum class TokenKind { Literal, IntDigit, FracDigit, Point };

struct Token {
    TokenKind kind = TokenKind::Literal;
    char ch = 0;           // the literal character, or '0' / '#' for a digit placeholder
};

struct Picture {
    std::vector<Token> tokens;
    int intCount = 0;        // digit placeholders before the point
    int intZeroFrom = -1;    // index (from the left) of the first '0' among them, -1 if none
    int fracCount = 0;       // digit placeholders after the point
    int fracLastZero = -1;   // index of the last '0' among them, -1 if none
    bool grouping = false;   // thousands separators
    int percent = 0;         // number of '%' signs (each multiplies by 100)
    bool anyPlaceholder = false;
};

Picture parsePicture(std::string_view p)
{
    Picture pic;
    bool afterPoint = false;
    // Commas become separators only with a digit placeholder on both sides before the point;
    // until the next placeholder is seen a comma is held here as a possible literal.
    int pendingCommas = 0;
    auto flushCommasAsLiterals = [&] {
        for (; pendingCommas > 0; --pendingCommas)
            pic.tokens.push_back({TokenKind::Literal, ','});
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '0' || c == '#') {
            pic.anyPlaceholder = true;
            if (afterPoint) {
                if (c == '0')
                    pic.fracLastZero = pic.fracCount;
                ++pic.fracCount;
                pic.tokens.push_back({TokenKind::FracDigit, c});
            } else {
                if (pendingCommas > 0) {
                    pic.grouping = true;
                    pendingCommas = 0;
                }
                if (c == '0' && pic.intZeroFrom < 0)
                    pic.intZeroFrom = pic.intCount;
                ++pic.intCount;
                pic.tokens.push_back({TokenKind::IntDigit, c});
            }
            continue;
        }
        if (c == ',' && !afterPoint && pic.intCount > 0) {
            ++pendingCommas;
            continue;
        }
        flushCommasAsLiterals();
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            pic.anyPlaceholder = true;
            pic.tokens.push_back({TokenKind::Point, '.'});
        } else if (c == '\\') {
            if (i + 1 < p.size())
                pic.tokens.push_back({TokenKind::Literal, p[++i]});
        } else if (c == '"') {
            for (++i; i < p.size() && p[i] != '"'; ++i)
                pic.tokens.push_back({TokenKind::Literal, p[i]});
        } else {
            if (c == '%')
                ++pic.percent;
            pic.tokens.push_back({TokenKind::Literal, c});
        }
    }
    flushCommasAsLiterals();
    return pic;
}

// Rounds d half away from zero to `decimals` places after the point and splits it into
// the integer digits (no leading zeros, empty for 0) and exactly `decimals` fraction digits.
void roundAndSplit(const Decimal& d, int decimals, std::string& intDigits, std::string& fracDigits)
{
    std::string all;       // digits from the units place down to the last kept decimal
    int intLen = std::max(d.pointPos, 0);
    all.reserve(static_cast<std::size_t>(intLen + decimals + 1));
    // Integer digits.
    for (int i = 0; i < intLen; ++i)
        all.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
    // Fraction digits and the first dropped one; position k after the point is digit
    // index pointPos + k of d.digits.
    auto digitAt = [&](int idx) -> char {
        if (idx < 0 || idx >= static_cast<int>(d.digits.size()))
            return '0';
        return d.digits[static_cast<std::size_t>(idx)];
    };
    for (int k = 0; k < decimals; ++k)
        all.push_back(digitAt(d.pointPos + k));
    if (digitAt(d.pointPos + decimals) >= '5') {
        int i = static_cast<int>(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[static_cast<std::size_t>(i)] == '9') {
                all[static_cast<std::size_t>(i)] = '0';
            } else {
                ++all[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            all.insert(all.begin(), '1');
            ++intLen;
        }
    }
    intDigits = all.substr(0, static_cast<std::size_t>(intLen));
    fracDigits = all.substr(static_cast<std::size_t>(intLen));
    const std::size_t nz = intDigits.find_first_not_of('0');
    intDigits.erase(0, nz == std::string::npos ? intDigits.size() : nz);
}

std::string formatDecimal(Decimal d, std::string_view pattern, int significant)
{
    if (pattern.empty() || LCase(pattern) == "general number") {
        if (d.negative && d.digits.empty())
            d.negative = false;
        return generalText(d, significant, true);
    }
    const Picture pic = parsePicture(pattern);
    if (!pic.anyPlaceholder) {
        std::string out;
        for (const Token& t : pic.tokens)
            out.push_back(t.ch);
        return out;
    }
    if (!d.digits.empty())
        d.pointPos += 2 * pic.percent;

    std::string intDigits;
    std::string fracDigits;
    roundAndSplit(d, pic.fracCount, intDigits, fracDigits);
    const bool isZero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;

    // The integer digits padded to the count the '0' placeholders require.
    const int minDigits = pic.intZeroFrom < 0 ? 0 : pic.intCount - pic.intZeroFrom;
    if (static_cast<int>(intDigits.size()) < minDigits)
        intDigits.insert(0, static_cast<std::size_t>(minDigits) - intDigits.size(), '0');
    const int nDigits = static_cast<int>(intDigits.size());

    // Fraction digits shown: up to the last '0' placeholder, and further only while the
    // digits that follow are not all zeros.
    int fracShown = pic.fracLastZero + 1;
    const std::size_t lastNonZero = fracDigits.find_last_not_of('0');
    if (lastNonZero != std::string::npos)
        fracShown = std::max(fracShown, static_cast<int>(lastNonZero) + 1);

    std::string out;
    if (d.negative && !isZero)
        out.push_back('-');
    // Writes the integer digit whose place, counted from the units (0), is p.
    auto putIntDigit = [&](int p) {
        out.push_back(intDigits[static_cast<std::size_t>(nDigits - 1 - p)]);
        if (pic.grouping && p > 0 && p % 3 == 0)
            out.push_back(',');
    };
    int intSeen = 0;
    int fracSeen = 0;
    bool intWritten = pic.intCount > 0;
    for (const Token& t : pic.tokens) {
        switch (t.kind) {
        case TokenKind::Literal:
            out.push_back(t.ch);
            break;
        case TokenKind::IntDigit: {
            const int place = pic.intCount - 1 - intSeen;  // places counted from the units
            if (intSeen == 0) {
                for (int p = nDigits - 1; p > place; --p)
                    putIntDigit(p);
            }
            if (place < nDigits)
                putIntDigit(place);
            ++intSeen;
            break;
        }
        case TokenKind::Point:
            if (!intWritten) {
                // A pattern with no integer placeholders still shows the integer digits.
                for (int p = nDigits - 1; p >= 0; --p)
                    putIntDigit(p);
                intWritten = true;
            }
            out.push_back('.');
            break;
        case TokenKind::FracDigit:
            if (fracSeen < fracShown)
                out.push_back(fracDigits[static_cast<std::size_t>(fracSeen)]);
            ++fracSeen;
            break;
        }
    }
    return out;
}

// Reads digits of the given base from s starting at i (skipping Val's blanks) into an
// unsigned value that saturates instead of wrapping.
std::uint64_t readRadixDigits(std::string_view s, std::size_t i, unsigned base)
{
    std::uint64_t value = 0;
    bool saturated = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isBlankForVal(c))
            continue;
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
            saturated = true;
        if (!saturated)
            value = value * base + digit;
    }
    return saturated ? std::numeric_limits<std::uint64_t>::max() : value;
}

double radixValue(std::uint64_t v, std::uint64_t max16, std::uint64_t max32)
{
    if (v <= max16)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    if (v <= max32)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return static_cast<double>(v);
}

}  // namespace

// ---- Numbers to text ----

std::string Str(std::int64_t v) { return withSignBlank(generalText(decimalOf(v), 19)); }

std::string Str(double v)
{
    if (!std::isfinite(v))
        return withSignBlank(nonFiniteText(v));
    Decimal d = decimalOf(v, kDoubleDigits);
    if (d.digits.empty())
        d.negative = false;
    return withSignBlank(generalText(d, kDoubleDigits));
}

std::string Str(float v)
{
    if (!std::isfinite(v))
        return withSignBlank(nonFiniteText(v));
    Decimal d = decimalOf(static_cast<double>(v), kFloatDigits);
    if (d.digits.empty())
        d.negative = false;
    return withSignBlank(generalText(d, kFloatDigits));
}

// ---- Text to numbers ----

double Val(std::string_view s)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < s.size() && isBlankForVal(s[i]))
            ++i;
    };
    skipBlanks();
    if (i < s.size() && s[i] == '&') {
        ++i;
        skipBlanks();
        if (i < s.size() && (s[i] == 'H' || s[i] == 'h'))
            return radixValue(readRadixDigits(s, i + 1, 16), 0xFFFFu, 0xFFFFFFFFu);
        if (i < s.size() && (s[i] == 'O' || s[i] == 'o'))
            ++i;
        return radixValue(readRadixDigits(s, i, 8), 0xFFFFu, 0xFFFFFFFFu);
    }

    // Collect the number as plain text for from_chars: [-]digits[.digits][e[-]digits].
    std::string text;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool seenPoint = false;
    bool seenDigit = false;
    int significantIntDigits = 0;  // digits before the point after leading zeros
    int leadingFracZeros = 0;      // zeros right after the point before any other digit
    bool nonZeroSeen = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isBlankForVal(c))
            continue;
        if (isDigit(c)) {
            seenDigit = true;
            text.push_back(c);
            if (c != '0')
                nonZeroSeen = true;
            if (!seenPoint && nonZeroSeen)
                ++significantIntDigits;
            if (seenPoint && !nonZeroSeen)
                ++leadingFracZeros;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            text.push_back('.');
        } else {
            break;
        }
    }
    if (!seenDigit || !nonZeroSeen)
        return 0.0;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        while (j < s.size() && isBlankForVal(s[j]))
            ++j;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            expNegative = s[j] == '-';
            ++j;
        }
        bool expDigits = false;
        for (; j < s.size(); ++j) {
            if (isBlankForVal(s[j]))
                continue;
            if (!isDigit(s[j]))
                break;
            expDigits = true;
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (s[j] - '0');
        }
        if (expDigits && expNegative)
            exponent = -exponent;
    }
    if (exponent != 0) {
        text.push_back('e');
        text += std::to_string(exponent);
    }
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value,
                                   std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Decimal exponent of the leading digit decides between overflow and underflow.
        const long long magnitude = (significantIntDigits > 0 ? significantIntDigits
                                                              : -leadingFracZeros) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
    } else if (r.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

// ---- Text ----

std::string LTrim(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s)
{
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos)
        return {};
    const std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

std::string UCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string Left(std::string_view s, std::int64_t n)
{
    if (n <= 0)
        return {};
    return std::string(s.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(
                                       n, static_cast<std::int64_t>(s.size())))));
}

std::string Right(std::string_view s, std::int64_t n)
{
    if (n <= 0)
        return {};
    const auto len = static_cast<std::int64_t>(s.size());
    if (n >= len)
        return std::string(s);
    return std::string(s.substr(static_cast<std::size_t>(len - n)));
}

std::string Mid(std::string_view s, std::int64_t start)
{
    return Mid(s, start, std::numeric_limits<std::int64_t>::max());
}

std::string Mid(std::string_view s, std::int64_t start, std::int64_t length)
{
    if (length <= 0)
        return {};
    const auto len = static_cast<std::int64_t>(s.size());
    // Half-open range [first, last) of 1-based positions, cut to 1 .. len.
    std::int64_t first = start;
    std::int64_t last = start > std::numeric_limits<std::int64_t>::max() - length
                            ? std::numeric_limits<std::int64_t>::max()
                            : start + length;
    first = std::max<std::int64_t>(first, 1);
    last = std::min<std::int64_t>(last, len + 1);
    if (first >= last)
        return {};
    return std::string(s.substr(static_cast<std::size_t>(first - 1),
                                static_cast<std::size_t>(last - first)));
}

void SetMid(std::string& target, std::int64_t start, std::int64_t length,
            std::string_view replacement)
{
    const auto len = static_cast<std::int64_t>(target.size());
    if (start < 1 || start > len)
        return;
    std::int64_t count = static_cast<std::int64_t>(replacement.size());
    if (length >= 0)
        count = std::min(count, length);
    count = std::min(count, len - start + 1);
    if (count > 0)
        target.replace(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count),
                       replacement.substr(0, static_cast<std::size_t>(count)));
}

std::string Space(std::int64_t n) { return String(n, ' '); }

std::string String(std::int64_t n, char ch)
{
    if (n <= 0)
        return {};
    return std::string(static_cast<std::size_t>(n), ch);
}

// ---- Picture patterns ----

std::string Format(double v, std::string_view pattern)
{
    if (!std::isfinite(v))
        return nonFiniteText(v);
    return formatDecimal(decimalOf(v, kDoubleDigits), pattern, kDoubleDigits);
}

std::string Format(float v, std::string_view pattern)
{
    if (!std::isfinite(v))
        return nonFiniteText(v);
    return formatDecimal(decimalOf(static_cast<double>(v), kFloatDigits), pattern, kFloatDigits);
}

std::string Format(std::int64_t v, std::string_view pattern)
{
    return formatDecimal(decimalOf(v), pattern, 19);
}

std::string FormatText(std::string_view text, std::string_view pattern)
{
    const auto slots = static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '@'));
    const std::size_t overflow = text.size() > slots ? text.size() - slots : 0;
    // The text fills the slots from the right; slot k (from the left) shows
    // text[k - (slots - shown)] where shown characters stand in the last slots.
    const std::size_t shown = text.size() - overflow;
    std::string out;
    out.reserve(pattern.size() + overflow);
    std::size_t slot = 0;
    for (const char c : pattern) {
        if (c != '@') {
            out.push_back(c);
            continue;
        }
        if (slot == 0)
            out.append(text.substr(0, overflow));
        const std::size_t firstFilled = slots - shown;
        out.push_back(slot >= firstFilled ? text[overflow + slot - firstFilled] : ' ');
        ++slot;
    }
    return out;
}

}  // namespace platform
