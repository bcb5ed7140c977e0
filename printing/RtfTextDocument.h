// Brevane - rich text between the preview's QTextDocument and the RTF model.
//
// Tab positions of the document are in 1/96 inch, RTF's in twips (15 to the unit).
#pragma once

#include "printing/RtfDocument.h"

class QTextCursor;
class QTextDocument;

namespace printing {

// The characters from..to of a document (to < 0: to its end) as paragraphs.
[[nodiscard]] RtfDocument rtfFromTextDocument(const QTextDocument& doc, int from = 0, int to = -1);
// Inserts paragraphs at the cursor, replacing its selection: the first joins the cursor's
// paragraph, each other one starts a paragraph with its own tabs, alignment and page break.
void insertRtfDocument(QTextCursor& cursor, const RtfDocument& rtf);
// Replaces the whole text of a document.
void setTextDocumentFromRtf(QTextDocument& doc, const RtfDocument& rtf);

}  // namespace printing
