// Brevane - what the duplicate-search and the grouping dialog share.
//
// Each is a modeless dialog over one voice list (TargetList), loaded once and placed over
// the main window, with a column of Search, Cancel and Help buttons at its right. Search
// runs a catalogue operation over the list; its progress window's Cancel sets CancelSearch,
// and the progress handler then asks whether to stop. A close asked for while the operation
// runs waits for its end.
#pragma once

#include "shell/CancelOnCloseDialog.h"
#include "shell/LoadedDialog.h"

#include <functional>
#include <string>

class QPushButton;
class QVBoxLayout;

namespace banklib {
class VoiceListView;
}

namespace shell {

class CatalogueRunDialog : public CancelOnCloseDialog {
public:
    // The list to work on; nullptr once that list has closed.
    [[nodiscard]] banklib::VoiceListView* TargetList() const;
    virtual void setTargetList(banklib::VoiceListView& list);
    // Set by the progress window's Cancel; read and cleared by the progress handler.
    bool CancelSearch = false;

    virtual void OKButton_Click() = 0;
    void Command1_Click();

    [[nodiscard]] QPushButton* OKButton() const { return m_ok; }
    [[nodiscard]] QPushButton* CancelButton() const { return m_cancel; }
    [[nodiscard]] QPushButton* Command1() const { return m_help; }

protected:
    // helpTopic: what Help shows.
    CatalogueRunDialog(QWidget* mainWindow, const char* helpTopic);

    [[nodiscard]] QWidget* mainWindow() const { return m_mainWindow; }
    // Makes the Search, Cancel and Help buttons (after the dialog's other controls, so they
    // come last in the focus order) and returns their column.
    [[nodiscard]] QVBoxLayout* addButtonColumn();
    // Sizes the loaded dialog and puts it over the main window.
    void placeOverMainWindow();
    // The progress handler's part after the progress window's Cancel: asks question and,
    // when the answer is Yes, closes the progress window and sets cancel. CancelSearch is
    // cleared either way.
    void askToStop(const char* question, bool& cancel, const std::function<void()>& closeProgress);

    // Closes the loaded dialog, if any; while its operation runs, once the operation ends.
    template <class Dialog>
    static void unloadWhenIdle(LoadedDialog<Dialog>& loaded)
    {
        CatalogueRunDialog* dialog = loaded.get();
        if (dialog != nullptr && dialog->m_running) {
            dialog->m_unloadAfterRun = true;
            return;
        }
        loaded.unloadLater();
    }

    // True while the operation runs; set when a close was asked for meanwhile.
    bool m_running = false;
    bool m_unloadAfterRun = false;

private:
    QWidget* m_mainWindow = nullptr;
    const char* m_helpTopic;
    std::string m_targetId;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};

}  // namespace shell
