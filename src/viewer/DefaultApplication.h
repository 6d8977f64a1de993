#pragma once

#include <QObject>
#include <QString>

namespace ds::platform {
class FileAssociations;
}

namespace ds::viewer {

// "Standard&anwendung starten": opens the file with the program the system associates with it.
// Without an associated program the extension is looked up in the system profile; no entry
// there says "Keine Verknüpfung gefunden!", a file without extension ends silently. A path with
// blanks reaches the program in double quotes.
void StartDefaultApplication(const QString& filePath, platform::FileAssociations& service,
                             QObject* owner = nullptr);

}  // namespace ds::viewer
