#include "dbengine/access/JetHeader.h"

#include "dbengine/CodePages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace ds::db::access {

namespace {

constexpr char kJetSignature[] = "Standard Jet DB";  // 15 characters and a NUL
constexpr std::size_t kJet3Page = 2048;
constexpr std::size_t kJet4Page = 4096;
// libmdb reads the catalog from page 2, so a readable file has at least pages 0..2.
constexpr std::uint64_t kMinimumPages = 3;

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
              std::size_t length) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % keyLength]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

JetHeader::Check JetHeader::parse(const std::uint8_t* bytes, std::size_t available,
                                  std::uint64_t fileSize, JetHeader& out) {
    out = JetHeader{};
    if (available < header::MaskedBlock + header::Jet4BlockLength || bytes[0] != 0 ||
        std::memcmp(bytes + header::Signature, kJetSignature, sizeof kJetSignature) != 0)
        return Check::NotJet;
    // 2..6 are the ACCDB versions: a different engine generation, not read here.
    const std::uint32_t version = le32(bytes + header::Version);
    if (version > 1)
        return Check::NotJet;
    out.version = static_cast<int>(version);
    out.pageSize = version == 1 ? kJet4Page : kJet3Page;
    if (fileSize < kMinimumPages * out.pageSize || fileSize % out.pageSize != 0)
        return Check::Truncated;

    std::array<std::uint8_t, header::Jet4BlockLength> block{};
    const std::size_t blockLength =
        out.isJet4() ? header::Jet4BlockLength : header::Jet3BlockLength;
    std::memcpy(block.data(), bytes + header::MaskedBlock, blockLength);
    rc4Apply(header::BlockKey, sizeof header::BlockKey, block.data(), blockLength);
    const auto at = [&](std::size_t offset) {
        return block.data() + (offset - header::MaskedBlock);
    };

    out.codePage = at(header::CodePage)[0] | at(header::CodePage)[1] << 8;
    out.dbKey = le32(at(header::DbKey));
    if (out.isJet4()) {
        std::memcpy(&out.creationDate, at(header::CreationDate), sizeof out.creationDate);
        // The stored password is masked with the day number of the creation date.
        std::uint32_t days = 0;
        if (std::isfinite(out.creationDate) && out.creationDate > -2147483648.0 &&
            out.creationDate < 2147483648.0)
            days = static_cast<std::uint32_t>(static_cast<std::int32_t>(out.creationDate));
        const std::uint8_t mask[4] = {
            static_cast<std::uint8_t>(days), static_cast<std::uint8_t>(days >> 8),
            static_cast<std::uint8_t>(days >> 16), static_cast<std::uint8_t>(days >> 24)};
        const std::uint8_t* p = at(header::Password);
        for (std::size_t i = 0; i < 40; i += 2) {
            const auto c =
                static_cast<char16_t>((p[i] ^ mask[i % 4]) | (p[i + 1] ^ mask[(i + 1) % 4]) << 8);
            if (c == 0)
                break;
            out.password.push_back(c);
        }
    } else {
        // Jet 3 keeps up to 20 single-byte characters of the header code page, unmasked.
        const auto& table =
            singleByteTable(isSingleByteCodePage(out.codePage) ? out.codePage : cp::Windows1252);
        const std::uint8_t* p = at(header::Password);
        for (std::size_t i = 0; i < 20 && p[i] != 0; ++i)
            out.password.push_back(table[p[i]]);
    }
    return Check::Ok;
}

void JetHeader::decodePage(std::uint32_t page, std::uint8_t* data, std::size_t length) const {
    if (dbKey == 0 || page == 0)
        return;
    const std::uint32_t k = dbKey ^ page;
    const std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                 static_cast<std::uint8_t>(k >> 16),
                                 static_cast<std::uint8_t>(k >> 24)};
    rc4Apply(key, sizeof key, data, length);
}

}  // namespace ds::db::access
