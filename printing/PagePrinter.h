// Brevane - draws the preview's text on printed pages.
//
// The text is laid out against the printer at 96 dpi on the whole width of the sheet, and
// each page is drawn from that layout. A paragraph that starts a page (a listing's header,
// a page break read from a file) starts a printed page, and what follows up to the next one
// is one printed page: drawn from the top of the sheet (the listing's own blank lines make
// its top margin), scaled down when the sheet is too short for it, never split. Text
// without page breaks, or a stretch too long to be one page, runs from page to page inside
// the margins, split between lines.
#pragma once

#include "printing/PrinterRecords.h"

#include <QString>

#include <vector>

class QPagedPaintDevice;
class QTextDocument;

namespace printing {

// One printed page: the strip [top, top + height) of the layout (layout pixels), drawn at
// origin (layout pixels from the sheet's corner), scaled by scale.
struct PageSlice {
    double top = 0;
    double height = 0;
    double originX = 0;
    double originY = 0;
    double scale = 1;
};

// The paper a document is printed on, in layout pixels (1/96 inch).
struct PaperGeometry {
    double width = 0;
    double height = 0;
    PageMargins margins;  // thousandths of an inch
};

[[nodiscard]] PaperGeometry paperGeometry(const PageMetrics& metrics, const PageMargins& margins);

// The printed pages of a laid-out document.
[[nodiscard]] std::vector<PageSlice> planPages(QTextDocument& doc, const PaperGeometry& paper);

// Draws the pages on a device (a printer or a PDF writer already set to the paper, with
// no margins of its own). False, with a reason, when the device cannot be painted on.
[[nodiscard]] bool drawPages(QTextDocument& doc, const std::vector<PageSlice>& pages, QPagedPaintDevice& device,
                             const PaperGeometry& paper, QString* error);

}  // namespace printing
