#include "shell/SingleInstance.h"

#include "common/AppInfo.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace ds::shell {

namespace {

const QByteArray kActivate = "activate\n";

QString userName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return user;
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {
    // The runtime folder is private to the user; where there is none the shared temporary
    // folder serves, and the key carries the user.
    folder_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder_.isEmpty())
        folder_ = QDir::tempPath();
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
}

QString SingleInstance::defaultKey() {
    // Only letters and digits: the key becomes a file name and a pipe name.
    const QByteArray hash =
        QCryptographicHash::hash(userName().toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return programTitle() + QLatin1Char('-') + QString::fromLatin1(hash);
}

QString SingleInstance::lockFilePath() const {
    return QDir(folder_).filePath(key_ + QStringLiteral(".lock"));
}

QString SingleInstance::serverName() const {
#ifdef Q_OS_WIN
    return key_;
#else
    return QDir(folder_).filePath(key_ + QStringLiteral(".socket"));
#endif
}

bool SingleInstance::tryBecomeFirst() {
    lock_ = std::make_unique<QLockFile>(lockFilePath());
    // Never stale by age: the first copy may run for days. A lock left by a copy that died is
    // recognised by its process number.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError)
            return false;
        lock_.reset();
        return true;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName());  // a socket left by a copy that died
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    server_->listen(serverName());
    return true;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kActivate)
                    emit activationRequested();
            }
        });
    }
}

bool SingleInstance::activateFirst(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivate);
            socket.flush();
            const bool sent = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(1000);
            return sent;
        }
        // The first copy holds the lock but may not listen yet.
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

void bringToFront(QWidget* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace ds::shell
