// Brevane - a voice list's holders of its open editors' voices (the list's Recordsets).
//
// One holder per open editor, under the editor's key. A key that is not held gives
// nullptr from Item and false from Delete; nothing raises.
#pragma once

#include "editor/frmVoiceRecordset.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace editor {

class clsVoiceRecordsets {
public:
    // The key most recently added.
    [[nodiscard]] std::string ID() const { return m_id; }
    // A new holder under key (owned here), or nullptr when the key is held already.
    frmVoiceRecordset* Add(const std::string& key);
    // Drops the holder under key; false when there is none.
    bool Delete(const std::string& key);
    bool Remove(const std::string& key) { return Delete(key); }
    [[nodiscard]] frmVoiceRecordset* Item(const std::string& key) const;
    [[nodiscard]] std::int32_t count() const { return static_cast<std::int32_t>(m_items.size()); }
    // The holders in the order they were added.
    [[nodiscard]] std::vector<frmVoiceRecordset*> holders() const;

private:
    std::vector<std::pair<std::string, std::unique_ptr<frmVoiceRecordset>>> m_items;
    std::string m_id;
};

}  // namespace editor
