// Brevane - what a drag of voices between voice-list windows carries.
//
// A drag names its voices with one line of text: the source list's FileType, its ListID,
// the number of voices and each voice number, comma-separated, numbers with one leading
// blank, ending in ",:" ("2,L0003, 2, 3, 17,:"). The voices themselves travel through
// the patch clipboard when the drag is dropped.
//
// The line goes under a private MIME type together with a token made once per process,
// so only drags started by this program count: text dragged from another program, or
// from a second copy of this one, is never taken for voices.
#pragma once

#include <QByteArray>
#include <QString>
#include <Qt>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace shell {

// The MIME type of a voice drag. Its data is the process token, a line feed and the line.
inline constexpr char kVoiceDragMimeType[] = "application/x-brevane-voices";

// Set while a voice drag of this program runs (from its start to the end of the drag,
// whether it was dropped, refused or cancelled); the voice lists ignore presses meanwhile.
inline bool DragInProgress = false;

// Sets DragInProgress for the length of a scope and always clears it at the end.
class DragInProgressScope {
public:
    DragInProgressScope() { DragInProgress = true; }
    ~DragInProgressScope() { DragInProgress = false; }
    DragInProgressScope(const DragInProgressScope&) = delete;
    DragInProgressScope& operator=(const DragInProgressScope&) = delete;
};

// What a drag line says.
struct DragText {
    std::int32_t fileType = 0;
    std::string listId;
    // 1-based voice numbers in the source list, ascending.
    std::vector<std::int32_t> voices;
};

// The line for a list's selected voices (ascending voice numbers).
[[nodiscard]] std::string BuildDragTextLine(std::int32_t fileType, const std::string& listId,
                                            const std::vector<std::int32_t>& voices);
// The fields of a line split at ",", numbered from 0 (the last one is ":").
[[nodiscard]] std::vector<std::string> splitDragText(std::string_view line);
// Reads a line; nullopt unless it is well formed: a file type 0..3, a list key, a count
// equal to the number of voice fields, voices ascending from 1, and the final ":".
[[nodiscard]] std::optional<DragText> parseDragText(std::string_view line);

// The token of this process (random, made on first use).
[[nodiscard]] const QByteArray& voiceDragToken();
// Drag data carrying a line under the private type with this process's token.
[[nodiscard]] std::unique_ptr<QMimeData> makeVoiceDragData(const std::string& line);
// Whether a drag is one of this process's voice drags (its type and token; the line is
// not read).
[[nodiscard]] bool isVoiceDrag(const QMimeData* data);
// The line of a drag of this process's voices; nullopt for any other drag (no data,
// another type, another token, a malformed line).
[[nodiscard]] std::optional<DragText> readVoiceDrag(const QMimeData* data);
// The raw line of such a drag ("" for any other).
[[nodiscard]] std::string voiceDragLine(const QMimeData* data);

// Whether a drop copies the voices rather than moving them: Ctrl copies; so does Alt where
// the window manager lets it through.
[[nodiscard]] bool dropCopiesVoices(Qt::KeyboardModifiers modifiers);

}  // namespace shell
