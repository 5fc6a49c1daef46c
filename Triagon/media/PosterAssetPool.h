#pragma once

#include "media/FFmpegFormat.h"
#include "media/FFmpegFrameConverter.h"
#include "media/FileIdentity.h"

#include <QMutex>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <unordered_map>

// Files kept open for the poster generator, so that a second poster of the
// same file neither opens nor reads it again: an asset is the opened file
// (its streams and sample index read), a generator the frame converter set
// up for it. At most 50 of each are kept, least recently used out first; an
// asset that leaves takes its file's generator with it. A decode takes an
// asset and a generator out while it runs and gives them back afterwards; a
// second decode of the same file meanwhile opens a file of its own. A file
// replaced on disk since it was opened is opened again. Thread-safe.
class PosterAssetPool
{
public:
    static constexpr int maxAssetPoolSize = 50;
    static constexpr int maxGeneratorPoolSize = 50;

    struct Generator
    {
        FFmpegFrameConverter converter;
        QSize maximumSize;
    };

    // Opens a file for its posters (FFmpegFormat::openForDecoding); a closed
    // format, with *error set, when it cannot.
    using Opener = std::function<FFmpegFormat(const QString &path, QString *error)>;

    PosterAssetPool() = default;
    PosterAssetPool(const PosterAssetPool &) = delete;
    PosterAssetPool &operator=(const PosterAssetPool &) = delete;

    // The kept asset of path, or the file opened now; a closed format (with
    // *error set) when it cannot be opened.
    FFmpegFormat takeAsset(const QString &path, QString *error = nullptr);
    void returnAsset(const QString &path, FFmpegFormat format);
    // The kept generator of path, set to maximumSize, or a new one.
    std::unique_ptr<Generator> takeGenerator(const QString &path, QSize maximumSize);
    void returnGenerator(const QString &path, std::unique_ptr<Generator> generator);

    void clear();

    // Replaces the opening of files (tests stand in for a file system whose
    // opens take long). Set before the first asset is taken.
    void setOpener(Opener opener);

    // For diagnostics and tests.
    int assetCount() const;
    int generatorCount() const;
    QStringList assetOrder() const;     // least recently used first
    QStringList generatorOrder() const; // least recently used first
    int filesOpened() const;            // files opened since the pool was made

private:
    struct Asset
    {
        FFmpegFormat format;
        FileIdentity identity; // a file replaced on disk is opened again
    };
    void trimAssetsLocked();
    void trimGeneratorsLocked();

    mutable QMutex m_mutex;
    std::unordered_map<QString, Asset> m_assets;
    QStringList m_assetOrder;
    std::unordered_map<QString, std::unique_ptr<Generator>> m_generators;
    QStringList m_generatorOrder;
    int m_filesOpened = 0;
    Opener m_opener;
};
