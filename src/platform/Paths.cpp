#include "platform/Paths.h"

namespace ds::platform {

namespace {
PathStyle g_style =
#ifdef Q_OS_WIN
    PathStyle::Windows;
#else
    PathStyle::Posix;
#endif
}  // namespace

PathStyle pathStyle() {
    return g_style;
}
void setPathStyle(PathStyle style) {
    g_style = style;
}

QChar pathSeparator() {
    return g_style == PathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

bool endsWithSeparator(const QString& path) {
    return path.endsWith(pathSeparator());
}

QString withTrailingSeparator(const QString& path) {
    return endsWithSeparator(path) ? path : path + pathSeparator();
}

QString withoutTrailingSeparator(const QString& path) {
    if (!endsWithSeparator(path))
        return path;
    if (g_style == PathStyle::Posix && path == QLatin1String("/"))
        return path;
    return path.left(path.size() - 1);
}

QString folderPart(const QString& path) {
    const qsizetype at = path.lastIndexOf(pathSeparator());
    return at < 0 ? QString() : path.left(at + 1);
}

QString namePart(const QString& path) {
    const qsizetype at = path.lastIndexOf(pathSeparator());
    return at < 0 ? path : path.mid(at + 1);
}

QString lowerIfCaseless(const QString& path) {
    return g_style == PathStyle::Windows ? path.toLower() : path;
}

QString upperIfCaseless(const QString& path) {
    return g_style == PathStyle::Windows ? path.toUpper() : path;
}

bool samePath(const QString& a, const QString& b) {
    return a.compare(b, g_style == PathStyle::Windows ? Qt::CaseInsensitive : Qt::CaseSensitive) ==
           0;
}

QString toNative(const QString& path) {
    QString p = path;
    if (g_style == PathStyle::Windows)
        p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return p;
}

QString fromNative(const QString& path) {
    QString p = path;
    if (g_style == PathStyle::Windows)
        p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

}  // namespace ds::platform
