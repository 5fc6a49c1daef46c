#include "app/ui/SingleInstance.h"

#include "app/Loggers.h"
#include "library/ClipStore.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {

// A launch without anything to hand over only asks for the window (as every
// earlier version did); one with paths or a token sends them as JSON, in
// base64 so that the request stays one line whatever the paths hold.
const QByteArray kActivate = QByteArrayLiteral("activate\n");
const QByteArray kOpen = QByteArrayLiteral("open ");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// How long one hand-over waits for the holder's answer.
constexpr int kAnswerWaitMs = 3000;

QByteArray encodeRequest(const QStringList &paths, const QByteArray &activationToken)
{
    if (paths.isEmpty() && activationToken.isEmpty())
        return kActivate;
    QJsonObject request;
    request.insert(QStringLiteral("paths"), QJsonArray::fromStringList(paths));
    if (!activationToken.isEmpty())
        request.insert(QStringLiteral("activationToken"), QString::fromUtf8(activationToken));
    return kOpen + QJsonDocument(request).toJson(QJsonDocument::Compact).toBase64() + '\n';
}

// Whether `bytes` can still become a request: only its start is checked
// here, the rest once the line is whole.
bool mayBeRequest(const QByteArray &bytes)
{
    return kActivate.startsWith(bytes.left(kActivate.size())) || kOpen.startsWith(bytes.left(kOpen.size()));
}

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

SingleInstance::Claim SingleInstance::claim(int patienceMs, const QStringList &paths, const QByteArray &activationToken)
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
        if (handOver(std::clamp<qint64>(deadline.remainingTime(), 0, kAnswerWaitMs), encodeRequest(paths, activationToken)))
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
            // What came so far, until the line is whole.
            auto received = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] { readRequest(socket, *received); });
            readRequest(socket, *received);
        }
    });
    // We hold the lock, so a socket file left there is from a process that died.
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleInstance::readRequest(QLocalSocket *socket, QByteArray &received)
{
    const qsizetype before = received.size();
    received += socket->read(maxRequestBytes + 1 - before);
    const qsizetype end = received.indexOf('\n', before);
    if ((end < 0 && received.size() > maxRequestBytes) || !mayBeRequest(received)) {
        socket->abort();
        return;
    }
    if (end < 0)
        return;
    const QByteArray request = received.left(end + 1);
    QStringList paths;
    QByteArray activationToken;
    if (request != kActivate) {
        const QByteArray::FromBase64Result json = QByteArray::fromBase64Encoding(request.mid(kOpen.size()).chopped(1),
                                                                                 QByteArray::AbortOnBase64DecodingErrors);
        const QJsonDocument document = json ? QJsonDocument::fromJson(*json) : QJsonDocument();
        if (!request.startsWith(kOpen) || !document.isObject()) {
            socket->abort();
            return;
        }
        for (const QJsonValue &value : document.object().value(QStringLiteral("paths")).toArray()) {
            // The sender made them absolute against its own working folder.
            const QString path = value.toString();
            if (QDir::isAbsolutePath(path))
                paths.append(QDir::cleanPath(path));
        }
        activationToken = document.object().value(QStringLiteral("activationToken")).toString().toUtf8();
    }
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    qCInfo(sessionLogger).noquote() << (paths.isEmpty()
                                            ? QStringLiteral("A second launch handed over to this one")
                                            : QStringLiteral("A second launch handed over to this one with %1 path(s)").arg(paths.size()));
    Q_EMIT activationRequested(paths, activationToken);
}

bool SingleInstance::handOver(int waitMs, const QByteArray &request) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    QDeadlineTimer deadline(waitMs);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() <= kAnswer.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    return answer == kAnswer;
}
