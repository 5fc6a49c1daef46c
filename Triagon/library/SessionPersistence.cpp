#include "library/SessionPersistence.h"

#include "app/AtomicFile.h"
#include "app/Loggers.h"
#include "library/SessionJsonWriter.h"
#include "library/model/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const QFileInfoList entries = folder.entryInfoList(
        {info.fileName() + QStringLiteral(".*"), QLatin1Char('.') + info.fileName() + QStringLiteral(".*")},
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
    QString name = FileName::sanitizedClipName(clip.filename);
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

SessionPersistence::SessionPersistence(std::function<SessionData()> makeData, QObject *parent)
    : QObject(parent), m_makeData(std::move(makeData)), m_saveTimer(new QTimer(this)), m_saveDeadline(new QTimer(this))
{
    // The timers are children of the session file, so a save never outlives
    // it. Whichever fires first saves; the save stops both.
    for (auto [timer, interval] : {std::pair{m_saveTimer, saveDelayMs}, std::pair{m_saveDeadline, saveMaxWaitMs}}) {
        timer->setSingleShot(true);
        timer->setInterval(interval);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, &SessionPersistence::saveNow);
    }
}

// ---- Location ----------------------------------------------------------------------

QString SessionPersistence::path()
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

QStringList SessionPersistence::unreadablePaths()
{
    const QFileInfo info(path());
    QStringList paths;
    const QFileInfoList entries = info.absoluteDir().entryInfoList({QStringLiteral("session.unreadable-*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        paths.append(entry.absoluteFilePath());
    return paths;
}

// ---- Saving ------------------------------------------------------------------------------

void SessionPersistence::scheduleSave()
{
    // Restarting the single-shot timer cancels the waiting save; the deadline
    // runs on from the first unsaved edit, so that a steady stream of edits
    // (a rating every 0.3 s) is still written every 2 s.
    m_saveTimer->start();
    if (!m_saveDeadline->isActive())
        m_saveDeadline->start();
}

bool SessionPersistence::isSaveScheduled() const
{
    return m_saveTimer->isActive();
}

void SessionPersistence::setSavingEnabled(bool enabled)
{
    m_savingEnabled = enabled;
    if (enabled && m_saveDeferred) {
        m_saveDeferred = false;
        scheduleSave();
    }
}

void SessionPersistence::saveNow()
{
    m_saveTimer->stop();
    m_saveDeadline->stop();
    if (!m_savingEnabled) {
        m_saveDeferred = true;
        qCDebug(sessionLogger, "Session save held back until the saved session is restored");
        return;
    }
    const SessionData data = m_makeData();
    QString error;
    if (!write(data, &error)) {
        qCCritical(sessionLogger, "Immediate session save failed: %s", qUtf8Printable(error));
        Q_EMIT saveFailed(error);
        return;
    }
    Q_EMIT saved(data.clips.size());
}

bool SessionPersistence::write(const SessionData &data, QString *errorText)
{
    const QString path = SessionPersistence::path();
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

std::optional<SessionData> SessionPersistence::decode(const QByteArray &bytes, QString *errorText)
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

std::optional<std::pair<SessionData, QList<Clip>>> SessionPersistence::read(std::optional<UnreadableSession> *problem)
{
    const QString path = SessionPersistence::path();
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
    std::optional<SessionData> data = decode(bytes, &decodeError);
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

void SessionPersistence::clear()
{
    m_saveTimer->stop();
    m_saveDeadline->stop();
    m_saveDeferred = false;
    QFile file(path());
    if (!file.exists())
        return; // nothing to remove is not a failure
    if (!file.remove())
        qCCritical(sessionLogger, "Failed to clear session file: %s", qUtf8Printable(file.errorString()));
}
