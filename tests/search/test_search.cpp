#include "common/Val.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"
#include "search/SearchRun.h"
#include "search/SearchTerms.h"
#include "search/TermMatcher.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

using namespace ds;
using namespace ds::search;
using ds::test::RecordingHost;

namespace {

void touch(const QString& path) {
    QVERIFY(ds::test::writeFile(path, "x"));
}

RecordingHost fileSearchHost(const QString& folder) {
    RecordingHost h;
    h.c.textSearch = false;
    h.c.modeCaption = QStringLiteral("&Dateiensuche");
    h.c.formatIndex = 2;
    h.c.pathChoice = SearchCriteria::PathChoice::Folder;
    h.c.folder = folder;
    h.c.fileInfo = false;
    return h;
}

}  // namespace

class TestWalk : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { platform::setPathStyle(platform::PathStyle::Posix); }
    void splitTerms_data();
    void splitTerms();
    void fileTypes_data();
    void fileTypes();
    void bytePattern_data();
    void bytePattern();
    void visitingOrder();
    void layouts_data();
    void layouts();
    void subfoldersOff();
    void emptyFolderGivesNothing();
    void fileInfoText();
    void capacityStopsAtLastFittingRow();
    void stopWhileCollecting();
    void stopWhileVisiting();
    void nothingFound();
    void missingStartPath();
    void noTermsMessage();
    void allDrivesLoop();
    void symlinkLoopNotFollowed();
};

void TestWalk::splitTerms_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("exclude");
    QTest::addColumn<QStringList>("terms");
    QTest::newRow("longer first keeps only it")
        << "Meierhof\r\nMeier" << false << "" << QStringList{"Meierhof"};
    QTest::newRow("shorter first keeps both")
        << "Meier\r\nMeierhof" << false << "" << QStringList{"Meier", "Meierhof"};
    QTest::newRow("case matters") << "Müller\r\nmüller" << true << ""
                                  << QStringList{"Müller", "müller"};
    QTest::newRow("case ignored") << "Müller\r\nmüller" << false << "" << QStringList{"Müller"};
    QTest::newRow("blank lines and blanks") << "  \r\n Karl Meier \r\n\r\n  Berlin" << false << ""
                                            << QStringList{"Karl Meier", "Berlin"};
    QTest::newRow("exclusion line dropped")
        << "Meier\r\nGmbH\r\nBerlin" << false << "gmbh" << QStringList{"Meier", "Berlin"};
    QTest::newRow("exclusion exact with case")
        << "Meier\r\nGmbH" << true << "gmbh" << QStringList{"Meier", "GmbH"};
    QTest::newRow("tab is not a blank") << "\tx" << false << "" << QStringList{"\tx"};
    QTest::newRow("only blanks") << "   \r\n   " << false << "" << QStringList{};
}

void TestWalk::splitTerms() {
    QFETCH(QString, box);
    QFETCH(bool, matchCase);
    QFETCH(QString, exclude);
    QFETCH(QStringList, terms);
    const SplitTerms s = splitSearchTerms(trimBlanks(box) + QStringLiteral("\r\n"),
                                          !exclude.isEmpty(), exclude, matchCase);
    QCOMPARE(s.terms, terms);
    QCOMPARE(s.termList, terms.isEmpty() ? QString() : terms.join(QLatin1Char('\r')) + '\r');
}

void TestWalk::fileTypes_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<bool>("several");
    QTest::newRow("access") << 1 << " MS Access (*.MDB)"
                            << "*.MDB"
                            << "" << true;
    QTest::newRow("dbase iii") << 2 << " dBASE III (*.DBF)"
                               << "*.DBF"
                               << "dBASE III" << false;
    QTest::newRow("foxpro 3") << 8 << " FoxPro 3.0 (*.DBF)"
                              << "*.DBF"
                              << "FoxPro 3.0" << false;
    QTest::newRow("paradox 7") << 12 << " Paradox 7.X (*.DB)"
                               << "*.DB"
                               << "Paradox 7.X" << false;
    QTest::newRow("excel 7 opens as 5") << 16 << " Excel 7.0 (*.XLS)"
                                        << "*.XLS"
                                        << "Excel 5.0" << true;
    QTest::newRow("excel 8") << 17 << " Excel 8.0 (*.XLS)"
                             << "*.XLS"
                             << "Excel 8.0" << true;
    QTest::newRow("outside") << 18 << ""
                             << "*"
                             << "" << false;
    QTest::newRow("zero") << 0 << ""
                          << "*"
                          << "" << false;
}

void TestWalk::fileTypes() {
    QFETCH(int, number);
    QFETCH(QString, entry);
    QFETCH(QString, pattern);
    QFETCH(QString, connect);
    QFETCH(bool, several);
    QCOMPARE(fileTypeListEntry(number), entry);
    QCOMPARE(fileTypePattern(number), pattern);
    QCOMPARE(fileTypeConnect(number), connect);
    QCOMPARE(hasSeveralTables(number), several);
}

void TestWalk::bytePattern_data() {
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::newRow("850 umlaut any case") << "Müller" << 850 << false << "HERR MÜLLER, BONN" << true;
    QTest::newRow("850 lower finds upper") << "müller" << 850 << false << "MÜLLER" << true;
    QTest::newRow("850 case kept") << "Müller" << 850 << true << "MÜLLER" << false;
    QTest::newRow("1252 sharp s") << "straße" << 1252 << false << "Hauptstraße 5" << true;
    QTest::newRow("1252 accented e") << "josé" << 1252 << false << "JOSÉ" << true;
    QTest::newRow("euro absent in 850") << "€" << 850 << false << "100 EUR" << false;
    QTest::newRow("at the very end") << "bonn" << 437 << false << "in Bonn" << true;
    QTest::newRow("at the very start") << "in" << 437 << false << "In Bonn" << true;
    QTest::newRow("longer than text") << "Meierhof" << 1252 << false << "Meier" << false;
    QTest::newRow("overlapping prefix") << "aab" << 1252 << false << "aaab" << true;
    QTest::newRow("866 cyrillic") << "банк" << 866 << false << "БАНК ВТБ" << true;
}

void TestWalk::bytePattern() {
    QFETCH(QString, term);
    QFETCH(int, codePage);
    QFETCH(bool, matchCase);
    QFETCH(QString, text);
    QFETCH(bool, found);
    const QByteArray bytes = db::encodeText(text, codePage);
    const auto p = BytePattern::compile(term, codePage, matchCase);
    const bool hit = p && p->foundIn(bytes.constData(), std::size_t(bytes.size()));
    QCOMPARE(hit, found);
    // The decoded path must agree with the byte path.
    TermMatcher m({term}, matchCase, std::nullopt);
    m.beginRecord();
    const QByteArray utf8 = text.toUtf8();
    m.addField(db::TextRef::of(utf8.constData(), std::size_t(utf8.size()), db::cp::Utf8));
    QCOMPARE(m.termFound(0), found);
}

void TestWalk::visitingOrder() {
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath(QStringLiteral("b"));
    QDir(root).mkpath(QStringLiteral("a/x"));
    for (const char* f : {"top.dbf", "b/b.dbf", "a/a.dbf", "a/x/x.DBF"})
        touch(root + '/' + f);
    RecordingHost h = fileSearchHost(root);
    h.c.fullNames = true;
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, (QStringList{"\t" + root + "/top.dbf", "\t" + root + "/a/a.dbf",
                                  "\t" + root + "/a/x/x.DBF", "\t" + root + "/b/b.dbf"}));
    QCOMPARE(run.HitCount, 4);
    QCOMPARE(h.searchFolders, QStringList{root});
    QVERIFY(h.calls.contains(QStringLiteral("prepare:3")));
}

void TestWalk::layouts_data() {
    QTest::addColumn<bool>("fullNames");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("apart: headings, empty row before later ones")
        << false << QStringList{"»\t%1", "\tk.dbf", "", "»\t%1/sub", "\tl.dbf", "\tM.DBF"};
    QTest::newRow("full names: no headings")
        << true << QStringList{"\t%1/k.dbf", "\t%1/sub/l.dbf", "\t%1/sub/M.DBF"};
}

void TestWalk::layouts() {
    QFETCH(bool, fullNames);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    QDir(dir.path()).mkpath(QStringLiteral("empty"));
    for (const char* f : {"k.dbf", "notes.txt", "sub/M.DBF", "sub/l.dbf", "empty/x.db"})
        touch(dir.filePath(QString::fromLatin1(f)));
    RecordingHost h = fileSearchHost(dir.path());
    h.c.fullNames = fullNames;
    SearchRun run(h);
    run.RunSearch();
    for (QString& e : expected)
        e.replace(QStringLiteral("%1"), dir.path());
    QCOMPARE(h.rows, expected);
    QCOMPARE(h.table.columnCount(), 2);
    QCOMPARE(h.table.cellText(0, 1), QStringLiteral("Datei"));
}

void TestWalk::subfoldersOff() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("sub"));
    touch(dir.filePath(QStringLiteral("a.dbf")));
    touch(dir.filePath(QStringLiteral("sub/b.dbf")));
    RecordingHost h = fileSearchHost(dir.path());
    h.c.includeSubfolders = false;
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, (QStringList{"»\t" + dir.path(), "\ta.dbf"}));
}

void TestWalk::emptyFolderGivesNothing() {
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.txt")));
    RecordingHost h = fileSearchHost(dir.path());
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, QStringList{"\tKeine Datei gefunden!"});
}

void TestWalk::fileInfoText() {
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.dbf"));
    const QString hidden = dir.filePath(QStringLiteral(".hidden.dbf"));
    QVERIFY(ds::test::writeFile(plain, "12345"));
    QVERIFY(ds::test::writeFile(hidden, ""));
    const QDateTime midnight(QDate(1999, 12, 31), QTime(0, 0));
    struct utimbuf times {};
    times.actime = times.modtime = time_t(midnight.toSecsSinceEpoch());
    QVERIFY(::utime(QFile::encodeName(plain).constData(), &times) == 0);
    QCOMPARE(SearchRun::FileInfoText(plain), QStringLiteral("\t5\t31.12.1999\t00:00\t____"));
    QFile::setPermissions(plain, QFile::ReadOwner);
    QVERIFY(SearchRun::FileInfoText(plain).endsWith(QStringLiteral("\t_R__")));
    QVERIFY(SearchRun::FileInfoText(hidden).endsWith(QStringLiteral("\t__H_")));
    QCOMPARE(SearchRun::FileSizeText(plain), QStringLiteral("5"));
}

void TestWalk::capacityStopsAtLastFittingRow() {
    QTemporaryDir dir;
    // 10 names of 9 characters after the heading "»\t" + path: exactly 4 fit.
    for (int i = 0; i < 10; ++i)
        touch(dir.filePath(QStringLiteral("file%1.dbf").arg(i)));
    const int heading = 2 + int(dir.path().size());
    RecordingHost h = fileSearchHost(dir.path());
    SearchRun run(h);
    run.capacity = heading + 4 * 9 + 8;
    run.RunSearch();
    QCOMPARE(h.rows.size(), 1 + 4);
    QCOMPARE(h.rows.last(), QStringLiteral("\tfile3.dbf"));
    QCOMPARE(h.messages, QStringList{"Abbruch! Zu viele Fundstellen!"});
    QVERIFY(!run.ResultTableFull);
    // The whole folder counts as hits although only 4 rows were shown.
    QCOMPARE(run.HitCount, 10);
    // A second run starts clean.
    run.capacity = SearchRun::kDefaultCapacity;
    h.messages.clear();
    run.RunSearch();
    QCOMPARE(h.rows.size(), 11);
    QVERIFY(h.messages.isEmpty());
}

void TestWalk::stopWhileCollecting() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("a/b"));
    touch(dir.filePath(QStringLiteral("a/b/x.dbf")));
    touch(dir.filePath(QStringLiteral("y.dbf")));
    RecordingHost h = fileSearchHost(dir.path());
    h.onYield = [](RecordingHost& host) { host.stop = true; };  // the first yield is collecting
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, QStringList{"\tSuchvorgang abgebrochen..."});
    QVERIFY(h.calls.contains(QStringLiteral("unlock")));
    QVERIFY(!h.stop);
}

void TestWalk::stopWhileVisiting() {
    QTemporaryDir dir;
    for (const char* f : {"a.dbf", "b.dbf", "c.dbf"})
        touch(dir.filePath(QString::fromLatin1(f)));
    RecordingHost h = fileSearchHost(dir.path());
    h.c.includeSubfolders = false;
    h.onYield = [](RecordingHost& host) {
        if (host.rows.size() == 3)
            host.stop = true;
    };
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, (QStringList{"»\t" + dir.path(), "\ta.dbf", "\tb.dbf",
                                  "\tSuchvorgang abgebrochen..."}));
}

void TestWalk::nothingFound() {
    QTemporaryDir dir;
    RecordingHost h = fileSearchHost(dir.path());
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, QStringList{"\tKeine Datei gefunden!"});
    const int lock = int(h.calls.indexOf(QStringLiteral("lock")));
    const int unlock = int(h.calls.indexOf(QStringLiteral("unlock")));
    QVERIFY(lock >= 0 && unlock > lock);
    QCOMPARE(h.calls.last(), QStringLiteral("show"));
}

void TestWalk::missingStartPath() {
    QTemporaryDir dir;
    RecordingHost h = fileSearchHost(dir.filePath(QStringLiteral("gone")));
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.rows, (QStringList{"\tFehler! Ungültiger Dateityp", "\tKeine Datei gefunden!"}));
}

void TestWalk::noTermsMessage() {
    RecordingHost h;
    h.c.textSearch = true;
    h.c.modeCaption = QStringLiteral("&Textrecherche");
    h.c.termsText = QStringLiteral("   \r\n  ");
    SearchRun run(h);
    run.RunSearch();
    QCOMPARE(h.messages, QStringList{"Es wurde kein Suchbegriff eingegeben!"});
    QCOMPARE(h.calls, (QStringList{"status: ", "discard"}));
}

void TestWalk::allDrivesLoop() {
    QTemporaryDir dir;
    for (const char* d : {"c", "d", "e", "f"}) {
        QDir(dir.path()).mkpath(QString::fromLatin1(d));
        touch(dir.path() + '/' + d + "/" + d + ".dbf");
    }
    RecordingHost h = fileSearchHost(QString());
    h.c.pathChoice = SearchCriteria::PathChoice::AllDrives;
    h.c.fullNames = true;
    h.c.excludedDrives = dir.path() + QStringLiteral("/d");
    SearchRun run(h);
    run.listDrives = [&] {
        QList<platform::DriveInfo> drives;
        for (const char* d : {"c", "d", "e", "f"}) {
            platform::DriveInfo info;
            info.spec = dir.path() + '/' + d;
            info.fixed = d[0] != 'e';  // e is removable
            drives << info;
        }
        return drives;
    };
    run.RunSearch();
    QCOMPARE(h.rows, (QStringList{"\t" + dir.path() + "/c/c.dbf", "\t" + dir.path() + "/f/f.dbf"}));
}

void TestWalk::symlinkLoopNotFollowed() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("a"));
    touch(dir.filePath(QStringLiteral("a/x.dbf")));
    QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("a/loop"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("a/x.dbf")),
                        dir.filePath(QStringLiteral("a/link.dbf"))));
    RecordingHost h = fileSearchHost(dir.path());
    h.c.fullNames = true;
    SearchRun run(h);
    run.RunSearch();
    // The folder link is not walked; a link to a file counts as a file.
    QCOMPARE(h.rows,
             (QStringList{"\t" + dir.path() + "/a/link.dbf", "\t" + dir.path() + "/a/x.dbf"}));
}

int runWalkTests(int argc, char** argv) {
    TestWalk t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_search.moc"
