#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ds::db {
class ReadOnlyFile;
}

namespace ds::db::paradox {

// A window of a file read in one go: blocks that follow each other in the file then cost one
// system call per window instead of one each.
class ReadWindow {
  public:
    static constexpr std::size_t kDefaultSize = 64 * 1024;

    explicit ReadWindow(const ReadOnlyFile& file, std::size_t size = kDefaultSize);

    // The bytes [offset, offset + length) of the file, valid until the next call. EngineError
    // 3049 when the file ends before them. length must not exceed the window size.
    const unsigned char* bytes(std::uint64_t offset, std::size_t length);

    // Forgets what was read, e.g. after the file was reopened.
    void clear() { filled_ = 0; }

  private:
    const ReadOnlyFile& file_;
    std::vector<unsigned char> buffer_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

}  // namespace ds::db::paradox
