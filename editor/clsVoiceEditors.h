// Brevane - a voice list's open voice editors (the list's Editors).
//
// One editor per voice, under a key the list chooses (the text of the voice's bookmark).
// The registry does not own the windows: they close themselves and are removed then.
#pragma once

#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QMdiArea;

namespace editor {

class frmVoiceEditor;

class clsVoiceEditors {
public:
    // area: where new editors go (asked each time; nullptr makes windows of their own).
    explicit clsVoiceEditors(std::function<QMdiArea*()> area = {});

    // The key most recently added, or the value given once to setID.
    [[nodiscard]] std::string ID() const { return m_id; }
    // The first call stores the value; later calls store nothing and show
    // "Error: VoiceEditor form ID already set".
    void setID(const std::string& id);

    // A new, hidden editor under key for the list listId (its EditorID is the key), or
    // nullptr when the key is held already.
    frmVoiceEditor* Add(const std::string& key, const std::string& listId);
    // The editor under key, or nullptr.
    [[nodiscard]] frmVoiceEditor* Item(const std::string& key) const;
    [[nodiscard]] std::int32_t count() const;
    void Remove(const std::string& key);
    // The open editors in the order they were added, each with what is still being typed
    // in it taken into its voice first (frmVoiceEditor::CommitPendingEdit), since whoever
    // asks for them goes on to read them (printing, closing).
    [[nodiscard]] std::vector<frmVoiceEditor*> editors() const;

private:
    std::function<QMdiArea*()> m_area;
    std::vector<std::pair<std::string, QPointer<frmVoiceEditor>>> m_items;
    std::string m_id;
    bool m_idSet = false;
};

}  // namespace editor
