#pragma once

#include "common/GridText.h"

#include <QString>
#include <QTextStream>

namespace ds::cli {

// The result table as tab-separated lines: the heading row, then every row from the third grid
// row on, one cell per grid column (empty cells kept).
void writeTsv(const GridText& grid, QTextStream& out);

// One JSON object per line for every hit, file or error row; folder headings become the
// "folder" of the rows below them, closing rows are left out.
void writeJsonLines(const GridText& grid, int layout, QTextStream& out);

}  // namespace ds::cli
