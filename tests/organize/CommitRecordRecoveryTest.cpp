// A run stopped between the reservation of a name and the rename over it
// leaves an empty file; the next run finds it through the stopped run's
// record and removes it, and only it, before it plans its names.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/RefusingCalls.h"

#include <gtest/gtest.h>

using namespace OrganizeTest;
using Call = RefusingCalls::Call;

namespace {

struct Stopped
{
};

} // namespace

// A run is stopped right after a call of B.MP4's move; the next run takes
// B.MP4 if it is still at its old place, and a new C.MP4. An empty clip is
// never taken for a reservation; a reservation that cannot be removed is
// reported, and the run numbers around it.
TEST(CommitRecordRecovery, TheNextRunClearsOnlyTheReservationOfTheFileInFlight)
{
    const struct
    {
        const char *what;
        qint64 size; // of B.MP4
        Call stopAfter;
        bool removable;
        const char *left; // the files after the stop
        const char *next; // and after the next run
    } cases[] = {
        {"an empty clip, stopped after its reservation", 0, Call::createNew, true, "DCIM/B.MP4=0 dest/5-star/B.MP4=0",
         "dest/5-star/B.MP4=0 dest/5-star/C.MP4=50"},
        {"an empty clip, stopped after its rename", 0, Call::rename, true, "dest/5-star/B.MP4=0",
         "dest/5-star/B.MP4=0 dest/5-star/C.MP4=50"},
        {"a reservation that cannot be removed", 100, Call::createNew, false, "DCIM/B.MP4=100 dest/5-star/B.MP4=0",
         "dest/5-star/B.MP4=0 dest/5-star/B_1.MP4=100 dest/5-star/C.MP4=50"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Footage run;
        RefusingCalls calls(RefusingCalls::likeFuseExfat);
        calls.after = [&c](Call call, const QByteArray &) {
            if (call == c.stopAfter)
                throw Stopped{};
        };
        FileOperations stopping(calls);
        EXPECT_THROW(OrganizeCommit::commit(run.request({run.clip("DCIM/B.MP4", 5, c.size)}), stopping), Stopped);
        EXPECT_EQ(run.files(), c.left);

        QList<Clip> next{run.clip("DCIM/C.MP4", 5, 50)};
        if (QFile::exists(run.at("DCIM/B.MP4")))
            next.prepend(clipFor(run.at("DCIM/B.MP4"), 5));
        HookedFileOperations files;
        files.before = [&c](HookedFileOperations::Op op, const QString &, const QString &) -> std::optional<OrganizeError> {
            if (op == HookedFileOperations::Op::remove && !c.removable)
                return OrganizeError::fromErrno(EACCES);
            return std::nullopt;
        };
        const OrganizeOutcome outcome = OrganizeCommit::commit(run.request(next), files);
        EXPECT_EQ(outcome.result.movedCount, next.size());
        const QString leftover = OrganizeCommit::leftoverText(run.at("dest/5-star/B.MP4"), qt_error_string(EACCES));
        EXPECT_EQ(outcome.result.errors, c.removable ? QStringList() : QStringList{leftover});
        EXPECT_EQ(run.files(), c.next);
    }
}
