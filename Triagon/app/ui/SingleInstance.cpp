#include "app/ui/SingleInstance.h"

#include "app/Loggers.h"
#include "library/ClipStore.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// Longer requests are not ours; the connection is dropped.
constexpr qsizetype kMaxRequest = 64;
// How long one hand-over waits for the holder's answer.
constexpr int kAnswerWaitMs = 3000;

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent) : QObject(parent)
{
    m_lockPath = QDir(folder).absoluteFilePath(QStringLiteral("triagon.lock"));
    // Named after the lock, so that every session folder has its own; kept
    // short, since a socket path has a small limit.
    const QByteArray hash = QCryptographicHash::hash(QDir::cleanPath(m_lockPath).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    m_serverName = runtime + QStringLiteral("/triagon-") + QString::fromLatin1(hash) + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    // The lock goes last: a launch that finds it free must not find our socket.
    m_lock.reset();
}

QString SingleInstance::sessionFolder()
{
    return QFileInfo(ClipStore::sessionFilePath()).absolutePath();
}

SingleInstance::Claim SingleInstance::claim(int patienceMs)
{
    if (m_primary)
        return Claim::primary;
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Held for the whole run, however long: only a dead holder makes it stale.
    m_lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(std::max(0, patienceMs));
    for (;;) {
        if (m_lock->tryLock(0)) {
            m_primary = true;
            if (!listen())
                qCWarning(sessionLogger, "Later launches cannot reach this one: %s", qUtf8Printable(m_server->errorString()));
            return Claim::primary;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            // No lock file can be made (a read-only folder, say): run as
            // before; saving the session reports the folder's problem.
            qCWarning(sessionLogger, "Could not create the lock file %s; starting without it", qUtf8Printable(m_lockPath));
            m_primary = true;
            return Claim::primary;
        }
        if (handOver(std::clamp<qint64>(deadline.remainingTime(), 0, kAnswerWaitMs)))
            return Claim::handedOver;
        if (deadline.hasExpired())
            return Claim::noAnswer;
        // The holder may be starting (not listening yet) or quitting (about
        // to free the lock).
        QThread::msleep(100);
    }
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            readRequest(socket);
        }
    });
    // We hold the lock, so a socket file left there is from a process that died.
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > kMaxRequest) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const QByteArray request = socket->readLine(kMaxRequest + 1);
    if (request != kActivate) {
        socket->abort();
        return;
    }
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    qCInfo(sessionLogger, "A second launch handed over to this one");
    Q_EMIT activationRequested();
}

bool SingleInstance::handOver(int waitMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    QDeadlineTimer deadline(waitMs);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() <= kAnswer.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    return answer == kAnswer;
}
