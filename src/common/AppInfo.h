#pragma once

#include <QString>

namespace ds {

// The program's title, description and version, as shown in captions, reports and printouts.
inline QString programTitle() {
    return QStringLiteral("DataSifter");
}
inline QString programDescription() {
    return QStringLiteral("Dateien- und Datenbanken-Recherche");
}
inline int versionMajor() {
    return DATASIFTER_VERSION_MAJOR;
}
inline int versionMinor() {
    return DATASIFTER_VERSION_MINOR;
}

}  // namespace ds
