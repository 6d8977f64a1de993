#pragma once

#include "dbengine/io/ReadOnlyFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ds::db::excel {

// The bytes of one BIFF stream: a whole raw file, a stream inside a compound file, or a small
// stream already copied into memory. Reads are positioned and never cross the stream's end.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies length bytes from offset; throws EngineError(3049) when they lie outside the stream.
    virtual void read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const = 0;

  protected:
    void checkRange(std::uint64_t offset, std::size_t length) const;
};

using SharedFile = std::shared_ptr<const ReadOnlyFile>;

// The whole file as one stream (BIFF3/BIFF4 files and raw BIFF5/8 streams).
class FileSource final : public ByteSource {
  public:
    explicit FileSource(SharedFile file) : file_(std::move(file)) {}
    std::uint64_t size() const override { return file_->size(); }
    void read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;

  private:
    SharedFile file_;
};

// A stream stored in equally sized sectors of a file, in chain order.
class SectorSource final : public ByteSource {
  public:
    SectorSource(SharedFile file, std::vector<std::uint64_t> sectorOffsets,
                 std::uint32_t sectorSize, std::uint64_t size)
        : file_(std::move(file)),
          sectors_(std::move(sectorOffsets)),
          sectorSize_(sectorSize),
          size_(size) {}
    std::uint64_t size() const override { return size_; }
    void read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;

  private:
    SharedFile file_;
    std::vector<std::uint64_t> sectors_;  // file offset of each sector
    std::uint32_t sectorSize_;
    std::uint64_t size_;
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    void read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override;

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace ds::db::excel
