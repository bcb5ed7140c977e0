// Brevane - an operator's keyboard level scaling on its chart, and its handles dragged.
//
// Five values at offsets 8..12 from the operator's first VoiceData row: the break point
// BP 0..99, the left and right depths 0..99 and the left and right curves 0..3 ("-LIN",
// "-EXP", "+EXP", "+LIN"). The chart's X runs over the 100 break-point positions 0..99,
// its Y over 0..200 with the centre line at 99: a depth D puts the far end of a side at
// 99 - D (falling curves, "-") or 99 + D (rising, "+").
//
// The curve is one polyline of N points: a linear side is its single far-end point, an
// exponential side one point per position (BP points on the left, at least 1, and
// 100 - BP on the right), with the break point (BP, 99) between them when a side is
// linear: two linear sides give 3 points, two exponential sides 100 (101 at BP 0).
// Each exponential side starts at full depth at its far end and flattens towards 99 as
// it nears the break point; the right side always ends at X = BP, so at BP 0 it spans
// 99..0 and every point, and the right handle, stays on the 0..99 axis.
//
// Three handles are dragged: 1 the left depth (the curve's first point), 2 the break
// point (BP, 99), 3 the right depth (the curve's last point).
#pragma once

#include "editor/ChartPoint.h"

#include <array>
#include <string_view>
#include <vector>

namespace editor {

struct LevelScalingValues {
    int breakPoint = 0;
    int leftDepth = 0;
    int rightDepth = 0;
    int leftCurve = 0;
    int rightCurve = 0;
};

struct LevelScalingChart {
    std::vector<ChartPoint> curve;  // N points, left to right
    double breakX = 0.0;
    std::array<ChartPoint, 3> handles{};
    int leftRows = 0;   // L
    int rightRows = 0;  // R
};

class LevelScalingGeometry {
public:
    static constexpr double kXAxisMaximum = 99.0;
    static constexpr double kYAxisMaximum = 200.0;
    static constexpr double kCentre = 99.0;
    static constexpr int kHandleCount = 3;
    static constexpr int kBreakPointOffset = 8;

    // The first VoiceData row of the operator of level-scaling chart 7..12.
    [[nodiscard]] static constexpr int firstRowOfChart(int chart) { return (12 - chart) * 21; }

    // "-LIN", "-EXP", "+EXP", "+LIN"; "" for any other value.
    [[nodiscard]] static std::string_view CurveName(int curve);
    [[nodiscard]] static bool isLinear(int curve);
    // -1 for a falling curve, +1 otherwise.
    [[nodiscard]] static int sign(int curve);
    // N = L + R + E (see above).
    [[nodiscard]] static int rowCount(const LevelScalingValues& values);
    [[nodiscard]] static LevelScalingChart FillLevScChart(const LevelScalingValues& values);

    // A dragged handle, with new X and Y in chart units (clamped to 0..99 and 0..198):
    // what DragLevScPoint writes, as offsets from the operator's first row. Handle 2
    // writes BP = the whole part of X; handles 1 and 3 write that side's depth |99 - Y|
    // and its curve, switched to its rising form above the centre line and to its
    // falling form below it (kept at exactly 99). Any other point writes nothing.
    [[nodiscard]] static std::vector<RowChange> DragLevScPoint(const LevelScalingValues& values, int point, float newX,
                                                               int newY);
};

}  // namespace editor
