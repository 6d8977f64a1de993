#pragma once

#include "results/FlexGrid.h"
#include "shell/ChildForm.h"

#include <QAction>
#include <QMenuBar>

#include <functional>

namespace ds::results {

// "Ergebnis": the hits of a search run in one grid, with export, printing, font choice, column
// optimisation and opening a hit in the record viewer.
class frmTabelle : public shell::ChildForm {
    Q_OBJECT
  public:
    explicit frmTabelle(QWidget* parent = nullptr);

    FlexGrid* GrdErgebnis = nullptr;
    // The hand-over label the grid covers: caption = format number, tag = connect string.
    QString BezConnectCaption;
    QString BezConnectTag;
    // The window's tag: the result layout as decimal text.
    QString tag;

    QMenuBar* menuBar = nullptr;
    QAction* M_Haupt[2] = {};
    QAction* M_Tabelle[7] = {};
    QAction* M_Ansicht[2] = {};
    QAction* M_Schrift[2] = {};

    int resultLayout() const;

    // Asked before the window closes; false refuses (while an export or a print runs).
    std::function<bool()> mayClose;
    // Writes the main window's status text.
    std::function<void(const QString&)> setStatusText;

    void chooseFont(int index);
    void OptimizeColumns();
    void OpenHit();
    // Centres the window over the main window.
    void centreOver(const QWidget* mainWindow);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void menuCommand(int index);
    bool filterInstalled_ = false;
    int checkedFont_ = 0;
};

}  // namespace ds::results
