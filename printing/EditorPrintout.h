// Brevane - printing the open voice editors, one page each.
//
// For its printout an editor is laid out compactly: its chart places and their zoom
// boxes and the algorithm box are hidden, the six operator panels shrink to their grids
// (three across, two down) under the non-operator panel's width, and the editor's window
// is shown at its normal size, fitted to that layout; the main window is maximised
// meanwhile. The page shows the editor's caption (its voice name) above the picture of
// the editor, scaled to fit inside the margins. Everything changed is put back when the
// editor's page is done, whether or not the printing worked.
#pragma once

#include "printing/PagePrinter.h"

#include <QSize>
#include <QString>

#include <vector>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace editor {
class frmVoiceEditor;
}

namespace printing {

// The open voice editors: the lists in the order they were opened, each list's editors
// in the order they were opened. Lists without editors add none.
[[nodiscard]] std::vector<editor::frmVoiceEditor*> openVoiceEditors();

// The compact layout of one editor, for as long as it lives.
class CompactEditorLayout {
public:
    explicit CompactEditorLayout(editor::frmVoiceEditor& e);
    ~CompactEditorLayout();
    CompactEditorLayout(const CompactEditorLayout&) = delete;
    CompactEditorLayout& operator=(const CompactEditorLayout&) = delete;

    // What is printed: the editor's panels.
    [[nodiscard]] QWidget& picture() const;

private:
    struct Saved {
        QWidget* widget;
        bool hidden;
        QSize minimum;
        QSize maximum;
    };
    void keep(QWidget* w);

    editor::frmVoiceEditor& m_editor;
    std::vector<Saved> m_saved;
    Qt::WindowStates m_mainState;
    Qt::WindowStates m_editorState;
    QSize m_editorSize;
};

// Draws one editor's page on a painter that is active on a page of the paper's size, in
// the device's own pixels: the caption in the device's text size, then the compact editor
// scaled from the screen's resolution into the margins.
void drawEditorPage(QPainter& painter, editor::frmVoiceEditor& e, const PaperGeometry& paper);

// Draws each editor on a page of its own: caption, then the compact editor scaled into the
// margins. False, with a reason, when the device cannot be painted on.
[[nodiscard]] bool drawEditorPages(const std::vector<editor::frmVoiceEditor*>& editors, QPagedPaintDevice& device,
                                   const PaperGeometry& paper, QString* error);

}  // namespace printing
