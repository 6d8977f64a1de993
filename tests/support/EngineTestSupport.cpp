#include "support/EngineTestSupport.h"

#include "dbengine/EngineError.h"
#include "support/TempDir.h"

namespace ds::test {

int engineErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::EngineError& e) {
        return e.number();
    }
    return 0;
}

QList<QStringList> readTsv(const QString& path) {
    QList<QStringList> rows;
    for (const QByteArray& line : readFile(path).split('\n')) {
        if (!line.isEmpty())
            rows << QString::fromUtf8(line).split(QLatin1Char('\t'));
    }
    return rows;
}

QList<ManifestEntry> corpusManifest(const QString& pathPrefix) {
    QList<ManifestEntry> entries;
    const QString corpus = sharedCorpusDir();
    if (corpus.isEmpty())
        return entries;
    for (const QStringList& cells : readTsv(corpus + QStringLiteral("/MANIFEST.tsv"))) {
        if (cells.size() < 8 || !cells[0].startsWith(pathPrefix))
            continue;
        entries.append({cells[0], cells[1], cells[4], cells[5], cells[6], cells[7]});
    }
    return entries;
}

}  // namespace ds::test
