// Brevane - the RTF reader on any input: it never crashes, and what it reads is written
// and read again to the same text.
#include "FuzzSeeds.h"
#include "printing/RtfReader.h"
#include "printing/RtfWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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

fuzzseeds::Seed seedOf(const QByteArray& bytes) { return fuzzseeds::Seed(bytes.begin(), bytes.end()); }

// Documents as the listings write them (a header line with tab stops, bold bank titles,
// names in columns, a page break, characters beyond ASCII), one cut short, and a file
// of another program's making with a picture, a field and a table.
std::vector<fuzzseeds::Seed> seeds()
{
    printing::RtfDocument listing;
    printing::RtfParagraph header;
    header.tabs = {{720, printing::RtfTab::Kind::Left}, {5000, printing::RtfTab::Kind::Centre},
                   {10000, printing::RtfTab::Kind::Right}};
    header.runs.push_back({{QStringLiteral("Arial"), 9, false, false, false}, QStringLiteral("\t5 March 2024\t")});
    header.runs.push_back({{QStringLiteral("Arial"), 10, true, false, false}, QStringLiteral("PATCH LISTING : TEST.SYX")});
    listing.paragraphs.push_back(header);
    printing::RtfParagraph bank;
    bank.runs.push_back({{QString(), 8, true, false, true}, QStringLiteral("\t\tBANK 1\t")});
    listing.paragraphs.push_back(bank);
    for (int i = 1; i <= 4; ++i) {
        printing::RtfParagraph names;
        names.runs.push_back({{}, QStringLiteral("%1\tBRASS %1\t%2\tSTRINGS \u00e9\u20ac").arg(i).arg(i + 16)});
        listing.paragraphs.push_back(names);
    }
    listing.paragraphs.back().pageBreakBefore = true;
    listing.paragraphs.back().alignment = printing::RtfParagraph::Align::Centre;
    const QByteArray written = printing::RtfWriter::write(listing);
    return {
        seedOf(written),
        seedOf(written.left(written.size() / 2)),
        seedOf(QByteArrayLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}{\\*\\generator Other;}{\\pict\\pngblip 89504e47}"
                                 "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\trowd\\cellx1000 A\\cell B\\cell\\row"
                                 "\\u8364?\\'e9\\bin3 abc\\par}")),
    };
}

}  // namespace

BREVANE_FUZZ_SEEDS(seeds)

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
