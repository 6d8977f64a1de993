#include "dbengine/CodePages.h"
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/io/ReadOnlyFile.h"
#include "support/TempDir.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ds::db;

class TestEngine : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void parseConnect_data();
    void parseConnect();
    void unknownIsam();
    void decodeCodePages_data();
    void decodeCodePages();
    void encodeRoundTrip();
    void resolveTableFile();
    void missingTableIs3011();
    void openErrors_data();
    void openErrors();
    void readOnlyFileShortRead();
};

void TestEngine::parseConnect_data() {
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("hasPassword");
    QTest::addColumn<QString>("password");
    QTest::newRow("access") << "" << int(Family::Access) << "" << false << "";
    QTest::newRow("access pwd") << ";PWD=geheim;" << int(Family::Access) << "" << true << "geheim";
    QTest::newRow("dbase") << "dBASE IV" << int(Family::Dbase) << "dBASE IV" << false << "";
    QTest::newRow("foxpro") << "FoxPro 2.6;PWD=x;" << int(Family::Dbase) << "FoxPro 2.6" << true
                            << "x";
    QTest::newRow("paradox") << "Paradox 7.X;PWD=;" << int(Family::Paradox) << "Paradox 7.X" << true
                             << "";
    QTest::newRow("excel 7 opens as 5")
        << "Excel 5.0" << int(Family::Excel) << "Excel 5.0" << false << "";
    QTest::newRow("pwd with equals")
        << "Excel 8.0;PWD=a=b;" << int(Family::Excel) << "Excel 8.0" << true << "a=b";
}

void TestEngine::parseConnect() {
    QFETCH(QString, connect);
    QFETCH(int, family);
    QFETCH(QString, format);
    QFETCH(bool, hasPassword);
    QFETCH(QString, password);
    const ConnectInfo info = ds::db::parseConnect(connect);
    QCOMPARE(int(info.family), family);
    QCOMPARE(info.formatName, format);
    QCOMPARE(info.password.has_value(), hasPassword);
    if (hasPassword)
        QCOMPARE(*info.password, password);
}

void TestEngine::unknownIsam() {
    try {
        ds::db::parseConnect(QStringLiteral("Lotus WK3"));
        QFAIL("no error");
    } catch (const EngineError& e) {
        QCOMPARE(e.number(), err::IsamNotFound);
        QVERIFY(e.message().contains(QStringLiteral("Lotus WK3")));
    }
}

void TestEngine::decodeCodePages_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::newRow("850 umlauts") << QByteArray("M\x81ller \x8E\x99\x9A\xE1") << 850
                                 << QStringLiteral("Müller ÄÖÜß");
    QTest::newRow("437 umlauts") << QByteArray("\x84\x94\x81") << 437 << QStringLiteral("äöü");
    QTest::newRow("1252 euro") << QByteArray("\x80 \xE4") << 1252 << QStringLiteral("€ ä");
    QTest::newRow("1252 undefined keeps byte")
        << QByteArray("\x81") << 1252 << QString(QChar(0x81));
    QTest::newRow("utf8") << QByteArray("Gr\xC3\xBC\xC3\x9F") << int(cp::Utf8)
                          << QStringLiteral("Grüß");
    QTest::newRow("utf16") << QByteArray("M\0\xFC\0", 4) << int(cp::Utf16LE)
                           << QStringLiteral("Mü");
    QTest::newRow("866 cyrillic") << QByteArray("\x80\xA0") << 866 << QStringLiteral("Аа");
    QTest::newRow("gbk") << QByteArray("\xB2\xE2\xCA\xD4") << 936 << QStringLiteral("测试");
}

void TestEngine::decodeCodePages() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QCOMPARE(decodeText(bytes.constData(), std::size_t(bytes.size()), codePage), text);
}

void TestEngine::encodeRoundTrip() {
    bool ok = false;
    const QByteArray b = encodeText(QStringLiteral("Müller"), 850, &ok);
    QVERIFY(ok);
    QCOMPARE(b, QByteArray("M\x81ller"));
    encodeText(QStringLiteral("€"), 850, &ok);
    QVERIFY(!ok);
}

void TestEngine::resolveTableFile() {
    QTemporaryDir dir;
    QVERIFY(ds::test::writeFile(dir.filePath(QStringLiteral("KUNDEN.DBF")), "x"));
    QVERIFY(ds::test::writeFile(dir.filePath(QStringLiteral("kunden.DBT")), "x"));
    const QString expected = dir.filePath(QStringLiteral("KUNDEN.DBF"));
    QCOMPARE(
        ds::db::resolveTableFile(dir.path(), QStringLiteral("KUNDEN.DBF"), QStringLiteral(".dbf")),
        expected);
    QCOMPARE(ds::db::resolveTableFile(dir.path(), QStringLiteral("kunden"), QStringLiteral(".dbf")),
             expected);
    QCOMPARE(findCompanionFile(expected, QStringLiteral(".dbt")),
             dir.filePath(QStringLiteral("kunden.DBT")));
    QVERIFY(findCompanionFile(expected, QStringLiteral(".fpt")).isEmpty());
}

void TestEngine::missingTableIs3011() {
    QTemporaryDir dir;
    try {
        ds::db::resolveTableFile(dir.path(), QStringLiteral("fehlt"), QStringLiteral(".dbf"));
        QFAIL("no error");
    } catch (const EngineError& e) {
        QCOMPARE(e.number(), err::ObjectNotFound);
    }
}

void TestEngine::openErrors_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("number");
    QTest::newRow("missing mdb") << "missing.mdb"
                                 << "" << err::FileNotFound;
    QTest::newRow("folder as mdb") << "sub"
                                   << "" << err::CannotOpenFile;
    QTest::newRow("missing folder for dbase") << "nofolder"
                                              << "dBASE III" << err::InvalidPath;
    QTest::newRow("file as folder for paradox") << "plain.txt"
                                                << "Paradox 4.X" << err::InvalidPath;
}

void TestEngine::openErrors() {
    QFETCH(QString, what);
    QFETCH(QString, connect);
    QFETCH(int, number);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QVERIFY(ds::test::writeFile(dir.filePath(QStringLiteral("plain.txt")), "x"));
    Workspace ws;
    try {
        ws.openDatabase(dir.filePath(what), false, true, connect);
        QFAIL("no error");
    } catch (const EngineError& e) {
        QCOMPARE(e.number(), number);
    }
}

void TestEngine::readOnlyFileShortRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.bin"));
    QVERIFY(ds::test::writeFile(path, "12345"));
    ReadOnlyFile f;
    QVERIFY(f.open(path.toStdString()));
    QCOMPARE(f.size(), 5u);
    char buf[8] = {};
    QCOMPARE(f.readAt(3, buf, 8), std::size_t(2));
    QCOMPARE(QByteArray(buf, 2), QByteArray("45"));
    QVERIFY_THROWS_EXCEPTION(EngineError, f.readExactly(2, buf, 8));
    ReadOnlyFile missing;
    QVERIFY(!missing.open(dir.filePath(QStringLiteral("none")).toStdString()));
    QCOMPARE(missing.lastError(), err::FileNotFound);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
