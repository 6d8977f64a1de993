#include "support/MemoryDatabase.h"

#include "dbengine/CodePages.h"

namespace ds::test {

using namespace ds::db;

namespace {

class MemoryRecordset final : public Recordset {
  public:
    explicit MemoryRecordset(const MemoryTable& t) : table_(t) {
        for (const QVariantList& row : t.rows) {
            QList<QByteArray> cells;
            for (const QVariant& v : row)
                cells << (v.isNull() ? QByteArray() : encodeText(v.toString(), t.codePage));
            encoded_ << cells;
        }
    }
    int fieldCount() const override { return int(table_.fields.size()); }
    const FieldInfo& fieldInfo(int i) const override { return table_.fields[i]; }
    void moveFirst() override { pos_ = 0; }
    void moveLast() override { pos_ = table_.rows.isEmpty() ? 0 : int(table_.rows.size()) - 1; }
    void moveNext() override {
        if (pos_ < table_.rows.size())
            ++pos_;
    }
    bool eof() const override { return pos_ >= table_.rows.size(); }
    std::int64_t recordCount() const override { return table_.rows.size(); }
    QVariant value(int i) override {
        check();
        return table_.rows[pos_].value(i);
    }
    TextRef text(int i) override {
        check();
        const QVariant& v = table_.rows[pos_][i];
        if (v.isNull())
            return TextRef::null();
        const QByteArray& b = encoded_[pos_][i];
        return TextRef::of(b.constData(), std::size_t(b.size()), table_.codePage);
    }

  private:
    void check() const {
        if (eof())
            throwEngineError(err::NoCurrentRecord);
        if (table_.failAtRecord == pos_ + 1)
            throw EngineError(table_.failError, engineMessage(table_.failError, table_.name));
    }
    const MemoryTable& table_;
    QList<QList<QByteArray>> encoded_;
    int pos_ = 0;
};

class MemoryDatabase final : public Database {
  public:
    explicit MemoryDatabase(MemoryDatabaseSpec spec) : spec_(std::move(spec)) {}
    std::vector<TableDef> tableDefs() override {
        std::vector<TableDef> defs;
        for (const MemoryTable& t : spec_.tables)
            defs.push_back({t.name, t.attributes});
        return defs;
    }
    std::unique_ptr<Recordset> openRecordset(const QString& name) override {
        for (const MemoryTable& t : spec_.tables) {
            if (t.name == name) {
                if (t.openError)
                    throw EngineError(t.openError, engineMessage(t.openError, name));
                return std::make_unique<MemoryRecordset>(t);
            }
        }
        throwEngineError(err::ObjectNotFound, name);
    }

  private:
    // Owned: recordsets refer to its tables and never outlive the database.
    MemoryDatabaseSpec spec_;
};

}  // namespace

MemoryEngine::MemoryEngine(Family family) : family_(family) {
    overrideOpener(family, [this](const OpenRequest& r) { return open(r); });
}

MemoryEngine::~MemoryEngine() {
    overrideOpener(family_, {});
}

void MemoryEngine::add(const QString& name, MemoryDatabaseSpec spec) {
    databases_[name] = std::move(spec);
}

std::unique_ptr<Database> MemoryEngine::open(const OpenRequest& request) {
    ++openCount_;
    exclusiveFlags << request.exclusive;
    auto checkLock = [&](const MemoryDatabaseSpec& spec) {
        if (spec.lockedByOther && (request.exclusive || spec.sharedAlsoLocked))
            throwEngineError(err::ExclusiveByOther);
    };
    const bool oneTable = family_ == Family::Dbase || family_ == Family::Paradox;
    if (oneTable) {
        // A folder: its "database" serves every registered table whose name starts with it.
        MemoryDatabaseSpec db;
        const QString folder = request.name;
        for (const auto& [name, spec] : databases_) {
            if (name.startsWith(folder) && !name.mid(folder.size()).contains(QLatin1Char('/'))) {
                if (spec.openError)
                    throw EngineError(spec.openError, engineMessage(spec.openError, name));
                checkLock(spec);
                if (!spec.password.isEmpty()) {
                    passwordsTried << request.connect.password.value_or(QString());
                    if (request.connect.password.value_or(QString()) != spec.password)
                        throwEngineError(err::NotAPassword);
                }
                for (MemoryTable t : spec.tables) {
                    t.name = name.mid(folder.size());
                    db.tables << t;
                }
            }
        }
        return std::make_unique<MemoryDatabase>(std::move(db));
    }
    const auto it = databases_.find(request.name);
    if (it == databases_.end())
        throwEngineError(err::FileNotFound, request.name);
    if (it->second.openError)
        throw EngineError(it->second.openError, engineMessage(it->second.openError, request.name));
    checkLock(it->second);
    if (!it->second.password.isEmpty()) {
        passwordsTried << request.connect.password.value_or(QString());
        if (request.connect.password.value_or(QString()) != it->second.password)
            throwEngineError(err::NotAPassword);
    }
    return std::make_unique<MemoryDatabase>(it->second);
}

}  // namespace ds::test
