#include "FuzzSupport.h"

#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace ds::fuzz {

QString scratchFolder() {
    static const QString folder = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        const QString path = base + QStringLiteral("/ds-fuzz-") +
                             QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

void writeScratch(const QString& fileName, const std::uint8_t* data, std::size_t size) {
    QFile f(scratchFolder() + QLatin1Char('/') + fileName);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

static void readTable(db::Database& database, const QString& table) {
    try {
        auto rs = database.openRecordset(table);
        rs->moveLast();
        (void)rs->recordCount();
        rs->moveFirst();
        for (int guard = 0; !rs->eof() && guard < 100000; ++guard) {
            for (int i = 0; i < rs->fieldCount(); ++i) {
                (void)rs->value(i).toString();
                if (db::isSearchableType(rs->fieldInfo(i).type))
                    (void)rs->text(i).toString();
            }
            rs->moveNext();
        }
    } catch (const db::EngineError&) {
    }
}

void readEverything(const QString& name, const QString& connect, const QString& tableName) {
    try {
        db::Workspace ws;
        auto database = ws.openDatabase(name, false, true, connect);
        if (!tableName.isEmpty()) {
            readTable(*database, tableName);
            return;
        }
        for (const db::TableDef& def : database->tableDefs())
            readTable(*database, def.name);
    } catch (const db::EngineError&) {
    }
}

}  // namespace ds::fuzz
