// Brevane - reads Rich Text Format into paragraphs of styled runs.
#include "printing/RtfReader.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace printing {
namespace {

enum class Destination : int { Text, Skip, FontTable };

struct GroupState {
    RtfCharFormat format;
    int font = -1;  // index in the font table; -1: the default font
    int unicodeSkip = 1;
    Destination destination = Destination::Text;
};

constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxParameterDigits = 10;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations whose text is never part of the document.
bool isSkippedDestination(std::string_view w)
{
    static constexpr std::string_view kSkipped[] = {
        "pict",       "object",     "objdata",   "header",     "headerl",    "headerr",   "headerf",
        "footer",     "footerl",    "footerr",   "footerf",    "footnote",   "annotation", "atnid",
        "atnauthor",  "colortbl",   "stylesheet", "info",      "listtable",  "listoverridetable",
        "revtbl",     "rsidtbl",    "xmlnstbl",  "themedata",  "colorschememapping", "latentstyles",
        "datastore",  "generator",  "fldinst",   "bkmkstart",  "bkmkend",    "pntext",    "pntxta",
        "pntxtb",     "shp",        "shpinst",   "nonshppict", "template",   "docvar",    "private",
        "filetbl",    "background", "txe",       "xe",         "tc",         "comment",   "subject",
        "title",      "author",     "operator",  "keywords",   "doccomm",    "company",   "userprops",
        "sp",         "sn",         "sv",        "shptxt",     "mmathPr",    "blipuid",   "passwordhash",
        "wgrffmtfilter", "pgdsctbl", "protusertbl", "fchars", "lchars", "listtext", "ftnsep", "ftnsepc",
        "aftnsep",    "aftnsepc",   "buptim",    "creatim",    "printim",    "revtim"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), w) != std::end(kSkipped);
}

class Parser {
public:
    explicit Parser(QByteArrayView data) : m_data(data) {}

    void run(RtfDocument& doc)
    {
        m_doc = &doc;
        m_states.push_back(GroupState{});
        bool started = false;  // inside the outermost group
        while (m_pos < m_data.size()) {
            const char c = m_data[m_pos++];
            if (c == '{') {
                openGroup();
                started = true;
            } else if (c == '}') {
                if (m_overflow > 0) {
                    --m_overflow;
                    continue;
                }
                if (m_states.size() <= 2) {
                    if (started)
                        break;  // the document's own group has closed
                    continue;
                }
                m_states.pop_back();
                m_pendingSkip = 0;
            } else if (c == '\\') {
                controlWord();
            } else if (c == '\r' || c == '\n') {
                // Line ends in RTF are not text.
            } else if (m_overflow == 0) {
                plainText(c);
            }
        }
        endParagraph(false);
    }

private:
    GroupState& state() { return m_states.back(); }

    void openGroup()
    {
        if (m_overflow > 0 || m_states.size() > static_cast<std::size_t>(RtfReader::kMaxDepth)) {
            ++m_overflow;
            return;
        }
        m_states.push_back(m_states.back());
        m_pendingSkip = 0;
    }

    bool skipping() const { return m_overflow > 0 || m_states.back().destination == Destination::Skip; }

    void controlWord()
    {
        if (m_pos >= m_data.size())
            return;
        const char first = m_data[m_pos];
        if (!isLetter(first)) {
            ++m_pos;
            controlSymbol(first);
            return;
        }
        const qsizetype wordStart = m_pos;
        while (m_pos < m_data.size() && isLetter(m_data[m_pos]))
            ++m_pos;
        std::string_view word(m_data.data() + wordStart,
                              std::min<std::size_t>(static_cast<std::size_t>(m_pos - wordStart), kMaxWordLength));
        bool hasParam = false;
        bool negative = false;
        std::int64_t param = 0;
        if (m_pos < m_data.size() && m_data[m_pos] == '-' && m_pos + 1 < m_data.size() && isDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < m_data.size() && isDigit(m_data[m_pos])) {
            if (digits++ < kMaxParameterDigits)
                param = param * 10 + (m_data[m_pos] - '0');
            hasParam = true;
            ++m_pos;
        }
        if (m_pos < m_data.size() && m_data[m_pos] == ' ')
            ++m_pos;
        param = std::clamp<std::int64_t>(negative ? -param : param, INT32_MIN, INT32_MAX);
        apply(word, hasParam, static_cast<int>(param));
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}': character(static_cast<char16_t>(c), true); break;
        case '\'': {
            if (m_pos + 1 < m_data.size()) {
                const int hi = hexValue(m_data[m_pos]);
                const int lo = hexValue(m_data[m_pos + 1]);
                if (hi >= 0 && lo >= 0) {
                    m_pos += 2;
                    character(cp1252ToUnicode(static_cast<unsigned char>(hi * 16 + lo)), true);
                }
            }
            break;
        }
        case '~': character(0x00A0, true); break;
        case '_': character('-', true); break;
        case '*':
            // An ignorable destination: this reader keeps none of them.
            if (m_overflow == 0)
                state().destination = Destination::Skip;
            break;
        case '\r':
        case '\n':
            if (!skipping())
                endParagraph(false);
            break;
        case '\t': character('\t', false); break;
        default: break;  // \- optional hyphen, \| \: and the rest
        }
    }

    // A stretch of plain text starting with c (already consumed), taken in one piece.
    void plainText(char c)
    {
        if (m_pendingSkip > 0 || skipping() || state().destination != Destination::Text) {
            character(cp1252ToUnicode(static_cast<unsigned char>(c)), true);
            return;
        }
        QString text;
        auto take = [&text](char b) {
            const auto u = static_cast<unsigned char>(b);
            if (u >= 0x20 || u == '\t')
                text.append(QChar(cp1252ToUnicode(u)));
        };
        take(c);
        while (m_pos < m_data.size()) {
            const char b = m_data[m_pos];
            if (b == '{' || b == '}' || b == '\\')
                break;
            ++m_pos;
            if (b != '\r' && b != '\n')
                take(b);
        }
        if (!text.isEmpty())
            appendToRun(text);
    }

    // One character of text; fallback characters after \uN are dropped instead.
    void character(char16_t ch, bool countsAsFallback)
    {
        if (countsAsFallback && m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (skipping())
            return;
        GroupState& s = state();
        if (s.destination == Destination::FontTable) {
            if (ch == ';') {
                if (s.font >= 0)
                    m_fonts.insert(s.font, m_fontName.trimmed());
                m_fontName.clear();
            } else {
                m_fontName.append(QChar(ch));
            }
            return;
        }
        if (ch < 0x20 && ch != '\t')
            return;  // control characters have no text
        appendToRun(QString(QChar(ch)));
    }

    void appendToRun(const QString& text)
    {
        GroupState& s = state();
        RtfCharFormat f = s.format;
        f.font = fontName(s.font);
        std::vector<RtfRun>& runs = m_paragraph.runs;
        if (runs.empty() || !(runs.back().format == f))
            runs.push_back(RtfRun{f, QString()});
        runs.back().text += text;
    }

    QString fontName(int index) const
    {
        if (index < 0)
            index = m_defaultFont;
        return m_fonts.value(index);
    }

    void endParagraph(bool explicitMark)
    {
        if (!explicitMark && m_paragraph.runs.empty() && !m_paragraphOpen && !m_doc->paragraphs.empty())
            return;
        RtfCharFormat mark = state().format;
        mark.font = fontName(state().font);
        m_paragraph.markFormat = mark;
        m_doc->paragraphs.push_back(m_paragraph);
        m_paragraph.runs.clear();
        m_paragraph.pageBreakBefore = false;
        m_paragraphOpen = false;
    }

    void apply(std::string_view w, bool hasParam, int param)
    {
        if (m_overflow > 0)
            return;
        GroupState& s = state();
        if (w == "bin") {
            // Binary data follows: step over it, whatever destination it is in.
            const qsizetype n = hasParam ? std::max(0, param) : 0;
            m_pos = std::min(m_data.size(), m_pos + n);
            return;
        }
        if (s.destination == Destination::Skip)
            return;
        if (w == "u") {
            const int code = param < 0 ? param + 65536 : param;
            character(static_cast<char16_t>(std::clamp(code, 0, 0xFFFF)), false);
            m_pendingSkip = s.unicodeSkip;
            return;
        }
        if (isSkippedDestination(w)) {
            s.destination = Destination::Skip;
            return;
        }
        if (w == "fonttbl") {
            s.destination = Destination::FontTable;
            m_fontName.clear();
            return;
        }
        if (w == "uc") {
            s.unicodeSkip = std::clamp(hasParam ? param : 1, 0, 16);
            return;
        }
        if (w == "f") {
            s.font = hasParam ? param : 0;
            if (s.destination == Destination::FontTable)
                m_fontName.clear();
            return;
        }
        if (s.destination == Destination::FontTable)
            return;  // \fnil, \fcharset, \fprq ... of a font entry
        m_paragraphOpen = true;
        if (w == "par" || w == "row" || w == "sect") {
            endParagraph(true);
        } else if (w == "page") {
            if (!m_paragraph.runs.empty())
                endParagraph(true);
            m_paragraph.pageBreakBefore = true;
        } else if (w == "pagebb") {
            m_paragraph.pageBreakBefore = !hasParam || param != 0;
        } else if (w == "pard") {
            m_paragraph.tabs.clear();
            m_paragraph.alignment = RtfParagraph::Align::Left;
            m_pendingTab = RtfTab::Kind::Left;
        } else if (w == "tab" || w == "cell" || w == "nestcell") {
            character('\t', false);
        } else if (w == "line") {
            character(0x2028, false);
        } else if (w == "tx") {
            m_paragraph.tabs.push_back(RtfTab{std::clamp(param, 0, 1 << 20), m_pendingTab});
            m_pendingTab = RtfTab::Kind::Left;
        } else if (w == "tqr") {
            m_pendingTab = RtfTab::Kind::Right;
        } else if (w == "tqc") {
            m_pendingTab = RtfTab::Kind::Centre;
        } else if (w == "tqdec") {
            m_pendingTab = RtfTab::Kind::Decimal;
        } else if (w == "ql") {
            m_paragraph.alignment = RtfParagraph::Align::Left;
        } else if (w == "qr") {
            m_paragraph.alignment = RtfParagraph::Align::Right;
        } else if (w == "qc") {
            m_paragraph.alignment = RtfParagraph::Align::Centre;
        } else if (w == "qj") {
            m_paragraph.alignment = RtfParagraph::Align::Justify;
        } else if (w == "plain") {
            s.format = RtfCharFormat{};
            s.font = -1;
        } else if (w == "b") {
            s.format.bold = !hasParam || param != 0;
        } else if (w == "i") {
            s.format.italic = !hasParam || param != 0;
        } else if (w == "ul" || w == "uld" || w == "ulw" || w == "uldb" || w == "ulth" || w == "uldash") {
            s.format.underline = !hasParam || param != 0;
        } else if (w == "ulnone") {
            s.format.underline = false;
        } else if (w == "fs") {
            if (hasParam && param > 0)
                s.format.points = std::min(param, 3276) / 2.0;
        } else if (w == "deff") {
            m_defaultFont = hasParam ? param : 0;
        } else if (w == "emdash") {
            character(0x2014, false);
        } else if (w == "endash") {
            character(0x2013, false);
        } else if (w == "bullet") {
            character(0x2022, false);
        } else if (w == "lquote") {
            character(0x2018, false);
        } else if (w == "rquote") {
            character(0x2019, false);
        } else if (w == "ldblquote") {
            character(0x201C, false);
        } else if (w == "rdblquote") {
            character(0x201D, false);
        } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
            character(' ', false);
        }
        // Anything else (colours, spacing, table and section layout...) is not kept.
    }

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    RtfDocument* m_doc = nullptr;
    std::vector<GroupState> m_states;
    int m_overflow = 0;  // groups opened beyond the depth limit
    int m_pendingSkip = 0;
    QHash<int, QString> m_fonts;
    int m_defaultFont = 0;
    QString m_fontName;
    RtfParagraph m_paragraph;
    bool m_paragraphOpen = false;
    RtfTab::Kind m_pendingTab = RtfTab::Kind::Left;
};

}  // namespace

bool RtfReader::looksLikeRtf(QByteArrayView data)
{
    qsizetype i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.sliced(i).startsWith("{\\rtf");
}

bool RtfReader::read(QByteArrayView data, RtfDocument& doc, QString* error)
{
    doc.paragraphs.clear();
    if (!looksLikeRtf(data)) {
        if (error)
            *error = QStringLiteral("The file is not in Rich Text Format.");
        return false;
    }
    Parser(data).run(doc);
    if (doc.paragraphs.empty())
        doc.paragraphs.emplace_back();
    return true;
}

}  // namespace printing
