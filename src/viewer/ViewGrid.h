#pragma once

#include "common/GridText.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ds::viewer {

// The record viewer's grid (GrdSource) as its logic writes it: the window's grid, or a headless
// one for the command line and the tests. Row 0 is the heading row, column 0 the row numbers.
class ViewGrid : public GridText {
  public:
    virtual void setRows(int rows) = 0;
    virtual void setCols(int cols) = 0;
    virtual void setCell(int row, int column, const QString& text) = 0;
};

// A grid without a window, in the grid's design state: two rows, two columns, all empty.
class MemoryViewGrid final : public ViewGrid {
  public:
    int rowCount() const override { return int(rows_.size()); }
    int columnCount() const override { return cols_; }
    QString cellText(int row, int column) const override;
    void setRows(int rows) override;
    void setCols(int cols) override;
    void setCell(int row, int column, const QString& text) override;

  private:
    int cols_ = 2;
    QList<QStringList> rows_ = {QStringList(2), QStringList(2)};
};

// What the window does with its grid on every load: five columns and the heading texts.
void setUpViewGrid(ViewGrid& grid);

// The whole grid as the clipboard copy gives it: every row from the heading row on, every
// column from the row numbers on, cells joined by TAB, each row ending in CR LF.
QString gridClipboardText(const GridText& grid);

}  // namespace ds::viewer
