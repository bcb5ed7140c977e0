// Brevane - the MIDI settings object when the MIDI system goes away under the program.
#include "midi/clsMIDIInit.h"

#include "midi/MidiWindows.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "platform/midi/MidiMapperPort.h"

namespace midi {

void clsMIDIInit::MidiSystemGone()
{
    if (!m_backend)
        return;
    const platform::MidiMapperPort* mapper = m_backend->mapper();
    const bool inUse = MidiInOpen || MidiOutOpen || (mapper && mapper->holder() != platform::MapperHolder::None);
    const std::string system = m_backend->systemName();
    MidiWindows& w = windows();

    // The ports are dead: they close as when working offline, and the configured names
    // stay for the next MIDI Devices. Then nothing more comes in, and input the queue
    // dropped before is said before the stop.
    CloseMidiDevices(true, true, true);
    SayDroppedInput();
    MonitorLines line;
    line[MonitorField::Message] = system + " stopped - MIDI devices closed, working offline";
    w.managerData().AddMessage(line, false);
    if (w.appClosing())
        return;
    platform::ShowStatusMessage(system + " stopped - working offline", 0, 1);
    if (!inUse)
        return;
    const std::string crlf = platform::kCrLf;
    (void)platform::messages().messageBox(system + " has stopped, so Brevane is working offline." + crlf + crlf +
                                              "Nothing open is lost. When " + system +
                                              " is running again, choose MIDI Devices to reconnect.",
                                          platform::MsgStyle::Exclamation, "MIDI System Stopped");
}

}  // namespace midi
