// Brevane - a set-up host that answers the MIDI set-up windows from a script, through
// the same rules the windows use.
#pragma once

#include "midi/MidiSetupHost.h"
#include "midi/MidiSetupRules.h"
#include "midi/clsMIDIInit.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace miditest {

class ScriptedSetupHost final : public midi::MidiSetupHost {
public:
    // An answer of the device dialog: Cancel, or OK with entries (-1: as preselected)
    // and the Skip box (nullopt: as the dialog shows it).
    struct DeviceAnswer {
        bool cancel = false;
        int output = -1;
        int input = -1;
        std::optional<bool> skip;
    };
    // An answer of the synthesizer type dialog: Cancel, Skip, or OK with an option
    // (-1: as preselected).
    struct TypeAnswer {
        bool cancel = false;
        bool skip = false;
        int option = -1;
    };

    ScriptedSetupHost() { midi::installSetupHost(this); }
    ~ScriptedSetupHost() override { midi::installSetupHost(nullptr); }
    ScriptedSetupHost(const ScriptedSetupHost&) = delete;
    ScriptedSetupHost& operator=(const ScriptedSetupHost&) = delete;

    std::optional<std::int32_t> SynthID() const override { return synthId; }
    void setSynthID(std::optional<std::int32_t> id) override { synthId = id; }
    bool InitInterrupted() const override { return interrupted; }
    void setInitInterrupted(bool b) override { interrupted = b; }
    void setupRunning(bool running) override { runningCalls.push_back(running); }

    void showDeviceDialog(midi::clsMIDIInit& init, const midi::DeviceChoiceLists& lists) override
    {
        ++deviceDialogs;
        shownLists = lists;
        const DeviceAnswer a = take(deviceAnswers, DeviceAnswer{});
        if (onDeviceDialog)
            onDeviceDialog();
        if (a.cancel) {
            init.InitCancelled = true;
            return;
        }
        const int out = a.output >= 0 ? a.output : lists.outputSelected;
        const int in = a.input >= 0 ? a.input : lists.inputSelected;
        shownSkipBox = midi::skipBoxOnLoad(out, in, synthId.has_value(), init.SkipMIDIInit());
        const bool skip = a.skip.value_or(shownSkipBox.checked);
        if (midi::applyDeviceChoice(init, lists, out, in, skip) == midi::DeviceChoice::MapperBusy)
            init.InitCancelled = true;  // a script that picks a busy mapper gives up
    }
    void showSynthTypeDialog(midi::clsMIDIInit& init) override
    {
        ++typeDialogs;
        const TypeAnswer a = take(typeAnswers, TypeAnswer{});
        if (a.cancel) {
            init.InitCancelled = true;
            return;
        }
        const int option = a.option >= 0 ? a.option : midi::synthTypeOptionOnLoad(synthId);
        midi::applySynthType(init, synthId, option, a.skip);
    }
    void showMkIInstructions(midi::clsMIDIInit& init) override
    {
        ++mkiDialogs;
        midi::applyMkIButton(init, take(mkiAnswers, midi::MkIButton::ReadyToSend));
    }
    void showFailureDialog(midi::clsMIDIInit& init) override
    {
        ++failureDialogs;
        failureTexts.push_back(midi::failureDialogText(init));
        if (onFailureDialog)
            onFailureDialog();
        midi::applyFailureButton(init, take(failureAnswers, midi::FailureButton::Cancel));
    }
    void showProgress() override { ++progressShown; }
    void setProgress(float percent) override
    {
        progress.push_back(percent);
        if (onProgress)
            onProgress();
    }
    void hideProgress() override
    {
        ++progressHidden;
        interrupted = false;
    }

    std::optional<std::int32_t> synthId;
    bool interrupted = false;
    std::deque<DeviceAnswer> deviceAnswers;
    std::deque<TypeAnswer> typeAnswers;
    std::deque<midi::MkIButton> mkiAnswers;
    std::deque<midi::FailureButton> failureAnswers;
    std::function<void()> onDeviceDialog;
    std::function<void()> onFailureDialog;
    std::function<void()> onProgress;

    int deviceDialogs = 0;
    int typeDialogs = 0;
    int mkiDialogs = 0;
    int failureDialogs = 0;
    int progressShown = 0;
    int progressHidden = 0;
    std::vector<float> progress;
    std::vector<bool> runningCalls;
    std::vector<std::string> failureTexts;
    midi::DeviceChoiceLists shownLists;
    midi::SkipBoxState shownSkipBox;

private:
    template <class T>
    static T take(std::deque<T>& q, T fallback)
    {
        if (q.empty())
            return fallback;
        T a = q.front();
        q.pop_front();
        return a;
    }
};

}  // namespace miditest
