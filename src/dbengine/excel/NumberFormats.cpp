#include "dbengine/excel/NumberFormats.h"

#include <cmath>

namespace ds::db::excel {

namespace {
constexpr double kMsPerDay = 86400000.0;
// 9999-12-31 is the last day both systems can show.
constexpr double kLastSerial1900 = 2958466.0;
constexpr double kLastSerial1904 = 2957004.0;

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}
}  // namespace

bool isDateFormatCode(std::u16string_view code) {
    // "General" has no date letters, but its German display name "Standard" has d and s.
    if (equalsIgnoringCase(code, u"General") || equalsIgnoringCase(code, u"Standard"))
        return false;
    enum class State { Plain, Quoted, Escaped, Bracket };
    State state = State::Plain;
    for (char16_t c : code) {
        switch (state) {
            case State::Quoted:
                if (c == u'"')
                    state = State::Plain;
                break;
            case State::Escaped:
                state = State::Plain;
                break;
            case State::Bracket:
                if (c == u']')
                    state = State::Plain;
                break;
            case State::Plain:
                if (c == u'"') {
                    state = State::Quoted;
                } else if (c == u'\\' || c == u'_' || c == u'*') {
                    state = State::Escaped;  // literal, padding or fill character follows
                } else if (c == u'[') {
                    state = State::Bracket;
                } else {
                    switch (c) {
                        case u'd':
                        case u'D':
                        case u'm':
                        case u'M':
                        case u'y':
                        case u'Y':
                        case u'h':
                        case u'H':
                        case u's':
                        case u'S':
                            return true;
                        default:
                            break;
                    }
                }
                break;
        }
    }
    return false;
}

bool isBuiltinDateFormat(int formatIndex) {
    return (formatIndex >= 14 && formatIndex <= 22) || (formatIndex >= 45 && formatIndex <= 47);
}

std::optional<QDateTime> serialToDateTime(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0.0 ||
        serial >= (date1904 ? kLastSerial1904 : kLastSerial1900))
        return std::nullopt;
    double days = std::floor(serial);
    auto ms = static_cast<qint64>(std::llround((serial - days) * kMsPerDay));
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ms -= static_cast<qint64>(kMsPerDay);
        days += 1.0;
    }
    const auto whole = static_cast<qint64>(days);
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(whole);
    } else if (whole == 0) {
        date = QDate(1899, 12, 30);
    } else if (whole < 60) {
        date = QDate(1899, 12, 31).addDays(whole);
    } else if (whole == 60) {
        date = QDate(1900, 2, 28);
    } else {
        date = QDate(1899, 12, 30).addDays(whole);
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

void FormatTable::addFormat(std::optional<int> index, std::u16string_view code) {
    const int at = index ? *index : nextPositional_++;
    formats_[at] = isDateFormatCode(code);
    xfDate_.clear();
}

void FormatTable::addXf(int formatIndex) {
    xfFormats_.push_back(formatIndex);
}

bool FormatTable::isDateXf(int xfIndex) {
    if (xfIndex < 0 || static_cast<std::size_t>(xfIndex) >= xfFormats_.size())
        return false;
    if (xfDate_.size() != xfFormats_.size())
        xfDate_.assign(xfFormats_.size(), 0);
    std::uint8_t& cached = xfDate_[static_cast<std::size_t>(xfIndex)];
    if (cached == 0) {
        const int format = xfFormats_[static_cast<std::size_t>(xfIndex)];
        const auto it = formats_.find(format);
        bool date = false;
        if (it != formats_.end())
            date = it->second;
        else if (biffVersion_ >= 5)
            date = isBuiltinDateFormat(format);
        cached = date ? 2 : 1;
    }
    return cached == 2;
}

void FormatTable::startLocalFormats() {
    if (localFormats_)
        return;
    localFormats_ = true;
    formats_.clear();
    nextPositional_ = 0;
    xfDate_.clear();
}

void FormatTable::startLocalXfs() {
    if (localXfs_)
        return;
    localXfs_ = true;
    xfFormats_.clear();
    xfDate_.clear();
}

}  // namespace ds::db::excel
