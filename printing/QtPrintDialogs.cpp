// Brevane - the dialogs of printing, shown with Qt's widgets.
#include "printing/PrintDialogs.h"
#include "printing/PrintOptionsDialog.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace printing {

bool QtPrintDialogs::printOptions(PrintChoices& choices, QWidget* owner)
{
    PrintOptionsDialog dialog(choices, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrintDialogs::choosePrinter(QPrinter& printer, QWidget* owner)
{
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Print"));
    // The listing chooses its banks itself; the dialog gives printer, copies and collation.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrintDialogs::pageSetup(QPrinter& printer, PageMargins& margins, QWidget* owner)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Inch);
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(QMarginsF(margins.left / 1000.0, margins.top / 1000.0, margins.right / 1000.0,
                                margins.bottom / 1000.0));
    printer.setPageLayout(layout);
    QPageSetupDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Inch);
    margins = {static_cast<std::int32_t>(m.left() * 1000 + 0.5), static_cast<std::int32_t>(m.top() * 1000 + 0.5),
               static_cast<std::int32_t>(m.right() * 1000 + 0.5), static_cast<std::int32_t>(m.bottom() * 1000 + 0.5)};
    return true;
}

}  // namespace printing
