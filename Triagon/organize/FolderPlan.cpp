#include "organize/FolderPlan.h"

#include "library/model/FileName.h"
#include "library/model/FinderOrder.h"

#include <QFileInfo>
#include <algorithm>
#include <array>

namespace {

constexpr int ratingCount = 6; // 0 (unrated) to 5

int ratingBucket(qint64 rating)
{
    return rating >= 1 && rating <= 5 ? static_cast<int>(rating) : 0;
}

void sortByFileName(QList<ExportFileEntry> &entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ExportFileEntry &a, const ExportFileEntry &b) { return FinderOrder::lessThan(a.filename, b.filename); });
}

// Rating folders from "5-star" down to "Unrated", each only when it has files.
void appendRatingFolders(QList<ExportFolder> &folders, std::array<QList<ExportFileEntry>, ratingCount> &buckets)
{
    for (int rating = 5; rating >= 0; --rating) {
        if (buckets[rating].isEmpty())
            continue;
        sortByFileName(buckets[rating]);
        folders.append(ExportFolder{FolderPlan::ratingFolderName(rating), buckets[rating]});
    }
}

// Control characters and format characters (zero-width and direction marks),
// tested per code point so that characters outside the BMP are seen whole.
bool hasControlCharacter(const QString &text)
{
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(), [](uint c) {
        const QChar::Category category = QChar::category(static_cast<char32_t>(c));
        return category == QChar::Other_Control || category == QChar::Other_Format;
    });
}

bool hasForbiddenCharacter(const QString &name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('\\'))
           || hasControlCharacter(name);
}

QString localPath(const QUrl &url)
{
    return url.isLocalFile() ? url.toLocalFile() : url.path(QUrl::FullyDecoded);
}

QString joinedPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QUrl urlLike(const QUrl &model, const QString &path)
{
    if (model.isLocalFile())
        return QUrl::fromLocalFile(path);
    QUrl url = model;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

// Anything at the path, followed or not: a dangling symbolic link is an
// entry of the folder too, and nothing can be created in its place.
bool entryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString FolderPlan::ratingFolderName(qint64 rating)
{
    switch (rating) {
    case 5:
        return QStringLiteral("5-star");
    case 4:
        return QStringLiteral("4-star");
    case 3:
        return QStringLiteral("3-star");
    case 2:
        return QStringLiteral("2-star");
    case 1:
        return QStringLiteral("1-star");
    default:
        return QStringLiteral("Unrated");
    }
}

QString FolderPlan::plannedFolderName(const Clip &clip, FolderOrganization organization)
{
    switch (organization) {
    case FolderOrganization::byTag:
        if (!clip.tags.isEmpty())
            return clip.tags.first();
        break;
    case FolderOrganization::byRating:
        break;
    }
    return ratingFolderName(clip.rating);
}

QList<ExportFolder> FolderPlan::ratingFolderPlan(const QList<Clip> &clips)
{
    std::array<QList<ExportFileEntry>, ratingCount> buckets;
    for (const Clip &clip : clips)
        buckets[ratingBucket(clip.rating)].append(ExportFileEntry{clip.filename, std::nullopt});
    QList<ExportFolder> folders;
    appendRatingFolders(folders, buckets);
    return folders;
}

QList<ExportFolder> FolderPlan::tagFolderPlan(const QList<Clip> &clips)
{
    QList<ExportFolder> tagFolders;
    QHash<QString, qsizetype> folderIndex;
    std::array<QList<ExportFileEntry>, ratingCount> untagged;
    for (const Clip &clip : clips) {
        if (clip.tags.isEmpty()) {
            untagged[ratingBucket(clip.rating)].append(ExportFileEntry{clip.filename, std::nullopt});
            continue;
        }
        const QString &key = clip.tags.first();
        std::optional<QString> annotation;
        if (clip.tags.size() > 1)
            annotation = QStringLiteral("also: ") + clip.tags.mid(1).join(QStringLiteral(", "));
        auto it = folderIndex.constFind(key);
        if (it == folderIndex.constEnd()) {
            it = folderIndex.insert(key, tagFolders.size());
            tagFolders.append(ExportFolder{key, {}});
        }
        tagFolders[*it].files.append(ExportFileEntry{clip.filename, annotation});
    }
    for (ExportFolder &folder : tagFolders)
        sortByFileName(folder.files);
    appendRatingFolders(tagFolders, untagged);
    return tagFolders;
}

std::optional<QString> FolderPlan::validateFolderName(const std::optional<QString> &name)
{
    if (!name)
        return std::nullopt;
    const QString trimmed = name->trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String("..") || hasForbiddenCharacter(trimmed))
        return QStringLiteral("Enter a folder name without slashes or colons.");
    return std::nullopt;
}

bool FolderPlan::isUsableFolderName(const QString &name)
{
    return !name.trimmed().isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !hasForbiddenCharacter(name);
}

QUrl FolderPlan::exportFolderURL(const QUrl &destination, const std::optional<QString> &newFolderName)
{
    if (!newFolderName)
        return destination;
    const QString name = newFolderName->trimmed();
    const QString folder = localPath(destination);
    if (folder.isEmpty() || validateFolderName(name) || !FileName::isSinglePathComponent(name))
        return QUrl();
    QString candidate = joinedPath(folder, name);
    for (qint64 counter = 1; entryExists(candidate); ++counter)
        candidate = joinedPath(folder, name + QLatin1Char(' ') + QString::number(counter));
    return urlLike(destination, candidate + QLatin1Char('/'));
}

QUrl FolderPlan::manifestURL(const QUrl &exportFolder)
{
    const QString folder = localPath(exportFolder);
    if (folder.isEmpty())
        return QUrl();
    QString candidate = joinedPath(folder, QStringLiteral("triagon-manifest.json"));
    for (qint64 counter = 1; entryExists(candidate); ++counter)
        candidate = joinedPath(folder, QStringLiteral("triagon-manifest-") + QString::number(counter) + QStringLiteral(".json"));
    return urlLike(exportFolder, candidate);
}
