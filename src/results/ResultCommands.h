#pragma once

class QWidget;

namespace ds::results {

class frmTabelle;

// Commands of the result window's menu and grid that live in their own units.
void ExportClipboard(frmTabelle& window);     // "Export &Zwischenablage"
void SaveReport(frmTabelle& window);          // "Export &Reportdatei"
void PrintResult(frmTabelle& window);         // "Export &Drucker"
void ResultPrinterSetup(frmTabelle& window);  // "Drucker&einrichtung"
void OpenHitInViewer(frmTabelle& window);     // double-click or Enter on a hit

}  // namespace ds::results
