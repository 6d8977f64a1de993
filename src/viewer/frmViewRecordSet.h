#pragma once

#include "viewer/RecordView.h"

#include <QAction>
#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QToolButton;

namespace ds::results {
class FlexGrid;
}

namespace ds::viewer {

// The viewer's fields for the whole run: they outlive every window.
RecordView& viewerFields();

// "Datenstruktur": the structure of a table and one of its records, modal over the result
// window. Opened by the hand-over below; closing drops the window, the fields stay.
class frmViewRecordSet : public QDialog {
    Q_OBJECT
  public:
    explicit frmViewRecordSet(RecordView& fields, QWidget* parent = nullptr);
    ~frmViewRecordSet() override;

    // The hand-over, in this order (the old invisible carrier labels 2, 0 and 1):
    void setRecordNumberTag(const QString& text);  // label 2's tag: the record number
    void setConnectTag(const QString& connect);    // label 0's tag: the format's connect string
    void setFileCaption(const QString& path);      // label 0's caption: takes path and connect
    void setTableTag(const QString& table);        // label 1's tag: the table name, may be empty
    // Label 1's caption, the format number: opens the file and shows the viewer modally;
    // returns once it is closed (at once when there is nothing to show).
    void setFormatCaption(const QString& format);

    // The result window whose hourglass ends once the viewer is ready.
    QPointer<QWidget> callerWindow;

    // How the window is shown modally: exec(), unless a test drives the open window instead.
    static std::function<void(frmViewRecordSet&)> modalRunner;

    RecordView& fields() { return fields_; }
    bool wasShown() const { return shown_; }

    // Controls.
    QLabel* BezViewRecordSet3 = nullptr;  // the title; its full text in titleTag
    QString titleTag;
    QToolButton* BefQuelldatenfelder[5] = {};  // 2 "«", 3 "»", 4 "?"
    QFrame* Linie = nullptr;
    results::FlexGrid* GrdSource = nullptr;
    QMenuBar* menuBar = nullptr;
    QMenu* tabelleMenu = nullptr;
    QAction* M_Haupt[1] = {};
    QAction* M_View[8] = {};

    // Commands of "&Tabelle".
    void navigate(int buttonIndex);
    void CopyGridToClipboard();
    void PrintStructure();
    void StartDefaultApplication();

    // Fits the title label and places the controls for the current size.
    void arrangeControls();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class Prompts;
    class Grid;
    void menuCommand(int index);
    QWidget* dialogOwner();

    RecordView& fields_;
    QWidget* inner_ = nullptr;
    std::unique_ptr<Grid> grid_;
    std::unique_ptr<Prompts> prompts_;
    QString recordTag_;
    QString connectTag_;
    QString tableTag_;
    bool shown_ = false;
};

}  // namespace ds::viewer
