#include "app/cli/CliOutput.h"
#include "platform/Paths.h"
#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "search/gui/frmOptionen.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace ds;
using ds::shell::frmSifter;
using ds::test::FakeDialogs;

namespace {

QString gridAsTsv(const GridText& grid) {
    QString text;
    QTextStream out(&text);
    cli::writeTsv(grid, out);
    out.flush();
    return text;
}

}  // namespace

class TestSearchWindows : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void startButtonMatchesCli_data();
    void startButtonMatchesCli();
    void noTermsMessageAndNoResultWindow();
    void interfaceLockedDuringRunAndStopHandshake();
    void endButtonAfterRunAsksToQuit();
    void statusLineMode();
    void excludedDriveRefused();
    void folderButton();
    void rightClickOnFolderOptionWithEmptyList();
    void doubleClickOnPathFrameLiftsExclusions();

  private:
    void makeTree(int folders);
    void chooseFolderSearch(const QString& folder);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeDialogs> dialogs_;
    frmSifter* main_ = nullptr;
};

void TestSearchWindows::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (dir_->path() + QStringLiteral("/config")).toLocal8Bit());
    dialogs_ = std::make_unique<FakeDialogs>();
    main_ = new frmSifter;
    main_->LoadSettings(dir_->path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
    main_->ArrangeWindows(0);
    main_->show();
}

void TestSearchWindows::cleanup() {
    delete main_;
    main_ = nullptr;
    dialogs_.reset();
}

void TestSearchWindows::makeTree(int folders) {
    QDir root(dir_->path());
    root.mkpath(QStringLiteral("daten"));
    for (int i = 0; i < folders; ++i) {
        const QString sub = QStringLiteral("daten/ordner%1").arg(i, 3, 10, QLatin1Char('0'));
        root.mkpath(sub);
        ds::test::writeFile(root.filePath(sub + QStringLiteral("/kunden.dbf")), "abc");
        ds::test::writeFile(root.filePath(sub + QStringLiteral("/Notiz.DBF")), "");
        ds::test::writeFile(root.filePath(sub + QStringLiteral("/brief.txt")), "");
    }
}

void TestSearchWindows::chooseFolderSearch(const QString& folder) {
    search::frmOptionen* o = main_->optionen();
    o->OptDatensuche[0]->setChecked(true);
    o->CmbDateiTyp->setCurrentIndex(1);  // dBASE III
    o->setFolder(folder);
    o->OptPfadWahl[2]->setChecked(true);
}

void TestSearchWindows::startButtonMatchesCli_data() {
    QTest::addColumn<bool>("fullNames");
    QTest::addColumn<bool>("fileInfo");
    QTest::newRow("apart with info") << false << true;
    QTest::newRow("full names without info") << true << false;
}

void TestSearchWindows::startButtonMatchesCli() {
    QFETCH(bool, fullNames);
    QFETCH(bool, fileInfo);
    makeTree(3);
    const QString folder = dir_->filePath(QStringLiteral("daten"));
    chooseFolderSearch(folder);
    if (fullNames)
        main_->M_OptDSformat[1]->trigger();
    if (!fileInfo)
        main_->M_OptDateiensuche[1]->trigger();
    QTest::mouseClick(main_->funktionen()->BefFunktion[0], Qt::LeftButton);
    results::frmTabelle* t = main_->tabelleIfLoaded();
    QVERIFY(t);
    QVERIFY(t->isFormVisible());
    QCOMPARE(t->tag, fullNames ? QStringLiteral("3") : QStringLiteral("2"));
    QCOMPARE(t->GrdErgebnis->Cols(), fileInfo ? 6 : 2);
    QCOMPARE(main_->BezKontrollwert, QStringLiteral(" "));

    QStringList args = {QStringLiteral("--type"), QStringLiteral("2"), folder};
    if (fullNames)
        args.prepend(QStringLiteral("--full-names"));
    if (!fileInfo)
        args.prepend(QStringLiteral("--no-file-info"));
    QProcess cli;
    cli.start(QStringLiteral(DS_CLI_PATH), args);
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()), gridAsTsv(*t->GrdErgebnis));
    // The searched folder went to the top of the search path list.
    QCOMPARE(main_->settings().searchPaths.tag(0), folder);
    QVERIFY(main_->M_Funktion[2]->isEnabled());
}

void TestSearchWindows::noTermsMessageAndNoResultWindow() {
    main_->optionen()->OptDatensuche[1]->setChecked(true);
    main_->begriffe()->TxtSuchbegriffe0->setPlainText(QStringLiteral("   \n  "));
    QTest::mouseClick(main_->funktionen()->BefFunktion[0], Qt::LeftButton);
    QCOMPARE(dialogs_->messages(), QStringList{"Es wurde kein Suchbegriff eingegeben!"});
    QCOMPARE(dialogs_->shown.first().icon, platform::Icon::Exclamation);
    QVERIFY(!main_->tabelleIfLoaded());
    QVERIFY(main_->optionen()->isEnabled());
}

void TestSearchWindows::interfaceLockedDuringRunAndStopHandshake() {
    makeTree(250);
    chooseFolderSearch(dir_->filePath(QStringLiteral("daten")));
    shell::frmFunktionen* f = main_->funktionen();
    bool sawLocked = false;
    // Clicked from inside the run's event processing, as a user would.
    QTimer::singleShot(0, this, [&] {
        sawLocked = !main_->optionen()->isEnabled() && !main_->begriffe()->isEnabled() &&
                    !main_->M_Haupt[0]->isEnabled() && !main_->M_Haupt[1]->isEnabled() &&
                    !f->BefFunktion[0]->isEnabled() &&
                    f->BefFunktion[2]->text() == QStringLiteral("&Abbrechen") &&
                    main_->SearchRunning();
        QTest::mouseClick(f->BefFunktion[2], Qt::LeftButton);
        QCOMPARE(f->BefFunktion[2]->text(), QStringLiteral("&Ende"));
    });
    main_->RunSearch();
    QVERIFY(sawLocked);
    const results::FlexGrid* g = main_->tabelleIfLoaded()->GrdErgebnis;
    QCOMPARE(g->cellText(g->Rows() - 1, 1), QStringLiteral("Suchvorgang abgebrochen..."));
    QVERIFY(g->Rows() < 2 + 250 * 3);  // stopped before the end
    QVERIFY(f->tag[0].isEmpty() && f->tag[2].isEmpty());
    QVERIFY(main_->optionen()->isEnabled());
    QVERIFY(main_->M_Haupt[0]->isEnabled());
    QVERIFY(f->BefFunktion[0]->isEnabled());
    QVERIFY(!main_->SearchRunning());
}

void TestSearchWindows::endButtonAfterRunAsksToQuit() {
    dialogs_->answerMessage(platform::AnswerNo);
    QTest::mouseClick(main_->funktionen()->BefFunktion[2], Qt::LeftButton);
    QCOMPARE(dialogs_->messages(), QStringList{"Möchten Sie die Applikation beenden?"});
    QVERIFY(main_->isVisible());
}

void TestSearchWindows::statusLineMode() {
    makeTree(2);
    chooseFolderSearch(dir_->filePath(QStringLiteral("daten")));
    main_->M_OptAllgemein[1]->trigger();
    bool mainHidden = false, stripShown = false;
    QTimer::singleShot(0, this, [&] {
        mainHidden = !main_->isVisible();
        stripShown = main_->statusZeileIfLoaded() && main_->statusZeileIfLoaded()->isVisible();
    });
    makeTree(200);  // enough work for the run to yield
    main_->RunSearch();
    QVERIFY(mainHidden);
    QVERIFY(stripShown);
    QVERIFY(main_->isVisible());
    QTRY_VERIFY(!main_->statusZeileIfLoaded());
}

void TestSearchWindows::excludedDriveRefused() {
    search::frmOptionen* o = main_->optionen();
    QVERIFY(o->CtrlLwrkListe->count() > 0);
    const QString before = o->driveTag;
    const QString spec = platform::driveSpecOfEntry(o->CtrlLwrkListe->itemText(0));
    // Set directly: the stored setting could never exclude the root, but the refusal is the same.
    o->excludedDrives = spec;
    Q_EMIT o->CtrlLwrkListe->activated(0);
    QCOMPARE(dialogs_->messages(),
             QStringList{"Der Zugriff auf Laufwerk " + spec + "\r\nist nicht möglich!"});
    QCOMPARE(o->driveTag, before);
}

void TestSearchWindows::folderButton() {
    search::frmOptionen* o = main_->optionen();
    o->OptPfadWahl[0]->setChecked(true);
    const QString before = o->folderTag();
    QTest::mouseClick(o->BefPfadwahl, Qt::LeftButton);  // cancelled: nothing changes
    QCOMPARE(o->folderTag(), before);
    QVERIFY(o->OptPfadWahl[0]->isChecked());
    const QString chosen = dir_->path() + QStringLiteral(
                                              "/ein/sehr/langer/ordnername/der/nicht/"
                                              "in/das/feld/passt/archiv");
    dialogs_->answerFolder(chosen);
    QTest::mouseClick(o->BefPfadwahl, Qt::LeftButton);
    QCOMPARE(o->folderTag(), chosen);
    QVERIFY(o->OptPfadWahl[2]->isChecked());
    QVERIFY(o->PanPfadWahl[0]->text().contains(QStringLiteral("...")));
    QCOMPARE(dialogs_->shown.last().title,
             QStringLiteral("Wählen Sie bitte einen Ordner aus und aktivieren Sie dann die "
                            "'OK'-Schaltfläche..."));
}

void TestSearchWindows::rightClickOnFolderOptionWithEmptyList() {
    search::frmOptionen* o = main_->optionen();
    o->OptPfadWahl[0]->setChecked(true);
    QTest::mousePress(o->OptPfadWahl[2], Qt::RightButton);
    QVERIFY(o->OptPfadWahl[2]->isChecked());
    QVERIFY(!main_->pathListMenu()->isVisible());
}

void TestSearchWindows::doubleClickOnPathFrameLiftsExclusions() {
    search::frmOptionen* o = main_->optionen();
    o->excludedDrives = QStringLiteral("/media/usb");
    QTest::mouseDClick(o->FraOptionen[2], Qt::LeftButton);
    QVERIFY(o->excludedDrives.isEmpty());
}

QTEST_MAIN(TestSearchWindows)
#include "test_searchwindows.moc"
