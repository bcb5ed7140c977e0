// Printed pages: one per listing page on A4 and Letter, scaled rather than split; other
// text runs over pages inside the margins; a real bank prints as it lists.
#include "printing/PagePrinter.h"
#include "printing/RtfReader.h"
#include "printing/RtfTextDocument.h"
#include "printing/frmPreview.h"
#include "printing/modPrintOps.h"

#include "PrintingTestSupport.h"
#include "platform/testing/ScriptedServices.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <filesystem>

namespace printing {
namespace {

using testing::makeList;
using testing::pdfMediaBox;
using testing::pdfPageCount;

class PdfTest : public ::testing::Test {
protected:
    PdfTest()
    {
        auto scripted = std::make_unique<testing::ScriptedPrintDialogs>();
        dialogs = scripted.get();
        ops = std::make_unique<modPrintOps>(std::move(scripted));
        app.dataDirectory = dir.path().toStdString() + "/";
        dialogs->onOptions = [](PrintChoices& c) {
            c.setRange(BankRange::All);
            return true;
        };
    }
    ~PdfTest() override { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void usePaper(QPageSize::PageSizeId id)
    {
        dialogs->onPageSetup = [id](QPrinter& p, PageMargins&) {
            p.setPageSize(QPageSize(id));
            return true;
        };
        ops->ShowPageSetup();
    }
    // Prints a list as the print command would, to a PDF file named in the print dialog;
    // its page count.
    int printToPdf(banklib::VoiceListView& list, const std::string& name)
    {
        app.active.list = &list;
        app.registry.registerList(list);
        const QString path = dir.filePath(QString::fromStdString(name));
        dialogs->onPrinter = [path](QPrinter& p) {
            p.setOutputFileName(path);
            return true;
        };
        ops->PrintVoiceListCommand();
        return pdfPageCount(path);
    }

    platform::testing::ScriptedServices ui;
    banklib::testing::FakeAppState app;
    QTemporaryDir dir;
    testing::ScriptedPrintDialogs* dialogs = nullptr;
    std::unique_ptr<modPrintOps> ops;
};

TEST_F(PdfTest, SeventeenBanksPrintOnTwoPagesOfA4AndOfLetter)
{
    auto list = makeList(17 * 32);
    usePaper(QPageSize::A4);
    EXPECT_EQ(printToPdf(*list, "a4.pdf"), 2);
    EXPECT_NEAR(pdfMediaBox(dir.filePath(QStringLiteral("a4.pdf"))).height(), 842, 1);
    usePaper(QPageSize::Letter);
    EXPECT_EQ(printToPdf(*list, "letter.pdf"), 2);
    EXPECT_NEAR(pdfMediaBox(dir.filePath(QStringLiteral("letter.pdf"))).height(), 792, 1);
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(PdfTest, AListingPageTallerThanThePaperIsScaledToFitNotSplit)
{
    auto list = makeList(16 * 32);
    usePaper(QPageSize::Letter);
    ops->PreviewMode = true;
    ops->BuildPrintPreview(*list, {{1, 16}});
    QTextDocument& doc = *ops->preview()->RichTextBox1()->document();
    const PaperGeometry paper = paperGeometry(ops->metrics(), ops->margins());
    const std::vector<PageSlice> pages = planPages(doc, paper);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_LT(pages[0].scale, 1.0);
    EXPECT_GT(pages[0].scale, 0.75);
    // Scaled, the page ends above the bottom margin.
    EXPECT_LE(pages[0].height * pages[0].scale, paper.height - 48 + 0.5);
    EXPECT_DOUBLE_EQ(pages[0].originX, 0);
    ops->preview()->unload();
}

TEST_F(PdfTest, TextWithoutPageBreaksRunsOverPagesInsideTheMargins)
{
    ops->showPreview();
    QTextEdit& box = *ops->preview()->RichTextBox1();
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    box.setPlainText(text);
    const PaperGeometry paper = paperGeometry(ops->metrics(), ops->margins());
    const std::vector<PageSlice> pages = planPages(*box.document(), paper);
    ASSERT_GE(pages.size(), 4u);
    for (const PageSlice& p : pages) {
        EXPECT_DOUBLE_EQ(p.originX, 48);
        EXPECT_DOUBLE_EQ(p.originY, 48);
        EXPECT_LE(p.height * p.scale, paper.height - 96 + 0.5);
    }
    // Pages follow each other without a gap or an overlap.
    for (std::size_t i = 1; i < pages.size(); ++i)
        EXPECT_DOUBLE_EQ(pages[i].top, pages[i - 1].top + pages[i - 1].height);

    ui.answerFile(dir.filePath(QStringLiteral("text.pdf")).toStdString());
    ASSERT_TRUE(ops->PrintPreviewText(*ops->preview()));
    EXPECT_EQ(pdfPageCount(dir.filePath(QStringLiteral("text.pdf"))), static_cast<int>(pages.size()));
    ops->preview()->unload();
}

TEST_F(PdfTest, AnEmptyPreviewPrintsOneBlankPage)
{
    ops->showPreview();
    ui.answerFile(dir.filePath(QStringLiteral("empty.pdf")).toStdString());
    ASSERT_TRUE(ops->PrintPreviewText(*ops->preview()));
    EXPECT_EQ(pdfPageCount(dir.filePath(QStringLiteral("empty.pdf"))), 1);
    ops->preview()->unload();
}

TEST_F(PdfTest, AFailedJobSaysSoAndLeavesThePreviewAndEarlierFilesAsTheyWere)
{
    ops->showPreview();
    ops->preview()->RichTextBox1()->setPlainText(QStringLiteral("text"));
    const QString path = dir.filePath(QStringLiteral("keep.pdf"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old file");
    }
    // A file where the folder should be: the job cannot start.
    ui.answerFile((path + QStringLiteral("/inner.pdf")).toStdString());
    EXPECT_FALSE(ops->PrintPreviewText(*ops->preview()));
    ASSERT_FALSE(ui.messagesShown().empty());
    EXPECT_EQ(ui.messagesShown().back().title, "Print");
    EXPECT_NE(ui.messagesShown().back().text.find("inner.pdf"), std::string::npos);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old file"));
    ASSERT_TRUE(ops->preview());
    EXPECT_EQ(ops->preview()->RichTextBox1()->toPlainText(), QStringLiteral("text"));
    ops->preview()->unload();
}

TEST_F(PdfTest, TheFullListingPrintsNamesAsTheyAreInThePreviewTheRichTextFileAndThePdf)
{
    // The file name as the file system holds it (UTF-8), the voice names as the synth's bytes.
    auto list = makeList(2, "naïve café.syx", {"BRASS 1", "A.PNO 17.1"});
    list->selectionTracker().tr = {false, true, true};
    list->selectionTracker().TotalSelections = 2;
    app.active.list = list.get();
    app.registry.registerList(*list);
    auto namesAndData = [this](bool preview, bool toFile) {
        dialogs->onOptions = [preview, toFile](PrintChoices& c) {
            c.chooseKind(1);
            if (preview)
                c.pressPreview();
            c.setPrintToFile(toFile);
            return true;
        };
    };
    const QStringList lines = {QStringLiteral("PATCH LISTING : naïve café.syx\tPage 1 of 1"),
                               QStringLiteral("\tNAME:  BRASS 1\tBANK:"), QStringLiteral("\tNAME:  A.PNO 17.1\tBANK:")};

    namesAndData(true, false);
    ops->PrintVoiceListCommand();
    ASSERT_TRUE(ops->preview());
    const QString preview = ops->preview()->RichTextBox1()->toPlainText();
    ops->preview()->unload();

    namesAndData(false, true);
    const QString rtfPath = dir.filePath(QStringLiteral("names.rtf"));
    ui.answerFile(rtfPath.toStdString());
    ops->PrintVoiceListCommand();
    QFile rtfFile(rtfPath);
    ASSERT_TRUE(rtfFile.open(QIODevice::ReadOnly));
    RtfDocument rtf;
    ASSERT_TRUE(RtfReader::read(rtfFile.readAll(), rtf, nullptr));
    QTextDocument fromRtf;
    setTextDocumentFromRtf(fromRtf, rtf);

    for (const QString& line : lines) {
        EXPECT_TRUE(preview.contains(line)) << line.toStdString();
        EXPECT_TRUE(fromRtf.toPlainText().contains(line)) << line.toStdString();
    }

    // On paper each piece of text is drawn on its own: the name follows "NAME:  ".
    namesAndData(false, false);
    ASSERT_EQ(printToPdf(*list, "names.pdf"), 1);
    const QStringList runs = testing::pdfTextRuns(dir.filePath(QStringLiteral("names.pdf")));
    QStringList printed;
    for (qsizetype i = 0; i + 1 < runs.size(); ++i)
        if (runs[i] == QStringLiteral("NAME:  "))
            printed << runs[i + 1];
    EXPECT_EQ(printed.join(QLatin1Char('|')).toStdString(), "BRASS 1|A.PNO 17.1");
    EXPECT_TRUE(runs.contains(QStringLiteral("PATCH LISTING : naïve café.syx")));
    EXPECT_EQ(ui.unexpectedMessages(), 0);
}

TEST_F(PdfTest, ARealBankPrintsOnePagePerListingPageAndReadsAsItsNames)
{
    const std::filesystem::path folder(BREVANE_REAL_BANKS);
    const std::filesystem::path file = folder / "PA-Decoder__PA-Decoder.syx";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "no real banks at " << folder;
    banklib::clsVoiceNames names;
    banklib::VoiceListView* window = nullptr;
    ASSERT_EQ(names.CreateVoiceListandFileImage(file.string(), window, false, false),
              banklib::clsVoiceNames::ListOpen::Opened);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->VoiceCount(), 1024);
    app.active.list = window;

    // The listing, as the preview holds it: 32 banks on two pages.
    dialogs->onOptions = [](PrintChoices& c) {
        c.setRange(BankRange::All);
        c.pressPreview();
        return true;
    };
    ops->PrintVoiceListCommand();
    ASSERT_TRUE(ops->preview());
    const std::vector<QString> pages = testing::pageTexts(*ops->preview()->RichTextBox1()->document());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("PATCH LISTING : PA-Decoder__PA-Decoder.syx\tPage 1 of 2")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("\t*TOM-TOM 1\t")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("\t*SNARE DRU\t")));
    EXPECT_EQ(testing::banksOn(pages[1]).front(), 17);
    window->rsmfimage().setAbsolutePosition(16 * 32 + 1);
    const QString firstOfBank17 = listingName(window->rsmfimage().text(banklib::VoiceListField::Names));
    EXPECT_TRUE(pages[1].contains(QLatin1Char('\t') + firstOfBank17 + QLatin1Char('\t')));
    ops->preview()->unload();

    // Printed: one sheet per listing page.
    dialogs->onOptions = [](PrintChoices& c) {
        c.setRange(BankRange::All);
        return true;
    };
    const std::string pdf = dir.filePath(QStringLiteral("real.pdf")).toStdString();
    ui.answerFile(pdf);
    ops->PrintVoiceListCommand();
    EXPECT_EQ(pdfPageCount(QString::fromStdString(pdf)), 2);
}

}  // namespace
}  // namespace printing
