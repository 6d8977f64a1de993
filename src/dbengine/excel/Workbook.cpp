#include "dbengine/excel/Workbook.h"

#include "dbengine/CodePages.h"
#include "dbengine/EngineError.h"
#include "dbengine/excel/CompoundFile.h"
#include "dbengine/excel/FormatRecords.h"
#include "dbengine/excel/LittleEndian.h"
#include "dbengine/excel/RecordReader.h"
#include "dbengine/excel/SheetReader.h"

#include <QFileInfo>

namespace ds::db::excel {

namespace {

// Substream types of the BOF record.
constexpr std::uint16_t kGlobals = 0x0005;
constexpr std::uint16_t kWorksheet = 0x0010;
constexpr std::uint16_t kChart = 0x0020;
constexpr std::uint16_t kMacroSheet = 0x0040;
constexpr std::uint16_t kBiff4Workbook = 0x0100;  // BIFF5 on: workspace file

constexpr int kIso8859_1 = 28591;

[[noreturn]] void wrongFormat() {
    throwEngineError(err::WrongFormat);
}

// Excel's default password first, so that "read-only recommended" files open without asking.
std::vector<QString> passwordsToTry(const std::optional<QString>& given) {
    std::vector<QString> passwords{QString::fromUtf16(kDefaultPassword)};
    if (given && !given->isEmpty() && *given != passwords.front())
        passwords.push_back(*given);
    return passwords;
}

}  // namespace

Workbook::Workbook(const QString& path, const std::optional<QString>& password) {
    openStream(path);
    readGlobals(password);
}

Workbook::~Workbook() = default;

void Workbook::openStream(const QString& path) {
    auto file = std::make_shared<ReadOnlyFile>();
    if (!file->open(path.toStdString()))
        throwEngineError(file->lastError(), path);
    file_ = file;
    std::uint8_t head[CompoundFile::kSignatureSize] = {};
    if (file_->readAt(0, head, sizeof head) < 4)
        wrongFormat();
    if (file_->size() >= sizeof head && CompoundFile::hasSignature(head)) {
        const CompoundFile container(file_);
        stream_ = container.openRootStream(u"Workbook");
        workbookStreamName_ = stream_ != nullptr;
        if (!stream_)
            stream_ = container.openRootStream(u"Book");
        if (!stream_)
            wrongFormat();
    } else {
        stream_ = std::make_unique<FileSource>(file_);
    }
}

void Workbook::readGlobals(const std::optional<QString>& password) {
    RecordReader reader(*stream_);
    std::uint16_t first = 0;
    Record bof;
    if (!reader.peekId(first) || !isBof(first) || !reader.next(bof) || bof.size < 4)
        wrongFormat();
    const std::uint16_t vers = readU16(bof.data);
    const std::uint16_t type = readU16(bof.data + 2);
    switch (bof.id) {
        case rec::Bof3:
            version_ = 3;
            break;
        case rec::Bof4:
            version_ = 4;
            break;
        case rec::Bof:
            if (vers == 0x0600)
                version_ = 8;
            else if (vers == 0x0500)
                version_ = 5;
            else if (vers == 0x0400 || vers == 0x0300)
                version_ = vers >> 8;
            else if (vers == 0x0200 || vers == 0x0007)
                wrongFormat();
            else
                version_ = workbookStreamName_ ? 8 : 5;
            break;
        default:  // BIFF2
            wrongFormat();
    }
    formats_ = FormatTable(version_);

    const bool globals =
        (version_ >= 5 && type == kGlobals) || (version_ == 4 && type == kBiff4Workbook);
    if (!globals) {
        if (type == kWorksheet) {
            // A lone worksheet (the usual Excel 3 and 4 file) is named after its file.
            sheets_.push_back(
                SheetInfo{QFileInfo(QString::fromStdString(file_->path())).completeBaseName(), 0});
            checkSingleSheet(password);
            return;
        }
        if (type == kChart || type == kMacroSheet)
            return;  // nothing that holds a table
        wrongFormat();
    }

    // BIFF5 and BIFF4 names are 8-bit text in the code page that may only come later.
    std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> narrowNames;
    bool pendingHeader = false;
    Record r;
    while (reader.next(r) && r.id != rec::Eof) {
        if (applyFormatRecord(r, version_, formats_))
            continue;
        switch (r.id) {
            case rec::FilePass:
                if (version_ < 5)
                    throwEngineError(err::CannotDecrypt);
                if (!cipher_) {
                    cipher_ = unlockWorkbook(r.data, r.size, version_, passwordsToTry(password));
                    reader.setCipher(cipher_.get());
                }
                break;
            case rec::CodePage:
                if (r.size >= 2)
                    codePage_ = codePageFromRecord(readU16(r.data));
                break;
            case rec::DateMode:
                if (r.size >= 2)
                    date1904_ = readU16(r.data) == 1;
                break;
            case rec::Sst:
                if (version_ >= 8 && sst_.empty())
                    readSharedStrings(reader, r);
                break;
            case rec::BoundSheet: {
                // Only worksheets become tables; charts, macro sheets and modules are left out.
                if (version_ < 5 || r.size < 7 || r.data[5] != 0)
                    break;
                const std::uint32_t offset = readU32(r.data);
                if (version_ >= 8) {
                    if (const auto name = parseUnicodeString(r.data, r.size, 6, 1))
                        sheets_.push_back(SheetInfo{toQString(*name, kIso8859_1), offset});
                } else if (const auto name = parseByteString(r.data, r.size, 6, 1)) {
                    narrowNames.emplace_back(
                        sheets_.size(),
                        std::vector<std::uint8_t>(name->chars, name->chars + name->count));
                    sheets_.push_back(SheetInfo{QString(), offset});
                }
                break;
            }
            case rec::SheetHeader:
                // BIFF4 workbook: the sheet's name, then its substream follows at once.
                if (version_ == 4 && r.size >= 5) {
                    if (const auto name = parseByteString(r.data, r.size, 4, 1)) {
                        narrowNames.emplace_back(
                            sheets_.size(),
                            std::vector<std::uint8_t>(name->chars, name->chars + name->count));
                        pendingHeader = true;
                    }
                }
                break;
            default:
                if (isBof(r.id)) {
                    const bool worksheet = r.size >= 4 && readU16(r.data + 2) == kWorksheet;
                    if (pendingHeader && worksheet)
                        sheets_.push_back(SheetInfo{QString(), r.offset});
                    else if (pendingHeader)
                        narrowNames.pop_back();
                    pendingHeader = false;
                    Record inner;
                    while (reader.next(inner) && inner.id != rec::Eof) {
                    }
                }
                break;
        }
    }
    for (const auto& [index, bytes] : narrowNames) {
        if (index < sheets_.size())
            sheets_[index].name =
                decodeText(reinterpret_cast<const char*>(bytes.data()), bytes.size(), codePage_);
    }
}

void Workbook::checkSingleSheet(const std::optional<QString>& password) {
    // Encryption is announced right after the BOF record, before any cell.
    RecordReader reader(*stream_);
    Record r;
    reader.next(r);
    for (int i = 0; i < 64 && reader.next(r) && r.id != rec::Eof; ++i) {
        if (r.id != rec::FilePass)
            continue;
        if (version_ < 5)
            throwEngineError(err::CannotDecrypt);
        cipher_ = unlockWorkbook(r.data, r.size, version_, passwordsToTry(password));
        return;
    }
}

void Workbook::readSharedStrings(RecordReader& reader, const Record& sst) {
    ContinuedRecord in(reader, sst);
    std::uint8_t counts[8];
    if (!in.read(counts, sizeof counts))
        return;
    const std::uint32_t unique = readU32(counts + 4);
    // Every string takes at least three bytes, so the stream's size bounds the count.
    for (std::uint32_t i = 0; i < unique; ++i) {
        std::uint8_t header[3];
        if (!in.read(header, sizeof header))
            break;
        const std::uint16_t count = readU16(header);
        const std::uint8_t flags = header[2];
        std::uint64_t trailing = 0;
        std::uint8_t extra[4];
        if (flags & 0x08) {
            if (!in.read(extra, 2))
                break;
            trailing += 4u * readU16(extra);
        }
        if (flags & 0x04) {
            if (!in.read(extra, 4))
                break;
            trailing += readU32(extra);
        }
        sstPool_.begin();
        const bool complete = in.readChars(count, flags & 0x01, sstPool_);
        sst_.push_back(sstPool_.finish());
        // Formatting runs and phonetic data are not needed.
        if (!complete || !in.skip(trailing))
            break;
    }
}

SheetData Workbook::readSheet(std::size_t index) const {
    if (index >= sheets_.size())
        throwEngineError(err::ObjectNotFound);
    SheetData data;
    data.narrowCodePage = version_ >= 8 ? kIso8859_1 : codePage_;
    data.date1904 = date1904_;
    RecordReader reader(*stream_);
    reader.setCipher(cipher_.get());
    SheetReader(reader, version_, formats_, sst_, data).read(sheets_[index].offset);
    return data;
}

}  // namespace ds::db::excel
