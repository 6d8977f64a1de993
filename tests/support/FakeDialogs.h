#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <deque>

namespace ds::test {

// A dialog seam that records what the logic showed and answers from a script, so GUI logic runs
// headless. Installs itself for its lifetime.
class FakeDialogs final : public platform::Dialogs {
  public:
    struct Shown {
        QString kind;  // "message", "input", "colour", "folder", "save"
        QString text;
        QString title;
        platform::Icon icon = platform::Icon::None;
        platform::Buttons buttons = platform::Buttons::Ok;
    };

    FakeDialogs();
    ~FakeDialogs() override;

    // Answers are consumed in order; when none is left: Ok/No, cancel, empty.
    void answerMessage(int answer) { messageAnswers.push_back(answer); }
    void answerInput(const QString& text) { inputAnswers.push_back({false, text}); }
    void cancelInput() { inputAnswers.push_back({true, QString()}); }
    void answerColour(std::optional<int> colour) { colourAnswers.push_back(colour); }
    void answerFolder(const QString& folder) { folderAnswers.push_back(folder); }
    void answerSaveName(const QString& path) { saveAnswers.push_back(path); }

    QList<Shown> shown;
    QStringList messages() const;  // texts of the message boxes in order

    int message(QObject*, const QString& text, platform::Icon icon, platform::Buttons buttons,
                const QString& title) override;
    std::optional<QString> inputBox(QObject*, const QString& prompt, const QString& title,
                                    const QString& preset) override;
    std::optional<int> chooseColour(QObject*, int initialColour) override;
    QString browseForFolder(QObject*, const QString& title) override;
    QString saveFileName(QObject*, const QString& title, const QString& folder,
                         const QString& fileName, const QString& filter,
                         const QString& defaultExtension) override;

    std::deque<int> messageAnswers;
    struct InputAnswer {
        bool cancelled;
        QString text;
    };
    std::deque<InputAnswer> inputAnswers;
    std::deque<std::optional<int>> colourAnswers;
    std::deque<QString> folderAnswers;
    std::deque<QString> saveAnswers;

  private:
    platform::Dialogs* previous_ = nullptr;
};

}  // namespace ds::test
