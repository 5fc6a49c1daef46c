#include "app/ui/LogFile.h"

#include "app/Loggers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {

struct LogState
{
    QMutex mutex;
    QString path;
    qint64 limit = LogFile::defaultLimitBytes;
    QFile file;
    QtMessageHandler previous = nullptr;
    bool installed = false;
};

LogState &state()
{
    static LogState s;
    return s;
}

const char *levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "error";
    case QtFatalMsg:
        return "fatal";
    }
    return "log";
}

bool openFile(LogState &s)
{
    if (s.file.isOpen())
        return true;
    QDir().mkpath(QFileInfo(s.path).absolutePath());
    s.file.setFileName(s.path);
    return s.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void rotateIfNeeded(LogState &s)
{
    if (s.file.size() < s.limit)
        return;
    s.file.close();
    const QString older = s.path + QStringLiteral(".1");
    QFile::remove(older);
    QFile::rename(s.path, older);
    openFile(s);
}

// Set while this thread writes to the file: a message raised by the writing
// itself goes only to the previous handler (locking again would deadlock).
thread_local bool t_writing = false;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    LogState &s = state();
    QtMessageHandler previous = nullptr;
    if (t_writing) {
        previous = s.previous;
    } else {
        QMutexLocker lock(&s.mutex);
        previous = s.previous;
        if (s.installed) {
            t_writing = true;
            if (openFile(s)) {
                QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8();
                line += " [";
                line += levelName(type);
                line += "] ";
                if (context.category && qstrcmp(context.category, "default") != 0) {
                    line += context.category;
                    line += ": ";
                }
                line += message.toUtf8();
                line += '\n';
                s.file.write(line);
                s.file.flush();
                rotateIfNeeded(s);
            }
            t_writing = false;
        }
    }
    if (previous)
        previous(type, context, message);
}

} // namespace

QString LogFile::defaultPath()
{
    // The base-directory convention ignores a relative value.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state) + QStringLiteral("/Triagon/triagon.log");
}

QString LogFile::legacyPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Triagon/triagon.log");
}

bool LogFile::moveLegacyLog(const QString &from, const QString &to)
{
    if (from.isEmpty() || QDir::cleanPath(from) == QDir::cleanPath(to) || !QFileInfo::exists(from) || QFileInfo::exists(to))
        return false;
    QDir().mkpath(QFileInfo(to).absolutePath());
    // The older part first: once the current log has moved, nothing is
    // moved again.
    const QString older = QStringLiteral(".1");
    if (QFileInfo::exists(from + older) && !QFileInfo::exists(to + older))
        QFile::rename(from + older, to + older);
    return QFile::rename(from, to);
}

void LogFile::install(const QString &path, qint64 limitBytes)
{
    bool moved = false;
    {
        LogState &s = state();
        QMutexLocker lock(&s.mutex);
        s.file.close();
        s.path = path.isEmpty() ? defaultPath() : path;
        if (path.isEmpty())
            moved = moveLegacyLog(legacyPath(), s.path);
        s.limit = limitBytes > 0 ? limitBytes : defaultLimitBytes;
        if (!s.installed) {
            s.previous = qInstallMessageHandler(handler);
            s.installed = true;
        }
    }
    if (moved)
        qCInfo(sessionLogger).noquote() << QStringLiteral("Moved the log from %1 to %2").arg(legacyPath(), defaultPath());
}

void LogFile::uninstall()
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    if (!s.installed)
        return;
    qInstallMessageHandler(s.previous);
    s.previous = nullptr;
    s.installed = false;
    s.file.close();
    s.path.clear();
}

QString LogFile::currentPath()
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.installed ? s.path : QString();
}
