#pragma once

#include "dbengine/access/JetHeader.h"

#include <QString>

#include <cstdint>

namespace ds::db {
class ReadOnlyFile;
}

namespace ds::db::access {

// libmdb trusts the table definition pages it reads. These checks look at a definition (page 2
// for the catalog, or a table's page) before libmdb does and throw EngineError(3049) for what it
// would misread: a page that is not a definition, impossible counts, a continuation chain that
// leaves the file or loops.
void checkCatalogPage(const ReadOnlyFile& file, const JetHeader& header);
void checkTableDefinition(const QString& path, const JetHeader& header, unsigned long page,
                          std::uint64_t fileSize);

}  // namespace ds::db::access
