#pragma once

#include "library/model/MarkerFlag.h"
#include "library/model/NumberingResetReview.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <optional>

// One imported video file of the session: a plain value.
struct Clip
{
    QUuid id;            // identity for the clip's whole life, across relinks and sessions
    QUrl url;            // where the file is; relinking replaces it
    QString filename;    // the name shown on the card; renaming changes it
    double duration = 0; // seconds
    qint64 width = 0;    // display size in pixels
    qint64 height = 0;
    qint64 fileSize = 0; // bytes
    QString codec;       // display name, may be empty
    double frameRate = 0;
    qint64 rating = 0; // 0 unrated, 1 to 5 stars
    QStringList tags;  // in stored order; the first decides the tag folder
    std::optional<MarkerFlag> markerFlag;
    std::optional<QDateTime> recordedAt;
    std::optional<bool> recordingDateChecked;
    std::optional<NumberingResetReview> numberingResetReview;
    bool isMissing = false; // the file cannot be found; never saved

    // Equality as the grid needs it to tell changed cards: the media facts
    // and the recording-date check take no part.
    friend bool operator==(const Clip &a, const Clip &b);

    // The JSON object of the session file. Non-finite numbers are written as
    // 0, so that one bad probe value can never make the session unwritable.
    QJsonObject toJson() const;
    // Reads a clip object; unknown keys are ignored and isMissing is false.
    // On failure returns no value and the decoding error's text.
    static std::optional<Clip> fromJson(const QJsonObject &object, QString *errorText = nullptr);

    // Display texts.
    QString durationText() const;
    QString resolutionLabel() const;
    QString frameRateText() const;
    QString fileSizeText() const;

    // The last path component of the file's URL.
    QString urlFileName() const;
    // The local path of the file's URL.
    QString path() const { return url.toLocalFile(); }
};

inline size_t qHash(const Clip &clip, size_t seed = 0)
{
    return qHash(clip.id, seed);
}

// UUID text as the session file writes it: upper case, no braces.
QString uuidText(const QUuid &id);
