#pragma once

#include "common/GridText.h"
#include "results/ResultExport.h"

#include <QPointer>

class QWidget;

namespace ds::shell {
class frmSifter;
}

namespace ds::results {

class FlexGrid;

// The main window of a result window (null when it has none, as in some tests).
shell::frmSifter* mainWindowOf(QWidget* window);

// The result window and the main window as an export host: the main window's status text and
// cancel button (its tag is the request), the result window's pointer, and event processing.
class WindowExportHost final : public ExportHost {
  public:
    WindowExportHost(QWidget* resultWindow, shell::frmSifter* main);

    void beginLongOperation() override;
    void endLongOperation() override;
    void setStatusText(const QString& text) override;
    void processEvents() override;
    bool cancelRequested() const override;
    void clearCancel() override;

  private:
    QPointer<QWidget> window_;
    QPointer<shell::frmSifter> main_;
};

// The result grid as the exports read it: while events are processed a new search may drop
// the result window, after which the grid reads as empty and the rows stop.
class GuardedGrid final : public GridText {
  public:
    explicit GuardedGrid(FlexGrid* grid);
    int rowCount() const override;
    int columnCount() const override;
    QString cellText(int row, int column) const override;

  private:
    QPointer<FlexGrid> grid_;
};

}  // namespace ds::results
