#include "search/SearchTerms.h"

#include "common/Val.h"

namespace ds::search {

SplitTerms splitSearchTerms(const QString& termText, bool excludeActive, const QString& excludeText,
                            bool matchCase) {
    SplitTerms out;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const QString crlf = QStringLiteral("\r\n");
    qsizetype position = 0;
    for (;;) {
        const qsizetype end = termText.indexOf(crlf, position);
        if (end < 0)
            break;
        const QString line = trimBlanks(termText.mid(position, end - position));
        position = end + 2;
        if (excludeActive && line.compare(excludeText, cs) == 0)
            continue;
        if (line.isEmpty() || out.termList.contains(line, cs))
            continue;
        out.termList += line + QLatin1Char('\r');
        out.terms.append(line);
    }
    return out;
}

}  // namespace ds::search
