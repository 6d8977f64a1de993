#pragma once

// mdbtools.h includes glib.h inside extern "C", which C++ rejects; glib must come first.
#include <glib.h>
#include <mdbtools.h>

#include "dbengine/access/JetHeader.h"

#include <QString>

#include <memory>
#include <string>

namespace ds::db::access {

// libmdb reports damaged pages with fprintf(stderr, ...), once per page and pass. While one of
// these lives, that output is dropped (on glibc, whose stderr is an assignable FILE*; elsewhere
// it passes through). DS_MDB_WARNINGS=1 in the environment keeps it, for diagnosing files.
class QuietLibmdb {
  public:
    QuietLibmdb();
    ~QuietLibmdb();
    QuietLibmdb(const QuietLibmdb&) = delete;
    QuietLibmdb& operator=(const QuietLibmdb&) = delete;
};

struct TableDefDeleter {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TableDefPtr = std::unique_ptr<MdbTableDef, TableDefDeleter>;

// One libmdb handle on a file whose header was checked, used to parse table definitions
// (columns, usage map). libmdb's own catalog reader is not used: it parses every object's
// property blob and copies names into fixed buffers, both unchecked; the catalog is read as an
// ordinary table instead (AccessDatabase).
class MdbSession {
  public:
    // Throws EngineError(3049) when libmdb cannot open the file.
    MdbSession(const QString& path, const JetHeader& header);
    ~MdbSession();
    MdbSession(const MdbSession&) = delete;
    MdbSession& operator=(const MdbSession&) = delete;

    MdbHandle* handle() const { return mdb_; }
    const JetHeader& header() const { return header_; }

    // A catalog entry for the table whose definition starts on `page`, bound to this handle.
    MdbCatalogEntry entryFor(const std::string& utf8Name, unsigned long page) const;

  private:
    MdbHandle* mdb_ = nullptr;
    JetHeader header_;
};

}  // namespace ds::db::access
