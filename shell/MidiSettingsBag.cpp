// Brevane - the [MIDI] settings of objMIDIInit by property name.
#include "shell/MidiSettingsBag.h"

#include "shell/PropertyValues.h"

namespace shell {

std::optional<tavisco::Value> MidiSettingsBag::readProperty(const std::string& name)
{
    if (sameName(name, "MidiInDeviceName"))
        return tavisco::Value(m_midi.MidiInDeviceName());
    if (sameName(name, "MidiOutDeviceName"))
        return tavisco::Value(m_midi.MidiOutDeviceName());
    if (sameName(name, "MIDIInChannel"))
        return tavisco::Value(m_midi.MIDIInChannel());
    if (sameName(name, "MIDIOutChannel"))
        return tavisco::Value(m_midi.MIDIOutChannel());
    if (sameName(name, "MIDIDeviceNumber"))
        return tavisco::Value(m_midi.MIDIDeviceNumber());
    if (sameName(name, "SendToB"))
        return tavisco::Value(m_midi.SendToB());
    if (sameName(name, "GetFromB"))
        return tavisco::Value(m_midi.GetFromB());
    if (sameName(name, "MIDITimeout"))
        return tavisco::Value(m_midi.MIDITimeout());
    if (sameName(name, "SkipMIDIInit"))
        return tavisco::Value(m_midi.SkipMIDIInit());
    return std::nullopt;
}

bool MidiSettingsBag::writeProperty(const std::string& name, const tavisco::Value& value)
{
    if (sameName(name, "MidiInDeviceName"))
        return m_midi.setMidiInDeviceName(toText(value));
    if (sameName(name, "MidiOutDeviceName"))
        return m_midi.setMidiOutDeviceName(toText(value));

    auto number = [&](bool (MidiSetup::*set)(std::int32_t)) {
        const auto n = toInt32(value);
        return n && (m_midi.*set)(*n);
    };
    auto flag = [&](bool (MidiSetup::*set)(bool)) {
        const auto b = toBoolean(value);
        return b && (m_midi.*set)(*b);
    };
    if (sameName(name, "MIDIInChannel"))
        return number(&MidiSetup::setMIDIInChannel);
    if (sameName(name, "MIDIOutChannel"))
        return number(&MidiSetup::setMIDIOutChannel);
    if (sameName(name, "MIDIDeviceNumber"))
        return number(&MidiSetup::setMIDIDeviceNumber);
    if (sameName(name, "MIDITimeout"))
        return number(&MidiSetup::setMIDITimeout);
    if (sameName(name, "SendToB"))
        return flag(&MidiSetup::setSendToB);
    if (sameName(name, "GetFromB"))
        return flag(&MidiSetup::setGetFromB);
    if (sameName(name, "SkipMIDIInit"))
        return flag(&MidiSetup::setSkipMIDIInit);
    return false;
}

}  // namespace shell
