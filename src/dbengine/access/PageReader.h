#pragma once

#include "dbengine/access/JetHeader.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace ds::db::access {

// The pages of one database file, decoded when the file is RC4-encoded. Scans read through a
// window of consecutive pages (one read call for many pages); single pages elsewhere (memo
// values, map pages) go through a side buffer so that the scan's window stays put.
class PageReader {
  public:
    // Throws the file's EngineError when it cannot be opened.
    PageReader(const QString& path, const JetHeader& header);

    std::uint32_t pageCount() const { return pageCount_; }
    std::size_t pageSize() const { return header_.pageSize; }

    // Page n of a scan (n < pageCount()); valid until the next scanPage call.
    const std::uint8_t* scanPage(std::uint32_t n);
    // Page n read on its own; valid until the next sidePage call.
    const std::uint8_t* sidePage(std::uint32_t n);

  private:
    void decode(std::uint32_t n, std::uint8_t* data) const;

    ReadOnlyFile file_;
    JetHeader header_;
    std::uint32_t pageCount_ = 0;
    std::vector<std::uint8_t> window_;
    std::uint32_t windowStart_ = 0;
    std::uint32_t windowPages_ = 0;
    std::vector<std::uint8_t> side_;
    std::uint32_t sidePage_ = 0;
    bool sideValid_ = false;
};

}  // namespace ds::db::access
