#pragma once

#include <QString>

namespace ds::platform {

// How paths look on this system. Windows keeps the old habits (backslash, drive letters, paths
// shown in small or capital letters, names compared without case); elsewhere a path keeps its
// case everywhere, because shown folder texts are read back to open files. Tests switch the
// style to exercise both rule sets on one machine.
enum class PathStyle { Windows, Posix };

PathStyle pathStyle();
void setPathStyle(PathStyle style);  // tests only

QChar pathSeparator();
bool endsWithSeparator(const QString& path);
QString withTrailingSeparator(const QString& path);
// Drops one final separator, but a POSIX root stays "/".
QString withoutTrailingSeparator(const QString& path);

// Folder part (up to and including the last separator) and name part of a path.
QString folderPart(const QString& path);
QString namePart(const QString& path);

// Lower/upper case for display where Windows showed it so; unchanged on POSIX.
QString lowerIfCaseless(const QString& path);
QString upperIfCaseless(const QString& path);

// Path equality as the file system sees it.
bool samePath(const QString& a, const QString& b);

// A native path from a Qt path ("/" separators) and back.
QString toNative(const QString& path);
QString fromNative(const QString& path);

}  // namespace ds::platform
