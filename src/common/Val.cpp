#include "common/Val.h"

#include <cmath>
#include <limits>

namespace ds {

double val(const QString& text) {
    QString digits;
    digits.reserve(text.size());
    bool seenDigit = false, seenPoint = false, seenExp = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits.append(c);
            seenDigit = true;
        } else if ((c == QLatin1Char('+') || c == QLatin1Char('-')) &&
                   (digits.isEmpty() || digits.endsWith(QLatin1Char('e')))) {
            digits.append(c);
        } else if (c == QLatin1Char('.') && !seenPoint && !seenExp) {
            digits.append(c);
            seenPoint = true;
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('d') ||
                    c == QLatin1Char('D')) &&
                   seenDigit && !seenExp) {
            digits.append(QLatin1Char('e'));
            seenExp = true;
        } else {
            break;
        }
    }
    // Trim a dangling exponent or sign, which would make the conversion fail.
    while (!digits.isEmpty() && !digits.back().isDigit() && digits.back() != QLatin1Char('.'))
        digits.chop(1);
    if (!seenDigit)
        return 0.0;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

int valInt(const QString& text) {
    const double v = std::nearbyint(val(text));
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

}  // namespace ds

namespace ds {

QString trimBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace ds
