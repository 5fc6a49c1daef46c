#pragma once

#include "app/ui/HandOverRequest.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running Triagon per user and session. Two processes on one session
// file would each save their own store over the other's edits, so the first
// launch holds a lock file beside the session file and listens on a local
// socket; a later launch finds the lock held, hands what it was started with
// (the paths to import, the desktop's activation token) to the running
// process once, and ends. The lock of a process that died (a crash, kill -9)
// does not block the next start: QLockFile sees that the process it names is
// gone and the lock is taken over.
//
// The socket lives in the user's runtime folder, or else in a private folder
// of this user's in the temporary folder; never loose in a shared one. Both
// ends check that the other is a process of the same user.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        primary,       // this process holds the session (or no lock could be made at all)
        handedOver,    // a running process has the launch's request: end this one
        activatedOnly, // a running Triagon of an earlier version came to the front but took no paths
        noAnswer,      // a running process holds the session but did not take the request (and never will)
        unreachable,   // a running process holds the session, but there is no private folder for the socket
        refused,       // the socket is another user's: nothing was sent
    };

    // Where the socket goes: `path`, or when it is empty, the folder of the
    // temporary folder that was `tried` and why it cannot be used (`fault`).
    struct SocketFolder
    {
        QString path;
        QString tried{};
        QString fault{};
    };

    // `folder` holds the lock file ("triagon.lock"): the session file's
    // folder. The socket goes into `socketFolder` (defaultSocketFolder()
    // when not given; none when that is empty).
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    SingleInstance(const QString &folder, const QString &socketFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and listens for later launches, or hands `request` over
    // to the process holding the lock. A holder that is still starting or
    // just quitting may not be listening: connecting is tried again for up
    // to `patienceMs`. The request itself is sent once, and the holder acts
    // on it only when this launch confirms it (handedOver); a holder that
    // does not answer within the patience (a stopped process) finds the
    // launch gone when it wakes and drops the request (noAnswer).
    Claim claim(int patienceMs = defaultPatienceMs, const HandOverRequest &request = {});

    bool isPrimary() const { return m_primary; }
    QString lockFilePath() const { return m_lockPath; }
    // The local socket's full path; empty when there is no private folder for it.
    QString serverName() const { return m_serverName; }
    // The folder the socket was looked for in.
    const SocketFolder &socketFolder() const { return m_socketFolder; }

    // The folder of the session file.
    static QString sessionFolder();
    // The user's runtime folder (Qt checks that it is the user's own, mode
    // 0700), or else "triagon-UID" in the temporary folder when that is a
    // private folder of this user's; no path when neither is.
    static SocketFolder defaultSocketFolder();

    static constexpr int defaultPatienceMs = 15000;
    // A request larger than this is not taken (a file manager's "Open With"
    // on thousands of files stays far below it).
    static constexpr qsizetype maxRequestBytes = 16 * 1024 * 1024;

Q_SIGNALS:
    // A later launch handed over to this process: its window comes to the
    // front (with `activationToken`, when the desktop gave one), `paths` are
    // imported and `notOpened` named.
    void activationRequested(const QStringList &paths, const QByteArray &activationToken, const QStringList &notOpened);

private:
    enum class Delivery {
        notConnected, // no one listens (yet, or any more)
        closed,       // the listener closed without answering: it took nothing
        unanswered,   // no answer in time: the listener will drop the request
        foreign,      // another user listens
        taken,        // the listener has the request
    };
    struct Incoming;

    SingleInstance(const QString &folder, SocketFolder socketFolder, QObject *parent);

    bool listen();
    Delivery deliver(const QDeadlineTimer &deadline, const QByteArray &line) const;
    void accept(QLocalSocket *socket);
    void read(QLocalSocket *socket, Incoming &incoming);
    void act(const HandOverRequest &request);

    QString m_lockPath;
    QString m_serverName;
    SocketFolder m_socketFolder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};
