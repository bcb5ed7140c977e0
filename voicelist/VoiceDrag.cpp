// Brevane - what a drag of voices between voice-list windows carries.
#include "voicelist/VoiceDrag.h"

#include "platform/VbText.h"

#include <QMimeData>
#include <QUuid>

#include <charconv>

namespace shell {
namespace {

// A number field: blanks, then decimal digits only; nullopt otherwise.
std::optional<std::int32_t> numberField(std::string_view field)
{
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    if (field.empty())
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || value < 0)
        return std::nullopt;
    return value;
}

}  // namespace

std::string BuildDragTextLine(std::int32_t fileType, const std::string& listId,
                              const std::vector<std::int32_t>& voices)
{
    std::string line = platform::Trim(platform::Str(fileType)) + "," + listId + "," +
                       platform::Str(static_cast<std::int64_t>(voices.size())) + ",";
    line.reserve(line.size() + voices.size() * 8 + 1);
    for (const std::int32_t v : voices)
        line += platform::Str(v) + ",";
    line += ":";
    return line;
}

std::vector<std::string> splitDragText(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return fields;
        }
        fields.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

std::optional<DragText> parseDragText(std::string_view line)
{
    const std::vector<std::string> fields = splitDragText(line);
    // File type, list, count, at least one voice, ":".
    if (fields.size() < 5 || fields.back() != ":")
        return std::nullopt;
    DragText out;
    const auto type = numberField(fields[0]);
    const auto count = numberField(fields[2]);
    if (!type || *type > 3 || fields[0].find(' ') != std::string::npos || fields[1].empty() ||
        fields[1].find(' ') != std::string::npos || !count ||
        static_cast<std::size_t>(*count) != fields.size() - 4)
        return std::nullopt;
    out.fileType = *type;
    out.listId = fields[1];
    out.voices.reserve(static_cast<std::size_t>(*count));
    for (std::size_t i = 3; i + 1 < fields.size(); ++i) {
        const auto voice = numberField(fields[i]);
        if (!voice || *voice < 1 || (!out.voices.empty() && *voice <= out.voices.back()))
            return std::nullopt;
        out.voices.push_back(*voice);
    }
    return out;
}

const QByteArray& voiceDragToken()
{
    static const QByteArray token = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    return token;
}

std::unique_ptr<QMimeData> makeVoiceDragData(const std::string& line)
{
    auto data = std::make_unique<QMimeData>();
    QByteArray payload = voiceDragToken();
    payload += '\n';
    payload += QByteArray::fromStdString(line);
    data->setData(QString::fromLatin1(kVoiceDragMimeType), payload);
    return data;
}

bool isVoiceDrag(const QMimeData* data)
{
    const QString type = QString::fromLatin1(kVoiceDragMimeType);
    if (data == nullptr || !data->hasFormat(type))
        return false;
    const QByteArray payload = data->data(type);
    const QByteArray& token = voiceDragToken();
    return payload.size() > token.size() && payload.startsWith(token) && payload.at(token.size()) == '\n';
}

std::string voiceDragLine(const QMimeData* data)
{
    const QString type = QString::fromLatin1(kVoiceDragMimeType);
    if (data == nullptr || !data->hasFormat(type))
        return {};
    const QByteArray payload = data->data(type);
    const qsizetype newline = payload.indexOf('\n');
    if (newline < 0 || payload.left(newline) != voiceDragToken())
        return {};
    return payload.mid(newline + 1).toStdString();
}

std::optional<DragText> readVoiceDrag(const QMimeData* data)
{
    const std::string line = voiceDragLine(data);
    if (line.empty())
        return std::nullopt;
    return parseDragText(line);
}

bool dropCopiesVoices(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::ControlModifier) || modifiers.testFlag(Qt::AltModifier);
}

}  // namespace shell
