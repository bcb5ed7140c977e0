// Brevane - a chart point dragged with the mouse: from the pick to the release.
#include "editor/ChartPointDrag.h"

#include "editor/ParameterEdits.h"

namespace editor {
namespace {

bool ctrlAlone(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

}  // namespace

EnvelopeValues ChartPointDrag::envelopeOf(const ParameterEdits& edits, int envelope)
{
    EnvelopeValues v;
    const int b = EnvelopeGeometry::firstRow(envelope);
    for (int i = 0; i < 4; ++i) {
        v.rate[static_cast<std::size_t>(i)] = edits.value(b + i);
        v.level[static_cast<std::size_t>(i)] = edits.value(b + 4 + i);
    }
    return v;
}

LevelScalingValues ChartPointDrag::levelScalingOf(const ParameterEdits& edits, int chart)
{
    const int b = LevelScalingGeometry::firstRowOfChart(chart) + LevelScalingGeometry::kBreakPointOffset;
    return {edits.value(b), edits.value(b + 1), edits.value(b + 2), edits.value(b + 3), edits.value(b + 4)};
}

double ChartPointDrag::yAxisMaximum(int chart)
{
    return isEnvelopeChart(chart) ? EnvelopeGeometry::kLevelAxisMaximum : LevelScalingGeometry::kYAxisMaximum;
}

bool ChartPointDrag::select(int chart, int point)
{
    if (isEnvelopeChart(chart)) {
        if (point < 1 || point > EnvelopeGeometry::kPointCount || point == EnvelopeGeometry::kKeyOffPoint)
            return false;
    } else if (!isLevelScalingChart(chart) || point < 1 || point > LevelScalingGeometry::kHandleCount) {
        return false;
    }
    m_chart = chart;
    m_point = point;
    return true;
}

bool ChartPointDrag::move(int chart, double mouseX, double mouseY, double xAxisMaximum,
                          Qt::KeyboardModifiers modifiers)
{
    if (dragMode(chart) != kDragging)
        return false;
    if (m_counter != 1) {
        ++m_counter;
        return false;
    }
    m_counter = 0;
    DragChartPoint(chart, m_point, mouseX, mouseY, xAxisMaximum, modifiers);
    return true;
}

void ChartPointDrag::DragChartPoint(int chart, int point, double mouseX, double mouseY, double xAxisMaximum,
                                    Qt::KeyboardModifiers modifiers)
{
    const PlotBox box = PlotBox::ofChart(chart);
    float newX = box.valueX(mouseX, xAxisMaximum);
    if (point == 1 || point == 5)
        newX = 0.0F;
    const int newY = box.valueY(mouseY, yAxisMaximum(chart));

    std::vector<RowChange> changes;
    int first = 0;
    if (isEnvelopeChart(chart)) {
        first = EnvelopeGeometry::firstRow(chart);
        const EnvelopeX x = EnvelopeGeometry::CalcEGChartX(envelopeOf(m_edits, chart));
        changes = EnvelopeGeometry::DragEGPoint(x, point, newX, newY);
    } else if (isLevelScalingChart(chart)) {
        first = LevelScalingGeometry::firstRowOfChart(chart);
        changes = LevelScalingGeometry::DragLevScPoint(levelScalingOf(m_edits, chart), point, newX, newY);
    }
    for (const RowChange& c : changes)
        (void)m_edits.commit(first + c.offset, c.value, EditPath::Chart);
    if (!ctrlAlone(modifiers))
        m_edits.playAuditionNote();
}

bool ChartPointDrag::release(int chart)
{
    if (dragMode(chart) != kDragging)
        return false;
    m_chart = -1;
    if (!m_edits.SendSuppressed())
        m_edits.endAuditionNote();
    return true;
}

}  // namespace editor
