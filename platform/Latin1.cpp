// Brevane - byte strings to and from Qt text.
#include "platform/Latin1.h"

#include <QByteArray>
#include <QStringDecoder>

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

std::string cutText(std::string bytes, std::size_t maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    std::size_t end = maxBytes;
    // A byte 10xxxxxx continues the character begun before it.
    if (decodeUtf8(bytes))
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
    bytes.resize(end);
    return bytes;
}

std::string toBytes(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

}  // namespace platform
