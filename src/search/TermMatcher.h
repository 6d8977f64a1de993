#pragma once

#include "dbengine/TextRef.h"

#include <QString>
#include <QStringList>
#include <QStringMatcher>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace ds::search {

// Finds a text in the raw bytes of a single-byte code page without decoding them: the pattern is
// encoded into the code page, and for a search without regard to case every byte is mapped to a
// representative of its letter-case class by a 256-entry table (Horspool's skip search over the
// mapped bytes).
class BytePattern {
  public:
    // nullopt when the text cannot occur in that code page (a character it cannot hold).
    static std::optional<BytePattern> compile(const QString& text, int codePage, bool matchCase);

    bool foundIn(const char* data, std::size_t size) const;

  private:
    std::array<std::uint8_t, 256> fold_{};
    std::array<std::uint8_t, 256> shift_{};
    std::vector<std::uint8_t> needle_;
};

// Tests one record's searchable fields for the search terms and the exclusion text. A term occurs
// in a record when it occurs inside one field's value: the fields are joined with carriage
// returns, so a term without one never spans two fields. Texts in single-byte code pages are
// searched as bytes; all others are decoded first.
class TermMatcher {
  public:
    TermMatcher(const QStringList& terms, bool matchCase, const std::optional<QString>& exclude);
    ~TermMatcher();
    TermMatcher(const TermMatcher&) = delete;
    TermMatcher& operator=(const TermMatcher&) = delete;

    int termCount() const { return int(terms_.size()); }
    const QString& term(int index) const { return terms_[std::size_t(index)]; }

    void beginRecord();
    // Adds one field's value; Null values add nothing.
    void addField(const db::TextRef& value);

    // Some searchable field held a value (the joined record text is not empty).
    bool recordHasText() const { return hasText_; }
    bool excluded() const { return excluded_; }
    bool termFound(int index) const { return found_[std::size_t(index)] != 0; }

  private:
    struct Compiled;
    const Compiled& compiledFor(int codePage);
    void matchBytes(const Compiled& c, const char* data, std::size_t size);
    void matchUnicode(QStringView text);
    // Every term found and nothing to exclude, or excluded: the other fields cannot change it.
    bool allDecided() const {
        return excluded_ || (foundCount_ == int(terms_.size()) && !exclude_);
    }

    std::vector<QString> terms_;
    bool matchCase_;
    std::optional<QString> exclude_;
    bool termWithCarriageReturn_ = false;  // such a term may span fields: search the joined text

    std::vector<std::unique_ptr<Compiled>> compiled_;
    const Compiled* lastCompiled_ = nullptr;
    int lastCodePage_ = -1;
    std::vector<QStringMatcher> unicodeTerms_;
    std::optional<QStringMatcher> unicodeExclude_;

    std::vector<char> found_;
    int foundCount_ = 0;
    bool excluded_ = false;
    bool hasText_ = false;
    QString decoded_;
    QString joined_;
};

}  // namespace ds::search
