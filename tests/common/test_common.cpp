#include "common/FitText.h"
#include "common/Val.h"

#include <QtTest>

class TestCommon : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void val_data();
    void val();
    void fitText_data();
    void fitText();
    void fitTextNeverLoops();
};

void TestCommon::val_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("plain") << "42" << 42.0;
    QTest::newRow("leading blanks") << "   7" << 7.0;
    QTest::newRow("inner blanks ignored") << " 1 5" << 15.0;
    QTest::newRow("trailing text") << "12abc" << 12.0;
    QTest::newRow("no number") << "no" << 0.0;
    QTest::newRow("negative") << "-255" << -255.0;
    QTest::newRow("decimal") << "3.75x" << 3.75;
    QTest::newRow("comma stops") << "3,75" << 3.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("dangling exponent") << "2e" << 2.0;
    QTest::newRow("two chars 01") << "01" << 1.0;
    QTest::newRow("sign only") << "-" << 0.0;
}

void TestCommon::val() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ds::val(text), expected);
}

void TestCommon::fitText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fits") << "C:\\Daten" << 20 << "C:\\Daten";
    // 9 characters: left 3, right 2 -> 8 characters.
    QTest::newRow("nine chars once") << "abcdefghi" << 8 << "abc...hi";
    // 8 characters are never shortened, whatever the width.
    QTest::newRow("eight chars stay") << "abcdefgh" << 2 << "abcdefgh";
    QTest::newRow("seven chars stay") << "abcdefg" << 1 << "abcdefg";
    // A pass that would not shorten stops; the last shorter text stays.
    QTest::newRow("nine chars tiny") << "abcdefghi" << 1 << "abc...hi";
    // 50 characters: left 50/3-3 = 13, right 50/2-2 = 23 -> 39 characters.
    QTest::newRow("long path one pass")
        << "C:\\Programme\\Daten\\Kunden\\Archiv\\2024\\adressen.mdb" << 40
        << "C:\\Programme\\...rchiv\\2024\\adressen.mdb";
}

void TestCommon::fitText() {
    QFETCH(QString, text);
    QFETCH(int, maxLength);
    QFETCH(QString, expected);
    const QString fitted =
        ds::FitText(text, [maxLength](const QString& t) { return t.size() < maxLength; });
    QCOMPARE(fitted, expected);
}

void TestCommon::fitTextNeverLoops() {
    // Whatever the limit, every pass shortens or the loop ends; results never grow.
    const QString text = QStringLiteral("/home/benutzer/Dokumente/Archiv/Kunden/1998/adressen.dbf");
    for (int limit = 0; limit < 70; ++limit) {
        const QString fitted =
            ds::FitText(text, [limit](const QString& t) { return t.size() < limit; });
        QVERIFY(fitted.size() <= text.size());
        if (limit > 8 && limit <= text.size())
            QVERIFY2(fitted.size() < limit || fitted.size() <= 8, qPrintable(fitted));
    }
}

QTEST_GUILESS_MAIN(TestCommon)
#include "test_common.moc"
