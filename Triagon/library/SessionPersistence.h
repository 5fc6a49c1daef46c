#pragma once

#include "library/SessionData.h"
#include "library/UnreadableSession.h"
#include "library/model/Clip.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QTimer;

// The session file of the clip store (its persistence): where it lives, its debounced and its
// immediate save, reading it back and removing it. The store owns one; the
// record to write comes from the function it is given, read at save time.
class SessionPersistence : public QObject
{
    Q_OBJECT
public:
    // Delay of the debounced save.
    static constexpr int saveDelayMs = 500;
    // The longest an edit waits for its save: a burst of edits that keeps
    // restarting the delay above is still written this long after its first
    // unsaved edit.
    static constexpr int saveMaxWaitMs = 2000;

    SessionPersistence(std::function<SessionData()> makeData, QObject *parent = nullptr);

    // $XDG_DATA_HOME/Triagon/session.json, computed once per process (the
    // folder "Triagon" is created then; the organize journal lives beside it).
    static QString path();
    // Session files that could not be read and were moved aside, oldest first.
    static QStringList unreadablePaths();
    // Encodes and writes atomically. On failure returns false and the
    // error's text; logs only success.
    static bool write(const SessionData &data, QString *errorText = nullptr);
    // Reads and decodes the session file; runs on any thread. Returns the
    // record and its clips with isMissing set from the disk, or no value when
    // there is no usable file. A file that cannot be read or decoded is moved
    // aside (see unreadablePaths) so that the next save does not overwrite the
    // user's decisions, and `problem` (when given) says why and where it was
    // kept. An empty file holds nothing to keep: it is not copied aside.
    static std::optional<std::pair<SessionData, QList<Clip>>> read(std::optional<UnreadableSession> *problem = nullptr);
    // The decoding behind read(): the file's bytes to the record, with names
    // that are not one path component made safe. Touches no disk.
    static std::optional<SessionData> decode(const QByteArray &bytes, QString *errorText = nullptr);

    // Saves saveDelayMs after the last call (a waiting save is cancelled),
    // and no later than saveMaxWaitMs after the first call since the last save.
    void scheduleSave();
    bool isSaveScheduled() const;
    // Cancels the waiting save and writes now; a failure is logged and sent
    // as saveFailed().
    void saveNow();
    // Cancels the waiting save and removes the file.
    void clear();

    // While saving is disabled no save writes the file; a save requested
    // meanwhile is scheduled when saving is enabled again.
    bool isSavingEnabled() const { return m_savingEnabled; }
    void setSavingEnabled(bool enabled);

Q_SIGNALS:
    void saved(qsizetype clipCount);
    void saveFailed(const QString &error);

private:
    std::function<SessionData()> m_makeData;
    QTimer *m_saveTimer;
    QTimer *m_saveDeadline; // runs from the first unsaved edit
    bool m_savingEnabled = true;
    bool m_saveDeferred = false;
};
