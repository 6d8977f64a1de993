#pragma once

#include "dbengine/io/ReadOnlyFile.h"
#include "dbengine/paradox/ReadWindow.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ds::db::paradox {

// The .MB file beside a table: blobs too long for their field's leader. A record's pointer
// names a 256-byte aligned offset and a slot: 0xFF for a block holding one blob (type 2), else
// the slot of a 4 KB block shared by up to 64 small blobs (type 3).
class BlobFile {
  public:
    BlobFile() : window_(file_) {}
    BlobFile(const BlobFile&) = delete;
    BlobFile& operator=(const BlobFile&) = delete;

    // False when the file cannot be opened; lastError() then gives the engine error number.
    bool open(const std::string& utf8Path, std::uint32_t key);
    bool isOpen() const { return file_.isOpen(); }
    int lastError() const { return file_.lastError(); }

    // Copies the blob into out (resized to length; its capacity is kept for the next call).
    // EngineError 3049 when the pointer, the block it reaches or the stored length disagree.
    void read(std::uint32_t location, std::uint32_t length, std::vector<char>& out);

  private:
    void readSingle(std::uint64_t offset, std::uint32_t length, std::vector<char>& out);
    void readSuballocated(std::uint64_t offset, unsigned slot, std::uint32_t length,
                          std::vector<char>& out);
    [[noreturn]] void corrupt() const;

    ReadOnlyFile file_;
    ReadWindow window_;  // shared blocks of neighbouring records usually lie together
    std::uint32_t key_ = 0;
    // Encrypted files: the last shared block read, decrypted.
    std::vector<unsigned char> shared_;
    std::uint64_t sharedOffset_ = ~std::uint64_t{0};
};

}  // namespace ds::db::paradox
