#include "dbengine/Engine.h"

#include "dbengine/EngineError.h"

#include <QDir>
#include <QFileInfo>

namespace ds::db {

namespace {

struct FamilyName {
    const char* prefix;
    Family family;
};

// Accepted first parts of a connect string, compared without regard to case. Every version of a
// family reads every file of that family; the version only tells which program wrote the file.
constexpr FamilyName kFamilies[] = {
    {"dbase", Family::Dbase},
    {"foxpro", Family::Dbase},
    {"paradox", Family::Paradox},
    {"excel", Family::Excel},
};

DatabaseOpener g_overrides[4];

}  // namespace

void overrideOpener(Family family, DatabaseOpener opener) {
    g_overrides[int(family)] = std::move(opener);
}

ConnectInfo parseConnect(const QString& connect) {
    ConnectInfo info;
    const QStringList parts = connect.split(QLatin1Char(';'));
    info.formatName = parts.value(0).trimmed();
    if (info.formatName.isEmpty()) {
        info.family = Family::Access;
    } else {
        bool found = false;
        for (const FamilyName& f : kFamilies) {
            if (info.formatName.startsWith(QLatin1String(f.prefix), Qt::CaseInsensitive)) {
                info.family = f.family;
                found = true;
                break;
            }
        }
        if (!found)
            throwEngineError(err::IsamNotFound, info.formatName);
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0)
            info.password = part.mid(eq + 1);
    }
    return info;
}

std::unique_ptr<Database> Workspace::openDatabase(const QString& name, bool exclusive,
                                                  bool /*readOnly*/, const QString& connect) {
    OpenRequest request{name, parseConnect(connect), exclusive};
    if (const DatabaseOpener& o = g_overrides[int(request.connect.family)])
        return o(request);
    const QFileInfo info(name);
    switch (request.connect.family) {
        case Family::Access:
        case Family::Excel:
            if (!info.exists())
                throwEngineError(err::FileNotFound, name);
            if (info.isDir() || !info.isReadable())
                throwEngineError(err::CannotOpenFile, name);
            return request.connect.family == Family::Access ? openAccessDatabase(request)
                                                            : openExcelWorkbook(request);
        case Family::Dbase:
        case Family::Paradox:
            if (!info.isDir())
                throwEngineError(err::InvalidPath, name);
            return request.connect.family == Family::Dbase ? openDbaseFolder(request)
                                                           : openParadoxFolder(request);
    }
    throwEngineError(err::IsamNotFound, request.connect.formatName);
}

QString resolveTableFile(const QString& folder, const QString& tableName,
                         const QString& extension) {
    const QDir dir(folder);
    const QString withExt = tableName + extension;
    for (const QString& candidate : {tableName, withExt}) {
        const QFileInfo fi(dir.filePath(candidate));
        if (fi.isFile())
            return fi.filePath();
    }
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& candidate : {tableName, withExt}) {
        for (const QString& entry : entries) {
            if (entry.compare(candidate, Qt::CaseInsensitive) == 0)
                return dir.filePath(entry);
        }
    }
    throwEngineError(err::ObjectNotFound, tableName);
}

QString companionFileGuess(const QString& tablePath, const QString& extension) {
    const QFileInfo table(tablePath);
    const QString suffix = table.suffix();
    const QString sameCase = suffix == suffix.toLower() ? extension.toLower() : extension;
    return table.absoluteDir().filePath(table.completeBaseName() + sameCase);
}

QString findCompanionFile(const QString& tablePath, const QString& extension) {
    const QFileInfo table(tablePath);
    const QDir dir = table.absoluteDir();
    const QString base = table.completeBaseName();
    // The usual spellings first, the one in the case of the table's own extension leading, each
    // looked up once: a folder listing costs far more than a few lookups.
    QStringList candidates = {QFileInfo(companionFileGuess(tablePath, extension)).fileName(),
                              base + extension,
                              base + extension.toLower(),
                              base + extension.toUpper(),
                              base.toUpper() + extension.toUpper(),
                              base.toLower() + extension.toLower()};
    candidates.removeDuplicates();
    for (const QString& candidate : std::as_const(candidates)) {
        const QFileInfo direct(dir.filePath(candidate));
        if (direct.isFile())
            return direct.filePath();
    }
    const QString wanted = base + extension;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

}  // namespace ds::db
