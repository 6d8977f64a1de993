#pragma once

#include "shell/ChildForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace ds::search {

// "Einstellungen": kind of search, file type and search path of the next run.
class frmOptionen : public shell::ChildForm {
    Q_OBJECT
  public:
    explicit frmOptionen(QWidget* parent = nullptr);

    QGroupBox* FraOptionen[3] = {};
    QRadioButton* OptDatensuche[2] = {};
    QComboBox* CmbDateiTyp = nullptr;
    QRadioButton* OptPfadWahl[3] = {};
    QComboBox* CtrlLwrkListe = nullptr;
    QLabel* PanPfadWahl[3] = {};
    QPushButton* BefPfadwahl = nullptr;

    // The excluded-drives list (the "Suchpfad" frame's tag) and the drive list's last good drive.
    QString excludedDrives;
    QString driveTag;
    QString optPfadWahl0Tag = QStringLiteral("&Laufwerk ");

    // Fills the drive list without the excluded drives; startAtRoot puts it on the root drive.
    void loadDrives(bool startAtRoot);
    // The folder behind the folder label: full path in the tag, the fitted text as caption.
    QString folderTag() const { return folderTag_; }
    void setFolder(const QString& folder);

    int formatIndex() const;
    QString currentDriveEntry() const { return CtrlLwrkListe->currentText(); }

    // Pops up the main window's search path list at a point (set by the main window); returns
    // false when the list has no entry.
    std::function<bool(const QPoint&)> popupSearchPathList;
    // Chooses a folder (set by the main window: the desktop's browser or the own dialog).
    std::function<QString()> chooseFolder;

    void choosePathFolder();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void driveListChanged(int index);
    QString folderTag_;
    bool revertingDrive_ = false;
};

}  // namespace ds::search
