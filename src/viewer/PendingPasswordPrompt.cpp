// Until the input dialog lands, the password is asked with the plain input box.
#include "viewer/PasswordPrompt.h"

#include "platform/Dialogs.h"

#include <QWidget>

namespace ds::viewer {

QString AskPassword(QWidget* owner) {
    const std::optional<QString> answer = platform::Dialogs::current().inputBox(
        owner,
        QStringLiteral("Die Datenbank ist durch ein Kennwort geschützt!\r\nBitte geben Sie das "
                       "Kennwort an:"),
        QStringLiteral("Kennwort-Schutz"), QString());
    if (!answer || answer->isEmpty())
        return {};
    return QStringLiteral(";PWD=") + *answer + QLatin1Char(';');
}

}  // namespace ds::viewer
