#include "PdfText.h"

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace ds::test {

namespace {
constexpr double kMarginPoints = 18.0;  // 6.35 mm
}

QList<PdfLine> PdfPage::lines() const {
    QList<PdfWord> sorted = words;
    std::sort(sorted.begin(), sorted.end(), [](const PdfWord& a, const PdfWord& b) {
        if (std::abs(a.top - b.top) > 40.0)  // two points apart: different lines
            return a.top < b.top;
        return a.left < b.left;
    });
    QList<PdfLine> out;
    for (const PdfWord& w : sorted) {
        if (out.isEmpty() || std::abs(out.last().top - w.top) > 40.0) {
            out.append(PdfLine{w.text, w.left, w.right, w.top, {w}});
            continue;
        }
        PdfLine& line = out.last();
        line.text += QLatin1Char(' ') + w.text;
        line.right = w.right;
        line.words.append(w);
    }
    return out;
}

QStringList PdfPage::lineTexts() const {
    QStringList out;
    for (const PdfLine& l : lines())
        out.append(l.text);
    return out;
}

std::optional<PdfLine> PdfPage::lineWith(const QString& text) const {
    for (const PdfLine& l : lines()) {
        if (l.text.contains(text))
            return l;
    }
    return std::nullopt;
}

bool havePdfToText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

QList<PdfPage> readPdf(const QString& pdfFile, QString* error) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), pdfFile, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    QList<PdfPage> pages;
    QXmlStreamReader xml(p.readAllStandardOutput());
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            PdfPage page;
            page.widthTwips = (a.value(QLatin1String("width")).toDouble() - 2 * kMarginPoints) * 20;
            page.heightTwips =
                (a.value(QLatin1String("height")).toDouble() - 2 * kMarginPoints) * 20;
            pages.append(page);
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            PdfWord w;
            w.left = (a.value(QLatin1String("xMin")).toDouble() - kMarginPoints) * 20;
            w.top = (a.value(QLatin1String("yMin")).toDouble() - kMarginPoints) * 20;
            w.right = (a.value(QLatin1String("xMax")).toDouble() - kMarginPoints) * 20;
            w.bottom = (a.value(QLatin1String("yMax")).toDouble() - kMarginPoints) * 20;
            w.text = xml.readElementText();
            pages.last().words.append(w);
        }
    }
    if (xml.hasError() && error)
        *error = xml.errorString();
    return pages;
}

}  // namespace ds::test
