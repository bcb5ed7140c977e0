// Brevane - the installed MIDI windows and their headless stand-in.
#include "midi/MidiWindows.h"

#include "midi/MidiManagerSlots.h"
#include "midi/clsMidiManagerData.h"

#include <memory>

namespace midi {
namespace {

// Keeps the monitor log, the bank slots and a loaded flag; everything else does nothing.
class HeadlessMidiWindows final : public SilentMidiWindows {
public:
    void loadManager() override { m_loaded = true; }
    void unloadManager() override { m_loaded = false; }
    bool managerLoaded() const override { return m_loaded; }
    clsMidiManagerData& managerData() override
    {
        if (!m_data) {
            m_data = std::make_unique<clsMidiManagerData>();
            m_slots = std::make_unique<MidiManagerSlots>(*m_data);
            m_slots->InitMidiGrid();
            m_data->setSysexSlots(m_slots.get());
        }
        return *m_data;
    }

private:
    bool m_loaded = false;
    std::unique_ptr<clsMidiManagerData> m_data;
    std::unique_ptr<MidiManagerSlots> m_slots;
};

HeadlessMidiWindows& headless()
{
    static HeadlessMidiWindows w;
    return w;
}

MidiWindows* g_windows = nullptr;

}  // namespace

MidiWindows& windows() { return g_windows ? *g_windows : headless(); }

void installMidiWindows(MidiWindows* w) { g_windows = w; }

}  // namespace midi
