#include "app/Loggers.h"

#include <QByteArray>
#include <QMutex>
#include <map>
#include <memory>
#include <string>

const QLoggingCategory &makeLogger(const char *category)
{
    // QLoggingCategory keeps the name pointer, so names and categories live
    // for the whole process.
    static QMutex mutex;
    static std::map<std::string, std::pair<std::unique_ptr<QByteArray>, std::unique_ptr<QLoggingCategory>>> made;
    QMutexLocker lock(&mutex);
    auto &entry = made[category];
    if (!entry.second) {
        entry.first = std::make_unique<QByteArray>(QByteArray(kLogSubsystem) + '.' + category);
        entry.second = std::make_unique<QLoggingCategory>(entry.first->constData(), QtDebugMsg);
    }
    return *entry.second;
}

const QLoggingCategory &sessionLogger()
{
    static const QLoggingCategory &logger = makeLogger("session");
    return logger;
}

const QLoggingCategory &settingsLogger()
{
    static const QLoggingCategory &logger = makeLogger("settings");
    return logger;
}

const QLoggingCategory &audioLogger()
{
    static const QLoggingCategory &logger = makeLogger("audio");
    return logger;
}
