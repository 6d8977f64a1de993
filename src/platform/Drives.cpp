#include "platform/Drives.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ds::platform {

DriveStyle driveStyle() {
    return pathStyle() == PathStyle::Windows ? DriveStyle::Letters : DriveStyle::MountPoints;
}

#ifdef Q_OS_WIN

QList<DriveInfo> listDrives() {
    QList<DriveInfo> drives;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        DriveInfo d;
        d.spec = QString(QChar(u'A' + i)) + QLatin1Char(':');
        const std::wstring root = (d.spec + QLatin1Char('\\')).toStdWString();
        d.fixed = GetDriveTypeW(root.c_str()) == DRIVE_FIXED;
        wchar_t label[MAX_PATH + 1] = {};
        d.ready = GetVolumeInformationW(root.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr,
                                        nullptr, 0);
        d.label = QString::fromWCharArray(label);
        drives.append(d);
    }
    return drives;
}

#else

namespace {

bool isPseudo(const QStorageInfo& volume) {
    static const char* const kPseudoTypes[] = {
        "proc",        "sysfs",      "devtmpfs", "devpts",     "tmpfs",  "cgroup",
        "cgroup2",     "securityfs", "debugfs",  "tracefs",    "pstore", "bpf",
        "mqueue",      "hugetlbfs",  "configfs", "fusectl",    "autofs", "binfmt_misc",
        "efivarfs",    "squashfs",   "ramfs",    "rpc_pipefs", "nsfs",   "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs", "selinuxfs"};
    const QByteArray type = volume.fileSystemType();
    for (const char* t : kPseudoTypes) {
        if (type == t)
            return true;
    }
    const QString root = volume.rootPath();
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run/user", "/snap"}) {
        const QString p = QString::fromLatin1(prefix);
        if (root == p || root.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool isNetwork(const QByteArray& type) {
    return type.startsWith("nfs") || type == "cifs" || type == "smbfs" || type == "smb3" ||
           type.startsWith("fuse.sshfs") || type == "9p" || type == "afs" || type == "ceph";
}

// A block device is removable when its disk says so in sysfs (partitions ask their disk).
bool isRemovableDevice(const QByteArray& device) {
    if (!device.startsWith("/dev/"))
        return false;
    const QString name =
        QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath().section(QLatin1Char('/'), -1);
    QString sysPath = QStringLiteral("/sys/class/block/") + name;
    QFile own(sysPath + QStringLiteral("/removable"));
    if (!own.exists()) {
        // A partition: its disk is the parent folder in sysfs.
        const QString real = QFileInfo(sysPath).canonicalFilePath();
        sysPath = QFileInfo(real).path();
    }
    QFile f(sysPath + QStringLiteral("/removable"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.readAll().trimmed() == "1";
}

}  // namespace

QList<DriveInfo> listDrives() {
    QList<DriveInfo> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || isPseudo(volume))
            continue;
        DriveInfo d;
        d.spec = volume.rootPath();
        d.label = volume.name();
        d.ready = volume.isReady();
        const QByteArray type = volume.fileSystemType();
        const QByteArray device = volume.device();
        d.fixed = d.ready && !isNetwork(type) && !isRemovableDevice(device) &&
                  !d.spec.startsWith(QLatin1String("/media/")) &&
                  !d.spec.startsWith(QLatin1String("/run/media/"));
        if (std::none_of(drives.begin(), drives.end(),
                         [&](const DriveInfo& o) { return o.spec == d.spec; }))
            drives.append(d);
    }
    std::sort(drives.begin(), drives.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.spec < b.spec; });
    return drives;
}

#endif

QString driveOfPath(const QString& path) {
    if (driveStyle() == DriveStyle::Letters)
        return path.left(2);
    QString best = QStringLiteral("/");
    for (const DriveInfo& d : listDrives()) {
        const QString root = withTrailingSeparator(d.spec);
        if ((path == d.spec || path.startsWith(root)) && d.spec.size() > best.size())
            best = d.spec;
    }
    return best;
}

QString driveListEntry(const DriveInfo& drive) {
    if (driveStyle() == DriveStyle::Letters) {
        const QString spec = drive.spec.toLower();
        return drive.label.isEmpty() ? spec
                                     : spec + QStringLiteral(" [") + drive.label + QLatin1Char(']');
    }
    return drive.label.isEmpty()
               ? drive.spec
               : drive.spec + QStringLiteral(" [") + drive.label + QLatin1Char(']');
}

QString driveSpecOfEntry(const QString& entry) {
    if (driveStyle() == DriveStyle::Letters)
        return entry.left(2);
    const qsizetype bracket = entry.indexOf(QStringLiteral(" ["));
    return bracket < 0 ? entry : entry.left(bracket);
}

QString normaliseExcludedDrives(const QString& stored, DriveStyle style) {
    if (style == DriveStyle::Letters) {
        QString list = stored.toLower();
        const qsizetype first = list.indexOf(QLatin1Char('c'));
        if (first >= 0) {
            list[first] = QLatin1Char(' ');
            if (list.contains(QLatin1Char('c')))
                list.clear();
        }
        return list;
    }
    QStringList kept;
    for (const QString& part : stored.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString mount = part.trimmed();
        while (mount.size() > 1 && mount.endsWith(QLatin1Char('/')))
            mount.chop(1);
        if (!mount.isEmpty() && mount != QLatin1String("/"))
            kept.append(mount);
    }
    return kept.join(QLatin1Char(';'));
}

bool isDriveExcluded(const QString& driveSpec, const QString& excluded, DriveStyle style) {
    if (excluded.isEmpty() || driveSpec.isEmpty())
        return false;
    if (style == DriveStyle::Letters)
        return excluded.contains(driveSpec.left(2).toLower());
    QString spec = driveSpecOfEntry(driveSpec);
    while (spec.size() > 1 && spec.endsWith(QLatin1Char('/')))
        spec.chop(1);
    return excluded.split(QLatin1Char(';'), Qt::SkipEmptyParts).contains(spec);
}

}  // namespace ds::platform
