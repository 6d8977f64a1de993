#pragma once

#include <QString>

class QApplication;

namespace ds::shell {

class frmSifter;
class SingleInstance;

// The start-up of the desktop program up to the event loop; returns the program's exit code.
int runDesktopProgram(QApplication& app);

// The main window's load handler: the title window (which refuses a second copy: then nullptr),
// the settings from programFolder (ending with a separator), the version flags, size and
// position, the background picture, layout I; then the title window goes and the main window
// is shown. Requests of later copies bring the returned window to the front.
frmSifter* LoadMainWindow(SingleInstance& instance, const QString& programFolder,
                          const QString& programBaseName);

}  // namespace ds::shell
