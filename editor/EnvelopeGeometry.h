// Brevane - the shape of an envelope on its chart, and a dragged point turned back into
// a rate and a level.
//
// An envelope (operator 1..6, or 0 for the pitch envelope) has four rates R1..R4 and four
// levels L1..L4, each 0..99, at offsets 0..7 from its first VoiceData row (6 - n) x 21.
// Each rate is drawn as a segment 15000 / (2 x R^1.1 + 1) wide, so a slow rate is wide
// (R 0: 15000) and a fast one narrow (R 99: 47.696); the key-off point sits at X3 plus
// the release drawn with the factor 4 instead of 2, left of X4 for every R4 above 0.
// The six chart points are (0, L4), (X1, L1), (X2, L2), (X3, L3), (key-off, L3) and
// (X4, L4). X values are single precision, as the chart stores them.
//
// The X axis shows 0 to 16 x X4 / zoom (zoom 16: the whole envelope), the Y axis 0..100.
#pragma once

#include "editor/ChartPoint.h"

#include <array>
#include <vector>

namespace editor {

struct EnvelopeValues {
    std::array<int, 4> rate{};   // R1..R4
    std::array<int, 4> level{};  // L1..L4
};

// Where each rate's segment ends (X1..X4) and the key-off point.
struct EnvelopeX {
    std::array<float, 4> x{};
    float keyOff = 0.0F;
};

class EnvelopeGeometry {
public:
    static constexpr double kFullWidth = 15000.0;
    static constexpr int kPointCount = 6;
    static constexpr int kKeyOffPoint = 5;
    static constexpr double kLevelAxisMaximum = 100.0;
    static constexpr int kChartZoom = 16;

    // First VoiceData row of envelope n (0 pitch, 1..6 operators).
    [[nodiscard]] static constexpr int firstRow(int envelope) { return (6 - envelope) * 21; }

    // The drawn width of a segment of rate r with the factor 2 (a rate) or 4 (the release
    // up to the key-off point).
    [[nodiscard]] static double segmentWidth(int rate, double factor);
    [[nodiscard]] static EnvelopeX CalcEGChartX(const EnvelopeValues& values);
    // The six chart points, in order.
    [[nodiscard]] static std::array<ChartPoint, kPointCount> FillEGChartData(const EnvelopeValues& values,
                                                                              const EnvelopeX& x);
    // The X axis maximum for the end X4 and a zoom (a zoom below 1 counts as 16).
    [[nodiscard]] static float axisMaximum(float endX, int zoom);

    // The rate a segment of width d gives: 99 for d <= 1, 0 beyond 15000.
    [[nodiscard]] static int rateOfWidth(float d);

    // A dragged point: what DragEGPoint writes, as offsets from the envelope's first row
    // and values, in the order they are written. Point 1 or 6 (both L4) writes L4 = newY;
    // points 2..4 write the rate whose segment ends there (from the previous point's X)
    // and the level. newY is clamped to 0..99. Point 5, the key-off point, cannot be
    // dragged: nothing is written for it or any other point number.
    [[nodiscard]] static std::vector<RowChange> DragEGPoint(const EnvelopeX& x, int point, float newX, int newY);
};

}  // namespace editor
