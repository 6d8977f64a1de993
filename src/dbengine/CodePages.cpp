#include "dbengine/CodePages.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <map>
#include <memory>
#include <mutex>

namespace ds::db {

namespace {

struct CodePageName {
    int codePage;
    const char* name;
    bool singleByte;
};

// Names as ICU (behind QStringDecoder) knows them.
constexpr CodePageName kNames[] = {
    {437, "IBM437", true},           {737, "IBM737", true},
    {775, "IBM775", true},           {850, "IBM850", true},
    {852, "IBM852", true},           {855, "IBM855", true},
    {857, "IBM857", true},           {860, "IBM860", true},
    {861, "IBM861", true},           {862, "IBM862", true},
    {863, "IBM863", true},           {864, "IBM864", true},
    {865, "IBM865", true},           {866, "IBM866", true},
    {869, "IBM869", true},           {874, "windows-874", true},
    {1250, "windows-1250", true},    {1251, "windows-1251", true},
    {1252, "windows-1252", true},    {1253, "windows-1253", true},
    {1254, "windows-1254", true},    {1255, "windows-1255", true},
    {1256, "windows-1256", true},    {1257, "windows-1257", true},
    {1258, "windows-1258", true},    {10000, "macintosh", true},
    {28591, "ISO-8859-1", true},     {10006, "x-mac-greek", true},
    {10007, "x-mac-cyrillic", true}, {10029, "x-mac-centraleurroman", true},
    {1051, "hp-roman8", true},       {28592, "ISO-8859-2", true},
    {28595, "ISO-8859-5", true},     {20866, "KOI8-R", true},
    {932, "Shift_JIS", false},       {936, "GBK", false},
    {949, "windows-949", false},     {950, "Big5", false},
};

const CodePageName* findName(int codePage) {
    for (const CodePageName& n : kNames) {
        if (n.codePage == codePage)
            return &n;
    }
    return nullptr;
}

using Table = std::array<char16_t, 256>;

Table buildTable(int codePage) {
    Table table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<char16_t>(b);
    const CodePageName* n = findName(codePage);
    if (!n || !n->singleByte)
        return table;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QStringDecoder decoder(n->name, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            break;
        const QString s = decoder.decode(QByteArrayView(&byte, 1));
        // Bytes the code page leaves undefined keep their own value, as Windows maps them.
        if (s.size() == 1 && !decoder.hasError() && s[0] != QChar(0xFFFD))
            table[b] = s[0].unicode();
    }
    return table;
}

}  // namespace

bool isSingleByteCodePage(int codePage) {
    const CodePageName* n = findName(codePage);
    return n && n->singleByte;
}

bool isKnownCodePage(int codePage) {
    return codePage == cp::Utf8 || codePage == cp::Utf16LE || findName(codePage) != nullptr;
}

const std::array<char16_t, 256>& singleByteTable(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<Table>> cache;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(codePage);
    if (it == cache.end())
        it = cache.emplace(codePage, std::make_unique<Table>(buildTable(codePage))).first;
    return *it->second;
}

QString decodeText(const char* data, std::size_t size, int codePage) {
    if (size == 0)
        return QString(QLatin1String(""));
    const auto length = static_cast<qsizetype>(size);
    if (codePage == cp::Utf8)
        return QString::fromUtf8(data, length);
    if (codePage == cp::Utf16LE) {
        QString s(length / 2, Qt::Uninitialized);
        auto* out = s.data();
        const auto* in = reinterpret_cast<const unsigned char*>(data);
        for (qsizetype i = 0; i < length / 2; ++i)
            out[i] = QChar(static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
        return s;
    }
    const CodePageName* n = findName(codePage);
    if (n && !n->singleByte) {
        QStringDecoder decoder(n->name);
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(data, length));
    }
    const Table& table = singleByteTable(n ? codePage : cp::Windows1252);
    QString s(length, Qt::Uninitialized);
    auto* out = s.data();
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(table[static_cast<unsigned char>(data[i])]);
    return s;
}

QByteArray encodeText(const QString& text, int codePage, bool* ok) {
    if (ok)
        *ok = true;
    if (codePage == cp::Utf8)
        return text.toUtf8();
    if (codePage == cp::Utf16LE) {
        QByteArray out;
        out.reserve(text.size() * 2);
        for (QChar c : text) {
            out.append(static_cast<char>(c.unicode() & 0xFF));
            out.append(static_cast<char>(c.unicode() >> 8));
        }
        return out;
    }
    const CodePageName* n = findName(codePage);
    if (n && !n->singleByte) {
        QStringEncoder encoder(n->name);
        QByteArray out = encoder.encode(text);
        if (ok && encoder.hasError())
            *ok = false;
        return out;
    }
    const Table& table = singleByteTable(n ? codePage : cp::Windows1252);
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        int found = -1;
        for (int b = 0; b < 256; ++b) {
            if (table[b] == c.unicode()) {
                found = b;
                break;
            }
        }
        if (found < 0) {
            if (ok)
                *ok = false;
            found = '?';
        }
        out.append(static_cast<char>(found));
    }
    return out;
}

}  // namespace ds::db
