// Export and printing commands until their units land: they do nothing visible.
#include "results/ResultCommands.h"
#include "shell/ShellCommands.h"

namespace ds::results {
void ExportClipboard(frmTabelle&) {}
void SaveReport(frmTabelle&) {}
void PrintResult(frmTabelle&) {}
void ResultPrinterSetup(frmTabelle&) {}
}  // namespace ds::results

namespace ds::shell {
void PrinterSetup(QWidget*) {}
}  // namespace ds::shell
