#pragma once

#include "dbengine/Recordset.h"
#include "dbengine/dbase/DbfLayout.h"
#include "dbengine/dbase/MemoFile.h"
#include "dbengine/dbase/RecordBlocks.h"
#include "dbengine/io/ReadOnlyFile.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace ds::db::dbase {

// One .DBF opened read-only. Deleted records are skipped: they are not records to the caller.
class DbfRecordset final : public Recordset {
  public:
    // `start`: the bytes the layout was read from, reused for the first records.
    DbfRecordset(ReadOnlyFile file, DbfLayout layout, std::optional<MemoFile> memo, QString path,
                 std::vector<char> start = {});
    DbfRecordset(const DbfRecordset&) = delete;
    DbfRecordset& operator=(const DbfRecordset&) = delete;

    int fieldCount() const override { return static_cast<int>(layout_.fields.size()); }
    const FieldInfo& fieldInfo(int index) const override;

    void moveFirst() override;
    void moveLast() override;
    void moveNext() override;
    bool eof() const override { return record_ == nullptr; }
    std::int64_t recordCount() const override;
    bool countIsAPass() const override { return !liveCount_.has_value(); }
    std::uint64_t slotCount() const override { return blocks_.count(); }
    void restrictToSlots(std::uint64_t first, std::uint64_t end) override;

    QVariant value(int index) override;
    TextRef text(int index) override;

    const DbfLayout& layout() const { return layout_; }

  private:
    const DbfField& currentField(int index) const;
    bool isNull(const DbfField& field) const;
    std::size_t varLength(const DbfField& field, const char* bytes) const;
    // Reads a memo into the field's buffer; false when the field holds none.
    bool readMemo(int index, const DbfField& field);
    void seekLive(std::uint32_t from);
    void countLive() const;

    ReadOnlyFile file_;
    DbfLayout layout_;
    std::optional<MemoFile> memo_;
    QString path_;
    mutable RecordBlocks blocks_;
    std::uint32_t position_ = 0;   // physical record index
    std::uint32_t firstSlot_ = 0;  // the slots [firstSlot_, endSlot_) are the table
    std::uint32_t endSlot_ = 0;
    mutable const char* record_ = nullptr;  // bytes of the current record; null at end of file
    mutable std::optional<std::uint32_t> liveCount_;
    mutable std::uint32_t lastLive_ = 0;
    std::vector<std::string>
        memoBuffers_;  // one per field: a TextRef stays valid until the next move
};

}  // namespace ds::db::dbase
