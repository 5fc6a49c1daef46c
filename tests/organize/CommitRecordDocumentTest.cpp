#include "organize/CommitRecord.h"
#include "organize/CommitRecordDocument.h"

#include "Printers.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <limits>

// The kept document must give exactly the bytes of the whole-record
// encoding (CommitRecord::encode) at every rewrite of a run.

namespace {

const QString start = QStringLiteral("2025-03-01T14:05:09Z");

// Names that the JSON writer must escape or write as UTF-8, "/" among them.
const QStringList awkward{
    QStringLiteral("say \"cut\""),
    QStringLiteral("back\\slash"),
    QStringLiteral("A/B"),
    QStringLiteral("tab\there"),
    QStringLiteral("line\nbreak"),
    QString(QChar(0x01)) + QStringLiteral("bell") + QChar(0x07) + QChar(0x1f) + QChar(0x7f),
    QStringLiteral("Caf\u00e9 \u65e5\u672c"),
    QStringLiteral("\U0001F3AC take"),
    QString(QChar(0xFFFD)) + QChar(0xE000),
    QStringLiteral("\u200Bzero width"),
    QString(QChar(0xD800)) + QStringLiteral("lone surrogate"),
    QStringLiteral(""),
    QStringLiteral("Dunk"),
    QStringLiteral("dunk"),
    QStringLiteral("B-roll"),
};

ManifestEntry entry(int i, const QStringList &tags, qint64 rating)
{
    ManifestEntry e;
    e.originalPath = QStringLiteral("/footage/Day 1/") + QString::number(i) + QStringLiteral("_\u00e9\"\\.mov");
    e.destinationPath = QStringLiteral("/out/") + (tags.isEmpty() ? QStringLiteral("Unrated") : tags.first()) + QLatin1Char('/')
                        + QString::number(i) + QStringLiteral(".mov");
    e.folder = tags.isEmpty() ? QStringLiteral("Unrated") : tags.first();
    e.expectedSize = 1000 + i * 7919LL;
    e.filename = QString::number(i) + QStringLiteral("_\u00e9.mov");
    e.rating = rating;
    e.tags = tags;
    e.duration = 0.35 * i;
    if (i % 3 != 0)
        e.resolution = QStringLiteral("1920x1080");
    e.frameRate = i % 4 == 0 ? 0 : 29.97;
    e.codec = i % 5 == 0 ? QString() : QStringLiteral("H.264");
    if (i % 7 == 1)
        e.markerFlag = MarkerFlag::marker();
    else if (i % 7 == 2)
        e.markerFlag = MarkerFlag::special(3);
    return e;
}

void expectSameBytes(CommitRecordDocument &document, const QList<ManifestEntry> &entries, FolderOrganization organization,
                     const QString &appVersion, const QString &status)
{
    const QByteArray expected = CommitRecord::encode(status, start, entries, organization, appVersion);
    const QByteArray actual = document.bytes(status);
    ASSERT_EQ(actual.size(), expected.size());
    ASSERT_EQ(actual, expected);
    // The pieces the record is written from are those bytes in order.
    QByteArray joined;
    for (const QByteArrayView piece : document.pieces(status))
        joined += piece;
    ASSERT_EQ(joined, expected);
}

} // namespace

TEST(CommitRecordDocument, EveryRewriteOfARunMatchesTheWholeRecordEncoding)
{
    for (const FolderOrganization organization : allFolderOrganizations()) {
        SCOPED_TRACE(rawValue(organization).toStdString());
        QList<ManifestEntry> entries;
        for (int i = 0; i < 24; ++i) {
            QStringList tags;
            if (i % 4 != 0)
                tags.append(awkward[i % awkward.size()]);
            if (i % 3 == 0)
                tags.append(awkward[(i * 5 + 1) % awkward.size()]);
            if (i == 9)
                tags.append(tags.value(0, QStringLiteral("Dunk"))); // the same tag twice on one clip
            entries.append(entry(i, tags, i % 7));                  // 6 is outside 1 to 5: counted as unrated
        }
        const QString version = organization == FolderOrganization::byRating ? QStringLiteral("1.4/\"beta\"") : QString();
        CommitRecordDocument document(start, organization, version, entries);
        expectSameBytes(document, entries, organization, version, CommitRecord::inProgress);

        // Every status an entry can end in, and the one the run never writes.
        const QStringList endings{ManifestEntry::verified, ManifestEntry::failed, ManifestEntry::needsReview, ManifestEntry::verified,
                                  ManifestEntry::moved};
        for (qsizetype i = 0; i < entries.size(); ++i) {
            ManifestEntry &e = entries[i];
            e.status = endings[i % endings.size()];
            if (e.status != ManifestEntry::verified)
                e.error = QStringLiteral("No space left on device (/out/\u00e9\"x\"\\y\tz)");
            document.setEntry(i, e);
            expectSameBytes(document, entries, organization, version, CommitRecord::inProgress);
        }
        expectSameBytes(document, entries, organization, version, CommitRecord::completeWithErrors);
        expectSameBytes(document, entries, organization, version, CommitRecord::complete);
    }
}

TEST(CommitRecordDocument, AnEntryThatChangesBackLeavesNoTraceInTheSummaries)
{
    QList<ManifestEntry> entries{entry(1, {QStringLiteral("A/B"), QStringLiteral("Dunk")}, 5), entry(2, {QStringLiteral("Dunk")}, 5)};
    CommitRecordDocument document(start, FolderOrganization::byTag, QStringLiteral("2.0"), entries);
    entries[0].status = ManifestEntry::verified;
    document.setEntry(0, entries[0]);
    entries[1].status = ManifestEntry::verified;
    document.setEntry(1, entries[1]);
    expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("2.0"), CommitRecord::inProgress);

    // Counted names that lose their last verified entry leave the summaries.
    entries[0].status = ManifestEntry::failed;
    entries[0].tags = {QStringLiteral("Other")};
    document.setEntry(0, entries[0]);
    expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("2.0"), CommitRecord::inProgress);
    EXPECT_FALSE(document.bytes(CommitRecord::inProgress).contains("\"A\\/B\": "));

    // Bytes handed out earlier stay as they were when the document goes on.
    const QByteArray earlier = document.bytes(CommitRecord::inProgress);
    const QByteArray copy(earlier.constData(), earlier.size());
    entries[1].status = ManifestEntry::pending;
    document.setEntry(1, entries[1]);
    expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("2.0"), CommitRecord::complete);
    EXPECT_EQ(earlier, copy);
}

TEST(CommitRecordDocument, EmptyPlanAndOddNumbersMatchToo)
{
    CommitRecordDocument empty(start, FolderOrganization::byRating, QString(), {});
    expectSameBytes(empty, {}, FolderOrganization::byRating, QString(), CommitRecord::complete);

    ManifestEntry odd = entry(3, {}, 0);
    odd.duration = std::numeric_limits<double>::quiet_NaN();
    odd.frameRate = std::numeric_limits<double>::infinity();
    ManifestEntry big = entry(4, {QStringLiteral("x")}, 2);
    big.duration = 1e300;
    big.frameRate = 1.0 / 3.0;
    big.expectedSize = std::numeric_limits<qint64>::max();
    ManifestEntry negative = entry(5, {}, -1);
    negative.duration = -0.04;
    negative.expectedSize = -1;
    QList<ManifestEntry> entries{odd, big, negative};
    CommitRecordDocument document(start, FolderOrganization::byRating, QStringLiteral("1"), entries);
    expectSameBytes(document, entries, FolderOrganization::byRating, QStringLiteral("1"), CommitRecord::inProgress);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        entries[i].status = ManifestEntry::verified;
        document.setEntry(i, entries[i]);
    }
    expectSameBytes(document, entries, FolderOrganization::byRating, QStringLiteral("1"), CommitRecord::complete);
}

TEST(CommitRecordDocument, RandomRunsMatchAtEveryStep)
{
    QRandomGenerator random(20250301);
    const QStringList statuses{ManifestEntry::pending,     ManifestEntry::verified, ManifestEntry::failed,
                               ManifestEntry::needsReview, ManifestEntry::moved,    QStringLiteral("Verified")};
    for (int run = 0; run < 20; ++run) {
        const FolderOrganization organization = run % 2 == 0 ? FolderOrganization::byRating : FolderOrganization::byTag;
        QList<ManifestEntry> entries;
        const int count = random.bounded(40);
        for (int i = 0; i < count; ++i) {
            QStringList tags;
            for (int t = random.bounded(4); t > 0; --t)
                tags.append(awkward[random.bounded(int(awkward.size()))]);
            entries.append(entry(i, tags, qint64(random.bounded(8)) - 1));
        }
        CommitRecordDocument document(start, organization, QStringLiteral("3"), entries);
        for (int step = 0; step < 60 && count > 0; ++step) {
            const int i = random.bounded(count);
            entries[i].status = statuses[random.bounded(int(statuses.size()))];
            if (random.bounded(2))
                entries[i].error = awkward[random.bounded(int(awkward.size()))];
            else
                entries[i].error.reset();
            document.setEntry(i, entries[i]);
            expectSameBytes(document, entries, organization, QStringLiteral("3"), CommitRecord::inProgress);
        }
    }
}

// Entries lie in blocks: a run just under, at and over a block's size, and
// one of several blocks, match at every step, changes at the first and last
// entry of a block included, in the run's order and back again.
TEST(CommitRecordDocument, RunsAcrossSeveralBlocksMatchAtEveryStep)
{
    const qsizetype block = CommitRecordDocument::entriesPerBlock;
    for (const qsizetype count : {block - 1, block, block + 1, 2 * block + 3}) {
        SCOPED_TRACE(count);
        QList<ManifestEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.append(entry(i, {awkward[i % awkward.size()]}, i % 6));
        CommitRecordDocument document(start, FolderOrganization::byTag, QStringLiteral("4"), entries);
        expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("4"), CommitRecord::inProgress);
        // Pieces: the head, one per block, the tail.
        EXPECT_EQ(document.pieces(CommitRecord::inProgress).size(), (count + block - 1) / block + 2);
        for (qsizetype i = 0; i < count; ++i) {
            entries[i].status = i % 3 == 1 ? ManifestEntry::failed : ManifestEntry::verified;
            if (entries[i].status == ManifestEntry::failed)
                entries[i].error = QStringLiteral("Permission denied (/out/x \"") + QString::number(i) + QStringLiteral("\")");
            document.setEntry(i, entries[i]);
            expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("4"), CommitRecord::inProgress);
        }
        for (qsizetype i = count - 1; i >= 0; i -= 5) {
            entries[i].status = ManifestEntry::needsReview;
            entries[i].error = QStringLiteral("gone");
            document.setEntry(i, entries[i]);
            expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("4"), CommitRecord::inProgress);
        }
        expectSameBytes(document, entries, FolderOrganization::byTag, QStringLiteral("4"), CommitRecord::completeWithErrors);
    }
}
