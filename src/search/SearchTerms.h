#pragma once

#include <QString>
#include <QStringList>

namespace ds::search {

struct SplitTerms {
    QStringList terms;  // accepted terms in input order
    QString termList;   // each accepted term followed by a carriage return
};

// Splits the terms box into search terms: one term per line, blanks around a line removed, empty
// lines ignored, a line equal to the active exclusion text dropped, and a line dropped when it
// occurs anywhere inside the terms already accepted (a repeat, or part of an earlier term).
// termText is the trimmed box text followed by CR LF.
SplitTerms splitSearchTerms(const QString& termText, bool excludeActive, const QString& excludeText,
                            bool matchCase);

}  // namespace ds::search
