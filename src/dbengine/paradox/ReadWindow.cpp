#include "dbengine/paradox/ReadWindow.h"

#include "dbengine/EngineError.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QString>

#include <algorithm>

namespace ds::db::paradox {

ReadWindow::ReadWindow(const ReadOnlyFile& file, std::size_t size) : file_(file), buffer_(size) {}

const unsigned char* ReadWindow::bytes(std::uint64_t offset, std::size_t length) {
    if (offset >= start_ && offset - start_ + length <= filled_)
        return buffer_.data() + (offset - start_);
    const std::uint64_t fileSize = file_.size();
    if (length > buffer_.size() || offset > fileSize || fileSize - offset < length)
        throwEngineError(err::CorruptDatabase, QString::fromStdString(file_.path()));
    filled_ = 0;
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), fileSize - offset));
    file_.readExactly(offset, buffer_.data(), wanted);
    start_ = offset;
    filled_ = wanted;
    return buffer_.data();
}

}  // namespace ds::db::paradox
