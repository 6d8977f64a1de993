#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

namespace ds::shell {

// One copy of the program per user. The first copy holds a lock file and listens on a local
// socket; a later copy finds the lock taken and asks the first copy, through the socket, to
// bring its main window to the front.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // key names the lock and the socket; the default is per program and user.
    explicit SingleInstance(const QString& key = defaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when no other copy runs: this copy then holds the lock and listens for requests.
    // When the lock cannot be made at all (no writable folder), the copy runs as the first.
    bool tryBecomeFirst();

    // A later copy: asks the first copy to come to the front; false when it could not be reached
    // (it may still be starting: then it is tried for up to timeoutMs).
    bool activateFirst(int timeoutMs = 2000);

    static QString defaultKey();
    QString lockFilePath() const;
    QString serverName() const;

  Q_SIGNALS:
    // A later copy asked this one to come to the front.
    void activationRequested();

  private:
    void acceptConnection();

    QString key_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// Brings a window to the front, restoring it when it is minimised (a maximised one stays so).
void bringToFront(QWidget* window);

}  // namespace ds::shell
