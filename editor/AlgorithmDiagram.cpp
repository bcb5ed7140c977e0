// Brevane - a drawing of one DX7 algorithm.
#include "editor/AlgorithmDiagram.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <functional>

namespace editor {
namespace {

constexpr int kBoxWidth = 22;
constexpr int kBoxHeight = 18;
constexpr int kColumnStep = 34;
constexpr int kLevelStep = 32;
constexpr int kMargin = 14;
constexpr int kOutputDrop = 10;
constexpr int kDiagramColumns = 6;  // room for the widest algorithm
constexpr int kDiagramLevels = 4;

}  // namespace

AlgorithmDiagram::Placement AlgorithmDiagram::place(const AlgorithmTopology& t)
{
    Placement p;
    std::array<bool, 7> placed{};
    std::array<bool, 7> levelKnown{};
    // Level: one above the highest operator it feeds.
    std::function<int(int)> levelOf = [&](int op) {
        if (levelKnown[static_cast<std::size_t>(op)])
            return p.level[static_cast<std::size_t>(op)];
        int level = 0;
        if (!t.isCarrier(op))
            for (const OperatorEdge& e : t.connections())
                if (e.modulator == op)
                    level = std::max(level, levelOf(e.target) + 1);
        levelKnown[static_cast<std::size_t>(op)] = true;
        p.level[static_cast<std::size_t>(op)] = level;
        return level;
    };
    double nextColumn = 0;
    // Column: a box stands over the middle of the modulators it places, or in a column
    // of its own when it has none to place.
    std::function<void(int)> placeTree = [&](int op) {
        placed[static_cast<std::size_t>(op)] = true;
        double sum = 0;
        int n = 0;
        for (int m = 1; m <= 6; ++m) {
            for (const OperatorEdge& e : t.connections()) {
                if (e.target == op && e.modulator == m && !placed[static_cast<std::size_t>(m)]) {
                    placeTree(m);
                    sum += p.column[static_cast<std::size_t>(m)];
                    ++n;
                }
            }
        }
        p.column[static_cast<std::size_t>(op)] = n > 0 ? sum / n : nextColumn++;
    };
    for (int op = 1; op <= 6; ++op)
        if (t.isCarrier(op))
            placeTree(op);
    // A modulator of several operators stands between them.
    for (int op = 1; op <= 6; ++op) {
        double sum = 0;
        int n = 0;
        for (const OperatorEdge& e : t.connections()) {
            if (e.modulator == op) {
                sum += p.column[static_cast<std::size_t>(e.target)];
                ++n;
            }
        }
        if (n > 1)
            p.column[static_cast<std::size_t>(op)] = sum / n;
    }
    p.columns = std::max(1.0, nextColumn);
    for (int op = 1; op <= 6; ++op)
        p.levels = std::max(p.levels, levelOf(op) + 1);
    return p;
}

AlgorithmDiagram::AlgorithmDiagram(QWidget* parent) : QWidget(parent)
{
    m_placement = place(algorithmTopology(m_algorithm));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void AlgorithmDiagram::setAlgorithm(int number)
{
    number = std::clamp(number, 1, kAlgorithmCount);
    if (number == m_algorithm)
        return;
    m_algorithm = number;
    m_placement = place(algorithmTopology(number));
    update();
}

void AlgorithmDiagram::setOperatorStatus(int mask)
{
    mask &= 63;
    if (mask == m_status)
        return;
    m_status = mask;
    update();
}

QSize AlgorithmDiagram::sizeHint() const
{
    return {2 * kMargin + (kDiagramColumns - 1) * kColumnStep + kBoxWidth + 12,
            2 * kMargin + (kDiagramLevels - 1) * kLevelStep + kBoxHeight + kOutputDrop + 4};
}

QRect AlgorithmDiagram::operatorRect(int op) const
{
    if (op < 1 || op > 6)
        return {};
    const auto i = static_cast<std::size_t>(op);
    const double usedWidth = (m_placement.columns - 1) * kColumnStep + kBoxWidth;
    const double left = (width() - 12 - usedWidth) / 2.0;
    const int x = static_cast<int>(left + m_placement.column[i] * kColumnStep);
    const int bottomBox = height() - kMargin - kOutputDrop - kBoxHeight;
    const int y = bottomBox - m_placement.level[i] * kLevelStep;
    return {x, y, kBoxWidth, kBoxHeight};
}

int AlgorithmDiagram::operatorAt(QPoint pos) const
{
    for (int op = 1; op <= 6; ++op)
        if (operatorRect(op).contains(pos))
            return op;
    return 0;
}

void AlgorithmDiagram::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const AlgorithmTopology& t = algorithmTopology(m_algorithm);
    const QPen line(palette().color(QPalette::WindowText), 1);
    p.setPen(line);

    for (const OperatorEdge& e : t.connections()) {
        const QRect from = operatorRect(e.modulator);
        const QRect to = operatorRect(e.target);
        p.drawLine(QPoint(from.center().x(), from.bottom()), QPoint(to.center().x(), to.top()));
    }
    // The output line under the carriers.
    int leftmost = width();
    int rightmost = 0;
    const int busY = height() - kMargin;
    for (int op = 1; op <= 6; ++op) {
        if (!t.isCarrier(op))
            continue;
        const QRect r = operatorRect(op);
        p.drawLine(QPoint(r.center().x(), r.bottom()), QPoint(r.center().x(), busY));
        leftmost = std::min(leftmost, r.center().x());
        rightmost = std::max(rightmost, r.center().x());
    }
    if (rightmost > leftmost)
        p.drawLine(QPoint(leftmost, busY), QPoint(rightmost, busY));
    // The feedback loop: out of the bottom of one box, round its right side and into the
    // top of the box it feeds.
    if (t.feedbackFrom >= 1) {
        const QRect from = operatorRect(t.feedbackFrom);
        const QRect into = operatorRect(t.feedbackInto);
        const int outY = from.bottom() + 5;
        const int inY = into.top() - 5;
        const int sideX = std::max(from.right(), into.right()) + 7;
        const QPoint pts[] = {{from.center().x(), from.bottom()}, {from.center().x(), outY}, {sideX, outY},
                              {sideX, inY},  {into.center().x(), inY}, {into.center().x(), into.top()}};
        p.drawPolyline(pts, 6);
    }
    // The boxes: black when the operator is on, red when it is off.
    for (int op = 1; op <= 6; ++op) {
        const QRect r = operatorRect(op);
        const QColor ink = operatorOn(op) ? QColor(Qt::black) : QColor(255, 0, 0);
        p.fillRect(r, palette().color(QPalette::Base));
        p.setPen(QPen(ink, 1));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.drawText(r, Qt::AlignCenter, QString::number(op));
    }
}

void AlgorithmDiagram::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const int op = operatorAt(event->position().toPoint())) {
            emit operatorClicked(op);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

}  // namespace editor
