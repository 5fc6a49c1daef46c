#include "media/PosterAssetPool.h"

#include <QMutexLocker>

FFmpegFormat PosterAssetPool::takeAsset(const QString &path, QString *error)
{
    const FileIdentity identity = FileIdentity::of(path);
    Opener opener;
    {
        QMutexLocker lock(&m_mutex);
        if (const auto it = m_assets.find(path); it != m_assets.end()) {
            FFmpegFormat kept = std::move(it->second.format);
            const bool same = it->second.identity == identity && identity.isValid();
            m_assets.erase(it);
            m_assetOrder.removeOne(path);
            if (same)
                return kept;
            // Replaced or gone: its generator was made for the old file too.
            m_generators.erase(path);
            m_generatorOrder.removeOne(path);
        }
        ++m_filesOpened;
        opener = m_opener;
    }
    if (opener)
        return opener(path, error);
    FFmpegFormat format;
    if (!format.openForDecoding(path, error))
        return FFmpegFormat();
    return format;
}

void PosterAssetPool::setOpener(Opener opener)
{
    QMutexLocker lock(&m_mutex);
    m_opener = std::move(opener);
}

void PosterAssetPool::returnAsset(const QString &path, FFmpegFormat format)
{
    if (!format.isOpen())
        return;
    const FileIdentity identity = FileIdentity::of(path);
    QMutexLocker lock(&m_mutex);
    if (m_assets.count(path))
        return; // another decode of the file gave its own back first
    m_assets.emplace(path, Asset{std::move(format), identity});
    m_assetOrder.append(path);
    trimAssetsLocked();
}

std::unique_ptr<PosterAssetPool::Generator> PosterAssetPool::takeGenerator(const QString &path, QSize maximumSize)
{
    std::unique_ptr<Generator> generator;
    {
        QMutexLocker lock(&m_mutex);
        if (const auto it = m_generators.find(path); it != m_generators.end()) {
            generator = std::move(it->second);
            m_generators.erase(it);
            m_generatorOrder.removeOne(path);
        }
    }
    if (!generator)
        generator = std::make_unique<Generator>();
    generator->maximumSize = maximumSize;
    return generator;
}

void PosterAssetPool::returnGenerator(const QString &path, std::unique_ptr<Generator> generator)
{
    if (!generator)
        return;
    QMutexLocker lock(&m_mutex);
    // A generator is only kept beside its file's asset.
    if (m_generators.count(path) || !m_assets.count(path))
        return;
    m_generators.emplace(path, std::move(generator));
    m_generatorOrder.append(path);
    trimGeneratorsLocked();
}

void PosterAssetPool::trimAssetsLocked()
{
    while (m_assets.size() > size_t(maxAssetPoolSize) && !m_assetOrder.isEmpty()) {
        const QString oldest = m_assetOrder.takeFirst();
        m_assets.erase(oldest);
        // The generator goes with its asset; its place in the generator
        // order is dropped when the generator trim meets it.
        m_generators.erase(oldest);
    }
}

void PosterAssetPool::trimGeneratorsLocked()
{
    // Entries of generators that left with their assets go first.
    m_generatorOrder.removeIf([this](const QString &path) { return !m_generators.count(path); });
    while (m_generators.size() > size_t(maxGeneratorPoolSize) && !m_generatorOrder.isEmpty())
        m_generators.erase(m_generatorOrder.takeFirst());
}

void PosterAssetPool::clear()
{
    QMutexLocker lock(&m_mutex);
    m_assets.clear();
    m_assetOrder.clear();
    m_generators.clear();
    m_generatorOrder.clear();
}

int PosterAssetPool::assetCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_assets.size());
}

int PosterAssetPool::generatorCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_generators.size());
}

QStringList PosterAssetPool::assetOrder() const
{
    QMutexLocker lock(&m_mutex);
    return m_assetOrder;
}

QStringList PosterAssetPool::generatorOrder() const
{
    QMutexLocker lock(&m_mutex);
    QStringList order = m_generatorOrder;
    order.removeIf([this](const QString &path) { return !m_generators.count(path); });
    return order;
}

int PosterAssetPool::filesOpened() const
{
    QMutexLocker lock(&m_mutex);
    return m_filesOpened;
}
