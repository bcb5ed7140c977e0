// Brevane - the voice editor window: one voice of one voice list, all 155 parameters.
#include "editor/frmVoiceEditor.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "editor/AlgorithmDiagram.h"
#include "editor/CellSpin.h"
#include "editor/GridMap.h"
#include "editor/ParameterGridModel.h"
#include "editor/ParameterTexts.h"
#include "editor/VoiceChart.h"
#include "editor/frmVoiceRecordset.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/VbText.h"
#include "shell/ShellHelpers.h"
#include "shell/UpdatingFlag.h"
#include "shell/frmStartup.h"
#include "voicelist/frmVoiceList.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

#include <cmath>

namespace editor {
namespace {

constexpr int kNameRows = 10;
constexpr const char* kTagProperty = "EditorControlTag";

void updateMainCommands()
{
    if (shell::frmStartup* main = shell::frmStartup::instance())
        main->updateCommands();
}

}  // namespace

frmVoiceEditor::frmVoiceEditor(QMdiArea* area, QWidget* parent) : QWidget(parent), m_area(area)
{
    setWindowTitle(QStringLiteral("Voice Editor"));
    m_caption = "Voice Editor";
    connect(&m_edits, &ParameterEdits::rowChanged, this, &frmVoiceEditor::onRowChanged);
    m_hold = makeHoldTimer();
    LayoutEditorWindow();
    connectCharts();
}

frmVoiceEditor::~frmVoiceEditor() = default;

// ---------------------------------------------------------------- public state

void frmVoiceEditor::setRsVoiceData(platform::Recordset rs)
{
    m_voice = std::move(rs);
    m_edits.setVoice(m_voice, m_proxy);
}

platform::Recordset& frmVoiceEditor::rsVoiceData()
{
    CommitPendingEdit();
    return m_voice;
}

void frmVoiceEditor::setRsProxyData(platform::Recordset rs)
{
    m_proxy = std::move(rs);
    m_edits.setVoice(m_voice, m_proxy);
}

void frmVoiceEditor::setEditorID(const std::string& id)
{
    if (m_editorId.empty())
        m_editorId = id;
}

void frmVoiceEditor::setFileType(banklib::FileType type)
{
    m_listType = type;
    m_edits.setListType(type);
}

void frmVoiceEditor::setCaption(const std::string& text)
{
    m_caption = text;
    setWindowTitle(platform::fromBytes(text));
}

void frmVoiceEditor::setOperatorStatus(int mask)
{
    m_edits.setOperatorStatus(mask);
    m_diagram->setOperatorStatus(m_edits.OperatorStatus());
}

// ---------------------------------------------------------------- controls

QTableView* frmVoiceEditor::dGrid1(int index) const
{
    return index >= 0 && index < kGridCount ? m_grids[static_cast<std::size_t>(index)] : nullptr;
}
ParameterGridModel* frmVoiceEditor::gridModel(int index) const
{
    return index >= 0 && index < kGridCount ? m_models[static_cast<std::size_t>(index)] : nullptr;
}
QFrame* frmVoiceEditor::Frame3(int index) const
{
    return index >= 0 && index <= 6 ? m_panels[static_cast<std::size_t>(index)] : nullptr;
}
QLabel* frmVoiceEditor::Label3(int index) const
{
    return index >= 0 && index <= 6 ? m_titles[static_cast<std::size_t>(index)] : nullptr;
}
QFrame* frmVoiceEditor::chartPlace(int index) const
{
    return index >= 0 && index < kChartCount ? m_chartPlaces[static_cast<std::size_t>(index)] : nullptr;
}
CellSpin* frmVoiceEditor::UpDown2(int index) const
{
    return index >= 0 && index <= 6 ? m_zoomSpins[static_cast<std::size_t>(index)] : nullptr;
}
QLineEdit* frmVoiceEditor::Text1(int index) const
{
    return index >= 0 && index <= 6 ? m_zoomTexts[static_cast<std::size_t>(index)] : nullptr;
}

// ---------------------------------------------------------------- building the voice

void frmVoiceEditor::BindParameterGrid(int index)
{
    shell::UpdatingScope updating;
    for (const int row : rowsOfGrid(index))
        RefreshRowText(m_edits.voice(), m_edits.proxy(), row);
    m_models[static_cast<std::size_t>(index)]->bind(m_voice, rowsOfGrid(index), gridShowsRawValue(index));
}

void frmVoiceEditor::BindOperatorGrids(int op)
{
    shell::UpdatingScope updating;
    BindParameterGrid(op);
    BindParameterGrid(op + 6);
    BindParameterGrid(op + 12);
    BindParameterGrid(op + 18);
}

void frmVoiceEditor::InitVoiceEditor(int first, int last)
{
    if (first == 0) {
        first = 1;
        last = 6;
    }
    first = std::clamp(first, 1, 6);
    last = std::clamp(last, first, 6);
    banklib::BusyCursor busy;
    if (m_spin->parentWidget() != m_canvas) {
        // The grids are rebound: the spin waits on the canvas until a cell takes it again.
        m_spin->hide();
        m_spin->setParent(m_canvas);
    }
    for (int op = first; op <= last; ++op) {
        m_panels[static_cast<std::size_t>(op)]->setVisible(true);
        BindOperatorGrids(op);
        m_titles[static_cast<std::size_t>(op)]->setText(QStringLiteral("Operator %1").arg(op));
        emit operatorRebuilt(op);
    }
    if (first != last) {
        InitNonOperatorData();
        ShowVoiceName();
        SetEditorColours();
    }
}

void frmVoiceEditor::InitNonOperatorData()
{
    BindParameterGrid(kPitchEgGrid);
    {
        shell::UpdatingScope updating;
        showAlgorithm(m_edits.value(ParameterEdits::kAlgorithmRow));
        setOperatorStatus(ParameterEdits::kAllOperatorsOn);
    }
    BindParameterGrid(kLfoGrid);
    BindParameterGrid(kMiscGrid);
    m_panels[0]->setVisible(true);
    emit operatorRebuilt(0);
}

void frmVoiceEditor::showAlgorithm(int index)
{
    shell::UpdatingScope updating;
    index = std::clamp(index, 0, kAlgorithmCount - 1);
    m_combo->setCurrentIndex(index);
    m_diagram->setAlgorithm(index + 1);
    m_diagram->setOperatorStatus(m_edits.OperatorStatus());
}

void frmVoiceEditor::ShowVoiceName()
{
    std::string name;
    for (int i = 0; i < kNameRows; ++i) {
        const std::string v = m_edits.voice().text(ParameterEdits::kFirstNameRow + i, banklib::VoiceDataField::Value);
        name += v.empty() ? ' ' : v[0];
    }
    m_voiceName = name;
    setCaption(name);
    m_nameLabel->setText(platform::fromBytes(name));
}

void frmVoiceEditor::VoiceNameChange(const std::string& name, bool& done)
{
    const std::string padded = shell::paddedVoiceName(name);
    for (int i = 0; i < kNameRows; ++i)
        m_edits.voice().set(ParameterEdits::kFirstNameRow + i, banklib::VoiceDataField::Value,
                            std::string(1, padded[static_cast<std::size_t>(i)]));
    setCaption(padded);
    m_nameLabel->setText(platform::fromBytes(padded));
    done = true;
}

void frmVoiceEditor::TagEditorControls(const std::string& listId)
{
    if (m_listId.empty())
        m_listId = listId;
    const QString tag = platform::fromBytes(EditorControlTag());
    for (QTableView* grid : m_grids)
        grid->setProperty(kTagProperty, tag);
    for (QLabel* title : m_titles)
        title->setProperty(kTagProperty, tag);
    for (QFrame* place : m_chartPlaces)
        place->setProperty(kTagProperty, tag);
    for (VoiceChart* chart : m_charts)
        chart->setProperty(kTagProperty, tag);
}

void frmVoiceEditor::ResetVoice()
{
    if (m_holder == nullptr)
        return;
    const auto result = m_holder->InitVoiceDataRecordset();
    if (result == frmVoiceRecordset::LoadResult::VoiceGone) {
        banklib::VoiceListView* list = banklib::appState().colVoiceLists().Item(m_listId);
        const std::string where = list != nullptr ? list->FileTitle() : std::string("its voice list");
        (void)platform::messages().messageBox("The voice edited in " + m_caption + " is no longer in " + where + "." +
                                                  platform::kCrLf + "It can't be reset; the edits are kept.",
                                              platform::MsgStyle::Exclamation, "Reset Voice");
        return;
    }
    if (result != frmVoiceRecordset::LoadResult::Loaded)
        return;
    setRsVoiceData(m_holder->rsVoiceData().clone());
    setRsProxyData(m_holder->rsProxyData().clone());
    m_voiceCrc = m_holder->VoiceCRC;
    const int grid = CurrentGrid;
    const int row = CurrentGridRow;
    const int col = CurrentGridCol;
    InitVoiceEditor(0, 0);
    if (QTableView* view = dGrid1(grid)) {
        {
            shell::UpdatingScope updating;
            view->setCurrentIndex(view->model()->index(row, std::max(col, 1)));
        }
        AttachSpinToGrid(grid);
        view->setFocus(Qt::OtherFocusReason);
    }
    m_edits.sendWholeVoice(false);
}

void frmVoiceEditor::CommitPendingEdit()
{
    // The commit writes and sends, and a send may wait with events let in.
    if (m_committingEdit || m_unloaded)
        return;
    m_committingEdit = true;
    for (QTableView* grid : m_grids) {
        const QModelIndex cell = grid->currentIndex();
        QWidget* typing = cell.isValid() ? grid->indexWidget(cell) : nullptr;
        QAbstractItemDelegate* delegate = typing != nullptr ? grid->itemDelegateForIndex(cell) : nullptr;
        if (delegate == nullptr)
            continue;
        // What the delegate does on Enter.
        emit delegate->commitData(typing);
        emit delegate->closeEditor(typing, QAbstractItemDelegate::SubmitModelCache);
    }
    const int algorithm = m_combo->currentIndex();
    if (m_combo->lineEdit() != nullptr && algorithm >= 0 && m_combo->currentText() != m_combo->itemText(algorithm) &&
        !Combo1_Enter()) {
        // Refused, with the box's message: the reader goes on with the voice's algorithm,
        // which the box shows again (a second reader asks no more).
        shell::UpdatingScope updating;
        m_combo->setEditText(m_combo->itemText(algorithm));
    }
    m_committingEdit = false;
}

// ---------------------------------------------------------------- the spin

void frmVoiceEditor::AttachSpinToGrid(int n)
{
    QTableView* grid = dGrid1(n);
    if (grid == nullptr)
        return;
    QModelIndex index = grid->currentIndex();
    if (!index.isValid())
        return;
    const int row = m_models[static_cast<std::size_t>(n)]->voiceRowAt(index.row());
    if (row < 0)
        return;
    PlaceSpinOnCell(*grid, n, index.row(), row);
    CurrentGrid = n;
    CurrentGridRow = index.row();
    CurrentGridCol = index.column();
}

void frmVoiceEditor::PlaceSpinOnCell(QTableView& grid, int n, int gridRow, int row)
{
    const QRect cell = grid.visualRect(grid.model()->index(gridRow, 1));
    shell::UpdatingScope updating;
    if (m_spin->parentWidget() != grid.viewport())
        m_spin->setParent(grid.viewport());
    m_spin->setGeometry(cell.right() - CellSpin::kWidth + 1, cell.top(), CellSpin::kWidth, cell.height());
    m_spin->setRange(m_edits.minimum(row), m_edits.maximum(row));
    m_spin->setTag(n);
    m_spin->setValue(m_edits.value(row));
    m_spin->show();
    m_spin->raise();
}

void frmVoiceEditor::onCurrentCellChanged(int grid)
{
    if (shell::Updating)
        return;
    AttachSpinToGrid(grid);
}

void frmVoiceEditor::UpDown_Change()
{
    if (shell::Updating)
        return;
    shell::UpdatingScope updating;
    const int n = m_spin->tag();
    QTableView* grid = dGrid1(n);
    if (grid == nullptr)
        return;
    QModelIndex index = grid->currentIndex();
    if (!index.isValid())
        return;
    if (index.column() == 0)
        grid->setCurrentIndex(grid->model()->index(index.row(), 1));
    const int row = m_models[static_cast<std::size_t>(n)]->voiceRowAt(index.row());
    (void)m_edits.commit(row, m_spin->value(), EditPath::Spin);
}

void frmVoiceEditor::UpDown_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ControlModifier))
        m_edits.setSendSuppressed(true);
    if (button == Qt::RightButton) {
        playScaleForRightButton();
        m_rightButtonHeld = true;
    }
}

void frmVoiceEditor::UpDown_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ControlModifier))
        m_edits.setSendSuppressed(true);
    if (buttons.testFlag(Qt::RightButton))
        m_rightButtonHeld = true;
}

void frmVoiceEditor::UpDown_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers)
{
    if (button == Qt::LeftButton) {
        if (!m_rightButtonHeld)
            m_edits.setSendSuppressed(false);
    } else if (button == Qt::RightButton) {
        m_rightButtonHeld = false;
    }
}

void frmVoiceEditor::playScaleForRightButton() { m_edits.playTestScale(); }

// ---------------------------------------------------------------- algorithm, operators, zoom

void frmVoiceEditor::Combo1_Click()
{
    if (shell::Updating)
        return;
    const int index = m_combo->currentIndex();
    if (index < 0)
        return;
    m_diagram->setAlgorithm(index + 1);
    m_diagram->setOperatorStatus(m_edits.OperatorStatus());
    (void)m_edits.selectAlgorithm(index);
}

bool frmVoiceEditor::Combo1_Enter()
{
    const std::string text = platform::toBytes(m_combo->currentText());
    const auto index = ParameterEdits::algorithmIndexOfText(text);
    if (!index) {
        (void)platform::messages().messageBox("Algorithm values must be whole numbers between 1 and 32",
                                              platform::MsgStyle::Information, "Invalid Algorithm Number");
        m_combo->lineEdit()->selectAll();
        return false;
    }
    if (*index == m_combo->currentIndex()) {
        {
            shell::UpdatingScope updating;
            m_combo->setEditText(m_combo->itemText(*index));
        }
        Combo1_Click();
    } else {
        m_combo->setCurrentIndex(*index);
    }
    return true;
}

void frmVoiceEditor::Label1_Click(int op)
{
    if (op < 1 || op > 6)
        return;
    if (m_edits.switchOperator(op, !m_edits.operatorOn(op)))
        m_diagram->setOperatorStatus(m_edits.OperatorStatus());
}

void frmVoiceEditor::UpDown2_Change(int n)
{
    CellSpin* spin = UpDown2(n);
    if (spin == nullptr)
        return;
    m_zoom = 1 << spin->value();
    m_zoomTexts[static_cast<std::size_t>(n)]->setText(
        QString::fromStdString(platform::Format(static_cast<double>(m_zoom) / kChartZoom, "General Number")));
    emit zoomChanged(n, m_zoom);
}

// ---------------------------------------------------------------- changes shown

void frmVoiceEditor::onRowChanged(int row)
{
    shell::UpdatingScope updating;
    if (row == ParameterEdits::kOperatorSwitchRow) {
        m_diagram->setOperatorStatus(m_edits.OperatorStatus());
        return;
    }
    if (row == ParameterEdits::kAlgorithmRow) {
        showAlgorithm(m_edits.value(row));
        return;
    }
    const int g = gridOfRow(row);
    if (g < 0)
        return;
    ParameterGridModel* model = m_models[static_cast<std::size_t>(g)];
    model->refreshValues();
    if (m_spin->tag() == g && m_spin->isVisible()) {
        const QModelIndex current = m_grids[static_cast<std::size_t>(g)]->currentIndex();
        const int shown = current.isValid() ? model->voiceRowAt(current.row()) : -1;
        if (shown >= 0) {
            m_spin->setRange(m_edits.minimum(shown), m_edits.maximum(shown));
            m_spin->setValue(m_edits.value(shown));
        }
    }
}

// ---------------------------------------------------------------- keys and mouse

bool frmVoiceEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (elementEvent(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress: {
        // The box holds the focus for its text and hands keys to its line edit itself, past
        // the line edit's filters: Enter is taken wherever it arrives.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool inBox = watched == m_combo || watched == m_combo->lineEdit();
        if (inBox && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            (void)Combo1_Enter();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A press held on a grid or a title drags it (the charts report their own).
        const auto element = elementOf(watched);
        const bool held = element && element->first != ElementKind::Chart;
        if (held)
            m_hold->press(mouse->button());
        // A right press plays the scale once, where it ends: the controls that take it
        // (a grid, a title, the algorithm box's text, the sub-window's own frame) play it
        // here; one that no control takes reaches the window's surface (mousePressEvent);
        // the charts and the spin play it from their own signals.
        if (mouse->button() == Qt::RightButton &&
            (held || watched == m_combo->lineEdit() || (m_subWindow && watched == m_subWindow)))
            playScaleForRightButton();
        if (held) {
            const auto [kind, index] = *element;
            QPointer<frmVoiceEditor> self(this);
            (void)m_hold->arm([self, kind = kind, index = index] {
                if (self)
                    self->startElementDrag(kind, index);
            });
            // A title takes its own presses (the window's surface would play the scale again).
            if (kind == ElementKind::Title)
                return true;
        }
        break;
    }
    case QEvent::WindowStateChange:
        if (watched == m_subWindow && m_subWindow->isMaximized()) {
            m_scroll->horizontalScrollBar()->setValue(0);
            m_scroll->verticalScrollBar()->setValue(0);
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmVoiceEditor::mousePressEvent(QMouseEvent* event)
{
    // A right press no control took: the surface plays the scale and takes the press, so
    // that the sub-window around it does not play it again.
    if (event->button() == Qt::RightButton) {
        playScaleForRightButton();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

// ---------------------------------------------------------------- showing, activation, closing

QSize frmVoiceEditor::sizeHint() const
{
    // The scroll area would ask for a fraction of the canvas; the window wants all of it.
    if (m_canvas == nullptr || m_scroll == nullptr || layout() == nullptr)
        return QWidget::sizeHint();
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    const int frame = 2 * m_scroll->frameWidth();
    return m_canvas->size() + QSize(frame + margins.left() + margins.right(), frame + margins.top() + margins.bottom());
}

void frmVoiceEditor::show()
{
    if (!m_shown) {
        m_shown = true;
        if (m_area) {
            m_subWindow = m_area->addSubWindow(this);
            m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
            m_subWindow->installEventFilter(this);
            connect(m_area, &QMdiArea::subWindowActivated, this, &frmVoiceEditor::onSubWindowActivated);
            sizePanels();  // in the fonts the area passes on
            // As large as the panels want, capped to the area; a dimension that is capped
            // scrolls, and its scroll bar takes room from the other one.
            const QSize room = m_area->viewport()->size().expandedTo({200, 200});
            QSize size = m_subWindow->sizeHint();
            const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
            if (size.height() > room.height())
                size.rwidth() += bar;
            if (size.width() > room.width())
                size.rheight() += bar;
            m_subWindow->resize(size.boundedTo(room));
        }
    }
    if (m_subWindow) {
        m_subWindow->show();
        m_area->setActiveSubWindow(m_subWindow);
    } else {
        QWidget::show();
    }
}

void frmVoiceEditor::onSubWindowActivated(QMdiSubWindow* window)
{
    if (m_unloaded || !m_subWindow)
        return;
    // While the program is away (another program, Alt+Tab, minimised) it stays this
    // editor's turn, and coming back sends nothing.
    m_activation.onSubWindowActivated(*m_area, m_subWindow, window, [this] { Form_Activate(); },
                                      [this] { Form_Deactivate(); });
}

void frmVoiceEditor::Form_Activate()
{
    // The synthesizer gets the voice of the window being worked on, once the window is
    // drawn: the send and its test scale wait for the event loop, so that opening a voice
    // shows its editor at once. The voice ends a scale still playing (another voice's),
    // and its own scale plays on timed calls, the window usable meanwhile.
    m_edits.oweWholeVoice(true);
    QMetaObject::invokeMethod(this, &frmVoiceEditor::sendOwedVoice, Qt::QueuedConnection);
    updateMainCommands();
}

void frmVoiceEditor::sendOwedVoice()
{
    // Owed no more when the window was left or closed, or an edit took the voice along.
    if (m_unloaded || !m_edits.wholeVoiceOwed())
        return;
    // Drawn now: the paint Qt has scheduled would otherwise come after this call, behind
    // the voice.
    QWidget* frame = m_subWindow ? static_cast<QWidget*>(m_subWindow.data()) : this;
    if (frame->isVisible())
        frame->repaint();
    m_edits.sendOwedVoice();
}

void frmVoiceEditor::Form_Deactivate()
{
    // The voice of the window now worked on is the one to go out.
    m_edits.oweWholeVoice(false);
    // A release on the spin that went to another window never reaches this one.
    m_edits.setSendSuppressed(false);
    m_rightButtonHeld = false;
    endMouseInteraction();
    updateMainCommands();
}

bool frmVoiceEditor::unload()
{
    if (m_unloaded)
        return true;
    if (!m_shown) {
        Form_Unload();
        deleteLater();
        return true;
    }
    shell::closeAsUser(*this, m_subWindow);
    return m_unloaded;
}

void frmVoiceEditor::closeEvent(QCloseEvent* event)
{
    // A wait running in this window (a question, a receive) keeps working on it: the
    // close follows once it has ended.
    (void)shell::closeDocumentWindow(*this, *event, m_unloaded, m_closing,
                                     {[this] { (void)unload(); }, [this] { return Form_QueryUnload(); },
                                      [this] { Form_Unload(); }});
}

bool frmVoiceEditor::Form_QueryUnload()
{
    if (m_editorId.empty())
        return true;
    banklib::VoiceListView* list = banklib::appState().colVoiceLists().Item(m_listId);
    if (list == nullptr)
        return true;
    return !m_voiceData.SaveVoice(true, true, list, this);
}

void frmVoiceEditor::Form_Unload()
{
    m_unloaded = true;
    m_edits.oweWholeVoice(false);
    endMouseInteraction();
    m_edits.setSendSuppressed(false);
    emit closed();
    updateMainCommands();
}

}  // namespace editor
