#pragma once

#include "library/model/FolderOrganization.h"
#include "organize/ManifestEntry.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The commit record of an organize run (its journal, and the manifest when
// one is asked for): one JSON object with the run's status, counts and
// summaries and one entry per planned file. Pretty-printed, every object's
// keys in ascending order, forward slashes escaped ("\/").
class CommitRecord
{
public:
    // Record statuses.
    static inline const QString inProgress = QStringLiteral("in_progress");
    static inline const QString complete = QStringLiteral("complete");
    static inline const QString completeWithErrors = QStringLiteral("complete_with_errors");

    // The whole record. startedAt is the run's start as "2025-03-01T14:05:09Z";
    // appVersion an empty text reads "unknown".
    static QJsonObject recordObject(const QString &status, const QString &startedAt, const QList<ManifestEntry> &entries,
                                    FolderOrganization organization, const QString &appVersion);
    // The bytes of the record file, encoded whole in one pass. The organize
    // run rewrites its record through CommitRecordDocument, which keeps the
    // encoded pieces and must give exactly these bytes.
    static QByteArray encode(const QString &status, const QString &startedAt, const QList<ManifestEntry> &entries,
                             FolderOrganization organization, const QString &appVersion);
    // One entry as its record object. A duration or frame rate that is not a
    // finite number never reaches the JSON: the duration reads 0, the frame
    // rate is left out, as an unknown one is.
    static QJsonObject entryObject(const ManifestEntry &entry);
    // The start time's text: UTC to the second with the suffix Z.
    static QString timestamp(const QDateTime &time);
};
