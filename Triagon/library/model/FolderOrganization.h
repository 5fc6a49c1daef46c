#pragma once

#include <QList>
#include <QString>
#include <optional>

// How an organize run lays out its folders. Stored as its raw value text.
enum class FolderOrganization { byTag, byRating };

inline QString rawValue(FolderOrganization organization)
{
    return organization == FolderOrganization::byRating ? QStringLiteral("By Rating") : QStringLiteral("By Tag");
}

inline QList<FolderOrganization> allFolderOrganizations()
{
    return {FolderOrganization::byTag, FolderOrganization::byRating};
}

inline std::optional<FolderOrganization> folderOrganizationFromRaw(const QString &text)
{
    for (FolderOrganization organization : allFolderOrganizations()) {
        if (rawValue(organization) == text)
            return organization;
    }
    return std::nullopt;
}
