#include "support/excel/XlsWriter.h"

#include "dbengine/CodePages.h"
#include "support/TempDir.h"
#include "support/excel/CompoundFileWriter.h"

#include <QCryptographicHash>
#include <QtEndian>

#include <array>
#include <cmath>

namespace ds::test {

namespace {

constexpr quint16 kBof8 = 0x0809, kBof4 = 0x0409, kBof3 = 0x0209;
constexpr quint16 kEof = 0x000A, kContinue = 0x003C, kCodePage = 0x0042, kDateMode = 0x0022;
constexpr quint16 kFilePass = 0x002F, kBoundSheet = 0x0085, kSheetsOffset = 0x008E,
                  kSheetHeader = 0x008F;
constexpr quint16 kSst = 0x00FC, kLabelSst = 0x00FD, kLabel = 0x0204, kNumber = 0x0203,
                  kRk = 0x027E, kMulRk = 0x00BD, kBoolErr = 0x0205, kString = 0x0207;
constexpr quint16 kDimensions = 0x0200, kStyle = 0x0293;
constexpr quint16 kGlobals = 0x0005, kWorksheet = 0x0010, kBiff4Workbook = 0x0100;
constexpr int kStreamMinimum = 4096;

void add8(QByteArray& b, int v) {
    b.append(static_cast<char>(v & 0xFF));
}
void add16(QByteArray& b, int v) {
    add8(b, v);
    add8(b, v >> 8);
}
void add32(QByteArray& b, quint32 v) {
    add16(b, static_cast<int>(v & 0xFFFF));
    add16(b, static_cast<int>(v >> 16));
}
void addDouble(QByteArray& b, double d) {
    char raw[8];
    qToLittleEndian(d, raw);
    b.append(raw, 8);
}

bool fitsLatin1(const QString& s) {
    for (QChar c : s) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

QByteArray utf16le(const QString& s) {
    QByteArray out;
    for (QChar c : s)
        add16(out, c.unicode());
    return out;
}

// A BIFF8 string: length (1 or 2 bytes), option byte, characters 8-bit when they allow it.
QByteArray unicodeString(const QString& s, int lengthBytes) {
    QByteArray out;
    lengthBytes == 1 ? add8(out, static_cast<int>(s.size()))
                     : add16(out, static_cast<int>(s.size()));
    if (fitsLatin1(s)) {
        add8(out, 0);
        out += s.toLatin1();
    } else {
        add8(out, 1);
        out += utf16le(s);
    }
    return out;
}

class Rc4 {
  public:
    explicit Rc4(const QByteArray& key) {
        for (int i = 0; i < 256; ++i)
            s_[i] = static_cast<quint8>(i);
        quint8 j = 0;
        for (int i = 0; i < 256; ++i) {
            j = static_cast<quint8>(j + s_[i] + static_cast<quint8>(key[i % key.size()]));
            std::swap(s_[i], s_[j]);
        }
    }
    quint8 next() {
        i_ = static_cast<quint8>(i_ + 1);
        j_ = static_cast<quint8>(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        return s_[static_cast<quint8>(s_[i_] + s_[j_])];
    }

  private:
    std::array<quint8, 256> s_{};
    quint8 i_ = 0, j_ = 0;
};

QByteArray md5(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

}  // namespace

// Builds the BIFF stream of a workbook.
class WorkbookBuilder {
  public:
    explicit WorkbookBuilder(const XlsWriter& w) : w_(w) {}
    QByteArray build();

  private:
    struct Record {
        qsizetype offset;
        quint16 id;
    };

    bool biff8() const { return w_.version_ == XlsVersion::Biff8; }
    bool old() const {
        return w_.version_ == XlsVersion::Biff3 || w_.version_ == XlsVersion::Biff4;
    }
    qsizetype add(quint16 id, const QByteArray& body);
    QByteArray byteString(const QString& s, int lengthBytes) const;
    QByteArray bof(quint16 type) const;
    void writeFormats();
    void writeSharedStrings();
    void writeSheet(const XlsSheet& sheet);
    void writeCells(const XlsSheet& sheet);
    void writeCell(int row, int col, const XlsCell& cell);
    void writeNumber(int row, int col, int xf, double value);
    void writeText(int row, int col, const QString& text);
    void encrypt();

    const XlsWriter& w_;
    QByteArray out_;
    std::vector<Record> records_;
    QList<QString> sst_;
    std::map<QString, int> sstIndex_;
    QByteArray rc4Key_;  // the password key of RC4 encryption, empty without
};

qsizetype WorkbookBuilder::add(quint16 id, const QByteArray& body) {
    const qsizetype at = out_.size();
    add16(out_, id);
    add16(out_, static_cast<int>(body.size()));
    out_ += body;
    records_.push_back(Record{at, id});
    return at;
}

QByteArray WorkbookBuilder::byteString(const QString& s, int lengthBytes) const {
    const QByteArray bytes = db::encodeText(s, w_.codePage_);
    QByteArray out;
    lengthBytes == 1 ? add8(out, static_cast<int>(bytes.size()))
                     : add16(out, static_cast<int>(bytes.size()));
    return out + bytes;
}

QByteArray WorkbookBuilder::bof(quint16 type) const {
    QByteArray b;
    switch (w_.version_) {
        case XlsVersion::Biff8:
            add16(b, 0x0600);
            add16(b, type);
            add16(b, 0x0DBB);
            add16(b, 0x07CC);
            add32(b, 0);
            add32(b, 6);
            break;
        case XlsVersion::Biff5:
            add16(b, 0x0500);
            add16(b, type);
            add16(b, 0x0DBB);
            add16(b, 0x07CC);
            break;
        default:
            add16(b, 0);
            add16(b, type);
            add16(b, 0);
            break;
    }
    return b;
}

// XF 15 (BIFF5/8) or 0 (BIFF3/4) is General, the next two are date and date-time.
void WorkbookBuilder::writeFormats() {
    QByteArray font;
    if (old()) {
        add16(font, 200);
        add16(font, 0);
        add16(font, 0x7FFF);
        font += byteString(QStringLiteral("Arial"), 1);
        add(0x0231, font);
        const QStringList codes{QStringLiteral("General"), QStringLiteral("DD.MM.YYYY"),
                                QStringLiteral("DD.MM.YYYY hh:mm")};
        for (const QString& code : codes) {
            QByteArray f;
            if (w_.version_ == XlsVersion::Biff4)
                add16(f, 0);
            add(w_.version_ == XlsVersion::Biff4 ? 0x041E : 0x001E, f + byteString(code, 1));
        }
        for (int fmt = 0; fmt < 3; ++fmt) {
            QByteArray xf(w_.version_ == XlsVersion::Biff4 ? 16 : 12, '\0');
            xf[1] = static_cast<char>(fmt);
            add(w_.version_ == XlsVersion::Biff4 ? 0x0443 : 0x0243, xf);
        }
        return;
    }
    add16(font, 200);
    add16(font, 0);
    add16(font, 0x7FFF);
    add16(font, 400);
    add16(font, 0);
    add8(font, 0);
    add8(font, 0);
    add8(font, 0);
    add8(font, 0);
    font += biff8() ? unicodeString(QStringLiteral("Arial"), 1)
                    : byteString(QStringLiteral("Arial"), 1);
    for (int i = 0; i < 5; ++i)
        add(0x0031, font);
    QByteArray format;
    add16(format, 164);
    format += biff8() ? unicodeString(QStringLiteral("DD.MM.YYYY hh:mm"), 2)
                      : byteString(QStringLiteral("DD.MM.YYYY hh:mm"), 1);
    add(0x041E, format);
    for (int i = 0; i < 18; ++i) {
        const bool style = i < 15;
        const int fmt = i == 16 ? 14 : i == 17 ? 164 : 0;
        QByteArray xf;
        add16(xf, 0);
        add16(xf, fmt);
        add16(xf, style ? 0xFFF5 : 0x0001);
        add16(xf, 0x0020);
        xf.append(biff8() ? 12 : 8, '\0');
        add(0x00E0, xf);
    }
    QByteArray normal;
    add16(normal, 0x8000);
    add8(normal, 0);
    add8(normal, 0xFF);
    add(kStyle, normal);
}

void WorkbookBuilder::writeSharedStrings() {
    const int limit = w_.maxRecordSize_;
    QByteArray current;
    quint16 id = kSst;
    const auto flush = [&] {
        add(id, current);
        current.clear();
        id = kContinue;
    };
    add32(current, static_cast<quint32>(sst_.size()));
    add32(current, static_cast<quint32>(sst_.size()));
    const QByteArray phonetic = QByteArray::fromHex("01000600000000000000");
    for (const QString& s : sst_) {
        const bool wide = !fitsLatin1(s);
        const int unit = wide ? 2 : 1;
        QByteArray header;
        add16(header, static_cast<int>(s.size()));
        add8(header, (wide ? 0x01 : 0) | (w_.richText_ ? 0x0C : 0));
        if (w_.richText_) {
            add16(header, 2);
            add32(header, static_cast<quint32>(phonetic.size()));
        }
        // A string header never splits; the characters may, each piece after a split opening
        // with the option byte again.
        if (current.size() + header.size() + unit > limit)
            flush();
        current += header;
        const QByteArray chars = wide ? utf16le(s) : s.toLatin1();
        for (qsizetype at = 0; at < chars.size();) {
            const qsizetype space = ((limit - current.size()) / unit) * unit;
            if (space <= 0) {
                flush();
                add8(current, wide ? 1 : 0);
                continue;
            }
            const qsizetype take = qMin(space, chars.size() - at);
            current += chars.mid(at, take);
            at += take;
        }
        if (!w_.richText_)
            continue;
        // Formatting runs stay whole; the phonetic block may split anywhere.
        for (int run = 0; run < 2; ++run) {
            if (current.size() + 4 > limit)
                flush();
            add16(current, run == 0 ? 0 : static_cast<int>(qMin<qsizetype>(1, s.size())));
            add16(current, 0);
        }
        for (qsizetype at = 0; at < phonetic.size();) {
            if (current.size() >= limit)
                flush();
            const qsizetype take = qMin<qsizetype>(limit - current.size(), phonetic.size() - at);
            current += phonetic.mid(at, take);
            at += take;
        }
    }
    flush();
}

void WorkbookBuilder::writeNumber(int row, int col, int xf, double value) {
    QByteArray b;
    add16(b, row);
    add16(b, col);
    add16(b, xf);
    const bool integral = std::floor(value) == value && std::fabs(value) < (1 << 29);
    if (integral) {
        add32(b, (static_cast<quint32>(static_cast<qint32>(value)) << 2) | 2u);
        add(kRk, b);
    } else {
        addDouble(b, value);
        add(kNumber, b);
    }
}

void WorkbookBuilder::writeText(int row, int col, const QString& text) {
    QByteArray b;
    add16(b, row);
    add16(b, col);
    add16(b, old() ? 0 : 15);
    if (biff8() && w_.sharedStrings_) {
        auto it = sstIndex_.find(text);
        if (it == sstIndex_.end()) {
            it = sstIndex_.emplace(text, static_cast<int>(sst_.size())).first;
            sst_.append(text);
        }
        add32(b, static_cast<quint32>(it->second));
        add(kLabelSst, b);
        return;
    }
    add(kLabel, b + (biff8() ? unicodeString(text, 2) : byteString(text, 2)));
}

void WorkbookBuilder::writeCell(int row, int col, const XlsCell& cell) {
    const int general = old() ? 0 : 15;
    QByteArray b;
    add16(b, row);
    add16(b, col);
    if (const auto* text = std::get_if<QString>(&cell)) {
        writeText(row, col, *text);
    } else if (const auto* number = std::get_if<double>(&cell)) {
        writeNumber(row, col, general, *number);
    } else if (const auto* date = std::get_if<QDate>(&cell)) {
        writeNumber(row, col, general + 1, XlsWriter::serialOf(date->startOfDay(), w_.date1904_));
    } else if (const auto* dateTime = std::get_if<QDateTime>(&cell)) {
        writeNumber(row, col, general + 2, XlsWriter::serialOf(*dateTime, w_.date1904_));
    } else if (const auto* flag = std::get_if<bool>(&cell)) {
        add16(b, general);
        add8(b, *flag ? 1 : 0);
        add8(b, 0);
        add(kBoolErr, b);
    } else if (const auto* error = std::get_if<XlsError>(&cell)) {
        add16(b, general);
        add8(b, error->code);
        add8(b, 1);
        add(kBoolErr, b);
    } else if (const auto* formula = std::get_if<XlsFormula>(&cell)) {
        add16(b, general);
        const QString* resultText = std::get_if<QString>(&formula->result);
        if (const auto* d = std::get_if<double>(&formula->result)) {
            addDouble(b, *d);
        } else {
            const bool* resultFlag = std::get_if<bool>(&formula->result);
            add8(b, resultText ? 0 : 1);
            add8(b, 0);
            add8(b, resultFlag && *resultFlag ? 1 : 0);
            add8(b, 0);
            add16(b, 0);
            add16(b, 0xFFFF);
        }
        add16(b, 0);
        if (!old())
            add32(b, 0);
        add16(b, 3);  // the formula: the constant 0
        add8(b, 0x1E);
        add16(b, 0);
        add(old() ? (w_.version_ == XlsVersion::Biff4 ? 0x0406 : 0x0206) : 0x0006, b);
        if (resultText)
            add(kString, biff8() ? unicodeString(*resultText, 2) : byteString(*resultText, 2));
    }
}

void WorkbookBuilder::writeCells(const XlsSheet& sheet) {
    const auto& cells = sheet.cells();
    for (auto it = cells.begin(); it != cells.end();) {
        const auto [row, col] = it->first;
        // Integers side by side in a row go into one MULRK record (BIFF5 on).
        auto end = it;
        int nextCol = col;
        while (!old() && end != cells.end() && end->first.first == row &&
               end->first.second == nextCol) {
            const auto* d = std::get_if<double>(&end->second);
            if (!d || std::floor(*d) != *d || std::fabs(*d) >= (1 << 29))
                break;
            ++end;
            ++nextCol;
        }
        if (nextCol - col >= 2) {
            QByteArray b;
            add16(b, row);
            add16(b, col);
            for (auto c = it; c != end; ++c) {
                add16(b, 15);
                add32(b, (static_cast<quint32>(static_cast<qint32>(std::get<double>(c->second)))
                          << 2) |
                             2u);
            }
            add16(b, nextCol - 1);
            add(kMulRk, b);
            it = end;
            continue;
        }
        writeCell(row, col, it->second);
        ++it;
    }
}

void WorkbookBuilder::writeSheet(const XlsSheet& sheet) {
    add(old() ? (w_.version_ == XlsVersion::Biff4 ? kBof4 : kBof3) : kBof8, bof(kWorksheet));
    if (old()) {
        QByteArray cp;
        add16(cp, w_.codePage_);
        add(kCodePage, cp);
        QByteArray mode;
        add16(mode, w_.date1904_ ? 1 : 0);
        add(kDateMode, mode);
        writeFormats();
    }
    int firstRow = 0, lastRow = -1, firstCol = 0, lastCol = -1;
    for (const auto& [pos, cell] : sheet.cells()) {
        if (lastRow < 0) {
            firstRow = pos.first;
            firstCol = pos.second;
        }
        firstCol = qMin(firstCol, pos.second);
        lastRow = qMax(lastRow, pos.first);
        lastCol = qMax(lastCol, pos.second);
    }
    QByteArray dim;
    if (biff8()) {
        add32(dim, static_cast<quint32>(firstRow));
        add32(dim, static_cast<quint32>(lastRow + 1));
    } else {
        add16(dim, firstRow);
        add16(dim, lastRow + 1);
    }
    add16(dim, firstCol);
    add16(dim, lastCol + 1);
    add16(dim, 0);
    add(kDimensions, dim);
    writeCells(sheet);
    add(kEof, {});
}

void WorkbookBuilder::encrypt() {
    // Standard RC4: every body byte except in BOF and FILEPASS, and the sheet offset of
    // BOUNDSHEET, is XORed with a key stream that is rekeyed every 1024 bytes of the stream.
    std::vector<bool> plain(static_cast<std::size_t>(out_.size()), false);
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const qsizetype start = records_[i].offset;
        const qsizetype end = i + 1 < records_.size() ? records_[i + 1].offset : out_.size();
        qsizetype clearUntil = start + 4;
        if (records_[i].id == kBof8 || records_[i].id == kFilePass)
            clearUntil = end;
        else if (records_[i].id == kBoundSheet)
            clearUntil = start + 8;
        for (qsizetype k = start; k < clearUntil; ++k)
            plain[static_cast<std::size_t>(k)] = true;
    }
    for (qsizetype block = 0; block * 1024 < out_.size(); ++block) {
        QByteArray blockBytes;
        add32(blockBytes, static_cast<quint32>(block));
        Rc4 rc4(md5(rc4Key_ + blockBytes));
        for (qsizetype k = block * 1024; k < qMin(out_.size(), (block + 1) * 1024); ++k) {
            const quint8 ks = rc4.next();
            if (!plain[static_cast<std::size_t>(k)])
                out_[k] = static_cast<char>(static_cast<quint8>(out_[k]) ^ ks);
        }
    }
}

QByteArray WorkbookBuilder::build() {
    const bool biff4Workbook = w_.version_ == XlsVersion::Biff4 && w_.sheets_.size() > 1;
    if (old() && !biff4Workbook) {
        if (!w_.sheets_.empty())
            writeSheet(w_.sheets_.front());
        return out_;
    }
    if (biff4Workbook) {
        add(kBof4, bof(kBiff4Workbook));
        QByteArray cp;
        add16(cp, w_.codePage_);
        add(kCodePage, cp);
        const qsizetype offsetRecord = add(kSheetsOffset, QByteArray(4, '\0'));
        for (const XlsSheet& sheet : w_.sheets_)
            add(kBoundSheet, byteString(sheet.name(), 1));
        qToLittleEndian(static_cast<quint32>(out_.size()), out_.data() + offsetRecord + 4);
        for (const XlsSheet& sheet : w_.sheets_) {
            QByteArray header(4, '\0');
            const qsizetype at = add(kSheetHeader, header + byteString(sheet.name(), 1));
            const qsizetype start = out_.size();
            writeSheet(sheet);
            qToLittleEndian(static_cast<quint32>(out_.size() - start), out_.data() + at + 4);
        }
        add(kEof, {});
        return out_;
    }

    // BIFF5/8: the cells are written first so that the shared strings are known.
    QByteArray sheetStreams;
    {
        WorkbookBuilder sheetsOnly(w_);
        for (const XlsSheet& sheet : w_.sheets_)
            sheetsOnly.writeSheet(sheet);
        sst_ = sheetsOnly.sst_;
        sstIndex_ = sheetsOnly.sstIndex_;
    }
    add(kBof8, bof(kGlobals));
    if (biff8() && !w_.password_.isEmpty()) {
        const QByteArray salt = QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10");
        const QByteArray verifier = QByteArray::fromHex("a1a2a3a4a5a6a7a8a9aaabacadaeafb0");
        QByteArray h0 = md5(utf16le(w_.password_)).left(5);
        QByteArray buffer;
        for (int i = 0; i < 16; ++i)
            buffer += h0 + salt;
        rc4Key_ = md5(buffer).left(5);
        Rc4 rc4(md5(rc4Key_ + QByteArray(4, '\0')));
        QByteArray sealed = verifier + md5(verifier);
        for (auto& c : sealed)
            c = static_cast<char>(static_cast<quint8>(c) ^ rc4.next());
        QByteArray pass;
        add16(pass, 1);
        add16(pass, 1);
        add16(pass, 1);
        add(kFilePass, pass + salt + sealed);
    }
    QByteArray cp;
    add16(cp, biff8() ? 1200 : w_.codePage_);
    add(kCodePage, cp);
    QByteArray mode;
    add16(mode, w_.date1904_ ? 1 : 0);
    add(kDateMode, mode);
    writeFormats();
    std::vector<qsizetype> boundSheets;
    for (const XlsSheet& sheet : w_.sheets_) {
        QByteArray b(4, '\0');
        add8(b, 0);
        add8(b, 0);
        b += biff8() ? unicodeString(sheet.name(), 1) : byteString(sheet.name(), 1);
        boundSheets.push_back(add(kBoundSheet, b));
    }
    if (biff8())
        writeSharedStrings();
    add(kEof, {});
    for (std::size_t i = 0; i < w_.sheets_.size(); ++i) {
        qToLittleEndian(static_cast<quint32>(out_.size()), out_.data() + boundSheets[i] + 4);
        writeSheet(w_.sheets_[i]);
    }
    if (!rc4Key_.isEmpty())
        encrypt();
    return out_;
}

XlsSheet& XlsSheet::set(int row, int col, XlsCell value) {
    if (std::holds_alternative<std::monostate>(value))
        cells_.erase({row, col});
    else
        cells_[{row, col}] = std::move(value);
    return *this;
}

XlsSheet& XlsSheet::setRow(int row, const QList<XlsCell>& values, int firstCol) {
    for (int i = 0; i < values.size(); ++i)
        set(row, firstCol + i, values[i]);
    return *this;
}

XlsSheet& XlsWriter::addSheet(const QString& name) {
    sheets_.emplace_back(name);
    return sheets_.back();
}

XlsWriter& XlsWriter::setCodePage(int codePage) {
    codePage_ = codePage;
    return *this;
}
XlsWriter& XlsWriter::setDate1904(bool on) {
    date1904_ = on;
    return *this;
}
XlsWriter& XlsWriter::setSharedStrings(bool on) {
    sharedStrings_ = on;
    return *this;
}
XlsWriter& XlsWriter::setRichText(bool on) {
    richText_ = on;
    return *this;
}
XlsWriter& XlsWriter::setMaxRecordSize(int bytes) {
    maxRecordSize_ = qMax(16, bytes);
    return *this;
}
XlsWriter& XlsWriter::setPassword(const QString& password) {
    password_ = password;
    return *this;
}
XlsWriter& XlsWriter::setSmallStreamAllowed(bool on) {
    smallStreamAllowed_ = on;
    return *this;
}

QByteArray XlsWriter::workbookStream() const {
    return WorkbookBuilder(*this).build();
}

QByteArray XlsWriter::toBytes() const {
    QByteArray stream = workbookStream();
    if (version_ == XlsVersion::Biff3 || version_ == XlsVersion::Biff4)
        return stream;
    // Some readers cannot take the workbook from the mini stream.
    if (!smallStreamAllowed_ && stream.size() < kStreamMinimum)
        stream.append(kStreamMinimum - stream.size(), '\0');
    CompoundFileWriter cfb;
    cfb.addStream(
        version_ == XlsVersion::Biff8 ? QStringLiteral("Workbook") : QStringLiteral("Book"),
        stream);
    // A second, small stream puts the mini stream to use; one reader tested against cannot
    // read files that have one, so it comes only with small streams allowed.
    if (smallStreamAllowed_)
        cfb.addStream(QStringLiteral("\u0005SummaryInformation"), QByteArray(112, '\0'));
    return cfb.build();
}

bool XlsWriter::save(const QString& path) const {
    return writeFile(path, toBytes());
}

double XlsWriter::serialOf(const QDateTime& value, bool date1904) {
    const QDate date = value.date();
    double days;
    if (date1904) {
        days = static_cast<double>(QDate(1904, 1, 1).daysTo(date));
    } else {
        days = static_cast<double>(QDate(1899, 12, 30).daysTo(date));
        // Before March 1900 the serials are one lower: Excel counts a 29 February 1900.
        if (date < QDate(1900, 3, 1))
            days -= 1;
    }
    return days + value.time().msecsSinceStartOfDay() / 86400000.0;
}

}  // namespace ds::test
