#include "search/FileTypes.h"

namespace ds::search {

namespace {
constexpr FileType kTypes[] = {
    {1, "MS Access", ".MDB", ""},
    {2, "dBASE III", ".DBF", "dBASE III"},
    {3, "dBASE IV", ".DBF", "dBASE IV"},
    {4, "dBASE 5.0", ".DBF", "dBASE 5.0"},
    {5, "FoxPro 2.0", ".DBF", "FoxPro 2.0"},
    {6, "FoxPro 2.5", ".DBF", "FoxPro 2.5"},
    {7, "FoxPro 2.6", ".DBF", "FoxPro 2.6"},
    {8, "FoxPro 3.0", ".DBF", "FoxPro 3.0"},
    {9, "Paradox 3.X", ".DB", "Paradox 3.X"},
    {10, "Paradox 4.X", ".DB", "Paradox 4.X"},
    {11, "Paradox 5.X", ".DB", "Paradox 5.X"},
    {12, "Paradox 7.X", ".DB", "Paradox 7.X"},
    {13, "Excel 3.0", ".XLS", "Excel 3.0"},
    {14, "Excel 4.0", ".XLS", "Excel 4.0"},
    {15, "Excel 5.0", ".XLS", "Excel 5.0"},
    // Offered as Excel 7.0, opened as Excel 5.0: the two share one file format.
    {16, "Excel 7.0", ".XLS", "Excel 5.0"},
    {17, "Excel 8.0", ".XLS", "Excel 8.0"},
};
}  // namespace

const FileType* fileType(int number) {
    if (number < kFirstFileType || number > kLastFileType)
        return nullptr;
    return &kTypes[number - 1];
}

QString fileTypeListEntry(int number) {
    const FileType* t = fileType(number);
    if (!t)
        return {};
    return QLatin1Char(' ') + QString::fromLatin1(t->displayName) + QStringLiteral(" (*") +
           QString::fromLatin1(t->extension) + QLatin1Char(')');
}

QString fileTypePattern(int number) {
    return QLatin1Char('*') + fileTypeExtension(number);
}

QString fileTypeExtension(int number) {
    const FileType* t = fileType(number);
    return t ? QString::fromLatin1(t->extension) : QString();
}

QString fileTypeConnect(int number) {
    const FileType* t = fileType(number);
    return t ? QString::fromLatin1(t->connect) : QString();
}

bool hasSeveralTables(int number) {
    return number == 1 || (number >= 13 && number <= 17);
}

bool isParadox(int number) {
    return number >= 9 && number <= 12;
}

bool readsConcurrently(int number) {
    return number >= 2 && number <= 12;
}

}  // namespace ds::search
