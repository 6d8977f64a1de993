// The report file, the save dialog's name rules, the writability test and the report export's
// steps, all without windows.
#include "TestGrid.h"
#include "platform/Paths.h"
#include "results/ResultExport.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using ds::test::FakeDialogs;
using ds::test::TestGrid;

namespace {

// Records what the export does with the windows; asks to cancel at the given yield.
class RecordingExportHost final : public results::ExportHost {
  public:
    int cancelAtYield = 0;  // 0: never
    int yields = 0;
    bool cancel = false;
    int begun = 0;
    int ended = 0;
    QStringList statusTexts;

    void beginLongOperation() override { ++begun; }
    void endLongOperation() override { ++ended; }
    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void processEvents() override { ++yields; }
};

QByteArray crlfLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines)
        out += l.toLatin1() + "\r\n";
    return out;
}

TestGrid layout1Grid(int hitRows) {
    QStringList rows{QStringLiteral("»\t/daten")};
    for (int i = 1; i <= hitRows; ++i)
        rows << QStringLiteral("\tkunden.dbf\t%1\tMeier").arg(i);
    return TestGrid({QString(), QStringLiteral("Datei"), QStringLiteral("Datensatz"),
                     QStringLiteral("Suchbegriff")},
                    rows);
}

}  // namespace

class TestExport : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void reportFile_data();
    void reportFile();
    void termList_data();
    void termList();
    void saveDialogNames_data();
    void saveDialogNames();
    void saveDialogArguments();
    void writeTest_data();
    void writeTest();
    void fileExists_data();
    void fileExists();
    void saveReportWritesAndCloses();
    void saveReportCancelledDialog();
    void saveReportWriteProtected_data();
    void saveReportWriteProtected();
    void saveReportReplacesReadOnlyFile();
    void saveReportOpenError();
};

void TestExport::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
}

void TestExport::reportFile_data() {
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("termList");
    QTest::addColumn<QByteArray>("expected");

    const QStringList head{"DATASIFTER", "", "Dateien- und Datenbanken-Recherche", ""};

    // The example of the user guide: two terms, one folder, one hit.
    QTest::newRow("layout 1, one hit")
        << QStringList{"", "Datei", "Datensatz", "Suchbegriff"}
        << QStringList{"", "»\tC:\\Daten", "\tkunden.dbf\t17\tMeier"} << 1
        << QStringLiteral("Meier\rBerlin\r")
        << crlfLines(head + QStringList{"Suchbegriffe", "Meier", "Berlin", "",
                                        "Datei\tDatensatz\tSuchbegriff", "", "\t\t",
                                        "C:\\Daten\t\t", "kunden.dbf\t17\tMeier"});
    // Row 1, the grid's initial empty row, is never written; the "\t\t" line above is an
    // empty separator row of the result.
    QTest::newRow("layout 0, table column")
        << QStringList{"", "Datei", "Tabelle", "Datensatz", "Suchbegriff"}
        << QStringList{"»\t/daten", "\tadressen.mdb\tKunden\t3\tBerlin",
                       "\tadressen.mdb\tOrte\t12\tBerlin"}
        << 0 << QStringLiteral("Berlin\r")
        << crlfLines(head + QStringList{"Suchbegriffe", "Berlin", "",
                                        "Datei\tTabelle\tDatensatz\tSuchbegriff", "",
                                        "/daten\t\t\t", "adressen.mdb\tKunden\t3\tBerlin",
                                        "adressen.mdb\tOrte\t12\tBerlin"});
    QTest::newRow("layout 2 with file information: no term section")
        << QStringList{"", "Datei", "Bytes", "Datum", "Zeit", "Attr."}
        << QStringList{"»\t/daten", "\tkunden.dbf\t1024\t01.02.2003\t04:05\tA"} << 2
        << QStringLiteral("ignored\r")
        << crlfLines(head + QStringList{"Datei\tBytes\tDatum\tZeit\tAttr.", "", "/daten\t\t\t\t",
                                        "kunden.dbf\t1024\t01.02.2003\t04:05\tA"});
    QTest::newRow("layout 3 without file information")
        << QStringList{"", "Datei"} << QStringList{"\t/daten/kunden.dbf", "\t/daten/orte.dbf"} << 3
        << QString()
        << crlfLines(head + QStringList{"Datei", "", "/daten/kunden.dbf", "/daten/orte.dbf"});
    QTest::newRow("no hit rows: header, heading line, one empty line")
        << QStringList{"", "Datei"} << QStringList{} << 2 << QString()
        << crlfLines(head + QStringList{"Datei", ""});
    QTest::newRow("content search without accepted terms")
        << QStringList{"", "Datei", "Datensatz", "Suchbegriff"} << QStringList{} << 1 << QString()
        << crlfLines(head + QStringList{"Suchbegriffe", "", "Datei\tDatensatz\tSuchbegriff", ""});

    // Windows-1252: umlauts and the euro sign as single bytes.
    QByteArray ansi = crlfLines(head + QStringList{"Suchbegriffe"});
    ansi += "M\xfcller\r\n\r\n";
    ansi += "Datei\tDatensatz\tSuchbegriff\r\n\r\n";
    ansi +=
        "gr\xf6\xdf"
        "e.dbf\t1\t\x80 M\xfcller\r\n";
    QTest::newRow("Windows-1252") << QStringList{"", "Datei", "Datensatz", "Suchbegriff"}
                                  << QStringList{QStringLiteral("\tgröße.dbf\t1\t€ Müller")} << 1
                                  << QStringLiteral("Müller\r") << ansi;
}

void TestExport::reportFile() {
    QFETCH(QStringList, headings);
    QFETCH(QStringList, rows);
    QFETCH(int, layout);
    QFETCH(QString, termList);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bericht.txt"));
    results::ExportHost host;
    QString error;
    QVERIFY(
        results::writeReportFile(path, TestGrid(headings, rows), layout, termList, host, &error));
    QCOMPARE(test::readFile(path), expected);
}

void TestExport::termList_data() {
    QTest::addColumn<QString>("termList");
    QTest::addColumn<QStringList>("terms");
    QTest::newRow("each term ends in CR")
        << QStringLiteral("Meier\rBerlin\r") << QStringList{"Meier", "Berlin"};
    QTest::newRow("blanks trimmed, empty pieces skipped")
        << QStringLiteral("  Meier \r\r   \rBad Ems\r") << QStringList{"Meier", "Bad Ems"};
    QTest::newRow("text after the last CR dropped")
        << QStringLiteral("Meier\rBerlin") << QStringList{"Meier"};
    QTest::newRow("no CR at all") << QStringLiteral("Meier") << QStringList{};
    QTest::newRow("only blanks are trimmed, not tabs")
        << QStringLiteral("\tMeier\r") << QStringList{"\tMeier"};
}

void TestExport::termList() {
    QFETCH(QString, termList);
    QFETCH(QStringList, terms);
    QCOMPARE(results::termsOfTermList(termList), terms);
}

void TestExport::saveDialogNames_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("first letter capital")
        << QStringLiteral("bericht.txt") << QStringLiteral("Bericht.txt");
    QTest::newRow("one leading dot removed")
        << QStringLiteral(".liste.txt") << QStringLiteral("Liste.txt");
    QTest::newRow("only one dot removed") << QStringLiteral("..x.txt") << QStringLiteral(".x.txt");
    QTest::newRow("umlaut") << QStringLiteral("übersicht.txt") << QStringLiteral("Übersicht.txt");
    QTest::newRow("already capital")
        << QStringLiteral("Bericht.TXT") << QStringLiteral("Bericht.TXT");
    QTest::newRow("digit first") << QStringLiteral("1bericht.txt")
                                 << QStringLiteral("1bericht.txt");
}

void TestExport::saveDialogNames() {
    QFETCH(QString, typed);
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    FakeDialogs dialogs;
    dialogs.answerSaveName(dir.path() + QLatin1Char('/') + typed);
    QString name, folder, title;
    bool cancelled = true;
    results::SaveFileDialog(name, folder, QStringLiteral("Textdatei"), QStringLiteral(".TXT"),
                            title, cancelled);
    QVERIFY(!cancelled);
    QCOMPARE(name, fileName);
    QCOMPARE(folder, dir.path() + QLatin1Char('/'));
    QVERIFY(dialogs.messages().isEmpty());
}

void TestExport::saveDialogArguments() {
    FakeDialogs dialogs;
    QString name = QStringLiteral("vorschlag.txt");
    QString folder = QStringLiteral("/start/");
    QString title;
    bool cancelled = false;
    results::SaveFileDialog(name, folder, QStringLiteral("Textdatei"), QStringLiteral(".TXT"),
                            title, cancelled);
    QCOMPARE(title, QStringLiteral("Speichern einer Datei"));
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown[0].kind, QStringLiteral("save"));
    QCOMPARE(dialogs.shown[0].title, QStringLiteral("Speichern einer Datei"));
    QCOMPARE(dialogs.shown[0].text, QStringLiteral("/start/|vorschlag.txt|Textdatei (*.TXT)|.TXT"));
    // A title given is kept.
    title = QStringLiteral("Ablegen");
    results::SaveFileDialog(name, folder, QStringLiteral("Textdatei"), QStringLiteral(".TXT"),
                            title, cancelled);
    QCOMPARE(dialogs.shown.last().title, QStringLiteral("Ablegen"));
}

void TestExport::writeTest_data() {
    QTest::addColumn<QString>("relativePath");  // below a fresh temporary folder
    QTest::addColumn<bool>("leaveScratch");
    QTest::addColumn<int>("error");
    QTest::newRow("file in a writable folder") << QStringLiteral("/Bericht.txt") << false << 0;
    QTest::newRow("folder path ending in the separator") << QStringLiteral("/") << false << 0;
    QTest::newRow("leftover scratch folder") << QStringLiteral("/Bericht.txt") << true << 75;
    QTest::newRow("missing folder") << QStringLiteral("/fehlt/Bericht.txt") << false << 76;
}

void TestExport::writeTest() {
    QFETCH(QString, relativePath);
    QFETCH(bool, leaveScratch);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString scratch = results::writeTestScratchFolder(dir.path() + QLatin1Char('/'));
    QCOMPARE(QFileInfo(scratch).fileName(), QStringLiteral("ÿÿ"));
    if (leaveScratch)
        QVERIFY(QDir().mkdir(scratch));
    QCOMPARE(results::WriteTest(dir.path() + relativePath), error);
    // The test never leaves its own scratch folder behind (a leftover one stays).
    QCOMPARE(QFileInfo::exists(scratch), leaveScratch);
}

void TestExport::fileExists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("file") << QStringLiteral("a.txt") << true;
    QTest::newRow("hidden file") << QStringLiteral(".versteckt") << true;
    QTest::newRow("folder") << QStringLiteral("ordner") << false;
    QTest::newRow("missing") << QStringLiteral("fehlt.txt") << false;
    QTest::newRow("empty path") << QString() << false;
}

void TestExport::fileExists() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QVERIFY(test::writeFile(dir.filePath(QStringLiteral("a.txt")), "x"));
    QVERIFY(test::writeFile(dir.filePath(QStringLiteral(".versteckt")), "x"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ordner")));
    QCOMPARE(results::FileExists(name.isEmpty() ? QString() : dir.filePath(name)), exists);
}

void TestExport::saveReportWritesAndCloses() {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    dialogs.answerSaveName(dir.filePath(QStringLiteral("bericht.txt")));
    RecordingExportHost host;
    results::runSaveReport(layout1Grid(3), 1, QStringLiteral("Meier\r"), host);

    const QString path = dir.filePath(QStringLiteral("Bericht.txt"));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("bericht.txt"))));
    const QByteArray text = test::readFile(path);
    QVERIFY(text.endsWith("kunden.dbf\t3\tMeier\r\n"));
    QCOMPARE(text.count("kunden.dbf"), 3);
    QCOMPARE(host.statusTexts,
             (QStringList{QStringLiteral("Speichern des Ergebnisses in ") + path, QString()}));
    QCOMPARE(host.begun, 1);
    QCOMPARE(host.ended, 1);
    QCOMPARE(host.yields, 4);  // one per row from row 2 on
    QVERIFY(dialogs.messages().isEmpty());
}

void TestExport::saveReportCancelledDialog() {
    QTemporaryDir dir;
    FakeDialogs dialogs;  // the dialog is cancelled
    RecordingExportHost host;
    results::runSaveReport(layout1Grid(1), 1, QString(), host);
    QVERIFY(dialogs.messages().isEmpty());
    QCOMPARE(host.statusTexts, QStringList{QString()});  // cleared by the closing steps
    QCOMPARE(host.ended, 1);
    QCOMPARE(host.begun, 0);
}

void TestExport::saveReportWriteProtected_data() {
    QTest::addColumn<bool>("byPermissions");
    QTest::newRow("leftover scratch folder") << false;
    QTest::newRow("folder without write permission") << true;
}

void TestExport::saveReportWriteProtected() {
    QFETCH(bool, byPermissions);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ziel"));
    QVERIFY(QDir().mkdir(folder));
    if (byPermissions) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (QDir().mkdir(folder + QStringLiteral("/probe"))) {
            QDir().rmdir(folder + QStringLiteral("/probe"));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user (root)");
        }
    } else {
        QVERIFY(QDir().mkdir(results::writeTestScratchFolder(folder + QLatin1Char('/'))));
    }
    FakeDialogs dialogs;
    dialogs.answerSaveName(folder + QStringLiteral("/bericht.txt"));
    RecordingExportHost host;
    results::runSaveReport(layout1Grid(1), 1, QString(), host);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown[1].text, QStringLiteral("Das Speichermedium ist schreibgeschützt!\r\n"
                                                   "Die Datei kann nicht gespeichert werden."));
    QCOMPARE(dialogs.shown[1].title, QStringLiteral("Fehler"));
    QCOMPARE(dialogs.shown[1].icon, platform::Icon::Critical);
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Bericht.txt")));
    QCOMPARE(host.statusTexts, QStringList{QString()});
    QCOMPARE(host.ended, 1);
}

void TestExport::saveReportReplacesReadOnlyFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Bericht.txt"));
    QVERIFY(test::writeFile(path, QByteArray(5000, 'x')));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    FakeDialogs dialogs;
    dialogs.answerSaveName(path);
    RecordingExportHost host;
    results::runSaveReport(layout1Grid(1), 1, QStringLiteral("Meier\r"), host);
    QVERIFY(dialogs.messages().isEmpty());
    QVERIFY(QFileInfo(path).permissions() & QFile::WriteOwner);
    const QByteArray text = test::readFile(path);
    QVERIFY(text.startsWith("DATASIFTER\r\n"));
    QVERIFY(!text.contains('x'));  // replaced, not overwritten in place
}

void TestExport::saveReportOpenError() {
    // A folder of the chosen name: the folder is writable, the file cannot be opened.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Bericht.txt")));
    FakeDialogs dialogs;
    dialogs.answerSaveName(dir.filePath(QStringLiteral("Bericht.txt")));
    RecordingExportHost host;
    results::runSaveReport(layout1Grid(1), 1, QString(), host);
    QCOMPARE(dialogs.messages(),
             QStringList{QStringLiteral(
                 "Fehler beim Speichern der Datei:\r\nFehler beim Zugriff auf Pfad/Datei")});
    QCOMPARE(dialogs.shown.last().icon, platform::Icon::Critical);
    QCOMPARE(dialogs.shown.last().title, QString());  // the program title
    QCOMPARE(host.statusTexts.last(), QString());
    QCOMPARE(host.ended, 1);
}

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
