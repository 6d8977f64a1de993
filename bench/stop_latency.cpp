// stop-latency FOLDER TYPE [TERM]: starts a search of FOLDER in the real windows (offscreen),
// clicks "Abbrechen" after 300 ms (or $STOP_AFTER_MS) and prints how long the run took to stop, in
// milliseconds, measured from the click to the end of the run. Without TERM a file search.
#include "platform/QtDialogs.h"
#include "search/gui/frmBegriffe.h"
#include "search/gui/frmOptionen.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: stop-latency FOLDER TYPE [TERM]\n");
        return 2;
    }
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    ds::shell::frmSifter main;
    main.LoadSettings(settings.path() + QLatin1Char('/'), QStringLiteral("DataSifter"));
    main.ArrangeWindows(0);
    main.show();
    ds::search::frmOptionen* o = main.optionen();
    const bool text = args.size() > 3;
    o->OptDatensuche[text ? 1 : 0]->setChecked(true);
    o->CmbDateiTyp->setCurrentIndex(args[2].toInt() - 1);
    o->setFolder(args[1]);
    o->OptPfadWahl[2]->setChecked(true);
    if (text)
        main.begriffe()->TxtSuchbegriffe0->setPlainText(args[3]);
    QElapsedTimer sinceClick;
    bool clicked = false;
    const int after = qEnvironmentVariableIsSet("STOP_AFTER_MS")
                          ? qEnvironmentVariableIntValue("STOP_AFTER_MS")
                          : 300;
    QTimer::singleShot(after, &main, [&] {
        main.funktionen()->BefFunktion[2]->click();
        sinceClick.start();
        clicked = true;
    });
    main.RunSearch();
    if (!clicked) {
        std::printf("the run ended before the click\n");
        return 1;
    }
    std::printf("stopped %lld ms after the click\n", static_cast<long long>(sinceClick.elapsed()));
    return 0;
}
