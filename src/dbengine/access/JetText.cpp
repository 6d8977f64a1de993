#include "dbengine/access/JetText.h"

#include <cstring>

namespace ds::db::access {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

inline char* putUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// UTF-16 code units to UTF-8, holding back a high surrogate until its partner comes.
class Utf16Writer {
  public:
    explicit Utf16Writer(char* out) : out_(out) {}

    void put(char16_t unit) {
        if (high_ != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                out_ = putUtf8(0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00), out_);
                high_ = 0;
                return;
            }
            out_ = putUtf8(kReplacement, out_);
            high_ = 0;
        }
        if (unit < 0x80)
            *out_++ = static_cast<char>(unit);
        else if (unit >= 0xD800 && unit <= 0xDBFF)
            high_ = unit;
        else
            out_ = putUtf8(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit, out_);
    }

    // A run of ASCII bytes, copied straight through.
    void putAscii(const std::uint8_t* run, std::size_t length) {
        if (high_ != 0) {
            out_ = putUtf8(kReplacement, out_);
            high_ = 0;
        }
        std::memcpy(out_, run, length);
        out_ += length;
    }

    char* finish() {
        if (high_ != 0)
            out_ = putUtf8(kReplacement, out_);
        high_ = 0;
        return out_;
    }

  private:
    char* out_;
    char32_t high_ = 0;
};

}  // namespace

std::size_t decodeJet4Text(const std::uint8_t* data, std::size_t size, char* out) {
    Utf16Writer writer(out);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        bool oneByte = true;
        std::size_t i = 2;
        while (i < size) {
            const std::uint8_t b = data[i];
            if (b == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                // Runs of ASCII are most of what compressed text holds.
                std::size_t end = i;
                while (end < size && data[end] != 0 && data[end] < 0x80)
                    ++end;
                if (end > i) {
                    writer.putAscii(data + i, end - i);
                    i = end;
                } else {
                    writer.put(b);
                    ++i;
                }
            } else if (i + 1 < size) {
                writer.put(static_cast<char16_t>(b | data[i + 1] << 8));
                i += 2;
            } else {
                break;  // half a character at the end: dropped
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2)
            writer.put(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    return static_cast<std::size_t>(writer.finish() - out);
}

std::size_t decodeSingleByteText(const std::uint8_t* data, std::size_t size,
                                 const std::array<char16_t, 256>& table, char* out) {
    char* p = out;
    for (std::size_t i = 0; i < size; ++i) {
        const char16_t c = table[data[i]];
        if (c < 0x80)
            *p++ = static_cast<char>(c);
        else
            p = putUtf8(c, p);
    }
    return static_cast<std::size_t>(p - out);
}

}  // namespace ds::db::access
