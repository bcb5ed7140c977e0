// Brevane - the model behind one of the editor's parameter grids.
#include "editor/ParameterGridModel.h"

#include "banklib/clsVoiceData.h"
#include "platform/Latin1.h"

#include <algorithm>

namespace editor {

ParameterGridModel::ParameterGridModel(QObject* parent) : platform::RecordsetModel(parent) {}

void ParameterGridModel::bind(const platform::Recordset& voiceData, const std::vector<int>& rows, bool rawValue)
{
    m_rows = rows;
    const int valueField = rawValue ? banklib::VoiceDataField::Value : banklib::VoiceDataField::ProxyVal;
    setRecordset(voiceData, {{banklib::VoiceDataField::ShortTitle, QStringLiteral("ShortTitle"), false},
                             {valueField, rawValue ? QStringLiteral("Value") : QStringLiteral("ProxyVal"), true}});
    const std::vector<platform::Bookmark> all = recordset().bookmarks();
    std::vector<platform::Bookmark> shown;
    for (const int row : rows)
        if (row >= 0 && row < static_cast<int>(all.size()))
            shown.push_back(all[static_cast<std::size_t>(row)]);
    recordset().setFilter(std::span<const platform::Bookmark>(shown));
    refresh();
}

int ParameterGridModel::voiceRowAt(int gridRow) const
{
    return gridRow >= 0 && gridRow < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(gridRow)] : -1;
}

int ParameterGridModel::gridRowOf(int voiceRow) const
{
    const auto it = std::find(m_rows.begin(), m_rows.end(), voiceRow);
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

void ParameterGridModel::refreshValues()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
}

QVariant ParameterGridModel::data(const QModelIndex& index, int role) const
{
    const QVariant v = platform::RecordsetModel::data(index, role);
    // Fixed-width texts carry trailing blanks; the cells show the text alone.
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed();
    return v;
}

bool ParameterGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || !m_typed)
        return false;
    const int row = voiceRowAt(index.row());
    if (row < 0)
        return false;
    const std::string text = platform::toBytes(value.toString());
    const bool accepted = m_typed(row, text);
    // Accepted or not, the cell shows what the voice now holds.
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return accepted;
}

}  // namespace editor
