// Brevane - small helpers of the windows: repaints, rows of command buttons, closes put
// off while an operation runs, and the recent-file captions.
//
// The status and wait helpers without widgets (SetBusyCursor, ShowStatusMessage,
// PauseWithEvents, the bank arithmetic, TrimAtNull, LoWord, HiWord) are in
// platform/StatusHelpers.h.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

class QBoxLayout;
class QCloseEvent;
class QObject;
class QPushButton;
class QWidget;

namespace shell {

// Visible letters of a compacted recent-file path (a 30-character buffer less its
// terminator).
constexpr std::size_t kRecentPathChars = 29;

// Repaints a window at once. nullptr means the main window, which is then written back
// into the argument.
void RefreshWindow(QWidget*& window);
// Re-applies a window's frame after a change of style, without moving, sizing or
// reordering it; dialogs call it when they load.
void RefreshWindowFrame(QWidget* window);

// A dialog's command button: its caption and, where it has one, its tool tip.
struct CommandButton {
    const char* caption;
    const char* toolTip = nullptr;
};

// Appends a push button for each of buttons to row, in order, as children of dialog.
// Button i is named "Command1_<i>", is never made the default by the focus (no
// auto-default), calls onClick(i) when clicked while dialog exists, and is stored in
// created[i]; created holds at least one place per button.
void addCommandButtons(QWidget& dialog, QBoxLayout& row, std::span<const CommandButton> buttons,
                       std::span<QPushButton*> created, const std::function<void(int)>& onClick);

// A close asked for while a wait or a long operation runs would pull the window from under
// it: when one runs, event is ignored, unload runs once the operation has ended (unless
// window has gone by then), and the answer is true. Otherwise nothing happens: false.
[[nodiscard]] bool closeWhenIdle(QObject& window, QCloseEvent& event, std::function<void()> unload);

// What closing a document window (a voice list, a voice editor) runs through.
struct DocumentClose {
    std::function<void()> unload;       // the window's own close, for one put off until idle
    std::function<bool()> queryUnload;  // asks the user; false keeps the window
    std::function<void()> formUnload;   // lets go of what the window holds
    bool held = false;                  // something else works on the window now
};
enum class DocumentCloseResult { Closed, PutOff, Refused, Cancelled };

// The close event of a document window: accepted at once when the window is unloaded
// already; put off while an operation runs (closeWhenIdle); refused while the window is
// held or its own question is open (asking); otherwise queryUnload decides, and an
// accepted close runs formUnload. Cancelled: the user kept the window.
[[nodiscard]] DocumentCloseResult closeDocumentWindow(QObject& window, QCloseEvent& event, bool unloaded,
                                                      bool& asking, const DocumentClose& steps);
// Closes a document window as the user would: its MDI sub-window when it has one, the
// window itself otherwise; its close event decides.
void closeAsUser(QWidget& window, QWidget* subWindow);

// A path shortened to at most maxChars letters for a menu: the first folder, "...", and
// as many of the last folders as fit, always with the file name; a file name that does
// not fit on its own is cut (on a letter) and ends in "...". Shorter paths come back
// unchanged.
[[nodiscard]] std::string compactPath(const std::string& path, std::size_t maxChars = kRecentPathChars);

// The caption of recent-file entry n (1..6): "n " and the compacted path.
[[nodiscard]] std::string recentFileCaption(std::size_t n, const std::string& path);

}  // namespace shell
