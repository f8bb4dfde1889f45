#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "scan/result_row.h"

namespace kalvor::results {

// The rows of the results list. Column 0 holds each row's running number, which only AppendRow,
// Renumber and sort write, so removing rows leaves gaps until the caller renumbers once.
class ResultsModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    // By the grade column: strongest grade first (ascending) or last, rows of one grade in the
    // order the search found them; by any other column, or none, back to the order found. Then
    // renumbers, so that the list counts from the top as its export does.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Appends `row` numbered one more than the rows before it; returns its index.
    int AppendRow(const scan::ResultRow& row);
    void Renumber();
    // Removes the rows at the ascending positions `rows`. A few runs of rows leave as ranges, so
    // views keep their place, current row and selection anchor; many leave in one reset and one
    // pass, as a removal per range costs every view a pass over all rows. True when it reset.
    bool RemoveRows(const std::vector<int>& rows);
    void Clear();

    const scan::ResultRow& RowAt(int row) const {
        return rows_.at(static_cast<std::size_t>(row)).row;
    }
    QString CellText(int row, int column) const;
    // The files of all rows, as the search saw them; those it could not tell are left out.
    std::vector<platform::FileIdentity> ListedIdentities() const;

  private:
    // An escaped path's cell is in italics and says in its tooltip that it is escaped.
    QVariant EscapedPathMark(const QModelIndex& index, int role) const;

    struct NumberedRow {
        QString number;
        scan::ResultRow row;
        std::size_t found;  // its place among all rows appended, which no removal or sort changes
    };
    std::vector<NumberedRow> rows_;
    std::size_t appended_ = 0;
};

}  // namespace kalvor::results
