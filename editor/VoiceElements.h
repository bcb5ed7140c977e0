// Brevane - the voice elements that are dragged between operators and editors, which
// drops fit, and what a drag carries.
//
// An element is a control of an editor: a parameter grid 0..26 (GridMap.h), a panel
// title 0..6 ("Non Operator", "Operator 1".."Operator 6") or a chart 0..12 (0 the pitch
// envelope, 1..6 the operator envelopes, 7..12 level scaling), named by the list key and
// the editor key of its editor. A drop fits only between controls of the same kind that
// hold the same element:
//
//   grids    the pitch envelope (0), an operator's envelope (1..6), level scaling
//            (7..12), oscillator (13..18), sensitivity (19..24), the LFO (25), "Misc" (26);
//   titles   a whole operator (1..6) or the non-operator values (0);
//   charts   the pitch envelope (0), an operator's envelope (1..6), level scaling (7..12);
//
// and never onto itself. Chart n carries the values of grid n. A copy pairs the rows of
// the two elements in order, so each value lands on the same parameter of the target: an
// operator title copies that operator's 21 rows, the "Non Operator" title the rows
// 126..144 (pitch envelope, algorithm, feedback, key sync, LFO, transpose), never the name.
//
// A drag carries, under a private MIME type, this process's token followed by the list
// key, the editor key, the kind and the index, one to a line. The source is looked up
// again at the drop; a drag from another program (or another copy of this one) carries
// no such data or another token and is refused.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace editor {

inline constexpr char kElementDragMimeType[] = "application/x-brevane-voice-element";

enum class ElementKind { Grid = 0, Title = 1, Chart = 2 };

struct ElementRef {
    std::string listId;
    std::string editorId;
    ElementKind kind = ElementKind::Grid;
    int index = 0;
    friend bool operator==(const ElementRef&, const ElementRef&) = default;
};

// Whether index names a control of that kind.
[[nodiscard]] bool validElement(ElementKind kind, int index);

// The operators of the two ends and whether the drop is refused.
struct SourceTarget {
    bool refuse = true;
    int sourceOperator = 0;
    int targetOperator = 0;
};
[[nodiscard]] SourceTarget GetSourceTargetID(const ElementRef& source, const ElementRef& target);

// The VoiceData rows (0-based) an element holds, in the order a copy pairs them.
[[nodiscard]] std::vector<int> elementRows(ElementKind kind, int index);

// Drag data for an element under the private type with this process's token.
[[nodiscard]] std::unique_ptr<QMimeData> makeElementDragData(const ElementRef& element);
// The element of one of this process's element drags; nullopt for any other drag.
[[nodiscard]] std::optional<ElementRef> readElementDrag(const QMimeData* data);

}  // namespace editor
