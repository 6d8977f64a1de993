#pragma once

#include "platform/SettingsStore.h"

#include <QString>
#include <QStringList>

namespace ds::shell {

// The search path list: the most recently searched folders, entry 0 the newest. Entry 0 always
// exists; entries 1..19 only once the list was loaded with recollection allowed, so with
// recollection off the list holds one folder while the program runs.
class SearchPathList {
  public:
    static constexpr int kEntries = 20;
    static constexpr int kSaved = 19;  // entries 0..18 are saved as Folder1..Folder19

    SearchPathList() : tags_(1) {}

    void createEntries() { tags_.resize(kEntries); }
    int size() const { return int(tags_.size()); }
    QString tag(int index) const { return index >= 0 && index < size() ? tags_[index] : QString(); }
    bool enabled() const { return enabled_; }
    bool hasEntries() const { return !tags_[0].isEmpty(); }

    // Puts a folder at the top; a folder already listed (compared as the file system compares
    // names) moves up without duplication, a new one pushes the oldest out.
    void AddSearchFolder(const QString& path);

  private:
    std::vector<QString> tags_;
    bool enabled_ = false;
};

// Check marks of the "Ansicht" menu that are saved, and the status label state at start.
struct ViewOptions {
    bool mouseFunctional = true;  // the hidden entry; only its check mark is kept
    bool statusBarChecked = true;
    bool statusLabelVisible = false;  // shown at start only when the stored mark is exactly 1
};

// The values that survive between runs, read at start and written at an accepted shut-down.
class SettingsModel {
  public:
    // The main window's background colour at design time: the system's application workspace
    // colour, stored as the old negative system-colour number.
    static constexpr int kDesignBackground = int(0x8000000C);

    explicit SettingsModel(platform::SettingsStore& store) : store_(store) {}

    // Start-up: location of the settings, excluded drives, network mode and registry flag, the
    // search path list, the view options and the folder for the settings window. programFolder
    // ends with a separator; programBaseName is the program file's name without extension.
    void LoadSettings(const QString& programFolder, const QString& programBaseName);

    void TransferSearchList(bool save);
    void TransferViewOptions(bool save);
    void AddSearchFolder(const QString& path) { searchPaths.AddSearchFolder(path); }

    const QString& settingsPath() const { return settingsPath_; }
    const QString& helpFile() const { return helpFile_; }
    const QString& excludedDrives() const { return excludedDrives_; }
    // True when the program's own drive is excluded: the drive lists then start on the root.
    bool programDriveExcluded() const { return programDriveExcluded_; }
    // The folder the settings window starts with.
    const QString& initialFolder() const { return initialFolder_; }

    SearchPathList searchPaths;
    ViewOptions view;
    int backgroundColour = kDesignBackground;

    // Name of the sample data folder shipped beside the program; preselected on a first start.
    static QString sampleFolderName() { return QStringLiteral("Beispieldaten"); }

  private:
    platform::SettingsStore& store_;
    QString settingsPath_;
    QString helpFile_;
    QString excludedDrives_;
    bool programDriveExcluded_ = false;
    QString initialFolder_;
    QString programFolder_;
};

}  // namespace ds::shell
