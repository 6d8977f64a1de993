#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "results/frmTabelle.h"
#include "search/gui/frmOptionen.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using ds::shell::frmSifter;
using ds::test::FakeDialogs;

namespace {

struct MenuEntry {
    QString path;
    bool enabled;
    bool checked;
    bool visible;
};

// "Title>Sub>Entry" paths of every action in a menu, in order, separators as "-".
void collect(const QMenu* menu, const QString& prefix, QList<MenuEntry>* out) {
    for (QAction* a : menu->actions()) {
        const QString name = a->isSeparator() ? QStringLiteral("-") : a->text();
        out->append({prefix + name, a->isEnabled(), a->isChecked(), a->isVisible()});
        if (a->menu())
            collect(a->menu(), prefix + name + QLatin1Char('>'), out);
    }
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void menuTree();
    void pathFormatIsExclusive();
    void pathListEnabledByFirstFolder();
    void shutdownNoKeepsEverything();
    void shutdownYesSaves();
    void shutdownRefusedDuringRun();
    void backgroundColour();
    void statusBarToggle();
    void resultWindowCloseRefusedWhileCancelVisible();
    void resultFontChoice();
    void optimizeColumns();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeDialogs> dialogs_;
    frmSifter* main_ = nullptr;
    QString ini_;
};

void TestMainWindow::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (dir_->path() + QStringLiteral("/config")).toLocal8Bit());
    dialogs_ = std::make_unique<FakeDialogs>();
    ini_ = dir_->filePath(QStringLiteral("DataSifter.INI"));
    main_ = new frmSifter;
    main_->LoadSettings(dir_->path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
}

void TestMainWindow::cleanup() {
    delete main_;
    main_ = nullptr;
    dialogs_.reset();
}

void TestMainWindow::menuTree() {
    // Every entry with its state: enabled, checked, visible ("-" a separator).
    const QStringList expected = {
        "&Funktionen>Suchvorgang &starten|E__V",
        "&Funktionen>-|E__V",
        "&Funktionen>Suchpfad-&Liste|___V",
        "&Funktionen>-|E__V",
        "&Funktionen>Drucker&einrichtung|E__V",
        "&Funktionen>-|E__V",
        "&Funktionen>Programm &beenden|E__V",
        "&Optionen>&Ansicht|E__V",
        "&Optionen>&Ansicht>&Mauszeiger funktional|_C__",  // hidden actions report disabled
        "&Optionen>&Ansicht>&Statuszeile sichtbar|EC_V",
        "&Optionen>&Ansicht>-|E__V",
        "&Optionen>&Ansicht>&Hintergrundfarbe|E__V",
        "&Optionen>&Ansicht>&Fensteranordnung|E__V",
        "&Optionen>&Ansicht>&Fensteranordnung>Variante I|E__V",
        "&Optionen>&Ansicht>&Fensteranordnung>Variante II|E__V",
        "&Optionen>&Ansicht>&Fensteranordnung>Variante III|E__V",
        "&Optionen>-|E__V",
        "&Optionen>&Dateiensuche|E__V",
        "&Optionen>&Dateiensuche>&Ergebnisdarstellung|E__V",
        "&Optionen>&Dateiensuche>&Ergebnisdarstellung>&Pfad \\ Datei separiert|EC_V",
        "&Optionen>&Dateiensuche>&Ergebnisdarstellung>&vollständiger Dateiname|E__V",
        "&Optionen>&Dateiensuche>&Datei-Informationen|EC_V",
        "&Optionen>-|E__V",
        "&Optionen>All&gemeines|E__V",
        "&Optionen>All&gemeines>&Unterverzeichnisse einbeziehen|EC_V",
        "&Optionen>All&gemeines>&Suchvorgang als Statuszeile|E__V",
        "&Informationen>&Dokumentation|E__V",
        "&Informationen>&Systemkonfiguration|E__V",
    };
    QList<MenuEntry> entries;
    for (QAction* top : main_->menuBar()->actions())
        collect(top->menu(), top->text() + QLatin1Char('>'), &entries);
    QStringList actual;
    for (const MenuEntry& e : entries) {
        // The path list's own entries depend on the settings.
        if (e.path.startsWith(QStringLiteral("&Funktionen>Suchpfad-&Liste>")))
            continue;
        actual << e.path + QLatin1Char('|') + (e.enabled ? 'E' : '_') + (e.checked ? 'C' : '_') +
                      QLatin1Char('_') + (e.visible ? 'V' : '_');
    }
    QCOMPARE(actual, expected);
    const QStringList topLevel = {"&Funktionen", "&Optionen", "&Informationen"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(main_->M_Haupt[i]->text(), topLevel[i]);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(main_->M_OptFenster[i]->shortcut(),
                 QKeySequence(Qt::SHIFT | Qt::Key(Qt::Key_F1 + i)));
}

void TestMainWindow::pathFormatIsExclusive() {
    main_->M_OptDSformat[0]->trigger();  // already checked: nothing changes
    QVERIFY(main_->M_OptDSformat[0]->isChecked());
    QVERIFY(!main_->M_OptDSformat[1]->isChecked());
    main_->M_OptDSformat[1]->trigger();
    QVERIFY(main_->M_OptDSformat[1]->isChecked());
    QVERIFY(!main_->M_OptDSformat[0]->isChecked());
}

void TestMainWindow::pathListEnabledByFirstFolder() {
    QVERIFY(!main_->M_Funktion[2]->isEnabled());
    main_->settings().AddSearchFolder(dir_->path());
    main_->updatePathListMenu();
    QVERIFY(main_->M_Funktion[2]->isEnabled());
    QCOMPARE(main_->M_Pfadliste[0]->text(), dir_->path());
    // Choosing the entry makes it the settings window's folder.
    main_->optionen()->setFolder(QStringLiteral("/anders"));
    main_->M_Pfadliste[0]->trigger();
    QCOMPARE(main_->optionen()->folderTag(), dir_->path());
}

void TestMainWindow::shutdownNoKeepsEverything() {
    main_->show();
    dialogs_->answerMessage(platform::AnswerNo);
    QVERIFY(!main_->close());
    QCOMPARE(dialogs_->messages(), QStringList{"Möchten Sie die Applikation beenden?"});
    QCOMPARE(dialogs_->shown.first().buttons, platform::Buttons::YesNo);
    QVERIFY(main_->isVisible());
    QVERIFY(!QFile::exists(ini_));
}

void TestMainWindow::shutdownYesSaves() {
    main_->show();
    main_->M_OptAnsicht[1]->trigger();  // status bar off
    main_->settings().AddSearchFolder(dir_->path());
    dialogs_->answerMessage(platform::AnswerYes);
    QVERIFY(main_->close());
    QCOMPARE(platform::IniFile::read(ini_, QStringLiteral("Options"), QStringLiteral("Mode"), {}),
             QStringLiteral("10"));
    QCOMPARE(
        platform::IniFile::read(ini_, QStringLiteral("SearchList"), QStringLiteral("Folder1"), {}),
        dir_->path());
}

void TestMainWindow::shutdownRefusedDuringRun() {
    main_->show();
    main_->searchRun().SearchRunning = true;
    QVERIFY(!main_->close());
    QVERIFY(dialogs_->shown.isEmpty());
    main_->searchRun().SearchRunning = false;
}

void TestMainWindow::backgroundColour() {
    dialogs_->answerColour(std::nullopt);
    const int before = main_->backgroundColour();
    main_->M_OptAnsicht[3]->trigger();
    QCOMPARE(main_->backgroundColour(), before);
    dialogs_->answerColour(255);
    main_->M_OptAnsicht[3]->trigger();
    QCOMPARE(main_->backgroundColour(), 255);
    QCOMPARE(dialogs_->shown.last().text, QString::number(before));
}

void TestMainWindow::statusBarToggle() {
    main_->show();
    main_->M_OptAnsicht[1]->trigger();
    QVERIFY(!main_->PicStatusBar->isVisible());
    main_->M_OptAnsicht[1]->trigger();
    QVERIFY(main_->PicStatusBar->isVisible());
}

void TestMainWindow::resultWindowCloseRefusedWhileCancelVisible() {
    main_->show();
    results::frmTabelle* t = main_->tabelle();
    t->showForm();
    main_->BefAbbrechen->setVisible(true);
    t->M_Tabelle[6]->trigger();
    QVERIFY(main_->tabelleIfLoaded());
    QVERIFY(t->isFormVisible());
    main_->BefAbbrechen->setVisible(false);
    t->M_Tabelle[6]->trigger();
    QTRY_VERIFY(!main_->tabelleIfLoaded());
}

void TestMainWindow::resultFontChoice() {
    results::frmTabelle* t = main_->tabelle();
    t->M_Schrift[0]->trigger();  // already checked: nothing changes
    QVERIFY(t->M_Schrift[0]->isChecked());
    t->M_Schrift[1]->trigger();
    QVERIFY(t->M_Schrift[1]->isChecked());
    QVERIFY(!t->M_Schrift[0]->isChecked());
    QCOMPARE(t->GrdErgebnis->font().family(), QStringLiteral("System"));
    QFont bold = t->GrdErgebnis->font();
    bold.setBold(true);
    bold.setPointSizeF(12);
    t->GrdErgebnis->setFont(bold);
    t->M_Schrift[0]->trigger();
    QCOMPARE(t->GrdErgebnis->font().pointSizeF(), 8.25);
    QVERIFY(!t->GrdErgebnis->font().bold());
}

void TestMainWindow::optimizeColumns() {
    results::frmTabelle* t = main_->tabelle();
    results::FlexGrid* g = t->GrdErgebnis;
    g->setCols(3);
    g->setCellText(0, 1, QStringLiteral("Datei"));
    g->setColWidthTwips(2, 1300);
    g->AddItem(QStringLiteral("\tsehr_langer_dateiname_mit_vielen_zeichen.dbf\t"));
    const int emptyBefore = g->colWidthTwips(2);
    t->OptimizeColumns();
    QCOMPARE(g->colWidthTwips(2), emptyBefore);  // an all-empty column keeps its width
    QVERIFY(g->colWidthTwips(1) > 2000);
    QCOMPARE(g->Row(), g->Rows() - 1);
    QCOMPARE(g->Col(), g->Cols() - 1);
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
