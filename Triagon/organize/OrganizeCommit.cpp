// The organize run, step by step (OrganizeCommit::commit, at the end):
//  1. check the sources, and refuse a run that cannot go ahead;
//  2. plan the folders;
//  3. make the folders;
//  4. clear what a stopped run left, and plan the destinations;
//  5. write the record of the plan;
//  6. move each file;
//  7. write the final record and the manifest.
#include "organize/OrganizeCommit.h"

#include "organize/CommitRecord.h"
#include "organize/CommitRecordDocument.h"
#include "organize/CommitRecordFile.h"
#include "organize/CommitRecordRecovery.h"
#include "organize/FolderPlan.h"
#include "organize/NumberedName.h"
#include "organize/VerifiedMove.h"
#include "app/Loggers.h"
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

// The clip's file, when its URL names an absolute local path.
QString sourcePath(const Clip &clip)
{
    const QString path = clip.url.isLocalFile() ? clip.url.toLocalFile() : QString();
    return QDir::isAbsolutePath(path) ? path : QString();
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

// ---- 1. Check the sources.

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

// The refusal of a run whose files cannot be moved where it would put them.
// When none of the files can be found, their drive is gone, and the
// destination may be the empty mount point it left on the system disk:
// nothing is made at all.
std::optional<QString> sourcesRefusal(FileOperations &files, const OrganizeRequest &request, const QList<Source> &sources)
{
    if (!sources.isEmpty() && std::all_of(sources.begin(), sources.end(), [](Source s) { return s == Source::offline; }))
        return OrganizeCommit::offlineText();
    if (VerifiedMove::hasClipOnOtherVolume(files, request.clips, request.destination))
        return OrganizeCommit::otherVolumeText();
    return std::nullopt;
}

// ---- 2. Plan the folders.

// Where the run's folders go.
struct PlannedFolders
{
    QUrl exportFolderURL;
    // Its local path.
    QString exportFolder;
    // Each clip's rating or tag folder, in the clips' order.
    QStringList names;
    // The folders that are made: those of the clips whose file is there to
    // move, each once, in the order first planned.
    QStringList toMake;
    // With no file to move and no manifest to write, the export folder would
    // stay empty and is not made.
    bool makesExportFolder = false;
};

// The folders, or the refusal when a name cannot be a folder's or the
// destination is not a local folder.
std::variant<PlannedFolders, QString> planFolders(const OrganizeRequest &request, const QList<Source> &sources)
{
    const QList<Clip> &clips = request.clips;
    PlannedFolders folders;
    folders.names.reserve(clips.size());
    QSet<QString> distinct;
    QSet<QString> toMake;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const QString name = FolderPlan::plannedFolderName(clips[i], request.organization);
        folders.names.append(name);
        distinct.insert(name);
        if (sources[i] == Source::file && !toMake.contains(name)) {
            toMake.insert(name);
            folders.toMake.append(name);
        }
    }
    for (const QString &name : std::as_const(distinct)) {
        if (!FolderPlan::isUsableFolderName(name))
            return OrganizeCommit::unusableTagFolderText();
    }

    folders.exportFolderURL = FolderPlan::exportFolderURL(request.destination, request.newFolderName);
    const QUrl &url = folders.exportFolderURL;
    folders.exportFolder = url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    if (folders.exportFolder.isEmpty() || !QDir::isAbsolutePath(folders.exportFolder))
        return OrganizeCommit::prepareFoldersPrefix()
               + OrganizeError::fromErrno(ENOENT, request.destination.toString()).localizedDescription;
    folders.makesExportFolder = !folders.toMake.isEmpty() || request.generateManifest;
    return folders;
}

// ---- 3. Make the folders.

// The export folder, the planned folders in it and the records folder; the
// refusal's text on the first failure. Nothing on disk changes before this
// step, and the folders made before a failure stay.
std::optional<QString> makeFolders(FileOperations &files, const PlannedFolders &folders, const QString &recordsFolder)
{
    auto failure = [](const OrganizeError &error) {
        return std::optional(OrganizeCommit::prepareFoldersPrefix() + error.localizedDescription);
    };
    if (folders.makesExportFolder) {
        if (auto error = files.makeFolder(folders.exportFolder))
            return failure(*error);
    }
    for (const QString &name : folders.toMake) {
        const QString path = joined(folders.exportFolder, name);
        const auto found = files.entry(path);
        if (const auto *entry = std::get_if<FileOperations::Entry>(&found);
            entry && entry->kind == FileOperations::Entry::Kind::symbolicLink)
            return failure(OrganizeError::symbolicLinkFolder(path));
        if (auto error = files.makeFolder(path))
            return failure(*error);
    }
    // The records folder is not one of the user's: name it, so that the
    // user does not look for the fault in the destination.
    if (auto error = files.makeFolder(recordsFolder))
        return OrganizeCommit::prepareFoldersPrefix() + OrganizeCommit::recordsFolderText(recordsFolder, error->localizedDescription);
    return std::nullopt;
}

// ---- 4. Clear what a stopped run left, and plan the destinations.

// The empty files that stopped runs left holding a name, removed before any
// name is planned. One that cannot be removed is the user's to look at: it
// is reported with the run's errors (and the run numbers around it).
void clearLeftovers(FileOperations &files, const QString &recordsFolder, ExportResult &result)
{
    for (const CommitRecordRecovery::Leftover &leftover : CommitRecordRecovery::clearLeftovers(files, recordsFolder)) {
        if (leftover.failure)
            result.errors.append(OrganizeCommit::leftoverText(leftover.path, leftover.failure->localizedDescription));
        else
            qCInfo(sessionLogger, "Removed the empty file %s, left by an organize that was stopped", qUtf8Printable(leftover.path));
    }
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

// The destinations planned so far. A name is planned when its path is, and
// in a folder that ignores letter case also when it differs from a planned
// one only in case ("Take.MP4", "take.mp4"): the file system would give both
// one entry. Whether a folder ignores case is asked only when such a pair
// comes up, once per folder.
class PlannedNames
{
public:
    explicit PlannedNames(FileOperations &files) : m_files(files) {}

    bool contains(const QString &folder, const QString &name)
    {
        if (m_paths.contains(joined(folder, name)))
            return true;
        if (!m_folded.contains(joined(folder, name.toCaseFolded())))
            return false;
        auto found = m_ignoresCase.constFind(folder);
        if (found == m_ignoresCase.cend())
            found = m_ignoresCase.insert(folder, m_files.ignoresLetterCase(folder));
        return *found;
    }
    void insert(const QString &folder, const QString &name)
    {
        m_paths.insert(joined(folder, name));
        m_folded.insert(joined(folder, name.toCaseFolded()));
    }

private:
    FileOperations &m_files;
    QSet<QString> m_paths;
    QSet<QString> m_folded;
    QHash<QString, bool> m_ignoresCase;
};

// The clip's destination in its folder: its name, or the first of
// "name_1.ext", "name_2.ext", … (shortened to the file system's limit) that
// neither exists nor is planned for an earlier clip of the run. A name too
// long to create is numbered as if it were taken; any other failure to
// examine a name says nothing about the next one and ends the search with
// that failure, which becomes the clip's.
std::variant<QString, OrganizeError> freeDestination(FileOperations &files, const QString &folder, const QString &name,
                                                     PlannedNames &planned)
{
    if (!planned.contains(folder, name)) {
        const QString candidate = joined(folder, name);
        const auto free = isFree(files, candidate);
        if (const auto *error = std::get_if<OrganizeError>(&free)) {
            if (error->code != ENAMETOOLONG)
                return *error;
        } else if (std::get<bool>(free)) {
            return name;
        }
    }
    const qsizetype limit = files.nameLimit(folder);
    for (qint64 n = 1;; ++n) {
        const QString candidate = NumberedName::numbered(name, n, limit);
        if (planned.contains(folder, candidate))
            continue;
        const auto free = isFree(files, joined(folder, candidate));
        if (const auto *error = std::get_if<OrganizeError>(&free))
            return *error;
        if (std::get<bool>(free))
            return candidate;
    }
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

// One pending entry per clip, in the clips' order, each with a destination
// that is neither taken nor planned for another clip. Returns the clips left
// without a destination, with the reason; they fail without moving.
QHash<qsizetype, OrganizeError> planDestinations(FileOperations &files, const QList<Clip> &clips, const PlannedFolders &folders,
                                                 QList<ManifestEntry> &entries)
{
    entries.reserve(clips.size());
    QHash<qsizetype, OrganizeError> unplanned;
    PlannedNames planned(files);
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const Clip &clip = clips[i];
        const QString folder = joined(folders.exportFolder, folders.names[i]);
        QString destination;
        // The name comes from the session file: only a single path component
        // may become a file name, so the file can only land in its folder.
        if (FileName::isSinglePathComponent(clip.filename) && !sourcePath(clip).isEmpty()) {
            auto found = freeDestination(files, folder, clip.filename, planned);
            if (auto *error = std::get_if<OrganizeError>(&found)) {
                unplanned.insert(i, *error);
            } else {
                const QString &name = std::get<QString>(found);
                planned.insert(folder, name);
                destination = joined(folder, name);
            }
        }
        entries.append(entryFor(clip, folders.names[i], destination));
    }
    return unplanned;
}

// ---- 6. Move each file.

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

// How one file's move ended.
struct MoveEnd
{
    // None when the file was moved and verified.
    std::optional<OrganizeError> failure;
    // The file could not be returned after a failed size check and stays at
    // its destination.
    bool remained = false;
};

// The entry's file, checked and moved. Only the file that was imported
// moves: a regular file of the size recorded at import. A size that changes
// during the move moves the file back (VerifiedMove).
MoveEnd moveOne(FileOperations &files, const Clip &clip, const ManifestEntry &entry)
{
    const QString source = sourcePath(clip);
    if (source.isEmpty() || entry.destinationPath.isEmpty())
        return {OrganizeError::unusableFileName(clip.filename)};

    const auto found = files.entry(source);
    if (const auto *error = std::get_if<OrganizeError>(&found))
        return {*error};
    const FileOperations::Entry &before = std::get<FileOperations::Entry>(found);
    // A link, folder or device where the clip's file was is not the file
    // that was imported: never move it as if it were.
    if (before.kind != FileOperations::Entry::Kind::regularFile)
        return {OrganizeError::notARegularFile(kindText(before.kind))};
    if (clip.fileSize != 0 && before.size != clip.fileSize)
        return {OrganizeError::changedSinceImport()};

    if (auto error = files.moveWithoutReplacing(source, entry.destinationPath))
        return {error};
    MoveEnd end{VerifiedMove::moveVerifyingSize(files, source, entry.destinationPath, before.size)};
    end.remained = end.failure && files.exists(entry.destinationPath);
    return end;
}

// What became of the file, in its entry and in the result: verified, its
// clip leaves the session; failed, the file is where it was; one that had to
// stay at its destination counts as moved and needs review, and its clip
// stays in the session, pointed at the file's new place.
void settle(OrganizeOutcome &outcome, const Clip &clip, ManifestEntry &entry, const MoveEnd &end)
{
    ExportResult &result = outcome.result;
    if (!end.failure) {
        entry.status = ManifestEntry::verified;
        ++result.movedCount;
        outcome.movedIDs.insert(clip.id);
        return;
    }
    if (end.remained) {
        outcome.relocations.insert(clip.id, QUrl::fromLocalFile(entry.destinationPath));
        entry.status = ManifestEntry::needsReview;
        ++result.movedCount;
        result.errors.append(OrganizeCommit::remainsAtText(clip.filename, entry.destinationPath));
    } else {
        entry.status = ManifestEntry::failed;
    }
    entry.error = end.failure->localizedDescription;
    result.errors.append(clip.filename + QStringLiteral(": ") + end.failure->localizedDescription);
}

// The files move one after another, and the record follows every file: it is
// rewritten before the next file starts. A rewrite that fails stops the run
// there, and the files not reached stay where they are and "pending".
void moveFiles(FileOperations &files, const QList<Clip> &clips, const QHash<qsizetype, OrganizeError> &unplanned, CommitRecordFile &record,
               const OrganizeCommit::Progress &progress, const OrganizeCommit::Clock &clock, OrganizeOutcome &outcome)
{
    qint64 lastProgress = 0;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        const Clip &clip = clips[i];
        ManifestEntry &entry = outcome.entries[i];
        if (progress && (i == 0 || clock() - lastProgress >= OrganizeCommit::progressIntervalMs)) {
            progress(static_cast<double>(i) / static_cast<double>(clips.size()), clip.filename);
            lastProgress = clock();
        }

        settle(outcome, clip, entry, unplanned.contains(i) ? MoveEnd{unplanned.value(i)} : moveOne(files, clip, entry));
        record.setEntry(i, entry);

        if (auto error = record.write(CommitRecord::inProgress)) {
            outcome.result.errors.append(OrganizeCommit::recordMovePrefix() + error->localizedDescription);
            break;
        }
    }
}

// ---- 7. Write the final record and the manifest.

// The manifest is a byte copy of the final record, made only when that
// record was written; a failed copy leaves the record as it is.
void finish(FileOperations &files, const OrganizeRequest &request, const PlannedFolders &folders, CommitRecordFile &record,
            OrganizeOutcome &outcome)
{
    ExportResult &result = outcome.result;
    if (auto error = record.writeOnDisk(result.errors.isEmpty() ? CommitRecord::complete : CommitRecord::completeWithErrors)) {
        result.errors.append(OrganizeCommit::finalizeRecordPrefix() + error->localizedDescription);
        return;
    }
    if (!request.generateManifest)
        return;
    const QUrl manifest = FolderPlan::manifestURL(folders.exportFolderURL);
    if (auto error = files.copyToNewFile(outcome.recordPath, manifest.toLocalFile()))
        result.errors.append(OrganizeCommit::manifestPrefix() + error->localizedDescription);
    else
        result.manifestURL = manifest;
}

} // namespace

OrganizeOutcome OrganizeCommit::commit(const OrganizeRequest &request, FileOperations &files, const Progress &progress, Clock clock)
{
    if (!clock)
        clock = steadyMilliseconds;
    const QString startedAt = CommitRecord::timestamp(QDateTime::currentDateTimeUtc());
    const int skipped = request.skippedCount;

    // 1. Check the sources.
    const QList<Source> sources = sourcesOf(files, request.clips);
    if (const std::optional<QString> refused = sourcesRefusal(files, request, sources))
        return refusal(*refused, skipped);

    // 2. Plan the folders.
    const auto plannedFolders = planFolders(request, sources);
    if (const auto *refused = std::get_if<QString>(&plannedFolders))
        return refusal(*refused, skipped);
    const PlannedFolders &folders = std::get<PlannedFolders>(plannedFolders);

    // 3. Make the folders.
    if (const std::optional<QString> refused = makeFolders(files, folders, request.recordsFolder))
        return refusal(*refused, skipped);

    // 4. Clear what a stopped run left, and plan the destinations.
    OrganizeOutcome outcome;
    clearLeftovers(files, request.recordsFolder, outcome.result);
    outcome.recordPath = joined(QDir::cleanPath(request.recordsFolder),
                                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".json"));
    outcome.result.skippedCount = skipped;
    if (folders.makesExportFolder)
        outcome.result.exportFolder = folders.exportFolderURL;
    const QHash<qsizetype, OrganizeError> unplanned = planDestinations(files, request.clips, folders, outcome.entries);

    // 5. Write the record of the plan: it is on the disk before any file moves.
    CommitRecordFile record(files, outcome.recordPath,
                            CommitRecordDocument(startedAt, request.organization, request.appVersion, outcome.entries), clock);
    if (auto error = record.writeOnDisk(CommitRecord::inProgress)) {
        outcome.result.errors.append(recordPlanPrefix() + error->localizedDescription);
        outcome.recordPath.clear();
        return outcome;
    }

    // 6. Move each file.
    moveFiles(files, request.clips, unplanned, record, progress, clock, outcome);

    // 7. Write the final record and the manifest.
    finish(files, request, folders, record, outcome);
    return outcome;
}
