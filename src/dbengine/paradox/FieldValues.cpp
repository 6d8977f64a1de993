#include "dbengine/paradox/FieldValues.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace ds::db::paradox {

bool allZero(const unsigned char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != 0)
            return false;
    }
    return true;
}

std::int32_t decodeInteger(const unsigned char* p, int width) {
    if (width == 2) {
        const auto raw = static_cast<std::uint16_t>(((p[0] ^ 0x80) << 8) | p[1]);
        return static_cast<std::int16_t>(raw);
    }
    const std::uint32_t raw = (std::uint32_t{p[0] ^ 0x80u} << 24) | (std::uint32_t{p[1]} << 16) |
                              (std::uint32_t{p[2]} << 8) | p[3];
    return static_cast<std::int32_t>(raw);
}

double decodeDouble(const unsigned char* p) {
    // Positive values have only the sign bit set; negative ones are stored complemented.
    const bool positive = (p[0] & 0x80) != 0;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        const unsigned char b = positive ? (i == 0 ? p[0] & 0x7F : p[i]) : ~p[i] & 0xFF;
        bits = (bits << 8) | b;
    }
    double value;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double decodeBcd(const unsigned char* p) {
    constexpr int kDigits = 32;
    constexpr int kSignificant = 15;
    const bool negative = (p[0] & 0x80) == 0;
    const int decimals = p[0] & 0x3F;
    const int integerDigits = kDigits - (decimals > kDigits ? kDigits : decimals);

    // Collect the digits as text "d...d" with an exponent, then let from_chars round.
    char digits[kDigits + 1];
    int count = 0;
    int firstSignificant = -1;
    for (int i = 0; i < kDigits; ++i) {
        const unsigned char byte = p[1 + i / 2];
        int nibble = (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
        if (negative)
            nibble = 15 - nibble;
        if (nibble > 9)
            break;
        if (firstSignificant < 0 && nibble != 0)
            firstSignificant = i;
        digits[count++] = static_cast<char>('0' + nibble);
    }
    if (firstSignificant < 0)
        return 0.0;

    // Round to kSignificant digits from the first non-zero one.
    int last = firstSignificant + kSignificant;  // index of the first dropped digit
    if (last < count) {
        const bool roundUp = digits[last] >= '5';
        count = last;
        if (roundUp) {
            int i = count - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0)
                ++digits[i];
            else  // all nines: a carry into a new leading digit
                return (negative ? -1.0 : 1.0) * std::pow(10.0, integerDigits);
        }
    }
    // value = digits[0..count) * 10^(integerDigits - count)
    char text[kDigits + 8];
    std::memcpy(text, digits, static_cast<std::size_t>(count));
    int length = count;
    text[length++] = 'e';
    const auto res = std::to_chars(text + length, text + sizeof text, integerDigits - count);
    length = static_cast<int>(res.ptr - text);
    double value = 0.0;
    std::from_chars(text, text + length, value);
    return negative ? -value : value;
}

std::optional<DayAndTime> splitTimestamp(double milliseconds) {
    constexpr double kLastDay = 3652059;  // 9999-12-31
    if (!std::isfinite(milliseconds) || milliseconds < static_cast<double>(kMsecPerDay) ||
        milliseconds >= (kLastDay + 1) * kMsecPerDay)
        return std::nullopt;
    auto day = static_cast<std::int64_t>(milliseconds / kMsecPerDay);
    auto msec = static_cast<std::int64_t>(std::llround(milliseconds - double(day) * kMsecPerDay));
    if (msec >= kMsecPerDay) {
        ++day;
        msec -= kMsecPerDay;
    } else if (msec < 0) {
        --day;
        msec += kMsecPerDay;
    }
    return DayAndTime{julianDayOfDate(static_cast<std::int32_t>(day)),
                      static_cast<std::int32_t>(msec)};
}

}  // namespace ds::db::paradox
