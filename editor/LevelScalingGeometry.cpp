// Brevane - an operator's keyboard level scaling on its chart, and its handles dragged.
#include "editor/LevelScalingGeometry.h"

#include <algorithm>
#include <cmath>

namespace editor {
namespace {

// 100 x (1 + e^3) to three decimals: the first point of an exponential side lies at
// 99 +- D.
constexpr double kExpScale = 2108.554;

constexpr int kLinMinus = 0;
constexpr int kExpMinus = 1;
constexpr int kExpPlus = 2;
constexpr int kLinPlus = 3;

int leftRowsOf(const LevelScalingValues& v)
{
    if (LevelScalingGeometry::isLinear(v.leftCurve))
        return 1;
    return v.breakPoint == 0 ? 1 : v.breakPoint;
}

int rightRowsOf(const LevelScalingValues& v)
{
    return LevelScalingGeometry::isLinear(v.rightCurve) ? 1 : 100 - v.breakPoint;
}

// Point i (1-based, from the far end) of an exponential side of depth d, m = BP + 1 on
// the left and 101 - BP on the right.
float expPoint(int sign, int depth, int m, int i)
{
    const double k = (50.0 / m) * 0.14;
    return static_cast<float>(LevelScalingGeometry::kCentre + sign * kExpScale * (depth / 100.0) / (std::exp(3.0 + k * (i - 1)) + 1.0));
}

// The three handles: the curve's first point (left depth), the break point on the centre
// line, the curve's last point (right depth).
void SetLevScHandles(LevelScalingChart& chart, int breakPoint)
{
    chart.handles = {chart.curve.front(), ChartPoint{static_cast<double>(breakPoint), LevelScalingGeometry::kCentre},
                     chart.curve.back()};
}

}  // namespace

std::string_view LevelScalingGeometry::CurveName(int curve)
{
    switch (curve) {
    case kLinMinus: return "-LIN";
    case kExpMinus: return "-EXP";
    case kExpPlus: return "+EXP";
    case kLinPlus: return "+LIN";
    default: return "";
    }
}

bool LevelScalingGeometry::isLinear(int curve) { return CurveName(curve).ends_with("LIN"); }

int LevelScalingGeometry::sign(int curve) { return CurveName(curve).starts_with("-") ? -1 : 1; }

int LevelScalingGeometry::rowCount(const LevelScalingValues& values)
{
    const int extra = isLinear(values.leftCurve) || isLinear(values.rightCurve) ? 1 : 0;
    return leftRowsOf(values) + rightRowsOf(values) + extra;
}

LevelScalingChart LevelScalingGeometry::FillLevScChart(const LevelScalingValues& v)
{
    LevelScalingChart out;
    const int n = rowCount(v);
    out.leftRows = leftRowsOf(v);
    out.rightRows = rightRowsOf(v);
    const bool leftLinear = isLinear(v.leftCurve);
    const bool rightLinear = isLinear(v.rightCurve);
    const int bp = v.breakPoint;
    out.breakX = bp;
    // Rows 1..n; each starts as (row - 1, 99).
    out.curve.resize(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r)
        out.curve[static_cast<std::size_t>(r - 1)] = {static_cast<double>(r - 1), kCentre};
    auto at = [&](int row) -> ChartPoint& { return out.curve[static_cast<std::size_t>(row - 1)]; };

    // Left side: its far end at X 0, then (exponential) towards X BP - 1.
    if (leftLinear) {
        at(1) = {0.0, kCentre + sign(v.leftCurve) * v.leftDepth};
    } else {
        for (int i = 1; i <= out.leftRows; ++i)
            at(i) = {static_cast<double>(i - 1), expPoint(sign(v.leftCurve), v.leftDepth, bp + 1, i)};
    }
    // The break point.
    const int breakRow = leftLinear && rightLinear ? 2 : out.leftRows + 1;
    at(breakRow) = {static_cast<double>(bp), kCentre};
    // Right side: its far end at X 99, then (exponential) back to X BP.
    if (rightLinear) {
        at(out.leftRows + 2) = {kXAxisMaximum, kCentre + sign(v.rightCurve) * v.rightDepth};
    } else {
        for (int i = 1; i <= out.rightRows; ++i) {
            const int row = leftLinear ? out.rightRows - i + 3 : n - i + 1;
            at(row) = {static_cast<double>(100 - i), expPoint(sign(v.rightCurve), v.rightDepth, 101 - bp, i)};
        }
    }
    SetLevScHandles(out, bp);
    return out;
}

std::vector<RowChange> LevelScalingGeometry::DragLevScPoint(const LevelScalingValues& values, int point, float newX,
                                                            int newY)
{
    newX = std::clamp(newX, 0.0F, static_cast<float>(kXAxisMaximum));
    newY = std::clamp(newY, 0, 198);
    const int depth = std::abs(static_cast<int>(kCentre) - newY);
    if (point == 2)
        return {{kBreakPointOffset, static_cast<int>(std::floor(newX))}};
    if (point != 1 && point != 3)
        return {};
    const bool left = point == 1;
    int curve = left ? values.leftCurve : values.rightCurve;
    if (newY > kCentre) {
        if (curve == kLinMinus)
            curve = kLinPlus;
        else if (curve == kExpMinus)
            curve = kExpPlus;
    } else if (newY < kCentre) {
        if (curve == kLinPlus)
            curve = kLinMinus;
        else if (curve == kExpPlus)
            curve = kExpMinus;
    }
    return {{left ? 9 : 10, depth}, {left ? 11 : 12, curve}};
}

}  // namespace editor
