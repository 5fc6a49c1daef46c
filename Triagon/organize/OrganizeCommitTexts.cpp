// The refusals and failure prefixes of the organize run, as the user reads them.
#include "organize/OrganizeCommit.h"

#include <QDir>

QString OrganizeCommit::otherVolumeText()
{
    return QStringLiteral("Choose a destination on the same drive as every clip in this group.");
}

QString OrganizeCommit::offlineText()
{
    return QStringLiteral("The clips in this export scope are offline. Reconnect the drive that holds them, then try again.");
}

QString OrganizeCommit::unusableTagFolderText()
{
    return QStringLiteral(
        "A tag cannot be used as a folder name. Close this sheet and choose Session actions \u2192 Manage Tags to rename or merge it.");
}

QString OrganizeCommit::prepareFoldersPrefix()
{
    return QStringLiteral("Could not prepare destination folders: ");
}
QString OrganizeCommit::recordsFolderText(const QString &folder, const QString &description)
{
    return QStringLiteral("The records folder \u201C") + QDir::cleanPath(folder) + QStringLiteral("\u201D could not be made: ")
           + description;
}

QString OrganizeCommit::recordPlanPrefix()
{
    return QStringLiteral("Could not record planned file moves: ");
}
QString OrganizeCommit::recordMovePrefix()
{
    return QStringLiteral("Could not record file move: ");
}
QString OrganizeCommit::finalizeRecordPrefix()
{
    return QStringLiteral("Could not finalize file move record: ");
}
QString OrganizeCommit::manifestPrefix()
{
    return QStringLiteral("Could not export JSON manifest: ");
}

QString OrganizeCommit::remainsAtText(const QString &filename, const QString &path)
{
    return filename + QStringLiteral(": The file remains at ") + path + QStringLiteral(" and is still in your session.");
}

QString OrganizeCommit::leftoverText(const QString &path, const QString &description)
{
    return path + QStringLiteral(": This empty file held the name for an organize that was stopped, and could not be removed: ")
           + description;
}
