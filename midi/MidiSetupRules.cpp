// Brevane - the rules of the MIDI set-up windows.
#include "midi/MidiSetupRules.h"

#include "midi/clsMIDIInit.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"

namespace midi {
namespace {

std::function<bool()> g_mapperQuery;

constexpr int kDeviceNumbers = 16;
constexpr const char* kCrLf = "\r\n";

}  // namespace

void setMidiMapperAllocatedQuery(std::function<bool()> query) { g_mapperQuery = std::move(query); }

bool MidiMapperAllocated() { return g_mapperQuery && g_mapperQuery(); }

SkipBoxState skipBoxAfterListChange(int changedEntry, int otherEntry, bool synthTypeChosen, bool skipMIDIInit,
                                    SkipBoxState current)
{
    if (changedEntry <= 0)
        return {true, false};
    if (otherEntry >= 1) {
        if (!synthTypeChosen)
            return {false, false};
        return {skipMIDIInit, true};
    }
    return current;
}

SkipBoxState skipBoxOnLoad(int outputEntry, int inputEntry, bool synthTypeChosen, bool skipMIDIInit)
{
    SkipBoxState box{skipMIDIInit, true};
    box = skipBoxAfterListChange(outputEntry, inputEntry, synthTypeChosen, skipMIDIInit, box);
    return skipBoxAfterListChange(inputEntry, outputEntry, synthTypeChosen, skipMIDIInit, box);
}

DeviceChoice applyDeviceChoice(clsMIDIInit& init, const DeviceChoiceLists& lists, int outputEntry, int inputEntry,
                               bool skipTicked)
{
    const auto text = [](const std::vector<std::string>& list, int entry) {
        return entry >= 0 && entry < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(entry)]
                                                                    : std::string(kDeviceNone);
    };
    // The mapper is known by its id, whatever the system calls it.
    const std::int32_t outputId = init.outputIdForEntry(outputEntry);
    if (outputId == kDeviceIdMapper && MidiMapperAllocated()) {
        (void)platform::messages().messageBox(std::string("The MIDI Mapper is being used by the MIDI File Player") +
                                                  kCrLf + kCrLf + "Please close the Player or choose another device",
                                              platform::MsgStyle::Critical, "Midi Mapper Not Available");
        return DeviceChoice::MapperBusy;
    }
    const std::int32_t inputId = init.inputIdForEntry(inputEntry);

    init.setSkipMIDIInit(skipTicked);
    init.setSkipMIDIOutOpen(false);
    init.setSkipMIDIInOpen(false);
    // A device that is open already stays open.
    if (outputId == init.MIDIOutputDeviceID() && init.MidiOutOpen)
        init.setSkipMIDIOutOpen(true);
    else
        init.setMIDIOutputDeviceID(outputId);
    if (inputId == init.MIDIInputDeviceID() && init.MidiInOpen)
        init.setSkipMIDIInOpen(true);
    else
        init.setMIDIInputDeviceID(inputId);
    init.setMidiOutDeviceName(text(lists.outputs, outputEntry));
    init.setMidiInDeviceName(text(lists.inputs, inputEntry));
    init.DeviceChoiceMade = true;
    return DeviceChoice::Accepted;
}

int synthTypeOptionOnLoad(std::optional<std::int32_t> synthId)
{
    return synthId && *synthId >= 0 && *synthId <= 2 ? *synthId : 0;
}

void applySynthType(clsMIDIInit& init, std::optional<std::int32_t>& synthId, int option, bool skip)
{
    if (skip) {
        init.setSkipMIDIInit(true);
        synthId = option;
        return;
    }
    if (!synthId || *synthId != option)
        init.setMIDITimeout(option == 0 ? kMkITimeoutMs : kSeriesTimeoutMs);
    synthId = option;
}

void applyMkIButton(clsMIDIInit& init, MkIButton button)
{
    switch (button) {
    case MkIButton::ReadyToSend: init.setSkipMIDIInit(false); break;
    case MkIButton::Skip: init.setSkipMIDIInit(true); break;
    case MkIButton::Cancel: init.InitCancelled = true; break;
    }
}

float progressPercent(std::int32_t deviceNumber)
{
    return static_cast<float>(deviceNumber + 1) / static_cast<float>(kDeviceNumbers) * 100.0F;
}

std::string failureDialogText(const clsMIDIInit& init)
{
    const std::string crlf = kCrLf;
    return "Brevane opened MIDI devices : " + crlf + crlf + "Input: " + init.MidiInDeviceName() +
           "      Output: " + init.MidiOutDeviceName() + crlf + crlf +
           "           but could not detect your DX7." + crlf + crlf +
           "This may be because the devices are not physically connected to your synth." + crlf + crlf +
           "If you're sure these are the correct devices then try the following :" + crlf + crlf +
           "     *  Check your synth's power is on" + crlf + crlf +
           "     *  Check your MIDI cables are connected to the synth the right way round, " + crlf + crlf +
           "     *  Check that the DX Memory Protect button is set to OFF" + crlf +
           "        and that the SYS INFO setting (Function/8) is set to AVAILABLE ";
}

void applyFailureButton(clsMIDIInit& init, FailureButton button)
{
    switch (button) {
    case FailureButton::WorkOffline:
        CloseMidiDevices(true, true);
        init.FailureAnswer = -1;
        break;
    case FailureButton::Skip:
        init.FailureAnswer = 5;
        init.setSkipMIDIInit(true);
        break;
    case FailureButton::Retry: init.FailureAnswer = -2; break;
    case FailureButton::Cancel:
        init.FailureAnswer = 0;
        init.InitCancelled = true;
        break;
    }
}

std::int32_t effectiveTimeout(std::optional<std::int32_t> synthId, std::int32_t stored)
{
    if (stored >= kSeriesTimeoutMs && stored <= kLongestTimeoutMs)
        return stored;
    return synthId.value_or(0) == 0 ? kMkITimeoutMs : kSeriesTimeoutMs;
}

ManagerButtons managerButtonStates(bool inputOpen, bool outputOpen, bool slotUsed, bool setupRunning)
{
    ManagerButtons b;
    b.receive = inputOpen && outputOpen && !setupRunning;
    b.send = outputOpen && slotUsed;
    b.save = slotUsed;
    b.del = slotUsed;
    b.saveAndLoad = slotUsed;
    return b;
}

}  // namespace midi
