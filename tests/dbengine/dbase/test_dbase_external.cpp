#include "TestDbase.h"

#include "dbengine/EngineError.h"
#include "dbengine/dbase/DbfLayout.h"
#include "dbengine/io/ReadOnlyFile.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace ds::db;
using ds::test::engineErrorOf;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Writes one table with Debian's python3-dbf and prints what it wrote (deleted records left
// out) as JSON: {"fields": [...], "records": [[...], ...]}.
const char* const kPythonWriter = R"PY(
import dbf, datetime, json, os, sys
folder, kind, codepage, layout = sys.argv[1:5]
long_memo = "Lange Notiz über Grüße aus Köln. " * 40
rows = [
  dict(name='Müller', stadt='Köln', betrag=1234.5, quote=0.125, anzahl=42, preis=19.75,
       stempel=datetime.datetime(2021, 3, 4, 5, 6, 7), geboren=datetime.date(1970, 1, 31),
       aktiv=True, notiz='Kurz'),
  dict(name='Größe', stadt='Düsseldorf', betrag=-7.25, quote=-3.5, anzahl=-1, preis=0.5,
       stempel=datetime.datetime(1999, 12, 31, 23, 59, 59), geboren=datetime.date(2000, 2, 29),
       aktiv=False, notiz=long_memo),
  dict(name='Gelöscht', stadt='Weg', betrag=1, quote=1, anzahl=1, preis=1,
       stempel=datetime.datetime(2000, 1, 1), geboren=datetime.date(2001, 1, 1), aktiv=True,
       notiz='weg', deleted=True),
  dict(name='', stadt='', betrag=None, quote=None, anzahl=0, preis=0, stempel=None,
       geboren=None, aktiv=None, notiz=''),
  dict(name=None, stadt='Zürich', betrag=0, quote=2.0, anzahl=7, preis=100,
       stempel=datetime.datetime(2024, 2, 29, 12, 0, 0), geboren=datetime.date(1900, 1, 1),
       aktiv=True, notiz='Äöü ß'),
]
def norm(v):
    if v is None or v is dbf.Null or v == '':
        return None
    if isinstance(v, datetime.datetime):
        return v.strftime('%Y-%m-%dT%H:%M:%S')
    if isinstance(v, datetime.date):
        return v.strftime('%Y-%m-%d')
    return v
t = dbf.Table(os.path.join(folder, 'kunden.dbf'), layout, dbf_type=kind, codepage=codepage)
t.open(dbf.READ_WRITE)
names = t.field_names
expected = []
for r in rows:
    values = []
    for n in names:
        v = r.get(n)
        if n == 'name' and v is None:
            v = dbf.Null if kind == 'vfp' else ''
        if kind == 'vfp' and n == 'quote' and v is None:
            v = 0.0  # a VFP double has no blank
        values.append(v)
    t.append(tuple(values))
    if r.get('deleted'):
        dbf.delete(t[-1])
    else:
        expected.append([norm(v) for v in values])
t.close()
print(json.dumps(dict(fields=[n.upper() for n in names], records=expected)))
)PY";

bool sameAsJson(const QVariant& got, const QJsonValue& want, int type) {
    if (want.isNull())
        return got.isNull();
    if (got.isNull())
        return false;
    switch (type) {
        case type::Text:
        case type::Memo:
            return got.toString() == want.toString();
        case type::Double:
        case type::Currency:
            return qFuzzyCompare(got.toDouble(), want.toDouble());
        case type::Long:
            return got.toInt() == want.toInt();
        case type::Boolean:
            return got.toBool() == want.toBool();
        case type::Date: {
            const QString s = want.toString();
            const QDateTime dt = s.contains(QLatin1Char('T'))
                                     ? QDateTime::fromString(s, Qt::ISODate)
                                     : QDateTime(QDate::fromString(s, Qt::ISODate), QTime(0, 0));
            return got.toDateTime() == dt;
        }
        default:
            return false;
    }
}

// Corpus manifest: "decoded as cp1252" etc. -> code page; ASCII-only files read as 1252.
int manifestCodePage(const QString& notes) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("decoded as ([\\w-]+)")).match(notes);
    const QString name = m.hasMatch() ? m.captured(1) : QStringLiteral("ascii");
    if (name == QLatin1String("utf-8"))
        return cp::Utf8;
    if (name == QLatin1String("big5"))
        return 950;
    if (name.startsWith(QLatin1String("cp")))
        return name.mid(2).toInt();
    return cp::Windows1252;
}

int engineTypeOfLetter(QChar letter, bool visualFoxPro) {
    switch (letter.toLatin1()) {
        case 'C':
        case 'V':
            return type::Text;
        case 'Q':
            return type::Binary;
        case 'N':
        case 'F':
            return type::Double;
        case 'D':
        case 'T':
            return type::Date;
        case 'L':
            return type::Boolean;
        case 'M':
            return type::Memo;
        case 'B':
            return visualFoxPro ? type::Double : type::LongBinary;
        case 'I':
            return type::Long;
        case 'Y':
            return type::Currency;
        default:
            return type::LongBinary;  // G, P, W
    }
}

// Deletion flags by physical record, read straight from the file.
QList<bool> deletionFlags(const QString& file) {
    ReadOnlyFile f;
    if (!f.open(file.toStdString()))
        return {};
    const dbase::DbfLayout layout = dbase::readDbfLayout(f, file);
    QList<bool> flags;
    for (std::uint32_t i = 0; i < layout.recordCount; ++i) {
        char flag = 0;
        f.readExactly(layout.headerLength + std::uint64_t(i) * layout.recordLength, &flag, 1);
        flags << (flag == '*');
    }
    return flags;
}

}  // namespace

void TestDbase::pythonDbfCrossCheck_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("codepage");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("codePage");
    QTest::newRow("dBASE III, cp850")
        << "db3"
        << "cp850"
        << "name C(20); stadt C(30); betrag N(10,2); geboren D; aktiv L; notiz M" << 850;
    QTest::newRow("FoxPro, cp850")
        << "fp"
        << "cp850"
        << "name C(20); betrag N(10,2); quote F(12,4); geboren D; aktiv L; notiz M" << 850;
    QTest::newRow("Visual FoxPro, cp1252, nullable")
        << "vfp"
        << "cp1252"
        << "name C(20) null; betrag N(10,2); anzahl I; preis Y; stempel T; quote B; geboren D; "
           "aktiv L; notiz M"
        << 1252;
}

void TestDbase::pythonDbfCrossCheck() {
    QFETCH(QString, kind);
    QFETCH(QString, codepage);
    QFETCH(QString, layout);
    QFETCH(int, codePage);
    if (QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import dbf")}) != 0)
        QSKIP("python3-dbf is not installed");
    QProcess py;
    py.start(kPython, {QStringLiteral("-c"), QString::fromUtf8(kPythonWriter), dir_->path(), kind,
                       codepage, layout});
    QVERIFY(py.waitForFinished(60'000));
    QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
    const QJsonObject json = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
    const QJsonArray fields = json.value(QLatin1String("fields")).toArray();
    const QJsonArray records = json.value(QLatin1String("records")).toArray();
    QVERIFY(!records.isEmpty());

    OpenedTable t = openTable(path("kunden.dbf"), QStringLiteral("dBASE III"));
    Recordset& rs = *t.rs;
    QCOMPARE(rs.fieldCount(), fields.size());
    for (int i = 0; i < rs.fieldCount(); ++i)
        QCOMPARE(rs.fieldInfo(i).name, fields[i].toString());
    rs.moveLast();
    QCOMPARE(rs.recordCount(), std::int64_t{records.size()});
    rs.moveFirst();
    for (const QJsonValue& record : records) {
        QVERIFY(!rs.eof());
        const QJsonArray values = record.toArray();
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const int type = rs.fieldInfo(i).type;
            const QVariant got = rs.value(i);
            QVERIFY2(sameAsJson(got, values[i], type),
                     qPrintable(QStringLiteral("%1: %2, python wrote %3")
                                    .arg(fields[i].toString(), got.toString(),
                                         QString::fromUtf8(QJsonDocument(QJsonArray{values[i]})
                                                               .toJson(QJsonDocument::Compact)))));
            if (isSearchableType(type) && !got.isNull())
                QCOMPARE(rs.text(i).codePage, codePage);
        }
        rs.moveNext();
    }
    QVERIFY(rs.eof());
}

void TestDbase::corpus_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("tables");
    QTest::addColumn<QString>("samples");
    QTest::addColumn<QString>("notes");
    const QString corpus = ds::test::sharedCorpusDir();
    if (corpus.isEmpty())
        QSKIP("no shared corpus");
    for (const QStringList& row : ds::test::readTsv(corpus + QStringLiteral("/MANIFEST.tsv"))) {
        const QString& rel = row.value(0);
        const bool ours =
            rel.startsWith(QLatin1String("dbase/")) || rel.startsWith(QLatin1String("foxpro/"));
        if (!ours || !rel.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
            continue;
        QTest::newRow(qPrintable(rel))
            << rel << row.value(1) << row.value(5) << row.value(6) << row.value(7);
    }
}

void TestDbase::corpus() {
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(QString, tables);
    QFETCH(QString, samples);
    QFETCH(QString, notes);
    const QString corpus = ds::test::sharedCorpusDir();
    const QString full = corpus + QLatin1Char('/') + file;
    const QString table = QFileInfo(file).completeBaseName();

    // Files out of scope or damaged on purpose must fail cleanly with the right number.
    int expectedError = 0;
    if (notes.contains(QLatin1String("OUT OF SCOPE")))
        expectedError = err::WrongFormat;
    else if (notes.contains(QLatin1String("deliberately absent")))
        expectedError = err::FileNotFound;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rs;
    const int openError = engineErrorOf([&] {
        Workspace ws;
        db = ws.openDatabase(QFileInfo(full).absolutePath(), false, true,
                             QStringLiteral("FoxPro 2.6"));
        rs = db->openRecordset(QFileInfo(full).fileName());
    });
    QCOMPARE(openError, expectedError);
    if (expectedError != 0)
        return;

    // "WSPMST:6802 (5 deleted)": the manifest counts records physically, we count live ones.
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral(":(\\d+)(?: \\((\\d+) deleted\\))?")).match(tables);
    QVERIFY(m.hasMatch());
    const QList<bool> deleted = deletionFlags(full);
    QCOMPARE(deleted.size(), m.captured(1).toInt());
    const auto deletedCount = deleted.count(true);
    if (!m.captured(2).isEmpty())
        QCOMPARE(deletedCount, m.captured(2).toInt());
    rs->moveLast();
    QCOMPARE(rs->recordCount(), std::int64_t{deleted.size() - deletedCount});

    // Fields as the corpus lists them (the hidden _NullFlags left out).
    const bool vfp = format.contains(QLatin1String("Visual FoxPro"));
    int f = 0;
    for (const QStringList& row : ds::test::readTsv(corpus + QStringLiteral("/FIELDS.tsv"))) {
        if (row.value(0) != file || row.value(3).startsWith(QLatin1Char('0')))
            continue;
        QVERIFY(f < rs->fieldCount());
        const FieldInfo& info = rs->fieldInfo(f++);
        const QString name = row.value(2);
        if (QRegularExpression(QStringLiteral("^[\\x20-\\x7E]+$")).match(name).hasMatch())
            QCOMPARE(info.name, name);
        const QChar letter = row.value(3).at(0);
        QCOMPARE(info.type, engineTypeOfLetter(letter, vfp));
        if (info.type == type::Text) {
            const int width =
                row.value(3).section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0).toInt();
            QCOMPARE(info.size, width);
        }
    }
    QCOMPARE(f, rs->fieldCount());

    // Text samples, by physical record number. Files without a language driver are decoded
    // as 850 here but were decoded with another code page for the manifest, so the raw bytes
    // are compared: the sample encoded in the manifest's code page must occur in the field.
    const int theirCodePage = manifestCodePage(notes);
    const QRegularExpression split(
        QStringLiteral(";(?=%1#\\d+=)").arg(QRegularExpression::escape(table)));
    for (const QString& sample : samples.split(split, Qt::SkipEmptyParts)) {
        const qsizetype hash = sample.indexOf(QLatin1Char('#'));
        const qsizetype eq = sample.indexOf(QLatin1Char('='), hash);
        const int physical = sample.mid(hash + 1, eq - hash - 1).toInt();
        const QString value = sample.mid(eq + 1);
        QVERIFY(physical >= 1 && physical <= deleted.size());
        QVERIFY2(!deleted[physical - 1], "sample in a deleted record");
        const auto ordinal = physical - deleted.mid(0, physical - 1).count(true);
        rs->moveFirst();
        for (int i = 1; i < ordinal; ++i)
            rs->moveNext();
        const QByteArray needle = encodeText(value, theirCodePage);
        bool foundRaw = false;
        bool foundDecoded = false;
        for (int i = 0; i < rs->fieldCount(); ++i) {
            if (!isSearchableType(rs->fieldInfo(i).type))
                continue;
            const TextRef ref = rs->text(i);
            foundRaw = foundRaw || QByteArrayView(ref.data, qsizetype(ref.size)).contains(needle);
            foundDecoded = foundDecoded || ref.toString().contains(value);
        }
        QVERIFY2(foundRaw, qPrintable(sample));
        const bool ascii =
            QRegularExpression(QStringLiteral("^[\\x20-\\x7E]*$")).match(value).hasMatch();
        if (ascii || rs->text(0).codePage == theirCodePage)
            QVERIFY2(foundDecoded, qPrintable(sample));
    }

    // Every value of every record reads or fails with the engine's damage number.
    int damaged = 0;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        for (int i = 0; i < rs->fieldCount(); ++i) {
            const int e = engineErrorOf([&] { rs->value(i); });
            QVERIFY2(e == 0 || e == err::CorruptDatabase, qPrintable(QString::number(e)));
            damaged += e != 0;
        }
    }
    // vfp.dbf: its General field holds 1, 2, 3, block numbers inside the memo header.
    QCOMPARE(damaged, file.endsWith(QLatin1String("/vfp.dbf")) ? 3 : 0);
}
