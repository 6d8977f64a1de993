// datasifter-sampledata FOLDER: writes the sample data folder shipped beside the program, so that
// a first text search (for example for "Müller") finds something in every format. Every file is
// made by the project's own fixture writers from the data below.
#include "dbengine/Recordset.h"
#include "support/access/Jet4Writer.h"
#include "support/dbase/DbfWriter.h"
#include "support/excel/XlsWriter.h"
#include "support/paradox/ParadoxWriter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace ds::test;
namespace type = ds::db::type;

namespace {

struct Person {
    const char* name;
    const char* firstName;
    const char* street;
    const char* zip;
    const char* city;
    QDate born;
    const char* note;  // empty: no note
};

const Person kPeople[] = {
    {"Müller",
     "Hans",
     "Hauptstraße 12",
     "80331",
     "München",
     {1956, 3, 14},
     "Stammkunde seit 1987. Bevorzugt Lieferung am Vormittag."},
    {"Meier", "Karl", "Lindenallee 5", "50667", "Köln", {1961, 11, 2}, ""},
    {"Schmidt",
     "Erika",
     "Am Markt 3",
     "20095",
     "Hamburg",
     {1970, 6, 30},
     "Hat um Löschung ihrer Daten gebeten (Schreiben vom 12.02.1999)."},
    {"Schulz", "Jürgen", "Gartenweg 17", "01067", "Dresden", {1948, 1, 21}, ""},
    {"Weiß",
     "Monika",
     "Bahnhofstraße 44",
     "70173",
     "Stuttgart",
     {1975, 9, 9},
     "Rückfrage wegen Rechnung 4711 offen."},
    {"Köhler", "Günter", "Schloßplatz 1", "66111", "Saarbrücken", {1939, 12, 24}, ""},
    {"Größmann",
     "Ute",
     "Uferstraße 8",
     "04109",
     "Leipzig",
     {1982, 4, 1},
     "Neue Anschrift seit Mai 2001, alte Anschrift: Müllerstraße 2."},
    {"Becker", "Frank", "Kirchgasse 9", "60311", "Frankfurt am Main", {1966, 8, 18}, ""},
    {"Wagner",
     "Sabine",
     "Rosenstraße 21",
     "90402",
     "Nürnberg",
     {1973, 2, 27},
     "Geschäftskontakt über Firma Müller & Söhne GmbH."},
    {"Hoffmann", "Dieter", "Feldweg 2", "30159", "Hannover", {1958, 7, 5}, ""},
};

const char* kArticles[][3] = {
    {"Aktenordner A4, breit", "Büro", "2,49"},     {"Kugelschreiber blau", "Büro", "0,79"},
    {"Druckerpapier 500 Blatt", "Papier", "4,99"}, {"Schreibtischlampe", "Möbel", "24,90"},
    {"Bürostuhl \"Komfort\"", "Möbel", "149,00"},  {"Hängeregistratur", "Büro", "12,50"},
};

QString str(const char* text) {
    return QString::fromUtf8(text);
}

bool writeAccess(const QString& folder) {
    Jet4Writer kunden;
    const int table =
        kunden.addTable(QStringLiteral("Kunden"), {{QStringLiteral("KundenNr"), type::Long, 0},
                                                   {QStringLiteral("Name"), type::Text, 40},
                                                   {QStringLiteral("Vorname"), type::Text, 30},
                                                   {QStringLiteral("Strasse"), type::Text, 40},
                                                   {QStringLiteral("PLZ"), type::Text, 5},
                                                   {QStringLiteral("Ort"), type::Text, 30},
                                                   {QStringLiteral("Geburtstag"), type::Date, 0},
                                                   {QStringLiteral("Bemerkung"), type::Memo, 0}});
    int number = 1001;
    for (const Person& p : kPeople) {
        kunden.addRow(
            table, {number++, str(p.name), str(p.firstName), str(p.street), str(p.zip), str(p.city),
                    QDateTime(p.born, QTime(0, 0)), *p.note ? QVariant(str(p.note)) : QVariant()});
    }
    const int orders = kunden.addTable(QStringLiteral("Bestellungen"),
                                       {{QStringLiteral("BestellNr"), type::Long, 0},
                                        {QStringLiteral("KundenNr"), type::Long, 0},
                                        {QStringLiteral("Artikel"), type::Text, 50},
                                        {QStringLiteral("Datum"), type::Date, 0},
                                        {QStringLiteral("Betrag"), type::Double, 0},
                                        {QStringLiteral("Bezahlt"), type::Boolean, 0}});
    for (int i = 0; i < 24; ++i) {
        kunden.addRow(orders, {5000 + i, 1001 + (i * 7) % 10, str(kArticles[i % 6][0]),
                               QDateTime(QDate(1998, 1 + i % 12, 1 + i), QTime(10, 30)),
                               12.5 * (i + 1), i % 3 != 0});
    }
    Jet4Writer personal;
    const int staff = personal.addTable(QStringLiteral("Mitarbeiter"),
                                        {{QStringLiteral("PersNr"), type::Long, 0},
                                         {QStringLiteral("Name"), type::Text, 40},
                                         {QStringLiteral("Abteilung"), type::Text, 30}});
    personal.addRow(staff, {1, QStringLiteral("Müller"), QStringLiteral("Einkauf")});
    personal.addRow(staff, {2, QStringLiteral("Lehmann"), QStringLiteral("Buchhaltung")});
    personal.setPassword(QStringLiteral("Geheim"));
    return kunden.writeTo(folder + QStringLiteral("/Kunden.mdb")) &&
           personal.writeTo(folder + QStringLiteral("/Personal.mdb"));
}

bool writeDbase(const QString& folder) {
    {
        DbfOptions options;
        options.flavor = DbfFlavor::Dbase3;
        options.languageDriver = 0x02;  // code page 850
        DbfWriter w(folder + QStringLiteral("/adressen.dbf"),
                    {{QStringLiteral("NAME"), 'C', 30},
                     {QStringLiteral("VORNAME"), 'C', 20},
                     {QStringLiteral("STRASSE"), 'C', 30},
                     {QStringLiteral("PLZ"), 'C', 5},
                     {QStringLiteral("ORT"), 'C', 25},
                     {QStringLiteral("GEBDAT"), 'D'},
                     {QStringLiteral("NOTIZ"), 'M'}},
                    options);
        for (const Person& p : kPeople) {
            w.addRecord({str(p.name), str(p.firstName), str(p.street), str(p.zip), str(p.city),
                         p.born, *p.note ? DbfValue(str(p.note)) : DbfValue()});
        }
        // A deleted record: not a record any more, and never found.
        w.addRecord({QStringLiteral("Müller-Gelöscht"), QStringLiteral("Otto")}, true);
        if (!w.finish())
            return false;
    }
    DbfOptions fox;
    fox.flavor = DbfFlavor::FoxPro2;
    fox.languageDriver = 0x03;  // code page 1252
    DbfWriter w(folder + QStringLiteral("/lieferanten.dbf"),
                {{QStringLiteral("FIRMA"), 'C', 40},
                 {QStringLiteral("ORT"), 'C', 25},
                 {QStringLiteral("UMSATZ"), 'N', 12, 2},
                 {QStringLiteral("AKTIV"), 'L'},
                 {QStringLiteral("HINWEIS"), 'M'}},
                fox);
    w.addRecord({QStringLiteral("Müller & Söhne GmbH"), QStringLiteral("Bielefeld"), 125000.5, true,
                 QStringLiteral("Liefert Büromöbel; Ansprechpartner Herr Müller.")});
    w.addRecord({QStringLiteral("Papierwerk Süd AG"), QStringLiteral("Augsburg"), 48200.0, true,
                 DbfValue()});
    w.addRecord({QStringLiteral("Schreibwaren Krause"), QStringLiteral("Kiel"), 3100.75, false,
                 QStringLiteral("Geschäft 2002 aufgegeben.")});
    if (!w.finish())
        return false;

    QDir(folder).mkpath(QStringLiteral("Archiv 1998"));
    DbfOptions four;
    four.flavor = DbfFlavor::Dbase4;
    four.languageDriver = 0x02;
    DbfWriter old(folder + QStringLiteral("/Archiv 1998/kunden98.dbf"),
                  {{QStringLiteral("NAME"), 'C', 30},
                   {QStringLiteral("ORT"), 'C', 25},
                   {QStringLiteral("KUNDENNR"), 'N', 6}},
                  four);
    old.addRecord({QStringLiteral("Müller"), QStringLiteral("München"), 1001});
    old.addRecord({QStringLiteral("Zimmermann"), QStringLiteral("Bonn"), 1011});
    return old.finish();
}

bool writeParadox(const QString& folder) {
    ParadoxWriter w(ParadoxWriter::Version::V7);
    w.setCodePage(1252)
        .addField(QStringLiteral("Nr"), 'I')
        .addField(QStringLiteral("Bezeichnung"), 'A', 40)
        .addField(QStringLiteral("Gruppe"), 'A', 20)
        .addField(QStringLiteral("Preis"), '$')
        .addField(QStringLiteral("Beschreibung"), 'M', 30);
    int nr = 1;
    for (const auto& a : kArticles) {
        const double price =
            QString::fromUtf8(a[2]).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        w.addRecord({nr, str(a[0]), str(a[1]), price,
                     nr == 5 ? QVariant(QStringLiteral("Ergonomischer Bürostuhl, geliefert von "
                                                       "Müller & Söhne GmbH, Bielefeld."))
                             : QVariant()});
        ++nr;
    }
    return w.writeTo(folder, QStringLiteral("ARTIKEL"));
}

bool writeExcel(const QString& folder) {
    XlsWriter w(XlsVersion::Biff8);
    XlsSheet& kunden = w.addSheet(QStringLiteral("Kunden"));
    kunden.setRow(0, {QStringLiteral("Name"), QStringLiteral("Vorname"), QStringLiteral("Ort"),
                      QStringLiteral("Geburtstag")});
    int row = 1;
    for (const Person& p : kPeople)
        kunden.setRow(row++, {str(p.name), str(p.firstName), str(p.city), p.born});
    XlsSheet& umsatz = w.addSheet(QStringLiteral("Umsatz 2023"));
    umsatz.setRow(0, {QStringLiteral("Monat"), QStringLiteral("Kunde"), QStringLiteral("Betrag"),
                      QStringLiteral("Bemerkung")});
    const char* months[] = {"Januar", "Februar", "März", "April", "Mai", "Juni"};
    for (int i = 0; i < 6; ++i) {
        umsatz.setRow(
            i + 1, {str(months[i]), str(kPeople[i].name), 1500.0 + 250.0 * i,
                    i == 2 ? XlsCell(QStringLiteral("Gutschrift an Müller verbucht")) : XlsCell()});
    }
    return w.save(folder + QStringLiteral("/Umsatz.xls"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "Aufruf: datasifter-sampledata ORDNER\n";
        return 2;
    }
    const QString folder = args[1];
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder)) {
        QTextStream(stderr) << "Ordner kann nicht angelegt werden: " << folder << "\n";
        return 1;
    }
    const bool ok =
        writeAccess(folder) && writeDbase(folder) && writeParadox(folder) && writeExcel(folder);
    if (!ok) {
        QTextStream(stderr) << "Beispieldaten konnten nicht geschrieben werden\n";
        return 1;
    }
    return 0;
}
