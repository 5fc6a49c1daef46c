#pragma once

#include "AppUpdates/ReleaseNotes.h"

#include <QString>

#include <functional>
#include <optional>

class AppSettings;

// Decides once per version change whether the notes of the running version are
// to be shown. It remembers the last version whose notes were handled under
// `key` in the given settings: a fresh installation records its version and
// shows nothing, a later launch of another version (newer or older) records it
// and shows that version's notes, a launch of the same version shows nothing.
// The version is recorded before the notes are loaded, so a version without
// notes is not asked about again. Main thread only.
class WhatsNewGate
{
public:
    using NotesLoader = std::function<std::optional<ReleaseNotes>(const QString &version)>;

    explicit WhatsNewGate(AppSettings &defaults, QString key = defaultKey());

    // "whatsNew.lastSeenVersion".
    static QString defaultKey();
    // The key earlier releases kept the last seen version under.
    static QString legacyKey();

    // The stored last handled version; nothing when none or an empty text is
    // stored.
    std::optional<QString> storedVersion() const;

    // Nothing for an empty version, for the stored version, and on the first
    // launch; otherwise what `loadNotes` gives for `currentVersion`.
    std::optional<ReleaseNotes> check(const QString &currentVersion, const NotesLoader &loadNotes);

    // Moves a version stored under `legacyKey` into the gate's key, once: only
    // while the gate's key holds nothing and the legacy value is not empty.
    void migrate(const QString &legacyKey);

    const QString &key() const { return m_key; }

private:
    AppSettings &m_defaults;
    QString m_key;
};
