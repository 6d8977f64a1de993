#pragma once

#include "common/GridText.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ds::search {
class SearchRun;
class ResultTable;
}  // namespace ds::search
namespace ds::viewer {
class RecordShow;
}

namespace ds::cli {

struct PdfPrinting;

// Writes "datasifter-cli: TEXT" to stderr; returns the exit status 2 of an output not written.
int outputFailed(const QString& text);

// --report FILE / --pdf FILE after a search: the report file exactly as "Export &Reportdatei"
// writes it, the printout exactly as "Export &Drucker" prints it (through printing, which --pdf
// requires). Returns 0, or 2 when a file could not be written (the reason on stderr).
int writeSearchOutputs(const search::ResultTable& table, const search::SearchRun& run,
                       const QString& reportFile, const QString& pdfFile,
                       const PdfPrinting* printing);

// --show FILE --type N [--table NAME] [--record N] [--password TEXT] [--pdf FILE]: the record
// viewer's grid for that record as its clipboard copy gives it; --pdf prints the structure.
// Returns the exit status.
struct ShowRequest {
    QString file;
    int formatIndex = 1;
    QString table;
    long long record = 0;
    std::optional<QString> password;
    QString pdfFile;
};
int runShow(const ShowRequest& request, const PdfPrinting* printing);

// The printouts of datasifter-cli-pdf.
int printResultsToPdf(const search::ResultTable& table, const search::SearchRun& run,
                      const QString& pdfFile);
int printStructureToPdf(const viewer::RecordShow& show, const QString& pdfFile);

}  // namespace ds::cli
