#include "platform/Dialogs.h"

#include <QTextStream>

#include <cstdio>

namespace ds::platform {

namespace {

// Used until something else is installed: says everything on stderr and answers "no".
class StderrDialogs final : public Dialogs {
  public:
    int message(QObject*, const QString& text, Icon, Buttons buttons, const QString&) override {
        QTextStream(stderr) << text << Qt::endl;
        return buttons == Buttons::YesNo ? AnswerNo : AnswerOk;
    }
    std::optional<QString> inputBox(QObject*, const QString&, const QString&,
                                    const QString&) override {
        return std::nullopt;
    }
    std::optional<int> chooseColour(QObject*, int) override { return std::nullopt; }
    QString browseForFolder(QObject*, const QString&) override { return {}; }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&, const QString&,
                         const QString&) override {
        return {};
    }
};

Dialogs* g_installed = nullptr;

}  // namespace

Dialogs& Dialogs::current() {
    static StderrDialogs fallback;
    return g_installed ? *g_installed : fallback;
}

void Dialogs::install(Dialogs* dialogs) {
    g_installed = dialogs;
}

int showMessage(const QString& text, Icon icon, const QString& title, QObject* owner) {
    return Dialogs::current().message(owner, text, icon, Buttons::Ok, title);
}

int AskYesNo(const QString& prompt, QObject* owner) {
    return Dialogs::current().message(owner, prompt, Icon::Question, Buttons::YesNo, QString());
}

}  // namespace ds::platform
