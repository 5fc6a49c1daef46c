#include "AppUpdates/UpdateCheckResult.h"

#include "AppUpdates/AppVersion.h"
#include "AppUpdates/UpdateFeed.h"

UpdateCheckResult UpdateCheckResult::failure(const QString &currentVersion, const QString &message)
{
    UpdateCheckResult result;
    result.kind = Kind::failed;
    result.currentVersion = currentVersion;
    result.errorMessage = message;
    return result;
}

UpdateCheckResult UpdateCheckResult::fromFeed(const QByteArray &json, const QString &currentVersion)
{
    const std::optional<AppVersion> running = AppVersion::parse(currentVersion);
    if (!running)
        return failure(currentVersion, QStringLiteral("The version of this copy of Triagon is unknown."));
    QString error;
    const std::optional<UpdateFeed> feed = UpdateFeed::parse(json, &error);
    if (!feed)
        return failure(currentVersion, error);

    UpdateCheckResult result;
    result.currentVersion = currentVersion;
    result.latestVersion = feed->version.toString();
    if (AppVersion::compare(feed->version, *running) > 0) {
        result.kind = Kind::updateAvailable;
        result.downloadPage = feed->downloadPage;
        result.notes = feed->notes;
    } else {
        result.kind = Kind::upToDate;
    }
    return result;
}
