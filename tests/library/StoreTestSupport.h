#pragma once

#include "library/ClipStore.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <gtest/gtest.h>

// Clips and small helpers shared by the store tests.
namespace StoreTest {

// A clip named after its file in /footage, as an import makes it.
inline Clip clip(const QString &filename, qint64 rating = 0, const QStringList &tags = {})
{
    Clip c;
    c.id = QUuid::createUuid();
    c.url = QUrl::fromLocalFile(QStringLiteral("/footage/") + filename);
    c.filename = filename;
    c.duration = 10;
    c.width = 1920;
    c.height = 1080;
    c.fileSize = 1000;
    c.codec = QStringLiteral("H.264");
    c.frameRate = 30;
    c.rating = rating;
    c.tags = tags;
    return c;
}

inline QStringList names(const QList<Clip> &clips)
{
    QStringList result;
    for (const Clip &c : clips)
        result.append(c.filename);
    return result;
}

inline const Clip &byName(const ClipStore &store, const QString &filename)
{
    for (const Clip &c : store.clips()) {
        if (c.filename == filename)
            return c;
    }
    static Clip none;
    ADD_FAILURE() << "no clip " << filename.toStdString();
    return none;
}

// Collects the messages of one logging category while alive.
class LogCapture
{
public:
    explicit LogCapture(const char *category = "com.brinkwolder.Triagon.session")
    {
        s_category = category;
        s_messages().clear();
        s_types().clear();
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QStringList messages() const
    {
        QMutexLocker lock(&s_mutex());
        return s_messages();
    }
    QStringList messagesOf(QtMsgType type) const
    {
        QMutexLocker lock(&s_mutex());
        QStringList result;
        for (qsizetype i = 0; i < s_messages().size(); ++i) {
            if (s_types()[i] == type)
                result.append(s_messages()[i]);
        }
        return result;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (context.category && QByteArray(context.category) == s_category) {
            QMutexLocker lock(&s_mutex());
            s_messages().append(text);
            s_types().append(type);
        }
    }
    static QStringList &s_messages()
    {
        static QStringList list;
        return list;
    }
    static QList<QtMsgType> &s_types()
    {
        static QList<QtMsgType> list;
        return list;
    }
    static QMutex &s_mutex()
    {
        static QMutex mutex;
        return mutex;
    }
    static inline const char *s_category = nullptr;
    QtMessageHandler m_previous = nullptr;
};

} // namespace StoreTest
