#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ds::db::excel {

// Turns encrypted record bodies of a workbook stream back into plain bytes. Both schemes are keyed
// by the position in the stream, so records can be read in any order.
class StreamCipher {
  public:
    virtual ~StreamCipher() = default;
    // Decrypts body[from, length) of a record whose body starts at stream offset bodyOffset.
    virtual void decryptBody(std::uint64_t bodyOffset, std::uint8_t* body, std::size_t length,
                             std::size_t from) = 0;
};

// The password Excel uses for workbooks saved as "read-only recommended"; such files open
// without asking.
inline constexpr char16_t kDefaultPassword[] = u"VelvetSweatshop";

// Reads a FILEPASS record body and finds the cipher for the first password that fits.
// Throws EngineError 3031 when none fits and 3161 for schemes that cannot be decrypted.
// biffVersion is 5 (BIFF5/7) or 8.
std::unique_ptr<StreamCipher> unlockWorkbook(const std::uint8_t* body, std::size_t size,
                                             int biffVersion,
                                             const std::vector<QString>& passwords);

}  // namespace ds::db::excel
