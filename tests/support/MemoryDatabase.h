#pragma once

#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <list>
#include <map>
#include <memory>

namespace ds::test {

// In-memory tables behind the engine API, for driving the content search and the viewer without
// files. Text cells are encoded in the table's code page and handed out as raw bytes like a real
// reader does.
struct MemoryTable {
    QString name;
    std::int32_t attributes = 0;
    QList<db::FieldInfo> fields;
    QList<QVariantList> rows;  // QVariant() is Null
    int codePage = 1252;
    // Thrown when the table is opened (e.g. 3274), or when record failAtRecord (1-based) is read.
    int openError = 0;
    int failAtRecord = 0;
    int failError = 3049;
};

struct MemoryDatabaseSpec {
    MemoryDatabaseSpec() = default;
    MemoryDatabaseSpec(QList<MemoryTable> t, QString pw = {})
        : tables(std::move(t)), password(std::move(pw)) {}

    QList<MemoryTable> tables;
    QString password;   // non-empty: opening needs ";PWD=<password>;"
    int openError = 0;  // thrown by the open itself
    // Opened exclusively by another user: an exclusive open fails with 3356 (a shared one too
    // when sharedAlsoLocked).
    bool lockedByOther = false;
    bool sharedAlsoLocked = false;
};

// Installs an opener for a family that serves the databases registered by name (file path for
// Access/Excel, folder + table name for the one-table formats); unknown names give 3024.
// Removes it again on destruction.
class MemoryEngine {
  public:
    explicit MemoryEngine(db::Family family);
    ~MemoryEngine();
    MemoryEngine(const MemoryEngine&) = delete;
    MemoryEngine& operator=(const MemoryEngine&) = delete;

    void add(const QString& name, MemoryDatabaseSpec spec);
    int openCount() const { return openCount_; }
    QStringList passwordsTried;
    QList<bool> exclusiveFlags;  // the exclusive flag of every open, in order

  private:
    std::unique_ptr<db::Database> open(const db::OpenRequest& request);

    db::Family family_;
    std::map<QString, MemoryDatabaseSpec> databases_;
    int openCount_ = 0;
};

}  // namespace ds::test
