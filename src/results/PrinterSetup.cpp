// "Drucker&einrichtung": the system's printer set-up dialog. The confirmed choice only
// pre-fills the next set-up dialog of this run; the printouts print on the system's printer as
// it is.
#include "results/Printing.h"
#include "results/ResultCommands.h"
#include "results/frmTabelle.h"
#include "shell/ShellCommands.h"

#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace ds::results {

namespace {

SavedDeviceSettings& saved() {
    static SavedDeviceSettings settings;
    return settings;
}

PrinterSetupDialog& installedDialog() {
    static PrinterSetupDialog dialog;
    return dialog;
}

bool systemSetupDialog(QPrinter& printer, QWidget* owner) {
    QPageSetupDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Druckereinrichtung"));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

const SavedDeviceSettings& savedDeviceSettings() {
    return saved();
}

void setPrinterSetupDialog(PrinterSetupDialog dialog) {
    installedDialog() = std::move(dialog);
}

void ResultPrinterSetup(frmTabelle& window) {
    shell::PrinterSetup(&window);
}

}  // namespace ds::results

namespace ds::shell {

void PrinterSetup(QWidget* owner) {
    using namespace ds::results;
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer.setOutputFormat(QPrinter::PdfFormat);
    const SavedDeviceSettings& before = saved();
    if (before.valid) {
        if (!before.printerName.isEmpty())
            printer.setPrinterName(before.printerName);
        printer.setPageLayout(before.pageLayout);
    }
    const PrinterSetupDialog& dialog = installedDialog();
    const bool confirmed = dialog ? dialog(printer, owner) : systemSetupDialog(printer, owner);
    if (!confirmed)
        return;  // cancelled: the previous choice stays for the next dialog
    saved() = SavedDeviceSettings{true, printer.printerName(), printer.pageLayout()};
}

}  // namespace ds::shell
