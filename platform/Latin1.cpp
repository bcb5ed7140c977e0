// Brevane - byte strings to and from Qt text.
#include "platform/Latin1.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <optional>

namespace platform {

QString fromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fromBytes(const std::string& bytes) { return fromBytes(std::string_view(bytes)); }

QString fromBytes(const char* bytes) { return fromBytes(std::string_view(bytes ? bytes : "")); }

namespace {

// The bytes read as UTF-8, or nothing when they are not UTF-8.
std::optional<QString> decodeUtf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

}  // namespace

QString fromText(std::string_view bytes)
{
    std::optional<QString> text = decodeUtf8(bytes);
    return text ? *std::move(text) : fromBytes(bytes);
}

std::string toText(const QString& text, std::size_t maxBytes)
{
    const QByteArray utf8 = text.toUtf8();
    return cutText(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), maxBytes);
}

namespace {

// Where a text is cut to at most maxLetters letters and maxBytes bytes: the bytes kept and
// the letters they hold.
struct LetterCut {
    std::size_t bytes = 0;
    std::size_t letters = 0;
};

LetterCut cutLetters(std::string_view text, std::size_t maxLetters, std::size_t maxBytes)
{
    LetterCut cut;
    // A byte order mark stays a character, so that the text keeps step with its bytes.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (utf8.hasError()) {
        cut.bytes = std::min({text.size(), maxLetters, maxBytes});
        cut.letters = cut.bytes;
        return cut;
    }
    // The reader's letter boundaries are positions in UTF-16; the walk below keeps the
    // byte offset of each in step, one character (one to four bytes) at a time.
    QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, decoded);
    qsizetype unit = 0;
    std::size_t byte = 0;
    for (qsizetype end = letters.toNextBoundary(); end > 0 && cut.letters < maxLetters;
         end = letters.toNextBoundary()) {
        while (unit < end && byte < text.size()) {
            const auto lead = static_cast<unsigned char>(text[byte]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            byte += length;
            unit += length == 4 ? 2 : 1;
        }
        if (byte > maxBytes)
            break;
        cut.bytes = byte;
        ++cut.letters;
    }
    return cut;
}

}  // namespace

std::string cutText(std::string bytes, std::size_t maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    bytes.resize(cutLetters(bytes, std::string::npos, maxBytes).bytes);
    return bytes;
}

std::size_t letterCount(std::string_view text)
{
    return cutLetters(text, std::string::npos, std::string::npos).letters;
}

std::string leftLetters(std::string_view text, std::size_t n)
{
    return std::string(text.substr(0, cutLetters(text, n, std::string::npos).bytes));
}

std::string toBytes(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

}  // namespace platform
