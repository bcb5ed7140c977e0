// Brevane - the progress window of a grouping run ("Processing File").
//
// A progress bar (0 to 100) and Cancel. Cancel (also Esc and the close box) runs the
// cancel handler, through which the group dialog sets its CancelSearch; the progress
// handler asks and stops at its next event.
#pragma once

#include "shell/CancelOnCloseDialog.h"

#include <functional>

class QProgressBar;
class QPushButton;

namespace shell {

class frmGroupStatus final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    // The loaded window, or nullptr.
    [[nodiscard]] static frmGroupStatus* instance();
    // Loads the window (hidden) when it is not loaded, placed at 0.4 of the main window's
    // width and 0.01 of its height.
    static frmGroupStatus& load(QWidget* mainWindow);
    // Closes and destroys the loaded window, if any.
    static void unload();
    // What Cancel does; nothing until a handler is set.
    static void setCancelHandler(std::function<void()> handler);

    void CancelButton_Click() override;

    [[nodiscard]] QProgressBar* ProgressBar1() const { return m_bar; }
    [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }

private:
    explicit frmGroupStatus(QWidget* mainWindow);

    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace shell
