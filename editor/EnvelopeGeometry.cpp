// Brevane - the shape of an envelope on its chart, and a dragged point turned back into
// a rate and a level.
#include "editor/EnvelopeGeometry.h"

#include <algorithm>
#include <cmath>

namespace editor {

float PlotBox::valueX(double mouseX, double axisMaximum) const
{
    return static_cast<float>((mouseX - kLeft) / (kRight - kLeft) * axisMaximum);
}

int PlotBox::valueY(double mouseY, double axisMaximum) const
{
    return static_cast<int>(std::nearbyint((mouseY - bottom) / (top - bottom) * axisMaximum));
}

double EnvelopeGeometry::segmentWidth(int rate, double factor)
{
    return kFullWidth / (factor * std::pow(static_cast<double>(rate), 1.1) + 1.0);
}

EnvelopeX EnvelopeGeometry::CalcEGChartX(const EnvelopeValues& values)
{
    EnvelopeX out;
    float previous = 0.0F;
    for (std::size_t i = 0; i < 4; ++i) {
        const double w = segmentWidth(values.rate[i], 2.0);
        out.x[i] = static_cast<float>(static_cast<double>(previous) + w);
        previous = out.x[i];
        if (i == 3)
            out.keyOff = static_cast<float>((static_cast<double>(out.x[3]) - w) + segmentWidth(values.rate[3], 4.0));
    }
    return out;
}

std::array<ChartPoint, EnvelopeGeometry::kPointCount> EnvelopeGeometry::FillEGChartData(const EnvelopeValues& values,
                                                                                       const EnvelopeX& x)
{
    return {ChartPoint{0.0, static_cast<double>(values.level[3])},
            ChartPoint{x.x[0], static_cast<double>(values.level[0])},
            ChartPoint{x.x[1], static_cast<double>(values.level[1])},
            ChartPoint{x.x[2], static_cast<double>(values.level[2])},
            ChartPoint{x.keyOff, static_cast<double>(values.level[2])},
            ChartPoint{x.x[3], static_cast<double>(values.level[3])}};
}

float EnvelopeGeometry::axisMaximum(float endX, int zoom)
{
    if (zoom < 1)
        zoom = kChartZoom;
    return static_cast<float>(16.0 * static_cast<double>(endX) / zoom);
}

int EnvelopeGeometry::rateOfWidth(float d)
{
    if (d < 1.0F)
        d = 1.0F;
    const double width = static_cast<double>(d);
    if (static_cast<float>(kFullWidth / width) < 1.0F)
        return 0;
    const double rate = std::pow((kFullWidth / width - 1.0) / 2.0, 1.0 / 1.1);
    return std::min(99, static_cast<int>(std::nearbyint(rate)));
}

std::vector<RowChange> EnvelopeGeometry::DragEGPoint(const EnvelopeX& x, int point, float newX, int newY)
{
    newY = std::clamp(newY, 0, 99);
    if (point == 1 || point == 6)
        return {{7, newY}};
    if (point < 2 || point > 4)
        return {};
    // Point k + 1 ends the segment of rate k.
    const int k = point - 1;
    const float previousX = k == 1 ? 0.0F : x.x[static_cast<std::size_t>(k - 2)];
    const int rate = rateOfWidth(newX - previousX);
    return {{k - 1, rate}, {k + 3, newY}};
}

}  // namespace editor
