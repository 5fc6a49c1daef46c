#pragma once

#include "library/model/Clip.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A clip record for a file at `path` (the file need not exist).
inline Clip makeClip(const QString &path, bool missing = false, qint64 rating = 0)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    clip.duration = 4;
    clip.width = 1920;
    clip.height = 1080;
    clip.fileSize = 1000;
    clip.rating = rating;
    clip.isMissing = missing;
    return clip;
}

inline bool touchFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}
