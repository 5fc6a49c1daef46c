#include "StoreTestSupport.h"
#include "library/ClipImporter.h"
#include "media/FFmpegFrameConverter.h"
#include "media/ThumbnailGenerator.h"
#include "support/StoreWithEngines.h"
#include "support/TestMedia.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreTest;

TEST(Prewarm, MakesNoMorePostersThanTheCacheKeeps)
{
    QList<Clip> clips;
    for (int i = 0; i < 10; ++i)
        clips.append(clip(QStringLiteral("take%1.mov").arg(i)));
    // 1080p posters at 480 x 270 take 518,400 bytes each.
    const qint64 poster = FFmpegFrameConverter::imageBytes(QSize(480, 270));
    ASSERT_EQ(poster, 518400);
    EXPECT_EQ(ClipImporter::prewarmLimit(clips, PosterCache(100, 3 * poster)), 3);
    EXPECT_EQ(ClipImporter::prewarmLimit(clips, PosterCache(4, 100 * poster)), 4);
    EXPECT_EQ(ClipImporter::prewarmLimit(clips, PosterCache(100, 100 * poster)), 10);
    // Portrait clips make narrower posters (152 x 270, rows padded to 640
    // bytes): more of them fit.
    for (Clip &c : clips)
        std::swap(c.width, c.height);
    EXPECT_EQ(ClipImporter::prewarmLimit(clips, PosterCache(100, 3 * poster)), 9);
    EXPECT_EQ(ClipImporter::prewarmLimit({}, PosterCache(100, 3 * poster)), 0);
}

TEST(Prewarm, GoesInStoreOrderUpToTheCacheAndSkipsThePostersItHas)
{
    QTemporaryDir dir;
    for (int i = 1; i <= 5; ++i)
        TestMedia::copyTo(QStringLiteral("portrait.mp4"), dir.path(), QStringLiteral("take%1.mp4").arg(i));
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    ThumbnailGenerator *generator = store.thumbnailGenerator();
    // Room for three posters of these clips (152 x 270).
    generator->posterCache().setLimits(3, 3 * FFmpegFrameConverter::imageBytes(QSize(152, 270)));
    QSignalSpy prewarmed(store.importer(), &ClipImporter::prewarmFinished);
    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(prewarmed.wait(60000));
    const auto cached = [&](int i) {
        const Clip &c = store.clips()[i];
        return generator->posterCache().contains(
            ThumbnailGenerator::posterKey(c.path(), 0.25 * c.duration, ClipImporter::prewarmPosterSize));
    };
    ASSERT_EQ(store.clips().size(), 5);
    EXPECT_EQ(generator->posterCache().count(), 3);
    EXPECT_EQ(generator->cachedCount(), 3);
    EXPECT_TRUE(cached(0));
    EXPECT_TRUE(cached(1));
    EXPECT_TRUE(cached(2));
    EXPECT_FALSE(cached(3));
    EXPECT_FALSE(cached(4));
    EXPECT_EQ(generator->assetPool().filesOpened(), 3);

    // Run again (after an import or a relink), the posters the cache holds
    // are not made again.
    store.importer()->schedulePostImportWork();
    ASSERT_TRUE(prewarmed.wait(60000));
    EXPECT_EQ(generator->assetPool().filesOpened(), 3);
    EXPECT_EQ(generator->cachedCount(), 3);
}
