// Brevane - one of the voice editor's charts: an envelope or a level scaling, drawn and
// picked with the mouse.
#include "editor/VoiceChart.h"

#include "editor/EnvelopeGeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <limits>

namespace editor {
namespace {

const QColor kGridColour(217, 216, 209);
const QColor kLineColour(0, 0, 255);
const QColor kMarkerColour(255, 0, 0);

// Room around the plot for the markers and, on an envelope chart, the "Off" label.
constexpr double kMargin = 6.0;
constexpr double kLabelRoom = 12.0;

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

}  // namespace

VoiceChart::VoiceChart(int index, QWidget* parent)
    : QWidget(parent),
      m_index(index),
      m_box(PlotBox::ofChart(index)),
      m_xMax(index <= 6 ? 1.0 : LevelScalingGeometry::kXAxisMaximum),
      m_yMax(index <= 6 ? EnvelopeGeometry::kLevelAxisMaximum : LevelScalingGeometry::kYAxisMaximum)
{
    setObjectName(QStringLiteral("MSChart1_%1").arg(index));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 40);
}

void VoiceChart::setEnvelope(const std::array<ChartPoint, 6>& points, double xAxisMaximum)
{
    m_xMax = xAxisMaximum > 0.0 ? xAxisMaximum : 1.0;
    setEnvelopePoints(points);
}

void VoiceChart::setEnvelopePoints(const std::array<ChartPoint, 6>& points)
{
    m_series.assign(points.begin(), points.end());
    m_pickable = m_series;
    update();
}

void VoiceChart::setLevelScaling(LevelScalingChart chart)
{
    m_series = std::move(chart.curve);
    m_pickable.assign(chart.handles.begin(), chart.handles.end());
    m_breakX = chart.breakX;
    update();
}

QRectF VoiceChart::plotRect() const
{
    const QRectF all(rect());
    return all.adjusted(kMargin, kMargin, -kMargin, -(isEnvelope() ? kLabelRoom : kMargin));
}

QPointF VoiceChart::mouseOf(QPointF pixel) const
{
    const QRectF r = plotRect();
    const double x = PlotBox::kLeft + (pixel.x() - r.left()) / r.width() * (PlotBox::kRight - PlotBox::kLeft);
    const double y = m_box.bottom + (pixel.y() - r.bottom()) / (r.top() - r.bottom()) * (m_box.top - m_box.bottom);
    return {x, y};
}

QPointF VoiceChart::pixelOf(ChartPoint value) const
{
    const QRectF r = plotRect();
    return {r.left() + value.x / m_xMax * r.width(), r.bottom() - value.y / m_yMax * r.height()};
}

QPointF VoiceChart::pixelOfPoint(int n) const
{
    if (n < 1 || n > static_cast<int>(m_pickable.size()))
        return {};
    return pixelOf(m_pickable[static_cast<std::size_t>(n - 1)]);
}

int VoiceChart::pointAt(QPointF pixel) const
{
    const QRectF visible = plotRect().adjusted(-kPickRadius, -kPickRadius, kPickRadius, kPickRadius);
    int best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    bool keyOffHit = false;
    for (int n = 1; n <= static_cast<int>(m_pickable.size()); ++n) {
        const QPointF at = pixelOfPoint(n);
        const double d = distance(at, pixel);
        if (!visible.contains(at) || d > kPickRadius)
            continue;
        // The key-off point is taken only where no other point lies.
        if (isEnvelope() && n == EnvelopeGeometry::kKeyOffPoint) {
            keyOffHit = true;
            continue;
        }
        if (d < bestDistance) {
            best = n;
            bestDistance = d;
        }
    }
    if (best == 0 && keyOffHit)
        return EnvelopeGeometry::kKeyOffPoint;
    return best;
}

void VoiceChart::paintChart(QPainter& painter) const
{
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QRectF plot = plotRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Level grid lines: every 10 of 100, every 20 of 200.
    painter.setPen(QPen(kGridColour, 1));
    const double step = m_yMax / 10.0;
    for (int i = 0; i <= 10; ++i) {
        const double y = pixelOf({0.0, i * step}).y();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    painter.drawLine(plot.topLeft(), plot.bottomLeft());

    painter.setClipRect(plot.adjusted(-kMarkerSize, -kMarkerSize, kMarkerSize, kMarkerSize));
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (!isEnvelope())
        DrawBreakPointLine(painter);
    if (!m_series.empty()) {
        QPainterPath line;
        line.moveTo(pixelOf(m_series.front()));
        for (std::size_t i = 1; i < m_series.size(); ++i)
            line.lineTo(pixelOf(m_series[i]));
        painter.setPen(QPen(isEnvelope() ? kLineColour : kMarkerColour, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(line);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kMarkerColour, 1));
    painter.setBrush(kMarkerColour);
    const double half = kMarkerSize / 2.0;
    for (int n = 1; n <= static_cast<int>(m_pickable.size()); ++n) {
        const QPointF at = pixelOfPoint(n);
        painter.drawRect(QRectF(at.x() - half, at.y() - half, kMarkerSize - 1.0, kMarkerSize - 1.0));
    }
    if (isEnvelope() && m_pickable.size() >= static_cast<std::size_t>(EnvelopeGeometry::kKeyOffPoint)) {
        painter.setClipping(false);
        const QPointF off = pixelOfPoint(EnvelopeGeometry::kKeyOffPoint);
        if (off.x() <= plot.right() + half) {
            QFont small = font();
            small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.75));
            painter.setFont(small);
            painter.setPen(palette().color(QPalette::ButtonText));
            const QRectF label(off.x() - 20.0, std::min(off.y() + half, plot.bottom()), 40.0, kLabelRoom + half);
            painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Off"));
        }
    }
    painter.restore();
}

void VoiceChart::DrawBreakPointLine(QPainter& painter) const
{
    QPen dotted(kMarkerColour, 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.drawLine(pixelOf({m_breakX, 0.0}), pixelOf({m_breakX, m_yMax}));
}

void VoiceChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintChart(painter);
}

void VoiceChart::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    emit pressed(pointAt(at), mouseOf(at), event->button(), event->modifiers());
}

void VoiceChart::mouseMoveEvent(QMouseEvent* event)
{
    emit moved(mouseOf(event->position()), event->buttons(), event->modifiers());
}

void VoiceChart::mouseReleaseEvent(QMouseEvent* event) { emit released(event->button(), event->modifiers()); }

}  // namespace editor
