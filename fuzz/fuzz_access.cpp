// Writes the input as an .MDB file and reads every table, record and value through the engine.
#include "FuzzSupport.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString name = QStringLiteral("fuzz.mdb");
    ds::fuzz::writeScratch(name, data, size);
    ds::fuzz::readEverything(ds::fuzz::scratchFolder() + QLatin1Char('/') + name, QString());
    return 0;
}
