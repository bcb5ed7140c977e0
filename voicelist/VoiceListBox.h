// Brevane - the two-column list of a voice-list window: one bank of 32 names.
//
// Entries 0..15 fill the left column top to bottom, 16..31 the right one. The box only
// draws and reports: which entries show as selected and which is current is set by its
// window (which keeps the selection of the whole file), and mouse and key presses are
// handed to the window first. Arrow keys the window leaves alone move the current entry
// within the bank. Drags over the box and drops on it are handed to the window too,
// which accepts or refuses them.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QMimeData;

namespace shell {

class VoiceListBox final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 16;
    static constexpr int kColumns = 2;
    static constexpr int kEntries = kRows * kColumns;

    explicit VoiceListBox(QWidget* parent = nullptr);

    void clear();
    // Adds an entry after the last one; nothing beyond 32 entries.
    void addItem(const QString& text);
    [[nodiscard]] int count() const { return m_count; }
    [[nodiscard]] QString text(int index) const;
    void setText(int index, const QString& text);
    [[nodiscard]] bool isSelected(int index) const;
    void setSelected(int index, bool selected);
    [[nodiscard]] int selectedCount() const;
    // The entry with the focus frame, -1 for none.
    [[nodiscard]] int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // Height of one entry in pixels, and the rectangle of an entry (also of one not
    // filled) in the box's coordinates.
    [[nodiscard]] int itemHeight() const;
    [[nodiscard]] QRect itemRect(int index) const;
    // The entry position under a point (row and column), -1 outside the 16 rows.
    [[nodiscard]] int indexAt(const QPoint& pos) const;
    // Pixels a box needs for 16 rows of names of 10 characters.
    [[nodiscard]] QSize sizeHint() const override;

signals:
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseDoubleClicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A key went down; a handler that acts on it sets *swallowed so the box does not.
    void keyDown(int key, Qt::KeyboardModifiers modifiers, bool* swallowed);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    // A drag entered or moved over the box; the handler sets *action to the action it
    // accepts there, or leaves Qt::IgnoreAction to refuse. *own tells whether the drag is
    // one the handler takes at all (a drag it does not own gets no further events).
    void dragMoved(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, Qt::DropAction* action,
                   bool* own);
    void dragLeft();
    // A drop; the handler sets *action to what it did (Qt::IgnoreAction: nothing).
    void dropped(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, Qt::DropAction* action);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    [[nodiscard]] bool valid(int index) const { return index >= 0 && index < m_count; }
    void moveCurrent(int key);

    std::array<QString, kEntries> m_text;
    std::array<bool, kEntries> m_selected{};
    int m_count = 0;
    int m_current = -1;
};

}  // namespace shell
