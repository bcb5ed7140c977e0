// Brevane - the System Exclusive editor's grid: a message, 16 bytes to a row.
#pragma once

#include "midi/clsHexEditor.h"

#include <QAbstractTableModel>

namespace shell {

// Shows a clsHexEditor as rows of the offset ("Byte") and 16 byte cells. Typing into a
// cell goes through the editor's rules: a refused value is explained and the cell keeps
// its byte; an emptied cell asks whether to truncate the message there.
class HexGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HexGridModel(midi::clsHexEditor& editor, QObject* parent = nullptr);

    // Rebuilds the rows after the editor's bytes changed as a whole.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    midi::clsHexEditor& m_editor;
    int m_rows = 0;
};

}  // namespace shell
