#pragma once

#include <QList>
#include <QString>

namespace ds::platform {

// A "drive" as the search offers it: a drive letter on Windows ("C:"), a mounted local file
// system elsewhere, named by its mount point ("/", "/home", "/media/usb").
struct DriveInfo {
    QString spec;        // "C:" or "/home"
    QString label;       // volume label, may be empty
    bool fixed = false;  // a local, non-removable hard disk (what "all hard disks" walks)
    bool ready = true;
};

// The drives of this machine in their natural order (letters A..Z, mount points sorted).
QList<DriveInfo> listDrives();

// The drive a path lies on (the longest mount point that is a prefix, or its drive letter).
QString driveOfPath(const QString& path);

// The text a drive list shows for a drive: "c: [system]" style on Windows, the mount point
// (with its label in brackets when it has one) elsewhere.
QString driveListEntry(const DriveInfo& drive);

// The drive spec at the start of a drive list entry or path: "c:" from "c: [system]" on
// Windows, the mount point from "/home [Daten]" elsewhere.
QString driveSpecOfEntry(const QString& entry);

// Excluded-drives rules. On Windows the setting holds letters ("a:b:") and "c" can never be
// excluded; elsewhere it holds mount points separated by ";" and "/" can never be excluded.
enum class DriveStyle { Letters, MountPoints };
DriveStyle driveStyle();  // follows pathStyle()

// Applies the start-up rule to the stored text: letters lower-cased, first "c" blanked, a second
// "c" discards all; mount points: "/" entries dropped.
QString normaliseExcludedDrives(const QString& stored, DriveStyle style);

// Whether a drive (spec or entry) is in the excluded list.
bool isDriveExcluded(const QString& driveSpec, const QString& excluded, DriveStyle style);

}  // namespace ds::platform
