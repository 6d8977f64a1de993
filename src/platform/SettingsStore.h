#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace ds::platform {

// Where the settings live and how one value is read or written: the INI file named by the
// settings path, or, once the registry flag is set, the platform's per-user store under the
// application name with the same section and key names.
class SettingsStore {
  public:
    SettingsStore();
    ~SettingsStore();

    bool useRegistry() const { return useRegistry_; }
    void setUseRegistry(bool on) { useRegistry_ = on; }

    // Replaces the per-user store with a file (tests; a portable installation).
    void setUserStoreFile(const QString& path);

    QString ReadSetting(const QString& section, const QString& key, const QString& defaultValue,
                        const QString& settingsPath) const;
    void WriteSetting(const QString& section, const QString& key, const QString& value,
                      const QString& settingsPath);

    // The per-user configuration folder used when the program folder cannot be written, and in
    // network mode in place of the old Windows folder (with a trailing separator).
    static QString userConfigFolder();

  private:
    QSettings& userStore() const;

    bool useRegistry_ = false;
    QString userStoreFile_;
    mutable std::unique_ptr<QSettings> userStore_;
};

}  // namespace ds::platform
