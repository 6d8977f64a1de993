#pragma once

#include <QString>

namespace ds {

// Read access to a grid of text cells, the way the export, the printout and the CLI read the
// result table: rows and columns counted from 0, row 0 the heading row, column 0 the marker
// column. Implemented by the result grid widget and by the headless result table.
class GridText {
  public:
    virtual ~GridText() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString cellText(int row, int column) const = 0;

    // The cells of a row joined by TAB, one per column (empty cells kept).
    virtual QString rowText(int row) const {
        QString line;
        for (int c = 0; c < columnCount(); ++c) {
            if (c > 0)
                line += QLatin1Char('\t');
            line += cellText(row, c);
        }
        return line;
    }
};

}  // namespace ds
