#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace ds::platform {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, YesNo };

// Answers as the old message box returned them.
constexpr int AnswerOk = 1;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

// Every dialog the program's logic shows goes through this seam, so the logic runs headless and
// tests can answer in advance. The widget side installs the real dialogs at start; the CLI
// installs one that writes messages to stderr.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A message box; an empty title means the program title. Returns AnswerOk/Yes/No.
    virtual int message(QObject* owner, const QString& text, Icon icon, Buttons buttons,
                        const QString& title) = 0;

    // The plain input box: the entered text, or nullopt when cancelled.
    virtual std::optional<QString> inputBox(QObject* owner, const QString& prompt,
                                            const QString& title, const QString& preset) = 0;

    // Colour dialog (colours as red + 256 * green + 65536 * blue); nullopt when cancelled.
    virtual std::optional<int> chooseColour(QObject* owner, int initialColour) = 0;

    // The desktop's folder browser; empty when cancelled.
    virtual QString browseForFolder(QObject* owner, const QString& title) = 0;

    // Save dialog: full path chosen, or empty when cancelled. filter like "Textdatei (*.TXT)".
    virtual QString saveFileName(QObject* owner, const QString& title, const QString& folder,
                                 const QString& fileName, const QString& filter,
                                 const QString& defaultExtension) = 0;

    // The installed instance (never null once the program or a test has installed one).
    static Dialogs& current();
    static void install(Dialogs* dialogs);
};

// Shorthand for the common message box with OK.
int showMessage(const QString& text, Icon icon, const QString& title = {},
                QObject* owner = nullptr);

// Yes/No question with the question icon and the program title: returns 6 (Yes) or 7 (No).
int AskYesNo(const QString& prompt, QObject* owner = nullptr);

}  // namespace ds::platform
