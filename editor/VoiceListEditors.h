// Brevane - a voice list's open editors: opening a voice, following renames, closing.
//
// Every voice-list window gets one (a child object, so it lives as long as the window):
// its Editors and Recordsets registries, LoadVoice for a double click (and for the patch
// generator), the rename of a voice reaching that voice's editor, and the editors'
// say when the list closes (they close first, each with its "Save Changes ?").
//
// Editors and holders are keyed by the voice's bookmark in the list, never by its
// number: deleting, cutting, pasting, moving, sorting or grouping voices renumbers them
// under open editors, and the editor still finds its own voice (or learns it is gone).
#pragma once

#include "editor/clsVoiceEditors.h"
#include "editor/clsVoiceRecordsets.h"
#include "platform/Recordset.h"

#include <QObject>
#include <QString>

#include <string>

namespace shell {
class frmVoiceList;
struct StartupOptions;
}  // namespace shell

namespace editor {

class frmVoiceEditor;

class VoiceListEditors final : public QObject {
    Q_OBJECT
public:
    // The list's editors, made on first use.
    static VoiceListEditors& of(shell::frmVoiceList& list);
    // The list's editors, or nullptr when none were made yet.
    [[nodiscard]] static VoiceListEditors* find(const shell::frmVoiceList& list);
    // Hooks a list window: double click opens, rename follows, closing asks the editors.
    static void attach(shell::frmVoiceList& list);
    // Editors open in every list of the registry.
    [[nodiscard]] static int openEditorCount();
    // The registry key of a voice record.
    [[nodiscard]] static std::string keyOf(platform::Bookmark bookmark);

    [[nodiscard]] clsVoiceEditors& Editors() { return m_editors; }
    [[nodiscard]] clsVoiceRecordsets& Recordsets() { return m_recordsets; }
    [[nodiscard]] shell::frmVoiceList& list() const { return m_list; }

    // Opens voice 1..VoiceCount in an editor, or, when it has one already, brings that
    // editor up and offers to reset it to the voice as the list holds it. The editor, or
    // nullptr when the voice could not be loaded or its holder not made (a message says
    // so; nothing is left behind then). Returns as soon as the editor shows: the voice and
    // the test scale its activation sends follow from the event loop.
    frmVoiceEditor* LoadVoice(int voice);
    // The editor of a voice record, or nullptr.
    [[nodiscard]] frmVoiceEditor* editorOf(platform::Bookmark bookmark) const;
    // A voice of the list was renamed: its editor takes the name, and its saved
    // fingerprint follows the list's record, so the rename alone asks nothing at closing.
    void voiceRenamed(platform::Bookmark bookmark, const QString& newName);
    // Closes every editor of the list (each may ask "Save Changes ?"); false as soon as
    // one stays open.
    bool closeEditors();

private:
    explicit VoiceListEditors(shell::frmVoiceList& list);
    void editorClosed(const std::string& key);
    // The message for a voice whose editor could not be set up.
    void cannotOpen(int voice);

    shell::frmVoiceList& m_list;
    clsVoiceEditors m_editors;
    clsVoiceRecordsets m_recordsets;
};

// Makes every voice-list window from now on open its voices in editors, and gives the
// main window the Save Voice command (File > Save Voice writes the active editor's
// voice into its list without asking).
void installVoiceEditor(shell::StartupOptions& options);
// The list hooks alone (installVoiceEditor installs them); false takes them away.
void installVoiceListHooks(bool install = true);
// File > Save Voice.
void SaveVoiceCommand();

}  // namespace editor
