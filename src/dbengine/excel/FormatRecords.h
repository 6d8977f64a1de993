#pragma once

#include "dbengine/excel/NumberFormats.h"
#include "dbengine/excel/RecordReader.h"

namespace ds::db::excel {

// Feeds a FORMAT or XF record of any BIFF version into the table; false for other records.
// Records too short to hold their fields are ignored.
bool applyFormatRecord(const Record& record, int biffVersion, FormatTable& formats);

// The code page named by a CODEPAGE record, as used for 8-bit strings. ASCII and unknown pages
// read as Windows-1252; the two Macintosh values as Mac Roman.
int codePageFromRecord(std::uint16_t value);

}  // namespace ds::db::excel
