#pragma once

#include "library/model/Clip.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>

class ClipStore;

// Replaces the store's whole session: the restore at launch, which reads the
// session file off the GUI thread and applies it, and the start of a new,
// empty session. Lives on the GUI thread with its store.
class SessionRestorer : public QObject
{
    Q_OBJECT

public:
    // The tag that stands for a stack of n hand markers (the settings' name).
    using MarkerTagName = std::function<QString(qint64 hands)>;

    explicit SessionRestorer(ClipStore &store, QObject *parent = nullptr);

    // Reads the session file in the background and applies it, unless a new
    // session was started meanwhile; then calls done with true when a
    // session was read and applied. Returns at once.
    void restoreSessionAtLaunch(MarkerTagName markerTagName, std::function<void(bool restored)> done);
    // True from the start of a restore until its result is applied or dropped.
    bool isRestoring() const { return m_restoring; }

    // Empties the store with the given tags as its catalog and removes the session file.
    void startNewSession(const QStringList &tags);

    // Older sessions flagged special takes on the clip itself; today they carry
    // the settings' marker tag instead. Each clip flagged special with n hands
    // gets the tag markerTagName(n) appended (when it lacks it) and loses the
    // flag; clips flagged as markers keep their flag. Returns the tags given
    // out, each once, in the order they were first given.
    static QStringList migrateSpecialMarkerFlags(QList<Clip> &clips, const MarkerTagName &markerTagName);

Q_SIGNALS:
    void restoreFinished(bool restored);

private:
    ClipStore &m_store;
    bool m_restoring = false;
};
