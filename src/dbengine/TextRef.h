#pragma once

#include "dbengine/CodePages.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Length of a fixed-width text without its trailing blanks and NUL padding. Wide fields are mostly
// padding, so eight bytes are tested at a time: b | 0x20 == 0x20 holds just for blank and NUL.
inline std::size_t trimmedLength(const char* p, std::size_t n) {
    constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p + n - 8, 8);
        if ((word | kBlanks) != kBlanks)
            break;
        n -= 8;
    }
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return n;
}

}  // namespace ds::db
