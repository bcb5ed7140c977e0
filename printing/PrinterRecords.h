// Brevane - the program's own copy of the printer settings, page margins and metrics.
//
// The print and page set-up dialogs change the printer; these records keep what the
// listings need between them: the chosen printer and its paper, the copies and collation
// the listing builder repeats by itself, the margins in thousandths of an inch and the page
// measures in twips (1440 to the inch). The printer object stays at screen resolution,
// so the preview's text is laid out against it at 96 pixels to the inch.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <cstdint>
#include <string>

class QPaintDevice;

namespace printing {

constexpr std::int32_t kTwipsPerInch = 1440;
// Margins of a page set-up that was never made, in thousandths of an inch.
constexpr std::int32_t kDefaultMargin = 500;

// Left, top, right and bottom margin in thousandths of an inch.
struct PageMargins {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const PageMargins&, const PageMargins&) = default;
};

// Twips of a margin in thousandths of an inch (x 1.44), rounded.
[[nodiscard]] std::int32_t marginTwips(std::int32_t thousandths);

// Measures of the paper in twips: the whole sheet, the unprintable edges and what lies
// between them.
struct PageMetrics {
    std::int32_t physicalWidth = 0;
    std::int32_t physicalHeight = 0;
    std::int32_t leftOffset = 0;
    std::int32_t topOffset = 0;
    std::int32_t printableWidth = 0;
    std::int32_t printableHeight = 0;
    std::int32_t rightUnprintable = 0;
    std::int32_t bottomUnprintable = 0;
};

// The printer and paper chosen in the dialogs. Copies and collation are kept here and
// produced by repeating the listing; the printer itself always prints one copy.
struct DeviceModeRecord {
    std::string deviceName;  // empty: the PDF printer
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QPageSize::PageSizeId paperSize = QPageSize::A4;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    std::int32_t copies = 1;
    bool collate = true;
    QPrinter::ColorMode colour = QPrinter::Color;
    QPrinter::PaperSource paperBin = QPrinter::Auto;
};

// The listing font: face, point size, and its height in pixels of the printer.
struct ListingFont {
    std::string face;
    std::int32_t points = 0;
    std::int32_t pixelsPerInch = 0;  // the printer's vertical resolution
    std::int32_t pixelHeight = 0;    // points * pixelsPerInch / 72, truncated
};

// The record of the printer's present settings (one copy, collated, as at start-up).
[[nodiscard]] DeviceModeRecord readDeviceMode(const QPrinter& printer);
// Takes the printer and paper a dialog left on the printer; with copies, also the copies
// and collation (the print dialog's, not the page set-up's).
void readDialogDevices(const QPrinter& printer, DeviceModeRecord& record, bool withCopies);
// Makes the record's printer current when it differs from the printer's (an installed
// printer of that name, compared without regard to case), then sets the printer to one
// copy. Returns false when no installed printer has the name (the printer is kept).
bool SelectPrinterByDevMode(DeviceModeRecord& record, QPrinter& printer);
// Gives the printer the record's orientation, paper, duplex, colour and paper bin, and one copy.
void ApplyDevModeToPrinter(const DeviceModeRecord& record, QPrinter& printer);
// Measures of the printer's paper in twips.
[[nodiscard]] PageMetrics ComputePageMetrics(const QPrinter& printer);
// A font of the face at the size, measured on the device; the height is
// -(points * pixels per inch / 72) truncated, kept positive.
[[nodiscard]] ListingFont CreateListingFont(const std::string& face, std::int32_t points, const QPaintDevice& device);

}  // namespace printing
