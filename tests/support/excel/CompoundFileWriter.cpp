#include "support/excel/CompoundFileWriter.h"

#include <QtEndian>

#include <cstdint>

namespace ds::test {

namespace {

constexpr int kSector = 512;
constexpr int kMiniSector = 64;
constexpr int kMiniCutoff = 4096;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kEnd = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNone = 0xFFFFFFFF;

void put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

int sectorsFor(qsizetype bytes, int unit) {
    return static_cast<int>((bytes + unit - 1) / unit);
}

QByteArray padded(QByteArray data, int unit) {
    data.append((unit - data.size() % unit) % unit, '\0');
    return data;
}

// One chain of consecutive sectors in the FAT.
void chainRun(std::vector<quint32>& fat, int first, int count) {
    for (int i = 0; i < count; ++i)
        fat[first + i] = (i + 1 < count) ? quint32(first + i + 1) : kEnd;
}

QByteArray directoryEntry(const QString& name, quint8 type, quint32 child, quint32 right,
                          quint32 start, quint32 size) {
    QByteArray e(128, '\0');
    const int units = static_cast<int>(qMin<qsizetype>(name.size(), 31));
    for (int i = 0; i < units; ++i)
        put16(e, 2 * i, name[i].unicode());
    put16(e, 64, static_cast<quint16>(2 * (units + 1)));
    e[66] = static_cast<char>(type);
    e[67] = 1;  // black
    put32(e, 68, kNone);
    put32(e, 72, right);
    put32(e, 76, child);
    put32(e, 116, start);
    put32(e, 120, size);
    return e;
}

}  // namespace

void CompoundFileWriter::addStream(const QString& name, const QByteArray& data) {
    streams_.push_back(Stream{name, data});
}

QByteArray CompoundFileWriter::build() const {
    // Layout: big streams, mini stream container, mini FAT, directory, FAT, DIFAT.
    QByteArray body;
    QByteArray miniStream;
    std::vector<quint32> miniFat;
    std::vector<std::pair<quint32, quint32>> placement;  // start sector, size per stream
    std::vector<std::pair<int, int>> runs;               // regular sector runs to chain
    for (const Stream& s : streams_) {
        if (s.data.size() >= kMiniCutoff) {
            const int first = static_cast<int>(body.size() / kSector);
            body += padded(s.data, kSector);
            runs.emplace_back(first, sectorsFor(s.data.size(), kSector));
            placement.emplace_back(first, static_cast<quint32>(s.data.size()));
        } else {
            const int first = static_cast<int>(miniStream.size() / kMiniSector);
            const int count = sectorsFor(s.data.size(), kMiniSector);
            miniStream += padded(s.data, kMiniSector);
            for (int i = 0; i < count; ++i)
                miniFat.push_back(i + 1 < count ? quint32(first + i + 1) : kEnd);
            placement.emplace_back(count > 0 ? quint32(first) : kEnd,
                                   static_cast<quint32>(s.data.size()));
        }
    }
    quint32 miniStart = kEnd;
    if (!miniStream.isEmpty()) {
        miniStart = static_cast<quint32>(body.size() / kSector);
        runs.emplace_back(static_cast<int>(miniStart), sectorsFor(miniStream.size(), kSector));
        body += padded(miniStream, kSector);
    }
    quint32 miniFatStart = kEnd;
    const int miniFatSectors = sectorsFor(static_cast<qsizetype>(miniFat.size()) * 4, kSector);
    if (miniFatSectors > 0) {
        miniFatStart = static_cast<quint32>(body.size() / kSector);
        QByteArray table(miniFatSectors * kSector, '\xFF');
        for (std::size_t i = 0; i < miniFat.size(); ++i)
            put32(table, static_cast<int>(4 * i), miniFat[i]);
        runs.emplace_back(static_cast<int>(miniFatStart), miniFatSectors);
        body += table;
    }

    // Directory: root, then the streams as a chain of right siblings.
    QByteArray directory =
        directoryEntry(QStringLiteral("Root Entry"), 5, streams_.empty() ? kNone : 1, kNone,
                       miniStart, static_cast<quint32>(miniStream.size()));
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        const quint32 right = i + 1 < streams_.size() ? quint32(i + 2) : kNone;
        directory += directoryEntry(streams_[i].name, 2, kNone, right, placement[i].first,
                                    placement[i].second);
    }
    while (directory.size() % kSector != 0) {
        QByteArray unused = directoryEntry(QString(), 0, kNone, kNone, 0, 0);
        put16(unused, 64, 0);
        directory += unused;
    }
    const int dirStart = static_cast<int>(body.size() / kSector);
    runs.emplace_back(dirStart, static_cast<int>(directory.size() / kSector));
    body += directory;

    // The FAT covers every sector including its own and the DIFAT's.
    const int dataSectors = static_cast<int>(body.size() / kSector);
    int fatSectors = 1, difatSectors = 0;
    for (;;) {
        const int total = dataSectors + fatSectors + difatSectors;
        const int neededFat = sectorsFor(qsizetype(total) * 4, kSector);
        const int neededDifat = neededFat > 109 ? sectorsFor(neededFat - 109, kSector / 4 - 1) : 0;
        if (neededFat == fatSectors && neededDifat == difatSectors)
            break;
        fatSectors = neededFat;
        difatSectors = neededDifat;
    }
    std::vector<quint32> fat(static_cast<std::size_t>(fatSectors) * (kSector / 4), kFree);
    for (const auto& [first, count] : runs)
        chainRun(fat, first, count);
    const int fatStart = dataSectors;
    const int difatStart = fatStart + fatSectors;
    for (int i = 0; i < fatSectors; ++i)
        fat[fatStart + i] = kFatSector;
    for (int i = 0; i < difatSectors; ++i)
        fat[difatStart + i] = kDifatSector;
    QByteArray fatBytes(fatSectors * kSector, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i)
        put32(fatBytes, static_cast<int>(4 * i), fat[i]);
    body += fatBytes;

    QByteArray difat(difatSectors * kSector, '\xFF');
    const int perDifat = kSector / 4 - 1;
    for (int i = 109; i < fatSectors; ++i) {
        const int k = i - 109;
        put32(difat, (k / perDifat) * kSector + 4 * (k % perDifat), quint32(fatStart + i));
    }
    for (int d = 0; d < difatSectors; ++d)
        put32(difat, d * kSector + 4 * perDifat,
              d + 1 < difatSectors ? quint32(difatStart + d + 1) : kEnd);
    body += difat;

    QByteArray header(kSector, '\0');
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    header.replace(0, 8, QByteArray(signature, 8));
    put16(header, 24, 0x003E);
    put16(header, 26, 3);
    put16(header, 28, 0xFFFE);
    put16(header, 30, 9);
    put16(header, 32, 6);
    put32(header, 44, quint32(fatSectors));
    put32(header, 48, quint32(dirStart));
    put32(header, 56, kMiniCutoff);
    put32(header, 60, miniFatStart);
    put32(header, 64, quint32(miniFatSectors));
    put32(header, 68, difatSectors > 0 ? quint32(difatStart) : kEnd);
    put32(header, 72, quint32(difatSectors));
    for (int i = 0; i < 109; ++i)
        put32(header, 76 + 4 * i, i < fatSectors ? quint32(fatStart + i) : kFree);
    return header + body;
}

}  // namespace ds::test
