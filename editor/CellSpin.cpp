// Brevane - the editor's one spin control, floating over the grid cell being edited.
#include "editor/CellSpin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace editor {

CellSpin::CellSpin(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(kWidth);
    setCursor(Qt::ArrowCursor);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(kRepeatMs);
        step(m_direction);
    });
}

void CellSpin::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    setValue(m_value);
}

void CellSpin::setValue(int value)
{
    value = std::clamp(value, m_min, m_max);
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(value);
}

void CellSpin::step(int direction)
{
    if (direction != 0)
        setValue(m_value + (direction > 0 ? 1 : -1));
}

void CellSpin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    const QRect up(0, 0, width(), height() / 2);
    const QRect down(0, height() / 2, width(), height() - height() / 2);
    for (const auto& [r, arrow] : {std::pair{up, QStyle::PE_IndicatorArrowUp}, std::pair{down, QStyle::PE_IndicatorArrowDown}}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = r;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
        opt.rect = r.adjusted(3, 2, -3, -2);
        style()->drawPrimitive(arrow, &opt, &p, this);
    }
}

void CellSpin::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button(), event->modifiers());
    if (event->button() != Qt::LeftButton)
        return;
    m_direction = event->position().y() < height() / 2.0 ? 1 : -1;
    step(m_direction);
    m_repeat.start(kRepeatDelayMs);
}

void CellSpin::mouseMoveEvent(QMouseEvent* event) { emit moved(event->buttons(), event->modifiers()); }

void CellSpin::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_repeat.stop();
        m_direction = 0;
    }
    emit released(event->button(), event->modifiers());
}

}  // namespace editor
