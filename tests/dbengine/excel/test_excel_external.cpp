#include "TestExcel.h"

#include "dbengine/EngineError.h"
#include "dbengine/excel/ColumnLayout.h"
#include "dbengine/excel/Workbook.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#ifdef DS_HAVE_FREEXL
#include <freexl.h>
#endif

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

using namespace ds::db;
using namespace ds::test;

namespace {

constexpr int kModuleMissing = 77;

const char* const kXlwtScript = R"(
import datetime, json, sys
try:
    import xlwt
except ImportError:
    sys.exit(77)
book_cells = json.load(open(sys.argv[1], encoding='utf-8'))
book = xlwt.Workbook(encoding='utf-8')
styles = {10: xlwt.easyxf(num_format_str='DD.MM.YYYY'),
          19: xlwt.easyxf(num_format_str='YYYY-MM-DD hh:mm:ss')}
for sheet in book_cells:
    ws = book.add_sheet(sheet['name'])
    for r, row in enumerate(sheet['rows']):
        for c, v in enumerate(row):
            if v is None:
                continue
            if isinstance(v, dict):
                ws.write(r, c, datetime.datetime.fromisoformat(v['date']), styles[len(v['date'])])
            else:
                ws.write(r, c, v)
book.save(sys.argv[2])
)";

const char* const kXlrdScript = R"(
import json, sys
try:
    import xlrd
except ImportError:
    sys.exit(77)
book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sheets = []
for s in book.sheets():
    cells = []
    for r in range(s.nrows):
        for c, (t, v) in enumerate(zip(s.row_types(r), s.row_values(r))):
            if t not in (0, 6):
                cells.append([r, c, t, v])
    sheets.append({'name': s.name, 'cells': cells})
json.dump(sheets, sys.stdout, ensure_ascii=False)
)";

// The cells of each sheet as the reader holds them, before the table mapping, one line per cell
// ("row,column kind value") so that two readers' views compare as lists.
struct RawBook {
    QStringList names;
    QList<QStringList> sheets;
    QList<std::map<std::pair<int, int>, QString>> texts;  // text cells by position
    QList<int> firstColumns;
};

enum class DateStyle { Serial, Text };

QString cellLine(int row, int col, QChar kind, const QString& value) {
    return QStringLiteral("%1,%2 %3 %4").arg(row).arg(col).arg(kind).arg(value);
}

QString number(double v) {
    return QString::number(v, 'g', 15);
}

RawBook rawBook(const QString& file, DateStyle dates,
                const std::optional<QString>& password = std::nullopt) {
    const excel::Workbook book(file, password);
    RawBook raw;
    for (std::size_t i = 0; i < book.sheets().size(); ++i) {
        raw.names << book.sheets()[i].name;
        const excel::SheetData data = book.readSheet(i);
        QStringList lines;
        std::map<std::pair<int, int>, QString> texts;
        for (const excel::Cell& c : data.cells) {
            switch (c.kind) {
                case excel::CellKind::Text:
                    texts[{c.row, c.col}] =
                        excel::cellText(c, data, book.sharedStrings()).toString();
                    lines << cellLine(c.row, c.col, u't', texts[{c.row, c.col}]);
                    break;
                case excel::CellKind::Number:
                    lines << cellLine(c.row, c.col, u'n', number(c.number));
                    break;
                case excel::CellKind::Date: {
                    const auto dt = excel::serialToDateTime(c.number, data.date1904);
                    const bool time = dt && dt->time().msecsSinceStartOfDay() != 0;
                    lines << cellLine(c.row, c.col, u'd',
                                      dates == DateStyle::Serial ? number(c.number)
                                      : time ? dt->toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                             : dt->toString(QStringLiteral("yyyy-MM-dd")));
                    break;
                }
                case excel::CellKind::Boolean:
                    lines << cellLine(c.row, c.col, u'b', QString::number(int(c.boolean)));
                    break;
                case excel::CellKind::Error:
                    lines << cellLine(c.row, c.col, u'e', QString());
                    break;
            }
        }
        raw.sheets << lines;
        raw.texts << texts;
        int first = 255;
        for (const excel::Cell& c : data.cells)
            first = qMin(first, int(c.col));
        raw.firstColumns << first;
    }
    return raw;
}

// A lone BIFF3/BIFF4 worksheet has no sheet name; other readers call it "Sheet 1" or
// "Worksheet", this one by its file name.
bool sameSheetName(const QString& ours, const QString& theirs, const QString& file, int count) {
    return ours == theirs || (count == 1 && ours == QFileInfo(file).completeBaseName());
}

XlsWriter crossCheckWriter(XlsVersion version, bool date1904) {
    XlsWriter w(version);
    w.setDate1904(date1904);
    XlsSheet& s = w.addSheet(QStringLiteral("Vergleich"));
    s.setRow(0, {QStringLiteral("Name"), QStringLiteral("Betrag"), QStringLiteral("Datum"),
                 QStringLiteral("Zeitpunkt"), QStringLiteral("Ja/Nein")});
    const QStringList names = {QStringLiteral("Müller"), QStringLiteral("Straße €"),
                               QStringLiteral("Ärger über Öl"), QStringLiteral("x")};
    for (int r = 1; r <= 12; ++r) {
        s.setRow(r, {names[r % names.size()] + QString::number(r), r * 2.25 - 7.0,
                     QDate(1995, 1, 1).addDays(r * 400),
                     QDateTime(QDate(2010, 6, r), QTime(r, 2 * r, 3 * r)), r % 2 == 0});
        s.setRow(r, {double(r), double(r + 1), double(r + 2)}, 5);  // a MULRK run
    }
    if (version != XlsVersion::Biff3)
        w.addSheet(QStringLiteral("Zweites Blatt"))
            .setRow(0, {QStringLiteral("Kopf")})
            .setRow(1, {42.0});
    return w;
}

}  // namespace

bool runPython(const QString& script, const QStringList& args, QByteArray* output, QString* why) {
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(python).isExecutable()) {
        *why = QStringLiteral("no /usr/bin/python3");
        return false;
    }
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(120000)) {
        *why = QStringLiteral("python did not finish");
        return false;
    }
    if (p.exitCode() == kModuleMissing) {
        *why = QStringLiteral("Python module missing");
        return false;
    }
    if (p.exitCode() != 0)
        qFatal("python failed: %s", p.readAllStandardError().constData());
    *output = p.readAllStandardOutput();
    return true;
}

void TestExcel::xlwtReadBack() {
    // Columns of one kind each, so the expected types follow from the rows.
    QJsonArray rows{
        QJsonArray{"Name", "Betrag", "Datum", "Zeitpunkt", "Aktiv", QJsonValue(), "Notiz"}};
    QList<QVariantList> expected;
    for (int r = 1; r <= 30; ++r) {
        const QString name =
            QStringLiteral("Kunde %1: %2")
                .arg(r)
                .arg(r % 3 ? QStringLiteral("Müller & Söhne") : QStringLiteral("Ωмега €"));
        const QDate date = QDate(1900, 2, 20).addDays(r * 3);  // across the leap-year bug
        const QDateTime stamp(QDate(2021, 12, 31).addDays(r), QTime(r % 24, r, 59 - r));
        const QString note = QString(r * 700, QChar(u'ä')) + QString::number(r);
        rows.append(
            QJsonArray{name, r * 1.25, QJsonObject{{"date", date.toString(Qt::ISODate)}},
                       QJsonObject{{"date", stamp.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))}},
                       r % 4 == 0, QJsonValue(), note});
        expected << QVariantList{name,       r * 1.25, date.startOfDay(), stamp, r % 4 == 0,
                                 QVariant(), note};
    }
    const QJsonArray sheets{QJsonObject{{"name", "Kunden"}, {"rows", rows}},
                            QJsonObject{{"name", "Leer"}, {"rows", QJsonArray{}}}};
    const QString cellsFile = path(QStringLiteral("cells.json"));
    QVERIFY(writeFile(cellsFile, QJsonDocument(sheets).toJson()));
    const QString file = path(QStringLiteral("xlwt.xls"));
    QByteArray out;
    QString why;
    if (!runPython(QString::fromLatin1(kXlwtScript), {cellsFile, file}, &out, &why))
        QSKIP(qPrintable(why));

    auto db = openWorkbook(file);
    QCOMPARE(db->tableDefs().size(), std::size_t{2});
    const TableDump dump = readTable(*db, QStringLiteral("Kunden$"));
    QCOMPARE(dump.names,
             (QStringList{"Name", "Betrag", "Datum", "Zeitpunkt", "Aktiv", "F6", "Notiz"}));
    QCOMPARE(dump.types, (QList<int>{type::Text, type::Double, type::Date, type::Date,
                                     type::Boolean, type::Text, type::Memo}));
    QCOMPARE(dump.rows, expected);
    QCOMPARE(dump.texts[29][6], expected[29][6].toString());
}

void TestExcel::xlrdCrossCheck_data() {
    QTest::addColumn<QString>("file");  // empty: one of our own
    for (const char* own :
         {"BIFF8", "BIFF8 split", "BIFF8 1904", "BIFF5", "BIFF4", "BIFF4 workbook", "BIFF3"})
        QTest::newRow(own) << QString();
    const QString corpus = sharedCorpusDir();
    if (corpus.isEmpty())
        return;
    QDirIterator it(corpus + QStringLiteral("/excel"), {QStringLiteral("*.xls")}, QDir::Files,
                    QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files << it.next();
    files.sort();
    // xlrd cannot read encrypted workbooks nor Excel 2 as a workbook of ours.
    for (const QString& f : files) {
        const QString name = QFileInfo(f).fileName();
        if (name.contains(QLatin1String("pwd")) || name.contains(QLatin1String("crypto")) ||
            name.contains(QLatin1String("protected")) || name.contains(QLatin1String("2040")) ||
            name.contains(QLatin1String("BIFF2")))
            continue;
        QTest::newRow(qPrintable(name)) << f;
    }
}

void TestExcel::xlrdCrossCheck() {
    QFETCH(QString, file);
    if (file.isEmpty()) {
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const XlsVersion version = tag.startsWith(QLatin1String("BIFF8"))   ? XlsVersion::Biff8
                                   : tag.startsWith(QLatin1String("BIFF5")) ? XlsVersion::Biff5
                                   : tag.startsWith(QLatin1String("BIFF4")) ? XlsVersion::Biff4
                                                                            : XlsVersion::Biff3;
        XlsWriter w = crossCheckWriter(version, tag.endsWith(QLatin1String("1904")));
        if (tag == QLatin1String("BIFF4"))
            w.sheets().pop_back();
        if (tag.endsWith(QLatin1String("split")))
            w.setRichText(true).setMaxRecordSize(37);
        file = save(w, QStringLiteral("cross.xls"));
    }
    QByteArray out;
    QString why;
    if (!runPython(QString::fromLatin1(kXlrdScript), {file}, &out, &why))
        QSKIP(qPrintable(why));
    const QJsonArray theirs = QJsonDocument::fromJson(out).array();
    const RawBook ours = rawBook(file, DateStyle::Serial);
    QCOMPARE(ours.sheets.size(), theirs.size());
    for (int s = 0; s < theirs.size(); ++s) {
        const QJsonObject sheet = theirs[s].toObject();
        QVERIFY(sameSheetName(ours.names[s], sheet["name"].toString(), file, int(theirs.size())));
        QStringList lines;
        for (const QJsonValue& v : sheet["cells"].toArray()) {
            const QJsonArray c = v.toArray();
            const int kind = c[2].toInt();
            const QString value = kind == 1   ? c[3].toString()
                                  : kind == 5 ? QString()
                                  : kind == 4 ? QString::number(c[3].toInt())
                                              : number(c[3].toDouble());
            lines << cellLine(c[0].toInt(), c[1].toInt(), QStringLiteral("?tndbe")[kind], value);
        }
        QCOMPARE(ours.sheets[s], lines);
    }
}

void TestExcel::freexlCrossCheck_data() {
    QTest::addColumn<XlsVersion>("version");
    QTest::addColumn<bool>("date1904");
    QTest::newRow("BIFF8") << XlsVersion::Biff8 << false;
    QTest::newRow("BIFF8 1904") << XlsVersion::Biff8 << true;
    QTest::newRow("BIFF5") << XlsVersion::Biff5 << false;
    QTest::newRow("BIFF4") << XlsVersion::Biff4 << false;
    QTest::newRow("BIFF3") << XlsVersion::Biff3 << false;
}

void TestExcel::freexlCrossCheck() {
#ifndef DS_HAVE_FREEXL
    QSKIP("FreeXL not installed");
#else
    QFETCH(XlsVersion, version);
    QFETCH(bool, date1904);
    XlsWriter w = crossCheckWriter(version, date1904);
    if (version == XlsVersion::Biff4)
        w.sheets().pop_back();  // FreeXL reads no BIFF4 workbooks
    const QString file = save(w, QStringLiteral("freexl.xls"));
    RawBook ours = rawBook(file, DateStyle::Text);
    const void* handle = nullptr;
    QCOMPARE(freexl_open(file.toLocal8Bit().constData(), &handle), FREEXL_OK);
    const auto closer = qScopeGuard([&] { freexl_close(handle); });
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    QCOMPARE(int(sheets), int(ours.sheets.size()));
    for (unsigned short s = 0; s < sheets; ++s) {
        const char* name = nullptr;
        freexl_get_worksheet_name(handle, s, &name);
        QVERIFY(sameSheetName(ours.names[s], QString::fromUtf8(name), file, int(sheets)));
        QCOMPARE(freexl_select_active_worksheet(handle, s), FREEXL_OK);
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(handle, &rows, &cols);
        QStringList lines;
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                QCOMPARE(freexl_get_cell_value(handle, r, c, &v), FREEXL_OK);
                if (v.type == FREEXL_CELL_INT)
                    lines << cellLine(int(r), c, u'n', QString::number(v.value.int_value));
                else if (v.type == FREEXL_CELL_DOUBLE)
                    lines << cellLine(int(r), c, u'n', number(v.value.double_value));
                else if (v.type == FREEXL_CELL_DATE || v.type == FREEXL_CELL_DATETIME)
                    lines << cellLine(int(r), c, u'd', QString::fromUtf8(v.value.text_value));
                else if (v.type != FREEXL_CELL_NULL)
                    lines << cellLine(int(r), c, u't', QString::fromUtf8(v.value.text_value));
            }
        }
        // FreeXL gives booleans as numbers.
        ours.sheets[s].replaceInStrings(QStringLiteral(" b "), QStringLiteral(" n "));
        QCOMPARE(ours.sheets[s], lines);
    }
#endif
}

namespace {

struct ManifestRow {
    QString path, format, password, tables, samples;
};

QList<ManifestRow> excelManifest() {
    QList<ManifestRow> rows;
    for (const ds::test::ManifestEntry& e : ds::test::corpusManifest(QStringLiteral("excel/")))
        rows << ManifestRow{e.path, e.format, e.password, e.tables, e.textSamples};
    return rows;
}

}  // namespace

void TestExcel::corpus_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("tables");
    QTest::addColumn<QString>("samples");
    const QString corpus = sharedCorpusDir();
    if (corpus.isEmpty())
        QSKIP("no sample corpus");
    for (const ManifestRow& r : excelManifest())
        QTest::newRow(qPrintable(r.path)) << corpus + QLatin1Char('/') + r.path << r.format
                                          << r.password << r.tables << r.samples;
}

void TestExcel::corpus() {
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(QString, password);
    QFETCH(QString, tables);
    QFETCH(QString, samples);
    if (format == QLatin1String("BIFF2")) {
        QCOMPARE(readEverything(file), err::WrongFormat);
        return;
    }
    // "none", a password, or Excel's default one that opens without asking.
    const bool asks =
        password != QLatin1String("none") && !password.startsWith(QLatin1String("VelvetSweatshop"));
    const QString connect =
        asks ? QStringLiteral("Excel 8.0;PWD=%1;").arg(password) : QStringLiteral("Excel 8.0");
    if (asks) {
        QCOMPARE(readEverything(file), err::NotAPassword);
        QCOMPARE(readEverything(file, QStringLiteral("Excel 8.0;PWD=wrong;")), err::NotAPassword);
    }
    auto db = openWorkbook(file, connect);
    std::vector<TableDef> defs = db->tableDefs();

    // Sheets and their row counts; a count of N rows is the header and N - 1 records.
    QStringList wanted;
    QMap<QString, QString> counts;
    for (const QString& t : tables.split(QLatin1Char(';'))) {
        const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
        wanted << t.left(colon);
        counts[t.left(colon)] = t.mid(colon + 1);
    }
    QCOMPARE(int(defs.size()), int(wanted.size()));
    std::map<QString, TableDump> dumps;
    for (int i = 0; i < wanted.size(); ++i) {
        const QString sheet = defs[i].name.chopped(1);
        QVERIFY2(sameSheetName(sheet, wanted[i], file, int(wanted.size())), qPrintable(sheet));
        QCOMPARE(defs[i].attributes, 0);
        TableDump dump = readTable(*db, defs[i].name);
        bool known = false;
        const int rows = counts[wanted[i]].toInt(&known);
        if (known)
            QCOMPARE(int(dump.rows.size()), qMax(rows - 1, 0));
        dumps[wanted[i]] = std::move(dump);
    }

    // Text samples "Sheet#row=value": row 1 is the header, row n record n - 1. A text in a
    // column of another type reads as Null, so it is looked for among the raw cells then.
    if (samples.isEmpty())
        return;
    const RawBook raw =
        rawBook(file, DateStyle::Serial, asks ? std::optional<QString>(password) : std::nullopt);
    QStringList parts;
    for (const QString& p : samples.split(QLatin1Char(';'))) {
        const bool starts = std::any_of(wanted.begin(), wanted.end(), [&](const QString& w) {
            return p.startsWith(w + QLatin1Char('#'));
        });
        if (starts || parts.isEmpty())
            parts << p;
        else
            parts.last() += QLatin1Char(';') + p;
    }
    for (const QString& sample : parts) {
        const qsizetype hash =
            sample.lastIndexOf(QLatin1Char('#'), sample.indexOf(QLatin1Char('=')));
        const QString sheet = sample.left(hash);
        const int row = sample.mid(hash + 1, sample.indexOf(QLatin1Char('=')) - hash - 1).toInt();
        const QString value = sample.mid(sample.indexOf(QLatin1Char('=')) + 1);
        const TableDump& dump = dumps.at(sheet);
        const auto contains = [&](const QStringList& l) {
            return std::any_of(l.begin(), l.end(),
                               [&](const QString& s) { return s.contains(value); });
        };
        if (row == 1) {
            QVERIFY2(contains(dump.names), qPrintable(sample));
            continue;
        }
        QVERIFY2(row - 2 < dump.texts.size(), qPrintable(sample));
        if (contains(dump.texts[row - 2]))
            continue;
        const int index = int(wanted.indexOf(sheet));
        bool inOtherType = false;
        for (const auto& [pos, text] : raw.texts[index]) {
            if (pos.first == row - 1 && text.contains(value))
                inOtherType = inOtherType ||
                              !isSearchableType(dump.types[pos.second - raw.firstColumns[index]]);
        }
        QVERIFY2(inOtherType, qPrintable(sample));
    }
}
