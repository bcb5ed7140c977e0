// Brevane - printing: the printer records, the print and page set-up commands, the
// listing driver, and the preview's file and print operations.
//
// One object for the whole run, made by the program before the main window starts. At
// start-up it counts the printers (the installed ones and the PDF printer, so a machine
// without a print queue still prints, to PDF) and fills its records from the default
// printer. File > Print asks what to print and builds the listing in the preview window,
// which it shows or prints; File > Page Setup changes paper and margins and lays the
// preview out again; File > Print Preview shows the preview window; File > Print Voice
// Data prints the open voice editors.
#pragma once

#include "printing/ListingBuilder.h"
#include "printing/PrintChoices.h"
#include "printing/PrintDialogs.h"
#include "printing/PreviewOps.h"
#include "printing/PrinterRecords.h"
#include "printing/frmPreview.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QPrinter>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class QWidget;

namespace banklib {
class VoiceListView;
}

namespace printing {

class modPrintOps final : public QObject, public PreviewOps {
    Q_OBJECT
public:
    // With no dialogs given, Qt's are used.
    explicit modPrintOps(std::unique_ptr<PrintDialogs> dialogs = nullptr);
    ~modPrintOps() override;
    modPrintOps(const modPrintOps&) = delete;
    modPrintOps& operator=(const modPrintOps&) = delete;

    // ---- start-up and shut-down
    // The number of printers: the installed ones and the PDF printer. Fills the records
    // and makes the listing font ("Arial", 10 points).
    [[nodiscard]] std::int32_t countPrinters();
    void InitPrinterSettings();
    void CreateListingFont(const std::string& face, std::int32_t points);
    // Gives unset margins their 0.5 inch; margins once set stay as set.
    void InitPageSetup();
    void ComputePageMetrics();
    // The main window's query-unload: the preview closes as if the user closed it (with
    // text, "Save text to file ?"); false when the user kept it open.
    [[nodiscard]] bool queryUnload();
    // The main window's unload: a preview still there goes without asking.
    void unload();

    // ---- the File commands
    void PrintVoiceListCommand();
    // 1 when the user confirmed; ranges receive the banks.
    [[nodiscard]] int ShowPrintDialog(banklib::VoiceListView& list,
                                      std::vector<std::pair<std::int32_t, std::int32_t>>& ranges);
    void ShowPageSetup();
    // File > Print Preview: the preview window, empty when no listing is shown.
    void showPreview();
    // File > Print Voice Data: prints every open voice editor, one page each, in one job;
    // with none open it does nothing. False when cancelled or failed (the failure shown).
    bool PrintVoiceEditors();
    // Builds the listing of list in the preview, then shows the preview or prints it.
    bool BuildPrintPreview(banklib::VoiceListView& list,
                           const std::vector<std::pair<std::int32_t, std::int32_t>>& ranges);

    // ---- the preview's text
    // mode 0 loads a file into the preview (or its selection), 1 saves the text (or the
    // selection); toFile saves it as the output of "Print to File". False when cancelled
    // or failed (a failure has been shown).
    bool LoadSavePreviewText(frmPreview& preview, int mode, bool toFile) override;
    // Prints the preview's text; to the PDF printer it asks for the file. False when
    // cancelled or failed (a failure has been shown).
    bool PrintPreviewText(frmPreview& preview) override;
    [[nodiscard]] bool printsToFile() const override { return PrintToFile; }
    void setPreviewFromFile() override { PreviewFromFile = true; }

    // ---- state
    [[nodiscard]] QPrinter& printer() override { return m_printer; }
    [[nodiscard]] DeviceModeRecord& deviceMode() { return m_deviceMode; }
    [[nodiscard]] const PageMargins& margins() const override { return m_margins; }
    [[nodiscard]] const PageMetrics& metrics() const override { return m_metrics; }
    [[nodiscard]] const ListingFont& listingFont() const override { return m_listingFont; }
    // The shown (or built, not yet shown) preview window; nullptr when none.
    [[nodiscard]] frmPreview* preview() const { return m_preview && !m_preview->isClosed() ? m_preview.data() : nullptr; }
    [[nodiscard]] const PrintDialogMemory& dialogMemory() const { return m_memory; }
    // The ListID of the list printed last, and the banks it printed.
    [[nodiscard]] const std::string& PrintedList() const { return m_printedList; }
    [[nodiscard]] const std::vector<std::pair<std::int32_t, std::int32_t>>& PageRanges() const
    {
        return m_pageRanges;
    }
    // The header's clock (tests give a fixed time).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // The window dialogs are shown over (the main window when not set).
    void setOwner(QWidget* owner) { m_owner = owner; }

    bool PreviewMode = false;      // the listing is shown, not printed
    bool PrintToFile = false;      // the listing is saved as a text file
    bool PreviewFromFile = false;  // the preview's text is not a listing that can be built again

private:
    [[nodiscard]] QWidget* owner() const;
    [[nodiscard]] bool printerIsPdf() const;
    // Opens the device the job prints on (the printer, or a PDF file) and runs paint on it.
    bool runPrintJob(const std::function<bool(QPagedPaintDevice& device, QString* error)>& paint);

    std::unique_ptr<PrintDialogs> m_dialogs;
    QPrinter m_printer;
    DeviceModeRecord m_deviceMode;
    PageMargins m_margins;
    bool m_marginsSet = false;
    PageMetrics m_metrics;
    ListingFont m_listingFont;
    PrintDialogMemory m_memory;
    std::string m_lastPrintedKey;  // the list the remembered choices belong to
    std::string m_printedList;
    std::vector<std::pair<std::int32_t, std::int32_t>> m_pageRanges;
    QString m_pdfFileName;      // given by the print dialog for the next job
    QString m_lastPdfFileName;  // the PDF file chosen last in this run, offered again
    std::string m_previewFolder;
    std::function<QDateTime()> m_clock;
    QPointer<frmPreview> m_preview;
    QPointer<QWidget> m_owner;
};

}  // namespace printing
