// Brevane - the installed MIDI set-up host and its headless stand-in.
#include "midi/MidiSetupHost.h"

#include "midi/clsMIDIInit.h"

namespace midi {
namespace {

// Keeps the synthesizer type and the interruption flag; every dialog is cancelled.
class HeadlessSetupHost final : public MidiSetupHost {
public:
    std::optional<std::int32_t> SynthID() const override { return m_synthId; }
    void setSynthID(std::optional<std::int32_t> id) override { m_synthId = id; }
    bool InitInterrupted() const override { return m_interrupted; }
    void setInitInterrupted(bool interrupted) override { m_interrupted = interrupted; }
    void setupRunning(bool) override {}
    void showDeviceDialog(clsMIDIInit& init, const DeviceChoiceLists&) override { init.InitCancelled = true; }
    void showSynthTypeDialog(clsMIDIInit& init) override { init.InitCancelled = true; }
    void showMkIInstructions(clsMIDIInit& init) override { init.InitCancelled = true; }
    void showFailureDialog(clsMIDIInit& init) override
    {
        init.FailureAnswer = 0;
        init.InitCancelled = true;
    }
    void showProgress() override {}
    void setProgress(float) override {}
    void hideProgress() override { m_interrupted = false; }

private:
    std::optional<std::int32_t> m_synthId;
    bool m_interrupted = false;
};

HeadlessSetupHost& headless()
{
    static HeadlessSetupHost host;
    return host;
}

MidiSetupHost* g_host = nullptr;

}  // namespace

MidiSetupHost& setupHost() { return g_host ? *g_host : headless(); }

void installSetupHost(MidiSetupHost* host) { g_host = host; }

}  // namespace midi
