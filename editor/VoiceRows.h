// Brevane - row-by-row access to a VoiceData or ProxyData recordset.
//
// The editor addresses parameters by their 0-based row (operator 6's first row is 0, the
// algorithm is 134, the name 145..154). VoiceRows keeps the bookmarks of a recordset's
// rows in order, so a row is read or written without moving anyone's cursor.
#pragma once

#include "platform/Recordset.h"

#include <string>
#include <vector>

namespace editor {

class VoiceRows {
public:
    VoiceRows() = default;
    // The visible rows of rs, in its order; rs must outlive this object.
    explicit VoiceRows(platform::Recordset& rs) : m_rs(&rs), m_rows(rs.bookmarks()) {}

    [[nodiscard]] bool valid() const { return m_rs != nullptr; }
    [[nodiscard]] int count() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] bool has(int row) const { return row >= 0 && row < count(); }
    [[nodiscard]] platform::Bookmark bookmark(int row) const
    {
        return has(row) ? m_rows[static_cast<std::size_t>(row)] : platform::kNoBookmark;
    }
    [[nodiscard]] platform::Recordset& recordset() const { return *m_rs; }

    // A field as text ("" for a missing row or a Null field).
    [[nodiscard]] std::string text(int row, int field) const;
    // A field read as a number (the number the text starts with).
    [[nodiscard]] double number(int row, int field) const;
    void set(int row, int field, platform::Value value) const;

private:
    platform::Recordset* m_rs = nullptr;
    std::vector<platform::Bookmark> m_rows;
};

}  // namespace editor
