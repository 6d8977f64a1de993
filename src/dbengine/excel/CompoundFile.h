#pragma once

#include "dbengine/excel/ByteSource.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ds::db::excel {

// Just enough of the compound file container (OLE2 structured storage) to find a stream among
// the root storage's children and read it. Every sector number and chain is checked: a chain
// that leaves the file, loops or ends early makes the file corrupt.
class CompoundFile {
  public:
    static constexpr std::size_t kSignatureSize = 8;
    static bool hasSignature(const std::uint8_t* first8);

    // Reads header, FAT and directory. Throws EngineError 3274 when the header is not one of a
    // compound file, 3049 when its tables are damaged.
    explicit CompoundFile(SharedFile file);

    // A stream directly below the root storage, the name compared without regard to ASCII case;
    // null when there is none.
    std::unique_ptr<ByteSource> openRootStream(std::u16string_view name) const;

  private:
    struct Entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    void readFat(const std::uint8_t* header);
    void readDirectory(std::uint32_t firstSector);
    void readMiniFat(std::uint32_t firstSector);
    std::uint64_t sectorOffset(std::uint32_t sector) const;
    // Sector numbers of a chain, at most maxCount of them.
    std::vector<std::uint32_t> chain(std::uint32_t start, std::uint64_t maxCount) const;
    std::unique_ptr<ByteSource> openEntry(const Entry& entry) const;
    std::vector<std::uint8_t> readMiniStream(const Entry& entry) const;

    SharedFile file_;
    std::uint32_t sectorSize_ = 512;
    std::uint64_t sectorsInFile_ = 0;
    std::uint32_t miniCutoff_ = 4096;
    bool version4_ = false;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
};

}  // namespace ds::db::excel
