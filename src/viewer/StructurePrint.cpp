#include "viewer/StructurePrint.h"

#include "common/AppInfo.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "search/FileTypes.h"
#include "viewer/RecordView.h"

namespace ds::viewer {

namespace {
constexpr double kLeft = 1400;
constexpr double kTop = 750;
}  // namespace

void printStructureOn(platform::Printer& p, const GridText& grid, const RecordView& view,
                      const QDate& today) {
    const QString dateText = today.toString(QStringLiteral("dd.MM.yyyy"));
    int page = 1;
    QString fileLabel = platform::namePart(view.FilePath);
    if (!fileLabel.isEmpty())
        fileLabel[0] = fileLabel[0].toUpper();

    const int savedScale = p.scaleMode();
    p.setScaleMode(platform::Printer::ScaleTwips);
    p.setFontName(QStringLiteral("Times New Roman"));
    p.printLine();

    p.setFontName(QStringLiteral("Arial"));
    p.setFontSize(10);
    p.setCurrentY(kTop);
    p.setCurrentX(p.printableWidth() - kLeft - p.textWidth(dateText));
    p.printLine(dateText);  // followed by CR LF: one more line
    p.printLine();

    p.setCurrentX(kLeft);
    p.setFontSize(13);
    p.setFontBold(true);
    p.printLine(programTitle().toUpper());
    p.printLine();
    p.printLine();
    p.setFontBold(false);
    p.setFontSize(10);

    p.setCurrentX(kLeft);
    p.setFontUnderline(true);
    p.printLine(fileLabel);
    p.printLine();
    p.setFontUnderline(false);

    if (search::hasSeveralTables(view.FormatIndex) && !view.TableName.isEmpty()) {
        p.setCurrentX(kLeft);
        p.printLine(view.TableName);
        p.printLine();
    }

    const int lastRow = view.FieldRowCounter + 1;
    for (int r = 0; r <= lastRow; ++r) {
        if (p.currentY() > p.printableHeight() - kTop) {
            ++page;
            platform::printPageHeader(p, fileLabel, page, kLeft, kTop);
        }
        p.setCurrentX(2800);
        p.printText(grid.cellText(r, 0));
        p.setCurrentX(3600);
        p.printText(grid.cellText(r, 1));
        p.setCurrentX(7200);
        p.printText(grid.cellText(r, 2));
        p.setCurrentX(9000);
        p.printLine(grid.cellText(r, 3));
        if (r == 0) {
            p.drawLine(2800, p.currentY(), p.printableWidth() - kLeft, p.currentY(), 0);
            p.setFontSize(6);
            p.printLine();
            p.setFontSize(10);
        }
    }

    p.setFontSize(10);
    p.setScaleMode(savedScale);
    p.newPage();
    p.endDoc();
}

}  // namespace ds::viewer
