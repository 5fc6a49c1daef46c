#include "WindowTestSupport.h"
#include "support/TestMedia.h"

#include "app/AppSettings.h"
#include "app/AppearanceMode.h"
#include "grid/ClipGridView.h"
#include "library/ClipStore.h"
#include "support/StoreWithEngines.h"
#include "window/ImportPanel.h"
#include "library/SessionJsonWriter.h"
#include "settings/TourManager.h"
#include "window/AppNotifier.h"
#include "window/ChooseFootageButton.h"
#include "window/ContentView.h"
#include "window/DropZoneCard.h"
#include "window/EmptyStateView.h"
#include "window/GridAreaView.h"
#include "window/LogoView.h"
#include "window/OfflineStatusBar.h"
#include "window/SelectionBar.h"
#include "window/StoreIntake.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Records what the window asks of its open panel and answers with a fixed choice.
class RecordingPanel : public ImportPanel
{
public:
    std::optional<QList<QUrl>> run(const QString &message, const QString &prompt) override
    {
        ++runs;
        lastMessage = message;
        lastPrompt = prompt;
        return answer;
    }
    int runs = 0;
    QString lastMessage;
    QString lastPrompt;
    std::optional<QList<QUrl>> answer;
};

// A real drag carrying file URLs, entered and dropped over the window's centre.
void dropUrls(QWidget &target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = target.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

struct ImportCall
{
    std::optional<QUrl> folder;
    QList<QUrl> files;
};

QList<ImportCall> calls(const QSignalSpy &spy)
{
    QList<ImportCall> result;
    for (const QList<QVariant> &args : spy)
        result.append({args.at(0).value<std::optional<QUrl>>(), args.at(1).value<QList<QUrl>>()});
    return result;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QUrl>)

TEST(ContentView, EmptySessionShowsOnlyTheEmptyStateWithItsTextsAndButton)
{
    TestWindow w;
    EXPECT_FALSE(w.view->toolbarRow()->isVisible());
    EXPECT_FALSE(w.view->sidebar()->isVisible());
    EmptyStateView *empty = w.area().emptyState();
    ASSERT_TRUE(empty->isVisible());
    EXPECT_EQ(w.area().grid(), nullptr);
    EXPECT_FALSE(w.area().progressBar()->isVisible());
    EXPECT_EQ(empty->chooseFootageButton()->text(), QStringLiteral("Choose Footage"));
    EXPECT_EQ(empty->separatorLabel()->text(), QStringLiteral("or drag & drop"));
    EXPECT_EQ(empty->dropZoneCard()->text(), QStringLiteral("Drop folders or video files here"));
    EXPECT_EQ(empty->palette().color(QPalette::Window), w.view->palette().color(QPalette::Window));

    // "Choose Footage" opens the open panel with its message and prompt.
    RecordingPanel panel;
    w.view->setImportPanel(&panel);
    QTest::mouseClick(empty->chooseFootageButton(), Qt::LeftButton, {}, empty->chooseFootageButton()->rect().center());
    EXPECT_EQ(panel.runs, 1);
    EXPECT_EQ(panel.lastMessage, QStringLiteral("Select folders or video files to add"));
    EXPECT_EQ(panel.lastPrompt, QStringLiteral("Add"));
    // Cancelled: nothing changed.
    EXPECT_TRUE(w.store.clips().isEmpty());
    EXPECT_TRUE(empty->isVisible());
}

TEST(ContentView, ADragOverTheWindowHighlightsTheEmptyState)
{
    TestWindow w;
    EmptyStateView *empty = w.area().emptyState();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.mov"))});
    const QPoint at(30, 30);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.view.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(w.view->isDragTargeted());
    EXPECT_TRUE(empty->dropZoneCard()->isTargeted());
    EXPECT_DOUBLE_EQ(empty->logo()->targetScale(), 1.15);
    QDragLeaveEvent leave;
    QApplication::sendEvent(w.view.get(), &leave);
    EXPECT_FALSE(w.view->isDragTargeted());
    EXPECT_FALSE(empty->dropZoneCard()->isTargeted());
    EXPECT_DOUBLE_EQ(empty->logo()->targetScale(), 1.0);

    // Text that is not a file URL is not offered to the window at all.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent textEnter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.view.get(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    EXPECT_FALSE(w.view->isDragTargeted());
}

TEST(ContentView, DroppedFoldersAndVideoFilesEachReachTheImportOthersAreIgnored)
{
    qRegisterMetaType<std::optional<QUrl>>();
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Day1.mov")); // a folder named like a video
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList names{QStringLiteral("A001.MOV"), QStringLiteral("a001.Mts"), QStringLiteral("clip.mpeg"),
                            QStringLiteral("notes.txt"), QStringLiteral("README")};
    for (const QString &name : names)
        ASSERT_TRUE(touchFile(root.filePath(name)));
    // Deleted a moment before the drop: still handed on for its extension.
    const QString gone = root.filePath(QStringLiteral("gone.mp4"));

    TestWindow w;
    QSignalSpy spy(&w.view->intake(), &StoreIntake::importRequested);
    QList<QUrl> urls;
    for (const QString &name : names)
        urls.append(QUrl::fromLocalFile(root.filePath(name)));
    urls.insert(1, QUrl::fromLocalFile(folder));
    urls.append(QUrl::fromLocalFile(gone));
    urls.append(QUrl(QStringLiteral("https://example.com/remote.mov")));
    dropUrls(*w.view, urls);

    // Each item goes through the event loop once before it is imported.
    EXPECT_EQ(spy.count(), 0);
    QCoreApplication::processEvents();
    const QList<ImportCall> got = calls(spy);
    ASSERT_EQ(got.size(), 4);
    EXPECT_FALSE(got[0].folder.has_value());
    EXPECT_EQ(got[0].files, QList<QUrl>{QUrl::fromLocalFile(root.filePath(QStringLiteral("A001.MOV")))});
    ASSERT_TRUE(got[1].folder.has_value());
    EXPECT_EQ(*got[1].folder, QUrl::fromLocalFile(folder));
    EXPECT_TRUE(got[1].files.isEmpty());
    EXPECT_EQ(got[2].files, QList<QUrl>{QUrl::fromLocalFile(root.filePath(QStringLiteral("a001.Mts")))});
    EXPECT_EQ(got[3].files, QList<QUrl>{QUrl::fromLocalFile(gone)});
    ASSERT_TRUE(w.store.sourceFolderURL().has_value());
    EXPECT_EQ(*w.store.sourceFolderURL(), QUrl::fromLocalFile(folder));
    EXPECT_FALSE(w.view->isDragTargeted());
}

TEST(ContentView, ADropWhoseItemsAllFailLeavesTheEmptyState)
{
    qRegisterMetaType<std::optional<QUrl>>();
    QTemporaryDir root;
    ASSERT_TRUE(touchFile(root.filePath(QStringLiteral("notes.txt"))));
    TestWindow w;
    QSignalSpy spy(&w.view->intake(), &StoreIntake::importRequested);
    dropUrls(*w.view, {QUrl::fromLocalFile(root.filePath(QStringLiteral("notes.txt")))});
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(w.area().emptyState()->isVisible());
    EXPECT_FALSE(w.store.sourceFolderURL().has_value());
}

TEST(ContentView, LoadingShowsTheToolbarGridAndProgressTheSidebarWaitsForClips)
{
    TestWindow w;
    w.store.setLoading(true);
    w.store.setLoadingProgress(0.25);
    EXPECT_TRUE(w.view->toolbarRow()->isVisible());
    EXPECT_FALSE(w.view->sidebar()->isVisible());
    EXPECT_FALSE(w.area().emptyState()->isVisible());
    ASSERT_NE(w.area().grid(), nullptr);
    QProgressBar *progress = w.area().progressBar();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->accessibleName(), QStringLiteral("Loading clips"));
    EXPECT_DOUBLE_EQ(double(progress->value()) / progress->maximum(), 0.25);

    w.store.setClips({makeClip(QStringLiteral("/footage/A001.mov"))});
    EXPECT_TRUE(w.view->sidebar()->isVisible());
    EXPECT_EQ(w.view->sidebar()->width(), ContentView::sidebarWidth);
    w.store.setLoading(false);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(w.view->toolbarRow()->isVisible());

    // Hiding the sidebar keeps the toolbar row.
    w.view->setSidebarVisible(false);
    EXPECT_FALSE(w.view->sidebar()->isVisible());
    EXPECT_TRUE(w.view->toolbarRow()->isVisible());
    w.view->setSidebarVisible(true);
    EXPECT_TRUE(w.view->sidebar()->isVisible());

    // The last clip gone and nothing loading: the empty state returns, with a
    // new grid next time.
    w.store.setClips({});
    EXPECT_TRUE(w.area().emptyState()->isVisible());
    EXPECT_EQ(w.area().grid(), nullptr);
    EXPECT_FALSE(w.view->toolbarRow()->isVisible());
}

TEST(ContentView, StatusBarCountsOfflineFiles)
{
    TestWindow w;
    OfflineStatusBar *bar = w.area().statusBar();
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"), true), makeClip(QStringLiteral("/f/b.mov"))});
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(w.area().statusDivider()->isVisible());
    EXPECT_EQ(bar->text(), QStringLiteral("1 file offline \u00B7 Review saved"));
    EXPECT_EQ(bar->locateButton()->text(), QStringLiteral("Locate Files\u2026"));

    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"), true), makeClip(QStringLiteral("/f/b.mov"), true),
                      makeClip(QStringLiteral("/f/c.mov"), true)});
    EXPECT_EQ(bar->text(), QStringLiteral("3 files offline \u00B7 Review saved"));

    QTest::mouseClick(bar->locateButton(), Qt::LeftButton);
    EXPECT_TRUE(w.view->showMissingMedia());

    w.store.setClips({makeClip(QStringLiteral("/f/b.mov"))});
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(w.area().statusDivider()->isVisible());
}

TEST(ContentView, SelectionBarCountsSelectedAndHiddenClipsAndClears)
{
    TestWindow w;
    QList<Clip> clips;
    for (int i = 0; i < 4; ++i)
        clips.append(makeClip(QStringLiteral("/f/c%1.mov").arg(i), false, i < 2 ? 5 : 0));
    clips[0].isMissing = true;
    w.store.setClips(clips);
    SelectionBar *bar = w.area().selectionBar();
    EXPECT_FALSE(bar->isVisible());

    QSet<QUuid> all;
    for (const Clip &clip : clips)
        all.insert(clip.id);
    w.store.setSelectedClipIDs(all);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->text(), QStringLiteral("4 selected"));

    // Show only five-star clips: two of the four selected are hidden.
    w.store.setFilterRating(5);
    EXPECT_EQ(bar->text(), QStringLiteral("4 selected \u00B7 2 hidden by filters"));

    // Both bars together, the offline status first.
    ASSERT_TRUE(w.area().statusBar()->isVisible());
    EXPECT_LT(w.area().statusBar()->geometry().top(), bar->geometry().top());

    QTest::mouseClick(bar->clearButton(), Qt::LeftButton);
    EXPECT_TRUE(w.store.selectedClipIDs().isEmpty());
    EXPECT_FALSE(bar->isVisible());
}

TEST(ContentView, SaveFailureAlertShowsTheErrorAndDismissingClearsIt)
{
    TestWindow w;
    w.store.setSavingEnabled(true);
    // A folder where the session file should be: every save fails.
    ASSERT_TRUE(QDir().mkpath(ClipStore::sessionFilePath()));
    w.store.saveSessionImmediately();
    ASSERT_TRUE(w.store.sessionSaveError().has_value());
    const QString error = *w.store.sessionSaveError();

    QMessageBox *alert = w.view->saveFailureAlert();
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alert->isVisible(); }, 30000));
    EXPECT_EQ(alert->text(), QStringLiteral("Session Could Not Be Saved"));
    EXPECT_EQ(alert->informativeText(),
              QStringLiteral("Your ratings and tags could not be written to disk, so recent triage work may be lost if you quit. ")
                  + error);
    ASSERT_EQ(alert->buttons().size(), 1);
    QAbstractButton *ok = alert->buttons().first();
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(w.store.sessionSaveError().has_value());
    EXPECT_EQ(w.view->saveFailureAlert(), nullptr);

    // The next failure is reported again.
    w.store.saveSessionImmediately();
    ASSERT_NE(w.view->saveFailureAlert(), nullptr);
    QDir().rmdir(ClipStore::sessionFilePath());
}

TEST(ContentView, ASessionFileThatCannotBeReadIsReportedWithWhereItWasKept)
{
    // Ten thousand clips, one of whose URLs holds a raw line break.
    ClipStore::SessionData data;
    for (int i = 0; i < 10000; ++i)
        data.clips.append(makeClip(QStringLiteral("/footage/C%1.MOV").arg(i, 5, 10, QLatin1Char('0'))));
    data.folderOrganization = QStringLiteral("By Tag");
    data.gridColumns = 3;
    data.savedAt = QDateTime::currentDateTimeUtc();
    QByteArray bytes = SessionJsonWriter::encode(data);
    const qsizetype bad = bytes.indexOf("C05000.MOV");
    ASSERT_GT(bad, 0);
    bytes.insert(bad, '\n');
    {
        QDir().mkpath(QFileInfo(ClipStore::sessionFilePath()).absolutePath());
        QFile file(ClipStore::sessionFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TestWindow w;
    std::optional<bool> restored;
    w.store.restoreSessionAtLaunch({}, [&](bool r) { restored = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return restored.has_value(); }, 30000));
    EXPECT_FALSE(*restored);
    EXPECT_TRUE(w.store.clips().isEmpty());
    const QStringList kept = ClipStore::unreadableSessionFilePaths();
    ASSERT_EQ(kept.size(), 1);
    QFile keptFile(kept[0]);
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), bytes);

    QMessageBox *alert = w.view->restoreFailureAlert();
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alert->isVisible(); }, 30000));
    EXPECT_EQ(alert->text(), QStringLiteral("Session Could Not Be Restored"));
    EXPECT_TRUE(alert->informativeText().startsWith(
        QStringLiteral(
            "The saved session could not be read, so Triagon started with an empty session. The unreadable file was kept as \u201C")
        + kept[0] + QStringLiteral("\u201D. (")))
        << alert->informativeText().toStdString();
    ASSERT_EQ(alert->buttons().size(), 1);
    QTest::mouseClick(alert->buttons().first(), Qt::LeftButton);
    EXPECT_FALSE(w.store.sessionRestoreError().has_value());
    EXPECT_EQ(w.view->restoreFailureAlert(), nullptr);
    QFile::remove(kept[0]);

    // A file that could not be moved aside, and an empty one, which is not kept.
    EXPECT_EQ(ContentView::restoreFailureMessage({QStringLiteral("Permission denied"), ClipStore::sessionFilePath()}),
              QStringLiteral(
                  "The saved session could not be read, so Triagon started with an empty session. The unreadable file is still at \u201C")
                  + ClipStore::sessionFilePath() + QStringLiteral("\u201D. (Permission denied)"));
    EXPECT_EQ(ContentView::restoreFailureMessage({QStringLiteral("illegal value"), QString()}),
              QStringLiteral("The saved session file was empty, so Triagon started with an empty session."));
}

TEST(ContentView, AnswersTheShowShortcutsNotification)
{
    TestWindow w;
    EXPECT_FALSE(w.view->showKeyboardShortcuts());
    AppNotifier::instance().postShowKeyboardShortcuts();
    EXPECT_TRUE(w.view->showKeyboardShortcuts());

    const auto &sections = ContentView::keyboardShortcutSections();
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(sections[0].title, QStringLiteral("Grid"));
    EXPECT_EQ(sections[0].shortcuts.size(), 9);
    EXPECT_EQ(sections[1].shortcuts.size(), 12);
    EXPECT_EQ(sections[2].shortcuts.size(), 3);
    EXPECT_EQ(sections[1].shortcuts[8].first, QStringLiteral("\u2190 \u2192"));
    EXPECT_EQ(sections[2].shortcuts[2], (QPair<QString, QString>(QStringLiteral("Ctrl+?"), QStringLiteral("Take a Tour"))));
}

TEST(ContentView, TheFirstTourStartsHalfASecondAfterTheFirstClipsOnce)
{
    TestWindow w(TestWindow::Tours::pending);
    QSignalSpy spy(&w.tours, &TourManager::activeTourChanged);
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    EXPECT_TRUE(w.view->didCheckTour());
    EXPECT_FALSE(w.tours.activeTour().has_value());
    ASSERT_TRUE(spy.wait(30000));
    ASSERT_TRUE(w.tours.activeTour().has_value());
    EXPECT_EQ(w.tours.activeTour()->id, TourManager::onboardingTourID());

    // Removing and re-adding clips in the same window does not start it again.
    w.tours.setActiveTour(std::nullopt);
    spy.clear();
    w.store.setClips({});
    w.store.setClips({makeClip(QStringLiteral("/f/b.mov"))});
    EXPECT_FALSE(spy.wait(800));
    EXPECT_FALSE(w.tours.activeTour().has_value());
}

TEST(ContentView, AccentFollowsTheThemeSetting)
{
    TestWindow w;
    w.settings.setThemeColorRaw(QStringLiteral("Teal"));
    EXPECT_EQ(w.view->palette().color(QPalette::Highlight), w.settings.accentColor());
    w.settings.setThemeColorRaw(QStringLiteral("not a colour"));
    EXPECT_EQ(w.view->palette().color(QPalette::Highlight), QColor(249, 115, 22));
}

TEST(ContentView, DroppedFootageBecomesClipsAndTheGridReplacesTheEmptyState)
{
    QTemporaryDir root;
    const QString day = root.filePath(QStringLiteral("Day1"));
    TestMedia::copyTo(QStringLiteral("clip.mkv"), day, QStringLiteral("C001.mkv"));
    const QString single = TestMedia::copyTo(QStringLiteral("dated.mov"), root.path(), QStringLiteral("A001.MOV"));
    ASSERT_TRUE(touchFile(root.filePath(QStringLiteral("notes.txt"))));

    TestWindow w;
    dropUrls(*w.view,
             {QUrl::fromLocalFile(day), QUrl::fromLocalFile(single), QUrl::fromLocalFile(root.filePath(QStringLiteral("notes.txt")))});
    QCoreApplication::processEvents();
    // The import starts loading at once: the grid shows instead of the empty state.
    EXPECT_TRUE(w.store.isLoading());
    EXPECT_FALSE(w.area().emptyState()->isVisible());
    EXPECT_NE(w.area().grid(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.store.isLoading(); }, 20000));
    QStringList names;
    for (const Clip &clip : w.store.clips())
        names.append(clip.filename);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("A001.MOV"), QStringLiteral("C001.mkv")}));
    EXPECT_EQ(*w.store.sourceFolderURL(), QUrl::fromLocalFile(day));
    EXPECT_TRUE(w.view->toolbarRow()->isVisible());
    EXPECT_TRUE(w.view->sidebar()->isVisible());
    EXPECT_FALSE(w.area().progressBar()->isVisible());
}

TEST(ContentView, ChooseFootageImportsWhatThePanelReturns)
{
    QTemporaryDir root;
    const QString card = root.filePath(QStringLiteral("Card A"));
    TestMedia::copyTo(QStringLiteral("noaudio.mp4"), card, QStringLiteral("B001.mp4"));
    const QString file = TestMedia::copyTo(QStringLiteral("clip.webm"), root.path(), QStringLiteral("B002.webm"));
    ASSERT_TRUE(touchFile(root.filePath(QStringLiteral("README"))));

    TestWindow w;
    RecordingPanel panel;
    panel.answer = QList<QUrl>{QUrl::fromLocalFile(card), QUrl::fromLocalFile(file),
                               QUrl::fromLocalFile(root.filePath(QStringLiteral("README")))};
    w.view->setImportPanel(&panel);
    QTest::mouseClick(w.area().emptyState()->chooseFootageButton(), Qt::LeftButton, {},
                      w.area().emptyState()->chooseFootageButton()->rect().center());
    EXPECT_EQ(panel.runs, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.store.isLoading() && w.store.clips().size() == 2; }, 20000));
    EXPECT_EQ(*w.store.sourceFolderURL(), QUrl::fromLocalFile(card));
    w.view->setImportPanel(nullptr);
}

TEST(ContentView, TheEmptyStateFollowsTheWindowsAppearanceSoTheFirstImportDoesNotFlipIt)
{
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(lightAppearancePalette());
    {
        TestWindow w;
        EmptyStateView *empty = w.area().emptyState();
        const QColor emptySurface = empty->palette().color(QPalette::Window);
        EXPECT_GT(emptySurface.lightnessF(), 0.5);
        EXPECT_EQ(emptySurface, w.view->palette().color(QPalette::Window));
        // The faint lines and texts are dark on the light surface.
        EXPECT_LT(empty->ink().lightnessF(), 0.5);
        EXPECT_LT(empty->dropZoneCard()->textColor().lightnessF(), 0.5);

        w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
        ASSERT_NE(w.area().grid(), nullptr);
        EXPECT_EQ(w.view->palette().color(QPalette::Window), emptySurface);
        EXPECT_EQ(w.area().grid()->palette().color(QPalette::Window), emptySurface);

        // A change of appearance at run time reaches the empty state too (the
        // change arrives as an event).
        w.store.setClips({});
        QApplication::setPalette(darkAppearancePalette());
        QCoreApplication::processEvents();
        EXPECT_EQ(empty->palette().color(QPalette::Window), ContentView::surfaceBg());
        EXPECT_EQ(w.view->palette().color(QPalette::Window), ContentView::surfaceBg());
        EXPECT_EQ(empty->ink(), QColor(Qt::white));
    }
    {
        // Inside a main window, as the application shows it.
        QApplication::setPalette(darkAppearancePalette());
        QTemporaryDir dir;
        StoreWithEngines withEngines;
        ClipStore &store = withEngines.store;
        AppSettings settings(dir.filePath(QStringLiteral("s.conf")));
        AppSettings tourSettings(dir.filePath(QStringLiteral("t.conf")));
        TourManager tours(tourSettings);
        QWidget host;
        auto *view = new ContentView(store, settings, tours, &host);
        host.resize(1000, 700);
        view->resize(1000, 700);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        EXPECT_EQ(view->gridArea()->emptyState()->surface(), ContentView::surfaceBg());
        QApplication::setPalette(lightAppearancePalette());
        QCoreApplication::processEvents();
        EXPECT_EQ(view->gridArea()->emptyState()->surface(), lightAppearancePalette().color(QPalette::Window));
        EXPECT_EQ(view->palette().color(QPalette::Window), lightAppearancePalette().color(QPalette::Window));
    }
    QApplication::setPalette(saved);
}
