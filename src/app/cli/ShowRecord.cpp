// datasifter-cli --show: the record viewer's grid for one record, without windows.
#include "app/cli/CliExtras.h"

#include "platform/Paths.h"
#include "platform/Printer.h"
#include "viewer/RecordShow.h"
#include "viewer/StructurePrint.h"

#include <QDate>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace ds::cli {

int runShow(const ShowRequest& request) {
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);

    viewer::RecordShow show;
    viewer::RecordShow::Options options;
    const QFileInfo file(request.file);
    options.file = platform::toNative(file.exists() ? file.absoluteFilePath() : request.file);
    options.formatIndex = request.formatIndex;
    options.table = request.table;
    options.record = request.record;
    options.password = request.password;
    const int status = show.run(options, out, err);
    if (status != 0 || request.pdfFile.isEmpty())
        return status;

    // The structure printout, as "Struktur &drucken" prints it after its question.
    const std::unique_ptr<platform::Printer> pdf = platform::createPdfPrinter(request.pdfFile);
    viewer::printStructureOn(*pdf, show.grid, show.view, QDate::currentDate());
    if (!QFileInfo::exists(request.pdfFile)) {
        err << "datasifter-cli: " << request.pdfFile << " konnte nicht geschrieben werden\n";
        return 2;
    }
    return 0;
}

}  // namespace ds::cli
