// Which commands the main window enables in which state.
#include "shell/CommandTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace shell {
namespace {

using C = CommandId;

CommandFeatures everything()
{
    CommandFeatures f;
    f.voiceFiles = f.editCommands = f.findDialog = f.sortList = f.duplicateDialog = f.groupDialog = true;
    f.voiceEditor = f.printing = f.midi = f.midiFilePlayer = f.patchGenerator = f.conversion = true;
    return f;
}

CommandInputs listActive(std::int32_t selections, bool renaming = false)
{
    CommandInputs in;
    in.features = everything();
    in.active = {ChildKind::VoiceList, selections, renaming};
    in.openVoiceLists = 1;
    in.printerCount = 1;
    return in;
}

TEST(CommandTable, MenusHaveOneCommandPerIndexAndSeparatorsInTheGaps)
{
    std::map<MenuId, std::set<int>> seen;
    for (const CommandSpec& spec : commandTable()) {
        if (spec.menu == MenuId::None) {
            EXPECT_EQ(spec.index, -1) << spec.caption;
            EXPECT_FALSE(spec.toolbarKey.empty()) << "toolbar-only commands have a key";
            continue;
        }
        EXPECT_TRUE(seen[spec.menu].insert(spec.index).second) << "index used twice: " << spec.caption;
        EXPECT_EQ(commandAt(spec.menu, spec.index), spec.id);
    }
    // Separators of the File and Edit menus keep their places.
    EXPECT_FALSE(commandAt(MenuId::File, 6));
    EXPECT_FALSE(commandAt(MenuId::File, 8));
    EXPECT_FALSE(commandAt(MenuId::Edit, 4));
    EXPECT_FALSE(commandAt(MenuId::Edit, 7));
    EXPECT_FALSE(commandAt(MenuId::Tools, 3));
    EXPECT_FALSE(commandAt(MenuId::Help, 3));
    EXPECT_FALSE(commandAt(MenuId::Help, 6));
    EXPECT_EQ(commandAt(MenuId::Midi, 4), C::MidiDevices);
}

TEST(CommandTable, CaptionsShortcutsAndHelpContexts)
{
    struct Row {
        C id;
        const char* caption;
        const char* shortcut;
        int help;
    };
    const Row rows[] = {
        {C::FileNew, "&New", "Ctrl+N", 2010},           {C::FileOpen, "&Open...", "Ctrl+O", 2020},
        {C::FileCloseAll, "C&lose All", "Ctrl+L", 2000}, {C::FileSaveAs, "Save &As...", "Ctrl+A", 2040},
        {C::FileSaveVoice, "Save &Voice", "Ctrl+V", 2000}, {C::FilePrintVoiceData, "Print Voice &Data", "Ctrl+D", 2070},
        {C::FileExit, "&Exit", "Ctrl+X", 2000},          {C::EditCut, "&Cut", "Shift+Del", 2100},
        {C::EditCopy, "C&opy", "Ctrl+Ins", 2100},        {C::EditPaste, "&Paste", "Shift+Ins", 2100},
        {C::EditDelete, "&Delete", "Del", 2100},         {C::EditFindNext, "Find &Next", "F3", 9000},
        {C::EditSort, "&Sort Voice List", "F12", 9200},  {C::EditFindDuplicates, "Find D&uplicates...", "Shift+F12", 0},
        {C::EditGroupPatches, "&Group Voice Patches ...", "Ctrl+G", 0},
        {C::MidiSendFile, "&File...", "F8", 2220},       {C::MidiReceiveBank, "&Bank...", "Ctrl+F7", 2240},
        {C::MidiReceiveVoice, "&Voice...", "Ctrl+F6", 2240},
        {C::WindowNext, "&Next", "Ctrl+Tab", 0},         {C::WindowPrevious, "&Previous", "Ctrl+Shift+Tab", 0},
        {C::MidiShowManager, "Show Midi Ma&nager", "Ctrl+M", 2260},
        {C::ToolsMidiFilePlayer, "Midi File &Player", "F4", 12000}, {C::ToolsOptions, "&Options...", "", 2360},
        {C::HelpQuickTour, "&Quick Tour", "", 2420},     {C::HelpAbout, "&About Brevane", "", 2400},
    };
    for (const Row& r : rows) {
        const CommandSpec& spec = commandSpec(r.id);
        EXPECT_EQ(spec.caption, r.caption);
        EXPECT_EQ(spec.shortcut, r.shortcut) << r.caption;
        EXPECT_EQ(spec.helpContext, r.help) << r.caption;
    }
    EXPECT_EQ(commandSpec(C::FileNew).toolTip, "Create new file");
    EXPECT_EQ(commandSpec(C::PlayerOpen).toolTip, "Open .mid file");
    EXPECT_EQ(commandSpec(C::ToolbarPrintVoice).toolbarKey, "Print Voice");
    EXPECT_EQ(recentFileCommand(0), C::FileRecent1);
    EXPECT_EQ(recentFileCommand(5), C::FileRecent6);
    // A key bound to two commands would run neither.
    std::set<std::string_view> shortcuts;
    for (const CommandSpec& spec : commandTable())
        EXPECT_TRUE(spec.shortcut.empty() || shortcuts.insert(spec.shortcut).second) << spec.shortcut;
}

// The commands of subsystems that are not there stay disabled, whatever the state.
TEST(CommandState, CommandsOfMissingSubsystemsStayDisabled)
{
    CommandInputs in = listActive(3);
    in.features = {};
    in.midiInOpen = in.midiOutOpen = true;
    in.clipboardHasVoices = true;
    in.recentFileSlots = {true, false, true, false, false, false};
    const CommandState s = computeCommandState(in);
    for (C id : {C::FileNew, C::FileOpen, C::FileClose, C::FileSave, C::FileSaveVoice, C::FilePrint,
                 C::FilePageSetup, C::EditCut, C::EditPaste, C::EditFind, C::EditSort, C::MidiDevices,
                 C::MidiSendBank, C::MidiReceiveVoice, C::ToolsPatchGenerator, C::ToolsConversion,
                 C::ToolsMidiFilePlayer, C::ToolbarPrintVoice, C::FileRecent1})
        EXPECT_FALSE(s.isEnabled(id)) << commandSpec(id).caption;
    for (C id : {C::FileExit, C::ToolsOptions, C::WindowCascade, C::WindowTile, C::HelpContents, C::HelpAbout})
        EXPECT_TRUE(s.isEnabled(id)) << commandSpec(id).caption;
    // Recent entries still show where a path is stored.
    EXPECT_TRUE(s.isVisible(C::FileRecent1));
    EXPECT_FALSE(s.isVisible(C::FileRecent2));
    EXPECT_TRUE(s.isVisible(C::FileRecent3));
    EXPECT_TRUE(s.recentSeparatorVisible);
}

// The voice-list commands by the active window's state, one row per state.
TEST(CommandState, VoiceListCommandsFollowTheActiveWindow)
{
    struct Row {
        const char* state;
        CommandInputs in;
        std::set<C> enabled;  // of the commands checked below
    };
    const std::set<C> checked = {C::FileClose, C::FileCloseAll, C::FileSave, C::FileSaveAs, C::FileSaveVoice,
                                 C::FilePrint, C::FilePrintVoiceData, C::ToolbarPrintVoice, C::EditCut,
                                 C::EditCopy, C::EditDelete, C::EditPaste, C::EditFind, C::EditFindNext,
                                 C::EditSort, C::EditFindDuplicates, C::EditGroupPatches};
    CommandInputs none;
    none.features = everything();
    none.printerCount = 1;
    CommandInputs listsButNoneActive = none;
    listsButNoneActive.openVoiceLists = 2;
    CommandInputs editorActive = listsButNoneActive;
    editorActive.active.kind = ChildKind::VoiceEditor;
    CommandInputs otherActive = listsButNoneActive;
    otherActive.active.kind = ChildKind::Other;
    CommandInputs clipboardOnly = otherActive;
    clipboardOnly.clipboardHasVoices = true;
    CommandInputs renamingWithClipboard = listActive(1, true);
    renamingWithClipboard.clipboardHasVoices = true;
    CommandInputs noPrinter = listActive(1);
    noPrinter.printerCount = 0;

    const std::set<C> active = {C::FileClose, C::FileCloseAll, C::FileSave, C::FileSaveAs, C::FilePrint,
                                C::ToolbarPrintVoice, C::EditFind, C::EditFindNext, C::EditSort,
                                C::EditFindDuplicates, C::EditGroupPatches};
    std::set<C> activeWithSelection = active;
    activeWithSelection.insert({C::FileSaveVoice, C::FilePrintVoiceData, C::EditCut, C::EditCopy, C::EditDelete});
    std::set<C> noPrinterRow = activeWithSelection;
    for (C id : {C::FilePrint, C::FilePrintVoiceData, C::ToolbarPrintVoice})
        noPrinterRow.erase(id);

    const Row rows[] = {
        {"no window", none, {}},
        {"lists open, none active", listsButNoneActive, {C::FileClose, C::FileCloseAll}},
        {"list active, nothing selected", listActive(0), active},
        {"list active, voices selected", listActive(2), activeWithSelection},
        {"rename box open", renamingWithClipboard,
         {C::FileClose, C::FileCloseAll, C::FileSave, C::FileSaveAs, C::FileSaveVoice, C::FilePrint,
          C::FilePrintVoiceData, C::ToolbarPrintVoice}},
        {"editor active", editorActive,
         {C::FileClose, C::FileCloseAll, C::FileSaveVoice, C::FilePrintVoiceData, C::ToolbarPrintVoice}},
        {"another window active", otherActive, {C::FileClose, C::FileCloseAll}},
        {"clipboard holds voices, another window active", clipboardOnly,
         {C::FileClose, C::FileCloseAll, C::EditPaste}},
        {"no printer", noPrinter, noPrinterRow},
    };
    for (const Row& row : rows) {
        const CommandState s = computeCommandState(row.in);
        for (C id : checked)
            EXPECT_EQ(s.isEnabled(id), row.enabled.count(id) == 1)
                << row.state << ": " << commandSpec(id).caption << " / " << commandSpec(id).toolbarKey;
    }
}

TEST(CommandState, PrintingNeedsAPrinter)
{
    CommandInputs in = listActive(1);
    in.printerCount = 0;
    const CommandState none = computeCommandState(in);
    for (C id : {C::FilePageSetup, C::FilePrintPreview, C::FilePrint, C::FilePrintVoiceData, C::ToolbarPrintVoice})
        EXPECT_FALSE(none.isEnabled(id)) << commandSpec(id).caption;
    in.printerCount = 2;
    const CommandState some = computeCommandState(in);
    for (C id : {C::FilePageSetup, C::FilePrintPreview, C::FilePrint, C::FilePrintVoiceData, C::ToolbarPrintVoice})
        EXPECT_TRUE(some.isEnabled(id)) << commandSpec(id).caption;
}

TEST(CommandState, ReceivingWaitsForRunningInputAndForTheDeviceSetUp)
{
    CommandInputs in;
    in.features = everything();
    in.midiInOpen = in.midiOutOpen = in.midiInputRunning = true;
    EXPECT_TRUE(computeCommandState(in).midiReceiveMenu);
    in.midiInputRunning = false;  // "Midi Input On" unticked
    const CommandState stopped = computeCommandState(in);
    EXPECT_FALSE(stopped.midiReceiveMenu);
    EXPECT_FALSE(stopped.isEnabled(C::MidiReceiveBank));
    EXPECT_TRUE(stopped.isEnabled(C::MidiInputOn)) << "so it can be ticked again";
    in.midiInputRunning = true;
    in.midiSetupRunning = true;
    const CommandState setUp = computeCommandState(in);
    EXPECT_FALSE(setUp.midiReceiveMenu);
    EXPECT_FALSE(setUp.isEnabled(C::MidiReceiveVoice));
    EXPECT_FALSE(setUp.isEnabled(C::MidiDevices));
    EXPECT_TRUE(setUp.isEnabled(C::MidiSendFile)) << "other commands stay reachable";
    // A dump request waiting for its reply keeps the set-up from taking the ports.
    in.midiSetupRunning = false;
    in.midiRequestWaiting = true;
    const CommandState waiting = computeCommandState(in);
    EXPECT_FALSE(waiting.isEnabled(C::MidiDevices));
    EXPECT_TRUE(waiting.isEnabled(C::MidiSendFile));
}

TEST(CommandState, MidiCommandsFollowThePorts)
{
    struct Row {
        bool in, out;
        int lists;
        bool sendMenu, sendBank, sendFile, receive, options;
    };
    const Row rows[] = {
        {false, false, 1, false, false, false, false, false},
        {false, true, 0, false, false, true, false, true},
        {false, true, 2, true, true, true, false, true},
        {true, false, 2, false, false, false, false, true},
        {true, true, 1, true, true, true, true, true},
    };
    for (const Row& r : rows) {
        CommandInputs in;
        in.features = everything();
        in.midiInOpen = r.in;
        in.midiOutOpen = r.out;
        in.midiInputRunning = r.in;
        in.openVoiceLists = r.lists;
        in.active.kind = r.lists > 0 ? ChildKind::VoiceList : ChildKind::None;
        const CommandState s = computeCommandState(in);
        SCOPED_TRACE(testing::Message() << "in " << r.in << " out " << r.out << " lists " << r.lists);
        EXPECT_EQ(s.midiSendMenu, r.sendMenu);
        EXPECT_EQ(s.isEnabled(C::MidiSendBank), r.sendBank);
        EXPECT_EQ(s.isEnabled(C::MidiSendVoice), r.sendBank);
        EXPECT_EQ(s.isEnabled(C::MidiSendFile), r.sendFile);
        EXPECT_EQ(s.midiReceiveMenu, r.receive);
        EXPECT_EQ(s.isEnabled(C::MidiReceiveBank), r.receive);
        EXPECT_EQ(s.midiOptionsMenu, r.options);
        EXPECT_TRUE(s.isEnabled(C::MidiDevices));
    }
    // Send Voice and Send Bank take what the active window holds: an editor has a voice but
    // no bank page, and other windows neither, so nothing is offered that would send nothing.
    CommandInputs in;
    in.features = everything();
    in.midiOutOpen = true;
    in.openVoiceLists = 1;
    for (const auto& [kind, voice, bank] : {std::tuple{ChildKind::VoiceEditor, true, false},
                                            std::tuple{ChildKind::Other, false, false}}) {
        in.active.kind = kind;
        const CommandState s = computeCommandState(in);
        EXPECT_TRUE(s.midiSendMenu);
        EXPECT_EQ(s.isEnabled(C::MidiSendVoice), voice);
        EXPECT_EQ(s.isEnabled(C::MidiSendBank), bank);
        EXPECT_TRUE(s.isEnabled(C::MidiSendFile));
    }
}

TEST(CommandState, PlayerBarShowsItsButtonsAndTicksTheMenu)
{
    CommandInputs in;
    in.features = everything();
    const CommandState hidden = computeCommandState(in);
    EXPECT_FALSE(hidden.isVisible(C::PlayerPlay));
    EXPECT_FALSE(hidden.isChecked(C::ToolsMidiFilePlayer));
    in.playerBarShown = true;
    const CommandState shown = computeCommandState(in);
    for (C id : {C::PlayerOpen, C::PlayerPlay, C::PlayerPause, C::PlayerStop}) {
        EXPECT_TRUE(shown.isVisible(id));
        EXPECT_TRUE(shown.isEnabled(id));
    }
    EXPECT_TRUE(shown.isChecked(C::ToolsMidiFilePlayer));
}

TEST(CommandState, PatchGeneratorNeedsAnOpenList)
{
    CommandInputs in;
    in.features = everything();
    EXPECT_FALSE(computeCommandState(in).isEnabled(C::ToolsPatchGenerator));
    in.openVoiceLists = 1;
    EXPECT_TRUE(computeCommandState(in).isEnabled(C::ToolsPatchGenerator));
}

}  // namespace
}  // namespace shell
