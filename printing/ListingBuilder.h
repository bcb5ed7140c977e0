// Brevane - the text helpers every listing uses, and the voice-name listing.
//
// A listing is written as formatted text into a QTextDocument (the print preview's), page
// by page. Each page starts with a header block: blank lines for the top margin, then a
// line with the date and time, "PATCH LISTING : " and the file's title centred on the
// paper, and "Page n of m" near the right margin. The header's first paragraph starts a
// printed page (PageBreak_AlwaysBefore). Text is placed on the whole sheet: every line
// starts with a tab that goes to tab stop 0, the left margin, and the other stops are
// measured from the paper's left edge.
//
// The name listing prints whole banks, 16 to a page in blocks of four, each bank as two
// columns of 16 names.
//
// Positions are character positions of the document (a paragraph break counts as one).
// Tab stops and text widths are in twips; the document's tab positions are in 1/96 inch,
// the unit of the 96 dpi printer the text is laid out against. Each paragraph keeps, with
// its stops, how they follow the page (from the paper's edge, a margin or its middle), and
// each header how its blank lines follow the top margin, so that the listing can be laid
// out again in place for other paper (relayOutListings).
#pragma once

#include "printing/PrinterRecords.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QString>
#include <QTextCursor>
#include <QTextOption>

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QPaintDevice;
class QTextDocument;

namespace banklib {
class VoiceListView;
}

namespace printing {

// Tab stops 0..32 in twips; entry 0 of 1 or more asks for evenly spaced stops.
using TabStops = std::array<std::int32_t, 33>;

// The page and font a listing is laid out for.
struct ListingLayout {
    PageMargins margins;
    std::int32_t physicalWidth = 0;  // twips
    ListingFont font;                // face, points, the printer's resolution, pixel height
    QString fontName;                // the font of the appended text (the preview's font box)
};

class ListingBuilder {
public:
    // Appends to doc; texts are measured on device (the printer) with the listing font.
    ListingBuilder(QTextDocument& doc, const QPaintDevice& device, ListingLayout layout,
                   std::function<QDateTime()> clock = {});

    [[nodiscard]] const ListingLayout& layout() const { return m_layout; }
    // The position after the last character.
    [[nodiscard]] int textEnd() const;

    // Appends text at the end at size points (0: the listing size), bold or not, in the
    // listing's font name; '\n' starts a new paragraph with a plain format. position
    // becomes, and the result is, the new end.
    int AppendPreviewText(const QString& text, int& position, int size, bool bold);
    // Gives the paragraphs from start to end (the paragraph of end only when it holds a
    // character before end) stop 0 at the left margin (the right one when right aligned)
    // and count more stops: tabs[1..count], or tabs[0] * i + stop 0 when tabs[0] >= 1.
    // Without apply nothing changes: a document's paragraphs carry their own stops.
    void SetParagraphTabs(int start, int end, bool apply, int count, const TabStops& tabs, bool rightAligned,
                          std::int32_t singleTab = 0);
    // The header of a page (see above); lineCount grows by its lines. Returns the new end.
    int AppendPageHeader(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                         std::int32_t pageCount, std::int32_t& lineCount);
    // One page of the name listing: banks firstBank .. lastBank, at most 16 of them.
    int AppendNamesPage(banklib::VoiceListView& list, int& position, std::int32_t pageNumber,
                        std::int32_t pageCount, std::int32_t firstBank, std::int32_t lastBank);
    // The listing font's average character width: twips in mode 1, else pixels.
    [[nodiscard]] std::int32_t GetAverageCharWidth(int mode) const;
    // The width of a text in the listing font, in twips.
    [[nodiscard]] double TextWidth(const QString& text) const;
    static void ClearTabStops(TabStops& tabs) { tabs.fill(0); }

    // The header's date and time: "5 March 2024, 3:07 PM ".
    [[nodiscard]] static QString headerDate(const QDateTime& when);

private:
    // How a tab stop follows the page: offset twips from the paper's left edge, from the
    // left or right margin, from the middle of the paper, or from the right margin
    // counted back from the paper's right edge.
    enum class Anchor : int { Paper = 0, LeftMargin = 1, RightMargin = 2, Middle = 3, RightEdge = 4 };
    struct AnchoredStop {
        Anchor anchor;
        double offset;
    };
    // Gives the paragraphs from start to end (as SetParagraphTabs) these stops, and keeps
    // how they follow the page.
    void applyStops(int start, int end, const std::vector<AnchoredStop>& stops, bool rightAligned);
    // The stops of kept anchor and offset pairs on a page, as the document's tab positions.
    [[nodiscard]] static QList<QTextOption::Tab> tabPositions(const QList<double>& anchors, const PageMargins& margins,
                                                              std::int32_t physicalWidth);
    friend void relayOutListings(QTextDocument& doc, const PageMargins& margins, std::int32_t physicalWidth);

    QTextDocument& m_doc;
    const QPaintDevice& m_device;
    ListingLayout m_layout;
    std::function<QDateTime()> m_clock;
    QTextCursor m_cursor;
    QFontMetricsF m_metrics;  // the listing font on the printer
    int m_averageCharWidth = 0;  // pixels
};

// The 1-based voice numbers a listing prints: the selected voices (selectedOnly, the full
// listing), or every voice of the banks first .. last of range, up to the last voice of
// the list. flags receives the selection (index 0 unused). Returns the count.
std::int32_t CollectVoiceNumbers(banklib::VoiceListView& list, bool selectedOnly, std::vector<bool>& flags,
                                 std::vector<std::int32_t>& voiceNumbers,
                                 std::pair<std::int32_t, std::int32_t> range);

// What a listing prints, as the print dialog chose it.
struct ListingRequest {
    bool withData = false;      // the full listing (4 voices a page) rather than the names
    bool selectedOnly = false;  // the full listing prints the selected voices
    std::int32_t copies = 1;
    // Collated copies repeat the whole listing; otherwise each page is repeated in a row
    // under the same page number.
    bool collate = true;
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;  // (first bank, last bank)
};

// Appends one page of the full listing: the voices voiceNumbers[firstIndex - 1 ..] (at
// most 4), after the page header. Returns the new end.
using VoiceDataPageWriter =
    std::function<int(banklib::VoiceListView& list, int& position, std::int32_t pageNumber, std::int32_t pageCount,
                      std::int32_t firstIndex, const std::vector<std::int32_t>& voiceNumbers)>;

// Appends the pages of a listing; page numbers start at 1 for each range. The full
// listing's pages come from writeDataPage. Returns the number of pages appended.
std::int32_t appendListingPages(ListingBuilder& builder, banklib::VoiceListView& list, const ListingRequest& request,
                                const VoiceDataPageWriter& writeDataPage);

// A name as the listing prints it: 10 characters, codes below 32 and above 127 as blanks.
[[nodiscard]] QString listingName(const std::string& name);

// Lays the listings in doc out again, in place, for other margins or paper: every
// paragraph's stops follow the page as they were set, and every page header gets the
// blank lines of the new top margin. No text changes: only empty blank lines of a header
// go or come, and text that is not a listing's (typed, loaded) keeps its own layout.
void relayOutListings(QTextDocument& doc, const PageMargins& margins, std::int32_t physicalWidth);

}  // namespace printing
