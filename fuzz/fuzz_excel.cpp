// Writes the input as an .XLS file and reads every sheet, record and value through the engine,
// once without a password and once with one, so that encrypted workbooks get decrypted too.
#include "FuzzSupport.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString name = QStringLiteral("fuzz.xls");
    ds::fuzz::writeScratch(name, data, size);
    const QString file = ds::fuzz::scratchFolder() + QLatin1Char('/') + name;
    ds::fuzz::readEverything(file, QStringLiteral("Excel 8.0"));
    ds::fuzz::readEverything(file, QStringLiteral("Excel 8.0;PWD=x;"));
    return 0;
}
