// Report, printout and viewer output of the command line until their units land.
#include "app/cli/CliExtras.h"

#include <QTextStream>

namespace ds::cli {

int writeSearchOutputs(const search::ResultTable&, const search::SearchRun&, const QString& report,
                       const QString& pdf) {
    if (report.isEmpty() && pdf.isEmpty())
        return 0;
    QTextStream(stderr) << "datasifter-cli: --report und --pdf sind noch nicht verfügbar\n";
    return 2;
}

int runShow(const ShowRequest&) {
    QTextStream(stderr) << "datasifter-cli: --show ist noch nicht verfügbar\n";
    return 2;
}

}  // namespace ds::cli
