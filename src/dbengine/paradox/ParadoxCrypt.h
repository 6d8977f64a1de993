#pragma once

#include <cstddef>
#include <cstdint>

// Password protection of Paradox tables: a 32-bit key derived from the password is stored in the
// table header; data blocks and the whole .MB file are scrambled in 256-byte chunks whose
// parameters come from the key's low 16 bits.
namespace ds::db::paradox {

constexpr std::size_t kCryptChunk = 256;

// The key a password produces; 0 for an empty password. Defined for fewer than 256 bytes.
std::uint32_t passwordKey(const unsigned char* password, std::size_t length);

// Table data block number blockNumber (1-based, as the block chain numbers it). size is a
// multiple of kCryptChunk; trailing bytes short of a chunk are left alone.
void decryptDataBlock(unsigned char* data, std::size_t size, std::uint32_t key,
                      std::uint32_t blockNumber);
void encryptDataBlock(unsigned char* data, std::size_t size, std::uint32_t key,
                      std::uint32_t blockNumber);

// Any run of whole chunks of the .MB file, starting at a chunk boundary of the file: every
// chunk is scrambled the same way, whatever its position.
void decryptBlobChunks(unsigned char* data, std::size_t size, std::uint32_t key);
void encryptBlobChunks(unsigned char* data, std::size_t size, std::uint32_t key);

}  // namespace ds::db::paradox
