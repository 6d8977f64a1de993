// The result window's exports and printout through the real windows, the printer object
// rendered to PDF and read back with pdftotext, the printer set-up and the command line's
// --report and --pdf.
#include "PdfText.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "results/Printing.h"
#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "shell/frmSifter.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace ds;
using ds::platform::Printer;
using ds::shell::frmSifter;
using ds::test::FakeDialogs;
using ds::test::PdfPage;

namespace {

constexpr double kTolerance = 60;  // twips (3 points) between the printed and the read position

const QStringList kLayout1Headings{"", "Datei", "Datensatz", "Suchbegriff"};

// Calls a function at every pass of the event loop (the exports yield once per row) until
// destroyed, with the number of the pass.
class EveryYield {
  public:
    explicit EveryYield(std::function<void(int)> f) : f_(std::move(f)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { f_(++passes_); });
        timer_.start();
    }
    int passes() const { return passes_; }

  private:
    std::function<void(int)> f_;
    QTimer timer_;
    int passes_ = 0;
};

QStringList hitRows(const QString& file, int count, const QString& term = QStringLiteral("Meier")) {
    QStringList rows;
    for (int i = 1; i <= count; ++i)
        rows << QStringLiteral("\t%1\t%2\t%3").arg(file).arg(i).arg(term);
    return rows;
}

int countLinesWith(const PdfPage& page, const QString& text) {
    int n = 0;
    for (const QString& line : page.lineTexts())
        n += line.contains(text) ? 1 : 0;
    return n;
}

}  // namespace

class TestExportGui : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void clipboard_data();
    void clipboard();
    void saveReportThroughMenu();
    void saveReportCancelButton();

    void printOnePage();
    void printPagesAndStatus_data();
    void printPagesAndStatus();
    void printLayout0FirstColumn();
    void printFileNameOncePerPage();
    void printLongFirstColumn();
    void printFileSearchColumns_data();
    void printFileSearchColumns();
    void printCancelled();

    void printerLineFeedAndWidth();
    void printerOrientation();
    void printerPages_data();
    void printerPages();
    void printerFallsBackToPdf();

    void printerSetupRemembersChoice();
    void commandLineReportAndPdf();

  private:
    results::frmTabelle* fillResult(int layout, const QStringList& headings,
                                    const QStringList& rows);
    QList<PdfPage> printAndRead(results::frmTabelle* table);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<Printer> pdf_;
    QString pdfPath_;
    frmSifter* main_ = nullptr;
};

void TestExportGui::initTestCase() {
    if (!test::havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed");
}

void TestExportGui::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (dir_->path() + QStringLiteral("/config")).toLocal8Bit());
    dialogs_ = std::make_unique<FakeDialogs>();
    pdfPath_ = dir_->filePath(QStringLiteral("ausdruck.pdf"));
    pdf_ = platform::createPdfPrinter(pdfPath_);
    Printer::install(pdf_.get());
    main_ = new frmSifter;
    main_->LoadSettings(dir_->path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
    main_->show();
}

void TestExportGui::cleanup() {
    delete main_;
    main_ = nullptr;
    Printer::install(nullptr);
    pdf_.reset();
    dialogs_.reset();
    results::setPrinterSetupDialog({});
}

results::frmTabelle* TestExportGui::fillResult(int layout, const QStringList& headings,
                                               const QStringList& rows) {
    results::frmTabelle* t = main_->tabelle();
    t->tag = QString::number(layout);
    t->GrdErgebnis->setCols(int(headings.size()));
    for (int c = 0; c < headings.size(); ++c)
        t->GrdErgebnis->setCellText(0, c, headings[c]);
    for (const QString& r : rows)
        t->GrdErgebnis->AddItem(r);
    t->subWindow()->show();
    return t;
}

QList<PdfPage> TestExportGui::printAndRead(results::frmTabelle* table) {
    table->M_Tabelle[2]->trigger();
    QString error;
    const QList<PdfPage> pages = test::readPdf(pdfPath_, &error);
    if (!error.isEmpty())
        qWarning() << error;
    return pages;
}

void TestExportGui::clipboard_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("right");
    QTest::addColumn<QString>("clip");
    // Row 2 is the folder row, rows 3 to 5 the hits 1 to 3.
    QTest::newRow("one cell: its text alone") << 4 << 2 << 4 << 2 << QStringLiteral("2");
    QTest::newRow("range: TAB between cells, CR between rows")
        << 3 << 1 << 4 << 3 << QStringLiteral("kunden.dbf\t1\tMeier\rkunden.dbf\t2\tMeier");
    QTest::newRow("folder row with its empty cells")
        << 2 << 0 << 2 << 2 << QStringLiteral("»\t/daten\t");
}

void TestExportGui::clipboard() {
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(int, bottom);
    QFETCH(int, right);
    QFETCH(QString, clip);
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), 3);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    t->GrdErgebnis->setCurrentCell(top, left);
    t->GrdErgebnis->setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
    QApplication::clipboard()->setText(QStringLiteral("vorher"));
    t->M_Tabelle[0]->trigger();
    QCOMPARE(QApplication::clipboard()->text(), clip);
    QCOMPARE(dialogs_->messages(),
             QStringList{QStringLiteral("Markierte Bereiche in der Zwischenablage")});
    QCOMPARE(dialogs_->shown.last().icon, platform::Icon::Information);
    QVERIFY(!t->testAttribute(Qt::WA_SetCursor));
}

void TestExportGui::saveReportThroughMenu() {
    QStringList rows{QString(), QStringLiteral("»\t/daten")};
    rows << QStringLiteral("\tadressen.mdb\tKunden\t3\tBerlin")
         << QStringLiteral("\tadressen.mdb\t\t\t");
    results::frmTabelle* t =
        fillResult(0, {"", "Datei", "Tabelle", "Datensatz", "Suchbegriff"}, rows);
    main_->begriffe()->termListTag = QStringLiteral("Berlin\r Bad Ems \r");
    const QString typed = dir_->filePath(QStringLiteral(".liste.txt"));
    dialogs_->answerSaveName(typed);

    bool buttonShown = false;
    bool closeRefused = false;
    QString statusDuring;
    EveryYield during([&](int pass) {
        if (pass != 1)
            return;
        buttonShown = main_->BefAbbrechen->isVisible();
        statusDuring = main_->BezStatus->text();
        t->subWindow()->close();
        closeRefused = main_->tabelleIfLoaded() && t->subWindow()->isVisible();
    });
    t->M_Tabelle[1]->trigger();

    const QString saved = dir_->filePath(QStringLiteral("Liste.txt"));
    QVERIFY(!QFileInfo::exists(typed));
    QCOMPARE(test::readFile(saved),
             QByteArray("DATASIFTER\r\n\r\nDateien- und Datenbanken-Recherche\r\n\r\n"
                        "Suchbegriffe\r\nBerlin\r\nBad Ems\r\n\r\n"
                        "Datei\tTabelle\tDatensatz\tSuchbegriff\r\n\r\n"
                        "\t\t\t\r\n/daten\t\t\t\r\nadressen.mdb\tKunden\t3\tBerlin\r\n"
                        "adressen.mdb\t\t\t\r\n"));
    QVERIFY(buttonShown);
    QCOMPARE(statusDuring, QStringLiteral("Speichern des Ergebnisses in ") + saved);
    QVERIFY(closeRefused);
    // Closing steps.
    QVERIFY(!main_->BefAbbrechen->isVisible());
    QCOMPARE(main_->BezStatus->text(), QString());
    QVERIFY(!t->testAttribute(Qt::WA_SetCursor));
    QVERIFY(dialogs_->messages().isEmpty());
}

void TestExportGui::saveReportCancelButton() {
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), 20);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    main_->begriffe()->termListTag = QStringLiteral("Meier\r");
    const QString path = dir_->filePath(QStringLiteral("Bericht.txt"));
    dialogs_->answerSaveName(path);
    {
        EveryYield click([&](int pass) {
            if (pass == 3 && main_->BefAbbrechen->isVisible())
                main_->BefAbbrechen->click();
        });
        t->M_Tabelle[1]->trigger();
    }
    const QList<QByteArray> lines = test::readFile(path).split('\n');
    // Nine head lines, the rows up to the click, the "" after the last line feed.
    QCOMPARE(lines.size(), 9 + 3 + 1);
    QCOMPARE(lines[11], QByteArray("kunden.dbf\t2\tMeier\r"));
    QCOMPARE(main_->befAbbrechenTag, QString());
    QVERIFY(!main_->BefAbbrechen->isVisible());

    // The next export runs in full.
    dialogs_->answerSaveName(path);
    t->M_Tabelle[1]->trigger();
    QCOMPARE(test::readFile(path).split('\n').size(), 9 + 21 + 1);
}

void TestExportGui::printOnePage() {
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), 3);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    main_->begriffe()->termListTag = QStringLiteral("Meier\rBerlin\r");
    pdf_->setScaleMode(Printer::ScaleMillimetres);
    const QList<PdfPage> pages = printAndRead(t);
    // Orientation and scale mode are the printout's own only while it runs.
    QCOMPARE(pdf_->orientation(), Printer::Portrait);
    QCOMPARE(pdf_->scaleMode(), Printer::ScaleMillimetres);
    QCOMPARE(pages.size(), 1);
    const PdfPage& p = pages[0];
    QVERIFY2(p.widthTwips > p.heightTwips, "landscape");
    const QStringList lines = p.lineTexts();
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QStringList expected{date,
                               "DATASIFTER",
                               "Dateien- und Datenbanken-Recherche",
                               "Suchbegriffe",
                               "· Meier",
                               "· Berlin",
                               "Fundstellen:",
                               "Datei Datensatz Suchbegriff",
                               "/daten",
                               "kunden.dbf 1 Meier",
                               "2 Meier",
                               "3 Meier"};
    QCOMPARE(lines, expected);  // no page number on a one-page printout

    const auto dateLine = p.lineWith(date);
    QVERIFY(std::abs(dateLine->right - (p.widthTwips - 750)) < kTolerance);
    QVERIFY(std::abs(dateLine->top - 1400) < kTolerance * 2);
    QVERIFY(std::abs(p.lineWith(QStringLiteral("DATASIFTER"))->left - 750) < kTolerance);
    QVERIFY(std::abs(p.lineWith(QStringLiteral("Meier"))->left - 1050) < kTolerance);
    const auto heading = p.lineWith(QStringLiteral("Datensatz"));
    QVERIFY(std::abs(heading->words[1].left - 9000) < kTolerance);
    QVERIFY(std::abs(heading->words[2].left - 11000) < kTolerance);
}

void TestExportGui::printPagesAndStatus_data() {
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("pages");
    QTest::newRow("two pages") << 40 << 2;
    QTest::newRow("three pages") << 70 << 3;
}

void TestExportGui::printPagesAndStatus() {
    QFETCH(int, hits);
    QFETCH(int, pages);
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), hits);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    main_->BezStatus->setVisible(false);
    main_->BezStatus->setText(QStringLiteral("vorher"));
    QStringList statusSeen;
    QList<PdfPage> printed;
    {
        EveryYield watch([&](int) {
            if (statusSeen.isEmpty() || statusSeen.last() != main_->BezStatus->text())
                statusSeen << main_->BezStatus->text();
        });
        printed = printAndRead(t);
    }
    QCOMPARE(printed.size(), pages);
    QStringList expectedStatus;
    for (int n = 1; n <= pages; ++n)
        expectedStatus << QStringLiteral("Druck der Seite %1...").arg(n);
    QCOMPARE(statusSeen, expectedStatus);
    QCOMPARE(main_->BezStatus->text(), QStringLiteral("vorher"));
    QVERIFY(main_->BezStatus->isHidden());
    QVERIFY(!main_->BefAbbrechen->isVisible());

    for (int n = 2; n <= pages; ++n) {
        const PdfPage& p = printed[n - 1];
        const test::PdfLine header = p.lines().first();
        QCOMPARE(header.text, QStringLiteral("DATASIFTER - %1 -").arg(n));
        QVERIFY(std::abs(header.left - 750) < kTolerance);
        QVERIFY(std::abs(header.right - (p.widthTwips - 750)) < kTolerance);
        // The empty Times line first: the header's top is below the top of text.
        QVERIFY(header.top > 1400);
        QCOMPARE(p.lines()[1].text,
                 QStringLiteral("kunden.dbf %1 Meier").arg(p.lines()[1].words[1].text));
    }
    // Every hit printed once, in order, over all pages.
    int next = 1;
    for (const PdfPage& p : printed) {
        for (const test::PdfLine& l : p.lines()) {
            if (l.words.size() >= 2 && l.words.last().text == QLatin1String("Meier")) {
                QCOMPARE(l.words[l.words.size() - 2].text, QString::number(next));
                ++next;
            }
        }
    }
    QCOMPARE(next, hits + 1);
}

void TestExportGui::printLayout0FirstColumn() {
    QStringList rows{QStringLiteral("»\t/daten"),
                     QStringLiteral("\tadressen.mdb\tKunden\t3\tBerlin"),
                     QStringLiteral("\tadressen.mdb\t\t7\tBerlin")};
    results::frmTabelle* t =
        fillResult(0, {"", "Datei", "Tabelle", "Datensatz", "Suchbegriff"}, rows);
    main_->begriffe()->termListTag = QStringLiteral("Berlin\r");
    const QList<PdfPage> pages = printAndRead(t);
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pages[0].lineTexts();
    QVERIFY(lines.contains(QStringLiteral("Datei (Tabelle) Datensatz Suchbegriff")));
    QVERIFY(lines.contains(QStringLiteral("adressen.mdb (Kunden) 3 Berlin")));
    // Without a table only the file name; it differs from the previous first column.
    QVERIFY(lines.contains(QStringLiteral("adressen.mdb 7 Berlin")));
    const auto hit = pages[0].lineWith(QStringLiteral("(Kunden)"));
    QVERIFY(std::abs(hit->words[0].left - 750) < kTolerance);
    QVERIFY(std::abs(hit->words[2].left - 9000) < kTolerance);
    QVERIFY(std::abs(hit->words[3].left - 11000) < kTolerance);
}

void TestExportGui::printFileNameOncePerPage() {
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), 50);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    const QList<PdfPage> pages = printAndRead(t);
    QCOMPARE(pages.size(), 2);
    for (const PdfPage& p : pages)
        QCOMPARE(countLinesWith(p, QStringLiteral("kunden.dbf")), 1);
    // The other rows of the page carry only record number and term, in their columns.
    const auto second = pages[1].lines()[2];
    QCOMPARE(second.words.size(), 2);
    QVERIFY(std::abs(second.left - 9000) < kTolerance);
}

void TestExportGui::printLongFirstColumn() {
    const QString longName = QStringLiteral("/daten/") + QStringLiteral("sehr_lang_").repeated(12) +
                             QStringLiteral(".dbf");
    QStringList rows{QStringLiteral("\t") + longName + QStringLiteral("\t5\tMeier"),
                     QStringLiteral("\t") + longName + QStringLiteral("\t6\tMeier"),
                     QStringLiteral("\tkurz.dbf\t9\tMeier")};
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    const QList<PdfPage> pages = printAndRead(t);
    QCOMPARE(pages.size(), 1);
    const QList<test::PdfLine> lines = pages[0].lines();
    qsizetype i = 0;
    while (i < lines.size() && !lines[i].text.startsWith(QStringLiteral("/daten/sehr")))
        ++i;
    QVERIFY2(i + 3 < lines.size(), qPrintable(pages[0].lineTexts().join(QLatin1Char('|'))));
    QVERIFY(lines[i].right > 9000);  // wider than 8250 twips
    // Its columns on the next line; the second row of the same file gets an empty line before
    // its columns (the first column is not printed again, the line still ends).
    QCOMPARE(lines[i + 1].text, QStringLiteral("5 Meier"));
    QCOMPARE(lines[i + 2].text, QStringLiteral("6 Meier"));
    QCOMPARE(lines[i + 3].text, QStringLiteral("kurz.dbf 9 Meier"));
    const double lineHeight = lines[i + 3].top - lines[i + 2].top;
    QVERIFY(std::abs(lines[i + 1].top - lines[i].top - lineHeight) < kTolerance);
    QVERIFY(std::abs(lines[i + 2].top - lines[i + 1].top - 2 * lineHeight) < kTolerance);
    QVERIFY(std::abs(lines[i + 1].left - 9000) < kTolerance);
}

void TestExportGui::printFileSearchColumns_data() {
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("headingLine");
    QTest::addColumn<QString>("rowLine");
    QTest::newRow("with file information")
        << QStringList{"", "Datei", "Bytes", "Datum", "Zeit", "Attr."}
        << QStringLiteral("\tkunden.dbf\t1024\t01.02.2003\t04:05\tA")
        << QStringLiteral("Datei Bytes Zeitangaben und Attribute")
        << QStringLiteral("kunden.dbf 1024 01.02.2003 04:05 A");
    QTest::newRow("without file information")
        << QStringList{"", "Datei"} << QStringLiteral("\tkunden.dbf") << QStringLiteral("Datei")
        << QStringLiteral("kunden.dbf");
}

void TestExportGui::printFileSearchColumns() {
    QFETCH(QStringList, headings);
    QFETCH(QString, row);
    QFETCH(QString, headingLine);
    QFETCH(QString, rowLine);
    results::frmTabelle* t = fillResult(2, headings, {QStringLiteral("»\t/daten"), row});
    main_->begriffe()->termListTag = QStringLiteral("nie gedruckt\r");
    const QList<PdfPage> pages = printAndRead(t);
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pages[0].lineTexts();
    QVERIFY(!lines.contains(QStringLiteral("Suchbegriffe")));
    QVERIFY(!pages[0].lineWith(QStringLiteral("nie gedruckt")));
    QCOMPARE(lines.mid(lines.indexOf(QStringLiteral("Fundstellen:")) + 1),
             (QStringList{headingLine, QStringLiteral("/daten"), rowLine}));
    if (headings.size() > 2) {
        const auto hit = pages[0].lineWith(QStringLiteral("1024"));
        QVERIFY(std::abs(hit->words[1].left - 11100) < kTolerance);
        QVERIFY(std::abs(hit->words[2].left - 12500) < kTolerance);
        // Date, time and attributes joined by TAB: each further one in a later print zone.
        QVERIFY(hit->words[3].left > hit->words[2].right);
        QVERIFY(hit->words[4].left > hit->words[3].right);
        const auto head = pages[0].lineWith(QStringLiteral("Zeitangaben"));
        QVERIFY(std::abs(head->words[2].left - 12500) < kTolerance);
    }
}

void TestExportGui::printCancelled() {
    QStringList rows{QStringLiteral("»\t/daten")};
    rows << hitRows(QStringLiteral("kunden.dbf"), 70);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, rows);
    main_->BezStatus->setVisible(true);
    main_->BezStatus->setText(QStringLiteral("bereit"));
    QList<PdfPage> pages;
    {
        EveryYield click([&](int pass) {
            if (pass == 30 && main_->BefAbbrechen->isVisible())
                main_->BefAbbrechen->click();
        });
        pages = printAndRead(t);
    }
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.last().lineTexts().last(), QStringLiteral("Druckvorgang abgebrochen..."));
    QVERIFY(std::abs(pages.last().lines().last().left - 750) < kTolerance);
    QCOMPARE(main_->befAbbrechenTag, QString());
    QVERIFY(!main_->BefAbbrechen->isVisible());
    QCOMPARE(main_->BezStatus->text(), QStringLiteral("bereit"));
    QVERIFY(!main_->BezStatus->isHidden());

    // The next printout runs in full, without the note.
    pages = printAndRead(t);
    QCOMPARE(pages.size(), 3);
    for (const PdfPage& p : pages)
        QVERIFY(!p.lineWith(QStringLiteral("abgebrochen")));
}

void TestExportGui::printerLineFeedAndWidth() {
    Printer& p = *pdf_;
    p.setFontName(QStringLiteral("Arial"));
    p.setFontSize(12);
    p.setCurrentX(1000);
    p.setCurrentY(2000);
    p.printText(QStringLiteral("Anfang"));
    const double afterText = p.currentX();
    QVERIFY(std::abs(afterText - (1000 + p.textWidth(QStringLiteral("Anfang")))) < 0.5);
    QCOMPARE(p.currentY(), 2000.0);
    p.printLine();
    QCOMPARE(p.currentX(), 0.0);
    const double lineHeight = p.lineHeight();
    QVERIFY(std::abs(p.currentY() - (2000 + lineHeight)) < 0.5);
    p.setCurrentX(afterText);
    p.printLine(QStringLiteral("Ende"));
    p.printLine();  // an empty line moves on as well
    QVERIFY(std::abs(p.currentY() - (2000 + 3 * lineHeight)) < 0.5);
    p.setFontSize(24);
    QVERIFY(p.lineHeight() > 1.8 * lineHeight);
    p.endDoc();

    const QList<PdfPage> pages = test::readPdf(pdfPath_, nullptr);
    QCOMPARE(pages.size(), 1);
    const auto first = pages[0].lineWith(QStringLiteral("Anfang"));
    const auto second = pages[0].lineWith(QStringLiteral("Ende"));
    QVERIFY(std::abs(first->left - 1000) < kTolerance);
    // The measured width is the printed one; the line feed is the line height.
    QVERIFY(std::abs(first->right - afterText) < kTolerance);
    QVERIFY(std::abs(second->left - afterText) < kTolerance);
    QVERIFY(std::abs((second->top - first->top) - lineHeight) < kTolerance);
}

void TestExportGui::printerOrientation() {
    Printer& p = *pdf_;
    QCOMPARE(p.orientation(), Printer::Portrait);
    const double w = p.printableWidth();
    const double h = p.printableHeight();
    QVERIFY(h > w);
    p.setOrientation(Printer::Landscape);
    QCOMPARE(p.printableWidth(), h);
    QCOMPARE(p.printableHeight(), w);
    p.printLine(QStringLiteral("quer"));
    p.setOrientation(Printer::Portrait);  // takes effect from the next page
    p.newPage();
    p.printLine(QStringLiteral("hoch"));
    p.endDoc();
    const QList<PdfPage> pages = test::readPdf(pdfPath_, nullptr);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].widthTwips > pages[0].heightTwips);
    QVERIFY(pages[1].widthTwips < pages[1].heightTwips);
    QVERIFY(std::abs(pages[0].widthTwips - h) < 20);
}

void TestExportGui::printerPages_data() {
    QTest::addColumn<QString>("script");  // t = text, n = new page
    QTest::addColumn<int>("pages");
    QTest::newRow("new page before the end adds no page") << QStringLiteral("tn") << 1;
    QTest::newRow("two pages") << QStringLiteral("tnt") << 2;
    QTest::newRow("two new pages leave a blank page") << QStringLiteral("tnnt") << 3;
    QTest::newRow("trailing new pages add nothing") << QStringLiteral("tntnn") << 3;
}

void TestExportGui::printerPages() {
    QFETCH(QString, script);
    QFETCH(int, pages);
    Printer& p = *pdf_;
    int expectedPage = 1;
    for (QChar c : script) {
        if (c == QLatin1Char('t')) {
            p.printLine(QStringLiteral("Seite %1").arg(p.page()));
        } else {
            p.newPage();
            ++expectedPage;
            QCOMPARE(p.currentY(), 0.0);
        }
        QCOMPARE(p.page(), expectedPage);
    }
    p.endDoc();
    QCOMPARE(p.page(), 1);
    QCOMPARE(test::readPdf(pdfPath_, nullptr).size(), pages);
}

void TestExportGui::printerFallsBackToPdf() {
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this system has a printer; the PDF fallback is not used");
    Printer::install(nullptr);
    const QString home = dir_->filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.toLocal8Bit());
    Printer& system = Printer::current();
    system.printLine(QStringLiteral("ohne Drucker"));
    system.endDoc();
    qputenv("HOME", oldHome);
    const QString pdf = system.destination();
    QVERIFY2(pdf.startsWith(home), qPrintable(pdf));
    QVERIFY(pdf.endsWith(QStringLiteral(".pdf")));
    QVERIFY(test::readPdf(pdf, nullptr).value(0).lineWith(QStringLiteral("ohne Drucker")));
    QVERIFY(dialogs_->messages().isEmpty());  // said once the event loop runs again
    QTRY_COMPARE(dialogs_->messages().size(), 1);
    QVERIFY(dialogs_->messages()[0].endsWith(QDir::toNativeSeparators(pdf)));
    QCOMPARE(dialogs_->shown.last().icon, platform::Icon::Information);
}

void TestExportGui::printerSetupRemembersChoice() {
    struct Seen {
        QWidget* owner;
        QPageLayout::Orientation orientation;
        QString paper;
    };
    QList<Seen> seen;
    QList<bool> answers{true, false, true};
    results::setPrinterSetupDialog([&](QPrinter& printer, QWidget* owner) {
        seen.append(
            {owner, printer.pageLayout().orientation(), printer.pageLayout().pageSize().key()});
        const bool confirm = answers.takeFirst();
        // The user's choice in the dialog (also when the dialog is then cancelled).
        printer.setPageOrientation(seen.size() == 2 ? QPageLayout::Portrait
                                                    : QPageLayout::Landscape);
        printer.setPageSize(QPageSize(seen.size() == 2 ? QPageSize::A3 : QPageSize::A5));
        return confirm;
    });
    QVERIFY(!results::savedDeviceSettings().valid);
    main_->M_Funktion[4]->trigger();  // confirmed: landscape A5
    QVERIFY(results::savedDeviceSettings().valid);
    results::frmTabelle* t = fillResult(1, kLayout1Headings, {});
    t->M_Tabelle[4]->trigger();  // pre-filled, then cancelled
    t->M_Tabelle[4]->trigger();  // still pre-filled with the confirmed choice
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen[0].owner, main_);
    QCOMPARE(seen[1].owner, t);
    QCOMPARE(seen[1].orientation, QPageLayout::Landscape);
    QCOMPARE(seen[1].paper, QPageSize(QPageSize::A5).key());
    QCOMPARE(seen[2].orientation, QPageLayout::Landscape);
    QCOMPARE(seen[2].paper, QPageSize(QPageSize::A5).key());
    // The printouts print as the system provides the printer.
    QCOMPARE(pdf_->orientation(), Printer::Portrait);
}

void TestExportGui::commandLineReportAndPdf() {
    const QString data = dir_->filePath(QStringLiteral("daten"));
    QVERIFY(test::writeFile(data + QStringLiteral("/kunden.dbf"), "x"));
    QVERIFY(test::writeFile(data + QStringLiteral("/unter/orte.dbf"), "yy"));
    const QString report = dir_->filePath(QStringLiteral("bericht.txt"));
    const QString pdf = dir_->filePath(QStringLiteral("cli.pdf"));
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the program chooses offscreen itself
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(DS_CLI_PATH),
              {QStringLiteral("--type"), QStringLiteral("2"), QStringLiteral("--report"), report,
               QStringLiteral("--pdf"), pdf, data});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);

    // The report holds the grid the TSV output shows, without column 0 and with its head.
    const QStringList tsv =
        QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(tsv.size() >= 5);
    QByteArray expected("DATASIFTER\r\n\r\nDateien- und Datenbanken-Recherche\r\n\r\n");
    for (int i = 0; i < tsv.size(); ++i) {
        expected += tsv[i].section(QLatin1Char('\t'), 1).toLatin1() + "\r\n";
        if (i == 0)
            expected += "\r\n";
    }
    QCOMPARE(test::readFile(report), expected);

    const QList<PdfPage> pages = test::readPdf(pdf, nullptr);
    QCOMPARE(pages.size(), 1);
    const QStringList lines = pages[0].lineTexts();
    QVERIFY(lines.contains(QStringLiteral("Datei Bytes Zeitangaben und Attribute")));
    QVERIFY(pages[0].lineWith(QStringLiteral("kunden.dbf 1 ")));
    QVERIFY(pages[0].lineWith(QStringLiteral("orte.dbf 2 ")));
}

QTEST_MAIN(TestExportGui)
#include "test_export_gui.moc"
