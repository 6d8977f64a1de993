#pragma once

#include "dbengine/Engine.h"
#include "support/dbase/DbfWriter.h"

#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A table opened through the public engine API, as the content search opens it.
struct OpenedTable {
    std::unique_ptr<ds::db::Database> database;
    std::unique_ptr<ds::db::Recordset> rs;
};

OpenedTable openTable(const QString& path, const QString& connect = QStringLiteral("dBASE IV"));

class TestDbase : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();

    // test_dbase.cpp: files from our writer
    void readBackEveryFlavor_data();
    void readBackEveryFlavor();
    void fieldValues_data();
    void fieldValues();
    void languageDriver_data();
    void languageDriver();
    void deletedRecords_data();
    void deletedRecords();
    void blocksAcrossALargeTable_data();
    void blocksAcrossALargeTable();
    void truncatedFile_data();
    void truncatedFile();
    void headerCount_data();
    void headerCount();
    void damagedMemo_data();
    void damagedMemo();
    void wrongFormat_data();
    void wrongFormat();
    void memoFileMissingOrInOtherCase();
    void tableNames();
    void fileUnchangedByReading();

    // test_dbase_external.cpp: files nobody on this project wrote
    void pythonDbfCrossCheck_data();
    void pythonDbfCrossCheck();
    void corpus_data();
    void corpus();

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir_;
};
