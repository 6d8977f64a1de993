#include "dbengine/excel/Decryption.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/excel/LittleEndian.h"

#include <QCryptographicHash>

#include <algorithm>
#include <array>
#include <cstring>

namespace ds::db::excel {

namespace {

constexpr std::uint32_t kRc4BlockSize = 1024;

class Rc4 {
  public:
    void setKey(const std::uint8_t* key, std::size_t length) {
        for (int i = 0; i < 256; ++i)
            s_[i] = static_cast<std::uint8_t>(i);
        std::uint8_t j = 0;
        for (int i = 0; i < 256; ++i) {
            j = static_cast<std::uint8_t>(j + s_[i] + key[i % length]);
            std::swap(s_[i], s_[j]);
        }
        i_ = j_ = 0;
    }
    std::uint8_t next() {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        return s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
    }
    void apply(std::uint8_t* data, std::size_t length) {
        for (std::size_t k = 0; k < length; ++k)
            data[k] ^= next();
    }

  private:
    std::array<std::uint8_t, 256> s_{};
    std::uint8_t i_ = 0, j_ = 0;
};

QByteArray digest(QCryptographicHash::Algorithm algorithm, const QByteArray& data) {
    return QCryptographicHash::hash(data, algorithm);
}

QByteArray utf16le(const QString& text) {
    return encodeText(text, cp::Utf16LE);
}

QByteArray bytesOf(const std::uint8_t* p, std::size_t n) {
    return QByteArray(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n));
}

QByteArray le32(std::uint32_t v) {
    std::uint8_t b[4];
    writeU32(b, v);
    return bytesOf(b, 4);
}

// RC4 whose key changes every 1024 bytes of the stream: the key of a block is derived from the
// password key and the block number.
class Rc4Cipher : public StreamCipher {
  public:
    void decryptBody(std::uint64_t bodyOffset, std::uint8_t* body, std::size_t length,
                     std::size_t from) override {
        for (std::size_t k = from; k < length;) {
            const std::uint64_t offset = bodyOffset + k;
            const std::uint64_t block = offset / kRc4BlockSize;
            if (block != block_ || offset < position_) {
                const QByteArray key = blockKey(static_cast<std::uint32_t>(block));
                rc4_.setKey(reinterpret_cast<const std::uint8_t*>(key.constData()),
                            static_cast<std::size_t>(key.size()));
                block_ = block;
                position_ = block * kRc4BlockSize;
            }
            while (position_ < offset) {
                rc4_.next();
                ++position_;
            }
            const std::size_t run = static_cast<std::size_t>(
                std::min<std::uint64_t>(length - k, (block + 1) * kRc4BlockSize - offset));
            rc4_.apply(body + k, run);
            position_ += run;
            k += run;
        }
    }

    // Decrypts the verifier and its hash with the key of block 0 as one run, as they were
    // encrypted.
    QByteArray decryptVerifier(const QByteArray& encrypted) const {
        const QByteArray key = blockKey(0);
        Rc4 rc4;
        rc4.setKey(reinterpret_cast<const std::uint8_t*>(key.constData()),
                   static_cast<std::size_t>(key.size()));
        QByteArray plain = encrypted;
        rc4.apply(reinterpret_cast<std::uint8_t*>(plain.data()),
                  static_cast<std::size_t>(plain.size()));
        return plain;
    }

    virtual QByteArray blockKey(std::uint32_t block) const = 0;

  private:
    Rc4 rc4_;
    std::uint64_t block_ = ~std::uint64_t{0};
    std::uint64_t position_ = 0;
};

// "Standard" RC4 of Excel 97-2003: MD5 key derivation, 128-bit block keys.
class Rc4StandardCipher final : public Rc4Cipher {
  public:
    Rc4StandardCipher(const QString& password, const QByteArray& salt) {
        const QByteArray h0 = digest(QCryptographicHash::Md5, utf16le(password.left(255))).left(5);
        QByteArray buffer;
        for (int i = 0; i < 16; ++i)
            buffer += h0 + salt;
        key_ = digest(QCryptographicHash::Md5, buffer).left(5);
    }
    QByteArray blockKey(std::uint32_t block) const override {
        return digest(QCryptographicHash::Md5, key_ + le32(block));
    }

  private:
    QByteArray key_;
};

// RC4 through the CryptoAPI layout: SHA-1 key derivation, key length from the header.
class Rc4CryptoApiCipher final : public Rc4Cipher {
  public:
    Rc4CryptoApiCipher(const QString& password, const QByteArray& salt, int keyBits)
        : keyBytes_(keyBits / 8) {
        key_ = digest(QCryptographicHash::Sha1, salt + utf16le(password.left(255)));
    }
    QByteArray blockKey(std::uint32_t block) const override {
        QByteArray k = digest(QCryptographicHash::Sha1, key_ + le32(block)).left(keyBytes_);
        // A 40-bit key is used as 128 bits with the rest zero.
        if (keyBytes_ == 5)
            k.append(11, '\0');
        return k;
    }

  private:
    int keyBytes_;
    QByteArray key_;
};

// XOR obfuscation, method 1: a 16-byte array derived from the password, indexed by stream
// position plus record length.
class XorCipher final : public StreamCipher {
  public:
    explicit XorCipher(const std::array<std::uint8_t, 16>& array) : array_(array) {}
    void decryptBody(std::uint64_t bodyOffset, std::uint8_t* body, std::size_t length,
                     std::size_t from) override {
        for (std::size_t k = from; k < length; ++k) {
            std::uint8_t v = body[k];
            v = static_cast<std::uint8_t>((v << 3) | (v >> 5));
            body[k] = v ^ array_[(bodyOffset + k + length) % 16];
        }
    }

  private:
    std::array<std::uint8_t, 16> array_;
};

constexpr std::uint16_t kInitialCode[15] = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C,
                                            0x0E10, 0xF1CE, 0x313E, 0x1872, 0xE139,
                                            0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};
constexpr std::uint16_t kXorMatrix[105] = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7,
    0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4,
    0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45,
    0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC,
    0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD,
    0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483,
    0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373,
    0x06E6, 0x0DCC, 0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4};
constexpr std::uint8_t kPadArray[15] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                        0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

// The obfuscation works on one byte per character: the low byte, or the high byte when the
// low one is zero; at most 15 of them.
std::vector<std::uint8_t> xorPasswordBytes(const QString& password) {
    std::vector<std::uint8_t> out;
    for (QChar c : password.left(15)) {
        const std::uint8_t low = static_cast<std::uint8_t>(c.unicode() & 0xFF);
        out.push_back(low != 0 ? low : static_cast<std::uint8_t>(c.unicode() >> 8));
    }
    return out;
}

std::uint16_t xorVerifier(const std::vector<std::uint8_t>& pw) {
    std::uint16_t verifier = 0;
    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(pw.size()));
    bytes.insert(bytes.end(), pw.begin(), pw.end());
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
        const std::uint16_t high = (verifier & 0x4000) ? 1 : 0;
        verifier = static_cast<std::uint16_t>(((verifier << 1) & 0x7FFF) | high);
        verifier ^= *it;
    }
    return static_cast<std::uint16_t>(verifier ^ 0xCE4B);
}

std::uint16_t xorKey(const std::vector<std::uint8_t>& pw) {
    std::uint16_t key = kInitialCode[pw.size() - 1];
    int element = 0x68;
    for (auto it = pw.rbegin(); it != pw.rend(); ++it) {
        std::uint8_t c = *it;
        for (int bit = 0; bit < 7; ++bit) {
            if (c & 0x40)
                key ^= kXorMatrix[element];
            c = static_cast<std::uint8_t>(c << 1);
            --element;
        }
    }
    return key;
}

std::array<std::uint8_t, 16> xorArray(const std::vector<std::uint8_t>& pw) {
    std::array<std::uint8_t, 16> out{};
    std::copy(pw.begin(), pw.end(), out.begin());
    for (std::size_t i = pw.size(), p = 0; i < out.size(); ++i, ++p)
        out[i] = kPadArray[p];
    const std::uint16_t key = xorKey(pw);
    const std::uint8_t keyBytes[2] = {static_cast<std::uint8_t>(key & 0xFF),
                                      static_cast<std::uint8_t>(key >> 8)};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint8_t v = out[i] ^ keyBytes[i & 1];
        out[i] = static_cast<std::uint8_t>((v << 2) | (v >> 6));
    }
    return out;
}

std::unique_ptr<StreamCipher> unlockXor(std::uint16_t verifier,
                                        const std::vector<QString>& passwords) {
    for (const QString& password : passwords) {
        const std::vector<std::uint8_t> pw = xorPasswordBytes(password);
        if (!pw.empty() && xorVerifier(pw) == verifier)
            return std::make_unique<XorCipher>(xorArray(pw));
    }
    throwEngineError(err::NotAPassword);
}

template <typename Cipher, typename... Args>
std::unique_ptr<StreamCipher> unlockRc4(const QByteArray& encryptedVerifier,
                                        QCryptographicHash::Algorithm hash, int hashSize,
                                        const std::vector<QString>& passwords,
                                        const QByteArray& salt, Args... args) {
    for (const QString& password : passwords) {
        auto cipher = std::make_unique<Cipher>(password, salt, args...);
        const QByteArray plain = cipher->decryptVerifier(encryptedVerifier);
        if (digest(hash, plain.left(16)).left(hashSize) == plain.mid(16, hashSize))
            return cipher;
    }
    throwEngineError(err::NotAPassword);
}

std::unique_ptr<StreamCipher> unlockCryptoApi(const std::uint8_t* p, std::size_t size,
                                              const std::vector<QString>& passwords) {
    // p: after the version words. Flags, header size, header, then the verifier block.
    if (size < 8)
        throwEngineError(err::CorruptDatabase);
    const std::uint32_t headerSize = readU32(p + 4);
    if (headerSize < 32 || headerSize > size - 8)
        throwEngineError(err::CorruptDatabase);
    const std::uint8_t* header = p + 8;
    const std::uint32_t algorithm = readU32(header + 8);
    const std::uint32_t hashAlgorithm = readU32(header + 12);
    std::uint32_t keyBits = readU32(header + 16);
    if (keyBits == 0)
        keyBits = 40;
    const bool rc4 = algorithm == 0 || algorithm == 0x6801;
    const bool sha1 = hashAlgorithm == 0 || hashAlgorithm == 0x8004;
    if (!rc4 || !sha1 || keyBits < 40 || keyBits > 128 || keyBits % 8 != 0)
        throwEngineError(err::CannotDecrypt);
    const std::uint8_t* verifier = header + headerSize;
    const std::size_t left = size - 8 - headerSize;
    if (left < 4 + 16 + 16 + 4 + 20 || readU32(verifier) != 16)
        throwEngineError(err::CorruptDatabase);
    const QByteArray salt = bytesOf(verifier + 4, 16);
    const QByteArray encrypted = bytesOf(verifier + 20, 16) + bytesOf(verifier + 40, 20);
    return unlockRc4<Rc4CryptoApiCipher>(encrypted, QCryptographicHash::Sha1, 20, passwords, salt,
                                         static_cast<int>(keyBits));
}

}  // namespace

std::unique_ptr<StreamCipher> unlockWorkbook(const std::uint8_t* body, std::size_t size,
                                             int biffVersion,
                                             const std::vector<QString>& passwords) {
    if (biffVersion < 8) {
        // BIFF5/7 know only the XOR obfuscation: key and verifier.
        if (size < 4)
            throwEngineError(err::CorruptDatabase);
        return unlockXor(readU16(body + 2), passwords);
    }
    if (size < 2)
        throwEngineError(err::CorruptDatabase);
    const std::uint16_t type = readU16(body);
    if (type == 0) {
        if (size < 6)
            throwEngineError(err::CorruptDatabase);
        return unlockXor(readU16(body + 4), passwords);
    }
    if (type != 1)
        throwEngineError(err::CannotDecrypt);
    if (size < 6)
        throwEngineError(err::CorruptDatabase);
    const std::uint16_t major = readU16(body + 2);
    const std::uint16_t minor = readU16(body + 4);
    if (major == 1 && minor == 1) {
        if (size < 6 + 48)
            throwEngineError(err::CorruptDatabase);
        const QByteArray salt = bytesOf(body + 6, 16);
        const QByteArray encrypted = bytesOf(body + 22, 32);
        return unlockRc4<Rc4StandardCipher>(encrypted, QCryptographicHash::Md5, 16, passwords,
                                            salt);
    }
    if (major >= 2 && major <= 4 && minor == 2)
        return unlockCryptoApi(body + 6, size - 6, passwords);
    throwEngineError(err::CannotDecrypt);
}

}  // namespace ds::db::excel
