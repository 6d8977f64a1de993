#pragma once

#include "dbengine/Recordset.h"
#include "dbengine/io/ReadOnlyFile.h"
#include "dbengine/paradox/BlobFile.h"
#include "dbengine/paradox/DataBlocks.h"
#include "dbengine/paradox/TableCodePage.h"
#include "dbengine/paradox/TableHeader.h"

#include <QString>

#include <optional>
#include <vector>

namespace ds::db::paradox {

// One Paradox table (.DB, with its .MB when the table has blob fields), read in block chain
// order. Per record the cursor only points into the current block; text() hands out those
// bytes, or a per-field buffer for blobs, so stepping and reading allocate nothing once the
// buffers have grown.
class ParadoxRecordset : public Recordset {
  public:
    // Throws EngineError: the file's open error (3024, 3051, ...), 3274 not a Paradox table,
    // 3049 damaged, 3031 encrypted and the password missing or wrong.
    ParadoxRecordset(const QString& tablePath, const std::optional<QString>& password);

    int fieldCount() const override { return static_cast<int>(infos_.size()); }
    const FieldInfo& fieldInfo(int index) const override;

    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    bool eof() const override { return eof_; }
    std::int64_t recordCount() const override { return total_; }

    QVariant value(int index) override;
    TextRef text(int index) override;

  private:
    struct Blob {
        const char* data = nullptr;
        std::size_t size = 0;
        bool partial = false;  // only the leader's copy: the .MB file is missing
        bool isNull = true;
    };
    struct Scratch {
        std::vector<char> blob;
        std::vector<char> text;
    };

    void checkPassword(const std::optional<QString>& password) const;
    void openBlobFile(const QString& tablePath);
    void buildFieldInfos();
    void enterBlockWithRecords(int blockNumber);
    const FieldLayout& field(int index) const;
    const unsigned char* fieldBytes(const FieldLayout& f) const;
    Blob blob(int index);
    QVariant binaryValue(int index);
    TextRef textOf(int index, const char* data, std::size_t size);
    [[noreturn]] void corrupt() const;

    ReadOnlyFile file_;
    TableHeader header_;
    TextEncoding encoding_;
    std::optional<DataBlocks> blocks_;
    BlobFile blobs_;
    std::vector<FieldInfo> infos_;
    std::vector<Scratch> scratch_;

    DataBlocks::Summary summary_;
    std::int64_t total_ = 0;
    std::int64_t position_ = 0;
    bool eof_ = true;
    int index_ = 0;  // record within the current block
    int blockRecords_ = 0;
    int nextBlock_ = 0;
    int loads_ = 0;  // blocks loaded since moveFirst; more than the file holds means a loop
};

}  // namespace ds::db::paradox
