#include "app/ui/SingleInstance.h"

#include "app/Loggers.h"
#include "app/ui/PeerCredentials.h"
#include "app/ui/PrivateFolder.h"
#include "library/ClipStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include <unistd.h>

namespace {

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max()));
}

} // namespace

// One connection of a later launch, until its request is acted on or dropped.
struct SingleInstance::Incoming
{
    // What came so far and is not yet read as a line.
    QByteArray received;
    // A request answered "ready", waiting for the launch's "go".
    std::optional<HandOverRequest> waiting;
};

SingleInstance::SingleInstance(const QString &folder, QObject *parent) : SingleInstance(folder, defaultSocketFolder(), parent)
{
}

SingleInstance::SingleInstance(const QString &folder, const QString &socketFolder, QObject *parent)
    : SingleInstance(folder, SocketFolder{socketFolder}, parent)
{
}

SingleInstance::SingleInstance(const QString &folder, SocketFolder socketFolder, QObject *parent)
    : QObject(parent), m_socketFolder(std::move(socketFolder))
{
    m_lockPath = QDir(folder).absoluteFilePath(QStringLiteral("triagon.lock"));
    // Named after the lock, so that every session folder has its own; kept
    // short, since a socket path has a small limit.
    const QByteArray hash = QCryptographicHash::hash(QDir::cleanPath(m_lockPath).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    if (!m_socketFolder.path.isEmpty())
        m_serverName = m_socketFolder.path + QStringLiteral("/triagon-") + QString::fromLatin1(hash) + QStringLiteral(".socket");
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

SingleInstance::SocketFolder SingleInstance::defaultSocketFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return {runtime};
    // No runtime folder (XDG_RUNTIME_DIR unset or another user's, and the
    // fallback Qt makes taken by another user): a name anyone can compute in
    // the shared temporary folder would let another user listen there first.
    const QString own = QDir::tempPath() + QStringLiteral("/triagon-") + QString::number(::geteuid());
    if (const QString fault = PrivateFolder::ensure(own); !fault.isEmpty()) {
        qCWarning(sessionLogger).noquote() << QStringLiteral("No private folder for the socket of later launches: %1").arg(fault);
        return {QString(), own, fault};
    }
    return {own};
}

SingleInstance::Claim SingleInstance::claim(int patienceMs, const HandOverRequest &request)
{
    if (m_primary)
        return Claim::primary;
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Held for the whole run, however long: only a dead holder makes it stale.
    m_lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(std::max(0, patienceMs));
    // An earlier version closes the connection on an "open" request without
    // a word; it knows only the plain activation.
    bool activateOnly = false;
    const QByteArray line = request.line();
    for (;;) {
        if (m_lock->tryLock(0)) {
            m_primary = true;
            if (!listen())
                qCWarning(sessionLogger, "Later launches cannot reach this one: %s",
                          m_server ? qUtf8Printable(m_server->errorString()) : "no private folder for the socket");
            return Claim::primary;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            // No lock file can be made (a read-only folder, say): run as
            // before; saving the session reports the folder's problem.
            qCWarning(sessionLogger, "Could not create the lock file %s; starting without it", qUtf8Printable(m_lockPath));
            m_primary = true;
            return Claim::primary;
        }
        // Nowhere to look for the holder's socket: waiting would not help.
        if (m_serverName.isEmpty())
            return Claim::unreachable;
        switch (deliver(deadline, activateOnly ? HandOverRequest::activateLine : line)) {
        case Delivery::taken:
            return activateOnly ? Claim::activatedOnly : Claim::handedOver;
        case Delivery::foreign:
            return Claim::refused;
        case Delivery::unanswered:
            return Claim::noAnswer;
        case Delivery::closed:
            if (!activateOnly) {
                activateOnly = true;
                continue;
            }
            break;
        case Delivery::notConnected:
            break;
        }
        if (deadline.hasExpired())
            return Claim::noAnswer;
        // The holder may be starting (not listening yet) or quitting (about
        // to free the lock). Connecting again cannot hand the request over
        // twice: the holder acts only on a request the launch confirmed.
        QThread::msleep(100);
    }
}

SingleInstance::Delivery SingleInstance::deliver(const QDeadlineTimer &deadline, const QByteArray &line) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(remainingMs(deadline)))
        return Delivery::notConnected;
    if (!PeerCredentials::isThisUser(socket.socketDescriptor())) {
        qCCritical(sessionLogger, "The socket %s is another user's; nothing was sent to it", qUtf8Printable(m_serverName));
        return Delivery::foreign;
    }
    // Sent once: whatever happens next, this connection carries the only
    // copy of the request.
    socket.write(line);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMs(deadline)))
            return socket.state() == QLocalSocket::ConnectedState ? Delivery::unanswered : Delivery::closed;
    }
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() <= HandOverRequest::answerReady.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(remainingMs(deadline)))
            break;
        answer += socket.read(HandOverRequest::answerReady.size() + 1 - answer.size());
    }
    if (answer == HandOverRequest::answerOk)
        return Delivery::taken;
    if (answer == HandOverRequest::answerReady) {
        // The launch's word decides: once "go" is on its way the holder acts
        // on the request, whenever it reads it; without it, never. A holder
        // that went in between took nothing.
        socket.write(HandOverRequest::goLine);
        socket.flush();
        return socket.bytesToWrite() == 0 && socket.state() == QLocalSocket::ConnectedState ? Delivery::taken : Delivery::notConnected;
    }
    if (answer.isEmpty() && socket.state() != QLocalSocket::ConnectedState)
        return Delivery::closed;
    // Nothing in time (or nonsense): the socket closes here, and the holder
    // finds it closed before it read a "go".
    return Delivery::unanswered;
}

bool SingleInstance::listen()
{
    if (m_serverName.isEmpty())
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            accept(socket);
    });
    // We hold the lock, so a socket file left there is from a process that died.
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleInstance::accept(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerCredentials::isThisUser(socket->socketDescriptor())) {
        const auto peer = PeerCredentials::userId(socket->socketDescriptor());
        qCWarning(sessionLogger, "Refused a hand-over from user id %s", peer ? qUtf8Printable(QString::number(*peer)) : "unknown");
        socket->abort();
        return;
    }
    auto incoming = std::make_shared<Incoming>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, incoming] { read(socket, *incoming); });
    connect(socket, &QLocalSocket::disconnected, this, [incoming] {
        if (incoming->waiting)
            qCInfo(sessionLogger, "A later launch gave up before it confirmed its request; the request was dropped");
        incoming->waiting.reset();
    });
    read(socket, *incoming);
}

void SingleInstance::read(QLocalSocket *socket, Incoming &incoming)
{
    incoming.received += socket->read(maxRequestBytes + 1 - incoming.received.size());
    for (;;) {
        const qsizetype end = incoming.received.indexOf('\n');
        if (!incoming.waiting) {
            if ((end < 0 && incoming.received.size() > maxRequestBytes) || !HandOverRequest::mayBeLine(incoming.received)) {
                socket->abort();
                return;
            }
            if (end < 0)
                return;
            std::optional<HandOverRequest> request = HandOverRequest::fromLine(incoming.received.left(end + 1));
            incoming.received.remove(0, end + 1);
            if (!request) {
                socket->abort();
                return;
            }
            if (!request->confirm) {
                // A launch of an earlier version: answered and acted on at once.
                socket->write(HandOverRequest::answerOk);
                socket->flush();
                socket->disconnectFromServer();
                act(*request);
                return;
            }
            incoming.waiting = std::move(request);
            socket->write(HandOverRequest::answerReady);
            socket->flush();
            continue;
        }
        if (!HandOverRequest::goLine.startsWith(incoming.received.left(HandOverRequest::goLine.size()))) {
            socket->abort();
            return;
        }
        if (end < 0)
            return;
        const HandOverRequest request = std::move(*incoming.waiting);
        incoming.waiting.reset();
        socket->disconnectFromServer();
        act(request);
        return;
    }
}

void SingleInstance::act(const HandOverRequest &request)
{
    qCInfo(sessionLogger).noquote()
        << (request.paths.isEmpty() ? QStringLiteral("A second launch handed over to this one")
                                    : QStringLiteral("A second launch handed over to this one with %1 path(s)").arg(request.paths.size()));
    Q_EMIT activationRequested(request.paths, request.activationToken, request.notOpened);
}
