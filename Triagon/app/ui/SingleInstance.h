#pragma once

#include <QByteArray>
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
// process, waits until that one acknowledges it, and ends. The lock of a process that died
// (a crash, kill -9) does not block the next start: QLockFile sees that the
// process it names is gone and the lock is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        primary,    // this process holds the session (or no lock could be made at all)
        handedOver, // a running process took the launch over: end this one
        noAnswer,   // a running process holds the session but never answered
    };

    // `folder` holds the lock file ("triagon.lock"): the session file's folder.
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and listens for later launches, or hands this launch
    // over to the process holding the lock, with `paths` (absolute) and
    // `activationToken`. A holder that is still starting or just quitting may
    // not answer at once: tries again for up to `patienceMs` before giving up
    // with noAnswer.
    Claim claim(int patienceMs = defaultPatienceMs, const QStringList &paths = {}, const QByteArray &activationToken = {});

    bool isPrimary() const { return m_primary; }
    QString lockFilePath() const { return m_lockPath; }
    // The local socket's full path, in the user's runtime folder.
    QString serverName() const { return m_serverName; }

    // The folder of the session file.
    static QString sessionFolder();

    static constexpr int defaultPatienceMs = 15000;
    // A request larger than this is not taken (a file manager's "Open With"
    // on thousands of files stays far below it).
    static constexpr qsizetype maxRequestBytes = 16 * 1024 * 1024;

Q_SIGNALS:
    // A later launch handed over to this process: its window comes to the
    // front (with `activationToken`, when the desktop gave one) and `paths`
    // are imported.
    void activationRequested(const QStringList &paths, const QByteArray &activationToken);

private:
    bool listen();
    bool handOver(int waitMs, const QByteArray &request) const;
    void readRequest(QLocalSocket *socket, QByteArray &received);

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};
