#include "dbengine/paradox/FormattedMemo.h"

#include "dbengine/paradox/Bytes.h"

#include <algorithm>
#include <cstdint>

namespace ds::db::paradox {

namespace {
constexpr std::uint32_t kMaxEntries = 64;  // 7 in every file seen
constexpr std::size_t kEntrySize = 6;
}  // namespace

std::string_view formattedMemoText(const char* data, std::size_t size, bool partial) {
    const std::string_view whole(data, size);
    if (size < 8)
        return partial ? std::string_view() : whole;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const std::uint32_t entries = le32(p);
    const std::uint32_t textLength = le32(p + 4);
    if (entries < 1 || entries > kMaxEntries)
        return whole;
    const std::size_t start = 8 + kEntrySize * (entries - 1);
    if (start > size)
        return partial ? std::string_view() : whole;
    if (!partial && textLength > size - start)
        return whole;
    return whole.substr(start, std::min<std::size_t>(textLength, size - start));
}

}  // namespace ds::db::paradox
