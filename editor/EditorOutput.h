// Brevane - what a voice editor sends to the synthesizer.
//
// Every live send of the editor goes through one EditorOutput: parameter changes, the
// audition note after an edit, the test scale, and the whole voice. The program's own
// (MidiEditorOutput) sends through the MIDI subsystem; tests install one that records.
#pragma once

#include "banklib/VoiceFormat.h"
#include "platform/Recordset.h"

namespace editor {

class EditorOutput {
public:
    virtual ~EditorOutput() = default;
    // The MIDI output is open; nothing is sent while it is not.
    [[nodiscard]] virtual bool outputOpen() const = 0;
    // The parameter change F0 43 1n gg pp vv F7 of parameter 1..156 (a VoiceData row's
    // 1-based position; 156 is the operator on/off mask).
    virtual void sendParameter(int parameter, int value) = 0;
    // Note 60 for 250 ms; returns at once (a timer ends the note).
    virtual void playNote() = 0;
    // Ends that note now, when it still sounds.
    virtual void endNote() = 0;
    // The test arpeggio; returns at once (timed calls play it), ending the one playing.
    virtual void playScale() = 0;
    // The whole voice as a single-voice dump, after ending a test arpeggio that plays.
    virtual void sendVoice(platform::Recordset& voiceData, banklib::FileType listType) = 0;
};

// Through the MIDI subsystem (objMIDIInit, clsMidiManagerData, the timed audition note and
// phrase).
class MidiEditorOutput final : public EditorOutput {
public:
    bool outputOpen() const override;
    void sendParameter(int parameter, int value) override;
    void playNote() override;
    void endNote() override;
    void playScale() override;
    void sendVoice(platform::Recordset& voiceData, banklib::FileType listType) override;
};

// The output editors use (the program's MidiEditorOutput until another is installed).
[[nodiscard]] EditorOutput& editorOutput();
// Installs an output; nullptr restores the program's own. The caller keeps ownership.
void installEditorOutput(EditorOutput* output);

}  // namespace editor
