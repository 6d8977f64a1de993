#include "support/FakeDialogs.h"

namespace ds::test {

using namespace ds::platform;

namespace {
Dialogs* g_current = nullptr;
}

FakeDialogs::FakeDialogs() {
    previous_ = g_current;
    g_current = this;
    Dialogs::install(this);
}

FakeDialogs::~FakeDialogs() {
    g_current = previous_;
    Dialogs::install(previous_);
}

QStringList FakeDialogs::messages() const {
    QStringList out;
    for (const Shown& s : shown) {
        if (s.kind == QLatin1String("message"))
            out.append(s.text);
    }
    return out;
}

int FakeDialogs::message(QObject*, const QString& text, Icon icon, Buttons buttons,
                         const QString& title) {
    shown.append({QStringLiteral("message"), text, title, icon, buttons});
    if (!messageAnswers.empty()) {
        const int a = messageAnswers.front();
        messageAnswers.pop_front();
        return a;
    }
    return buttons == Buttons::YesNo ? AnswerNo : AnswerOk;
}

std::optional<QString> FakeDialogs::inputBox(QObject*, const QString& prompt, const QString& title,
                                             const QString& preset) {
    shown.append({QStringLiteral("input"), prompt + QLatin1Char('|') + preset, title});
    if (inputAnswers.empty())
        return std::nullopt;
    const InputAnswer a = inputAnswers.front();
    inputAnswers.pop_front();
    if (a.cancelled)
        return std::nullopt;
    return a.text;
}

std::optional<int> FakeDialogs::chooseColour(QObject*, int initialColour) {
    shown.append({QStringLiteral("colour"), QString::number(initialColour), QString()});
    if (colourAnswers.empty())
        return std::nullopt;
    auto a = colourAnswers.front();
    colourAnswers.pop_front();
    return a;
}

QString FakeDialogs::browseForFolder(QObject*, const QString& title) {
    shown.append({QStringLiteral("folder"), QString(), title});
    if (folderAnswers.empty())
        return {};
    QString a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
}

QString FakeDialogs::saveFileName(QObject*, const QString& title, const QString& folder,
                                  const QString& fileName, const QString& filter,
                                  const QString& defaultExtension) {
    shown.append({QStringLiteral("save"),
                  folder + QLatin1Char('|') + fileName + QLatin1Char('|') + filter +
                      QLatin1Char('|') + defaultExtension,
                  title});
    if (saveAnswers.empty())
        return {};
    QString a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

}  // namespace ds::test
