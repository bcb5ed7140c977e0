// Brevane - a voice list's holders of its open editors' voices (the list's Recordsets).
#include "editor/clsVoiceRecordsets.h"

#include <algorithm>

namespace editor {

frmVoiceRecordset* clsVoiceRecordsets::Add(const std::string& key)
{
    if (Item(key) != nullptr)
        return nullptr;
    m_id = key;
    m_items.emplace_back(key, std::make_unique<frmVoiceRecordset>());
    return m_items.back().second.get();
}

bool clsVoiceRecordsets::Delete(const std::string& key)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& e) { return e.first == key; });
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    return true;
}

frmVoiceRecordset* clsVoiceRecordsets::Item(const std::string& key) const
{
    for (const auto& [k, holder] : m_items)
        if (k == key)
            return holder.get();
    return nullptr;
}

std::vector<frmVoiceRecordset*> clsVoiceRecordsets::holders() const
{
    std::vector<frmVoiceRecordset*> out;
    for (const auto& e : m_items)
        out.push_back(e.second.get());
    return out;
}

}  // namespace editor
