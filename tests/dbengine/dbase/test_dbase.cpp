#include "TestDbase.h"

#include "dbengine/EngineError.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cstring>

using namespace ds::db;
using ds::test::DbfColumn;
using ds::test::DbfFlavor;
using ds::test::DbfOptions;
using ds::test::DbfValue;
using ds::test::DbfWriter;

Q_DECLARE_METATYPE(DbfFlavor)
Q_DECLARE_METATYPE(DbfColumn)
Q_DECLARE_METATYPE(DbfValue)

OpenedTable openTable(const QString& path, const QString& connect) {
    Workspace ws;
    const QFileInfo fi(path);
    OpenedTable t;
    t.database = ws.openDatabase(fi.absolutePath(), false, true, connect);
    t.rs = t.database->openRecordset(fi.fileName());
    return t;
}

namespace {

using Rows = std::vector<std::vector<DbfValue>>;
using ds::test::engineErrorOf;

void writeTable(const QString& file, const std::vector<DbfColumn>& fields, const Rows& rows,
                DbfOptions options = {}, const QString& deletedPattern = {}) {
    DbfWriter w(file, fields, options);
    QVERIFY2(w.isOpen(), qPrintable(w.errorString()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        w.addRecord(rows[i], static_cast<qsizetype>(i) < deletedPattern.size() &&
                                 deletedPattern[static_cast<qsizetype>(i)] == QLatin1Char('x'));
    QVERIFY(w.finish());
}

void patchFile(const QString& file, qint64 offset, const QByteArray& bytes) {
    QByteArray all = ds::test::readFile(file);
    all.replace(offset, bytes.size(), bytes);
    QVERIFY(ds::test::writeFile(file, all));
}

// What value() must give for a value written through DbfWriter, for a field of that type.
QVariant expectedValue(const DbfValue& v, int type) {
    if (v.isNull())
        return {};
    if (const auto* s = std::get_if<QString>(&v.v))
        return *s;
    if (const auto* b = std::get_if<QByteArray>(&v.v))
        return *b;
    if (const auto* d = std::get_if<double>(&v.v))
        return *d;
    if (const auto* i = std::get_if<std::int64_t>(&v.v))
        return type == type::Long ? QVariant(static_cast<int>(*i)) : QVariant(double(*i));
    if (const auto* b = std::get_if<bool>(&v.v))
        return *b;
    if (const auto* d = std::get_if<QDate>(&v.v))
        return QDateTime(*d, QTime(0, 0));
    return std::get<QDateTime>(v.v);
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (b.typeId() == QMetaType::Double)
        return a.typeId() == QMetaType::Double && qFuzzyCompare(a.toDouble(), b.toDouble());
    return a == b;
}

QString show(const QVariant& v) {
    return v.isNull() ? QStringLiteral("<Null>")
                      : QStringLiteral("%1 (%2)").arg(v.toString(), QString(v.typeName()));
}

QStringList allTexts(Recordset& rs, int field) {
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out << rs.text(field).toString();
    return out;
}

}  // namespace

void TestDbase::init() {
    dir_ = std::make_unique<QTemporaryDir>();
}

void TestDbase::readBackEveryFlavor_data() {
    QTest::addColumn<DbfFlavor>("flavor");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<QList<int>>("types");
    const QList<int> base = {type::Text, type::Double,  type::Double,
                             type::Date, type::Boolean, type::Memo};
    // Any dBASE/FoxPro connect string reads every version.
    QTest::newRow("dBASE III") << DbfFlavor::Dbase3 << "dBASE III" << base;
    QTest::newRow("dBASE IV, read as FoxPro")
        << DbfFlavor::Dbase4 << "FoxPro 2.0" << (base + QList<int>{type::LongBinary});
    QTest::newRow("FoxPro 2.x") << DbfFlavor::FoxPro2 << "FoxPro 2.6" << base;
    QTest::newRow("Visual FoxPro, read as dBASE 5")
        << DbfFlavor::VisualFoxPro << "dBASE 5.0"
        << (base + QList<int>{type::Long, type::Currency, type::Date, type::Double});
}

void TestDbase::readBackEveryFlavor() {
    QFETCH(DbfFlavor, flavor);
    QFETCH(QString, connect);
    QFETCH(QList<int>, types);
    std::vector<DbfColumn> fields = {{"NAME", 'C', 20},     {"BETRAG", 'N', 10, 2},
                                     {"QUOTE", 'F', 12, 4}, {"DATUM", 'D'},
                                     {"AKTIV", 'L'},        {"NOTIZ", 'M'}};
    const QString longMemo = QStringLiteral("Grüße aus Köln. ").repeated(150);
    Rows rows = {{"Müller", 1234.5, 0.125, QDate(2020, 2, 29), true, "Notiz ÄÖÜ"},
                 {"Gelöscht", 1.0, 1.0, QDate(2001, 1, 1), false, "weg"},
                 {},
                 {"Größe", -7.25, -3.5, QDate(1900, 1, 1), false, longMemo}};
    if (flavor == DbfFlavor::Dbase4) {
        fields.push_back({"BILD", 'B'});
        rows[0].push_back(QByteArray("\x00\x01\x1A\xFF", 4));
    }
    if (flavor == DbfFlavor::VisualFoxPro) {
        fields.insert(fields.end(),
                      {{"ANZAHL", 'I'}, {"PREIS", 'Y'}, {"STEMPEL", 'T'}, {"WERT", 'B'}});
        rows[0].insert(rows[0].end(),
                       {42, 19.75, QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)), 2.5});
        rows[2] = {{}, {}, {}, {}, {}, {}, 0, 0.0, {}, 0.0};  // I, Y, B have no blank
        rows[3].insert(rows[3].end(), {-1, 0.5, QDate(1999, 12, 31), -0.25});
    }
    writeTable(path("kunden.dbf"), fields, rows, {flavor}, QStringLiteral("-x--"));

    OpenedTable t = openTable(path("kunden.dbf"), connect);
    Recordset& rs = *t.rs;
    QCOMPARE(rs.fieldCount(), types.size());
    for (int i = 0; i < rs.fieldCount(); ++i) {
        QCOMPARE(rs.fieldInfo(i).name, fields[static_cast<std::size_t>(i)].name);
        QCOMPARE(rs.fieldInfo(i).type, types[i]);
    }
    QCOMPARE(rs.fieldInfo(0).size, 20);
    QCOMPARE(rs.fieldInfo(5).size, 0);
    rs.moveLast();
    QCOMPARE(rs.recordCount(), std::int64_t{3});
    rs.moveFirst();
    for (std::size_t r : {0u, 2u, 3u}) {
        QVERIFY(!rs.eof());
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const std::vector<DbfValue>& row = rows[r];
            const DbfValue v = static_cast<std::size_t>(i) < row.size() ? row[i] : DbfValue();
            const QVariant want = expectedValue(v, types[i]);
            const QVariant got = rs.value(i);
            QVERIFY2(sameValue(got, want),
                     qPrintable(QStringLiteral("record %1 field %2: %3, want %4")
                                    .arg(r)
                                    .arg(i)
                                    .arg(show(got), show(want))));
        }
        rs.moveNext();
    }
    QVERIFY(rs.eof());
}

void TestDbase::fieldValues_data() {
    QTest::addColumn<DbfFlavor>("flavor");
    QTest::addColumn<DbfColumn>("field");
    QTest::addColumn<DbfValue>("written");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("expected");
    const auto db3 = DbfFlavor::Dbase3;
    const auto db4 = DbfFlavor::Dbase4;
    const auto fox = DbfFlavor::FoxPro2;
    const auto vfp = DbfFlavor::VisualFoxPro;
    const QVariant null;
    auto raw = [](const char* s) { return DbfValue(QByteArray(s)); };
    auto date = [](int y, int m, int d) {
        return QVariant(QDateTime(QDate(y, m, d), QTime(0, 0)));
    };
    auto column = [](char type, int length = -1, int decimals = 0, bool nullable = false) {
        return DbfColumn{"F", type, length, decimals, nullable};
    };

    QTest::newRow("C trailing blanks cut")
        << db3 << column('C', 8) << raw("abc") << type::Text << QVariant("abc");
    QTest::newRow("C leading blanks kept")
        << db3 << column('C', 8) << raw("  abc") << type::Text << QVariant("  abc");
    QTest::newRow("C NUL padding cut")
        << db3 << column('C', 8) << DbfValue(QByteArray("abc\0\0\0\0\0", 8)) << type::Text
        << QVariant("abc");
    QTest::newRow("C blank is Null")
        << db3 << column('C', 8) << raw("        ") << type::Text << null;
    QTest::newRow("C of 300 bytes") << fox << column('C', 300) << DbfValue(QByteArray(300, 'x'))
                                    << type::Text << QVariant(QString(300, QLatin1Char('x')));
    QTest::newRow("C zero length is Null")
        << db3 << column('C', 0) << raw("") << type::Text << null;
    QTest::newRow("N decimals") << db3 << column('N', 10, 2) << raw("1234.50") << type::Double
                                << QVariant(1234.5);
    QTest::newRow("N negative") << db4 << column('N', 8, 2) << raw("-7.25") << type::Double
                                << QVariant(-7.25);
    QTest::newRow("N integer width 18") << db3 << column('N', 18) << raw("123456789012345")
                                        << type::Double << QVariant(123456789012345.0);
    QTest::newRow("N decimal comma")
        << db3 << column('N', 6, 1) << raw("3,5") << type::Double << QVariant(3.5);
    QTest::newRow("N blank is Null") << db3 << column('N', 6) << raw("") << type::Double << null;
    QTest::newRow("N overflow stars are Null")
        << db3 << column('N', 6) << raw("******") << type::Double << null;
    QTest::newRow("F exponent") << fox << column('F', 12, 0) << raw("1.5e3") << type::Double
                                << QVariant(1500.0);
    QTest::newRow("D date") << db3 << column('D') << raw("20200229") << type::Date
                            << date(2020, 2, 29);
    QTest::newRow("D blank is Null") << db3 << column('D') << raw("") << type::Date << null;
    QTest::newRow("D zeros are Null")
        << db4 << column('D') << raw("00000000") << type::Date << null;
    QTest::newRow("D impossible is Null")
        << db3 << column('D') << raw("20230230") << type::Date << null;
    QTest::newRow("L T") << db3 << column('L') << raw("T") << type::Boolean << QVariant(true);
    QTest::newRow("L y") << db3 << column('L') << raw("y") << type::Boolean << QVariant(true);
    QTest::newRow("L F") << db3 << column('L') << raw("F") << type::Boolean << QVariant(false);
    QTest::newRow("L n") << db3 << column('L') << raw("n") << type::Boolean << QVariant(false);
    QTest::newRow("L ? is Null") << db4 << column('L') << raw("?") << type::Boolean << null;
    QTest::newRow("L blank is Null") << db3 << column('L') << raw(" ") << type::Boolean << null;
    QTest::newRow("M dBASE III") << db3 << column('M') << DbfValue("Zeile 1\r\nZeile 2  ")
                                 << type::Memo << QVariant("Zeile 1\r\nZeile 2  ");
    QTest::newRow("M dBASE IV") << db4 << column('M') << DbfValue("Memo") << type::Memo
                                << QVariant("Memo");
    QTest::newRow("M FoxPro") << fox << column('M') << DbfValue("Memo") << type::Memo
                              << QVariant("Memo");
    QTest::newRow("M Visual FoxPro")
        << vfp << column('M') << DbfValue("Memo") << type::Memo << QVariant("Memo");
    QTest::newRow("M none is Null") << db3 << column('M') << DbfValue() << type::Memo << null;
    QTest::newRow("M empty is Null") << fox << column('M') << DbfValue("") << type::Memo << null;
    QTest::newRow("B dBASE IV binary memo")
        << db4 << column('B') << DbfValue(QByteArray("\x00\x1A\xFF", 3)) << type::LongBinary
        << QVariant(QByteArray("\x00\x1A\xFF", 3));
    QTest::newRow("G FoxPro general") << fox << column('G') << DbfValue(QByteArray("OLE"))
                                      << type::LongBinary << QVariant(QByteArray("OLE"));
    QTest::newRow("B Visual FoxPro double")
        << vfp << column('B') << DbfValue(-2.5) << type::Double << QVariant(-2.5);
    QTest::newRow("I") << vfp << column('I') << DbfValue(-5) << type::Long << QVariant(-5);
    QTest::newRow("Y") << vfp << column('Y') << DbfValue(19.75) << type::Currency
                       << QVariant(19.75);
    QTest::newRow("Y negative") << vfp << column('Y') << DbfValue(-0.0001) << type::Currency
                                << QVariant(-0.0001);
    QTest::newRow("T") << vfp << column('T')
                       << DbfValue(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7))) << type::Date
                       << QVariant(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
    QTest::newRow("T rounded to the second")
        << vfp << column('T') << DbfValue(QDateTime(QDate(2020, 3, 27), QTime(23, 59, 59, 999)))
        << type::Date << QVariant(QDateTime(QDate(2020, 3, 28), QTime(0, 0)));
    QTest::newRow("T zero is Null") << vfp << column('T') << DbfValue() << type::Date << null;
    QTest::newRow("V shorter") << vfp << column('V', 10) << DbfValue("ab  ") << type::Text
                               << QVariant("ab  ");
    QTest::newRow("V full") << vfp << column('V', 4) << DbfValue("abcd") << type::Text
                            << QVariant("abcd");
    QTest::newRow("V empty") << vfp << column('V', 4) << DbfValue("") << type::Text << QVariant("");
    QTest::newRow("Q") << vfp << column('Q', 6) << DbfValue(QByteArray("\x01\x02", 2))
                       << type::Binary << QVariant(QByteArray("\x01\x02", 2));
    QTest::newRow("nullable C Null")
        << vfp << column('C', 5, 0, true) << DbfValue() << type::Text << null;
    QTest::newRow("nullable C set")
        << vfp << column('C', 5, 0, true) << DbfValue("x") << type::Text << QVariant("x");
    QTest::newRow("nullable I Null")
        << vfp << column('I', -1, 0, true) << DbfValue() << type::Long << null;
    QTest::newRow("nullable M Null")
        << vfp << column('M', -1, 0, true) << DbfValue() << type::Memo << null;
    QTest::newRow("nullable V Null")
        << vfp << column('V', 6, 0, true) << DbfValue() << type::Text << null;
    QTest::newRow("nullable V set")
        << vfp << column('V', 6, 0, true) << DbfValue("v") << type::Text << QVariant("v");
}

void TestDbase::fieldValues() {
    QFETCH(DbfFlavor, flavor);
    QFETCH(DbfColumn, field);
    QFETCH(DbfValue, written);
    QFETCH(int, type);
    QFETCH(QVariant, expected);
    // Guard fields on both sides catch a wrong offset or width.
    const std::vector<DbfColumn> fields = {{"A", 'C', 3}, field, {"Z", 'C', 3, 0, true}};
    // A second record, all Null, makes sure flags and values do not leak between records.
    writeTable(path("t.dbf"), fields, {{"aaa", written, "zzz"}, {}}, {flavor, 0, 1252});
    OpenedTable t = openTable(path("t.dbf"));
    Recordset& rs = *t.rs;
    QCOMPARE(rs.fieldCount(), 3);
    QCOMPARE(rs.fieldInfo(1).type, type);
    const QVariant got = rs.value(1);
    QVERIFY2(sameValue(got, expected), qPrintable(show(got)));
    if (isSearchableType(type)) {
        const TextRef text = rs.text(1);
        QCOMPARE(text.isNull, expected.isNull());
        QCOMPARE(text.toString(), expected.toString());
    }
    QCOMPARE(rs.value(0).toString(), QStringLiteral("aaa"));
    QCOMPARE(rs.value(2).toString(), QStringLiteral("zzz"));
    rs.moveNext();
    QVERIFY(!rs.eof());
    QVERIFY(rs.value(0).isNull());
    QVERIFY(rs.value(2).isNull());
    // A VarChar without a value is an empty text unless the field is nullable.
    if (field.type != 'V' &&
        (isSearchableType(type) || type == type::Boolean || type == type::Date))
        QVERIFY(rs.value(1).isNull());
}

void TestDbase::languageDriver_data() {
    QTest::addColumn<int>("driver");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("none: 850") << 0x00 << 850 << QByteArray("M\x81ller") << "Müller";
    QTest::newRow("unknown id: 850") << 0xF0 << 850 << QByteArray("\x8E") << "Ä";
    QTest::newRow("437 US") << 0x01 << 437 << QByteArray("\x84") << "ä";
    QTest::newRow("437 German") << 0x0F << 437 << QByteArray("\xE1") << "ß";
    QTest::newRow("850 international") << 0x02 << 850 << QByteArray("\x99") << "Ö";
    QTest::newRow("850 German") << 0x10 << 850 << QByteArray("\x9A") << "Ü";
    QTest::newRow("852 Eastern Europe") << 0x64 << 852 << QByteArray("\xA5") << "ą";
    QTest::newRow("865 Nordic") << 0x66 << 865 << QByteArray("\x9B") << "ø";
    QTest::newRow("866 Russian") << 0x65 << 866 << QByteArray("\xA0") << "а";
    QTest::newRow("861 Icelandic") << 0x67 << 861 << QByteArray("\x8C") << "ð";
    QTest::newRow("737 Greek") << 0x6A << 737 << QByteArray("\x80") << "Α";
    QTest::newRow("857 Turkish") << 0x6B << 857 << QByteArray("\x8D") << "ı";
    QTest::newRow("874 Thai") << 0x7C << 874 << QByteArray("\xA1") << "ก";
    QTest::newRow("1250 Windows EE") << 0xC8 << 1250 << QByteArray("\xB9") << "ą";
    QTest::newRow("1251 Windows Russian") << 0xC9 << 1251 << QByteArray("\xE0") << "а";
    QTest::newRow("1252 Windows ANSI") << 0x03 << 1252 << QByteArray("\xE4\x80") << "ä€";
    QTest::newRow("1252 ANSI 0x57") << 0x57 << 1252 << QByteArray("\xDF") << "ß";
    QTest::newRow("1253 Windows Greek") << 0xCB << 1253 << QByteArray("\xC1") << "Α";
    QTest::newRow("1254 Windows Turkish") << 0xCA << 1254 << QByteArray("\xFD") << "ı";
    QTest::newRow("1257 Windows Baltic") << 0xCC << 1257 << QByteArray("\xE0") << "ą";
    QTest::newRow("10000 Macintosh") << 0x04 << 10000 << QByteArray("\x8A") << "ä";
    QTest::newRow("932 Japanese") << 0x7B << 932 << QByteArray("\x93\xFA") << "日";
    QTest::newRow("936 Chinese GBK") << 0x4D << 936 << QByteArray("\xB2\xE2") << "测";
    QTest::newRow("949 Korean") << 0x79 << 949 << QByteArray("\xC7\xD1") << "한";
    QTest::newRow("950 Big5") << 0x78 << 950 << QByteArray("\xA4\xA4") << "中";
}

void TestDbase::languageDriver() {
    QFETCH(int, driver);
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    DbfOptions options;
    options.languageDriver = static_cast<std::uint8_t>(driver);
    writeTable(path("cp.dbf"), {{"NAME", 'C', 10}, {"NOTIZ", 'M'}}, {{bytes, bytes}}, options);
    OpenedTable t = openTable(path("cp.dbf"), QStringLiteral("FoxPro 2.5"));
    for (int field : {0, 1}) {
        const TextRef ref = t.rs->text(field);
        QCOMPARE(ref.codePage, codePage);
        QCOMPARE(QByteArray(ref.data, static_cast<qsizetype>(ref.size)), bytes);
        QCOMPARE(t.rs->value(field).toString(), text);
    }
}

void TestDbase::deletedRecords_data() {
    QTest::addColumn<QString>("pattern");  // one letter per record: x deleted, - live
    QTest::newRow("none") << "----";
    QTest::newRow("first") << "x---";
    QTest::newRow("last") << "---x";
    QTest::newRow("alternating") << "x-x-x-";
    QTest::newRow("one live") << "xx-xx";
    QTest::newRow("all deleted") << "xxx";
}

void TestDbase::deletedRecords() {
    QFETCH(QString, pattern);
    Rows rows;
    QStringList live;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        rows.push_back({QStringLiteral("R%1").arg(i + 1)});
        if (pattern[i] != QLatin1Char('x'))
            live << QStringLiteral("R%1").arg(i + 1);
    }
    writeTable(path("d.dbf"), {{"NAME", 'C', 10}}, rows, {}, pattern);
    OpenedTable t = openTable(path("d.dbf"));
    Recordset& rs = *t.rs;
    QCOMPARE(rs.eof(), live.isEmpty());
    QCOMPARE(rs.recordCount(), std::int64_t{live.size()});
    QCOMPARE(allTexts(rs, 0), live);
    rs.moveLast();
    QCOMPARE(rs.eof(), live.isEmpty());
    if (live.isEmpty()) {
        rs.moveFirst();
        QVERIFY(rs.eof());
        rs.moveNext();
        QVERIFY(rs.eof());
        QCOMPARE(engineErrorOf([&] { rs.value(0); }), err::NoCurrentRecord);
        QCOMPARE(engineErrorOf([&] { rs.text(0); }), err::NoCurrentRecord);
        return;
    }
    QCOMPARE(rs.text(0).toString(), live.last());
    rs.moveNext();
    QVERIFY(rs.eof());
    QCOMPARE(engineErrorOf([&] { rs.text(0); }), err::NoCurrentRecord);
}

void TestDbase::blocksAcrossALargeTable_data() {
    QTest::addColumn<int>("total");
    // 39-byte records behind a 97-byte header; the first read takes up to 64 KiB.
    QTest::newRow("held whole by the first read") << 500;
    QTest::newRow("ends just inside the first read") << (65536 - 97) / 39;
    QTest::newRow("ends just past the first read") << (65536 - 97) / 39 + 1;
    QTest::newRow("several read blocks, about 2 MB") << 50'000;
}

void TestDbase::blocksAcrossALargeTable() {
    QFETCH(int, total);  // every 7th record deleted
    {
        DbfWriter w(path("big.dbf"), {{"NAME", 'C', 30}, {"NR", 'N', 8}});
        for (int i = 0; i < total; ++i)
            w.addRecord({QStringLiteral("Name %1").arg(i), i}, i % 7 == 3);
        QVERIFY(w.finish());
    }
    QStringList expected;
    for (int i = 0; i < total; ++i) {
        if (i % 7 != 3)
            expected << QStringLiteral("Name %1").arg(i);
    }
    OpenedTable t = openTable(path("big.dbf"));
    Recordset& rs = *t.rs;
    int n = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext(), ++n) {
        QVERIFY(n < expected.size());
        if (n == 20'000) {
            // Counting reads the whole file through the same buffer; the position must hold.
            QCOMPARE(rs.recordCount(), std::int64_t{expected.size()});
        }
        if (rs.text(0).toString() != expected[n])
            QFAIL(qPrintable(QStringLiteral("record %1: %2").arg(n).arg(rs.text(0).toString())));
    }
    QCOMPARE(n, expected.size());
    rs.moveLast();
    QCOMPARE(rs.text(0).toString(), expected.last());
    rs.moveFirst();
    QCOMPARE(rs.text(0).toString(), expected.first());

    // Read in three parts of record slotTotal, each with its own recordset, the parts' records
    // together are the table's records.
    const std::uint64_t slotTotal = rs.slotCount();
    QCOMPARE(slotTotal, std::uint64_t(total));
    QStringList together;
    for (const auto& [first, end] : {std::pair{std::uint64_t(0), slotTotal / 3},
                                     {slotTotal / 3, slotTotal / 3 + 1},
                                     {slotTotal / 3 + 1, slotTotal}}) {
        OpenedTable part = openTable(path("big.dbf"));
        part.rs->restrictToSlots(first, end);
        const QStringList texts = allTexts(*part.rs, 0);
        QCOMPARE(part.rs->recordCount(), std::int64_t{texts.size()});
        if (!texts.isEmpty()) {
            part.rs->moveLast();
            QCOMPARE(part.rs->text(0).toString(), texts.last());
        }
        together += texts;
    }
    QCOMPARE(together, expected);
}

void TestDbase::truncatedFile_data() {
    QTest::addColumn<DbfFlavor>("flavor");
    QTest::addColumn<int>("from");        // 0 file start, 1 end of header, 2 end of file
    QTest::addColumn<double>("records");  // distance from there, in records (or bytes from start)
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("count");
    const auto db3 = DbfFlavor::Dbase3;
    QTest::newRow("empty") << db3 << 0 << 0.0 << err::WrongFormat << 0;
    QTest::newRow("31 bytes") << db3 << 0 << 31.0 << err::WrongFormat << 0;
    QTest::newRow("file header only") << db3 << 0 << 32.0 << err::CorruptDatabase << 0;
    QTest::newRow("inside descriptors") << db3 << 0 << 50.0 << err::CorruptDatabase << 0;
    QTest::newRow("terminator cut") << db3 << 1 << -1.0 / 30 << err::CorruptDatabase << 0;
    QTest::newRow("VFP backlink cut")
        << DbfFlavor::VisualFoxPro << 1 << -1.0 << err::CorruptDatabase << 0;
    QTest::newRow("no records") << db3 << 1 << 0.0 << 0 << 0;
    QTest::newRow("half a record") << db3 << 1 << 0.5 << 0 << 0;
    QTest::newRow("two and a half records") << db3 << 1 << 2.5 << 0 << 2;
    QTest::newRow("end marker cut") << db3 << 2 << -1.0 / 30 << 0 << 5;
    QTest::newRow("last record cut") << db3 << 2 << -0.5 << 0 << 4;
}

void TestDbase::truncatedFile() {
    QFETCH(DbfFlavor, flavor);
    QFETCH(int, from);
    QFETCH(double, records);
    QFETCH(int, error);
    QFETCH(int, count);
    DbfWriter w(path("t.dbf"), {{"NAME", 'C', 29}}, {flavor});
    for (int i = 0; i < 5; ++i)
        w.addRecord({QStringLiteral("Datensatz %1").arg(i)});
    QVERIFY(w.finish());
    QCOMPARE(w.recordLength(), 30u);
    const qint64 size = QFileInfo(path("t.dbf")).size();
    const qint64 base = from == 0 ? 0 : from == 1 ? qint64(w.headerLength()) : size;
    const qint64 cut = from == 0 ? qint64(records) : base + qint64(records * 30);
    QVERIFY(QFile::resize(path("t.dbf"), cut));
    std::int64_t got = -1;
    QCOMPARE(engineErrorOf([&] {
                 OpenedTable t = openTable(path("t.dbf"));
                 got = t.rs->recordCount();
                 for (t.rs->moveFirst(); !t.rs->eof(); t.rs->moveNext())
                     t.rs->text(0);
             }),
             error);
    if (error == 0)
        QCOMPARE(got, std::int64_t{count});
}

void TestDbase::headerCount_data() {
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<int>("count");
    QTest::newRow("more than the file holds: clamped") << 1000u << 5;
    QTest::newRow("huge: clamped") << 0xFFFFFFFFu << 5;
    QTest::newRow("fewer: the header wins") << 2u << 2;
    QTest::newRow("zero") << 0u << 0;
}

void TestDbase::headerCount() {
    QFETCH(quint32, stored);
    QFETCH(int, count);
    writeTable(path("h.dbf"), {{"NAME", 'C', 10}}, Rows(5, {"x"}));
    const char le[4] = {char(stored & 0xFF), char((stored >> 8) & 0xFF),
                        char((stored >> 16) & 0xFF), char(stored >> 24)};
    patchFile(path("h.dbf"), 4, QByteArray(le, 4));
    OpenedTable t = openTable(path("h.dbf"));
    QCOMPARE(t.rs->recordCount(), std::int64_t{count});
    QCOMPARE(allTexts(*t.rs, 0).size(), count);
}

void TestDbase::damagedMemo_data() {
    QTest::addColumn<DbfFlavor>("flavor");
    QTest::addColumn<QByteArray>("pointer");  // replaces the memo field's bytes when not empty
    QTest::addColumn<int>("memoCut");         // bytes cut from the memo file's end, -1 all
    QTest::addColumn<int>("memoPatchAt");     // offset in the memo file, -1 none
    QTest::addColumn<QByteArray>("memoPatch");
    QTest::addColumn<int>("error");
    const auto db3 = DbfFlavor::Dbase3;
    const auto db4 = DbfFlavor::Dbase4;
    const auto fox = DbfFlavor::FoxPro2;
    const QByteArray none;
    QTest::newRow("dBASE III pointer past the end")
        << db3 << QByteArray("     99999") << 0 << -1 << none << err::CorruptDatabase;
    QTest::newRow("dBASE IV pointer past the end")
        << db4 << QByteArray("4000000000") << 0 << -1 << none << err::CorruptDatabase;
    QTest::newRow("FoxPro pointer past the end")
        << fox << QByteArray("      1000") << 0 << -1 << none << err::CorruptDatabase;
    QTest::newRow("VFP pointer past the end")
        << DbfFlavor::VisualFoxPro << QByteArray("\xFF\xFF\xFF\xFF") << 0 << -1 << none
        << err::CorruptDatabase;
    QTest::newRow("FoxPro pointer into the header")
        << fox << QByteArray("         1") << 0 << -1 << none << err::CorruptDatabase;
    QTest::newRow("pointer not a number")
        << db3 << QByteArray("       1x2") << 0 << -1 << none << err::CorruptDatabase;
    QTest::newRow("FoxPro length past the end")
        << fox << none << 50 << -1 << none << err::CorruptDatabase;
    QTest::newRow("FoxPro huge length")
        << fox << none << 0 << 516 << QByteArray("\x7F\xFF\xFF\xFF") << err::CorruptDatabase;
    QTest::newRow("FoxPro block size 0")
        << fox << none << 0 << 6 << QByteArray("\0\0", 2) << err::CorruptDatabase;
    QTest::newRow("dBASE IV length past the end")
        << db4 << none << 500 << -1 << none << err::CorruptDatabase;
    QTest::newRow("dBASE III memo file empty")
        << db3 << none << -1 << -1 << none << err::CorruptDatabase;
    QTest::newRow("FoxPro memo file empty")
        << fox << none << -1 << -1 << none << err::CorruptDatabase;
    QTest::newRow("dBASE III without end marker: text to the end")
        << db3 << none << 502 << -1 << none << 0;
}

void TestDbase::damagedMemo() {
    QFETCH(DbfFlavor, flavor);
    QFETCH(QByteArray, pointer);
    QFETCH(int, memoCut);
    QFETCH(int, memoPatchAt);
    QFETCH(QByteArray, memoPatch);
    QFETCH(int, error);
    QString memoPath;
    {
        DbfWriter w(path("m.dbf"), {{"NAME", 'C', 10}, {"NOTIZ", 'M'}}, {flavor});
        w.addRecord({"eins", "Hallo Memo"});
        QVERIFY(w.finish());
        memoPath = w.memoPath();
        if (!pointer.isEmpty())
            patchFile(path("m.dbf"), w.headerLength() + 11, pointer);
    }
    if (memoCut != 0)
        QVERIFY(QFile::resize(memoPath, memoCut < 0 ? 0 : QFileInfo(memoPath).size() - memoCut));
    if (memoPatchAt >= 0)
        patchFile(memoPath, memoPatchAt, memoPatch);
    OpenedTable t = openTable(path("m.dbf"));
    QString text;
    QCOMPARE(engineErrorOf([&] { text = t.rs->text(1).toString(); }), error);
    QCOMPARE(engineErrorOf([&] { t.rs->value(1); }), error);
    if (error == 0)
        QVERIFY(text.startsWith(QStringLiteral("Hallo Memo")));
    // The damage belongs to the memo; the record's other fields still read.
    QCOMPARE(t.rs->text(0).toString(), QStringLiteral("eins"));
}

void TestDbase::wrongFormat_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTemporaryDir tmp;
    const QString file = tmp.filePath("t.dbf");
    {
        DbfWriter w(file, {{"NAME", 'C', 10}, {"NR", 'N', 5}});
        w.addRecord({"eins", 1});
        w.addRecord({"zwei", 2});
    }
    const QByteArray good = ds::test::readFile(file);
    auto with = [&](int at, const QByteArray& patch) {
        QByteArray b = good;
        return b.replace(at, patch.size(), patch);
    };
    QTest::newRow("valid") << good << 0;
    QTest::newRow("0x04 with dBASE IV descriptors") << with(0, "\x04") << 0;
    QTest::newRow("text file") << QByteArray("Name;Ort\r\nM\xfcller;K\xf6ln\r\n")
                               << err::WrongFormat;
    QTest::newRow("empty") << QByteArray() << err::WrongFormat;
    QTest::newRow("dBASE II") << with(0, "\x02") << err::WrongFormat;
    QTest::newRow("dBASE 7 with memo") << with(0, "\x8C") << err::WrongFormat;
    QTest::newRow("dBASE 7 level-7 header")
        << with(0, "\x04").replace(32, 32, QByteArray("DB437US0").leftJustified(32, '\0'))
        << err::WrongFormat;
    QTest::newRow("unknown field type") << with(32 + 11, "X") << err::WrongFormat;
    QTest::newRow("record length zero") << with(10, QByteArray("\0\0", 2)) << err::WrongFormat;
    QTest::newRow("month 13") << with(2, "\x0D") << err::WrongFormat;
    QTest::newRow("wrong width of a date") << with(32 + 32 + 11, "D") << err::WrongFormat;
}

void TestDbase::wrongFormat() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QVERIFY(ds::test::writeFile(path("w.dbf"), bytes));
    QCOMPARE(engineErrorOf([&] { OpenedTable t = openTable(path("w.dbf"), "dBASE III"); }), error);
}

void TestDbase::memoFileMissingOrInOtherCase() {
    for (DbfFlavor flavor : {DbfFlavor::Dbase3, DbfFlavor::VisualFoxPro}) {
        QString memoPath;
        {
            DbfWriter w(path("kunden.dbf"), {{"NOTIZ", 'M'}}, {flavor});
            w.addRecord({"Notiz"});
            QVERIFY(w.finish());
            memoPath = w.memoPath();
        }
        const QFileInfo memo(memoPath);
        // Files copied from DOS: table in lower case, memo in upper case.
        const QString upper = memo.dir().filePath(memo.fileName().toUpper());
        QVERIFY(QFile::rename(memoPath, upper));
        QCOMPARE(openTable(path("kunden.dbf")).rs->text(0).toString(), QStringLiteral("Notiz"));
        QVERIFY(QFile::remove(upper));
        try {
            openTable(path("kunden.dbf"));
            QFAIL("no error for the missing memo file");
        } catch (const EngineError& e) {
            QCOMPARE(e.number(), err::FileNotFound);
            QVERIFY2(e.message().contains(memo.fileName()), qPrintable(e.message()));
        }
    }
}

void TestDbase::tableNames() {
    for (const char* name : {"KUNDEN.DBF", "artikel.dbf", "mit blank.dbf"})
        writeTable(path(name), {{"NAME", 'C', 20}}, {{name}});
    QVERIFY(ds::test::writeFile(path("liesmich.txt"), "kein dBASE"));
    QVERIFY(ds::test::writeFile(path("artikel"), "kein dBASE, aber ohne Endung"));
    Workspace ws;
    auto db = ws.openDatabase(dir_->path(), false, true, QStringLiteral("FoxPro 3.0"));
    QStringList names;
    for (const TableDef& def : db->tableDefs()) {
        names << def.name;
        QCOMPARE(def.attributes, 0);
    }
    QCOMPARE(names, (QStringList{"artikel", "KUNDEN", "mit blank"}));
    const std::pair<const char*, const char*> lookups[] = {{"KUNDEN", "KUNDEN.DBF"},
                                                           {"kunden.dbf", "KUNDEN.DBF"},
                                                           {"artikel", "artikel.dbf"},
                                                           {"ARTIKEL.DBF", "artikel.dbf"},
                                                           {"mit blank.dbf", "mit blank.dbf"}};
    for (const auto& [asked, content] : lookups)
        QCOMPARE(db->openRecordset(asked)->text(0).toString(), QString::fromLatin1(content));
    QCOMPARE(engineErrorOf([&] { db->openRecordset(QStringLiteral("fehlt")); }),
             err::ObjectNotFound);
}

void TestDbase::fileUnchangedByReading() {
    QString memoPath;
    {
        DbfWriter w(path("k.dbf"), {{"NAME", 'C', 10}, {"NOTIZ", 'M'}}, {DbfFlavor::Dbase4});
        w.addRecord({"eins", "Notiz"});
        w.addRecord({"zwei", "Noch eine"}, true);
        QVERIFY(w.finish());
        memoPath = w.memoPath();
    }
    const QDateTime past(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    for (const QString& f : {path("k.dbf"), memoPath}) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    const QByteArray dbfBefore = ds::test::readFile(path("k.dbf"));
    const QByteArray memoBefore = ds::test::readFile(memoPath);
    {
        OpenedTable t = openTable(path("k.dbf"));
        t.rs->moveLast();
        QCOMPARE(t.rs->recordCount(), std::int64_t{1});
        for (t.rs->moveFirst(); !t.rs->eof(); t.rs->moveNext()) {
            for (int i = 0; i < t.rs->fieldCount(); ++i)
                t.rs->value(i);
        }
    }
    QCOMPARE(ds::test::readFile(path("k.dbf")), dbfBefore);
    QCOMPARE(ds::test::readFile(memoPath), memoBefore);
    QCOMPARE(QFileInfo(path("k.dbf")).lastModified().toUTC(), past);
    QCOMPARE(QFileInfo(memoPath).lastModified().toUTC(), past);
}

QTEST_GUILESS_MAIN(TestDbase)
