// datasifter-cli: the search run without windows, for scripts, servers and benchmarks.
#include "app/cli/CliMain.h"

#include "app/cli/CliExtras.h"
#include "app/cli/CliHost.h"
#include "app/cli/CliOutput.h"
#include "common/ResultLayout.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"
#include "search/SearchRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

using namespace ds;

namespace {

constexpr int kExitHits = 0;
constexpr int kExitNoHits = 1;
constexpr int kExitUsage = 2;
const QString kNoPrinting = QStringLiteral("--pdf geht nur über datasifter-cli-pdf");

int usageError(const QString& text) {
    QTextStream(stderr) << "datasifter-cli: " << text << "\n"
                        << "Aufruf: datasifter-cli [OPTIONEN] PFAD...  (--help zeigt alle)\n";
    return kExitUsage;
}

QString readTermsFile(const QString& path, bool* ok) {
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok)
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text.split(QLatin1Char('\n')).join(QLatin1String("\r\n"));
}

}  // namespace

namespace ds::cli {

bool asksForPdf(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--pdf") == 0 || qstrncmp(argv[i], "--pdf=", 6) == 0)
            return true;
    }
    return false;
}

int runCli(const QStringList& arguments, const PdfPrinting* printing) {
    QCoreApplication::setApplicationName(QStringLiteral("datasifter-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sucht Datenbankdateien (Dateiensuche) oder Begriffe in ihren Datensätzen "
                       "(Textrecherche) und gibt die Ergebnistabelle aus."));
    parser.addHelpOption();
    const QCommandLineOption typeOpt(QStringLiteral("type"), QStringLiteral("Dateityp 1..17"),
                                     QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption termOpt(QStringLiteral("term"),
                                     QStringLiteral("Suchbegriff (mehrfach möglich)"),
                                     QStringLiteral("TEXT"));
    const QCommandLineOption termsFileOpt(QStringLiteral("terms-file"),
                                          QStringLiteral("Suchbegriffe, einer je Zeile"),
                                          QStringLiteral("F"));
    const QCommandLineOption allTermsOpt(QStringLiteral("all-terms"),
                                         QStringLiteral("alle Begriffe müssen vorkommen"));
    const QCommandLineOption matchCaseOpt(QStringLiteral("match-case"),
                                          QStringLiteral("Groß-/Kleinschreibung beachten"));
    const QCommandLineOption excludeOpt(QStringLiteral("exclude"),
                                        QStringLiteral("aussortieren, wenn enthalten"),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption noSubOpt(QStringLiteral("no-subfolders"),
                                      QStringLiteral("nur die Dateien des Ordners selbst"));
    const QCommandLineOption fullNamesOpt(QStringLiteral("full-names"),
                                          QStringLiteral("vollständige Dateinamen"));
    const QCommandLineOption noInfoOpt(QStringLiteral("no-file-info"),
                                       QStringLiteral("ohne Größe, Datum, Zeit und Attribute"));
    const QCommandLineOption passwordOpt(QStringLiteral("password"),
                                         QStringLiteral("Kennwort für geschützte Dateien"),
                                         QStringLiteral("TEXT"));
    const QCommandLineOption noLimitOpt(QStringLiteral("no-limit"),
                                        QStringLiteral("ohne die Grenze von 32767 Zeichen"));
    const QCommandLineOption threadsOpt(
        QStringLiteral("threads"),
        QStringLiteral("Dateien auf N Threads lesen (Vorgabe: Zahl der Prozessorkerne)"),
        QStringLiteral("N"));
    const QCommandLineOption formatOpt(QStringLiteral("format"), QStringLiteral("tsv oder json"),
                                       QStringLiteral("FORMAT"), QStringLiteral("tsv"));
    const QCommandLineOption reportOpt(QStringLiteral("report"),
                                       QStringLiteral("auch als Reportdatei speichern"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption pdfOpt(QStringLiteral("pdf"),
                                    QStringLiteral("auch drucken, in eine PDF-Datei"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption showOpt(QStringLiteral("show"),
                                     QStringLiteral("Datensatz einer Datei anzeigen"),
                                     QStringLiteral("FILE"));
    const QCommandLineOption tableOpt(QStringLiteral("table"), QStringLiteral("Tabelle (--show)"),
                                      QStringLiteral("NAME"));
    const QCommandLineOption recordOpt(QStringLiteral("record"),
                                       QStringLiteral("Datensatznummer (--show)"),
                                       QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({typeOpt, termOpt, termsFileOpt, allTermsOpt, matchCaseOpt, excludeOpt,
                       noSubOpt, fullNamesOpt, noInfoOpt, passwordOpt, noLimitOpt, threadsOpt,
                       formatOpt, reportOpt, pdfOpt, showOpt, tableOpt, recordOpt});
    parser.addPositionalArgument(QStringLiteral("PFAD"), QStringLiteral("zu durchsuchende Ordner"),
                                 QStringLiteral("PFAD..."));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return kExitHits;
    }

    bool typeOk = false;
    const int formatIndex = parser.value(typeOpt).toInt(&typeOk);
    if (!typeOk || !search::fileType(formatIndex))
        return usageError(QStringLiteral("--type erwartet eine Zahl von 1 bis 17"));
    if (parser.isSet(showOpt)) {
        if (!parser.isSet(typeOpt))
            return usageError(QStringLiteral("--show braucht --type"));
        cli::ShowRequest show;
        show.file = parser.value(showOpt);
        show.formatIndex = formatIndex;
        show.table = parser.value(tableOpt);
        bool recordOk = false;
        show.record = parser.value(recordOpt).toLongLong(&recordOk);
        if (!recordOk)
            return usageError(QStringLiteral("--record erwartet eine Zahl"));
        if (parser.isSet(passwordOpt))
            show.password = parser.value(passwordOpt);
        show.pdfFile = parser.value(pdfOpt);
        if (!show.pdfFile.isEmpty() && !printing)
            return usageError(kNoPrinting);
        return cli::runShow(show, printing);
    }
    const QString format = parser.value(formatOpt);
    if (format != QLatin1String("tsv") && format != QLatin1String("json"))
        return usageError(QStringLiteral("--format erwartet tsv oder json"));
    int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    if (parser.isSet(threadsOpt)) {
        bool ok = false;
        threads = parser.value(threadsOpt).toInt(&ok);
        if (!ok || threads < 1 || threads > 64)
            return usageError(QStringLiteral("--threads erwartet eine Zahl von 1 bis 64"));
    }
    const QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        return usageError(QStringLiteral("kein Pfad angegeben"));
    if (parser.isSet(pdfOpt) && !printing)
        return usageError(kNoPrinting);

    search::SearchCriteria c;
    c.formatIndex = formatIndex;
    QStringList termLines = parser.values(termOpt);
    if (parser.isSet(termsFileOpt)) {
        bool ok = false;
        const QString text = readTermsFile(parser.value(termsFileOpt), &ok);
        if (!ok)
            return usageError(QStringLiteral("Datei der Suchbegriffe nicht lesbar: ") +
                              parser.value(termsFileOpt));
        termLines << text;
    }
    c.textSearch = parser.isSet(termOpt) || parser.isSet(termsFileOpt);
    c.modeCaption =
        c.textSearch ? QStringLiteral("&Textrecherche") : QStringLiteral("&Dateiensuche");
    c.termsText = termLines.join(QLatin1String("\r\n"));
    c.allTerms = parser.isSet(allTermsOpt);
    c.matchCase = parser.isSet(matchCaseOpt);
    c.excludeChecked = parser.isSet(excludeOpt);
    c.excludeText = parser.value(excludeOpt);
    c.includeSubfolders = !parser.isSet(noSubOpt);
    c.fullNames = parser.isSet(fullNamesOpt);
    c.fileInfo = !parser.isSet(noInfoOpt);
    c.pathChoice = search::SearchCriteria::PathChoice::Folder;
    QStringList folders;
    for (const QString& p : paths) {
        const QFileInfo fi(p);
        folders << platform::toNative(fi.exists() ? fi.absoluteFilePath() : p);
    }
    c.folder = folders.takeFirst();
    c.extraFolders = folders;

    std::optional<QString> password;
    if (parser.isSet(passwordOpt))
        password = parser.value(passwordOpt);
    cli::CliHost host(c, password, threads);
    // Plain TSV on stdout and nothing else made of the table: the rows go out as they come.
    const bool streamRows =
        format == QLatin1String("tsv") && !parser.isSet(reportOpt) && !parser.isSet(pdfOpt);
    cli::LineWriter rowWriter(stdout);
    if (streamRows)
        host.streamRowsTo(&rowWriter);
    search::SearchRun run(host);
    if (parser.isSet(noLimitOpt)) {
        run.capacity = std::numeric_limits<int>::max();
        run.hitCountLimit = std::numeric_limits<int>::max();
    }
    run.RunSearch();
    if (host.streamed()) {
        if (!rowWriter.flush())
            return outputFailed(QStringLiteral("Die Ausgabe konnte nicht geschrieben werden."));
        return run.HitCount > 0 ? kExitHits : kExitNoHits;
    }

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    const int layout = resultLayoutFromTag(host.table.layoutTag);
    if (format == QLatin1String("json"))
        cli::writeJsonLines(host.table, layout, out);
    else
        cli::writeTsv(host.table, out);
    out.flush();
    const int extra = cli::writeSearchOutputs(host.table, run, parser.value(reportOpt),
                                              parser.value(pdfOpt), printing);
    if (extra != 0)
        return extra;
    return run.HitCount > 0 ? kExitHits : kExitNoHits;
}

}  // namespace ds::cli
