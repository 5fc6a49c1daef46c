#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// The outcome of one organize run, as the Organize Clips sheet reports it.
// Built by the commit run only; once built, the run changes nothing but
// manifestURL, which it sets after the manifest copy succeeded.
struct ExportResult
{
    int movedCount = 0;
    // Clips of the session the run left in place because they were outside its scope.
    int skippedCount = 0;
    // In the order they arose: one text for a refusal or a bookkeeping failure,
    // one per failed file, two for a file that had to stay at its destination.
    QStringList errors;
    // The folder the rating or tag folders were made in.
    std::optional<QUrl> exportFolder;
    // The manifest written, if any.
    std::optional<QUrl> manifestURL;

    // A run refused before any file moved: one error text, no URLs.
    static ExportResult refused(const QString &error, int skippedCount = 0)
    {
        ExportResult result;
        result.skippedCount = skippedCount;
        result.errors.append(error);
        return result;
    }

    friend bool operator==(const ExportResult &, const ExportResult &) = default;
};
