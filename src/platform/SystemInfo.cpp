#include "platform/SystemInfo.h"

#include "platform/Paths.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QOperatingSystemVersion>
#include <QSettings>
#include <QStringList>
#include <QSysInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace ds::platform {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QByteArray readProcFile(const char* path) {
    // /proc files report a size of 0: read until the end instead of by size.
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// "6.1.0-18-amd64" -> "6.1"
QString kernelMajorMinor(const QString& kernel) {
    const QStringList parts = kernel.split(QLatin1Char('.'));
    if (parts.size() < 2)
        return kernel;
    QString minor;
    for (QChar c : parts[1]) {
        if (!c.isDigit())
            break;
        minor += c;
    }
    return minor.isEmpty() ? parts[0] : parts[0] + QLatin1Char('.') + minor;
}

#ifdef Q_OS_WIN
QString windowsProcessorName() {
    const QSettings cpu(
        QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0"),
        QSettings::NativeFormat);
    return cpu.value(QStringLiteral("ProcessorNameString")).toString().trimmed();
}
#endif

}  // namespace

std::optional<OsVersion> windowsVersion() {
#ifdef Q_OS_WIN
    // Every Windows that runs this program belongs to the NT family.
    const QOperatingSystemVersion v = QOperatingSystemVersion::current();
    return OsVersion{2, v.majorVersion(), v.minorVersion() < 0 ? 0 : v.minorVersion()};
#else
    return std::nullopt;
#endif
}

WindowsVersionFlags classifyWindowsVersion(const std::optional<OsVersion>& version) {
    WindowsVersionFlags flags;
    if (!version || version->platformId != 2)
        return flags;
    if (version->major < 4)
        flags.nt3 = true;
    else
        flags.nt4OrLater = true;
    return flags;
}

std::optional<MemoryStatus> parseMeminfo(const QByteArray& procMeminfo) {
    // Lines like "MemTotal:       16318312 kB".
    std::int64_t total = -1, available = -1, free = -1, buffers = 0, cached = 0;
    std::int64_t swapTotal = 0, swapFree = 0;
    for (const QByteArray& line : procMeminfo.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        QByteArray rest = line.mid(colon + 1).trimmed();
        std::int64_t unit = 1;
        if (rest.endsWith(" kB")) {
            rest.chop(3);
            unit = 1024;
        }
        bool ok = false;
        const std::int64_t value = rest.trimmed().toLongLong(&ok) * unit;
        if (!ok)
            continue;
        if (key == "MemTotal")
            total = value;
        else if (key == "MemAvailable")
            available = value;
        else if (key == "MemFree")
            free = value;
        else if (key == "Buffers")
            buffers = value;
        else if (key == "Cached")
            cached = value;
        else if (key == "SwapTotal")
            swapTotal = value;
        else if (key == "SwapFree")
            swapFree = value;
    }
    if (total <= 0)
        return std::nullopt;
    MemoryStatus m;
    m.totalPhysical = total;
    // Kernels before 3.14 have no MemAvailable; free plus caches is its old estimate.
    m.availablePhysical =
        available >= 0 ? available : std::max<std::int64_t>(0, free) + buffers + cached;
    m.availablePhysical = std::min(m.availablePhysical, total);
    m.totalPageFile = swapTotal;
    m.availablePageFile = swapFree;
    m.load = int((total - m.availablePhysical) * 100 / total);
    return m;
}

QString parseCpuModel(const QByteArray& procCpuinfo) {
    // x86 says "model name", others "Processor", "cpu" or "Hardware".
    const char* keys[] = {"model name", "Processor", "cpu model", "cpu", "Hardware"};
    const QList<QByteArray> lines = procCpuinfo.split('\n');
    for (const char* wanted : keys) {
        for (const QByteArray& line : lines) {
            const int colon = line.indexOf(':');
            if (colon <= 0 || line.left(colon).trimmed() != wanted)
                continue;
            const QString value = QString::fromUtf8(line.mid(colon + 1)).simplified();
            if (!value.isEmpty())
                return value;
        }
    }
    return {};
}

SystemFacts querySystemFacts() {
    SystemFacts f;
    f.windows = windowsVersion();
    f.systemName = QSysInfo::prettyProductName();
    f.kernelVersion = QSysInfo::kernelVersion();
    f.currentFolder = toNative(QDir::currentPath());
#ifdef Q_OS_WIN
    SYSTEM_INFO si;
    GetNativeSystemInfo(&si);
    f.processorType = int(si.dwProcessorType);
    f.processorName = windowsProcessorName();
    MEMORYSTATUSEX ms;
    ms.dwLength = sizeof(ms);
    if (GlobalMemoryStatusEx(&ms)) {
        f.memory.totalPhysical = std::int64_t(ms.ullTotalPhys);
        f.memory.availablePhysical = std::int64_t(ms.ullAvailPhys);
        f.memory.totalPageFile = std::int64_t(ms.ullTotalPageFile);
        f.memory.availablePageFile = std::int64_t(ms.ullAvailPageFile);
        f.memory.load = int(ms.dwMemoryLoad);
    }
    f.windowsFolder = qEnvironmentVariable("windir");
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n <= MAX_PATH)
        f.systemFolder = QString::fromWCharArray(buffer, int(n));
#else
    f.processorName = parseCpuModel(readProcFile("/proc/cpuinfo"));
    if (const auto m = parseMeminfo(readProcFile("/proc/meminfo")))
        f.memory = *m;
    f.windowsFolder = withoutTrailingSeparator(SettingsStore::userConfigFolder());
    f.systemFolder = toNative(QLibraryInfo::path(QLibraryInfo::LibrariesPath));
#endif
    if (f.processorName.isEmpty())
        f.processorName = QSysInfo::currentCpuArchitecture();
    return f;
}

QString systemVersionText(const SystemFacts& facts) {
    if (facts.windows) {
        const OsVersion& v = *facts.windows;
        QString platform;
        if (v.platformId == 0)
            platform = QStringLiteral(" / Win32s");
        else if (v.platformId == 1)
            platform = v.minor == 0    ? QStringLiteral("95")
                       : v.minor == 10 ? QStringLiteral("98")
                                       : QString();
        else if (v.platformId == 2)
            platform = QStringLiteral("NT");
        return QStringLiteral("Microsoft Windows ") + platform + QStringLiteral("  ") +
               QString::number(v.major) + QLatin1Char('.') +
               QStringLiteral("%1").arg(v.minor, 2, 10, QLatin1Char('0'));
    }
    return facts.systemName + QStringLiteral("  Kernel ") + kernelMajorMinor(facts.kernelVersion);
}

QString processorTypeText(int type) {
    if (type >= 386 && type <= 986)
        return QStringLiteral("80") + QString::number(type) + QStringLiteral(" (Intel)");
    if (type >= 2000 && type <= 4000)
        return QStringLiteral("MIPS R") + QString::number(type);
    if (type == 21064)
        return QStringLiteral("Alpha 21064");
    return {};
}

QString kilobytesText(std::int64_t bytes, const QString& groupSeparator) {
    const std::int64_t kb = bytes / 1024;
    if (kb == 0)
        return QStringLiteral("0 KB");
    const QString digits = QString::number(kb < 0 ? -kb : kb);
    QString grouped;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += groupSeparator;
        grouped += digits[i];
    }
    return (kb < 0 ? QStringLiteral("-") : QString()) + grouped + QStringLiteral(" KB");
}

QString shortenedFolder(const QString& folder) {
    const QString shown = lowerIfCaseless(folder);
    if (shown.size() <= 35)
        return shown;
    return shown.left(16) + QStringLiteral("...") + shown.right(16);
}

QString systemInfoNames() {
    const QStringList lines = {
        QStringLiteral("Windows-") + QStringLiteral("Version") + QStringLiteral(":"),
        QString(),
        QStringLiteral("Prozessor-Typ:"),
        QString(),
        QStringLiteral("Gesamter physikal. Speicher:"),
        QStringLiteral("Freier physikal. Speicher:"),
        QStringLiteral("Größe Auslagerungsdatei:"),
        QString(),
        QStringLiteral("Proz. belegter Arbeitsspeicher:"),
        QString(),
        QStringLiteral("Aktuelles Verzeichnis:"),
        QStringLiteral("Windows-Verzeichnis:"),
        QStringLiteral("Windows-System-Verzeichnis:"),
    };
    return lines.join(kCrLf);
}

QString systemInfoValues(const SystemFacts& f, const QString& sep) {
    QString processor = processorTypeText(f.processorType);
    if (processor.isEmpty())
        processor = f.processorName;
    const MemoryStatus& m = f.memory;
    // Each value is followed by CR LF; some carry one more to leave the empty lines.
    const QStringList values = {
        systemVersionText(f) + kCrLf,
        processor,
        QString(),
        kilobytesText(m.totalPhysical, sep),
        kilobytesText(m.availablePhysical, sep),
        kilobytesText(m.totalPageFile - m.availablePageFile, sep) + kCrLf,
        QString::number(m.load) + QLatin1Char('%'),
        kCrLf + shortenedFolder(f.currentFolder),
        lowerIfCaseless(f.windowsFolder),
        lowerIfCaseless(f.systemFolder),
    };
    QString text;
    for (const QString& v : values)
        text += v + kCrLf;
    return text;
}

}  // namespace ds::platform
