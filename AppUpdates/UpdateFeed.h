#pragma once

#include "AppUpdates/AppVersion.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// What the update feed announces: a small JSON object
//   {"version": "1.4.0", "url": "https://…/download", "notes": "…"}
// "version" is required; "url" (the download page) and "notes" are optional.
struct UpdateFeed
{
    AppVersion version;
    // Empty unless the feed gave an http or https address: the page is opened
    // in the browser, so no other kind of address is trusted.
    QUrl downloadPage;
    QString notes;

    // The feed in `json`, or nothing with `errorMessage` set to a sentence for
    // the user.
    static std::optional<UpdateFeed> parse(const QByteArray &json, QString *errorMessage = nullptr);
};
