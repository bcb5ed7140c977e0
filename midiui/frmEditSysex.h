// Brevane - the System Exclusive editor ("Edit Sysex"): one message, byte by byte.
//
// Modal. The grid shows the message 16 bytes to a row as decimal numbers; OK checks the
// edited message (and may send the user back to editing), Cancel, Esc and the close box
// keep the message as it was given.
#pragma once

#include "midi/clsHexEditor.h"
#include "shell/CancelOnCloseDialog.h"

#include <array>
#include <optional>
#include <string>

class QPushButton;
class QTableView;

namespace shell {

class HexGridModel;

class frmEditSysex final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    // voiceData: every byte must stay below 128.
    frmEditSysex(std::string message, bool voiceData, QWidget* parent = nullptr);

    // Shows the editor on a message; the edited message, or nullopt when it was kept as
    // it was (cancelled, or confirmed unchanged).
    [[nodiscard]] static std::optional<std::string> edit(const std::string& message, bool voiceData,
                                                         QWidget* parent);

    // The buttons: 0 confirms, 1 Cancel.
    void Command1_Click(int index);
    void CancelButton_Click() override { Command1_Click(1); }

    // The message given; the result once the window closed (the message given when cancelled).
    [[nodiscard]] const std::string& message() const { return m_message; }
    [[nodiscard]] const std::string& editedMessage() const { return m_result; }

    [[nodiscard]] QTableView* DataGrid1() const { return m_grid; }
    [[nodiscard]] HexGridModel* model() const { return m_model; }
    [[nodiscard]] QPushButton* Command1(int i) const { return m_command1[static_cast<std::size_t>(i)]; }

private:
    void LoadHexGrid();

    std::string m_message;
    std::string m_result;
    midi::clsHexEditor m_editor;
    HexGridModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    std::array<QPushButton*, 2> m_command1{};
};

}  // namespace shell
