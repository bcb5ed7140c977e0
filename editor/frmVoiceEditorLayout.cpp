// Brevane - the voice editor window's panels: the operator and non-operator panels with
// their grids, charts' places, zoom boxes, algorithm box and Reset button, laid out on the
// canvas that scrolls.
#include "editor/frmVoiceEditor.h"

#include "editor/AlgorithmDiagram.h"
#include "editor/CellSpin.h"
#include "editor/GridMap.h"
#include "editor/ParameterGridModel.h"

#include <QComboBox>
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

// Sizes parameter grid index to its rows and two columns: the short titles as wide as
// "RDepth", the values as wide as "999" (or, in a grid of display texts, "Saw Down") with
// the spin beside them. The grid takes exactly that size and never scrolls; the title
// column keeps its width when the model is bound to another voice.
void SizeParameterGrid(QTableView& grid, ParameterGridModel& model, int index)
{
    const QFontMetrics fm = grid.fontMetrics();
    const int rowHeight = fm.height() + 4;
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.verticalHeader()->setDefaultSectionSize(rowHeight);
    const int titleWidth = fm.horizontalAdvance(QStringLiteral("RDepth")) + 10;
    const int valueWidth = (gridShowsRawValue(index) ? fm.horizontalAdvance(QStringLiteral("999"))
                                                     : fm.horizontalAdvance(QStringLiteral("Saw Down"))) +
                           CellSpin::kWidth + 10;
    grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.horizontalHeader()->setDefaultSectionSize(valueWidth);
    const int rows = static_cast<int>(rowsOfGrid(index).size());
    const int frame = 2 * grid.frameWidth();
    grid.setFixedSize(titleWidth + valueWidth + frame, rowHeight * rows + frame);
    QTableView* view = &grid;
    QObject::connect(&model, &QAbstractItemModel::modelReset, view,
                     [view, titleWidth] { view->setColumnWidth(0, titleWidth); });
    grid.setColumnWidth(0, titleWidth);
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
    text->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00.000")) + 8);
    auto* spin = new CellSpin;
    spin->setRange(0, 9);
    spin->setValue(kZoomStart);
    spin->setFixedHeight(text->sizeHint().height());
    connect(spin, &CellSpin::valueChanged, this, [this, chart] { UpDown2_Change(chart); });
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(text, 1, 0);
    layout->addWidget(spin, 1, 1);
    m_zoomSpins[static_cast<std::size_t>(chart)] = spin;
    m_zoomTexts[static_cast<std::size_t>(chart)] = text;
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
    SizeParameterGrid(*grid, *model, index);
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

    // Operator panels share one size; the canvas holds three across and two down, with
    // the non-operator panel below.
    QSize panelSize;
    for (int op = 1; op <= 6; ++op)
        panelSize = panelSize.expandedTo(m_panels[static_cast<std::size_t>(op)]->sizeHint());
    for (int op = 1; op <= 6; ++op)
        m_panels[static_cast<std::size_t>(op)]->setFixedSize(panelSize);
    QSize nonOp = m_panels[0]->sizeHint();
    nonOp.setWidth(std::max(nonOp.width(), 3 * panelSize.width() + 2 * grid->spacing()));
    m_panels[0]->setFixedSize(nonOp);
    m_canvas->setFixedSize(3 * m_panels[1]->width() + kCanvasMargin,
                           2 * m_panels[2]->height() + m_panels[0]->height() + kCanvasMargin);
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
    resize(std::min(m_canvas->width() + 4, 1000), std::min(m_canvas->height() + 4, 640));
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
