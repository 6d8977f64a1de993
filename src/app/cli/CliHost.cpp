#include "app/cli/CliHost.h"

#include <QTextStream>

namespace ds::cli {

void CliHost::prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                             const QList<search::ColumnSpec>& columns) {
    table.setColumns(columns);
    table.layoutTag = layoutTag;
    table.connect = connect;
    table.formatIndex = formatIndex;
    if (stream_) {
        stream_->writeLine(table.rowText(0));
        streamStarted_ = true;
    }
}

void CliHost::appendRow(const QString& row) {
    if (streamStarted_)
        stream_->writeLine(search::ResultTable::normalisedRow(row, table.columnCount()));
    else
        table.addItem(row);
}

int CliHost::message(const QString& text, platform::Icon) {
    QString oneLine = text;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    QTextStream(stderr) << oneLine << Qt::endl;
    return platform::AnswerOk;
}

QString CliHost::askPassword(const QString& filePath) {
    // The given password is offered once per file; a wrong one ends in the protection row.
    if (!password_ || offered_.contains(filePath))
        return {};
    offered_.insert(filePath);
    return QStringLiteral(";PWD=") + *password_ + QLatin1Char(';');
}

}  // namespace ds::cli
