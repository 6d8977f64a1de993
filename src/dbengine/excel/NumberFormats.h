#pragma once

#include <QDateTime>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ds::db::excel {

// True for a number format code that shows a date or time: one of d, m, y, h, s outside quoted
// text, escaped characters and [brackets] (colours, locales, conditions).
bool isDateFormatCode(std::u16string_view code);

// The built-in formats 14-22 and 45-47 of BIFF5 and later are dates and times.
bool isBuiltinDateFormat(int formatIndex);

// A serial day number as date and time: the 1900 system counts 1 as 1900-01-01 and keeps
// Excel's 29 February 1900 (serial 60, shown here as 28 February); values below 1 are times of
// day on 1899-12-30. The 1904 system counts 0 as 1904-01-01. Out-of-range values give nothing.
std::optional<QDateTime> serialToDateTime(double serial, bool date1904);

// Which cell formats (XF records) show dates. FORMAT records name their index from BIFF5 on;
// before that they are numbered in the order they appear.
class FormatTable {
  public:
    explicit FormatTable(int biffVersion = 8) : biffVersion_(biffVersion) {}

    void addFormat(std::optional<int> index, std::u16string_view code);
    void addXf(int formatIndex);
    bool isDateXf(int xfIndex);

    // A sheet of a BIFF4 workbook brings its own formats: the first FORMAT or XF record after
    // beginSheet() replaces the inherited ones of its kind.
    void beginSheet() { localFormats_ = localXfs_ = false; }
    void startLocalFormats();
    void startLocalXfs();

  private:
    int biffVersion_;
    int nextPositional_ = 0;
    std::unordered_map<int, bool> formats_;
    std::vector<int> xfFormats_;
    std::vector<std::uint8_t> xfDate_;  // cache: 0 unknown, 1 no, 2 yes
    bool localFormats_ = false;
    bool localXfs_ = false;
};

}  // namespace ds::db::excel
