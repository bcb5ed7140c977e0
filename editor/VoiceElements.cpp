// Brevane - the voice elements that are dragged between operators and editors, which
// drops fit, and what a drag carries.
#include "editor/VoiceElements.h"

#include "editor/GridMap.h"
#include "editor/ParameterTexts.h"
#include "voicelist/VoiceDrag.h"

#include <QMimeData>

#include <charconv>

namespace editor {
namespace {

constexpr int kFirstNonOperatorRow = 126;
constexpr int kLastNonOperatorRow = 144;  // transpose; the name follows
constexpr int kOperatorRows = 21;

// The operator of an element index: 0 for index 0, otherwise 1..6 within its block of six.
int operatorOfIndex(int index) { return index == 0 ? 0 : (index - 1) % 6 + 1; }
// The block of six an index lies in (index 0 counts with the first block).
int blockOfIndex(int index) { return index == 0 ? 0 : (index - 1) / 6; }

std::optional<int> numberOf(const QByteArray& text)
{
    int value = 0;
    const char* begin = text.constData();
    const char* end = begin + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (text.isEmpty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace

bool validElement(ElementKind kind, int index)
{
    switch (kind) {
    case ElementKind::Grid: return index >= 0 && index < kGridCount;
    case ElementKind::Title: return index >= 0 && index <= 6;
    case ElementKind::Chart: return index >= 0 && index <= 12;
    }
    return false;
}

SourceTarget GetSourceTargetID(const ElementRef& source, const ElementRef& target)
{
    SourceTarget out;
    if (!validElement(source.kind, source.index) || !validElement(target.kind, target.index))
        return out;
    // Every control of one kind takes only a control of the same kind.
    if (source.kind != target.kind || source == target)
        return out;
    out.sourceOperator = operatorOfIndex(source.index);
    out.targetOperator = operatorOfIndex(target.index);
    const bool bothNonOperator = out.sourceOperator == 0 && out.targetOperator == 0;
    const bool bothOperator = out.sourceOperator != 0 && out.targetOperator != 0;
    if (!bothNonOperator && !bothOperator)
        return out;
    // The LFO and "Misc" grids take only themselves.
    if (target.kind == ElementKind::Grid && (target.index == kLfoGrid || target.index == kMiscGrid) &&
        target.index != source.index)
        return out;
    out.refuse = blockOfIndex(source.index) != blockOfIndex(target.index);
    return out;
}

std::vector<int> elementRows(ElementKind kind, int index)
{
    if (!validElement(kind, index))
        return {};
    if (kind != ElementKind::Title)
        return rowsOfGrid(index);
    std::vector<int> rows;
    if (index == 0) {
        for (int r = kFirstNonOperatorRow; r <= kLastNonOperatorRow; ++r)
            rows.push_back(r);
    } else {
        for (int r = 0; r < kOperatorRows; ++r)
            rows.push_back(operatorFirstRow(index) + r);
    }
    return rows;
}

std::unique_ptr<QMimeData> makeElementDragData(const ElementRef& element)
{
    auto data = std::make_unique<QMimeData>();
    QByteArray payload = shell::voiceDragToken();
    payload += '\n';
    payload += QByteArray::fromStdString(element.listId);
    payload += '\n';
    payload += QByteArray::fromStdString(element.editorId);
    payload += '\n';
    payload += QByteArray::number(static_cast<int>(element.kind));
    payload += '\n';
    payload += QByteArray::number(element.index);
    data->setData(QString::fromLatin1(kElementDragMimeType), payload);
    return data;
}

std::optional<ElementRef> readElementDrag(const QMimeData* data)
{
    const QString type = QString::fromLatin1(kElementDragMimeType);
    if (data == nullptr || !data->hasFormat(type))
        return std::nullopt;
    const QList<QByteArray> lines = data->data(type).split('\n');
    if (lines.size() != 5 || lines[0] != shell::voiceDragToken() || lines[1].isEmpty() || lines[2].isEmpty())
        return std::nullopt;
    const auto kind = numberOf(lines[3]);
    const auto index = numberOf(lines[4]);
    if (!kind || *kind < 0 || *kind > 2 || !index)
        return std::nullopt;
    ElementRef out{lines[1].toStdString(), lines[2].toStdString(), static_cast<ElementKind>(*kind), *index};
    if (!validElement(out.kind, out.index))
        return std::nullopt;
    return out;
}

}  // namespace editor
