// Paradox reader: the input is a table and its blob file. The first four bytes (little-endian)
// give the length of the .DB part; the rest is the .MB. Both are read without and with the
// password the seeds are encrypted with.
#include "FuzzSupport.h"

#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    const std::uint32_t declared =
        data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t{data[3]} << 24);
    const std::size_t body = size - 4;
    const std::size_t tableSize = declared <= body ? declared : body;
    ds::fuzz::writeScratch(QStringLiteral("T.DB"), data + 4, tableSize);
    const QString blobPath = ds::fuzz::scratchFolder() + QStringLiteral("/T.MB");
    if (tableSize < body)
        ds::fuzz::writeScratch(QStringLiteral("T.MB"), data + 4 + tableSize, body - tableSize);
    else
        QFile::remove(blobPath);  // also covers tables whose .MB is missing

    const QString folder = ds::fuzz::scratchFolder();
    ds::fuzz::readEverything(folder, QStringLiteral("Paradox 7.X"), QStringLiteral("T"));
    ds::fuzz::readEverything(folder, QStringLiteral("Paradox 7.X;PWD=123;"), QStringLiteral("T"));
    return 0;
}
