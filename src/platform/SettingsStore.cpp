#include "platform/SettingsStore.h"

#include "common/AppInfo.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace ds::platform {

SettingsStore::SettingsStore() = default;
SettingsStore::~SettingsStore() = default;

void SettingsStore::setUserStoreFile(const QString& path) {
    userStoreFile_ = path;
    userStore_.reset();
}

QSettings& SettingsStore::userStore() const {
    if (!userStore_) {
        if (userStoreFile_.isEmpty())
            userStore_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                     programTitle(), programTitle());
        else
            userStore_ = std::make_unique<QSettings>(userStoreFile_, QSettings::IniFormat);
    }
    return *userStore_;
}

QString SettingsStore::ReadSetting(const QString& section, const QString& key,
                                   const QString& defaultValue, const QString& settingsPath) const {
    if (useRegistry_) {
        QSettings& store = userStore();
        const QString name = section + QLatin1Char('/') + key;
        return store.contains(name) ? store.value(name).toString() : defaultValue;
    }
    return IniFile::read(settingsPath, section, key, defaultValue);
}

void SettingsStore::WriteSetting(const QString& section, const QString& key, const QString& value,
                                 const QString& settingsPath) {
    if (useRegistry_) {
        QSettings& store = userStore();
        store.setValue(section + QLatin1Char('/') + key, value);
        store.sync();
        return;
    }
    IniFile::write(settingsPath, section, key, value);
}

QString SettingsStore::userConfigFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    folder = QDir(folder).filePath(programTitle());
    QDir().mkpath(folder);
    return withTrailingSeparator(toNative(folder));
}

}  // namespace ds::platform
