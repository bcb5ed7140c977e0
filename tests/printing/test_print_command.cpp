// File > Print and File > Page Setup: the dialogs' answers, what is remembered, where the
// listing goes (preview, printer, PDF file, text file), and page set-up on a shown preview.
#include "printing/frmPreview.h"
#include "printing/modPrintOps.h"

#include "PrintingTestSupport.h"
#include "platform/testing/ScriptedServices.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTextEdit>

namespace printing {
namespace {

using platform::MsgAnswer;
using testing::countOf;
using testing::makeList;
using testing::pageStartCount;
using testing::pageTexts;
using testing::pdfPageCount;

class PrintCommandTest : public ::testing::Test {
protected:
    PrintCommandTest()
    {
        auto scripted = std::make_unique<testing::ScriptedPrintDialogs>();
        dialogs = scripted.get();
        ops = std::make_unique<modPrintOps>(std::move(scripted));
        ops->setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 30)); });
        app.dataDirectory = dir.path().toStdString() + "/";
    }
    ~PrintCommandTest() override
    {
        if (ops->preview())
            ops->preview()->unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    banklib::testing::FakeVoiceList& open(std::size_t voices, const std::string& title = "TEST.SYX")
    {
        lists.push_back(makeList(voices, title));
        app.registry.registerList(*lists.back());
        app.active.list = lists.back().get();
        return *lists.back();
    }
    std::string file(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    void choose(std::function<void(PrintChoices&)> change)
    {
        dialogs->onOptions = [change](PrintChoices& c) {
            change(c);
            return true;
        };
    }
    QTextDocument& previewText() { return *ops->preview()->RichTextBox1()->document(); }

    platform::testing::ScriptedServices ui;
    banklib::testing::FakeAppState app;
    QTemporaryDir dir;
    testing::ScriptedPrintDialogs* dialogs = nullptr;
    std::unique_ptr<modPrintOps> ops;
    std::vector<std::unique_ptr<banklib::testing::FakeVoiceList>> lists;
};

TEST_F(PrintCommandTest, WithoutAVoiceListItSaysSoAndShowsNoDialog)
{
    ops->PrintVoiceListCommand();
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Please select a voice list to print ");
    EXPECT_EQ(ui.messagesShown()[0].title, "No voice list selected");
    EXPECT_EQ(ui.messagesShown()[0].style, platform::MsgStyle::OkOnly);
    EXPECT_EQ(dialogs->optionsShown, 0);
}

TEST_F(PrintCommandTest, TheDialogOffersTheListsBanksAndTheSelectionIsTheBankShown)
{
    auto& list = open(33);
    list.setBankPage(2);
    std::int32_t banks = 0;
    dialogs->onOptions = [&banks](PrintChoices& c) {
        banks = c.bankCount();
        c.pressPreview();
        return true;
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(banks, 2);
    EXPECT_EQ(ops->PageRanges(), (std::vector<std::pair<std::int32_t, std::int32_t>>{{2, 2}}));
    ASSERT_TRUE(ops->preview());
    EXPECT_TRUE(ops->preview()->isVisible());
    const QString text = previewText().toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("BANK 2")));
    EXPECT_FALSE(text.contains(QStringLiteral("BANK 1")));
    EXPECT_TRUE(text.contains(testing::voiceName(33)));
    EXPECT_EQ(ui.statusText(), "");
    EXPECT_FALSE(ui.busy());
}

TEST_F(PrintCommandTest, CancelPrintsNothingAndAConfirmedDialogIsRemembered)
{
    open(64);
    dialogs->onOptions = [](PrintChoices&) { return false; };
    ops->PrintVoiceListCommand();
    EXPECT_FALSE(ops->preview());
    EXPECT_FALSE(ops->dialogMemory().OmitBankLine);

    choose([](PrintChoices& c) {
        c.setOmitBankLine(true);
        c.pressPreview();
    });
    ops->PrintVoiceListCommand();
    EXPECT_TRUE(ops->dialogMemory().OmitBankLine);
    bool omitted = false;
    dialogs->onOptions = [&omitted](PrintChoices& c) {
        omitted = c.omitBankLineChecked();
        return false;
    };
    ops->PrintVoiceListCommand();
    EXPECT_TRUE(omitted);
}

TEST_F(PrintCommandTest, AnotherListStartsWithOneCopyUncollatedAndTheNameListing)
{
    auto& first = open(64);
    first.selectionTracker().tr.assign(65, false);
    first.selectionTracker().tr[3] = true;
    first.selectionTracker().TotalSelections = 1;
    dialogs->onOptions = [](PrintChoices& c) {
        c.chooseKind(1);
        return true;
    };
    dialogs->onPrinter = [](QPrinter& p) {
        p.setCopyCount(3);
        p.setCollateCopies(true);
        return false;  // cancelled: nothing printed
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(dialogs->copiesOffered, 1);

    // The same list again: the dialog opens as it was left, with the printer's copies.
    int kindShown = -1;
    dialogs->onOptions = [&kindShown](PrintChoices& c) {
        kindShown = c.kindIndex();
        return false;
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(kindShown, 0);  // a cancelled dialog is not remembered

    dialogs->onOptions = [](PrintChoices& c) {
        c.chooseKind(1);
        c.pressPreview();
        return true;
    };
    ops->PrintVoiceListCommand();
    ops->deviceMode().copies = 3;
    ops->deviceMode().collate = true;
    dialogs->onOptions = [&kindShown](PrintChoices& c) {
        kindShown = c.kindIndex();
        return false;
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(kindShown, 1);
    EXPECT_EQ(ops->deviceMode().copies, 3);

    auto& second = open(64, "OTHER.SYX");
    second.selectionTracker().tr.assign(65, true);
    second.selectionTracker().TotalSelections = 64;
    ops->PrintVoiceListCommand();
    EXPECT_EQ(kindShown, 0);
    EXPECT_EQ(ops->deviceMode().copies, 1);
    EXPECT_FALSE(ops->deviceMode().collate);
}

TEST_F(PrintCommandTest, WithoutAPrinterTheListingPrintsToAPdfFileOnePagePerListingPage)
{
    open(17 * 32);
    choose([](PrintChoices& c) { c.setRange(BankRange::All); });
    ui.answerFile(file("listing.pdf"));
    ops->PrintVoiceListCommand();
    EXPECT_EQ(dialogs->printersShown, 1);
    ASSERT_FALSE(ui.fileDialogsShown().empty());
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Print to PDF File");
    EXPECT_EQ(pdfPageCount(QString::fromStdString(file("listing.pdf"))), 2);
    EXPECT_FALSE(ops->preview());  // printing leaves no window behind
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(PrintCommandTest, APdfFileNamedInThePrintDialogIsWrittenWithoutAskingAgain)
{
    open(3 * 32);
    choose([](PrintChoices& c) { c.setRange(BankRange::All); });
    const QString path = QString::fromStdString(file("chosen.pdf"));
    dialogs->onPrinter = [path](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(path);
        p.setCopyCount(2);
        p.setCollateCopies(false);
        return true;
    };
    ops->PrintVoiceListCommand();
    EXPECT_TRUE(ui.fileDialogsShown().empty());
    EXPECT_EQ(pdfPageCount(path), 2);  // two copies of one page
}

TEST_F(PrintCommandTest, ThePrintDialogOffersThePdfFileChosenLast)
{
    open(32);
    choose([](PrintChoices& c) { c.setRange(BankRange::All); });
    const QString first = QString::fromStdString(file("first.pdf"));
    QString offered;
    dialogs->onPrinter = [&](QPrinter& p) {
        offered = p.outputFileName();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(first);
        return true;
    };
    ops->PrintVoiceListCommand();
    ASSERT_EQ(pdfPageCount(first), 1);
    // Cancelled, the dialog changes nothing; the next one offers the same file again.
    dialogs->onPrinter = [&](QPrinter& p) {
        offered = p.outputFileName();
        p.setOutputFileName(QString::fromStdString(file("dropped.pdf")));
        return false;
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(offered, first);
    dialogs->onPrinter = [&](QPrinter& p) {
        offered = p.outputFileName();
        return true;
    };
    ops->PrintVoiceListCommand();
    EXPECT_EQ(offered, first);
    EXPECT_TRUE(ui.fileDialogsShown().empty());
    // A file named when printing asked for one is the one offered next.
    ops->showPreview();
    ui.answerFile(file("asked.pdf"));
    ASSERT_TRUE(ops->PrintPreviewText(*ops->preview()));
    ops->PrintVoiceListCommand();
    EXPECT_EQ(offered.toStdString(), file("asked.pdf"));
}

TEST_F(PrintCommandTest, AFailedPrintJobSaysSo)
{
    open(32);
    ui.answerFile(file("no/such/folder/x.pdf"));
    ops->PrintVoiceListCommand();
    ASSERT_FALSE(ui.messagesShown().empty());
    EXPECT_EQ(ui.messagesShown().back().title, "Print");
    EXPECT_NE(ui.messagesShown().back().text.find("Printing failed."), std::string::npos);
}

TEST_F(PrintCommandTest, PrintingWhileAPreviewIsShownLeavesThePreviewAsItWas)
{
    open(64);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    QPointer<frmPreview> shown = ops->preview();
    const QString before = previewText().toPlainText();
    choose([](PrintChoices&) {});
    ui.answerFile(file("only-this.pdf"));
    ops->PrintVoiceListCommand();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(previewText().toPlainText(), before);
    EXPECT_EQ(pdfPageCount(QString::fromStdString(file("only-this.pdf"))), 1);
}

TEST_F(PrintCommandTest, ASecondPreviewedListingIsAppended)
{
    open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    ops->PrintVoiceListCommand();
    EXPECT_EQ(pageStartCount(previewText()), 2);
}

TEST_F(PrintCommandTest, PrintToFileSavesTheListingAsText)
{
    open(32);
    choose([](PrintChoices& c) { c.setPrintToFile(true); });
    ui.answerFile(file("listing.rtf"));
    ops->PrintVoiceListCommand();
    EXPECT_EQ(dialogs->printersShown, 0);
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Print to File");
    QFile f(QString::fromStdString(file("listing.rtf")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray rtf = f.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("PATCH LISTING : TEST.SYX"));
    EXPECT_TRUE(ops->PreviewFromFile);
}

TEST_F(PrintCommandTest, PageSetupStartsAtHalfAnInchAndKeepsMarginsOnceSet)
{
    ops->ShowPageSetup();
    EXPECT_EQ(dialogs->marginsOffered, (PageMargins{500, 500, 500, 500}));
    dialogs->onPageSetup = [](QPrinter&, PageMargins& m) {
        m = {250, 0, 750, 1000};
        return true;
    };
    ops->ShowPageSetup();
    EXPECT_EQ(ops->margins(), (PageMargins{250, 0, 750, 1000}));
    dialogs->onPageSetup = [](QPrinter&, PageMargins&) { return false; };
    ops->ShowPageSetup();
    EXPECT_EQ(dialogs->marginsOffered, (PageMargins{250, 0, 750, 1000}));
    EXPECT_EQ(ops->margins(), (PageMargins{250, 0, 750, 1000}));
}

TEST_F(PrintCommandTest, PageSetupLaysAShownListingOutForTheNewPaper)
{
    open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    const int blankLinesBefore = previewText().toPlainText().indexOf(QStringLiteral("\t5 March"));
    dialogs->onPageSetup = [](QPrinter& p, PageMargins& m) {
        p.setPageSize(QPageSize(QPageSize::Letter));
        m = {500, 1500, 500, 500};
        return true;
    };
    ops->ShowPageSetup();
    ASSERT_TRUE(ops->preview());
    EXPECT_TRUE(ops->preview()->isVisible());
    EXPECT_EQ(pageStartCount(previewText()), 1);
    EXPECT_GT(previewText().toPlainText().indexOf(QStringLiteral("\t5 March")), blankLinesBefore);
    EXPECT_EQ(ops->metrics().physicalWidth, 12240);
    EXPECT_EQ(ui.messagesShown().size(), 0u);
}

TEST_F(PrintCommandTest, PageSetupAfterThePrintedListClosedKeepsThePreviewsText)
{
    auto& list = open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    QPointer<frmPreview> shown = ops->preview();
    shown->RichTextBox1()->textCursor().insertText(QStringLiteral("my own note "));
    const QString text = previewText().toPlainText();
    app.registry.Delete(list.ListID());
    dialogs->onPageSetup = [](QPrinter& p, PageMargins&) {
        p.setPageSize(QPageSize(QPageSize::Letter));
        return true;
    };
    ops->ShowPageSetup();
    ASSERT_TRUE(shown);
    EXPECT_EQ(previewText().toPlainText(), text);
    EXPECT_EQ(shown->RichTextBox1()->lineWrapColumnOrWidth(), 12240 / 15);
}

TEST_F(PrintCommandTest, PageSetupAfterAListingWasPrintedLaysOutOnlyTheShownOne)
{
    open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    // The same list is then printed without a preview: the last dialog was not a preview.
    choose([](PrintChoices&) {});
    ui.answerFile(file("printed.pdf"));
    ops->PrintVoiceListCommand();
    const std::size_t dialogsAsked = ui.fileDialogsShown().size();
    ops->ShowPageSetup();
    ASSERT_TRUE(ops->preview());
    EXPECT_TRUE(ops->preview()->isVisible());
    EXPECT_EQ(pageStartCount(previewText()), 1);
    EXPECT_EQ(ui.fileDialogsShown().size(), dialogsAsked);  // nothing was printed
}

TEST_F(PrintCommandTest, PageSetupKeepsAFileLoadedOverAListing)
{
    open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    QFile f(QString::fromStdString(file("notes.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("my notes");
    f.close();
    ui.answerFile(file("notes.txt"));
    ui.answer(MsgAnswer::Yes);
    ASSERT_TRUE(ops->LoadSavePreviewText(*ops->preview(), 0, false));
    ops->ShowPageSetup();
    EXPECT_EQ(previewText().toPlainText(), QStringLiteral("my notes"));
}

TEST_F(PrintCommandTest, PageSetupLaysEveryListingOutAgainInPlaceAndLosesNoText)
{
    // Text loaded first, a listing after it, a note typed into it, a second listing.
    QFile notes(QString::fromStdString(file("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("my notes");
    notes.close();
    ops->showPreview();
    ui.answerFile(file("notes.txt"));
    ASSERT_TRUE(ops->LoadSavePreviewText(*ops->preview(), 0, false));
    open(32);
    choose([](PrintChoices& c) { c.pressPreview(); });
    ops->PrintVoiceListCommand();
    auto blockWith = [this](const QString& title) {
        for (QTextBlock b = previewText().begin(); b.isValid(); b = b.next())
            if (b.text().contains(title))
                return b;
        return QTextBlock();
    };
    QTextCursor typed(blockWith(QStringLiteral("TEST.SYX")).previous());
    typed.insertText(QStringLiteral("typed by hand"));
    open(32, "OTHER.SYX");
    ops->PrintVoiceListCommand();
    const QString before = previewText().toPlainText();
    ASSERT_EQ(pageStartCount(previewText()), 2);
    const QList<QTextOption::Tab> a4Tabs = blockWith(QStringLiteral("OTHER.SYX")).blockFormat().tabPositions();
    ASSERT_EQ(a4Tabs.size(), 3);
    const double a4Width = ops->metrics().physicalWidth;

    // Wider margins on Letter: the same text with more blank lines above each header, stops
    // from the new left margin, titles centred on the new paper. Nothing is asked.
    dialogs->onPageSetup = [](QPrinter& p, PageMargins& m) {
        p.setPageSize(QPageSize(QPageSize::Letter));
        m = {1000, 1500, 500, 500};
        return true;
    };
    ops->ShowPageSetup();
    const QString after = previewText().toPlainText();
    EXPECT_EQ(QString(after).remove(QLatin1Char('\n')), QString(before).remove(QLatin1Char('\n')));
    EXPECT_GT(after.count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) + 10);
    EXPECT_EQ(pageStartCount(previewText()), 2);
    const QList<QTextOption::Tab> letterTabs = blockWith(QStringLiteral("OTHER.SYX")).blockFormat().tabPositions();
    ASSERT_EQ(letterTabs.size(), 3);
    EXPECT_DOUBLE_EQ(letterTabs[0].position, marginTwips(1000) / 15.0);
    // On the wider paper the title moves half the difference, the page number all of it.
    const double wider = ops->metrics().physicalWidth - a4Width;
    ASSERT_GT(wider, 0);
    EXPECT_NEAR((letterTabs[1].position - a4Tabs[1].position) * 15, wider / 2, 1);
    EXPECT_NEAR((letterTabs[2].position - a4Tabs[2].position) * 15, wider, 1);
    const QTextBlock firstRow = blockWith(testing::voiceName(1));
    ASSERT_TRUE(firstRow.isValid());
    EXPECT_DOUBLE_EQ(firstRow.blockFormat().tabPositions().front().position, marginTwips(1000) / 15.0);
    EXPECT_TRUE(ui.messagesShown().empty());

    // Back to the first paper: the text is exactly as it was.
    dialogs->onPageSetup = [](QPrinter& p, PageMargins& m) {
        p.setPageSize(QPageSize(QPageSize::A4));
        m = {500, 500, 500, 500};
        return true;
    };
    ops->ShowPageSetup();
    EXPECT_EQ(previewText().toPlainText(), before);
    EXPECT_EQ(pageStartCount(previewText()), 2);
}

TEST_F(PrintCommandTest, PageSetupOnAPreviewOpenedEmptyKeepsWhatWasTyped)
{
    open(32);
    ops->showPreview();
    ops->preview()->RichTextBox1()->setPlainText(QStringLiteral("typed"));
    ops->ShowPageSetup();
    EXPECT_EQ(previewText().toPlainText(), QStringLiteral("typed"));
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

}  // namespace
}  // namespace printing
