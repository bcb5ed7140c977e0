// Brevane - what a voice editor sends to the synthesizer.
#include "editor/EditorOutput.h"

#include "midi/AuditionNote.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"

namespace editor {
namespace {

constexpr int kAuditionNote = 60;

EditorOutput* g_installed = nullptr;

}  // namespace

bool MidiEditorOutput::outputOpen() const { return midi::objMIDIInit().MidiOutOpen; }

void MidiEditorOutput::sendParameter(int parameter, int value)
{
    midi::clsMidiManagerData sender;
    (void)sender.SendParametertoMIDI(parameter, value, 0, false, false);
}

void MidiEditorOutput::playNote() { midi::auditionNote().play(kAuditionNote); }

void MidiEditorOutput::endNote() { midi::auditionNote().release(); }

void MidiEditorOutput::playScale()
{
    midi::clsMidiManagerData sender;
    sender.SendAScale();
}

void MidiEditorOutput::sendVoice(platform::Recordset& voiceData, banklib::FileType listType)
{
    midi::clsMidiManagerData sender;
    (void)sender.SendVoiceToMidi(voiceData, listType, false);
}

EditorOutput& editorOutput()
{
    static MidiEditorOutput own;
    return g_installed != nullptr ? *g_installed : own;
}

void installEditorOutput(EditorOutput* output) { g_installed = output; }

}  // namespace editor
