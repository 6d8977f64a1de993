// Writes DBF sample files: fuzz seeds, or the customer table for benchmarks.
//   dbf_sample_files seeds FOLDER
//   dbf_sample_files customers FILE.DBF RECORDS
#include "support/dbase/DbfSamples.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("seeds")) {
        const int n = ds::test::writeFuzzSeeds(args[2]);
        std::printf("%d seeds\n", n);
        return n > 0 ? 0 : 1;
    }
    if (args.size() == 4 && args[1] == QLatin1String("customers"))
        return ds::test::writeCustomerTable(args[2], args[3].toUInt()) ? 0 : 1;
    std::fprintf(stderr, "usage: dbf_sample_files seeds FOLDER | customers FILE RECORDS\n");
    return 2;
}
