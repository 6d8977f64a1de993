#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ds::db::access {

// RC4 keystream XORed over data in place (RC4 is its own inverse).
void rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
              std::size_t length);

// What page 0 of a Jet database says about the file, decoded without libmdb.
struct JetHeader {
    enum class Check {
        Ok,
        NotJet,     // no Jet signature, or a version this reader does not read (ACCDB)
        Truncated,  // too short, or not a whole number of pages
    };

    int version = -1;  // 0 Jet 3, 1 Jet 4
    std::size_t pageSize = 0;
    int codePage = 0;         // header code page (Jet 3 text is stored in it)
    std::uint32_t dbKey = 0;  // non-zero: pages 1.. are RC4-encoded
    double creationDate = 0;
    std::u16string password;  // empty: not protected

    bool isJet4() const { return version == 1; }

    // Decodes the header from the first bytes of the file. headerBytes must hold at least
    // min(fileSize, 4096) bytes. Returns why the file cannot be read, or Ok.
    static Check parse(const std::uint8_t* headerBytes, std::size_t available,
                       std::uint64_t fileSize, JetHeader& out);

    // Undoes the page encoding of page number `page` in place (no-op when dbKey is 0).
    void decodePage(std::uint32_t page, std::uint8_t* data, std::size_t length) const;
};

// Byte offsets inside page 0.
namespace header {
constexpr std::size_t Signature = 0x04;
constexpr std::size_t Version = 0x14;
constexpr std::size_t MaskedBlock = 0x18;
constexpr std::size_t CodePage = 0x3C;
constexpr std::size_t DbKey = 0x3E;
constexpr std::size_t Password = 0x42;
constexpr std::size_t CreationDate = 0x72;
constexpr std::size_t Jet3BlockLength = 126;
constexpr std::size_t Jet4BlockLength = 128;
constexpr std::uint8_t BlockKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
}  // namespace header

}  // namespace ds::db::access
