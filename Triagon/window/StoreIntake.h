#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class ClipStore;
class ImportPanel;

// The one place where the window and the application hand footage and whole
// sessions to the clip store: imports of dropped or chosen items, the open
// panel, the launch restore, a new session and the availability check.
// importRequested is emitted for every import handed on, in order, so that
// observers (the tests, a status line) see exactly what reached the store.
class StoreIntake : public QObject
{
    Q_OBJECT
public:
    explicit StoreIntake(ClipStore &store, QObject *parent = nullptr);

    ClipStore &store() const { return m_store; }

    // A dropped or chosen folder: becomes the source folder, then is imported
    // as a whole.
    void importFolder(const QUrl &folder);
    // One dropped or chosen video file (the caller has checked its extension).
    void importFile(const QUrl &file);
    // Shows the open panel and imports what the user chooses, each item on its
    // own (folders as folders, files with a video extension, others skipped).
    void showImportPanel(ImportPanel &panel);
    // Makes `panel` the open panel of the store's own "Add Clips" command.
    void setImportPanel(ImportPanel *panel);

    // Reads the session file in the background and applies it to the store;
    // `done` runs on the main thread with true when a session was restored
    // (also one without clips). `markerTagName` names the tag of a stack of
    // hands, for older sessions whose special takes are turned into tags.
    void restoreSessionAtLaunch(std::function<QString(qint64)> markerTagName, std::function<void(bool)> done);
    // Discards the session and starts an empty one with this tag catalog.
    void startNewSession(const QStringList &tags);
    // Checks again which clip files exist and marks the others offline.
    void refreshAvailability();

    // The texts of the open panel.
    static QString openPanelMessage() { return QStringLiteral("Select folders or video files to add"); }
    static QString openPanelPrompt() { return QStringLiteral("Add"); }

Q_SIGNALS:
    void importRequested(const std::optional<QUrl> &folder, const QList<QUrl> &files);

private:
    void addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files);
    void runImportPanel(ImportPanel &panel);

    ClipStore &m_store;
    ImportPanel *m_panel = nullptr;
};
