// Brevane - the preview's text files: which are rich text, and plain text's encoding.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>

namespace printing {

// A file is read and written as rich text when its name ends in ".rtf", in any case.
[[nodiscard]] bool isRichTextFileName(const std::string& path);
// Plain text as UTF-8 (a leading byte-order mark dropped), or as Latin-1 when it is not
// valid UTF-8; CR LF and lone CR become line breaks.
[[nodiscard]] QString decodePlainText(QByteArrayView bytes);
// Plain text as UTF-8 with '\n' line breaks (paragraph and line separators included).
[[nodiscard]] QByteArray encodePlainText(const QString& text);

}  // namespace printing
