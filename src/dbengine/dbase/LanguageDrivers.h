#pragma once

#include <cstdint>

namespace ds::db::dbase {

// Code page of a dBASE/FoxPro language-driver id (header byte 29). Files without one (0) and
// ids no writer documents are read as code page 850.
int codePageForLanguageDriver(std::uint8_t id);

// The id a writer stores for a code page: the first id of that code page, 0 when there is none.
std::uint8_t languageDriverForCodePage(int codePage);

}  // namespace ds::db::dbase
