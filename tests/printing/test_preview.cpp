// The print preview window: closing it, editing and restyling its text, and its files.
#include "printing/frmPreview.h"
#include "printing/modPrintOps.h"

#include "PrintingTestSupport.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/QtMessageService.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <filesystem>

#include <sys/stat.h>

namespace printing {
namespace {

using platform::MsgAnswer;

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() : ops(std::make_unique<testing::ScriptedPrintDialogs>())
    {
        app.dataDirectory = dir.path().toStdString() + "/";
        ops.showPreview();
        preview = ops.preview();
    }
    ~PreviewTest() override
    {
        if (preview)
            preview->unload();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTextEdit& box() { return *preview->RichTextBox1(); }
    void setText(const QString& text) { box().setPlainText(text); }
    std::string file(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    void select(int from, int to)
    {
        QTextCursor c(box().document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        box().setTextCursor(c);
    }
    bool closed()
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return preview.isNull();
    }
    std::vector<std::string> titlesAsked() const
    {
        std::vector<std::string> out;
        for (const auto& m : ui.messagesShown())
            out.push_back(m.title);
        return out;
    }

    platform::testing::ScriptedServices ui;
    banklib::testing::FakeAppState app;
    QTemporaryDir dir;
    modPrintOps ops;
    QPointer<frmPreview> preview;
};

TEST_F(PreviewTest, ItOpensEmptyWithTheListingFontAndItsCaption)
{
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("  Brevane Print Preview"));
    EXPECT_FALSE(preview->hasText());
    EXPECT_EQ(preview->Combo1()->currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(preview->Combo2()->currentText(), QStringLiteral("10"));
    EXPECT_EQ(preview->Combo2()->itemText(0), QStringLiteral("6"));
    EXPECT_EQ(preview->Combo2()->itemText(preview->Combo2()->count() - 1), QStringLiteral("72"));
    EXPECT_EQ(preview->Check1()->text(), QStringLiteral("Apply changes  to whole document"));
    EXPECT_EQ(box().document()->documentLayout()->paintDevice(), &ops.printer());
}

TEST_F(PreviewTest, ClosingAnEmptyPreviewAsksNothing)
{
    preview->Command2_Click();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST_F(PreviewTest, EveryWayOfClosingAsksAboutTextAndCancelKeepsIt)
{
    setText(QStringLiteral("listing"));
    ui.answer(MsgAnswer::Cancel);
    preview->Command2_Click();
    ui.answer(MsgAnswer::Cancel);
    preview->mnufile_Click(3);
    ui.answer(MsgAnswer::Cancel);
    preview->close();
    ASSERT_FALSE(closed());
    EXPECT_EQ(box().toPlainText(), QStringLiteral("listing"));
    ASSERT_EQ(ui.messagesShown().size(), 3u);
    for (const auto& m : ui.messagesShown()) {
        EXPECT_EQ(m.text, "Save text to file ?");
        EXPECT_EQ(m.title, "Print Preview");
        EXPECT_EQ(m.style, platform::MsgStyle::YesNoCancel | platform::MsgStyle::Question);
    }
    ui.answer(MsgAnswer::No);
    preview->close();
    EXPECT_TRUE(closed());
}

TEST_F(PreviewTest, YesWithACancelledOrFailedSaveKeepsTheWindowAndYesWithASaveCloses)
{
    setText(QStringLiteral("listing"));
    ui.answer(MsgAnswer::Yes);  // the save dialog is then cancelled
    preview->close();
    EXPECT_FALSE(closed());

    ui.answer(MsgAnswer::Yes);
    ui.answerFile(file("missing/folder/out.txt"));
    preview->close();
    ASSERT_FALSE(closed());
    EXPECT_EQ(ui.messagesShown().back().title, "Print Preview");

    ui.answer(MsgAnswer::Yes);
    ui.answerFile(file("out.txt"));
    preview->close();
    EXPECT_TRUE(closed());
    QFile saved(QString::fromStdString(file("out.txt")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("listing"));
}

TEST_F(PreviewTest, CtrlXInTheTextCutsAndTabReplacesTheSelection)
{
    setText(QStringLiteral("abc def"));
    preview->activateWindow();
    box().setFocus();
    select(0, 3);
    QTest::keyClick(box().viewport(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&box(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(closed());
    EXPECT_EQ(box().toPlainText(), QStringLiteral(" def"));
    select(1, 4);
    QTest::keyClick(&box(), Qt::Key_Tab);
    EXPECT_EQ(box().toPlainText(), QStringLiteral(" \t"));
    EXPECT_TRUE(box().hasFocus() || !QApplication::focusWidget());
}

TEST_F(PreviewTest, BoldOnAPartlyBoldSelectionMakesItAllBoldThenPlain)
{
    setText(QStringLiteral("abcdef"));
    select(0, 3);
    preview->Toolbar1_ButtonClick(QStringLiteral("Bold"));
    select(0, 6);
    preview->Toolbar1_ButtonClick(QStringLiteral("Bold"));
    auto boldAt = [this](int pos) {
        QTextCursor c(box().document());
        c.setPosition(pos);
        return c.charFormat().fontWeight() >= QFont::Bold;
    };
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(boldAt(i)) << i;
    preview->Toolbar1_ButtonClick(QStringLiteral("Bold"));
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(boldAt(i)) << i;
    select(2, 4);
    preview->Toolbar1_ButtonClick(QStringLiteral("Italic"));
    preview->Toolbar1_ButtonClick(QStringLiteral("Underline"));
    QTextCursor c(box().document());
    c.setPosition(3);
    EXPECT_TRUE(c.charFormat().fontItalic());
    EXPECT_TRUE(c.charFormat().fontUnderline());
    c.setPosition(1);
    EXPECT_FALSE(c.charFormat().fontItalic());
}

TEST_F(PreviewTest, FontChangesApplyToTheSelectionOrWithCheck1ToTheWholeText)
{
    setText(QStringLiteral("abcdef"));
    auto sizeAt = [this](int pos) {
        QTextCursor c(box().document());
        c.setPosition(pos);
        return c.charFormat().fontPointSize();
    };
    select(0, 2);
    preview->Combo2()->setCurrentText(QStringLiteral("20"));
    preview->Combo2_Click();
    EXPECT_EQ(sizeAt(1), 20);
    EXPECT_NE(sizeAt(5), 20);
    preview->Check1()->setChecked(true);
    preview->Combo2()->setCurrentText(QStringLiteral("14"));
    preview->Combo2_Click();
    EXPECT_EQ(sizeAt(1), 14);
    EXPECT_EQ(sizeAt(5), 14);
    const int serif = preview->Combo1()->findText(QStringLiteral("DejaVu Serif"));
    ASSERT_GE(serif, 0);
    preview->Combo1()->setCurrentIndex(serif);
    preview->Combo1_Click();
    QTextCursor c(box().document());
    c.setPosition(5);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Serif")});
    preview->Toolbar1_ButtonClick(QStringLiteral("Bold"));
    EXPECT_TRUE(box().document()->defaultFont().bold());
    c.setPosition(5);
    EXPECT_GE(c.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(PreviewTest, DotRtfInAnyCaseIsRichTextAndAnythingElsePlain)
{
    const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Bold} words\\par}";
    for (const std::string name : {"LIST.RTF", "list.rtf", "list.Rtf"}) {
        QFile f(QString::fromStdString(file(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(rtf);
    }
    QFile txt(QString::fromStdString(file("list.txt")));
    ASSERT_TRUE(txt.open(QIODevice::WriteOnly));
    txt.write(rtf);
    txt.close();

    ui.answerFile(file("LIST.RTF"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("Bold words"));
    ui.answer(MsgAnswer::Yes);
    ui.answerFile(file("list.txt"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QString::fromLatin1(rtf));
    ASSERT_GE(ui.fileDialogsShown().size(), 2u);
    const platform::FileDialogRequest& asked = ui.fileDialogsShown().front();
    EXPECT_EQ(asked.title, "Load file to Print Preview ");
    EXPECT_EQ(asked.defaultExtension, "rtf");
    ASSERT_EQ(asked.filters.size(), 3u);
    EXPECT_EQ(asked.filters[0].first, "Rich Text Format (*.rtf)");
    EXPECT_EQ(asked.filters[1].second, "*.txt");
}

TEST_F(PreviewTest, LoadingOverTextAsksAndARefusalChangesNothing)
{
    setText(QStringLiteral("keep me"));
    QFile f(QString::fromStdString(file("new.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("new text");
    f.close();
    ui.answerFile(file("new.txt"));
    ui.answer(MsgAnswer::No);
    EXPECT_FALSE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("keep me"));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Overwrite Text");
    EXPECT_EQ(ui.messagesShown()[0].text, "Loading " + file("new.txt") +
                                              " will replace the current contents of Print Preview \r\n"
                                              "Are you sure you want to proceed ?");
    EXPECT_EQ(ui.messagesShown()[0].style, platform::MsgStyle::YesNoCancel | platform::MsgStyle::Exclamation);

    select(0, 4);
    ui.answerFile(file("new.txt"));
    ui.answer(MsgAnswer::Yes);
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("new text me"));
    EXPECT_EQ(ui.messagesShown().back().text, "Loading" + file("new.txt") +
                                                  " will replace text currently selected in Print Preview \r\n"
                                                  "Are you sure you want to proceed ?");
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Load file to Print Preview Selection");
    EXPECT_TRUE(ops.PreviewFromFile);
}

TEST_F(PreviewTest, BadFilesGetAMessageAndLeaveTheTextAlone)
{
    setText(QStringLiteral("keep me"));
    QFile f(QString::fromStdString(file("fake.rtf")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just words");
    f.close();
    ui.answerFile(file("fake.rtf"));
    ui.answer(MsgAnswer::Yes);
    EXPECT_FALSE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("keep me"));
    EXPECT_EQ(ui.messagesShown().back().title, "Print Preview");
    EXPECT_NE(ui.messagesShown().back().text.find("Rich Text"), std::string::npos);

    ui.answerFile(file("absent.txt"));
    ui.answer(MsgAnswer::Yes);
    EXPECT_FALSE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("keep me"));

    // A pipe given to the preview's Open or Save (Ctrl+O, Ctrl+S) is said to be no file,
    // as File > Open says it, in the program's own boxes over the main window; once the
    // box is answered, the preview is the active window again.
    QMainWindow main;
    main.show();
    shell::QtMessageService boxes([&main] { return &main; });
    platform::installMessageService(&boxes);
    const auto restore = qScopeGuard([&] { platform::installMessageService(&ui); });
    std::vector<std::string> shown;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto* asked = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown.push_back(asked->windowTitle().toStdString() + "|" + asked->text().toStdString());
            QAbstractButton* yes = asked->button(QMessageBox::Yes);  // to load over the text
            (yes != nullptr ? yes : asked->button(QMessageBox::Ok))->click();
        }
    });
    answerer.start(10);
    const std::string pipe = file("pipe.txt");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        preview->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(preview));
        shown.clear();
        ui.answerFile(pipe);
        QTest::keyClick(&box(), mode == 0 ? Qt::Key_O : Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(box().toPlainText(), QStringLiteral("keep me"));
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), (mode == 0 ? "Print Preview|Unable to load " : "Print Preview|Unable to save ") +
                                    pipe + "\n" + pipe + " is not a file");
        (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == preview; });
        EXPECT_EQ(QApplication::activeWindow(), preview.data());
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST_F(PreviewTest, PlainTextLoadsAsUtf8OrElseLatin1AndSavesAsUtf8)
{
    QFile utf(QString::fromStdString(file("utf.txt")));
    ASSERT_TRUE(utf.open(QIODevice::WriteOnly));
    utf.write("\xEF\xBB\xBF" "Caf\xC3\xA9\r\nline 2");
    utf.close();
    QFile latin(QString::fromStdString(file("latin.txt")));
    ASSERT_TRUE(latin.open(QIODevice::WriteOnly));
    latin.write("Caf\xE9\rline 2");
    latin.close();

    ui.answerFile(file("utf.txt"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("Caf\u00e9\nline 2"));
    ui.answerFile(file("latin.txt"));
    ui.answer(MsgAnswer::Yes);
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 0, false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("Caf\u00e9\nline 2"));

    ui.answerFile(file("saved.txt"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 1, false));
    QFile saved(QString::fromStdString(file("saved.txt")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("Caf\xC3\xA9\nline 2"));
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Save Print Preview  To File");
}

TEST_F(PreviewTest, ASelectionSavesAloneFollowedByALineBreak)
{
    setText(QStringLiteral("alpha two"));
    select(6, 9);
    ui.answerFile(file("part.txt"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 1, false));
    QFile part(QString::fromStdString(file("part.txt")));
    ASSERT_TRUE(part.open(QIODevice::ReadOnly));
    EXPECT_EQ(part.readAll(), QByteArray("two\n"));
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Save Print Preview Selection To File");

    ui.answerFile(file("part.rtf"));
    ASSERT_TRUE(ops.LoadSavePreviewText(*preview, 1, false));
    QFile rich(QString::fromStdString(file("part.rtf")));
    ASSERT_TRUE(rich.open(QIODevice::ReadOnly));
    const QByteArray rtf = rich.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("two"));
    EXPECT_FALSE(rtf.contains("alpha"));
}

TEST_F(PreviewTest, PrintWithPrintToFileAsksForAFileTitledPrintToFile)
{
    setText(QStringLiteral("listing"));
    ops.PrintToFile = true;
    ui.answerFile(file("printed.rtf"));
    preview->Command1_Click();
    EXPECT_EQ(ui.fileDialogsShown().back().title, "Print to File");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file("printed.rtf"))));
    EXPECT_TRUE(ops.PreviewFromFile);
}

}  // namespace
}  // namespace printing
