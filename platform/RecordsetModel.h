// Brevane - a table model over a recordset, for grids.
#pragma once

#include "platform/Recordset.h"

#include <QAbstractTableModel>
#include <QString>

#include <span>
#include <vector>

namespace platform {

// Shows the visible records of a recordset (through a clone, so the grid's cursor
// never moves the owner's) as rows and chosen fields as columns. Text is shown as
// Latin-1, one character per byte, but in a column of file names as fromText reads it.
// Call refresh() after changing the recordset's rows, order or filter from outside the
// model.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        int field = 0;
        QString title;
        bool editable = false;
        // The field holds file names, or names taken from them (platform/Latin1.h): typed
        // text is stored in UTF-8, and a cell whose text is left as it was keeps its bytes.
        bool fileNames = false;
    };

    explicit RecordsetModel(QObject* parent = nullptr);

    // Shows rs (a clone of it is taken) with the given columns; an empty list shows every field.
    void setRecordset(const Recordset& rs, std::vector<Column> columns = {});
    // The model's own clone: filter or sort it to change what the grid shows, then refresh().
    Recordset& recordset() { return m_rs; }
    void refresh();
    // Adds these records, appended to the recordset since the model last looked, as rows
    // at the end (a log that only grows is shown without rebuilding the whole model).
    void appendRows(std::span<const Bookmark> bookmarks);
    // Redraws the row of a record whose values changed.
    void refreshRow(Bookmark bookmark);
    // Drops the first run of rows whose records were deleted (a log losing its oldest
    // records): rows from the first gone one up to the next kept one.
    void removeGoneRows();

    Bookmark bookmarkAt(int row) const;
    int rowOf(Bookmark bookmark) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Recordset m_rs;
    std::vector<Column> m_columns;
    std::vector<Bookmark> m_rows;
};

}  // namespace platform
