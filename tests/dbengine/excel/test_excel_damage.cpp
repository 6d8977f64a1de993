#include "TestExcel.h"

#include "dbengine/EngineError.h"
#include "support/TempDir.h"
#include "support/excel/CompoundFileWriter.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <set>

using namespace ds::db;
using namespace ds::test;

namespace {

QByteArray record(quint16 id, const QByteArray& body) {
    QByteArray r(4, '\0');
    qToLittleEndian(id, r.data());
    qToLittleEndian(static_cast<quint16>(body.size()), r.data() + 2);
    return r + body;
}

QByteArray words(std::initializer_list<quint16> values) {
    QByteArray b;
    for (quint16 v : values) {
        char raw[2];
        qToLittleEndian(v, raw);
        b.append(raw, 2);
    }
    return b;
}

// Offset of the n-th record with this number in a BIFF stream, -1 when there is none.
qsizetype findRecord(const QByteArray& stream, quint16 id, int n = 0) {
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        if (qFromLittleEndian<quint16>(stream.constData() + at) == id && n-- == 0)
            return at;
        at += 4 + qFromLittleEndian<quint16>(stream.constData() + at + 2);
    }
    return -1;
}

void put32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}
quint32 get32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

XlsWriter sampleWriter(XlsVersion version) {
    XlsWriter w(version);
    XlsSheet& s = w.addSheet(QStringLiteral("Daten"));
    s.setRow(0, {QStringLiteral("Name"), QStringLiteral("Zahl"), QStringLiteral("Datum")});
    for (int r = 1; r < 60; ++r)
        s.setRow(r,
                 {QStringLiteral("Eintrag %1 äöü").arg(r), double(r), 100.0 + r, double(r) + 0.5});
    if (version != XlsVersion::Biff3)
        w.addSheet(QStringLiteral("Zwei")).setRow(0, {QStringLiteral("x")}).setRow(1, {true});
    return w;
}

const std::set<int> kCleanErrors = {0, err::WrongFormat, err::CorruptDatabase};

}  // namespace

void TestExcel::notAnXls_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    CompoundFileWriter word;
    word.addStream(QStringLiteral("WordDocument"), QByteArray(5000, 'w'));
    const QByteArray bof8Globals = words({0x0600, 0x0005, 0, 0, 0, 0, 6, 0});
    QTest::newRow("empty") << QByteArray() << err::WrongFormat;
    QTest::newRow("zip (xlsx)") << QByteArray("PK\x03\x04").append(200, '\0') << err::WrongFormat;
    QTest::newRow("text") << QByteArray("Name;Ort\r\nMüller;Köln\r\n") << err::WrongFormat;
    QTest::newRow("BIFF2") << record(0x0009, words({0x0007, 0x0010})) + record(0x000A, {})
                           << err::WrongFormat;
    QTest::newRow("compound file without workbook") << word.build() << err::WrongFormat;
    QTest::newRow("workspace file")
        << record(0x0809, words({0x0500, 0x0100, 0, 0})) + record(0x000A, {}) << err::WrongFormat;
    QTest::newRow("chart only") << record(0x0409, words({0, 0x0020, 0})) + record(0x000A, {}) << 0;
    QTest::newRow("unknown encryption")
        << record(0x0809, bof8Globals) + record(0x002F, words({1, 4, 4}).append(60, '\0'))
        << err::CannotDecrypt;
    QTest::newRow("AES through CryptoAPI")
        << record(0x0809, bof8Globals) + record(0x002F, words({1, 3, 2, 0x24, 0, 32, 0, 0, 0, 0, 0,
                                                               0x660E, 0, 0x8004, 0, 128, 0})
                                                            .append(100, '\0'))
        << err::CannotDecrypt;
    QTest::newRow("encrypted Excel 4") << record(0x0409, words({0, 0x0010, 0})) +
                                              record(0x002F, words({1, 2})) + record(0x000A, {})
                                       << err::CannotDecrypt;
}

void TestExcel::notAnXls() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QVERIFY(writeFile(path(QStringLiteral("x.xls")), bytes));
    for (const QString& connect : {QStringLiteral("Excel 3.0"), QStringLiteral("Excel 8.0;PWD=x;")})
        QCOMPARE(readEverything(path(QStringLiteral("x.xls")), connect), error);
}

void TestExcel::truncated_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("connect");
    for (XlsVersion v :
         {XlsVersion::Biff3, XlsVersion::Biff4, XlsVersion::Biff5, XlsVersion::Biff8}) {
        QTest::addRow("version %d", int(v))
            << sampleWriter(v).toBytes() << QStringLiteral("Excel 8.0");
    }
    XlsWriter encrypted = sampleWriter(XlsVersion::Biff8);
    encrypted.setPassword(QStringLiteral("pw")).setRichText(true).setMaxRecordSize(50);
    QTest::newRow("encrypted, split strings")
        << encrypted.toBytes() << QStringLiteral("Excel 8.0;PWD=pw;");
}

void TestExcel::truncated() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, connect);
    const QString file = path(QStringLiteral("cut.xls"));
    QVERIFY(writeFile(file, bytes));
    QCOMPARE(readEverything(file, connect), 0);
    for (qsizetype size = 0; size < bytes.size(); size += size < 600 ? 7 : 61) {
        QVERIFY(writeFile(file, bytes.left(size)));
        const int error = readEverything(file, connect);
        QVERIFY2(kCleanErrors.count(error),
                 qPrintable(QStringLiteral("%1 bytes: %2").arg(size).arg(error)));
        if (size < 8)
            QVERIFY(error != 0);
    }
}

void TestExcel::damagedContainer_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("smallStream");
    QTest::addColumn<int>("error");
    QTest::newRow("byte order") << "order" << false << err::WrongFormat;
    QTest::newRow("sector size") << "shift" << false << err::WrongFormat;
    QTest::newRow("no FAT") << "fat0" << false << err::CorruptDatabase;
    QTest::newRow("FAT larger than the file") << "fatHuge" << false << err::CorruptDatabase;
    QTest::newRow("FAT sector outside the file") << "fatOutside" << false << err::CorruptDatabase;
    QTest::newRow("directory outside the file") << "dirOutside" << false << err::CorruptDatabase;
    QTest::newRow("stream chain loops") << "loop" << false << err::CorruptDatabase;
    QTest::newRow("stream chain ends early") << "short" << false << err::CorruptDatabase;
    QTest::newRow("stream larger than the file") << "size" << false << err::CorruptDatabase;
    QTest::newRow("mini chain loops") << "miniLoop" << true << err::CorruptDatabase;
    QTest::newRow("directory tree loops") << "tree" << false << err::WrongFormat;
}

void TestExcel::damagedContainer() {
    QFETCH(QString, damage);
    QFETCH(bool, smallStream);
    QFETCH(int, error);
    XlsWriter writer;
    writer.setSmallStreamAllowed(smallStream);
    writer.addSheet(QStringLiteral("S"))
        .setRow(0, {QStringLiteral("a")})
        .setRow(1, {QStringLiteral("b")});
    if (!smallStream) {
        for (int r = 2; r < 400; ++r)
            writer.sheets().front().set(r, 0, QStringLiteral("Zeile %1").arg(r));
    }
    QByteArray b = writer.toBytes();
    const qsizetype fat = (get32(b, 76) + 1) * 512;
    const qsizetype dir = (get32(b, 48) + 1) * 512;
    const qsizetype workbookEntry = dir + 128;  // the writer puts it right after the root
    const quint32 firstSector = get32(b, workbookEntry + 116);
    if (damage == "order")
        b[28] = 0;
    else if (damage == "shift")
        b[30] = 7;
    else if (damage == "fat0")
        put32(b, 44, 0);
    else if (damage == "fatHuge")
        put32(b, 44, 0x7FFFFFFF);
    else if (damage == "fatOutside")
        put32(b, 76, 0x00FFFFF0);
    else if (damage == "dirOutside")
        put32(b, 48, 0x00FFFFF0);
    else if (damage == "loop")
        put32(b, fat + 4 * (firstSector + 1), firstSector);
    else if (damage == "short")
        put32(b, fat + 4 * firstSector, 0xFFFFFFFE);
    else if (damage == "size")
        put32(b, workbookEntry + 120, 0x7FFFFFF0);
    else if (damage == "miniLoop")
        put32(b, (get32(b, 60) + 1) * 512 + 4 * (firstSector + 1), firstSector);
    else if (damage == "tree") {
        b[workbookEntry] = 'X';
        put32(b, workbookEntry + 72, 1);  // its own right sibling
    }
    const QString file = path(QStringLiteral("cfb.xls"));
    QVERIFY(writeFile(file, b));
    QCOMPARE(readEverything(file), error);
}

void TestExcel::damagedRecords_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("error");
    QTest::newRow("string count far too high") << "sstCount" << 0;
    QTest::newRow("shared string index past the table") << "sstIndex" << 0;
    QTest::newRow("string longer than its record") << "labelLength" << 0;
    QTest::newRow("MULRK last column wrong") << "mulrk" << 0;
    QTest::newRow("cell beyond column IV") << "column" << 0;
    QTest::newRow("sheet without EOF") << "noEof" << 0;
    QTest::newRow("sheet offset past the stream") << "sheetOffset" << err::CorruptDatabase;
    QTest::newRow("sheet offset not at a BOF") << "sheetNotBof" << err::CorruptDatabase;
    QTest::newRow("record longer than the stream") << "recordLength" << err::CorruptDatabase;
}

void TestExcel::damagedRecords() {
    QFETCH(QString, damage);
    QFETCH(int, error);
    XlsWriter writer;
    writer.setSharedStrings(damage != "labelLength");
    XlsSheet& s = writer.addSheet(QStringLiteral("S"));
    s.setRow(
        0, {QStringLiteral("Text"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    s.setRow(1, {QStringLiteral("erste"), 1.0, 2.0, 3.0});
    s.setRow(2, {QStringLiteral("zweite"), 4.0, 5.0, 6.0});
    // A raw BIFF8 stream opens like a compound file's Workbook stream.
    QByteArray b = writer.workbookStream();
    const qsizetype sst = findRecord(b, 0x00FC);
    const qsizetype sheet = findRecord(b, 0x0085);
    if (damage == "sstCount")
        put32(b, sst + 8, 0xFFFFFFFF);
    else if (damage == "sstIndex")
        put32(b, findRecord(b, 0x00FD, 1) + 10, 0x7FFFFFFF);
    else if (damage == "labelLength")
        qToLittleEndian<quint16>(0xFFFF, b.data() + findRecord(b, 0x0204) + 10);
    else if (damage == "mulrk")
        qToLittleEndian<quint16>(0x00FF, b.data() + findRecord(b, 0x00BD) + 4 + 22);
    else if (damage == "column")
        qToLittleEndian<quint16>(300, b.data() + findRecord(b, 0x00FD, 2) + 6);
    else if (damage == "noEof")
        b.chop(4);
    else if (damage == "sheetOffset")
        put32(b, sheet + 4, 0x7FFFFFF0);
    else if (damage == "sheetNotBof")
        put32(b, sheet + 4, static_cast<quint32>(sheet));
    else if (damage == "recordLength")
        qToLittleEndian<quint16>(0xFFFF, b.data() + b.size() - 2);
    const QString file = path(QStringLiteral("rec.xls"));
    QVERIFY(writeFile(file, b));
    QCOMPARE(readEverything(file), error);
    // What the damage leaves readable stays readable.
    if (error == 0 && damage != "noEof") {
        auto db = openWorkbook(file);
        QCOMPARE(readTable(*db, QStringLiteral("S$")).rows.size(), 2);
    }
}

void TestExcel::randomDamage() {
    // Deterministic random byte changes: every outcome must be a clean engine error or data.
    QRandomGenerator random(20240601);
    XlsWriter rich = sampleWriter(XlsVersion::Biff8);
    rich.setRichText(true).setMaxRecordSize(64);
    XlsWriter encrypted = sampleWriter(XlsVersion::Biff8);
    encrypted.setPassword(QStringLiteral("pw"));
    const QList<QByteArray> files = {rich.toBytes(), sampleWriter(XlsVersion::Biff5).toBytes(),
                                     sampleWriter(XlsVersion::Biff4).toBytes(),
                                     encrypted.toBytes()};
    const std::set<int> allowed = {0, err::WrongFormat, err::CorruptDatabase, err::NotAPassword,
                                   err::CannotDecrypt};
    const QString file = path(QStringLiteral("rnd.xls"));
    for (const QByteArray& original : files) {
        for (int round = 0; round < 150; ++round) {
            QByteArray b = original;
            const int changes = 1 + static_cast<int>(random.bounded(8));
            for (int i = 0; i < changes; ++i)
                b[random.bounded(b.size())] = static_cast<char>(random.bounded(256));
            QVERIFY(writeFile(file, b));
            const int error = readEverything(file, QStringLiteral("Excel 8.0;PWD=pw;"));
            QVERIFY2(allowed.count(error), qPrintable(QString::number(error)));
        }
    }
}
