#pragma once

#include "dbengine/dbase/DbfLayout.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace ds::db::dbase {

// Memos beyond this size are treated as damage: no real memo comes near it, and it bounds
// what one hostile pointer can make the reader allocate.
constexpr std::size_t kMaxMemoBytes = 64u * 1024 * 1024;

// A .DBT or .FPT file beside a table. Every block number and length is checked against the
// file; damage is EngineError 3049.
class MemoFile {
  public:
    MemoFile(ReadOnlyFile file, MemoKind kind, QString path);

    // Reads the memo that starts at a block into out (replacing its contents). Block 0 is never
    // a memo; callers treat it as Null.
    void read(std::uint64_t block, std::string& out) const;

    MemoKind kind() const { return kind_; }
    std::uint32_t blockSize() const { return blockSize_; }

  private:
    // Copies up to length bytes at offset through a read-ahead window, so that the memos of
    // consecutive records cost one read per window instead of one or two each. Short only at
    // the end of the file.
    std::size_t fetch(std::uint64_t offset, char* out, std::size_t length) const;
    void readLengthPrefixed(std::uint64_t offset, std::uint64_t length, std::string& out) const;
    void readUntilEndMarker(std::uint64_t offset, std::string& out) const;
    [[noreturn]] void corrupt() const;

    ReadOnlyFile file_;
    MemoKind kind_;
    QString path_;
    std::uint32_t blockSize_ = 0;  // 0: the header gives none, every read is damage
    std::uint64_t firstDataOffset_ = 0;
    mutable std::vector<char> window_;
    mutable std::uint64_t windowStart_ = 0;
    mutable std::size_t windowSize_ = 0;
};

}  // namespace ds::db::dbase
