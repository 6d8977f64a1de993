#pragma once

#include <cstddef>
#include <vector>

namespace ds::db::paradox {

// Tables made through the HP Roman-8 language driver ("BLROM800") store their text in HP
// Roman-8, which has no Windows code page number. Their text is handed out as UTF-8.
void roman8ToUtf8(const char* in, std::size_t size, std::vector<char>& out);

}  // namespace ds::db::paradox
