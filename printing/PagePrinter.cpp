// Brevane - draws the preview's text on printed pages.
#include "printing/PagePrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace printing {
namespace {

constexpr double kLayoutDpi = 96.0;
constexpr double kTwipsPerLayoutPixel = kTwipsPerInch / kLayoutDpi;
// A stretch between page breaks that is longer than this many sheets is not one page.
constexpr double kMostSheetsScaledToOne = 2.0;

double marginPixels(std::int32_t thousandths) { return thousandths * kLayoutDpi / 1000.0; }

bool startsPage(const QTextBlock& block)
{
    return (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
}

struct Segment {
    QTextBlock first;
    QTextBlock end;  // the first block of the next segment, or invalid
    bool pageStart = false;
};

// Splits a stretch of text between lines into pages of at most pageHeight.
void splitIntoPages(QAbstractTextDocumentLayout& layout, const Segment& seg, double pageHeight, double originX,
                    double originY, double scale, std::vector<PageSlice>& out)
{
    double pageTop = -1;
    double bottom = 0;
    for (QTextBlock b = seg.first; b.isValid() && b != seg.end; b = b.next()) {
        const QRectF rect = layout.blockBoundingRect(b);
        const QTextLayout* lines = b.layout();
        const int lineCount = lines ? lines->lineCount() : 0;
        for (int i = 0; i < std::max(1, lineCount); ++i) {
            double top = rect.top();
            double height = rect.height();
            if (lineCount > 0) {
                const QTextLine line = lines->lineAt(i);
                top = rect.top() + line.y();
                height = line.height();
            }
            if (pageTop < 0)
                pageTop = top;
            if (top + height - pageTop > pageHeight && top > pageTop) {
                out.push_back({pageTop, top - pageTop, originX, originY, scale});
                pageTop = top;
            }
            bottom = std::max(bottom, top + height);
        }
    }
    if (pageTop >= 0 && bottom > pageTop)
        out.push_back({pageTop, bottom - pageTop, originX, originY, scale});
}

}  // namespace

PaperGeometry paperGeometry(const PageMetrics& metrics, const PageMargins& margins)
{
    return {metrics.physicalWidth / kTwipsPerLayoutPixel, metrics.physicalHeight / kTwipsPerLayoutPixel, margins};
}

std::vector<PageSlice> planPages(QTextDocument& doc, const PaperGeometry& paper)
{
    std::vector<PageSlice> pages;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    (void)layout->documentSize();  // lays out the whole text

    std::vector<Segment> segments;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (segments.empty() || startsPage(b)) {
            if (!segments.empty())
                segments.back().end = b;
            segments.push_back({b, QTextBlock(), startsPage(b)});
        }
    }

    const double left = marginPixels(paper.margins.left);
    const double top = marginPixels(paper.margins.top);
    const double right = marginPixels(paper.margins.right);
    const double bottom = marginPixels(paper.margins.bottom);
    // A listing page has its top margin in its text and its left margin in its tab stops.
    const double listingRoom = std::max(1.0, paper.height - bottom);
    // Other text is set inside all four margins, narrowed to keep its whole width.
    const double textScale = std::clamp((paper.width - left - right) / std::max(1.0, paper.width), 0.05, 1.0);
    const double textRoom = std::max(1.0, (paper.height - top - bottom) / textScale);

    for (const Segment& seg : segments) {
        // The page ends with its last line that holds text; blank lines after it need no room.
        double segTop = layout->blockBoundingRect(seg.first).top();
        double contentBottom = segTop;
        for (QTextBlock b = seg.first; b.isValid() && b != seg.end; b = b.next())
            if (b.length() > 1)
                contentBottom = std::max(contentBottom, layout->blockBoundingRect(b).bottom());
        const double height = contentBottom - segTop;
        if (seg.pageStart && height <= listingRoom * kMostSheetsScaledToOne) {
            pages.push_back({segTop, std::max(height, 1.0), 0, 0, std::min(1.0, listingRoom / std::max(height, 1.0))});
        } else if (seg.pageStart) {
            splitIntoPages(*layout, seg, listingRoom, 0, 0, 1.0, pages);
        } else if (height > 0) {
            splitIntoPages(*layout, seg, textRoom, left, top, textScale, pages);
        }
    }
    if (pages.empty())
        pages.push_back({0, 1, 0, 0, 1});  // an empty text prints one blank sheet
    return pages;
}

bool drawPages(QTextDocument& doc, const std::vector<PageSlice>& pages, QPagedPaintDevice& device,
               const PaperGeometry& paper, QString* error)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("The printer could not be started.");
        return false;
    }
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const QPaintDevice* layoutDevice = layout->paintDevice();
    const double layoutDpi = layoutDevice ? layoutDevice->logicalDpiX() : kLayoutDpi;
    const double k = device.logicalDpiX() / layoutDpi;
    bool first = true;
    for (const PageSlice& page : pages) {
        if (!first && !device.newPage()) {
            painter.end();
            if (error)
                *error = QStringLiteral("The printer did not take a new page.");
            return false;
        }
        first = false;
        painter.save();
        painter.scale(k, k);
        painter.translate(page.originX, page.originY);
        painter.scale(page.scale, page.scale);
        painter.translate(0, -page.top);
        const QRectF clip(0, page.top, paper.width, page.height);
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("The printer could not finish the job.");
        return false;
    }
    return true;
}

}  // namespace printing
