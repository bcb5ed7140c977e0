// Brevane - the main window's commands: one table for menus and toolbar, and the one
// function that decides which commands are enabled.
//
// Menus and toolbar are built from the table (captions, shortcuts, help contexts, icons),
// and the window's state is reduced to plain data (CommandInputs) so the enabled states
// can be computed, and tested, without any window.
#pragma once

#include "shell/SettingsTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace shell {

// Every command of the main window. The menu commands carry their menu and index in the
// table below; the toolbar-only ones (player buttons, "Print Voice") have no menu.
enum class CommandId : int {
    // File (mnufile)
    FileNew, FileOpen, FileClose, FileCloseAll, FileSave, FileSaveAs, FileSaveVoice,
    FilePageSetup, FilePrintPreview, FilePrint, FilePrintVoiceData,
    FileRecent1, FileRecent2, FileRecent3, FileRecent4, FileRecent5, FileRecent6,
    FileExit,
    // Edit (mnuedit)
    EditCut, EditCopy, EditPaste, EditDelete, EditFind, EditFindNext, EditSort,
    EditFindDuplicates, EditGroupPatches,
    // Midi (mnuMIDI and its submenus)
    MidiSendVoice, MidiSendBank, MidiSendFile, MidiReceiveVoice, MidiReceiveBank,
    MidiInputOn, MidiShowManager, MidiDevices,
    // Tools (mnuTools)
    ToolsConversion, ToolsPatchGenerator, ToolsMidiFilePlayer, ToolsOptions,
    // Window (mnuWindow) and its list of the open child windows
    WindowCascade, WindowTile, WindowArrangeIcons, WindowNext, WindowPrevious,
    WindowList1, WindowList2, WindowList3, WindowList4, WindowList5, WindowList6, WindowList7, WindowList8,
    WindowList9, WindowMore,
    // Help (mnuHelp)
    HelpContents, HelpIndex, HelpSearch, HelpQuickTour, HelpTechnicalSupport, HelpAbout,
    // Toolbar only
    ToolbarPrintVoice, PlayerOpen, PlayerPlay, PlayerPause, PlayerStop,
    Count_
};

constexpr std::size_t kCommandCount = static_cast<std::size_t>(CommandId::Count_);

// The Window menu lists this many child windows; "More Windows..." reaches the others.
constexpr std::size_t kWindowListSlots = 9;

// The control arrays of the menu bar, left to right. The recent-file items (1..6) and Exit
// sit in the File menu but are arrays of their own; so are the submenus of Midi, and the
// child windows listed at the end of the Window menu (1..9, then 10 "More Windows...").
enum class MenuId : int {
    None, File, RecentFiles, Exit, Edit, Midi, MidiSend, MidiReceive, MidiOptions, Tools, Window, WindowList, Help
};

// Keys of the images shared by menus and toolbar.
enum class IconKey : int {
    None, New, Open, Save, Print, Cut, Copy, Delete, Paste, MidiDevices, MidiGet, MidiSend,
    OpenMidFile, Play, Pause, Stop, CloseMidFile
};

struct CommandSpec {
    CommandId id;
    MenuId menu;
    int index;                  // index in its menu's control array; -1 for toolbar-only
    std::string_view caption;   // '&' marks the mnemonic
    std::string_view shortcut;  // Qt key sequence text ("Ctrl+N", "Shift+Del"), may be empty
    int helpContext;            // 0: none
    IconKey icon;               // image beside the menu item and on its toolbar button
    std::string_view toolbarKey;  // key of the toolbar button that runs it, may be empty
    std::string_view toolTip;     // the toolbar button's tool tip
};

// The whole table, in menu order (separators are not listed; their places are the gaps
// in the indexes).
[[nodiscard]] std::span<const CommandSpec> commandTable();
[[nodiscard]] const CommandSpec& commandSpec(CommandId id);
// The command at an index of a menu's control array; nullopt for separators and gaps.
[[nodiscard]] std::optional<CommandId> commandAt(MenuId menu, int index);
// The recent-file command of slot 0..5.
[[nodiscard]] CommandId recentFileCommand(std::size_t slot);
// The Window menu's entry for the listed child window of slot 0..8.
[[nodiscard]] CommandId windowListCommand(std::size_t slot);
// Help context number of a menu (the menu title itself): Midi 2200, Tools 2300, Help 2400.
[[nodiscard]] int menuHelpContext(MenuId menu);

// Subsystems whose commands are available. Commands of a subsystem that is not built yet
// stay in their places, disabled.
struct CommandFeatures {
    bool voiceFiles = false;      // File New/Open/Close/Save and recent files
    bool editCommands = false;    // Cut, Copy, Paste, Delete
    bool findDialog = false;      // Find, Find Next
    bool sortList = false;        // Sort Voice List
    bool duplicateDialog = false; // Find Duplicates
    bool groupDialog = false;     // Group Voice Patches
    bool voiceEditor = false;     // Save Voice
    bool printing = false;        // Page Setup, Print Preview, Print, Print Voice Data
    bool midi = false;            // MIDI Devices, Midi Send/Receive/Options
    bool midiFilePlayer = false;  // Tools > Midi File Player and the player buttons
    bool patchGenerator = false;  // Tools > Patch Generator
    bool conversion = false;      // Tools > DX to SY Voice conversion
};

// What kind of window is the main window's active child.
enum class ChildKind : int { None, VoiceList, VoiceEditor, Other };

// The active child window's state, as plain data.
struct ActiveChildState {
    ChildKind kind = ChildKind::None;
    std::int32_t totalSelections = 0;  // selected voices of the active voice list
    bool renameBoxVisible = false;     // the list's in-place rename box is open
};

struct CommandInputs {
    ActiveChildState active;
    std::int32_t openVoiceLists = 0;   // windows in the voice-list registry
    std::int32_t printerCount = 0;     // printers found at start-up (NoPrinters)
    bool clipboardHasVoices = false;   // the Edit clipboard holds at least one voice
    bool midiInOpen = false;
    bool midiOutOpen = false;
    bool midiInputRunning = false;     // check mark of "&Midi Input On"
    bool midiManagerShown = false;     // check mark of "Show Midi Ma&nager"
    bool midiSetupRunning = false;     // the MIDI device set-up (and detection) is running
    bool midiRequestWaiting = false;   // a dump request waits for the synthesizer's reply
    bool playerBarShown = false;       // the MIDI file player bar is visible
    std::array<bool, kRecentFileSlots> recentFileSlots{};  // slot holds a path
    std::int32_t childWindows = 0;     // child windows shown in the main window, minimised ones too
    std::int32_t currentChildWindow = -1;  // the active one's place among them (0-based), -1 none
    CommandFeatures features;
};

struct CommandState {
    std::array<bool, kCommandCount> enabled{};
    std::array<bool, kCommandCount> visible{};
    std::array<bool, kCommandCount> checked{};
    bool recentSeparatorVisible = false;
    bool windowListSeparatorVisible = false;
    // Whole submenus of Midi ("&Send", "&Receive", "&Options...").
    bool midiSendMenu = false;
    bool midiReceiveMenu = false;
    bool midiOptionsMenu = false;

    [[nodiscard]] bool isEnabled(CommandId id) const { return enabled[static_cast<std::size_t>(id)]; }
    [[nodiscard]] bool isVisible(CommandId id) const { return visible[static_cast<std::size_t>(id)]; }
    [[nodiscard]] bool isChecked(CommandId id) const { return checked[static_cast<std::size_t>(id)]; }
};

// Which commands are enabled, visible and checked in a given state.
[[nodiscard]] CommandState computeCommandState(const CommandInputs& in);

}  // namespace shell
