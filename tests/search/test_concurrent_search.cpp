// The content search with the files read ahead on worker threads, large tables in parts, must
// write exactly the rows the run writes when it reads every file itself: the same order, record
// numbers that run on across the parts (deleted records left out), the same error rows and the
// same ends at the row capacity and the hit limits.
#include "platform/Paths.h"
#include "search/SearchRun.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/dbase/DbfWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using ds::search::SearchRun;
using ds::test::DbfColumn;
using ds::test::DbfValue;
using ds::test::DbfWriter;
using ds::test::RecordingHost;

namespace {

constexpr int kBigRecords = 1500;

// Record i (from 0) of the large table: deleted every seventh, "Meier" every 50th, "Müller" in
// the memo every 30th, "Meier & Müller" in the name every 97th.
bool bigDeleted(int i) {
    return i % 7 == 3;
}
QString bigName(int i) {
    if (i % 97 == 5)
        return QStringLiteral("Meier & Müller");
    return i % 50 == 1 ? QStringLiteral("Meier") : QStringLiteral("Kunde %1").arg(i);
}
QString bigMemo(int i) {
    return i % 30 == 2 ? QStringLiteral("Anruf von Herrn Müller") : QString();
}

bool writeTable(const QString& path, const std::vector<std::pair<QString, QString>>& records,
                const std::vector<int>& deleted = {}) {
    DbfWriter w(path, {DbfColumn{QStringLiteral("NAME"), 'C', 30},
                       DbfColumn{QStringLiteral("NOTIZ"), 'M'}});
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool gone = std::find(deleted.begin(), deleted.end(), int(i)) != deleted.end();
        const auto& [name, memo] = records[i];
        w.addRecord({DbfValue(name), memo.isEmpty() ? DbfValue() : DbfValue(memo)}, gone);
    }
    return w.finish();
}

struct Outcome {
    QStringList rows;
    QStringList messages;
    int hitCount = 0;
};

}  // namespace

class TestConcurrentSearch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void sameRowsAsReadingAlone_data();
    void sameRowsAsReadingAlone();
    void recordNumbersRunOnAcrossParts();

  private:
    Outcome run(const QString& terms, int threads, int capacity = SearchRun::kDefaultCapacity,
                int hitLimit = 32767, bool allTerms = false, bool matchCase = false,
                const QString& exclude = {});

    QTemporaryDir dir_;
};

void TestConcurrentSearch::initTestCase() {
    platform::setPathStyle(platform::PathStyle::Posix);
    const QString root = dir_.path();
    QVERIFY(QDir(root).mkpath(QStringLiteral("sub/tiefer")));
    QVERIFY(QDir(root).mkpath(QStringLiteral("leer")));

    QVERIFY(writeTable(root + QStringLiteral("/a.dbf"),
                       {{"Schulz", ""},
                        {"Meier", ""},
                        {"Krause", "Lieferung an Müller"},
                        {"Meier", "gelöscht"},
                        {"Meier", "Meier und Müller"}},
                       {3}));
    // Cut inside its records: an error row after the rows read before.
    QVERIFY(writeTable(root + QStringLiteral("/b.dbf"), {{"Meier", ""}, {"Lange", ""}}));
    {
        QFile f(root + QStringLiteral("/b.dbf"));
        QVERIFY(f.resize(f.size() - 40));
    }
    QVERIFY(ds::test::writeFile(root + QStringLiteral("/c.dbf"), "kein dBASE"));
    // The memo file is missing.
    QVERIFY(writeTable(root + QStringLiteral("/d.dbf"), {{"Meier", "Müller"}}));
    QVERIFY(QFile::remove(root + QStringLiteral("/d.dbt")));

    std::vector<std::pair<QString, QString>> big;
    std::vector<int> deleted;
    for (int i = 0; i < kBigRecords; ++i) {
        big.emplace_back(bigName(i), bigMemo(i));
        if (bigDeleted(i))
            deleted.push_back(i);
    }
    QVERIFY(writeTable(root + QStringLiteral("/sub/gross.dbf"), big, deleted));
    QVERIFY(writeTable(root + QStringLiteral("/sub/nichts.dbf"), {{"Schulz", "Brief"}}));
    QVERIFY(writeTable(root + QStringLiteral("/sub/tiefer/e.dbf"),
                       {{"Müller", ""}, {"MEIER", ""}, {"meier", "MÜLLER"}}));
}

Outcome TestConcurrentSearch::run(const QString& terms, int threads, int capacity, int hitLimit,
                                  bool allTerms, bool matchCase, const QString& exclude) {
    RecordingHost host;
    host.progressShown = false;
    host.threads = threads;
    host.c.textSearch = true;
    host.c.modeCaption = QStringLiteral("&Textrecherche");
    host.c.formatIndex = 2;
    host.c.pathChoice = search::SearchCriteria::PathChoice::Folder;
    host.c.folder = dir_.path();
    host.c.termsText = terms;
    host.c.allTerms = allTerms;
    host.c.matchCase = matchCase;
    host.c.excludeChecked = !exclude.isEmpty();
    host.c.excludeText = exclude;
    SearchRun r(host);
    r.capacity = capacity;
    r.hitCountLimit = hitLimit;
    r.partSlots = 64;  // the large table in 24 parts
    r.RunSearch();
    return {host.rows, host.messages, r.HitCount};
}

void TestConcurrentSearch::sameRowsAsReadingAlone_data() {
    QTest::addColumn<QString>("terms");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("hitLimit");
    QTest::addColumn<bool>("allTerms");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("exclude");
    const int full = SearchRun::kDefaultCapacity;
    QTest::newRow("one term") << "Meier" << full << 32767 << false << false << "";
    QTest::newRow("two terms") << "Meier\r\nMüller" << full << 32767 << false << false << "";
    QTest::newRow("all terms") << "Meier\r\nMüller" << full << 32767 << true << false << "";
    QTest::newRow("match case") << "Meier\r\nMÜLLER" << full << 32767 << false << true << "";
    QTest::newRow("exclusion") << "Meier\r\nMüller" << full << 32767 << false << false << "&";
    // Full in a later part of the large table, after rows of other files.
    QTest::newRow("row capacity reached")
        << "Meier\r\nMüller" << 900 << 32767 << false << false << "";
    // The large table's hits beyond the limit: its overflow row, then the run's own.
    QTest::newRow("hit limit of a file") << "Meier\r\nMüller" << full << 40 << false << false << "";
}

void TestConcurrentSearch::sameRowsAsReadingAlone() {
    QFETCH(QString, terms);
    QFETCH(int, capacity);
    QFETCH(int, hitLimit);
    QFETCH(bool, allTerms);
    QFETCH(bool, matchCase);
    QFETCH(QString, exclude);
    const Outcome alone = run(terms, 1, capacity, hitLimit, allTerms, matchCase, exclude);
    // The search found something in several files and reported the damaged ones.
    QVERIFY(alone.rows.filter(QStringLiteral("gross.dbf\t")).size() > 0);
    QVERIFY(alone.rows.size() > 10);
    for (const int threads : {2, 4}) {
        const Outcome together =
            run(terms, threads, capacity, hitLimit, allTerms, matchCase, exclude);
        QCOMPARE(together.rows, alone.rows);
        QCOMPARE(together.messages, alone.messages);
        QCOMPARE(together.hitCount, alone.hitCount);
    }
}

void TestConcurrentSearch::recordNumbersRunOnAcrossParts() {
    // Expected from the generator alone: the number of a record counts only live records.
    QStringList expected;
    int live = 0;
    for (int i = 0; i < kBigRecords; ++i) {
        if (bigDeleted(i))
            continue;
        ++live;
        if (bigName(i).contains(QStringLiteral("Meier")))
            expected << QStringLiteral("\tgross.dbf\t%1\tMeier").arg(live);
    }
    const Outcome together = run(QStringLiteral("Meier"), 3);
    QCOMPARE(together.rows.filter(QStringLiteral("\tgross.dbf\t")), expected);
    // The other files' error rows are there too, each in its folder's place.
    QVERIFY(together.rows.contains(QStringLiteral("\tc.dbf: Falsches Datenbank-Format")));
}

QTEST_GUILESS_MAIN(TestConcurrentSearch)
#include "test_concurrent_search.moc"
