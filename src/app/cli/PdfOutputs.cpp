// The printouts of datasifter-cli-pdf: the result list and the structure of a record, printed by
// the same code as in the windows.
#include "app/cli/CliExtras.h"

#include "common/ResultLayout.h"
#include "platform/Printer.h"
#include "results/Printing.h"
#include "results/ResultExport.h"
#include "search/ResultTable.h"
#include "search/SearchRun.h"
#include "viewer/RecordShow.h"
#include "viewer/StructurePrint.h"

#include <QDate>
#include <QFile>

namespace ds::cli {

int printResultsToPdf(const search::ResultTable& table, const search::SearchRun& run,
                      const QString& pdfFile) {
    // Removed first, so that a file left afterwards is this printout.
    if (QFile::exists(pdfFile) && !QFile::remove(pdfFile))
        return outputFailed(QStringLiteral("PDF-Datei kann nicht ersetzt werden: ") + pdfFile);
    results::ExportHost host;  // no windows: no events, no cancel
    const std::unique_ptr<platform::Printer> printer = platform::createPdfPrinter(pdfFile);
    results::printResultList(*printer, table, resultLayoutFromTag(table.layoutTag),
                             run.lastTermList, results::printoutIcon(), QDate::currentDate(), host);
    if (!QFile::exists(pdfFile))
        return outputFailed(QStringLiteral("PDF-Datei kann nicht geschrieben werden: ") + pdfFile);
    return 0;
}

int printStructureToPdf(const viewer::RecordShow& show, const QString& pdfFile) {
    // The structure printout, as "Struktur &drucken" prints it after its question.
    const std::unique_ptr<platform::Printer> pdf = platform::createPdfPrinter(pdfFile);
    viewer::printStructureOn(*pdf, show.grid, show.view, QDate::currentDate());
    if (!QFile::exists(pdfFile))
        return outputFailed(pdfFile + QStringLiteral(" konnte nicht geschrieben werden"));
    return 0;
}

}  // namespace ds::cli
