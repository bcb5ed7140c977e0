// Brevane - dragging chart points: what each step writes and sends, and that nothing in
// a step waits.
#include "EditorTestSupport.h"

#include "editor/ChartPointDrag.h"
#include "editor/ParameterEdits.h"
#include "editor/ParameterTexts.h"
#include "platform/testing/ScriptedServices.h"

namespace {

using editor::ChartPointDrag;
using editor::EnvelopeGeometry;
using editor::ParameterEdits;
using editor::PlotBox;
using editor::testing::LoadedVoice;
using editor::testing::RecordingOutput;
using editor::testing::plainVoice;
using Sent = std::vector<std::pair<int, int>>;

constexpr int kOp1 = (6 - 1) * 21;  // operator 1's first row
constexpr int kEnvelope1 = 1;
constexpr int kScaling1 = 7;

// Where the mouse is for a chart value, in the chart's plot box.
double mouseX(double x, double xMax) { return PlotBox::kLeft + x / xMax * (PlotBox::kRight - PlotBox::kLeft); }
double mouseY(int chart, double y)
{
    const PlotBox box = PlotBox::ofChart(chart);
    return box.bottom + y / ChartPointDrag::yAxisMaximum(chart) * (box.top - box.bottom);
}

class ChartDragTest : public ::testing::Test {
protected:
    ChartDragTest() : voice(plainVoice())
    {
        edits.setVoice(voice.voiceData, voice.proxyData);
        editor::RefreshAllTexts(edits.voice(), edits.proxy());
    }
    // The X axis of operator 1's envelope chart as a full set-up draws it.
    float envelopeAxis() const
    {
        const auto x = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(edits, kEnvelope1));
        return EnvelopeGeometry::axisMaximum(x.x[3], 16);
    }
    // Two moves to (x, y) in chart units: the second runs the step.
    void step(int chart, double x, double y, double xMax, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        EXPECT_FALSE(drag.move(chart, mouseX(x, xMax), mouseY(chart, y), xMax, modifiers));
        EXPECT_TRUE(drag.move(chart, mouseX(x, xMax), mouseY(chart, y), xMax, modifiers));
    }

    platform::testing::ScriptedServices ui;
    RecordingOutput out;
    LoadedVoice voice;
    ParameterEdits edits;
    ChartPointDrag drag{edits};
};

TEST_F(ChartDragTest, AnEnvelopePointBecomesARateAndALevelAndBothAreSent)
{
    const float axis = envelopeAxis();
    const auto x = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(edits, kEnvelope1));
    ASSERT_TRUE(drag.select(kEnvelope1, 3));
    EXPECT_EQ(drag.dragMode(kEnvelope1), ChartPointDrag::kDragging);
    EXPECT_EQ(drag.dragMode(2), ChartPointDrag::kIdle);
    // Point 3 ends R2: dragged to a segment of rate 20's width, up to level 70.
    step(kEnvelope1, x.x[0] + EnvelopeGeometry::segmentWidth(20, 2.0), 70.0, axis);
    EXPECT_EQ(edits.value(kOp1 + 1), 20);
    EXPECT_EQ(edits.value(kOp1 + 5), 70);
    EXPECT_EQ(out.parameters, (Sent{{kOp1 + 2, 20}, {kOp1 + 6, 70}}));
    EXPECT_EQ(out.notes, 1);
    // Nothing else of the envelope moved.
    EXPECT_EQ(edits.value(kOp1), 51);
    EXPECT_EQ(edits.value(kOp1 + 2), 51);
    EXPECT_EQ(edits.value(kOp1 + 7), 51);

    // Above the top and below the bottom of the chart: 99 and 0.
    step(kEnvelope1, x.x[0] + 100.0, 130.0, axis);
    EXPECT_EQ(edits.value(kOp1 + 5), 99);
    step(kEnvelope1, x.x[0] + 100.0, -40.0, axis);
    EXPECT_EQ(edits.value(kOp1 + 5), 0);
    EXPECT_TRUE(drag.release(kEnvelope1));
    EXPECT_EQ(out.noteOffs, 1);
    EXPECT_FALSE(drag.dragging());
}

TEST_F(ChartDragTest, TheFirstAndLastPointsChangeL4AndItIsSent)
{
    const float axis = envelopeAxis();
    ASSERT_TRUE(drag.select(kEnvelope1, 1));
    step(kEnvelope1, 300.0, 12.0, axis);
    EXPECT_EQ(edits.value(kOp1 + 7), 12);
    ASSERT_TRUE(drag.release(kEnvelope1));
    ASSERT_TRUE(drag.select(kEnvelope1, 6));
    step(kEnvelope1, 0.0, 88.0, axis);
    EXPECT_EQ(edits.value(kOp1 + 7), 88);
    EXPECT_EQ(out.parameters, (Sent{{kOp1 + 8, 12}, {kOp1 + 8, 88}}));
    // The rates stay as they were, wherever the point went sideways.
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(edits.value(kOp1 + r), 51);
}

TEST_F(ChartDragTest, ThePitchEnvelopeChartWritesThePitchEnvelope)
{
    ASSERT_TRUE(drag.select(0, 2));
    const auto x = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(edits, 0));
    step(0, EnvelopeGeometry::segmentWidth(75, 2.0), 25.0, EnvelopeGeometry::axisMaximum(x.x[3], 16));
    EXPECT_EQ(edits.value(126), 75);
    EXPECT_EQ(edits.value(130), 25);
    EXPECT_EQ(out.parameters, (Sent{{127, 75}, {131, 25}}));
}

TEST_F(ChartDragTest, TheKeyOffPointCannotBeTaken)
{
    EXPECT_FALSE(drag.select(kEnvelope1, 5));
    EXPECT_FALSE(drag.dragging());
    EXPECT_FALSE(drag.move(kEnvelope1, 500.0, 500.0, 100.0, Qt::NoModifier));
    EXPECT_FALSE(drag.move(kEnvelope1, 500.0, 500.0, 100.0, Qt::NoModifier));
    EXPECT_TRUE(out.parameters.empty());
    // Nor a point that is not there, nor a curve point of a level-scaling chart.
    EXPECT_FALSE(drag.select(kEnvelope1, 7));
    EXPECT_FALSE(drag.select(kScaling1, 4));
    EXPECT_FALSE(drag.select(13, 1));
}

TEST_F(ChartDragTest, LevelScalingHandlesAreWrittenAndSent)
{
    // Operator 1: BP 39, "-LIN" left and "+LIN" right, both depths 0.
    ASSERT_TRUE(drag.select(kScaling1, 2));
    step(kScaling1, 45.7, 150.0, 99.0);
    EXPECT_EQ(edits.value(kOp1 + 8), 45);
    EXPECT_EQ(out.parameters, (Sent{{kOp1 + 9, 45}}));
    EXPECT_EQ(edits.displayText(kOp1 + 8), "F#3");
    ASSERT_TRUE(drag.release(kScaling1));

    // The left handle dragged above the centre line: depth |99 - Y| and a rising curve.
    out.clear();
    ASSERT_TRUE(drag.select(kScaling1, 1));
    step(kScaling1, 0.0, 160.0, 99.0);
    EXPECT_EQ(edits.value(kOp1 + 9), 61);
    EXPECT_EQ(edits.value(kOp1 + 11), 3);
    EXPECT_EQ(edits.displayText(kOp1 + 11), "+LIN");
    EXPECT_EQ(out.parameters, (Sent{{kOp1 + 10, 61}, {kOp1 + 12, 3}}));
    EXPECT_EQ(out.notes, 1);
    // Off the chart the depth stops at 99.
    step(kScaling1, 0.0, 500.0, 99.0);
    EXPECT_EQ(edits.value(kOp1 + 9), 99);
}

TEST_F(ChartDragTest, CtrlAloneSilencesTheNoteButNotTheChanges)
{
    const float axis = envelopeAxis();
    edits.setSendSuppressed(true);  // Ctrl held
    ASSERT_TRUE(drag.select(kEnvelope1, 4));
    step(kEnvelope1, 2000.0, 40.0, axis, Qt::ControlModifier);
    EXPECT_EQ(out.sends(), 2);
    EXPECT_EQ(out.notes, 0);
    // Ctrl with another key is not Ctrl alone.
    step(kEnvelope1, 2000.0, 41.0, axis, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(out.sends(), 4);
    EXPECT_EQ(out.notes, 1);
    // The release with Ctrl held leaves the note to its timer.
    ASSERT_TRUE(drag.release(kEnvelope1));
    EXPECT_EQ(out.noteOffs, 0);
}

TEST_F(ChartDragTest, WithTheOutputClosedTheValuesChangeAndNothingIsSent)
{
    out.open = false;
    ASSERT_TRUE(drag.select(kScaling1, 3));
    step(kScaling1, 99.0, 20.0, 99.0);
    EXPECT_EQ(edits.value(kOp1 + 10), 79);
    EXPECT_EQ(edits.value(kOp1 + 12), 0);
    ASSERT_TRUE(drag.release(kScaling1));
    EXPECT_TRUE(out.parameters.empty());
    EXPECT_EQ(out.notes, 0);
    EXPECT_EQ(out.noteOffs, 0);
}

TEST_F(ChartDragTest, EverySecondMoveIsAStepAndTheCounterOutlivesTheDrag)
{
    const float axis = envelopeAxis();
    ASSERT_TRUE(drag.select(kEnvelope1, 2));
    int steps = 0;
    for (int i = 0; i < 7; ++i)
        steps += drag.move(kEnvelope1, mouseX(100.0 + i, axis), mouseY(kEnvelope1, 50.0), axis, Qt::NoModifier) ? 1 : 0;
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(out.notes, 3);
    ASSERT_TRUE(drag.release(kEnvelope1));
    // The next drag's first move completes the pair left open.
    ASSERT_TRUE(drag.select(kEnvelope1, 2));
    EXPECT_TRUE(drag.move(kEnvelope1, mouseX(100.0, axis), mouseY(kEnvelope1, 50.0), axis, Qt::NoModifier));
    // A move over another chart is not part of this drag.
    EXPECT_FALSE(drag.move(3, mouseX(100.0, axis), mouseY(3, 50.0), axis, Qt::NoModifier));
    EXPECT_FALSE(drag.release(3));
}

TEST_F(ChartDragTest, AHundredMovesNeverWaitAndNeverNest)
{
    // Were a step to wait (yielding to the event loop), the loop would deliver the next
    // move inside it; the virtual clock would move and the moves would nest.
    const float axis = envelopeAxis();
    int depth = 0;
    int deepest = 0;
    int waits = 0;
    int next = 0;
    std::function<void()> moveOnce = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        const int i = next++;
        (void)drag.move(kEnvelope1, mouseX(50.0 + i * 10.0, axis), mouseY(kEnvelope1, i % 100), axis, Qt::NoModifier);
        --depth;
    };
    ui.onProcessEvents([&](std::int64_t) {
        ++waits;
        if (next < 100)
            moveOnce();
    });
    const std::int64_t start = ui.nowMs();
    ASSERT_TRUE(drag.select(kEnvelope1, 3));
    while (next < 100)
        moveOnce();
    ASSERT_TRUE(drag.release(kEnvelope1));
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(ui.nowMs(), start);
    // Fifty steps, each sending its rate and level and sounding the note once.
    EXPECT_EQ(out.sends(), 100);
    EXPECT_EQ(out.notes, 50);
    EXPECT_EQ(out.noteOffs, 1);
}

}  // namespace
