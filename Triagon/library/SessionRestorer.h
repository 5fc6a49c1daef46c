#pragma once

#include "library/UnreadableSession.h"
#include "library/model/Clip.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>

class ClipEditor;

// Replaces the store's whole session: the restore at launch, which reads the
// session file off the GUI thread and applies it, and the start of a new,
// empty session. It edits the session only through the editor (the store).
// Lives on the GUI thread with its editor.
class SessionRestorer : public QObject
{
    Q_OBJECT

public:
    // The tag that stands for a stack of n hand markers (the settings' name).
    using MarkerTagName = std::function<QString(qint64 hands)>;

    explicit SessionRestorer(ClipEditor &editor, QObject *parent = nullptr);

    // Reads the session file in the background and applies it, unless a new
    // session was started meanwhile; then calls done with true when a
    // session was read and applied. Returns at once.
    void restoreSessionAtLaunch(MarkerTagName markerTagName, std::function<void(bool restored)> done);
    // True from the start of a restore until its result is applied or dropped.
    bool isRestoring() const { return m_restoring; }

    // Empties the session with the given tags as its catalog and removes the session file.
    void startNewSession(const QStringList &tags);

    // Older sessions flagged special takes on the clip itself; today they carry
    // the settings' marker tag instead. Each clip flagged special with n hands
    // gets the tag markerTagName(n) appended (when it lacks it) and loses the
    // flag; clips flagged as markers keep their flag. Returns the tags given
    // out, each once, in the order they were first given.
    static QStringList migrateSpecialMarkerFlags(QList<Clip> &clips, const MarkerTagName &markerTagName);

Q_SIGNALS:
    // The session file found at launch could not be read; sent before the
    // restore ends, also when a new session was started meanwhile.
    void sessionFileUnreadable(const UnreadableSession &unreadable);
    void restoreFinished(bool restored);

private:
    ClipEditor &m_editor;
    bool m_restoring = false;
};
