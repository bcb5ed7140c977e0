// Brevane - the envelope and level-scaling charts' geometry, a dragged point read back
// into values, and which voice elements may be dropped on which.
#include "editor/EnvelopeGeometry.h"
#include "editor/LevelScalingGeometry.h"
#include "editor/VoiceElements.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using editor::ChartPoint;
using editor::ElementKind;
using editor::ElementRef;
using editor::EnvelopeGeometry;
using editor::EnvelopeValues;
using editor::LevelScalingGeometry;
using editor::LevelScalingValues;
using editor::PlotBox;
using editor::RowChange;

EnvelopeValues rates(int r1, int r2, int r3, int r4)
{
    EnvelopeValues v;
    v.rate = {r1, r2, r3, r4};
    v.level = {99, 80, 60, 0};
    return v;
}

// ---------------------------------------------------------------- envelope

TEST(EnvelopeGeometry, SegmentWidthsOfSlowAndFastRates)
{
    struct Case {
        int rate;
        double rateWidth;
        double releaseWidth;
    };
    for (const Case c : {Case{0, 15000.0, 15000.0}, Case{1, 5000.0, 3000.0}, Case{10, 572.989, 292.073},
                         Case{50, 100.755, 50.547}, Case{99, 47.696, 23.886}}) {
        EXPECT_NEAR(EnvelopeGeometry::segmentWidth(c.rate, 2.0), c.rateWidth, 0.0005) << c.rate;
        EXPECT_NEAR(EnvelopeGeometry::segmentWidth(c.rate, 4.0), c.releaseWidth, 0.0005) << c.rate;
    }
}

TEST(EnvelopeGeometry, PointsFollowTheRatesAndTheKeyOffPointSitsBeforeTheEnd)
{
    // All rates 0: every segment 15000 wide, the key-off point on the end.
    const auto slow = EnvelopeGeometry::CalcEGChartX(rates(0, 0, 0, 0));
    EXPECT_FLOAT_EQ(slow.x[0], 15000.0F);
    EXPECT_FLOAT_EQ(slow.x[3], 60000.0F);
    EXPECT_FLOAT_EQ(slow.keyOff, 60000.0F);

    // R4 99: the key-off point 23.886 after X3, the end 47.696 after it.
    const auto fast = EnvelopeGeometry::CalcEGChartX(rates(50, 10, 1, 99));
    EXPECT_NEAR(fast.x[0], 100.755, 0.001);
    EXPECT_NEAR(fast.x[1] - fast.x[0], 572.989, 0.001);
    EXPECT_NEAR(fast.keyOff - fast.x[2], 23.886, 0.001);
    EXPECT_NEAR(fast.x[3] - fast.x[2], 47.696, 0.001);

    const EnvelopeValues v = rates(50, 10, 1, 99);
    const auto p = EnvelopeGeometry::FillEGChartData(v, fast);
    EXPECT_EQ(p[0], (ChartPoint{0.0, 0.0}));  // starts at L4
    EXPECT_EQ(p[1].y, 99.0);
    EXPECT_EQ(p[3].y, 60.0);
    EXPECT_EQ(p[4].y, 60.0);  // the key-off point holds L3
    EXPECT_EQ(p[5], (ChartPoint{fast.x[3], 0.0}));
}

TEST(EnvelopeGeometry, TheZoomShowsTheWholeEnvelopeOrPartOfIt)
{
    EXPECT_FLOAT_EQ(EnvelopeGeometry::axisMaximum(1000.0F, 16), 1000.0F);
    EXPECT_FLOAT_EQ(EnvelopeGeometry::axisMaximum(1000.0F, 32), 500.0F);
    EXPECT_FLOAT_EQ(EnvelopeGeometry::axisMaximum(1000.0F, 1), 16000.0F);
    EXPECT_FLOAT_EQ(EnvelopeGeometry::axisMaximum(1000.0F, 0), 1000.0F);
}

TEST(EnvelopeGeometry, DraggingAPointGivesBackTheRateItWasDrawnWith)
{
    // A point put exactly where a rate draws it reads back as that rate, for every rate.
    for (int r = 0; r <= 99; ++r) {
        const auto x = EnvelopeGeometry::CalcEGChartX(rates(20, r, 30, 40));
        const auto changes = EnvelopeGeometry::DragEGPoint(x, 3, x.x[1], 55);
        ASSERT_EQ(changes, (std::vector<RowChange>{{1, r}, {5, 55}})) << r;
    }
}

TEST(EnvelopeGeometry, DragsAreClampedToTheRatesAndLevels)
{
    const auto x = EnvelopeGeometry::CalcEGChartX(rates(20, 30, 40, 50));
    // Left of the previous point (d <= 1): the fastest rate; far right: the slowest.
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 3, x.x[0] - 40.0F, 50)[0], (RowChange{1, 99}));
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 3, x.x[0] + 1.0F, 50)[0], (RowChange{1, 99}));
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 2, 15001.0F, 50)[0], (RowChange{0, 0}));
    EXPECT_EQ(EnvelopeGeometry::rateOfWidth(15000.0F), 0);
    // Above the top and below the bottom.
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 4, x.x[2], 140)[1], (RowChange{6, 99}));
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 4, x.x[2], -3)[1], (RowChange{6, 0}));
    // The first and last points are L4 alone, wherever they are dragged sideways.
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 1, 9999.0F, 12), (std::vector<RowChange>{{7, 12}}));
    EXPECT_EQ(EnvelopeGeometry::DragEGPoint(x, 6, 0.0F, 77), (std::vector<RowChange>{{7, 77}}));
    // The key-off point and points that do not exist change nothing.
    EXPECT_TRUE(EnvelopeGeometry::DragEGPoint(x, 5, 10.0F, 10).empty());
    EXPECT_TRUE(EnvelopeGeometry::DragEGPoint(x, 0, 10.0F, 10).empty());
    EXPECT_TRUE(EnvelopeGeometry::DragEGPoint(x, 7, 10.0F, 10).empty());
}

TEST(PlotBox, MousePositionsAreReadInTheChartsBox)
{
    const PlotBox eg = PlotBox::ofChart(3);
    EXPECT_FLOAT_EQ(eg.valueX(240.0, 500.0), 0.0F);
    EXPECT_FLOAT_EQ(eg.valueX(1800.0, 500.0), 500.0F);
    EXPECT_FLOAT_EQ(eg.valueX(1020.0, 500.0), 250.0F);
    EXPECT_EQ(eg.valueY(1695.0, 100.0), 0);
    EXPECT_EQ(eg.valueY(285.0, 100.0), 100);
    // Outside the box the values run on (the drags clamp them).
    EXPECT_LT(eg.valueX(100.0, 500.0), 0.0F);
    EXPECT_GT(eg.valueY(0.0, 100.0), 100);
    const PlotBox ls = PlotBox::ofChart(9);
    EXPECT_EQ(ls.valueY(1275.0, 200.0), 0);
    EXPECT_EQ(ls.valueY(300.0, 200.0), 200);
}

// ---------------------------------------------------------------- level scaling

LevelScalingValues scaling(int bp, int ld, int rd, int lc, int rc) { return {bp, ld, rd, lc, rc}; }

TEST(LevelScalingGeometry, CurveNamesKindsAndSigns)
{
    EXPECT_EQ(LevelScalingGeometry::CurveName(0), "-LIN");
    EXPECT_EQ(LevelScalingGeometry::CurveName(1), "-EXP");
    EXPECT_EQ(LevelScalingGeometry::CurveName(2), "+EXP");
    EXPECT_EQ(LevelScalingGeometry::CurveName(3), "+LIN");
    EXPECT_EQ(LevelScalingGeometry::CurveName(4), "");
    EXPECT_TRUE(LevelScalingGeometry::isLinear(0));
    EXPECT_FALSE(LevelScalingGeometry::isLinear(2));
    EXPECT_EQ(LevelScalingGeometry::sign(1), -1);
    EXPECT_EQ(LevelScalingGeometry::sign(3), 1);
}

TEST(LevelScalingGeometry, RowCounts)
{
    EXPECT_EQ(LevelScalingGeometry::rowCount(scaling(40, 10, 10, 0, 3)), 3);
    EXPECT_EQ(LevelScalingGeometry::rowCount(scaling(50, 10, 10, 1, 2)), 100);
    EXPECT_EQ(LevelScalingGeometry::rowCount(scaling(0, 10, 10, 1, 2)), 101);
    // One exponential side: its points, the other side's end and the break point.
    EXPECT_EQ(LevelScalingGeometry::rowCount(scaling(30, 10, 10, 1, 0)), 32);
    EXPECT_EQ(LevelScalingGeometry::rowCount(scaling(30, 10, 10, 3, 2)), 72);
}

TEST(LevelScalingGeometry, TwoLinearSidesAreThreePoints)
{
    const auto chart = LevelScalingGeometry::FillLevScChart(scaling(40, 20, 30, 0, 3));
    EXPECT_EQ(chart.curve, (std::vector<ChartPoint>{{0.0, 79.0}, {40.0, 99.0}, {99.0, 129.0}}));
    EXPECT_EQ(chart.breakX, 40.0);
    EXPECT_EQ(chart.handles[0], (ChartPoint{0.0, 79.0}));
    EXPECT_EQ(chart.handles[1], (ChartPoint{40.0, 99.0}));
    EXPECT_EQ(chart.handles[2], (ChartPoint{99.0, 129.0}));
}

TEST(LevelScalingGeometry, ExponentialSidesMeetAtTheBreakPoint)
{
    const auto chart = LevelScalingGeometry::FillLevScChart(scaling(50, 30, 99, 1, 2));
    ASSERT_EQ(chart.curve.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(chart.curve[static_cast<std::size_t>(i)].x, i) << i;
    // The left side runs from full depth at X 0 towards 99.
    EXPECT_NEAR(chart.curve[0].y, 69.0, 0.0005);
    EXPECT_LT(chart.curve[49].y, 99.0);
    EXPECT_GT(chart.curve[49].y, chart.curve[0].y);
    // "+EXP" at depth 99: 198.000 at the far right, 99.125 next to the break point
    // (the row at X 50 carries the right side's last point).
    EXPECT_NEAR(chart.curve[99].y, 198.0, 0.0005);
    EXPECT_NEAR(chart.curve[50].y, 99.125, 0.0005);
    EXPECT_EQ(chart.handles[2], chart.curve[99]);
    EXPECT_EQ(chart.handles[1], (ChartPoint{50.0, 99.0}));
}

TEST(LevelScalingGeometry, DepthZeroIsFlatWhateverTheCurve)
{
    for (int lc = 0; lc <= 3; ++lc)
        for (int rc = 0; rc <= 3; ++rc)
            for (const ChartPoint& p : LevelScalingGeometry::FillLevScChart(scaling(37, 0, 0, lc, rc)).curve)
                EXPECT_NEAR(p.y, 99.0, 0.0005) << lc << rc;
}

TEST(LevelScalingGeometry, EveryPointAndHandleLiesOnTheChart)
{
    // At BP 0 with an exponential left side, the left side is one point at full depth and
    // the right side still ends at the axis maximum 99.
    const auto low = LevelScalingGeometry::FillLevScChart(scaling(0, 40, 60, 1, 1));
    ASSERT_EQ(low.curve.size(), 101u);
    EXPECT_EQ(low.curve[0].x, 0.0);
    EXPECT_NEAR(low.curve[0].y, 59.0, 0.0005);
    EXPECT_NEAR(low.curve[100].x, 99.0, 0.0);
    EXPECT_NEAR(low.curve[100].y, 39.0, 0.0005);
    EXPECT_EQ(low.handles[2], low.curve[100]);
    for (int bp = 0; bp <= 99; ++bp)
        for (int lc = 0; lc <= 3; ++lc)
            for (int rc = 0; rc <= 3; ++rc) {
                const auto chart = LevelScalingGeometry::FillLevScChart(scaling(bp, 99, 99, lc, rc));
                ASSERT_EQ(static_cast<int>(chart.curve.size()), LevelScalingGeometry::rowCount(scaling(bp, 99, 99, lc, rc)));
                double previous = -1.0;
                for (const ChartPoint& p : chart.curve) {
                    ASSERT_GE(p.x, previous) << bp << lc << rc;  // left to right
                    ASSERT_LE(p.x, 99.0) << bp << lc << rc;
                    // Full depth lies at 99 +- 99 (to the curve's constant's precision).
                    ASSERT_GE(p.y, -0.0005);
                    ASSERT_LE(p.y, 198.0005);
                    previous = p.x;
                }
                EXPECT_EQ(chart.handles[0].x, 0.0);
                EXPECT_EQ(chart.handles[2].x, 99.0);
            }
}

TEST(LevelScalingGeometry, DraggingTheHandles)
{
    const LevelScalingValues v = scaling(50, 20, 30, 1, 3);
    // The break handle: the whole part of X.
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 2, 45.7F, 120), (std::vector<RowChange>{{8, 45}}));
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 2, 140.0F, 0), (std::vector<RowChange>{{8, 99}}));
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 2, -3.0F, 0), (std::vector<RowChange>{{8, 0}}));
    // The left handle crossing the centre line upwards: "-EXP" becomes "+EXP".
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 1, 0.0F, 140), (std::vector<RowChange>{{9, 41}, {11, 2}}));
    // On the centre line: depth 0, the curve kept.
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 1, 0.0F, 99), (std::vector<RowChange>{{9, 0}, {11, 1}}));
    // The right handle below the line: "+LIN" becomes "-LIN"; far off the chart the
    // depth stops at 99.
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 3, 99.0F, -50), (std::vector<RowChange>{{10, 99}, {12, 0}}));
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(v, 3, 99.0F, 400), (std::vector<RowChange>{{10, 99}, {12, 3}}));
    // Falling curves stay falling below, rising curves rising above.
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(scaling(50, 0, 0, 0, 2), 1, 0.0F, 60)[1], (RowChange{11, 0}));
    EXPECT_EQ(LevelScalingGeometry::DragLevScPoint(scaling(50, 0, 0, 0, 2), 3, 0.0F, 160)[1], (RowChange{12, 2}));
    EXPECT_TRUE(LevelScalingGeometry::DragLevScPoint(v, 4, 0.0F, 0).empty());
}

// ---------------------------------------------------------------- element rules

// What each control holds; a drop fits only between controls of one class.
std::string classOf(ElementKind kind, int index)
{
    if (kind == ElementKind::Title)
        return index == 0 ? "non-operator" : "operator";
    const std::string prefix = kind == ElementKind::Chart ? "chart " : "grid ";
    if (index == 0)
        return prefix + "pitch EG";
    if (index <= 6)
        return prefix + "EG";
    if (index <= 12)
        return prefix + "level scaling";
    if (index <= 18)
        return prefix + "oscillator";
    if (index <= 24)
        return prefix + "sensitivity";
    return prefix + (index == 25 ? "LFO" : "Misc");
}

std::vector<ElementRef> everyControl(const std::string& editor)
{
    std::vector<ElementRef> out;
    for (int i = 0; i <= 26; ++i)
        out.push_back({"L0001", editor, ElementKind::Grid, i});
    for (int i = 0; i <= 6; ++i)
        out.push_back({"L0001", editor, ElementKind::Title, i});
    for (int i = 0; i <= 12; ++i)
        out.push_back({"L0001", editor, ElementKind::Chart, i});
    return out;
}

TEST(VoiceElements, ADropFitsOnlyTheSameElementOnAnotherControl)
{
    std::vector<ElementRef> all = everyControl(" 11");
    const std::vector<ElementRef> other = everyControl(" 12");
    all.insert(all.end(), other.begin(), other.end());
    int allowed = 0;
    for (const ElementRef& source : all)
        for (const ElementRef& target : all) {
            const bool fits = classOf(source.kind, source.index) == classOf(target.kind, target.index) &&
                              !(source == target);
            const auto result = editor::GetSourceTargetID(source, target);
            ASSERT_EQ(!result.refuse, fits) << classOf(source.kind, source.index) << " " << source.index << " onto "
                                            << classOf(target.kind, target.index) << " " << target.index << " ("
                                            << source.editorId << "/" << target.editorId << ")";
            allowed += fits ? 1 : 0;
        }
    EXPECT_GT(allowed, 0);
}

TEST(VoiceElements, OperatorsOfTheTwoEnds)
{
    const auto envelope = editor::GetSourceTargetID({"L1", "1", ElementKind::Grid, 2}, {"L1", "2", ElementKind::Grid, 5});
    EXPECT_FALSE(envelope.refuse);
    EXPECT_EQ(envelope.sourceOperator, 2);
    EXPECT_EQ(envelope.targetOperator, 5);
    const auto title = editor::GetSourceTargetID({"L1", "1", ElementKind::Title, 1}, {"L1", "1", ElementKind::Title, 6});
    EXPECT_FALSE(title.refuse);
    EXPECT_EQ(title.sourceOperator, 1);
    EXPECT_EQ(title.targetOperator, 6);
    const auto scaling = editor::GetSourceTargetID({"L1", "1", ElementKind::Chart, 7}, {"L1", "1", ElementKind::Chart, 12});
    EXPECT_EQ(scaling.sourceOperator, 1);
    EXPECT_EQ(scaling.targetOperator, 6);
    // Controls that do not exist are refused.
    EXPECT_TRUE(editor::GetSourceTargetID({"L1", "1", ElementKind::Grid, 27}, {"L1", "1", ElementKind::Grid, 27}).refuse);
    EXPECT_TRUE(editor::GetSourceTargetID({"L1", "1", ElementKind::Chart, 13}, {"L1", "1", ElementKind::Chart, 1}).refuse);
}

TEST(VoiceElements, RowsOfEachElement)
{
    // Operator 1 is rows 105..125; "Non Operator" rows 126..144, without the name.
    const auto op1 = editor::elementRows(ElementKind::Title, 1);
    ASSERT_EQ(op1.size(), 21u);
    EXPECT_EQ(op1.front(), 105);
    EXPECT_EQ(op1.back(), 125);
    EXPECT_EQ(editor::elementRows(ElementKind::Title, 6).front(), 0);
    const auto non = editor::elementRows(ElementKind::Title, 0);
    ASSERT_EQ(non.size(), 19u);
    EXPECT_EQ(non.front(), 126);
    EXPECT_EQ(non.back(), 144);
    // A chart holds its grid's rows.
    EXPECT_EQ(editor::elementRows(ElementKind::Chart, 9), editor::elementRows(ElementKind::Grid, 9));
    EXPECT_EQ(editor::elementRows(ElementKind::Chart, 0).front(), 126);
    EXPECT_EQ(editor::elementRows(ElementKind::Grid, 26), (std::vector<int>{135, 136, 144}));
    // Two controls that fit hold the same number of rows.
    const auto all = everyControl("1");
    for (const ElementRef& a : all)
        for (const ElementRef& b : all)
            if (!editor::GetSourceTargetID(a, b).refuse) {
                EXPECT_EQ(editor::elementRows(a.kind, a.index).size(), editor::elementRows(b.kind, b.index).size());
            }
}

TEST(VoiceElements, DragDataIsThisProcesssOwn)
{
    const ElementRef element{"L0002", " 17", ElementKind::Chart, 9};
    const auto data = editor::makeElementDragData(element);
    EXPECT_EQ(editor::readElementDrag(data.get()), element);
    // Text from another program, our type with another process's token, damaged data.
    QMimeData text;
    text.setText(QStringLiteral("L0002\n 17\n2\n9"));
    EXPECT_FALSE(editor::readElementDrag(&text));
    QMimeData foreign;
    foreign.setData(QString::fromLatin1(editor::kElementDragMimeType), QByteArray("0000-other\nL0002\n 17\n2\n9"));
    EXPECT_FALSE(editor::readElementDrag(&foreign));
    EXPECT_FALSE(editor::readElementDrag(nullptr));
    QByteArray payload = data->data(QString::fromLatin1(editor::kElementDragMimeType));
    QMimeData damaged;
    damaged.setData(QString::fromLatin1(editor::kElementDragMimeType), payload.left(payload.size() - 1) + "x");
    EXPECT_FALSE(editor::readElementDrag(&damaged));
    QMimeData outOfRange;
    outOfRange.setData(QString::fromLatin1(editor::kElementDragMimeType),
                       payload.left(payload.lastIndexOf('\n') + 1) + "13");
    EXPECT_FALSE(editor::readElementDrag(&outOfRange));
}

}  // namespace
