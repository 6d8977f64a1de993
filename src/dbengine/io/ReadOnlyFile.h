#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ds::db {

// A file opened for reading only, with positioned reads. The one way the readers touch a file:
// it can never write, and it never changes the file's times.
class ReadOnlyFile {
  public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;

    // Opens the file; on failure returns false and lastError() gives the engine error number
    // (3024 not found, 3051 no permission or not a regular file, 75 other I/O errors).
    bool open(const std::string& utf8Path);
    bool isOpen() const;
    void close();

    std::uint64_t size() const { return size_; }

    // Reads up to length bytes at offset; returns the count read (short at end of file).
    // Throws EngineError(75) on an I/O error.
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const;

    // Reads exactly length bytes or throws EngineError(3049, corrupt) when the file is shorter.
    void readExactly(std::uint64_t offset, void* buffer, std::size_t length) const;

    int lastError() const { return lastError_; }
    const std::string& path() const { return path_; }

  private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::uint64_t size_ = 0;
    int lastError_ = 0;
    std::string path_;
};

}  // namespace ds::db
