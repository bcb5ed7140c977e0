// Number and text conventions: Str, Val, Format and the string helpers.
#include "platform/Latin1.h"
#include "platform/VbText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>

using namespace platform;

namespace {

struct StrCase {
    double value;
    const char* expected;
};

TEST(Str, IntegersCarryABlankInPlaceOfThePlusSign)
{
    EXPECT_EQ(Str(std::int64_t{7}), " 7");
    EXPECT_EQ(Str(std::int64_t{-7}), "-7");
    EXPECT_EQ(Str(std::int64_t{0}), " 0");
    EXPECT_EQ(Str(std::int64_t{1000}), " 1000");
    EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(Str(std::numeric_limits<std::int64_t>::max()), " 9223372036854775807");
    // Every integer type goes the integer way, not through double.
    EXPECT_EQ(Str(3), " 3");
    EXPECT_EQ(Str(static_cast<short>(-2)), "-2");
    EXPECT_EQ(Str(std::uint8_t{200}), " 200");
    EXPECT_EQ(Str(std::size_t{32}), " 32");
}

TEST(Str, DoublesUseFifteenDigitsWithoutALeadingZero)
{
    const StrCase cases[] = {
        {0.01, " .01"},
        {-0.5, "-.5"},
        {2.5, " 2.5"},
        {0.0, " 0"},
        {-0.0, " 0"},
        {7.0, " 7"},
        {100.0, " 100"},
        {-1234.5, "-1234.5"},
        {0.1 + 0.2, " .3"},
        {1.0 / 3.0, " .333333333333333"},
        {2.0 / 3.0, " .666666666666667"},
        {123456789012345.0, " 123456789012345"},
        {1e15, " 1E+15"},
        {1e20, " 1E+20"},
        {-2.5e20, "-2.5E+20"},
        {1e300, " 1E+300"},
        {0.0001, " .0001"},
        {0.00001, " 1E-05"},
        {1.5e-7, " 1.5E-07"},
        {-1.5e-7, "-1.5E-07"},
    };
    for (const StrCase& c : cases)
        EXPECT_EQ(Str(c.value), c.expected) << c.value;
}

TEST(Str, FloatsUseSevenDigits)
{
    EXPECT_EQ(Str(1.41f), " 1.41");
    EXPECT_EQ(Str(0.1f), " .1");
    EXPECT_EQ(Str(-9772.0f), "-9772");
    EXPECT_EQ(Str(16777216.0f), " 1.677722E+07");
}

struct ValCase {
    const char* text;
    double expected;
};

TEST(Val, ReadsTheNumberATextStartsWith)
{
    const ValCase cases[] = {
        {"", 0},
        {"abc", 0},
        {"$5", 0},
        {"--5", 0},
        {".", 0},
        {"-", 0},
        {"7", 7},
        {"-7", -7},
        {"+7", 7},
        {"  1615 198th Street N.E.", 1615198},
        {" - 5", -5},
        {"\t4\n2", 42},
        {"4\r2", 4},  // a carriage return is not skipped
        {"1.5", 1.5},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1.2.3", 1.2},
        {"1,000", 1},
        {"12abc", 12},
        {"9772Hz", 9772},
        {"15.0 secs", 15},
        {"00012", 12},
        {"0.000", 0},
        {"1e3", 1000},
        {"1E+3", 1000},
        {"2.5D-1", 0.25},
        {"2.5d-1", 0.25},
        {"1 e 3", 1000},
        {"1e", 1},
        {"1e+", 1},
        {"1.5e3.2", 1500},
        {"1e-400", 0},
        {"1e400", DBL_MAX},
        {"-1e400", -DBL_MAX},
    };
    for (const ValCase& c : cases)
        EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Val, ReadsHexadecimalAndOctalAsSixteenOrThirtyTwoBitValues)
{
    const ValCase cases[] = {
        {"&H1F", 31},       {"&h1f", 31},         {"&HFFFF", -1},     {"&H8000", -32768},
        {"&H7FFF", 32767},  {"&H10000", 65536},   {"&HFFFFFFFF", -1}, {"&H80000000", -2147483648.0},
        {"&H100000000", 4294967296.0},            {"&O17", 15},       {"&o17", 15},
        {"&17", 15},        {"&O177777", -1},     {"&H", 0},          {"&HG", 0},
        {"&", 0},           {"&H1FZ", 31},        {"&O8", 0},
    };
    for (const ValCase& c : cases)
        EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Val, HandlesDigitStringsBeyondDoubleRange)
{
    EXPECT_EQ(Val("1" + std::string(400, '0')), DBL_MAX);
    EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(Val(std::string(40, '0') + "3.25"), 3.25);
}

TEST(Val, ReadsBackWhatStrWrites)
{
    for (const double v : {0.0, 7.0, -7.0, 0.01, -0.5, 2.5, 1e20, 1.5e-7, 123456789012345.0})
        EXPECT_EQ(Val(Str(v)), v) << v;
}

struct FormatCase {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(Format, LaysOutNumbersByPictures)
{
    const FormatCase cases[] = {
        // File numbers inside generated names.
        {3, "#### from ", "3 from "},
        {0, "#### from ", " from "},
        {12, "####", "12"},
        {0, "####", ""},
        {1, "# ", "1 "},
        {6, "# ", "6 "},
        // List keys.
        {5, "0000", "0005"},
        {10, "0000", "0010"},
        {12345, "0000", "12345"},
        // Counts with thousands separators.
        {1234567, "###,###,##0", "1,234,567"},
        {0, "###,###,##0", "0"},
        {999, "###,###,##0", "999"},
        {1000, "###,###,##0", "1,000"},
        {-1234567, "###,###,##0", "-1,234,567"},
        {1234567890123.0, "###,###,##0", "1,234,567,890,123"},
        {131328, "#,###,###,##0", "131,328"},
        {1000000, "#,##0", "1,000,000"},
        // Kilobytes sent: rounded to whole numbers, nothing for what rounds to 0.
        {0.4, "######", ""},
        {0.5, "######", "1"},
        {2.5, "######", "3"},
        {131.328, "######", "131"},
        // Time stamps and time-outs.
        {1, "#0:", "1:"},
        {0, "#0:", "0:"},
        {5.3, "#0.0", "5.3"},
        {59.6, "#0.0", "59.6"},
        {0, "#0.0", "0.0"},
        {1.9, "  0.0", "  1.9"},
        {15, "0.0", "15.0"},
        {2, "0.0", "2.0"},
        {1.95, "0.0", "2.0"},
        // Oscillator frequencies.
        {1.5, "#0.0##", "1.5"},
        {1.41, "#0.0##", "1.41"},
        {1.4142, "#0.0##", "1.414"},
        {10, "#0.0##", "10.0"},
        {0.75, "0.###", "0.75"},
        {2, "0.###", "2."},
        {1, "#.000", "1.000"},
        {0.5, "#.000", ".500"},
        {3.162, "#0.00", "3.16"},
        {31.62, "##0.0", "31.6"},
        {1000, "0000", "1000"},
        // Listing columns.
        {5, " ##0", " 5"},
        {123, " ##0", " 123"},
        {3, "#######", "3"},
        {0.123, "0.000  ", "0.123  "},
        {12.345, "#0.00  ", "12.35  "},
        {123.45, "000.0  ", "123.5  "},
        {1234.4, " 0000  ", " 1234  "},
        // Grid values.
        {7, "#0", "7"},
        {0, "#0", "0"},
        {99, "#0", "99"},
        // Rounding is half away from zero; a negative value that rounds to zero has no sign.
        {1234.5, "0", "1235"},
        {-1.25, "0.0", "-1.3"},
        {-0.04, "0.0", "0.0"},
        {2.675, "0.00", "2.68"},
        {0.999, "0.00", "1.00"},
        {9.96, "0.0", "10.0"},
        // Other picture characters.
        {0.25, "0%", "25%"},
        {5, "\\#0", "#5"},
        {5, "\"n=\"0", "n=5"},
        {1234, "##-##", "12-34"},
        {1e20, "0", "100000000000000000000"},
        {5, "no digits", "no digits"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(Format(c.value, c.pattern), c.expected)
            << c.value << " with \"" << c.pattern << '"';
}

TEST(Format, IntegersAreExact)
{
    EXPECT_EQ(Format(std::int64_t{3}, "#### from "), "3 from ");
    EXPECT_EQ(Format(std::int64_t{0}, "#### from "), " from ");
    EXPECT_EQ(Format(std::int64_t{1234567}, "###,###,##0"), "1,234,567");
    EXPECT_EQ(Format(std::numeric_limits<std::int64_t>::min(), "0"), "-9223372036854775808");
    EXPECT_EQ(Format(std::numeric_limits<std::int64_t>::max(), "#,##0"),
              "9,223,372,036,854,775,807");
    EXPECT_EQ(Format(9007199254740993LL, "0"), "9007199254740993");  // not representable as double
    // Plain int arguments pick the integer overload.
    EXPECT_EQ(Format(5, "0000"), "0005");
    EXPECT_EQ(Format(static_cast<std::int16_t>(42), "0000"), "0042");
}

TEST(Format, GeneralNumberHasNoSignBlank)
{
    EXPECT_EQ(Format(0.0625, "General Number"), "0.0625");
    EXPECT_EQ(Format(2.0, "General Number"), "2");
    EXPECT_EQ(Format(32.0, "general number"), "32");
    EXPECT_EQ(Format(-0.5, ""), "-0.5");
    EXPECT_EQ(Format(1e20, ""), "1E+20");
    EXPECT_EQ(Format(7, ""), "7");
}

TEST(Format, FloatsRoundFromTheirOwnDigits)
{
    EXPECT_EQ(Format(2.675f, "0.00"), "2.68");
    EXPECT_EQ(Format(1.41f, "#0.0##"), "1.41");
    EXPECT_EQ(Format(0.5f * 3.0f + 0.5f, "0.###"), "2.");
}

TEST(FormatText, FillsCharacterPlaceholdersFromTheRight)
{
    EXPECT_EQ(FormatText("5", "@@@"), "  5");
    EXPECT_EQ(FormatText("5", " @@"), "  5");
    EXPECT_EQ(FormatText("12", " @@"), " 12");
    EXPECT_EQ(FormatText("-24", "@@@@@"), "  -24");
    EXPECT_EQ(FormatText("12345", "@@@"), "12345");
    EXPECT_EQ(FormatText("", "@@"), "  ");
    EXPECT_EQ(FormatText("ab", "[@@@]"), "[ ab]");
}

TEST(Text, TrimRemovesBlanksOnly)
{
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a b  "), "a b  ");
    EXPECT_EQ(RTrim("  a b  "), "  a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(LTrim(""), "");
    EXPECT_EQ(RTrim(std::string("A\0 ", 3)), std::string("A\0", 2));
}

TEST(Text, CaseChangesTouchAsciiLettersOnly)
{
    EXPECT_EQ(UCase("abc xyz 09"), "ABC XYZ 09");
    EXPECT_EQ(LCase("ABC XYZ 09"), "abc xyz 09");
    EXPECT_EQ(UCase("\xe9\xff"), "\xe9\xff");
    EXPECT_EQ(LCase("\xc9\xdf"), "\xc9\xdf");
}

TEST(Text, LeftRightAndMidClampTheirArguments)
{
    EXPECT_EQ(Left("abc", 2), "ab");
    EXPECT_EQ(Left("abc", 0), "");
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Right("abc", -3), "");
    EXPECT_EQ(Right("abc", 99), "abc");
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abcdef", 5), "ef");
    EXPECT_EQ(Mid("abc", 4), "");
    EXPECT_EQ(Mid("abc", 0, 2), "a");
    EXPECT_EQ(Mid("abc", -5, 2), "");
    EXPECT_EQ(Mid("abc", 2, -1), "");
    EXPECT_EQ(Mid("abc", 2, std::numeric_limits<std::int64_t>::max()), "bc");
    EXPECT_EQ(Mid("abc", std::numeric_limits<std::int64_t>::max(), 5), "");
    EXPECT_EQ(Mid("abc", std::numeric_limits<std::int64_t>::min(), 5), "");
}

TEST(Text, SetMidOverwritesWithoutChangingTheLength)
{
    std::string s = "abcdef";
    SetMid(s, 2, 6, "XY");
    EXPECT_EQ(s, "aXYdef");
    SetMid(s, 5, -1, "XYZ");
    EXPECT_EQ(s, "aXYdXY");
    SetMid(s, 1, 1, "QRS");
    EXPECT_EQ(s, "QXYdXY");
    SetMid(s, 0, 2, "!!");
    SetMid(s, 7, 2, "!!");
    EXPECT_EQ(s, "QXYdXY");
}

TEST(Text, CountdownOverwritesTheTailOfAStatusText)
{
    // A waiting text with its count-down tail; the remaining seconds replace the hyphen and
    // the four blanks after it.
    std::string text = std::string("Waiting for bank") + " -       secs. left to timeout";
    SetMid(text, static_cast<std::int64_t>(text.size()) - 28, 6, Format(1900 / 1000.0, "  0.0"));
    EXPECT_EQ(text, "Waiting for bank   1.9   secs. left to timeout");
}

TEST(Text, SpaceAndString)
{
    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(Space(0), "");
    EXPECT_EQ(Space(-4), "");
    EXPECT_EQ(String(3, '*'), "***");
    EXPECT_EQ(String(-1, '*'), "");
}

TEST(Robustness, ArbitraryPatternsAndTextsAreHandled)
{
    // Patterns and texts of picture characters, digits and odd bytes in any order; the
    // point is that nothing reads out of bounds or misbehaves (the sanitizer build checks).
    std::mt19937 rng(12345);
    const std::string alphabet = "0#.,%\\\"@ eE+-&HhOoDd19\t\n\xff";
    auto randomText = [&](std::size_t maxLen) {
        std::string t(rng() % (maxLen + 1), ' ');
        for (char& c : t)
            c = alphabet[rng() % alphabet.size()];
        return t;
    };
    const double values[] = {0.0, -0.0, 0.5, -1.5, 1234567.891, 1e-300, -1e300, 9.999999e15,
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 20000; ++i) {
        const std::string pattern = randomText(12);
        const std::string text = randomText(20);
        const double v = values[static_cast<std::size_t>(i) % std::size(values)];
        const std::string laidOut = Format(v, pattern);
        EXPECT_LE(laidOut.size(), pattern.size() + 500) << pattern;  // 301 digits and separators
        (void)Format(static_cast<std::int64_t>(rng()) - (1LL << 31), pattern);
        (void)FormatText(text, pattern);
        const double read = Val(text);
        EXPECT_FALSE(std::isnan(read)) << text;
        std::string target = text;
        auto smallNumber = [&] { return static_cast<std::int64_t>(rng() % 30) - 5; };
        SetMid(target, smallNumber(), smallNumber(), pattern);
        EXPECT_EQ(target.size(), text.size());
        (void)Mid(text, smallNumber(), smallNumber());
    }
}

TEST(Latin1, EveryByteSurvivesTheWayThroughQString)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = fromBytes(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xE9), QChar(0xE9));
    EXPECT_EQ(toBytes(text), all);
    EXPECT_EQ(fromBytes("ab"), QStringLiteral("ab"));
    EXPECT_EQ(toBytes(QString(QChar(0x20AC))), "?");  // beyond Latin-1
}

TEST(Latin1, TextsAreCutOnALetterNeverInsideOne)
{
    // Letters of one, two, three and four bytes, and an e with a combining acute.
    const std::string text = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x8E\xB9""e\xCC\x81";
    const std::size_t ends[] = {0, 1, 3, 6, 10, 13};
    EXPECT_EQ(letterCount(text), 5U);
    for (std::size_t n = 0; n <= 6; ++n)
        EXPECT_EQ(leftLetters(text, n), text.substr(0, ends[std::min<std::size_t>(n, 5)])) << n;
    for (std::size_t bytes = 0; bytes <= text.size(); ++bytes)
        EXPECT_EQ(cutText(text, bytes), text.substr(0, *(std::upper_bound(std::begin(ends), std::end(ends), bytes) - 1)))
            << bytes;
    // Not UTF-8: each byte is a letter.
    EXPECT_EQ(letterCount("\xE9t\xE9 \xC3"), 5U);
    EXPECT_EQ(leftLetters("\xE9t\xE9 \xC3", 2), "\xE9t");
}

}  // namespace
