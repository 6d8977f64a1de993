// make-bench-mdb FILE ROWS: a Jet 4 database with one table "Kunden" of ROWS customers (three text
// columns and a memo on every tenth row), written by the project's Jet 4 fixture writer.
#include "dbengine/Recordset.h"
#include "support/access/Jet4Writer.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make-bench-mdb FILE ROWS\n");
        return 2;
    }
    const int rows = args[2].toInt();
    static const char* const surnames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber",
                                           "Meyer",  "Wagner",  "Becker",    "Schulz",  "Hoffmann",
                                           "Köhler", "Weiß",    "Groß",      "Krüger",  "Böhm"};
    static const char* const towns[] = {"München", "Köln",     "Düsseldorf", "Nürnberg",
                                        "Lübeck",  "Würzburg", "Göttingen",  "Saarbrücken",
                                        "Jena",    "Kiel"};
    ds::test::Jet4Writer w;
    namespace type = ds::db::type;
    const int table =
        w.addTable(QStringLiteral("Kunden"), {{QStringLiteral("Nachname"), type::Text, 40},
                                              {QStringLiteral("Vorname"), type::Text, 40},
                                              {QStringLiteral("Ort"), type::Text, 40},
                                              {QStringLiteral("Notiz"), type::Memo, 0}});
    w.addRows(table, rows, [](int i) {
        const unsigned h = unsigned(i) * 2654435761u;
        const QString surname = QString::fromUtf8(surnames[h % 15]) + QLatin1Char('-') +
                                QString::fromUtf8(surnames[(h >> 8) % 15]);
        const QString town = QString::number(10000 + h % 89999) + QLatin1Char(' ') +
                             QString::fromUtf8(towns[(h >> 16) % 10]);
        const QVariant memo = i % 10 == 0
                                  ? QVariant(QStringLiteral("Kunde seit %1, Grüße aus %2.")
                                                 .arg(1980 + int(h % 44))
                                                 .arg(QString::fromUtf8(towns[(h >> 4) % 10])))
                                  : QVariant();
        return QVariantList{surname, QStringLiteral("Vorname %1").arg(h % 1000), town, memo};
    });
    return w.writeTo(args[1]) ? 0 : 1;
}
