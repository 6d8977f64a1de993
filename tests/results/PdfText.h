#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ds::test {

// The words of a PDF with their boxes, read back with `pdftotext -bbox` (poppler-utils).
// Positions are converted to twips from the printable area's origin of the PDF printer
// (a quarter-inch margin on every side).
struct PdfWord {
    QString text;
    double left = 0;  // twips
    double top = 0;
    double right = 0;
    double bottom = 0;
};

struct PdfLine {
    QString text;  // the line's words joined by one blank, left to right
    double left = 0;
    double right = 0;
    double top = 0;
    QList<PdfWord> words;
};

struct PdfPage {
    double widthTwips = 0;  // printable width
    double heightTwips = 0;
    QList<PdfWord> words;
    // Words grouped into lines by their top edge, top to bottom.
    QList<PdfLine> lines() const;
    QStringList lineTexts() const;
    // The first line whose text contains the text.
    std::optional<PdfLine> lineWith(const QString& text) const;
};

// Empty list when pdftotext is missing or the file cannot be read (error set).
QList<PdfPage> readPdf(const QString& pdfFile, QString* error);

// True when pdftotext can be run.
bool havePdfToText();

}  // namespace ds::test
