#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The outcome of one update check, as the user is told it.
struct UpdateCheckResult
{
    enum class Kind { upToDate, updateAvailable, failed };

    Kind kind = Kind::failed;
    QString currentVersion;
    // The feed's version (up to date and update available).
    QString latestVersion;
    // The download page (update available; may be empty).
    QUrl downloadPage;
    QString notes;
    // A sentence for the user (failed).
    QString errorMessage;

    // The result of comparing the feed in `json` with the running version.
    static UpdateCheckResult fromFeed(const QByteArray &json, const QString &currentVersion);
    static UpdateCheckResult failure(const QString &currentVersion, const QString &message);
};
