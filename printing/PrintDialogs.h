// Brevane - the dialogs of printing, as a service tests can answer.
//
// The program's implementation (QtPrintDialogs) shows the print options dialog, Qt's
// print dialog (printer, copies, collation) and Qt's page set-up dialog.
#pragma once

#include "printing/PrinterRecords.h"

class QPrinter;
class QWidget;

namespace printing {

class PrintChoices;

class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // What to print: the user works on choices; true when Preview or Print... was pressed.
    [[nodiscard]] virtual bool printOptions(PrintChoices& choices, QWidget* owner) = 0;
    // The printer, copies and collation, left on printer; true when confirmed.
    [[nodiscard]] virtual bool choosePrinter(QPrinter& printer, QWidget* owner) = 0;
    // The paper of printer and the margins; true when confirmed.
    [[nodiscard]] virtual bool pageSetup(QPrinter& printer, PageMargins& margins, QWidget* owner) = 0;
};

class QtPrintDialogs final : public PrintDialogs {
public:
    bool printOptions(PrintChoices& choices, QWidget* owner) override;
    bool choosePrinter(QPrinter& printer, QWidget* owner) override;
    bool pageSetup(QPrinter& printer, PageMargins& margins, QWidget* owner) override;
};

}  // namespace printing
