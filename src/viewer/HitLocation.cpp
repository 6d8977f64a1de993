#include "viewer/HitLocation.h"

#include "common/ResultLayout.h"
#include "common/Val.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"

namespace ds::viewer {

std::optional<HitLocation> locateHit(const GridText& grid, int clickedRow, int layout,
                                     const QString& formatCaption) {
    // Row 0 is the fixed heading row: it is never a current row of the grid.
    if (clickedRow < 1 || clickedRow >= grid.rowCount())
        return std::nullopt;
    HitLocation hit;
    int column = 1;
    const QString fileText = grid.cellText(clickedRow, column);
    if (fileText.isEmpty())
        return std::nullopt;

    if (layout == LayoutTextSeveralTables || layout == LayoutTextOneTable) {
        if (search::hasSeveralTables(valInt(formatCaption))) {
            hit.tableName = grid.cellText(clickedRow, 2);
            column = 3;
        } else {
            column = 2;
        }
        hit.recordNumber = valInt(grid.cellText(clickedRow, column));
    }

    if (layout == LayoutTextSeveralTables || layout == LayoutTextOneTable ||
        layout == LayoutFilesApart) {
        QString folder;
        bool found = false;
        for (int row = clickedRow; row >= 0; --row) {
            const QString text = grid.cellText(row, column);
            if (text.isEmpty())
                return std::nullopt;
            if (grid.cellText(row, 0) == QStringLiteral("»")) {
                if (row == clickedRow)
                    return std::nullopt;  // a folder row opens nothing
                folder = text;
                found = true;
                break;
            }
            column = 1;
        }
        if (!found)
            return std::nullopt;
        hit.fullPath = platform::withTrailingSeparator(folder) + fileText;
    } else {
        hit.fullPath = fileText;
    }
    return hit;
}

}  // namespace ds::viewer
