// The full voice-data listing: pages of four voices, each parameter as the editor shows it,
// table cells ending at their columns, and voices that cannot be read.
#include "printing/ListingBuilder.h"
#include "printing/VoiceDataListing.h"

#include "PrintingTestSupport.h"
#include "platform/testing/ScriptedServices.h"

#include <QPrinter>

namespace printing {
namespace {

using banklib::kUnpackedVoiceSize;
using banklib::unpackedOperatorOffset;
namespace Unpacked = banklib::Unpacked;
namespace UnpackedOp = banklib::UnpackedOp;
using testing::pageTexts;

using Voice = std::array<std::uint8_t, kUnpackedVoiceSize>;

// A plain voice: every value 0 but the output levels and the name.
Voice plainVoice(const std::string& name)
{
    Voice v{};
    for (int op = 1; op <= 6; ++op)
        v[unpackedOperatorOffset(op, UnpackedOp::kOutputLevel)] = 99;
    banklib::test::setName(v, name);
    return v;
}

std::unique_ptr<banklib::testing::FakeVoiceList> listOf(const std::vector<Voice>& voices)
{
    std::vector<std::uint8_t> bytes;
    for (const Voice& v : voices)
        bytes.insert(bytes.end(), v.begin(), v.end());
    banklib::clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    EXPECT_FALSE(names.BuildRecordsetFromBytes(banklib::FileType::Unpacked, "DATA.DAT", rs, bytes, repaired));
    return std::make_unique<banklib::testing::FakeVoiceList>("/banks/DATA.DAT", banklib::FileType::Unpacked,
                                                            std::move(rs));
}

void selectAll(banklib::VoiceListView& list)
{
    list.selectionTracker().tr.assign(static_cast<std::size_t>(list.VoiceCount()) + 1, true);
    list.selectionTracker().tr[0] = false;
    list.selectionTracker().TotalSelections = list.VoiceCount();
}

class VoiceDataListingTest : public ::testing::Test {
protected:
    VoiceDataListingTest() : printer(QPrinter::ScreenResolution) { printer.setPageSize(QPageSize(QPageSize::A4)); }
    std::int32_t build(banklib::VoiceListView& list, bool selectedOnly = true, bool omitBankLine = false,
                       std::pair<int, int> range = {1, 1})
    {
        ListingBuilder builder(doc, printer,
                               ListingLayout{{500, 500, 500, 500}, ComputePageMetrics(printer).physicalWidth,
                                             CreateListingFont("Arial", 10, printer), QStringLiteral("Arial")});
        VoiceDataListing data(builder, omitBankLine);
        ListingRequest request;
        request.withData = true;
        request.selectedOnly = selectedOnly;
        request.ranges = {range};
        const std::int32_t pages = appendListingPages(
            builder, list, request,
            [&data](banklib::VoiceListView& l, int& position, std::int32_t page, std::int32_t count,
                    std::int32_t first, const std::vector<std::int32_t>& numbers) {
                return data.AppendVoiceDataPage(l, position, page, count, first, numbers);
            });
        return pages;
    }
    QTextBlock blockStartingWith(const QString& text) const
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.text().startsWith(text))
                return b;
        return {};
    }
    QString lineWith(const QString& text) const
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.text().contains(text))
                return b.text();
        return {};
    }

    platform::testing::ScriptedServices ui;
    QPrinter printer;
    QTextDocument doc;
};

TEST_F(VoiceDataListingTest, FiveVoicesMakeTwoPagesAndAPageEndsWithItsLastVoice)
{
    std::vector<Voice> voices;
    for (int i = 1; i <= 5; ++i)
        voices.push_back(plainVoice("VOICE " + std::to_string(i)));
    auto list = listOf(voices);
    selectAll(*list);
    EXPECT_EQ(build(*list), 2);
    const auto pages = pageTexts(doc);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(testing::countOf(pages[0], QStringLiteral("\tNAME:  ")), 4);
    EXPECT_EQ(testing::countOf(pages[1], QStringLiteral("\tNAME:  ")), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Page 1 of 2")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("NAME:  VOICE 5")));
    // No blank lines after the fourth voice: the page ends with its LFO values.
    QStringList lines = pages[0].split(QLatin1Char('\n'));
    lines.removeLast();  // after the final '\n'
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_FALSE(lines.last().trimmed().isEmpty());
    EXPECT_EQ(lines.last().count(QLatin1Char('\t')), 16);
    EXPECT_EQ(ui.statusText(), " Please wait - Reading/Formatting Bank  1 Patch  5");
}

TEST_F(VoiceDataListingTest, FrequenciesPrintAsRatioOrFixedNumbersLaidOutByTheirSize)
{
    Voice v = plainVoice("FREQS");
    v[unpackedOperatorOffset(6, UnpackedOp::kOscMode)] = 1;  // fixed 1000 Hz
    v[unpackedOperatorOffset(6, UnpackedOp::kFreqCoarse)] = 3;
    v[unpackedOperatorOffset(5, UnpackedOp::kFreqCoarse)] = 0;  // ratio 0.5
    v[unpackedOperatorOffset(4, UnpackedOp::kFreqCoarse)] = 14;  // ratio 14
    v[unpackedOperatorOffset(3, UnpackedOp::kFreqCoarse)] = 1;
    v[unpackedOperatorOffset(3, UnpackedOp::kFreqFine)] = 50;  // ratio 1.5
    v[unpackedOperatorOffset(2, UnpackedOp::kOscMode)] = 1;  // fixed 263.0 Hz
    v[unpackedOperatorOffset(2, UnpackedOp::kFreqCoarse)] = 2;
    v[unpackedOperatorOffset(2, UnpackedOp::kFreqFine)] = 42;
    auto list = listOf({v});
    selectAll(*list);
    build(*list);
    EXPECT_TRUE(blockStartingWith(QStringLiteral("\t\t  6\tF 1000  \t")).isValid());
    EXPECT_TRUE(blockStartingWith(QStringLiteral("\t\t  5\tR0.500  \t")).isValid());
    EXPECT_TRUE(blockStartingWith(QStringLiteral("\t\t  4\tR14.00  \t")).isValid());
    EXPECT_TRUE(blockStartingWith(QStringLiteral("\t\t  3\tR1.50  \t")).isValid());
    EXPECT_TRUE(blockStartingWith(QStringLiteral("\t\t  2\tF263.0  \t")).isValid());
}

TEST_F(VoiceDataListingTest, ValuesReadAsTheEditorShowsThem)
{
    Voice v = plainVoice("SHOWN");
    v[Unpacked::kAlgorithm] = 0;
    v[Unpacked::kFeedback] = 7;
    v[Unpacked::kOscKeySync] = 1;
    v[Unpacked::kTranspose] = 24;
    v[Unpacked::kLfoWave] = 5;
    v[Unpacked::kLfoKeySync] = 1;
    v[unpackedOperatorOffset(6, UnpackedOp::kLeftCurve)] = 1;
    v[unpackedOperatorOffset(6, UnpackedOp::kRightCurve)] = 3;
    v[unpackedOperatorOffset(6, UnpackedOp::kBreakPoint)] = 39;
    v[unpackedOperatorOffset(6, UnpackedOp::kDetune)] = 14;
    v[unpackedOperatorOffset(6, UnpackedOp::kEgRate1)] = 5;
    auto list = listOf({v});
    selectAll(*list);
    build(*list);
    EXPECT_EQ(lineWith(QStringLiteral("Algorithm:")),
              QStringLiteral("\t\tAlgorithm:  1\tTranspose:  C 3\tFeedback:  7\tOsc Key Sync:  On"));
    const QStringList op6 = blockStartingWith(QStringLiteral("\t\t  6\t")).text().split(QLatin1Char('\t'));
    ASSERT_EQ(op6.size(), 22);
    EXPECT_EQ(op6[4], QStringLiteral(" 7"));       // DT: detune 14 is +7
    EXPECT_EQ(op6[5], QStringLiteral("  5"));      // R1
    EXPECT_EQ(op6[13], QStringLiteral("-EXP"));    // LC
    EXPECT_EQ(op6[15], QStringLiteral(" C 3"));    // BKPT
    EXPECT_EQ(op6[16], QStringLiteral("+LIN"));    // RC
    EXPECT_EQ(op6[21], QStringLiteral("99"));      // OL
    const QString lfo = lineWith(QStringLiteral("S/Hold"));
    EXPECT_TRUE(lfo.endsWith(QStringLiteral("\tOn\t0")));
}

TEST_F(VoiceDataListingTest, BankAndPatchFollowTheVoiceNumberOrAreLeftOut)
{
    std::vector<Voice> voices;
    for (int i = 1; i <= 33; ++i)
        voices.push_back(plainVoice(i == 33 ? "MID SPACE" : "V"));
    auto list = listOf(voices);
    list->selectionTracker().tr.assign(34, false);
    list->selectionTracker().tr[33] = true;
    list->selectionTracker().TotalSelections = 1;
    build(*list);
    EXPECT_EQ(lineWith(QStringLiteral("NAME:")), QStringLiteral("\tNAME:  MID SPACE\tBANK: 2\tPATCH:  1"));
    const QTextBlock name = blockStartingWith(QStringLiteral("\tNAME:"));
    const QList<QTextOption::Tab> tabs = name.blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_DOUBLE_EQ(tabs[1].position, 3000 / 15.0);
    EXPECT_DOUBLE_EQ(tabs[2].position, 4000 / 15.0);

    doc.clear();
    build(*list, true, true);
    EXPECT_EQ(lineWith(QStringLiteral("NAME:")), QStringLiteral("\tNAME:  MID SPACE "));
    EXPECT_FALSE(doc.toPlainText().contains(QStringLiteral("BANK:")));
    // The name still starts at the left margin, not at a default tab stop.
    const QList<QTextOption::Tab> margin = blockStartingWith(QStringLiteral("\tNAME:")).blockFormat().tabPositions();
    ASSERT_EQ(margin.size(), 1);
    EXPECT_DOUBLE_EQ(margin[0].position, marginTwips(500) / 15.0);
}

TEST_F(VoiceDataListingTest, TableCellsEndAtTheirColumns)
{
    auto list = listOf({plainVoice("CELLS")});
    selectAll(*list);
    ListingBuilder measure(doc, printer,
                           ListingLayout{{500, 500, 500, 500}, 11906, CreateListingFont("Arial", 10, printer),
                                         QStringLiteral("Arial")});
    build(*list);
    const QTextBlock titles = blockStartingWith(QStringLiteral("\t\tOP\tRatio/Fixed"));
    ASSERT_TRUE(titles.isValid());
    const QStringList cells = titles.text().split(QLatin1Char('\t')).mid(2);
    const QList<QTextOption::Tab> tabs = titles.blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 21);
    const std::int32_t columns[20] = {1100, 2300, 2700, 3500, 3850, 4200, 4550, 5000, 5350, 5700,
                                      6050, 6800, 7150, 7850, 8400, 8750, 9150, 9800, 10150, 10700};
    for (int j = 0; j < 20; ++j)
        EXPECT_NEAR(tabs[j + 1].position * 15 + measure.TextWidth(cells[j]), columns[j], 1) << j;
}

TEST_F(VoiceDataListingTest, AVoiceThatCannotBeReadSaysSoAndTheListingGoesOn)
{
    auto list = listOf({plainVoice("ONE"), plainVoice("TWO")});
    list->setVoiceCount(3);  // the list says three, its records hold two
    selectAll(*list);
    EXPECT_EQ(build(*list), 1);
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("NAME:  ONE")));
    EXPECT_TRUE(text.contains(QStringLiteral("NAME:  TWO")));
    EXPECT_TRUE(text.contains(QStringLiteral("\tVoice 3 could not be read")));
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(VoiceDataListingTest, BanksListStopAtTheLastVoice)
{
    std::vector<Voice> voices(38, plainVoice("V"));
    auto list = listOf(voices);
    EXPECT_EQ(build(*list, false, false, {1, 2}), 10);
    EXPECT_EQ(testing::countOf(doc.toPlainText(), QStringLiteral("\tNAME:  ")), 38);
    EXPECT_FALSE(doc.toPlainText().contains(QStringLiteral("could not be read")));
    EXPECT_TRUE(doc.toPlainText().contains(QStringLiteral("Page 10 of 10")));
}

}  // namespace
}  // namespace printing
