#include "common/FitText.h"

#include <algorithm>

namespace ds {

QString shortenOnce(const QString& text) {
    const qsizetype length = text.size();
    const qsizetype left = std::max<qsizetype>(3, length / 3 - 3);
    const qsizetype right = std::max<qsizetype>(0, length / 2 - 2);
    QString shorter = text.left(left) + QStringLiteral("...") + text.right(right);
    return shorter.size() < length ? shorter : text;
}

QString FitText(const QString& text, const std::function<bool(const QString&)>& fits) {
    QString current = text;
    while (!fits(current)) {
        const QString shorter = shortenOnce(current);
        if (shorter.size() >= current.size())
            break;
        current = shorter;
    }
    return current;
}

}  // namespace ds
