// Brevane - the program's own copy of the printer settings, page margins and metrics.
#include "printing/PrinterRecords.h"

#include <QPaintDevice>
#include <QPrinterInfo>

#include <algorithm>

#include <cmath>

namespace printing {
namespace {

constexpr double kTwipsPerPoint = 20.0;

std::int32_t roundToInt(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

}  // namespace

std::int32_t marginTwips(std::int32_t thousandths) { return roundToInt(thousandths * 1.44); }

DeviceModeRecord readDeviceMode(const QPrinter& printer)
{
    DeviceModeRecord r;
    r.deviceName = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName().toStdString()
                                                                    : std::string();
    r.orientation = printer.pageLayout().orientation();
    r.paperSize = printer.pageLayout().pageSize().id();
    r.duplex = printer.duplex();
    r.copies = 1;
    r.collate = true;
    r.colour = printer.colorMode();
    r.paperBin = printer.paperSource();
    return r;
}

void readDialogDevices(const QPrinter& printer, DeviceModeRecord& record, bool withCopies)
{
    record.deviceName = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName().toStdString()
                                                                         : std::string();
    record.orientation = printer.pageLayout().orientation();
    record.paperSize = printer.pageLayout().pageSize().id();
    record.duplex = printer.duplex();
    if (withCopies) {
        record.copies = std::max(1, printer.copyCount());
        record.collate = printer.collateCopies();
    }
    record.colour = printer.colorMode();
    record.paperBin = printer.paperSource();
}

bool SelectPrinterByDevMode(DeviceModeRecord& record, QPrinter& printer)
{
    // Names that came through a fixed-size buffer end at their first NUL.
    if (const auto nul = record.deviceName.find('\0'); nul != std::string::npos)
        record.deviceName.resize(nul);
    bool found = true;
    const QString wanted = QString::fromStdString(record.deviceName);
    const QString current = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
    if (wanted.compare(current, Qt::CaseInsensitive) != 0) {
        found = false;
        if (wanted.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            found = true;
        } else {
            for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
                if (info.printerName().compare(wanted, Qt::CaseInsensitive) == 0) {
                    printer.setPrinterName(info.printerName());
                    found = true;
                    break;
                }
            }
        }
    }
    printer.setCopyCount(1);
    return found;
}

void ApplyDevModeToPrinter(const DeviceModeRecord& record, QPrinter& printer)
{
    printer.setCopyCount(1);
    printer.setDuplex(record.duplex);
    printer.setPageOrientation(record.orientation);
    printer.setPageSize(QPageSize(record.paperSize));
    printer.setColorMode(record.colour);
    printer.setPaperSource(record.paperBin);
}

PageMetrics ComputePageMetrics(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QRectF paper = layout.fullRectPoints();
    const QMarginsF unprintable = layout.minimumMargins();
    PageMetrics m;
    m.physicalWidth = roundToInt(paper.width() * kTwipsPerPoint);
    m.physicalHeight = roundToInt(paper.height() * kTwipsPerPoint);
    m.leftOffset = roundToInt(unprintable.left() * kTwipsPerPoint);
    m.topOffset = roundToInt(unprintable.top() * kTwipsPerPoint);
    m.printableWidth = roundToInt((paper.width() - unprintable.left() - unprintable.right()) * kTwipsPerPoint);
    m.printableHeight = roundToInt((paper.height() - unprintable.top() - unprintable.bottom()) * kTwipsPerPoint);
    m.rightUnprintable = m.physicalWidth - m.printableWidth - m.leftOffset;
    m.bottomUnprintable = m.physicalHeight - m.printableHeight - m.topOffset;
    return m;
}

ListingFont CreateListingFont(const std::string& face, std::int32_t points, const QPaintDevice& device)
{
    ListingFont f;
    f.face = face;
    f.points = points;
    f.pixelsPerInch = device.logicalDpiY();
    f.pixelHeight = points * f.pixelsPerInch / 72;
    return f;
}

}  // namespace printing
