#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace ds::platform {

// File attribute bits as the search shows them (letters A, R, H, S).
namespace attr {
constexpr int ReadOnly = 1;
constexpr int Hidden = 2;
constexpr int System = 4;
constexpr int Directory = 16;
constexpr int Archive = 32;
}  // namespace attr

struct FileStat {
    std::int64_t size = 0;
    QDateTime modified;  // local time
    int attributes = 0;
};

// Folder and file listing for the folder walk: fast (names are only decoded where needed, only
// matching files are examined), never following links to folders and never leaving the file
// system the walk started on.
class FileSystem {
  public:
    // Identifies the file system a path lies on; nullopt when the path cannot be examined.
    static std::optional<std::uint64_t> deviceOf(const QString& path);

    // Names of the subfolders of folder, in case-insensitive name order. Links to folders and
    // folders on another file system than device are left out. False when the folder cannot
    // be read (names then stays empty).
    static bool subfolders(const QString& folder, std::uint64_t device, QStringList* names);

    // Names of the files of folder whose name ends with extension (compared without case, e.g.
    // ".dbf"); an empty extension takes every file. Hidden and system files included. In
    // case-insensitive name order. False when the folder cannot be read.
    static bool matchingFiles(const QString& folder, const QString& extension, QStringList* names);

    // Whether a walk can start at folder: 0 when it exists (or exists but cannot be read, which
    // then simply lists nothing), 76 when the path is missing or not a folder, 68 when its
    // device is not available.
    static int probeFolder(const QString& folder);

    // The length of a file in bytes, or -1 when it cannot be examined.
    static std::int64_t size(const QString& path);

    // Size, last change and attribute bits of a file.
    static bool stat(const QString& path, FileStat* out);

    // Sets or clears the read-only attribute (the others have no meaning here); errors ignored.
    static void setAttributes(const QString& path, int attributes);

    // Sorts names the way the file lists show them.
    static void sortNames(QStringList* names);
};

// Folder exists (the settings' check for stored search folders).
bool FolderExists(const QString& path);

// Sets file attributes, ignoring any error.
void SetFileAttr(const QString& path, int attributes);

}  // namespace ds::platform
