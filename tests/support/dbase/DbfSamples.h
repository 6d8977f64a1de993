#pragma once

#include <QString>

#include <cstdint>

namespace ds::test {

// A dBASE III table of German customers for benchmarks: NACHNAME, VORNAME, ORT (C 30, cp850
// umlauts, language driver 850) and NOTIZ, a memo on every tenth record. Deterministic, so
// that hit counts can be compared between runs. Returns false when it cannot be written.
bool writeCustomerTable(const QString& dbfPath, std::uint32_t records);

// Seed inputs for the dBASE fuzz target, one file each: a 4-byte little-endian length of the
// DBF part, the DBF bytes, then the memo bytes. Covers every flavor, memo layout and type.
// Returns the number of seeds written.
int writeFuzzSeeds(const QString& folder);

}  // namespace ds::test
