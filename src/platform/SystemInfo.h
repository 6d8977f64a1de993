#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace ds::platform {

// The Windows version as the version query reports it: platform 0 Win32s, 1 Windows 95/98,
// 2 Windows NT (every Windows this program still runs on).
struct OsVersion {
    int platformId = 2;
    int major = 0;
    int minor = 0;
};

// The running Windows version; nullopt on other systems.
std::optional<OsVersion> windowsVersion();

// The start-up's version flags: NT before version 4, and NT 4 or later. Both false on Windows
// 95/98, Win32s and on systems that are not Windows.
struct WindowsVersionFlags {
    bool nt3 = false;
    bool nt4OrLater = false;
};
WindowsVersionFlags classifyWindowsVersion(const std::optional<OsVersion>& version);

// Memory figures in bytes; load in percent of physical memory in use.
struct MemoryStatus {
    std::int64_t totalPhysical = 0;
    std::int64_t availablePhysical = 0;
    std::int64_t totalPageFile = 0;
    std::int64_t availablePageFile = 0;
    int load = 0;
};

// What the system information dialog reports about this computer.
struct SystemFacts {
    std::optional<OsVersion> windows;  // set on Windows only
    QString systemName;                // elsewhere: the distribution's name, e.g. "Debian ..."
    QString kernelVersion;             // elsewhere: the kernel's version text, e.g. "6.1.0-18"
    int processorType = 0;             // Windows' processor type number (586, 8664, ...)
    QString processorName;             // the processor's model name where the system tells it
    MemoryStatus memory;
    QString currentFolder;
    // Windows: the Windows folder and the system folder. Elsewhere the per-user configuration
    // folder (which takes the Windows folder's place for the settings in network mode) and the
    // folder of the system's shared libraries.
    QString windowsFolder;
    QString systemFolder;
};

SystemFacts querySystemFacts();

// Linux sources, apart so that their parsing can be checked with any text.
std::optional<MemoryStatus> parseMeminfo(const QByteArray& procMeminfo);
QString parseCpuModel(const QByteArray& procCpuinfo);

// The lines of the system report.
QString systemVersionText(const SystemFacts& facts);
// Processor by Windows' type number: 80386 (Intel) ... MIPS R4000, Alpha 21064; else empty.
QString processorTypeText(int processorType);
// Bytes as whole KB, thousands grouped by separator, then " KB"; zero gives "0 KB".
QString kilobytesText(std::int64_t bytes, const QString& groupSeparator);
// A folder as shown: lower case where names have no case; longer than 35 characters: the
// first 16, "...", the last 16.
QString shortenedFolder(const QString& folder);

// The two columns of the report, lines joined by CR LF; the values line up with the names
// because both have their empty lines in the same places.
QString systemInfoNames();
QString systemInfoValues(const SystemFacts& facts, const QString& groupSeparator);

}  // namespace ds::platform
