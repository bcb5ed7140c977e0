// Brevane - the rules of the MIDI set-up windows, as plain functions.
//
// The device choice, synthesizer type, MkI instruction, progress and failure windows
// only show and collect; what a selection or a button does is decided here, so the
// rules can be tested without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace midi {

class clsMIDIInit;
struct DeviceChoiceLists;

// ---- the MIDI mapper
// Whether the MIDI file player holds the MIDI mapper (an output the device dialog may
// then not choose). The player installs its query; without one the mapper is free.
void setMidiMapperAllocatedQuery(std::function<bool()> query);
[[nodiscard]] bool MidiMapperAllocated();

// ---- device choice dialog (frmMidiConfigure)
// The "&Skip Initialisation" box.
struct SkipBoxState {
    bool checked = false;
    bool enabled = true;
    bool operator==(const SkipBoxState&) const = default;
};
// The box after the selection of one list changed (clicked, or set by the program):
// "None" (entry 0) in that list ticks and disables it; a device there while the other
// list has a device too clears and disables it when no synthesizer type was ever
// chosen, else enables it ticked as SkipMIDIInit; otherwise it stays as it is.
[[nodiscard]] SkipBoxState skipBoxAfterListChange(int changedEntry, int otherEntry, bool synthTypeChosen,
                                                  bool skipMIDIInit, SkipBoxState current);

// The box when the dialog opens: the program selects the output entry, then the input
// entry, starting from a box ticked as SkipMIDIInit.
[[nodiscard]] SkipBoxState skipBoxOnLoad(int outputEntry, int inputEntry, bool synthTypeChosen, bool skipMIDIInit);

// Result of the device dialog's OK.
enum class DeviceChoice : int {
    Accepted = 0,    // written; the dialog closes
    MapperBusy = 1,  // the MIDI mapper is held by the file player: told, nothing written
};
// OK with these list entries (0 = "None") and the Skip box: the ids come from the
// entries (clsMIDIInit::outputIdForEntry / inputIdForEntry), the names from the lists'
// texts; a device that is already open is kept open (its skip-open flag is set).
[[nodiscard]] DeviceChoice applyDeviceChoice(clsMIDIInit& init, const DeviceChoiceLists& lists, int outputEntry,
                                             int inputEntry, bool skipTicked);

// ---- synthesizer type dialog (frmInitialisationMessage)
// The option selected when the dialog opens: 0 for no type yet, else the type.
[[nodiscard]] int synthTypeOptionOnLoad(std::optional<std::int32_t> synthId);
// OK (skip false) with option k: a new type resets MIDITimeout to its default (15000 ms
// for the MkI, 2000 for the others); the type is then k. Skip Initialisation (skip
// true): SkipMIDIInit and the type k, the time-out stays.
void applySynthType(clsMIDIInit& init, std::optional<std::int32_t>& synthId, int option, bool skip);

// ---- MkI instructions (frmDX7MKIInit)
enum class MkIButton : int { ReadyToSend = 0, Skip = 1, Cancel = 2 };
void applyMkIButton(clsMIDIInit& init, MkIButton button);

// ---- detection progress (frmInitStatus)
// The bar after the unanswered probe of a device number: (n + 1) / 16 of 100.
[[nodiscard]] float progressPercent(std::int32_t deviceNumber);

// ---- detection failure dialog (frmInitFailureDialog)
[[nodiscard]] std::string failureDialogText(const clsMIDIInit& init);
enum class FailureButton : int { WorkOffline = 0, Skip = 1, Retry = 2, Cancel = 3 };
// Work Offline closes both devices; each button sets FailureAnswer (-1, 5, -2, 0).
void applyFailureButton(clsMIDIInit& init, FailureButton button);

// ---- reply time-out
constexpr std::int32_t kMkITimeoutMs = 15000;
constexpr std::int32_t kSeriesTimeoutMs = 2000;
constexpr std::int32_t kLongestTimeoutMs = 60000;
// The time-out detection waits: the stored one when it lies within 2000..60000 ms, else
// the type's default (a value from an edited settings file, or 0 for "not set").
[[nodiscard]] std::int32_t effectiveTimeout(std::optional<std::int32_t> synthId, std::int32_t stored);

// ---- the MIDI Manager's toolbar
struct ManagerButtons {
    bool send = false;
    bool receive = false;
    bool save = false;
    bool del = false;
    bool load = true;
    bool saveAndLoad = false;
    bool edit = true;
    bool operator==(const ManagerButtons&) const = default;
};
// Receive needs both ports and no set-up running; Send the output and a used slot;
// Save, Delete and Save And Load a used slot; Load and Edit are always there.
[[nodiscard]] ManagerButtons managerButtonStates(bool inputOpen, bool outputOpen, bool slotUsed, bool setupRunning);

}  // namespace midi
