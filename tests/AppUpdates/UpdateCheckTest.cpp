#include "AppUpdates/AppUpdater.h"
#include "AppUpdates/AppVersion.h"
#include "AppUpdates/CheckForUpdatesView.h"
#include "AppUpdates/UpdateCheckResult.h"
#include "AppUpdates/UpdateFeed.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int order(const char *a, const char *b)
{
    const auto x = AppVersion::parse(QString::fromLatin1(a));
    const auto y = AppVersion::parse(QString::fromLatin1(b));
    EXPECT_TRUE(x && y) << a << " " << b;
    return (x && y) ? AppVersion::compare(*x, *y) : 99;
}

TEST(AppVersion, comparesNumericallyByComponent)
{
    EXPECT_GT(order("1.10", "1.9"), 0);
    EXPECT_LT(order("1.9.9", "1.10"), 0);
    EXPECT_EQ(order("1.0", "1.0.0"), 0);
    EXPECT_EQ(order("v2", "2.0"), 0);
    EXPECT_EQ(order("01.002", "1.2"), 0);
    EXPECT_GT(order("1.0.1", "1"), 0);
    EXPECT_LT(order("0.9", "1"), 0);
    // Components too long for any integer still compare as numbers.
    EXPECT_GT(order("1.123456789012345678901234567890", "1.99999999999999999999"), 0);
    EXPECT_EQ(order("1.00000000000000000000000000000000007", "1.7"), 0);

    for (const char *bad : {"", "1..2", "1.2-beta", " 1.2", "1.", ".1", "one", "1.2.x", "-1"})
        EXPECT_FALSE(AppVersion::parse(QString::fromLatin1(bad))) << bad;
}

TEST(UpdateFeed, parsesVersionPageAndNotes)
{
    QString error;
    const auto feed = UpdateFeed::parse(
        R"({"version": "1.4.0", "url": "https://example.org/triagon/download", "notes": "Faster posters."})", &error);
    ASSERT_TRUE(feed) << qPrintable(error);
    EXPECT_EQ(feed->version.toString(), QStringLiteral("1.4.0"));
    EXPECT_EQ(feed->downloadPage, QUrl(QStringLiteral("https://example.org/triagon/download")));
    EXPECT_EQ(feed->notes, QStringLiteral("Faster posters."));

    const auto bare = UpdateFeed::parse(R"({"version": "2"})");
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->downloadPage.isEmpty());
    EXPECT_TRUE(bare->notes.isEmpty());
}

TEST(UpdateFeed, refusesWhatIsNotAFeed)
{
    for (const char *json : {"", "not json", "[]", R"({"url": "https://example.org"})", R"({"version": 2})", R"({"version": "2.0-rc1"})",
                             R"({"version": "1.4"} trailing)"}) {
        QString error;
        EXPECT_FALSE(UpdateFeed::parse(json, &error)) << json;
        EXPECT_FALSE(error.isEmpty()) << json;
    }
}

// The page is opened in the browser: only web addresses are taken from a feed.
TEST(UpdateFeed, downloadPageMustBeAWebAddress)
{
    for (const char *url :
         {"javascript:alert(1)", "file:///etc/passwd", "ftp://example.org/x", "https://", "not a url", "smb://host/share"}) {
        const QByteArray json = QByteArray(R"({"version": "9", "url": ")") + url + R"("})";
        const auto feed = UpdateFeed::parse(json);
        ASSERT_TRUE(feed) << url;
        EXPECT_TRUE(feed->downloadPage.isEmpty()) << url;
    }
    const auto plain = UpdateFeed::parse(R"({"version": "9", "url": "http://example.org/get"})");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->downloadPage.scheme(), QStringLiteral("http"));
}

TEST(UpdateCheckResult, comparesTheFeedWithTheRunningVersion)
{
    const QByteArray feed = R"({"version": "1.4.0", "url": "https://example.org/d", "notes": "New things"})";
    const UpdateCheckResult newer = UpdateCheckResult::fromFeed(feed, QStringLiteral("1.3.9"));
    EXPECT_EQ(newer.kind, UpdateCheckResult::Kind::updateAvailable);
    EXPECT_EQ(newer.latestVersion, QStringLiteral("1.4.0"));
    EXPECT_EQ(newer.downloadPage, QUrl(QStringLiteral("https://example.org/d")));
    EXPECT_EQ(newer.notes, QStringLiteral("New things"));

    EXPECT_EQ(UpdateCheckResult::fromFeed(feed, QStringLiteral("1.4")).kind, UpdateCheckResult::Kind::upToDate);
    // A build newer than the latest release is not offered a downgrade.
    EXPECT_EQ(UpdateCheckResult::fromFeed(feed, QStringLiteral("1.10")).kind, UpdateCheckResult::Kind::upToDate);

    const UpdateCheckResult broken = UpdateCheckResult::fromFeed("{", QStringLiteral("1.0"));
    EXPECT_EQ(broken.kind, UpdateCheckResult::Kind::failed);
    EXPECT_FALSE(broken.errorMessage.isEmpty());
    EXPECT_EQ(UpdateCheckResult::fromFeed(feed, QStringLiteral("dev")).kind, UpdateCheckResult::Kind::failed);
}

class AppUpdaterTest : public ::testing::Test
{
protected:
    QUrl feedFile(const QByteArray &contents)
    {
        const QString path = dir.filePath(QStringLiteral("feed-%1.json").arg(++count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return QUrl::fromLocalFile(path);
    }

    // Runs one check to its end and returns what the user would be told.
    std::optional<UpdateCheckResult> check(AppUpdater &updater)
    {
        std::optional<UpdateCheckResult> shown;
        int presented = 0;
        updater.setResultPresenter([&](const UpdateCheckResult &r) {
            shown = r;
            ++presented;
        });
        updater.checkForUpdates();
        EXPECT_FALSE(updater.canCheckForUpdates());
        EXPECT_TRUE(QTest::qWaitFor([&] { return presented > 0; }, 30000));
        EXPECT_EQ(presented, 1);
        EXPECT_TRUE(updater.canCheckForUpdates());
        updater.setResultPresenter({});
        return shown;
    }

    QTemporaryDir dir;
    int count = 0;
};

TEST_F(AppUpdaterTest, withoutAFeedNoCheckIsOffered)
{
    AppUpdater updater(true, QUrl(), QStringLiteral("1.0.0"));
    EXPECT_FALSE(updater.canCheckForUpdates());
    QSignalSpy finished(&updater, &AppUpdater::checkFinished);
    updater.checkForUpdates();
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 0);

    // Addresses that cannot serve a feed count as none.
    EXPECT_FALSE(AppUpdater(true, QUrl(QStringLiteral("ftp://example.org/feed")), QStringLiteral("1")).canCheckForUpdates());
    EXPECT_FALSE(AppUpdater(true, QUrl(QStringLiteral("https://")), QStringLiteral("1")).canCheckForUpdates());

    // The build's own setting: empty unless the build was given a feed.
    AppUpdater builtIn(true);
    EXPECT_EQ(builtIn.canCheckForUpdates(), !AppUpdater::builtInFeedUrl().isEmpty());
    EXPECT_EQ(builtIn.currentVersion(), AppUpdater::builtInVersion());
    EXPECT_TRUE(AppVersion::parse(AppUpdater::builtInVersion()));
}

TEST_F(AppUpdaterTest, checksOnlyOnceStarted)
{
    AppUpdater updater(false, feedFile(R"({"version": "1.0.0"})"), QStringLiteral("1.0.0"));
    QSignalSpy changed(&updater, &AppUpdater::canCheckForUpdatesChanged);
    EXPECT_FALSE(updater.canCheckForUpdates());
    updater.startUpdater();
    EXPECT_TRUE(updater.canCheckForUpdates());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().first().toBool(), true);
}

TEST_F(AppUpdaterTest, reportsUpToDateNewVersionAndFailures)
{
    {
        AppUpdater updater(true, feedFile(R"({"version": "1.0"})"), QStringLiteral("1.0.0"));
        const auto result = check(updater);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, UpdateCheckResult::Kind::upToDate);
    }
    {
        AppUpdater updater(true, feedFile(R"({"version": "1.2.0", "url": "https://example.org/d", "notes": "x"})"),
                           QStringLiteral("1.0.0"));
        QSignalSpy finished(&updater, &AppUpdater::checkFinished);
        const auto result = check(updater);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, UpdateCheckResult::Kind::updateAvailable);
        EXPECT_EQ(result->latestVersion, QStringLiteral("1.2.0"));
        EXPECT_EQ(finished.count(), 1);
    }
    {
        AppUpdater updater(true, QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.json"))), QStringLiteral("1.0.0"));
        const auto result = check(updater);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, UpdateCheckResult::Kind::failed);
        EXPECT_FALSE(result->errorMessage.isEmpty());
    }
    {
        AppUpdater updater(true, feedFile(QByteArray(2 * 1024 * 1024, ' ') + R"({"version": "9"})"), QStringLiteral("1.0.0"));
        const auto result = check(updater);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, UpdateCheckResult::Kind::failed);
        EXPECT_EQ(result->errorMessage, QStringLiteral("The update information is larger than expected."));
    }
}

TEST_F(AppUpdaterTest, menuCommandFollowsTheUpdaterAndChecksOncePerChoice)
{
    AppUpdater updater(false, feedFile(R"({"version": "1.0.0"})"), QStringLiteral("1.0.0"));
    int presented = 0;
    updater.setResultPresenter([&](const UpdateCheckResult &) { ++presented; });
    CheckForUpdatesView view(&updater);
    QAction *action = view.action();
    EXPECT_EQ(action->text(), QStringLiteral("Check for Updates\u2026"));
    EXPECT_FALSE(action->isEnabled());

    updater.startUpdater();
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    // Disabled while the check runs; a second choice meanwhile does nothing.
    EXPECT_FALSE(action->isEnabled());
    action->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return presented > 0; }, 30000));
    QTest::qWait(50);
    EXPECT_EQ(presented, 1);
    EXPECT_TRUE(action->isEnabled());
}

// The feed's notes are shown as text: markup in them must not be rendered.
TEST(AppUpdaterPresentation, notesAreEscapedAndThePageOffered)
{
    UpdateCheckResult result;
    result.kind = UpdateCheckResult::Kind::updateAvailable;
    result.currentVersion = QStringLiteral("1.0.0");
    result.latestVersion = QStringLiteral("1.1.0");
    result.downloadPage = QUrl(QStringLiteral("https://example.org/d"));
    result.notes = QStringLiteral("<img src=x> & more");
    AppUpdater::showResult(result);

    QMessageBox *box = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *candidate = qobject_cast<QMessageBox *>(widget); candidate && candidate->isVisible())
            box = candidate;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("A new version of Triagon is available."));
    EXPECT_TRUE(box->informativeText().contains(QStringLiteral("&lt;img src=x&gt; &amp; more")));
    EXPECT_TRUE(box->informativeText().contains(QStringLiteral("Triagon 1.1.0 is available; you have 1.0.0.")));
    // Shown as formatted text, so that the escaping (not raw tags) is what shows.
    const auto *informative = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(informative, nullptr);
    EXPECT_NE(informative->textFormat(), Qt::PlainText);
    EXPECT_TRUE(Qt::mightBeRichText(informative->text()));
    bool offersPage = false;
    for (QAbstractButton *button : box->buttons())
        offersPage |= button->text() == QStringLiteral("Open Download Page");
    EXPECT_TRUE(offersPage);
    box->close();
}

} // namespace
