#include "dbengine/excel/FormatRecords.h"

#include "dbengine/CodePages.h"
#include "dbengine/excel/BiffText.h"
#include "dbengine/excel/LittleEndian.h"

namespace ds::db::excel {

namespace {

void applyFormat(const Record& r, int version, FormatTable& formats) {
    std::optional<int> index;
    std::optional<RawString> code;
    if (r.id == rec::Format2 || version == 4) {
        // Numbered by order; BIFF4 puts two unused bytes before the string.
        code = parseByteString(r.data, r.size, r.id == rec::Format2 ? 0 : 2, 1);
    } else if (r.size >= 2) {
        index = readU16(r.data);
        code = version >= 8 ? parseUnicodeString(r.data, r.size, 2, 2)
                            : parseByteString(r.data, r.size, 2, 1);
    }
    if (code)
        formats.addFormat(index, toUnits(*code));
}

}  // namespace

bool applyFormatRecord(const Record& r, int version, FormatTable& formats) {
    switch (r.id) {
        case rec::Format2:
        case rec::Format:
            if (version <= 4)
                formats.startLocalFormats();
            applyFormat(r, version, formats);
            return true;
        case rec::Xf3:
        case rec::Xf4:
            formats.startLocalXfs();
            if (r.size >= 2)
                formats.addXf(r.data[1]);
            return true;
        case rec::Xf:
            if (r.size >= 4)
                formats.addXf(readU16(r.data + 2));
            return true;
        default:
            return false;
    }
}

int codePageFromRecord(std::uint16_t value) {
    switch (value) {
        case 367:
        case 32769:
            return cp::Windows1252;
        case 32768:
            return 10000;
        case cp::Utf16LE:
        case cp::Utf8:
            return cp::Windows1252;
        default:
            return isKnownCodePage(value) ? value : cp::Windows1252;
    }
}

}  // namespace ds::db::excel
