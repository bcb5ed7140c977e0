// Brevane - the editor's charts under the mouse, and voice elements dragged between
// operators and editors.
#include "EditorTestSupport.h"

#include "editor/CellSpin.h"
#include "editor/EnvelopeGeometry.h"
#include "editor/GridMap.h"
#include "editor/LevelScalingGeometry.h"
#include "editor/ParameterGridModel.h"
#include "editor/ParameterTexts.h"
#include "editor/VoiceChart.h"
#include "editor/VoiceElements.h"
#include "platform/Latin1.h"
#include "voicelist/VoiceDrag.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>
#include <QUrl>

namespace {

using editor::ChartPointDrag;
using editor::ElementKind;
using editor::ElementRef;
using editor::EnvelopeGeometry;
using editor::frmVoiceEditor;
using editor::VoiceChart;
using shell::frmVoiceList;
using Sent = std::vector<std::pair<int, int>>;

constexpr int kOpRows = 21;
int firstRow(int op) { return (6 - op) * kOpRows; }

void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}
void press(QWidget* w, Qt::MouseButton button, QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(w, QEvent::MouseButtonPress, pos, button, button, modifiers);
}
void release(QWidget* w, Qt::MouseButton button, QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, modifiers);
}
void moveTo(QWidget* w, QPointF pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton, modifiers);
}
QPointF middle(QWidget* w) { return QRectF(w->rect()).center(); }

// A place on a chart well away from every point and handle.
QPointF background(const VoiceChart& chart)
{
    const QRectF plot = chart.plotRect();
    for (double y = plot.top(); y <= plot.bottom(); y += 3.0)
        for (double x = plot.left(); x <= plot.right(); x += 3.0) {
            bool clear = true;
            for (int n = 1; n <= static_cast<int>(chart.pickable().size()); ++n) {
                const QPointF d = chart.pixelOfPoint(n) - QPointF(x, y);
                clear = clear && std::hypot(d.x(), d.y()) > 12.0;
            }
            if (clear)
                return {x, y};
        }
    ADD_FAILURE() << "no free place on chart " << chart.index();
    return {};
}

// A drag passing over a control, as the window system reports it: whether it may drop.
bool dragOver(QWidget* w, const QMimeData* data)
{
    QDragEnterEvent enter(middle(w).toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    return enter.isAccepted();
}
bool drop(QWidget* w, const QMimeData* data)
{
    if (!dragOver(w, data))
        return false;
    QDropEvent e(middle(w), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

class ElementDragTest : public editor::testing::EditorFixture {
protected:
    ElementDragTest()
    {
        frmVoiceEditor::setElementDragRunner([this](frmVoiceEditor& source, QWidget* control,
                                                    std::unique_ptr<QMimeData> data) {
            ++drags;
            dragSource = &source;
            dragControl = control;
            dragData = std::move(data);
            if (duringDrag)
                duringDrag(*dragData);
        });
        list = openBank("bank.syx", 8, banklib::FileType::PackedSysex);
        a = openEditor(*list, 1);
        b = openEditor(*list, 2);
        settle();
        out.clear();  // the voices sent as the editors came up
    }
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents();
    }
    // The drop target of a control: a grid takes drops on its viewport.
    static QWidget* target(frmVoiceEditor& e, ElementKind kind, int index)
    {
        QWidget* control = e.elementControl(kind, index);
        if (auto* grid = qobject_cast<QTableView*>(control))
            return grid->viewport();
        return control;
    }
    // Starts a drag of an element as the user would (a press held for the time).
    std::unique_ptr<QMimeData> pickUp(frmVoiceEditor& e, ElementKind kind, int index)
    {
        QWidget* w = target(e, kind, index);
        QPointF at = middle(w);
        if (kind == ElementKind::Chart)
            at = background(*e.MSChart1(index));
        press(w, Qt::LeftButton, at);
        EXPECT_TRUE(holdTimerOf(e).fire());
        release(w, Qt::LeftButton, at);
        return std::move(dragData);
    }
    std::vector<int> values(frmVoiceEditor& e, const std::vector<int>& rows)
    {
        std::vector<int> out;
        for (const int r : rows)
            out.push_back(e.edits().value(r));
        return out;
    }
    std::vector<int> voiceOf(frmVoiceEditor& e)
    {
        std::vector<int> out;
        for (int r = 0; r < banklib::kVoiceDataRows; ++r)
            out.push_back(r < editor::ParameterEdits::kFirstNameRow
                              ? e.edits().value(r)
                              : static_cast<unsigned char>(e.edits().voice().text(r, banklib::VoiceDataField::Value).at(0)));
        return out;
    }
    // Gives operator op's envelope well-spread points and sets its chart up again.
    static void shapeEnvelope(frmVoiceEditor& e, int op)
    {
        const int values[8] = {30, 30, 30, 40, 90, 60, 40, 0};
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(e.edits().commit(firstRow(op) + i, values[i], editor::EditPath::Quiet));
        e.DrawChart(op, true);
    }
    // Gives an element of an editor values unlike the other editor's.
    void distinguish(frmVoiceEditor& e, ElementKind kind, int index, int seed)
    {
        for (const int r : editor::elementRows(kind, index))
            ASSERT_TRUE(e.edits().commit(r, (seed + r) % (e.edits().maximum(r) + 1), editor::EditPath::Quiet));
    }

    frmVoiceList* list = nullptr;
    frmVoiceEditor* a = nullptr;
    frmVoiceEditor* b = nullptr;
    int drags = 0;
    frmVoiceEditor* dragSource = nullptr;
    QWidget* dragControl = nullptr;
    std::unique_ptr<QMimeData> dragData;
    std::function<void(const QMimeData&)> duringDrag;
};

// ---------------------------------------------------------------- press and hold

TEST_F(ElementDragTest, AClickOrAReleasedRightClickStartsNoDrag)
{
    QWidget* grid = target(*a, ElementKind::Grid, 3);
    press(grid, Qt::LeftButton, middle(grid));
    EXPECT_TRUE(holdTimerOf(*a).isActive());
    EXPECT_EQ(holdTimerOf(*a).delayMs, 500);
    release(grid, Qt::LeftButton, middle(grid));
    EXPECT_FALSE(holdTimerOf(*a).isActive());
    EXPECT_FALSE(holdTimerOf(*a).fire());

    // A right click plays the test scale and leaves nothing pending, so the next click
    // somewhere else copies nothing.
    const std::vector<int> before = voiceOf(*a);
    out.clear();
    press(grid, Qt::RightButton, middle(grid));
    EXPECT_EQ(out.scales, 1);
    release(grid, Qt::RightButton, middle(grid));
    EXPECT_FALSE(holdTimerOf(*a).fire());
    QWidget* other = target(*a, ElementKind::Grid, 5);
    press(other, Qt::LeftButton, middle(other));
    release(other, Qt::LeftButton, middle(other));
    EXPECT_FALSE(holdTimerOf(*a).fire());
    EXPECT_EQ(drags, 0);
    EXPECT_EQ(voiceOf(*a), before);

    // The release of another button does not end the wait.
    press(grid, Qt::LeftButton, middle(grid));
    release(grid, Qt::RightButton, middle(grid));
    EXPECT_TRUE(holdTimerOf(*a).fire());
    EXPECT_EQ(drags, 1);
}

TEST_F(ElementDragTest, APressHeldHalfASecondDragsTheControl)
{
    QWidget* grid = target(*a, ElementKind::Grid, 2);
    press(grid, Qt::LeftButton, middle(grid));
    ASSERT_TRUE(holdTimerOf(*a).fire());
    ASSERT_EQ(drags, 1);
    EXPECT_EQ(dragSource, a);
    EXPECT_EQ(dragControl, a->dGrid1(2));
    const auto carried = editor::readElementDrag(dragData.get());
    ASSERT_TRUE(carried);
    EXPECT_EQ(*carried, (ElementRef{list->ListID(), a->EditorID(), ElementKind::Grid, 2}));
    EXPECT_EQ(frmVoiceEditor::editorOfElement(*carried), a);

    // Held with the right button too (after the test scale).
    press(grid, Qt::RightButton, middle(grid));
    ASSERT_TRUE(holdTimerOf(*a).fire());
    EXPECT_EQ(drags, 2);

    // A title, and a chart pressed away from its points.
    EXPECT_EQ(editor::readElementDrag(pickUp(*a, ElementKind::Title, 4).get())->kind, ElementKind::Title);
    const auto chart = editor::readElementDrag(pickUp(*a, ElementKind::Chart, 3).get());
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->kind, ElementKind::Chart);
    EXPECT_EQ(chart->index, 3);
    EXPECT_EQ(drags, 4);
    // A title's right press plays the scale once.
    out.clear();
    press(a->Label3(2), Qt::RightButton, middle(a->Label3(2)));
    release(a->Label3(2), Qt::RightButton, middle(a->Label3(2)));
    EXPECT_EQ(out.scales, 1);
}

TEST_F(ElementDragTest, AChartPointPressedIsDraggedNotTheChart)
{
    shapeEnvelope(*a, 2);
    VoiceChart* chart = a->MSChart1(2);
    press(chart, Qt::LeftButton, chart->pixelOfPoint(3));
    EXPECT_FALSE(holdTimerOf(*a).isActive());
    EXPECT_EQ(a->chartDrag().dragMode(2), ChartPointDrag::kDragging);
    release(chart, Qt::LeftButton, chart->pixelOfPoint(3));
    EXPECT_EQ(a->chartDrag().dragMode(2), ChartPointDrag::kIdle);

    // The key-off point is not taken, and its press starts nothing else either.
    press(chart, Qt::LeftButton, chart->pixelOfPoint(5));
    EXPECT_FALSE(a->chartDrag().dragging());
    EXPECT_FALSE(holdTimerOf(*a).isActive());
    release(chart, Qt::LeftButton, chart->pixelOfPoint(5));
    EXPECT_EQ(drags, 0);
}

// ---------------------------------------------------------------- what a drag may drop on

TEST_F(ElementDragTest, TheIconShowsWhetherTheDropFits)
{
    const auto envelope = pickUp(*a, ElementKind::Grid, 2);
    EXPECT_TRUE(dragOver(target(*b, ElementKind::Grid, 5), envelope.get()));
    EXPECT_TRUE(dragOver(target(*a, ElementKind::Grid, 5), envelope.get()));
    EXPECT_FALSE(dragOver(target(*a, ElementKind::Grid, 2), envelope.get()));  // itself
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Grid, 8), envelope.get()));  // level scaling
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Title, 5), envelope.get()));
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Chart, 5), envelope.get()));  // charts take only charts
    EXPECT_FALSE(dragOver(b->Frame3(5), envelope.get()));
    EXPECT_FALSE(drop(b->Frame3(5), envelope.get()));

    const auto chart = pickUp(*a, ElementKind::Chart, 4);
    EXPECT_TRUE(dragOver(target(*b, ElementKind::Chart, 1), chart.get()));
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Chart, 7), chart.get()));
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Grid, 4), chart.get()));
    const auto title = pickUp(*a, ElementKind::Title, 3);
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Chart, 3), title.get()));
    EXPECT_TRUE(dragOver(target(*b, ElementKind::Title, 3), title.get()));
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Title, 0), title.get()));
}

TEST_F(ElementDragTest, DragsFromOtherProgramsOrClosedEditorsAreRefused)
{
    const std::vector<int> before = voiceOf(*b);
    QMimeData text;
    text.setText(QStringLiteral("Operator 1"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/voice.syx"))});
    QMimeData otherCopy;  // a second copy of the program: its own token
    otherCopy.setData(QString::fromLatin1(editor::kElementDragMimeType),
                      QByteArray("11111111-2222-3333-4444-555555555555\n") + QByteArray::fromStdString(list->ListID()) +
                          "\n" + QByteArray::fromStdString(a->EditorID()) + "\n0\n2");
    for (const QMimeData* data : {static_cast<const QMimeData*>(&text), static_cast<const QMimeData*>(&files),
                                  static_cast<const QMimeData*>(&otherCopy)}) {
        EXPECT_FALSE(drop(target(*b, ElementKind::Grid, 2), data));
        EXPECT_FALSE(drop(target(*b, ElementKind::Title, 2), data));
        EXPECT_FALSE(drop(target(*b, ElementKind::Chart, 2), data));
    }
    // A voice drag of the voice lists is no element.
    const auto voices = shell::makeVoiceDragData("2," + list->ListID() + ", 1, 1,:");
    EXPECT_FALSE(drop(target(*b, ElementKind::Title, 2), voices.get()));

    // The source editor closes while its element is dragged.
    duringDrag = [this](const QMimeData&) { ASSERT_TRUE(a->unload()); };
    const auto orphan = pickUp(*a, ElementKind::Grid, 2);
    ASSERT_TRUE(orphan);
    settle();
    out.clear();
    EXPECT_FALSE(dragOver(target(*b, ElementKind::Grid, 5), orphan.get()));
    EXPECT_FALSE(drop(target(*b, ElementKind::Grid, 5), orphan.get()));
    EXPECT_EQ(voiceOf(*b), before);
    EXPECT_EQ(out.voices, 0);
}

// ---------------------------------------------------------------- what a drop copies

TEST_F(ElementDragTest, AnEnvelopeGridCopiesItsRatesAndLevels)
{
    distinguish(*a, ElementKind::Grid, 2, 7);
    const std::vector<int> envelope = values(*a, editor::rowsOfGrid(2));
    std::vector<int> expected = voiceOf(*b);
    for (int i = 0; i < 8; ++i)
        expected[static_cast<std::size_t>(firstRow(5) + i)] = envelope[static_cast<std::size_t>(i)];
    out.clear();
    const auto data = pickUp(*a, ElementKind::Grid, 2);
    ASSERT_TRUE(drop(target(*b, ElementKind::Grid, 5), data.get()));
    EXPECT_EQ(voiceOf(*b), expected);
    // One voice dump, no parameter changes.
    EXPECT_EQ(out.voices, 1);
    EXPECT_TRUE(out.parameters.empty());
    // The grid and the chart show the copy; the chart is set up for the new envelope.
    EXPECT_EQ(b->gridModel(5)->data(b->gridModel(5)->index(0, 1)).toString().toInt(), envelope[0]);
    const auto x = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(b->edits(), 5));
    EXPECT_FLOAT_EQ(static_cast<float>(b->MSChart1(5)->xAxisMaximum()), x.x[3]);
    EXPECT_EQ(b->MSChart1(5)->series()[1].y, envelope[4]);

    // Within one editor too.
    out.clear();
    ASSERT_TRUE(drop(target(*a, ElementKind::Grid, 6), pickUp(*a, ElementKind::Grid, 2).get()));
    EXPECT_EQ(values(*a, editor::rowsOfGrid(6)), envelope);
    EXPECT_EQ(out.voices, 1);
}

TEST_F(ElementDragTest, AnOperatorTitleCopiesAllItsParameters)
{
    distinguish(*a, ElementKind::Title, 1, 3);
    const std::vector<int> op1 = values(*a, editor::elementRows(ElementKind::Title, 1));
    std::vector<int> expected = voiceOf(*a);
    for (int i = 0; i < kOpRows; ++i)
        expected[static_cast<std::size_t>(i)] = op1[static_cast<std::size_t>(i)];  // rows 105..125 into 0..20
    out.clear();
    ASSERT_TRUE(drop(a->Label3(6), pickUp(*a, ElementKind::Title, 1).get()));
    EXPECT_EQ(voiceOf(*a), expected);
    EXPECT_EQ(out.voices, 1);
    EXPECT_EQ(a->Label3(6)->text(), QStringLiteral("Operator 6"));
    // The operator's charts show what it now holds.
    const auto scaling = editor::LevelScalingGeometry::FillLevScChart(ChartPointDrag::levelScalingOf(a->edits(), 12));
    EXPECT_EQ(a->MSChart1(12)->series(), scaling.curve);
    EXPECT_EQ(a->MSChart1(6)->series()[2].y, a->edits().value(firstRow(6) + 5));
}

TEST_F(ElementDragTest, TheNonOperatorTitleCopiesEverythingButTheName)
{
    distinguish(*a, ElementKind::Title, 0, 11);
    const std::string name = b->VoiceName();
    const std::vector<int> rows = editor::elementRows(ElementKind::Title, 0);
    std::vector<int> expected = voiceOf(*b);
    out.clear();
    for (const int r : rows)
        expected[static_cast<std::size_t>(r)] = a->edits().value(r);
    ASSERT_TRUE(drop(b->Label3(0), pickUp(*a, ElementKind::Title, 0).get()));
    EXPECT_EQ(voiceOf(*b), expected);
    EXPECT_EQ(b->VoiceName(), name);
    EXPECT_EQ(b->caption(), name);
    EXPECT_EQ(b->Combo1()->currentIndex(), a->edits().value(editor::ParameterEdits::kAlgorithmRow));
    EXPECT_EQ(out.voices, 1);
}

TEST_F(ElementDragTest, TheLfoAndMiscGridsTakeOnlyThemselves)
{
    distinguish(*a, ElementKind::Grid, 25, 5);
    distinguish(*a, ElementKind::Grid, 26, 1);
    const std::vector<int> lfo = values(*a, editor::rowsOfGrid(25));
    const std::vector<int> misc = values(*b, editor::rowsOfGrid(26));
    const auto data = pickUp(*a, ElementKind::Grid, 25);
    EXPECT_FALSE(drop(target(*b, ElementKind::Grid, 26), data.get()));
    EXPECT_EQ(values(*b, editor::rowsOfGrid(26)), misc);
    ASSERT_TRUE(drop(target(*b, ElementKind::Grid, 25), data.get()));
    EXPECT_EQ(values(*b, editor::rowsOfGrid(25)), lfo);
    ASSERT_TRUE(drop(target(*b, ElementKind::Grid, 26), pickUp(*a, ElementKind::Grid, 26).get()));
    EXPECT_EQ(values(*b, editor::rowsOfGrid(26)), values(*a, editor::rowsOfGrid(26)));
}

TEST_F(ElementDragTest, AChartDropsOnAChartOfAnotherListAndNothingElseDoes)
{
    frmVoiceList* other = openBank("other.syx", 4, banklib::FileType::Packed);
    frmVoiceEditor* c = openEditor(*other, 3);
    settle();
    out.clear();
    distinguish(*a, ElementKind::Grid, 3, 9);
    distinguish(*a, ElementKind::Grid, 9, 4);
    const std::vector<int> envelope = values(*a, editor::rowsOfGrid(3));
    const std::vector<int> scaling = values(*a, editor::rowsOfGrid(9));
    ASSERT_TRUE(drop(target(*c, ElementKind::Chart, 4), pickUp(*a, ElementKind::Chart, 3).get()));
    EXPECT_EQ(values(*c, editor::rowsOfGrid(4)), envelope);
    ASSERT_TRUE(drop(target(*c, ElementKind::Chart, 12), pickUp(*a, ElementKind::Chart, 9).get()));
    EXPECT_EQ(values(*c, editor::rowsOfGrid(12)), scaling);
    EXPECT_EQ(out.voices, 2);

    // A title or a grid dropped on a chart, or a chart on a grid, copies nothing.
    const std::vector<int> before = voiceOf(*c);
    EXPECT_FALSE(drop(target(*c, ElementKind::Chart, 1), pickUp(*a, ElementKind::Title, 1).get()));
    EXPECT_FALSE(drop(target(*c, ElementKind::Chart, 1), pickUp(*a, ElementKind::Grid, 1).get()));
    EXPECT_FALSE(drop(target(*c, ElementKind::Grid, 1), pickUp(*a, ElementKind::Chart, 1).get()));
    EXPECT_FALSE(drop(target(*a, ElementKind::Chart, 3), pickUp(*a, ElementKind::Chart, 3).get()));
    EXPECT_EQ(voiceOf(*c), before);
    EXPECT_EQ(out.voices, 2);
}

// ---------------------------------------------------------------- chart points under the mouse

TEST_F(ElementDragTest, DraggingAnEnvelopePointWithTheMouse)
{
    shapeEnvelope(*a, 1);
    VoiceChart* chart = a->MSChart1(1);
    const double axis = chart->xAxisMaximum();
    const int r2 = firstRow(1) + 1;
    const int l2 = firstRow(1) + 5;
    const auto x = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(a->edits(), 1));
    out.clear();
    press(chart, Qt::LeftButton, chart->pixelOfPoint(3));
    ASSERT_EQ(a->chartDrag().SelectedPoint(), 3);
    EXPECT_EQ(chart->cursor().shape(), Qt::ForbiddenCursor);
    // To the top of the chart, a little right of point 2.
    const QPointF to = chart->pixelOf({x.x[0] + (x.x[1] - x.x[0]) / 2.0, 100.0});
    moveTo(chart, to);
    EXPECT_TRUE(out.parameters.empty());
    moveTo(chart, to);
    EXPECT_EQ(a->edits().value(l2), 99);
    ASSERT_EQ(out.parameters.size(), 2u);
    EXPECT_EQ(out.parameters[0].first, r2 + 1);
    EXPECT_EQ(out.parameters[1], (std::pair<int, int>{l2 + 1, 99}));
    EXPECT_EQ(out.notes, 1);
    // The axis holds still; the grid and the chart show the new values.
    EXPECT_EQ(chart->xAxisMaximum(), axis);
    EXPECT_EQ(chart->series()[2].y, 99.0);
    EXPECT_EQ(a->gridModel(1)->data(a->gridModel(1)->index(5, 1)).toString(), QStringLiteral("99"));
    // Released outside the chart.
    release(chart, Qt::LeftButton, QPointF(-40.0, 400.0));
    EXPECT_FALSE(a->chartDrag().dragging());
    EXPECT_EQ(out.noteOffs, 1);
    EXPECT_NE(chart->cursor().shape(), Qt::ForbiddenCursor);
    // Moves after the release change nothing.
    moveTo(chart, chart->pixelOf({0.0, 0.0}));
    moveTo(chart, chart->pixelOf({0.0, 0.0}));
    EXPECT_EQ(a->edits().value(l2), 99);

    // The zoom spin sets the axis afresh from the envelope's new end.
    const auto now = EnvelopeGeometry::CalcEGChartX(ChartPointDrag::envelopeOf(a->edits(), 1));
    a->UpDown2(1)->setValue(5);
    EXPECT_FLOAT_EQ(static_cast<float>(chart->xAxisMaximum()), now.x[3] / 2.0F);
}

TEST_F(ElementDragTest, OnlyTheThreeHandlesOfALevelScalingChartAreTaken)
{
    const int b0 = firstRow(2) + 8;
    // Two exponential sides: a curve of 100 points.
    ASSERT_TRUE(a->edits().commit(b0, 50, editor::EditPath::Quiet));
    ASSERT_TRUE(a->edits().commit(b0 + 1, 60, editor::EditPath::Quiet));
    ASSERT_TRUE(a->edits().commit(b0 + 2, 60, editor::EditPath::Quiet));
    ASSERT_TRUE(a->edits().commit(b0 + 3, 1, editor::EditPath::Quiet));
    ASSERT_TRUE(a->edits().commit(b0 + 4, 2, editor::EditPath::Quiet));
    VoiceChart* chart = a->MSChart1(8);
    ASSERT_EQ(chart->series().size(), 100u);
    // A curve point away from the handles, and the break line away from its handle, are
    // the chart's background: a held press drags the chart.
    press(chart, Qt::LeftButton, chart->pixelOf(chart->series()[20]));
    EXPECT_FALSE(a->chartDrag().dragging());
    EXPECT_TRUE(holdTimerOf(*a).isActive());
    release(chart, Qt::LeftButton, chart->pixelOf(chart->series()[20]));
    press(chart, Qt::LeftButton, chart->pixelOf({50.0, 190.0}));
    EXPECT_FALSE(a->chartDrag().dragging());
    release(chart, Qt::LeftButton, chart->pixelOf({50.0, 190.0}));
    // The handles: left depth, break point, right depth.
    for (int handle = 1; handle <= 3; ++handle) {
        press(chart, Qt::LeftButton, chart->pixelOfPoint(handle));
        EXPECT_EQ(a->chartDrag().SelectedPoint(), handle);
        EXPECT_TRUE(a->chartDrag().dragging());
        release(chart, Qt::LeftButton, chart->pixelOfPoint(handle));
    }
    // The right handle dragged up past the centre line flips its curve.
    out.clear();
    press(chart, Qt::LeftButton, chart->pixelOfPoint(3));
    moveTo(chart, chart->pixelOf({99.0, 40.0}));
    moveTo(chart, chart->pixelOf({99.0, 40.0}));
    EXPECT_EQ(a->edits().value(b0 + 2), 59);
    EXPECT_EQ(a->edits().value(b0 + 4), 1);
    EXPECT_EQ(out.parameters, (Sent{{b0 + 3, 59}, {b0 + 5, 1}}));
    EXPECT_EQ(a->gridModel(8)->data(a->gridModel(8)->index(4, 1)).toString().trimmed(), QStringLiteral("-EXP"));
    release(chart, Qt::LeftButton, chart->pixelOfPoint(3));
    // Every handle lies on the chart, at BP 0 too.
    ASSERT_TRUE(a->edits().commit(b0, 0, editor::EditPath::Quiet));
    for (int handle = 1; handle <= 3; ++handle)
        EXPECT_TRUE(chart->plotRect().adjusted(-1, -1, 1, 1).contains(chart->pixelOfPoint(handle))) << handle;
}

}  // namespace
