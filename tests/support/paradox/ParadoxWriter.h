#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace ds::test {

// Writes Paradox tables: the .DB file (header, a chain of data blocks) and, when the table has
// blob fields with values too long for their leaders, the .MB file. Versions 3.0 to 7.x, every
// field type, optional password encryption.
//
//   ParadoxWriter w(ParadoxWriter::Version::V7);
//   w.setCodePage(1252).addField("Name", 'A', 30).addField("Notiz", 'M', 60);
//   w.addRecord({QStringLiteral("Müller"), QStringLiteral("Lange Notiz ...")});
//   w.writeTo(folder, "KUNDEN");   // KUNDEN.DB, KUNDEN.MB
//
// Field letters and the values addRecord takes (a null QVariant writes a blank value):
//   A alpha (size 1..255)  QString, or QByteArray for raw bytes
//   D date                 QDate               T time        QTime
//   @ timestamp            QDateTime           L logical     bool
//   S short / I long / + autoincrement: int    N number / $ money: double
//   # BCD (size = decimal places 0..32): double
//   M memo / F formatted memo (size 11..250: leader + 10): QString or QByteArray
//   B binary / O OLE / G graphic (size 10..250): QByteArray (O and G get their 8-byte prefix)
//   Y bytes (size 1..255)  QByteArray
class ParadoxWriter {
  public:
    // The header's version byte for each release.
    enum class Version : std::uint8_t { V30 = 3, V35 = 4, V4 = 9, V5 = 11, V7 = 12 };

    explicit ParadoxWriter(Version version = Version::V7);

    // The code page of all text (stored in the header from 4.x on). 0 stores no code page; the
    // text must then be given as QByteArray. Default: 850 for 3.x, 1252 later.
    ParadoxWriter& setCodePage(int codePage);
    // Sort order code (header 0x29) and name (4.x and later); default 0 and "ascii".
    ParadoxWriter& setSortOrder(std::uint8_t code, const QByteArray& name);
    ParadoxWriter& setPassword(const QString& password);
    ParadoxWriter& setBlockSizeKb(int kilobytes);  // 1..32, default 2
    ParadoxWriter& setKeyed(bool keyed);           // file type 0 instead of 2
    // Lays the data blocks out in the file in the reverse of their chain order.
    ParadoxWriter& setReverseBlockOrder(bool reverse);
    ParadoxWriter& addField(const QString& name, char type, int size = 0);
    ParadoxWriter& addRecord(const QVariantList& values);

    struct Files {
        QByteArray table;  // .DB
        QByteArray blobs;  // .MB; empty when nothing went there
    };
    Files build(const QString& tableName = QStringLiteral("TABLE")) const;
    // Writes <folder>/<tableName>.DB and, when needed, <tableName>.MB.
    bool writeTo(const QString& folder, const QString& tableName) const;

    // Layout, for tests that damage files on purpose. Block k (1-based) starts at
    // headerSize() + (k - 1) * blockSize().
    int headerSize() const;
    int blockSize() const { return blockKb_ * 1024; }
    int recordSize() const;
    int recordsPerBlock() const;
    int codePage() const;
    std::uint32_t key() const;

  private:
    struct Field {
        QString name;
        char type;
        int size;
    };
    class BlobStore;

    QByteArray encodeRecord(const QVariantList& values, BlobStore& blobs) const;
    QByteArray encodeText(const QVariant& value) const;
    QByteArray buildHeader(const QString& tableName, int blocks, int firstBlock,
                           int lastBlock) const;
    bool isV4() const { return static_cast<int>(version_) >= 5; }

    Version version_;
    int codePage_ = -1;  // -1: the version's default
    std::uint8_t sortCode_ = 0;
    QByteArray sortName_ = "ascii";
    QString password_;
    int blockKb_ = 2;
    bool keyed_ = false;
    bool reverse_ = false;
    std::vector<Field> fields_;
    std::vector<QVariantList> records_;
};

}  // namespace ds::test
