// datasifter-cli: the search run without windows, for scripts, servers and benchmarks. Links
// QtCore only, so that it starts quickly; printouts are made by datasifter-cli-pdf.
#include "app/cli/CliMain.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    const bool forward = ds::cli::asksForPdf(argc, argv);
    QCoreApplication app(argc, argv);
    if (forward)
        return ds::cli::forwardToPdfProgram(QCoreApplication::arguments());
    return ds::cli::runCli(QCoreApplication::arguments(), nullptr);
}
