#pragma once

#include "library/ClipStore.h"
#include "library/model/Clip.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QUrl>
#include <QUuid>

// The application's settings file in the test's private home, written as
// text the way an earlier run would have left it.
inline bool writeSettingsFile(const QByteArray &iniText)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QStringLiteral("/brinkwolder/Triagon.conf");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(iniText) == iniText.size();
}

inline Clip plantedClip(const QString &path, qint64 rating = 0, const QStringList &tags = {})
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    clip.duration = 2.5;
    clip.width = 1920;
    clip.height = 1080;
    clip.fileSize = 4096;
    clip.codec = QStringLiteral("H.264");
    clip.frameRate = 30;
    clip.rating = rating;
    clip.tags = tags;
    return clip;
}

// Writes a session file with the store's own writer.
inline bool plantSession(const QList<Clip> &clips, const QStringList &tags, const QString &organization, qint64 columns)
{
    ClipStore::SessionData data;
    data.clips = clips;
    data.availableTags = tags;
    data.folderOrganization = organization;
    data.gridColumns = columns;
    data.savedAt = QDateTime::currentDateTimeUtc();
    return ClipStore::writeSessionFile(data);
}

inline QByteArray sessionFileBytes()
{
    QFile f(ClipStore::sessionFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Runs the application's event loop until something quits it, as main() does.
// Quitting closes the windows, and closing the last window posts one more quit
// request; it is dropped here, since it would otherwise end every event loop
// that later tests of this process start.
inline int runApplicationUntilQuit()
{
    const int status = QApplication::exec();
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    return status;
}
