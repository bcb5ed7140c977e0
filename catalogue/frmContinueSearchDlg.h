// Brevane - "Cancel Search ?": asked between reported duplicates of an asking search.
//
// Shown modally by the search. Yes clears StopSearch, No and Cancel (also Esc and the
// close box) set it; each hides the box, which stays loaded so its flags last for the
// rest of the search. Any click on "Continue Search Until End of Range" sets
// DontAskAgain; a second click does not clear it.
#pragma once

#include "shell/CancelOnCloseDialog.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace shell {

class frmContinueSearchDlg final : public CancelOnCloseDialog {
    Q_OBJECT
public:
    // The loaded box, or nullptr.
    [[nodiscard]] static frmContinueSearchDlg* instance();
    // Loads the box (hidden) when it is not loaded, at half the screen's width and 0.3
    // of its height.
    static frmContinueSearchDlg& load(QWidget* mainWindow);
    // Closes and destroys the loaded box, if any (its flags go with it).
    static void unload();

    // Shows the box modally and returns when it was answered.
    void ask();

    bool DontAskAgain = false;
    bool StopSearch = false;

    void OKButton_Click();
    void NoButton_Click();
    void CancelButton_Click() override;
    void Check1_Click();

    [[nodiscard]] QCheckBox* Check1() const { return m_check1; }
    [[nodiscard]] QPushButton* OKButton() const { return m_ok; }
    [[nodiscard]] QPushButton* NoButton() const { return m_no; }
    [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }

private:
    explicit frmContinueSearchDlg(QWidget* mainWindow);

    QCheckBox* m_check1 = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_no = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace shell
