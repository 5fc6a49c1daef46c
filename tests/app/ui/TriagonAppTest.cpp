#include "AppTestSupport.h"

#include "app/AppSettings.h"
#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "window/WindowSheets.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// Starts the application and waits until the launch restore has finished.
bool startAndWait(TriagonApp &app, bool *restored = nullptr)
{
    QSignalSpy spy(&app, &TriagonApp::launchFinished);
    app.start();
    if (!app.isLaunchFinished() && !spy.wait(30000))
        return false;
    if (restored)
        *restored = app.launchRestored();
    return true;
}

QJsonObject sessionJson()
{
    return QJsonDocument::fromJson(sessionFileBytes()).object();
}

} // namespace

TEST(TriagonApp, RestoresAPlantedSessionAndKeepsItsOwnChoices)
{
    QTemporaryDir footage;
    const QList<Clip> clips{plantedClip(footage.filePath(QStringLiteral("A001.mov")), 4, {QStringLiteral("Dunk")}),
                            plantedClip(footage.filePath(QStringLiteral("A002.mov")))};
    ASSERT_TRUE(plantSession(clips, {QStringLiteral("Dunk"), QStringLiteral("Bench")}, QStringLiteral("By Rating"), 9));
    // Defaults that must not be applied to a restored session.
    ASSERT_TRUE(writeSettingsFile("[General]\ndefaultGridColumns=2\ndefaultFolderOrganization=By Tag\nhasCustomTags=true\n"
                                  "customDefaultTags=\"[\\\"X\\\"]\"\n"));

    TriagonApp app;
    bool restored = false;
    ASSERT_TRUE(startAndWait(app, &restored));
    EXPECT_TRUE(restored);
    ClipStore &store = app.store();
    ASSERT_EQ(store.clips().size(), 2);
    EXPECT_EQ(store.clips()[0].id, clips[0].id);
    EXPECT_EQ(store.clips()[0].rating, 4);
    // The files are not there: both come back offline, decisions kept.
    EXPECT_TRUE(store.clips()[0].isMissing);
    EXPECT_EQ(store.gridColumns(), 9);
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Bench")}));

    // The window shows the restored clips.
    ContentView *view = app.mainWindow()->contentView();
    EXPECT_TRUE(view->toolbarRow()->isVisible());
    EXPECT_TRUE(view->sidebar()->isVisible());
}

TEST(TriagonApp, ASessionWithoutClipsCountsAsRestored)
{
    ASSERT_TRUE(plantSession({}, {QStringLiteral("Only")}, QStringLiteral("By Tag"), 2));
    ASSERT_TRUE(writeSettingsFile("[General]\ndefaultGridColumns=5\ndefaultFolderOrganization=By Rating\n"));
    TriagonApp app;
    bool restored = false;
    ASSERT_TRUE(startAndWait(app, &restored));
    EXPECT_TRUE(restored);
    EXPECT_EQ(app.store().gridColumns(), 2);
    EXPECT_EQ(app.store().folderOrganization(), FolderOrganization::byTag);
    EXPECT_EQ(app.store().availableTags(), QStringList{QStringLiteral("Only")});
}

TEST(TriagonApp, FirstLaunchAppliesTheDefaultsWithColumnsClampedAndCustomTags)
{
    ASSERT_TRUE(writeSettingsFile("[General]\ndefaultGridColumns=7\ndefaultFolderOrganization=By Rating\nhasCustomTags=true\n"
                                  "customDefaultTags=\"[\\\"Goal\\\",\\\"Save\\\"]\"\n"));
    TriagonApp app;
    bool restored = true;
    ASSERT_TRUE(startAndWait(app, &restored));
    EXPECT_FALSE(restored);
    EXPECT_EQ(app.store().gridColumns(), 5);
    EXPECT_EQ(app.store().folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(app.store().availableTags(), (QStringList{QStringLiteral("Goal"), QStringLiteral("Save")}));
    // Nothing is saved by the defaults themselves.
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
}

TEST(TriagonApp, FirstLaunchWithoutCustomTagsKeepsTheBuiltInCatalog)
{
    // Custom tags are stored but switched off; a column count of 0 becomes 1,
    // an unknown organization text means by tag.
    ASSERT_TRUE(writeSettingsFile("[General]\ndefaultGridColumns=0\ndefaultFolderOrganization=by rating\nhasCustomTags=false\n"
                                  "customDefaultTags=\"[\\\"Goal\\\"]\"\n"));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    EXPECT_FALSE(app.launchRestored());
    EXPECT_EQ(app.store().gridColumns(), 1);
    EXPECT_EQ(app.store().folderOrganization(), FolderOrganization::byTag);
    EXPECT_EQ(app.store().availableTags(), ClipStore::builtInTags());
}

TEST(TriagonApp, OneMainWindowOfTheDefaultSize)
{
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    int mainWindows = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<MainWindow *>(w))
            ++mainWindows;
    }
    EXPECT_EQ(mainWindows, 1);
    MainWindow *window = app.mainWindow();
    EXPECT_EQ(window->size(), QSize(1200, 800));
    EXPECT_GE(window->minimumSize().width(), 800);
    EXPECT_GE(window->minimumSize().height(), 600);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Triagon"));
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    // The settings window is made on request, so its command is on.
    EXPECT_TRUE(window->commands()->settingsAction()->isEnabled());
}

TEST(TriagonApp, QuittingSavesTheSessionOnceAndCancelsTheWaitingSave)
{
    QTemporaryDir footage;
    const Clip clip = plantedClip(footage.filePath(QStringLiteral("B001.mov")));
    ASSERT_TRUE(plantSession({clip}, {QStringLiteral("Dunk")}, QStringLiteral("By Tag"), 3));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    QSignalSpy saves(&app.store(), &ClipStore::sessionSaved);
    app.store().setRating(3, clip.id); // schedules a save 0.5 s later
    ASSERT_TRUE(app.store().isSessionSaveScheduled());

    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    runApplicationUntilQuit();
    EXPECT_EQ(saves.count(), 1);
    EXPECT_FALSE(app.store().isSessionSaveScheduled());
    QTest::qWait(700);
    EXPECT_EQ(saves.count(), 1);
    const QJsonArray saved = sessionJson().value(QStringLiteral("clips")).toArray();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].toObject().value(QStringLiteral("rating")).toInt(), 3);
}

TEST(TriagonApp, QuittingBeforeTheRestoreFinishedLeavesTheSessionFileAlone)
{
    QTemporaryDir footage;
    ASSERT_TRUE(plantSession({plantedClip(footage.filePath(QStringLiteral("C001.mov")), 5)}, {QStringLiteral("Dunk")},
                             QStringLiteral("By Tag"), 3));
    const QByteArray before = sessionFileBytes();
    ASSERT_FALSE(before.isEmpty());

    TriagonApp app;
    // The quit is already waiting when the window comes up: it runs before the
    // restore has delivered anything.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    app.start();
    runApplicationUntilQuit();
    EXPECT_FALSE(app.isLaunchFinished());
    EXPECT_TRUE(app.store().clips().isEmpty());
    EXPECT_EQ(sessionFileBytes(), before);

    // Nor does an edit made meanwhile write the empty store over it.
    app.store().setAvailableTags({QStringLiteral("Changed")});
    app.store().scheduleSessionSave();
    QTest::qWait(700);
    if (!app.isLaunchFinished()) {
        EXPECT_EQ(sessionFileBytes(), before);
    }
}

TEST(TriagonApp, SigtermEndsTheApplicationTheNormalWayAndSaves)
{
    QTemporaryDir footage;
    const Clip clip = plantedClip(footage.filePath(QStringLiteral("D001.mov")));
    ASSERT_TRUE(plantSession({clip}, {}, QStringLiteral("By Tag"), 3));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    app.store().setRating(2, clip.id);
    QTimer::singleShot(20, [] { ::raise(SIGTERM); });
    // Safety net: the test must not hang if the signal were lost.
    QTimer safetyNet;
    safetyNet.setSingleShot(true);
    bool lost = false;
    QObject::connect(&safetyNet, &QTimer::timeout, qApp, [&lost] {
        lost = true;
        QCoreApplication::quit();
    });
    safetyNet.start(60000);
    runApplicationUntilQuit();
    EXPECT_FALSE(lost) << "the signal did not end the application";
    const QJsonArray saved = sessionJson().value(QStringLiteral("clips")).toArray();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].toObject().value(QStringLiteral("rating")).toInt(), 2);
}

TEST(TriagonApp, AppearanceFollowsTheSetting)
{
    TriagonApp app;
    const QString desktopStyle = QApplication::style()->name();
    const QColor desktopWindow = QApplication::palette().color(QPalette::Window);
    app.settings().setAppearanceModeRaw(QStringLiteral("Dark"));
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightnessF(), 0.5);
    app.settings().setAppearanceModeRaw(QStringLiteral("Light"));
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightnessF(), 0.5);
    // "dark" in lower case names no choice: the desktop's own look.
    app.settings().setAppearanceModeRaw(QStringLiteral("dark"));
    EXPECT_EQ(QApplication::style()->name().toLower(), desktopStyle.toLower());
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), desktopWindow);
}

// The main window's place and size outlive the run. The test screen may be
// small: the area used is the screen's whole available area, which any
// window of the minimum size fits.
TEST(TriagonApp, QuittingKeepsTheMainWindowsPlaceAndSize)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(screen.width(), 800);
    ASSERT_GE(screen.height(), 600);
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    app.mainWindow()->resize(screen.size());
    app.mainWindow()->move(screen.topLeft());
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    runApplicationUntilQuit();
    QSettings stored;
    EXPECT_EQ(stored.value(QStringLiteral("mainWindowFrame")).toString(),
              QStringLiteral("%1 %2 %3 %4").arg(screen.x()).arg(screen.y()).arg(screen.width()).arg(screen.height()));
}

TEST(TriagonApp, TheMainWindowComesBackWhereItWas)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_TRUE(writeSettingsFile(QStringLiteral("[General]\nmainWindowFrame=%1 %2 %3 %4\n")
                                      .arg(screen.x())
                                      .arg(screen.y())
                                      .arg(screen.width())
                                      .arg(screen.height())
                                      .toUtf8()));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    EXPECT_EQ(app.mainWindow()->frameGeometry().topLeft(), screen.topLeft());
    EXPECT_EQ(app.mainWindow()->size(), screen.size());
}

TEST(TriagonApp, AStoredPlaceThatFitsNoScreenGivesTheDefaultSize)
{
    ASSERT_TRUE(writeSettingsFile("[General]\nmainWindowFrame=40000 40000 1000 700\n"));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    EXPECT_EQ(app.mainWindow()->size(), QSize(1200, 800));
}

TEST(TriagonApp, WhatALaunchNamedButDidNotOpenIsNamedInOneAlertOnceTheSessionIsBack)
{
    QStringList paths;
    for (const char *name : {"A.ts", "B.lrv", "C.f4v", "D.m2ts", "E.ts", "F.ts", "G.ts"})
        paths.append(QStringLiteral("/gone/") + QString::fromLatin1(name));
    TriagonApp app;
    // Given with the first launch, before the window is up.
    app.importPaths({}, {paths[0]});
    ASSERT_TRUE(startAndWait(app));
    WindowSheets *sheets = app.mainWindow()->contentView()->sheets();
    QPointer<QMessageBox> alert = sheets->notOpenedAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("1 item was not opened: A.ts"));
    EXPECT_EQ(alert->informativeText(), QStringLiteral("Triagon opens folders and video files ending in .avi, .m4v, .mkv, .mov, .mp4, "
                                                       ".mts or .webm. Not found: A.ts."));
    // A later launch's items join it; a name given twice counts once.
    app.takeOverLaunch({}, {}, paths);
    EXPECT_EQ(sheets->notOpenedAlert(), alert.data());
    EXPECT_EQ(alert->text(), QStringLiteral("7 items were not opened: A.ts, B.lrv, C.f4v, D.m2ts, E.ts and 2 more"));
}
