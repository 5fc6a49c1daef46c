#pragma once

#include "library/model/Clip.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The content of the session file.
struct SessionData
{
    QList<Clip> clips;
    std::optional<QUrl> sourceFolderURL;
    QStringList availableTags;
    QString folderOrganization; // the raw value text, "By Tag" or "By Rating"
    qint64 gridColumns = 3;
    QDateTime savedAt; // written with the time of the save, never read back

    QJsonObject toJson() const;
    // Every key but "sourceFolderURL" is required; on failure returns no
    // value and the decoding error's text.
    static std::optional<SessionData> fromJson(const QJsonObject &object, QString *errorText = nullptr);
};
