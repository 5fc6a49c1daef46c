#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>

#include <list>

// A thread-safe cache of images by text key, least recently used out first,
// bounded by a number of entries and by their bytes. Reading an entry makes
// it the most recently used. QImage is implicitly shared, so one poster held
// by several caches costs its memory once.
class PosterCache
{
public:
    PosterCache(int countLimit, qint64 byteLimit);
    PosterCache(const PosterCache &) = delete;
    PosterCache &operator=(const PosterCache &) = delete;

    // The image under key (a null image when absent); a hit makes it the most recent.
    QImage object(const QString &key);
    bool contains(const QString &key) const;
    // Stores (or replaces) an image and evicts the least recently used
    // entries beyond the limits. A null image, or one larger than the byte
    // limit on its own, is not stored.
    void insert(const QString &key, const QImage &image);
    void remove(const QString &key);
    void clear();

    int count() const;
    qint64 totalBytes() const;
    int countLimit() const;
    qint64 byteLimit() const;
    void setLimits(int countLimit, qint64 byteLimit);

private:
    struct Entry
    {
        QImage image;
        qint64 bytes = 0;
        std::list<QString>::iterator position;
    };
    void removeLocked(QHash<QString, Entry>::iterator entry);
    void trimLocked();

    mutable QMutex m_mutex;
    QHash<QString, Entry> m_entries;
    std::list<QString> m_order; // least recently used first
    qint64 m_bytes = 0;
    int m_countLimit;
    qint64 m_byteLimit;
};
