// Brevane - shared set-up of the MIDI tests: scripted services, a simulated DX7 as the
// MIDI system, an installed settings object and windows that record what is asked of them.
#pragma once

#include "midi/MidiWindows.h"
#include "midi/clsMIDIInit.h"
#include "midi/clsMidiManagerData.h"
#include "midi/modMidiInput.h"
#include "midi/modMidiOutput.h"
#include "midi/testing/OpenDevices.h"
#include "midi/testing/TimedNotes.h"
#include "platform/VbText.h"
#include "platform/midi/SimulatedDX7Backend.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace miditest {

using Bytes = std::vector<std::uint8_t>;

inline std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }
inline Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Bank slots that only record what is stored.
class RecordingSlots final : public midi::MidiSysexSlots {
public:
    struct Stored {
        std::string data;
        std::int32_t length;
        std::int32_t fileType;
        std::string name;
    };
    bool AddSysex(std::string data, std::int32_t length, std::int32_t& fileType, const std::string& name) override
    {
        if (fileType == 1)
            fileType = 0;
        else if (fileType == 3)
            fileType = 2;
        stored.push_back({std::move(data), length, fileType, name});
        return true;
    }
    std::int32_t StoreInFreeSlot(std::string data, std::int32_t fileType, const std::string& name) override
    {
        (void)AddSysex(std::move(data), 0, fileType, name);
        return static_cast<std::int32_t>(stored.size());
    }
    bool SendSysex() override
    {
        ++sendCount;
        return false;
    }
    platform::Recordset* slotRecordset() override { return nullptr; }
    std::vector<Stored> stored;
    int sendCount = 0;
};

// Windows that record what the MIDI code asks of them.
class FakeMidiWindows final : public midi::MidiWindows {
public:
    void loadManager() override
    {
        if (!m_loaded)
            ++loads;
        m_loaded = true;
    }
    void unloadManager() override
    {
        if (m_loaded)
            ++unloads;
        m_loaded = false;
    }
    bool managerLoaded() const override { return m_loaded; }
    void showManagerMinimised() override { ++shownMinimised; }
    void setManagerCaption(const std::string& c) override { caption = c; }
    void setManagerButtonEnabled(const std::string& key, bool enabled) override { buttons[key] = enabled; }
    void setManagerButtonEnabled(int index, bool enabled) override { buttons["#" + std::to_string(index)] = enabled; }
    midi::clsMidiManagerData& managerData() override
    {
        if (!m_data) {
            m_data = std::make_unique<midi::clsMidiManagerData>();
            m_data->setSysexSlots(&sysexSlots);
        }
        return *m_data;
    }
    void setInputCommands(bool open) override { inputCommands = open; }
    void setOutputCommands(bool open) override { outputCommands = open; }
    bool appClosing() const override { return closing; }

    int loads = 0;
    int unloads = 0;
    int shownMinimised = 0;
    std::string caption;
    std::map<std::string, bool> buttons;
    bool inputCommands = false;
    bool outputCommands = false;
    bool closing = false;
    RecordingSlots sysexSlots;

private:
    bool m_loaded = false;
    std::unique_ptr<midi::clsMidiManagerData> m_data;
};

// Closes both devices, forgets the input and output state and uninstalls the windows and
// the settings object (the end of every MIDI test).
inline void closeAndUninstallMidi()
{
    midi::CloseMidiDevices(true, true);
    midi::ResetMidiOutputState();
    midi::ResetMidiInputState();
    midi::installMidiWindows(nullptr);
    midi::installMIDIInit(nullptr);
}

class MidiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        midi::installMIDIInit(&init);
        midi::installMidiWindows(&windows);
        midi::setCallbackFunctionMode(false);
        midi::ResetMidiOutputState();
        midi::ResetMidiInputState();
    }
    void TearDown() override { closeAndUninstallMidi(); }

    // Configures both simulator ports and opens them; true when both opened.
    bool openBoth()
    {
        return midi::testing::OpenDevicesByName(init, "DX7 Simulator Out", "DX7 Simulator In") && init.MidiInOpen &&
               init.MidiOutOpen;
    }

    midi::clsMidiManagerData& log() { return windows.managerData(); }

    // The trimmed Message field of every monitor row, in order.
    std::vector<std::string> monitorMessages()
    {
        std::vector<std::string> out;
        log().MidiMessage.forEach([&](const platform::RowRef& r) {
            out.push_back(platform::Trim(r.text(midi::MonitorField::Message)));
        });
        return out;
    }
    bool monitorHas(const std::string& message)
    {
        const auto all = monitorMessages();
        return std::find(all.begin(), all.end(), message) != all.end();
    }
    std::vector<std::string> statusTexts() const
    {
        std::vector<std::string> out;
        for (const auto& s : svc.statusHistory())
            if (s.panel == 1)
                out.push_back(s.text);
        return out;
    }
    bool statusShown(const std::string& text) const
    {
        const auto all = statusTexts();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

    platform::testing::ScriptedServices svc;
    platform::SimulatedDX7Backend backend{0};
    midi::clsMIDIInit init{&backend};
    FakeMidiWindows windows;
};

}  // namespace miditest
