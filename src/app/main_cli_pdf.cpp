// datasifter-cli-pdf: datasifter-cli with the printouts of --pdf, which need the GUI side of Qt
// (fonts, paint engine) but never a display.
#include "app/cli/CliExtras.h"
#include "app/cli/CliMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ds::cli::PdfPrinting printing;
    printing.printResults = ds::cli::printResultsToPdf;
    printing.printStructure = ds::cli::printStructureToPdf;
    return ds::cli::runCli(QCoreApplication::arguments(), &printing);
}
