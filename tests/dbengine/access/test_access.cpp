#include "AccessFixture.h"

#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace ds::db;
using ds::test::engineErrorOf;
using ds::test::FixtureTable;
using ds::test::Jet4Writer;

namespace {

std::unique_ptr<Database> openMdb(const QString& path, const QString& connect = {}) {
    return Workspace().openDatabase(path, false, true, connect);
}

// Reads every table, record and value as the content search and the viewer do.
void readEverything(Database& database) {
    for (const TableDef& def : database.tableDefs()) {
        if (def.attributes & 0x40000000)
            continue;  // linked: lives elsewhere
        auto rs = database.openRecordset(def.name);
        rs->moveLast();
        const auto count = rs->recordCount();
        rs->moveFirst();
        for (std::int64_t r = 0; r < count && !rs->eof(); ++r, rs->moveNext()) {
            for (int i = 0; i < rs->fieldCount(); ++i) {
                rs->value(i);
                if (isSearchableType(rs->fieldInfo(i).type))
                    rs->text(i);
            }
        }
    }
}

QString toolPath(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QByteArray runTool(const char* name, const QStringList& args, QByteArray* errors = nullptr) {
    QProcess p;
    p.start(toolPath(name), args);
    p.waitForFinished(60000);
    if (errors)
        *errors = p.readAllStandardError();
    return p.readAllStandardOutput();
}

}  // namespace

class TestAccess : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();

    void mdbtoolsReadWriterOutput_data();
    void mdbtoolsReadWriterOutput();
    void tableDefsInCatalogOrder();
    void fieldsAndValues_data();
    void fieldsAndValues();
    void textIsUtf8AndNullAware();
    void navigationAndCount();
    void emptyTableIsEofWithoutErrors();
    void storageVariantsReadAlike_data();
    void storageVariantsReadAlike();
    void password_data();
    void password();

    void corpus_data();
    void corpus();

    void damagedInput_data();
    void damagedInput();
    void fileUnchangedAfterReading();

  private:
    QString writeFixture(const QString& name, const std::function<void(Jet4Writer&)>& tune = {});
    QTemporaryDir dir_;
    std::vector<FixtureTable> tables_;
    QString fixture_;
};

QString TestAccess::writeFixture(const QString& name,
                                 const std::function<void(Jet4Writer&)>& tune) {
    Jet4Writer writer = ds::test::fixtureWriter(tables_);
    if (tune)
        tune(writer);
    const QString path = dir_.filePath(name);
    if (!writer.writeTo(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestAccess::initTestCase() {
    QVERIFY(dir_.isValid());
    tables_ = ds::test::fixtureTables();
    fixture_ = writeFixture(QStringLiteral("fixture.mdb"));
}

// mdbtools reads the writer's files exactly: a writer bug cannot hide a reader bug.
void TestAccess::mdbtoolsReadWriterOutput_data() {
    QTest::addColumn<int>("table");
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (tables_[i].flags == 0 && !tables_[i].linked)
            QTest::newRow(qPrintable(tables_[i].name)) << static_cast<int>(i);
    }
}

void TestAccess::mdbtoolsReadWriterOutput() {
    if (toolPath("mdb-export").isEmpty() || toolPath("mdb-tables").isEmpty())
        QSKIP("mdbtools are not installed");
    QFETCH(int, table);
    const FixtureTable& t = tables_[static_cast<std::size_t>(table)];
    QCOMPARE(runTool("mdb-ver", {fixture_}).trimmed(), QByteArray("JET4"));

    // mdb-tables lists tables without the system flags, hidden ones included.
    QByteArrayList userTables;
    for (const FixtureTable& other : tables_) {
        if (!other.linked && !(other.flags & Jet4Writer::SystemFlags))
            userTables << other.name.toUtf8();
    }
    QCOMPARE(runTool("mdb-tables", {QStringLiteral("-1"), fixture_}), userTables.join('\n') + '\n');

    QByteArray errors;
    const QByteArray csv = runTool(
        "mdb-export", {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"), fixture_, t.name},
        &errors);
    QCOMPARE(csv, ds::test::expectedExport(t));
    QCOMPARE(errors, QByteArray());
}

void TestAccess::tableDefsInCatalogOrder() {
    auto db = openMdb(fixture_);
    const std::vector<TableDef> defs = db->tableDefs();
    QCOMPARE(defs.size(), tables_.size() + 1);
    QCOMPARE(defs[0].name, QStringLiteral("MSysObjects"));
    QVERIFY(defs[0].attributes != 0);
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        const FixtureTable& t = tables_[i];
        QCOMPARE(defs[i + 1].name, t.name);
        const bool ordinary = t.flags == 0 && !t.linked;
        QCOMPARE(defs[i + 1].attributes == 0, ordinary);
    }
}

void TestAccess::fieldsAndValues_data() {
    QTest::addColumn<int>("table");
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (!tables_[i].linked)
            QTest::newRow(qPrintable(tables_[i].name)) << static_cast<int>(i);
    }
}

void TestAccess::fieldsAndValues() {
    QFETCH(int, table);
    const FixtureTable& t = tables_[static_cast<std::size_t>(table)];
    auto db = openMdb(fixture_);
    auto rs = db->openRecordset(t.name.toUpper());  // names are found regardless of case
    QCOMPARE(rs->fieldCount(), static_cast<int>(t.columns.size()));
    for (int i = 0; i < rs->fieldCount(); ++i) {
        const Jet4Writer::Column& c = t.columns[static_cast<std::size_t>(i)];
        QCOMPARE(rs->fieldInfo(i).name, c.name);
        QCOMPARE(rs->fieldInfo(i).type, c.type);
        static const QMap<int, int> widths{
            {type::Boolean, 1}, {type::Byte, 1},   {type::Integer, 2},
            {type::Long, 4},    {type::Single, 4}, {type::Currency, 8},
            {type::Double, 8},  {type::Date, 8},   {type::Memo, 0}};
        QCOMPARE(rs->fieldInfo(i).size, c.type == type::Text ? c.textLength : widths.value(c.type));
    }
    QCOMPARE(rs->recordCount(), static_cast<std::int64_t>(t.rows.size()));
    for (const QVariantList& expected : t.rows) {
        QVERIFY(!rs->eof());
        for (int i = 0; i < rs->fieldCount(); ++i) {
            const QVariant want = expected.value(i);
            const QVariant got = rs->value(i);
            const int type = t.columns[static_cast<std::size_t>(i)].type;
            if (type == type::Boolean)
                QCOMPARE(got, QVariant(want.toBool()));
            else if (want.isNull())
                QVERIFY2(got.isNull(), qPrintable(t.columns[static_cast<std::size_t>(i)].name));
            else if (type == type::Single)
                QCOMPARE(got.toFloat(), want.toFloat());
            else
                QCOMPARE(got, want);
        }
        rs->moveNext();
    }
    QVERIFY(rs->eof());
}

void TestAccess::textIsUtf8AndNullAware() {
    auto db = openMdb(fixture_);
    auto rs = db->openRecordset(QStringLiteral("Kunden"));
    const TextRef name = rs->text(1);
    QCOMPARE(name.codePage, cp::Utf8);
    QCOMPARE(QByteArray(name.data, static_cast<qsizetype>(name.size)),
             QStringLiteral("Müller").toUtf8());
    QVERIFY(rs->text(0).isNull);  // not a text field
    rs->moveNext();
    QVERIFY(rs->text(1).isNull);
    QCOMPARE(rs->text(2).size, std::size_t{1500});
    rs->moveNext();
    const TextRef chained = rs->text(2);
    QVERIFY(QByteArray(chained.data, static_cast<qsizetype>(chained.size)).endsWith(" Ende"));
}

void TestAccess::navigationAndCount() {
    auto db = openMdb(fixture_);
    auto rs = db->openRecordset(QStringLiteral("Viele"));
    QCOMPARE(rs->value(0), QVariant(1));
    rs->moveLast();
    QCOMPARE(rs->recordCount(), std::int64_t{3000});
    QCOMPARE(rs->value(0), QVariant(3000));
    rs->moveNext();
    QVERIFY(rs->eof());
    QCOMPARE(engineErrorOf([&] { rs->value(0); }), err::NoCurrentRecord);
    rs->moveNext();  // past the end again: no error
    rs->moveFirst();
    QCOMPARE(rs->value(1).toString(), QStringLiteral("Datensatz 1 Ärger"));
    // Counting from the middle leaves the position where it was.
    for (int i = 0; i < 1234; ++i)
        rs->moveNext();
    auto fresh = db->openRecordset(QStringLiteral("Viele"));
    for (int i = 0; i < 1234; ++i)
        fresh->moveNext();
    QCOMPARE(fresh->recordCount(), std::int64_t{3000});
    QCOMPARE(fresh->value(0), QVariant(1235));
    QCOMPARE(rs->value(0), QVariant(1235));  // two recordsets do not disturb each other
}

void TestAccess::emptyTableIsEofWithoutErrors() {
    auto db = openMdb(fixture_);
    auto rs = db->openRecordset(QStringLiteral("Leer"));
    QVERIFY(rs->eof());
    rs->moveLast();
    rs->moveFirst();
    rs->moveNext();
    QVERIFY(rs->eof());
    QCOMPARE(rs->recordCount(), std::int64_t{0});
    QCOMPARE(engineErrorOf([&] { rs->text(0); }), err::NoCurrentRecord);
    QCOMPARE(engineErrorOf([&] { db->openRecordset(QStringLiteral("Fehlt")); }),
             err::ObjectNotFound);
    QCOMPARE(engineErrorOf([&] { db->openRecordset(QStringLiteral("Verknüpft")); }),
             err::CannotOpenFile);
}

// Text compression and RC4 page encoding change every stored byte, not a single value.
void TestAccess::storageVariantsReadAlike_data() {
    QTest::addColumn<bool>("compress");
    QTest::addColumn<uint>("pageKey");
    QTest::newRow("plain UCS-2") << false << 0u;
    QTest::newRow("RC4-encoded pages") << true << 0x5A17C0DEu;
    QTest::newRow("both") << false << 0x00000001u;
}

void TestAccess::storageVariantsReadAlike() {
    QFETCH(bool, compress);
    QFETCH(uint, pageKey);
    const QString path = writeFixture(QStringLiteral("variant.mdb"), [&](Jet4Writer& w) {
        w.setCompressText(compress);
        w.setPageEncodingKey(pageKey);
    });
    auto reference = openMdb(fixture_);
    auto variant = openMdb(path);
    for (const QString& name : {QStringLiteral("Kunden"), QStringLiteral("Viele")}) {
        auto a = reference->openRecordset(name);
        auto b = variant->openRecordset(name);
        QCOMPARE(b->recordCount(), a->recordCount());
        for (; !a->eof(); a->moveNext(), b->moveNext()) {
            for (int i = 0; i < a->fieldCount(); ++i)
                QCOMPARE(b->value(i), a->value(i));
        }
    }
}

void TestAccess::password_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("error");
    QTest::newRow("none stored, none given") << QString() << QString() << 0;
    QTest::newRow("none stored, one given") << QString() << QStringLiteral(";PWD=egal;") << 0;
    QTest::newRow("missing") << QStringLiteral("Geheim!42") << QString() << err::NotAPassword;
    QTest::newRow("empty") << QStringLiteral("Geheim!42") << QStringLiteral(";PWD=;")
                           << err::NotAPassword;
    QTest::newRow("wrong") << QStringLiteral("Geheim!42") << QStringLiteral(";PWD=Geheim!43;")
                           << err::NotAPassword;
    QTest::newRow("other case") << QStringLiteral("Geheim!42") << QStringLiteral(";PWD=geheim!42;")
                                << err::NotAPassword;
    QTest::newRow("right") << QStringLiteral("Geheim!42") << QStringLiteral(";PWD=Geheim!42;") << 0;
    QTest::newRow("twenty characters, umlauts")
        << QStringLiteral("ÄÖÜäöüß1234567890abc") << QStringLiteral(";PWD=ÄÖÜäöüß1234567890abc;")
        << 0;
}

void TestAccess::password() {
    QFETCH(QString, stored);
    QFETCH(QString, connect);
    QFETCH(int, error);
    const QString path = writeFixture(QStringLiteral("password.mdb"), [&](Jet4Writer& w) {
        w.setPassword(stored);
        w.setCreationDate(45000.75);  // another mask
    });
    std::unique_ptr<Database> db;
    QCOMPARE(engineErrorOf([&] { db = openMdb(path, connect); }), error);
    if (db)
        QCOMPARE(db->openRecordset(QStringLiteral("Kunden"))->recordCount(), std::int64_t{5});
}

namespace {

struct ManifestRow {
    QString path, password, tables, samples, notes;
};

QList<ManifestRow> accessManifest() {
    QList<ManifestRow> rows;
    for (const ds::test::ManifestEntry& e : ds::test::corpusManifest(QStringLiteral("access/")))
        rows.append({e.path, e.password, e.tables, e.textSamples, e.notes});
    return rows;
}

// The text of every Text and Memo field of the current record.
QStringList recordTexts(Recordset& rs) {
    QStringList texts;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        if (isSearchableType(rs.fieldInfo(i).type))
            texts << rs.text(i).toString();
    }
    return texts;
}

}  // namespace

void TestAccess::corpus_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("tables");
    QTest::addColumn<QString>("samples");
    QTest::addColumn<QString>("notes");
    const QString corpus = ds::test::sharedCorpusDir();
    if (corpus.isEmpty()) {
        QTest::newRow("no corpus") << QString() << QString() << QString() << QString() << QString();
        return;
    }
    QSet<QString> seen;
    for (const ManifestRow& row : accessManifest()) {
        if (seen.contains(row.path))
            continue;
        seen.insert(row.path);
        QTest::newRow(qPrintable(row.path)) << corpus + QLatin1Char('/') + row.path << row.password
                                            << row.tables << row.samples << row.notes;
    }
}

void TestAccess::corpus() {
    QFETCH(QString, file);
    QFETCH(QString, password);
    QFETCH(QString, tables);
    QFETCH(QString, samples);
    QFETCH(QString, notes);
    if (file.isEmpty())
        QSKIP("shared corpus not present");

    QString connect;
    if (password != QLatin1String("none")) {
        QCOMPARE(engineErrorOf([&] { openMdb(file); }), err::NotAPassword);
        QCOMPARE(engineErrorOf([&] {
                     openMdb(file, QStringLiteral(";PWD=") + password + QStringLiteral("x;"));
                 }),
                 err::NotAPassword);
        QCOMPARE(engineErrorOf([&] {
                     openMdb(file, QStringLiteral(";PWD=") + password.toUpper() + QLatin1Char(';'));
                 }),
                 err::NotAPassword);
        connect = QStringLiteral(";PWD=") + password + QLatin1Char(';');
    }
    auto db = openMdb(file, connect);

    QStringList expectedNames;
    QList<std::int64_t> expectedCounts;
    if (tables != QLatin1String("(no user tables)")) {
        for (const QString& entry : tables.split(QLatin1Char(';'))) {
            const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
            expectedNames << entry.left(colon);
            expectedCounts << entry.mid(colon + 1).toLongLong();
        }
    }
    QStringList userTables;
    for (const TableDef& def : db->tableDefs()) {
        if (def.attributes == 0)
            userTables << def.name;
    }
    QCOMPARE(userTables, expectedNames);
    for (qsizetype i = 0; i < expectedNames.size(); ++i) {
        auto rs = db->openRecordset(expectedNames[i]);
        rs->moveLast();
        QCOMPARE(rs->recordCount(), expectedCounts[i]);
    }

    static const QRegularExpression samplePattern(QStringLiteral("^(.*?)#(\\d+)=(.*)$"));
    for (const QString& sample : samples.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = samplePattern.match(sample);
        QVERIFY2(m.hasMatch(), qPrintable(sample));
        QString text = m.captured(3);
        if (notes.contains(QLatin1String("written in GBK"))) {
            // Jet 3 text is read in the code page of the file header (1252 here), as libmdb
            // reads it. This file was written in GBK, so its text comes out as the 1252
            // reading of the GBK bytes; neither libmdb nor this reader can tell.
            text = decodeText(encodeText(text, 936).constData(), encodeText(text, 936).size(),
                              cp::Windows1252);
        }
        auto rs = db->openRecordset(m.captured(1));
        for (int r = 1; r < m.captured(2).toInt(); ++r)
            rs->moveNext();
        const QStringList texts = recordTexts(*rs);
        QVERIFY2(std::any_of(texts.begin(), texts.end(),
                             [&](const QString& t) { return t.contains(text); }),
                 qPrintable(sample + QStringLiteral(" not in ") + texts.join(QLatin1Char('|'))));
    }
    readEverything(*db);  // system tables too: nothing in them may trip the reader
}

void TestAccess::damagedInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");  // -1: any clean outcome (an engine error or a complete read)
    const QByteArray good = ds::test::readFile(fixture_);
    const int pages = static_cast<int>(good.size() / 4096);

    QTest::newRow("empty file") << QByteArray() << err::WrongFormat;
    QTest::newRow("text named .mdb")
        << QByteArray("Kundennummer;Name\r\n4711;Meier\r\n").repeated(500) << err::WrongFormat;
    QByteArray accdb = good;
    accdb.replace(4, 15, "Standard ACE DB");
    accdb[0x14] = 2;
    QTest::newRow("ACCDB header") << accdb << err::WrongFormat;
    QByteArray version6 = good;
    version6[0x14] = 6;
    QTest::newRow("Jet version 6") << version6 << err::WrongFormat;

    for (int length : {1, 20, 100, 151}) {
        QTest::newRow(qPrintable(QStringLiteral("cut to %1 bytes").arg(length)))
            << good.left(length) << err::WrongFormat;
    }
    for (int length : {152, 2048, 4095, 4097, 8191, 8192, 12287, 20000, int(good.size()) - 1}) {
        QTest::newRow(qPrintable(QStringLiteral("cut to %1 bytes").arg(length)))
            << good.left(length) << err::CorruptDatabase;
    }
    for (int page = 3; page < pages; page += 2) {
        QTest::newRow(qPrintable(QStringLiteral("cut to %1 pages").arg(page)))
            << good.left(page * 4096) << -1;
    }
    // A memo chain whose full piece points back at itself.
    QByteArray looped = good;
    for (int page = 3; page < pages; ++page) {
        char* p = looped.data() + page * 4096;
        if (QByteArray(p + 4, 4) != "LVAL")
            continue;
        const int rows = static_cast<uchar>(p[12]) | static_cast<uchar>(p[13]) << 8;
        for (int row = 0; row < rows; ++row) {
            const int start =
                (static_cast<uchar>(p[14 + 2 * row]) | static_cast<uchar>(p[15 + 2 * row]) << 8) &
                0x1FFF;
            const int end = row == 0 ? 4096
                                     : (static_cast<uchar>(p[12 + 2 * row]) |
                                        static_cast<uchar>(p[13 + 2 * row]) << 8) &
                                           0x1FFF;
            if (end - start == 4080 && QByteArray(p + start, 4) != QByteArray(4, '\0')) {
                const quint32 self = static_cast<quint32>(page) << 8 | static_cast<quint32>(row);
                for (int i = 0; i < 4; ++i)
                    p[start + i] = static_cast<char>(self >> (8 * i));
            }
        }
    }
    QVERIFY(looped != good);
    QTest::newRow("memo chain loops") << looped << err::CorruptDatabase;
    QByteArray noCatalog = good;
    noCatalog.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
    QTest::newRow("catalog definition zeroed") << noCatalog << err::CorruptDatabase;
    QByteArray noHeader = good;
    noHeader.replace(0, 4096, QByteArray(4096, '\0'));
    QTest::newRow("header zeroed") << noHeader << err::WrongFormat;
    for (int page = 1; page < pages; ++page) {
        if (page == 2)
            continue;
        QByteArray zeroed = good;
        zeroed.replace(page * 4096, 4096, QByteArray(4096, '\0'));
        QTest::newRow(qPrintable(QStringLiteral("page %1 zeroed").arg(page))) << zeroed << -1;
        QByteArray noise = good;
        for (int i = 16; i < 4096; i += 7)
            noise[page * 4096 + i] = static_cast<char>((i * 131 + page) & 0xFF);
        QTest::newRow(qPrintable(QStringLiteral("page %1 scrambled").arg(page))) << noise << -1;
    }
}

void TestAccess::damagedInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    const QString path = dir_.filePath(QStringLiteral("damaged.mdb"));
    QVERIFY(ds::test::writeFile(path, bytes));
    const int got = engineErrorOf([&] {
        auto db = openMdb(path);
        readEverything(*db);
    });
    if (error >= 0)
        QCOMPARE(got, error);
    else
        QVERIFY2(got == 0 || got == err::CorruptDatabase || got == err::WrongFormat,
                 qPrintable(QString::number(got)));
}

void TestAccess::fileUnchangedAfterReading() {
    const QString path = dir_.filePath(QStringLiteral("unchanged.mdb"));
    QVERIFY(QFile::copy(fixture_, path));
    const QDateTime stamp(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    const QByteArray before =
        QCryptographicHash::hash(ds::test::readFile(path), QCryptographicHash::Sha256);
    {
        auto db = openMdb(path);
        readEverything(*db);
    }
    QCOMPARE(QCryptographicHash::hash(ds::test::readFile(path), QCryptographicHash::Sha256),
             before);
    QCOMPARE(QFileInfo(path).lastModified(), stamp);
}

QTEST_GUILESS_MAIN(TestAccess)
#include "test_access.moc"
