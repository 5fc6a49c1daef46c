#include "markers/MarkerDetector.h"

#include "library/model/FinderOrder.h"

#include "Printers.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>
#include <random>

namespace {

using Reset = MarkerDetector::NumberingReset;

Clip clipAt(const QString &path, std::optional<int> minute = std::nullopt)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    if (minute)
        clip.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, 0), QTimeZone::utc()).addSecs(60 * *minute);
    return clip;
}

// Four clips in one plain folder, recorded one minute apart in the given order.
QList<Clip> datedFolder(const QStringList &names, const QString &folder = QStringLiteral("/shoot/cam"))
{
    QList<Clip> clips;
    for (int i = 0; i < names.size(); ++i)
        clips.append(clipAt(folder + QLatin1Char('/') + names[i], i));
    return clips;
}

const QStringList restart{QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"),
                          QStringLiteral("C0002.MP4")};

QStringList names(const QList<Clip> &clips)
{
    QStringList result;
    for (const Clip &clip : clips)
        result.append(clip.url.path());
    return result;
}

} // namespace

TEST(ClipNumber, SplitsTheStemAroundItsLastDigitRun)
{
    const auto take = MarkerDetector::clipNumber(QStringLiteral("clip_07_take.mov"));
    ASSERT_TRUE(take);
    EXPECT_EQ(take->prefix, QStringLiteral("clip_"));
    EXPECT_EQ(take->value, 7);
    EXPECT_EQ(take->suffix, QStringLiteral("_take"));
    EXPECT_EQ(take->digits, 2);
    EXPECT_EQ(take->ext, QStringLiteral("mov"));

    const auto camera = MarkerDetector::clipNumber(QStringLiteral("/card/20240501_C0012.MP4"));
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->prefix, QStringLiteral("20240501_C"));
    EXPECT_EQ(camera->value, 12);
    EXPECT_EQ(camera->digits, 4);
    EXPECT_EQ(camera->ext, QStringLiteral("mp4"));

    // The extension's digits do not count; a name starting with its only dot has no extension.
    EXPECT_EQ(MarkerDetector::clipNumber(QStringLiteral("A001.mp4v2"))->value, 1);
    const auto hidden = MarkerDetector::clipNumber(QStringLiteral(".take3"));
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->prefix, QStringLiteral(".take"));
    EXPECT_EQ(hidden->ext, QString());

    const auto zeros = MarkerDetector::clipNumber(QStringLiteral("C00000000000000000000000001.MP4"));
    ASSERT_TRUE(zeros);
    EXPECT_EQ(zeros->value, 1);
    EXPECT_EQ(zeros->digits, 26);

    EXPECT_FALSE(MarkerDetector::clipNumber(QStringLiteral("intro.mov")));
    // Digits of other scripts are not file numbers.
    EXPECT_FALSE(MarkerDetector::clipNumber(QStringLiteral("C") + QChar(0x0663) + QStringLiteral(".mov")));
    EXPECT_TRUE(MarkerDetector::clipNumber(QStringLiteral("C9223372036854775807.MP4")));
    EXPECT_FALSE(MarkerDetector::clipNumber(QStringLiteral("C9223372036854775808.MP4")));
}

TEST(ClipNumber, ConsecutiveFilesShareTheirPatternAndFollowByOne)
{
    auto consecutive = [](const QString &a, const QString &b) {
        return MarkerDetector::isConsecutive(clipAt(QStringLiteral("/f/") + a), clipAt(QStringLiteral("/f/") + b));
    };
    EXPECT_TRUE(consecutive(QStringLiteral("C0010.MP4"), QStringLiteral("C0011.MP4")));
    EXPECT_TRUE(consecutive(QStringLiteral("C9.MP4"), QStringLiteral("C10.MP4")));
    EXPECT_TRUE(consecutive(QStringLiteral("C0010.MP4"), QStringLiteral("C0011.mp4")));
    EXPECT_FALSE(consecutive(QStringLiteral("C0011.MP4"), QStringLiteral("C0010.MP4")));
    EXPECT_FALSE(consecutive(QStringLiteral("C0010.MP4"), QStringLiteral("C0012.MP4")));
    EXPECT_FALSE(consecutive(QStringLiteral("C0010.MP4"), QStringLiteral("C0011.MOV")));
    EXPECT_FALSE(consecutive(QStringLiteral("B0010.MP4"), QStringLiteral("A0011.MP4")));
    EXPECT_FALSE(consecutive(QStringLiteral("C0010a.MP4"), QStringLiteral("C0011b.MP4")));
    EXPECT_FALSE(consecutive(QStringLiteral("intro.MP4"), QStringLiteral("C0001.MP4")));
    EXPECT_FALSE(consecutive(QStringLiteral("C9223372036854775807.MP4"), QStringLiteral("C9223372036854775808.MP4")));
}

TEST(CameraFolder, ThreeDigitsFromOneHundredAndFiveNameCharacters)
{
    const auto camera = MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/card/DCIM/100ABCDE/")));
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->number, 100);
    EXPECT_EQ(camera->suffix, QStringLiteral("ABCDE"));
    EXPECT_EQ(camera->root, QUrl::fromLocalFile(QStringLiteral("/card/DCIM/")));
    EXPECT_EQ(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/card/DCIM/999ABCDE")))->root, camera->root);

    EXPECT_TRUE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/100ABC-E/"))));
    EXPECT_TRUE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/100AB_DE/"))));
    EXPECT_FALSE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/099ABCDE/"))));
    EXPECT_FALSE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/100ABCD/"))));
    EXPECT_FALSE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/100ABCDEF/"))));
    EXPECT_FALSE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/100ABC.E/"))));
    EXPECT_FALSE(MarkerDetector::cameraFolder(QUrl::fromLocalFile(QStringLiteral("/c/1O0ABCDE/"))));
}

TEST(CameraFolder, FoldersOfOneCardFormOneSource)
{
    const QList<Clip> clips{clipAt(QStringLiteral("/card/100ABCDE/C1.MP4")),   clipAt(QStringLiteral("/other/C2.MP4")),
                            clipAt(QStringLiteral("/card/101ABCDE/C3.MP4")),   clipAt(QStringLiteral("/card/101XYZZY/C4.MP4")),
                            clipAt(QStringLiteral("/card/./100ABCDE/C5.MP4")), clipAt(QStringLiteral("/other/C6.MP4"))};
    const auto groups = MarkerDetector::clipsBySource(clips);
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].source.root, QUrl::fromLocalFile(QStringLiteral("/card/")));
    EXPECT_EQ(groups[0].source.cameraFolderSuffix, QStringLiteral("ABCDE"));
    EXPECT_EQ(names(groups[0].clips), (QStringList{QStringLiteral("/card/100ABCDE/C1.MP4"), QStringLiteral("/card/101ABCDE/C3.MP4"),
                                                   QStringLiteral("/card/./100ABCDE/C5.MP4")}));
    EXPECT_EQ(groups[1].source.root, QUrl::fromLocalFile(QStringLiteral("/other/")));
    EXPECT_FALSE(groups[1].source.cameraFolderSuffix);
    EXPECT_EQ(groups[1].clips.size(), 2);
    EXPECT_EQ(groups[2].source.cameraFolderSuffix, QStringLiteral("XYZZY"));
}

TEST(NumberingResets, DatedRestartInOneFolder)
{
    QList<Clip> clips = datedFolder(restart);
    const QList<Reset> expected{Reset{clips[1].id, clips[2].id}};
    EXPECT_EQ(MarkerDetector::numberingResets(clips), expected);

    // The store's order does not matter: the recording dates decide.
    std::reverse(clips.begin(), clips.end());
    EXPECT_EQ(MarkerDetector::numberingResets(clips), expected);

    // Between other clips of the same folder, recorded before and after.
    QList<Clip> longer = datedFolder({QStringLiteral("C0118.MP4"), QStringLiteral("C0119.MP4"), QStringLiteral("C0120.MP4"),
                                      QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"), QStringLiteral("C0002.MP4"),
                                      QStringLiteral("C0003.MP4")});
    EXPECT_EQ(MarkerDetector::numberingResets(longer), (QList<Reset>{Reset{longer[3].id, longer[4].id}}));
}

TEST(NumberingResets, PlainFolderNeedsEveryRecordingDate)
{
    QList<Clip> clips = datedFolder(restart);
    for (Clip &clip : clips)
        clip.recordedAt.reset();
    EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty());

    clips = datedFolder(restart);
    clips[3].recordedAt = QDateTime(); // an unusable date counts as none
    EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty());
}

TEST(NumberingResets, NextCameraFolderWithoutDates)
{
    auto card = [](const QString &secondFolder) {
        return QList<Clip>{clipAt(QStringLiteral("/card/100ABCDE/C0120.MP4")), clipAt(QStringLiteral("/card/100ABCDE/C0121.MP4")),
                           clipAt(QStringLiteral("/card/") + secondFolder + QStringLiteral("/C0001.MP4")),
                           clipAt(QStringLiteral("/card/") + secondFolder + QStringLiteral("/C0002.MP4"))};
    };
    QList<Clip> clips = card(QStringLiteral("101ABCDE"));
    std::swap(clips[0], clips[3]);
    EXPECT_EQ(MarkerDetector::numberingResets(clips), (QList<Reset>{Reset{clips[1].id, clips[2].id}}));

    EXPECT_TRUE(MarkerDetector::numberingResets(card(QStringLiteral("102ABCDE"))).isEmpty());
    EXPECT_TRUE(MarkerDetector::numberingResets(card(QStringLiteral("101ABCDF"))).isEmpty());

    // Partly dated camera folders are ordered by folder and name.
    clips = card(QStringLiteral("101ABCDE"));
    clips[0].recordedAt = QDateTime(QDate(2030, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(MarkerDetector::numberingResets(clips), (QList<Reset>{Reset{clips[1].id, clips[2].id}}));

    // Fully dated: the dates must run forward across the folders as well.
    clips = card(QStringLiteral("101ABCDE"));
    for (int i = 0; i < 4; ++i)
        clips[i].recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, i), QTimeZone::utc());
    EXPECT_EQ(MarkerDetector::numberingResets(clips), (QList<Reset>{Reset{clips[1].id, clips[2].id}}));
    std::swap(clips[0].recordedAt, clips[2].recordedAt);
    std::swap(clips[1].recordedAt, clips[3].recordedAt);
    EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty());
}

TEST(NumberingResets, NumbersMustReallyRestart)
{
    // Dated clips of one folder in recording order, and whether a reset lies between the middle two.
    const std::vector<std::pair<QString, bool>> cases{
        {QStringLiteral("C0015 C0016 C0001 C0002"), false},                                                   // 16 is less than 20
        {QStringLiteral("C0019 C0020 C0001 C0002"), true},  {QStringLiteral("C0120 C0121 C001 C002"), false}, // digit counts differ
        {QStringLiteral("C0120 C0121 C0010 C0011"), false},                                                   // 10 is more than 9
        {QStringLiteral("C0098 C0099 C0009 C0010"), false}, {QStringLiteral("C0099 C0100 C0009 C0010"), true},
        {QStringLiteral("C0119 C0121 C0001 C0002"), false}, // the clips before are not consecutive
        {QStringLiteral("C0120 C0121 D0001 D0002"), false}, // another name pattern
    };
    for (const auto &[text, expected] : cases) {
        QStringList files;
        for (const QString &stem : text.split(QLatin1Char(' ')))
            files.append(stem + QStringLiteral(".MP4"));
        EXPECT_EQ(MarkerDetector::numberingResets(datedFolder(files)).size(), expected ? 1 : 0) << text.toStdString();
    }
    EXPECT_TRUE(MarkerDetector::numberingResets(datedFolder({QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"),
                                                             QStringLiteral("C0001.MOV"), QStringLiteral("C0002.MOV")}))
                    .isEmpty());
}

TEST(NumberingResets, WindowsNeedFourClipsAndStrictlyRisingDates)
{
    QList<Clip> three = datedFolder({QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"), QStringLiteral("C0002.MP4")});
    EXPECT_TRUE(MarkerDetector::numberingResets(three).isEmpty());

    // A restart right at the start or the end of a group has no partner on one side.
    EXPECT_TRUE(MarkerDetector::numberingResets(datedFolder({QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"),
                                                             QStringLiteral("C0002.MP4"), QStringLiteral("C0003.MP4")}))
                    .isEmpty());

    QList<Clip> clips = datedFolder(restart);
    clips[2].recordedAt = clips[1].recordedAt;
    EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty());
}

TEST(NumberingResets, OfflineClipInTheWindowPreventsIt)
{
    for (int offline = 0; offline < 4; ++offline) {
        QList<Clip> clips = datedFolder(restart);
        clips[offline].isMissing = true;
        EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty()) << offline;
    }
}

TEST(NumberingResets, AReviewOfThePairSettlesIt)
{
    for (auto decision : {NumberingResetReview::Decision::dismissed, NumberingResetReview::Decision::linked}) {
        QList<Clip> clips = datedFolder(restart);
        clips[2].numberingResetReview = NumberingResetReview{clips[1].id, decision};
        EXPECT_TRUE(MarkerDetector::numberingResets(clips).isEmpty());
    }
    QList<Clip> clips = datedFolder(restart);
    clips[2].numberingResetReview = NumberingResetReview{clips[0].id, NumberingResetReview::Decision::dismissed};
    EXPECT_EQ(MarkerDetector::numberingResets(clips).size(), 1);
    clips = datedFolder(restart);
    clips[1].numberingResetReview = NumberingResetReview{clips[2].id, NumberingResetReview::Decision::dismissed};
    EXPECT_EQ(MarkerDetector::numberingResets(clips).size(), 1);
}

TEST(NumberingResets, SortedByTheFirstClipsUuidText)
{
    QList<Clip> a = datedFolder(restart, QStringLiteral("/shoot/a"));
    QList<Clip> b = datedFolder(restart, QStringLiteral("/shoot/b"));
    a[2].id = QUuid::fromString(QStringLiteral("f0000000-0000-4000-8000-000000000000"));
    b[2].id = QUuid::fromString(QStringLiteral("0fffffff-ffff-4fff-bfff-ffffffffffff"));
    const QList<Reset> resets = MarkerDetector::numberingResets(a + b);
    EXPECT_EQ(resets, (QList<Reset>{Reset{b[1].id, b[2].id}, Reset{a[1].id, a[2].id}}));
    EXPECT_TRUE(MarkerDetector::numberingResets({}).isEmpty());
}

TEST(SequenceOrder, FolderAndNameInFinderOrderOrDateFirst)
{
    const QList<Clip> clips{clipAt(QStringLiteral("/s/b/C10.MP4"), 0), clipAt(QStringLiteral("/s/a/C2.MP4"), 3),
                            clipAt(QStringLiteral("/s/b/c2.MP4"), 1), clipAt(QStringLiteral("/s/A/C9.MP4"), 2)};
    EXPECT_EQ(names(MarkerDetector::sequenceOrder(clips, false)),
              (QStringList{QStringLiteral("/s/A/C9.MP4"), QStringLiteral("/s/a/C2.MP4"), QStringLiteral("/s/b/c2.MP4"),
                           QStringLiteral("/s/b/C10.MP4")}));
    EXPECT_EQ(names(MarkerDetector::sequenceOrder(clips, true)),
              (QStringList{QStringLiteral("/s/b/C10.MP4"), QStringLiteral("/s/b/c2.MP4"), QStringLiteral("/s/A/C9.MP4"),
                           QStringLiteral("/s/a/C2.MP4")}));

    // Names that compare equal keep their input order.
    const QList<Clip> twins{clipAt(QStringLiteral("/s/a/c1.MP4")), clipAt(QStringLiteral("/s/a/C1.MP4")),
                            clipAt(QStringLiteral("/s/a/C0.MP4"))};
    EXPECT_EQ(names(MarkerDetector::sequenceOrder(twins, false)),
              (QStringList{QStringLiteral("/s/a/C0.MP4"), QStringLiteral("/s/a/c1.MP4"), QStringLiteral("/s/a/C1.MP4")}));
}

TEST(SequenceOrder, IsTheSameForEveryInputOrder)
{
    // "Card" and "card" are different folders whose paths compare equal in
    // Finder order. Ordering pairs in the same folder by name and other pairs
    // by folder path would make C2 in Card equal to C1 in card, C1 in card
    // equal to C1 in Card, yet C1 in Card before C2 in Card: no consistent
    // order exists, and sorting by such a rule is undefined. The order used
    // is total, so every arrangement of the input sorts the same way.
    std::mt19937 random(20240501);
    QList<Clip> clips;
    const QStringList folders{QStringLiteral("/s/Card/"), QStringLiteral("/s/card/"), QStringLiteral("/s/CARD/"), QStringLiteral("/s/x/")};
    for (int i = 0; i < 300; ++i) {
        const QString folder = folders[random() % folders.size()];
        const QString name = (random() % 2 ? QStringLiteral("C") : QStringLiteral("c")) + QString::number(random() % 12)
                             + QStringLiteral(".MP4");
        clips.append(clipAt(folder + name, static_cast<int>(random() % 5)));
    }
    for (bool useDates : {false, true}) {
        const QList<Clip> reference = MarkerDetector::sequenceOrder(clips, useDates);
        ASSERT_EQ(reference.size(), clips.size());
        for (int round = 0; round < 20; ++round) {
            QList<Clip> shuffled = clips;
            std::shuffle(shuffled.begin(), shuffled.end(), random);
            const QList<Clip> sorted = MarkerDetector::sequenceOrder(shuffled, useDates);
            // Only clips of the same folder and date whose names compare
            // equal (c1 and C1) may trade places; they keep their input order.
            ASSERT_EQ(sorted.size(), reference.size());
            for (qsizetype i = 0; i < sorted.size(); ++i) {
                ASSERT_EQ(MarkerDetector::folderURL(sorted[i].url), MarkerDetector::folderURL(reference[i].url)) << i;
                ASSERT_EQ(FinderOrder::compare(sorted[i].urlFileName(), reference[i].urlFileName()), 0) << i;
                if (useDates) {
                    ASSERT_EQ(sorted[i].recordedAt, reference[i].recordedAt) << i;
                }
            }
        }
    }
    // The three clips of the example come out folder by folder.
    const QList<Clip> example{clipAt(QStringLiteral("/s/Card/C2.MP4")), clipAt(QStringLiteral("/s/card/C1.MP4")),
                              clipAt(QStringLiteral("/s/Card/C1.MP4"))};
    EXPECT_EQ(names(MarkerDetector::sequenceOrder(example, false)),
              (QStringList{QStringLiteral("/s/Card/C1.MP4"), QStringLiteral("/s/Card/C2.MP4"), QStringLiteral("/s/card/C1.MP4")}));
}
