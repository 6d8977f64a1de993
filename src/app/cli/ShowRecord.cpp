// datasifter-cli --show: the record viewer's grid for one record, without windows.
#include "app/cli/CliExtras.h"
#include "app/cli/CliMain.h"

#include "platform/Paths.h"
#include "viewer/RecordShow.h"

#include <QFileInfo>
#include <QTextStream>

namespace ds::cli {

int runShow(const ShowRequest& request, const PdfPrinting* printing) {
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
    if (status != 0 || request.pdfFile.isEmpty() || !printing)
        return status;
    out.flush();
    return printing->printStructure(show, request.pdfFile);
}

}  // namespace ds::cli
