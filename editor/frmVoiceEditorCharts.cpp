// Brevane - the voice editor's charts, chart point dragging, and voice elements dragged
// between operators and editors.
#include "editor/frmVoiceEditor.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "editor/EnvelopeGeometry.h"
#include "editor/GridMap.h"
#include "editor/LevelScalingGeometry.h"
#include "editor/VoiceChart.h"
#include "editor/VoiceListEditors.h"
#include "voicelist/frmVoiceList.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTableView>
#include <QVBoxLayout>

namespace editor {
namespace {

constexpr int kNonOperatorFirstRow = 126;
constexpr int kLastChartRow = 133;  // the pitch envelope's L4
constexpr int kDragPixmapWidth = 160;

shell::DeferredCallFactory& holdTimerFactory()
{
    static shell::DeferredCallFactory factory;
    return factory;
}

frmVoiceEditor::ElementDragRunner& elementDragRunner()
{
    static frmVoiceEditor::ElementDragRunner runner;
    return runner;
}

bool ctrlAlone(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

// The program's drag: QDrag runs its own loop until the drop or the give-up, with a small
// picture of the dragged control under the pointer.
void runQtDrag(QWidget* control, std::unique_ptr<QMimeData> data)
{
    QPointer<QDrag> drag = new QDrag(control);
    drag->setMimeData(data.release());
    QPixmap picture = control->grab();
    if (!picture.isNull()) {
        if (picture.width() > kDragPixmapWidth)
            picture = picture.scaledToWidth(kDragPixmapWidth, Qt::SmoothTransformation);
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(picture.width() / 2, 0));
    }
    (void)drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (drag)
        drag->deleteLater();
}

}  // namespace

// ---------------------------------------------------------------- set-up

std::unique_ptr<PressAndHold> frmVoiceEditor::makeHoldTimer()
{
    const shell::DeferredCallFactory& factory = holdTimerFactory();
    return std::make_unique<PressAndHold>(factory ? factory() : std::make_unique<shell::QtDeferredCall>());
}

void frmVoiceEditor::setDeferredCallFactory(shell::DeferredCallFactory factory)
{
    holdTimerFactory() = std::move(factory);
}

void frmVoiceEditor::setElementDragRunner(ElementDragRunner runner) { elementDragRunner() = std::move(runner); }

void frmVoiceEditor::buildChart(int index, QFrame* place)
{
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* chart = new VoiceChart(index);
    chart->setAcceptDrops(true);
    layout->addWidget(chart);
    m_charts[static_cast<std::size_t>(index)] = chart;
    connect(chart, &VoiceChart::pressed, this,
            [this, index](int point, QPointF, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                MSChart1_MouseDown(index, point, button, modifiers);
            });
    connect(chart, &VoiceChart::moved, this,
            [this, index](QPointF mouse, Qt::MouseButtons, Qt::KeyboardModifiers modifiers) {
                MSChart1_MouseMove(index, mouse, modifiers);
            });
    connect(chart, &VoiceChart::released, this,
            [this, index](Qt::MouseButton button, Qt::KeyboardModifiers) { MSChart1_MouseUp(index, button); });
    watch(chart);
}

void frmVoiceEditor::connectCharts()
{
    connect(this, &frmVoiceEditor::operatorRebuilt, this, &frmVoiceEditor::drawChartsOfOperator);
    connect(this, &frmVoiceEditor::zoomChanged, this, [this](int chart, int zoom) { DrawChart(chart, true, zoom); });
    connect(&m_edits, &ParameterEdits::rowChanged, this, &frmVoiceEditor::refreshChartOfRow);
    for (QLabel* title : m_titles) {
        title->setAcceptDrops(true);
        watch(title);
    }
    for (QTableView* grid : m_grids)
        grid->viewport()->setAcceptDrops(true);
}

VoiceChart* frmVoiceEditor::MSChart1(int index) const
{
    return index >= 0 && index < kChartCount ? m_charts[static_cast<std::size_t>(index)] : nullptr;
}

// ---------------------------------------------------------------- drawing

void frmVoiceEditor::DrawChart(int n, bool setUp, int zoom)
{
    VoiceChart* chart = MSChart1(n);
    if (chart == nullptr || !m_edits.voice().valid())
        return;
    if (ChartPointDrag::isEnvelopeChart(n)) {
        DrawEGChart(*chart, n, setUp, zoom);
        return;
    }
    chart->setLevelScaling(LevelScalingGeometry::FillLevScChart(ChartPointDrag::levelScalingOf(m_edits, n)));
}

void frmVoiceEditor::DrawEGChart(VoiceChart& chart, int n, bool setUp, int zoom)
{
    const EnvelopeValues values = ChartPointDrag::envelopeOf(m_edits, n);
    const EnvelopeX x = EnvelopeGeometry::CalcEGChartX(values);
    // The rate rows keep where their segments end, as the voice data has them.
    const int b = EnvelopeGeometry::firstRow(n);
    for (int i = 0; i < 4; ++i)
        m_edits.voice().set(b + i, banklib::VoiceDataField::EGChartXVal,
                            static_cast<double>(x.x[static_cast<std::size_t>(i)]));
    m_edits.voice().set(b + 3, banklib::VoiceDataField::EGChartKoffXVal, static_cast<double>(x.keyOff));
    const auto points = EnvelopeGeometry::FillEGChartData(values, x);
    if (setUp)
        chart.setEnvelope(points, EnvelopeGeometry::axisMaximum(x.x[3], zoom));
    else
        chart.setEnvelopePoints(points);
}

void frmVoiceEditor::drawChartsOfOperator(int op)
{
    if (op == 0) {
        DrawChart(0, true, kChartZoom);
        return;
    }
    DrawChart(op, true, kChartZoom);
    DrawChart(op + 6, true, kChartZoom);
}

void frmVoiceEditor::refreshChartOfRow(int row)
{
    if (row < 0 || row > kLastChartRow)
        return;
    if (row >= kNonOperatorFirstRow) {
        DrawChart(0, false);
        return;
    }
    const int op = 6 - row / 21;
    const int offset = row % 21;
    if (offset < 8)
        DrawChart(op, false);
    else if (offset <= 12)
        DrawChart(op + 6, false);
}

// ---------------------------------------------------------------- chart mouse

void frmVoiceEditor::MSChart1_MouseDown(int n, int point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    VoiceChart* chart = MSChart1(n);
    if (chart == nullptr)
        return;
    m_hold->press(button);
    if (button == Qt::LeftButton && point > 0) {
        // A point (or handle) picked: it follows the mouse until the release. The key-off
        // point of an envelope is not taken, and the press does nothing more.
        m_hold->cancel();
        if (m_chartDrag.select(n, point))
            chart->setCursor(Qt::ForbiddenCursor);
        return;
    }
    if (button == Qt::RightButton && !ctrlAlone(modifiers))
        playScaleForRightButton();
    QPointer<frmVoiceEditor> self(this);
    (void)m_hold->arm([self, n] {
        if (self)
            self->startElementDrag(ElementKind::Chart, n);
    });
}

void frmVoiceEditor::MSChart1_MouseMove(int n, QPointF mouse, Qt::KeyboardModifiers modifiers)
{
    VoiceChart* chart = MSChart1(n);
    if (chart == nullptr)
        return;
    (void)m_chartDrag.move(n, mouse.x(), mouse.y(), chart->xAxisMaximum(), modifiers);
}

void frmVoiceEditor::MSChart1_MouseUp(int n, Qt::MouseButton button)
{
    m_hold->release(button);
    if (button != Qt::LeftButton)
        return;
    if (m_chartDrag.release(n))
        if (VoiceChart* chart = MSChart1(n))
            chart->unsetCursor();
}

void frmVoiceEditor::endMouseInteraction()
{
    if (m_hold)
        m_hold->cancel();
    if (m_chartDrag.dragging()) {
        if (VoiceChart* chart = MSChart1(m_chartDrag.chart()))
            chart->unsetCursor();
        m_chartDrag.cancel();
    }
}

// ---------------------------------------------------------------- element drags

ElementRef frmVoiceEditor::element(ElementKind kind, int index) const { return {m_listId, m_editorId, kind, index}; }

QWidget* frmVoiceEditor::elementControl(ElementKind kind, int index) const
{
    if (!validElement(kind, index))
        return nullptr;
    switch (kind) {
    case ElementKind::Grid: return dGrid1(index);
    case ElementKind::Title: return Label3(index);
    case ElementKind::Chart: return MSChart1(index);
    }
    return nullptr;
}

std::optional<std::pair<ElementKind, int>> frmVoiceEditor::elementOf(QObject* watched) const
{
    if (watched == nullptr)
        return std::nullopt;
    for (int i = 0; i < kGridCount; ++i)
        if (QTableView* grid = m_grids[static_cast<std::size_t>(i)]; grid != nullptr && watched == grid->viewport())
            return std::make_pair(ElementKind::Grid, i);
    for (int i = 0; i <= 6; ++i)
        if (watched == m_titles[static_cast<std::size_t>(i)])
            return std::make_pair(ElementKind::Title, i);
    for (int i = 0; i < kChartCount; ++i)
        if (watched == m_charts[static_cast<std::size_t>(i)])
            return std::make_pair(ElementKind::Chart, i);
    return std::nullopt;
}

bool frmVoiceEditor::elementEvent(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto element = elementOf(watched);
        if (element && element->first != ElementKind::Chart)
            m_hold->release(static_cast<QMouseEvent*>(event)->button());
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        const auto element = elementOf(watched);
        if (!element)
            return false;
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (SetDragIcon(drag->mimeData(), element->first, element->second)) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave: return elementOf(watched).has_value();
    case QEvent::Drop: {
        const auto element = elementOf(watched);
        if (!element)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        if (DropElement(drop->mimeData(), element->first, element->second)) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    default: return false;
    }
}

void frmVoiceEditor::startElementDrag(ElementKind kind, int index)
{
    QWidget* control = elementControl(kind, index);
    if (control == nullptr || m_unloaded)
        return;
    std::unique_ptr<QMimeData> data = makeElementDragData(element(kind, index));
    if (const ElementDragRunner& runner = elementDragRunner())
        runner(*this, control, std::move(data));
    else
        runQtDrag(control, std::move(data));
}

frmVoiceEditor* frmVoiceEditor::editorOfElement(const ElementRef& element)
{
    if (element.listId.empty() || element.editorId.empty())
        return nullptr;
    auto* list = dynamic_cast<shell::frmVoiceList*>(banklib::appState().colVoiceLists().Item(element.listId));
    if (list == nullptr)
        return nullptr;
    VoiceListEditors* editors = VoiceListEditors::find(*list);
    if (editors == nullptr)
        return nullptr;
    frmVoiceEditor* editor = editors->Editors().Item(element.editorId);
    return editor != nullptr && !editor->unloaded() ? editor : nullptr;
}

bool frmVoiceEditor::SetDragIcon(const QMimeData* data, ElementKind kind, int index) const
{
    const auto source = readElementDrag(data);
    if (!source || GetSourceTargetID(*source, element(kind, index)).refuse)
        return false;
    return editorOfElement(*source) != nullptr;
}

bool frmVoiceEditor::DropElement(const QMimeData* data, ElementKind kind, int index)
{
    const auto source = readElementDrag(data);
    return source && CopyVoiceElementData(*source, kind, index);
}

bool frmVoiceEditor::CopyVoiceElementData(const ElementRef& source, ElementKind kind, int index)
{
    if (m_unloaded || !m_edits.voice().valid() || GetSourceTargetID(source, element(kind, index)).refuse)
        return false;
    frmVoiceEditor* from = editorOfElement(source);
    if (from == nullptr || !from->m_edits.voice().valid())
        return false;
    // Both voices as typed: a value still in a cell of either counts (the dropped element
    // then replaces what was typed into it).
    const QPointer<frmVoiceEditor> fromAlive(from);
    from->CommitPendingEdit();
    CommitPendingEdit();
    if (!fromAlive || from->m_unloaded || m_unloaded)
        return false;
    const std::vector<int> sourceRows = elementRows(source.kind, source.index);
    const std::vector<int> targetRows = elementRows(kind, index);
    if (sourceRows.empty() || sourceRows.size() != targetRows.size())
        return false;
    // Read everything first: source and target may be one voice.
    std::vector<int> values;
    values.reserve(sourceRows.size());
    for (const int row : sourceRows)
        values.push_back(from->m_edits.value(row));
    for (std::size_t i = 0; i < targetRows.size(); ++i)
        (void)m_edits.commit(targetRows[i], values[i], EditPath::Quiet);

    if (kind == ElementKind::Title) {
        if (index == 0)
            InitNonOperatorData();
        else
            InitVoiceEditor(index, index);
    } else if (ChartPointDrag::isEnvelopeChart(index)) {
        // A new envelope is shown whole.
        DrawChart(index, true, kChartZoom);
    }
    m_edits.sendVoiceDump();
    return true;
}

}  // namespace editor
