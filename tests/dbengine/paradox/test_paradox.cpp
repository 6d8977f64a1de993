#include "dbengine/CodePages.h"
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/paradox/FieldValues.h"
#include "dbengine/paradox/ParadoxCrypt.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"
#include "support/paradox/ParadoxWriter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

using namespace ds::db;
using ds::test::ParadoxWriter;
using Version = ParadoxWriter::Version;
using ds::test::engineErrorOf;
Q_DECLARE_METATYPE(Version)

// Counts heap allocations while armed: the search's per-record path must make none.
static std::atomic<bool> gCounting{false};
static std::atomic<long> gAllocations{0};
void* operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed))
        ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

struct Opened {
    std::unique_ptr<Database> database;
    std::unique_ptr<Recordset> rs;
};

// Opens a table as the content search does: the folder as database, the table by name.
Opened open(const QString& folder, const QString& table,
            const QString& connect = QStringLiteral("Paradox 7.X")) {
    Opened t;
    t.database = Workspace().openDatabase(folder, false, true, connect);
    t.rs = t.database->openRecordset(table);
    return t;
}

// Reads every value of every record.
void readAll(Recordset& rs) {
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        for (int i = 0; i < rs.fieldCount(); ++i)
            rs.value(i);
    }
}

QByteArray le16(int v) {
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}
QByteArray le32(quint32 v) {
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}
QByteArray patched(QByteArray b, int at, const QByteArray& with) {
    return b.replace(at, with.size(), with);
}

// Every field type, the releases that introduced them, and a value per record (null: blank).
struct TypeCase {
    char type;
    int size;
    int since;  // version byte
    std::function<QVariant(int)> value;
};

QByteArray bytesOf(int r, int n) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((r * 31 + i * 7) % 255 + 1);
    return b;
}

QVariant memo(int r) {  // in the leader, shared .MB blocks, blocks of its own
    static const int kLengths[] = {0, 12, 150, 3000, 700, 5000};
    QString s = QStringLiteral("Satz %1: Größe").arg(r);
    while (s.size() < kLengths[r % 6])
        s += QStringLiteral(" äöü Straße %1").arg(s.size());
    return r % 6 ? QVariant(s.left(kLengths[r % 6])) : QVariant();
}

const std::vector<TypeCase>& typeCases() {
    static const std::vector<TypeCase> cases = {
        {'A', 20, 3,
         [](int r) { return r % 7 == 3 ? QVariant() : QStringLiteral("Zeile %1 äöü").arg(r); }},
        {'D', 0, 3,
         [](int r) { return r % 11 == 5 ? QVariant() : QDate(1990, 1, 1).addDays(r * 37 - 2000); }},
        {'S', 0, 3,
         [](int r) { return r % 13 == 4 ? QVariant() : QVariant((r % 2 ? -3 : 3) * r); }},
        {'N', 0, 3, [](int r) { return r % 9 == 1 ? QVariant() : QVariant(-r / 3.0); }},
        {'$', 0, 3, [](int r) { return QVariant(r * 1.25 - 50); }},
        {'M', 30, 5, [](int r) { return memo(r); }},
        {'F', 10, 5, [](int r) { return r % 3 ? memo(r + 1) : QVariant(); }},
        {'B', 10, 5, [](int r) { return r % 4 ? QVariant() : QVariant(bytesOf(r, 40 + r * 20)); }},
        {'O', 10, 5, [](int r) { return r % 5 == 2 ? QVariant(bytesOf(r, 300)) : QVariant(); }},
        {'G', 20, 5,
         [](int r) { return r % 5 == 1 ? QVariant("BM" + bytesOf(r, 2500)) : QVariant(); }},
        {'I', 0, 10, [](int r) { return QVariant(r * 100003 - 5000000); }},
        {'L', 0, 10, [](int r) { return r % 3 ? QVariant(r % 3 == 1) : QVariant(); }},
        {'T', 0, 10, [](int r) { return QVariant(QTime(0, 0).addMSecs(r * 612345)); }},
        {'@', 0, 10,
         [](int r) {
             return QVariant(QDateTime(QDate(2020, 2, 1), QTime(1, 0, 1)).addSecs(r * 3671));
         }},
        {'+', 0, 10, [](int r) { return QVariant(r + 1); }},
        {'#', 2, 10, [](int r) { return QVariant(r * 1.01 - 3); }},
        {'Y', 6, 10, [](int r) { return QVariant(bytesOf(r, 6)); }},
    };
    return cases;
}

// What the engine hands back for a written value.
QVariant expected(char type, const QVariant& v) {
    if (v.isNull())
        return {};
    if (type == 'D')
        return QDateTime(v.toDate(), QTime(0, 0));
    if (type == 'T')  // a time alone sits on the engine's day zero
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    if (type == '#')
        return QString::number(v.toDouble(), 'f', 2).toDouble();
    if (type == 'M' || type == 'F')  // like fixed-width text, without trailing blanks
        return v.toString().remove(QRegularExpression(QStringLiteral(" +$")));
    return v;
}

int engineType(char t) {
    static const QHash<char, int> types = {
        {'A', type::Text},       {'D', type::Date},      {'T', type::Date},
        {'@', type::Date},       {'S', type::Integer},   {'I', type::Long},
        {'+', type::Long},       {'$', type::Currency},  {'N', type::Double},
        {'#', type::Double},     {'L', type::Boolean},   {'M', type::Memo},
        {'F', type::Memo},       {'Y', type::Binary},    {'B', type::LongBinary},
        {'O', type::LongBinary}, {'G', type::LongBinary}};
    return types.value(t);
}

std::vector<TypeCase> casesFor(Version v) {
    std::vector<TypeCase> out;
    for (const TypeCase& c : typeCases()) {
        if (static_cast<int>(v) >= c.since)
            out.push_back(c);
    }
    return out;
}

ParadoxWriter allTypesTable(Version version, int records) {
    ParadoxWriter w(version);
    for (const TypeCase& c : casesFor(version))
        w.addField(QStringLiteral("F") + c.type, c.type, c.size);
    for (int r = 0; r < records; ++r) {
        QVariantList values;
        for (const TypeCase& c : casesFor(version))
            values << c.value(r);
        w.addRecord(values);
    }
    return w;
}

QString corpusFolder() {
    const QString corpus = ds::test::sharedCorpusDir();
    return corpus.isEmpty() ? QString() : corpus + QStringLiteral("/paradox/paradoxdriver");
}

QList<QStringList> corpusRows(const QString& file) {
    QList<QStringList> rows;
    for (const QStringList& row : ds::test::readTsv(ds::test::sharedCorpusDir() + '/' + file)) {
        if (row.value(0).startsWith(QLatin1String("paradox/")))
            rows << row;
    }
    return rows;
}

}  // namespace

class TestParadox : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void storedNumbers_data();
    void storedNumbers();
    void allTypes_data();
    void allTypes();
    void blanksAndZeros_data();
    void blanksAndZeros();
    void memoPlacement_data();
    void memoPlacement();
    void missingBlobFileReadsLeaders();
    void passwords_data();
    void passwords();
    void codePages_data();
    void codePages();
    void notParadox_data();
    void notParadox();
    void truncatedAtEveryLength();
    void damagedChain_data();
    void damagedChain();
    void damagedBlobPointer_data();
    void damagedBlobPointer();
    void emptyTableAndFolder();
    void searchPathAllocatesNothing();
    void corpusManifest_data();
    void corpusManifest();
    void corpusKnownValues();

  private:
    QTemporaryDir tmp_;
    int folders_ = 0;
    // Writes the table into a folder of its own and returns the folder.
    QString write(const ParadoxWriter& w, const QString& table = QStringLiteral("T")) {
        const QString folder = tmp_.filePath(QString::number(++folders_));
        return w.writeTo(folder, table) ? folder : QString();
    }
};

// Byte patterns taken from real files, decoded without the writer.
void TestParadox::storedNumbers_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<double>("value");
    QTest::newRow("short 1") << QByteArray("8001") << 1.0;
    QTest::newRow("short -1") << QByteArray("7fff") << -1.0;
    QTest::newRow("long") << QByteArray("93de4355") << 333333333.0;
    QTest::newRow("double 1.0") << QByteArray("bff0000000000000") << 1.0;
    QTest::newRow("double 0.0") << QByteArray("8000000000000000") << 0.0;
    QTest::newRow("double -1.0") << QByteArray("400fffffffffffff") << -1.0;
    QTest::newRow("bcd 1.23") << "c2" + QByteArray(28, '0') + "0123" << 1.23;
    QTest::newRow("bcd -1.23") << "42" + QByteArray(28, 'f') + "fedc" << -1.23;
    QTest::newRow("bcd junk nibbles") << QByteArray("e01229999999999999980b00e00000bf4a") << 0.123;
    QTest::newRow("bcd 15 digits")
        << "c0" + QByteArray(12, '0') + "12345678901234567890" << 12345678901234600000.0;
}

void TestParadox::storedNumbers() {
    QFETCH(QByteArray, hex);
    QFETCH(double, value);
    const QByteArray bytes = QByteArray::fromHex(hex);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const double got = bytes.size() <= 4   ? paradox::decodeInteger(p, int(bytes.size()))
                       : bytes.size() == 8 ? paradox::decodeDouble(p)
                                           : paradox::decodeBcd(p);
    QCOMPARE(got, value);
}

void TestParadox::allTypes_data() {
    QTest::addColumn<Version>("version");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("blockKb");
    QTest::newRow("3.0") << Version::V30 << QString() << 1;
    QTest::newRow("3.5 encrypted") << Version::V35 << QStringLiteral("geheim") << 2;
    QTest::newRow("4.x") << Version::V4 << QString() << 2;
    QTest::newRow("4.x encrypted") << Version::V4 << QStringLiteral("123") << 4;
    QTest::newRow("5.x") << Version::V5 << QString() << 2;
    QTest::newRow("7.x 16 KB blocks") << Version::V7 << QString() << 16;
    QTest::newRow("7.x encrypted") << Version::V7 << QStringLiteral("Kennwort") << 2;
}

void TestParadox::allTypes() {
    QFETCH(Version, version);
    QFETCH(QString, password);
    QFETCH(int, blockKb);
    constexpr int kRecords = 150;
    ParadoxWriter w = allTypesTable(version, kRecords);
    w.setPassword(password).setBlockSizeKb(blockKb);
    QVERIFY(kRecords > w.recordsPerBlock());
    auto t = open(write(w), QStringLiteral("T"), "Paradox 5.X;PWD=" + password + ';');
    const std::vector<TypeCase> cases = casesFor(version);
    QCOMPARE(t.rs->fieldCount(), int(cases.size()));
    for (int i = 0; i < t.rs->fieldCount(); ++i) {
        QCOMPARE(t.rs->fieldInfo(i).name, QStringLiteral("F") + cases[i].type);
        QCOMPARE(t.rs->fieldInfo(i).type, engineType(cases[i].type));
    }
    QCOMPARE(t.rs->fieldInfo(0).size, 20);
    t.rs->moveLast();
    QCOMPARE(t.rs->recordCount(), qint64(kRecords));
    QCOMPARE(t.rs->value(0), cases[0].value(kRecords - 1));
    t.rs->moveFirst();
    for (int r = 0; r < kRecords; ++r, t.rs->moveNext()) {
        for (int i = 0; i < t.rs->fieldCount(); ++i) {
            const QVariant want = expected(cases[i].type, cases[i].value(r));
            const QVariant got = t.rs->value(i);
            QVERIFY2(got == want && got.isNull() == want.isNull(),
                     qPrintable(QStringLiteral("record %1 field %2: %3")
                                    .arg(r)
                                    .arg(i)
                                    .arg(got.toString().left(40))));
        }
    }
    QVERIFY(t.rs->eof());
}

void TestParadox::blanksAndZeros_data() {
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("zero");  // stored, must not read as blank
    QTest::newRow("alpha blank") << 'A' << 5 << QVariant(QStringLiteral(" "));
    QTest::newRow("short") << 'S' << 0 << QVariant(0);
    QTest::newRow("autoincrement") << '+' << 0 << QVariant(0);
    QTest::newRow("money") << '$' << 0 << QVariant(0.0);
    QTest::newRow("bcd") << '#' << 2 << QVariant(0.0);
    QTest::newRow("logical") << 'L' << 0 << QVariant(false);
    QTest::newRow("date") << 'D' << 0 << QVariant(QDate(1, 1, 1));
    QTest::newRow("time") << 'T' << 0 << QVariant(QTime(0, 0));
    QTest::newRow("memo") << 'M' << 11 << QVariant(QStringLiteral("x"));
    QTest::newRow("bytes") << 'Y' << 3 << QVariant(QByteArray("\x01", 1));
}

void TestParadox::blanksAndZeros() {
    QFETCH(char, type);
    QFETCH(int, size);
    QFETCH(QVariant, zero);
    ParadoxWriter w(Version::V7);
    w.addField(QStringLiteral("F"), type, size).addRecord({QVariant()}).addRecord({zero});
    auto t = open(write(w), QStringLiteral("T"));
    QVERIFY(t.rs->value(0).isNull());
    if (isSearchableType(t.rs->fieldInfo(0).type))
        QVERIFY(t.rs->text(0).isNull);
    t.rs->moveNext();
    QVERIFY(!t.rs->value(0).isNull());
    if (type == 'A')  // blanks only: an empty text
        QCOMPARE(t.rs->value(0).toString(), QString());
}

void TestParadox::memoPlacement_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<char>("type");
    QTest::addColumn<QString>("password");
    // M30 has a 20-byte leader; shared .MB blocks take blobs below 2048 bytes.
    for (const char type : {'M', 'F'}) {
        for (const QString& pw : {QString(), QStringLiteral("123")}) {
            const QByteArray tag = type + QByteArray(pw.isEmpty() ? " " : " encrypted ");
            QTest::newRow(tag + "in leader") << 20 << type << pw;
            QTest::newRow(tag + "shared") << 21 << type << pw;
            QTest::newRow(tag + "shared, 16-byte units") << 320 << type << pw;
            QTest::newRow(tag + "largest shared") << 2047 << type << pw;
            QTest::newRow(tag + "own block") << 2048 << type << pw;
            QTest::newRow(tag + "own block, many units") << 70000 << type << pw;
        }
    }
}

void TestParadox::memoPlacement() {
    QFETCH(int, length);
    QFETCH(char, type);
    QFETCH(QString, password);
    ParadoxWriter w(Version::V7);
    w.setPassword(password)
        .addField(QStringLiteral("Id"), 'I')
        .addField(QStringLiteral("Text"), type, 30);
    QStringList memos;
    for (int i = 0; i < 3; ++i) {  // several blobs share blocks, at different slots
        memos << QStringLiteral("%1:Äußerung ").arg(i).leftJustified(length, QChar(u'a' + i), true);
        w.addRecord({i, memos.last()});
    }
    const QString folder = write(w);
    QCOMPARE(QFile::exists(folder + "/T.MB"), length > 20 || type == 'F');  // F wraps its text
    auto t = open(folder, QStringLiteral("t"), "Paradox 7.X;PWD=" + password + ';');
    for (const QString& m : memos) {
        const TextRef text = t.rs->text(1);
        QCOMPARE(text.codePage, cp::Windows1252);
        QCOMPARE(QByteArray(text.data, qsizetype(text.size)), encodeText(m, cp::Windows1252));
        t.rs->moveNext();
    }
}

void TestParadox::missingBlobFileReadsLeaders() {
    const QString longMemo = QStringLiteral("Anfang des Textes, danach noch viel mehr");
    ParadoxWriter w(Version::V7);
    w.addField(QStringLiteral("Text"), 'M', 30).addField(QStringLiteral("Bild"), 'G', 30);
    w.addRecord({QStringLiteral("kurz"), QByteArray("BM12")})
        .addRecord({longMemo, QByteArray(500, 'x')});
    const QString folder = write(w);
    QVERIFY(QFile::remove(folder + "/T.MB"));
    auto t = open(folder, QStringLiteral("T"));
    QCOMPARE(t.rs->value(0).toString(), QStringLiteral("kurz"));
    QCOMPARE(t.rs->value(1).toByteArray(), QByteArray("BM12"));  // fits its leader
    t.rs->moveNext();
    QCOMPARE(t.rs->value(0).toString(), longMemo.left(20));  // the leader's copy
    QVERIFY(t.rs->value(1).isNull());                        // a cut picture is no picture
}

void TestParadox::passwords_data() {
    QTest::addColumn<Version>("version");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("given");  // null: no PWD part
    QTest::addColumn<int>("error");
    for (const Version v : {Version::V30, Version::V35, Version::V4, Version::V7}) {
        const QByteArray tag = QByteArray::number(static_cast<int>(v));
        QTest::newRow(tag + " right") << v << "Mü1"
                                      << "Mü1" << 0;
        QTest::newRow(tag + " none") << v << "Mü1" << QString() << err::NotAPassword;
        QTest::newRow(tag + " empty") << v << "Mü1"
                                      << "" << err::NotAPassword;
        QTest::newRow(tag + " wrong") << v << "Mü1"
                                      << "Mu1" << err::NotAPassword;
        QTest::newRow(tag + " other case") << v << "Mü1"
                                           << "mü1" << err::NotAPassword;
        QTest::newRow(tag + " longer") << v << "Mü1"
                                       << "Mü12" << err::NotAPassword;
        QTest::newRow(tag + " not encrypted") << v << ""
                                              << "x" << 0;
    }
}

void TestParadox::passwords() {
    QFETCH(Version, version);
    QFETCH(QString, password);
    QFETCH(QString, given);
    QFETCH(int, error);
    ParadoxWriter w(version);
    w.setPassword(password).addField(QStringLiteral("Text"), 'A', 10);
    for (int i = 0; i < 100; ++i)
        w.addRecord({QStringLiteral("Wert %1").arg(i)});
    const QString folder = write(w);
    const QString connect = "Paradox 4.X" + (given.isNull() ? QString() : ";PWD=" + given + ';');
    Opened t;
    QCOMPARE(engineErrorOf([&] { t = open(folder, QStringLiteral("T"), connect); }), error);
    if (t.rs) {
        t.rs->moveLast();
        QCOMPARE(t.rs->value(0).toString(), QStringLiteral("Wert 99"));
    }
}

void TestParadox::codePages_data() {
    QTest::addColumn<Version>("version");
    QTest::addColumn<int>("headerCodePage");
    QTest::addColumn<QByteArray>("sortOrder");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reported");
    QTest::addColumn<QString>("text");
    QTest::newRow("1252") << Version::V7 << 1252 << QByteArray("ANSII850")
                          << QByteArray("M\xFCller \x80") << 1252 << QStringLiteral("Müller €");
    QTest::newRow("850") << Version::V5 << 850 << QByteArray("ascii") << QByteArray("M\x81ller")
                         << 850 << QStringLiteral("Müller");
    QTest::newRow("3.x as 850") << Version::V30 << 0 << QByteArray() << QByteArray("\x8E\x99\x9A")
                                << 850 << QStringLiteral("ÄÖÜ");
    QTest::newRow("none as 850") << Version::V7 << 0 << QByteArray("ascii") << QByteArray("\x84")
                                 << 850 << QStringLiteral("ä");
    QTest::newRow("HP Roman-8") << Version::V4 << 0 << QByteArray("BLROM800")
                                << QByteArray("\xEB\xF8\xBE\xF4 \xCC") << cp::Utf8
                                << QStringLiteral("Š½ƒ¶ ä");
    QTest::newRow("unknown as 1252") << Version::V7 << 4242 << QByteArray("ascii")
                                     << QByteArray("\xE4") << 1252 << QStringLiteral("ä");
}

void TestParadox::codePages() {
    QFETCH(Version, version);
    QFETCH(int, headerCodePage);
    QFETCH(QByteArray, sortOrder);
    QFETCH(QByteArray, bytes);
    QFETCH(int, reported);
    QFETCH(QString, text);
    ParadoxWriter w(version);
    w.setCodePage(headerCodePage).setSortOrder(sortOrder == "BLROM800" ? 0x14 : 0, sortOrder);
    w.addField(QStringLiteral("Text"), 'A', 20).addField(QStringLiteral("Memo"), 'M', 11);
    w.addRecord({bytes, bytes + QByteArray(20, 'x')});  // the memo lies in the .MB
    auto t = open(write(w), QStringLiteral("T"));
    for (int field = 0; field < 2; ++field) {
        QCOMPARE(t.rs->text(field).codePage, reported);
        QVERIFY(t.rs->text(field).toString().startsWith(text));
    }
    QCOMPARE(t.rs->value(0).toString(), text);
}

void TestParadox::notParadox_data() {
    QTest::addColumn<QByteArray>("bytes");
    ParadoxWriter w(Version::V7);
    const QByteArray good = w.addField(QStringLiteral("A"), 'A', 10).addRecord({"x"}).build().table;
    QTest::newRow("SQLite database")
        << QByteArray("SQLite format 3\0\x10\0\1\1", 20).leftJustified(4096, '\0');
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text") << QByteArray("Keine Tabelle.\r\n").repeated(100);
    QTest::newRow("index file type") << patched(good, 4, QByteArray(1, '\1'));
    QTest::newRow("version 2") << patched(good, 0x39, QByteArray(1, '\2'));
    QTest::newRow("version 13") << patched(good, 0x39, QByteArray(1, '\x0D'));
    QTest::newRow("block size 0") << patched(good, 5, QByteArray(1, '\0'));
    QTest::newRow("block size 33") << patched(good, 5, QByteArray(1, '\x21'));
    QTest::newRow("no fields") << patched(good, 0x21, le16(0));
    QTest::newRow("header shorter than fixed part") << patched(good, 2, le16(0x60));
}

void TestParadox::notParadox() {
    QFETCH(QByteArray, bytes);
    const QString folder = tmp_.filePath(QStringLiteral("fremd"));
    QVERIFY(ds::test::writeFile(folder + "/fremd.db", bytes));
    QCOMPARE(engineErrorOf([&] { open(folder, QStringLiteral("fremd")); }), err::WrongFormat);
}

// Whatever the cut, reading ends normally with the exact count, or with 3274 / 3049.
void TestParadox::truncatedAtEveryLength() {
    ParadoxWriter w = allTypesTable(Version::V7, 40);
    const ParadoxWriter::Files files = w.setPassword(QStringLiteral("pw")).build();
    const QString folder = tmp_.filePath(QStringLiteral("cut"));
    int read = 0;
    int failed = 0;
    auto tryRead = [&](const QByteArray& table, const QByteArray& blobs) {
        QVERIFY(ds::test::writeFile(folder + "/T.DB", table) &&
                ds::test::writeFile(folder + "/T.MB", blobs));
        const int error = engineErrorOf([&] {
            auto t = open(folder, QStringLiteral("T"), QStringLiteral("Paradox 7.X;PWD=pw;"));
            QCOMPARE(t.rs->recordCount(), 40);
            readAll(*t.rs);
        });
        QVERIFY2(
            error == 0 || error == err::CorruptDatabase ||
                (error == err::WrongFormat && table.size() < 0x58),
            qPrintable(
                QStringLiteral("%1/%2 bytes: %3").arg(table.size()).arg(blobs.size()).arg(error)));
        (error ? failed : read)++;
    };
    for (int length = 0; length <= files.table.size(); length += length < 0x900 ? 7 : 61)
        tryRead(files.table.left(length), files.blobs);
    QVERIFY(read > 0 && failed > 0);  // a cut in the last block's slack still reads
    read = failed = 0;
    for (int length = 0; length < files.blobs.size(); length += 251)
        tryRead(files.table, files.blobs.left(length));
    QVERIFY(read > 0 && failed > 0);  // the padding after the last blob may go
}

void TestParadox::damagedChain_data() {
    QTest::addColumn<bool>("reverse");       // blocks in the file in the reverse of chain order
    QTest::addColumn<int>("block");          // block whose header is patched, 0: none
    QTest::addColumn<int>("next");           // its "next" pointer
    QTest::addColumn<int>("addSize");        // its "add data size", -2: unchanged
    QTest::addColumn<int>("headerRecords");  // header record count, -1: unchanged
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("records");
    // 5 blocks of 20 records, chained 1 -> 2 -> ... -> 5 (or 5 -> 4 -> ... -> 1).
    QTest::newRow("intact") << false << 0 << 0 << -2 << -1 << 0 << 100;
    QTest::newRow("chain against file order") << true << 0 << 0 << -2 << -1 << 0 << 100;
    QTest::newRow("cycle back to the start")
        << false << 5 << 1 << -2 << -1 << err::CorruptDatabase << 0;
    QTest::newRow("block points at itself")
        << false << 3 << 3 << -2 << -1 << err::CorruptDatabase << 0;
    QTest::newRow("cycle of empty blocks")
        << false << 4 << 3 << -1 << -1 << err::CorruptDatabase << 0;
    QTest::newRow("next beyond the file")
        << false << 2 << 6 << -2 << -1 << err::CorruptDatabase << 0;
    QTest::newRow("next far beyond")
        << false << 2 << 0xFFFF << -2 << -1 << err::CorruptDatabase << 0;
    QTest::newRow("chain skips a block") << false << 2 << 4 << -2 << -1 << 0 << 80;
    QTest::newRow("chain ends early") << false << 3 << 0 << -2 << -1 << 0 << 60;
    QTest::newRow("block emptied") << false << 2 << 3 << -1 << -1 << 0 << 80;
    QTest::newRow("more records than fit") << false << 5 << 0 << 30000 << -1 << 0 << 100;
    QTest::newRow("header counts too many") << false << 0 << 0 << -2 << 5000 << 0 << 100;
    QTest::newRow("header counts none") << false << 0 << 0 << -2 << 0 << 0 << 100;
}

void TestParadox::damagedChain() {
    QFETCH(bool, reverse);
    QFETCH(int, block);
    QFETCH(int, next);
    QFETCH(int, addSize);
    QFETCH(int, headerRecords);
    QFETCH(int, error);
    QFETCH(int, records);
    ParadoxWriter w(Version::V7);
    w.setReverseBlockOrder(reverse)
        .addField(QStringLiteral("N"), 'I')
        .addField(QStringLiteral("T"), 'A', 96);
    for (int i = 0; i < 100; ++i)
        w.addRecord({i, QStringLiteral("Satz %1").arg(i)});
    QByteArray table = w.build().table;
    const int at = w.headerSize() + (block - 1) * w.blockSize();
    if (block)
        table = patched(table, at, le16(next));
    if (addSize != -2)
        table = patched(table, at + 4, le16(addSize));
    if (headerRecords >= 0)
        table = patched(table, 6, le32(quint32(headerRecords)));
    const QString folder = tmp_.filePath(QStringLiteral("kette"));
    QVERIFY(ds::test::writeFile(folder + "/kette.DB", table));
    Opened t;
    QCOMPARE(engineErrorOf([&] { t = open(folder, QStringLiteral("kette")); }), error);
    if (!t.rs)
        return;
    QCOMPARE(t.rs->recordCount(), qint64(records));
    int seen = 0;
    int previous = -1;
    for (; !t.rs->eof(); t.rs->moveNext(), ++seen) {
        QVERIFY(t.rs->value(0).toInt() > previous);  // chain order is record order
        previous = t.rs->value(0).toInt();
    }
    QCOMPARE(seen, records);
    t.rs->moveLast();
    QCOMPARE(t.rs->value(0).toInt(), previous);
}

void TestParadox::damagedBlobPointer_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("at");  // within the 10 bytes after the leader
    QTest::addColumn<QByteArray>("bytes");
    // Record 0: 100 bytes in slot 63 of the shared block at 0x1000; record 1: 3000 bytes in a
    // block of its own at 0x2000.
    QTest::newRow("offset beyond the file") << 0 << 0 << le32(0x00F00000 | 63);
    QTest::newRow("offset at the header block") << 0 << 0 << le32(63);
    QTest::newRow("slot outside the table") << 0 << 0 << le32(0x1000 | 64);
    QTest::newRow("empty slot") << 0 << 0 << le32(0x1000 | 10);
    QTest::newRow("own-block pointer, shared block") << 0 << 0 << le32(0x1000 | 0xFF);
    QTest::newRow("slot pointer, own block") << 1 << 0 << le32(0x2000 | 63);
    QTest::newRow("length disagrees (shared)") << 0 << 4 << le32(101);
    QTest::newRow("length disagrees (own block)") << 1 << 4 << le32(2999);
    QTest::newRow("length beyond the file") << 1 << 4 << le32(0x7FFFFFFF);
}

void TestParadox::damagedBlobPointer() {
    QFETCH(int, record);
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    ParadoxWriter w(Version::V7);
    w.addField(QStringLiteral("Id"), 'I').addField(QStringLiteral("Text"), 'M', 30);
    w.addRecord({1, QString(100, u'k')}).addRecord({2, QString(3000, u'l')});
    const ParadoxWriter::Files files = w.build();
    const int pointer = w.headerSize() + 6 + record * w.recordSize() + 4 + 20;
    const QString folder = tmp_.filePath(QStringLiteral("zeiger"));
    QVERIFY(ds::test::writeFile(folder + "/T.DB", patched(files.table, pointer + at, bytes)));
    QVERIFY(ds::test::writeFile(folder + "/T.MB", files.blobs));
    auto t = open(folder, QStringLiteral("T"));
    if (record)
        t.rs->moveNext();
    QCOMPARE(t.rs->value(0).toInt(), record + 1);  // the rest of the record still reads
    QCOMPARE(engineErrorOf([&] { t.rs->text(1); }), err::CorruptDatabase);
}

void TestParadox::emptyTableAndFolder() {
    ParadoxWriter empty(Version::V7);
    empty.addField(QStringLiteral("Id"), '+').addField(QStringLiteral("Name"), 'A', 30);
    const QString folder = write(empty, QStringLiteral("Zeta"));
    ParadoxWriter one(Version::V30);
    one.addField(QStringLiteral("Ort"), 'A', 5).addRecord({QStringLiteral("Köln")});
    QVERIFY(one.writeTo(folder, QStringLiteral("alpha")));
    QVERIFY(ds::test::writeFile(folder + "/lower.db", one.build().table));
    QVERIFY(ds::test::writeFile(folder + "/alpha.PX", "x"));

    auto t = open(folder, QStringLiteral("zeta.db"));
    QVERIFY(t.rs->eof());
    t.rs->moveLast();
    t.rs->moveNext();
    QVERIFY(t.rs->eof());
    QCOMPARE(t.rs->recordCount(), 0);
    QCOMPARE(engineErrorOf([&] { t.rs->value(1); }), err::NoCurrentRecord);

    QStringList names;
    for (const TableDef& def : t.database->tableDefs())
        names << def.name + QString::number(def.attributes);
    QCOMPARE(names, QStringList({"alpha0", "lower0", "Zeta0"}));
    for (const char* connect : {"Paradox 3.X", "Paradox 4.X", "Paradox 5.X", "Paradox 7.X"})
        QCOMPARE(open(folder, QStringLiteral("LOWER"), connect).rs->value(0).toString(),
                 QStringLiteral("Köln"));
    QCOMPARE(engineErrorOf([&] { t.database->openRecordset(QStringLiteral("fehlt")); }),
             err::ObjectNotFound);
}

void TestParadox::searchPathAllocatesNothing() {
    ParadoxWriter w = allTypesTable(Version::V7, 600);
    auto t = open(write(w.setPassword(QStringLiteral("123"))), QStringLiteral("T"),
                  "Paradox 7.X;PWD=123;");
    std::vector<int> textFields;
    for (int i = 0; i < t.rs->fieldCount(); ++i) {
        if (isSearchableType(t.rs->fieldInfo(i).type))
            textFields.push_back(i);
    }
    auto pass = [&] {
        std::size_t bytes = 0;
        for (t.rs->moveFirst(); !t.rs->eof(); t.rs->moveNext()) {
            for (const int i : textFields)
                bytes += t.rs->text(i).size;
        }
        return bytes;
    };
    const std::size_t warm = pass();  // lets the per-field buffers grow
    gAllocations = 0;
    gCounting = true;
    const std::size_t again = pass();
    gCounting = false;
    QCOMPARE(textFields.size(), std::size_t(3));
    QCOMPARE(again, warm);
    QCOMPARE(gAllocations.load(), 0L);
}

// Every table of the shared corpus: count, field names and types, the text samples in their
// records (chain order), the numeric-only value; encrypted ones also refuse a wrong password.
void TestParadox::corpusManifest_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QStringList>("samples");  // "N=text"
    QTest::addColumn<QStringList>("fields");   // "name TAB A20"
    QTest::addColumn<QStringList>("number");   // record, field, value
    if (corpusFolder().isEmpty())
        QSKIP("shared corpus not present");
    QHash<QString, QStringList> fields;
    for (const QStringList& row : corpusRows(QStringLiteral("FIELDS.tsv")))
        fields[row.value(1)] << row.value(2) + '\t' + row.value(3);
    static const QRegularExpression numeric(
        QStringLiteral("numeric-only value: [^#]+#(\\d+) ([^=]+)=([-\\d.]+)"));
    for (const QStringList& row : corpusRows(QStringLiteral("MANIFEST.tsv"))) {
        if (row.size() < 8 || row[1].contains(QLatin1String("blob")))
            continue;
        const QString table = row[5].section(':', 0, 0);
        QStringList samples;
        for (const QString& s : row[6].split(';', Qt::SkipEmptyParts))
            samples << s.section('#', 1);
        const auto m = numeric.match(row[7]);
        QTest::newRow(qPrintable(table))
            << table << row[5].section(':', 1).toLongLong() << (row[4] != "none") << samples
            << fields.value(table) << (m.hasMatch() ? m.capturedTexts().mid(1) : QStringList());
    }
}

void TestParadox::corpusManifest() {
    QFETCH(QString, table);
    QFETCH(qint64, count);
    QFETCH(bool, encrypted);
    QFETCH(QStringList, samples);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, number);
    const QString folder = corpusFolder();
    if (encrypted) {  // all three are protected with "123"
        QCOMPARE(engineErrorOf([&] { open(folder, table); }), err::NotAPassword);
        QCOMPARE(engineErrorOf([&] { open(folder, table, "Paradox 4.X;PWD=124;"); }),
                 err::NotAPassword);
    }
    auto t = open(folder, table, encrypted ? "Paradox 7.X;PWD=123;" : "Paradox 7.X");
    QCOMPARE(t.rs->fieldCount(), int(fields.size()));
    for (int i = 0; i < t.rs->fieldCount(); ++i) {
        const QString type = fields[i].section('\t', 1);
        QCOMPARE(t.rs->fieldInfo(i).name, fields[i].section('\t', 0, 0));
        QCOMPARE(t.rs->fieldInfo(i).type, engineType(type[0].toLatin1()));
        if (type[0] == 'A')
            QCOMPARE(t.rs->fieldInfo(i).size, type.mid(1).toInt());
    }
    t.rs->moveLast();
    QCOMPARE(t.rs->recordCount(), count);
    // NOTE1251's header says 936, its text is Windows-1251: the reader keeps the header's code
    // page, so its samples are compared as bytes.
    const int bytesIn = table == QLatin1String("NOTE1251") ? 1251 : 0;
    int record = 0;
    int found = 0;
    for (t.rs->moveFirst(); !t.rs->eof(); t.rs->moveNext()) {
        ++record;
        for (const QString& sample : samples) {
            const QString text = sample.section('=', 1);
            bool hit = false;
            for (int i = 0; sample.section('=', 0, 0).toInt() == record && i < t.rs->fieldCount();
                 ++i) {
                if (!isSearchableType(t.rs->fieldInfo(i).type))
                    continue;
                const TextRef ref = t.rs->text(i);
                hit = hit || (bytesIn ? QByteArray(ref.data, qsizetype(ref.size))
                                            .contains(encodeText(text, bytesIn))
                                      : ref.toString().contains(text));
            }
            found += hit;
        }
        if (number.value(0).toInt() == record) {
            int f = 0;
            while (t.rs->fieldInfo(f).name != number[1])
                ++f;
            const QVariant v = t.rs->value(f);
            if (t.rs->fieldInfo(f).type == type::Date)  // given as the stored day number
                QCOMPARE(v.toDateTime().date(),
                         QDate::fromJulianDay(paradox::julianDayOfDate(number[2].toInt())));
            else
                QCOMPARE(v.toDouble(), number[2].toDouble());
        }
    }
    QCOMPARE(record, count);
    QCOMPARE(found, int(samples.size()));
}

void TestParadox::corpusKnownValues() {
    const QString folder = corpusFolder();
    if (folder.isEmpty())
        QSKIP("shared corpus not present");
    // Raw bytes and what they decrypt to, for the key of "123".
    QCOMPARE(paradox::passwordKey(reinterpret_cast<const unsigned char*>("123"), 3), 0x0A25E09Au);
    const struct {
        const char* file;
        int offset;
        int block;  // 0: .MB
        const char* plain;
    } vectors[] = {{"encrypted.db", 0x800, 1, "0000000066008000"},
                   {"encryptedmemo.mb", 0, 0, "0001000100827302"},
                   {"encryptedmemo.mb", 0x1000, 0, "020e002fda000001"}};
    for (const auto& v : vectors) {
        QByteArray chunk = ds::test::readFile(folder + '/' + v.file).mid(v.offset, 256);
        auto* p = reinterpret_cast<unsigned char*>(chunk.data());
        v.block ? paradox::decryptDataBlock(p, 256, 0x0A25E09A, 1)
                : paradox::decryptBlobChunks(p, 256, 0x0A25E09A);
        QCOMPARE(chunk.left(8).toHex(), QByteArray(v.plain));
    }

    // BCD in #2, #0 (blank in row 3) and #32 with junk nibbles.
    auto bcd = open(folder, QStringLiteral("bcd"));
    for (const QVariantList& want :
         {QVariantList{1.23, 1.0, 0.123}, QVariantList{-1.23, -1.0, -0.123},
          QVariantList{0.0, QVariant(), 0.9999}}) {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(bcd.rs->value(i), want[i]);
        bcd.rs->moveNext();
    }
    // Dates and integers: admission dates; area sums add up (to the source data's rounding).
    auto states = open(folder, QStringLiteral("tblsttes"));
    QCOMPARE(states.rs->value(5).toDateTime().date(), QDate(1959, 1, 3));
    for (; !states.rs->eof(); states.rs->moveNext())
        QVERIFY(qAbs(states.rs->value(11).toInt() - states.rs->value(9).toInt() -
                     states.rs->value(10).toInt()) <= 2);
    // Every order's sale date lies in the month its own "Month" text names.
    auto orders = open(folder, QStringLiteral("ORDERS"));
    for (; !orders.rs->eof(); orders.rs->moveNext())
        QCOMPARE(orders.rs->value(10).toString(),
                 QLocale::c().monthName(orders.rs->value(2).toDateTime().date().month(),
                                        QLocale::ShortFormat));
    // A graphic is a BMP whose own size field matches.
    const QByteArray bmp = open(folder, QStringLiteral("graphic240")).rs->value(1).toByteArray();
    QVERIFY(bmp.startsWith("BM"));
    QCOMPARE(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
    // Formatted memo: the plain text only; the stored length 561 counts the closing NUL.
    auto fmemo = open(folder, QStringLiteral("fmemo"));
    QCOMPARE(fmemo.rs->value(1).toString(), QStringLiteral("123"));
    fmemo.rs->moveNext();
    QCOMPARE(fmemo.rs->value(1).toString().size(), 560);
    QVERIFY(fmemo.rs->value(1).toString().endsWith(QStringLiteral("7890\r\n")));
    // Encrypted blobs in blocks of their own.
    auto secret =
        open(folder, QStringLiteral("encryptedmemo"), QStringLiteral("Paradox 4.X;PWD=123;"));
    QVERIFY(secret.rs->value(0).toString().contains(QStringLiteral("The PARADOX File Structure")));
    secret.rs->moveNext();
    QVERIFY(secret.rs->value(0).toString().startsWith(QStringLiteral("(This is stale")));
    QCOMPARE(open(folder, QStringLiteral("ROMAN8")).rs->text(0).codePage, cp::Utf8);
}

QTEST_GUILESS_MAIN(TestParadox)
#include "test_paradox.moc"
