#include "dbengine/access/PageReader.h"

#include "dbengine/EngineError.h"

#include <QFile>

#include <algorithm>

namespace ds::db::access {

namespace {
constexpr std::uint32_t kWindowPages = 16;
}

PageReader::PageReader(const QString& path, const JetHeader& header) : header_(header) {
    if (!file_.open(QFile::encodeName(path).toStdString()))
        throwEngineError(file_.lastError(), path);
    pageCount_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(file_.size() / header_.pageSize, UINT32_MAX));
    window_.resize(kWindowPages * header_.pageSize);
    side_.resize(header_.pageSize);
}

void PageReader::decode(std::uint32_t n, std::uint8_t* data) const {
    header_.decodePage(n, data, header_.pageSize);
}

const std::uint8_t* PageReader::scanPage(std::uint32_t n) {
    if (n >= pageCount_)
        throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
    if (n < windowStart_ || n >= windowStart_ + windowPages_) {
        windowStart_ = n;
        windowPages_ = std::min(kWindowPages, pageCount_ - n);
        file_.readExactly(std::uint64_t{n} * header_.pageSize, window_.data(),
                          windowPages_ * header_.pageSize);
        for (std::uint32_t i = 0; i < windowPages_; ++i)
            decode(n + i, window_.data() + i * header_.pageSize);
    }
    return window_.data() + (n - windowStart_) * header_.pageSize;
}

const std::uint8_t* PageReader::sidePage(std::uint32_t n) {
    if (n >= pageCount_)
        throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
    if (!sideValid_ || sidePage_ != n) {
        file_.readExactly(std::uint64_t{n} * header_.pageSize, side_.data(), side_.size());
        decode(n, side_.data());
        sidePage_ = n;
        sideValid_ = true;
    }
    return side_.data();
}

}  // namespace ds::db::access
