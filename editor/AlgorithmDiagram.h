// Brevane - a drawing of one DX7 algorithm: six operator boxes, their connections, the
// feedback loop and the output line under the carriers.
//
// The same widget serves the editor's algorithm panel (where a click on an operator box
// switches the operator on or off) and the algorithm viewer. An operator that is on is
// drawn in black, one that is off in red.
#pragma once

#include "editor/AlgorithmTopology.h"

#include <QWidget>

#include <array>

namespace editor {

class AlgorithmDiagram final : public QWidget {
    Q_OBJECT
public:
    // Where each operator sits: its column (halves where a box stands between the
    // boxes it feeds) and its level (0 for the carriers, growing upwards).
    struct Placement {
        std::array<double, 7> column{};  // index 1..6
        std::array<int, 7> level{};
        double columns = 1.0;            // number of columns used
        int levels = 1;                  // number of levels used
    };
    [[nodiscard]] static Placement place(const AlgorithmTopology& topology);

    explicit AlgorithmDiagram(QWidget* parent = nullptr);

    // Algorithm 1..32.
    void setAlgorithm(int number);
    [[nodiscard]] int algorithm() const { return m_algorithm; }
    // Operator on/off mask: operator n is bit 6 - n.
    void setOperatorStatus(int mask);
    [[nodiscard]] int operatorStatus() const { return m_status; }
    [[nodiscard]] bool operatorOn(int op) const { return (m_status >> (6 - op)) & 1; }

    // The box of operator 1..6 in widget coordinates, and the operator under a point (0: none).
    [[nodiscard]] QRect operatorRect(int op) const;
    [[nodiscard]] int operatorAt(QPoint pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void operatorClicked(int op);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_algorithm = 1;
    int m_status = 63;
    Placement m_placement;
};

}  // namespace editor
