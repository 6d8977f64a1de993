#pragma once

#include "platform/Dialogs.h"

namespace ds::platform {

// The real dialogs: Qt's message box, input dialog, colour dialog, the desktop's folder browser
// and save dialog.
class QtDialogs final : public Dialogs {
  public:
    int message(QObject* owner, const QString& text, Icon icon, Buttons buttons,
                const QString& title) override;
    std::optional<QString> inputBox(QObject* owner, const QString& prompt, const QString& title,
                                    const QString& preset) override;
    std::optional<int> chooseColour(QObject* owner, int initialColour) override;
    QString browseForFolder(QObject* owner, const QString& title) override;
    QString saveFileName(QObject* owner, const QString& title, const QString& folder,
                         const QString& fileName, const QString& filter,
                         const QString& defaultExtension) override;
};

}  // namespace ds::platform
