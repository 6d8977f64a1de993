#include "common/AppInfo.h"
#include "common/Twips.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "results/frmPicture.h"
#include "results/frmSysInfo.h"
#include "search/gui/frmBegriffe.h"
#include "search/gui/frmOptionen.h"
#include "shell/FolderChoice.h"
#include "shell/Help.h"
#include "shell/ShellCommands.h"
#include "shell/SingleInstance.h"
#include "shell/Startup.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"
#include "shell/frmTitel.h"
#include "shell/frmVerzWahl.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDesktopServices>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QtTest>

using namespace ds;
using ds::shell::frmSifter;
using ds::test::FakeDialogs;

namespace {

QString uniqueKey() {
    return QStringLiteral("DataSifterTest-") + QUuid::createUuid().toString(QUuid::Id128);
}

// Records the URLs the desktop was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

QStringList crLfLines(const QString& text) {
    return text.split(QStringLiteral("\r\n"));
}

QByteArray logOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void arrangeWindows_data();
    void arrangeWindows();
    void arrangeByShortcut();
    void startupSequence();

    void versionText_data();
    void versionText();
    void gradientBands_data();
    void gradientBands();
    void titleWindow();

    void secondCopyInProcess();
    void secondCopyProcess();

    void kilobytes_data();
    void kilobytes();
    void shortenedFolder_data();
    void shortenedFolder();
    void windowsVersion_data();
    void windowsVersion();
    void processorType_data();
    void processorType();
    void procFiles();
    void reportColumnsLineUp();
    void unscramble_data();
    void unscramble();
    void systemInfoWindow();

    void composeBackground_data();
    void composeBackground();
    void backgroundFollowsColourAndSize();

    void desktopFolderBrowser();
    void ownFolderWindow();
    void ownFolderWindowRefusesUnreadableDrive();
    void ownFolderWindowThroughChooseFolder();

    void helpFile();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeDialogs> dialogs_;
    frmSifter* main_ = nullptr;
};

void TestStartup::init() {
    platform::setPathStyle(platform::PathStyle::Posix);
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (dir_->path() + QStringLiteral("/config")).toLocal8Bit());
    dialogs_ = std::make_unique<FakeDialogs>();
    main_ = new frmSifter;
    main_->LoadSettings(dir_->path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
}

void TestStartup::cleanup() {
    delete main_;
    main_ = nullptr;
    shell::setFolderDialogOverride(std::nullopt);
    dialogs_.reset();
    platform::setPathStyle(platform::PathStyle::Posix);
}

// Sizes (twips) of settings, button bar, terms and progress window, and the positions the
// arrangement must give them, from the layout tables.
void TestStartup::arrangeWindows_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<QList<QPoint>>("positions");
    QTest::addColumn<int>("front");  // 0 settings, 1 buttons, 2 terms: the last one placed
    const QList<QSize> example = {{5000, 3150}, {2700, 1200}, {4200, 3300}, {6900, 1950}};
    QTest::newRow("I") << 0 << example << QList<QPoint>{{0, 0}, {5000, 0}, {5000, 1200}, {0, 1200}}
                       << 2;
    QTest::newRow("II") << 1 << example << QList<QPoint>{{2700, 0}, {0, 0}, {0, 1200}, {2700, 1200}}
                        << 2;
    QTest::newRow("III") << 2 << example
                         << QList<QPoint>{{0, 0}, {5000, 3300}, {5000, 0}, {0, 2550}} << 1;
    QTest::newRow("7 is III") << 7 << example
                              << QList<QPoint>{{0, 0}, {5000, 3300}, {5000, 0}, {0, 2550}} << 1;
    QTest::newRow("-1 is III") << -1 << example
                               << QList<QPoint>{{0, 0}, {5000, 3300}, {5000, 0}, {0, 2550}} << 1;
    // A progress window taller than terms and buttons together starts above the top edge.
    QTest::newRow("III negative top")
        << 2 << QList<QSize>{{5000, 3150}, {2700, 600}, {4200, 900}, {6900, 1950}}
        << QList<QPoint>{{0, 0}, {5000, 900}, {5000, 0}, {0, -450}} << 1;
}

void TestStartup::arrangeWindows() {
    QFETCH(int, layout);
    QFETCH(QList<QSize>, sizes);
    QFETCH(QList<QPoint>, positions);
    QFETCH(int, front);
    const QList<shell::ChildForm*> forms = {main_->optionen(), main_->funktionen(),
                                            main_->begriffe(), main_->status()};
    main_->show();
    for (int i = 0; i < 4; ++i)
        forms[i]->subWindow()->resize(twipsToPixels(sizes[i]));
    // Start from somewhere else, so that every window must be moved.
    for (shell::ChildForm* f : forms)
        f->subWindow()->move(7, 9);
    for (int round = 0; round < 2; ++round) {  // a second call gives the same places
        main_->ArrangeWindows(layout);
        for (int i = 0; i < 4; ++i) {
            const QPoint actual = forms[i]->subWindow()->pos();
            const QPoint wanted = twipsToPixels(positions[i]);
            QVERIFY2((actual - wanted).manhattanLength() <= 1,
                     qPrintable(QStringLiteral("window %1 at %2,%3, wanted %4,%5")
                                    .arg(i)
                                    .arg(actual.x())
                                    .arg(actual.y())
                                    .arg(wanted.x())
                                    .arg(wanted.y())));
        }
    }
    for (int i = 0; i < 3; ++i)
        QVERIFY(forms[i]->isFormVisible());
    QVERIFY(!forms[3]->isFormVisible());  // the progress window is only moved
    const QList<QMdiSubWindow*> stack = main_->mdi->subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(stack.last(), forms[front]->subWindow());
    if (layout >= 2 || layout < 0) {
        // Progress and button bar end at the same bottom edge.
        QCOMPARE(forms[3]->subWindow()->geometry().bottom(),
                 forms[1]->subWindow()->geometry().bottom());
    }
}

void TestStartup::arrangeByShortcut() {
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_));
    main_->ArrangeWindows(0);
    // Shift+F3 from inside a child window: the button bar goes below the search terms.
    QWidget* inside = main_->begriffe();
    QTest::keyClick(inside, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(main_->funktionen()->topTwips(), main_->begriffe()->heightTwips());
    QCOMPARE(main_->begriffe()->leftTwips(), main_->optionen()->widthTwips());
    QTest::keyClick(inside, Qt::Key_F2, Qt::ShiftModifier);
    QCOMPARE(main_->funktionen()->leftTwips(), 0);
    QCOMPARE(main_->optionen()->leftTwips(), main_->funktionen()->widthTwips());
    QTest::keyClick(inside, Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(main_->optionen()->leftTwips(), 0);
    QCOMPARE(main_->funktionen()->leftTwips(), main_->optionen()->widthTwips());
}

void TestStartup::startupSequence() {
    delete main_;
    main_ = nullptr;
    shell::SingleInstance instance(uniqueKey());
    frmSifter* main = shell::LoadMainWindow(instance, dir_->path() + QLatin1Char('/'),
                                            QStringLiteral("DataSifter"));
    QVERIFY(main);
    main_ = main;
    QVERIFY(main->isVisible());
    QVERIFY(pixelsToTwips(main->height()) >= 7200);
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<shell::frmTitel*>(w));  // the title window is gone
    // Layout I.
    QCOMPARE(main->funktionen()->leftTwips(), main->optionen()->widthTwips());
    QCOMPARE(main->begriffe()->topTwips(), main->funktionen()->heightTwips());
    QVERIFY(main->mdi->background().textureImage().height() > 0);
}

void TestStartup::versionText_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.02") << 1 << 2 << "Version 1.2";
    QTest::newRow("0.0") << 0 << 0 << "Version 0.0";
    QTest::newRow("12.34") << 12 << 34 << "Version 12.34";
    QTest::newRow("negative: no blank") << -1 << 5 << "Version-1.5";
}

void TestStartup::versionText() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QCOMPARE(shell::frmTitel::versionText(major, minor), text);
}

void TestStartup::gradientBands_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bandHeight");
    QTest::newRow("350 pixels") << 350 << 5;
    QTest::newRow("280 pixels") << 280 << 4;
    QTest::newRow("139 pixels") << 139 << 1;
    QTest::newRow("below 70: nothing") << 69 << 0;
}

void TestStartup::gradientBands() {
    QFETCH(int, height);
    QFETCH(int, bandHeight);
    const auto bands = shell::frmTitel::gradientBands(height);
    QCOMPARE(int(bands.size()), 70);
    for (int i = 0; i < 70; ++i) {
        QCOMPARE(bands[i].height, bandHeight);
        QCOMPARE(bands[i].top, i * bandHeight);
        // 128 falling by 2; the last five bands ask for levels below 0 and get 0.
        QCOMPARE(bands[i].blue, std::max(0, 128 - 2 * i));
    }
    QCOMPARE(bands[64].blue, 0);
}

void TestStartup::titleWindow() {
    shell::SingleInstance instance(uniqueKey());
    shell::frmTitel titel;
    QVERIFY(titel.load(instance));
    QVERIFY(titel.isVisible());
    QCOMPARE(titel.BezTitel[0]->text(), programTitle());
    QCOMPARE(titel.BezTitel[1]->text(), programTitle());
    QCOMPARE(titel.BezTitel[2]->text(),
             shell::frmTitel::versionText(versionMajor(), versionMinor()));
    for (QLabel* l : titel.BezTitel)
        QCOMPARE(l->font().family(), QStringLiteral("Times New Roman"));
    // The shadow: 60 twips right, 45 below the title, and behind it.
    QCOMPARE(
        titel.BezTitel[1]->pos() - titel.BezTitel[0]->pos(),
        QPoint(twipsToPixels(405) - twipsToPixels(345), twipsToPixels(1230) - twipsToPixels(1185)));
    const QObjectList children = titel.children();
    QVERIFY(children.indexOf(titel.BezTitel[1]) < children.indexOf(titel.BezTitel[0]));
    // Rounded corners: the corners are cut, the edges' middles are not.
    const QRegion mask = titel.mask();
    const QSize s = titel.size();
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(!mask.contains(QPoint(s.width() - 1, s.height() - 1)));
    QVERIFY(!mask.contains(QPoint(1, s.height() - 2)));
    QVERIFY(mask.contains(QPoint(s.width() / 2, 0)));
    QVERIFY(mask.contains(QPoint(0, s.height() / 2)));
    QVERIFY(mask.contains(QPoint(s.width() / 2, s.height() / 2)));
    // The gradient is painted: dark blue at the top, darker further down.
    const QImage shot = titel.grab().toImage();
    const QColor top = shot.pixelColor(s.width() / 2, 2);
    const QColor low = shot.pixelColor(s.width() / 2, s.height() - 3);
    QCOMPARE(top.red(), 0);
    QVERIFY(top.blue() >= 120);
    QVERIFY(low.blue() < top.blue());
}

void TestStartup::secondCopyInProcess() {
    delete main_;
    main_ = nullptr;
    const QString key = uniqueKey();
    shell::SingleInstance first(key);
    frmSifter* main =
        shell::LoadMainWindow(first, dir_->path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
    QVERIFY(main);
    main_ = main;
    main->showMinimized();
    QTRY_VERIFY(main->isMinimized());
    QCOMPARE(dialogs_->shown.size(), 0);

    shell::SingleInstance second(key);
    QSignalSpy asked(&first, &shell::SingleInstance::activationRequested);
    QVERIFY(!shell::LoadMainWindow(second, dir_->path() + QLatin1Char('/'),
                                   QStringLiteral("DataSifter")));
    QCOMPARE(dialogs_->messages(), QStringList{QStringLiteral("DataSifter ist schon aktiv!")});
    QCOMPARE(dialogs_->shown.first().icon, platform::Icon::Information);
    // No second main window, no title window left over.
    int mains = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        mains += qobject_cast<frmSifter*>(w) ? 1 : 0;
        QVERIFY(!(qobject_cast<shell::frmTitel*>(w) && w->isVisible()));
    }
    QCOMPARE(mains, 1);
    QVERIFY(asked.wait(5000));
    QTRY_VERIFY(!main->isMinimized());
    QVERIFY(main->isVisible());
}

void TestStartup::secondCopyProcess() {
    QTemporaryDir run;
    QVERIFY(QFile::setPermissions(
        run.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.path());
    env.insert(QStringLiteral("HOME"), run.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), run.filePath(QStringLiteral("config")));
    auto start = [&](QProcess& p, const QString& log) {
        QProcessEnvironment e = env;
        e.insert(QStringLiteral("DATASIFTER_TEST_LOG"), log);
        p.setProcessEnvironment(e);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(DS_PROGRAM_PATH), {});
        return p.waitForStarted(10000);
    };
    const QString log1 = run.filePath(QStringLiteral("first.log"));
    const QString log2 = run.filePath(QStringLiteral("second.log"));
    const QFileInfo ini(QFileInfo(QStringLiteral(DS_PROGRAM_PATH)).absolutePath() +
                        QStringLiteral("/DataSifter.INI"));
    const QDateTime iniBefore = ini.exists() ? ini.lastModified() : QDateTime();

    QProcess first;
    QVERIFY(start(first, log1));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(log1).contains("started\n"), 20000);

    QProcess second;
    QVERIFY(start(second, log2));
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(logOf(log2)),
             QStringLiteral("message|%1|DataSifter ist schon aktiv!\n")
                 .arg(int(platform::Icon::Information)));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(log1).contains("activated|normal\n"), 10000);
    QVERIFY(first.state() == QProcess::Running);
    QFileInfo after(ini.absoluteFilePath());
    QCOMPARE(after.exists() ? after.lastModified() : QDateTime(), iniBefore);

    // A first copy that died leaves its lock behind; the next start is a first copy again.
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    const QString log3 = run.filePath(QStringLiteral("third.log"));
    QProcess third;
    QVERIFY(start(third, log3));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(log3).contains("started\n"), 20000);
    QVERIFY(!logOf(log3).contains("message"));
    third.kill();
    third.waitForFinished(10000);
}

void TestStartup::kilobytes_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "."
                          << "0 KB";
    QTest::newRow("under 1 KB is 0") << qint64(1023) << "."
                                     << "0 KB";
    QTest::newRow("1 KB") << qint64(1024) << "."
                          << "1 KB";
    QTest::newRow("999") << qint64(999 * 1024 + 1023) << "."
                         << "999 KB";
    QTest::newRow("1000") << qint64(1000 * 1024) << "."
                          << "1.000 KB";
    QTest::newRow("German grouping") << qint64(1234567) * 1024 << "."
                                     << "1.234.567 KB";
    QTest::newRow("English grouping") << qint64(16318312) * 1024 << ","
                                      << "16,318,312 KB";
    QTest::newRow("beyond nine digits") << qint64(1234567890) * 1024 << "."
                                        << "1.234.567.890 KB";
    QTest::newRow("negative") << qint64(-2048000) << "."
                              << "-2.000 KB";
}

void TestStartup::kilobytes() {
    QFETCH(qint64, bytes);
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QCOMPARE(platform::kilobytesText(bytes, separator), text);
}

void TestStartup::shortenedFolder_data() {
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("shown");
    const QString f35 = QStringLiteral("/home/anwender/Daten/Archiv/2024/Q1");  // 35 characters
    QTest::newRow("35 in full") << false << f35 << f35;
    QTest::newRow("36 shortened") << false << f35 + QStringLiteral("x")
                                  << QStringLiteral("/home/anwender/D.../Archiv/2024/Q1x");
    QTest::newRow("case kept") << false << QStringLiteral("/Daten/ABC") << "/Daten/ABC";
    QTest::newRow("Windows lower case")
        << true << QStringLiteral("C:\\Programme\\DataSifter") << "c:\\programme\\datasifter";
    QTest::newRow("Windows long") << true
                                  << QStringLiteral(
                                         "C:\\Eigene Dateien\\Recherche\\Projekt 2024\\Daten")
                                  << "c:\\eigene dateie...ojekt 2024\\daten";
}

void TestStartup::shortenedFolder() {
    QFETCH(bool, windows);
    QFETCH(QString, folder);
    QFETCH(QString, shown);
    platform::setPathStyle(windows ? platform::PathStyle::Windows : platform::PathStyle::Posix);
    QCOMPARE(platform::shortenedFolder(folder), shown);
}

void TestStartup::windowsVersion_data() {
    QTest::addColumn<int>("platformId");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("nt3");
    QTest::addColumn<bool>("nt4");
    QTest::newRow("98") << 1 << 4 << 10 << "Microsoft Windows 98  4.10" << false << false;
    QTest::newRow("95") << 1 << 4 << 0 << "Microsoft Windows 95  4.00" << false << false;
    QTest::newRow("ME: no name") << 1 << 4 << 90 << "Microsoft Windows   4.90" << false << false;
    QTest::newRow("Win32s") << 0 << 3 << 11 << "Microsoft Windows  / Win32s  3.11" << false
                            << false;
    QTest::newRow("NT 3.51") << 2 << 3 << 51 << "Microsoft Windows NT  3.51" << true << false;
    QTest::newRow("NT 4.0") << 2 << 4 << 0 << "Microsoft Windows NT  4.00" << false << true;
    QTest::newRow("NT 10.0") << 2 << 10 << 0 << "Microsoft Windows NT  10.00" << false << true;
}

void TestStartup::windowsVersion() {
    QFETCH(int, platformId);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, text);
    QFETCH(bool, nt3);
    QFETCH(bool, nt4);
    platform::SystemFacts facts;
    facts.windows = platform::OsVersion{platformId, major, minor};
    QCOMPARE(platform::systemVersionText(facts), text);
    const auto flags = platform::classifyWindowsVersion(facts.windows);
    QCOMPARE(flags.nt3, nt3);
    QCOMPARE(flags.nt4OrLater, nt4);
}

void TestStartup::processorType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("386") << 386 << "80386 (Intel)";
    QTest::newRow("586") << 586 << "80586 (Intel)";
    QTest::newRow("986") << 986 << "80986 (Intel)";
    QTest::newRow("987") << 987 << "";
    QTest::newRow("MIPS 2000") << 2000 << "MIPS R2000";
    QTest::newRow("MIPS 4000") << 4000 << "MIPS R4000";
    QTest::newRow("4001") << 4001 << "";
    QTest::newRow("Alpha") << 21064 << "Alpha 21064";
    QTest::newRow("x64") << 8664 << "";
}

void TestStartup::processorType() {
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(platform::processorTypeText(type), text);
}

void TestStartup::procFiles() {
    const QByteArray meminfo =
        "MemTotal:       16318312 kB\nMemFree:         1000000 kB\nMemAvailable:    4079578 kB\n"
        "Buffers:          200000 kB\nCached:          3000000 kB\nSwapTotal:       2097148 kB\n"
        "SwapFree:        2097148 kB\n";
    const auto m = platform::parseMeminfo(meminfo);
    QVERIFY(m);
    QCOMPARE(m->totalPhysical, qint64(16318312) * 1024);
    QCOMPARE(m->availablePhysical, qint64(4079578) * 1024);
    QCOMPARE(m->totalPageFile - m->availablePageFile, qint64(0));
    QCOMPARE(m->load, 75);
    // Old kernels without MemAvailable: free plus buffers and cache.
    QByteArray old = meminfo;
    old.replace("MemAvailable:    4079578 kB\n", "");
    QCOMPARE(platform::parseMeminfo(old)->availablePhysical, qint64(4200000) * 1024);
    QVERIFY(!platform::parseMeminfo("garbage\n"));

    QCOMPARE(platform::parseCpuModel("processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                     "model name\t: Intel(R) Xeon(R)  CPU @ 2.20GHz\n"),
             QStringLiteral("Intel(R) Xeon(R) CPU @ 2.20GHz"));
    QCOMPARE(platform::parseCpuModel("processor\t: 0\nBogoMIPS\t: 108.00\nHardware\t: BCM2835\n"),
             QStringLiteral("BCM2835"));
    QCOMPARE(platform::parseCpuModel(""), QString());
}

void TestStartup::reportColumnsLineUp() {
    platform::SystemFacts facts;
    facts.systemName = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    facts.kernelVersion = QStringLiteral("6.1.0-18-amd64");
    facts.processorName = QStringLiteral("Intel(R) Xeon(R) CPU");
    facts.memory = {qint64(8000000) * 1024, qint64(2000000) * 1024, qint64(1000) * 1024,
                    qint64(1000) * 1024, 75};
    facts.currentFolder = QStringLiteral("/home/anwender/Recherche/Projekte/Archiv");
    facts.windowsFolder = QStringLiteral("/home/anwender/.config/DataSifter");
    facts.systemFolder = QStringLiteral("/usr/lib/x86_64-linux-gnu");
    const QStringList names = crLfLines(platform::systemInfoNames());
    const QStringList values = crLfLines(platform::systemInfoValues(facts, QStringLiteral(".")));
    QCOMPARE(names.size(), 13);
    QCOMPARE(values.size(), 14);  // the last value ends with CR LF too
    QCOMPARE(values.last(), QString());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(values[i].isEmpty(), names[i].isEmpty());
    QCOMPARE(names[0], QStringLiteral("Windows-Version:"));
    QCOMPARE(names[6], QStringLiteral("Größe Auslagerungsdatei:"));
    QCOMPARE(values[0], QStringLiteral("Debian GNU/Linux 12 (bookworm)  Kernel 6.1"));
    QCOMPARE(values[2], QStringLiteral("Intel(R) Xeon(R) CPU"));
    QCOMPARE(values[4], QStringLiteral("8.000.000 KB"));
    QCOMPARE(values[5], QStringLiteral("2.000.000 KB"));
    QCOMPARE(values[6], QStringLiteral("0 KB"));
    QCOMPARE(values[8], QStringLiteral("75%"));
    QCOMPARE(values[10], QStringLiteral("/home/anwender/R.../Projekte/Archiv"));
    QCOMPARE(values[11], facts.windowsFolder);
    QCOMPARE(values[12], facts.systemFolder);
    // A processor the type rule knows is named by it.
    facts.processorType = 486;
    QCOMPARE(crLfLines(platform::systemInfoValues(facts, QStringLiteral(".")))[2],
             QStringLiteral("80486 (Intel)"));
}

void TestStartup::unscramble_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("raised by position") << QStringLiteral("@@@") << QStringLiteral("ABC");
    QTest::newRow("umlaut") << QString(QChar(0xE3)) + QChar(0x5E) << QStringLiteral("ä`");
}

void TestStartup::unscramble() {
    QFETCH(QString, stored);
    QFETCH(QString, text);
    QCOMPARE(results::frmSysInfo::Unscramble(stored), text);
}

void TestStartup::systemInfoWindow() {
    platform::SystemFacts facts;
    facts.windows = platform::OsVersion{1, 4, 10};
    facts.processorType = 586;
    results::frmSysInfo window(main_, facts);
    QCOMPARE(window.windowTitle(), QStringLiteral("System-Informationen"));
    QCOMPARE(window.BezSysInfo[2]->text(), programTitle());
    QCOMPARE(window.BezSysInfo[3]->text(), window.BezSysInfo[2]->text());
    QCOMPARE(window.BezSysInfo[4]->text(),
             results::frmSysInfo::versionLine(versionMajor(), versionMinor(), QSysInfo::WordSize));
    QCOMPARE(results::frmSysInfo::versionLine(1, 2, 32), QStringLiteral("Version 1.2 [32 Bit]"));
    for (int i : {5, 6}) {
        const QString line = window.BezSysInfo[i]->text();
        QVERIFY(line.size() > 10);
        for (QChar c : line)
            QVERIFY2(c.isPrint(), qPrintable(line));
    }
    QCOMPARE(window.BezSysInfo[0]->text().split(QLatin1Char('\n')).size(), 13);
    const QStringList values = window.BezSysInfo[1]->text().split(QLatin1Char('\n'));
    QCOMPARE(values.size(), 13);
    QCOMPARE(values[0], QStringLiteral("Microsoft Windows 98  4.10"));
    QCOMPARE(values[2], QStringLiteral("80586 (Intel)"));
    QCOMPARE(values[4], QStringLiteral("0 KB"));
    QCOMPARE(window.BefEnde->text(), QStringLiteral("&OK"));
    window.show();
    QTest::mouseClick(window.BefEnde, Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

void TestStartup::composeBackground_data() {
    QTest::addColumn<int>("canvasHeight");
    QTest::newRow("tall") << 50;
    QTest::newRow("exactly the logo") << 3;
    QTest::newRow("lower than the logo") << 2;
}

void TestStartup::composeBackground() {
    QFETCH(int, canvasHeight);
    // A 4 x 3 logo: yellow corners and a yellow middle row, blue elsewhere.
    const QColor yellow(255, 255, 0), blue(0, 0, 200), red(200, 0, 0);
    QImage logo(4, 3, QImage::Format_RGB32);
    logo.fill(blue);
    for (QPoint p : {QPoint(0, 0), QPoint(3, 0), QPoint(0, 2), QPoint(3, 2)})
        logo.setPixelColor(p, yellow);
    for (int x = 0; x < 4; ++x)
        logo.setPixelColor(x, 1, yellow);
    const QImage out = results::frmPicture::compose(QSize(10, canvasHeight), red, logo);
    QCOMPARE(out.size(), QSize(10, canvasHeight));
    const int top = canvasHeight - 3;  // may be negative: the logo's top is cut
    for (int y = 0; y < canvasHeight; ++y) {
        for (int x = 0; x < 10; ++x) {
            QColor wanted = red;
            const int ly = y - top;
            if (x < 4 && ly >= 0 && ly < 3 && logo.pixelColor(x, ly) != yellow)
                wanted = blue;
            QCOMPARE(out.pixelColor(x, y), wanted);
        }
    }
}

void TestStartup::backgroundFollowsColourAndSize() {
    main_->resize(twipsToPixels(QSize(12000, 7200)));
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));
    shell::ComposeBackground(*main_);
    const QImage logo = results::frmPicture::ImgPicture();
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.pixelColor(0, 0), results::frmPicture::transparentColour());
    // A yellow and an opaque pixel of the logo, to watch both in the picture.
    QPoint opaque(-1, -1);
    for (int y = 0; y < logo.height() && opaque.x() < 0; ++y) {
        for (int x = 0; x < logo.width(); ++x) {
            if (logo.pixelColor(x, y) != results::frmPicture::transparentColour()) {
                opaque = QPoint(x, y);
                break;
            }
        }
    }
    QVERIFY(opaque.x() >= 0);
    const int colours[] = {255 + 256 * 128, 65536 * 160};
    for (int colour : colours) {
        dialogs_->answerColour(colour);
        main_->M_OptAnsicht[3]->trigger();
        const QImage bg = main_->mdi->background().textureImage();
        QCOMPARE(bg.size(), main_->mdi->viewport()->size());
        const int top = bg.height() - logo.height();
        QCOMPARE(bg.pixelColor(0, top), colourFromNumber(colour));
        QCOMPARE(bg.pixelColor(bg.width() - 1, 0), colourFromNumber(colour));
        QCOMPARE(bg.pixelColor(opaque + QPoint(0, top)), logo.pixelColor(opaque));
    }
    // A resized main window gets a picture of its new size, the logo still at the lower left.
    main_->resize(main_->size() + QSize(40, 60));
    QTRY_COMPARE(main_->mdi->background().textureImage().size(), main_->mdi->viewport()->size());
    const QImage bg = main_->mdi->background().textureImage();
    QCOMPARE(bg.pixelColor(opaque + QPoint(0, bg.height() - logo.height())),
             logo.pixelColor(opaque));
}

void TestStartup::desktopFolderBrowser() {
    QCOMPARE(shell::folderDialogInUse(), shell::FolderDialog::Desktop);
    dialogs_->answerFolder(dir_->path());
    QCOMPARE(shell::ChooseFolder(main_), dir_->path());
    QCOMPARE(dialogs_->shown.size(), 1);
    QCOMPARE(dialogs_->shown[0].kind, QStringLiteral("folder"));
    QCOMPARE(dialogs_->shown[0].title,
             QStringLiteral("Wählen Sie bitte einen Ordner aus und aktivieren Sie dann die "
                            "'OK'-Schaltfläche..."));
    // Cancelled: empty, and the settings window keeps its folder.
    QCOMPARE(shell::ChooseFolder(main_), QString());
    search::frmOptionen* settings = main_->optionen();
    settings->setFolder(QStringLiteral("/vorher"));
    settings->choosePathFolder();
    QCOMPARE(settings->folderTag(), QStringLiteral("/vorher"));
    dialogs_->answerFolder(dir_->path());
    settings->choosePathFolder();
    QCOMPARE(settings->folderTag(), dir_->path());
}

void TestStartup::ownFolderWindow() {
    const QString root = dir_->path();
    QVERIFY(QDir(root).mkpath(QStringLiteral("alpha/innen")));
    QVERIFY(QDir(root).mkpath(QStringLiteral("beta")));
    QVERIFY(test::writeFile(root + QStringLiteral("/liste.dbf"), "x"));
    QVERIFY(test::writeFile(root + QStringLiteral("/alpha/tief.mdb"), "x"));
    const QString other = root + QStringLiteral("/beta");
    auto drives = [&] {
        return QList<platform::DriveInfo>{{root, QString(), true, true},
                                          {other, QString(), true, true}};
    };
    shell::frmVerzWahl window(nullptr, drives, root);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.CtrlVerzeichnisse->path(), root);
    QCOMPARE(window.ctrlLaufwerkeTag, root);
    QCOMPARE(window.ctrlDateienPath(), root);
    QCOMPARE(window.CtrlDateien->count(), 1);
    QCOMPARE(window.CtrlDateien->item(0)->text(), QStringLiteral("liste.dbf"));

    // Enter opens the highlighted folder and leaves the window open.
    const QString alpha = root + QStringLiteral("/alpha");
    QList<QListWidgetItem*> found =
        window.CtrlVerzeichnisse->findItems(QStringLiteral("alpha"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    window.CtrlVerzeichnisse->setCurrentItem(found[0]);
    window.CtrlVerzeichnisse->setFocus();
    QTest::keyClick(window.CtrlVerzeichnisse, Qt::Key_Return);
    QCOMPARE(window.CtrlVerzeichnisse->path(), alpha);
    QVERIFY(window.isVisible());
    QCOMPARE(window.ctrlDateienPath(), alpha);
    QCOMPARE(window.CtrlDateien->item(0)->text(), QStringLiteral("tief.mdb"));
    // The list shows the way down from the drive's root, then the subfolders.
    QStringList shown;
    for (int i = 0; i < window.CtrlVerzeichnisse->count(); ++i)
        shown << window.CtrlVerzeichnisse->item(i)->text();
    QCOMPARE(shown, (QStringList{root, QStringLiteral("alpha"), QStringLiteral("innen")}));

    // "&OK" answers with the current folder, not the highlighted one.
    window.CtrlVerzeichnisse->setCurrentRow(2);
    QTest::mouseClick(window.BefVerzWahl[0], Qt::LeftButton);
    QCOMPARE(window.befVerzWahlTag[0], alpha);
    QCOMPARE(window.result(), int(QDialog::Accepted));

    // Enter in the drive list takes the highlighted drive.
    window.show();
    window.CtrlLaufwerke->setCurrentIndex(1);
    QTest::keyClick(window.CtrlLaufwerke, Qt::Key_Return);
    QCOMPARE(window.CtrlVerzeichnisse->path(), other);
    QCOMPARE(window.ctrlLaufwerkeTag, other);
    QVERIFY(window.isVisible());

    // Never smaller than 4000 twips either way.
    window.resize(20, 20);
    QVERIFY(pixelsToTwips(window.width()) >= 4000);
    QVERIFY(pixelsToTwips(window.height()) >= 4000);
    QTest::mouseClick(window.BefVerzWahl[1], Qt::LeftButton);
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(dialogs_->shown.isEmpty());
}

void TestStartup::ownFolderWindowRefusesUnreadableDrive() {
    const QString root = dir_->path();
    const QString missing = root + QStringLiteral("/kein-datentraeger");
    auto drives = [&] {
        return QList<platform::DriveInfo>{{root, QString(), true, true},
                                          {missing, QString(), false, false}};
    };
    shell::frmVerzWahl window(nullptr, drives, root);
    window.CtrlLaufwerke->setCurrentIndex(1);
    window.driveChanged(1);
    QCOMPARE(window.CtrlLaufwerke->currentIndex(), 0);
    QCOMPARE(window.ctrlLaufwerkeTag, root);
    QCOMPARE(window.CtrlVerzeichnisse->path(), root);
    QVERIFY(dialogs_->shown.isEmpty());  // refused without a word
}

void TestStartup::ownFolderWindowThroughChooseFolder() {
    shell::setFolderDialogOverride(shell::FolderDialog::Own);
    const QString start = QDir::currentPath();
    const QString wanted = platform::toNative(dir_->path());
    for (bool accept : {true, false}) {
        QTimer::singleShot(0, this, [&] {
            auto* window = qobject_cast<shell::frmVerzWahl*>(QApplication::activeModalWidget());
            QVERIFY(window);
            // Every use starts afresh, in the current folder.
            QCOMPARE(window->befVerzWahlTag[0], QString());
            QCOMPARE(window->CtrlVerzeichnisse->path(), platform::toNative(start));
            window->CtrlVerzeichnisse->setPath(wanted);
            window->click(accept ? 0 : 1);
        });
        QCOMPARE(shell::ChooseFolder(main_), accept ? wanted : QString());
    }
    QCOMPARE(dialogs_->messages(),
             QStringList(2, QStringLiteral("Wählen Sie bitte einen Ordner aus und aktivieren Sie "
                                           "dann die 'OK'-Schaltfläche...")));
    QCOMPARE(dialogs_->shown[0].icon, platform::Icon::Information);
}

void TestStartup::helpFile() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    // Missing: says where the file belongs.
    const QString help = main_->settings().helpFile();
    QCOMPARE(help, dir_->path() + QStringLiteral("/DataSifter.html"));
    main_->M_Info[0]->trigger();
    QCOMPARE(recorder.opened.size(), 0);
    QCOMPARE(dialogs_->shown.size(), 1);
    QVERIFY(dialogs_->shown[0].text.contains(help));
    QCOMPARE(dialogs_->shown[0].icon, platform::Icon::Exclamation);

    // Present: "&Dokumentation" and the button bar's "&Informationen" open it.
    QVERIFY(test::writeFile(help, "<html></html>"));
    main_->M_Info[0]->trigger();
    QTest::mouseClick(main_->funktionen()->BefFunktion[1], Qt::LeftButton);
    QCOMPARE(recorder.opened, (QList<QUrl>{QUrl::fromLocalFile(help), QUrl::fromLocalFile(help)}));
    QCOMPARE(dialogs_->shown.size(), 1);

    // The desktop cannot show it: the message names the file.
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "noSuchSlot");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("noSuchSlot")));
    QVERIFY(!shell::OpenHelpFile(help, main_));
    QCOMPARE(dialogs_->shown.size(), 2);
    QVERIFY(dialogs_->shown[1].text.contains(help));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    // The build puts the documentation beside the program.
    const QString beside = QFileInfo(QStringLiteral(DS_PROGRAM_PATH)).absolutePath() +
                           QStringLiteral("/DataSifter.html");
    QCOMPARE(test::readFile(beside), test::readFile(QStringLiteral(DS_HELP_SOURCE)));
    QVERIFY(test::readFile(beside).contains("<h1"));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
