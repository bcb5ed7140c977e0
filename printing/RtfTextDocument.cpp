// Brevane - rich text between the preview's QTextDocument and the RTF model.
#include "printing/RtfTextDocument.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace printing {
namespace {

constexpr double kTwipsPerTabUnit = 15.0;

RtfCharFormat fromCharFormat(const QTextCharFormat& f, const QFont& fallback)
{
    RtfCharFormat r;
    const QStringList families = f.fontFamilies().toStringList();
    r.font = !families.isEmpty() ? families.front() : fallback.family();
    r.points = f.fontPointSize() > 0 ? f.fontPointSize() : fallback.pointSizeF();
    if (r.points <= 0)
        r.points = 12;
    r.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold
                                                     : fallback.weight() >= QFont::DemiBold;
    r.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : fallback.italic();
    r.underline = f.hasProperty(QTextFormat::FontUnderline) || f.hasProperty(QTextFormat::TextUnderlineStyle)
                      ? f.fontUnderline()
                      : fallback.underline();
    return r;
}

QTextCharFormat toCharFormat(const RtfCharFormat& r)
{
    QTextCharFormat f;
    if (!r.font.isEmpty())
        f.setFontFamilies({r.font});
    f.setFontPointSize(r.points > 0 ? r.points : 12);
    f.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(r.italic);
    f.setFontUnderline(r.underline);
    return f;
}

QTextBlockFormat toBlockFormat(const RtfParagraph& p)
{
    QTextBlockFormat f;
    switch (p.alignment) {
    case RtfParagraph::Align::Left: f.setAlignment(Qt::AlignLeft); break;
    case RtfParagraph::Align::Right: f.setAlignment(Qt::AlignRight); break;
    case RtfParagraph::Align::Centre: f.setAlignment(Qt::AlignHCenter); break;
    case RtfParagraph::Align::Justify: f.setAlignment(Qt::AlignJustify); break;
    }
    if (!p.tabs.empty()) {
        std::vector<RtfTab> tabs = p.tabs;
        std::stable_sort(tabs.begin(), tabs.end(), [](const RtfTab& a, const RtfTab& b) { return a.twips < b.twips; });
        QList<QTextOption::Tab> list;
        for (const RtfTab& t : tabs) {
            QTextOption::TabType type = QTextOption::LeftTab;
            QChar delimiter;
            switch (t.kind) {
            case RtfTab::Kind::Left: break;
            case RtfTab::Kind::Right: type = QTextOption::RightTab; break;
            case RtfTab::Kind::Centre: type = QTextOption::CenterTab; break;
            case RtfTab::Kind::Decimal:
                type = QTextOption::DelimiterTab;
                delimiter = QLatin1Char('.');
                break;
            }
            list.append(QTextOption::Tab(t.twips / kTwipsPerTabUnit, type, delimiter));
        }
        f.setTabPositions(list);
    }
    if (p.pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return f;
}

RtfParagraph fromBlockFormat(const QTextBlockFormat& f)
{
    RtfParagraph p;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignRight)
        p.alignment = RtfParagraph::Align::Right;
    else if (a & Qt::AlignHCenter)
        p.alignment = RtfParagraph::Align::Centre;
    else if (a & Qt::AlignJustify)
        p.alignment = RtfParagraph::Align::Justify;
    for (const QTextOption::Tab& t : f.tabPositions()) {
        RtfTab tab;
        tab.twips = static_cast<int>(std::lround(t.position * kTwipsPerTabUnit));
        switch (t.type) {
        case QTextOption::LeftTab: tab.kind = RtfTab::Kind::Left; break;
        case QTextOption::RightTab: tab.kind = RtfTab::Kind::Right; break;
        case QTextOption::CenterTab: tab.kind = RtfTab::Kind::Centre; break;
        case QTextOption::DelimiterTab: tab.kind = RtfTab::Kind::Decimal; break;
        }
        p.tabs.push_back(tab);
    }
    p.pageBreakBefore = (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
    return p;
}

void insertRuns(QTextCursor& cursor, const RtfParagraph& p)
{
    for (const RtfRun& run : p.runs)
        if (!run.text.isEmpty())
            cursor.insertText(run.text, toCharFormat(run.format));
}

// The paragraphs at the cursor: the first one's runs where the cursor stands, each further
// one in a block of its own.
void insertParagraphs(QTextCursor& cursor, const RtfDocument& rtf)
{
    for (std::size_t i = 0; i < rtf.paragraphs.size(); ++i) {
        const RtfParagraph& p = rtf.paragraphs[i];
        if (i > 0)
            cursor.insertBlock(toBlockFormat(p), toCharFormat(p.markFormat));
        insertRuns(cursor, p);
    }
}

}  // namespace

RtfDocument rtfFromTextDocument(const QTextDocument& doc, int from, int to)
{
    const int end = doc.characterCount() - 1;
    from = std::clamp(from, 0, end);
    to = to < 0 ? end : std::clamp(to, from, end);
    const QFont fallback = doc.defaultFont();
    RtfDocument out;
    bool breakNext = false;
    for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        RtfParagraph p = fromBlockFormat(bf);
        p.pageBreakBefore = p.pageBreakBefore || breakNext;
        breakNext = (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) != 0;
        p.markFormat = fromCharFormat(block.charFormat(), fallback);
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            const int a = std::max(frag.position(), from);
            const int b = std::min(frag.position() + frag.length(), to);
            if (a >= b)
                continue;
            QString text = frag.text().mid(a - frag.position(), b - a);
            text.replace(QChar::LineSeparator, QChar(0x2028));
            p.runs.push_back(RtfRun{fromCharFormat(frag.charFormat(), fallback), text});
        }
        out.paragraphs.push_back(std::move(p));
        if (block.position() + block.length() > to)
            break;
    }
    if (out.paragraphs.empty())
        out.paragraphs.emplace_back();
    return out;
}

void insertRtfDocument(QTextCursor& cursor, const RtfDocument& rtf)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertParagraphs(cursor, rtf);
    cursor.endEditBlock();
}

void setTextDocumentFromRtf(QTextDocument& doc, const RtfDocument& rtf)
{
    // A whole new text: no undo history (and no time spent keeping one).
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    if (!rtf.paragraphs.empty()) {
        cursor.setBlockFormat(toBlockFormat(rtf.paragraphs.front()));
        cursor.setBlockCharFormat(toCharFormat(rtf.paragraphs.front().markFormat));
    }
    insertParagraphs(cursor, rtf);
    cursor.endEditBlock();
    doc.setUndoRedoEnabled(undo);
}

}  // namespace printing
