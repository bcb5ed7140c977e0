// Brevane - a chart point dragged with the mouse: from the pick to the release.
//
// The editor's 13 charts are numbered 0 (pitch envelope), 1..6 (operator envelopes) and
// 7..12 (level scaling of operators 1..6). Picking a point puts its chart into drag mode
// 2; every second mouse move over the chart then runs one drag step (DragChartPoint):
// the mouse position is read in the chart's plot box, turned into the values the point
// stands for, and each value goes through the editor's commit on the chart path, which
// writes it, shows it and sends it whenever the MIDI output is open, Ctrl or not. The
// step then sounds the timed audition note, unless Ctrl alone is held. Nothing in a step
// waits: the note is ended by its own timer, or by the release.
//
// The move counter belongs to the window and keeps its value from one drag to the next.
#pragma once

#include "editor/EnvelopeGeometry.h"
#include "editor/LevelScalingGeometry.h"

#include <Qt>

namespace editor {

class ParameterEdits;

class ChartPointDrag {
public:
    static constexpr int kIdle = 1;
    static constexpr int kDragging = 2;

    explicit ChartPointDrag(ParameterEdits& edits) : m_edits(edits) {}

    // The values a chart shows, read from the voice.
    [[nodiscard]] static EnvelopeValues envelopeOf(const ParameterEdits& edits, int envelope);
    [[nodiscard]] static LevelScalingValues levelScalingOf(const ParameterEdits& edits, int chart);
    [[nodiscard]] static bool isEnvelopeChart(int chart) { return chart >= 0 && chart <= 6; }
    [[nodiscard]] static bool isLevelScalingChart(int chart) { return chart >= 7 && chart <= 12; }
    // The Y axis maximum of a chart (100 envelopes, 200 level scaling).
    [[nodiscard]] static double yAxisMaximum(int chart);

    // Point 1..6 of an envelope chart or handle 1..3 of a level-scaling chart picked:
    // drag mode 2. The key-off point (5) of an envelope is refused: false, nothing changes.
    bool select(int chart, int point);
    [[nodiscard]] int dragMode(int chart) const { return chart == m_chart ? kDragging : kIdle; }
    [[nodiscard]] bool dragging() const { return m_chart >= 0; }
    [[nodiscard]] int chart() const { return m_chart; }
    [[nodiscard]] int SelectedPoint() const { return m_point; }
    [[nodiscard]] int moveCounter() const { return m_counter; }

    // A mouse move over a chart, in its plot-box coordinates, with the chart's current X
    // axis maximum. Only in drag mode 2; every second such move runs a step. True when a
    // step ran.
    bool move(int chart, double mouseX, double mouseY, double xAxisMaximum, Qt::KeyboardModifiers modifiers);
    // One drag step for a point of a chart (the mouse button does not matter).
    void DragChartPoint(int chart, int point, double mouseX, double mouseY, double xAxisMaximum,
                        Qt::KeyboardModifiers modifiers);
    // The mouse released over a chart: drag mode 1, and the audition note ended unless
    // sending is suppressed (Ctrl). True when a point drag ended.
    bool release(int chart);
    // Ends a drag without a note off (the window lost the mouse).
    void cancel() { m_chart = -1; }

private:
    ParameterEdits& m_edits;
    int m_chart = -1;
    int m_point = 0;
    int m_counter = 0;
};

}  // namespace editor
