// The record viewer's windows: the input dialog, the viewer opened from the result window, its
// navigation, title, menu and commands, the structure printout read back from a PDF.
#include "common/Twips.h"
#include "platform/FileAssociations.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "results/FlexGrid.h"
#include "results/frmTabelle.h"
#include "support/FakeDialogs.h"
#include "support/MemoryDatabase.h"
#include "viewer/PasswordPrompt.h"
#include "viewer/frmCmnDlg.h"
#include "viewer/frmViewRecordSet.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace ds;
using namespace ds::viewer;
using ds::test::FakeDialogs;
using ds::test::MemoryDatabaseSpec;
using ds::test::MemoryEngine;
using ds::test::MemoryTable;
namespace t = ds::db::type;

namespace {

MemoryTable numbered(const QString& name, int count, int extraFields = 0) {
    MemoryTable m;
    m.name = name;
    m.fields = {{QStringLiteral("WERT"), t::Text, 10}};
    for (int f = 1; f <= extraFields; ++f)
        m.fields << db::FieldInfo{QStringLiteral("FELD%1").arg(f), t::Long, 4};
    for (int i = 1; i <= count; ++i) {
        QVariantList row{QStringLiteral("R%1").arg(i)};
        for (int f = 1; f <= extraFields; ++f)
            row << f;
        m.rows << row;
    }
    return m;
}

// Runs action once the dialog's modal loop has started.
void whenShown(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
}

struct Word {
    int page = 0;
    double xMin = 0, yMin = 0, xMax = 0;
    QString text;
};

// Words of a PDF with their page and position (points), by pdftotext -bbox.
QList<Word> pdfWords(const QString& pdf, double* pageWidth) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<Word> words;
    int page = 0;
    static const QRegularExpression tag(
        QStringLiteral("<page width=\"([0-9.]+)\"|<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                       "xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            *pageWidth = m.captured(1).toDouble();
            continue;
        }
        words.append({page, m.captured(2).toDouble(), m.captured(3).toDouble(),
                      m.captured(4).toDouble(), m.captured(5)});
    }
    return words;
}

class FakeAssociations final : public platform::FileAssociations {
  public:
    FakeAssociations() { install(this); }
    ~FakeAssociations() override { install(nullptr); }
    QString findExecutable(const QString&) override { return QStringLiteral("/usr/bin/mdbview"); }
    QString profileString(const QString&, const QString&, const QString& d) override { return d; }
    void launch(const QString& commandLine) override { launched << commandLine; }
    QStringList launched;
};

}  // namespace

class TestViewerGui : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void queryDialog_data();
    void queryDialog();
    void selectionList_data();
    void selectionList();
    void selectionHeadingShortened_data();
    void selectionHeadingShortened();
    void askPassword_data();
    void askPassword();
    void openHit_data();
    void openHit();
    void tableChosenFromListStaysOutOfTitle();
    void navigationButtons();
    void titleFittedOnResize();
    void menuItems_data();
    void menuItems();
    void rightClickOpensMenu();
    void copyToClipboard();
    void printStructureOverTwoPages();
    void printStructureDeclined();
    void startDefaultApplication();

  private:
    // A result window with one Access hit and one dBASE hit.
    void openViewer(const QString& path, int format, const QString& table, int record,
                    std::function<void(frmViewRecordSet&)> whileOpen);

    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<MemoryEngine> access_;
    std::unique_ptr<MemoryEngine> dbase_;
};

void TestViewerGui::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
    dialogs_ = std::make_unique<FakeDialogs>();
    access_ = std::make_unique<MemoryEngine>(db::Family::Access);
    dbase_ = std::make_unique<MemoryEngine>(db::Family::Dbase);
    viewerFields() = RecordView{};
}

void TestViewerGui::cleanup() {
    frmViewRecordSet::modalRunner = nullptr;
    access_.reset();
    dbase_.reset();
    dialogs_.reset();
}

void TestViewerGui::queryDialog_data() {
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("result");
    QTest::newRow("enter confirms") << ""
                                    << "geheim"
                                    << "enter" << false << "geheim";
    QTest::newRow("ok button") << ""
                               << "geheim"
                               << "ok" << false << "geheim";
    QTest::newRow("abbrechen") << ""
                               << "geheim"
                               << "cancel" << true << "";
    QTest::newRow("close box") << ""
                               << "geheim"
                               << "close" << true << "";
    QTest::newRow("escape") << ""
                            << "geheim"
                            << "escape" << true << "";
    QTest::newRow("preset kept") << "alt"
                                 << ""
                                 << "ok" << false << "alt";
    QTest::newRow("preset replaced by typing") << "alt"
                                               << "neu"
                                               << "enter" << false << "neu";
    QTest::newRow("preset unchanged when cancelled") << "alt"
                                                     << "neu"
                                                     << "cancel" << true << "alt";
    QTest::newRow("empty confirmed") << ""
                                     << ""
                                     << "enter" << false << "";
}

void TestViewerGui::queryDialog() {
    QFETCH(QString, preset);
    QFETCH(QString, typed);
    QFETCH(QString, action);
    QFETCH(bool, cancelled);
    QFETCH(QString, result);
    QPointer<frmCmnDlg> dialog = &frmCmnDlg::instance(nullptr);
    QString seenTitle, seenPrompt, seenConfirm, seenText;
    bool passwordEcho = false;
    int passwordCharacter = 0;
    whenShown([&] {
        seenTitle = dialog->windowTitle();
        seenPrompt = dialog->BezQuery->text();
        seenConfirm = dialog->BefQuery[0]->text();
        seenText = dialog->TxtQuery->text();
        passwordEcho = dialog->TxtQuery->echoMode() == QLineEdit::Password;
        passwordCharacter = dialog->TxtQuery->style()->styleHint(
            QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog->TxtQuery);
        QVERIFY(dialog->PanQuery->isVisible());
        QVERIFY(!dialog->PicAuswahlListe->isVisible());
        if (!typed.isEmpty()) {
            dialog->TxtQuery->selectAll();
            QTest::keyClicks(dialog->TxtQuery, typed);
        }
        if (action == QLatin1String("enter"))
            QTest::keyClick(dialog->TxtQuery, Qt::Key_Return);
        else if (action == QLatin1String("ok"))
            QTest::mouseClick(dialog->BefQuery[0], Qt::LeftButton);
        else if (action == QLatin1String("cancel"))
            QTest::mouseClick(dialog->BefQuery[1], Qt::LeftButton);
        else if (action == QLatin1String("escape"))
            QTest::keyClick(dialog->TxtQuery, Qt::Key_Escape);
        else
            dialog->close();
    });
    QString text = preset;
    QCOMPARE(dialog->ShowQueryDialog(text, QStringLiteral("Kennwort-Schutz"),
                                     QStringLiteral("Zeile 1\r\nZeile 2")),
             cancelled);
    QCOMPARE(text, result);
    QCOMPARE(seenTitle, QStringLiteral("Kennwort-Schutz"));
    QCOMPARE(seenPrompt, QStringLiteral("Zeile 1\nZeile 2"));
    QCOMPARE(seenConfirm, QStringLiteral("&Ok"));
    QCOMPARE(seenText, preset);
    QVERIFY(passwordEcho);
    QCOMPARE(passwordCharacter, int('*'));
    QVERIFY(dialog);
    QVERIFY(dialog->TxtQuery->text().isEmpty());  // no password stays behind
    QVERIFY(!dialog->isVisible());
    QVERIFY(!dialog->PanQuery->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The close box drops the window; the next question gets a fresh one.
    QCOMPARE(dialog.isNull(), action == QLatin1String("close"));
}

void TestViewerGui::selectionList_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("result");
    QTest::newRow("weiter without a click gives the first") << "weiter" << false << "Kunden";
    QTest::newRow("click then weiter") << "click 1" << false << "Orte";
    QTest::newRow("keyboard then weiter") << "down" << false << "Orte";
    QTest::newRow("double click") << "double 2" << false << "Artikel";
    QTest::newRow("abbruch") << "abbruch" << true << "";
    QTest::newRow("close box") << "close" << true << "";
}

void TestViewerGui::selectionList() {
    QFETCH(QString, action);
    QFETCH(bool, cancelled);
    QFETCH(QString, result);
    QPointer<frmCmnDlg> dialog = &frmCmnDlg::instance(nullptr);
    dialog->LstAuswahl->addItems(
        {QStringLiteral("Kunden"), QStringLiteral("Orte"), QStringLiteral("Artikel")});
    QString firstShown, title;
    whenShown([&] {
        title = dialog->windowTitle();
        firstShown = dialog->BezAuswahlListe[0]->text();
        QVERIFY(dialog->PicAuswahlListe->isVisible());
        QVERIFY(!dialog->PanQuery->isVisible());
        QListWidget* list = dialog->LstAuswahl;
        if (action.startsWith(QLatin1String("click"))) {
            const QRect r = list->visualItemRect(list->item(action.mid(6).toInt()));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QCOMPARE(dialog->BezAuswahlListe[0]->text(), list->item(1)->text());
        } else if (action == QLatin1String("down")) {
            QTest::keyClick(list, Qt::Key_Down);
        } else if (action.startsWith(QLatin1String("double"))) {
            const QRect r = list->visualItemRect(list->item(action.mid(7).toInt()));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
            return;
        }
        if (action == QLatin1String("abbruch"))
            QTest::mouseClick(dialog->BefAusWahlListe[0], Qt::LeftButton);
        else if (action == QLatin1String("close"))
            dialog->close();
        else
            QTest::mouseClick(dialog->BefAusWahlListe[1], Qt::LeftButton);
    });
    bool wasCancelled = false;
    const QString chosen = dialog->ShowSelectionList(QStringLiteral("Tabellen"),
                                                     QStringLiteral("a.mdb"), &wasCancelled);
    QCOMPARE(wasCancelled, cancelled);
    QCOMPARE(chosen, result);
    QCOMPARE(title, QStringLiteral("Tabellen"));
    QCOMPARE(firstShown, QStringLiteral("Kunden"));
    QCOMPARE(dialog->LstAuswahl->count(), 0);  // emptied at the end
    QVERIFY(dialog->befAusWahlListeTag[1].isEmpty());
    QVERIFY(!dialog->isVisible());
}

void TestViewerGui::selectionHeadingShortened_data() {
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("fits") << "adressen.mdb" << false;
    QTest::newRow("too wide") << QStringLiteral("verzeichnis_").repeated(20) + "adressen.mdb"
                              << true;
}

void TestViewerGui::selectionHeadingShortened() {
    QFETCH(QString, heading);
    QFETCH(bool, shortened);
    frmCmnDlg& dialog = frmCmnDlg::instance(nullptr);
    dialog.LstAuswahl->addItem(QStringLiteral("Kunden"));
    QString shown;
    whenShown([&] {
        shown = dialog.BezAuswahlListe[1]->text();
        dialog.BefAusWahlListe[0]->click();
    });
    bool cancelled = false;
    dialog.ShowSelectionList(QStringLiteral("Tabellen"), heading, &cancelled);
    if (!shortened) {
        QCOMPARE(shown, heading);
        return;
    }
    const qsizetype dots = shown.indexOf(QStringLiteral("..."));
    QVERIFY(dots > 0);
    const qsizetype n = dots;
    QCOMPARE(shown.size(), 2 * n + 3);  // as many characters on both sides
    QCOMPARE(shown.left(n), heading.left(n));
    QCOMPARE(shown.right(n), heading.right(n));
    const QFontMetrics metrics(dialog.font());
    QVERIFY(metrics.horizontalAdvance(shown) <= dialog.BezAuswahlListe[1]->width());
    // One character more on each side would not have fitted.
    const QString longer = heading.left(n + 1) + QStringLiteral("...") + heading.right(n + 1);
    QVERIFY(metrics.horizontalAdvance(longer) > dialog.BezAuswahlListe[1]->width());
}

void TestViewerGui::askPassword_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("part");
    QTest::newRow("password") << "geheim" << false << ";PWD=geheim;";
    QTest::newRow("empty is no password") << "" << false << "";
    QTest::newRow("cancelled") << "geheim" << true << "";
}

void TestViewerGui::askPassword() {
    QFETCH(QString, typed);
    QFETCH(bool, cancel);
    QFETCH(QString, part);
    QWidget owner;
    QString title;
    whenShown([&] {
        auto* dialog = qobject_cast<frmCmnDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        QTest::keyClicks(dialog->TxtQuery, typed);
        QTest::mouseClick(dialog->BefQuery[cancel ? 1 : 0], Qt::LeftButton);
    });
    QCOMPARE(viewer::AskPassword(&owner), part);
    QCOMPARE(title, QStringLiteral("Kennwort-Schutz"));
}

void TestViewerGui::openHit_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("rows");  // from grid row 2 on
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("title");  // empty: nothing opens
    QTest::addColumn<QString>("value");  // the first field's value shown
    QTest::addColumn<int>("record");

    const QStringList access = {"", "»\t/daten", "\tadressen.mdb\tOrte\t2\tMeier"};
    QTest::newRow("layout 0") << "0"
                              << "1" << access << 4 << "/daten/adressen.mdb [Orte]"
                              << "R2" << 2;
    QTest::newRow("folder row") << "0"
                                << "1" << access << 3 << ""
                                << "" << 0;
    QTest::newRow("empty row") << "0"
                               << "1" << access << 2 << ""
                               << "" << 0;
    QTest::newRow("heading row") << "0"
                                 << "1" << access << 0 << ""
                                 << "" << 0;
    QTest::newRow("layout 1 dBASE")
        << "1"
        << "3" << QStringList{"", "»\t/daten/", "\tkunden.dbf\t3\tMeier"} << 4
        << "/daten/kunden.dbf"
        << "R3" << 3;
    QTest::newRow("layout 2: record 0 shows the first")
        << "2"
        << "3" << QStringList{"", "»\t/daten", "\tkunden.dbf\t100"} << 4 << "/daten/kunden.dbf"
        << "R1" << 0;
    QTest::newRow("layout 3") << "3"
                              << "3" << QStringList{"\t/daten/kunden.dbf\t100"} << 2
                              << "/daten/kunden.dbf"
                              << "R1" << 0;
}

void TestViewerGui::openHit() {
    QFETCH(QString, layout);
    QFETCH(QString, format);
    QFETCH(QStringList, rows);
    QFETCH(int, clicked);
    QFETCH(QString, title);
    QFETCH(QString, value);
    QFETCH(int, record);
    access_->add(QStringLiteral("/daten/adressen.mdb"),
                 MemoryDatabaseSpec(
                     {numbered(QStringLiteral("Kunden"), 1), numbered(QStringLiteral("Orte"), 3)}));
    dbase_->add(QStringLiteral("/daten/kunden.dbf"), MemoryDatabaseSpec({numbered("", 3)}));

    results::frmTabelle tabelle;
    results::FlexGrid* g = tabelle.GrdErgebnis;
    g->setCols(6);
    for (const QString& row : rows)
        g->AddItem(row);
    tabelle.tag = layout;
    tabelle.BezConnectCaption = format;
    tabelle.BezConnectTag = format == QLatin1String("1") ? QString() : QStringLiteral("dBASE IV");
    g->setCurrentCell(clicked, 2);

    int shown = 0;
    QString seenTitle, seenValue, seenHeading;
    bool callerBusy = true;
    frmViewRecordSet::modalRunner = [&](frmViewRecordSet& v) {
        ++shown;
        seenTitle = v.titleTag;
        seenValue = v.GrdSource->cellText(1, 4);
        seenHeading = v.GrdSource->cellText(0, 4);
        callerBusy = tabelle.cursor().shape() == Qt::WaitCursor;
        QCOMPARE(v.windowTitle(), QStringLiteral("Datenstruktur"));
        QCOMPARE(v.fields().CurrentRecord, record);
    };
    // Enter on the grid acts like a double click.
    QTest::keyClick(g, Qt::Key_Return);
    QCOMPARE(shown, title.isEmpty() ? 0 : 1);
    if (title.isEmpty()) {
        QCOMPARE(access_->openCount() + dbase_->openCount(), 0);
        return;
    }
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenValue, value);
    QCOMPARE(seenHeading, QStringLiteral("Datensatz-Inhalt"));
    QVERIFY(!callerBusy);  // the hourglass ended before the viewer showed
    QCOMPARE(g->Row(), clicked);
    QCOMPARE(g->Col(), 1);
}

void TestViewerGui::tableChosenFromListStaysOutOfTitle() {
    access_->add(QStringLiteral("/daten/zwei.mdb"),
                 MemoryDatabaseSpec(
                     {numbered(QStringLiteral("Kunden"), 1), numbered(QStringLiteral("Orte"), 3)}));
    QString heading;
    whenShown([&] {
        auto* dialog = qobject_cast<frmCmnDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        heading = dialog->BezAuswahlListe[1]->text();
        dialog->LstAuswahl->setCurrentRow(1);
        dialog->BefAusWahlListe[1]->click();
    });
    QString title, tableName, value;
    openViewer(QStringLiteral("/daten/zwei.mdb"), 13, {}, 0, [&](frmViewRecordSet& v) {
        title = v.titleTag;
        tableName = v.fields().TableName;
        value = v.GrdSource->cellText(1, 4);
    });
    QCOMPARE(heading, QStringLiteral("zwei.mdb"));
    QCOMPARE(title, QStringLiteral("/daten/zwei.mdb"));
    QCOMPARE(tableName, QStringLiteral("Orte"));
    QCOMPARE(value, QStringLiteral("R1"));
}

void TestViewerGui::openViewer(const QString& path, int format, const QString& table, int record,
                               std::function<void(frmViewRecordSet&)> whileOpen) {
    frmViewRecordSet::modalRunner = std::move(whileOpen);
    frmViewRecordSet v(viewerFields());
    v.setRecordNumberTag(QString::number(record));
    v.setConnectTag(format == 1 || format >= 13 ? QString() : QStringLiteral("dBASE IV"));
    v.setFileCaption(path);
    v.setTableTag(table);
    v.setFormatCaption(QString::number(format));
}

void TestViewerGui::navigationButtons() {
    access_->add(QStringLiteral("/d/n.mdb"), MemoryDatabaseSpec({numbered("T", 4)}));
    QStringList seen;
    openViewer(QStringLiteral("/d/n.mdb"), 1, {}, 2, [&](frmViewRecordSet& v) {
        v.show();
        QCOMPARE(v.BefQuelldatenfelder[2]->text(), QStringLiteral("«"));
        QCOMPARE(v.BefQuelldatenfelder[3]->text(), QStringLiteral("»"));
        QCOMPARE(v.BefQuelldatenfelder[4]->text(), QStringLiteral("?"));
        QCOMPARE(v.BefQuelldatenfelder[3]->toolTip(), QStringLiteral("Nächster Datensatz"));
        const auto value = [&] { return v.GrdSource->cellText(1, 4); };
        seen << value();
        QTest::mouseClick(v.BefQuelldatenfelder[3], Qt::LeftButton);
        seen << value();
        QTest::mouseClick(v.BefQuelldatenfelder[2], Qt::LeftButton);
        QTest::mouseClick(v.BefQuelldatenfelder[2], Qt::LeftButton);
        QTest::mouseClick(v.BefQuelldatenfelder[2], Qt::LeftButton);
        seen << value();
        dialogs_->answerInput(QStringLiteral("4"));
        QTest::mouseClick(v.BefQuelldatenfelder[4], Qt::LeftButton);
        seen << value();
        QCOMPARE(v.GrdSource->cellText(1, 1), QStringLiteral("WERT"));  // structure stays
        v.close();
    });
    QCOMPARE(seen, (QStringList{"R2", "R3", "R1", "R4"}));
    QCOMPARE(dialogs_->shown.last().text.section(QLatin1Char('|'), 1), QStringLiteral("4"));
}

void TestViewerGui::titleFittedOnResize() {
    const QString path = QStringLiteral("/daten/") + QStringLiteral("unterordner/").repeated(12) +
                         QStringLiteral("adressen.mdb");
    access_->add(path, MemoryDatabaseSpec({numbered("Kunden", 1)}));
    QString narrow, wide, full;
    int labelWidth = 0;
    int labelRight = 0, firstButtonLeft = 0;
    openViewer(path, 1, QStringLiteral("Kunden"), 1, [&](frmViewRecordSet& v) {
        v.show();
        full = v.titleTag;
        v.resize(twipsToPixels(4000), v.height());
        QCoreApplication::processEvents();
        narrow = v.BezViewRecordSet3->text();
        labelWidth = v.BezViewRecordSet3->width();
        labelRight = v.BezViewRecordSet3->geometry().right();
        firstButtonLeft = v.BefQuelldatenfelder[2]->x();
        v.resize(twipsToPixels(40000), v.height());
        QCoreApplication::processEvents();
        wide = v.BezViewRecordSet3->text();
        v.resize(20, 20);  // too small for the layout: nothing breaks
        QCoreApplication::processEvents();
        v.close();
    });
    QCOMPARE(full, path + QStringLiteral(" [Kunden]"));
    QVERIFY(narrow.contains(QStringLiteral("...")));
    QVERIFY(narrow.size() < full.size());
    QVERIFY(narrow.endsWith(QStringLiteral("[Kunden]")));
    QVERIFY(QFontMetrics(QApplication::font()).horizontalAdvance(narrow) < labelWidth);
    QVERIFY(labelRight < firstButtonLeft);
    QCOMPARE(wide, full);
}

void TestViewerGui::menuItems_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("copy") << 0 << "Kopie in die &Zwischenablage"
                          << "Ctrl+Z";
    QTest::newRow("separator 1") << 1 << ""
                                 << "";
    QTest::newRow("print") << 2 << "Struktur &drucken"
                           << "Ctrl+D";
    QTest::newRow("printer set-up") << 3 << "Drucker&einrichtung"
                                    << "";
    QTest::newRow("separator 4") << 4 << ""
                                 << "";
    QTest::newRow("default application") << 5 << "Standard&anwendung starten"
                                         << "";
    QTest::newRow("separator 6") << 6 << ""
                                 << "";
    QTest::newRow("close") << 7 << "&Schließen"
                           << "";
}

void TestViewerGui::menuItems() {
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    frmViewRecordSet v(viewerFields());
    QCOMPARE(v.M_Haupt[0]->text(), QStringLiteral("&Tabelle"));
    QAction* item = v.M_View[index];
    QVERIFY(item);
    QCOMPARE(item->isSeparator(), caption.isEmpty());
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut().toString(), shortcut);
    QCOMPARE(v.tabelleMenu->actions().value(index), item);
}

void TestViewerGui::rightClickOpensMenu() {
    access_->add(QStringLiteral("/d/n.mdb"), MemoryDatabaseSpec({numbered("T", 2)}));
    bool menuShown = false;
    bool closedByMenu = false;
    openViewer(QStringLiteral("/d/n.mdb"), 1, {}, 1, [&](frmViewRecordSet& v) {
        v.show();
        QTest::mouseClick(v.GrdSource->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        menuShown = v.tabelleMenu->isVisible();
        v.tabelleMenu->hide();
        // A double click on the grid does nothing.
        QTest::mouseDClick(v.GrdSource->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(v.isVisible());
        v.M_View[7]->trigger();  // "&Schließen"
        closedByMenu = !v.isVisible();
    });
    QVERIFY(menuShown);
    QVERIFY(closedByMenu);
}

void TestViewerGui::copyToClipboard() {
    access_->add(QStringLiteral("/d/c.mdb"), MemoryDatabaseSpec({numbered("T", 2, 2)}));
    QString expected;
    openViewer(QStringLiteral("/d/c.mdb"), 1, {}, 2, [&](frmViewRecordSet& v) {
        v.GrdSource->setCurrentCell(2, 3);
        v.M_View[0]->trigger();
        expected = gridClipboardText(*v.GrdSource);
        QCOMPARE(v.GrdSource->Row(), 2);
        QCOMPARE(v.GrdSource->Col(), 3);
    });
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    QCOMPARE(expected.count(QStringLiteral("\r\n")), 4);
    QVERIFY(expected.contains(QStringLiteral("2\tFELD1\tLong\t4\t1\r\n")));
    QCOMPARE(dialogs_->messages(),
             QStringList{QStringLiteral("Der Inhalt der Tabelle wurde in die Zwischenablage "
                                        "kopiert!")});
    QCOMPARE(dialogs_->shown[0].icon, platform::Icon::Information);
}

void TestViewerGui::printStructureOverTwoPages() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("struktur.pdf"));
    const std::unique_ptr<platform::Printer> printer = platform::createPdfPrinter(pdf);
    platform::Printer::install(printer.get());
    access_->add(QStringLiteral("/daten/adressen.mdb"),
                 MemoryDatabaseSpec({numbered(QStringLiteral("Kunden"), 1, 79)}));
    dialogs_->answerMessage(platform::AnswerYes);
    openViewer(QStringLiteral("/daten/adressen.mdb"), 1, QStringLiteral("Kunden"), 1,
               [&](frmViewRecordSet& v) { v.M_View[2]->trigger(); });
    platform::Printer::install(nullptr);
    QCOMPARE(dialogs_->messages(),
             QStringList{QStringLiteral("Möchten Sie die Struktur der Quelldatei ausdrucken?")});

    double pageWidth = 0;
    const QList<Word> words = pdfWords(pdf, &pageWidth);
    QVERIFY(!words.isEmpty());
    QCOMPARE(words.last().page, 2);
    auto find = [&](const QString& text, int page) -> const Word* {
        for (const Word& w : words) {
            if (w.text == text && w.page == page)
                return &w;
        }
        return nullptr;
    };
    // Positions are in points on the page; the printout's origin is the printable area's
    // corner, found from the heading "Feldname" printed at 3600 twips.
    const Word* heading = find(QStringLiteral("Feldname"), 1);
    QVERIFY(heading);
    const double origin = heading->xMin - 3600.0 / 20.0;
    const double margin = origin + 1400.0 / 20.0;
    // Page 1: date, title, file label with its first letter in capitals, table, heading row.
    QVERIFY(find(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")), 1));
    QVERIFY(find(QStringLiteral("DATASIFTER"), 1));
    QVERIFY(find(QStringLiteral("Adressen.mdb"), 1));
    QVERIFY(find(QStringLiteral("Kunden"), 1));
    QVERIFY(!find(QStringLiteral("Feldname"), 2));          // the heading row is printed once
    QVERIFY(!find(QStringLiteral("Datensatz-Inhalt"), 1));  // the record is not printed
    // Page 2: the file label at the left margin, "- 2 -" ending at the right margin, on one line.
    const Word* label = find(QStringLiteral("Adressen.mdb"), 2);
    const Word* number = find(QStringLiteral("2"), 2);
    QVERIFY(label && number);
    QVERIFY2(qAbs(label->xMin - margin) < 2, qPrintable(QString::number(label->xMin)));
    QVERIFY(qAbs(label->yMin - number->yMin) < 2);
    QVERIFY(number->xMin > pageWidth / 2);
    QList<const Word*> dashes;
    for (const Word& w : words) {
        if (w.page == 2 && w.text == QLatin1String("-") && qAbs(w.yMin - label->yMin) < 2)
            dashes << &w;
    }
    QCOMPARE(dashes.size(), 2);
    QVERIFY2(qAbs(dashes.last()->xMax - (pageWidth - margin)) < 3,
             qPrintable(QString::number(dashes.last()->xMax)));
    // Field names at 3600 twips, the rows continue in order across the page break.
    const Word* first = find(QStringLiteral("WERT"), 1);
    QVERIFY(first);
    QVERIFY(qAbs(first->xMin - heading->xMin) < 1);
    QVERIFY(find(QStringLiteral("FELD79"), 2));
    int lastOnFirst = 0, firstOnSecond = 1000;
    for (const Word& w : words) {
        if (!w.text.startsWith(QLatin1String("FELD")))
            continue;
        const int n = w.text.mid(4).toInt();
        if (w.page == 1)
            lastOnFirst = std::max(lastOnFirst, n);
        else
            firstOnSecond = std::min(firstOnSecond, n);
    }
    QCOMPARE(firstOnSecond, lastOnFirst + 1);
}

void TestViewerGui::printStructureDeclined() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("nein.pdf"));
    const std::unique_ptr<platform::Printer> printer = platform::createPdfPrinter(pdf);
    platform::Printer::install(printer.get());
    access_->add(QStringLiteral("/d/a.mdb"), MemoryDatabaseSpec({numbered("T", 1)}));
    dialogs_->answerMessage(platform::AnswerNo);
    openViewer(QStringLiteral("/d/a.mdb"), 1, {}, 1,
               [&](frmViewRecordSet& v) { v.M_View[2]->trigger(); });
    platform::Printer::install(nullptr);
    QVERIFY(!QFileInfo::exists(pdf));
}

void TestViewerGui::startDefaultApplication() {
    FakeAssociations service;
    access_->add(QStringLiteral("/meine daten/a.mdb"), MemoryDatabaseSpec({numbered("T", 1)}));
    openViewer(QStringLiteral("/meine daten/a.mdb"), 1, {}, 1,
               [&](frmViewRecordSet& v) { v.M_View[5]->trigger(); });
    QCOMPARE(service.launched,
             QStringList{QStringLiteral("/usr/bin/mdbview \"/meine daten/a.mdb\"")});
}

QTEST_MAIN(TestViewerGui)
#include "test_viewer_gui.moc"
