#pragma once

#include "library/model/MarkerFlag.h"

#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// One planned file of an organize run, in the order of the run's plan: where
// the file was, where it goes, what became of it, and the clip's facts as the
// commit record and the manifest list them.
struct ManifestEntry
{
    // Entry statuses. "moved" is counted by the record but never set.
    static inline const QString pending = QStringLiteral("pending");
    static inline const QString verified = QStringLiteral("verified");
    static inline const QString failed = QStringLiteral("failed");
    static inline const QString needsReview = QStringLiteral("needs_review");
    static inline const QString moved = QStringLiteral("moved");

    QString originalPath;
    // Empty when the clip's name cannot make a destination (the file then
    // fails in its turn and stays where it is).
    QString destinationPath;
    QString folder;
    qint64 expectedSize = 0;
    QString status = pending;
    std::optional<QString> error;
    QString filename;
    qint64 rating = 0;
    QStringList tags;
    std::optional<MarkerFlag> markerFlag;
    double duration = 0;
    std::optional<QString> resolution;
    double frameRate = 0;
    QString codec;

    // The clip the entry was made from (not written to the record).
    QUuid clipID;

    friend bool operator==(const ManifestEntry &, const ManifestEntry &) = default;
};
