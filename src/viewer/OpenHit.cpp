// Opening a hit of the result window in the record viewer (double-click or Enter on a row).
#include "results/FlexGrid.h"
#include "results/ResultCommands.h"
#include "results/frmTabelle.h"
#include "viewer/HitLocation.h"
#include "viewer/frmViewRecordSet.h"

namespace ds::results {

void OpenHitInViewer(frmTabelle& window) {
    FlexGrid* grid = window.GrdErgebnis;
    const int row = grid->Row();
    const std::optional<viewer::HitLocation> hit =
        viewer::locateHit(*grid, row, window.resultLayout(), window.BezConnectCaption);
    if (!hit)
        return;
    grid->setCurrentCell(row, 1);
    if (hit->fullPath.isEmpty())
        return;

    window.setCursor(Qt::WaitCursor);
    viewer::frmViewRecordSet recordViewer(viewer::viewerFields(), window.window());
    recordViewer.callerWindow = &window;
    recordViewer.setRecordNumberTag(QString::number(hit->recordNumber));
    recordViewer.setConnectTag(window.BezConnectTag);
    recordViewer.setFileCaption(hit->fullPath);
    recordViewer.setTableTag(hit->tableName);
    recordViewer.setFormatCaption(window.BezConnectCaption);
    window.unsetCursor();
}

}  // namespace ds::results
