#include "dbengine/io/ReadOnlyFile.h"

#include "dbengine/EngineError.h"

#include <QString>

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace ds::db {

ReadOnlyFile::~ReadOnlyFile() {
    close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept {
    *this = std::move(other);
}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        close();
#ifdef _WIN32
        handle_ = std::exchange(other.handle_, nullptr);
#else
        fd_ = std::exchange(other.fd_, -1);
#endif
        size_ = std::exchange(other.size_, 0);
        lastError_ = other.lastError_;
        path_ = std::move(other.path_);
    }
    return *this;
}

#ifdef _WIN32

bool ReadOnlyFile::open(const std::string& utf8Path) {
    close();
    path_ = utf8Path;
    const std::wstring wide = QString::fromStdString(utf8Path).toStdWString();
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        lastError_ = (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? err::FileNotFound
                     : (e == ERROR_SHARING_VIOLATION)                         ? err::FileInUse
                                                                              : err::CannotOpenFile;
        return false;
    }
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h, &li)) {
        CloseHandle(h);
        lastError_ = err::PathFileAccess;
        return false;
    }
    handle_ = h;
    size_ = static_cast<std::uint64_t>(li.QuadPart);
    lastError_ = 0;
    return true;
}

bool ReadOnlyFile::isOpen() const {
    return handle_ != nullptr;
}

void ReadOnlyFile::close() {
    if (handle_)
        CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    size_ = 0;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    if (!handle_ || offset >= size_)
        return 0;
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    std::size_t done = 0;
    while (done < length) {
        OVERLAPPED ov{};
        const std::uint64_t pos = offset + done;
        ov.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
        ov.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        if (!ReadFile(static_cast<HANDLE>(handle_), static_cast<char*>(buffer) + done, chunk, &got,
                      &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            throwEngineError(err::PathFileAccess);
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

#else

bool ReadOnlyFile::open(const std::string& utf8Path) {
    close();
    path_ = utf8Path;
    int flags = O_RDONLY | O_CLOEXEC;
#ifdef O_NOCTTY
    flags |= O_NOCTTY;
#endif
    // Non-blocking so that a FIFO or device named like a database cannot hang the search.
    const int fd = ::open(utf8Path.c_str(), flags | O_NONBLOCK);
    if (fd < 0) {
        lastError_ = (errno == ENOENT || errno == ENOTDIR) ? err::FileNotFound
                     : (errno == EACCES || errno == EPERM) ? err::CannotOpenFile
                                                           : err::PathFileAccess;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        lastError_ = err::CannotOpenFile;
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    lastError_ = 0;
    return true;
}

bool ReadOnlyFile::isOpen() const {
    return fd_ >= 0;
}

void ReadOnlyFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    if (fd_ < 0 || offset >= size_)
        return 0;
    // Not past the size seen at open: a read that comes back short would cost one more call.
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, static_cast<char*>(buffer) + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwEngineError(err::PathFileAccess);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

#endif

void ReadOnlyFile::readExactly(std::uint64_t offset, void* buffer, std::size_t length) const {
    if (readAt(offset, buffer, length) != length)
        throwEngineError(err::CorruptDatabase, QString::fromStdString(path_));
}

}  // namespace ds::db
