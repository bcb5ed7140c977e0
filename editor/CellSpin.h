// Brevane - the editor's one spin control, floating over the grid cell being edited.
//
// Up and down arrows (the upper and lower half) step the value by one within its bounds;
// holding the left button repeats the step. Its Tag is the index of the grid it serves.
#pragma once

#include <QTimer>
#include <QWidget>

namespace editor {

class CellSpin final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 17;  // 250 twips
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatMs = 60;

    explicit CellSpin(QWidget* parent = nullptr);

    [[nodiscard]] int value() const { return m_value; }
    // Emits valueChanged when the value (kept within the bounds) changes.
    void setValue(int value);
    void setRange(int minimum, int maximum);
    [[nodiscard]] int minimum() const { return m_min; }
    [[nodiscard]] int maximum() const { return m_max; }
    [[nodiscard]] int tag() const { return m_tag; }
    void setTag(int grid) { m_tag = grid; }
    // One step up (+1) or down (-1), as a click on an arrow does.
    void step(int direction);

    QSize sizeHint() const override { return {kWidth, 20}; }

signals:
    void valueChanged(int value);
    // What the window reads for Ctrl and the right button.
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void moved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_value = 0;
    int m_min = 0;
    int m_max = 10;
    int m_tag = -1;
    int m_direction = 0;
    QTimer m_repeat;
};

}  // namespace editor
