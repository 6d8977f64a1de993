#include "platform/FileAssociations.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

namespace ds::platform {

namespace {

#ifndef Q_OS_WIN
// Output of a short helper program, or empty when it is missing, fails or hangs.
QString runQuery(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdg-mime"), arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The Exec command of a desktop entry without its field codes (%f, %U, ...).
QString execCommand(const QString& desktopFile) {
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry || !line.startsWith(QLatin1String("Exec=")))
            continue;
        const QString exec = line.mid(5);
        QString command;
        for (qsizetype i = 0; i < exec.size(); ++i) {
            if (exec[i] == QLatin1Char('%') && i + 1 < exec.size()) {
                if (exec[i + 1] == QLatin1Char('%'))
                    command += QLatin1Char('%');
                ++i;
                continue;
            }
            command += exec[i];
        }
        return command.simplified();
    }
    return {};
}
#endif

class SystemAssociations final : public FileAssociations {
  public:
    QString findExecutable(const QString& filePath) override {
#ifdef Q_OS_WIN
        wchar_t buffer[MAX_PATH] = {};
        const std::wstring file = filePath.toStdWString();
        const auto result =
            reinterpret_cast<INT_PTR>(FindExecutableW(file.c_str(), nullptr, buffer));
        if (result <= 32)
            return {};
        return QString::fromWCharArray(buffer);
#else
        if (!QFileInfo::exists(filePath))
            return {};
        const QString mimeType =
            runQuery({QStringLiteral("query"), QStringLiteral("filetype"), filePath});
        if (mimeType.isEmpty())
            return {};
        const QString desktopId =
            runQuery({QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (desktopId.isEmpty())
            return {};
        QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
        if (entry.isEmpty()) {
            // "vendor-app.desktop" may live in a vendor subfolder.
            QString nested = desktopId;
            nested.replace(QLatin1Char('-'), QLatin1Char('/'));
            entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, nested);
        }
        return entry.isEmpty() ? QString() : execCommand(entry);
#endif
    }

    QString profileString(const QString& section, const QString& key,
                          const QString& defaultValue) override {
#ifdef Q_OS_WIN
        wchar_t buffer[256] = {};
        GetProfileStringW(reinterpret_cast<LPCWSTR>(section.utf16()),
                          reinterpret_cast<LPCWSTR>(key.utf16()),
                          reinterpret_cast<LPCWSTR>(defaultValue.utf16()), buffer, 255);
        return QString::fromWCharArray(buffer);
#else
        // No system profile here: the desktop's association service answers in findExecutable.
        Q_UNUSED(section);
        Q_UNUSED(key);
        return defaultValue;
#endif
    }

    void launch(const QString& commandLine) override {
#ifdef Q_OS_WIN
        // The command line as it stands: the system resolves a program path with blanks.
        std::wstring line = commandLine.toStdWString();
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
#else
        QStringList parts = QProcess::splitCommand(commandLine);
        if (parts.isEmpty())
            return;
        const QString program = parts.takeFirst();
        QProcess::startDetached(program, parts);
#endif
    }
};

FileAssociations* g_installed = nullptr;

}  // namespace

FileAssociations& FileAssociations::current() {
    static SystemAssociations system;
    return g_installed ? *g_installed : system;
}

void FileAssociations::install(FileAssociations* service) {
    g_installed = service;
}

}  // namespace ds::platform
