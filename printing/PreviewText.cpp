// Brevane - the preview's text files.
#include "printing/PreviewText.h"

#include <QStringDecoder>

namespace printing {

bool isRichTextFileName(const std::string& path)
{
    if (path.size() < 4)
        return false;
    const std::string tail = path.substr(path.size() - 4);
    return QString::fromStdString(tail).compare(QLatin1String(".rtf"), Qt::CaseInsensitive) == 0;
}

QString decodePlainText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes.data(), bytes.size());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QByteArray encodePlainText(const QString& text)
{
    QString t = text;
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return t.toUtf8();
}

}  // namespace printing
