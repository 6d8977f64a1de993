// datasifter-bench FILE --type N --term TEXT [--repeat K]
// Prints one line: records, hits, seconds, records/s, MB/s (file size / time), peak RSS.
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "search/FileTypes.h"
#include "search/TermMatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

using namespace ds;

namespace {

long peakRssKb() {
#ifdef Q_OS_LINUX
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#else
    return 0;
#endif
}

struct Totals {
    std::int64_t records = 0;
    std::int64_t hits = 0;
};

void searchFile(const QString& path, int formatIndex, const QString& term, Totals& totals) {
    db::Workspace ws;
    const bool several = search::hasSeveralTables(formatIndex);
    const QFileInfo fi(path);
    const QString connect = search::fileTypeConnect(formatIndex);
    auto database = ws.openDatabase(several ? fi.filePath() : fi.path(), false, true, connect);
    QStringList tables;
    if (several) {
        for (const db::TableDef& d : database->tableDefs()) {
            if (d.attributes == 0)
                tables << d.name;
        }
    } else {
        tables << fi.fileName();
    }
    search::TermMatcher matcher({term}, false, std::nullopt);
    for (const QString& table : tables) {
        auto rs = database->openRecordset(table);
        rs->moveLast();
        const std::int64_t n = rs->recordCount();
        rs->moveFirst();
        std::vector<int> fields;
        for (int f = 0; f < rs->fieldCount(); ++f) {
            if (db::isSearchableType(rs->fieldInfo(f).type))
                fields.push_back(f);
        }
        for (std::int64_t r = 0; r < n; ++r) {
            matcher.beginRecord();
            for (int f : fields)
                matcher.addField(rs->text(f));
            if (matcher.termFound(0))
                ++totals.hits;
            rs->moveNext();
        }
        totals.records += n;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString file, term;
    int type = 2, repeat = 1;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--type") && i + 1 < args.size())
            type = args[++i].toInt();
        else if (args[i] == QLatin1String("--term") && i + 1 < args.size())
            term = args[++i];
        else if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else
            file = args[i];
    }
    if (file.isEmpty() || term.isEmpty()) {
        std::fprintf(stderr, "usage: datasifter-bench FILE --type N --term TEXT [--repeat K]\n");
        return 2;
    }
    Totals totals;
    QElapsedTimer timer;
    timer.start();
    try {
        for (int i = 0; i < repeat; ++i)
            searchFile(file, type, term, totals);
    } catch (const db::EngineError& e) {
        std::fprintf(stderr, "engine error %d: %s\n", e.number(), qPrintable(e.message()));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double megabytes = double(QFileInfo(file).size()) * repeat / 1e6;
    QTextStream(stdout) << "records=" << totals.records << " hits=" << totals.hits
                        << " seconds=" << QString::number(seconds, 'f', 3)
                        << " records_per_s=" << qint64(totals.records / seconds)
                        << " MB_per_s=" << QString::number(megabytes / seconds, 'f', 1)
                        << " peak_rss_kb=" << peakRssKb() << Qt::endl;
    return 0;
}
