#pragma once

#include "common/GridText.h"

#include <QDate>
#include <QImage>
#include <QPageLayout>
#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace ds::platform {
class Printer;
}

namespace ds::results {

class ExportHost;

// "Export &Drucker" on a printer, without the windows around it: landscape, twips; the heading
// block with the icon, date, title, description, search terms (layouts 0 and 1) and
// "Fundstellen:"; the column headings of the layout; one line per grid row from row 2 on with
// the page breaks and their running header; the cancel note; orientation and scale mode put
// back; the document ended. The host processes events before each row, gets the status text of
// each further page, and its cancel request stops the rows (and is cleared).
void printResultList(platform::Printer& printer, const GridText& grid, int layout,
                     const QString& termList, const QImage& icon, const QDate& today,
                     ExportHost& host);

// The picture at the top of the first page: the application's icon at its natural 32 x 32
// pixels, or a drawn stand-in while the application has none.
QImage printoutIcon();

// The printer set-up dialog's last confirmed choice, kept for the next set-up dialog while the
// program runs (never on disk; the printouts do not use it).
struct SavedDeviceSettings {
    bool valid = false;
    QString printerName;
    QPageLayout pageLayout;
};
const SavedDeviceSettings& savedDeviceSettings();

// Shows the set-up dialog on a printer pre-filled from the saved settings; true when confirmed.
// Tests replace the system's dialog; an empty function puts it back.
using PrinterSetupDialog = std::function<bool(QPrinter& printer, QWidget* owner)>;
void setPrinterSetupDialog(PrinterSetupDialog dialog);

}  // namespace ds::results
