// Brevane - the voice editor window's panels: the operator and non-operator panels with
// their grids, charts' places, zoom boxes, algorithm box and Reset button, laid out on the
// canvas that scrolls.
#include "editor/frmVoiceEditor.h"

#include "editor/AlgorithmDiagram.h"
#include "editor/CellSpin.h"
#include "editor/GridMap.h"
#include "editor/ParameterGridModel.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace editor {
namespace {

constexpr int kCanvasMargin = 17;  // 250 twips

// The width of a parameter grid's title column: the short titles as wide as "RDepth". It
// keeps that width when the model is bound to another voice.
int TitleColumnWidth(const QTableView& grid)
{
    return grid.fontMetrics().horizontalAdvance(QStringLiteral("RDepth")) + 10;
}

// Sizes parameter grid index, polished, to its rows and two columns: the titles, and the
// values as wide as "999" (or, in a grid of display texts, "Saw Down") with the spin beside
// them. Rows and columns keep the sizes given here whatever least section size the style
// asks for, and the grid takes exactly the room of its sections: it never scrolls.
void SizeParameterGrid(QTableView& grid, int index)
{
    const QFontMetrics fm = grid.fontMetrics();
    const int rowHeight = fm.height() + 4;
    QHeaderView& rows = *grid.verticalHeader();
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setMinimumSectionSize(rowHeight);
    rows.setDefaultSectionSize(rowHeight);
    const int titleWidth = TitleColumnWidth(grid);
    const int valueWidth = (gridShowsRawValue(index) ? fm.horizontalAdvance(QStringLiteral("999"))
                                                     : fm.horizontalAdvance(QStringLiteral("Saw Down"))) +
                           CellSpin::kWidth + 10;
    QHeaderView& columns = *grid.horizontalHeader();
    columns.setSectionResizeMode(QHeaderView::Fixed);
    columns.setMinimumSectionSize(std::min(titleWidth, valueWidth));
    columns.setDefaultSectionSize(valueWidth);
    grid.setColumnWidth(0, titleWidth);
    const int frame = 2 * grid.frameWidth();
    const auto rowCount = static_cast<int>(rowsOfGrid(index).size());
    grid.setFixedSize(titleWidth + columns.defaultSectionSize() + frame,
                      rows.defaultSectionSize() * rowCount + frame);
}

// Lets a widget be measured afresh: no fixed size.
void Unfix(QWidget& w)
{
    w.setMinimumSize(0, 0);
    w.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

}  // namespace

// ---------------------------------------------------------------- layout

QFrame* frmVoiceEditor::buildChartPlace(int index, QSize size)
{
    auto* place = new QFrame;
    place->setFrameShape(QFrame::StyledPanel);
    place->setFrameShadow(QFrame::Sunken);
    place->setFixedSize(size);
    place->setObjectName(QStringLiteral("chartPlace%1").arg(index));
    m_chartPlaces[static_cast<std::size_t>(index)] = place;
    buildChart(index, place);
    return place;
}

QWidget* frmVoiceEditor::buildZoomBox(int chart)
{
    auto* box = new QFrame;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* title = new QLabel(chart == 0 ? QStringLiteral("Zoom") : QStringLiteral(" EG Zoom"));
    auto* text = new QLineEdit(QStringLiteral("1"));
    text->setReadOnly(true);
    auto* spin = new CellSpin;
    spin->setRange(0, 9);
    spin->setValue(kZoomStart);
    connect(spin, &CellSpin::valueChanged, this, [this, chart] { UpDown2_Change(chart); });
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(text, 1, 0);
    layout->addWidget(spin, 1, 1);
    m_zoomSpins[static_cast<std::size_t>(chart)] = spin;
    m_zoomTexts[static_cast<std::size_t>(chart)] = text;
    m_zoomCaptions[static_cast<std::size_t>(chart)] = title;
    return box;
}

QWidget* frmVoiceEditor::buildGrid(int index)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto* caption = new QLabel(QString::fromLatin1(gridCaption(index).data(), static_cast<qsizetype>(gridCaption(index).size())));
    auto* grid = new QTableView;
    auto* model = new ParameterGridModel(grid);
    model->setTypedHandler([this](int row, std::string_view text) { return m_edits.typeValue(row, text); });
    grid->setModel(model);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setTabKeyNavigation(false);
    connect(model, &QAbstractItemModel::modelReset, grid,
            [grid] { grid->setColumnWidth(0, TitleColumnWidth(*grid)); });
    grid->setObjectName(QStringLiteral("dGrid1_%1").arg(index));
    layout->addWidget(caption);
    layout->addWidget(grid);
    m_grids[static_cast<std::size_t>(index)] = grid;
    m_models[static_cast<std::size_t>(index)] = model;
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, index] { onCurrentCellChanged(index); });
    watch(grid);
    watch(grid->viewport());
    return box;
}

QFrame* frmVoiceEditor::buildOperatorPanel(int op)
{
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(4);
    auto* title = new QLabel(QStringLiteral("Operator %1").arg(op));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_titles[static_cast<std::size_t>(op)] = title;
    layout->addWidget(title, 0, 0, 1, 4);
    layout->addWidget(buildGrid(op), 1, 0, Qt::AlignTop);
    layout->addWidget(buildChartPlace(op, {210, 118}), 1, 1, 1, 2, Qt::AlignTop);
    layout->addWidget(buildZoomBox(op), 1, 3, Qt::AlignTop);
    layout->addWidget(buildGrid(op + 6), 2, 0, Qt::AlignTop);
    layout->addWidget(buildGrid(op + 12), 2, 1, Qt::AlignTop);
    layout->addWidget(buildGrid(op + 18), 2, 2, 1, 2, Qt::AlignTop);
    layout->addWidget(buildChartPlace(op + 6, {210, 86}), 3, 0, 1, 4, Qt::AlignLeft);
    m_panels[static_cast<std::size_t>(op)] = panel;
    return panel;
}

QFrame* frmVoiceEditor::buildNonOperatorPanel()
{
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setHorizontalSpacing(10);
    auto* title = new QLabel(QStringLiteral("Non Operator"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_titles[0] = title;
    layout->addWidget(title, 0, 0, 1, 6);
    layout->addWidget(buildGrid(kPitchEgGrid), 1, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(buildChartPlace(0, {210, 118}), 1, 1, 2, 1, Qt::AlignTop);
    layout->addWidget(buildZoomBox(0), 1, 2, 2, 1, Qt::AlignTop);

    // The algorithm panel: the box, the diagram of the chosen algorithm.
    auto* algorithm = new QFrame;
    algorithm->setFrameShape(QFrame::StyledPanel);
    auto* al = new QGridLayout(algorithm);
    al->setContentsMargins(4, 2, 4, 4);
    al->addWidget(new QLabel(QStringLiteral("Algorithm")), 0, 0);
    m_combo = new QComboBox;
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMaxVisibleItems(16);
    for (int i = 1; i <= kAlgorithmCount; ++i)
        m_combo->addItem(QStringLiteral(" %1").arg(i));
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    m_combo->lineEdit()->installEventFilter(this);
    al->addWidget(m_combo, 0, 1);
    m_diagram = new AlgorithmDiagram;
    connect(m_diagram, &AlgorithmDiagram::operatorClicked, this, &frmVoiceEditor::Label1_Click);
    al->addWidget(m_diagram, 1, 0, 1, 2);
    layout->addWidget(algorithm, 1, 3, 2, 1, Qt::AlignTop);

    layout->addWidget(buildGrid(kLfoGrid), 1, 4, 2, 1, Qt::AlignTop);
    auto* right = new QWidget;
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(buildGrid(kMiscGrid));
    m_nameLabel = new QLabel(QStringLiteral("VoiceName"));
    QFont big = m_nameLabel->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_nameLabel->setFont(big);
    rl->addWidget(m_nameLabel);
    m_reset = new QPushButton(QStringLiteral("Reset"));
    connect(m_reset, &QPushButton::clicked, this, &frmVoiceEditor::Command1_Click);
    rl->addWidget(m_reset);
    rl->addStretch(1);
    layout->addWidget(right, 1, 5, 2, 1, Qt::AlignTop);
    layout->setColumnStretch(6, 1);
    m_panels[0] = panel;
    return panel;
}

void frmVoiceEditor::LayoutEditorWindow()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea;
    m_scroll->setWidgetResizable(false);
    m_scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(m_scroll);

    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("picClient"));
    auto* grid = new QGridLayout(m_canvas);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);
    for (int op = 1; op <= 6; ++op)
        grid->addWidget(buildOperatorPanel(op), (op - 1) / 3, (op - 1) % 3, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(buildNonOperatorPanel(), 2, 0, 1, 3, Qt::AlignLeft | Qt::AlignTop);

    m_scroll->setWidget(m_canvas);

    m_spin = new CellSpin(m_canvas);
    m_spin->hide();
    connect(m_spin, &CellSpin::valueChanged, this, [this] { UpDown_Change(); });
    connect(m_spin, &CellSpin::pressed, this, &frmVoiceEditor::UpDown_MouseDown);
    connect(m_spin, &CellSpin::moved, this, &frmVoiceEditor::UpDown_MouseMove);
    connect(m_spin, &CellSpin::released, this, &frmVoiceEditor::UpDown_MouseUp);
    watch(m_combo);
    watch(m_canvas);
    SetEditorColours();
    sizePanels();
    resize(std::min(m_canvas->width() + 4, 1000), std::min(m_canvas->height() + 4, 640));
}

void frmVoiceEditor::sizePanels()
{
    // Measured as shown: in the style, and the fonts of each kind of control, that polishing
    // gives them.
    ensurePolished();
    for (int index = 0; index < kGridCount; ++index)
        SizeParameterGrid(*m_grids[static_cast<std::size_t>(index)], index);
    for (std::size_t chart = 0; chart < m_zoomSpins.size(); ++chart) {
        QLineEdit& text = *m_zoomTexts[chart];
        text.setFixedWidth(text.fontMetrics().horizontalAdvance(QStringLiteral("00.000")) + 8);
        m_zoomSpins[chart]->setFixedHeight(text.sizeHint().height());
        // The zoom column gives up room before any other: the caption holds its own.
        QLabel& caption = *m_zoomCaptions[chart];
        const QMargins margins = caption.contentsMargins();
        caption.setMinimumWidth(caption.fontMetrics().horizontalAdvance(caption.text()) + 2 * caption.margin() +
                                margins.left() + margins.right());
    }

    // Operator panels share one size; the canvas holds three across and two down, with
    // the non-operator panel below.
    for (QFrame* panel : m_panels)
        Unfix(*panel);
    // A layout keeps what it measured of its controls until they tell it they changed,
    // which the controls of a hidden window leave to later: all are measured afresh here.
    for (QWidget* w : m_canvas->findChildren<QWidget*>())
        w->updateGeometry();
    QSize panelSize;
    for (int op = 1; op <= 6; ++op)
        panelSize = panelSize.expandedTo(m_panels[static_cast<std::size_t>(op)]->sizeHint());
    for (int op = 1; op <= 6; ++op)
        m_panels[static_cast<std::size_t>(op)]->setFixedSize(panelSize);
    QSize nonOp = m_panels[0]->sizeHint();
    nonOp.setWidth(std::max(nonOp.width(), 3 * panelSize.width() + 2 * m_canvas->layout()->spacing()));
    m_panels[0]->setFixedSize(nonOp);
    m_canvas->setFixedSize(3 * panelSize.width() + kCanvasMargin,
                           2 * panelSize.height() + nonOp.height() + kCanvasMargin);
    if (!m_spin->isHidden())
        AttachSpinToGrid(CurrentGrid);
}

void frmVoiceEditor::changeEvent(QEvent* event)
{
    // A new style or font: the panels are measured again once every control has taken it.
    if ((event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) && !m_sizingQueued) {
        m_sizingQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_sizingQueued = false;
                sizePanels();
            },
            Qt::QueuedConnection);
    }
    QWidget::changeEvent(event);
}

void frmVoiceEditor::watch(QWidget* w)
{
    if (w != nullptr)
        w->installEventFilter(this);
}

void frmVoiceEditor::SetEditorColours()
{
    // The window colour behind the panels, the button face in the grids and the diagram.
    const QColor window = palette().color(QPalette::Base);
    const QColor face = palette().color(QPalette::Button);
    QPalette canvas = m_canvas->palette();
    canvas.setColor(QPalette::Window, window);
    m_canvas->setPalette(canvas);
    m_canvas->setAutoFillBackground(true);
    QPalette diagram = m_diagram->palette();
    diagram.setColor(QPalette::Window, face);
    m_diagram->setPalette(diagram);
    m_diagram->setAutoFillBackground(true);
    for (QTableView* grid : m_grids) {
        QPalette p = grid->palette();
        p.setColor(QPalette::Base, face);
        grid->setPalette(p);
    }
}

}  // namespace editor
