#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace ds::platform {

void FileSystem::sortNames(QStringList* names) {
    std::sort(names->begin(), names->end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void SetFileAttr(const QString& path, int attributes) {
    FileSystem::setAttributes(path, attributes);
}

#ifdef Q_OS_WIN

std::optional<std::uint64_t> FileSystem::deviceOf(const QString& path) {
    return QFileInfo(path).exists() ? std::optional<std::uint64_t>(0) : std::nullopt;
}

int FileSystem::probeFolder(const QString& folder) {
    const std::wstring w = QDir::toNativeSeparators(folder).toStdWString();
    const DWORD a = GetFileAttributesW(w.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return (e == ERROR_NOT_READY || e == ERROR_DEV_NOT_EXIST) ? 68 : 76;
    }
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 76;
}

bool FileSystem::subfolders(const QString& folder, std::uint64_t, QStringList* names) {
    names->clear();
    QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return false;
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden |
                                                 QDir::System | QDir::NoSymLinks)) {
        if (!fi.isJunction())
            names->append(fi.fileName());
    }
    sortNames(names);
    return true;
}

bool FileSystem::matchingFiles(const QString& folder, const QString& extension,
                               QStringList* names) {
    names->clear();
    QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return false;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (extension.isEmpty() || name.endsWith(extension, Qt::CaseInsensitive))
            names->append(name);
    }
    sortNames(names);
    return true;
}

std::int64_t FileSystem::size(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() ? std::int64_t(fi.size()) : -1;
}

bool FileSystem::stat(const QString& path, FileStat* out) {
    const std::wstring w = QDir::toNativeSeparators(path).toStdWString();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data))
        return false;
    const QFileInfo fi(path);
    out->size = fi.size();
    out->modified = fi.lastModified();
    out->attributes = int(data.dwFileAttributes & 0x37);
    return true;
}

void FileSystem::setAttributes(const QString& path, int attributes) {
    const std::wstring w = QDir::toNativeSeparators(path).toStdWString();
    SetFileAttributesW(w.c_str(), DWORD(attributes));
}

#else

namespace {

class DirHandle {
  public:
    explicit DirHandle(const QString& folder)
        : dir_(::opendir(QFile::encodeName(folder).constData())) {}
    ~DirHandle() {
        if (dir_)
            ::closedir(dir_);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    DIR* get() const { return dir_; }

  private:
    DIR* dir_;
};

bool isDotOrDotDot(const char* n) {
    return n[0] == '.' && (!n[1] || (n[1] == '.' && !n[2]));
}

bool endsWithCaseless(const char* name, std::size_t length, const QByteArray& ext) {
    if (std::size_t(ext.size()) > length)
        return false;
    const char* tail = name + length - std::size_t(ext.size());
    for (qsizetype i = 0; i < ext.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != ext[i])
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::uint64_t> FileSystem::deviceOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return std::uint64_t(st.st_dev);
}

int FileSystem::probeFolder(const QString& folder) {
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0) {
        switch (errno) {
            case EIO:
            case ENXIO:
            case ENODEV:
#ifdef ENOMEDIUM
            case ENOMEDIUM:
#endif
                return 68;
            case EACCES:
                return 0;
            default:
                return 76;
        }
    }
    return S_ISDIR(st.st_mode) ? 0 : 76;
}

bool FileSystem::subfolders(const QString& folder, std::uint64_t device, QStringList* names) {
    names->clear();
    DirHandle dir(folder);
    if (!dir.get())
        return false;
    const int dfd = ::dirfd(dir.get());
    while (const dirent* e = ::readdir(dir.get())) {
        if (isDotOrDotDot(e->d_name))
            continue;
        if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN)
            continue;  // links to folders are never followed
        struct stat st {};
        if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (std::uint64_t(st.st_dev) != device)
            continue;  // a mount point: another file system, walked on its own if at all
        names->append(QFile::decodeName(e->d_name));
    }
    sortNames(names);
    return true;
}

bool FileSystem::matchingFiles(const QString& folder, const QString& extension,
                               QStringList* names) {
    names->clear();
    DirHandle dir(folder);
    if (!dir.get())
        return false;
    const QByteArray ext = QFile::encodeName(extension.toLower());
    const int dfd = ::dirfd(dir.get());
    while (const dirent* e = ::readdir(dir.get())) {
        if (e->d_type == DT_DIR || isDotOrDotDot(e->d_name))
            continue;
        if (!endsWithCaseless(e->d_name, std::strlen(e->d_name), ext))
            continue;
        if (e->d_type != DT_REG) {
            // Links to files count as files; links to folders, loops and devices do not.
            struct stat st {};
            if (::fstatat(dfd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        names->append(QFile::decodeName(e->d_name));
    }
    sortNames(names);
    return true;
}

std::int64_t FileSystem::size(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return std::int64_t(st.st_size);
}

bool FileSystem::stat(const QString& path, FileStat* out) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    out->size = std::int64_t(st.st_size);
    out->modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
    int a = 0;
    if (!(st.st_mode & S_IWUSR))
        a |= attr::ReadOnly;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (path.mid(slash + 1).startsWith(QLatin1Char('.')))
        a |= attr::Hidden;
    if (S_ISDIR(st.st_mode))
        a |= attr::Directory;
    out->attributes = a;
    return true;
}

void FileSystem::setAttributes(const QString& path, int attributes) {
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (::stat(p.constData(), &st) != 0)
        return;
    mode_t mode = st.st_mode & 07777;
    if (attributes & attr::ReadOnly)
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777))
        ::chmod(p.constData(), mode);
}

#endif

}  // namespace ds::platform
