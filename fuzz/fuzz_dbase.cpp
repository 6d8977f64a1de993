// Input: 4-byte little-endian length of the DBF part, the DBF bytes, then the memo bytes. The
// memo part is written as both .DBT and .FPT so that every memo layout is reached.
#include "FuzzSupport.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const std::size_t declared = static_cast<std::size_t>(data[0]) | (std::size_t{data[1]} << 8) |
                                 (std::size_t{data[2]} << 16) | (std::size_t{data[3]} << 24);
    data += 4;
    size -= 4;
    const std::size_t dbfSize = std::min(declared, size);
    ds::fuzz::writeScratch(QStringLiteral("t.dbf"), data, dbfSize);
    ds::fuzz::writeScratch(QStringLiteral("t.dbt"), data + dbfSize, size - dbfSize);
    ds::fuzz::writeScratch(QStringLiteral("t.fpt"), data + dbfSize, size - dbfSize);
    const QString folder = ds::fuzz::scratchFolder();
    ds::fuzz::readEverything(folder, QStringLiteral("dBASE IV"));
    ds::fuzz::readEverything(folder, QStringLiteral("FoxPro 2.6"), QStringLiteral("t.dbf"));
    return 0;
}
