#pragma once

namespace ds::db::paradox {

struct TableHeader;

// How a table's text is encoded. Paradox 4.x and later name the code page in the header;
// 3.x tables come from DOS and carry none.
struct TextEncoding {
    int codePage = 850;   // what text() reports
    bool roman8 = false;  // text is HP Roman-8 and is handed out converted to UTF-8
};

TextEncoding tableEncoding(const TableHeader& header);

}  // namespace ds::db::paradox
