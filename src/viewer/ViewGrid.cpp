#include "viewer/ViewGrid.h"

#include <algorithm>

namespace ds::viewer {

QString MemoryViewGrid::cellText(int row, int column) const {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= cols_)
        return {};
    return rows_[row].value(column);
}

void MemoryViewGrid::setRows(int rows) {
    rows = std::max(rows, 0);
    while (rows_.size() > rows)
        rows_.removeLast();
    while (rows_.size() < rows)
        rows_.append(QStringList(cols_));
}

void MemoryViewGrid::setCols(int cols) {
    cols_ = std::max(cols, 0);
    for (QStringList& row : rows_)
        row.resize(cols_);
}

void MemoryViewGrid::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= rows_.size() || column < 0 || column >= cols_)
        return;
    rows_[row][column] = text;
}

void setUpViewGrid(ViewGrid& grid) {
    grid.setCols(5);
    grid.setCell(0, 1, QStringLiteral("Feldname"));
    grid.setCell(0, 2, QStringLiteral("Feldtyp"));
    grid.setCell(0, 3, QStringLiteral("Länge"));
    grid.setCell(0, 4, QStringLiteral("Datensatz-Inhalt"));
}

QString gridClipboardText(const GridText& grid) {
    QString text;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QString line;
        for (int c = 0; c < grid.columnCount(); ++c)
            line += grid.cellText(r, c) + QLatin1Char('\t');
        line.chop(1);
        text += line + QLatin1String("\r\n");
    }
    return text;
}

}  // namespace ds::viewer
