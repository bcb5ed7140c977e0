// Brevane - a table model over a recordset, for grids.
#include "platform/RecordsetModel.h"

#include "platform/Latin1.h"

#include <algorithm>

namespace platform {

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordsetModel::setRecordset(const Recordset& rs, std::vector<Column> columns)
{
    beginResetModel();
    m_rs = rs.clone();
    if (columns.empty())
        for (int f = 0; f < m_rs.fieldCount(); ++f)
            columns.push_back({f, QString::fromLatin1(m_rs.field(f).name), false});
    m_columns = std::move(columns);
    m_rows = m_rs.bookmarks();
    endResetModel();
}

void RecordsetModel::refresh()
{
    beginResetModel();
    m_rows = m_rs.bookmarks();
    endResetModel();
}

void RecordsetModel::appendRows(std::span<const Bookmark> bookmarks)
{
    if (bookmarks.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(bookmarks.size()) - 1);
    m_rows.insert(m_rows.end(), bookmarks.begin(), bookmarks.end());
    endInsertRows();
}

void RecordsetModel::refreshRow(Bookmark bookmark)
{
    // Rows shown so far are in the recordset's order, so its position is the row.
    const int row = rowOf(bookmark);
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || m_rows[static_cast<std::size_t>(row)] != bookmark ||
        m_columns.empty())
        return;
    emit dataChanged(index(row, 0), index(row, static_cast<int>(m_columns.size()) - 1));
}

void RecordsetModel::removeGoneRows()
{
    const auto gone = [this](Bookmark b) { return !m_rs.contains(b); };
    const auto first = std::find_if(m_rows.begin(), m_rows.end(), gone);
    if (first == m_rows.end())
        return;
    const auto end = std::find_if_not(first, m_rows.end(), gone);
    const int row = static_cast<int>(first - m_rows.begin());
    beginRemoveRows({}, row, row + static_cast<int>(end - first) - 1);
    m_rows.erase(first, end);
    endRemoveRows();
}

Bookmark RecordsetModel::bookmarkAt(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)]
                                                             : kNoBookmark;
}

int RecordsetModel::rowOf(Bookmark bookmark) const { return m_rs.positionOf(bookmark) - 1; }

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Bookmark b = bookmarkAt(index.row());
    if (b == kNoBookmark || index.column() >= static_cast<int>(m_columns.size()))
        return {};
    const Column& column = m_columns[static_cast<std::size_t>(index.column())];
    const Value& v = m_rs.valueAt(b, column.field);
    struct Visitor {
        bool fileNames;
        QVariant operator()(std::monostate) const { return {}; }
        QVariant operator()(bool x) const { return x; }
        QVariant operator()(std::int64_t x) const { return static_cast<qlonglong>(x); }
        QVariant operator()(double x) const { return x; }
        QVariant operator()(const std::string& s) const { return fileNames ? fromText(s) : fromBytes(s); }
    };
    return std::visit(Visitor{column.fileNames}, v);
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const Bookmark b = bookmarkAt(index.row());
    if (b == kNoBookmark)
        return false;
    const Column& column = m_columns[static_cast<std::size_t>(index.column())];
    const int f = column.field;
    const FieldDef& def = m_rs.field(f);
    Value v;
    switch (def.type) {
    case FieldType::Boolean:
        v = value.toBool();
        break;
    case FieldType::Integer:
        v = static_cast<std::int64_t>(value.toLongLong());
        break;
    case FieldType::Double:
        v = value.toDouble();
        break;
    default:
        if (!column.fileNames) {
            v = toBytes(value.toString());
        } else if (const auto* shown = std::get_if<std::string>(&m_rs.valueAt(b, f));
                   shown && fromText(*shown) == value.toString()) {
            return true;
        } else {
            // Cut here, where the letters are known: the field's own cut counts bytes.
            const bool fixed = def.type == FieldType::FixedText && def.width > 0;
            v = toText(value.toString(), fixed ? static_cast<std::size_t>(def.width) : std::string::npos);
        }
        break;
    }
    m_rs.setValueAt(b, f, std::move(v));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < static_cast<int>(m_columns.size())
                   ? QVariant(m_columns[static_cast<std::size_t>(section)].title)
                   : QVariant();
    return section + 1;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() < static_cast<int>(m_columns.size()) &&
        m_columns[static_cast<std::size_t>(index.column())].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

}  // namespace platform
