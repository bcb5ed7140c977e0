// Brevane - the RTF reader on any input: it never crashes, and what it reads is written
// and read again to the same text.
#include "printing/RtfReader.h"
#include "printing/RtfWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString textOf(const printing::RtfDocument& doc)
{
    QString out;
    for (const printing::RtfParagraph& p : doc.paragraphs) {
        for (const printing::RtfRun& r : p.runs)
            out += r.text;
        out += QLatin1Char('\n');
    }
    // Embedded objects have no text to write.
    out.remove(QChar(0xFFFC));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    printing::RtfDocument doc;
    if (!printing::RtfReader::read(input, doc))
        return 0;
    const QByteArray written = printing::RtfWriter::write(doc);
    printing::RtfDocument again;
    if (!printing::RtfReader::read(written, again) || textOf(again) != textOf(doc))
        std::abort();
    return 0;
}
