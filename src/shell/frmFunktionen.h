#pragma once

#include "shell/ChildForm.h"

#include <QLabel>
#include <QPushButton>

#include <functional>

namespace ds::shell {

// "Funktionen": start a search, open the documentation, end the program or stop a running
// search. The button tags carry the stop hand-shake: a non-empty tag on button 0 is the stop
// request the search run polls.
class frmFunktionen : public ChildForm {
    Q_OBJECT
  public:
    explicit frmFunktionen(QWidget* parent = nullptr);

    QPushButton* BefFunktion[3] = {};
    QString tag[3];

    // Where the first two buttons post their command (the main window's hand-over label).
    std::function<void(const QString&)> postCommand;
    // Unloads the main window (which asks before it ends the program).
    std::function<void()> unloadMain;

    void click(int index);
    bool stopRequested() const { return !tag[0].isEmpty(); }
};

// The status line: an always-on-top strip across the screen with the run's progress and two
// symbols that bring back the main window or move the strip between the bottom and top edge.
class frmStatusZeile : public QWidget {
    Q_OBJECT
  public:
    explicit frmStatusZeile(QWidget* mainWindow);

    QWidget* PicZuordnung = nullptr;
    QPushButton* ImgMenueSymbol[2] = {};
    QLabel* BezZuordnung[4] = {};

    void load();
    void setLabel(int index, const QString& text);
    void symbolClicked(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* main_;
};

}  // namespace ds::shell
