// Brevane - the MIDI Manager window.
#include "midiui/frmMIDIManager.h"

#include "midi/MidiSetupRules.h"
#include "platform/Services.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace shell {
namespace {

namespace MF = midi::MonitorField;
namespace SF = midi::SlotField;

// A batch of new monitor lines is shown this long after the first of them arrived.
constexpr int kFlushMs = 40;
constexpr int kTwipsPerPixel = 15;

int px(int twips) { return twips / kTwipsPerPixel; }

constexpr const char* kKeys[] = {"Send", "Receive", "Save", "Delete", "Load", "Save And Load", "Edit"};

std::vector<platform::RecordsetModel::Column> monitorColumns()
{
    const char* titles[] = {"H:M:Sec", "No", "Ch.", "Message", "", "", "", ""};
    std::vector<platform::RecordsetModel::Column> columns;
    // A message may name a file (a file sent, say): it shows the name as the title bar does.
    for (int f = MF::Timestamp; f <= MF::Data2; ++f)
        columns.push_back({f, QString::fromLatin1(titles[f]), false, f == MF::Message});
    return columns;
}

// A text without its trailing blanks.
QString unpadded(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    return text;
}

// The slots' and the log's text fields come blank-padded to their widths. A cell shows its
// text without the trailing blanks, which would cut it short with an ellipsis.
class UnpaddedText final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        return unpadded(QStyledItemDelegate::displayText(value, locale));
    }
};

// The room a cell's text needs beside the text itself: a margin at either side, and a
// pixel for the grid line.
int cellMargins(const QTableView* grid)
{
    return 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
}

// A column's designed width, and the texts it must show whole (the widest counts).
struct ColumnSize {
    int twips;
    std::array<const char*, 4> texts;
};

// The bank grid: a slot number, its name, its length in bytes.
constexpr ColumnSize kBankColumns[] = {{400, {"100"}}, {4000, {}}, {970, {"000000"}}};
// The monitor: a time stamp of a long session, a line number that runs on past the lines
// kept, a channel, the message, and the titles and values (a blank before the digits) of
// its data. The lines of what was sent are the longest messages it shows often. A short
// message sent ends its text with the title of its first value, and the rest stand a
// column to the right of where a received one has them: "Data" in a value's column.
constexpr ColumnSize kMonitorColumns[] = {
    {900, {"00:00:00.0"}},
    {500, {"0000000"}},
    {300, {"16"}},
    {3000,
     {"Short Sysex sent:                       Status", "Long Sysex sent: length  0000000 bytes",
      "Long Sysex sent: 240 67 16 127 127 127 247"}},
    {750, {"Sysex Bank", "LSB Value", "Velocity", "Not kept"}},
    {500, {" 000", "Data"}},
    {750, {"MSB Value", "Value"}},
    {500, {" 000"}},
};

// Each column as wide as designed, but never narrower than its caption or its widest text
// in the grid's font, so that none of them is cut short. Gives the columns' total width.
template <std::size_t N>
int sizeColumns(QTableView* grid, const ColumnSize (&columns)[N])
{
    const int margins = cellMargins(grid);
    const QFontMetricsF metrics(grid->font());
    int total = 0;
    for (std::size_t c = 0; c < N; ++c) {
        const int column = static_cast<int>(c);
        int width = std::max(px(columns[c].twips), grid->horizontalHeader()->sectionSizeHint(column));
        for (const char* text : columns[c].texts) {
            if (text == nullptr)
                continue;
            const double advance = metrics.horizontalAdvance(QString::fromLatin1(text));
            width = std::max(width, static_cast<int>(std::ceil(advance)) + margins);
        }
        grid->setColumnWidth(column, width);
        total += width;
    }
    return total;
}

void fixedRows(QTableView* grid)
{
    // Rows of one height: a log of many thousand lines scrolls without measuring each.
    const int rowHeight = grid->fontMetrics().height() + 6;
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->setItemDelegate(new UnpaddedText(grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    // Scrolled by pixels, a row's height a step, the grid looks and moves as when scrolled
    // by rows; but scrolling by rows has the header work out where each of its rows begins
    // whenever rows were added, which at 100,000 lines costs more than all else a new
    // line does.
    grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->verticalScrollBar()->setSingleStep(rowHeight);
}

// The monitor grid. New lines are added at its end, and it follows them.
class MonitorGrid final : public QTableView {
public:
    using QTableView::QTableView;

    // Lays out the rows added at the end and scrolls to the last. The layout pass marks
    // the whole grid to be drawn anew, so the scroll need not move the old picture up
    // first (a copy of the whole grid, for every batch of lines).
    void followEnd()
    {
        doItemsLayout();
        m_drawnAnew = true;
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        m_drawnAnew = false;
    }

protected:
    void scrollContentsBy(int dx, int dy) override
    {
        if (m_drawnAnew && dx == 0) {
            verticalHeader()->setOffset(verticalScrollBar()->value());
            return;
        }
        QTableView::scrollContentsBy(dx, dy);
    }

private:
    bool m_drawnAnew = false;
};

}  // namespace

frmMIDIManager::frmMIDIManager(midi::clsMidiManagerData& data, midi::MidiManagerSlots& banks,
                               std::function<PortState()> ports, QWidget* parent)
    : QWidget(parent), m_data(data), m_banks(banks), m_ports(std::move(ports))
{
    setObjectName(QStringLiteral("frmMIDIManager"));
    setWindowTitle(QStringLiteral("MIDI Manager"));

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char* key : kKeys) {
        const QString k = QString::fromLatin1(key);
        QAction* a = m_toolbar->addAction(k);
        a->setObjectName(k);
        connect(a, &QAction::triggered, this, [this, k] { Toolbar1_ButtonClick(k); });
        m_buttons[k] = a;
    }

    m_grid1 = new QTableView(this);
    m_grid1->setObjectName(QStringLiteral("DataGrid1"));
    m_grid2 = new MonitorGrid(this);
    m_grid2->setObjectName(QStringLiteral("DataGrid2"));
    m_check1 = new QCheckBox(QStringLiteral("&Resend Message when selected"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));

    auto* banksBox = new QGroupBox(QStringLiteral("Sysex Banks"), this);
    (new QVBoxLayout(banksBox))->addWidget(m_grid1);
    auto* monitorBox = new QGroupBox(QStringLiteral("MIDI Monitor"), this);
    (new QVBoxLayout(monitorBox))->addWidget(m_grid2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(m_toolbar);
    layout->addWidget(banksBox, 2);
    layout->addWidget(monitorBox, 3);
    layout->addWidget(m_check1);

    Init_Grid();
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &frmMIDIManager::flushMonitor);
    m_grid1->installEventFilter(this);
    m_grid2->installEventFilter(this);
    updateButtons();
}

frmMIDIManager::~frmMIDIManager() = default;

void frmMIDIManager::Init_Grid()
{
    if (m_banks.MidiSysex.isEmpty())
        m_banks.InitMidiGrid();
    // A slot is named after the file it was loaded from, and saved under its name.
    m_bankModel.setRecordset(m_banks.MidiSysex,
                             {{SF::No, QStringLiteral("No"), false},
                              {SF::Name, QStringLiteral("Name"), true, true},
                              {SF::Length, QStringLiteral("Length"), false}});
    m_grid1->setModel(&m_bankModel);
    fixedRows(m_grid1);
    sizeColumns(m_grid1, kBankColumns);
    m_grid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);

    m_monitorModel.setRecordset(m_data.MidiMessage, monitorColumns());
    m_grid2->setModel(&m_monitorModel);
    fixedRows(m_grid2);
    m_grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The monitor's columns with room for its scroll bar, and the window's frame round it.
    resize(sizeColumns(m_grid2, kMonitorColumns) + px(550 + 200), 480);
    widenMessageColumn(0, m_monitorModel.rowCount());

    connect(m_grid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowSelected(1, current.row()); });
    connect(m_grid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowSelected(2, current.row()); });
    selectCurrentSlot();
}

QAction* frmMIDIManager::button(const QString& key) const
{
    const auto it = m_buttons.find(key);
    return it == m_buttons.end() ? nullptr : it->second;
}

void frmMIDIManager::updateButtons()
{
    const PortState p = m_ports ? m_ports() : PortState{};
    const midi::ManagerButtons b =
        midi::managerButtonStates(p.inputRunning, p.outputOpen, m_banks.currentSlotUsed(), p.setupRunning);
    m_buttons[QStringLiteral("Send")]->setEnabled(b.send);
    m_buttons[QStringLiteral("Receive")]->setEnabled(b.receive);
    m_buttons[QStringLiteral("Save")]->setEnabled(b.save);
    m_buttons[QStringLiteral("Delete")]->setEnabled(b.del);
    m_buttons[QStringLiteral("Load")]->setEnabled(b.load);
    m_buttons[QStringLiteral("Save And Load")]->setEnabled(b.saveAndLoad);
    m_buttons[QStringLiteral("Edit")]->setEnabled(b.edit);
}

void frmMIDIManager::selectCurrentSlot()
{
    const int row = m_banks.MidiSysex.absolutePosition() - 1;
    if (row < 0 || row >= m_bankModel.rowCount())
        return;
    m_selecting = true;
    m_grid1->selectionModel()->setCurrentIndex(m_bankModel.index(row, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_selecting = false;
}

void frmMIDIManager::banksChanged()
{
    m_selecting = true;
    m_bankModel.refresh();
    m_selecting = false;
    selectCurrentSlot();
    updateButtons();
}

void frmMIDIManager::messageLogged(platform::Bookmark row, bool replaced)
{
    if (row == platform::kNoBookmark) {
        if (replaced) {
            // The log is a new recordset: shown whole from here on, the lines that were
            // waiting (the last ones) with it.
            const int waiting = static_cast<int>(m_pending.size());
            m_pending.clear();
            m_rewritten.clear();
            m_monitorModel.setRecordset(m_data.MidiMessage, monitorColumns());
            widenMessageColumn(0, 1);
            widenMessageColumn(m_monitorModel.rowCount() - waiting, m_monitorModel.rowCount());
            return;
        }
        // The oldest lines left, the first line now tells of them.
        const auto gone = [this](platform::Bookmark b) { return !m_data.MidiMessage.contains(b); };
        std::erase_if(m_pending, gone);
        std::erase_if(m_rewritten, gone);
        m_monitorModel.removeGoneRows();
        m_monitorModel.refreshRow(m_monitorModel.bookmarkAt(0));
        widenMessageColumn(0, 1);
        return;
    }
    (replaced ? m_rewritten : m_pending).push_back(row);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void frmMIDIManager::flushMonitor()
{
    m_flushTimer.stop();
    if (!m_pending.empty()) {
        const int first = m_monitorModel.rowCount();
        m_monitorModel.appendRows(m_pending);
        m_pending.clear();
        widenMessageColumn(first, m_monitorModel.rowCount());
        static_cast<MonitorGrid*>(m_grid2)->followEnd();
    }
    for (const platform::Bookmark b : m_rewritten) {
        m_monitorModel.refreshRow(b);
        const int row = m_monitorModel.rowOf(b);
        widenMessageColumn(row, row + 1);
    }
    m_rewritten.clear();
}

void frmMIDIManager::widenMessageColumn(int first, int end)
{
    // Only the rows given are measured, so a burst of lines costs one measure a line
    // however long the log is; the column never narrows again.
    first = std::max(first, 0);
    end = std::min(end, m_monitorModel.rowCount());
    if (first >= end)
        return;
    const QFontMetricsF metrics(m_grid2->font());
    const int margins = cellMargins(m_grid2);
    double room = m_grid2->columnWidth(MF::Message) - margins;
    // A line of plain ASCII too short to pass the room even in the font's widest glyphs
    // fits without being measured: most lines, the notes and controls of a burst.
    const double widestGlyph = metrics.maxWidth();
    const platform::Recordset& log = m_monitorModel.recordset();
    for (int row = first; row < end; ++row) {
        if (const auto* bytes = std::get_if<std::string>(&log.valueAt(m_monitorModel.bookmarkAt(row), MF::Message));
            bytes && static_cast<double>(bytes->size()) * widestGlyph <= room &&
            std::all_of(bytes->begin(), bytes->end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            continue;
        const QString text = unpadded(m_monitorModel.data(m_monitorModel.index(row, MF::Message)).toString());
        room = std::max(room, metrics.horizontalAdvance(text));
    }
    const int needed = static_cast<int>(std::ceil(room)) + margins;
    if (needed > m_grid2->columnWidth(MF::Message))
        m_grid2->setColumnWidth(MF::Message, needed);
}

bool frmMIDIManager::syncCursor(int grid)
{
    QTableView* view = grid == 1 ? m_grid1 : m_grid2;
    platform::RecordsetModel& model = grid == 1 ? m_bankModel : m_monitorModel;
    platform::Recordset& rs = grid == 1 ? m_banks.MidiSysex : m_data.MidiMessage;
    const QModelIndex current = view->selectionModel()->currentIndex();
    if (!current.isValid())
        return false;
    return rs.moveToBookmark(model.bookmarkAt(current.row()));
}

void frmMIDIManager::rowSelected(int grid, int row)
{
    if (m_selecting || row < 0)
        return;
    (void)syncCursor(grid);
    if (grid == 1)
        updateButtons();
    if (m_check1->isChecked())
        (void)m_data.SendMIDIMessage(static_cast<std::int16_t>(grid), row + 1);
}

void frmMIDIManager::Toolbar1_ButtonClick(const QString& key)
{
    (void)syncCursor(1);
    if (key == QLatin1String("Send")) {
        (void)m_banks.SendSysex();
    } else if (key == QLatin1String("Receive")) {
        (void)m_banks.ReceiveSysex();
    } else if (key == QLatin1String("Save")) {
        std::string path;
        (void)m_banks.SaveSysex(path);
    } else if (key == QLatin1String("Delete")) {
        (void)m_banks.DeleteSysex();
    } else if (key == QLatin1String("Load")) {
        (void)m_banks.LoadSysex();
    } else if (key == QLatin1String("Save And Load")) {
        (void)m_banks.SaveAndLoadSysex();
    } else if (key == QLatin1String("Edit")) {
        if (m_focusedGrid == 0 || !syncCursor(m_focusedGrid)) {
            (void)platform::messages().messageBox("Please select a sysex message or bank to edit.",
                                                  platform::MsgStyle::Information, "Nothing to Edit");
            return;
        }
        m_banks.EditSysex(m_focusedGrid);
        if (m_focusedGrid == 2) {
            flushMonitor();
            const platform::Bookmark edited = m_data.MidiMessage.bookmark();
            m_monitorModel.refreshRow(edited);
            const int row = m_monitorModel.rowOf(edited);
            widenMessageColumn(row, row + 1);
        }
    }
    updateButtons();
}

bool frmMIDIManager::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_grid1)
            m_focusedGrid = 1;
        else if (watched == m_grid2)
            m_focusedGrid = 2;
    } else if (event->type() == QEvent::KeyPress && watched == m_grid1 &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        // The bank grid's own delete frees the slot instead.
        if (syncCursor(1))
            (void)m_banks.DeleteSysex();
        updateButtons();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace shell
