// Brevane - help topics: page names, anchors and the help context numbers of the menus.
#pragma once

#include <string>

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

}  // namespace shell
