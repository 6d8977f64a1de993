#include "TestExcel.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/Recordset.h"
#include "dbengine/excel/Decryption.h"
#include "dbengine/excel/NumberFormats.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace ds::db;
using namespace ds::test;
using ds::test::engineErrorOf;

Q_DECLARE_METATYPE(ds::test::XlsVersion)

std::unique_ptr<Database> openWorkbook(const QString& path, const QString& connect) {
    Workspace ws;
    return ws.openDatabase(path, false, true, connect);
}

TableDump readTable(Database& database, const QString& table) {
    TableDump dump;
    auto rs = database.openRecordset(table);
    for (int i = 0; i < rs->fieldCount(); ++i) {
        dump.names << rs->fieldInfo(i).name;
        dump.types << rs->fieldInfo(i).type;
    }
    rs->moveLast();
    const qint64 count = rs->recordCount();
    rs->moveFirst();
    for (; !rs->eof(); rs->moveNext()) {
        QVariantList values;
        QStringList texts;
        for (int i = 0; i < rs->fieldCount(); ++i) {
            values << rs->value(i);
            texts << (isSearchableType(rs->fieldInfo(i).type) ? rs->text(i).toString() : QString());
        }
        dump.rows << values;
        dump.texts << texts;
    }
    if (dump.rows.size() != count)
        qWarning("recordCount %lld differs from records read %lld", static_cast<long long>(count),
                 static_cast<long long>(dump.rows.size()));
    return dump;
}

int readEverything(const QString& path, const QString& connect) {
    return engineErrorOf([&] {
        auto db = openWorkbook(path, connect);
        for (const TableDef& def : db->tableDefs()) {
            auto rs = db->openRecordset(def.name);
            rs->moveLast();
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                for (int i = 0; i < rs->fieldCount(); ++i) {
                    (void)rs->value(i);
                    if (isSearchableType(rs->fieldInfo(i).type))
                        (void)rs->text(i).toString();
                }
            }
        }
    });
}

void TestExcel::init() {
    dir_ = std::make_unique<QTemporaryDir>();
}

QString TestExcel::save(const XlsWriter& writer, const QString& name) const {
    const QString file = path(name);
    if (!writer.save(file))
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

namespace {

QVariant expectedValue(const XlsCell& cell) {
    if (const auto* s = std::get_if<QString>(&cell))
        return *s;
    if (const auto* d = std::get_if<double>(&cell))
        return *d;
    if (const auto* date = std::get_if<QDate>(&cell))
        return date->startOfDay();
    if (const auto* dt = std::get_if<QDateTime>(&cell))
        return *dt;
    if (const auto* b = std::get_if<bool>(&cell))
        return *b;
    return {};
}

// Text every version and both test code pages can hold; BIFF8 stores € as UTF-16.
const QList<QList<XlsCell>> kSample = {
    {QStringLiteral("Name"), QStringLiteral("Ort"), QStringLiteral("Betrag"),
     QStringLiteral("Seit"), QStringLiteral("Aktiv"), QStringLiteral("Zuletzt"), XlsCell{},
     QStringLiteral("Notiz")},
    {QStringLiteral("Müller"), QStringLiteral("Köln"), 1234.5, QDate(2019, 5, 17), true,
     QDateTime(QDate(2023, 3, 4), QTime(13, 14, 15)), 7.0, QStringLiteral("kurz")},
    {QStringLiteral("Straße & Söhne €"), QStringLiteral("München"), -99.0, QDate(1900, 1, 1), false,
     QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), 1e10, QString(300, QLatin1Char('x'))},
    {QStringLiteral("Café"), XlsCell{}, 0.125, QDate(2024, 2, 29), true,
     QDateTime(QDate(2000, 1, 1), QTime(0, 0)), -3.0, QStringLiteral("Grüße aus Ägypten")},
};

}  // namespace

void TestExcel::roundTrip_data() {
    QTest::addColumn<XlsVersion>("version");
    QTest::addColumn<bool>("sharedStrings");
    QTest::addColumn<bool>("smallStream");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<bool>("secondSheet");
    QTest::newRow("BIFF8") << XlsVersion::Biff8 << true << false << 1252 << false << true;
    QTest::newRow("BIFF8 inline text")
        << XlsVersion::Biff8 << false << false << 1252 << false << true;
    QTest::newRow("BIFF8 mini stream")
        << XlsVersion::Biff8 << true << true << 1252 << false << false;
    QTest::newRow("BIFF8 1904") << XlsVersion::Biff8 << true << false << 1252 << true << true;
    QTest::newRow("BIFF5") << XlsVersion::Biff5 << true << false << 1252 << false << true;
    QTest::newRow("BIFF5 cp1250") << XlsVersion::Biff5 << true << true << 1250 << false << false;
    QTest::newRow("BIFF4") << XlsVersion::Biff4 << true << false << 1252 << false << false;
    QTest::newRow("BIFF4 workbook") << XlsVersion::Biff4 << true << false << 1252 << true << true;
    QTest::newRow("BIFF3") << XlsVersion::Biff3 << true << false << 1250 << true << false;
}

void TestExcel::roundTrip() {
    QFETCH(XlsVersion, version);
    QFETCH(bool, sharedStrings);
    QFETCH(bool, smallStream);
    QFETCH(int, codePage);
    QFETCH(bool, date1904);
    QFETCH(bool, secondSheet);
    XlsWriter writer(version);
    writer.setSharedStrings(sharedStrings).setSmallStreamAllowed(smallStream);
    writer.setCodePage(codePage).setDate1904(date1904);
    XlsSheet& sheet = writer.addSheet(QStringLiteral("Kunden"));
    for (int r = 0; r < kSample.size(); ++r)
        sheet.setRow(r, kSample[r]);
    if (secondSheet)
        writer.addSheet(QStringLiteral("Leer"));
    const QString file = save(writer, QStringLiteral("Mappe.xls"));

    auto db = openWorkbook(file, QStringLiteral("Excel 5.0"));
    const std::vector<TableDef> defs = db->tableDefs();
    const bool lone =
        (version == XlsVersion::Biff3 || version == XlsVersion::Biff4) && !secondSheet;
    QCOMPARE(int(defs.size()), secondSheet ? 2 : 1);
    QCOMPARE(defs[0].name, lone ? QStringLiteral("Mappe$") : QStringLiteral("Kunden$"));
    QCOMPARE(defs[0].attributes, 0);

    const TableDump dump = readTable(*db, defs[0].name);
    QCOMPARE(dump.names,
             (QStringList{"Name", "Ort", "Betrag", "Seit", "Aktiv", "Zuletzt", "F7", "Notiz"}));
    QCOMPARE(dump.types, (QList<int>{type::Text, type::Text, type::Double, type::Date,
                                     type::Boolean, type::Date, type::Double, type::Memo}));
    QCOMPARE(dump.rows.size(), kSample.size() - 1);
    for (int r = 1; r < kSample.size(); ++r) {
        for (int c = 0; c < dump.names.size(); ++c) {
            QVariant expected = expectedValue(kSample[r][c]);
            // The 1904 system has no days before 1904.
            if (date1904 && expected.typeId() == QMetaType::QDateTime &&
                expected.toDateTime().date().year() < 1904)
                expected = QVariant();
            QCOMPARE(dump.rows[r - 1][c], expected);
        }
    }

    // Raw text: BIFF8 keeps 8-bit strings as ISO-8859-1 and the rest as UTF-16.
    auto rs = db->openRecordset(defs[0].name);
    rs->moveNext();
    const TextRef plain = rs->text(0);  // Straße & Söhne € (the euro is not ISO-8859-1)
    QCOMPARE(plain.toString(), QStringLiteral("Straße & Söhne €"));
    QCOMPARE(plain.codePage, version == XlsVersion::Biff8 ? cp::Utf16LE : codePage);
    const TextRef city = rs->text(1);
    QCOMPARE(city.codePage, version == XlsVersion::Biff8 ? 28591 : codePage);
    QCOMPARE(QByteArray(city.data, static_cast<qsizetype>(city.size)),
             encodeText(QStringLiteral("München"), city.codePage));
    QVERIFY(rs->text(2).isNull);  // not a text field

    if (secondSheet) {
        const TableDump empty = readTable(*db, defs[1].name);
        QCOMPARE(empty.names, QStringList{"F1"});
        QVERIFY(empty.rows.isEmpty());
    }
}

namespace {

// One column of a sheet, one letter per data row: t text, n number, d date,
// b boolean, e error, L text of 300 characters, . empty.
XlsCell kindCell(QChar kind, int row) {
    switch (kind.unicode()) {
        case 't':
            return QStringLiteral("Text %1").arg(row);
        case 'n':
            return 42.0;
        case 'd':
            return QDate(2001, 2, 3);
        case 'b':
            return true;
        case 'e':
            return XlsError{};
        case 'L':
            return QString(300, QLatin1Char('L'));
        default:
            return {};
    }
}

}  // namespace

void TestExcel::columnMapping_data() {
    QTest::addColumn<QString>("guessRows");  // records 1 to 8
    QTest::addColumn<QString>("probe");      // record 9
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("probeValue");
    const QVariant null;
    const QVariant text = QStringLiteral("Text 9");
    QTest::newRow("numbers outvote text") << "nnnttn.."
                                          << "n" << type::Double << QVariant(42.0);
    QTest::newRow("tie goes to text") << "nntt...."
                                      << "t" << type::Text << text;
    QTest::newRow("number in a text column") << "tttnn..."
                                             << "n" << type::Text << null;
    QTest::newRow("text in a number column") << "nnnt...."
                                             << "t" << type::Double << null;
    QTest::newRow("dates outvote numbers")
        << "ddn....."
        << "n" << type::Date << QVariant(QDateTime(QDate(1900, 2, 11), QTime(0, 0)));
    QTest::newRow("number and date tie")
        << "nndd...."
        << "d" << type::Double
        << QVariant(XlsWriter::serialOf(QDate(2001, 2, 3).startOfDay(), false));
    QTest::newRow("booleans") << "bbbt...."
                              << "b" << type::Boolean << QVariant(true);
    QTest::newRow("text in a boolean column") << "bbbt...."
                                              << "t" << type::Boolean << null;
    QTest::newRow("boolean and number tie") << "bn......"
                                            << "b" << type::Double << null;
    QTest::newRow("empty column") << "........"
                                  << "t" << type::Text << text;
    QTest::newRow("errors vote for nothing") << "eeeen..."
                                             << "n" << type::Double << QVariant(42.0);
    QTest::newRow("error cell reads Null") << "ttt....."
                                           << "e" << type::Text << null;
    QTest::newRow("long text makes a memo") << "nnnnnnnL"
                                            << "t" << type::Memo << text;
    QTest::newRow("long text after row 9")
        << "tttttttt"
        << "L" << type::Text << QVariant(QString(300, QLatin1Char('L')));
}

void TestExcel::columnMapping() {
    QFETCH(QString, guessRows);
    QFETCH(QString, probe);
    QFETCH(int, type);
    QFETCH(QVariant, probeValue);
    XlsWriter writer;
    XlsSheet& sheet = writer.addSheet(QStringLiteral("S"));
    sheet.set(0, 0, QStringLiteral("Spalte"));
    const QString kinds = guessRows + probe;
    for (int i = 0; i < kinds.size(); ++i)
        sheet.set(i + 1, 0, kindCell(kinds[i], i + 1));
    auto db = openWorkbook(save(writer, QStringLiteral("m.xls")));
    const TableDump dump = readTable(*db, QStringLiteral("S$"));
    QCOMPARE(dump.types, QList<int>{type});
    QCOMPARE(dump.rows.size(), 9);
    QCOMPARE(dump.rows[8][0], probeValue);
    const bool searchable = type == type::Text || type == type::Memo;
    QCOMPARE(dump.texts[8][0], searchable ? probeValue.toString() : QString());
}

void TestExcel::fieldNames_data() {
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<QVariantList>("header");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("text") << 0 << QVariantList{"Name", "Ort"} << QStringList{"Name", "Ort"};
    QTest::newRow("empty cells by position")
        << 0 << QVariantList{"Name", QVariant(), "Ort", QVariant()}
        << QStringList{"Name", "F2", "Ort", "F4"};
    QTest::newRow("table starts at column C")
        << 2 << QVariantList{QVariant(), "B"} << QStringList{"F1", "B"};
    QTest::newRow("numbers and booleans") << 0 << QVariantList{2024.0, 1.5, true, false}
                                          << QStringList{"2024", "1.5", "WAHR", "FALSCH"};
    QTest::newRow("no header row")
        << 0 << QVariantList{QVariant(), QVariant()} << QStringList{"F1", "F2"};
}

void TestExcel::fieldNames() {
    QFETCH(int, firstColumn);
    QFETCH(QVariantList, header);
    QFETCH(QStringList, names);
    XlsWriter writer(XlsVersion::Biff5);
    XlsSheet& sheet = writer.addSheet(QStringLiteral("S"));
    for (int i = 0; i < header.size(); ++i) {
        const QVariant& h = header[i];
        if (h.typeId() == QMetaType::QString)
            sheet.set(0, firstColumn + i, h.toString());
        else if (h.typeId() == QMetaType::Double)
            sheet.set(0, firstColumn + i, h.toDouble());
        else if (h.typeId() == QMetaType::Bool)
            sheet.set(0, firstColumn + i, h.toBool());
        sheet.set(1, firstColumn + i, static_cast<double>(i));
    }
    auto db = openWorkbook(save(writer, QStringLiteral("n.xls")));
    QCOMPARE(readTable(*db, QStringLiteral("S$")).names, names);
}

namespace {
// Resident memory of this process in bytes, or -1 where it cannot be read.
qint64 residentBytes() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> parts = status.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLongLong() * 4096 : -1;
}
}  // namespace

void TestExcel::emptyRowsAndSparseSheet() {
    XlsWriter writer;
    writer.addSheet(QStringLiteral("Lücken"))
        .setRow(0, {QStringLiteral("A"), QStringLiteral("B")})
        .setRow(1, {QStringLiteral("eins"), 1.0})
        .setRow(4, {QStringLiteral("vier"), 4.0});
    XlsSheet& sparse = writer.addSheet(QStringLiteral("Weit"));
    sparse.set(0, 0, QStringLiteral("A1"));
    sparse.set(65535, 255, QStringLiteral("IV65536"));
    auto db = openWorkbook(save(writer, QStringLiteral("sparse.xls")));

    const TableDump gaps = readTable(*db, QStringLiteral("Lücken$"));
    QCOMPARE(gaps.rows.size(), 4);
    QCOMPARE(gaps.rows[1], (QVariantList{QVariant(), QVariant()}));
    QCOMPARE(gaps.rows[2], (QVariantList{QVariant(), QVariant()}));
    QCOMPARE(gaps.rows[3], (QVariantList{QStringLiteral("vier"), 4.0}));

    // 65535 records of 256 fields, held by the two cells there are.
    const qint64 before = residentBytes();
    auto rs = db->openRecordset(QStringLiteral("Weit$"));
    rs->moveLast();
    QCOMPARE(rs->recordCount(), qint64(65535));
    QCOMPARE(rs->fieldCount(), 256);
    QCOMPARE(rs->fieldInfo(0).name, QStringLiteral("A1"));
    QCOMPARE(rs->value(255).toString(), QStringLiteral("IV65536"));
    qint64 records = 0, values = 0;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        ++records;
        values += rs->value(255).isNull() ? 0 : 1;
    }
    QCOMPARE(records, qint64(65535));
    QCOMPARE(values, qint64(1));
    const qint64 after = residentBytes();
    if (before < 0)
        QSKIP("resident memory not measurable here");
    QVERIFY2(after - before < 8 * 1024 * 1024, qPrintable(QString::number(after - before)));
}

void TestExcel::serialDates_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("expected");  // empty: no date
    QTest::newRow("1900 day one") << 1.0 << false << "1900-01-01T00:00:00.000";
    QTest::newRow("1900 Feb 28") << 59.0 << false << "1900-02-28T00:00:00.000";
    QTest::newRow("1900 leap bug day") << 60.5 << false << "1900-02-28T12:00:00.000";
    QTest::newRow("1900 Mar 1") << 61.0 << false << "1900-03-01T00:00:00.000";
    QTest::newRow("time of day only") << 0.75 << false << "1899-12-30T18:00:00.000";
    QTest::newRow("rounds to the millisecond")
        << 43861.999999999 << false << "2020-02-01T00:00:00.000";
    QTest::newRow("last day") << 2958465.0 << false << "9999-12-31T00:00:00.000";
    QTest::newRow("past the last day") << 2958466.0 << false << "";
    QTest::newRow("negative") << -1.0 << false << "";
    QTest::newRow("not a number") << qQNaN() << false << "";
    QTest::newRow("1904 day zero") << 0.0 << true << "1904-01-01T00:00:00.000";
    QTest::newRow("1904 same date") << 43861.0 - 1462.0 << true << "2020-01-31T00:00:00.000";
}

void TestExcel::serialDates() {
    QFETCH(double, serial);
    QFETCH(bool, date1904);
    QFETCH(QString, expected);
    const auto dt = excel::serialToDateTime(serial, date1904);
    QCOMPARE(dt ? dt->toString(Qt::ISODateWithMs) : QString(), expected);
}

void TestExcel::dateFormatCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("isDate");
    QTest::newRow("date") << "DD.MM.YYYY" << true;
    QTest::newRow("time") << "hh:mm:ss" << true;
    QTest::newRow("elapsed minutes") << "[mm]:ss.0" << true;
    QTest::newRow("locale prefix") << "[$-407]D. MMMM YYYY" << true;
    QTest::newRow("number") << "#,##0.00" << false;
    QTest::newRow("quoted letters") << "0 \"Tage/Stunden\"" << false;
    QTest::newRow("escaped letters") << "0\\d\\h" << false;
    QTest::newRow("colour and condition") << "[Red][<=100]0;[Blue]0" << false;
    QTest::newRow("elapsed hours alone") << "[h]" << false;
    QTest::newRow("padding and fill") << "_-* #,##0_-;_s" << false;
    QTest::newRow("General") << "General" << false;
    QTest::newRow("Standard") << "Standard" << false;
    QTest::newRow("text") << "@" << false;
}

void TestExcel::dateFormatCodes() {
    QFETCH(QString, code);
    QFETCH(bool, isDate);
    QCOMPARE(excel::isDateFormatCode(code.toStdU16String()), isDate);
}

void TestExcel::encryption_data() {
    QTest::addColumn<QString>("filePassword");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("error");
    QTest::newRow("right password") << "geheim"
                                    << "Excel 8.0;PWD=geheim;" << 0;
    QTest::newRow("no password") << "geheim"
                                 << "Excel 8.0" << err::NotAPassword;
    QTest::newRow("empty password") << "geheim"
                                    << "Excel 8.0;PWD=;" << err::NotAPassword;
    QTest::newRow("wrong password") << "geheim"
                                    << "Excel 8.0;PWD=Geheim;" << err::NotAPassword;
    QTest::newRow("read-only recommended") << "VelvetSweatshop"
                                           << "Excel 8.0" << 0;
    QTest::newRow("read-only recommended, other offered") << "VelvetSweatshop"
                                                          << "Excel 5.0;PWD=x;" << 0;
}

void TestExcel::encryption() {
    QFETCH(QString, filePassword);
    QFETCH(QString, connect);
    QFETCH(int, error);
    XlsWriter writer;
    writer.setPassword(filePassword);
    XlsSheet& sheet = writer.addSheet(QStringLiteral("Geheim"));
    sheet.setRow(0, {QStringLiteral("Wert"), QStringLiteral("Zahl")});
    // Enough rows to cross several 1024-byte key blocks.
    for (int r = 1; r < 400; ++r)
        sheet.setRow(r, {QStringLiteral("Zeile %1 äöü").arg(r), r * 1.5});
    const QString file = save(writer, QStringLiteral("enc.xls"));
    QCOMPARE(engineErrorOf([&] { openWorkbook(file, connect); }), error);
    if (error != 0)
        return;
    auto db = openWorkbook(file, connect);
    QCOMPARE(db->tableDefs().front().name, QStringLiteral("Geheim$"));
    const TableDump dump = readTable(*db, QStringLiteral("Geheim$"));
    QCOMPARE(dump.rows.size(), 399);
    QCOMPARE(dump.rows[398], (QVariantList{QStringLiteral("Zeile 399 äöü"), 399 * 1.5}));
}

void TestExcel::encryptionSchemes_data() {
    QTest::addColumn<int>("biffVersion");
    QTest::addColumn<QByteArray>("filePass");  // record body, hex
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("error");
    // Key 0x147A and verifier 0x83AF belong to "password" (an Excel 95 file of the corpus).
    QTest::newRow("BIFF5 XOR") << 5 << QByteArray("7a14af83") << "password" << 0;
    QTest::newRow("BIFF5 XOR, wrong password")
        << 5 << QByteArray("7a14af83") << "passwort" << err::NotAPassword;
    QTest::newRow("BIFF8 XOR") << 8 << QByteArray("00007a14af83") << "password" << 0;
    QTest::newRow("BIFF8 XOR, no password")
        << 8 << QByteArray("00007a14af83") << "" << err::NotAPassword;
    QTest::newRow("BIFF5 record cut short")
        << 5 << QByteArray("7a14") << "password" << err::CorruptDatabase;
    QTest::newRow("RC4 header cut short")
        << 8 << QByteArray("01000100") << "x" << err::CorruptDatabase;
    QTest::newRow("RC4 verifier cut short")
        << 8 << QByteArray("010001000100") << "x" << err::CorruptDatabase;
    QTest::newRow("unknown type") << 8 << QByteArray("0200") << "x" << err::CannotDecrypt;
    QTest::newRow("agile encryption")
        << 8 << QByteArray("010004000400") << "x" << err::CannotDecrypt;
    QTest::newRow("CryptoAPI header too long")
        << 8 << QByteArray("0100020002002400000000ff0000") << "x" << err::CorruptDatabase;
}

void TestExcel::encryptionSchemes() {
    QFETCH(int, biffVersion);
    QFETCH(QByteArray, filePass);
    QFETCH(QString, password);
    QFETCH(int, error);
    const QByteArray body = QByteArray::fromHex(filePass);
    const auto* data = reinterpret_cast<const std::uint8_t*>(body.constData());
    QCOMPARE(engineErrorOf([&] {
                 excel::unlockWorkbook(data, static_cast<std::size_t>(body.size()), biffVersion,
                                       {password});
             }),
             error);
    if (error != 0)
        return;
    // Both BIFF versions obfuscate alike: the same bytes decrypt the same way.
    const QByteArray biff5 = QByteArray::fromHex("7a14af83");
    auto reference = excel::unlockWorkbook(reinterpret_cast<const std::uint8_t*>(biff5.constData()),
                                           4, 5, {password});
    auto cipher =
        excel::unlockWorkbook(data, static_cast<std::size_t>(body.size()), biffVersion, {password});
    std::uint8_t a[40], b[40];
    for (int i = 0; i < 40; ++i)
        a[i] = b[i] = static_cast<std::uint8_t>(i * 7);
    reference->decryptBody(1000, a, sizeof a, 0);
    cipher->decryptBody(1000, b, sizeof b, 0);
    QVERIFY(std::equal(a, a + sizeof a, b));
}

void TestExcel::splitSharedStrings_data() {
    QTest::addColumn<int>("maxRecordSize");
    QTest::addColumn<bool>("richText");
    QTest::newRow("Excel's limit") << 8224 << false;
    QTest::newRow("Excel's limit, rich") << 8224 << true;
    QTest::newRow("tiny records") << 23 << false;
    QTest::newRow("tiny records, rich") << 24 << true;
    QTest::newRow("odd size") << 101 << true;
}

void TestExcel::splitSharedStrings() {
    QFETCH(int, maxRecordSize);
    QFETCH(bool, richText);
    XlsWriter writer;
    writer.setMaxRecordSize(maxRecordSize).setRichText(richText);
    XlsSheet& sheet = writer.addSheet(QStringLiteral("S"));
    sheet.set(0, 0, QStringLiteral("Text"));
    QStringList expected;
    for (int i = 1; i <= 60; ++i) {
        QString s = QStringLiteral("%1: Größe ").arg(i);
        if (i % 3 == 0)
            s += QStringLiteral("ΩЖ€ ");  // needs 16 bits
        s += QString(i * 37 % 700, QLatin1Char(QLatin1Char('a' + i % 26)));
        expected << s;
        sheet.set(i, 0, s);
    }
    // Long strings cross whole records, not just their ends.
    expected << QString(20000, QChar(0x0416)) << QString(20000, QLatin1Char('z'));
    sheet.set(61, 0, expected[60]);
    sheet.set(62, 0, expected[61]);
    auto db = openWorkbook(save(writer, QStringLiteral("sst.xls")));
    const TableDump dump = readTable(*db, QStringLiteral("S$"));
    QCOMPARE(dump.types, QList<int>{type::Memo});
    QCOMPARE(dump.texts.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(dump.texts[i][0], expected[i]);
}

void TestExcel::tableNamesAndNavigation() {
    XlsWriter writer;
    writer.addSheet(QStringLiteral("Erste Seite"))
        .setRow(0, {QStringLiteral("K")})
        .setRow(1, {QStringLiteral("a")})
        .setRow(2, {QStringLiteral("b")});
    writer.addSheet(QStringLiteral("Leer"));
    auto db = openWorkbook(save(writer, QStringLiteral("t.xls")));

    for (const QString& name : {QStringLiteral("Erste Seite$"), QStringLiteral("erste seite$"),
                                QStringLiteral("'Erste Seite$'")})
        QVERIFY2(engineErrorOf([&] { db->openRecordset(name); }) == 0, qPrintable(name));
    for (const QString& name : {QStringLiteral("Erste Seite"), QStringLiteral("Fehlt$"), QString()})
        QCOMPARE(engineErrorOf([&] { db->openRecordset(name); }), err::ObjectNotFound);

    auto rs = db->openRecordset(QStringLiteral("Erste Seite$"));
    QCOMPARE(rs->fieldInfo(0).size, 255);
    rs->moveLast();
    QCOMPARE(rs->value(0).toString(), QStringLiteral("b"));
    rs->moveNext();
    QVERIFY(rs->eof());
    rs->moveNext();
    QVERIFY(rs->eof());
    QCOMPARE(engineErrorOf([&] { rs->value(0); }), err::NoCurrentRecord);
    QCOMPARE(engineErrorOf([&] { rs->text(0); }), err::NoCurrentRecord);
    rs->moveFirst();
    QCOMPARE(rs->value(0).toString(), QStringLiteral("a"));
    QVERIFY(engineErrorOf([&] { rs->value(1); }) != 0);

    auto empty = db->openRecordset(QStringLiteral("Leer$"));
    QVERIFY(empty->eof());
    empty->moveLast();
    empty->moveFirst();
    QVERIFY(empty->eof());
    QCOMPARE(empty->recordCount(), qint64(0));
}

QTEST_GUILESS_MAIN(TestExcel)
