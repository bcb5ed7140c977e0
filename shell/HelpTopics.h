// Brevane - help topics: page names, anchors and the help context numbers of the menus.
#pragma once

#include <string>
#include <vector>

namespace shell {

// The page shown for an empty topic.
inline constexpr const char* kHelpContentsPage = "index.htm";

// A topic as callers name it, "::/MDIMain.htm#FileOpen", "Brevane.chm::/MDIMain.htm",
// "MDIMain.htm#FileOpen" or "", reduced to "MDIMain.htm#FileOpen" (the contents page
// for an empty topic).
[[nodiscard]] std::string normaliseHelpTopic(const std::string& topic);

// The topic of a menu item's help context number (2010 File > New, 2420 Quick Tour, ...);
// the contents page for an unknown number.
[[nodiscard]] std::string helpTopicForContext(int context);

// The topics of the dialogs' Help buttons (the file dialogs choose theirs in
// clsVoiceNames::FileDialogHelpTopic).
enum class DialogHelp {
    MidiDevices,     // the MIDI device dialog
    Find,            // Edit > Find
    Duplicates,      // Edit > Find Duplicates
    GroupPatches,    // Edit > Group Voice Patches
    Options,         // Tools > Options
    PrintToPdfFile,  // the file dialog of a print on the PDF printer
};
[[nodiscard]] const char* dialogHelpTopic(DialogHelp dialog);

// Every topic the program can ask the help window for, as it asks: the contents (""),
// the menus' help contexts, the dialogs' Help buttons and the file dialogs'.
[[nodiscard]] std::vector<std::string> programHelpTopics();

}  // namespace shell
