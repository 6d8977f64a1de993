#include "dbengine/dbase/FieldDecode.h"

#include "dbengine/dbase/ByteOrder.h"

#include <array>
#include <charconv>

namespace ds::db::dbase {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\0';
}

void trim(const char*& p, std::size_t& n) {
    while (n > 0 && isBlank(*p)) {
        ++p;
        --n;
    }
    n = trimmedLength(p, n);
}

constexpr std::int32_t kMillisecondsPerDay = 86'400'000;

}  // namespace

std::optional<double> parseNumeric(const char* p, std::size_t n) {
    trim(p, n);
    if (n > 0 && *p == '+') {
        ++p;
        --n;
    }
    if (n == 0 || n > 255)
        return std::nullopt;
    // Some DOS writers store a decimal comma.
    std::array<char, 256> buf{};
    for (std::size_t i = 0; i < n; ++i)
        buf[i] = p[i] == ',' ? '.' : p[i];
    double value = 0;
    const auto [end, ec] = std::from_chars(buf.data(), buf.data() + n, value);
    if (ec != std::errc() || end != buf.data() + n)
        return std::nullopt;  // overflow asterisks and other garbage
    return value;
}

std::optional<QDate> parseDate(const char* p, std::size_t n) {
    if (n < 8)
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    int pos = 0;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < widths[k]; ++i, ++pos) {
            const char c = p[pos];
            if (c < '0' || c > '9')
                return std::nullopt;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    }
    const QDate date(parts[0], parts[1], parts[2]);
    if (!date.isValid())
        return std::nullopt;  // blank, 00000000 and impossible dates
    return date;
}

std::optional<bool> parseLogical(char c) {
    switch (c) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return false;
        default:
            return std::nullopt;  // '?', blank
    }
}

std::optional<QDateTime> parseDateTime(const char* p) {
    std::size_t blanks = 0;
    while (blanks < 8 && p[blanks] == ' ')
        ++blanks;
    if (blanks == 8)
        return std::nullopt;
    const auto day = static_cast<std::int32_t>(le32(p));
    const auto ms = static_cast<std::int32_t>(le32(p + 4));
    if (day <= 0 || ms < 0 || ms >= kMillisecondsPerDay)
        return std::nullopt;  // zero (empty), damage
    // FoxPro keeps whole seconds but stores them as slightly-off milliseconds (…09.999).
    const std::int64_t seconds = (ms + 500) / 1000;
    const QDate date = QDate::fromJulianDay(day + (seconds == 86'400 ? 1 : 0));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return std::nullopt;
    return QDateTime(date, QTime(0, 0).addSecs(static_cast<int>(seconds % 86'400)));
}

std::optional<std::uint64_t> parseMemoBlock(const char* p, std::size_t n) {
    if (n == 4)
        return le32(p);
    trim(p, n);
    if (n > 10)
        return std::nullopt;
    std::uint64_t block = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return std::nullopt;
        block = block * 10 + static_cast<std::uint64_t>(p[i] - '0');
    }
    return block;
}

}  // namespace ds::db::dbase
