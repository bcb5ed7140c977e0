// The name listing as the document shows it: pages, headers, banks, names, tab stops, copies.
#include "PrintingTestSupport.h"

#include "printing/ListingBuilder.h"

#include <QPrinter>
#include <QTextCursor>

namespace printing {
namespace {

using testing::banksOn;
using testing::countOf;
using testing::makeList;
using testing::pageStartCount;
using testing::pageTexts;
using testing::voiceName;

const QDateTime kWhen(QDate(2024, 3, 5), QTime(15, 7));

class NameListingTest : public ::testing::Test {
protected:
    NameListingTest() : printer(QPrinter::ScreenResolution)
    {
        printer.setPageSize(QPageSize(QPageSize::A4));
        metrics = ComputePageMetrics(printer);
    }
    ListingBuilder builder(std::int32_t points = 8, PageMargins margins = {500, 500, 500, 500})
    {
        return ListingBuilder(doc, printer,
                              ListingLayout{margins, metrics.physicalWidth, CreateListingFont("Arial", points, printer),
                                            QStringLiteral("Arial")},
                              [] { return kWhen; });
    }
    std::int32_t build(banklib::VoiceListView& list, std::pair<int, int> range, std::int32_t copies = 1,
                       bool collate = true)
    {
        ListingBuilder b = builder();
        ListingRequest request;
        request.ranges = {range};
        request.copies = copies;
        request.collate = collate;
        return appendListingPages(b, list, request, {});
    }
    // The lines of a page that hold bank titles.
    static QStringList bankTitleLines(const QString& page)
    {
        QStringList out;
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (line.contains(QStringLiteral("BANK")))
                out << line;
        return out;
    }
    static QStringList lines(const QString& page) { return page.split(QLatin1Char('\n')); }
    QTextBlock blockWith(const QString& text) const
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.text().contains(text))
                return b;
        return {};
    }

    QPrinter printer;
    PageMetrics metrics;
    QTextDocument doc;
};

TEST_F(NameListingTest, SeventeenBanksMakeTwoPagesOfSixteenAndOne)
{
    auto list = makeList(17 * 32);
    EXPECT_EQ(build(*list, {1, 17}), 2);
    ASSERT_EQ(pageStartCount(doc), 2);
    const auto pages = pageTexts(doc);
    ASSERT_EQ(pages.size(), 2u);
    std::vector<int> first(16);
    std::iota(first.begin(), first.end(), 1);
    EXPECT_EQ(banksOn(pages[0]), first);
    EXPECT_EQ(banksOn(pages[1]), std::vector<int>{17});
    EXPECT_EQ(countOf(pages[0], QStringLiteral("PATCH LISTING : TEST\\.SYX\\tPage 1 of 2")), 1);
    EXPECT_EQ(countOf(pages[1], QStringLiteral("Page 2 of 2")), 1);
    EXPECT_TRUE(pages[0].contains(voiceName(512)));
    EXPECT_FALSE(pages[0].contains(voiceName(513)));
    EXPECT_TRUE(pages[1].contains(voiceName(513)));
    EXPECT_TRUE(pages[1].contains(voiceName(544)));
}

TEST_F(NameListingTest, FiveBanksAreABlockOfFourAndABlockOfOne)
{
    auto list = makeList(5 * 32);
    EXPECT_EQ(build(*list, {1, 5}), 1);
    const auto pages = pageTexts(doc);
    ASSERT_EQ(pages.size(), 1u);
    const QStringList titles = bankTitleLines(pages[0]);
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[0], QStringLiteral("\t\tBANK 1\tBANK 2\tBANK 3\tBANK 4\t"));
    EXPECT_EQ(titles[1], QStringLiteral("\t\tBANK 5\t"));
    // Sixteen rows to a block: voice r + 1 and r + 17 of each bank side by side.
    const QStringList all = lines(pages[0]);
    const auto row0 = all.indexOf(QStringLiteral("\t") + voiceName(1) + QLatin1Char('\t') + voiceName(17) +
                                  QLatin1Char('\t') + voiceName(33) + QLatin1Char('\t') + voiceName(49) +
                                  QLatin1Char('\t') + voiceName(65) + QLatin1Char('\t') + voiceName(81) +
                                  QLatin1Char('\t') + voiceName(97) + QLatin1Char('\t') + voiceName(113) +
                                  QLatin1Char('\t'));
    EXPECT_GE(row0, 0);
    EXPECT_TRUE(all.contains(QStringLiteral("\t") + voiceName(144) + QLatin1Char('\t') + voiceName(160) +
                             QLatin1Char('\t')));
}

TEST_F(NameListingTest, MissingVoicesOfAShortLastBankAddNothingNotEvenATab)
{
    auto list = makeList(40);
    build(*list, {1, 2});
    const QStringList all = lines(pageTexts(doc)[0]);
    EXPECT_TRUE(all.contains(QStringLiteral("\t") + voiceName(8) + QLatin1Char('\t') + voiceName(24) +
                             QLatin1Char('\t') + voiceName(40) + QLatin1Char('\t')));
    EXPECT_TRUE(all.contains(QStringLiteral("\t") + voiceName(9) + QLatin1Char('\t') + voiceName(25) +
                             QLatin1Char('\t')));
    EXPECT_TRUE(all.contains(QStringLiteral("\t") + voiceName(16) + QLatin1Char('\t') + voiceName(32) +
                             QLatin1Char('\t')));
}

TEST_F(NameListingTest, NameCharactersOutsidePrintableAsciiPrintAsBlanks)
{
    auto list = makeList(32);
    platform::Recordset& rs = list->rsmfimage();
    rs.moveFirst();
    rs.setValue(banklib::VoiceListField::Names, std::string("AB\x01\xC4" "DEFGHI"));
    build(*list, {1, 1});
    EXPECT_TRUE(pageTexts(doc)[0].contains(QStringLiteral("\tAB  DEFGHI\t") + voiceName(17)));
}

TEST_F(NameListingTest, CopiesRepeatPagesInARowOrTheWholeListingWhenCollated)
{
    auto list = makeList(17 * 32);
    auto pageNumbers = [this] {
        std::vector<int> out;
        for (const QString& p : pageTexts(doc)) {
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page +(\\d+) of")).match(p);
            out.push_back(m.captured(1).toInt());
        }
        return out;
    };
    EXPECT_EQ(build(*list, {1, 17}, 2, false), 4);
    EXPECT_EQ(pageNumbers(), (std::vector<int>{1, 1, 2, 2}));
    doc.clear();
    EXPECT_EQ(build(*list, {1, 17}, 2, true), 4);
    EXPECT_EQ(pageNumbers(), (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(NameListingTest, AListingIsAppendedAfterTextAlreadyThere)
{
    QTextCursor(&doc).insertText(QStringLiteral("My notes"));
    auto list = makeList(32);
    build(*list, {1, 1});
    build(*list, {1, 1});
    EXPECT_EQ(doc.begin().text(), QStringLiteral("My notes"));
    EXPECT_EQ(pageStartCount(doc), 2);
    EXPECT_EQ(countOf(doc.toPlainText(), QStringLiteral("Page 1 of 1")), 2);
}

TEST_F(NameListingTest, PageNumbersStartAtOneForARangeThatDoesNotStartAtTheFirstBank)
{
    auto list = makeList(20 * 32);
    EXPECT_EQ(build(*list, {3, 20}), 2);
    const auto pages = pageTexts(doc);
    EXPECT_EQ(banksOn(pages[0]).front(), 3);
    EXPECT_EQ(banksOn(pages[1]), (std::vector<int>{19, 20}));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Page 2 of 2")));
}

TEST_F(NameListingTest, TheHeaderFillsTheTopMarginWithBlankLinesButNeverFewerThanNone)
{
    auto list = makeList(32);
    {
        // 0.5 inch at 10 pixels a line (8 points at 96 dpi): 4.8 lines fit, less one.
        ListingBuilder b = builder(8, {500, 500, 500, 500});
        int pos = 0;
        std::int32_t lines = 0;
        b.AppendPageHeader(*list, pos, 1, 1, lines);
        EXPECT_EQ(lines, 4 + 2);
        EXPECT_EQ(doc.toPlainText().indexOf(QStringLiteral("\t5 March")), 4);
    }
    doc.clear();
    {
        ListingBuilder b = builder(8, {500, 0, 500, 500});
        int pos = 0;
        std::int32_t lines = 0;
        b.AppendPageHeader(*list, pos, 1, 1, lines);
        EXPECT_EQ(lines, 2);
        EXPECT_TRUE(doc.toPlainText().startsWith(QStringLiteral("\t5 March 2024, 3:07 PM \tPATCH LISTING : ")));
        EXPECT_TRUE(doc.begin().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    }
}

TEST_F(NameListingTest, HeaderPiecesKeepTheirSizesAndTheTitleIsBold)
{
    auto list = makeList(32);
    build(*list, {1, 1});
    const QTextBlock header = blockWith(QStringLiteral("PATCH LISTING"));
    ASSERT_TRUE(header.isValid());
    bool sawDate = false;
    bool sawTitle = false;
    bool sawPage = false;
    for (QTextBlock::iterator it = header.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat cf = f.charFormat();
        EXPECT_EQ(cf.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
        if (f.text().contains(QStringLiteral("March"))) {
            sawDate = true;
            EXPECT_EQ(cf.fontPointSize(), 9);
            EXPECT_LT(cf.fontWeight(), QFont::Bold);
        } else if (f.text().contains(QStringLiteral("PATCH LISTING"))) {
            sawTitle = true;
            EXPECT_EQ(cf.fontPointSize(), 10);
            EXPECT_EQ(cf.fontWeight(), QFont::Bold);
        } else if (f.text().contains(QStringLiteral("Page"))) {
            sawPage = true;
            EXPECT_EQ(cf.fontPointSize(), 9);
        }
    }
    EXPECT_TRUE(sawDate && sawTitle && sawPage);
    const QTextBlock names = blockWith(voiceName(1));
    ASSERT_TRUE(names.isValid());
    EXPECT_EQ(names.begin().fragment().charFormat().fontPointSize(), 8);
}

TEST_F(NameListingTest, TabStopsStartAtTheLeftMarginAndTheTitleIsCentredOnThePaper)
{
    auto list = makeList(32);
    ListingBuilder b = builder();
    ListingRequest request;
    request.ranges = {{1, 1}};
    appendListingPages(b, *list, request, {});
    const double stop0 = 720 / 15.0;  // 0.5 inch
    const QTextBlock row = blockWith(voiceName(1));
    const QList<QTextOption::Tab> rowTabs = row.blockFormat().tabPositions();
    ASSERT_EQ(rowTabs.size(), 9);
    const double column = b.GetAverageCharWidth(1) * 13 / 15.0;
    EXPECT_DOUBLE_EQ(rowTabs[0].position, stop0);
    for (int i = 1; i < 9; ++i)
        EXPECT_NEAR(rowTabs[i].position, stop0 + column * i, 1e-6) << i;

    const QTextBlock header = blockWith(QStringLiteral("PATCH LISTING"));
    const QList<QTextOption::Tab> headerTabs = header.blockFormat().tabPositions();
    ASSERT_EQ(headerTabs.size(), 3);
    const double titleWidth = b.TextWidth(QStringLiteral("PATCH LISTING : TEST.SYX"));
    EXPECT_NEAR(headerTabs[1].position * 15, metrics.physicalWidth / 2.0 - titleWidth / 2.0, 15);
    const double pageWidth = b.TextWidth(QStringLiteral("Page 1 of 1"));
    EXPECT_NEAR(headerTabs[2].position * 15, metrics.physicalWidth - 720 - pageWidth - 150, 15);
}

TEST(HeaderDate, DayMonthYearAndTwelveHourTime)
{
    EXPECT_EQ(ListingBuilder::headerDate(QDateTime(QDate(2024, 3, 5), QTime(15, 7))),
              QStringLiteral("5 March 2024, 3:07 PM "));
    EXPECT_EQ(ListingBuilder::headerDate(QDateTime(QDate(1999, 12, 31), QTime(0, 5))),
              QStringLiteral("31 December 1999, 12:05 AM "));
    EXPECT_EQ(ListingBuilder::headerDate(QDateTime(QDate(2001, 1, 1), QTime(12, 0))),
              QStringLiteral("1 January 2001, 12:00 PM "));
}

TEST(CollectVoiceNumbers, BanksStopAtTheLastVoiceAndSelectionsKeepTheirOrder)
{
    auto list = makeList(40);
    std::vector<bool> flags;
    std::vector<std::int32_t> numbers;
    EXPECT_EQ(CollectVoiceNumbers(*list, false, flags, numbers, {2, 5}), 8);
    EXPECT_EQ(numbers.front(), 33);
    EXPECT_EQ(numbers.back(), 40);

    list->selectionTracker().tr.assign(41, false);
    for (int v : {40, 3, 33})
        list->selectionTracker().tr[static_cast<std::size_t>(v)] = true;
    list->selectionTracker().TotalSelections = 3;
    EXPECT_EQ(CollectVoiceNumbers(*list, true, flags, numbers, {1, 1}), 3);
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{3, 33, 40}));

    auto empty = makeList(0);
    EXPECT_EQ(CollectVoiceNumbers(*empty, true, flags, numbers, {1, 1}), 0);
}

}  // namespace
}  // namespace printing
