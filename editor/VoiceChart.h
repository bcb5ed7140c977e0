// Brevane - one of the voice editor's charts: an envelope or a level scaling, drawn and
// picked with the mouse.
//
// Chart 0 is the pitch envelope, 1..6 the operator envelopes, 7..12 the level scaling of
// operators 1..6. An envelope chart shows its six points joined by a blue line with red
// square markers, "Off" under the key-off point, over grid lines every 10 levels; its X
// axis maximum is set with the points (a full set-up) or kept while only the points
// change, so the axis holds still during a drag. A level-scaling chart shows the curve
// in red, a dotted red line at the break point and its three square handles.
//
// The chart reads the mouse in its plot box (PlotBox, twips), to which its own plot
// rectangle is mapped, and reports presses with the point under the mouse: one of the
// six envelope points (the key-off point only where no other point is), or one of the
// three level-scaling handles, never a curve point or the break line. What a press, a
// move or a release does is the window's.
#pragma once

#include "editor/ChartPoint.h"
#include "editor/LevelScalingGeometry.h"

#include <QWidget>

#include <array>
#include <vector>

namespace editor {

class VoiceChart final : public QWidget {
    Q_OBJECT
public:
    // Pixels around a point or handle within which a press picks it.
    static constexpr double kPickRadius = 5.0;
    // Side of a marker square in pixels (75 twips).
    static constexpr double kMarkerSize = 5.0;

    explicit VoiceChart(int index, QWidget* parent = nullptr);

    [[nodiscard]] int index() const { return m_index; }
    [[nodiscard]] bool isEnvelope() const { return m_index <= 6; }

    // An envelope's six points with the X axis maximum, or the points alone.
    void setEnvelope(const std::array<ChartPoint, 6>& points, double xAxisMaximum);
    void setEnvelopePoints(const std::array<ChartPoint, 6>& points);
    void setLevelScaling(LevelScalingChart chart);

    [[nodiscard]] double xAxisMaximum() const { return m_xMax; }
    [[nodiscard]] double yAxisMaximum() const { return m_yMax; }
    // The line drawn: the six envelope points, or the scaling curve.
    [[nodiscard]] const std::vector<ChartPoint>& series() const { return m_series; }
    // The points that can be picked: the six envelope points or the three handles.
    [[nodiscard]] const std::vector<ChartPoint>& pickable() const { return m_pickable; }
    [[nodiscard]] double breakLineX() const { return m_breakX; }

    [[nodiscard]] QRectF plotRect() const;
    // A pixel of the widget in the plot box's coordinates, and a chart value in pixels.
    [[nodiscard]] QPointF mouseOf(QPointF pixel) const;
    [[nodiscard]] QPointF pixelOf(ChartPoint value) const;
    // The point (1..6) or handle (1..3) a press at a pixel picks, 0 for none.
    [[nodiscard]] int pointAt(QPointF pixel) const;
    // Where point or handle n is drawn.
    [[nodiscard]] QPointF pixelOfPoint(int n) const;

    // Draws the chart over the widget's rectangle.
    void paintChart(QPainter& painter) const;

    QSize sizeHint() const override { return {200, isEnvelope() ? 110 : 78}; }

signals:
    // A press with the point or handle under the mouse (0 none) and the plot-box position.
    void pressed(int point, QPointF mouse, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void moved(QPointF mouse, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A level scaling's break point: a dotted red line from the bottom to the top of the plot.
    void DrawBreakPointLine(QPainter& painter) const;

    int m_index;
    PlotBox m_box;
    double m_xMax;
    double m_yMax;
    std::vector<ChartPoint> m_series;
    std::vector<ChartPoint> m_pickable;
    double m_breakX = 0.0;
};

}  // namespace editor
