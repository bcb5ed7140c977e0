// Brevane - printing: records, commands, the listing driver and the preview's files.
#include "printing/modPrintOps.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "banklib/clsVoiceNames.h"
#include "platform/FileIO.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "printing/EditorPrintout.h"
#include "printing/PagePrinter.h"
#include "printing/PreviewText.h"
#include "printing/RtfReader.h"
#include "printing/RtfTextDocument.h"
#include "printing/RtfWriter.h"
#include "printing/VoiceDataListing.h"
#include "printing/frmPreview.h"
#include "shell/HelpTopics.h"
#include "shell/frmStartup.h"

#include <QPdfWriter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <span>

namespace printing {
namespace {

constexpr const char* kListingFace = "Arial";
constexpr std::int32_t kNameListingPoints = 8;
constexpr std::int32_t kDataListingPoints = 10;
constexpr std::int32_t kStartupPoints = 10;
constexpr int kPdfResolution = 600;

std::span<const std::uint8_t> bytesOf(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

void showFailure(const std::string& text, const std::string& title)
{
    (void)platform::messages().messageBox(text, platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation, title);
}

}  // namespace

modPrintOps::modPrintOps(std::unique_ptr<PrintDialogs> dialogs)
    : m_dialogs(std::move(dialogs)), m_printer(QPrinter::ScreenResolution)
{
    if (!m_dialogs)
        m_dialogs = std::make_unique<QtPrintDialogs>();
    m_printer.setFullPage(true);
    InitPrinterSettings();
    CreateListingFont(kListingFace, kStartupPoints);
}

modPrintOps::~modPrintOps()
{
    if (m_preview)
        delete m_preview.data();
}

// ---------------------------------------------------------------- printer records

std::int32_t modPrintOps::countPrinters()
{
    const auto installed = static_cast<std::int32_t>(QPrinterInfo::availablePrinters().size());
    InitPrinterSettings();
    CreateListingFont(kListingFace, kStartupPoints);
    return installed + 1;  // and the PDF printer
}

void modPrintOps::InitPrinterSettings()
{
    m_deviceMode = readDeviceMode(m_printer);
    InitPageSetup();
    ComputePageMetrics();
}

void modPrintOps::CreateListingFont(const std::string& face, std::int32_t points)
{
    m_listingFont = printing::CreateListingFont(face, points, m_printer);
}

void modPrintOps::InitPageSetup()
{
    if (!m_marginsSet)
        m_margins = {kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
}

void modPrintOps::ComputePageMetrics() { m_metrics = printing::ComputePageMetrics(m_printer); }

bool modPrintOps::printerIsPdf() const { return m_printer.outputFormat() == QPrinter::PdfFormat; }

QWidget* modPrintOps::owner() const
{
    if (m_owner)
        return m_owner;
    return shell::frmStartup::instance();
}

bool modPrintOps::queryUnload() { return preview() == nullptr || m_preview->close(); }

void modPrintOps::unload()
{
    if (preview())
        m_preview->unload();
}

// ---------------------------------------------------------------- File > Print

void modPrintOps::PrintVoiceListCommand()
{
    banklib::clsVoiceNames names;
    std::string key;
    banklib::VoiceEditorView* editor = nullptr;
    bool editorNotActive = false;
    banklib::VoiceListView* list = names.GetCurrentVoiceListAndEditor(key, editor, editorNotActive);
    if (key == banklib::kNoForms || list == nullptr) {
        (void)platform::messages().messageBox("Please select a voice list to print ", platform::MsgStyle::OkOnly,
                                              "No voice list selected");
        return;
    }
    m_printedList = list->ListID();
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    if (ShowPrintDialog(*list, ranges) == 1) {
        m_pageRanges = ranges;
        BuildPrintPreview(*list, m_pageRanges);
    }
    platform::ShowStatusMessage("", 0, 1);
}

int modPrintOps::ShowPrintDialog(banklib::VoiceListView& list,
                                 std::vector<std::pair<std::int32_t, std::int32_t>>& ranges)
{
    const std::int32_t bankCount = (list.VoiceCount() - 1) / 32 + 1;
    // Another list starts with the names listing, one copy, not collated.
    if (list.ListID() != m_lastPrintedKey) {
        m_memory.RememberedKind = false;
        m_memory.RememberedSelected = false;
        m_deviceMode.copies = 1;
        m_deviceMode.collate = false;
        m_lastPrintedKey = list.ListID();
    }
    PrintChoices choices(bankCount, list.bankPage(), list.TotalSelections() > 0, m_memory);
    if (!m_dialogs->printOptions(choices, owner()))
        return 0;
    if (!choices.previewPressed() && !choices.printToFile()) {
        m_printer.setCopyCount(m_deviceMode.copies);
        m_printer.setCollateCopies(m_deviceMode.collate);
        // The PDF printer offers the file chosen last in this run.
        if (printerIsPdf() && !m_lastPdfFileName.isEmpty())
            m_printer.setOutputFileName(m_lastPdfFileName);
        if (!m_dialogs->choosePrinter(m_printer, owner())) {
            // The printer goes back to the one the records hold, with no file name.
            m_printer.setOutputFileName(QString());
            SelectPrinterByDevMode(m_deviceMode, m_printer);
            ApplyDevModeToPrinter(m_deviceMode, m_printer);
            return 0;
        }
        readDialogDevices(m_printer, m_deviceMode, true);
        m_pdfFileName = printerIsPdf() ? m_printer.outputFileName() : QString();
        if (!m_pdfFileName.isEmpty())
            m_lastPdfFileName = m_pdfFileName;
        // The printer keeps no file name of its own: a job on the PDF printer writes the
        // file the dialog named, or asks for one.
        m_printer.setOutputFileName(QString());
        SelectPrinterByDevMode(m_deviceMode, m_printer);
        ApplyDevModeToPrinter(m_deviceMode, m_printer);
        ComputePageMetrics();
    }
    m_memory = choices.memory();
    PreviewMode = choices.previewPressed();
    PrintToFile = choices.printToFile();
    ranges = {choices.bankRange()};
    return 1;
}

bool modPrintOps::BuildPrintPreview(banklib::VoiceListView& list,
                                    const std::vector<std::pair<std::int32_t, std::int32_t>>& ranges)
{
    platform::ShowStatusMessage(PreviewMode ? " Please wait - Preparing Print Preview"
                                            : " Please wait - Preparing To Print",
                                0, 1);
    banklib::BusyCursor busy;
    const bool withData = m_memory.ListingWithData;
    CreateListingFont(kListingFace, withData ? kDataListingPoints : kNameListingPoints);

    // A shown preview gets the listing after its text. A listing that is printed goes
    // through a window of its own, so the preview's text is neither printed nor lost.
    std::unique_ptr<frmPreview> printed;
    frmPreview* target = nullptr;
    if (PreviewMode) {
        if (!preview())
            m_preview = new frmPreview(*this, owner());
        target = m_preview;
    } else {
        printed = std::make_unique<frmPreview>(*this, owner());
        printed->setAttribute(Qt::WA_DeleteOnClose, false);
        target = printed.get();
    }
    // An empty preview gets a document built on its own; a listing after text goes in place.
    std::unique_ptr<QTextDocument> fresh;
    if (!target->hasText())
        fresh = target->newDocument();
    QTextDocument& doc = fresh ? *fresh : *target->RichTextBox1()->document();
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    {
        QTextCursor block(&doc);
        block.beginEditBlock();
        ListingBuilder builder(doc, m_printer,
                               ListingLayout{m_margins, m_metrics.physicalWidth, m_listingFont, target->fontName()},
                               m_clock);
        ListingRequest request;
        request.withData = withData;
        request.selectedOnly = m_memory.SelectedOnly;
        request.copies = m_deviceMode.copies;
        request.collate = m_deviceMode.collate;
        request.ranges = ranges;
        VoiceDataListing data(builder, m_memory.OmitBankLine);
        appendListingPages(builder, list, request,
                           [&data](banklib::VoiceListView& l, int& position, std::int32_t page, std::int32_t pages,
                                   std::int32_t first, const std::vector<std::int32_t>& numbers) {
                               return data.AppendVoiceDataPage(l, position, page, pages, first, numbers);
                           });
        block.endEditBlock();
    }
    doc.setUndoRedoEnabled(undo);
    if (fresh)
        target->adoptDocument(std::move(fresh));
    PreviewFromFile = false;

    if (PreviewMode) {
        target->RichTextBox1()->setTextCursor(QTextCursor(target->RichTextBox1()->document()));
        target->show();
        target->raise();
        target->activateWindow();
    } else if (PrintToFile) {
        (void)LoadSavePreviewText(*target, 1, true);
        PreviewFromFile = true;
    } else {
        (void)PrintPreviewText(*target);
    }
    return true;
}

// ---------------------------------------------------------------- File > Page Setup, Print Preview

void modPrintOps::ShowPageSetup()
{
    InitPageSetup();
    PageMargins margins = m_margins;
    if (!m_dialogs->pageSetup(m_printer, margins, owner()))
        return;
    readDialogDevices(m_printer, m_deviceMode, false);
    SelectPrinterByDevMode(m_deviceMode, m_printer);
    ApplyDevModeToPrinter(m_deviceMode, m_printer);
    m_margins = margins;
    m_marginsSet = true;
    ComputePageMetrics();

    if (!preview() || !m_preview->isVisible())
        return;
    // The preview's text stays as it is, every listing in it, typed or loaded text too:
    // the listings are laid out again in place for the new paper and margins.
    platform::ShowStatusMessage("Please wait - Resetting Print Preview ", 0, 1);
    m_preview->relayout();
    platform::ShowStatusMessage("", 0, 1);
}

void modPrintOps::showPreview()
{
    if (!preview())
        m_preview = new frmPreview(*this, owner());
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

// ---------------------------------------------------------------- the preview's text

bool modPrintOps::LoadSavePreviewText(frmPreview& preview, int mode, bool toFile)
{
    QTextEdit& box = *preview.RichTextBox1();
    QTextDocument& doc = *box.document();
    QTextCursor selection = box.textCursor();
    const bool hasSelection = selection.hasSelection();
    const std::string part = hasSelection ? "Selection" : "";
    const std::string title = mode == 0 ? "Load file to Print Preview " + part
                              : toFile  ? std::string("Print to File")
                                        : "Save Print Preview " + part + " To File";
    const banklib::clsVoiceNames::FileFilters filters = {{"Rich Text Format (*.rtf)", "*.rtf"},
                                                         {"Plain Text Format (*.txt)", "*.txt"},
                                                         {"All Files (*.*)", "*.*"}};
    std::string name;
    std::string fileTitle;
    if (m_previewFolder.empty())
        m_previewFolder = banklib::appState().DataDirectory();
    banklib::clsVoiceNames names;
    if (names.GetFileName(name, fileTitle, mode == 0 ? 0 : 1, title, nullptr, filters, "rtf", m_previewFolder) ||
        name.empty())
        return false;
    const bool rich = isRichTextFileName(name);

    if (mode == 0) {
        if (preview.hasText()) {
            const std::string question =
                hasSelection ? "Loading" + name + " will replace text currently selected in Print Preview " +
                                   platform::kCrLf + "Are you sure you want to proceed ?"
                             : "Loading " + name + " will replace the current contents of Print Preview " +
                                   platform::kCrLf + "Are you sure you want to proceed ?";
            if (platform::messages().messageBox(question,
                                                platform::MsgStyle::YesNoCancel | platform::MsgStyle::Exclamation,
                                                "Overwrite Text") != platform::MsgAnswer::Yes)
                return false;
        }
        const platform::ReadResult file = platform::readWholeFile(name);
        if (file.error != platform::FileError::None) {
            showFailure("Unable to load " + name + platform::kCrLf + file.message, "Print Preview");
            return false;
        }
        const QByteArrayView bytes(reinterpret_cast<const char*>(file.bytes.data()),
                                   static_cast<qsizetype>(file.bytes.size()));
        RtfDocument rtf;
        if (rich) {
            QString why;
            if (!RtfReader::read(bytes, rtf, &why)) {
                showFailure("Unable to load " + name + platform::kCrLf + why.toStdString(), "Print Preview");
                return false;
            }
        }
        if (!hasSelection) {
            std::unique_ptr<QTextDocument> loaded = preview.newDocument();
            if (rich) {
                setTextDocumentFromRtf(*loaded, rtf);
            } else {
                loaded->setUndoRedoEnabled(false);
                QTextCursor(loaded.get()).insertText(decodePlainText(bytes));
                loaded->setUndoRedoEnabled(true);
            }
            preview.adoptDocument(std::move(loaded));
        } else {
            if (rich)
                insertRtfDocument(selection, rtf);
            else
                selection.insertText(decodePlainText(bytes));
            PreviewFromFile = true;
        }
        box.setTextCursor(QTextCursor(box.document()));
        return true;
    }

    QByteArray out;
    if (!hasSelection) {
        out = rich ? RtfWriter::write(rtfFromTextDocument(doc)) : encodePlainText(doc.toPlainText());
    } else {
        out = rich ? RtfWriter::write(rtfFromTextDocument(doc, selection.selectionStart(), selection.selectionEnd()))
                   : encodePlainText(selection.selection().toPlainText());
        out += '\n';
    }
    std::string why;
    if (platform::writeFileAtomic(name, bytesOf(out), &why) != platform::FileError::None) {
        showFailure("Unable to save " + name + platform::kCrLf + why, "Print Preview");
        return false;
    }
    return true;
}

bool modPrintOps::PrintPreviewText(frmPreview& preview)
{
    QTextDocument& doc = *preview.RichTextBox1()->document();
    const PaperGeometry paper = paperGeometry(m_metrics, m_margins);
    const std::vector<PageSlice> pages = planPages(doc, paper);
    return runPrintJob([&](QPagedPaintDevice& device, QString* error) {
        return drawPages(doc, pages, device, paper, error);
    });
}

bool modPrintOps::PrintVoiceEditors()
{
    const std::vector<editor::frmVoiceEditor*> editors = openVoiceEditors();
    if (editors.empty())
        return false;
    const PaperGeometry paper = paperGeometry(m_metrics, m_margins);
    return runPrintJob([&](QPagedPaintDevice& device, QString* error) {
        return drawEditorPages(editors, device, paper, error);
    });
}

bool modPrintOps::runPrintJob(const std::function<bool(QPagedPaintDevice& device, QString* error)>& paint)
{
    QString error;
    bool ok = false;
    if (printerIsPdf()) {
        // The PDF printer writes a file: the one the print dialog named, or one asked for now.
        QString path = m_pdfFileName;
        m_pdfFileName.clear();
        if (path.isEmpty()) {
            platform::FileDialogRequest request;
            request.title = "Print to PDF File";
            request.initialFolder = m_previewFolder.empty() ? banklib::appState().DataDirectory() : m_previewFolder;
            request.filters = {{"PDF Files (*.pdf)", "*.pdf"}, {"All Files (*.*)", "*.*"}};
            request.defaultExtension = "pdf";
            request.helpTopic = shell::dialogHelpTopic(shell::DialogHelp::PrintToPdfFile);
            const platform::FileDialogResult chosen = platform::fileDialogs().saveFile(request);
            if (!chosen.accepted || chosen.files.empty() || chosen.files.front().empty())
                return false;
            path = QString::fromStdString(chosen.files.front());
            m_lastPdfFileName = path;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            error = file.errorString();
        } else {
            QPdfWriter pdf(&file);
            pdf.setCreator(QStringLiteral("Brevane"));
            pdf.setResolution(kPdfResolution);
            pdf.setPageLayout(QPageLayout(m_printer.pageLayout().pageSize(), m_printer.pageLayout().orientation(),
                                          QMarginsF()));
            ok = paint(pdf, &error);
            if (ok && !file.commit()) {
                ok = false;
                error = file.errorString();
            }
            if (!ok)
                file.cancelWriting();
        }
        if (!ok)
            error = QStringLiteral("%1\r\n%2").arg(path, error);
    } else {
        m_printer.setFullPage(true);
        m_printer.setCopyCount(1);
        m_printer.setDocName(QStringLiteral("Brevane"));
        ok = paint(m_printer, &error);
        if (ok && m_printer.printerState() == QPrinter::Error) {
            ok = false;
            error = QStringLiteral("The printer reported an error.");
        }
    }
    if (!ok)
        showFailure("Printing failed." + platform::kCrLf + error.toStdString(), "Print");
    return ok;
}

}  // namespace printing
