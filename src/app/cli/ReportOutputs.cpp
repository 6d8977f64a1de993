// --report and --pdf of datasifter-cli: the result window's report file and printout, written
// by the same code from the headless result table.
#include "app/cli/CliExtras.h"

#include "common/ResultLayout.h"
#include "platform/FileSystem.h"
#include "platform/Printer.h"
#include "results/Printing.h"
#include "results/ResultExport.h"
#include "search/ResultTable.h"
#include "search/SearchRun.h"

#include <QDate>
#include <QFile>
#include <QTextStream>

namespace ds::cli {

namespace {

int failed(const QString& text) {
    QTextStream(stderr) << "datasifter-cli: " << text << "\n";
    return 2;
}

}  // namespace

int writeSearchOutputs(const search::ResultTable& table, const search::SearchRun& run,
                       const QString& reportFile, const QString& pdfFile) {
    const int layout = resultLayoutFromTag(table.layoutTag);
    results::ExportHost host;  // no windows: no events, no cancel
    if (!reportFile.isEmpty()) {
        // As the export does: a read-only file is made replaceable first.
        if (results::FileExists(reportFile))
            platform::SetFileAttr(reportFile, platform::attr::Archive);
        QString error;
        if (!results::writeReportFile(reportFile, table, layout, run.lastTermList, host, &error))
            return failed(
                QStringLiteral("Fehler beim Speichern der Datei %1: %2").arg(reportFile, error));
    }
    if (!pdfFile.isEmpty()) {
        // Removed first, so that a file left afterwards is this printout.
        if (QFile::exists(pdfFile) && !QFile::remove(pdfFile))
            return failed(QStringLiteral("PDF-Datei kann nicht ersetzt werden: ") + pdfFile);
        const std::unique_ptr<platform::Printer> printer = platform::createPdfPrinter(pdfFile);
        results::printResultList(*printer, table, layout, run.lastTermList, results::printoutIcon(),
                                 QDate::currentDate(), host);
        if (!QFile::exists(pdfFile))
            return failed(QStringLiteral("PDF-Datei kann nicht geschrieben werden: ") + pdfFile);
    }
    return 0;
}

}  // namespace ds::cli
