// End to end through the real readers: the shipped sample data folder, searched in every format
// group, gives the expected rows, and no searched file changes (bytes or modification time).
#include "platform/Paths.h"
#include "search/SearchRun.h"
#include "support/RecordingHost.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using ds::test::RecordingHost;

namespace {

struct FileState {
    QByteArray hash;
    QDateTime modified;
};

QMap<QString, FileState> snapshot(const QString& folder) {
    QMap<QString, FileState> out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        out[path] = {QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256),
                     QFileInfo(path).lastModified()};
    }
    return out;
}

bool copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + fi.fileName();
        if (fi.isDir() ? !copyTree(fi.filePath(), target) : !QFile::copy(fi.filePath(), target))
            return false;
    }
    return true;
}

}  // namespace

class TestSampleSearch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void searchEveryFormat_data();
    void searchEveryFormat();

  private:
    QTemporaryDir dir_;
    QString samples_;
};

void TestSampleSearch::initTestCase() {
    platform::setPathStyle(platform::PathStyle::Posix);
    const QString built = QStringLiteral(DS_SAMPLE_DIR);
    if (!QFileInfo(built + QStringLiteral("/Kunden.mdb")).isFile())
        QSKIP("the sample data folder has not been built");
    samples_ = dir_.filePath(QStringLiteral("Beispieldaten"));
    QVERIFY(copyTree(built, samples_));
}

void TestSampleSearch::searchEveryFormat_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("terms");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QStringList>("rows");  // %1 = the sample folder
    QTest::newRow("access, password cancelled") << 1 << "müller" << QStringList{}
                                                << QStringList{"",
                                                               "»\t%1",
                                                               "\tKunden.mdb\tKunden\t1\tmüller",
                                                               "\tKunden.mdb\tKunden\t7\tmüller",
                                                               "\tKunden.mdb\tKunden\t9\tmüller",
                                                               "\tPersonal.mdb: Kennwort-Schutz"};
    QTest::newRow("access, wrong then right password")
        << 1 << "Einkauf" << QStringList{"geheim", "Geheim"}
        << QStringList{"", "»\t%1", "\tPersonal.mdb\tMitarbeiter\t1\tEinkauf"};
    QTest::newRow("dbase with memo, deleted record left out, subfolder")
        << 3 << "MÜLLER" << QStringList{}
        << QStringList{"",
                       "»\t%1",
                       "\tadressen.dbf\t1\tMÜLLER",
                       "\tadressen.dbf\t7\tMÜLLER",
                       "\tadressen.dbf\t9\tMÜLLER",
                       "\tlieferanten.dbf\t1\tMÜLLER",
                       "",
                       "»\t%1/Archiv 1998",
                       "\tkunden98.dbf\t1\tMÜLLER"};
    QTest::newRow("foxpro memo only")
        << 7 << "aufgegeben" << QStringList{}
        << QStringList{"", "»\t%1", "\tlieferanten.dbf\t3\taufgegeben"};
    QTest::newRow("paradox memo") << 12 << "Bielefeld" << QStringList{}
                                  << QStringList{"", "»\t%1", "\tARTIKEL.DB\t5\tBielefeld"};
    QTest::newRow("excel sheets as tables")
        << 17 << "gutschrift" << QStringList{}
        << QStringList{"", "»\t%1", "\tUmsatz.xls\tUmsatz 2023$\t3\tgutschrift"};
    QTest::newRow("excel 7 opens as 5")
        << 16 << "Köhler" << QStringList{}
        << QStringList{"", "»\t%1", "\tUmsatz.xls\tKunden$\t6\tKöhler",
                       "\tUmsatz.xls\tUmsatz 2023$\t6\tKöhler"};
}

void TestSampleSearch::searchEveryFormat() {
    QFETCH(int, type);
    QFETCH(QString, terms);
    QFETCH(QStringList, passwords);
    QFETCH(QStringList, rows);
    const QMap<QString, FileState> before = snapshot(samples_);
    for (QString& r : rows)
        r.replace(QStringLiteral("%1"), samples_);
    // With progress shown the records are counted first; without (the command line) they are
    // read up to the end, also on worker threads: the same rows every way.
    for (const auto& [progressShown, threads] : {std::pair{true, 1}, {false, 1}, {false, 3}}) {
        RecordingHost host;
        host.progressShown = progressShown;
        host.threads = threads;
        host.c.textSearch = true;
        host.c.modeCaption = QStringLiteral("&Textrecherche");
        host.c.formatIndex = type;
        host.c.pathChoice = search::SearchCriteria::PathChoice::Folder;
        host.c.folder = samples_;
        host.c.termsText = terms;
        host.passwordAnswers = passwords;
        search::SearchRun run(host);
        run.RunSearch();
        QCOMPARE(host.rows, rows);
    }
    const QMap<QString, FileState> after = snapshot(samples_);
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.begin(); it != before.end(); ++it) {
        QVERIFY2(after[it.key()].hash == it->hash, qPrintable(it.key()));
        QCOMPARE(after[it.key()].modified, it->modified);
    }
}

QTEST_GUILESS_MAIN(TestSampleSearch)
#include "test_sample_search.moc"
