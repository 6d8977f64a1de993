#pragma once

#include "common/GridText.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace ds::viewer {

// What a hit row of the result grid hands over to the record viewer.
struct HitLocation {
    QString fullPath;
    QString tableName;
    std::int32_t recordNumber = 0;
};

// The hit on a row of the result grid, the way OpenHit reads it: the file from column 1, in
// text-search layouts table and record from the following columns (the table only for
// formats with several tables, read from the format caption), the folder from the nearest
// folder row ("»" in column 0) above. Nothing for the heading row, an empty row, a folder row,
// a hit whose record cell is empty, or a row without a folder row above it.
std::optional<HitLocation> locateHit(const GridText& grid, int clickedRow, int layout,
                                     const QString& formatCaption);

}  // namespace ds::viewer
