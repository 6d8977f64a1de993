#pragma once

#include "common/GridText.h"

#include <QDate>

namespace ds::platform {
class Printer;
}

namespace ds::viewer {

class RecordView;

// The structure printout of the viewer ("Struktur &drucken" after its question): date, program
// title, file name (and the table for Access and Excel), then columns 0 to 3 of the grid from
// the heading row to the last structure row, continued on further pages under the file name,
// the page label "- n -" and a rule. Positions in twips.
void printStructureOn(platform::Printer& printer, const GridText& grid, const RecordView& view,
                      const QDate& today);

}  // namespace ds::viewer
