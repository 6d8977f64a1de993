#include "app/cli/CliOutput.h"

#include "common/ResultLayout.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ds::cli {

void writeTsv(const GridText& grid, QTextStream& out) {
    auto line = [&](int row) { out << grid.rowText(row) << '\n'; };
    line(0);
    for (int r = 2; r < grid.rowCount(); ++r)
        line(r);
}

void LineWriter::writeLine(QStringView line) {
    const std::size_t need = std::size_t(encoder_.requiredSpace(line.size())) + 1;
    if (buffer_.size() - used_ < need) {
        flush();
        if (buffer_.size() < need)
            buffer_.resize(need);
    }
    char* end = encoder_.appendToBuffer(buffer_.data() + used_, line);
    *end++ = '\n';
    used_ = std::size_t(end - buffer_.data());
}

bool LineWriter::flush() {
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, out_) != used_)
        failed_ = true;
    used_ = 0;
    if (std::fflush(out_) != 0)
        failed_ = true;
    return !failed_;
}

void writeJsonLines(const GridText& grid, int layout, QTextStream& out) {
    QString folder;
    const bool textSearch = layout == LayoutTextSeveralTables || layout == LayoutTextOneTable;
    for (int r = 2; r < grid.rowCount(); ++r) {
        const QString marker = grid.cellText(r, 0);
        const QString first = grid.cellText(r, 1);
        if (marker == QStringLiteral("»")) {
            folder = first;
            continue;
        }
        if (first.isEmpty() || first == QLatin1String("Keine Datei gefunden!") ||
            first == QLatin1String("Suchvorgang abgebrochen..."))
            continue;
        QJsonObject o;
        if (first.startsWith(QLatin1String("Fehler! "))) {
            o[QStringLiteral("error")] = first.mid(8);
        } else if (textSearch) {
            const bool several = layout == LayoutTextSeveralTables;
            const QString record = grid.cellText(r, several ? 3 : 2);
            o[QStringLiteral("folder")] = folder;
            if (record.isEmpty()) {
                // An error row of the content search: file name and message in one cell.
                o[QStringLiteral("error")] = first;
            } else {
                o[QStringLiteral("file")] = first;
                if (several)
                    o[QStringLiteral("table")] = grid.cellText(r, 2);
                o[QStringLiteral("record")] = record.toLongLong();
                o[QStringLiteral("term")] = grid.cellText(r, several ? 4 : 3);
            }
        } else {
            if (layout == LayoutFilesApart)
                o[QStringLiteral("folder")] = folder;
            o[QStringLiteral("file")] = first;
            if (grid.columnCount() >= 6) {
                o[QStringLiteral("size")] = grid.cellText(r, 2).toLongLong();
                o[QStringLiteral("date")] = grid.cellText(r, 3);
                o[QStringLiteral("time")] = grid.cellText(r, 4);
                o[QStringLiteral("attributes")] = grid.cellText(r, 5);
            }
        }
        out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
    }
}

}  // namespace ds::cli
