#include "platform/Drives.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "shell/SettingsModel.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace ds;
using namespace ds::platform;
using ds::shell::SettingsModel;

class TestSettings : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void iniRead_data();
    void iniRead();
    void iniWritePreservesOtherLines_data();
    void iniWritePreservesOtherLines();
    void iniLongValueCut();
    void excludedDrives_data();
    void excludedDrives();
    void mode_data();
    void mode();
    void background_data();
    void background();
    void allowRecollection_data();
    void allowRecollection();
    void foldersKeepOrderAndDropMissing();
    void foldersOnExcludedDriveDropped();
    void addSearchFolderMovesEntry();
    void addSearchFolderPushesOldest();
    void networkModeAndRegistry();
    void readOnlyIniMadeWritable();
    void handEditedIniRoundTrip();
    void firstStartPicksSampleFolder();

  private:
    QString writeIni(const QByteArray& content);
    SettingsModel load(SettingsStore& store);

    std::unique_ptr<QTemporaryDir> dir_;
    QString programFolder_;
};

void TestSettings::init() {
    setPathStyle(PathStyle::Posix);
    dir_ = std::make_unique<QTemporaryDir>();
    programFolder_ = dir_->path() + QLatin1Char('/');
    qputenv("XDG_CONFIG_HOME", (dir_->path() + QStringLiteral("/config")).toLocal8Bit());
}

QString TestSettings::writeIni(const QByteArray& content) {
    const QString path = programFolder_ + QStringLiteral("DataSifter.INI");
    ds::test::writeFile(path, content);
    return path;
}

SettingsModel TestSettings::load(SettingsStore& store) {
    SettingsModel model(store);
    model.LoadSettings(programFolder_, QStringLiteral("DataSifter"));
    return model;
}

void TestSettings::iniRead_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray ini =
        "; Kommentar\r\n[Options]\r\nMode = 01 \r\nBackground=255\r\n"
        "[SearchList]\r\nfolder1=C:\\Daten\\Kunden\r\nQuoted=\"a b\"\r\n";
    QTest::newRow("trimmed") << ini << "Options"
                             << "Mode"
                             << "01";
    QTest::newRow("section case") << ini << "options"
                                  << "BACKGROUND"
                                  << "255";
    QTest::newRow("backslashes kept") << ini << "SearchList"
                                      << "Folder1"
                                      << "C:\\Daten\\Kunden";
    QTest::newRow("quotes dropped") << ini << "SearchList"
                                    << "Quoted"
                                    << "a b";
    QTest::newRow("missing key default") << ini << "Options"
                                         << "Nope"
                                         << "dflt";
    QTest::newRow("missing section default") << ini << "Other"
                                             << "Mode"
                                             << "dflt";
    QTest::newRow("key in wrong section") << ini << "SearchList"
                                          << "Mode"
                                          << "dflt";
    QTest::newRow("cp1252 file") << QByteArray("[A]\nName=M\xFCller\n") << "A"
                                 << "Name" << QStringLiteral("Müller");
    QTest::newRow("utf8 file") << QByteArray("[A]\nName=M\xC3\xBCller\n") << "A"
                               << "Name" << QStringLiteral("Müller");
    QTest::newRow("commented key") << QByteArray("[A]\n;Name=x\n") << "A"
                                   << "Name"
                                   << "dflt";
}

void TestSettings::iniRead() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString path = writeIni(content);
    QCOMPARE(IniFile::read(path, section, key, QStringLiteral("dflt")), expected);
}

void TestSettings::iniWritePreservesOtherLines_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("replace keeps key spelling and CRLF")
        << QByteArray("; c\r\n[options]\r\nmode=11\r\nx=1\r\n") << "Options"
        << "Mode"
        << "01" << QByteArray("; c\r\n[options]\r\nmode=01\r\nx=1\r\n");
    QTest::newRow("same value leaves hand formatting")
        << QByteArray("[Options]\nMode = 01\n") << "Options"
        << "Mode"
        << "01" << QByteArray("[Options]\nMode = 01\n");
    QTest::newRow("new key after last line of section")
        << QByteArray("[A]\nk=1\n\n[B]\nz=2\n") << "A"
        << "n"
        << "v" << QByteArray("[A]\nk=1\nn=v\n\n[B]\nz=2\n");
    QTest::newRow("new section appended") << QByteArray("[A]\nk=1\n") << "Options"
                                          << "Mode"
                                          << "11" << QByteArray("[A]\nk=1\n\n[Options]\nMode=11\n");
    QTest::newRow("empty value written") << QByteArray("[S]\nFolder2=/x\n") << "S"
                                         << "Folder2"
                                         << "" << QByteArray("[S]\nFolder2=\n");
    QTest::newRow("cp1252 stays cp1252") << QByteArray("[A]\nName=M\xFCller\nk=1\n") << "A"
                                         << "k"
                                         << "2" << QByteArray("[A]\nName=M\xFCller\nk=2\n");
}

void TestSettings::iniWritePreservesOtherLines() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const QString path = writeIni(before);
    QVERIFY(IniFile::write(path, section, key, value));
    QCOMPARE(ds::test::readFile(path), after);
}

void TestSettings::iniLongValueCut() {
    const QString path = writeIni("[A]\nk=" + QByteArray(3000, 'x') + "\n");
    QCOMPARE(IniFile::read(path, QStringLiteral("A"), QStringLiteral("k"), QString()).size(),
             IniFile::kMaxValueLength);
}

void TestSettings::excludedDrives_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<bool>("excluded");
    const int letters = int(DriveStyle::Letters), mounts = int(DriveStyle::MountPoints);
    QTest::newRow("c alone excludes nothing") << "c" << letters << " "
                                              << "c:" << false;
    QTest::newRow("two c discard all") << "acc" << letters << ""
                                       << "a:" << false;
    QTest::newRow("upper case letters") << "A:B:" << letters << "a:b:"
                                        << "B:" << true;
    QTest::newRow("c: with others") << "a:c:" << letters << "a: :"
                                    << "c:" << false;
    QTest::newRow("letter not listed") << "a:b:" << letters << "a:b:"
                                       << "d:" << false;
    QTest::newRow("root never excluded") << "/;/home" << mounts << "/home"
                                         << "/" << false;
    QTest::newRow("mount excluded") << "/media/usb; /home/" << mounts << "/media/usb;/home"
                                    << "/home" << true;
    QTest::newRow("mount prefix is not a match") << "/home" << mounts << "/home"
                                                 << "/ho" << false;
    QTest::newRow("entry with label") << "/data" << mounts << "/data"
                                      << "/data [Archiv]" << true;
}

void TestSettings::excludedDrives() {
    QFETCH(QString, stored);
    QFETCH(int, style);
    QFETCH(QString, expected);
    QFETCH(QString, drive);
    QFETCH(bool, excluded);
    const QString list = normaliseExcludedDrives(stored, DriveStyle(style));
    QCOMPARE(list, expected);
    QCOMPARE(isDriveExcluded(drive, list, DriveStyle(style)), excluded);
}

void TestSettings::mode_data() {
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("mouse");
    QTest::addColumn<bool>("statusBar");
    QTest::addColumn<bool>("label");
    QTest::newRow("missing") << QByteArray() << true << true << true;
    QTest::newRow("one char is 11") << QByteArray("1") << true << true << true;
    QTest::newRow("three chars is 11") << QByteArray("000") << true << true << true;
    QTest::newRow("00") << QByteArray("00") << false << false << false;
    QTest::newRow("20 first only") << QByteArray("20") << true << false << false;
    QTest::newRow("12 checked, label hidden") << QByteArray("12") << true << true << false;
    QTest::newRow("0x letters count 0") << QByteArray("0x") << false << false << false;
}

void TestSettings::mode() {
    QFETCH(QByteArray, mode);
    QFETCH(bool, mouse);
    QFETCH(bool, statusBar);
    QFETCH(bool, label);
    writeIni(mode.isNull() ? QByteArray("[Options]\n") : "[Options]\nMode=" + mode + "\n");
    SettingsStore store;
    const SettingsModel m = load(store);
    QCOMPARE(m.view.mouseFunctional, mouse);
    QCOMPARE(m.view.statusBarChecked, statusBar);
    QCOMPARE(m.view.statusLabelVisible, label);
}

void TestSettings::background_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("colour");
    QTest::newRow("empty keeps design") << QByteArray("") << SettingsModel::kDesignBackground;
    QTest::newRow("pure red") << QByteArray("255") << 255;
    QTest::newRow("system colour") << QByteArray("-2147483633") << -2147483633;
    QTest::newRow("rounded") << QByteArray("16711680.6") << 16711681;
    QTest::newRow("text is 0") << QByteArray("blau") << 0;
}

void TestSettings::background() {
    QFETCH(QByteArray, stored);
    QFETCH(int, colour);
    writeIni("[Options]\nBackground=" + stored + "\n");
    SettingsStore store;
    QCOMPARE(load(store).backgroundColour, colour);
}

void TestSettings::allowRecollection_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("missing") << QByteArray() << true;
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("00") << QByteArray("00") << false;
    QTest::newRow("no") << QByteArray("no") << false;
}

void TestSettings::allowRecollection() {
    QFETCH(QByteArray, value);
    QFETCH(bool, allowed);
    QDir(dir_->path()).mkpath(QStringLiteral("a"));
    QDir(dir_->path()).mkpath(QStringLiteral("b"));
    const QString a = dir_->filePath(QStringLiteral("a"));
    const QString b = dir_->filePath(QStringLiteral("b"));
    QByteArray ini = "[SearchList]\nFolder1=" + a.toUtf8() + "\n";
    if (!value.isNull())
        ini += "AllowRecollection=" + value + "\n";
    const QString path = writeIni(ini);
    SettingsStore store;
    SettingsModel m = load(store);
    QCOMPARE(m.searchPaths.tag(0), allowed ? a : QString());
    QCOMPARE(m.searchPaths.size(), allowed ? 20 : 1);
    m.AddSearchFolder(b);
    m.AddSearchFolder(a);
    QCOMPARE(m.searchPaths.tag(1), allowed ? b : QString());
    m.TransferSearchList(true);
    const QString folder2 = IniFile::read(path, QStringLiteral("SearchList"),
                                          QStringLiteral("Folder2"), QStringLiteral("<none>"));
    QCOMPARE(folder2, allowed ? b : QStringLiteral("<none>"));
}

void TestSettings::foldersKeepOrderAndDropMissing() {
    QDir root(dir_->path());
    QStringList folders;
    for (const char* n : {"Eins", "Zwei", "Drei"}) {
        root.mkpath(QString::fromLatin1(n));
        folders << root.filePath(QString::fromLatin1(n));
    }
    writeIni("[SearchList]\nFolder1=" + folders[0].toUtf8() +
             "\nFolder2=" + root.filePath(QStringLiteral("Fehlt")).toUtf8() +
             "\nFolder3=" + folders[1].toUtf8() + "\nFolder5=" + folders[2].toUtf8() + "\n");
    SettingsStore store;
    const SettingsModel m = load(store);
    // Mixed case stays as stored on a case-sensitive system.
    QCOMPARE(m.searchPaths.tag(0), folders[0]);
    QCOMPARE(m.searchPaths.tag(1), folders[1]);
    QCOMPARE(m.searchPaths.tag(2), folders[2]);
    QCOMPARE(m.searchPaths.tag(3), QString());
    QVERIFY(m.searchPaths.enabled());
    QCOMPARE(m.initialFolder(), folders[0]);
}

void TestSettings::foldersOnExcludedDriveDropped() {
    // The temporary folder's file system, excluded by mount point, drops its folders.
    const QString drive = driveOfPath(dir_->path());
    if (drive == QLatin1String("/"))
        QSKIP("temporary folder lies on the root file system, which cannot be excluded");
    QDir(dir_->path()).mkpath(QStringLiteral("x"));
    writeIni("[DontAllowConnect]\nDrives=" + drive.toUtf8() +
             "\n[SearchList]\nFolder1=" + dir_->filePath(QStringLiteral("x")).toUtf8() + "\n");
    SettingsStore store;
    const SettingsModel m = load(store);
    QVERIFY(m.programDriveExcluded());
    QCOMPARE(m.searchPaths.tag(0), QString());
}

void TestSettings::addSearchFolderMovesEntry() {
    shell::SearchPathList list;
    list.createEntries();
    for (int i = 9; i >= 0; --i)
        list.AddSearchFolder(QStringLiteral("/f%1").arg(i));
    QVERIFY(list.enabled());
    list.AddSearchFolder(QStringLiteral("/f5"));
    const QStringList expected = {"/f5", "/f0", "/f1", "/f2", "/f3", "/f4", "/f6", "/f7"};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(list.tag(i), expected[i]);
    setPathStyle(PathStyle::Windows);
    list.AddSearchFolder(QStringLiteral("/F7"));  // same folder where names have no case
    QCOMPARE(list.tag(0), QStringLiteral("/F7"));
    QCOMPARE(list.tag(8), QStringLiteral("/f8"));
    QCOMPARE(list.tag(7), QStringLiteral("/f6"));
}

void TestSettings::addSearchFolderPushesOldest() {
    shell::SearchPathList list;
    list.createEntries();
    for (int i = 0; i < 21; ++i)
        list.AddSearchFolder(QStringLiteral("/f%1").arg(i));
    QCOMPARE(list.tag(0), QStringLiteral("/f20"));
    QCOMPARE(list.tag(19), QStringLiteral("/f1"));
}

void TestSettings::networkModeAndRegistry() {
    QDir(dir_->path()).mkpath(QStringLiteral("k"));
    const QString iniPath = writeIni(
        "[DontAllowConnect]\nDrives=/media/usb\n[Options]\nNetworkMode=1\nUseRegistry=1\n"
        "Mode=00\n[SearchList]\nFolder1=" +
        dir_->filePath(QStringLiteral("k")).toUtf8() + "\n");
    const QByteArray before = ds::test::readFile(iniPath);
    SettingsStore store;
    store.setUserStoreFile(dir_->filePath(QStringLiteral("registry.ini")));
    SettingsModel m = load(store);
    QVERIFY(store.useRegistry());
    QCOMPARE(m.excludedDrives(), QStringLiteral("/media/usb"));
    // Nothing after the switch comes from the program folder's INI.
    QVERIFY(m.view.mouseFunctional);
    QCOMPARE(m.searchPaths.tag(0), QString());
    m.AddSearchFolder(dir_->filePath(QStringLiteral("k")));
    m.TransferViewOptions(true);
    m.TransferSearchList(true);
    QCOMPARE(ds::test::readFile(iniPath), before);
    QCOMPARE(store.ReadSetting(QStringLiteral("Options"), QStringLiteral("Mode"), QString(), {}),
             QStringLiteral("11"));
    QCOMPARE(
        store.ReadSetting(QStringLiteral("SearchList"), QStringLiteral("Folder1"), QString(), {}),
        dir_->filePath(QStringLiteral("k")));
}

void TestSettings::readOnlyIniMadeWritable() {
    const QString path = writeIni("[Options]\nMode=11\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    SettingsStore store;
    SettingsModel m = load(store);
    m.view.mouseFunctional = false;
    m.TransferViewOptions(true);
    QCOMPARE(IniFile::read(path, QStringLiteral("Options"), QStringLiteral("Mode"), QString()),
             QStringLiteral("01"));
}

void TestSettings::handEditedIniRoundTrip() {
    QDir root(dir_->path());
    QStringList folders;
    for (const char* n : {"Kunden", "Lieferanten", "Archiv 1998"}) {
        root.mkpath(QString::fromLatin1(n));
        folders << root.filePath(QString::fromLatin1(n));
    }
    const QByteArray original =
        "; Von Hand angelegt\r\n[SearchList]\r\nFolder1=" + folders[0].toUtf8() +
        "\r\nFolder2=" + folders[1].toUtf8() + "\r\nFolder3=" + folders[2].toUtf8() +
        "\r\n\r\n[Options]\r\nMode=01\r\nBackground=255\r\n; Ende\r\n";
    const QString path = writeIni(original);
    SettingsStore store;
    SettingsModel m = load(store);
    QCOMPARE(m.searchPaths.tag(2), folders[2]);
    QVERIFY(!m.view.mouseFunctional);
    QVERIFY(m.view.statusBarChecked);
    QCOMPARE(m.backgroundColour, 255);
    m.TransferViewOptions(true);
    m.TransferSearchList(true);
    // Every original line is still there, in place; the only additions are the empty keys of
    // the unused list entries, placed after Folder3.
    QByteArray expected = original;
    QByteArray empties;
    for (int i = 4; i <= 19; ++i)
        empties += "Folder" + QByteArray::number(i) + "=\r\n";
    expected.replace("Folder3=" + folders[2].toUtf8() + "\r\n",
                     "Folder3=" + folders[2].toUtf8() + "\r\n" + empties);
    QCOMPARE(ds::test::readFile(path), expected);
}

void TestSettings::firstStartPicksSampleFolder() {
    SettingsStore store;
    QCOMPARE(load(store).initialFolder(), programFolder_);
    QDir(dir_->path()).mkpath(SettingsModel::sampleFolderName());
    QCOMPARE(load(store).initialFolder(), programFolder_ + SettingsModel::sampleFolderName());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
