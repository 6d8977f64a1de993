#include "shell/Help.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "shell/ShellCommands.h"
#include "shell/frmSifter.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace ds::shell {

using platform::Icon;

bool OpenHelpFile(const QString& file, QWidget* owner) {
    const QString path = platform::fromNative(file);
    if (file.isEmpty() || !QFileInfo(path).isFile()) {
        platform::showMessage(
            QStringLiteral("Die Dokumentation wurde nicht gefunden. Sie gehört in die Datei\r\n") +
                file,
            Icon::Exclamation, QString(), owner);
        return false;
    }
    // The contents stand at the beginning of the file, so no anchor is needed (some desktops
    // cannot open a local file with one).
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        return true;
    platform::showMessage(
        QStringLiteral(
            "Die Dokumentation kann nicht angezeigt werden, weil kein Programm zum "
            "Anzeigen von HTML-Dateien eingerichtet ist.\r\nSie steht in der Datei\r\n") +
            file,
        Icon::Exclamation, QString(), owner);
    return false;
}

void OpenDocumentation(frmSifter& main) {
    OpenHelpFile(main.settings().helpFile(), &main);
}

}  // namespace ds::shell
