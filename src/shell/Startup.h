#pragma once

class QApplication;

namespace ds::shell {

// The start-up of the desktop program up to the event loop; returns the program's exit code.
int runDesktopProgram(QApplication& app);

}  // namespace ds::shell
