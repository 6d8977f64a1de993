#pragma once

#include <QString>

namespace ds::platform {

// The desktop's file-association service: which program opens a file, and starting a program by
// command line. Windows asks the shell (FindExecutable) and the system profile; Linux asks the
// desktop's MIME database (xdg-mime) and has no system profile. Tests install a fake.
class FileAssociations {
  public:
    virtual ~FileAssociations() = default;

    // The program associated with the file, as the start of a command line (a program path, on
    // Linux the command of the default application's desktop entry); empty when there is none.
    virtual QString findExecutable(const QString& filePath) = 0;

    // An entry of the system profile (sections "Extensions" and "programs");
    // defaultValue where the system keeps no such entry.
    virtual QString profileString(const QString& section, const QString& key,
                                  const QString& defaultValue) = 0;

    // Starts a command line in a normal window; double quotes group an argument with blanks.
    // Failures are ignored.
    virtual void launch(const QString& commandLine) = 0;

    // The installed service, else the system's.
    static FileAssociations& current();
    // Installs a service (tests); nullptr goes back to the system's. The caller keeps ownership.
    static void install(FileAssociations* service);
};

}  // namespace ds::platform
