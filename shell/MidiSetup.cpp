// Brevane - MIDI settings kept without a MIDI system.
#include "shell/MidiSetup.h"

#include "platform/Services.h"

namespace shell {
namespace {

constexpr std::int32_t kHighestChannel = 15;

bool inChannelRange(std::int32_t v) { return v >= 0 && v <= kHighestChannel; }

void refuseChannel()
{
    (void)platform::messages().messageBox("MIDI Channel must be between 0 and 15",
                                          platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation,
                                          "MIDI Channel Error");
}

}  // namespace

bool OfflineMidiSetup::setMidiInDeviceName(const std::string& name)
{
    m_inName = name;
    return true;
}

bool OfflineMidiSetup::setMidiOutDeviceName(const std::string& name)
{
    m_outName = name;
    return true;
}

bool OfflineMidiSetup::setMIDIInChannel(std::int32_t channel)
{
    if (!inChannelRange(channel)) {
        refuseChannel();
        return false;
    }
    m_inChannel = channel;
    return true;
}

bool OfflineMidiSetup::setMIDIOutChannel(std::int32_t channel)
{
    if (!inChannelRange(channel)) {
        refuseChannel();
        return false;
    }
    m_outChannel = channel;
    return true;
}

bool OfflineMidiSetup::setMIDIDeviceNumber(std::int32_t number)
{
    if (!inChannelRange(number)) {
        (void)platform::messages().messageBox("MIDI device number must be between 0 and 15",
                                              platform::MsgStyle::OkOnly | platform::MsgStyle::Exclamation,
                                              "MIDI Device Error");
        return false;
    }
    m_deviceNumber = number;
    return true;
}

// With no output open there is nothing to send when a bank half changes.
bool OfflineMidiSetup::setSendToB(bool b)
{
    m_sendToB = b;
    return true;
}

bool OfflineMidiSetup::setGetFromB(bool b)
{
    m_getFromB = b;
    return true;
}

bool OfflineMidiSetup::setMIDITimeout(std::int32_t ms)
{
    m_timeoutMs = ms;
    return true;
}

bool OfflineMidiSetup::setSkipMIDIInit(bool skip)
{
    m_skipInit = skip;
    return true;
}

}  // namespace shell
