#include "AppUpdates/UpdateFeed.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

std::optional<UpdateFeed> UpdateFeed::parse(const QByteArray &json, QString *errorMessage)
{
    const auto fail = [&](const QString &message) -> std::optional<UpdateFeed> {
        if (errorMessage)
            *errorMessage = message;
        return std::nullopt;
    };

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return fail(QStringLiteral("The update information could not be read."));
    const QJsonObject object = document.object();

    const QJsonValue versionValue = object.value(QStringLiteral("version"));
    const std::optional<AppVersion> version = versionValue.isString() ? AppVersion::parse(versionValue.toString().trimmed()) : std::nullopt;
    if (!version)
        return fail(QStringLiteral("The update information names no valid version."));

    UpdateFeed feed{*version, QUrl(), QString()};
    const QJsonValue urlValue = object.value(QStringLiteral("url"));
    if (urlValue.isString()) {
        const QUrl url(urlValue.toString().trimmed(), QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")))
            feed.downloadPage = url;
    }
    const QJsonValue notesValue = object.value(QStringLiteral("notes"));
    if (notesValue.isString())
        feed.notes = notesValue.toString();
    return feed;
}
