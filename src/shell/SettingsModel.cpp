#include "shell/SettingsModel.h"

#include "common/AppInfo.h"
#include "common/Val.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace ds::shell {

using namespace ds::platform;

namespace {
const QString kDontAllow = QStringLiteral("DontAllowConnect");
const QString kOptions = QStringLiteral("Options");
const QString kSearchList = QStringLiteral("SearchList");
}  // namespace

void SearchPathList::AddSearchFolder(const QString& path) {
    int p = kEntries - 1;
    for (int i = 0; i < size(); ++i) {
        if (samePath(tags_[i], path)) {
            p = i;
            break;
        }
    }
    // Entries beyond the list's size do not exist; shifting into them is skipped.
    for (int i = std::min(p, size() - 1); i >= 1; --i)
        tags_[i] = tags_[i - 1];
    tags_[0] = path;
    enabled_ = true;
}

void SettingsModel::LoadSettings(const QString& programFolder, const QString& programBaseName) {
    programFolder_ = programFolder;
    const QString iniName = programBaseName + QStringLiteral(".INI");
    helpFile_ = programFolder + programBaseName + QStringLiteral(".html");
    settingsPath_ = programFolder + iniName;

    // The hand-set keys come from the INI beside the program, before anything is switched.
    const DriveStyle style = driveStyle();
    const QString stored =
        store_.ReadSetting(kDontAllow, QStringLiteral("Drives"), QString(), settingsPath_);
    excludedDrives_ = normaliseExcludedDrives(stored, style);
    const QString programDrive = style == DriveStyle::Letters
                                     ? programFolder.left(2).toLower()
                                     : driveOfPath(withoutTrailingSeparator(programFolder));
    programDriveExcluded_ = isDriveExcluded(programDrive, excludedDrives_, style);

    const bool networkMode = val(store_.ReadSetting(kOptions, QStringLiteral("NetworkMode"),
                                                    QString(), settingsPath_)) != 0;
    if (networkMode) {
        if (val(store_.ReadSetting(kOptions, QStringLiteral("UseRegistry"), QString(),
                                   settingsPath_)) != 0)
            store_.setUseRegistry(true);
        settingsPath_ = SettingsStore::userConfigFolder() + iniName;
    } else if (!QFileInfo(QDir::fromNativeSeparators(programFolder)).isWritable()) {
        // Installed read-only (e.g. a system folder): the settings go to the user's folder.
        settingsPath_ = SettingsStore::userConfigFolder() + iniName;
    }

    TransferSearchList(false);
    TransferViewOptions(false);

    initialFolder_ = searchPaths.tag(0);
    if (initialFolder_.isEmpty()) {
        const QString sample = programFolder + sampleFolderName();
        initialFolder_ = FolderExists(sample) ? sample : programFolder;
    }
}

void SettingsModel::TransferSearchList(bool save) {
    const QString allow = store_.ReadSetting(kSearchList, QStringLiteral("AllowRecollection"),
                                             QString(), settingsPath_);
    if (!allow.isEmpty() && val(allow) == 0)
        return;
    const QString folderKey = QStringLiteral("Folder%1");
    if (!save) {
        searchPaths.createEntries();
        const DriveStyle style = driveStyle();
        for (int i = SearchPathList::kSaved; i >= 1; --i) {
            const QString folder = lowerIfCaseless(
                store_.ReadSetting(kSearchList, folderKey.arg(i), QString(), settingsPath_));
            if (folder.isEmpty() || !FolderExists(folder))
                continue;
            const QString drive =
                style == DriveStyle::Letters ? folder.left(1) : driveOfPath(folder);
            if (style == DriveStyle::Letters ? excludedDrives_.contains(drive)
                                             : isDriveExcluded(drive, excludedDrives_, style))
                continue;
            searchPaths.AddSearchFolder(folder);
        }
        return;
    }
    for (int i = 1; i <= SearchPathList::kSaved; ++i)
        store_.WriteSetting(kSearchList, folderKey.arg(i), searchPaths.tag(i - 1), settingsPath_);
}

void SettingsModel::TransferViewOptions(bool save) {
    if (save) {
        if (!store_.useRegistry() && QFileInfo::exists(settingsPath_)) {
            FileStat st;
            if (FileSystem::stat(settingsPath_, &st) && st.attributes != attr::Archive)
                SetFileAttr(settingsPath_, attr::Archive);
        }
        const QString mode = QString(view.mouseFunctional ? QLatin1Char('1') : QLatin1Char('0')) +
                             QString(view.statusBarChecked ? QLatin1Char('1') : QLatin1Char('0'));
        store_.WriteSetting(kOptions, QStringLiteral("Mode"), mode, settingsPath_);
        store_.WriteSetting(kOptions, QStringLiteral("Background"),
                            QString::number(backgroundColour), settingsPath_);
        return;
    }
    QString mode = store_.ReadSetting(kOptions, QStringLiteral("Mode"), QString(), settingsPath_);
    if (mode.size() != 2)
        mode = QStringLiteral("11");
    const double first = val(mode.mid(0, 1));
    const double second = val(mode.mid(1, 1));
    view.mouseFunctional = first != 0;
    view.statusBarChecked = second != 0;
    view.statusLabelVisible = second == 1;
    const QString background =
        store_.ReadSetting(kOptions, QStringLiteral("Background"), QString(), settingsPath_);
    if (!background.isEmpty()) {
        const double v = std::nearbyint(val(background));
        if (v >= -2147483648.0 && v <= 2147483647.0)
            backgroundColour = int(v);
    }
}

}  // namespace ds::shell
