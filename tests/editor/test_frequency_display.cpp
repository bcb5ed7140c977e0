// Brevane - oscillator frequency texts and typed frequencies.
#include "editor/FrequencyDisplay.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using editor::FrequencyDisplay;
using editor::OscillatorFrequency;
using editor::OscillatorMode;

constexpr auto kRatio = OscillatorMode::Ratio;
constexpr auto kFixed = OscillatorMode::Fixed;

TEST(FrequencyDisplayTest, RatioTexts)
{
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 1, 50), "1.5");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 0, 1), "0.505");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 0, 0), "0.5");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 0, 99), "0.995");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 2, 0), "2.0");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 1, 0), "1.0");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 3, 33), "3.99");
    EXPECT_EQ(FrequencyDisplay::text(kRatio, 31, 99), "61.69");
}

TEST(FrequencyDisplayTest, FixedTextsShowTheDecadeOfTheCoarseValue)
{
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 0, 0), "1.000Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 0, 1), "1.023Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 1, 1), "10.23Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 2, 42), "263.0Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 3, 44), "2716Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 0, 44), "2.716Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 0, 94), "8.718Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 3, 99), "9772Hz");
    for (int coarse = 0; coarse <= 31; ++coarse)
        EXPECT_EQ(FrequencyDisplay::text(kFixed, coarse, 12), FrequencyDisplay::text(kFixed, coarse % 4, 12));
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 5, 1), "10.23Hz");
    EXPECT_EQ(FrequencyDisplay::text(kFixed, 7, 0), "1000Hz");
}

TEST(FrequencyDisplayTest, FineFactorsAreTheLookupNumbers)
{
    EXPECT_FLOAT_EQ(FrequencyDisplay::fineFactor(kRatio, 50), 0.5f);
    EXPECT_FLOAT_EQ(FrequencyDisplay::fineFactor(kFixed, 0), 0.0f);
    EXPECT_FLOAT_EQ(FrequencyDisplay::fineFactor(kFixed, 44), 1.716f);
    EXPECT_EQ(FrequencyDisplay::fixedTableValue(1), 1023);
    EXPECT_EQ(FrequencyDisplay::fixedTableValue(94), 8718);
    EXPECT_EQ(FrequencyDisplay::fixedTableValue(100), 0);
    EXPECT_EQ(FrequencyDisplay::modeOfText("Fixed"), kFixed);
    EXPECT_EQ(FrequencyDisplay::modeOfText("Ratio"), kRatio);
    EXPECT_EQ(FrequencyDisplay::modeOfText("Not Set"), kRatio);
}

TEST(FrequencyDisplayTest, EveryShownRatioTypedBackGivesItsFrequency)
{
    std::set<std::string> shown;
    for (int c = 0; c <= 31; ++c) {
        for (int j = 0; j <= 99; ++j) {
            const std::string text = FrequencyDisplay::text(kRatio, c, j);
            shown.insert(text);
            const auto back = FrequencyDisplay::parse(kRatio, text);
            ASSERT_TRUE(back.has_value()) << text;
            EXPECT_EQ(FrequencyDisplay::text(kRatio, back->coarse, back->fine), text);
        }
    }
    EXPECT_EQ(shown.size(), 2351u);
}

TEST(FrequencyDisplayTest, EveryShownFixedFrequencyTypedBackGivesItsFrequency)
{
    for (int c = 0; c <= 31; ++c) {
        for (int k = 0; k <= 99; ++k) {
            const std::string text = FrequencyDisplay::text(kFixed, c, k);
            const auto back = FrequencyDisplay::parse(kFixed, text);
            ASSERT_TRUE(back.has_value()) << text;
            EXPECT_EQ(*back, (OscillatorFrequency{c % 4, k})) << text;
        }
    }
}

TEST(FrequencyDisplayTest, TypedRatios)
{
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "1"), (OscillatorFrequency{1, 0}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "0.5"), (OscillatorFrequency{0, 0}));
    // The first setting in the search order wins.
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "1.5"), (OscillatorFrequency{1, 50}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "2"), (OscillatorFrequency{2, 0}));
    // Ratios that a comparison of single-precision numbers would miss.
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "1.07"), (OscillatorFrequency{1, 7}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "1.29"), (OscillatorFrequency{1, 29}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "1.55"), (OscillatorFrequency{1, 55}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, " 0.505 "), (OscillatorFrequency{0, 1}));
    EXPECT_EQ(FrequencyDisplay::parse(kRatio, "61.69"), (OscillatorFrequency{31, 99}));
}

TEST(FrequencyDisplayTest, TypedFixedFrequencies)
{
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "1.023Hz"), (OscillatorFrequency{0, 1}));
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "1.023 hz"), (OscillatorFrequency{0, 1}));
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "263"), (OscillatorFrequency{2, 42}));
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "2716Hz"), (OscillatorFrequency{3, 44}));
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "10"), (OscillatorFrequency{1, 0}));
    // Below 1 Hz the lowest setting is taken.
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "0.7"), (OscillatorFrequency{0, 0}));
    EXPECT_EQ(FrequencyDisplay::parse(kFixed, "0.5"), (OscillatorFrequency{0, 0}));
    // Table steps that a comparison of single-precision numbers would miss, in every decade.
    const char* const fives[] = {"5.012", "50.12", "501.2", "5012"};
    const char* const nines[] = {"9.120", "91.20", "912.0", "9120"};
    for (int decade = 0; decade < 4; ++decade) {
        EXPECT_EQ(FrequencyDisplay::parse(kFixed, fives[decade]), (OscillatorFrequency{decade, 70}));
        EXPECT_EQ(FrequencyDisplay::parse(kFixed, nines[decade]), (OscillatorFrequency{decade, 96}));
    }
}

TEST(FrequencyDisplayTest, RefusedTexts)
{
    for (const auto mode : {kRatio, kFixed}) {
        EXPECT_FALSE(FrequencyDisplay::parse(mode, ""));
        EXPECT_FALSE(FrequencyDisplay::parse(mode, "Hz"));
        EXPECT_FALSE(FrequencyDisplay::parse(mode, "abc"));
        EXPECT_FALSE(FrequencyDisplay::parse(mode, "0.4"));
        EXPECT_FALSE(FrequencyDisplay::parse(mode, "-3"));
        EXPECT_FALSE(FrequencyDisplay::parse(mode, "9773"));
    }
    EXPECT_FALSE(FrequencyDisplay::parse(kRatio, "62"));
    EXPECT_FALSE(FrequencyDisplay::parse(kRatio, "1.005"));
    EXPECT_FALSE(FrequencyDisplay::parse(kFixed, "1.02"));
    // Just above the top of a decade: not the 1 Hz setting.
    EXPECT_FALSE(FrequencyDisplay::parse(kFixed, "9.9995"));
    EXPECT_FALSE(FrequencyDisplay::parse(kFixed, "99.9995"));
    EXPECT_FALSE(FrequencyDisplay::parse(kFixed, "999.9995"));
}

}  // namespace
