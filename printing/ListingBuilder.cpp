// Brevane - the text helpers every listing uses, and the voice-name listing.
#include "printing/ListingBuilder.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListView.h"
#include "platform/VbText.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace printing {
namespace {

constexpr std::int32_t kVoicesPerBank = 32;
constexpr std::int32_t kBanksPerNamePage = 16;
constexpr std::int32_t kBanksPerBlock = 4;
constexpr std::int32_t kNameRows = 16;
constexpr std::int32_t kNameColumns = 8;
// Sizes of the header's pieces, in points.
constexpr int kHeaderSize = 9;
constexpr int kTitleSize = 10;
// The header's "Page n of m" ends this many twips before the right margin.
constexpr std::int32_t kPageNumberGap = 150;
// The name table's first bank title, and the columns as average character widths.
constexpr std::int32_t kBankTitleStop = 1600;
constexpr std::int32_t kNameColumnChars = 13;

// Tab positions of the document are in 1/96 inch (15 twips).
constexpr double kTwipsPerTabUnit = 15.0;

// What a paragraph keeps of its layout: how its stops follow the page (anchor and offset
// pairs), and on a header line, the listing font's resolution and pixel height its blank
// lines were counted with; a header's blank lines are marked as such.
constexpr int kStopAnchors = QTextFormat::UserProperty + 1;
constexpr int kHeaderLine = QTextFormat::UserProperty + 2;
constexpr int kTopMarginLine = QTextFormat::UserProperty + 3;

std::int32_t roundToInt(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// The lines of the listing font that fit in the top margin, less one; none under one line.
std::int32_t topMarginLines(double pixelsPerInch, double pixelHeight, std::int32_t topMargin)
{
    if (pixelHeight <= 0)
        return 0;
    return std::max(0, roundToInt(pixelsPerInch * topMargin / (pixelHeight * 1000.0) - 1.0));
}

bool startsPage(const QTextBlock& block)
{
    return (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
}

QFont listingFontOf(const ListingLayout& layout)
{
    QFont f(QString::fromStdString(layout.font.face));
    f.setPointSize(std::max(1, layout.font.points));
    return f;
}

}  // namespace

ListingBuilder::ListingBuilder(QTextDocument& doc, const QPaintDevice& device, ListingLayout layout,
                               std::function<QDateTime()> clock)
    : m_doc(doc),
      m_device(device),
      m_layout(std::move(layout)),
      m_clock(std::move(clock)),
      m_cursor(&doc),
      m_metrics(listingFontOf(m_layout), &device),
      m_averageCharWidth(QFontMetrics(listingFontOf(m_layout), &device).averageCharWidth())
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
    if (m_layout.fontName.isEmpty())
        m_layout.fontName = QString::fromStdString(m_layout.font.face);
    m_cursor.movePosition(QTextCursor::End);
}

int ListingBuilder::textEnd() const { return m_doc.characterCount() - 1; }

int ListingBuilder::AppendPreviewText(const QString& text, int& position, int size, bool bold)
{
    QTextCharFormat format;
    format.setFontFamilies({m_layout.fontName});
    format.setFontPointSize(size > 0 ? size : m_layout.font.points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    m_cursor.movePosition(QTextCursor::End);
    qsizetype from = 0;
    for (;;) {
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), from);
        const qsizetype length = (lineEnd < 0 ? text.size() : lineEnd) - from;
        if (length > 0)
            m_cursor.insertText(text.mid(from, length), format);
        if (lineEnd < 0)
            break;
        // A fresh paragraph: no page break and no stops carried over from the last one.
        m_cursor.insertBlock(QTextBlockFormat(), format);
        from = lineEnd + 1;
    }
    position = m_cursor.position();
    return position;
}

QList<QTextOption::Tab> ListingBuilder::tabPositions(const QList<double>& anchors, const PageMargins& margins,
                                                     std::int32_t physicalWidth)
{
    std::vector<std::int32_t> stops;
    for (qsizetype i = 0; i + 1 < anchors.size(); i += 2) {
        const double offset = anchors[i + 1];
        switch (static_cast<Anchor>(static_cast<int>(anchors[i]))) {
        case Anchor::LeftMargin: stops.push_back(marginTwips(margins.left) + roundToInt(offset)); break;
        case Anchor::RightMargin: stops.push_back(marginTwips(margins.right) + roundToInt(offset)); break;
        case Anchor::Middle: stops.push_back(roundToInt(physicalWidth / 2.0 + offset)); break;
        case Anchor::RightEdge:
            stops.push_back(roundToInt(physicalWidth - marginTwips(margins.right) + offset));
            break;
        case Anchor::Paper:
        default: stops.push_back(roundToInt(offset)); break;
        }
    }
    std::sort(stops.begin(), stops.end());
    QList<QTextOption::Tab> positions;
    for (std::int32_t s : stops)
        positions.append(QTextOption::Tab(s / kTwipsPerTabUnit, QTextOption::LeftTab));
    return positions;
}

void ListingBuilder::SetParagraphTabs(int start, int end, bool apply, int count, const TabStops& tabs,
                                      bool rightAligned, std::int32_t singleTab)
{
    (void)singleTab;  // the default stops of a plain text box; paragraphs carry their own
    if (!apply)
        return;
    count = std::clamp(count, 0, static_cast<int>(tabs.size()) - 1);
    // Stop 0 is the margin; evenly spaced stops follow it, the others stand on the paper.
    const Anchor margin = rightAligned ? Anchor::RightMargin : Anchor::LeftMargin;
    std::vector<AnchoredStop> stops{{margin, 0}};
    for (int i = 1; i <= count; ++i)
        stops.push_back(tabs[0] >= 1 ? AnchoredStop{margin, static_cast<double>(tabs[0]) * i}
                                     : AnchoredStop{Anchor::Paper, static_cast<double>(tabs[static_cast<std::size_t>(i)])});
    applyStops(start, end, stops, rightAligned);
}

void ListingBuilder::applyStops(int start, int end, const std::vector<AnchoredStop>& stops, bool rightAligned)
{
    QList<double> anchors;
    for (const AnchoredStop& s : stops)
        anchors << static_cast<double>(s.anchor) << s.offset;
    QTextBlockFormat format;
    format.setAlignment(rightAligned ? Qt::AlignRight : Qt::AlignLeft);
    format.setTabPositions(tabPositions(anchors, m_layout.margins, m_layout.physicalWidth));
    format.setProperty(kStopAnchors, QVariant::fromValue(anchors));
    QTextCursor c(&m_doc);
    const int last = textEnd();
    c.setPosition(std::clamp(start, 0, last));
    c.setPosition(std::clamp(end > start ? end - 1 : start, 0, last), QTextCursor::KeepAnchor);
    c.mergeBlockFormat(format);
}

QString ListingBuilder::headerDate(const QDateTime& when)
{
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const QDate d = when.date();
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1 %2 %3, %4:%5 %6 ")
        .arg(d.day())
        .arg(QLatin1String(kMonths[std::clamp(d.month(), 1, 12) - 1]))
        .arg(d.year())
        .arg(hour12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

int ListingBuilder::AppendPageHeader(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                                     std::int32_t pageCount, std::int32_t& lineCount)
{
    const std::int32_t blankLines =
        topMarginLines(m_layout.font.pixelsPerInch, m_layout.font.pixelHeight, m_layout.margins.top);
    lineCount += blankLines;

    const int blockStart = textEnd();
    AppendPreviewText(QString(blankLines, QLatin1Char('\n')) + QLatin1Char('\t') + headerDate(m_clock()) +
                          QLatin1Char('\t'),
                      position, kHeaderSize, false);
    // Each listing page starts a printed page.
    QTextBlock block = m_doc.findBlock(blockStart);
    QTextCursor c(block);
    QTextBlockFormat pageStart;
    pageStart.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.mergeBlockFormat(pageStart);
    // The blank lines are the top margin's (laid out again with it), the line after them
    // the header's.
    for (std::int32_t i = 0; i < blankLines && block.isValid(); ++i, block = block.next()) {
        QTextBlockFormat blank;
        blank.setProperty(kTopMarginLine, true);
        QTextCursor(block).mergeBlockFormat(blank);
    }
    QTextBlockFormat headerLine;
    headerLine.setProperty(kHeaderLine, QVariant::fromValue(QList<double>{static_cast<double>(m_layout.font.pixelsPerInch),
                                                                          static_cast<double>(m_layout.font.pixelHeight)}));
    QTextCursor(block).mergeBlockFormat(headerLine);

    // A file name is in the file system's encoding, as the window's title shows it.
    const QString title = QStringLiteral("PATCH LISTING : ") + QFile::decodeName(list.FileTitle().c_str());
    AppendPreviewText(title + QLatin1Char('\t'), position, kTitleSize, true);
    const QString page = QStringLiteral("Page ") + QString::fromStdString(platform::Format(pageNumber, "##0")) +
                         QStringLiteral(" of ") + QString::fromStdString(platform::Format(pageCount, "##0"));
    AppendPreviewText(page + QStringLiteral("\n\n"), position, kHeaderSize, false);

    // The title is centred on the paper; "Page n of m" ends a little before the right margin.
    applyStops(blockStart, position,
               {{Anchor::LeftMargin, 0},
                {Anchor::Middle, -TextWidth(title) / 2.0},
                {Anchor::RightEdge, -TextWidth(page) - kPageNumberGap}},
               false);
    lineCount += 2;
    return position;
}

QString listingName(const std::string& name)
{
    QString out;
    out.reserve(static_cast<qsizetype>(name.size()));
    for (unsigned char ch : name)
        out.append(ch < 32 || ch > 127 ? QLatin1Char(' ') : QLatin1Char(static_cast<char>(ch)));
    return out;
}

int ListingBuilder::AppendNamesPage(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                                    std::int32_t pageCount, std::int32_t firstBank, std::int32_t lastBank)
{
    const std::int32_t column = GetAverageCharWidth(1) * kNameColumnChars;
    std::int32_t lines = 0;
    AppendPageHeader(list, position, pageNumber, pageCount, lines);

    // The list's own cursor is left alone: the names are read through a clone.
    platform::Recordset names = list.rsmfimage().clone();
    const int records = names.recordCount();
    const std::int32_t limit = firstBank + kBanksPerNamePage - 1 <= lastBank
                                   ? kBanksPerNamePage - kBanksPerBlock
                                   : ((lastBank - firstBank) / kBanksPerBlock) * kBanksPerBlock;
    for (std::int32_t b = 0; b <= limit; b += kBanksPerBlock) {
        const std::int32_t banks =
            firstBank + b + kBanksPerBlock - 1 > lastBank ? lastBank - firstBank - b + 1 : kBanksPerBlock;

        QString titles = QStringLiteral("\t\t");
        for (std::int32_t j = 0; j < banks; ++j)
            titles += QStringLiteral("BANK") + QString::fromStdString(platform::Str(firstBank + b + j)) +
                      QLatin1Char('\t');
        titles += QStringLiteral("\n\n");
        const int titleStart = textEnd();
        AppendPreviewText(titles, position, 0, true);
        TabStops tabs{};
        tabs[1] = kBankTitleStop;
        for (std::size_t i = 2; i <= 4; ++i)
            tabs[i] = tabs[i - 1] + 2 * column;
        SetParagraphTabs(titleStart, position, true, 4, tabs, false);

        // Column 2j holds voice r + 1 and column 2j + 1 voice r + 17 of the block's bank j + 1.
        const std::int32_t firstRecord = (firstBank + b) * kVoicesPerBank - kVoicesPerBank;
        QString rows;
        for (std::int32_t r = 0; r < kNameRows; ++r) {
            rows += QLatin1Char('\t');
            std::int32_t record = firstRecord + r;  // 0-based
            for (std::int32_t col = 0; col < kNameColumns; ++col) {
                if (record >= records || record / kVoicesPerBank + 1 > lastBank)
                    break;
                names.setAbsolutePosition(record + 1);
                rows += listingName(names.text(banklib::VoiceListField::Names)) + QLatin1Char('\t');
                record += kNameRows;
            }
            rows += QLatin1Char('\n');
        }
        rows += QStringLiteral("\n\n\n");
        const int rowsStart = textEnd();
        AppendPreviewText(rows, position, 0, false);
        ClearTabStops(tabs);
        tabs[0] = column;
        SetParagraphTabs(rowsStart, position, true, kNameColumns, tabs, false);
    }
    return position;
}

std::int32_t ListingBuilder::GetAverageCharWidth(int mode) const
{
    const int pixels = m_averageCharWidth;
    if (mode != 1)
        return pixels;
    const int dpi = std::max(1, m_device.logicalDpiX());
    return roundToInt(pixels * static_cast<double>(kTwipsPerInch) / dpi);
}

double ListingBuilder::TextWidth(const QString& text) const
{
    const int dpi = std::max(1, m_device.logicalDpiX());
    return m_metrics.horizontalAdvance(text) * kTwipsPerInch / dpi;
}

std::int32_t CollectVoiceNumbers(banklib::VoiceListView& list, bool selectedOnly, std::vector<bool>& flags,
                                 std::vector<std::int32_t>& voiceNumbers,
                                 std::pair<std::int32_t, std::int32_t> range)
{
    const std::int32_t count = std::max(0, list.VoiceCount());
    voiceNumbers.clear();
    if (selectedOnly) {
        flags.assign(static_cast<std::size_t>(count) + 1, false);
        const std::vector<bool>& tracker = list.selectionTracker().tr;
        for (std::int32_t v = 1; v <= count; ++v) {
            const auto i = static_cast<std::size_t>(v);
            flags[i] = i < tracker.size() && tracker[i];
            if (flags[i])
                voiceNumbers.push_back(v);
        }
    } else {
        // Never past the list's last voice, whatever the range asks.
        const std::int32_t first = (range.first - 1) * kVoicesPerBank + 1;
        const std::int32_t last = std::min(range.second * kVoicesPerBank, count);
        for (std::int32_t v = std::max(1, first); v <= last; ++v)
            voiceNumbers.push_back(v);
    }
    return static_cast<std::int32_t>(voiceNumbers.size());
}

std::int32_t appendListingPages(ListingBuilder& builder, banklib::VoiceListView& list, const ListingRequest& request,
                                const VoiceDataPageWriter& writeDataPage)
{
    constexpr std::int32_t kVoicesPerDataPage = 4;
    constexpr std::int32_t kVoicesPerNamePage = kVoicesPerBank * kBanksPerNamePage;
    const std::int32_t copies = std::max(1, request.copies);
    const std::int32_t repetitions = request.collate ? copies : 1;
    const std::int32_t pageCopies = request.collate ? 1 : copies;
    const std::int32_t step = request.withData ? kVoicesPerDataPage : kVoicesPerNamePage;
    std::int32_t pages = 0;
    int position = builder.textEnd();
    std::vector<bool> flags;
    std::vector<std::int32_t> numbers;
    for (std::int32_t rep = 0; rep < repetitions; ++rep) {
        for (const auto& range : request.ranges) {
            const std::int32_t n =
                CollectVoiceNumbers(list, request.withData && request.selectedOnly, flags, numbers, range);
            std::int32_t pageCount = 0;
            if (request.withData) {
                pageCount = (n - 1) / kVoicesPerDataPage + 1;
            } else {
                const std::int32_t banks = range.second - range.first + 1;
                pageCount = banks / kBanksPerNamePage + (banks % kBanksPerNamePage != 0 ? 1 : 0);
            }
            std::int32_t pageNumber = 1;
            for (std::int32_t i = 1; i <= n; i += step) {
                for (std::int32_t c = 0; c < pageCopies; ++c) {
                    if (request.withData) {
                        if (writeDataPage)
                            writeDataPage(list, position, pageNumber, pageCount, i, numbers);
                    } else {
                        const std::int32_t first = numbers[static_cast<std::size_t>(i - 1)] / kVoicesPerBank + 1;
                        builder.AppendNamesPage(list, position, pageNumber, pageCount, first, range.second);
                    }
                    position = builder.textEnd();
                    ++pages;
                }
                ++pageNumber;
            }
        }
    }
    return pages;
}

namespace {

// Gives a page header the blank lines of the top margin. The top margin's lines are the
// marked lines before the header, back to the one that starts the page; new ones are empty
// lines put in before the header, and only empty ones are taken away (nearest the header
// first), so no text goes. The page starts where it did, or at the first new line.
void relayOutHeader(QTextDocument& doc, int headerPosition, std::int32_t topMargin)
{
    const QTextBlock header = doc.findBlock(headerPosition);
    const QList<double> font = header.blockFormat().property(kHeaderLine).value<QList<double>>();
    if (font.size() != 2)
        return;
    const std::int32_t wanted = topMarginLines(font[0], font[1], topMargin);
    std::vector<int> lines;  // their positions, nearest the header first
    if (!startsPage(header)) {
        for (QTextBlock b = header.previous(); b.isValid() && b.blockFormat().boolProperty(kTopMarginLine);
             b = b.previous()) {
            lines.push_back(b.position());
            if (startsPage(b))
                break;
        }
    }
    auto have = static_cast<std::int32_t>(lines.size());
    QTextCursor c(&doc);
    if (wanted > have) {
        const bool pageStartsHere = startsPage(header);
        QTextBlockFormat headerFormat = header.blockFormat();
        QTextBlockFormat blank = headerFormat;
        blank.clearProperty(kHeaderLine);
        blank.setProperty(kTopMarginLine, true);
        blank.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        c.setPosition(headerPosition);
        for (std::int32_t i = have; i < wanted; ++i)
            c.insertBlock();
        QTextBlock b = doc.findBlock(headerPosition);
        for (std::int32_t i = have; i < wanted; ++i, b = b.next()) {
            QTextBlockFormat f = blank;
            if (pageStartsHere && i == have)
                f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(b).setBlockFormat(f);
        }
        if (pageStartsHere)
            headerFormat.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        QTextCursor(b).setBlockFormat(headerFormat);
        return;
    }
    for (const int at : lines) {
        if (have <= wanted)
            break;
        const QTextBlock line = doc.findBlock(at);
        if (!line.text().isEmpty())
            continue;
        if (!startsPage(line)) {
            if (at == 0)
                continue;
            // The empty line joins the one before it, which keeps its own format.
            c.setPosition(at - 1);
            c.setPosition(at, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        } else {
            // The line after it joins it and the page starts there.
            QTextBlockFormat next = line.next().blockFormat();
            next.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            c.setPosition(at);
            c.setPosition(at + 1, QTextCursor::KeepAnchor);
            c.removeSelectedText();
            QTextCursor(doc.findBlock(at)).setBlockFormat(next);
        }
        --have;
    }
}

}  // namespace

void relayOutListings(QTextDocument& doc, const PageMargins& margins, std::int32_t physicalWidth)
{
    QTextCursor edit(&doc);
    edit.beginEditBlock();
    // The headers last to first, so that the places of those before stay where they are.
    std::vector<int> headers;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().hasProperty(kHeaderLine))
            headers.push_back(b.position());
    for (auto it = headers.rbegin(); it != headers.rend(); ++it)
        relayOutHeader(doc, *it, margins.top);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        if (!f.hasProperty(kStopAnchors))
            continue;
        QTextBlockFormat stops;
        stops.setTabPositions(ListingBuilder::tabPositions(f.property(kStopAnchors).value<QList<double>>(), margins,
                                                           physicalWidth));
        QTextCursor(b).mergeBlockFormat(stops);
    }
    edit.endEditBlock();
}

}  // namespace printing
