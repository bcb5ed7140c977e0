// Brevane - a voice list's open voice editors (the list's Editors).
#include "editor/clsVoiceEditors.h"

#include "editor/frmVoiceEditor.h"
#include "platform/Services.h"

#include <algorithm>

namespace editor {

clsVoiceEditors::clsVoiceEditors(std::function<QMdiArea*()> area) : m_area(std::move(area)) {}

void clsVoiceEditors::setID(const std::string& id)
{
    if (m_idSet) {
        (void)platform::messages().messageBox("Error: VoiceEditor form ID already set", platform::MsgStyle::Critical,
                                              "");
        return;
    }
    m_idSet = true;
    m_id = id;
}

frmVoiceEditor* clsVoiceEditors::Add(const std::string& key, const std::string& listId)
{
    if (Item(key) != nullptr)
        return nullptr;
    auto* editor = new frmVoiceEditor(m_area ? m_area() : nullptr);
    editor->setEditorID(key);
    editor->setVoiceListID(listId);
    m_id = key;
    m_items.emplace_back(key, editor);
    return editor;
}

frmVoiceEditor* clsVoiceEditors::Item(const std::string& key) const
{
    for (const auto& [k, editor] : m_items)
        if (k == key && editor)
            return editor.data();
    return nullptr;
}

std::int32_t clsVoiceEditors::count() const
{
    return static_cast<std::int32_t>(
        std::count_if(m_items.begin(), m_items.end(), [](const auto& e) { return e.second && !e.second->unloaded(); }));
}

void clsVoiceEditors::Remove(const std::string& key)
{
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(), [&](const auto& e) { return e.first == key; }),
                  m_items.end());
}

std::vector<frmVoiceEditor*> clsVoiceEditors::editors() const
{
    std::vector<QPointer<frmVoiceEditor>> open;
    for (const auto& e : m_items)
        if (e.second && !e.second->unloaded())
            open.push_back(e.second);
    // A commit may send and wait, and an editor may close meanwhile.
    for (const QPointer<frmVoiceEditor>& editor : open)
        if (editor)
            editor->CommitPendingEdit();
    std::vector<frmVoiceEditor*> out;
    for (const QPointer<frmVoiceEditor>& editor : open)
        if (editor && !editor->unloaded())
            out.push_back(editor.data());
    return out;
}

}  // namespace editor
