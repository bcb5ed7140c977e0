// Brevane - the algorithm viewer: one of the 32 algorithm diagrams, stepped with a spin.
//
// One viewer for the whole program. Opening a voice in an editor loads it and brings it
// up to date without showing it: until the user asks for it (a voice of the generator's
// tree clicked) it only holds the diagrams, and is neither shown nor listed in the Window
// menu. It closes when no voice editor is open in any list.
#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

class QLabel;
class QMdiArea;

namespace editor {

class AlgorithmDiagram;
class CellSpin;

class frmAlgorithms final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 167;  // 2500 twips

    // The viewer, or nullptr when it is not loaded.
    [[nodiscard]] static frmAlgorithms* instance();
    // The viewer, loaded (into the MDI area, hidden) when it is not.
    static frmAlgorithms& load(QMdiArea* area);
    // Closes the viewer when it is loaded.
    static void unloadViewer();

    // The spin's value 0..31 shows algorithm value + 1.
    [[nodiscard]] int UpDown1() const;
    void setUpDown1(int value);
    [[nodiscard]] AlgorithmDiagram* diagram() const { return m_diagram; }
    [[nodiscard]] CellSpin* spin() const { return m_spin; }
    [[nodiscard]] QMdiSubWindow* subWindow() const { return m_subWindow; }
    // Shows the viewer as asked for: in its normal state, above the other windows.
    void showViewer();

private:
    explicit frmAlgorithms(QMdiArea* area);
    void UpDown1_Change();

    QMdiArea* m_area = nullptr;
    QPointer<QMdiSubWindow> m_subWindow;
    AlgorithmDiagram* m_diagram = nullptr;
    CellSpin* m_spin = nullptr;
    QLabel* m_label = nullptr;
};

}  // namespace editor
