#include "AccessFixture.h"

#include "dbengine/Recordset.h"

#include <QDateTime>

namespace ds::test {

namespace t = ds::db::type;

std::vector<FixtureTable> fixtureTables() {
    std::vector<FixtureTable> tables;
    const QString chained = QStringLiteral("Anfang ") + QString(5000, QChar(0x0100)) +
                            QStringLiteral(" Ende");  // low byte 0: stored uncompressed
    tables.push_back(
        {QStringLiteral("Kunden"),
         {{QStringLiteral("Nr"), t::Long},
          {QStringLiteral("Name"), t::Text, 50},
          {QStringLiteral("Notiz"), t::Memo},
          {QStringLiteral("Wert"), t::Double},
          {QStringLiteral("Zeit"), t::Date},
          {QStringLiteral("Ok"), t::Boolean}},
         0,
         false,
         {{1, QStringLiteral("Müller"), QStringLiteral("kurz"), 1.0 / 7,
           QDateTime(QDate(2024, 3, 1), QTime(10, 30)), true},
          {2, QVariant(), QString(1500, QLatin1Char('x')), QVariant(), QVariant(), false},
          {3, QStringLiteral("Łukasz Żółć €uro 東京"), chained, -2.5,
           QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), true},
          {4, QStringLiteral("Zitat \"so\", Komma"), QStringLiteral("Zeile 1\r\nZeile 2"), 0.0,
           QDateTime(QDate(1900, 1, 2), QTime(0, 0)), false},
          {QVariant(), QStringLiteral("Mörike ÄÖÜß ") + QString::fromUtf8("😀"),
           QStringLiteral("中文 ") + QString(2000, QChar(0x4E2D)), 1e300, QVariant(), true}}});

    FixtureTable measures{QStringLiteral("Messwerte"),
                          {{QStringLiteral("Id"), t::Long},
                           {QStringLiteral("Klein"), t::Byte},
                           {QStringLiteral("Mittel"), t::Integer},
                           {QStringLiteral("Betrag"), t::Currency},
                           {QStringLiteral("Einfach"), t::Single},
                           {QStringLiteral("Ja"), t::Boolean}},
                          0,
                          false,
                          {}};
    for (int r = 0; r < 300; ++r) {
        measures.rows.append({r, r % 256, r % 2 ? -r * 100 : r * 100, r * 12.5 - 1000,
                              r % 7 == 0 ? QVariant() : QVariant(r * 0.25f), r % 3 == 0});
    }
    tables.push_back(measures);

    FixtureTable many{QStringLiteral("Viele"),
                      {{QStringLiteral("Id"), t::Long}, {QStringLiteral("Text"), t::Text, 100}},
                      0,
                      false,
                      {}};
    for (int r = 0; r < 3000; ++r)
        many.rows.append({r + 1, QStringLiteral("Datensatz %1 Ärger").arg(r + 1)});
    tables.push_back(many);

    tables.push_back({QStringLiteral("Leer"), {{QStringLiteral("Feld"), t::Text}}, 0, false, {}});
    tables.push_back({QStringLiteral("Intern"),
                      {{QStringLiteral("Wert"), t::Text}},
                      Jet4Writer::SystemFlags,
                      false,
                      {{QStringLiteral("nicht durchsuchen")}}});
    tables.push_back({QStringLiteral("Versteckt"),
                      {{QStringLiteral("Wert"), t::Text}},
                      Jet4Writer::HiddenFlag,
                      false,
                      {{QStringLiteral("versteckt")}}});
    tables.push_back({QStringLiteral("Verknüpft"), {}, 0, true, {}});
    return tables;
}

Jet4Writer fixtureWriter(const std::vector<FixtureTable>& tables) {
    Jet4Writer writer;
    for (const FixtureTable& table : tables) {
        if (table.linked) {
            writer.addLinkedTable(table.name);
            continue;
        }
        const int index = writer.addTable(table.name, table.columns, table.flags);
        for (const QVariantList& row : table.rows)
            writer.addRow(index, row);
    }
    return writer;
}

namespace {

QByteArray quoted(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate()) {
            shown += QStringLiteral("??");
            ++i;
        } else {
            shown += text[i];
        }
    }
    shown.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + shown.toUtf8() + '"';
}

QByteArray exported(const QVariant& value, int type) {
    if (type == t::Boolean)
        return value.toBool() ? "1" : "0";
    if (type == t::LongBinary)
        return value.isNull() ? "" : "\"\"";
    if (value.isNull() || (type == t::Text && value.toString().isEmpty()))
        return {};
    switch (type) {
        case t::Byte:
        case t::Integer:
        case t::Long:
            return QByteArray::number(value.toInt());
        case t::Currency:
            return QByteArray::number(value.toDouble(), 'f', 4);
        case t::Single:
            return QByteArray::number(value.toDouble(), 'g', 7);
        case t::Double:
            return QString::asprintf("%.16g", value.toDouble()).toUtf8();
        case t::Date:
            return '"' +
                   value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8() +
                   '"';
        default:
            return quoted(value.toString());
    }
}

}  // namespace

QByteArray expectedExport(const FixtureTable& table) {
    QByteArrayList header;
    for (const Jet4Writer::Column& c : table.columns)
        header << c.name.toUtf8();
    QByteArray out = header.join(',') + '\n';
    for (const QVariantList& row : table.rows) {
        QByteArrayList cells;
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            cells << exported(row.value(static_cast<qsizetype>(i)), table.columns[i].type);
        out += cells.join(',') + '\n';
    }
    return out;
}

}  // namespace ds::test
