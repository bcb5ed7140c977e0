// Brevane - the main window's command table and enabled states.
#include "shell/CommandTable.h"

#include <algorithm>

namespace shell {
namespace {

using C = CommandId;
using M = MenuId;
using I = IconKey;

// Menus, captions, shortcuts and help contexts; separators are the gaps in the indexes.
constexpr CommandSpec kTable[] = {
    {C::FileNew, M::File, 0, "&New", "Ctrl+N", 2010, I::New, "New File", "Create new file"},
    {C::FileOpen, M::File, 1, "&Open...", "Ctrl+O", 2020, I::Open, "Open File", "Open voice data file"},
    {C::FileClose, M::File, 2, "&Close", "", 2000, I::None, "", ""},
    {C::FileCloseAll, M::File, 3, "C&lose All", "Ctrl+L", 2000, I::None, "", ""},
    {C::FileSave, M::File, 4, "&Save", "Ctrl+S", 2030, I::Save, "Save File", "Save voice data file"},
    {C::FileSaveAs, M::File, 5, "Save &As...", "Ctrl+A", 2040, I::None, "", ""},
    {C::FileSaveVoice, M::File, 7, "Save &Voice", "Ctrl+V", 2000, I::None, "", ""},
    {C::FilePageSetup, M::File, 9, "Pa&ge Setup...", "Ctrl+E", 2050, I::None, "", ""},
    {C::FilePrintPreview, M::File, 10, "P&rint Preview...", "Ctrl+T", 2050, I::None, "", ""},
    {C::FilePrint, M::File, 11, "&Print...", "Ctrl+P", 2060, I::Print, "", ""},
    {C::FilePrintVoiceData, M::File, 12, "Print Voice &Data", "Ctrl+D", 2070, I::None, "", ""},
    {C::FileRecent1, M::RecentFiles, 1, "", "", 2000, I::None, "", ""},
    {C::FileRecent2, M::RecentFiles, 2, "", "", 2000, I::None, "", ""},
    {C::FileRecent3, M::RecentFiles, 3, "", "", 2000, I::None, "", ""},
    {C::FileRecent4, M::RecentFiles, 4, "", "", 2000, I::None, "", ""},
    {C::FileRecent5, M::RecentFiles, 5, "", "", 2000, I::None, "", ""},
    {C::FileRecent6, M::RecentFiles, 6, "", "", 2000, I::None, "", ""},
    {C::FileExit, M::Exit, 0, "&Exit", "Ctrl+X", 2000, I::None, "", ""},

    {C::EditCut, M::Edit, 0, "&Cut", "Shift+Del", 2100, I::Cut, "Cut", "Cut"},
    {C::EditCopy, M::Edit, 1, "C&opy", "Ctrl+Ins", 2100, I::Copy, "Copy", "Copy"},
    {C::EditPaste, M::Edit, 2, "&Paste", "Shift+Ins", 2100, I::Paste, "Paste", "Paste"},
    {C::EditDelete, M::Edit, 3, "&Delete", "Del", 2100, I::Delete, "Delete", "Delete"},
    {C::EditFind, M::Edit, 5, "&Find...", "Ctrl+F", 9000, I::None, "", ""},
    {C::EditFindNext, M::Edit, 6, "Find &Next", "F3", 9000, I::None, "", ""},
    {C::EditSort, M::Edit, 8, "&Sort Voice List", "F12", 9200, I::None, "", ""},
    {C::EditFindDuplicates, M::Edit, 9, "Find D&uplicates...", "Shift+F12", 0, I::None, "", ""},
    {C::EditGroupPatches, M::Edit, 10, "&Group Voice Patches ...", "Ctrl+G", 0, I::None, "", ""},

    {C::MidiSendVoice, M::MidiSend, 0, "Voic&e", "F6", 2220, I::None, "", ""},
    {C::MidiSendBank, M::MidiSend, 1, "B&ank", "F7", 2220, I::None, "", ""},
    {C::MidiSendFile, M::MidiSend, 2, "&File...", "F8", 2220, I::None, "", ""},
    {C::MidiReceiveVoice, M::MidiReceive, 0, "&Voice...", "Ctrl+F6", 2240, I::None, "", ""},
    {C::MidiReceiveBank, M::MidiReceive, 1, "&Bank...", "Ctrl+F7", 2240, I::None, "", ""},
    {C::MidiInputOn, M::MidiOptions, 0, "&Midi Input On", "Ctrl+I", 2260, I::None, "", ""},
    {C::MidiShowManager, M::MidiOptions, 1, "Show Midi Ma&nager", "Ctrl+M", 2260, I::None, "", ""},
    {C::MidiDevices, M::Midi, 4, "MIDI &Devices...", "", 2280, I::MidiDevices, "MIDI devices", "MIDI devices"},

    {C::ToolsConversion, M::Tools, 0, "DX to SY &Voice conversion", "", 10000, I::None, "", ""},
    {C::ToolsPatchGenerator, M::Tools, 1, "Patch &Generator", "", 11000, I::None, "", ""},
    {C::ToolsMidiFilePlayer, M::Tools, 2, "Midi File &Player", "F4", 12000, I::None, "", ""},
    {C::ToolsOptions, M::Tools, 4, "&Options...", "", 2360, I::None, "", ""},

    {C::WindowCascade, M::Window, 0, "&Cascade", "", 0, I::None, "", ""},
    {C::WindowTile, M::Window, 1, "&Tile", "", 0, I::None, "", ""},
    {C::WindowArrangeIcons, M::Window, 2, "&Arrange Icons", "", 0, I::None, "", ""},
    // The keys the MDI area itself goes round its children with; bound here, they step once.
    {C::WindowNext, M::Window, 4, "&Next", "Ctrl+Tab", 0, I::None, "", ""},
    {C::WindowPrevious, M::Window, 5, "&Previous", "Ctrl+Shift+Tab", 0, I::None, "", ""},
    {C::WindowList1, M::WindowList, 1, "", "", 0, I::None, "", ""},
    {C::WindowList2, M::WindowList, 2, "", "", 0, I::None, "", ""},
    {C::WindowList3, M::WindowList, 3, "", "", 0, I::None, "", ""},
    {C::WindowList4, M::WindowList, 4, "", "", 0, I::None, "", ""},
    {C::WindowList5, M::WindowList, 5, "", "", 0, I::None, "", ""},
    {C::WindowList6, M::WindowList, 6, "", "", 0, I::None, "", ""},
    {C::WindowList7, M::WindowList, 7, "", "", 0, I::None, "", ""},
    {C::WindowList8, M::WindowList, 8, "", "", 0, I::None, "", ""},
    {C::WindowList9, M::WindowList, 9, "", "", 0, I::None, "", ""},
    {C::WindowMore, M::WindowList, 10, "&More Windows...", "", 0, I::None, "", ""},

    {C::HelpContents, M::Help, 0, "&Contents", "", 2400, I::None, "", ""},
    {C::HelpIndex, M::Help, 1, "&Index", "", 2400, I::None, "", ""},
    {C::HelpSearch, M::Help, 2, "&Search", "", 2400, I::None, "", ""},
    {C::HelpQuickTour, M::Help, 4, "&Quick Tour", "", 2420, I::None, "", ""},
    {C::HelpTechnicalSupport, M::Help, 5, "&Technical Support", "", 2440, I::None, "", ""},
    {C::HelpAbout, M::Help, 7, "&About Brevane", "", 2400, I::None, "", ""},

    {C::ToolbarPrintVoice, M::None, -1, "Print Voice", "", 0, I::Print, "Print Voice", "Print"},
    {C::PlayerOpen, M::None, -1, "Open Mid File", "", 0, I::OpenMidFile, "Open Mid File", "Open .mid file"},
    {C::PlayerPlay, M::None, -1, "Play", "", 0, I::Play, "Play", "Play"},
    {C::PlayerPause, M::None, -1, "Pause", "", 0, I::Pause, "Pause", "Pause"},
    {C::PlayerStop, M::None, -1, "Stop", "", 0, I::Stop, "Stop", "Stop"},
};

static_assert(std::size(kTable) == kCommandCount, "every command has one row");

constexpr bool tableInIdOrder()
{
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i)
            return false;
    return true;
}
static_assert(tableInIdOrder(), "rows are in CommandId order");

std::size_t at(CommandId id) { return static_cast<std::size_t>(id); }

}  // namespace

std::span<const CommandSpec> commandTable() { return kTable; }

const CommandSpec& commandSpec(CommandId id) { return kTable[at(id)]; }

std::optional<CommandId> commandAt(MenuId menu, int index)
{
    for (const CommandSpec& spec : kTable)
        if (spec.menu == menu && spec.index == index)
            return spec.id;
    return std::nullopt;
}

CommandId recentFileCommand(std::size_t slot)
{
    return static_cast<CommandId>(at(CommandId::FileRecent1) + std::min(slot, kRecentFileSlots - 1));
}

CommandId windowListCommand(std::size_t slot)
{
    return static_cast<CommandId>(at(CommandId::WindowList1) + std::min(slot, kWindowListSlots - 1));
}

int menuHelpContext(MenuId menu)
{
    switch (menu) {
    case MenuId::Midi: return 2200;
    case MenuId::MidiSend: return 2220;
    case MenuId::MidiReceive: return 2240;
    case MenuId::MidiOptions: return 2260;
    case MenuId::Tools: return 2300;
    case MenuId::Help: return 2400;
    default: return 0;
    }
}

CommandState computeCommandState(const CommandInputs& in)
{
    CommandState s;
    s.visible.fill(true);
    auto set = [&s](CommandId id, bool enabled) { s.enabled[at(id)] = enabled; };

    const CommandFeatures& f = in.features;
    const bool activeList = in.active.kind == ChildKind::VoiceList;
    const bool activeEditor = in.active.kind == ChildKind::VoiceEditor;
    // While the active list's rename box is open, the Edit commands leave the list alone.
    const bool renaming = activeList && in.active.renameBoxVisible;
    const bool selection = activeList && in.active.totalSelections > 0;
    const bool listsOpen = in.openVoiceLists > 0;
    const bool printers = f.printing && in.printerCount > 0;

    set(CommandId::FileNew, f.voiceFiles);
    set(CommandId::FileOpen, f.voiceFiles);
    set(CommandId::FileClose, f.voiceFiles && listsOpen);
    set(CommandId::FileCloseAll, f.voiceFiles && listsOpen);
    set(CommandId::FileSave, f.voiceFiles && activeList);
    set(CommandId::FileSaveAs, f.voiceFiles && activeList);
    set(CommandId::FileSaveVoice, f.voiceEditor && (selection || activeEditor));
    set(CommandId::FilePageSetup, printers);
    set(CommandId::FilePrintPreview, printers);
    set(CommandId::FilePrint, printers && activeList);
    set(CommandId::FilePrintVoiceData, printers && (selection || activeEditor));
    set(CommandId::ToolbarPrintVoice, printers && (activeList || activeEditor));
    for (std::size_t slot = 0; slot < kRecentFileSlots; ++slot) {
        const CommandId id = recentFileCommand(slot);
        s.visible[at(id)] = in.recentFileSlots[slot];
        set(id, f.voiceFiles && in.recentFileSlots[slot]);
        s.recentSeparatorVisible = s.recentSeparatorVisible || in.recentFileSlots[slot];
    }
    set(CommandId::FileExit, true);

    const bool editable = f.editCommands && selection && !renaming;
    set(CommandId::EditCut, editable);
    set(CommandId::EditCopy, editable);
    set(CommandId::EditDelete, editable);
    set(CommandId::EditPaste, f.editCommands && in.clipboardHasVoices && !renaming);
    set(CommandId::EditFind, f.findDialog && activeList && !renaming);
    set(CommandId::EditFindNext, f.findDialog && activeList && !renaming);
    set(CommandId::EditSort, f.sortList && activeList && !renaming);
    set(CommandId::EditFindDuplicates, f.duplicateDialog && activeList && !renaming);
    set(CommandId::EditGroupPatches, f.groupDialog && activeList && !renaming);

    // Sending needs the output and something to send: the submenu a list to send from, a
    // voice the active list or editor, a bank page the active list; a file (F8) only the
    // output. Receiving needs both ports.
    s.midiSendMenu = f.midi && in.midiOutOpen && listsOpen;
    set(CommandId::MidiSendVoice, s.midiSendMenu && (activeList || activeEditor));
    set(CommandId::MidiSendBank, s.midiSendMenu && activeList);
    set(CommandId::MidiSendFile, f.midi && in.midiOutOpen);
    // Receiving needs the input running, and waits while the device set-up runs.
    s.midiReceiveMenu = f.midi && in.midiInOpen && in.midiOutOpen && in.midiInputRunning && !in.midiSetupRunning;
    set(CommandId::MidiReceiveVoice, s.midiReceiveMenu);
    set(CommandId::MidiReceiveBank, s.midiReceiveMenu);
    s.midiOptionsMenu = f.midi && (in.midiInOpen || in.midiOutOpen);
    set(CommandId::MidiInputOn, s.midiOptionsMenu && in.midiInOpen);
    set(CommandId::MidiShowManager, s.midiOptionsMenu);
    s.checked[at(CommandId::MidiInputOn)] = in.midiInputRunning;
    s.checked[at(CommandId::MidiShowManager)] = in.midiManagerShown;
    // A new set-up would take the ports from under a running one or a waiting request.
    set(CommandId::MidiDevices, f.midi && !in.midiSetupRunning && !in.midiRequestWaiting);

    set(CommandId::ToolsConversion, f.conversion);
    set(CommandId::ToolsPatchGenerator, f.patchGenerator && listsOpen);
    set(CommandId::ToolsMidiFilePlayer, f.midiFilePlayer);
    s.checked[at(CommandId::ToolsMidiFilePlayer)] = in.playerBarShown;
    set(CommandId::ToolsOptions, true);

    // The first nine child windows are listed, the active one ticked; "More Windows..."
    // lists them all once there are more.
    for (std::size_t slot = 0; slot < kWindowListSlots; ++slot) {
        const CommandId id = windowListCommand(slot);
        const bool listed = static_cast<std::int32_t>(slot) < in.childWindows;
        s.visible[at(id)] = listed;
        set(id, listed);
        s.checked[at(id)] = listed && static_cast<std::int32_t>(slot) == in.currentChildWindow;
    }
    s.windowListSeparatorVisible = in.childWindows > 0;
    s.visible[at(CommandId::WindowMore)] = in.childWindows > static_cast<std::int32_t>(kWindowListSlots);
    set(CommandId::WindowMore, in.childWindows > static_cast<std::int32_t>(kWindowListSlots));
    set(CommandId::WindowNext, in.childWindows > 1);
    set(CommandId::WindowPrevious, in.childWindows > 1);

    for (CommandId id : {CommandId::WindowCascade, CommandId::WindowTile, CommandId::WindowArrangeIcons,
                         CommandId::HelpContents, CommandId::HelpIndex, CommandId::HelpSearch,
                         CommandId::HelpQuickTour, CommandId::HelpTechnicalSupport, CommandId::HelpAbout})
        set(id, true);

    for (CommandId id : {CommandId::PlayerOpen, CommandId::PlayerPlay, CommandId::PlayerPause, CommandId::PlayerStop}) {
        s.visible[at(id)] = in.playerBarShown;
        set(id, f.midiFilePlayer && in.playerBarShown);
    }
    return s;
}

}  // namespace shell
