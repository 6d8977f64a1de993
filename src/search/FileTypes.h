#pragma once

#include <QString>

namespace ds::search {

// The seventeen file types the search knows, numbered 1 to 17 as the "Dateityp" list stores them.
struct FileType {
    int number;
    const char* displayName;
    const char* extension;  // with dot, upper case: ".MDB"
    const char* connect;    // engine connect string; empty for Access
};

constexpr int kFirstFileType = 1;
constexpr int kLastFileType = 17;

// The type with that number, or nullptr outside 1..17.
const FileType* fileType(int number);

// " MS Access (*.MDB)": a blank, the name, a blank, "(*", the extension, ")".
QString fileTypeListEntry(int number);

// The file name pattern: "*" and the extension, or "*" for an unknown number.
QString fileTypePattern(int number);

// The extension as the folder walk matches it (".MDB"), empty for an unknown number.
QString fileTypeExtension(int number);

// The connect string, empty for Access and for an unknown number.
QString fileTypeConnect(int number);

// Access and Excel hold several tables per file; dBASE, FoxPro and Paradox one.
bool hasSeveralTables(int number);

// Paradox (9 to 12): always opened under the 8.3 short name.
bool isParadox(int number);

// dBASE, FoxPro and Paradox: read by the program's own readers, which share no state between
// files, so that several files may be read at once. (The Access and Excel libraries make no such
// promise.)
bool readsConcurrently(int number);

}  // namespace ds::search
