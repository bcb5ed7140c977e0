// Brevane - the [MIDI] settings of objMIDIInit, read and assigned by property name.
#pragma once

#include "inifile/PropertyBag.h"
#include "shell/MidiSetup.h"

#include <array>
#include <string>

namespace shell {

// The keys of the [MIDI] section, in the order they are written.
inline const std::array<std::string, 9> kMidiSettingKeys = {
    "MidiInDeviceName", "MidiOutDeviceName", "MIDIInChannel", "MIDIOutChannel", "MIDIDeviceNumber",
    "SendToB",          "GetFromB",          "MIDITimeout",   "SkipMIDIInit"};

class MidiSettingsBag final : public tavisco::PropertyBag {
public:
    explicit MidiSettingsBag(MidiSetup& midi) : m_midi(midi) {}

    std::optional<tavisco::Value> readProperty(const std::string& name) override;
    bool writeProperty(const std::string& name, const tavisco::Value& value) override;

private:
    MidiSetup& m_midi;
};

}  // namespace shell
