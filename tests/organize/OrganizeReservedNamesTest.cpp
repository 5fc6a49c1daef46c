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
    QString footage = dir.filePath("DCIM");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("records");

    OrganizeRequest request(const QList<Clip> &clips) const { return byRating(clips, destination, records, true); }
    Clip clip(const QString &name, qint64 rating, qint64 size = 100) const
    {
        return clipFor(makeFile(footage + QLatin1Char('/') + name, size), rating);
    }
    QString at(const QString &relative) const { return dir.filePath(relative); }

    QStringList files() const { return filesUnder(dir.path(), records); }
};

} // namespace

// Each way of the move, and a name taken at the very moment of the
// reservation: every file arrives once, verified, and nothing is replaced.
TEST(OrganizeReservedNames, EveryFileArrivesOnceThroughEachWayAndNothingIsReplaced)
{
    struct Case
    {
        const char *what;
        int renameNoReplaceError;
        int linkError;
        bool takenAtReservation;
    };
    for (const Case &c : {Case{"links where the flag is unknown", EINVAL, 0, false}, Case{"reservations", EINVAL, EPERM, false},
                          Case{"a name taken at its reservation", EINVAL, EPERM, true}}) {
        SCOPED_TRACE(c.what);
        Card card;
        const QList<Clip> clips{card.clip("A.MP4", 5, 101), card.clip("B.MP4", 5, 102), card.clip("C.MP4", 4, 103)};
        makeFile(card.at("dest/5-star/B.MP4"), 7); // there before the run
        RefusingCalls calls;
        calls.renameNoReplaceError = c.renameNoReplaceError;
        calls.linkError = c.linkError;
        // Another program takes C.MP4's planned name just before its move.
        calls.before = [&](const QString &call, const QByteArray &path, const QByteArray &) {
            if (c.takenAtReservation && call == QStringLiteral("createNew") && path.endsWith("/4-star/C.MP4"))
                makeFile(QFile::decodeName(path), 9);
        };
        FileOperations files(calls);

        const OrganizeOutcome outcome = OrganizeCommit::commit(card.request(clips), files);

        EXPECT_EQ(calls.calls.contains(QStringLiteral("createNew")), c.linkError != 0);
        if (!c.takenAtReservation) {
            EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
            EXPECT_EQ(outcome.result.movedCount, 3);
            EXPECT_EQ(statusesIn(outcome.recordPath), (QStringList{"verified", "verified", "verified"}));
            EXPECT_EQ(card.files(),
                      (QStringList{"dest/4-star/C.MP4=103", "dest/5-star/A.MP4=101", "dest/5-star/B.MP4=7", "dest/5-star/B_1.MP4=102",
                                   "dest/triagon-manifest.json=" + QString::number(QFileInfo(outcome.recordPath).size())}));
            continue;
        }
        ASSERT_EQ(outcome.result.errors.size(), 1);
        EXPECT_EQ(outcome.result.errors.first(), QStringLiteral("C.MP4: ") + qt_error_string(EEXIST) + QStringLiteral(" (")
                                                     + card.at("dest/4-star/C.MP4") + QLatin1Char(')'));
        EXPECT_EQ(outcome.result.movedCount, 2);
        EXPECT_EQ(statusesIn(outcome.recordPath), (QStringList{"verified", "verified", "failed"}));
        EXPECT_EQ(card.files(), (QStringList{"DCIM/C.MP4=103", "dest/4-star/C.MP4=9", "dest/5-star/A.MP4=101", "dest/5-star/B.MP4=7",
                                             "dest/5-star/B_1.MP4=102",
                                             "dest/triagon-manifest.json=" + QString::number(QFileInfo(outcome.recordPath).size())}));
    }
}

// Names that differ only in letter case are one name in a folder that
// ignores case: the second clip is numbered. Where case counts, as on ext4,
// both keep their names. The folder is probed only when such a pair comes up.
TEST(OrganizeReservedNames, ACaseOnlyClashIsNumberedWhereTheFolderIgnoresCase)
{
    for (const bool ignoresCase : {true, false}) {
        SCOPED_TRACE(ignoresCase);
        Card card;
        HookedFileOperations files;
        files.ignoresCase = [ignoresCase](const QString &) { return ignoresCase; };
        const QList<Clip> clips{card.clip("Take.MP4", 5, 101), clipFor(makeFile(card.at("DCIM/B/take.mp4"), 102), 5),
                                card.clip("Other.MP4", 3, 103), card.clip("Take_1.mp4", 5, 104)};
        const OrganizeOutcome outcome = OrganizeCommit::commit(card.request(clips), files);
        EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
        EXPECT_EQ(files.caseProbes, QStringList{card.at("dest/5-star")});
        const QStringList expected = ignoresCase ? QStringList{"dest/3-star/Other.MP4=103", "dest/5-star/Take.MP4=101",
                                                               "dest/5-star/Take_1_1.mp4=104", "dest/5-star/take_1.mp4=102"}
                                                 : QStringList{"dest/3-star/Other.MP4=103", "dest/5-star/Take.MP4=101",
                                                               "dest/5-star/Take_1.mp4=104", "dest/5-star/take.mp4=102"};
        QStringList moved = card.files();
        moved.removeIf([](const QString &f) { return f.startsWith(QStringLiteral("dest/triagon-manifest")); });
        EXPECT_EQ(moved, expected);
    }
}

// The probe itself, on the test's own file system (case counts there), leaves
// nothing behind; a folder it cannot write in counts as ignoring case.
TEST(OrganizeReservedNames, TheLetterCaseProbeLeavesNothingBehind)
{
    QTemporaryDir dir;
    FileOperations files;
    EXPECT_FALSE(files.ignoresLetterCase(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(files.ignoresLetterCase(dir.filePath("missing")));
}
