// Brevane - what the chart geometry works in: points in chart units, written rows, and
// the box a mouse position is read in.
#pragma once

namespace editor {

// A point in a chart's own units (X along the axis, Y 0..100 or 0..200).
struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// A value a chart drag writes: the row as an offset from the first row of the operator
// (or of the pitch envelope), and the value.
struct RowChange {
    int offset = 0;
    int value = 0;
    friend bool operator==(const RowChange&, const RowChange&) = default;
};

// The plot area of a chart in its mouse coordinates (twips: 15 to a pixel at 96 dpi).
// The same box serves every chart horizontally, 240..1800; vertically bottom and top are
// 1695 and 285 on the envelope charts and 1275 and 300 on the level-scaling charts. A
// chart widget maps its own plot rectangle onto this box.
struct PlotBox {
    static constexpr double kLeft = 240.0;
    static constexpr double kRight = 1800.0;
    double bottom = 1695.0;
    double top = 285.0;

    // Chart index 0..6 (envelopes) or 7..12 (level scaling).
    [[nodiscard]] static constexpr PlotBox ofChart(int chart)
    {
        return chart <= 6 ? PlotBox{1695.0, 285.0} : PlotBox{1275.0, 300.0};
    }
    // The chart value at a mouse X (single precision, not clamped).
    [[nodiscard]] float valueX(double mouseX, double axisMaximum) const;
    // The chart value at a mouse Y, rounded (halves to even), not clamped.
    [[nodiscard]] int valueY(double mouseY, double axisMaximum) const;
};

}  // namespace editor
