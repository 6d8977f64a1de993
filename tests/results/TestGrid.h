#pragma once

#include "common/GridText.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ds::test {

// A result grid as the search run leaves it: row 0 the headings (column 0 first), row 1 empty,
// then one row per TAB-separated text (cells from column 0).
class TestGrid final : public GridText {
  public:
    TestGrid(const QStringList& headings, const QStringList& rows)
        : columns_(int(headings.size())) {
        cells_.append(headings);
        cells_.append(QStringList());
        for (const QString& r : rows)
            cells_.append(r.split(QLatin1Char('\t')));
    }
    int rowCount() const override { return int(cells_.size()); }
    int columnCount() const override { return columns_; }
    QString cellText(int row, int column) const override {
        if (row < 0 || row >= cells_.size() || column < 0 || column >= columns_)
            return {};
        return cells_[row].value(column);
    }

  private:
    int columns_;
    QList<QStringList> cells_;
};

}  // namespace ds::test
