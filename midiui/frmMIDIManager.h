// Brevane - the MIDI Manager window: the System Exclusive bank slots and the traffic monitor.
//
// An MDI child with a toolbar (buttons keyed "Send", "Receive", "Save", "Delete", "Load",
// "Save And Load", "Edit"), the bank grid "Sysex Banks" over the slots and the monitor
// grid "MIDI Monitor" over the log, and "&Resend Message when selected". The buttons
// follow the state of the ports and of the selected slot. The monitor takes new lines in
// batches, so a burst of input never holds the program up, and its Message column widens
// to show the longest line whole. Selecting a row (by the user only) sends its message
// again while the resend box is ticked.
#pragma once

#include "midi/MidiManagerSlots.h"
#include "midi/clsMidiManagerData.h"
#include "platform/RecordsetModel.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QCheckBox;
class QTableView;
class QToolBar;

namespace shell {

class frmMIDIManager final : public QWidget {
    Q_OBJECT
public:
    // What the buttons depend on besides the slots.
    struct PortState {
        bool inputRunning = false;  // the input is open and started
        bool outputOpen = false;
        bool setupRunning = false;
    };

    frmMIDIManager(midi::clsMidiManagerData& data, midi::MidiManagerSlots& banks, std::function<PortState()> ports,
                   QWidget* parent = nullptr);
    ~frmMIDIManager() override;

    // The toolbar, by button key.
    void Toolbar1_ButtonClick(const QString& key);
    // Enables the buttons as the state says.
    void updateButtons();
    // The slots changed: the bank grid shows them and selects the current slot.
    void banksChanged();
    // A line was logged (or rewritten): it is shown with the next batch. kNoBookmark: the
    // oldest lines left (rebuilt: the log is a new recordset), shown at once.
    void messageLogged(platform::Bookmark row, bool replaced);
    // Shows the lines waiting for the next batch now.
    void flushMonitor();

    [[nodiscard]] QTableView* DataGrid1() const { return m_grid1; }
    [[nodiscard]] QTableView* DataGrid2() const { return m_grid2; }
    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QAction* button(const QString& key) const;
    [[nodiscard]] platform::RecordsetModel& bankModel() { return m_bankModel; }
    [[nodiscard]] platform::RecordsetModel& monitorModel() { return m_monitorModel; }
    // Lines logged but not shown yet.
    [[nodiscard]] std::size_t pendingLines() const { return m_pending.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Init_Grid();
    void selectCurrentSlot();
    void rowSelected(int grid, int row);
    // Puts the data cursor of a grid on the grid's current row; false when it has none.
    bool syncCursor(int grid);
    // Widens the monitor's Message column, when need be, to show the messages of the rows
    // first .. end - 1 whole.
    void widenMessageColumn(int first, int end);

    midi::clsMidiManagerData& m_data;
    midi::MidiManagerSlots& m_banks;
    std::function<PortState()> m_ports;
    platform::RecordsetModel m_bankModel;
    platform::RecordsetModel m_monitorModel;
    QToolBar* m_toolbar = nullptr;
    std::map<QString, QAction*> m_buttons;
    QTableView* m_grid1 = nullptr;
    QTableView* m_grid2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    // The grid that had the focus last (1 banks, 2 monitor), 0 before either had it.
    int m_focusedGrid = 0;
    // Set while the program moves a grid's selection, which is no user's choice.
    bool m_selecting = false;
    std::vector<platform::Bookmark> m_pending;
    std::vector<platform::Bookmark> m_rewritten;
    QTimer m_flushTimer;
};

}  // namespace shell
