// Brevane - writes the print preview's text as Rich Text Format.
//
// What the preview holds: a font table, font sizes (\fs), bold, italic and underline,
// tabs, paragraphs, page breaks (\page, or \pagebb on the first paragraph), tab stops
// (\tx, with \tqr, \tqc, \tqdec for right, centred and decimal stops), alignment, and
// characters beyond ASCII as \'hh (code page 1252) or \uN.
#pragma once

#include "printing/RtfDocument.h"

#include <QByteArray>

namespace printing {

class RtfWriter {
public:
    [[nodiscard]] static QByteArray write(const RtfDocument& doc);
};

}  // namespace printing
