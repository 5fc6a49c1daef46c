#pragma once

#include "AppUpdates/UpdateCheckResult.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// The application's updater: one per process, created when the application
// starts and kept until it quits. A check, asked for by the user, downloads a
// small JSON feed (see UpdateFeed), compares its version with the running one
// and tells the user the result: up to date, a new version with a link to its
// download page, or why the check failed. Nothing is downloaded or installed
// beyond the feed, and nothing is checked without being asked.
//
// The feed's address is set when the application is built (the CMake cache
// variable TRIAGON_UPDATE_FEED_URL); without one the updater never offers a
// check.
class AppUpdater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    using ResultPresenter = std::function<void(const UpdateCheckResult &)>;

    // Over the feed and version the application was built with; started at
    // once when `startingUpdater` is true.
    explicit AppUpdater(bool startingUpdater, QObject *parent = nullptr);
    // Over a given feed address and running version.
    AppUpdater(bool startingUpdater, const QUrl &feedUrl, const QString &currentVersion, QObject *parent = nullptr);
    ~AppUpdater() override;

    // Makes the updater able to check (once); nothing happens without a feed.
    void startUpdater();

    // True while a check asked for now would start: the updater is started, has
    // a usable feed address, and no check is running.
    bool canCheckForUpdates() const { return m_canCheckForUpdates; }

    // Starts a check unless canCheckForUpdates is false. The result goes to
    // checkFinished and to the presenter.
    void checkForUpdates();

    QUrl feedUrl() const { return m_feedUrl; }
    QString currentVersion() const { return m_currentVersion; }

    // Replaces the default presentation (an alert over the active window)
    // of every result; an empty function shows nothing.
    void setResultPresenter(ResultPresenter presenter);

    // The default presentation of a result.
    static void showResult(const UpdateCheckResult &result);

    // The feed address as built in, when it is usable: http, https or a local
    // file. Nothing when none was set or it cannot be used.
    static QUrl builtInFeedUrl();
    static QString builtInVersion();

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const UpdateCheckResult &result);

private:
    void finishCheck(QNetworkReply *reply);
    void updateCanCheck();

    QUrl m_feedUrl;
    QString m_currentVersion;
    bool m_started = false;
    bool m_canCheckForUpdates = false;
    bool m_replyTooLarge = false;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    ResultPresenter m_presenter;
};
