#include "search/ShortPath.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ds::search {

QString ShortPathName(const QString& path) {
#ifdef Q_OS_WIN
    const std::wstring w = path.toStdWString();
    wchar_t buffer[164] = {};
    const DWORD n = GetShortPathNameW(w.c_str(), buffer, 164);
    if (n == 0 || n >= 164)
        return {};
    return QString::fromWCharArray(buffer, int(n));
#else
    return QFileInfo::exists(path) ? path : QString();
#endif
}

}  // namespace ds::search
