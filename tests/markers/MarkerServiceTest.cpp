// The marker service works on any ClipEditor: driven here through a plain
// in-test editor (no store), which also shows how little of the session the
// service needs and that each operation edits it once.
#include "Printers.h"
#include "support/PlainClipEditor.h"
#include "markers/HandMarkerScan.h"
#include "markers/MarkerService.h"

#include <QImage>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

namespace {

Clip clip(const QString &name, double duration = 2.0)
{
    Clip c;
    c.id = QUuid::createUuid();
    c.url = QUrl::fromLocalFile(QStringLiteral("/footage/") + name);
    c.filename = name;
    c.duration = duration;
    return c;
}

} // namespace

TEST(MarkerService, DetectingAndRemovingMarkersIsOneEditOfTheSession)
{
    PlainClipEditor editor;
    const Clip take = clip(QStringLiteral("C0010.MP4"));
    const Clip m1 = clip(QStringLiteral("C0011.MP4"));
    const Clip m2 = clip(QStringLiteral("C0012.MP4"));
    editor.setClips({take, m1, m2});
    editor.setAvailableTags({QStringLiteral("Dunk"), QStringLiteral("bangerx5")});
    editor.calls.clear();

    MarkerService service(editor);
    service.applyDetectedMarkers({m1.id, m2.id}, {{take.id, QStringLiteral("bangerx2")}}, QStringLiteral("banger"), true, std::nullopt);

    // One assignment of the clips; the catalog gains the new tag, then loses
    // the stale ones; one record and one save for all of it.
    EXPECT_EQ(editor.calls, (QStringList{"setClips", "setAvailableTags", "setAvailableTags", "registerUndo", "scheduleSessionSave"}));
    ASSERT_EQ(editor.clips().size(), 1);
    EXPECT_EQ(editor.clips()[0].tags, QStringList{QStringLiteral("bangerx2")});
    // Taken from the back; their files may be imported again.
    EXPECT_EQ(editor.forgotten, (QList<QUrl>{m2.url, m1.url}));
    // The new stack tag joins, the stale one that no clip carries leaves.
    EXPECT_EQ(editor.availableTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("bangerx2")}));
    ASSERT_EQ(editor.undo.size(), 1);
    EXPECT_EQ(editor.undo[0].description(), QStringLiteral("Detect Markers (6 changes)"));
}

TEST(MarkerService, AScanBelongsToItsOwnerAndKeepsItsMetricsBesideTheKeptOnes)
{
    PlainClipEditor editor;
    const Clip measured = clip(QStringLiteral("C0001.MP4"));
    const Clip elsewhere = clip(QStringLiteral("C0002.MP4"));
    editor.setClips({measured});
    const MarkerMetrics kept{3.0, std::nullopt};
    editor.setMarkerMetrics({{elsewhere.id, kept}});

    MarkerService service(editor);
    QObject owner;
    HandMarkerScan *scan = service.scanForHandMarkers(&owner, [](const QString &, double, QSize) {
        QImage black(64, 36, QImage::Format_RGB32);
        black.fill(Qt::black);
        return QtFuture::makeReadyFuture(black);
    });
    EXPECT_EQ(scan->parent(), &owner);
    bool ended = false;
    QObject::connect(scan, &HandMarkerScan::finished, [&ended] { ended = true; });
    scan->start();
    ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 60000));

    EXPECT_EQ(editor.markerMetrics().size(), 2);
    EXPECT_EQ(editor.markerMetrics().value(elsewhere.id), kept);
    ASSERT_TRUE(editor.markerMetrics().contains(measured.id));
    EXPECT_TRUE(editor.markerMetrics().value(measured.id).frame.has_value());
}
