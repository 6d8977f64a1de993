#include "support/dbase/DbfSamples.h"

#include "support/TempDir.h"
#include "support/dbase/DbfWriter.h"

#include <QDir>
#include <QTemporaryDir>

#include <array>

namespace ds::test {

namespace {

constexpr std::array kSurnames = {"Müller", "Schäfer",  "Weiß",       "Köhler", "Groß",
                                  "Böhm",   "Schröder", "Krüger",     "Jäger",  "Hoffmann",
                                  "Fuchs",  "Lehmann",  "Zimmermann", "Wöhler", "Bäcker"};
constexpr std::array kFirstNames = {"Jürgen", "Björn", "Günther", "Käthe", "Jörg",
                                    "Sören",  "Ute",   "Bärbel",  "Max",   "Dörte"};
constexpr std::array kTowns = {"München", "Köln",      "Düsseldorf", "Nürnberg",
                               "Lübeck",  "Würzburg",  "Göttingen",  "Saarbrücken",
                               "Fürth",   "Osnabrück", "Tübingen",   "Gießen"};

// A small linear congruential generator: the same table on every platform.
struct Lcg {
    std::uint32_t state;
    std::uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

template <std::size_t N>
QString pick(const std::array<const char*, N>& list, Lcg& rng) {
    return QString::fromUtf8(list[rng.next() % N]);
}

}  // namespace

bool writeCustomerTable(const QString& dbfPath, std::uint32_t records) {
    DbfOptions options;
    options.flavor = DbfFlavor::Dbase3;
    options.languageDriver = 0x02;  // 850
    DbfWriter w(dbfPath,
                {{"NACHNAME", 'C', 30}, {"VORNAME", 'C', 30}, {"ORT", 'C', 30}, {"NOTIZ", 'M'}},
                options);
    if (!w.isOpen())
        return false;
    Lcg rng{20240517};
    for (std::uint32_t i = 0; i < records; ++i) {
        const QString surname = pick(kSurnames, rng) + QLatin1Char('-') + pick(kSurnames, rng);
        const QString first = pick(kFirstNames, rng) + QLatin1Char(' ') + pick(kFirstNames, rng);
        const QString town = QStringLiteral("%1 %2")
                                 .arg(rng.next() % 99999, 5, 10, QLatin1Char('0'))
                                 .arg(pick(kTowns, rng));
        DbfValue memo;
        if (i % 10 == 0)
            memo = QStringLiteral("Kunde seit %1, Ansprechpartner %2 in %3. Grüße aus %4.")
                       .arg(1980 + rng.next() % 44)
                       .arg(pick(kFirstNames, rng), pick(kTowns, rng), pick(kTowns, rng));
        w.addRecord({surname, first, town, memo});
    }
    return w.finish();
}

int writeFuzzSeeds(const QString& folder) {
    QDir().mkpath(folder);
    const QTemporaryDir tmp;
    int written = 0;
    auto seed = [&](const QString& name, const std::vector<DbfColumn>& fields,
                    const std::vector<std::vector<DbfValue>>& rows, DbfOptions options) {
        const QString dbf = tmp.filePath(name + QStringLiteral(".dbf"));
        QString memoPath;
        {
            DbfWriter w(dbf, fields, options);
            for (std::size_t i = 0; i < rows.size(); ++i)
                w.addRecord(rows[i], i == 1);  // the second record deleted
            w.finish();
            memoPath = w.memoPath();
        }
        const QByteArray dbfBytes = readFile(dbf);
        QByteArray out;
        const auto n = static_cast<std::uint32_t>(dbfBytes.size());
        for (int i = 0; i < 4; ++i)
            out.append(static_cast<char>((n >> (8 * i)) & 0xFF));
        out.append(dbfBytes);
        if (!memoPath.isEmpty())
            out.append(readFile(memoPath));
        if (writeFile(QDir(folder).filePath(name + QStringLiteral(".seed")), out))
            ++written;
    };
    const std::vector<DbfColumn> common = {{"NAME", 'C', 12},     {"BETRAG", 'N', 8, 2},
                                           {"QUOTE", 'F', 10, 3}, {"DATUM", 'D'},
                                           {"AKTIV", 'L'},        {"NOTIZ", 'M'}};
    const std::vector<std::vector<DbfValue>> rows = {
        {"Müller", 12.5, 0.25, QDate(2020, 1, 2), true, "Notiz über Köln"},
        {"Gelöscht", 1.0, 1.0, QDate(2001, 1, 1), false, "weg"},
        {},
        {"Weiß", -3.0, 2.0, QDate(1999, 12, 31), false, QString(700, QLatin1Char('x'))}};
    seed(QStringLiteral("dbase3"), common, rows, {DbfFlavor::Dbase3, 0x02});
    seed(QStringLiteral("dbase4"), common, rows, {DbfFlavor::Dbase4, 0x03});
    seed(QStringLiteral("foxpro2"), common, rows, {DbfFlavor::FoxPro2, 0x01});
    std::vector<DbfColumn> vfp = common;
    vfp.insert(vfp.end(), {{"ANZAHL", 'I', -1, 0, true},
                           {"PREIS", 'Y'},
                           {"STEMPEL", 'T'},
                           {"WERT", 'B'},
                           {"KURZ", 'V', 8, 0, true},
                           {"ROH", 'Q', 6},
                           {"BILD", 'G'}});
    std::vector<std::vector<DbfValue>> vfpRows = rows;
    vfpRows[0].insert(vfpRows[0].end(), {42, 19.75, QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)),
                                         2.5, "kurz", QByteArray("\x01\x02"), QByteArray("OLE")});
    seed(QStringLiteral("vfp"), vfp, vfpRows, {DbfFlavor::VisualFoxPro, 0x03});
    seed(QStringLiteral("nomemo"), {{"NAME", 'C', 300}, {"NR", 'N', 5}},
         {{"lang", 1}, {"weg", 2}, {"kurz", 3}}, {DbfFlavor::Dbase3});
    return written;
}

}  // namespace ds::test
