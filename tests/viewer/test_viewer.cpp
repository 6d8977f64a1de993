// The record viewer's logic without windows: opening (password, table choice, exclusive and
// shared), structure and record, navigation, hits of the result grid, the clipboard text, the
// associated application and the command line's --show.
#include "dbengine/EngineError.h"
#include "platform/FileAssociations.h"
#include "platform/Paths.h"
#include "search/ResultTable.h"
#include "support/FakeDialogs.h"
#include "support/MemoryDatabase.h"
#include "viewer/DefaultApplication.h"
#include "viewer/HitLocation.h"
#include "viewer/RecordShow.h"
#include "viewer/RecordView.h"
#include "viewer/ValueText.h"

#include <QDateTime>
#include <QtTest>

#include <map>

using namespace ds;
using namespace ds::viewer;
using ds::test::FakeDialogs;
using ds::test::MemoryDatabaseSpec;
using ds::test::MemoryEngine;
using ds::test::MemoryTable;
namespace t = ds::db::type;

namespace {

const QString kCancel = QStringLiteral("<cancel>");

// Answers the viewer's questions from a script; "<cancel>" cancels, no answer left cancels.
class ScriptedPrompts final : public ViewerPrompts {
  public:
    std::optional<QString> queryPassword(const QString& title, const QString& prompt) override {
        ++passwordQuestions;
        lastPasswordTitle = title;
        lastPasswordPrompt = prompt;
        if (passwords.isEmpty() || passwords.first() == kCancel) {
            if (!passwords.isEmpty())
                passwords.removeFirst();
            return std::nullopt;
        }
        return passwords.takeFirst();
    }
    std::optional<QString> chooseFromList(const QString& title, const QString& heading,
                                          const QStringList& entries) override {
        ++listQuestions;
        listTitle = title;
        listHeading = heading;
        listOffered = entries;
        if (choice == kCancel)
            return std::nullopt;
        return choice;
    }
    QStringList passwords;
    QString choice = kCancel;
    int passwordQuestions = 0;
    int listQuestions = 0;
    QString lastPasswordTitle, lastPasswordPrompt, listTitle, listHeading;
    QStringList listOffered;
};

MemoryTable table(const QString& name, const QList<db::FieldInfo>& fields,
                  const QList<QVariantList>& rows, int attributes = 0) {
    MemoryTable m;
    m.name = name;
    m.fields = fields;
    m.rows = rows;
    m.attributes = attributes;
    return m;
}

// Records R1..Rn of one text field.
MemoryTable numbered(const QString& name, int count) {
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows << QVariantList{QStringLiteral("R%1").arg(i)};
    return table(name, {{QStringLiteral("WERT"), t::Text, 10}}, rows);
}

// A viewer over in-memory Access and dBASE files, fresh fields each time.
struct Viewer {
    Viewer() : access(db::Family::Access), dbase(db::Family::Dbase) {
        platform::setPathStyle(platform::PathStyle::Posix);
        view.attach(&grid, &prompts);
        setUpViewGrid(grid);
    }
    // Hands over a file the way the window does and prepares the view.
    bool open(const QString& path, int format, const QString& tableName = {},
              std::int32_t record = 1) {
        view.FilePath = path;
        view.ConnectPrefix = format == 1 ? QString() : QStringLiteral("dBASE IV");
        view.TableName = tableName;
        view.FormatIndex = std::int16_t(format);
        return view.PrepareView(record);
    }
    // A fresh window: the grid in its design state.
    void newWindow() {
        grid = MemoryViewGrid();
        setUpViewGrid(grid);
    }
    QStringList row(int r) const {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.cellText(r, c);
        return cells;
    }

    FakeDialogs dialogs;
    MemoryEngine access;
    MemoryEngine dbase;
    ScriptedPrompts prompts;
    MemoryViewGrid grid;
    RecordView view;
};

class FakeAssociations final : public platform::FileAssociations {
  public:
    FakeAssociations() { install(this); }
    ~FakeAssociations() override { install(nullptr); }
    QString findExecutable(const QString& filePath) override {
        asked << filePath;
        return executable;
    }
    QString profileString(const QString& section, const QString& key,
                          const QString& defaultValue) override {
        lookups << section + QLatin1Char('/') + key;
        return profile.value(section + QLatin1Char('/') + key, defaultValue);
    }
    void launch(const QString& commandLine) override { launched << commandLine; }

    QString executable;
    QMap<QString, QString> profile;
    QStringList asked, lookups, launched;
};

}  // namespace

class TestViewer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void valueTexts_data();
    void valueTexts();
    void typeNames_data();
    void typeNames();
    void structureAndRecord_data();
    void structureAndRecord();
    void moreThan256Fields();
    void navigation_data();
    void navigation();
    void passwordInListTables_data();
    void passwordInListTables();
    void passwordPartKeptForTheNextFile();
    void exclusiveThenShared_data();
    void exclusiveThenShared();
    void exclusiveKeptWhenNoListing();
    void listingErrors_data();
    void listingErrors();
    void tableChoice_data();
    void tableChoice();
    void oneTableFormat_data();
    void oneTableFormat();
    void tableNotInFormat();
    void locateHit_data();
    void locateHit();
    void clipboardTextOfThreeFields();
    void defaultApplication_data();
    void defaultApplication();
    void showOnCommandLine_data();
    void showOnCommandLine();
};

void TestViewer::valueTexts_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("null") << QVariant() << int(t::Text) << "";
    QTest::newRow("true") << QVariant(true) << int(t::Boolean) << "Wahr";
    QTest::newRow("false") << QVariant(false) << int(t::Boolean) << "Falsch";
    QTest::newRow("boolean as number") << QVariant(-1) << int(t::Boolean) << "Wahr";
    QTest::newRow("long") << QVariant(-4711) << int(t::Long) << "-4711";
    QTest::newRow("big long, no separators") << QVariant(1234567) << int(t::Long) << "1234567";
    QTest::newRow("double comma") << QVariant(3.25) << int(t::Double) << "3,25";
    QTest::newRow("double 15 digits")
        << QVariant(1.0 / 3.0) << int(t::Double) << "0,333333333333333";
    QTest::newRow("double large exponent") << QVariant(1.5e20) << int(t::Double) << "1,5E+20";
    QTest::newRow("double small exponent") << QVariant(0.00001) << int(t::Double) << "1E-05";
    QTest::newRow("double small plain") << QVariant(0.0001) << int(t::Double) << "0,0001";
    QTest::newRow("double whole") << QVariant(100000.0) << int(t::Double) << "100000";
    QTest::newRow("single 7 digits") << QVariant(0.1f) << int(t::Single) << "0,1";
    QTest::newRow("single held as double") << QVariant(double(0.1f)) << int(t::Single) << "0,1";
    QTest::newRow("currency") << QVariant(12.5) << int(t::Currency) << "12,5";
    QTest::newRow("currency four decimals") << QVariant(-0.1234) << int(t::Currency) << "-0,1234";
    QTest::newRow("date only") << QVariant(QDateTime(QDate(2001, 2, 3), QTime(0, 0)))
                               << int(t::Date) << "03.02.2001";
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 5, 9)))
                                   << int(t::Date) << "31.12.1999 23:05:09";
    QTest::newRow("time on zero date")
        << QVariant(QDateTime(QDate(1899, 12, 30), QTime(8, 30, 0))) << int(t::Date) << "08:30:00";
    QTest::newRow("invalid date") << QVariant(QDateTime()) << int(t::Date) << "";
    QTest::newRow("text") << QVariant(QStringLiteral("Müller")) << int(t::Text) << "Müller";
    QTest::newRow("binary") << QVariant(QByteArray(1234, 'x')) << int(t::LongBinary)
                            << "(Binärdaten, 1234 Bytes)";
    QTest::newRow("empty binary") << QVariant(QByteArray()) << int(t::LongBinary) << "";
    QTest::newRow("no text form") << QVariant(QPointF(1, 2)) << 99 << "";
}

void TestViewer::valueTexts() {
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(valueText(value, type), text);
}

void TestViewer::typeNames_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    const char* names[] = {"",         "Boolean",    "Byte",   "Integer", "Long",
                           "Currency", "Single",     "Double", "Datum",   "",
                           "Text",     "Longbinary", "Memo"};
    for (int code = 0; code <= 12; ++code)
        QTest::addRow("code %d", code) << code << QString::fromUtf8(names[code]);
    QTest::newRow("guid") << 15 << "";
    QTest::newRow("negative") << -1 << "";
}

void TestViewer::typeNames() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(typeName(code), name);
}

void TestViewer::structureAndRecord_data() {
    QTest::addColumn<QList<db::FieldInfo>>("fields");
    QTest::addColumn<QList<QVariantList>>("rows");
    QTest::addColumn<int>("record");
    QTest::addColumn<QList<QStringList>>("expected");  // grid rows from row 1
    QTest::addColumn<int>("total");

    const QList<QVariantList> two = {{QStringLiteral("Karl"), 7}, {QStringLiteral("Eva"), 8}};
    const QList<db::FieldInfo> nameNr = {{QStringLiteral("NAME"), t::Text, 20},
                                         {QStringLiteral("NR"), t::Long, 4}};
    QTest::newRow("one field") << QList<db::FieldInfo>{{QStringLiteral("NAME"), t::Text, 20}}
                               << QList<QVariantList>{{QStringLiteral("Karl")}} << 1
                               << QList<QStringList>{{"1", "NAME", "Text", "20", "Karl"}} << 1;
    QTest::newRow("second record")
        << nameNr << two << 2
        << QList<QStringList>{{"1", "NAME", "Text", "20", "Eva"}, {"2", "NR", "Long", "4", "8"}}
        << 2;
    QTest::newRow("record 0 shows the first")
        << nameNr << two << 0
        << QList<QStringList>{{"1", "NAME", "Text", "20", "Karl"}, {"2", "NR", "Long", "4", "7"}}
        << 2;
    QTest::newRow("beyond the end shows empty values")
        << nameNr << two << 5
        << QList<QStringList>{{"1", "NAME", "Text", "20", ""}, {"2", "NR", "Long", "4", ""}} << 2;
    QTest::newRow("empty table") << nameNr << QList<QVariantList>{} << 1
                                 << QList<QStringList>{{"1", "NAME", "Text", "20", ""},
                                                       {"2", "NR", "Long", "4", ""}}
                                 << 0;
    QTest::newRow("unknown type after a known one")
        << QList<db::FieldInfo>{{QStringLiteral("NR"), t::Long, 4},
                                {QStringLiteral("ID"), t::Guid, 16},
                                {QStringLiteral("AM"), t::Date, 8}}
        << QList<QVariantList>{{1, QVariant(), QDateTime(QDate(2020, 5, 1), QTime(0, 0))}} << 1
        << QList<QStringList>{{"1", "NR", "Long", "4", "1"},
                              {"2", "ID", "", "16", ""},
                              {"3", "AM", "Datum", "8", "01.05.2020"}}
        << 1;
    QTest::newRow("null and binary")
        << QList<db::FieldInfo>{{QStringLiteral("NOTIZ"), t::Memo, 0},
                                {QStringLiteral("BILD"), t::LongBinary, 0}}
        << QList<QVariantList>{{QVariant(), QByteArray("\x01\x02\x03", 3)}} << 1
        << QList<QStringList>{{"1", "NOTIZ", "Memo", "0", ""},
                              {"2", "BILD", "Longbinary", "0", "(Binärdaten, 3 Bytes)"}}
        << 1;
}

void TestViewer::structureAndRecord() {
    QFETCH(QList<db::FieldInfo>, fields);
    QFETCH(QList<QVariantList>, rows);
    QFETCH(int, record);
    QFETCH(QList<QStringList>, expected);
    QFETCH(int, total);
    Viewer v;
    v.access.add(QStringLiteral("/d/a.mdb"),
                 MemoryDatabaseSpec({table(QStringLiteral("T"), fields, rows)}));
    QVERIFY(v.open(QStringLiteral("/d/a.mdb"), 1, {}, record));
    QCOMPARE(v.grid.rowCount(), int(expected.size()) + 1);
    for (int r = 0; r < expected.size(); ++r)
        QCOMPARE(v.row(r + 1), expected[r]);
    QCOMPARE(v.view.CurrentRecord, record);
    QCOMPARE(v.view.RecordTotal, total);
    QVERIFY(v.dialogs.messages().isEmpty());
}

void TestViewer::moreThan256Fields() {
    QList<db::FieldInfo> fields;
    QVariantList values;
    for (int i = 1; i <= 300; ++i) {
        fields << db::FieldInfo{QStringLiteral("F%1").arg(i), i == 300 ? 99 : t::Text, i};
        values << QStringLiteral("V%1").arg(i);
    }
    Viewer v;
    v.access.add(QStringLiteral("/d/wide.mdb"),
                 MemoryDatabaseSpec({table(QStringLiteral("Breit"), fields, {values})}));
    QVERIFY(v.open(QStringLiteral("/d/wide.mdb"), 1));
    QCOMPARE(v.view.FieldRowCounter, std::int16_t(255));
    QCOMPARE(v.grid.rowCount(), 257);
    QCOMPARE(v.row(255), (QStringList{"255", "F255", "Text", "255", "V255"}));
    // The last field lands in row 256; its unknown type leaves the type cell empty although
    // the fields written there before had one.
    QCOMPARE(v.row(256), (QStringList{"256", "F300", "", "300", "V300"}));
}

void TestViewer::navigation_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("answer");  // "?" only; "<cancel>" cancels
    QTest::addColumn<int>("shown");       // CurrentRecord afterwards
    QTest::addColumn<bool>("loaded");     // whether a record was loaded again

    QTest::newRow("« on 1 stays") << 5 << 1 << 2 << "" << 1 << true;
    QTest::newRow("« goes back") << 5 << 3 << 2 << "" << 2 << true;
    QTest::newRow("» on the last stays") << 5 << 5 << 3 << "" << 5 << true;
    QTest::newRow("» from record 0 shows 1 again") << 5 << 0 << 3 << "" << 1 << true;
    QTest::newRow("» beyond the end comes back") << 5 << 9 << 3 << "" << 5 << true;
    QTest::newRow("» in an empty table") << 0 << 1 << 3 << "" << 1 << true;
    QTest::newRow("? number") << 5 << 1 << 4 << "4" << 4 << true;
    QTest::newRow("? rounds") << 5 << 1 << 4 << "2.6" << 3 << true;
    QTest::newRow("? above the count") << 5 << 1 << 4 << "99" << 5 << true;
    QTest::newRow("? negative") << 5 << 4 << 4 << "-7" << 1 << true;
    QTest::newRow("? zero does nothing") << 5 << 3 << 4 << "0" << 3 << false;
    QTest::newRow("? text does nothing") << 5 << 3 << 4 << "drei" << 3 << false;
    QTest::newRow("? empty does nothing") << 5 << 3 << 4 << "" << 3 << false;
    QTest::newRow("? cancel does nothing") << 5 << 3 << 4 << kCancel << 3 << false;
}

void TestViewer::navigation() {
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(int, button);
    QFETCH(QString, answer);
    QFETCH(int, shown);
    QFETCH(bool, loaded);
    Viewer v;
    v.access.add(QStringLiteral("/d/n.mdb"), MemoryDatabaseSpec({numbered("N", count)}));
    QVERIFY(v.open(QStringLiteral("/d/n.mdb"), 1, {}, start));
    if (button == 4) {
        if (answer == kCancel)
            v.dialogs.cancelInput();
        else
            v.dialogs.answerInput(answer);
    }
    const int opensBefore = v.access.openCount();
    v.view.Navigate(button);
    QCOMPARE(v.view.CurrentRecord, shown);
    QCOMPARE(v.access.openCount() > opensBefore, loaded);
    if (loaded)
        QCOMPARE(v.grid.cellText(1, 4), count ? QStringLiteral("R%1").arg(shown) : QString());
    if (button == 4) {
        QCOMPARE(v.dialogs.shown.size(), 1);
        QCOMPARE(v.dialogs.shown[0].title, QStringLiteral("Gehezu..."));
        QCOMPARE(v.dialogs.shown[0].text,
                 QStringLiteral("Bitte geben Sie die gewünschte Position / Nummer des "
                                "Datensatzes, der eingesehen werden soll, ein:|%1")
                     .arg(count));
    }
}

void TestViewer::passwordInListTables_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QStringList>("tried");

    QTest::newRow("right at once")
        << QStringList{"geheim"} << true << 1 << QStringList{"", "geheim", "geheim", "geheim"};
    QTest::newRow("wrong asks again") << QStringList{"falsch", "geheim"} << true << 2
                                      << QStringList{"", "falsch", "geheim", "geheim", "geheim"};
    QTest::newRow("wrong then cancel")
        << QStringList{"falsch", kCancel} << false << 2 << QStringList{"", "falsch"};
    QTest::newRow("empty input counts as cancel")
        << QStringList{""} << false << 1 << QStringList{""};
}

void TestViewer::passwordInListTables() {
    QFETCH(QStringList, answers);
    QFETCH(bool, opened);
    QFETCH(int, questions);
    QFETCH(QStringList, tried);
    Viewer v;
    v.access.add(QStringLiteral("/d/p.mdb"),
                 MemoryDatabaseSpec({numbered("Kunden", 1)}, QStringLiteral("geheim")));
    v.prompts.passwords = answers;
    QCOMPARE(v.open(QStringLiteral("/d/p.mdb"), 1), opened);
    QCOMPARE(v.prompts.passwordQuestions, questions);
    QCOMPARE(v.prompts.lastPasswordTitle, QStringLiteral("Kennwort-Schutz"));
    QCOMPARE(v.prompts.lastPasswordPrompt,
             QStringLiteral("Die Datenbank ist durch ein Kennwort geschützt!\r\nBitte geben Sie "
                            "das Kennwort an:"));
    QCOMPARE(v.access.passwordsTried, tried);
    QVERIFY(v.dialogs.messages().isEmpty());  // cancelling closes quietly
    QCOMPARE(v.view.PasswordPart, opened ? QStringLiteral(";PWD=geheim;") : QString());
    if (opened)
        QCOMPARE(v.grid.cellText(1, 4), QStringLiteral("R1"));
}

void TestViewer::passwordPartKeptForTheNextFile() {
    Viewer v;
    const MemoryDatabaseSpec spec({numbered("T", 1)}, QStringLiteral("geheim"));
    v.access.add(QStringLiteral("/d/a.mdb"), spec);
    v.access.add(QStringLiteral("/d/b.mdb"), spec);
    v.access.add(QStringLiteral("/d/c.mdb"),
                 MemoryDatabaseSpec({numbered("T", 1)}, QStringLiteral("anders")));
    v.prompts.passwords = {QStringLiteral("geheim")};
    QVERIFY(v.open(QStringLiteral("/d/a.mdb"), 1));
    v.newWindow();
    QVERIFY(v.open(QStringLiteral("/d/b.mdb"), 1));
    QCOMPARE(v.prompts.passwordQuestions, 1);  // sent along, not asked again
    v.newWindow();
    v.prompts.passwords = {QStringLiteral("anders")};
    QVERIFY(v.open(QStringLiteral("/d/c.mdb"), 1));
    QCOMPARE(v.prompts.passwordQuestions, 2);  // a different password is asked for
    QCOMPARE(v.view.PasswordPart, QStringLiteral(";PWD=anders;"));
}

void TestViewer::exclusiveThenShared_data() {
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("sharedLocked");
    QTest::addColumn<QList<bool>>("flags");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("free: exclusive throughout")
        << false << false << QList<bool>{true, true, true} << true << QStringList{};
    QTest::newRow("locked: shared from then on")
        << true << false << QList<bool>{true, false, false, false} << true << QStringList{};
    QTest::newRow("locked also shared: message")
        << true << true << QList<bool>{true, false} << false
        << QStringList{QStringLiteral("Datenbank kann nicht geöffnet werden!\r\n\r") +
                       db::engineMessage(db::err::ExclusiveByOther)};
}

void TestViewer::exclusiveThenShared() {
    QFETCH(bool, locked);
    QFETCH(bool, sharedLocked);
    QFETCH(QList<bool>, flags);
    QFETCH(bool, opened);
    QFETCH(QStringList, messages);
    Viewer v;
    MemoryDatabaseSpec spec({numbered("T", 1)});
    spec.lockedByOther = locked;
    spec.sharedAlsoLocked = sharedLocked;
    v.access.add(QStringLiteral("/d/x.mdb"), spec);
    QCOMPARE(v.open(QStringLiteral("/d/x.mdb"), 1), opened);
    QCOMPARE(v.access.exclusiveFlags, flags);
    QCOMPARE(v.dialogs.messages(), messages);
    if (!messages.isEmpty()) {
        QCOMPARE(v.dialogs.shown[0].icon, platform::Icon::Critical);
        QVERIFY(v.dialogs.shown[0].title.isEmpty());
    }
}

void TestViewer::exclusiveKeptWhenNoListing() {
    Viewer v;
    v.access.add(QStringLiteral("/d/free.mdb"), MemoryDatabaseSpec({numbered("T", 1)}));
    MemoryDatabaseSpec locked({numbered("T", 1)});
    locked.lockedByOther = true;
    v.access.add(QStringLiteral("/d/locked.mdb"), locked);
    v.dbase.add(QStringLiteral("/d/k.dbf"), MemoryDatabaseSpec({numbered("", 1)}));

    // A fresh run opens shared when no listing runs: table handed over, or a one-table format.
    QVERIFY(v.open(QStringLiteral("/d/free.mdb"), 1, QStringLiteral("T")));
    QCOMPARE(v.access.exclusiveFlags, (QList<bool>{false, false}));
    v.newWindow();
    QVERIFY(v.open(QStringLiteral("/d/free.mdb"), 1));
    QVERIFY(v.view.OpenExclusive);
    v.newWindow();
    QVERIFY(v.open(QStringLiteral("/d/k.dbf"), 3));
    QCOMPARE(v.dbase.exclusiveFlags, (QList<bool>{true, true}));
    v.newWindow();
    QVERIFY(v.open(QStringLiteral("/d/locked.mdb"), 1));
    v.newWindow();
    QVERIFY(v.open(QStringLiteral("/d/k.dbf"), 3));
    QCOMPARE(v.dbase.exclusiveFlags, (QList<bool>{true, true, false, false}));
}

void TestViewer::listingErrors_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("in use") << int(db::err::FileInUse)
                            << "Datenbank kann nicht geöffnet werden!\r\n\r/d/e.mdb\r";
    QTest::newRow("wrong format")
        << int(db::err::WrongFormat)
        << "Es wurde für die gewünschte Datei das falsche Format gewählt!";
    QTest::newRow("other") << int(db::err::CorruptDatabase)
                           << QStringLiteral("Datenbank kann nicht geöffnet werden!\r\n") +
                                  db::engineMessage(db::err::CorruptDatabase, "/d/e.mdb") +
                                  QStringLiteral(" 3049");
}

void TestViewer::listingErrors() {
    QFETCH(int, error);
    QFETCH(QString, message);
    Viewer v;
    MemoryDatabaseSpec spec({numbered("T", 1)});
    spec.openError = error;
    v.access.add(QStringLiteral("/d/e.mdb"), spec);
    QVERIFY(!v.open(QStringLiteral("/d/e.mdb"), 1));
    QCOMPARE(v.dialogs.messages(), QStringList{message});
    QCOMPARE(v.access.openCount(), 1);  // nothing is retried after the box
}

void TestViewer::tableChoice_data() {
    QTest::addColumn<QList<MemoryTable>>("tables");
    QTest::addColumn<QString>("handedOver");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<QStringList>("offered");  // empty: no question

    const MemoryTable system =
        table(QStringLiteral("MSysObjects"), {{QStringLiteral("ID"), t::Long, 4}}, {{1}}, 2);
    const MemoryTable linked =
        table(QStringLiteral("Extern"), {{QStringLiteral("ID"), t::Long, 4}}, {{1}}, 0x40000000);
    QTest::newRow("one ordinary table opens at once")
        << QList<MemoryTable>{system, numbered("Kunden", 1), linked} << "" << kCancel << true
        << "Kunden" << QStringList{};
    QTest::newRow("no ordinary table closes quietly")
        << QList<MemoryTable>{system, linked} << "" << kCancel << false << "" << QStringList{};
    QTest::newRow("several: chosen")
        << QList<MemoryTable>{numbered("Kunden", 1), system, numbered("Orte", 2)} << ""
        << "Orte" << true << "Orte" << QStringList{"Kunden", "Orte"};
    QTest::newRow("several: cancelled")
        << QList<MemoryTable>{numbered("Kunden", 1), numbered("Orte", 2)} << "" << kCancel << false
        << "" << QStringList{"Kunden", "Orte"};
    QTest::newRow("several: empty choice")
        << QList<MemoryTable>{numbered("Kunden", 1), numbered("Orte", 2)} << ""
        << "" << false << "" << QStringList{"Kunden", "Orte"};
    QTest::newRow("handed over: no listing")
        << QList<MemoryTable>{numbered("Kunden", 1), numbered("Orte", 2)} << "Orte" << kCancel
        << true << "Orte" << QStringList{};
    QTest::newRow("blank table name lists") << QList<MemoryTable>{numbered("Kunden", 1)} << "   "
                                            << kCancel << true << "Kunden" << QStringList{};
}

void TestViewer::tableChoice() {
    QFETCH(QList<MemoryTable>, tables);
    QFETCH(QString, handedOver);
    QFETCH(QString, choice);
    QFETCH(bool, opened);
    QFETCH(QString, tableName);
    QFETCH(QStringList, offered);
    Viewer v;
    v.access.add(QStringLiteral("/daten/adressen.mdb"), MemoryDatabaseSpec(tables));
    v.prompts.choice = choice;
    QCOMPARE(v.open(QStringLiteral("/daten/adressen.mdb"), 1, handedOver), opened);
    QVERIFY(v.dialogs.messages().isEmpty());
    QCOMPARE(v.prompts.listQuestions, offered.isEmpty() ? 0 : 1);
    QCOMPARE(v.prompts.listOffered, offered);
    if (!offered.isEmpty()) {
        QCOMPARE(v.prompts.listTitle, QStringLiteral("Tabellen"));
        QCOMPARE(v.prompts.listHeading, QStringLiteral("adressen.mdb"));
    }
    if (opened) {
        QCOMPARE(v.view.TableName, tableName);
        QCOMPARE(v.view.DatabaseName, QStringLiteral("/daten/adressen.mdb"));
        QCOMPARE(v.grid.cellText(1, 4), QStringLiteral("R1"));
        // Listing opens once; structure and record once each.
        QCOMPARE(v.access.openCount(), handedOver.trimmed().isEmpty() ? 3 : 2);
    }
}

void TestViewer::oneTableFormat_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("plain") << "" << QStringList{} << true << QStringList{};
    QTest::newRow("password asked in the structure load")
        << "pw" << QStringList{"nein", "pw"} << true << QStringList{};
    QTest::newRow("password cancelled: the engine's message")
        << "pw" << QStringList{kCancel} << false
        << QStringList{db::engineMessage(db::err::NotAPassword)};
}

void TestViewer::oneTableFormat() {
    QFETCH(QString, password);
    QFETCH(QStringList, answers);
    QFETCH(bool, loaded);
    QFETCH(QStringList, messages);
    Viewer v;
    v.dbase.add(QStringLiteral("/daten/kunden.dbf"),
                MemoryDatabaseSpec({numbered("", 3)}, password));
    v.prompts.passwords = answers;
    // PrepareView returns true whatever the loads report; the window then shows.
    QVERIFY(v.open(QStringLiteral("/daten/kunden.dbf"), 3, {}, 2));
    QCOMPARE(v.view.DatabaseName, QStringLiteral("/daten/"));
    QCOMPARE(v.view.TableName, QStringLiteral("kunden.dbf"));
    QCOMPARE(v.dialogs.messages(), messages);
    QCOMPARE(v.view.structureFieldCount(), loaded ? 1 : 0);
    QCOMPARE(v.grid.cellText(1, 1), loaded ? QStringLiteral("WERT") : QString());
    QCOMPARE(v.grid.cellText(1, 4), loaded ? QStringLiteral("R2") : QString());
    // The record load asks nothing.
    QCOMPARE(v.prompts.passwordQuestions, int(answers.size()));
}

void TestViewer::tableNotInFormat() {
    Viewer v;
    MemoryTable broken = numbered("Kunden", 1);
    broken.openError = db::err::WrongFormat;
    v.access.add(QStringLiteral("/d/b.mdb"), MemoryDatabaseSpec({broken}));
    QVERIFY(v.open(QStringLiteral("/d/b.mdb"), 1));
    QCOMPARE(v.dialogs.messages(),
             QStringList{QStringLiteral("Die Datei liegt nicht im vorgeschlagenen Format vor!")});
    QCOMPARE(v.grid.rowCount(), 2);
    QVERIFY(v.grid.cellText(1, 1).isEmpty());
}

void TestViewer::locateHit_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("rows");  // from grid row 2 on
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("path");  // empty: nothing opens
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("record");

    const QStringList access = {"",
                                "»\t/daten/kunden",
                                "\tadressen.mdb\tKunden\t12\tMeier",
                                "\tadressen.mdb\tKunden\t\tMeier",
                                "",
                                "»\t/daten/alt/",
                                "\tarchiv.mdb\tAlt\t3\tSchulz"};
    QTest::newRow("layout 0 hit") << 0 << "1" << access << 4 << "/daten/kunden/adressen.mdb"
                                  << "Kunden" << 12;
    QTest::newRow("folder with separator") << 0 << "1" << access << 8 << "/daten/alt/archiv.mdb"
                                           << "Alt" << 3;
    QTest::newRow("empty record cell") << 0 << "1" << access << 5 << ""
                                       << "" << 0;
    QTest::newRow("folder row") << 0 << "1" << access << 3 << ""
                                << "" << 0;
    QTest::newRow("separator row") << 0 << "1" << access << 6 << ""
                                   << "" << 0;
    QTest::newRow("heading row") << 0 << "1" << access << 0 << ""
                                 << "" << 0;
    QTest::newRow("empty row 1") << 0 << "1" << access << 1 << ""
                                 << "" << 0;
    QTest::newRow("format 13 takes columns 2 and 3")
        << 0 << "13" << QStringList{"", "»\t/x", "\tmappe.xls\tTabelle1$\t7\tA"} << 4
        << "/x/mappe.xls"
        << "Tabelle1$" << 7;
    QTest::newRow("format 2 takes the record from column 2")
        << 1 << "2" << QStringList{"", "»\t/x", "\tkunden.dbf\t5\tMeier"} << 4 << "/x/kunden.dbf"
        << "" << 5;
    QTest::newRow("record number rounded")
        << 1 << "2" << QStringList{"", "»\t/x", "\tkunden.dbf\t5.5\tMeier"} << 4 << "/x/kunden.dbf"
        << "" << 6;
    QTest::newRow("file search apart: record 0")
        << 2 << "4" << QStringList{"", "»\t/x", "\tk.dbf\t1024\t01.01.2001\t10:00\tA"} << 4
        << "/x/k.dbf"
        << "" << 0;
    QTest::newRow("no folder row above") << 2 << "4" << QStringList{"\tlost.dbf"} << 2 << ""
                                         << "" << 0;
    QTest::newRow("full names") << 3 << "2" << QStringList{"\t/a b/k.dbf\t1", "\t/c/k2.dbf\t2"} << 3
                                << "/c/k2.dbf"
                                << "" << 0;
    QTest::newRow("full names heading row") << 3 << "2" << QStringList{"\t/c/k.dbf"} << 0 << ""
                                            << "" << 0;
}

void TestViewer::locateHit() {
    QFETCH(int, layout);
    QFETCH(QString, format);
    QFETCH(QStringList, rows);
    QFETCH(int, clicked);
    QFETCH(QString, path);
    QFETCH(QString, table);
    QFETCH(int, record);
    platform::setPathStyle(platform::PathStyle::Posix);
    search::ResultTable grid;
    QList<search::ColumnSpec> columns = {{QString()}, {QStringLiteral("Datei")}};
    for (int c = 2; c < 7; ++c)
        columns << search::ColumnSpec{QStringLiteral("Spalte%1").arg(c)};
    grid.setColumns(columns);
    for (const QString& row : rows)
        grid.addItem(row);
    const std::optional<HitLocation> hit = viewer::locateHit(grid, clicked, layout, format);
    QCOMPARE(hit.has_value(), !path.isEmpty());
    if (hit) {
        QCOMPARE(hit->fullPath, path);
        QCOMPARE(hit->tableName, table);
        QCOMPARE(hit->recordNumber, record);
    }
}

void TestViewer::clipboardTextOfThreeFields() {
    Viewer v;
    v.access.add(QStringLiteral("/d/c.mdb"),
                 MemoryDatabaseSpec({table(QStringLiteral("T"),
                                           {{QStringLiteral("NAME"), t::Text, 20},
                                            {QStringLiteral("NR"), t::Integer, 2},
                                            {QStringLiteral("OK"), t::Boolean, 1}},
                                           {{QStringLiteral("Karl"), 3, true}})}));
    QVERIFY(v.open(QStringLiteral("/d/c.mdb"), 1));
    const QString text = gridClipboardText(v.grid);
    QCOMPARE(text, QStringLiteral("\tFeldname\tFeldtyp\tLänge\tDatensatz-Inhalt\r\n"
                                  "1\tNAME\tText\t20\tKarl\r\n"
                                  "2\tNR\tInteger\t2\t3\r\n"
                                  "3\tOK\tBoolean\t1\tWahr\r\n"));
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    for (const QString& line : lines)
        QCOMPARE(line.split(QLatin1Char('\t')).size(), 5);
}

void TestViewer::defaultApplication_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QStringList>("profile");  // "section/key=value"
    QTest::addColumn<QString>("launched");     // empty: nothing started
    QTest::addColumn<bool>("noAssociation");   // "Keine Verknüpfung gefunden!"

    QTest::newRow("associated") << "/d/a.mdb"
                                << "/usr/bin/mdbview" << QStringList{}
                                << "/usr/bin/mdbview /d/a.mdb" << false;
    QTest::newRow("blank in the path is quoted")
        << "/d/meine daten/a.mdb"
        << "office --base" << QStringList{} << "office --base \"/d/meine daten/a.mdb\"" << false;
    QTest::newRow("profile entry with program path")
        << "/d/a.mdb"
        << ""
        << QStringList{"Extensions/mdb=msaccess.exe ^.mdb",
                       "programs/msaccess.exe=C:\\Office\\msaccess.exe"}
        << "C:\\Office\\msaccess.exe /d/a.mdb" << false;
    QTest::newRow("profile entry without program path")
        << "/d/a.mdb"
        << "" << QStringList{"Extensions/mdb=msaccess.exe ^.mdb"} << "msaccess.exe /d/a.mdb"
        << false;
    QTest::newRow("no association") << "/d/a.mdb"
                                    << "" << QStringList{} << "" << true;
    QTest::newRow("empty profile entry") << "/d/a.mdb"
                                         << "" << QStringList{"Extensions/mdb="} << "" << true;
    QTest::newRow("no extension ends silently") << "/d/liesmich"
                                                << "" << QStringList{} << "" << false;
    QTest::newRow("dot at the end ends silently") << "/d/a."
                                                  << "" << QStringList{} << "" << false;
    QTest::newRow("dot only in the folder") << "/d.alt/liesmich"
                                            << "" << QStringList{} << "" << false;
}

void TestViewer::defaultApplication() {
    QFETCH(QString, path);
    QFETCH(QString, executable);
    QFETCH(QStringList, profile);
    QFETCH(QString, launched);
    QFETCH(bool, noAssociation);
    platform::setPathStyle(platform::PathStyle::Posix);
    FakeDialogs dialogs;
    FakeAssociations service;
    service.executable = executable;
    for (const QString& entry : profile) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        service.profile.insert(entry.left(eq), entry.mid(eq + 1));
    }
    StartDefaultApplication(path, platform::FileAssociations::current());
    QCOMPARE(service.asked, QStringList{path});
    QCOMPARE(service.launched, launched.isEmpty() ? QStringList{} : QStringList{launched});
    QCOMPARE(dialogs.messages(), noAssociation
                                     ? QStringList{QStringLiteral("Keine Verknüpfung gefunden!")}
                                     : QStringList{});
    if (noAssociation)
        QCOMPARE(dialogs.shown[0].icon, platform::Icon::Information);
}

void TestViewer::showOnCommandLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("password");  // "<none>": not given
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");  // a part of stderr

    const QString grid =
        QStringLiteral("\tFeldname\tFeldtyp\tLänge\tDatensatz-Inhalt\r\n1\tWERT\tText\t10\tR2\r\n");
    QTest::newRow("several tables, none named")
        << "/d/zwei.mdb" << 1 << ""
        << "<none>" << 2 << ""
        << "enthält mehrere Tabellen; --table NAME wählt eine davon:\n  Kunden\n  Orte\n";
    QTest::newRow("table named") << "/d/zwei.mdb" << 1 << "Orte"
                                 << "<none>" << 0 << grid << "";
    QTest::newRow("protected without password")
        << "/d/geheim.mdb" << 1 << ""
        << "<none>" << 2 << ""
        << "die Datenbank ist durch ein Kennwort geschützt (--password TEXT)";
    QTest::newRow("protected, wrong password") << "/d/geheim.mdb" << 1 << ""
                                               << "falsch" << 2 << ""
                                               << "das Kennwort ist falsch";
    QTest::newRow("protected, password") << "/d/geheim.mdb" << 1 << ""
                                         << "pw" << 0 << grid << "";
    QTest::newRow("one-table format protected")
        << "/d/k.dbf" << 3 << ""
        << "<none>" << 2 << "" << db::engineMessage(db::err::NotAPassword);
    QTest::newRow("missing file") << "/d/fehlt.mdb" << 1 << ""
                                  << "<none>" << 2 << ""
                                  << "keine Tabelle zum Anzeigen";
}

void TestViewer::showOnCommandLine() {
    QFETCH(QString, file);
    QFETCH(int, type);
    QFETCH(QString, table);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    platform::setPathStyle(platform::PathStyle::Posix);
    FakeDialogs dialogs;  // what the viewer says in boxes, the command line prints on stderr
    MemoryEngine access(db::Family::Access);
    MemoryEngine dbase(db::Family::Dbase);
    access.add(QStringLiteral("/d/zwei.mdb"),
               MemoryDatabaseSpec({numbered("Kunden", 1), numbered("Orte", 3)}));
    access.add(QStringLiteral("/d/geheim.mdb"),
               MemoryDatabaseSpec({numbered("T", 2)}, QStringLiteral("pw")));
    dbase.add(QStringLiteral("/d/k.dbf"), MemoryDatabaseSpec({numbered("", 2)}, "pw"));

    RecordShow show;
    RecordShow::Options options;
    options.file = file;
    options.formatIndex = type;
    options.table = table;
    options.record = 2;
    if (password != QLatin1String("<none>"))
        options.password = password;
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    QCOMPARE(show.run(options, outStream, errStream), status);
    outStream.flush();
    errStream.flush();
    errText += dialogs.messages().join(QLatin1Char('\n'));
    QCOMPARE(outText, out);
    if (err.isEmpty())
        QVERIFY2(errText.isEmpty(), qPrintable(errText));
    else
        QVERIFY2(errText.contains(err), qPrintable(errText));
}

QTEST_GUILESS_MAIN(TestViewer)
#include "test_viewer.moc"
