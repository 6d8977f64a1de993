#pragma once

#include "dbengine/CodePages.h"

#include <QString>

#include <cstddef>

namespace ds::db {

// A text or memo value as the reader holds it: raw bytes and the code page they are in. Valid
// until the recordset moves or the same field is read again. The content search matches terms
// against these bytes directly and decodes only what it shows.
struct TextRef {
    const char* data = nullptr;
    std::size_t size = 0;
    int codePage = cp::Windows1252;
    bool isNull = true;

    static TextRef null() { return {}; }
    static TextRef of(const char* d, std::size_t n, int codePage) {
        return TextRef{d, n, codePage, false};
    }
    QString toString() const { return isNull ? QString() : decodeText(data, size, codePage); }
};

}  // namespace ds::db
