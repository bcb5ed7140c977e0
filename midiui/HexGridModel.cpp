// Brevane - the System Exclusive editor's grid.
#include "midiui/HexGridModel.h"

#include "platform/Latin1.h"
#include "platform/Services.h"

namespace shell {

using midi::clsHexEditor;

HexGridModel::HexGridModel(clsHexEditor& editor, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_rows(editor.rowCount())
{
}

void HexGridModel::reload()
{
    beginResetModel();
    m_rows = m_editor.rowCount();
    endResetModel();
}

int HexGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int HexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : clsHexEditor::kColumns;
}

QVariant HexGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return QString::fromStdString(m_editor.cellText(index.row(), index.column()));
}

bool HexGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const std::size_t before = m_editor.size();
    const std::string text = platform::toBytes(value.toString());
    switch (m_editor.setCell(index.row(), index.column(), text)) {
    case clsHexEditor::CellEdit::Accepted:
        if (m_editor.rowCount() != m_rows) {
            // A byte typed after the last filled its row: room for the next one.
            beginInsertRows({}, m_rows, m_editor.rowCount() - 1);
            m_rows = m_editor.rowCount();
            endInsertRows();
        }
        emit dataChanged(index, index);
        if (m_editor.size() != before)
            emit headerDataChanged(Qt::Horizontal, 0, clsHexEditor::kColumns - 1);
        return true;
    case clsHexEditor::CellEdit::Refused:
        if (!m_editor.reason().empty())
            (void)platform::messages().messageBox(m_editor.reason(), platform::MsgStyle::Exclamation,
                                                  "Invalid Byte Value");
        return false;
    case clsHexEditor::CellEdit::Truncate:
        // The emptying itself is refused; Yes keeps the bytes before the cell.
        if (platform::messages().messageBox("Do you want to truncate the sysex at this point",
                                            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question,
                                            "Null value entered") == platform::MsgAnswer::Yes) {
            m_editor.truncateAt(clsHexEditor::offsetOf(index.row(), index.column()));
            reload();
        }
        return false;
    }
    return false;
}

QVariant HexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return {};
    return section == 0 ? QStringLiteral("Byte") : QString::number(section);
}

Qt::ItemFlags HexGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editor.editable(index.row(), index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

}  // namespace shell
