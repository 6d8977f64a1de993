#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Decoding of the fixed-width field values inside a record. Numbers are stored big-endian with
// the sign bit inverted, so that the raw bytes sort like the values; all-zero bytes are a blank
// (Null) value, distinct from a stored zero.
namespace ds::db::paradox {

bool allZero(const unsigned char* p, std::size_t n);

// Short (2 bytes), Long, Autoincrement, Date, Time (4 bytes).
std::int32_t decodeInteger(const unsigned char* p, int width);

// Number, Money, Timestamp (8 bytes).
double decodeDouble(const unsigned char* p);

// BCD (17 bytes): sign and decimal places in byte 0, then 32 digit nibbles. Digits from the
// first nibble above 9 on are ignored (Paradox leaves junk there in wide fractions), and the
// result is rounded to 15 significant digits, the precision a double keeps exactly.
double decodeBcd(const unsigned char* p);

// Date: day 1 is 0001-01-01 (proleptic Gregorian). Returns the Julian day number.
constexpr std::int64_t kJulianDayOfDayZero = 1721425;
inline std::int64_t julianDayOfDate(std::int32_t dayNumber) {
    return kJulianDayOfDayZero + dayNumber;
}

// Timestamp: milliseconds counted from the same day zero. Empty when out of the years 1..9999.
struct DayAndTime {
    std::int64_t julianDay;
    std::int32_t msecOfDay;
};
std::optional<DayAndTime> splitTimestamp(double milliseconds);

constexpr std::int32_t kMsecPerDay = 86'400'000;

}  // namespace ds::db::paradox
