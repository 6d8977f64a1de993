#include "shell/Startup.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "platform/Paths.h"
#include "shell/frmSifter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>

namespace ds::shell {

int runDesktopProgram(QApplication& app) {
    QApplication::setApplicationName(programTitle());
    // The designed fonts of the old windows, mapped to what this system has.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});

    auto* main = new frmSifter;
    main->setAttribute(Qt::WA_DeleteOnClose);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString folder =
        platform::withTrailingSeparator(platform::toNative(program.absolutePath()));
    main->LoadSettings(folder, program.completeBaseName());
    if (pixelsToTwips(main->height()) < 7200)
        main->resize(main->width(), twipsToPixels(7200));
    CentreForm(main);
    main->applyBackground();
    main->ArrangeWindows(0);
    main->show();
    return app.exec();
}

}  // namespace ds::shell
