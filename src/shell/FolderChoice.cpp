#include "shell/FolderChoice.h"

#include "platform/Dialogs.h"
#include "platform/SystemInfo.h"
#include "shell/ShellCommands.h"
#include "shell/frmVerzWahl.h"

namespace ds::shell {

bool IsNT3 = false;
bool IsNT4OrLater = false;

namespace {
std::optional<FolderDialog> g_override;
}

QString folderChoicePrompt() {
    return QStringLiteral(
        "Wählen Sie bitte einen Ordner aus und aktivieren Sie dann die 'OK'-Schaltfläche...");
}

void DetectWindowsVersion() {
    const std::optional<platform::OsVersion> version = platform::windowsVersion();
    if (!version)
        return;  // the flags keep their meaning only on Windows
    const platform::WindowsVersionFlags flags = platform::classifyWindowsVersion(version);
    IsNT3 = flags.nt3;
    IsNT4OrLater = flags.nt4OrLater;
}

QString BrowseForFolder(QWidget* owner) {
    return platform::Dialogs::current().browseForFolder(owner, folderChoicePrompt());
}

QString ChooseFolderInOwnWindow(QWidget* owner) {
    frmVerzWahl* window = new frmVerzWahl(owner);
    window->load();
    window->exec();
    const QString answer = window->befVerzWahlTag[0];
    delete window;  // every use starts afresh with empty tags
    return answer;
}

FolderDialog folderDialogInUse() {
    if (g_override)
        return *g_override;
    if (IsNT3)
        return FolderDialog::Own;
    const QString wanted = qEnvironmentVariable("DATASIFTER_FOLDER_DIALOG").trimmed().toLower();
    return wanted == QLatin1String("own") ? FolderDialog::Own : FolderDialog::Desktop;
}

void setFolderDialogOverride(std::optional<FolderDialog> dialog) {
    g_override = dialog;
}

QString ChooseFolder(QWidget* owner) {
    return folderDialogInUse() == FolderDialog::Own ? ChooseFolderInOwnWindow(owner)
                                                    : BrowseForFolder(owner);
}

}  // namespace ds::shell
