// Brevane - the DX7 to SY77 conversion dialog (Tools > DX to SY Voice conversion).
//
// Modeless, loaded once: a file browser of its own (folder tree, file list with its
// pattern, name box, path label) leads through the two steps of ConversionWizard, and
// the run goes to TamselBridge. OK and Cancel are disabled while the utility runs;
// Exit (or closing the window) stops a running utility first.
#pragma once

#include "tools/ConversionWizard.h"
#include "tools/TamselBridge.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>

class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace shell {
class frmStartup;
}

namespace tools {

class frmTamselconversion final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOk = 0;
    static constexpr int kCancel = 1;
    static constexpr int kExit = 2;

    // The dialog starts in startFolder; locate finds the utility at each run.
    frmTamselconversion(std::string startFolder, TamselBridge::Locator locate, QWidget* parent = nullptr);
    ~frmTamselconversion() override;

    // Loads the program's dialog when none is loaded (starting in the data folder, with
    // the utility looked for in the program and data folders) and shows it.
    static frmTamselconversion& showFor(shell::frmStartup& mainWindow);
    // The loaded dialog, or nullptr.
    [[nodiscard]] static frmTamselconversion* instance();

    void DlgButton_Click(int index);
    void FileListBox_DblClick();

    [[nodiscard]] ConversionWizard& wizard() { return *m_wizard; }
    [[nodiscard]] TamselBridge& bridge() { return *m_bridge; }
    [[nodiscard]] QTreeView* DirsBox() const { return m_dirsBox; }
    [[nodiscard]] QListWidget* FileListBox() const { return m_fileListBox; }
    [[nodiscard]] QLineEdit* TextBox() const { return m_textBox; }
    [[nodiscard]] QLabel* PathSpec() const { return m_pathSpec; }
    [[nodiscard]] QLabel* Label2() const { return m_label2; }
    [[nodiscard]] QLineEdit* Text1(int i) const { return m_text1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QGroupBox* Frame1() const { return m_frame1; }
    [[nodiscard]] QRadioButton* Option1(int i) const { return m_option1[static_cast<std::size_t>(i)]; }
    [[nodiscard]] QPushButton* DlgButton(int i) const { return m_dlgButton[static_cast<std::size_t>(i)]; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    // Shows the wizard's state in the controls.
    void refresh();
    void DirsBox_Click();
    void DirsBox_Change();
    void FileListBox_Click(QListWidgetItem* item);
    void onRunFinished();
    void unload();

    std::unique_ptr<TamselBridge> m_bridge;
    std::unique_ptr<ConversionWizard> m_wizard;
    std::string m_highlightedFolder;
    bool m_unloading = false;

    QFileSystemModel* m_dirsModel = nullptr;
    QTreeView* m_dirsBox = nullptr;
    QListWidget* m_fileListBox = nullptr;
    QLineEdit* m_textBox = nullptr;
    QLabel* m_pathSpec = nullptr;
    QLabel* m_label2 = nullptr;
    std::array<QLabel*, 2> m_label1{};
    std::array<QLineEdit*, 2> m_text1{};
    QGroupBox* m_frame1 = nullptr;
    std::array<QRadioButton*, 2> m_option1{};
    std::array<QPushButton*, 3> m_dlgButton{};
};

}  // namespace tools
