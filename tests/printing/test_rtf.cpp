// Rich text files: what the preview writes reads back the same, and files from other
// programs load their text, or are refused, without harm.
#include "printing/RtfReader.h"
#include "printing/RtfTextDocument.h"
#include "printing/RtfWriter.h"

#include "PrintingTestSupport.h"

#include <QTextCursor>

namespace printing {
namespace {

RtfDocument readOk(const QByteArray& data)
{
    RtfDocument doc;
    QString error;
    EXPECT_TRUE(RtfReader::read(data, doc, &error)) << error.toStdString();
    return doc;
}

QString textOf(const RtfDocument& doc)
{
    QStringList paragraphs;
    for (const RtfParagraph& p : doc.paragraphs) {
        QString t;
        for (const RtfRun& r : p.runs)
            t += r.text;
        paragraphs << t;
    }
    return paragraphs.join(QLatin1Char('\n'));
}

TEST(RtfRoundTrip, FontsSizesStylesTabsAndPageBreaksComeBack)
{
    QTextDocument source;
    QTextCursor c(&source);
    QTextBlockFormat first;
    first.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    first.setTabPositions({QTextOption::Tab(48, QTextOption::LeftTab), QTextOption::Tab(200, QTextOption::RightTab)});
    c.setBlockFormat(first);
    QTextCharFormat title;
    title.setFontFamilies({QStringLiteral("Arial")});
    title.setFontPointSize(10);
    title.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("\tPATCH LISTING"), title);
    QTextCharFormat body;
    body.setFontFamilies({QStringLiteral("DejaVu Serif")});
    body.setFontPointSize(8.5);
    body.setFontItalic(true);
    body.setFontUnderline(true);
    c.insertText(QStringLiteral("\tside {x} \\ y"), body);
    QTextBlockFormat second;
    second.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    second.setAlignment(Qt::AlignRight);
    c.insertBlock(second, body);
    c.insertText(QStringLiteral("Caf\u00e9 \u20ac \u00c4\u00df \u03a9 \u6f22 \U0001F3B9"), body);
    c.insertBlock(QTextBlockFormat(), title);  // an empty paragraph keeps its size

    QTextDocument back;
    setTextDocumentFromRtf(back, readOk(RtfWriter::write(rtfFromTextDocument(source))));
    ASSERT_EQ(back.blockCount(), 3);
    EXPECT_EQ(back.toPlainText(), source.toPlainText());

    const QTextBlock b0 = back.begin();
    EXPECT_TRUE(b0.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    const QList<QTextOption::Tab> tabs = b0.blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 48);
    EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
    EXPECT_DOUBLE_EQ(tabs[1].position, 200);
    EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
    QTextBlock::iterator it = b0.begin();
    const QTextCharFormat f0 = it.fragment().charFormat();
    EXPECT_EQ(f0.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(f0.fontPointSize(), 10);
    EXPECT_EQ(f0.fontWeight(), QFont::Bold);
    EXPECT_FALSE(f0.fontItalic());
    ++it;
    const QTextCharFormat f1 = it.fragment().charFormat();
    EXPECT_EQ(f1.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Serif")});
    EXPECT_EQ(f1.fontPointSize(), 8.5);
    EXPECT_TRUE(f1.fontItalic());
    EXPECT_TRUE(f1.fontUnderline());
    EXPECT_EQ(f1.fontWeight(), QFont::Normal);

    const QTextBlock b1 = b0.next();
    EXPECT_TRUE(b1.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_TRUE(b1.blockFormat().alignment() & Qt::AlignRight);
    const QTextBlock b2 = b1.next();
    EXPECT_FALSE(b2.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(b2.charFormat().fontPointSize(), 10);
}

TEST(RtfWriter, WritesLatinOneAsCodePageBytesAndTheRestAsUnicode)
{
    RtfDocument doc;
    doc.paragraphs.resize(2);
    doc.paragraphs[0].runs.push_back({RtfCharFormat{QStringLiteral("Arial"), 8}, QStringLiteral("\u00e9\u20ac\tA")});
    doc.paragraphs[1].runs.push_back({RtfCharFormat{QStringLiteral("Arial"), 8}, QStringLiteral("\u03a9")});
    doc.paragraphs[1].pageBreakBefore = true;
    const QByteArray rtf = RtfWriter::write(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"));
    EXPECT_TRUE(rtf.contains("\\fs16"));
    EXPECT_TRUE(rtf.contains("\\'e9\\'80\\tab A"));
    EXPECT_TRUE(rtf.contains("\\page"));
    EXPECT_TRUE(rtf.contains("\\u937?"));
    for (const char ch : rtf)
        EXPECT_LT(static_cast<unsigned char>(ch), 0x80);
}

TEST(RtfReader, FilesOfOtherProgramsLoadTheirText)
{
    const QByteArray word =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\froman\\fprq2\\fcharset0 Times New Roman{\\*\\panose 02020603050405020304};}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
        "{\\*\\generator Riched20 10.0.19041}{\\info{\\title Banks}{\\author Someone}}"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 First {\\b bold} line\\par\r\n"
        "{\\pict\\wmetafile8\\picw100\\pich100 0123456789abcdef0123456789abcdef}"
        "\\pard\\f1 Picture \\cf1 gone\\par\r\n"
        "{\\*\\unknowndestination with text}"
        "\\trowd\\cellx1000\\cellx2000\\intbl A\\cell B\\cell\\row\r\n"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}\\par\r\n"
        "\\uc1\\u8364?\\u-4064? \\'e9\\~x\\emdash\\line y\\par\r\n"
        "{\\header page header}{\\footer page footer}{\\footnote a note}\\bin4 {}}{end\\par\r\n"
        "\\unknownword42 after}";
    const RtfDocument doc = readOk(word);
    const QString text = textOf(doc);
    EXPECT_TRUE(text.startsWith(QStringLiteral("First bold line\nPicture gone\nA\tB\t\nshown\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\u20ac\uf020 \u00e9\u00a0x\u2014\u2028y")));
    EXPECT_TRUE(text.contains(QStringLiteral("end\nafter")));
    for (const QString& gone : {QStringLiteral("Normal"), QStringLiteral("Riched"), QStringLiteral("Someone"),
                                QStringLiteral("0123"), QStringLiteral("HYPERLINK"), QStringLiteral("header"),
                                QStringLiteral("footer"), QStringLiteral("note"), QStringLiteral("unknown"),
                                QStringLiteral("panose")})
        EXPECT_FALSE(text.contains(gone)) << gone.toStdString();
    ASSERT_FALSE(doc.paragraphs.empty());
    EXPECT_EQ(doc.paragraphs[0].runs[1].format.bold, true);
    EXPECT_EQ(doc.paragraphs[0].runs[1].format.font, QStringLiteral("Arial"));
    EXPECT_EQ(doc.paragraphs[0].runs[1].format.points, 10);
    EXPECT_EQ(doc.paragraphs[1].runs[0].format.font, QStringLiteral("Times New Roman"));
}

TEST(RtfReader, TruncatedUnbalancedAndDeeplyNestedFilesKeepWhatWasRead)
{
    EXPECT_EQ(textOf(readOk("{\\rtf1 Hello\\par wor")), QStringLiteral("Hello\nwor"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 {{{ open groups\\b")), QStringLiteral(" open groups"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 one}} two}")), QStringLiteral("one"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 tail\\")), QStringLiteral("tail"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 \\'4")), QStringLiteral("4"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 x\\bin999999999")), QStringLiteral("x"));
    EXPECT_EQ(textOf(readOk("{\\rtf1 \\u")), QString());
    EXPECT_EQ(textOf(readOk("{\\rtf1 \\fs99999999999999999999 big\\tx-5 neg}")), QStringLiteral("bigneg"));

    QByteArray deep = "{\\rtf1 start";
    deep += QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + " end}";
    EXPECT_EQ(textOf(readOk(deep)), QStringLiteral("start end"));
    QByteArray shallow = "{\\rtf1 start";
    shallow += QByteArray(50, '{') + "kept" + QByteArray(50, '}') + "}";
    EXPECT_EQ(textOf(readOk(shallow)), QStringLiteral("startkept"));
}

TEST(RtfReader, AnythingThatIsNotRichTextIsRefused)
{
    RtfDocument doc;
    QString error;
    EXPECT_FALSE(RtfReader::read("Plain words", doc, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RtfReader::read("", doc, &error));
    EXPECT_FALSE(RtfReader::read("{\\rt", doc, &error));
    EXPECT_TRUE(RtfReader::read("  \r\n{\\rtf1}", doc, &error));
}

TEST(RtfTextDocument, ASelectionBecomesRichTextAndGoesBackInPlace)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one two three"));
    const RtfDocument middle = rtfFromTextDocument(doc, 4, 7);
    EXPECT_EQ(textOf(middle), QStringLiteral("two"));

    QTextCursor sel(&doc);
    sel.setPosition(0);
    sel.setPosition(3, QTextCursor::KeepAnchor);
    insertRtfDocument(sel, readOk("{\\rtf1 {\\b first}\\par second}"));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("first\nsecond two three"));
}

}  // namespace
}  // namespace printing
