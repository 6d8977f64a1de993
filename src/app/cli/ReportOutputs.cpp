// --report and --pdf of datasifter-cli: the result window's report file and printout, written
// by the same code from the headless result table.
#include "app/cli/CliExtras.h"
#include "app/cli/CliMain.h"

#include "common/ResultLayout.h"
#include "platform/FileSystem.h"
#include "results/ResultExport.h"
#include "search/ResultTable.h"
#include "search/SearchRun.h"

#include <QTextStream>

namespace ds::cli {

int outputFailed(const QString& text) {
    QTextStream(stderr) << "datasifter-cli: " << text << "\n";
    return 2;
}

int writeSearchOutputs(const search::ResultTable& table, const search::SearchRun& run,
                       const QString& reportFile, const QString& pdfFile,
                       const PdfPrinting* printing) {
    const int layout = resultLayoutFromTag(table.layoutTag);
    results::ExportHost host;  // no windows: no events, no cancel
    if (!reportFile.isEmpty()) {
        // As the export does: a read-only file is made replaceable first.
        if (results::FileExists(reportFile))
            platform::SetFileAttr(reportFile, platform::attr::Archive);
        QString error;
        if (!results::writeReportFile(reportFile, table, layout, run.lastTermList, host, &error))
            return outputFailed(
                QStringLiteral("Fehler beim Speichern der Datei %1: %2").arg(reportFile, error));
    }
    if (!pdfFile.isEmpty() && printing)
        return printing->printResults(table, run, pdfFile);
    return 0;
}

}  // namespace ds::cli
