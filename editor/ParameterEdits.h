// Brevane - every change made to the voice in an editor, and what it sends.
//
// A voice editor changes its voice only through commit(row, value, path): the value is
// written into the voice's VoiceData row, the row's display text (and, for an oscillator
// row, those of the operator's other oscillator rows) is renewed, rowChanged tells the
// views, and the change goes to the synthesizer under the path's own condition:
//
//   Spin            the shared spin and every accepted typed value: a parameter change
//                   and the audition note, when the output is open and sending is not
//                   suppressed (Ctrl held);
//   TypedPair       the second row of a typed frequency: a parameter change under the
//                   same condition, without a note;
//   Algorithm       the algorithm box: a parameter change and the test scale, under the
//                   same condition;
//   OperatorSwitch  an operator box (row kOperatorSwitchRow, parameter 156, the on/off
//                   mask): nothing is written; the mask and the test scale are sent when
//                   the output is open, whatever Ctrl says;
//   Chart           a dragged chart point: a parameter change when the output is open,
//                   whatever Ctrl says (the chart plays its own note, playAuditionNote);
//   Quiet           written and shown, never sent (an element copied from another
//                   operator or editor, which then goes out whole, sendVoiceDump).
//
// Typed texts are read here too (typeValue), so the window and its tests share the rules.
// Rows are 0-based VoiceData positions; the parameter sent is the row + 1.
//
// Ctrl is read from the keyboard when a send is decided, wherever the focus is (a cell
// being typed in, the zoom box, the Reset button), so no key event has to reach the
// window first.
//
// The test scale returns at once and plays on its own (timed calls), one at a time in the
// program: a new scale, or a voice sent (an editor's own or another's), ends the one
// playing, so each voice sent with its scale is heard with its whole scale.
#pragma once

#include "banklib/VoiceFormat.h"
#include "editor/EditorOutput.h"
#include "editor/VoiceRows.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string_view>

namespace editor {

enum class EditPath { Spin, TypedPair, Algorithm, OperatorSwitch, Chart, Quiet };

class ParameterEdits final : public QObject {
    Q_OBJECT
public:
    // The row that stands for the operator on/off mask (parameter 156); not part of the voice.
    static constexpr int kOperatorSwitchRow = 155;
    static constexpr int kAlgorithmRow = static_cast<int>(banklib::Unpacked::kAlgorithm);
    static constexpr int kFirstNameRow = static_cast<int>(banklib::Unpacked::kName);
    static constexpr int kAllOperatorsOn = 63;

    explicit ParameterEdits(QObject* parent = nullptr);

    // The voice being edited and its display lookup (both must outlive this object or
    // the next setVoice).
    void setVoice(platform::Recordset& voiceData, platform::Recordset& proxyData);
    [[nodiscard]] const VoiceRows& voice() const { return m_voice; }
    [[nodiscard]] const VoiceRows& proxy() const { return m_proxy; }
    // Layout of the owning list (for sending the whole voice).
    void setListType(banklib::FileType type) { m_listType = type; }

    // Ctrl held: the edit paths that respect it send nothing. True while Ctrl is down on
    // the keyboard, or while the window keeps sending off itself (a Ctrl press on the
    // spin, kept while its right button is held).
    [[nodiscard]] bool SendSuppressed() const { return m_sendSuppressed || ctrlHeld(); }
    void setSendSuppressed(bool suppressed) { m_sendSuppressed = suppressed; }

    // What reads the keyboard's modifiers now (QGuiApplication::queryKeyboardModifiers
    // until another is installed; tests install one that holds keys down). Empty restores
    // the keyboard's own.
    using ModifierQuery = std::function<Qt::KeyboardModifiers()>;
    static void setModifierQuery(ModifierQuery query);
    // Ctrl is down on the keyboard.
    [[nodiscard]] static bool ctrlHeld();

    // The raw value of a row and its bounds (Min. and Max.).
    [[nodiscard]] int value(int row) const;
    [[nodiscard]] int minimum(int row) const;
    [[nodiscard]] int maximum(int row) const;
    [[nodiscard]] std::string displayText(int row) const;

    // Writes, shows and sends one change (see above). False, with nothing changed, for a
    // row that is not a parameter row (names have their own path) or a value outside the
    // row's bounds.
    bool commit(int row, int value, EditPath path);

    // A text typed into a row's cell: a number for a plain row (rounded, halves to even;
    // refused without a number or outside the bounds), a frequency for the coarse and
    // fine rows (both rows are committed), otherwise one of the row's display texts
    // (exact, case counts). False when refused; nothing is changed then.
    bool typeValue(int row, std::string_view text);

    // The algorithm box: index 0..31 (algorithm - 1).
    bool selectAlgorithm(int index);
    // The index a text typed into the algorithm box asks for (Val - 1, rounded, halves to
    // even), or nullopt for a number outside 1..32 (the box then shows its message).
    [[nodiscard]] static std::optional<int> algorithmIndexOfText(std::string_view text);

    // The operator on/off mask, operator n = bit 6 - n, 63 = all on. Not part of the voice.
    [[nodiscard]] int OperatorStatus() const { return m_operatorStatus; }
    void setOperatorStatus(int mask) { m_operatorStatus = mask & kAllOperatorsOn; }
    [[nodiscard]] bool operatorOn(int op) const { return op >= 1 && op <= 6 && (m_operatorStatus >> (6 - op)) & 1; }
    // Switches operator 1..6 on or off and returns the new mask.
    int ComputeOperatorMask(int op, bool on);
    // An operator box clicked: when the output is open, switches the operator and sends
    // the mask; false (nothing changed) while it is closed.
    bool switchOperator(int op, bool on);

    // The whole voice and the test scale, when the output is open (and, unless
    // ignoreSuppressed, sending is not suppressed).
    void sendWholeVoice(bool ignoreSuppressed);
    // The whole voice is owed to the synthesizer: the window became active, and the voice
    // and the test scale go out once it has been drawn (sendOwedVoice). Whatever the
    // editor sends before then takes the voice along first, without the scale: the
    // edit's own note or scale sounds the voice.
    void oweWholeVoice(bool owed) { m_voiceOwed = owed; }
    [[nodiscard]] bool wholeVoiceOwed() const { return m_voiceOwed; }
    // The owed voice and the test scale, as sendWholeVoice(true); nothing when none is owed.
    void sendOwedVoice();
    // The whole voice as one single-voice dump, when the output is open.
    void sendVoiceDump();
    // The test scale alone (the right button), after the voice when it is owed.
    void playTestScale();
    // The timed audition note (note 60, ended by its timer), and its end, when the output
    // is open.
    void playAuditionNote();
    void endAuditionNote();

signals:
    // A row's value or display text changed (kOperatorSwitchRow for the mask).
    void rowChanged(int row);

private:
    [[nodiscard]] bool sends(EditPath path) const;
    bool typeFrequency(int row, std::string_view text, int column);
    // Sends the owed voice, when it is owed, ahead of another send.
    void payOwedVoice(EditorOutput& out);

    VoiceRows m_voice;
    VoiceRows m_proxy;
    banklib::FileType m_listType = banklib::FileType::Unpacked;
    bool m_sendSuppressed = false;
    bool m_voiceOwed = false;
    int m_operatorStatus = kAllOperatorsOn;
    int m_lastMask = 0;
};

}  // namespace editor
