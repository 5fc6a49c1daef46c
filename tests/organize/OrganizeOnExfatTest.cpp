// The organize run on a real exFAT card mounted through FUSE, which has
// neither RENAME_NOREPLACE nor hard links and ignores letter case.
#include "organize/OrganizeCommit.h"
#include "organize/OrganizeService.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/ExfatCard.h"
#include "support/PlainClipEditor.h"
#include "support/RefusingCalls.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace OrganizeTest;

namespace {

struct Stopped
{
};

class OrganizeOnExfat : public testing::Test
{
protected:
    void SetUp() override
    {
        card = std::make_unique<ExfatCard>(dir.path());
        if (!card->isMounted())
            GTEST_SKIP() << "needs an exFAT image mounted through FUSE: " << card->whyNot().toStdString();
    }
    // Unmounted whatever the test's outcome, before the folder goes.
    void TearDown() override { card.reset(); }

    QString onCard(const QString &relative) const { return card->root() + QLatin1Char('/') + relative; }
    Clip clip(const QString &relative, qint64 rating, qint64 size)
    {
        const Clip c = clipFor(makeFile(onCard(relative), size), rating);
        contents.insert(c.filename, contentOf(c.path()));
        return c;
    }
    // Every file on the card, relative, with its size; a clip's file also
    // says whose content it holds.
    QStringList cardFiles() const
    {
        return filesUnder(card->root(), QString(), [this](const QString &path) {
            const QByteArray bytes = contentOf(path);
            const QString clip = bytes.isEmpty() ? QString() : contents.key(bytes);
            return clip.isEmpty() ? QString() : QStringLiteral(" of ") + clip;
        });
    }

    QTemporaryDir dir;
    std::unique_ptr<ExfatCard> card;
    QString records = dir.filePath("records");
    QHash<QString, QByteArray> contents;
};

} // namespace

TEST_F(OrganizeOnExfat, EveryClipArrivesOnceVerifiedAndACaseOnlyClashIsNumbered)
{
    FileOperations files;
    EXPECT_TRUE(files.ignoresLetterCase(card->root()));

    PlainClipEditor editor;
    editor.setClips({clip("DCIM/100/C0001.MP4", 5, 1001), clip("DCIM/100/Take.MP4", 5, 1002), clip("DCIM/101/take.mp4", 5, 1003),
                     clip("DCIM/101/C0002.MP4", 4, 1004), clip("DCIM/101/C0003.MP4", 5, 1005)});
    // There before the run: one of the same name, one differing only in case.
    makeFile(onCard("Organized/5-star/C0003.MP4"), 7);
    makeFile(onCard("Organized/5-star/c0001.mp4"), 8);
    OrganizeService service(editor, [this] { return records; });
    std::optional<ExportResult> result;
    service.organizeClips(ExportScope::all, QUrl::fromLocalFile(onCard("Organized")), std::nullopt, true,
                          [&result](const ExportResult &r) { result = r; });
    ASSERT_TRUE(QTest::qWaitFor([&result] { return result.has_value(); }, 60000));

    EXPECT_TRUE(result->errors.isEmpty()) << result->errors.join('\n').toStdString();
    EXPECT_EQ(result->movedCount, 5);
    ASSERT_TRUE(result->manifestURL);
    const qint64 manifestSize = QFileInfo(result->manifestURL->toLocalFile()).size();
    EXPECT_EQ(cardFiles(), (QStringList{"Organized/4-star/C0002.MP4=1004 of C0002.MP4", "Organized/5-star/C0001_1.MP4=1001 of C0001.MP4",
                                        "Organized/5-star/C0003.MP4=7", "Organized/5-star/C0003_1.MP4=1005 of C0003.MP4",
                                        "Organized/5-star/Take.MP4=1002 of Take.MP4", "Organized/5-star/c0001.mp4=8",
                                        "Organized/5-star/take_1.mp4=1003 of take.mp4",
                                        "Organized/triagon-manifest.json=" + QString::number(manifestSize)}));
    EXPECT_EQ(statusesIn(service.lastCommitRecordPath()), QStringList(5, QStringLiteral("verified")));
}

// The card itself refuses the first two ways; a run stopped between the
// reservation and the rename leaves an empty file there, and the next run
// clears it and gives the clip its name.
TEST_F(OrganizeOnExfat, AStoppedMoveLeavesAnEmptyReservationThatTheNextRunClears)
{
    const QList<Clip> clips{clip("DCIM/D.MP4", 3, 900)};
    const OrganizeRequest request = byRating(clips, onCard("Organized"), records);

    RefusingCalls calls; // the real calls: the card's own refusals
    calls.before = [](const QString &call, const QByteArray &, const QByteArray &) {
        if (call == QStringLiteral("rename"))
            throw Stopped{};
    };
    FileOperations stopping(calls);
    EXPECT_THROW(OrganizeCommit::commit(request, stopping), Stopped);
    EXPECT_EQ(calls.calls, (QStringList{"renameNoReplace", "link", "createNew", "rename"}));
    EXPECT_EQ(cardFiles(), (QStringList{"DCIM/D.MP4=900 of D.MP4", "Organized/3-star/D.MP4=0"}));

    FileOperations files;
    const OrganizeOutcome outcome = OrganizeCommit::commit(request, files);
    EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
    EXPECT_EQ(outcome.result.movedCount, 1);
    EXPECT_EQ(cardFiles(), QStringList{"Organized/3-star/D.MP4=900 of D.MP4"});
}
