// Brevane - rich text as the print preview holds it: paragraphs of styled runs.
//
// The RTF writer and reader work on this model, so reading a file needs no text widgets
// (and can be fuzzed on its own); RtfTextDocument converts between it and QTextDocument.
// Run texts hold tabs as '\t' and line breaks inside a paragraph as U+2028.
#pragma once

#include <QString>

#include <vector>

namespace printing {

struct RtfCharFormat {
    QString font;        // family name; empty: the document's default
    double points = 12;  // RTF's default size
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const RtfCharFormat&, const RtfCharFormat&) = default;
};

struct RtfRun {
    RtfCharFormat format;
    QString text;
};

struct RtfTab {
    enum class Kind : int { Left, Right, Centre, Decimal };
    int twips = 0;  // from the paragraph's left edge
    Kind kind = Kind::Left;
    friend bool operator==(const RtfTab&, const RtfTab&) = default;
};

struct RtfParagraph {
    enum class Align : int { Left, Right, Centre, Justify };
    std::vector<RtfTab> tabs;
    Align alignment = Align::Left;
    bool pageBreakBefore = false;
    std::vector<RtfRun> runs;
    // The format of the paragraph mark (gives an empty paragraph its height).
    RtfCharFormat markFormat;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

// Windows code page 1252: the character of a byte, and the byte of a character (0 when
// the page has none; bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D read as the C1 controls).
[[nodiscard]] char16_t cp1252ToUnicode(unsigned char byte);
[[nodiscard]] unsigned char unicodeToCp1252(char16_t ch);

}  // namespace printing
