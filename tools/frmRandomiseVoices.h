// Brevane - the Patch Generator window (Tools > Patch Generator).
//
// A tool window over the main window, made once at start-up and kept until the program
// ends (closing it hides it). The source tree (GeneratorTree) follows the voice lists:
// the registry reports each list that opens and closes, and each list's selection
// changes bring its voices into the tree or take them out. Ticking groups, setting the
// variance and the six-character name prefix and pressing Start breeds one voice, or
// with "Continuous" (offered while the MIDI output is open) one voice a second until
// Stop. Each voice is appended to the work list "PatchGen.dat" in the program's data
// folder (a new list after the last one closed; it takes the place of a list open on that
// file, or of a file of that name, only after the user's Yes), sent and auditioned when the
// output is open, and opened in the voice editor with "Load Voice on Creation".
#pragma once

#include "banklib/GeneratorView.h"
#include "shell/DeferredCall.h"
#include "tools/GeneratorTree.h"
#include "tools/clsPatchGenerator.h"
#include "voicelist/frmVoiceList.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace shell {
class frmStartup;
}

namespace tools {

// The spin buttons beside the variance box: 0..100.
class VarianceSpin final : public QWidget {
    Q_OBJECT
public:
    explicit VarianceSpin(QWidget* parent = nullptr);
    [[nodiscard]] int value() const { return m_value; }
    // Held to 0..100; valueChanged only when it changes.
    void setValue(int value);
    void stepBy(int steps) { setValue(m_value + steps); }
    [[nodiscard]] QToolButton* upButton() const { return m_up; }
    [[nodiscard]] QToolButton* downButton() const { return m_down; }

signals:
    void valueChanged(int value);

private:
    int m_value = 0;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

class frmRandomiseVoices final : public QWidget, public banklib::GeneratorView {
    Q_OBJECT
public:
    // Milliseconds between the voices of a continuous run.
    static constexpr int kContinuousPauseMs = 1000;
    static constexpr int kPrefixLength = 6;

    // workListFolder: where "PatchGen.dat" goes (ending in '/').
    explicit frmRandomiseVoices(std::string workListFolder, QWidget* parent = nullptr);
    ~frmRandomiseVoices() override;
    frmRandomiseVoices(const frmRandomiseVoices&) = delete;
    frmRandomiseVoices& operator=(const frmRandomiseVoices&) = delete;

    // Makes the program's generator, hidden, over the main window and installs it as the
    // generator the registry and the voice bank library reach.
    static frmRandomiseVoices& install(shell::frmStartup& mainWindow);
    // The program's generator, or nullptr before install.
    [[nodiscard]] static frmRandomiseVoices* instance();
    // Tools > Patch Generator: shows the window (placed over the main window the first time).
    void showWindow();

    // What makes the pause between the voices of a continuous run (QtDeferredCall when empty).
    static void setDeferredCallFactory(shell::DeferredCallFactory factory);

    // ---- GeneratorView
    void setContinuousEnabled(bool enabled) override;
    [[nodiscard]] std::int16_t WorkListFlag() const override;
    void setWorkListFlag(std::int16_t flag) override;
    void ResetState() override;
    [[nodiscard]] std::string WorkListPath() const override { return m_workListFolder + kWorkListName; }
    void listAdded(banklib::VoiceListView& list) override;
    void listRemoved(const std::string& listID) override;

    // ---- state
    // Voices generated into the current work list; 0 starts a new one.
    [[nodiscard]] std::int32_t PatchCount() const { return m_patchCount; }
    void setPatchCount(std::int32_t count) { m_patchCount = count; }
    [[nodiscard]] int SourceVoiceCount() const { return m_tree->SourceVoiceCount(); }
    [[nodiscard]] bool StopRequested() const { return m_stopRequested; }
    // A run is going (from Start until its last voice is done or Stop).
    [[nodiscard]] bool running() const { return m_running; }
    // The work list's window, while it is open.
    [[nodiscard]] shell::frmVoiceList* PatchGenList() const { return m_patchGenList.data(); }
    [[nodiscard]] clsPatchGenerator& objRnd() { return *m_objRnd; }
    // Replaces the generator (tests give one with a fixed seed).
    void setGenerator(std::unique_ptr<clsPatchGenerator> generator) { m_objRnd = std::move(generator); }
    // The pause of a continuous run.
    [[nodiscard]] shell::DeferredCall& pause() { return *m_pause; }
    // The ten-character name of the voice with this count: the prefix, then the count
    // formatted " ##0" and cut to four characters.
    [[nodiscard]] std::string voiceName(std::int32_t count) const;

    // ---- what the controls do
    void Command1_Click();
    void Check1_Click(int index);
    void Text1_Change();
    // A click on a voice node shows its algorithm in the algorithm viewer.
    void TreeView1_NodeClick(QTreeWidgetItem* item);
    // Enables the controls for the sources in the tree and moves the base mark to the
    // first of them.
    void SetPatchGenControls();

    // ---- controls
    [[nodiscard]] GeneratorTree* TreeView1() const { return m_tree; }
    [[nodiscard]] QLineEdit* Text1() const { return m_text1; }
    [[nodiscard]] VarianceSpin* UpDown1() const { return m_upDown1; }
    [[nodiscard]] QLabel* Label2() const { return m_label2; }
    [[nodiscard]] QLineEdit* MaskEdBox1() const { return m_maskEdBox1; }
    [[nodiscard]] QCheckBox* Check1(int index) const { return m_check1[static_cast<std::size_t>(index)]; }
    [[nodiscard]] QPushButton* Command1() const { return m_command1; }
    [[nodiscard]] QGroupBox* Frame1() const { return m_frame1; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void requestStop();
    void buildWindow();
    [[nodiscard]] bool stopCaption() const;
    void setStopCaption(bool stop);
    void nextVoice();
    void finishRun();
    // Puts a new body into the work list with its name and sends and auditions it (the
    // audition plays on timed calls); voiceDone follows once the audition is over. False
    // when the work list could not be had (the run then stops).
    [[nodiscard]] bool storeVoice(const std::string& body);
    // A voice is done: it opens (the voice-loading box ticked), and the run goes on after
    // its pause, or ends when Stop was pressed or the run is a single one.
    void voiceDone(platform::Bookmark added);
    // Whether a new work list may be written: no list shows its file (one that did has
    // closed after a Yes to reverting it), and a file of its name may be replaced (there is
    // none, or the user said Yes).
    [[nodiscard]] bool mayWriteWorkList();
    [[nodiscard]] shell::frmVoiceList* openWorkList(const std::string& voice);

    std::string m_workListFolder;
    std::unique_ptr<clsPatchGenerator> m_objRnd;
    std::unique_ptr<shell::DeferredCall> m_pause;
    QPointer<shell::frmVoiceList> m_patchGenList;
    std::int32_t m_patchCount = 0;
    bool m_stopRequested = false;
    bool m_running = false;
    bool m_placed = false;
    bool m_settingText = false;

    GeneratorTree* m_tree = nullptr;
    QLineEdit* m_text1 = nullptr;
    VarianceSpin* m_upDown1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_prefixLabel = nullptr;
    QLineEdit* m_maskEdBox1 = nullptr;
    std::array<QCheckBox*, 2> m_check1{};
    QPushButton* m_command1 = nullptr;
    QGroupBox* m_frame1 = nullptr;
};

}  // namespace tools
