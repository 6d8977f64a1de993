#include "dbengine/paradox/TableCodePage.h"

#include "dbengine/CodePages.h"
#include "dbengine/paradox/TableHeader.h"

namespace ds::db::paradox {

namespace {
constexpr unsigned char kSortRoman8 = 0x14;
}

TextEncoding tableEncoding(const TableHeader& header) {
    TextEncoding e;
    const int word = header.codePageWord;
    if (word == 0) {
        // No code page: the SQL Link Roman-8 driver, or a table from DOS (3.x), read as the
        // German DOS page.
        if (header.sortOrder == kSortRoman8 || header.sortOrderName.starts_with("BLROM8")) {
            e.roman8 = true;
            e.codePage = cp::Utf8;
        } else {
            e.codePage = cp::Dos850;
        }
    } else {
        // A number this engine cannot decode would be read as Windows-1252 anyway; say so.
        e.codePage = isKnownCodePage(word) ? word : cp::Windows1252;
    }
    return e;
}

}  // namespace ds::db::paradox
