#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace ds::fuzz {

// Writes the input to <scratch>/<fileName> (plus optional companion files the target splits off)
// and returns the folder. The folder lives in /dev/shm when it exists.
QString scratchFolder();
void writeScratch(const QString& fileName, const std::uint8_t* data, std::size_t size);

// Opens name through the engine with the connect string and reads every ordinary table, every
// record, every value and every text; engine errors are expected and swallowed.
void readEverything(const QString& name, const QString& connect, const QString& tableName = {});

}  // namespace ds::fuzz
