#pragma once

#include <QString>

class QWidget;

namespace ds::shell {

class frmSifter;

// Commands of the main window that live in their own units.
void PrinterSetup(QWidget* owner);        // "Drucker&einrichtung" (also result window, viewer)
void OpenDocumentation(frmSifter& main);  // "&Dokumentation", "&Informationen", F1
void ShowSystemInfo(frmSifter& main);     // "&Systemkonfiguration"
void ComposeBackground(frmSifter& main);  // the background picture in the current colour
QString ChooseFolder(QWidget* owner);     // folder choice for the settings window

}  // namespace ds::shell
