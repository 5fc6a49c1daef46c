// The organize run where folders ignore letter case and the file system has
// neither RENAME_NOREPLACE nor hard links, as on an exFAT card mounted
// through FUSE.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/ExfatCard.h"
#include "support/RefusingCalls.h"

#include <gtest/gtest.h>

using namespace OrganizeTest;

namespace {

struct Stopped
{
};

} // namespace

// Names that differ only in letter case are one name in a folder that
// ignores case: the later clip is numbered. Where case counts (the test's own
// file system, as asked by the real probe) both keep their names. The folder
// is probed only when such a pair comes up, and the probe leaves nothing.
TEST(OrganizeOnExfat, ACaseOnlyClashIsNumberedWhereTheFolderIgnoresCase)
{
    for (const auto &[ignoresCase, expected] :
         {std::pair{true, "dest/3-star/Other.MP4=103 dest/5-star/Take.MP4=101 dest/5-star/Take_1_1.mp4=104 dest/5-star/take_1.mp4=102"},
          std::pair{false, "dest/3-star/Other.MP4=103 dest/5-star/Take.MP4=101 dest/5-star/Take_1.mp4=104 dest/5-star/take.mp4=102"}}) {
        SCOPED_TRACE(ignoresCase);
        Footage card;
        HookedFileOperations files;
        if (ignoresCase)
            files.ignoresCase = [](const QString &) { return true; };
        const QList<Clip> clips{card.clip("DCIM/A/Take.MP4", 5, 101), card.clip("DCIM/B/take.mp4", 5, 102),
                                card.clip("DCIM/Other.MP4", 3, 103), card.clip("DCIM/Take_1.mp4", 5, 104)};
        EXPECT_EQ(OrganizeCommit::commit(card.request(clips), files).result.errors, QStringList());
        EXPECT_EQ(files.caseProbes, QStringList{card.at("dest/5-star")});
        EXPECT_EQ(card.files(), expected);
    }
}

// On a real card, which refuses the first two ways itself: a run stopped
// right after its first reservation leaves an empty file there; the next run
// clears it, numbers the case-only clashes and moves every clip once, whole.
TEST(OrganizeOnExfat, OnARealCardAStoppedRunIsClearedAndEveryClipArrivesOnce)
{
    Footage card;
    const ExfatCard mount(card.root);
    if (!mount.isMounted())
        GTEST_SKIP() << "needs an exFAT image mounted through FUSE: " << mount.whyNot().toStdString();
    const QList<Clip> clips{card.clip("DCIM/100/C0001.MP4", 5, 1001), card.clip("DCIM/100/Take.MP4", 5, 1002),
                            card.clip("DCIM/101/take.mp4", 5, 1003), card.clip("DCIM/101/C0002.MP4", 4, 1004),
                            card.clip("DCIM/101/C0003.MP4", 5, 1005)};
    QHash<QString, QByteArray> contents;
    for (const Clip &clip : clips)
        contents.insert(clip.path(), contentOf(clip.path()));
    // There before the run: one of the same name, one differing only in case.
    makeFile(card.at("dest/5-star/C0003.MP4"), 7);
    makeFile(card.at("dest/5-star/c0001.mp4"), 8);
    OrganizeRequest request = card.request(clips);
    request.generateManifest = true;

    RefusingCalls calls;
    calls.after = [](RefusingCalls::Call call, const QByteArray &) {
        if (call == RefusingCalls::Call::createNew)
            throw Stopped{};
    };
    FileOperations stopping(calls);
    EXPECT_THROW(OrganizeCommit::commit(request, stopping), Stopped);
    EXPECT_EQ(filesUnder(card.at("dest")), (QStringList{"5-star/C0001_1.MP4=0", "5-star/C0003.MP4=7", "5-star/c0001.mp4=8"}));

    FileOperations files;
    const OrganizeOutcome outcome = OrganizeCommit::commit(request, files);
    EXPECT_EQ(outcome.result.errors, QStringList());
    ASSERT_TRUE(outcome.result.manifestURL);
    EXPECT_EQ(card.files(), "dest/4-star/C0002.MP4=1004 dest/5-star/C0001_1.MP4=1001 dest/5-star/C0003.MP4=7 dest/5-star/C0003_1.MP4=1005 "
                            "dest/5-star/Take.MP4=1002 dest/5-star/c0001.mp4=8 dest/5-star/take_1.mp4=1003 dest/triagon-manifest.json="
                                + QString::number(QFileInfo(outcome.result.manifestURL->toLocalFile()).size()));
    EXPECT_EQ(outcome.result.movedCount, 5);
    for (const ManifestEntry &entry : outcome.entries) {
        EXPECT_EQ(entry.status, ManifestEntry::verified) << entry.filename.toStdString();
        EXPECT_EQ(contentOf(entry.destinationPath), contents.value(entry.originalPath)) << entry.filename.toStdString();
    }
}
