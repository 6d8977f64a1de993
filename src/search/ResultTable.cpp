#include "search/ResultTable.h"

namespace ds::search {

void ResultTable::reset() {
    columns_ = 2;
    rows_ = {QStringList(2), QStringList(2)};
    columnSpecs.clear();
    layoutTag.clear();
    connect.clear();
    formatIndex = 0;
}

void ResultTable::setColumns(const QList<ColumnSpec>& columns) {
    columnSpecs = columns;
    columns_ = int(columns.size());
    for (QStringList& row : rows_)
        row.resize(columns_);
    for (int c = 0; c < columns_; ++c)
        rows_[0][c] = columns[c].heading;
}

void ResultTable::addItem(const QString& row) {
    QStringList cells = row.split(QLatin1Char('\t'));
    cells.resize(columns_);
    rows_.append(cells);
}

QString ResultTable::cellText(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_)
        return {};
    return rows_[row].value(column);
}

}  // namespace ds::search
