// The organize run where folders ignore letter case and the file system has
// neither RENAME_NOREPLACE nor hard links, as on an exFAT card mounted
// through FUSE: there a stopped move leaves the empty file that reserved its
// new name, which the next run clears.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/ExfatCard.h"

#include <gtest/gtest.h>

#include <optional>

using namespace OrganizeTest;
using Call = RefusingCalls::Call;

// A run is stopped right after a call of B.MP4's move; the next run takes
// B.MP4 if it is still at its old place, and a new C.MP4. An empty clip is
// never taken for a reservation; a reservation that cannot be removed is
// reported, and the run numbers around it.
TEST(OrganizeOnExfat, TheNextRunClearsOnlyTheReservationOfTheFileInFlight)
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
        calls.after = [&c](Call call) {
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

// Every clip arrives once, whole and verified, also after a run stopped
// right after its first reservation: the next run clears the empty file that
// held the name. Names that differ only in letter case are one name where
// the folder ignores case, and the later clip is numbered; where case counts
// (the test's own file system, as the real probe finds) both keep their
// names. A folder is probed only when such a pair comes up in it.
TEST(OrganizeOnExfat, AStoppedRunIsClearedAndEveryClipArrivesOnceWithCaseOnlyClashesNumbered)
{
    // The real card last: it skips where none can be mounted.
    enum Where { asACardAnswers, whereCaseCounts, onARealCard };
    for (const Where where : {asACardAnswers, whereCaseCounts, onARealCard}) {
        SCOPED_TRACE(where);
        Footage card;
        std::optional<ExfatCard> mount;
        if (where == onARealCard && !mount.emplace(card.root).isMounted())
            GTEST_SKIP() << "needs an exFAT image mounted through FUSE: " << mount->whyNot().toStdString();
        const QList<Clip> clips{card.clip("DCIM/100/C0001.MP4", 5, 1001), card.clip("DCIM/100/Take.MP4", 5, 1002),
                                card.clip("DCIM/101/take.mp4", 5, 1003),  card.clip("DCIM/101/C0002.MP4", 4, 1004),
                                card.clip("DCIM/101/C0003.MP4", 5, 1005), card.clip("DCIM/101/Take_1.mp4", 5, 1006)};
        QHash<QString, QByteArray> contents;
        for (const Clip &clip : clips)
            contents.insert(clip.path(), contentOf(clip.path()));
        makeFile(card.at("dest/5-star/C0003.MP4"), 7); // there before the run
        OrganizeRequest request = card.request(clips);
        request.generateManifest = true;
        // The real card refuses the first two ways itself; elsewhere they are refused as it refuses them.
        RefusingCalls calls(where == onARealCard ? RefusingCalls::Refusals{} : RefusingCalls::likeFuseExfat);
        HookedFileOperations files(calls);
        if (where == asACardAnswers)
            files.ignoresCase = [](const QString &) { return true; };

        calls.after = [](Call call) {
            if (call == Call::createNew)
                throw Stopped{};
        };
        EXPECT_THROW(OrganizeCommit::commit(request, files), Stopped);
        EXPECT_EQ(card.files("dest"), "5-star/C0001.MP4=0 5-star/C0003.MP4=7");

        calls.after = nullptr;
        files.caseProbes.clear();
        const OrganizeOutcome outcome = OrganizeCommit::commit(request, files);
        EXPECT_EQ(outcome.result.errors, QStringList());
        EXPECT_EQ(files.caseProbes, QStringList{card.at("dest/5-star")});
        ASSERT_TRUE(outcome.result.manifestURL);
        const QString cased = where == whereCaseCounts ? QStringLiteral("Take_1.mp4=1006 dest/5-star/take.mp4=1003")
                                                       : QStringLiteral("Take_1_1.mp4=1006 dest/5-star/take_1.mp4=1003");
        EXPECT_EQ(card.files(),
                  "dest/4-star/C0002.MP4=1004 dest/5-star/C0001.MP4=1001 dest/5-star/C0003.MP4=7 dest/5-star/C0003_1.MP4=1005 "
                  "dest/5-star/Take.MP4=1002 dest/5-star/"
                      + cased
                      + " dest/triagon-manifest.json=" + QString::number(QFileInfo(outcome.result.manifestURL->toLocalFile()).size()));
        EXPECT_EQ(outcome.result.movedCount, clips.size());
        for (const ManifestEntry &entry : outcome.entries) {
            EXPECT_EQ(entry.status, ManifestEntry::verified) << entry.filename.toStdString();
            EXPECT_EQ(contentOf(entry.destinationPath), contents.value(entry.originalPath)) << entry.filename.toStdString();
        }
    }
}
