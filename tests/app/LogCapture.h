#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QtGlobal>

// Collects the messages of one logging category while it lives, so that a test
// can check which lines were logged (and how often). Messages may come from
// any thread.
class LogCapture
{
public:
    struct Entry
    {
        QtMsgType type;
        QString message;
    };

    explicit LogCapture(const char *category) : m_category(category)
    {
        current() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<Entry> entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }
    int count(QtMsgType type, const QString &message) const
    {
        QMutexLocker lock(&m_mutex);
        int n = 0;
        for (const Entry &e : m_entries)
            n += (e.type == type && e.message == message) ? 1 : 0;
        return n;
    }

private:
    static LogCapture *&current()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        LogCapture *capture = current();
        if (capture && context.category && QByteArray(context.category) == capture->m_category) {
            QMutexLocker lock(&capture->m_mutex);
            capture->m_entries.append({type, message});
        }
    }

    mutable QMutex m_mutex;
    QByteArray m_category;
    QtMessageHandler m_previous = nullptr;
    QList<Entry> m_entries;
};
