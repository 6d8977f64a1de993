#pragma once

#include "common/Val.h"

#include <QString>

namespace ds {

// What a result table holds, written by the search run as decimal text into the result window's
// tag and read back with a numeric conversion (non-numeric text reads as 0).
enum ResultLayout : int {
    LayoutTextSeveralTables = 0,  // file, table, record, term
    LayoutTextOneTable = 1,       // file, record, term
    LayoutFilesApart = 2,         // folder headings, file names
    LayoutFilesFullNames = 3,     // full paths
};

inline int resultLayoutFromTag(const QString& tag) {
    return valInt(tag);
}

}  // namespace ds
