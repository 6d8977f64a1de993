#pragma once

#include "common/GridText.h"
#include "search/SearchHost.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ds::search {

// The result table without a window: the grid's rows and columns as the search run fills them
// (design state two rows and two columns, row 1 the empty row), for the CLI and the tests.
class ResultTable final : public GridText {
  public:
    ResultTable() { reset(); }

    void reset();
    void setColumns(const QList<ColumnSpec>& columns);
    // Appends a row: cells separated by TAB, filled from column 0; cells beyond the last column
    // are dropped, as the grid drops them.
    void addItem(const QString& row);
    // A row text cut or padded to exactly `columns` cells.
    static QString normalisedRow(const QString& row, int columns);

    int rowCount() const override { return int(rows_.size()); }
    int columnCount() const override { return columns_; }
    QString cellText(int row, int column) const override;
    QString rowText(int row) const override;

    QString layoutTag;
    QString connect;
    int formatIndex = 0;
    QList<ColumnSpec> columnSpecs;

  private:
    // Rows as TAB-separated lines with exactly one cell per column: appending is the hot path
    // of a big result, splitting is only done when a cell is read.
    int columns_ = 2;
    QStringList rows_;
};

}  // namespace ds::search
