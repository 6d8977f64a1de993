#include "platform/Paths.h"
#include "search/SearchRun.h"
#include "support/MemoryDatabase.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using namespace ds::search;
using ds::db::type::Long;
using ds::db::type::Memo;
using ds::db::type::Text;
using ds::test::MemoryDatabaseSpec;
using ds::test::MemoryEngine;
using ds::test::MemoryTable;
using ds::test::RecordingHost;

namespace {

MemoryTable personTable(const QList<QVariantList>& rows, int codePage = 850) {
    MemoryTable t;
    t.fields = {{QStringLiteral("VORNAME"), Text, 20},
                {QStringLiteral("NAME"), Text, 20},
                {QStringLiteral("NR"), Long, 4},
                {QStringLiteral("NOTIZ"), Memo, 0}};
    t.rows = rows;
    t.codePage = codePage;
    return t;
}

class ContentFixture {
  public:
    explicit ContentFixture(db::Family family = db::Family::Dbase) : engine(family) {
        platform::setPathStyle(platform::PathStyle::Posix);
        folder = platform::withTrailingSeparator(dir.path());
        host.c.textSearch = true;
        host.c.modeCaption = QStringLiteral("&Textrecherche");
        host.c.formatIndex = family == db::Family::Access ? 1 : 2;
        host.c.pathChoice = SearchCriteria::PathChoice::Folder;
        host.c.folder = dir.path();
        host.c.includeSubfolders = true;
    }
    // A file the walk finds, served by the memory engine.
    void add(const QString& relativePath, MemoryDatabaseSpec spec) {
        QVERIFY(ds::test::writeFile(dir.filePath(relativePath), "placeholder"));
        engine.add(dir.filePath(relativePath), std::move(spec));
    }
    void run(const QString& terms) {
        host.c.termsText = terms;
        SearchRun r(host);
        r.RunSearch();
        hitCount = r.HitCount;
    }

    QTemporaryDir dir;
    QString folder;
    MemoryEngine engine;
    RecordingHost host;
    int hitCount = 0;
};

QString heading(const QString& folderPath) {
    return QStringLiteral("»\t") + folderPath;
}

}  // namespace

class TestContentSearch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void recordRules_data();
    void recordRules();
    void accessTablesAndAttributes();
    void systemTablesOnlyGiveNothing();
    void passwordAskedAgainThenCancelled();
    void passwordAccepted();
    void errorRows_data();
    void errorRows();
    void corruptRecordEndsFileRunGoesOn();
    void oneHeadingForTwoFiles();
    void stopInMultiTableVisitsRemainingTables();
    void capacityDuringContentSearch();
};

void TestContentSearch::recordRules_data() {
    QTest::addColumn<QList<QVariantList>>("rows");
    QTest::addColumn<QString>("terms");
    QTest::addColumn<bool>("allTerms");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("exclude");
    QTest::addColumn<QStringList>("hitRows");  // rows after the heading
    const QVariant null;
    QTest::newRow("one term") << QList<QVariantList>{{"Karl", "Meier", 1, null}} << "Meier" << false
                              << false << "" << QStringList{"\tk.dbf\t1\tMeier"};
    QTest::newRow("two terms two rows")
        << QList<QVariantList>{{"Karl", "Meier", 1, null}} << "Karl\r\nMeier" << false << false
        << "" << QStringList{"\tk.dbf\t1\tKarl", "\tk.dbf\t1\tMeier"};
    QTest::newRow("all terms one row")
        << QList<QVariantList>{{"Karl", "Meier", 1, null}, {"Karl", "Schulz", 2, null}}
        << "Karl\r\nMeier" << true << false << ""
        << QStringList{"\tk.dbf\t1\tAlle Suchbegriffe enthalten..."};
    QTest::newRow("all terms with one term names it")
        << QList<QVariantList>{{"Karl", "Meier", 1, null}} << "Meier" << true << false << ""
        << QStringList{"\tk.dbf\t1\tMeier"};
    QTest::newRow("term spanning two fields does not match")
        << QList<QVariantList>{{"Karl", "Meier", 1, null}} << "Karl Meier" << false << false << ""
        << QStringList{};
    QTest::newRow("term inside one field matches")
        << QList<QVariantList>{{null, "Karl Meier", 1, null}} << "Karl Meier" << false << false
        << "" << QStringList{"\tk.dbf\t1\tKarl Meier"};
    QTest::newRow("numeric field never searched")
        << QList<QVariantList>{{"A", "B", 4711, null}} << "4711" << false << false << ""
        << QStringList{};
    QTest::newRow("all null record") << QList<QVariantList>{{null, null, 1, null}} << "Meier"
                                     << false << false << "" << QStringList{};
    QTest::newRow("memo searched")
        << QList<QVariantList>{{"A", "B", 1, "Lieferung an Müller"}} << "MÜLLER" << false << false
        << "" << QStringList{"\tk.dbf\t1\tMÜLLER"};
    QTest::newRow("case kept") << QList<QVariantList>{{"müller", "MÜLLER", 1, null}} << "Müller"
                               << false << true << "" << QStringList{};
    QTest::newRow("exclusion suppresses record")
        << QList<QVariantList>{{"Karl", "Meier", 1, "verstorben"}, {"Eva", "Meier", 2, null}}
        << "Meier" << false << false << "Verstorben" << QStringList{"\tk.dbf\t2\tMeier"};
    QTest::newRow("term found twice gives one row")
        << QList<QVariantList>{{"Meier", "Meier", 1, "Meier"}} << "meier" << false << false << ""
        << QStringList{"\tk.dbf\t1\tmeier"};
    QTest::newRow("record numbers count from 1")
        << QList<QVariantList>{{"x", "y", 1, null}, {"x", "y", 2, null}, {"Treffer", "y", 3, null}}
        << "treffer" << false << false << "" << QStringList{"\tk.dbf\t3\ttreffer"};
}

void TestContentSearch::recordRules() {
    QFETCH(QList<QVariantList>, rows);
    QFETCH(QString, terms);
    QFETCH(bool, allTerms);
    QFETCH(bool, matchCase);
    QFETCH(QString, exclude);
    QFETCH(QStringList, hitRows);
    ContentFixture f;
    f.add(QStringLiteral("k.dbf"), {{personTable(rows)}});
    f.host.c.allTerms = allTerms;
    f.host.c.matchCase = matchCase;
    f.host.c.excludeChecked = !exclude.isEmpty();
    f.host.c.excludeText = exclude;
    f.run(terms);
    QStringList expected;
    if (!hitRows.isEmpty())
        expected << QString() << heading(f.dir.path()) << hitRows;
    else
        expected << QStringLiteral("\tKeine Datei gefunden!");
    QCOMPARE(f.host.rows, expected);
    QCOMPARE(f.hitCount, int(hitRows.size()));
    QCOMPARE(f.host.table.layoutTag, QStringLiteral("1"));
}

void TestContentSearch::accessTablesAndAttributes() {
    ContentFixture f(db::Family::Access);
    MemoryTable kunden = personTable({{"Karl", "Meier", 1, QVariant()}}, 1252);
    kunden.name = QStringLiteral("Kunden");
    MemoryTable system = kunden;
    system.name = QStringLiteral("MSysObjects");
    system.attributes = int(0x80000002);
    MemoryTable linked = kunden;
    linked.name = QStringLiteral("Verknüpft");
    linked.attributes = 0x40000000;
    f.add(QStringLiteral("adressen.mdb"), {{system, kunden, linked}});
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.rows,
             (QStringList{"", heading(f.dir.path()), "\tadressen.mdb\tKunden\t1\tMeier"}));
    QCOMPARE(f.host.table.layoutTag, QStringLiteral("0"));
    QCOMPARE(f.host.table.columnCount(), 5);
}

void TestContentSearch::systemTablesOnlyGiveNothing() {
    ContentFixture f(db::Family::Access);
    MemoryTable system = personTable({{"Meier", "Meier", 1, QVariant()}});
    system.name = QStringLiteral("MSysACEs");
    system.attributes = 2;
    f.add(QStringLiteral("leer.mdb"), {{system}});
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.rows, QStringList{"\tKeine Datei gefunden!"});
}

void TestContentSearch::passwordAskedAgainThenCancelled() {
    ContentFixture f(db::Family::Access);
    MemoryTable t = personTable({{"Karl", "Meier", 1, QVariant()}});
    t.name = QStringLiteral("T");
    f.add(QStringLiteral("geheim.mdb"), {{t}, QStringLiteral("Geheim")});
    f.host.passwordAnswers = {QStringLiteral("falsch"), QStringLiteral("geheim")};
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.passwordPrompts.size(), 3);  // wrong, wrong case, then cancelled
    QCOMPARE(f.engine.passwordsTried, (QStringList{"", "falsch", "geheim"}));
    QCOMPARE(f.host.rows, (QStringList{"", heading(f.dir.path()), "\tgeheim.mdb: Kennwort-Schutz",
                                       "\tKeine Datei gefunden!"}));
}

void TestContentSearch::passwordAccepted() {
    ContentFixture f(db::Family::Access);
    MemoryTable t = personTable({{"Karl", "Meier", 1, QVariant()}});
    t.name = QStringLiteral("T");
    f.add(QStringLiteral("geheim.mdb"), {{t}, QStringLiteral("Geheim")});
    f.add(QStringLiteral("zwei.mdb"), {{t}, QStringLiteral("Geheim")});
    f.host.passwordAnswers = {QStringLiteral("Geheim"), QStringLiteral("Geheim")};
    f.run(QStringLiteral("Karl"));
    // Asked again for every protected file.
    QCOMPARE(f.host.passwordPrompts.size(), 2);
    QCOMPARE(f.host.rows.mid(2),
             (QStringList{"\tgeheim.mdb\tT\t1\tKarl", "\tzwei.mdb\tT\t1\tKarl"}));
}

void TestContentSearch::errorRows_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("row");
    QTest::newRow("3274") << 3274 << "\tk.dbf: Falsches Datenbank-Format";
    QTest::newRow("3051") << 3051 << "\tk.dbf wird bereits bearbeitet!";
    QTest::newRow("70") << 70 << "\tk.dbf wird bereits bearbeitet!";
    QTest::newRow("75") << 75 << "\tk.dbf kann nicht eingelesen werden!";
    QTest::newRow("generic") << 3024 << "\tk.dbf (Die Datei 'k.dbf' wurde nicht gefunden.)3024";
    QTest::newRow("skipped 3021 gives no row") << 3021 << "";
}

void TestContentSearch::errorRows() {
    QFETCH(int, error);
    QFETCH(QString, row);
    ContentFixture f;
    MemoryTable t = personTable({{"Karl", "Meier", 1, QVariant()}});
    t.openError = error;
    f.add(QStringLiteral("k.dbf"), {{t}});
    f.run(QStringLiteral("Meier"));
    if (row.isEmpty())
        QCOMPARE(f.host.rows, QStringList{"\tKeine Datei gefunden!"});
    else
        QCOMPARE(f.host.rows,
                 (QStringList{"", heading(f.dir.path()), row, "\tKeine Datei gefunden!"}));
}

void TestContentSearch::corruptRecordEndsFileRunGoesOn() {
    ContentFixture f;
    MemoryTable bad = personTable(
        {{"Meier", "", 1, QVariant()}, {"Meier", "", 2, QVariant()}, {"Meier", "", 3, QVariant()}});
    bad.failAtRecord = 2;
    f.add(QStringLiteral("a.dbf"), {{bad}});
    f.add(QStringLiteral("b.dbf"), {{personTable({{"Meier", "", 1, QVariant()}})}});
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.rows.mid(2),
             (QStringList{
                 "\ta.dbf\t1\tMeier",
                 "\ta.dbf (Die Datei 'a.dbf' ist beschädigt und kann nicht gelesen werden.)3049",
                 "\tb.dbf\t1\tMeier"}));
}

void TestContentSearch::oneHeadingForTwoFiles() {
    ContentFixture f;
    QDir(f.dir.path()).mkpath(QStringLiteral("sub"));
    const auto t = personTable({{"Meier", "", 1, QVariant()}});
    f.add(QStringLiteral("a.dbf"), {{t}});
    f.add(QStringLiteral("b.dbf"), {{t}});
    f.add(QStringLiteral("sub/c.dbf"), {{t}});
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.rows,
             (QStringList{"", heading(f.dir.path()), "\ta.dbf\t1\tMeier", "\tb.dbf\t1\tMeier", "",
                          heading(f.dir.filePath("sub")), "\tc.dbf\t1\tMeier"}));
    QCOMPARE(f.hitCount, 3);
}

void TestContentSearch::stopInMultiTableVisitsRemainingTables() {
    ContentFixture f(db::Family::Access);
    QList<QVariantList> many;
    for (int i = 0; i < 50; ++i)
        many << QVariantList{"Meier", "", i, QVariant()};
    MemoryTable t1 = personTable(many), t2 = personTable(many), t3 = personTable(many);
    t1.name = QStringLiteral("Eins");
    t2.name = QStringLiteral("Zwei");
    t3.name = QStringLiteral("Drei");
    f.add(QStringLiteral("a.mdb"), {{t1, t2, t3}});
    f.add(QStringLiteral("b.mdb"), {{t1}});
    f.host.onYield = [](RecordingHost& h) {
        if (h.rows.size() >= 5)
            h.stop = true;
    };
    f.run(QStringLiteral("Meier"));
    QCOMPARE(f.host.rows, (QStringList{"", heading(f.dir.path()), "\ta.mdb\tEins\t1\tMeier",
                                       "\ta.mdb\tEins\t2\tMeier", "\ta.mdb\tEins\t3\tMeier",
                                       "\ta.mdb\tZwei\t1\tMeier", "\ta.mdb\tDrei\t1\tMeier",
                                       "\tSuchvorgang abgebrochen..."}));
}

void TestContentSearch::capacityDuringContentSearch() {
    ContentFixture f;
    QList<QVariantList> many;
    for (int i = 0; i < 5000; ++i)
        many << QVariantList{"Meier", "", i, QVariant()};
    f.add(QStringLiteral("kunden.dbf"), {{personTable(many)}});
    SearchRun r(f.host);
    f.host.c.termsText = QStringLiteral("Meier");
    r.RunSearch();
    // Each row text "kunden.dbf\t<n>\tMeier" counts; the last one that fits is the last shown.
    int total = 0;
    for (const QString& row : f.host.rows) {
        if (row.startsWith(QLatin1Char('\t')))
            total += int(row.size()) - 1;
    }
    QVERIFY(total <= SearchRun::kDefaultCapacity);
    const int lastRecord = f.host.rows.last().section(QLatin1Char('\t'), 2, 2).toInt();
    const QString next = QStringLiteral("kunden.dbf\t%1\tMeier").arg(lastRecord + 1);
    QVERIFY(total + next.size() > SearchRun::kDefaultCapacity);
    QCOMPARE(f.host.messages, QStringList{"Abbruch! Zu viele Fundstellen!"});
}

int runContentTests(int argc, char** argv) {
    TestContentSearch t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_content_search.moc"
