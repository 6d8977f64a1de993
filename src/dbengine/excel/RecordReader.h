#pragma once

#include "dbengine/excel/ByteSource.h"
#include "dbengine/excel/Decryption.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ds::db::excel {

// Record numbers this reader knows.
namespace rec {
constexpr std::uint16_t Integer2 = 0x0002;  // BIFF2 cell records, also met in BIFF3/4 files
constexpr std::uint16_t Number2 = 0x0003;
constexpr std::uint16_t Label2 = 0x0004;
constexpr std::uint16_t BoolErr2 = 0x0005;
constexpr std::uint16_t Formula = 0x0006;  // BIFF5-8; in BIFF2-4 streams the BIFF2 formula
constexpr std::uint16_t String2 = 0x0007;
constexpr std::uint16_t Eof = 0x000A;
constexpr std::uint16_t Format2 = 0x001E;
constexpr std::uint16_t DateMode = 0x0022;
constexpr std::uint16_t FilePass = 0x002F;
constexpr std::uint16_t Continue = 0x003C;
constexpr std::uint16_t CodePage = 0x0042;
constexpr std::uint16_t BoundSheet = 0x0085;
constexpr std::uint16_t SheetHeader = 0x008F;  // BIFF4 workbooks
constexpr std::uint16_t MulRk = 0x00BD;
constexpr std::uint16_t RString = 0x00D6;
constexpr std::uint16_t Xf = 0x00E0;
constexpr std::uint16_t InterfaceHeader = 0x00E1;
constexpr std::uint16_t Sst = 0x00FC;
constexpr std::uint16_t LabelSst = 0x00FD;
constexpr std::uint16_t RrdHead = 0x0138;
constexpr std::uint16_t UsrExcl = 0x0194;
constexpr std::uint16_t FileLock = 0x0195;
constexpr std::uint16_t RrdInfo = 0x0196;
constexpr std::uint16_t Number = 0x0203;
constexpr std::uint16_t Label = 0x0204;
constexpr std::uint16_t BoolErr = 0x0205;
constexpr std::uint16_t Formula3 = 0x0206;
constexpr std::uint16_t String = 0x0207;
constexpr std::uint16_t Xf3 = 0x0243;
constexpr std::uint16_t Rk = 0x027E;
constexpr std::uint16_t Formula4 = 0x0406;
constexpr std::uint16_t Format = 0x041E;
constexpr std::uint16_t Xf4 = 0x0443;
constexpr std::uint16_t Bof2 = 0x0009;
constexpr std::uint16_t Bof3 = 0x0209;
constexpr std::uint16_t Bof4 = 0x0409;
constexpr std::uint16_t Bof = 0x0809;
}  // namespace rec

inline bool isBof(std::uint16_t id) {
    return id == rec::Bof || id == rec::Bof4 || id == rec::Bof3 || id == rec::Bof2;
}

struct Record {
    std::uint16_t id = 0;
    std::uint64_t offset = 0;  // of the record header in the stream
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Reads BIFF records one after the other through a read-ahead buffer and decrypts their bodies
// when the workbook is encrypted. A record's data stays valid until the next call of next().
class RecordReader {
  public:
    explicit RecordReader(const ByteSource& source) : source_(source) {}

    void setCipher(StreamCipher* cipher) { cipher_ = cipher; }
    void seek(std::uint64_t offset) { position_ = offset; }
    std::uint64_t position() const { return position_; }

    // The next record; false at the end of the stream (fewer than four bytes left). A body that
    // runs past the end throws EngineError(3049).
    bool next(Record& record);
    // The number of the next record without moving; false at the end of the stream.
    bool peekId(std::uint16_t& id);

  private:
    const std::uint8_t* fetch(std::uint64_t offset, std::size_t length);
    bool isPlain(std::uint16_t id) const;

    const ByteSource& source_;
    StreamCipher* cipher_ = nullptr;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t bufferStart_ = 0;
    std::vector<std::uint8_t> body_;
};

}  // namespace ds::db::excel
