// Brevane - byte strings to and from Qt text.
#include "platform/Latin1.h"

#include <QByteArray>
#include <QStringDecoder>

namespace platform {

QString fromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString fromBytes(const std::string& bytes) { return fromBytes(std::string_view(bytes)); }

QString fromBytes(const char* bytes) { return fromBytes(std::string_view(bytes ? bytes : "")); }

QString fromText(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? fromBytes(bytes) : text;
}

std::string toBytes(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

}  // namespace platform
