#include "dbengine/excel/CompoundFile.h"

#include "dbengine/EngineError.h"
#include "dbengine/excel/LittleEndian.h"

#include <algorithm>
#include <array>

namespace ds::db::excel {

namespace {

constexpr std::uint8_t kSignature[CompoundFile::kSignatureSize] = {0xD0, 0xCF, 0x11, 0xE0,
                                                                   0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderDifatCount = 109;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint8_t kTypeStream = 2;
constexpr std::uint8_t kTypeRoot = 5;

[[noreturn]] void corrupt() {
    throwEngineError(err::CorruptDatabase);
}

char16_t foldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

std::uint64_t sectorsFor(std::uint64_t bytes, std::uint32_t unit) {
    return bytes / unit + (bytes % unit != 0 ? 1 : 0);
}

}  // namespace

bool CompoundFile::hasSignature(const std::uint8_t* first8) {
    return std::equal(first8, first8 + kSignatureSize, kSignature);
}

CompoundFile::CompoundFile(SharedFile file) : file_(std::move(file)) {
    std::array<std::uint8_t, kHeaderSize> header{};
    if (file_->size() < kHeaderSize)
        throwEngineError(err::WrongFormat);
    file_->readExactly(0, header.data(), header.size());
    if (!hasSignature(header.data()) || readU16(&header[28]) != 0xFFFE)
        throwEngineError(err::WrongFormat);
    const std::uint16_t shift = readU16(&header[30]);
    if ((shift != 9 && shift != 12) || readU16(&header[32]) != 6)
        throwEngineError(err::WrongFormat);
    sectorSize_ = 1u << shift;
    version4_ = readU16(&header[26]) == 4;
    // Sector n starts at (n + 1) * sectorSize: the header fills sector -1.
    sectorsInFile_ = sectorsFor(file_->size(), sectorSize_);
    sectorsInFile_ = sectorsInFile_ > 0 ? sectorsInFile_ - 1 : 0;
    // Anything but 4096 would be invalid; the value is not trusted to size anything.
    miniCutoff_ = 4096;

    readFat(header.data());
    readDirectory(readU32(&header[48]));
    readMiniFat(readU32(&header[60]));
}

std::uint64_t CompoundFile::sectorOffset(std::uint32_t sector) const {
    return (static_cast<std::uint64_t>(sector) + 1) * sectorSize_;
}

void CompoundFile::readFat(const std::uint8_t* header) {
    const std::uint32_t fatSectors = readU32(header + 44);
    if (fatSectors == 0 || fatSectors > sectorsInFile_)
        corrupt();
    std::vector<std::uint32_t> fatIds;
    fatIds.reserve(fatSectors);
    for (std::size_t i = 0; i < kHeaderDifatCount && fatIds.size() < fatSectors; ++i)
        fatIds.push_back(readU32(header + 76 + 4 * i));

    // Further FAT sector numbers come from the DIFAT chain, each of its sectors ending in the
    // number of the next one.
    std::uint32_t difat = readU32(header + 68);
    const std::uint32_t perDifat = sectorSize_ / 4 - 1;
    std::vector<std::uint8_t> buffer(sectorSize_);
    std::uint64_t guard = 0;
    while (fatIds.size() < fatSectors) {
        if (difat >= sectorsInFile_ || ++guard > sectorsInFile_)
            corrupt();
        file_->readExactly(sectorOffset(difat), buffer.data(), buffer.size());
        for (std::uint32_t i = 0; i < perDifat && fatIds.size() < fatSectors; ++i)
            fatIds.push_back(readU32(&buffer[4 * i]));
        difat = readU32(&buffer[4 * perDifat]);
    }

    fat_.reserve(static_cast<std::size_t>(fatSectors) * (sectorSize_ / 4));
    for (std::uint32_t id : fatIds) {
        if (id >= sectorsInFile_)
            corrupt();
        file_->readExactly(sectorOffset(id), buffer.data(), buffer.size());
        for (std::uint32_t i = 0; i < sectorSize_ / 4; ++i)
            fat_.push_back(readU32(&buffer[4 * i]));
    }
}

std::vector<std::uint32_t> CompoundFile::chain(std::uint32_t start, std::uint64_t maxCount) const {
    std::vector<std::uint32_t> sectors;
    std::vector<bool> seen(fat_.size(), false);
    std::uint32_t sector = start;
    while (sector != kEndOfChain && sectors.size() < maxCount) {
        if (sector >= fat_.size() || sector >= sectorsInFile_ || seen[sector])
            corrupt();
        seen[sector] = true;
        sectors.push_back(sector);
        sector = fat_[sector];
    }
    return sectors;
}

void CompoundFile::readDirectory(std::uint32_t firstSector) {
    const std::vector<std::uint32_t> sectors = chain(firstSector, sectorsInFile_);
    if (sectors.empty())
        corrupt();
    std::vector<std::uint8_t> buffer(sectorSize_);
    for (std::uint32_t sector : sectors) {
        file_->readExactly(sectorOffset(sector), buffer.data(), buffer.size());
        for (std::size_t at = 0; at + kEntrySize <= buffer.size(); at += kEntrySize) {
            const std::uint8_t* e = &buffer[at];
            Entry entry;
            const std::uint16_t nameBytes = std::min<std::uint16_t>(readU16(e + 64), 64);
            for (std::size_t i = 0; i + 1 < nameBytes; i += 2) {
                const char16_t c = readU16(e + i);
                if (c == 0)
                    break;
                entry.name.push_back(c);
            }
            entry.type = e[66];
            entry.left = readU32(e + 68);
            entry.right = readU32(e + 72);
            entry.child = readU32(e + 76);
            entry.start = readU32(e + 116);
            // Version 3 files may leave garbage in the high half of the size.
            entry.size = version4_ ? readU64(e + 120) : readU32(e + 120);
            entries_.push_back(std::move(entry));
        }
    }
    if (entries_.front().type != kTypeRoot)
        corrupt();
}

void CompoundFile::readMiniFat(std::uint32_t firstSector) {
    if (firstSector == kEndOfChain || firstSector == kNoStream)
        return;
    std::vector<std::uint8_t> buffer(sectorSize_);
    for (std::uint32_t sector : chain(firstSector, sectorsInFile_)) {
        file_->readExactly(sectorOffset(sector), buffer.data(), buffer.size());
        for (std::uint32_t i = 0; i < sectorSize_ / 4; ++i)
            miniFat_.push_back(readU32(&buffer[4 * i]));
    }
}

std::unique_ptr<ByteSource> CompoundFile::openRootStream(std::u16string_view name) const {
    std::vector<bool> visited(entries_.size(), false);
    std::vector<std::uint32_t> pending{entries_.front().child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id >= entries_.size() || visited[id])
            continue;
        visited[id] = true;
        const Entry& entry = entries_[id];
        if (entry.type == kTypeStream && sameName(entry.name, name))
            return openEntry(entry);
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    return nullptr;
}

std::unique_ptr<ByteSource> CompoundFile::openEntry(const Entry& entry) const {
    if (entry.size < miniCutoff_)
        return std::make_unique<MemorySource>(readMiniStream(entry));
    const std::uint64_t needed = sectorsFor(entry.size, sectorSize_);
    if (needed > sectorsInFile_)
        corrupt();
    const std::vector<std::uint32_t> sectors = chain(entry.start, needed);
    if (sectors.size() < needed)
        corrupt();
    std::vector<std::uint64_t> offsets;
    offsets.reserve(sectors.size());
    for (std::uint32_t s : sectors)
        offsets.push_back(sectorOffset(s));
    return std::make_unique<SectorSource>(file_, std::move(offsets), sectorSize_, entry.size);
}

std::vector<std::uint8_t> CompoundFile::readMiniStream(const Entry& entry) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry.size));
    if (bytes.empty())
        return bytes;
    // Small streams live in 64-byte pieces inside the root entry's own stream.
    const Entry& root = entries_.front();
    const std::uint64_t rootSectors = sectorsFor(root.size, sectorSize_);
    if (rootSectors > sectorsInFile_)
        corrupt();
    const std::vector<std::uint32_t> container = chain(root.start, rootSectors);
    std::vector<std::uint64_t> offsets;
    for (std::uint32_t s : container)
        offsets.push_back(sectorOffset(s));
    const std::uint64_t containerSize = std::min<std::uint64_t>(
        root.size, static_cast<std::uint64_t>(offsets.size()) * sectorSize_);
    const SectorSource miniStream(file_, std::move(offsets), sectorSize_, containerSize);

    std::vector<bool> seen(miniFat_.size(), false);
    std::uint32_t mini = entry.start;
    for (std::size_t done = 0; done < bytes.size();) {
        if (mini >= miniFat_.size() || seen[mini])
            corrupt();
        seen[mini] = true;
        const std::size_t n = std::min<std::size_t>(kMiniSectorSize, bytes.size() - done);
        miniStream.read(static_cast<std::uint64_t>(mini) * kMiniSectorSize, &bytes[done], n);
        done += n;
        mini = miniFat_[mini];
    }
    return bytes;
}

}  // namespace ds::db::excel
