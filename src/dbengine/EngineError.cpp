#include "dbengine/EngineError.h"

namespace ds::db {

EngineError::EngineError(int number, QString message)
    : number_(number),
      message_(std::move(message)),
      what_(QStringLiteral("%1 (%2)").arg(message_).arg(number_).toStdString()) {}

QString engineMessage(int number, const QString& detail) {
    QString text;
    switch (number) {
        case err::PermissionDenied:
            text = QStringLiteral("Zugriff verweigert");
            break;
        case err::PathFileAccess:
            text = QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
            break;
        case err::NoCurrentRecord:
            text = QStringLiteral("Kein aktueller Datensatz.");
            break;
        case err::ObjectNotFound:
            text = QStringLiteral("Das Objekt '%1' wurde nicht gefunden.");
            break;
        case err::FileNotFound:
            text = QStringLiteral("Die Datei '%1' wurde nicht gefunden.");
            break;
        case err::NotAPassword:
            text = QStringLiteral("Kein gültiges Kennwort.");
            break;
        case err::InvalidPath:
            text = QStringLiteral("'%1' ist kein zulässiger Pfad.");
            break;
        case err::FileInUse:
            text = QStringLiteral(
                "Die Datei '%1' konnte nicht verwendet werden; sie wird bereits verwendet.");
            break;
        case err::CorruptDatabase:
            text = QStringLiteral("Die Datei '%1' ist beschädigt und kann nicht gelesen werden.");
            break;
        case err::CannotOpenFile:
            text = QStringLiteral(
                "Die Datei '%1' kann nicht geöffnet werden. Sie ist bereits exklusiv geöffnet, "
                "oder Sie haben keine Berechtigung, sie zu lesen.");
            break;
        case err::CannotDecrypt:
            text = QStringLiteral(
                "Die Datei '%1' ist mit einem Verfahren verschlüsselt, das nicht entschlüsselt "
                "werden kann.");
            break;
        case err::IsamNotFound:
            text = QStringLiteral("Installierbares ISAM-Format '%1' nicht gefunden.");
            break;
        case err::ItemNotFound:
            text = QStringLiteral("Element in dieser Auflistung nicht gefunden.");
            break;
        case err::WrongFormat:
            text = QStringLiteral("Die externe Tabelle hat nicht das erwartete Format.");
            break;
        case err::ExclusiveByOther:
            text = QStringLiteral(
                "Die Datenbank '%1' wurde von einem anderen Benutzer exklusiv geöffnet.");
            break;
        default:
            text = QStringLiteral("Anwendungs- oder objektdefinierter Fehler.");
            break;
    }
    if (text.contains(QLatin1String("%1")))
        text = text.arg(detail);
    return text;
}

void throwEngineError(int number, const QString& detail) {
    throw EngineError(number, engineMessage(number, detail));
}

}  // namespace ds::db
