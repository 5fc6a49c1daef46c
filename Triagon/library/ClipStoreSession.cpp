#include "library/ClipStore.h"

#include "app/AtomicFile.h"
#include "app/Loggers.h"
#include "library/SessionJsonWriter.h"
#include "library/model/FileName.h"
#include "library/model/JsonReader.h"
#include "library/model/ReferenceDate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString kFolderName = QStringLiteral("Triagon");
const QString kFileName = QStringLiteral("session.json");

// A save writes the whole file under a temporary name (AtomicFile) and renames
// it over the session file; a process killed between the two leaves that copy
// behind. The session file itself is still whole (the one before the
// interrupted save), so the copy is removed.
void removeInterruptedSaves(const QString &path)
{
    const QFileInfo info(path);
    QDir folder(info.absolutePath());
    const QFileInfoList entries = folder.entryInfoList({info.fileName() + QStringLiteral(".*"), QLatin1Char('.') + info.fileName() + QStringLiteral(".*")},
                                                       QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (!AtomicFile::isLeftoverOf(entry.fileName(), info.fileName()) || entry.isSymLink())
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            qCInfo(sessionLogger, "Removed %s, left by a save that was interrupted", qUtf8Printable(entry.fileName()));
    }
}

// Moves an unreadable session file out of the way of the next save, beside
// the original: "session.unreadable-<time>.json". Returns where the file now
// is. If the folder does not allow the rename, a save (which also renames
// inside it) fails as well and is reported, so the file is not lost either way.
QString moveUnreadableFileAside(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target;
    for (int n = 0;; ++n) {
        target = info.absolutePath() + QStringLiteral("/session.unreadable-") + stamp
            + (n == 0 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".json");
        if (!QFileInfo::exists(target))
            break;
    }
    QFile file(path);
    if (file.rename(target)) {
        qCCritical(sessionLogger, "Kept the unreadable session file as %s; starting with an empty session", qUtf8Printable(target));
        return target;
    }
    qCCritical(sessionLogger, "Could not move the unreadable session file aside: %s", qUtf8Printable(file.errorString()));
    return path;
}

// A clip's name becomes a file name when it is organized; a name from the
// file that is not one path component ("../x", "a/b", "") is made safe.
void makeNameSafe(Clip &clip)
{
    if (FileName::isSinglePathComponent(clip.filename))
        return;
    QString name = ClipStore::sanitizeClipName(clip.filename);
    if (!FileName::isSinglePathComponent(name)) {
        const QString fromFile = clip.urlFileName();
        name = FileName::isSinglePathComponent(fromFile) ? fromFile : QStringLiteral("Clip");
    }
    qCInfo(sessionLogger, "Session clip name \"%s\" is not a file name; using \"%s\"", qUtf8Printable(clip.filename), qUtf8Printable(name));
    clip.filename = name;
}

// Two clips of one id act as one: removing either card removes both, and its
// undo and redo records hit both. A clip whose id an earlier clip of the file
// already holds gets a new id of its own; ids no clip holds stay free for it.
void renewTakenIds(QList<Clip> &clips)
{
    QSet<QUuid> inFile;
    inFile.reserve(clips.size());
    for (const Clip &clip : std::as_const(clips))
        inFile.insert(clip.id);
    QSet<QUuid> taken;
    taken.reserve(clips.size());
    for (Clip &clip : clips) {
        if (!taken.contains(clip.id)) {
            taken.insert(clip.id);
            continue;
        }
        QUuid fresh;
        do {
            fresh = QUuid::createUuid();
        } while (inFile.contains(fresh) || taken.contains(fresh));
        qCWarning(sessionLogger, "Session clip \"%s\" has the id %s of an earlier clip; it gets the new id %s",
                  qUtf8Printable(clip.filename), qUtf8Printable(clip.id.toString(QUuid::WithoutBraces).toUpper()),
                  qUtf8Printable(fresh.toString(QUuid::WithoutBraces).toUpper()));
        clip.id = fresh;
        taken.insert(fresh);
    }
}

} // namespace

// ==== Session file ==========================================================
// The session file of the clip store: its JSON form, the debounced and the
// immediate save, reading it back and removing it.

// ---- JSON form -------------------------------------------------------------------

QJsonObject SessionData::toJson() const
{
    QJsonArray clipArray;
    for (const Clip &clip : clips)
        clipArray.append(clip.toJson());
    QJsonObject o;
    o.insert(QStringLiteral("clips"), clipArray);
    if (sourceFolderURL)
        o.insert(QStringLiteral("sourceFolderURL"), sourceFolderURL->toString(QUrl::FullyEncoded));
    o.insert(QStringLiteral("availableTags"), QJsonArray::fromStringList(availableTags));
    o.insert(QStringLiteral("folderOrganization"), folderOrganization);
    o.insert(QStringLiteral("gridColumns"), gridColumns);
    o.insert(QStringLiteral("savedAt"), savedAt.isValid() ? ReferenceDate::secondsSinceReference(savedAt) : 0.0);
    return o;
}

std::optional<SessionData> SessionData::fromJson(const QJsonObject &object, QString *errorText)
{
    JsonReader r(object);
    SessionData data;
    const QJsonArray clipArray = r.array(QStringLiteral("clips"));
    for (qsizetype i = 0; i < clipArray.size() && !r.failed(); ++i) {
        const QString where = QStringLiteral("clips[") + QString::number(i) + QStringLiteral("]: ");
        if (!clipArray[i].isObject()) {
            r.fail(where + JsonReader::typeMismatch(QStringLiteral("clips"), "Clip"));
            break;
        }
        QString clipError;
        if (auto clip = Clip::fromJson(clipArray[i].toObject(), &clipError))
            data.clips.append(std::move(*clip));
        else
            r.fail(where + clipError);
    }
    if (!r.failed() && r.has(QStringLiteral("sourceFolderURL")))
        data.sourceFolderURL = r.url(QStringLiteral("sourceFolderURL"));
    data.availableTags = r.strings(QStringLiteral("availableTags"));
    data.folderOrganization = r.string(QStringLiteral("folderOrganization"));
    data.gridColumns = r.integer(QStringLiteral("gridColumns"));
    const double savedAt = r.number(QStringLiteral("savedAt"));
    if (r.failed()) {
        if (errorText)
            *errorText = r.error();
        return std::nullopt;
    }
    data.savedAt = ReferenceDate::fromSecondsSinceReference(savedAt);
    return data;
}

// ---- Location ----------------------------------------------------------------------

QString ClipStore::sessionFilePath()
{
    // Computed once, on first use from any thread (a function-local static
    // is initialized exactly once); the folder is created at that moment.
    static const QString path = [] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + kFolderName;
        QDir().mkpath(folder); // a failure shows later as a failed save
        return folder + QLatin1Char('/') + kFileName;
    }();
    return path;
}

QStringList ClipStore::unreadableSessionFilePaths()
{
    const QFileInfo info(sessionFilePath());
    QStringList paths;
    const QFileInfoList entries = info.absoluteDir().entryInfoList({QStringLiteral("session.unreadable-*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        paths.append(entry.absoluteFilePath());
    return paths;
}

// ---- Saving ------------------------------------------------------------------------------

void ClipStore::scheduleSessionSave()
{
    // Restarting the single-shot timer cancels the waiting save; the deadline
    // runs on from the first unsaved edit, so that a steady stream of edits
    // (a rating every 0.3 s) is still written every 2 s.
    m_saveTimer->start();
    if (!m_saveDeadline->isActive())
        m_saveDeadline->start();
}

bool ClipStore::isSessionSaveScheduled() const
{
    return m_saveTimer->isActive();
}

void ClipStore::setSavingEnabled(bool enabled)
{
    m_savingEnabled = enabled;
    if (enabled && m_saveDeferred) {
        m_saveDeferred = false;
        scheduleSessionSave();
    }
}

ClipStore::SessionData ClipStore::makeSessionData() const
{
    SessionData data;
    data.clips = m_clips;
    data.sourceFolderURL = m_sourceFolderURL;
    data.availableTags = m_availableTags;
    data.folderOrganization = rawValue(m_folderOrganization);
    data.gridColumns = m_gridColumns;
    data.savedAt = QDateTime::currentDateTimeUtc();
    return data;
}

void ClipStore::saveSessionImmediately()
{
    m_saveTimer->stop();
    m_saveDeadline->stop();
    if (!m_savingEnabled) {
        m_saveDeferred = true;
        qCDebug(sessionLogger, "Session save held back until the saved session is restored");
        return;
    }
    const SessionData data = makeSessionData();
    QString error;
    if (!writeSessionFile(data, &error)) {
        qCCritical(sessionLogger, "Immediate session save failed: %s", qUtf8Printable(error));
        setSessionSaveError(error);
        return;
    }
    Q_EMIT sessionSaved(data.clips.size());
}

bool ClipStore::writeSessionFile(const SessionData &data, QString *errorText)
{
    const QString path = sessionFilePath();
    // The folder may have been removed since it was made.
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written directly: building a JSON object per clip first costs more than the write itself.
    if (const auto failure = AtomicFile::write(path, SessionJsonWriter::encode(data))) {
        if (errorText)
            *errorText = QStringLiteral("Could not write \"") + path + QStringLiteral("\": ") + failure->message;
        return false;
    }
    qCDebug(sessionLogger, "Saved session: %lld clips", static_cast<long long>(data.clips.size()));
    return true;
}

// ---- Reading and removing ---------------------------------------------------------------------

std::optional<ClipStore::SessionData> ClipStore::decodeSessionFile(const QByteArray &bytes, QString *errorText)
{
    auto fail = [&](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(parseError.errorString() + QStringLiteral(" at offset ") + QString::number(parseError.offset));
    if (!document.isObject())
        return fail(QStringLiteral("The file does not hold a session object."));
    std::optional<SessionData> data = SessionData::fromJson(document.object(), errorText);
    if (!data)
        return std::nullopt;
    for (Clip &clip : data->clips)
        makeNameSafe(clip);
    return data;
}

std::optional<std::pair<ClipStore::SessionData, QList<Clip>>> ClipStore::readSessionFile(std::optional<UnreadableSession> *problem)
{
    const QString path = sessionFilePath();
    removeInterruptedSaves(path);
    if (!QFileInfo::exists(path))
        return std::nullopt;

    auto unreadable = [&](const QString &reason) {
        qCCritical(sessionLogger, "Session file exists but could not be restored: %s", qUtf8Printable(reason));
        // An empty file holds nothing to keep; the next save replaces it.
        const QString keptAs = QFileInfo(path).size() == 0 ? QString() : moveUnreadableFileAside(path);
        if (problem)
            *problem = UnreadableSession{reason, keptAs};
        return std::nullopt;
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    file.close();

    QString decodeError;
    std::optional<SessionData> data = decodeSessionFile(bytes, &decodeError);
    if (!data)
        return unreadable(decodeError);

    QList<Clip> restored = data->clips;
    renewTakenIds(restored);
    qsizetype onDisk = 0;
    for (Clip &clip : restored) {
        clip.isMissing = !QFileInfo::exists(clip.path());
        if (!clip.isMissing)
            ++onDisk;
    }
    qCInfo(sessionLogger, "Restoring session: %lld saved, %lld still on disk", static_cast<long long>(data->clips.size()),
           static_cast<long long>(onDisk));
    return std::make_pair(std::move(*data), std::move(restored));
}

void ClipStore::clearSessionFile()
{
    m_saveTimer->stop();
    m_saveDeadline->stop();
    m_saveDeferred = false;
    QFile file(sessionFilePath());
    if (!file.exists())
        return; // nothing to remove is not a failure
    if (!file.remove())
        qCCritical(sessionLogger, "Failed to clear session file: %s", qUtf8Printable(file.errorString()));
}
