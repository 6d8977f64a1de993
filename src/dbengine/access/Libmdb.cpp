#include "dbengine/access/Libmdb.h"

#include "dbengine/EngineError.h"

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace ds::db::access {

namespace {

#if defined(__GLIBC__)
struct StderrSwap {
    std::mutex mutex;
    int depth = 0;
    FILE* saved = nullptr;
    FILE* sink = nullptr;
    bool enabled = false;

    StderrSwap() {
        if (qEnvironmentVariableIntValue("DS_MDB_WARNINGS") == 0) {
            sink = std::fopen("/dev/null", "w");
            enabled = sink != nullptr;
        }
    }
};

StderrSwap& stderrSwap() {
    static StderrSwap swap;
    return swap;
}
#endif

// The name iconv knows for a Jet 3 header code page; libmdb converts Jet 3 names with it.
QByteArray iconvName(int codePage) {
    switch (codePage) {
        case 932:
            return "CP932";
        case 936:
            return "GBK";
        case 949:
            return "CP949";
        case 950:
            return "BIG5";
        default:
            break;
    }
    if ((codePage >= 1250 && codePage <= 1258) || codePage == 437 || codePage == 850 ||
        codePage == 852 || codePage == 866 || codePage == 874)
        return "CP" + QByteArray::number(codePage);
    return "CP1252";
}

}  // namespace

QuietLibmdb::QuietLibmdb() {
#if defined(__GLIBC__)
    StderrSwap& s = stderrSwap();
    if (!s.enabled)
        return;
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (s.depth++ == 0) {
        s.saved = stderr;
        stderr = s.sink;
    }
#endif
}

QuietLibmdb::~QuietLibmdb() {
#if defined(__GLIBC__)
    StderrSwap& s = stderrSwap();
    if (!s.enabled)
        return;
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (--s.depth == 0)
        stderr = s.saved;
#endif
}

MdbSession::MdbSession(const QString& path, const JetHeader& header) : header_(header) {
    // libmdb takes its character sets from the environment when it opens a file. Set both so
    // that names come out as UTF-8 whatever the user's environment says.
    qputenv("MDBICONV", "UTF-8");
    qputenv("MDB_JET3_CHARSET", iconvName(header.codePage));
    QuietLibmdb quiet;
    mdb_ = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb_)
        throwEngineError(err::CorruptDatabase, path);
}

MdbCatalogEntry MdbSession::entryFor(const std::string& utf8Name, unsigned long page) const {
    MdbCatalogEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.mdb = mdb_;
    entry.object_type = MDB_TABLE;
    entry.table_pg = page;
    // Names are cut at a character boundary to fit libmdb's buffer.
    std::size_t length = std::min(utf8Name.size(), std::size_t{MDB_MAX_OBJ_NAME});
    while (length > 0 && length < utf8Name.size() && (utf8Name[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(entry.object_name, utf8Name.data(), length);
    return entry;
}

MdbSession::~MdbSession() {
    if (mdb_) {
        QuietLibmdb quiet;
        mdb_close(mdb_);
    }
}

}  // namespace ds::db::access
