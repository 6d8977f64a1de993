#pragma once

#include "dbengine/TextRef.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>
#include <optional>

// Decoders of single dBASE/FoxPro field values. Each returns nullopt for what the engine shows
// as Null (blank, '?', zero dates, unreadable numbers).
namespace ds::db::dbase {

std::optional<double> parseNumeric(const char* p, std::size_t n);
std::optional<QDate> parseDate(const char* p, std::size_t n);
std::optional<bool> parseLogical(char c);
// Visual FoxPro DateTime: int32 Julian day and int32 milliseconds since midnight (8 bytes).
std::optional<QDateTime> parseDateTime(const char* p);

// A memo field's block number: 4-byte little-endian (Visual FoxPro) or right-aligned ASCII
// digits. 0 for no memo; nullopt when the bytes are not a block number at all.
std::optional<std::uint64_t> parseMemoBlock(const char* p, std::size_t n);

}  // namespace ds::db::dbase
