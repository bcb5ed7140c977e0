// Brevane - writes the print preview's text as Rich Text Format.
#include "printing/RtfWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

namespace printing {
namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kNoBreakSpace = 0x00A0;

void appendHex(QByteArray& out, unsigned char byte)
{
    static const char kHex[] = "0123456789abcdef";
    out += "\\'";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// Text with RTF's special characters escaped.
void appendText(QByteArray& out, const QString& text)
{
    for (const QChar qc : text) {
        const char16_t ch = qc.unicode();
        if (ch == '\\' || ch == '{' || ch == '}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == '\t') {
            out += "\\tab ";
        } else if (ch == kLineSeparator || ch == 0x000B) {
            out += "\\line ";
        } else if (ch == kNoBreakSpace) {
            out += "\\~";
        } else if (ch < 0x20 || ch == 0xFFFC) {
            // Control characters and embedded objects have no text.
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else if (const unsigned char b = unicodeToCp1252(ch); b != 0) {
            appendHex(out, b);
        } else {
            // A UTF-16 unit, as a signed 16-bit number, then one fallback character.
            out += "\\u";
            out += QByteArray::number(static_cast<int>(static_cast<std::int16_t>(ch)));
            out += '?';
        }
    }
}

int halfPoints(double points) { return std::max(1, static_cast<int>(std::lround(points * 2))); }

// The control words that take the run format from `from` to `to`.
void appendFormatChange(QByteArray& out, const RtfCharFormat* from, const RtfCharFormat& to, int fontIndex,
                        int fromFontIndex)
{
    const std::size_t before = out.size();
    if (!from || fontIndex != fromFontIndex)
        out += "\\f" + QByteArray::number(fontIndex);
    if (!from || halfPoints(from->points) != halfPoints(to.points))
        out += "\\fs" + QByteArray::number(halfPoints(to.points));
    if (!from || from->bold != to.bold)
        out += to.bold ? "\\b" : "\\b0";
    if (!from || from->italic != to.italic)
        out += to.italic ? "\\i" : "\\i0";
    if (!from || from->underline != to.underline)
        out += to.underline ? "\\ul" : "\\ulnone";
    if (static_cast<std::size_t>(out.size()) != before)
        out += ' ';
}

}  // namespace

char16_t cp1252ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

unsigned char unicodeToCp1252(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == ch && !(ch >= 0x80 && ch < 0xA0))
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

QByteArray RtfWriter::write(const RtfDocument& doc)
{
    // The font table: every face in order of first use; an empty face is the first one.
    std::vector<QString> fonts;
    std::map<QString, int> fontIndex;
    auto indexOf = [&](const QString& face) {
        const QString key = face.isEmpty() ? (fonts.empty() ? QStringLiteral("Arial") : fonts.front()) : face;
        auto it = fontIndex.find(key);
        if (it != fontIndex.end())
            return it->second;
        const int i = static_cast<int>(fonts.size());
        fonts.push_back(key);
        fontIndex.emplace(key, i);
        return i;
    };
    for (const RtfParagraph& p : doc.paragraphs) {
        for (const RtfRun& r : p.runs)
            indexOf(r.format.font);
        indexOf(p.markFormat.font);
    }
    if (fonts.empty())
        indexOf(QStringLiteral("Arial"));

    QByteArray out;
    out.reserve(1024 + static_cast<qsizetype>(doc.paragraphs.size()) * 96);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset0 ";
        QString face = fonts[i];
        face.remove(QLatin1Char(';'));
        appendText(out, face);
        out += ";}";
    }
    out += "}\n\\viewkind4\\uc1\n";

    const RtfCharFormat* current = nullptr;
    RtfCharFormat last;
    int lastFont = -1;
    auto switchTo = [&](const RtfCharFormat& f) {
        const int fi = indexOf(f.font);
        appendFormatChange(out, current, f, fi, lastFont);
        last = f;
        current = &last;
        lastFont = fi;
    };

    for (std::size_t pi = 0; pi < doc.paragraphs.size(); ++pi) {
        const RtfParagraph& p = doc.paragraphs[pi];
        if (p.pageBreakBefore && pi > 0)
            out += "\\page\n";
        out += "\\pard";
        if (p.pageBreakBefore && pi == 0)
            out += "\\pagebb";
        switch (p.alignment) {
        case RtfParagraph::Align::Left: break;
        case RtfParagraph::Align::Right: out += "\\qr"; break;
        case RtfParagraph::Align::Centre: out += "\\qc"; break;
        case RtfParagraph::Align::Justify: out += "\\qj"; break;
        }
        for (const RtfTab& t : p.tabs) {
            switch (t.kind) {
            case RtfTab::Kind::Left: break;
            case RtfTab::Kind::Right: out += "\\tqr"; break;
            case RtfTab::Kind::Centre: out += "\\tqc"; break;
            case RtfTab::Kind::Decimal: out += "\\tqdec"; break;
            }
            out += "\\tx" + QByteArray::number(std::max(0, t.twips));
        }
        out += ' ';
        for (const RtfRun& r : p.runs) {
            if (r.text.isEmpty())
                continue;
            switchTo(r.format);
            appendText(out, r.text);
        }
        if (pi + 1 < doc.paragraphs.size()) {
            // The mark's own format gives an empty paragraph its height.
            switchTo(p.markFormat);
            out += "\\par\n";
        } else if (p.runs.empty()) {
            switchTo(p.markFormat);
        }
    }
    out += "}\n";
    return out;
}

}  // namespace printing
