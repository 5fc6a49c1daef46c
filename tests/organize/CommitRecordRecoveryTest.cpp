// A run stopped between the reservation of a name and the rename over it
// leaves an empty file; the record of the run finds it, and only it.
#include "organize/CommitRecordRecovery.h"
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/RefusingCalls.h"

#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Stopped
{
};

struct Stoppable
{
    QTemporaryDir dir;
    QString records = dir.filePath("records");

    OrganizeRequest request(const QList<Clip> &clips) const { return byRating(clips, dir.filePath("dest"), records); }
    Clip clip(const QString &name, qint64 size) const { return clipFor(makeFile(dir.filePath("DCIM/") + name, size), 5); }

    QStringList files() const { return filesUnder(dir.path(), records); }
};

} // namespace

TEST(CommitRecordRecovery, OnlyTheReservationOfTheFileInFlightIsRemoved)
{
    enum class Stop { never, beforeRename, afterMove, beforeMoveBack };
    struct Case
    {
        const char *what;
        qint64 size;
        Stop stop;
        QStringList left; // after the stop
        QString removed;  // by the recovery; empty for none
    };
    const QList<Case> cases{
        {"stopped before the rename",
         100,
         Stop::beforeRename,
         {"DCIM/B.MP4=100", "dest/5-star/A.MP4=100", "dest/5-star/B.MP4=0"},
         "dest/5-star/B.MP4"},
        {"stopped after the rename", 100, Stop::afterMove, {"dest/5-star/A.MP4=100", "dest/5-star/B.MP4=100"}, ""},
        {"an empty clip stopped before the rename",
         0,
         Stop::beforeRename,
         {"DCIM/B.MP4=0", "dest/5-star/A.MP4=100", "dest/5-star/B.MP4=0"},
         "dest/5-star/B.MP4"},
        {"an empty clip stopped after the rename", 0, Stop::afterMove, {"dest/5-star/A.MP4=100", "dest/5-star/B.MP4=0"}, ""},
        {"a clip that grew, stopped before its move back",
         100,
         Stop::beforeMoveBack,
         {"DCIM/B.MP4=0", "dest/5-star/A.MP4=100", "dest/5-star/B.MP4=101"},
         "DCIM/B.MP4"},
        {"an empty clip of a finished run", 0, Stop::never, {"dest/5-star/A.MP4=100", "dest/5-star/B.MP4=0"}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Stoppable run;
        const QList<Clip> clips{run.clip("A.MP4", 100), run.clip("B.MP4", c.size)};
        RefusingCalls calls = RefusingCalls::likeFuseExfat();
        calls.before = [&c](const QString &call, const QByteArray &, const QByteArray &to) {
            if (call != QStringLiteral("rename"))
                return;
            if ((c.stop == Stop::beforeRename && to.endsWith("/5-star/B.MP4"))
                || (c.stop == Stop::beforeMoveBack && to.endsWith("/DCIM/B.MP4")))
                throw Stopped{};
        };
        HookedFileOperations files(calls);
        files.after = [&c](Op op, const QString &, const QString &to) {
            if (op != Op::move || !to.endsWith(QStringLiteral("/5-star/B.MP4")))
                return;
            if (c.stop == Stop::afterMove)
                throw Stopped{};
            if (c.stop == Stop::beforeMoveBack)
                appendBytes(to, "x");
        };
        if (c.stop == Stop::never)
            EXPECT_TRUE(OrganizeCommit::commit(run.request(clips), files).result.errors.isEmpty());
        else
            EXPECT_THROW(OrganizeCommit::commit(run.request(clips), files), Stopped);
        EXPECT_EQ(run.files(), c.left);

        FileOperations real;
        const QList<CommitRecordRecovery::Leftover> leftovers = CommitRecordRecovery::clearLeftovers(real, run.records);
        if (c.removed.isEmpty()) {
            EXPECT_TRUE(leftovers.isEmpty());
            EXPECT_EQ(run.files(), c.left);
            continue;
        }
        ASSERT_EQ(leftovers.size(), 1);
        EXPECT_EQ(leftovers.first().path, run.dir.filePath(c.removed));
        EXPECT_FALSE(leftovers.first().failure);
        QStringList expected = c.left;
        expected.removeAll(c.removed + QStringLiteral("=0"));
        EXPECT_EQ(run.files(), expected);
        // A second look finds nothing more.
        EXPECT_TRUE(CommitRecordRecovery::clearLeftovers(real, run.records).isEmpty());
    }
}

// The next run clears the reservation before it plans its names, so the clip
// gets the name it was going to have; one that cannot be removed is reported,
// and the run numbers around it.
TEST(CommitRecordRecovery, TheNextRunClearsTheReservationOrReportsIt)
{
    for (const bool removable : {true, false}) {
        SCOPED_TRACE(removable);
        Stoppable run;
        const QList<Clip> clips{run.clip("A.MP4", 100)};
        RefusingCalls calls = RefusingCalls::likeFuseExfat();
        calls.before = [](const QString &call, const QByteArray &, const QByteArray &) {
            if (call == QStringLiteral("rename"))
                throw Stopped{};
        };
        FileOperations stopping(calls);
        EXPECT_THROW(OrganizeCommit::commit(run.request(clips), stopping), Stopped);

        HookedFileOperations files;
        files.before = [removable](Op op, const QString &, const QString &) -> std::optional<OrganizeError> {
            if (op == Op::remove && !removable)
                return OrganizeError::fromErrno(EACCES);
            return std::nullopt;
        };
        const OrganizeOutcome outcome = OrganizeCommit::commit(run.request(clips), files);
        EXPECT_EQ(outcome.result.movedCount, 1);
        if (removable) {
            EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
            EXPECT_EQ(run.files(), QStringList{"dest/5-star/A.MP4=100"});
        } else {
            EXPECT_EQ(outcome.result.errors,
                      QStringList{OrganizeCommit::leftoverText(run.dir.filePath("dest/5-star/A.MP4"), qt_error_string(EACCES))});
            EXPECT_EQ(run.files(), (QStringList{"dest/5-star/A.MP4=0", "dest/5-star/A_1.MP4=100"}));
        }
    }
}
