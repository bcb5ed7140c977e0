// Brevane - the MIDI settings and devices of the program. Opening the devices, and the
// settings sent to the instrument as they change, are in MidiStartup.cpp.
#include "midi/clsMIDIInit.h"

#include "midi/MidiSetupRules.h"
#include "midi/modMidiInput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"

#include <algorithm>

namespace midi {
namespace {

constexpr std::int32_t kLowestChannel = 0;
constexpr std::int32_t kHighestChannel = 15;
constexpr std::int32_t kHighestDeviceNumber = 15;

constexpr std::int32_t kErrorShowMs = 2000;
constexpr std::int32_t kReportShowMs = 500;

// The first characters of two device names that must agree for them to count as the
// input and output of one interface.
constexpr std::size_t kInterfaceNameMatch = 12;

clsMIDIInit& defaultInit()
{
    static clsMIDIInit init(nullptr);
    return init;
}

clsMIDIInit* g_installed = nullptr;
bool g_callbackFunctionMode = false;

// A configured name a device can match: not empty and not one of the special names.
bool matchable(const std::string& configured)
{
    return !configured.empty() && configured != kDeviceNone && configured != kDeviceMissing;
}

}  // namespace

void ShowDeviceReport(bool input, const std::string& inName, bool output, const std::string& outName,
                      const std::string& outcome)
{
    std::string report;
    if (input && output)
        report = "Input: " + inName + "    Output: " + outName;
    else if (output)
        report = "Output: " + outName;
    else if (input)
        report = "Input: " + inName;
    else
        return;
    platform::ShowStatusMessage(report + "  " + outcome + " OK", kReportShowMs, 0);
}

clsMIDIInit& objMIDIInit() { return g_installed ? *g_installed : defaultInit(); }
void installMIDIInit(clsMIDIInit* init) { g_installed = init; }
bool CallbackFunctionMode() { return g_callbackFunctionMode; }
void setCallbackFunctionMode(bool on) { g_callbackFunctionMode = on; }

clsMIDIInit::clsMIDIInit(platform::MidiBackend* backend)
{
    setBackend(backend);
}

clsMIDIInit::~clsMIDIInit()
{
    if (g_installed == this)
        g_installed = nullptr;
}

void clsMIDIInit::setBackend(platform::MidiBackend* backend)
{
    // The input queue lives for the run: nothing to undo when the backend changes or
    // this object goes.
    m_backend = backend;
    if (m_backend)
        m_backend->setSystemReceiver(&midiInputQueue());
    setMIDITimeout(m_timeout);
}

// ---- properties

void clsMIDIInit::setMIDITimeout(std::int32_t ms)
{
    m_timeout = ms;
    if (m_backend)
        m_backend->setSysexQuietLimit(std::chrono::milliseconds(ms >= kSeriesTimeoutMs ? ms : kMkITimeoutMs));
}

double clsMIDIInit::MIDIInStartTime() const
{
    if (m_inStartTime == 0)
        return static_cast<double>(platform::eventLoop().nowMs());
    return m_inStartTime;
}

void clsMIDIInit::setMIDIInChannel(std::int32_t channel)
{
    if (channel < kLowestChannel || channel > kHighestChannel) {
        (void)platform::messages().messageBox("MIDI Channel must be between 0 and 15",
                                              platform::MsgStyle::Exclamation, "MIDI Channel Error");
        return;
    }
    m_inChannel = channel;
}

void clsMIDIInit::setMIDIOutChannel(std::int32_t channel)
{
    if (channel < kLowestChannel || channel > kHighestChannel) {
        (void)platform::messages().messageBox("MIDI Channel must be between 0 and 15",
                                              platform::MsgStyle::Exclamation, "MIDI Channel Error");
        return;
    }
    m_outChannel = channel;
}

void clsMIDIInit::setMIDIDeviceNumber(std::int32_t n)
{
    if (n < 0 || n > kHighestDeviceNumber) {
        (void)platform::messages().messageBox("MIDI device number must be between 0 and 15",
                                              platform::MsgStyle::Exclamation, "MIDI Device Error");
        return;
    }
    m_deviceNumber = static_cast<std::int16_t>(n);
}

// ---- error texts

void clsMIDIInit::Identify_Midi_Error(std::int32_t code, std::string& text) const
{
    switch (code) {
    case 0: text = "No Error"; break;
    case 1: text = "Unspecified error"; break;
    case 2: text = "Device ID out of range"; break;
    case 3: text = "Driver failed enable"; break;
    case 4: text = "A MIDI Device you have selected is already allocated "; break;
    case 5: text = "Device handle is invalid"; break;
    case 6: text = "No device driver present"; break;
    case 7: text = "Can't initialise - MIDI device may be unplugged"; break;
    case 8: text = "Unsupported function"; break;
    case 9: text = "Error value out of range"; break;
    case 10: text = "Invalid flags passed"; break;
    case 11: text = "Invalid parameter passed"; break;
    case 64: text = "Header Not prepared"; break;
    case 65: text = "Something still playing"; break;
    case 66: text = "No current map"; break;
    case 67: text = "Hardware is still busy"; break;
    case 68: text = "Port no longer connected"; break;
    default: text = "Error Code Out Of Range"; break;
    }
    if (code != 0)
        platform::ShowStatusMessage("Error : " + text, kErrorShowMs, 0);
}

// ---- devices

std::string clsMIDIInit::CleanDeviceName(std::string_view name)
{
    const auto end = std::find_if(name.begin(), name.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 32 || c > 126 || c == '\'';
    });
    return std::string(name.begin(), end);
}

void clsMIDIInit::EnumerateMidiDevices(bool showDeviceDialog, EnumerateOutcome& outcome)
{
    // Everything from an earlier listing is forgotten, so devices that have gone vanish.
    m_inNames.clear();
    m_outNames.clear();
    m_inIds.clear();
    m_outIds.clear();
    m_mapperPresent = false;

    std::int32_t outCount = 0;
    std::int32_t inCount = 0;
    if (m_backend) {
        m_backend->refreshDevices();
        outCount = m_backend->outputCount();
        inCount = m_backend->inputCount();
    }
    m_noOut = outCount;
    m_noIn = inCount;
    if (outCount == 0 && inCount == 0) {
        platform::ShowStatusMessage("No MIDI Devices found - working off-line", kErrorShowMs, 0);
        outcome = EnumerateOutcome::NoDevices;
        return;
    }

    bool outMatched = false;
    for (std::int32_t id = platform::kMidiMapperId; id < outCount; ++id) {
        const auto caps = m_backend->outputCaps(id);
        if (!caps)
            continue;
        std::string name = CleanDeviceName(caps->productName);
        if (caps->technology == platform::kModMapper)
            m_mapperPresent = true;
        if (matchable(m_outName) && name == m_outName) {
            m_outId = id;
            outMatched = true;
        }
        m_outNames.push_back(std::move(name));
        m_outIds.push_back(id);
    }
    m_noOut = static_cast<std::int32_t>(m_outNames.size());
    if (!outMatched) {
        m_outId = kDeviceIdNone;
        if (m_outName != kDeviceNone)
            m_outName = std::string(kDeviceMissing);
    }

    bool inMatched = false;
    for (std::int32_t id = 0; id < inCount; ++id) {
        const auto caps = m_backend->inputCaps(id);
        if (!caps)
            continue;
        std::string name = CleanDeviceName(caps->productName);
        if (matchable(m_inName) && name == m_inName) {
            m_inId = id;
            inMatched = true;
        }
        m_inNames.push_back(std::move(name));
        m_inIds.push_back(id);
    }
    m_noIn = static_cast<std::int32_t>(m_inNames.size());
    if (!inMatched) {
        m_inId = kDeviceIdNone;
        if (m_inName != kDeviceNone)
            m_inName = std::string(kDeviceMissing);
    }

    if (m_inName == kDeviceMissing)
        outcome = EnumerateOutcome::InputMissing;
    else if (m_outName == kDeviceMissing)
        outcome = EnumerateOutcome::OutputMissing;
    else if (showDeviceDialog)
        outcome = EnumerateOutcome::ShowDialog;
    else
        outcome = EnumerateOutcome::Ok;

    platform::ShowStatusMessage(platform::Str(m_noIn) + " MIDI input and " + platform::Str(m_noOut) +
                                    " MIDI output devices located.",
                                kReportShowMs, 0);
}

std::int32_t clsMIDIInit::outputIdForEntry(int entry) const
{
    if (entry < 1 || entry > static_cast<int>(m_outIds.size()))
        return kDeviceIdNone;
    return m_outIds[static_cast<std::size_t>(entry - 1)];
}

std::int32_t clsMIDIInit::inputIdForEntry(int entry) const
{
    if (entry < 1 || entry > static_cast<int>(m_inIds.size()))
        return kDeviceIdNone;
    return m_inIds[static_cast<std::size_t>(entry - 1)];
}

int clsMIDIInit::outputEntryForId(std::int32_t id) const
{
    const auto it = std::find(m_outIds.begin(), m_outIds.end(), id);
    return it == m_outIds.end() ? 0 : static_cast<int>(it - m_outIds.begin()) + 1;
}

int clsMIDIInit::inputEntryForId(std::int32_t id) const
{
    const auto it = std::find(m_inIds.begin(), m_inIds.end(), id);
    return it == m_inIds.end() ? 0 : static_cast<int>(it - m_inIds.begin()) + 1;
}

std::string clsMIDIInit::listedInputName() const
{
    const int entry = inputEntryForId(m_inId);
    return entry > 0 ? m_inNames[static_cast<std::size_t>(entry - 1)] : std::string();
}

std::string clsMIDIInit::listedOutputName() const
{
    const int entry = outputEntryForId(m_outId);
    return entry > 0 ? m_outNames[static_cast<std::size_t>(entry - 1)] : std::string();
}

void clsMIDIInit::FillDeviceLists(DeviceChoiceLists& dialog) const
{
    dialog.outputs.assign(1, std::string(kDeviceNone));
    dialog.outputs.insert(dialog.outputs.end(), m_outNames.begin(), m_outNames.end());
    dialog.inputs.assign(1, std::string(kDeviceNone));
    dialog.inputs.insert(dialog.inputs.end(), m_inNames.begin(), m_inNames.end());
    dialog.outputSelected = 0;
    dialog.inputSelected = 0;

    if (m_outId != kDeviceIdNone || m_inId != kDeviceIdNone) {
        dialog.InputDeviceID = m_inId;
        dialog.OutputDeviceID = m_outId;
        dialog.outputSelected = m_outId == kDeviceIdNone ? 0 : outputEntryForId(m_outId);
        dialog.inputSelected = m_inId == kDeviceIdNone ? 0 : inputEntryForId(m_inId);
        return;
    }
    if (m_outName != kDeviceMissing && m_inName != kDeviceMissing) {
        for (std::size_t k = 1; k < dialog.outputs.size(); ++k)
            if (dialog.outputs[k] == m_outName)
                dialog.outputSelected = static_cast<int>(k);
        for (std::size_t k = 1; k < dialog.inputs.size(); ++k)
            if (dialog.inputs[k] == m_inName)
                dialog.inputSelected = static_cast<int>(k);
        return;
    }
    // A configured device is missing: offer the first input and output whose names agree
    // in their first characters, as the two ports of one interface usually do.
    for (std::size_t i = 1; i < dialog.inputs.size(); ++i) {
        for (std::size_t j = 1; j < dialog.outputs.size(); ++j) {
            if (dialog.inputs[i].substr(0, kInterfaceNameMatch) ==
                dialog.outputs[j].substr(0, kInterfaceNameMatch)) {
                dialog.outputSelected = static_cast<int>(j);
                dialog.inputSelected = static_cast<int>(i);
                return;
            }
        }
    }
}

}  // namespace midi
