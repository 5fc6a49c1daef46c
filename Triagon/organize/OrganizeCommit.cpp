#include "organize/OrganizeCommit.h"

#include "organize/CommitRecord.h"
#include "organize/CommitRecordDocument.h"
#include "organize/FolderPlan.h"
#include "organize/NumberedName.h"
#include "organize/VerifiedMove.h"
#include "library/model/FileName.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <cerrno>

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// Whether a name can be taken: only when nothing is there (ENOENT). Any
// other failure is returned, since a name that cannot be examined is not free.
std::variant<bool, OrganizeError> isFree(FileOperations &files, const QString &path)
{
    const auto found = files.entry(path);
    const auto *error = std::get_if<OrganizeError>(&found);
    if (!error)
        return false;
    if (error->domain == OrganizeError::posixDomain && error->code == ENOENT)
        return true;
    return *error;
}

// The clip's destination in its folder: its name, or the first of
// "name_1.ext", "name_2.ext", … (shortened to the file system's limit) that
// neither exists nor is planned for an earlier clip of the run. A name too
// long to create is numbered as if it were taken; any other failure to
// examine a name says nothing about the next one and ends the search with
// that failure, which becomes the clip's.
std::variant<QString, OrganizeError> freeDestination(FileOperations &files, const QString &folder, const QString &name,
                                                     const QSet<QString> &planned)
{
    QString candidate = joined(folder, name);
    if (!planned.contains(candidate)) {
        const auto free = isFree(files, candidate);
        if (const auto *error = std::get_if<OrganizeError>(&free)) {
            if (error->code != ENAMETOOLONG)
                return *error;
        } else if (std::get<bool>(free)) {
            return candidate;
        }
    }
    const qsizetype limit = files.nameLimit(folder);
    for (qint64 n = 1;; ++n) {
        candidate = joined(folder, NumberedName::numbered(name, n, limit));
        if (planned.contains(candidate))
            continue;
        const auto free = isFree(files, candidate);
        if (const auto *error = std::get_if<OrganizeError>(&free))
            return *error;
        if (std::get<bool>(free))
            return candidate;
    }
}

// The clip's file, when its URL names an absolute local path.
QString sourcePath(const Clip &clip)
{
    const QString path = clip.url.isLocalFile() ? clip.url.toLocalFile() : QString();
    return QDir::isAbsolutePath(path) ? path : QString();
}

// What the run finds at a clip's path before it makes any folder: the file,
// nothing (the file or its drive is gone), or something it cannot move (an
// entry of another kind, a path it may not examine, a name it cannot use).
enum class Source { file, offline, other };

Source sourceOf(FileOperations &files, const Clip &clip)
{
    const QString path = sourcePath(clip);
    if (path.isEmpty())
        return Source::other;
    const auto found = files.entry(path);
    if (const auto *error = std::get_if<OrganizeError>(&found)) {
        const bool gone = error->domain == OrganizeError::posixDomain && (error->code == ENOENT || error->code == ENOTDIR);
        return gone ? Source::offline : Source::other;
    }
    return std::get<FileOperations::Entry>(found).kind == FileOperations::Entry::Kind::regularFile ? Source::file : Source::other;
}

QList<Source> sourcesOf(FileOperations &files, const QList<Clip> &clips)
{
    QList<Source> sources;
    sources.reserve(clips.size());
    for (const Clip &clip : clips)
        sources.append(sourceOf(files, clip));
    return sources;
}

QString originalPathText(const Clip &clip)
{
    return clip.url.isLocalFile() ? clip.url.toLocalFile() : clip.url.toString();
}

ManifestEntry entryFor(const Clip &clip, const QString &folder, const QString &destination)
{
    ManifestEntry entry;
    entry.originalPath = originalPathText(clip);
    entry.destinationPath = destination;
    entry.folder = folder;
    entry.expectedSize = clip.fileSize;
    entry.filename = clip.filename;
    entry.rating = clip.rating;
    entry.tags = clip.tags;
    entry.markerFlag = clip.markerFlag;
    entry.duration = clip.duration;
    if (clip.width >= 1 && clip.height >= 1)
        entry.resolution = QString::number(clip.width) + QLatin1Char('x') + QString::number(clip.height);
    entry.frameRate = clip.frameRate;
    entry.codec = clip.codec;
    entry.clipID = clip.id;
    return entry;
}

OrganizeOutcome refusal(const QString &error, int skippedCount)
{
    OrganizeOutcome outcome;
    outcome.result = ExportResult::refused(error, skippedCount);
    return outcome;
}

qint64 steadyMilliseconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

QString kindText(FileOperations::Entry::Kind kind)
{
    using Kind = FileOperations::Entry::Kind;
    switch (kind) {
    case Kind::folder:
        return QStringLiteral("a folder");
    case Kind::symbolicLink:
        return QStringLiteral("a symbolic link");
    case Kind::fifo:
        return QStringLiteral("a named pipe (FIFO)");
    case Kind::socket:
        return QStringLiteral("a socket");
    case Kind::device:
        return QStringLiteral("a device");
    case Kind::regularFile:
    case Kind::other:
        break;
    }
    return QStringLiteral("an entry of an unknown kind");
}

// The entry's file, checked and moved; nothing when it ended verified.
// `remained` is set when the file could not be returned after a failed
// size check and stays at its destination.
std::optional<OrganizeError> moveOne(FileOperations &files, const Clip &clip, const ManifestEntry &entry, bool *remained)
{
    const QString source = sourcePath(clip);
    if (source.isEmpty() || entry.destinationPath.isEmpty())
        return OrganizeError::unusableFileName(clip.filename);

    const auto found = files.entry(source);
    if (const auto *error = std::get_if<OrganizeError>(&found))
        return *error;
    const FileOperations::Entry &before = std::get<FileOperations::Entry>(found);
    // A link, folder or device where the clip's file was is not the file
    // that was imported: never move it as if it were.
    if (before.kind != FileOperations::Entry::Kind::regularFile)
        return OrganizeError::notARegularFile(kindText(before.kind));
    if (clip.fileSize != 0 && before.size != clip.fileSize)
        return OrganizeError::changedSinceImport();

    if (auto error = files.moveWithoutReplacing(source, entry.destinationPath))
        return error;
    auto error = VerifiedMove::moveVerifyingSize(files, source, entry.destinationPath, before.size);
    if (error && files.exists(entry.destinationPath))
        *remained = true;
    return error;
}

} // namespace

OrganizeOutcome OrganizeCommit::commit(const OrganizeRequest &request, FileOperations &files, const Progress &progress, Clock clock)
{
    if (!clock)
        clock = steadyMilliseconds;
    const QString startedAt = CommitRecord::timestamp(QDateTime::currentDateTimeUtc());
    const QList<Clip> &clips = request.clips;

    // ---- Planning: nothing on disk changes before the folders are made.
    // Folders are made only for clips whose file is there to move. When none
    // of the files can be found, their drive is gone, and the destination
    // may be the empty mount point it left on the system disk: nothing is
    // made at all.
    const QList<Source> sources = sourcesOf(files, clips);
    if (!sources.isEmpty() && std::all_of(sources.begin(), sources.end(), [](Source s) { return s == Source::offline; }))
        return refusal(offlineText(), request.skippedCount);
    if (VerifiedMove::hasClipOnOtherVolume(files, clips, request.destination))
        return refusal(otherVolumeText(), request.skippedCount);

    QStringList folderNames;
    folderNames.reserve(clips.size());
    QSet<QString> distinctFolders;
    QStringList foldersToMake;
    QSet<QString> toMake;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const QString name = FolderPlan::plannedFolderName(clips[i], request.organization);
        folderNames.append(name);
        distinctFolders.insert(name);
        if (sources[i] == Source::file && !toMake.contains(name)) {
            toMake.insert(name);
            foldersToMake.append(name);
        }
    }
    for (const QString &name : std::as_const(distinctFolders)) {
        if (!FolderPlan::isUsableFolderName(name))
            return refusal(unusableTagFolderText(), request.skippedCount);
    }

    const QUrl exportFolderURL = FolderPlan::exportFolderURL(request.destination, request.newFolderName);
    const QString exportFolder = exportFolderURL.isLocalFile() ? QDir::cleanPath(exportFolderURL.toLocalFile()) : QString();
    if (exportFolder.isEmpty() || !QDir::isAbsolutePath(exportFolder))
        return refusal(prepareFoldersPrefix() + OrganizeError::fromErrno(ENOENT, request.destination.toString()).localizedDescription,
                       request.skippedCount);
    auto prepareFailure = [&](const OrganizeError &error) {
        return refusal(prepareFoldersPrefix() + error.localizedDescription, request.skippedCount);
    };
    // With no file to move and no manifest to write, the export folder would
    // stay empty.
    const bool makesExportFolder = !foldersToMake.isEmpty() || request.generateManifest;
    if (makesExportFolder) {
        if (auto error = files.makeFolder(exportFolder))
            return prepareFailure(*error);
    }
    for (const QString &name : std::as_const(foldersToMake)) {
        const QString path = joined(exportFolder, name);
        const auto found = files.entry(path);
        if (const auto *entry = std::get_if<FileOperations::Entry>(&found);
            entry && entry->kind == FileOperations::Entry::Kind::symbolicLink)
            return prepareFailure(OrganizeError::symbolicLinkFolder(path));
        if (auto error = files.makeFolder(path))
            return prepareFailure(*error);
    }
    // The records folder is not one of the user's: name it, so that the
    // user does not look for the fault in the destination.
    if (auto error = files.makeFolder(request.recordsFolder))
        return refusal(prepareFoldersPrefix() + recordsFolderText(request.recordsFolder, error->localizedDescription),
                       request.skippedCount);

    OrganizeOutcome outcome;
    outcome.recordPath = joined(QDir::cleanPath(request.recordsFolder),
                                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".json"));
    ExportResult &result = outcome.result;
    result.skippedCount = request.skippedCount;
    if (makesExportFolder)
        result.exportFolder = exportFolderURL;

    QList<ManifestEntry> &entries = outcome.entries;
    entries.reserve(clips.size());
    // Clips without a destination, with the reason; they fail without moving.
    QHash<qsizetype, OrganizeError> unplanned;
    QSet<QString> planned;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const Clip &clip = clips[i];
        const QString folder = joined(exportFolder, folderNames[i]);
        QString destination;
        // The name comes from the session file: only a single path component
        // may become a file name, so the file can only land in its folder.
        if (FileName::isSinglePathComponent(clip.filename) && !sourcePath(clip).isEmpty()) {
            auto found = freeDestination(files, folder, clip.filename, planned);
            if (auto *error = std::get_if<OrganizeError>(&found)) {
                unplanned.insert(i, *error);
            } else {
                destination = std::get<QString>(std::move(found));
                planned.insert(destination);
            }
        }
        entries.append(entryFor(clip, folderNames[i], destination));
    }

    // The record is written whole every time; only the entry that changed
    // is encoded anew.
    CommitRecordDocument record(startedAt, request.organization, request.appVersion, entries);
    // Every rewrite is whole and atomic, so a killed process always leaves a
    // whole record. Flushing each one to the disk as well would cost a disk
    // flush of the whole record per file (minutes for thousands of files);
    // the plan and the end are flushed, and in between at most one rewrite
    // a second, which is as current as the moves themselves are on the disk.
    qint64 lastFlush = clock();
    auto writeRecord = [&](const QString &status, bool mustFlush) {
        const qint64 now = clock();
        const bool flush = mustFlush || now - lastFlush >= recordFlushIntervalMs;
        if (flush)
            lastFlush = now;
        return files.writeFileAtomically(outcome.recordPath, record.pieces(status),
                                         flush ? AtomicFile::Durability::onDisk : AtomicFile::Durability::inSystem);
    };
    if (auto error = writeRecord(CommitRecord::inProgress, true)) {
        result.errors.append(recordPlanPrefix() + error->localizedDescription);
        outcome.recordPath.clear();
        return outcome;
    }

    // ---- Moving, one file after another; the record follows every file.
    qint64 lastProgress = 0;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const Clip &clip = clips[i];
        ManifestEntry &entry = entries[i];
        if (progress && (i == 0 || clock() - lastProgress >= progressIntervalMs)) {
            progress(static_cast<double>(i) / static_cast<double>(clips.size()), clip.filename);
            lastProgress = clock();
        }

        bool remained = false;
        const std::optional<OrganizeError> failure = unplanned.contains(i) ? std::optional(unplanned.value(i))
                                                                           : moveOne(files, clip, entry, &remained);
        if (failure) {
            if (remained) {
                outcome.relocations.insert(clip.id, QUrl::fromLocalFile(entry.destinationPath));
                entry.status = ManifestEntry::needsReview;
                ++result.movedCount;
                result.errors.append(remainsAtText(clip.filename, entry.destinationPath));
            } else {
                entry.status = ManifestEntry::failed;
            }
            entry.error = failure->localizedDescription;
            result.errors.append(clip.filename + QStringLiteral(": ") + failure->localizedDescription);
        } else {
            entry.status = ManifestEntry::verified;
            ++result.movedCount;
            outcome.movedIDs.insert(clip.id);
        }
        record.setEntry(i, entry);

        if (auto error = writeRecord(CommitRecord::inProgress, false)) {
            result.errors.append(recordMovePrefix() + error->localizedDescription);
            break;
        }
    }

    // ---- Finishing.
    if (auto error = writeRecord(result.errors.isEmpty() ? CommitRecord::complete : CommitRecord::completeWithErrors, true)) {
        result.errors.append(finalizeRecordPrefix() + error->localizedDescription);
        return outcome;
    }
    if (request.generateManifest) {
        const QUrl manifest = FolderPlan::manifestURL(exportFolderURL);
        const QString manifestPath = manifest.toLocalFile();
        if (auto error = files.copyToNewFile(outcome.recordPath, manifestPath))
            result.errors.append(manifestPrefix() + error->localizedDescription);
        else
            result.manifestURL = manifest;
    }
    return outcome;
}
