#include "results/Printing.h"

#include "common/AppInfo.h"
#include "platform/Printer.h"
#include "results/ResultCommands.h"
#include "results/ResultExport.h"
#include "results/WindowExportHost.h"
#include "results/frmTabelle.h"
#include "search/gui/frmBegriffe.h"
#include "shell/frmSifter.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

namespace ds::results {

namespace {

// Positions in twips from the printable area's origin.
constexpr double kLeft = 750;          // headings, first column; text ends at width - 750
constexpr double kTopOfText = 1400;    // first text line of every page
constexpr double kBottomLimit = 1400;  // a row below height - 1400 begins a new page
constexpr double kTermIndent = 1050;
constexpr double kIconX = 400;
constexpr double kIconY = 300;

const QString kArial = QStringLiteral("Arial");

QString pageStatus(int page) {
    return QStringLiteral("Druck der Seite") + QLatin1Char(' ') + QString::number(page) +
           QStringLiteral("...");
}

}  // namespace

void printResultList(platform::Printer& p, const GridText& grid, int layout,
                     const QString& termList, const QImage& icon, const QDate& today,
                     ExportHost& host) {
    const QString dateText = today.toString(QStringLiteral("dd.MM.yyyy"));
    const QString titleText = programTitle().toUpper();
    int page = 1;
    const bool textSearch = layout == 0 || layout == 1;
    const double column2 = textSearch ? 9000 : 11100;
    const double column3 = textSearch ? 11000 : 12500;

    const int savedOrientation = p.orientation();
    p.setOrientation(platform::Printer::Landscape);
    const int savedScaleMode = p.scaleMode();
    p.setScaleMode(platform::Printer::ScaleTwips);

    // Heading block of the first page.
    p.paintPicture(icon, kIconX, kIconY);
    p.setFontName(kArial);
    p.setFontSize(10);
    p.setCurrentY(kTopOfText);
    p.setCurrentX(p.printableWidth() - kLeft - p.textWidth(dateText));
    p.printLine(dateText);
    p.printLine();
    p.setCurrentX(kLeft);
    p.setFontSize(13);
    p.setFontBold(true);
    p.printLine(titleText);
    p.printLine();
    p.setFontSize(11);
    p.setCurrentX(kLeft);
    p.printLine(programDescription());
    p.printLine();
    p.setFontBold(false);
    p.setFontSize(10);
    if (layout < 2) {
        p.setFontUnderline(true);
        p.setCurrentX(kLeft);
        p.printLine(QStringLiteral("Suchbegriffe"));
        p.setFontUnderline(false);
        for (const QString& term : termsOfTermList(termList)) {
            p.setCurrentX(kTermIndent);
            p.printLine(QStringLiteral("· ") + term);
        }
        p.printLine();
    }
    p.setFontUnderline(true);
    p.setCurrentX(kLeft);
    p.printLine(QStringLiteral("Fundstellen:"));
    p.printLine();
    p.setFontUnderline(false);
    p.setFontSize(9);

    // Column headings.
    QString h[5];
    for (int c = 1; c < grid.columnCount() && c <= 4; ++c) {
        if ((layout == 2 || layout == 3) && c == 3) {
            if (!h[2].isEmpty())
                h[3] = QStringLiteral("Zeitangaben und Attribute");
            break;
        }
        h[c] = grid.cellText(0, c);
    }
    p.setFontItalic(true);
    if (layout == 0) {
        p.setCurrentX(kLeft);
        p.printText(h[1] + QStringLiteral(" (") + h[2] + QLatin1Char(')'));
        p.setCurrentX(column2);
        p.printText(h[3]);
        p.setCurrentX(column3);
        p.printLine(h[4]);
    } else {
        p.setCurrentX(kLeft);
        p.printText(h[1]);
        p.setCurrentX(column2);
        p.printText(h[2]);
        p.setCurrentX(column3);
        p.printLine(h[3]);
    }
    p.printLine();
    p.setFontItalic(false);

    // The rows.
    QString lastFirstColumn;
    int lastFirstColumnPage = 0;
    for (int r = 2; r < grid.rowCount(); ++r) {
        host.processEvents();
        if (host.cancelRequested())
            break;
        if (p.currentY() > p.printableHeight() - kBottomLimit) {
            ++page;
            host.setStatusText(pageStatus(page));
            platform::printPageHeader(p, titleText, page, kLeft, kTopOfText);
        }
        QString c[6];
        for (int col = 1; col <= 5; ++col)
            c[col] = col < grid.columnCount() ? grid.cellText(r, col) : QString();
        if (layout == 0) {
            if (!c[2].isEmpty())
                c[1] = c[1] + QStringLiteral(" (") + c[2] + QLatin1Char(')');
            c[2] = c[3];
            c[3] = c[4];
        } else if (layout == 2 || layout == 3) {
            if (!c[3].isEmpty())
                c[3] = c[3] + QLatin1Char('\t') + c[4] + QLatin1Char('\t') + c[5];
        }
        if (c[1] != lastFirstColumn || page != lastFirstColumnPage) {
            p.setCurrentX(kLeft);
            p.printText(c[1]);
            lastFirstColumn = c[1];
            lastFirstColumnPage = page;
        }
        // A first column reaching into the next column pushes the others to the next line,
        // also when it was not printed again for this row.
        if (!(c[2].isEmpty() && c[3].isEmpty()) && p.textWidth(c[1]) > column2 - kLeft)
            p.printLine();
        if (!c[2].isEmpty()) {
            p.setCurrentX(column2);
            p.printText(c[2]);
        }
        p.setCurrentX(column3);
        p.printLine(c[3]);
    }

    // Closing note.
    p.setFontItalic(true);
    p.setFontSize(8);
    p.printLine();
    p.setCurrentX(kLeft);
    if (host.cancelRequested()) {
        p.printLine(QStringLiteral("Druckvorgang abgebrochen..."));
        host.clearCancel();
    }
    p.printLine();
    p.setFontItalic(false);
    p.setFontSize(10);

    p.setScaleMode(savedScaleMode);
    p.setOrientation(savedOrientation);
    p.endDoc();
}

QImage printoutIcon() {
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        QImage image = icon.pixmap(QSize(32, 32)).toImage();
        if (!image.isNull())
            return image;
    }
    // Stand-in: a database drum under a magnifying glass.
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setDotsPerMeterX(3780);  // 96 dpi
    image.setDotsPerMeterY(3780);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 1.5));
    painter.setBrush(QColor(255, 255, 192));
    painter.drawRect(QRectF(3, 7, 18, 18));
    painter.drawEllipse(QRectF(3, 3, 18, 8));
    painter.drawArc(QRectF(3, 21, 18, 8), 180 * 16, 180 * 16);
    painter.setBrush(QColor(192, 224, 255, 220));
    painter.drawEllipse(QRectF(14, 13, 11, 11));
    painter.setPen(QPen(QColor(0, 0, 128), 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(23.5, 22.5), QPointF(29, 28));
    return image;
}

void PrintResult(frmTabelle& window) {
    shell::frmSifter* main = mainWindowOf(&window);
    WindowExportHost host(&window, main);
    const int layout = window.resultLayout();
    const QString termList = main && layout < 2 ? main->begriffe()->termListTag : QString();

    host.beginLongOperation();
    bool statusWasVisible = false;
    QString statusCaption;
    if (main) {
        statusWasVisible = !main->BezStatus->isHidden();
        statusCaption = main->BezStatus->text();
        main->BezStatus->setVisible(true);
        main->BezStatus->setText(pageStatus(1));
    }

    printResultList(platform::Printer::current(), GuardedGrid(window.GrdErgebnis), layout, termList,
                    printoutIcon(), QDate::currentDate(), host);

    if (main) {
        main->BezStatus->setVisible(statusWasVisible);
        main->BezStatus->setText(statusCaption);
    }
    host.endLongOperation();
}

}  // namespace ds::results
