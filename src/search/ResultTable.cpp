#include "search/ResultTable.h"

namespace ds::search {

QString ResultTable::normalisedRow(const QString& row, int columns) {
    if (columns <= 0)
        return {};
    const qsizetype tabs = row.count(QLatin1Char('\t'));
    if (tabs == columns - 1)
        return row;
    if (tabs < columns - 1)
        return row + QString(columns - 1 - tabs, QLatin1Char('\t'));
    qsizetype at = -1;
    for (int i = 0; i < columns; ++i)
        at = row.indexOf(QLatin1Char('\t'), at + 1);
    return row.left(at);
}

void ResultTable::reset() {
    columns_ = 2;
    rows_ = {QStringLiteral("\t"), QStringLiteral("\t")};
    columnSpecs.clear();
    layoutTag.clear();
    connect.clear();
    formatIndex = 0;
}

void ResultTable::setColumns(const QList<ColumnSpec>& columns) {
    columnSpecs = columns;
    columns_ = int(columns.size());
    for (qsizetype r = 1; r < rows_.size(); ++r)
        rows_[r] = normalisedRow(rows_[r], columns_);
    QStringList headings;
    for (const ColumnSpec& c : columns)
        headings << c.heading;
    rows_[0] = headings.join(QLatin1Char('\t'));
}

void ResultTable::addItem(const QString& row) {
    rows_.append(normalisedRow(row, columns_));
}

QString ResultTable::cellText(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= columns_)
        return {};
    return rows_[row].section(QLatin1Char('\t'), column, column);
}

QString ResultTable::rowText(int row) const {
    return row >= 0 && row < rows_.size() ? rows_[row] : QString();
}

}  // namespace ds::search
