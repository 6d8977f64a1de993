#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ds::db::access {

// Room the decoders below need for a stored value of `size` bytes.
constexpr std::size_t utf8Capacity(std::size_t size) {
    return 3 * size + 4;
}

// Writes a Jet 4 text value as UTF-8 and returns the bytes written: UCS-2LE, or the compressed
// form that starts with FF FE and switches between one-byte and two-byte characters at each 00
// byte. Surrogate pairs are joined; lone surrogates become U+FFFD.
std::size_t decodeJet4Text(const std::uint8_t* data, std::size_t size, char* out);

// Writes single-byte text (Jet 3) as UTF-8 through a code page table.
std::size_t decodeSingleByteText(const std::uint8_t* data, std::size_t size,
                                 const std::array<char16_t, 256>& table, char* out);

}  // namespace ds::db::access
