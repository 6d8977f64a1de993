#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace ds::shell {

// Set once at start by DetectWindowsVersion: Windows NT before version 4, and NT 4 or later.
// Neither on other Windows versions nor on other systems.
extern bool IsNT3;
extern bool IsNT4OrLater;
void DetectWindowsVersion();

// The request both folder dialogs show.
QString folderChoicePrompt();

// The desktop's folder browser: only file-system folders; empty when cancelled.
QString BrowseForFolder(QWidget* owner);

// The program's own folder choice window "Ordnerwahl", shown modally; empty when cancelled.
QString ChooseFolderInOwnWindow(QWidget* owner);

// Which of the two the folder choice uses. The own window where the desktop has no folder
// browser (IsNT3), or when DATASIFTER_FOLDER_DIALOG=own asks for it; tests may force either.
enum class FolderDialog { Desktop, Own };
FolderDialog folderDialogInUse();
void setFolderDialogOverride(std::optional<FolderDialog> dialog);

}  // namespace ds::shell
