// Brevane - the voice editor window: one voice of one voice list, all 155 parameters.
//
// Six operator panels and a non-operator panel on a canvas that scrolls. Each panel
// holds parameter grids (GridMap.h) of short titles and values; the one spin control
// floats over the cell being edited, and a value, a display text ("+EXP", "C 3") or a
// frequency ("1.5", "263.0Hz") can be typed into the cell. The non-operator panel holds
// the algorithm box with its diagram, whose operator boxes switch operators on and off,
// and the Reset button. Each operator panel shows its envelope and level-scaling charts
// (MSChart1, VoiceChart.h) with the EG zoom spin beside the envelope, and the
// non-operator panel the pitch envelope's chart.
//
// Chart points are dragged with the mouse (ChartPointDrag.h), and voice elements (an
// envelope, a level scaling, an oscillator, a whole operator, the LFO...) are copied by
// pressing a grid, a panel title or a chart's background for half a second and dragging
// it onto the matching control of another operator or editor (VoiceElements.h).
//
// Every change goes through ParameterEdits::commit, which writes the voice and sends it
// at once while the MIDI output is open (Ctrl held keeps the edits quiet). The voice
// goes back into its list when the window closes and the user answers Yes to "Save
// Changes ?", or by File > Save Voice. Becoming the active sub-window of the MDI area sends
// the whole voice and the test scale, from the event loop once the window has been drawn
// (an edit made before then sends the voice first); the program losing and regaining the
// focus changes nothing.
#pragma once

#include "banklib/VoiceEditorView.h"
#include "banklib/clsVoiceData.h"
#include "editor/ChartPointDrag.h"
#include "editor/ParameterEdits.h"
#include "editor/PressAndHold.h"
#include "editor/VoiceElements.h"
#include "shell/DeferredCall.h"
#include "shell/SubWindowActivation.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMimeData;
class QPushButton;
class QScrollArea;
class QTableView;

namespace editor {

class AlgorithmDiagram;
class CellSpin;
class ParameterGridModel;
class VoiceChart;
class frmVoiceRecordset;

class frmVoiceEditor final : public QWidget, public banklib::VoiceEditorView {
    Q_OBJECT
public:
    static constexpr int kChartCount = 13;  // 0 pitch EG, 1..6 EG, 7..12 level scaling
    static constexpr int kZoomStart = 4;     // zoom spin value; the zoom is 2^value
    static constexpr int kChartZoom = 16;    // the zoom the charts are set up with

    // A window for the MDI area (nullptr: a window of its own), hidden until show().
    explicit frmVoiceEditor(QMdiArea* area, QWidget* parent = nullptr);
    ~frmVoiceEditor() override;
    frmVoiceEditor(const frmVoiceEditor&) = delete;
    frmVoiceEditor& operator=(const frmVoiceEditor&) = delete;

    // ---- VoiceEditorView
    // The voice, with what is still being typed taken in first (CommitPendingEdit): every
    // reader of the edited voice (a close, Save Voice, a send) sees what the user typed.
    platform::Recordset& rsVoiceData() override;
    void setRsVoiceData(platform::Recordset rs) override;
    platform::Recordset& rsProxyData() override { return m_proxy; }
    void setRsProxyData(platform::Recordset rs) override;
    std::string VoiceListID() const override { return m_listId; }
    void setVoiceListID(const std::string& id) override { m_listId = id; }
    // The key in the list's registries; set once (later values are ignored).
    std::string EditorID() const override { return m_editorId; }
    void setEditorID(const std::string& id) override;
    std::int32_t VoiceNo() const override { return m_voiceNo; }
    void setVoiceNo(std::int32_t voiceNo) override { m_voiceNo = voiceNo; }
    platform::Bookmark VoiceBookmark() const override { return m_bookmark; }
    void setVoiceBookmark(platform::Bookmark bookmark) override { m_bookmark = bookmark; }
    std::string VoiceName() const override { return m_voiceName; }
    void setVoiceName(const std::string& name) override { m_voiceName = name; }
    // ListFileType: the layout of the owning list.
    banklib::FileType fileType() const override { return m_listType; }
    void setFileType(banklib::FileType type) override;
    // VoiceCRC: the voice's CRC-32 as loaded or last saved.
    std::int32_t ChecksumOnEntry() const override { return m_voiceCrc; }
    void setChecksumOnEntry(std::int32_t crc) override { m_voiceCrc = crc; }
    std::int32_t ChecksumStatus() const override { return m_checksumStatus; }
    void setChecksumStatus(std::int32_t status) override { m_checksumStatus = status; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& text) override;

    // ---- opening and the public operations
    // The holder that loaded the voice (Reset reloads through it).
    void setHolder(frmVoiceRecordset* holder) { m_holder = holder; }
    [[nodiscard]] frmVoiceRecordset* holder() const { return m_holder; }
    // (Re)builds operators first..last (first 0: all six, then also the non-operator
    // panel, the name and the colours).
    void InitVoiceEditor(int first, int last);
    void InitNonOperatorData();
    // Throws the edits away and reloads the voice as its list holds it. A voice no longer
    // in its list, or a reload the user refused, keeps the edits.
    void ResetVoice();
    // Writes a new name into the voice (cut or padded with blanks to 10 characters) and
    // the caption; done becomes true.
    void VoiceNameChange(const std::string& name, bool& done);
    [[nodiscard]] int OperatorStatus() const { return m_edits.OperatorStatus(); }
    void setOperatorStatus(int mask);
    // Marks every grid, panel title and chart place with "ListID,EditorID" (the
    // EditorControlTag property), for element drag and drop between editors.
    void TagEditorControls(const std::string& listId);
    [[nodiscard]] std::string EditorControlTag() const { return m_listId + "," + m_editorId; }

    // Takes a value still being typed into the voice, as Enter would: a cell editor open
    // in a grid is committed (a text the cell refuses puts its old value back) and a
    // number typed into the algorithm box without Enter is taken or refused with its
    // message. Closing by key (Close All, Exit) moves no focus, so nothing else would.
    void CommitPendingEdit();

    [[nodiscard]] ParameterEdits& edits() { return m_edits; }
    [[nodiscard]] bool SendSuppressed() const { return m_edits.SendSuppressed(); }
    // The EG charts' zoom (0 until a zoom spin was changed).
    [[nodiscard]] int zoomValue() const { return m_zoom; }

    // ---- showing and closing
    // A window as large as the panels, so that no scrolling is needed.
    [[nodiscard]] QSize sizeHint() const override;
    // Shows the window; in the MDI area the first time at its size hint, capped to the
    // area, and made the active sub-window.
    void show();
    // Closes as the user would; false when the close was refused (Cancel).
    bool unload();
    [[nodiscard]] QMdiSubWindow* subWindow() const { return m_subWindow; }
    [[nodiscard]] bool unloaded() const { return m_unloaded; }

    // ---- where the spin sits
    int CurrentGrid = -1;
    int CurrentGridRow = -1;
    int CurrentGridCol = -1;
    // Puts the spin over grid n's current cell with that row's bounds and value.
    void AttachSpinToGrid(int n);

    // ---- what the controls report (public so that tests drive them like the user)
    void UpDown_Change();
    void UpDown_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void UpDown_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void UpDown_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Combo1_Click();
    // Enter in the algorithm box; false when the text was refused (the message shown).
    bool Combo1_Enter();
    void Label1_Click(int op);
    void UpDown2_Change(int n);
    void Command1_Click() { ResetVoice(); }
    void Form_Activate();
    void Form_Deactivate();

    // ---- charts
    // Draws chart n (0..12) from the voice. With setUp, the axes too: an envelope's X axis
    // runs to 16 x its end / zoom. Without, only the points change and the axes hold.
    void DrawChart(int n, bool setUp, int zoom = kChartZoom);
    [[nodiscard]] ChartPointDrag& chartDrag() { return m_chartDrag; }
    // What a chart reports (public so that tests drive them like the user): a press with
    // the point or handle under the mouse (0 none), a move and a release, positions in
    // the chart's plot box.
    void MSChart1_MouseDown(int n, int point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void MSChart1_MouseMove(int n, QPointF mouse, Qt::KeyboardModifiers modifiers);
    void MSChart1_MouseUp(int n, Qt::MouseButton button);

    // ---- dragging voice elements
    // What runs a drag once a press has been held (QDrag until another is installed; tests
    // put in one that drops where they want). It returns when the drag has ended.
    using ElementDragRunner =
        std::function<void(frmVoiceEditor& source, QWidget* control, std::unique_ptr<QMimeData> data)>;
    static void setElementDragRunner(ElementDragRunner runner);
    // What makes the press-and-hold timer of windows made from now on (a single-shot
    // QTimer when empty).
    static void setDeferredCallFactory(shell::DeferredCallFactory factory);
    [[nodiscard]] PressAndHold& pressAndHold() { return *m_hold; }
    // An element of this window, named for a drag.
    [[nodiscard]] ElementRef element(ElementKind kind, int index) const;
    [[nodiscard]] QWidget* elementControl(ElementKind kind, int index) const;
    // The open editor an element names (found through the voice lists), or nullptr.
    [[nodiscard]] static frmVoiceEditor* editorOfElement(const ElementRef& element);
    // Whether a drag over one of this window's controls may be dropped there (the icon).
    [[nodiscard]] bool SetDragIcon(const QMimeData* data, ElementKind kind, int index) const;
    // A drop on one of this window's controls: the element is copied; false (nothing
    // changed) when the drop is refused.
    bool DropElement(const QMimeData* data, ElementKind kind, int index);
    // Copies an element of an open editor (this one too) onto this window's control,
    // shows it and sends the voice once, as a single-voice dump, when the output is open.
    bool CopyVoiceElementData(const ElementRef& source, ElementKind kind, int index);
    // Starts dragging one of this window's elements (what a held press does).
    void startElementDrag(ElementKind kind, int index);

    // ---- controls
    [[nodiscard]] QTableView* dGrid1(int index) const;
    [[nodiscard]] ParameterGridModel* gridModel(int index) const;
    [[nodiscard]] QFrame* Frame3(int index) const;
    [[nodiscard]] QLabel* Label3(int index) const;
    [[nodiscard]] QFrame* chartPlace(int index) const;
    [[nodiscard]] VoiceChart* MSChart1(int index) const;
    [[nodiscard]] CellSpin* UpDown2(int index) const;
    [[nodiscard]] QLineEdit* Text1(int index) const;
    [[nodiscard]] CellSpin* UpDown() const { return m_spin; }
    [[nodiscard]] QComboBox* Combo1() const { return m_combo; }
    [[nodiscard]] AlgorithmDiagram* diagram() const { return m_diagram; }
    [[nodiscard]] QPushButton* Command1() const { return m_reset; }
    [[nodiscard]] QScrollArea* scrollArea() const { return m_scroll; }
    [[nodiscard]] QWidget* picClient() const { return m_canvas; }

signals:
    // Operator 1..6 (0: the pitch envelope and the non-operator panel) was rebuilt: its
    // charts are to be drawn again.
    void operatorRebuilt(int op);
    // An EG zoom spin changed chart n's zoom.
    void zoomChanged(int chart, int zoom);
    // The window has closed.
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // the panels and their controls (frmVoiceEditorLayout.cpp)
    void LayoutEditorWindow();
    QFrame* buildOperatorPanel(int op);
    QFrame* buildNonOperatorPanel();
    QWidget* buildGrid(int index);
    QWidget* buildZoomBox(int chart);
    QFrame* buildChartPlace(int index, QSize size);
    // Sizes the grids, zoom boxes, panels and canvas from the polished controls.
    void sizePanels();
    void SetEditorColours();
    void watch(QWidget* w);
    void BindOperatorGrids(int op);
    // Binds grid index to its rows of the voice, their display texts refreshed first.
    void BindParameterGrid(int index);
    void ShowVoiceName();
    void showAlgorithm(int index);
    // Puts the spin at the right of the value cell of row gridRow of grid n, with the
    // bounds and the value of voice row row.
    void PlaceSpinOnCell(QTableView& grid, int n, int gridRow, int row);
    void onRowChanged(int row);
    void onCurrentCellChanged(int grid);
    [[nodiscard]] bool Form_QueryUnload();
    void Form_Unload();
    void playScaleForRightButton();
    // The MDI area's active sub-window changed (nullptr: none, or the program lost focus).
    void onSubWindowActivated(QMdiSubWindow* window);
    // Draws the window and sends the voice its activation owes, with the test scale.
    void sendOwedVoice();
    // charts and element drags (frmVoiceEditorCharts.cpp)
    [[nodiscard]] static std::unique_ptr<PressAndHold> makeHoldTimer();
    void buildChart(int index, QFrame* place);
    void connectCharts();
    // Envelope chart n (0..6) drawn from the voice, as DrawChart does.
    void DrawEGChart(VoiceChart& chart, int n, bool setUp, int zoom);
    void drawChartsOfOperator(int op);
    void refreshChartOfRow(int row);
    void endMouseInteraction();
    [[nodiscard]] std::optional<std::pair<ElementKind, int>> elementOf(QObject* watched) const;
    // A press, release or drag event on an element control; true when it was consumed.
    bool elementEvent(QObject* watched, QEvent* event);

    // public state
    platform::Recordset m_voice;
    platform::Recordset m_proxy;
    std::string m_listId;
    std::string m_editorId;
    std::int32_t m_voiceNo = 0;
    platform::Bookmark m_bookmark = platform::kNoBookmark;
    std::string m_voiceName;
    banklib::FileType m_listType = banklib::FileType::Unpacked;
    std::int32_t m_voiceCrc = 0;
    std::int32_t m_checksumStatus = 0;
    std::string m_caption;

    // private state
    ParameterEdits m_edits;
    banklib::clsVoiceData m_voiceData;
    frmVoiceRecordset* m_holder = nullptr;
    int m_zoom = 0;
    bool m_rightButtonHeld = false;
    bool m_committingEdit = false;
    ChartPointDrag m_chartDrag{m_edits};
    std::unique_ptr<PressAndHold> m_hold;

    // life cycle
    QMdiArea* m_area = nullptr;
    QPointer<QMdiSubWindow> m_subWindow;
    bool m_shown = false;
    shell::SubWindowActivation m_activation;  // the active sub-window of its MDI area (as Form_Activate saw)
    bool m_unloaded = false;
    bool m_closing = false;
    bool m_sizingQueued = false;

    // controls
    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
    std::array<QFrame*, 7> m_panels{};
    std::array<QLabel*, 7> m_titles{};
    std::array<QTableView*, 27> m_grids{};
    std::array<ParameterGridModel*, 27> m_models{};
    std::array<QFrame*, kChartCount> m_chartPlaces{};
    std::array<VoiceChart*, kChartCount> m_charts{};
    std::array<CellSpin*, 7> m_zoomSpins{};
    std::array<QLineEdit*, 7> m_zoomTexts{};
    std::array<QLabel*, 7> m_zoomCaptions{};
    CellSpin* m_spin = nullptr;
    QComboBox* m_combo = nullptr;
    AlgorithmDiagram* m_diagram = nullptr;
    QLabel* m_nameLabel = nullptr;
    QPushButton* m_reset = nullptr;
};

}  // namespace editor
