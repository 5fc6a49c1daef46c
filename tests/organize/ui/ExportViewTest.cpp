#include "organize/ui/ExportView.h"
#include "app/widgets/Reveal.h"

#include "app/AppSettings.h"
#include "app/widgets/SegmentedControl.h"
#include "library/ClipStore.h"
#include "organize/OrganizeRunner.h"
#include "organize/ui/ExportTreeFolderRow.h"

#include "../OrganizeTestSupport.h"
#include "../Printers.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Sheet : StoreFolders
{
    AppSettings settings{dir.filePath(QStringLiteral("settings.conf"))};
    int dismissed = 0;
    std::unique_ptr<ExportView> view;

    ExportView &open()
    {
        view = std::make_unique<ExportView>(store, settings, [this] { ++dismissed; });
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }
    template <typename T = QWidget>
    T *part(const char *name) const
    {
        T *found = view->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char *name) const { return part<QLabel>(name)->text(); }
    bool shown(const char *name) const { return part(name)->isVisibleTo(view.get()); }
    QStringList folderRows() const
    {
        QStringList names;
        for (ExportTreeFolderRow *row : part("folderTree")->findChildren<ExportTreeFolderRow *>())
            names.append(row->folder().name);
        return names;
    }
};

} // namespace

TEST(ExportView, ScopeDecidesTheCountsTextsAndButton)
{
    Sheet s;
    s.add("a.mov", 3);
    s.add("b.mov", 0);
    s.add("c.mov", 0, {QStringLiteral("Dunk")});
    ExportView &view = s.open();
    EXPECT_EQ(view.scope(), ExportScope::shortlisted);
    EXPECT_EQ(s.text("scopeHelp"), QStringLiteral("All shortlisted clips, including those hidden by filters."));
    EXPECT_EQ(s.part<QPushButton>("organizeButton")->text(), QStringLiteral("Move 2 Clips"));
    EXPECT_EQ(s.text("statCount"), QStringLiteral("2"));
    EXPECT_EQ(s.text("statDuration"), QStringLiteral("25 sec"));
    EXPECT_EQ(s.text("leftInPlace"), QStringLiteral("1 other clip left in place"));
    EXPECT_EQ(s.text("willBeMoved"), QStringLiteral("2 clips will be <b>moved</b> into tag folders"));
    // No destination: nothing to move into.
    EXPECT_FALSE(view.exportURL());
    EXPECT_TRUE(s.shown("noDestination"));
    EXPECT_FALSE(s.part<QPushButton>("organizeButton")->isEnabled());
    EXPECT_EQ(s.text("rootName"), QStringLiteral("Destination/"));
    EXPECT_FALSE(s.shown("destinationLine"));

    // The picker sets the scope.
    s.part<QComboBox>("scopePicker")->setCurrentIndex(3);
    EXPECT_EQ(view.scope(), ExportScope::all);
    EXPECT_EQ(s.text("scopeHelp"), QStringLiteral("Every clip in the session, including unrated and untagged clips."));
    EXPECT_EQ(s.part<QPushButton>("organizeButton")->text(), QStringLiteral("Move 3 Clips"));
    EXPECT_FALSE(s.shown("leftInPlace"));

    view.setScope(ExportScope::selected);
    EXPECT_EQ(s.text("statCount"), QStringLiteral("0"));
    EXPECT_EQ(s.part<QPushButton>("organizeButton")->text(), QStringLiteral("Move 0 Clips"));
    EXPECT_EQ(s.text("emptyScopeText"), QStringLiteral("No clips selected. Select clips in the grid, then reopen Organize Clips."));
    s.store.setSelectedClipIDs({s.store.clips()[1].id});
    EXPECT_EQ(s.part<QPushButton>("organizeButton")->text(), QStringLiteral("Move 1 Clip"));
    EXPECT_EQ(s.text("statCount"), QStringLiteral("1"));
    EXPECT_EQ(s.part<QLabel>("statCount")->accessibleName(), QStringLiteral("1 clip"));
    EXPECT_EQ(s.text("willBeMoved"), QStringLiteral("1 clip will be <b>moved</b> into tag folders"));

    view.setScope(ExportScope::filtered);
    s.store.setFilterRating(5);
    EXPECT_EQ(s.text("emptyScopeText"), QStringLiteral("No clips match this scope. Choose another group or adjust your filters."));
    EXPECT_FALSE(s.shown("folderTree"));
}

TEST(ExportView, DefaultDestinationIsTheFolderLastAdded)
{
    Sheet s;
    s.add("a.mov", 3);
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    ExportView &view = s.open();
    EXPECT_EQ(view.exportURL(), QUrl::fromLocalFile(s.destination));
    EXPECT_TRUE(s.part<QPushButton>("organizeButton")->isEnabled());
    EXPECT_EQ(s.part<QLabel>("destinationPath")->text(), s.destination);
    EXPECT_EQ(s.text("rootName"), QStringLiteral("Triagon/"));
    EXPECT_EQ(s.text("destinationLine"), s.destination + QStringLiteral("/Triagon"));

    // An existing folder of the name gets the next number; a chosen destination stays.
    QDir().mkpath(s.destination + QStringLiteral("/Triagon"));
    QDir().mkpath(s.dir.filePath("other"));
    view.setFolderChooser([&](QWidget *, const std::optional<QUrl> &start) -> std::optional<QUrl> {
        EXPECT_EQ(start, QUrl::fromLocalFile(s.destination));
        return QUrl::fromLocalFile(s.dir.filePath("other"));
    });
    s.part<QPushButton>("chooseButton")->click();
    EXPECT_EQ(view.exportURL(), QUrl::fromLocalFile(s.dir.filePath("other")));
    view.applyDefaultDestination();
    EXPECT_EQ(view.exportURL(), QUrl::fromLocalFile(s.dir.filePath("other")));
    view.setExportURL(QUrl::fromLocalFile(s.destination));
    EXPECT_EQ(s.text("rootName"), QStringLiteral("Triagon 1/"));
    // A cancelled chooser changes nothing.
    view.setFolderChooser([](QWidget *, const std::optional<QUrl> &) { return std::optional<QUrl>(); });
    view.chooseDestination();
    EXPECT_EQ(view.exportURL(), QUrl::fromLocalFile(s.destination));
}

TEST(ExportView, FolderNameCheckKeepsTheButtonDisabled)
{
    Sheet s;
    s.add("a.mov", 3);
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    ExportView &view = s.open();
    QLineEdit *field = s.part<QLineEdit>("folderNameField");
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Day 1/B"));
    EXPECT_EQ(view.folderName(), QStringLiteral("Day 1/B"));
    EXPECT_TRUE(s.shown("folderNameError"));
    EXPECT_EQ(s.text("folderNameError"), QStringLiteral("Enter a folder name without slashes or colons."));
    EXPECT_FALSE(s.part<QPushButton>("organizeButton")->isEnabled());
    EXPECT_FALSE(view.destinationFolderURL());
    EXPECT_EQ(s.text("rootName"), QStringLiteral("Destination/"));
    // Return does nothing while the button is disabled.
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(view.isExporting());
    EXPECT_TRUE(s.files->writes.isEmpty());

    // "Selected folder" puts the folders directly into the destination.
    s.part<SegmentedControl>("placePicker")->segment(1)->click();
    EXPECT_FALSE(view.createFolder());
    EXPECT_FALSE(s.shown("folderNameField"));
    EXPECT_FALSE(s.shown("folderNameError"));
    EXPECT_TRUE(s.shown("placeHint"));
    EXPECT_TRUE(s.part<QPushButton>("organizeButton")->isEnabled());
    EXPECT_EQ(s.text("rootName"), QStringLiteral("dest/"));
    // The typed name comes back with "New folder".
    s.part<SegmentedControl>("placePicker")->segment(0)->click();
    EXPECT_EQ(field->text(), QStringLiteral("Day 1/B"));
    EXPECT_FALSE(s.part<QPushButton>("organizeButton")->isEnabled());
}

TEST(ExportView, AnotherVolumeShowsTheWarningAndDisablesTheButton)
{
    Sheet s;
    const Clip a = s.add("a.mov", 3);
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    s.files->volumeOf = [&](const QString &path) -> std::optional<quint64> { return path == s.destination ? 1 : 2; };
    ExportView &view = s.open();
    EXPECT_TRUE(view.isDifferentVolume());
    EXPECT_TRUE(s.shown("volumeWarning"));
    EXPECT_FALSE(s.part<QPushButton>("organizeButton")->isEnabled());
    s.files->volumeOf = {};
    view.setExportURL(QUrl::fromLocalFile(s.dir.path()));
    EXPECT_FALSE(s.shown("volumeWarning"));
    EXPECT_TRUE(s.part<QPushButton>("organizeButton")->isEnabled());
}

TEST(ExportView, PreviewShowsThePlannedFoldersByPosition)
{
    Sheet s;
    s.add("b1.mov", 0, {QStringLiteral("B"), QStringLiteral("A")});
    s.add("a1.mov", 0, {QStringLiteral("A")});
    s.add("two.mov", 2);
    s.add("five.mov", 5);
    s.add("tagged5.mov", 0, {QStringLiteral("5-star")});
    s.store.setFolderOrganization(FolderOrganization::byTag);
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    ExportView &view = s.open();
    // A tag folder and a rating folder of the same name stay two rows.
    EXPECT_EQ(s.folderRows(), (QStringList{"B", "A", "5-star", "5-star", "2-star"}));
    EXPECT_TRUE(s.shown("multiTagNote"));
    EXPECT_EQ(s.text("multiTagNote"), QStringLiteral("1 clip has multiple tags \u2014 placed in first tag's folder."));
    EXPECT_EQ(ExportView::multiTagNoteText(2), QStringLiteral("2 clips have multiple tags \u2014 placed in first tag's folder."));

    // The organization picker writes the store's choice.
    s.part<SegmentedControl>("organizationPicker")->segment(1)->click();
    EXPECT_EQ(s.store.folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(s.folderRows(), (QStringList{"5-star", "2-star", "Unrated"}));
    EXPECT_FALSE(s.shown("multiTagNote"));
    EXPECT_EQ(s.text("willBeMoved"), QStringLiteral("5 clips will be <b>moved</b> into rating folders"));
    EXPECT_EQ(s.text("organizationHelp"), QStringLiteral("Clips sorted into 5-star, 4-star, etc. folders"));

    // The manifest shows only when asked for, under the name the run would take.
    EXPECT_FALSE(s.shown("manifestName"));
    EXPECT_FALSE(s.shown("manifestLine"));
    view.setCreateFolder(false);
    makeFile(s.destination + QStringLiteral("/triagon-manifest.json"), 2);
    s.part<QCheckBox>("manifestToggle")->click();
    EXPECT_TRUE(view.generateManifest());
    EXPECT_TRUE(s.shown("manifestName"));
    EXPECT_TRUE(s.shown("manifestLine"));
    EXPECT_EQ(s.text("manifestName"), QStringLiteral("triagon-manifest-1.json"));
}

TEST(ExportView, RunShowsProgressThenTheResult)
{
    Sheet s;
    const Clip a = s.add("a.mov", 3);
    s.add("b.mov", 0);
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    QSemaphore held, release;
    s.files->before = [&](Op op, const QString &, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::write && s.files->writes.isEmpty()) {
            held.release();
            release.acquire();
        }
        return std::nullopt;
    };
    QList<QUrl> revealed;
    setFileManagerRequest([&](const QUrl &item, const QUrl &folder, std::function<void(bool)> done) {
        EXPECT_TRUE(item.isEmpty());
        revealed.append(folder);
        done(true);
    });
    ExportView &view = s.open();
    view.setCreateFolder(false);
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_TRUE(held.tryAcquire(1, 10000));

    EXPECT_EQ(view.body(), ExportView::Body::progress);
    EXPECT_FALSE(s.part<QToolButton>("closeButton")->isEnabled());
    QTest::keyClick(&view, Qt::Key_Escape);
    view.close();
    EXPECT_EQ(s.dismissed, 0);
    EXPECT_TRUE(view.isVisible());

    s.store.setExportProgress(0.5, QString());
    EXPECT_EQ(s.text("percentText"), QStringLiteral("50%"));
    EXPECT_FALSE(s.shown("currentFile"));
    EXPECT_EQ(s.part<QProgressBar>("commitProgress")->accessibleDescription(), QStringLiteral("50 percent"));
    s.store.setExportProgress(0.999, QStringLiteral("a.mov"));
    EXPECT_EQ(s.text("percentText"), QStringLiteral("99%"));
    EXPECT_TRUE(s.shown("currentFile"));
    EXPECT_EQ(s.text("currentFile"), QStringLiteral("a.mov"));

    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.body() == ExportView::Body::result; }, 30000));
    EXPECT_TRUE(s.part<QToolButton>("closeButton")->isEnabled());
    EXPECT_EQ(s.text("resultTitle"), QStringLiteral("Clips Organized"));
    EXPECT_EQ(s.text("movedLine"), QStringLiteral("1 clip moved"));
    EXPECT_EQ(s.text("skippedLine"), QStringLiteral("1 other clip left in place"));
    EXPECT_EQ(view.findChild<QToolButton *>(QStringLiteral("errorDisclosure")), nullptr);
    EXPECT_TRUE(QFileInfo::exists(s.destination + QStringLiteral("/3-star/a.mov")));
    s.part<QPushButton>("revealButton")->click();
    EXPECT_EQ(revealed, QList<QUrl>{QUrl::fromLocalFile(s.destination)});
    EXPECT_EQ(view.findChild<QMessageBox *>(QStringLiteral("revealFailureAlert")), nullptr);
    // No file manager and no launcher: the user is told where the folder is.
    setFileManagerRequest([](const QUrl &, const QUrl &, std::function<void(bool)> done) { done(false); });
    s.part<QPushButton>("revealButton")->click();
    auto *alert = view.findChild<QMessageBox *>(QStringLiteral("revealFailureAlert"));
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->text(), revealFailureText(true));
    EXPECT_EQ(alert->informativeText(), QDir::toNativeSeparators(s.destination));
    alert->close();
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(s.dismissed, 1);
    setFileManagerRequest({});
}

TEST(ExportView, ResultWithErrorsListsEveryOneWhenOpened)
{
    Sheet s;
    const Clip a = s.add("a.mov", 3);
    const Clip b = s.add("b.mov", 3);
    appendBytes(a.path(), "1");
    appendBytes(b.path(), "2");
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    ExportView &view = s.open();
    view.setScope(ExportScope::all);
    s.part<QPushButton>("organizeButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.body() == ExportView::Body::result; }, 30000));
    EXPECT_EQ(s.text("resultTitle"), QStringLiteral("Finished with Issues"));
    EXPECT_EQ(s.text("movedLine"), QStringLiteral("0 clips moved"));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("skippedLine")), nullptr);
    auto *disclosure = s.part<QToolButton>("errorDisclosure");
    EXPECT_EQ(disclosure->text(), QStringLiteral("2 errors"));
    EXPECT_FALSE(s.shown("errorList"));
    disclosure->click();
    EXPECT_TRUE(s.shown("errorList"));
    QStringList lines;
    for (QLabel *line : s.part("errorList")->findChildren<QLabel *>())
        lines.append(line->text());
    EXPECT_EQ(lines, view.exportResult()->errors);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("a.mov: The file changed since import.")));
    // Escape does not close the result; Done and the close button do.
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(s.dismissed, 0);
    s.part<QToolButton>("closeButton")->click();
    EXPECT_EQ(s.dismissed, 1);
}

TEST(ExportView, ARefusedRunEndsInTheResultWithoutAFolderToShow)
{
    Sheet s;
    s.add("a.mov", 0, {QStringLiteral("..")});
    s.store.setSourceFolderURL(QUrl::fromLocalFile(s.destination));
    ExportView &view = s.open();
    s.part<QPushButton>("organizeButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.body() == ExportView::Body::result; }, 30000));
    EXPECT_EQ(view.exportResult()->errors.size(), 1);
    EXPECT_EQ(view.findChild<QPushButton *>(QStringLiteral("revealButton")), nullptr);
    EXPECT_EQ(s.text("resultTitle"), QStringLiteral("Finished with Issues"));
    EXPECT_EQ(s.part<QToolButton>("errorDisclosure")->text(), QStringLiteral("1 error"));
}

TEST(ExportView, CancelAndEscapeCloseTheForm)
{
    Sheet s;
    s.add("a.mov", 3);
    ExportView &view = s.open();
    s.part<QPushButton>("cancelButton")->click();
    EXPECT_EQ(s.dismissed, 1);
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_EQ(s.dismissed, 2);
    EXPECT_EQ(ExportView::percent(0.29), 29);
    EXPECT_EQ(ExportView::percent(0.999), 99);
    EXPECT_EQ(ExportView::percent(std::numeric_limits<double>::quiet_NaN()), 0);
}
