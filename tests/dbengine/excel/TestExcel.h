#pragma once

#include "dbengine/Engine.h"
#include "support/excel/XlsWriter.h"

#include <QObject>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>

// A table read whole through the public engine API.
struct TableDump {
    QStringList names;
    QList<int> types;
    QList<QVariantList> rows;  // value() of every field of every record
    QList<QStringList> texts;  // text() decoded, empty where it is Null
};

std::unique_ptr<ds::db::Database> openWorkbook(
    const QString& path, const QString& connect = QStringLiteral("Excel 8.0"));
TableDump readTable(ds::db::Database& database, const QString& table);
// Opens the file and reads every table, value and text; the error number or 0.
int readEverything(const QString& path, const QString& connect = QStringLiteral("Excel 8.0"));
// Runs a Python script with Debian's interpreter; false (and a skip reason) when it cannot.
bool runPython(const QString& script, const QStringList& args, QByteArray* output, QString* why);

class TestExcel : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();

    // test_excel.cpp: files from our writer
    void roundTrip_data();
    void roundTrip();
    void columnMapping_data();
    void columnMapping();
    void fieldNames_data();
    void fieldNames();
    void emptyRowsAndSparseSheet();
    void serialDates_data();
    void serialDates();
    void dateFormatCodes_data();
    void dateFormatCodes();
    void encryption_data();
    void encryption();
    void encryptionSchemes_data();
    void encryptionSchemes();
    void splitSharedStrings_data();
    void splitSharedStrings();
    void tableNamesAndNavigation();

    // test_excel_damage.cpp: hostile and broken files
    void notAnXls_data();
    void notAnXls();
    void truncated_data();
    void truncated();
    void damagedContainer_data();
    void damagedContainer();
    void damagedRecords_data();
    void damagedRecords();
    void randomDamage();

    // test_excel_external.cpp: programs and files nobody on this project wrote
    void xlwtReadBack();
    void xlrdCrossCheck_data();
    void xlrdCrossCheck();
    void freexlCrossCheck_data();
    void freexlCrossCheck();
    void corpus_data();
    void corpus();

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }
    QString save(const ds::test::XlsWriter& writer, const QString& name) const;
    std::unique_ptr<QTemporaryDir> dir_;
};
