// Brevane - reads Rich Text Format into paragraphs of styled runs.
//
// Tolerant of files from other programs: pictures, objects, tables (cells become tabs,
// rows paragraphs), fields (their shown result is kept), \* destinations, headers,
// footers, style sheets and unknown control words are skipped; \'hh reads code page 1252
// and \uN Unicode, with its fallback characters skipped. Nesting deeper than kMaxDepth
// groups is skipped rather than followed, \bin data is stepped over, and a file that
// ends early keeps what was read. Only input that does not start as RTF is refused.
#pragma once

#include "printing/RtfDocument.h"

#include <QByteArrayView>
#include <QString>

namespace printing {

class RtfReader {
public:
    static constexpr int kMaxDepth = 1000;

    // False (doc emptied, error set) when data does not start with "{\rtf".
    [[nodiscard]] static bool read(QByteArrayView data, RtfDocument& doc, QString* error = nullptr);
    // Whether data starts as RTF (after blanks).
    [[nodiscard]] static bool looksLikeRtf(QByteArrayView data);
};

}  // namespace printing
