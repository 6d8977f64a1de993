#pragma once

#include "platform/Drives.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include <functional>

namespace ds::shell {

// A folder list: the current folder with the folders above it up to its drive's root, and the
// current folder's subfolders below. The current folder (the answer) is not necessarily the
// highlighted entry; Enter or a double-click opens the highlighted one.
class FolderListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Opens a folder; false (and nothing changes) when it cannot be read.
    bool setPath(const QString& folder);
    QString highlightedPath() const;
    // The roots the list starts from (drive letters' roots or mount points).
    void setRoots(const QStringList& roots) { roots_ = roots; }
    // The root the list starts from for a folder: the longest root that holds it.
    QString rootOf(const QString& folder) const;

  Q_SIGNALS:
    void pathChanged(const QString& path);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString path_;
    QStringList roots_;
};

// "Ordnerwahl": the program's own folder choice window with drive list, folder list and the
// (display only) file list of the current folder.
class frmVerzWahl : public QDialog {
    Q_OBJECT
  public:
    using DriveLister = std::function<QList<platform::DriveInfo>()>;
    static constexpr int kMinimumTwips = 4000;

    // drives and startFolder default to this machine's drives and the current folder.
    explicit frmVerzWahl(QWidget* parent = nullptr, DriveLister drives = {},
                         const QString& startFolder = {});

    QComboBox* CtrlLaufwerke = nullptr;
    FolderListBox* CtrlVerzeichnisse = nullptr;
    QListWidget* CtrlDateien = nullptr;
    QPushButton* BefVerzWahl[2] = {};

    QString ctrlLaufwerkeTag;   // the last drive that could be opened
    QString befVerzWahlTag[2];  // tag 0 carries the answer back to the caller
    QString ctrlDateienPath() const { return filesPath_; }

    // The load handler: centres the window and says what to do.
    void load();

    // A new drive was chosen in the drive list; an unreadable one is refused silently.
    void driveChanged(int index);
    void click(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showFiles(const QString& folder);
    int driveIndex(const QString& spec) const;
    QString filesPath_;
};

}  // namespace ds::shell
