// Brevane - the two-column list of a voice-list window.
#include "voicelist/VoiceListBox.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace shell {
namespace {

constexpr int kFrame = 1;       // pixels of the border
constexpr int kTextPadding = 3; // pixels left of a name
constexpr int kNameChars = 10;

}  // namespace

VoiceListBox::VoiceListBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("List1"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Base);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAcceptDrops(true);
}

void VoiceListBox::clear()
{
    for (QString& t : m_text)
        t.clear();
    m_selected.fill(false);
    m_count = 0;
    m_current = -1;
    update();
}

void VoiceListBox::addItem(const QString& text)
{
    if (m_count >= kEntries)
        return;
    m_text[static_cast<std::size_t>(m_count)] = text;
    m_selected[static_cast<std::size_t>(m_count)] = false;
    update(itemRect(m_count));
    ++m_count;
}

QString VoiceListBox::text(int index) const { return valid(index) ? m_text[static_cast<std::size_t>(index)] : QString(); }

void VoiceListBox::setText(int index, const QString& text)
{
    if (!valid(index))
        return;
    m_text[static_cast<std::size_t>(index)] = text;
    update(itemRect(index));
}

bool VoiceListBox::isSelected(int index) const { return valid(index) && m_selected[static_cast<std::size_t>(index)]; }

void VoiceListBox::setSelected(int index, bool selected)
{
    if (!valid(index) || m_selected[static_cast<std::size_t>(index)] == selected)
        return;
    m_selected[static_cast<std::size_t>(index)] = selected;
    update(itemRect(index));
}

int VoiceListBox::selectedCount() const
{
    return static_cast<int>(std::count(m_selected.begin(), m_selected.begin() + m_count, true));
}

void VoiceListBox::setCurrentIndex(int index)
{
    const int next = valid(index) ? index : -1;
    if (next == m_current)
        return;
    if (m_current >= 0)
        update(itemRect(m_current));
    m_current = next;
    if (m_current >= 0)
        update(itemRect(m_current));
}

int VoiceListBox::itemHeight() const { return fontMetrics().height() + 2; }

QRect VoiceListBox::itemRect(int index) const
{
    const int inner = width() - 2 * kFrame;
    const int column = index / kRows;
    const int row = index % kRows;
    const int left = kFrame + column * inner / kColumns;
    const int right = kFrame + (column + 1) * inner / kColumns;
    return {left, kFrame + row * itemHeight(), right - left, itemHeight()};
}

int VoiceListBox::indexAt(const QPoint& pos) const
{
    const int h = itemHeight();
    if (pos.y() < kFrame || pos.x() < 0 || pos.x() >= width() || h <= 0)
        return -1;
    const int row = (pos.y() - kFrame) / h;
    if (row >= kRows)
        return -1;
    const int column = std::clamp(2 * pos.x() / std::max(width(), 1), 0, kColumns - 1);
    return column * kRows + row;
}

QSize VoiceListBox::sizeHint() const
{
    const int column = fontMetrics().horizontalAdvance(QString(kNameChars, QLatin1Char('W'))) + 2 * kTextPadding + 4;
    return {kColumns * column + 2 * kFrame, kRows * itemHeight() + 2 * kFrame};
}

void VoiceListBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setClipRegion(event->region());
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.base());
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int i = 0; i < m_count; ++i) {
        const QRect r = itemRect(i);
        if (!event->region().intersects(r))
            continue;
        const bool selected = m_selected[static_cast<std::size_t>(i)];
        if (selected)
            p.fillRect(r, pal.highlight());
        p.setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        p.drawText(r.adjusted(kTextPadding, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   m_text[static_cast<std::size_t>(i)]);
        if (i == m_current) {
            // A dotted frame round the current entry, whether the box has the focus or not
            // (styles draw a focus frame only after keyboard use, or never), so the arrow
            // keys' progress and a voice that Find shows are always visible.
            QPen frame(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
            frame.setStyle(Qt::DotLine);
            frame.setWidth(0);
            p.setPen(frame);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
}

void VoiceListBox::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    emit mousePressed(event->button(), event->modifiers(), event->position().toPoint());
}

void VoiceListBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased(event->button(), event->modifiers(), event->position().toPoint());
}

void VoiceListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit mouseDoubleClicked(event->button(), event->modifiers(), event->position().toPoint());
}

void VoiceListBox::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
}

void VoiceListBox::keyPressEvent(QKeyEvent* event)
{
    bool swallowed = false;
    emit keyDown(event->key(), event->modifiers(), &swallowed);
    if (!swallowed)
        moveCurrent(event->key());
    event->accept();
}

void VoiceListBox::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
    event->accept();
}

void VoiceListBox::dragEnterEvent(QDragEnterEvent* event)
{
    Qt::DropAction action = Qt::IgnoreAction;
    bool own = false;
    emit dragMoved(event->mimeData(), event->position().toPoint(), event->modifiers(), &action, &own);
    // A drag that is not ours is refused once and for all; ours is followed while it
    // moves, droppable or not.
    if (!own) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void VoiceListBox::dragMoveEvent(QDragMoveEvent* event)
{
    Qt::DropAction action = Qt::IgnoreAction;
    bool own = false;
    emit dragMoved(event->mimeData(), event->position().toPoint(), event->modifiers(), &action, &own);
    if (!own || action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void VoiceListBox::dragLeaveEvent(QDragLeaveEvent* event)
{
    emit dragLeft();
    event->accept();
}

void VoiceListBox::dropEvent(QDropEvent* event)
{
    Qt::DropAction action = Qt::IgnoreAction;
    emit dropped(event->mimeData(), event->position().toPoint(), event->modifiers(), &action);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

// The arrow keys within the bank: up and down in a column, left and right between them.
void VoiceListBox::moveCurrent(int key)
{
    if (m_count == 0)
        return;
    const int i = m_current < 0 ? 0 : m_current;
    int next = m_current;
    switch (key) {
    case Qt::Key_Up: next = std::max(i - 1, 0); break;
    case Qt::Key_Down: next = std::min(i + 1, m_count - 1); break;
    case Qt::Key_Left: next = i >= kRows ? i - kRows : i; break;
    case Qt::Key_Right: next = i + kRows < m_count ? i + kRows : i; break;
    default: return;
    }
    setCurrentIndex(m_current < 0 ? i : next);
}

}  // namespace shell
