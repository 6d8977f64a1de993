#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ds::test {

QString sharedCorpusDir() {
    const QString root = qEnvironmentVariable("DS_SHARED_DIR");
    const QString corpus = QDir(root).filePath(QStringLiteral("corpus"));
    if (root.isEmpty() || !QFileInfo(corpus + QStringLiteral("/MANIFEST.tsv")).isFile())
        return {};
    return QDir(corpus).absolutePath();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

}  // namespace ds::test
