#pragma once

#include <QList>
#include <QString>
#include <optional>

// How an organize run lays out its folders. Stored as its raw value text.
enum class FolderOrganization { byTag, byRating };

inline QString rawValue(FolderOrganization organization)
{
    switch (organization) {
    case FolderOrganization::byTag:
        return QStringLiteral("By Tag");
    case FolderOrganization::byRating:
        return QStringLiteral("By Rating");
    }
    return QString();
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

// What the views say and show of an organization: a new one is added here,
// beside its value, and in the folder plan that names its folders.
struct FolderOrganizationTexts
{
    QString pickerTitle; // the sidebar picker's segment, beside its symbol
    QString symbolName;  // of the symbol catalogue
    QString pickerHelp;  // the sidebar picker's tool tip
    QString sheetHelp;   // under the organize sheet's picker
    QString folderNoun;  // "N clips will be moved into <noun> folders"
};

inline FolderOrganizationTexts textsOf(FolderOrganization organization)
{
    switch (organization) {
    case FolderOrganization::byRating:
        return {QStringLiteral("By rating"), QStringLiteral("star.fill"), QStringLiteral("Organize by star rating"),
                QStringLiteral("Clips sorted into 5-star, 4-star, etc. folders"), QStringLiteral("rating")};
    case FolderOrganization::byTag:
        break;
    }
    return {QStringLiteral("By tag"), QStringLiteral("tag.fill"), QStringLiteral("Organize by tag"),
            QStringLiteral("Clips sorted by first tag. Untagged clips fall back to star rating folders."), QStringLiteral("tag")};
}
