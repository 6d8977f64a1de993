#include "viewer/DefaultApplication.h"

#include "platform/Dialogs.h"
#include "platform/FileAssociations.h"
#include "platform/Paths.h"

namespace ds::viewer {

void StartDefaultApplication(const QString& filePath, platform::FileAssociations& service,
                             QObject* owner) {
    const QString notFound = QStringLiteral("NOTFOUND");
    QString program = service.findExecutable(filePath);
    if (program.isEmpty()) {
        const QString name = platform::namePart(filePath);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || dot == name.size() - 1)
            return;
        const QString extension = name.mid(dot + 1);
        const QString entry =
            service.profileString(QStringLiteral("Extensions"), extension, notFound);
        if (entry.isEmpty() || entry.contains(notFound)) {
            platform::showMessage(QStringLiteral("Keine Verknüpfung gefunden!"),
                                  platform::Icon::Information, QString(), owner);
            return;
        }
        // Entries read "program ^.ext": the program is the part before the first blank.
        const qsizetype blank = entry.indexOf(QLatin1Char(' '));
        program = blank < 0 ? entry : entry.left(blank);
        const QString fullPath =
            service.profileString(QStringLiteral("programs"), program, notFound);
        if (!fullPath.isEmpty() && !fullPath.contains(notFound))
            program = fullPath;
    }
    QString file = filePath;
    if (file.contains(QLatin1Char(' ')))
        file = QLatin1Char('"') + file + QLatin1Char('"');
    service.launch(program + QLatin1Char(' ') + file);
}

}  // namespace ds::viewer
