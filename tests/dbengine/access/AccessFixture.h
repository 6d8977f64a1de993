#pragma once

#include "support/access/Jet4Writer.h"

#include <QString>
#include <QVariantList>

#include <cstdint>
#include <vector>

namespace ds::test {

// The tables of the standard Jet 4 fixture and the values written into them, so that tests can
// compare what the engine and mdbtools read back with what went in.
struct FixtureTable {
    QString name;
    std::vector<Jet4Writer::Column> columns;
    std::uint32_t flags = 0;
    bool linked = false;
    QList<QVariantList> rows;
};

std::vector<FixtureTable> fixtureTables();
Jet4Writer fixtureWriter(const std::vector<FixtureTable>& tables);

// What `mdb-export -T '%Y-%m-%d %H:%M:%S'` prints for a table (libmdb shows characters beyond
// U+FFFF as "??", empty text like Null, Long binary as "").
QByteArray expectedExport(const FixtureTable& table);

}  // namespace ds::test
