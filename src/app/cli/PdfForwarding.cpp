#include "app/cli/CliMain.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace ds::cli {

int forwardToPdfProgram(const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("datasifter-cli-pdf"), {QCoreApplication::applicationDirPath()});
    QTextStream err(stderr);
    if (program.isEmpty()) {
        err << "datasifter-cli: für --pdf fehlt datasifter-cli-pdf neben "
            << QCoreApplication::applicationFilePath() << "\n";
        return 2;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments.mid(1));
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        err << "datasifter-cli: " << program << ": " << process.errorString() << "\n";
        return 2;
    }
    return process.exitCode();
}

}  // namespace ds::cli
