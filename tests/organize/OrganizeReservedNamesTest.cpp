// The organize run where the file system has neither RENAME_NOREPLACE nor
// hard links (exFAT through FUSE, the shares a desktop mounts): through the
// calls such a file system refuses, on real files.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/RefusingCalls.h"

#include <gtest/gtest.h>

using namespace OrganizeTest;

namespace {

struct Card
{
    QTemporaryDir dir;
    QString records = dir.filePath("records");

    QString at(const QString &relative) const { return dir.filePath(relative); }
    Clip clip(const QString &relative, qint64 rating, qint64 size) const { return clipFor(makeFile(at(relative), size), rating); }
    OrganizeRequest request(const QList<Clip> &clips) const { return byRating(clips, at("dest"), records); }
    QStringList files() const { return filesUnder(dir.path(), records); }
};

} // namespace

// Each way of the move, and a name taken at the very moment of its
// reservation: every file arrives once, verified, and nothing is replaced.
TEST(OrganizeReservedNames, EveryFileArrivesOnceThroughEachWayAndNothingIsReplaced)
{
    for (const auto &[renameNoReplaceError, linkError, taken] :
         {std::tuple{EINVAL, 0, false}, std::tuple{EINVAL, EPERM, false}, std::tuple{EINVAL, EPERM, true}}) {
        SCOPED_TRACE(testing::Message() << renameNoReplaceError << " " << linkError << " " << taken);
        Card card;
        const QList<Clip> clips{card.clip("DCIM/A.MP4", 5, 101), card.clip("DCIM/B.MP4", 5, 102)};
        makeFile(card.at("dest/5-star/B.MP4"), 7); // there before the run
        RefusingCalls calls;
        calls.renameNoReplaceError = renameNoReplaceError;
        calls.linkError = linkError;
        // Another program takes A.MP4's planned name just before its move.
        calls.before = [&card, taken = taken](const QString &call, const QByteArray &path, const QByteArray &) {
            if (taken && call == QStringLiteral("createNew") && path.endsWith("/A.MP4"))
                makeFile(card.at("dest/5-star/A.MP4"), 9);
        };
        FileOperations files(calls);

        const OrganizeOutcome outcome = OrganizeCommit::commit(card.request(clips), files);
        EXPECT_EQ(calls.calls.count(QStringLiteral("createNew")), linkError ? 2 : 0);
        const QStringList b{"dest/5-star/B.MP4=7", "dest/5-star/B_1.MP4=102"};
        if (!taken) {
            EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
            EXPECT_EQ(statusesIn(outcome.recordPath), (QStringList{"verified", "verified"}));
            EXPECT_EQ(card.files(), QStringList{"dest/5-star/A.MP4=101"} + b);
            continue;
        }
        EXPECT_EQ(outcome.result.errors,
                  QStringList{"A.MP4: " + OrganizeError::fromErrno(EEXIST, card.at("dest/5-star/A.MP4")).localizedDescription});
        EXPECT_EQ(statusesIn(outcome.recordPath), (QStringList{"failed", "verified"}));
        EXPECT_EQ(card.files(), QStringList({"DCIM/A.MP4=101", "dest/5-star/A.MP4=9"}) + b);
    }
}

// Names that differ only in letter case are one name in a folder that
// ignores case: the later clip is numbered. Where case counts (the test's own
// file system, as asked by the real probe) both keep their names. The folder
// is probed only when such a pair comes up, and the probe leaves nothing.
TEST(OrganizeReservedNames, ACaseOnlyClashIsNumberedWhereTheFolderIgnoresCase)
{
    for (const bool ignoresCase : {true, false}) {
        SCOPED_TRACE(ignoresCase);
        Card card;
        HookedFileOperations files;
        if (ignoresCase)
            files.ignoresCase = [](const QString &) { return true; };
        const QList<Clip> clips{card.clip("DCIM/A/Take.MP4", 5, 101), card.clip("DCIM/B/take.mp4", 5, 102),
                                card.clip("DCIM/Other.MP4", 3, 103), card.clip("DCIM/Take_1.mp4", 5, 104)};
        const OrganizeOutcome outcome = OrganizeCommit::commit(card.request(clips), files);
        EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
        EXPECT_EQ(files.caseProbes, QStringList{card.at("dest/5-star")});
        const QStringList numbered{"dest/3-star/Other.MP4=103", "dest/5-star/Take.MP4=101", "dest/5-star/Take_1_1.mp4=104",
                                   "dest/5-star/take_1.mp4=102"};
        const QStringList kept{"dest/3-star/Other.MP4=103", "dest/5-star/Take.MP4=101", "dest/5-star/Take_1.mp4=104",
                               "dest/5-star/take.mp4=102"};
        EXPECT_EQ(card.files(), ignoresCase ? numbered : kept);
    }
}
