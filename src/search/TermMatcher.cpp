#include "search/TermMatcher.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace ds::search {

namespace {

// The case class of a character: its folded form.
char16_t foldKey(char16_t c) {
    return QChar(c).toCaseFolded().unicode();
}

}  // namespace

namespace {

// The case-folding byte map of a code page: every byte to the smallest byte of its letter-case
// class, and each class's folded character to that byte. Built once per code page.
struct FoldTable {
    std::array<std::uint8_t, 256> fold{};
    std::array<char16_t, 256> key{};
};

const FoldTable& foldTableFor(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<FoldTable>> cache;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<FoldTable>& entry = cache[codePage];
    if (!entry) {
        entry = std::make_unique<FoldTable>();
        const std::array<char16_t, 256>& table = db::singleByteTable(codePage);
        std::map<char16_t, std::uint8_t> first;
        for (int b = 0; b < 256; ++b) {
            const char16_t k = foldKey(table[std::size_t(b)]);
            entry->key[std::size_t(b)] = k;
            entry->fold[std::size_t(b)] = first.try_emplace(k, std::uint8_t(b)).first->second;
        }
    }
    return *entry;
}

}  // namespace

std::optional<BytePattern> BytePattern::compile(const QString& text, int codePage, bool matchCase) {
    const std::array<char16_t, 256>& table = db::singleByteTable(codePage);
    const FoldTable& folding = foldTableFor(codePage);
    BytePattern p;
    for (int b = 0; b < 256; ++b)
        p.fold_[std::size_t(b)] = matchCase ? std::uint8_t(b) : folding.fold[std::size_t(b)];
    p.needle_.reserve(std::size_t(text.size()));
    for (QChar ch : text) {
        int found = -1;
        const char16_t key = foldKey(ch.unicode());
        for (int b = 0; b < 256 && found < 0; ++b) {
            if (matchCase ? table[std::size_t(b)] == ch.unicode()
                          : folding.key[std::size_t(b)] == key)
                found = p.fold_[std::size_t(b)];
        }
        if (found < 0)
            return std::nullopt;
        p.needle_.push_back(std::uint8_t(found));
    }
    const std::size_t m = p.needle_.size();
    const std::size_t maxShift = std::min<std::size_t>(m, 255);
    p.shift_.fill(std::uint8_t(maxShift ? maxShift : 1));
    for (std::size_t j = 0; j + 1 < m; ++j)
        p.shift_[p.needle_[j]] = std::uint8_t(std::min<std::size_t>(m - 1 - j, 255));
    return p;
}

bool BytePattern::foundIn(const char* data, std::size_t size) const {
    const std::size_t m = needle_.size();
    if (m == 0)
        return true;
    if (size < m)
        return false;
    const auto* h = reinterpret_cast<const std::uint8_t*>(data);
    const std::size_t last = m - 1;
    const std::uint8_t lastByte = needle_[last];
    std::size_t i = 0;
    while (i <= size - m) {
        const std::uint8_t c = fold_[h[i + last]];
        if (c == lastByte) {
            std::size_t j = last;
            while (j > 0 && fold_[h[i + j - 1]] == needle_[j - 1])
                --j;
            if (j == 0)
                return true;
        }
        i += shift_[c];
    }
    return false;
}

struct TermMatcher::Compiled {
    int codePage = 0;
    bool singleByte = false;
    std::vector<std::optional<BytePattern>> terms;
    std::optional<BytePattern> exclude;
    bool excludeImpossible = false;
};

TermMatcher::TermMatcher(const QStringList& terms, bool matchCase,
                         const std::optional<QString>& exclude)
    : terms_(terms.begin(), terms.end()),
      matchCase_(matchCase),
      exclude_(exclude),
      found_(terms_.size(), 0) {
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const QString& t : terms_) {
        unicodeTerms_.emplace_back(t, cs);
        if (t.contains(QLatin1Char('\r')))
            termWithCarriageReturn_ = true;
    }
    if (exclude_) {
        unicodeExclude_.emplace(*exclude_, cs);
        if (exclude_->contains(QLatin1Char('\r')))
            termWithCarriageReturn_ = true;
    }
}

TermMatcher::~TermMatcher() = default;

const TermMatcher::Compiled& TermMatcher::compiledFor(int codePage) {
    for (const auto& c : compiled_) {
        if (c->codePage == codePage) {
            lastCompiled_ = c.get();
            lastCodePage_ = codePage;
            return *c;
        }
    }
    auto c = std::make_unique<Compiled>();
    c->codePage = codePage;
    c->singleByte = db::isSingleByteCodePage(codePage) && !termWithCarriageReturn_;
    if (c->singleByte) {
        for (const QString& t : terms_)
            c->terms.push_back(BytePattern::compile(t, codePage, matchCase_));
        if (exclude_) {
            c->exclude = BytePattern::compile(*exclude_, codePage, matchCase_);
            c->excludeImpossible = !c->exclude.has_value();
        }
    }
    compiled_.push_back(std::move(c));
    lastCompiled_ = compiled_.back().get();
    lastCodePage_ = codePage;
    return *lastCompiled_;
}

void TermMatcher::beginRecord() {
    std::fill(found_.begin(), found_.end(), 0);
    foundCount_ = 0;
    excluded_ = false;
    hasText_ = false;
    joined_.clear();
}

void TermMatcher::addField(const db::TextRef& value) {
    if (value.isNull)
        return;
    if (termWithCarriageReturn_) {
        // Rare: a term holding a carriage return can span fields, so build the joined text.
        joined_ += QLatin1Char('\r') + value.toString();
        hasText_ = true;
        matchUnicode(joined_);
        return;
    }
    hasText_ = true;
    if (allDecided())
        return;
    const Compiled& c =
        value.codePage == lastCodePage_ ? *lastCompiled_ : compiledFor(value.codePage);
    if (c.singleByte) {
        matchBytes(c, value.data, value.size);
        return;
    }
    if (value.codePage == db::cp::Utf16LE &&
        reinterpret_cast<std::uintptr_t>(value.data) % alignof(char16_t) == 0) {
        matchUnicode(
            QStringView(reinterpret_cast<const char16_t*>(value.data), qsizetype(value.size / 2)));
        return;
    }
    decoded_ = db::decodeText(value.data, value.size, value.codePage);
    matchUnicode(decoded_);
}

void TermMatcher::matchBytes(const Compiled& c, const char* data, std::size_t size) {
    if (exclude_ && !excluded_ && c.exclude && c.exclude->foundIn(data, size)) {
        excluded_ = true;
        return;
    }
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        if (!found_[i] && c.terms[i] && c.terms[i]->foundIn(data, size)) {
            found_[i] = 1;
            ++foundCount_;
        }
    }
}

void TermMatcher::matchUnicode(QStringView text) {
    if (unicodeExclude_ && !excluded_ && unicodeExclude_->indexIn(text) >= 0) {
        excluded_ = true;
        return;
    }
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        if (!found_[i] && unicodeTerms_[i].indexIn(text) >= 0) {
            found_[i] = 1;
            ++foundCount_;
        }
    }
}

}  // namespace ds::search
