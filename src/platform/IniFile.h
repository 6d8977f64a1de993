#pragma once

#include <QString>
#include <QStringList>

namespace ds::platform {

// A hand-editable Windows INI file read and written one value at a time, with the semantics of
// the Windows private-profile functions: section and key names compare without regard to case,
// values are the trimmed text after the first "=" (one pair of enclosing quotes dropped), and a
// write replaces or inserts exactly one line and leaves every other line, comment and blank
// line as it was. The file keeps its line endings and its encoding (UTF-8, or Windows-1252 for a
// file that is not valid UTF-8); a new file is UTF-8 with the platform's line ending.
class IniFile {
  public:
    // Longest value a read returns: the old 2048-character buffer held 2047 characters and the
    // terminating zero.
    static constexpr qsizetype kMaxValueLength = 2047;

    // The value, or the default (trailing blanks removed) when the file, section or key is
    // missing. Values longer than kMaxValueLength are cut.
    static QString read(const QString& path, const QString& section, const QString& key,
                        const QString& defaultValue);

    // Sets key=value in the section, creating the file and the section when missing. Returns
    // false when the file cannot be written.
    static bool write(const QString& path, const QString& section, const QString& key,
                      const QString& value);
};

}  // namespace ds::platform
