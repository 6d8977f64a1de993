#pragma once

#include <cstddef>
#include <string_view>

namespace ds::db::paradox {

// The plain text inside a formatted memo. The blob starts with a u32 entry count n and a u32
// text length (with its NUL), then n - 1 six-byte formatting entries, then the text, then the
// formatting runs. partial: only the start of the blob is present (no .MB file); the text is
// then cut where the data ends. Data that does not have this shape is returned whole.
std::string_view formattedMemoText(const char* data, std::size_t size, bool partial);

}  // namespace ds::db::paradox
