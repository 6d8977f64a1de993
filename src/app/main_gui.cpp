// DataSifter: the desktop program. Takes no command line.
#include "common/Twips.h"
#include "platform/QtDialogs.h"
#include "shell/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ds::platform::QtDialogs dialogs;
    ds::platform::Dialogs::install(&dialogs);
    return ds::shell::runDesktopProgram(app);
}
