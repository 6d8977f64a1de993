#include "shell/Startup.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "results/frmPicture.h"
#include "shell/FolderChoice.h"
#include "shell/SingleInstance.h"
#include "shell/frmSifter.h"
#include "shell/frmTitel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>

#include <memory>

namespace ds::shell {

namespace {

// DATASIFTER_TEST_LOG=<file>: message boxes are written to the file instead of being shown
// (answered with OK, or No for questions), and so are activation requests from later copies.
// Lets a test drive two real copies of the program without anyone clicking.
class TestLog final : public platform::Dialogs {
  public:
    TestLog(const QString& file, platform::Dialogs& inner) : file_(file), inner_(inner) {}

    void write(const QString& line) {
        QFile f(file_);
        if (f.open(QIODevice::WriteOnly | QIODevice::Append))
            f.write(line.toUtf8() + '\n');
    }

    int message(QObject*, const QString& text, platform::Icon icon, platform::Buttons buttons,
                const QString&) override {
        write(QStringLiteral("message|%1|").arg(int(icon)) + text);
        return buttons == platform::Buttons::YesNo ? platform::AnswerNo : platform::AnswerOk;
    }
    std::optional<QString> inputBox(QObject* owner, const QString& prompt, const QString& title,
                                    const QString& preset) override {
        return inner_.inputBox(owner, prompt, title, preset);
    }
    std::optional<int> chooseColour(QObject* owner, int initialColour) override {
        return inner_.chooseColour(owner, initialColour);
    }
    QString browseForFolder(QObject* owner, const QString& title) override {
        return inner_.browseForFolder(owner, title);
    }
    QString saveFileName(QObject* owner, const QString& title, const QString& folder,
                         const QString& fileName, const QString& filter,
                         const QString& defaultExtension) override {
        return inner_.saveFileName(owner, title, folder, fileName, filter, defaultExtension);
    }

  private:
    QString file_;
    platform::Dialogs& inner_;
};

}  // namespace

frmSifter* LoadMainWindow(SingleInstance& instance, const QString& programFolder,
                          const QString& programBaseName) {
    auto titel = std::make_unique<frmTitel>();
    if (!titel->load(instance))
        return nullptr;

    auto* main = new frmSifter;
    main->LoadSettings(programFolder, programBaseName);
    DetectWindowsVersion();
    if (pixelsToTwips(main->height()) < 7200)
        main->resize(main->width(), twipsToPixels(7200));
    CentreForm(main);
    main->applyBackground();
    main->ArrangeWindows(0);
    titel.reset();
    main->show();
    QObject::connect(&instance, &SingleInstance::activationRequested, main,
                     [main] { bringToFront(main); });
    return main;
}

int runDesktopProgram(QApplication& app) {
    QApplication::setApplicationName(programTitle());
    // The designed fonts of the old windows, mapped to what this system has.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                                QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
    QApplication::setWindowIcon(results::applicationIcon());

    std::unique_ptr<TestLog> log;
    platform::Dialogs& installed = platform::Dialogs::current();
    const QString logFile = qEnvironmentVariable("DATASIFTER_TEST_LOG");
    if (!logFile.isEmpty()) {
        log = std::make_unique<TestLog>(logFile, installed);
        platform::Dialogs::install(log.get());
    }

    SingleInstance instance;
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString folder =
        platform::withTrailingSeparator(platform::toNative(program.absolutePath()));
    frmSifter* main = LoadMainWindow(instance, folder, program.completeBaseName());
    if (!main)
        return 0;
    main->setAttribute(Qt::WA_DeleteOnClose);
    if (log) {
        QObject::connect(&instance, &SingleInstance::activationRequested, main, [&log, main] {
            log->write(main->isMinimized() ? QStringLiteral("activated|minimised")
                                           : QStringLiteral("activated|normal"));
        });
        log->write(QStringLiteral("started"));
    }
    const int code = app.exec();
    if (log)
        platform::Dialogs::install(&installed);
    return code;
}

}  // namespace ds::shell
