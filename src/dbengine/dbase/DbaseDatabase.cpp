#include "dbengine/dbase/DbaseDatabase.h"

#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "dbengine/dbase/DbfLayout.h"
#include "dbengine/dbase/DbfRecordset.h"
#include "dbengine/dbase/MemoFile.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace ds::db {

std::unique_ptr<Database> openDbaseFolder(const OpenRequest& request) {
    // Every dBASE and FoxPro connect string reads every DBF version; the folder was checked.
    return std::make_unique<dbase::DbaseDatabase>(request.name);
}

}  // namespace ds::db

namespace ds::db::dbase {

namespace {

const QString kTableExtension = QStringLiteral(".DBF");

ReadOnlyFile openFile(const QString& path) {
    ReadOnlyFile file;
    if (!file.open(path.toStdString()))
        throwEngineError(file.lastError(), QDir::toNativeSeparators(path));
    return file;
}

// The memo file's name as the table would have it: same base name, extension in the case of
// the table's own extension.
QString expectedMemoPath(const QString& tablePath, const QString& extension) {
    const QFileInfo table(tablePath);
    const bool lower = table.suffix() == table.suffix().toLower();
    return table.dir().filePath(table.completeBaseName() +
                                (lower ? extension.toLower() : extension));
}

std::optional<MemoFile> openMemo(const QString& tablePath, const DbfLayout& layout) {
    if (!layout.usesMemo())
        return std::nullopt;
    const QString dbt = QStringLiteral(".DBT");
    const QString fpt = QStringLiteral(".FPT");
    MemoKind kind = layout.memoKind;
    QString extension = kind == MemoKind::FoxPro ? fpt : dbt;
    // The usual spelling opened directly: one call where a lookup and an open took two.
    if (kind != MemoKind::None) {
        const QString guess = companionFileGuess(tablePath, extension);
        ReadOnlyFile direct;
        if (direct.open(guess.toStdString()))
            return MemoFile(std::move(direct), kind, QDir::toNativeSeparators(guess));
    }
    QString memoPath = findCompanionFile(tablePath, extension);
    if (memoPath.isEmpty() && kind == MemoKind::None) {
        // The version byte promises no memo file, but the fields use one: take what is there.
        memoPath = findCompanionFile(tablePath, fpt);
        if (!memoPath.isEmpty())
            extension = fpt;
    }
    if (memoPath.isEmpty())
        throwEngineError(err::FileNotFound,
                         QDir::toNativeSeparators(expectedMemoPath(tablePath, extension)));
    if (kind == MemoKind::None)
        kind = extension == fpt ? MemoKind::FoxPro : MemoKind::Dbase4;
    return MemoFile(openFile(memoPath), kind, QDir::toNativeSeparators(memoPath));
}

}  // namespace

std::unique_ptr<Recordset> openDbfTable(ReadOnlyFile file, const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    std::vector<char> start;
    DbfLayout layout = readDbfLayout(file, shown, &start);
    std::optional<MemoFile> memo = openMemo(path, layout);
    return std::make_unique<DbfRecordset>(std::move(file), std::move(layout), std::move(memo),
                                          shown, std::move(start));
}

std::unique_ptr<Recordset> openDbfTable(const QString& path) {
    return openDbfTable(openFile(path), path);
}

DbaseDatabase::DbaseDatabase(QString folder) : folder_(std::move(folder)) {}

std::vector<TableDef> DbaseDatabase::tableDefs() {
    const QDir dir(folder_);
    // Name filters ignore case, so x.dbf and X.DBF are both listed.
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.dbf")}, QDir::Files | QDir::Hidden | QDir::System,
                          QDir::Name | QDir::IgnoreCase);
    std::vector<TableDef> defs;
    defs.reserve(static_cast<std::size_t>(files.size()));
    for (const QFileInfo& fi : files)
        defs.push_back({fi.completeBaseName(), 0});
    return defs;
}

QString DbaseDatabase::tablePath(const QString& tableName) const {
    // A name without the extension means the .DBF, even when a file of that bare name exists.
    if (!tableName.endsWith(kTableExtension, Qt::CaseInsensitive)) {
        try {
            return resolveTableFile(folder_, tableName + kTableExtension, kTableExtension);
        } catch (const EngineError&) {
        }
    }
    return resolveTableFile(folder_, tableName, kTableExtension);
}

std::unique_ptr<Recordset> DbaseDatabase::openRecordset(const QString& tableName) {
    // The name as the lookup would try it first, opened directly: one call where a lookup and
    // an open took two. Anything else goes the long way.
    const QString first = QDir(folder_).filePath(
        tableName.endsWith(kTableExtension, Qt::CaseInsensitive) ? tableName
                                                                 : tableName + kTableExtension);
    ReadOnlyFile direct;
    if (direct.open(first.toStdString()))
        return openDbfTable(std::move(direct), first);
    return openDbfTable(tablePath(tableName));
}

}  // namespace ds::db::dbase
