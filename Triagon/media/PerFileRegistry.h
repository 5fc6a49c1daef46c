#pragma once

#include "media/FileIdentity.h"

#include <QHash>
#include <QString>

#include <memory>
#include <mutex>

// One object per file, shared by every reader of the file while the file
// stays the same (a file replaced or changed on disk gets a new one), kept
// for the `kept` files used last. Thread-safe.
template <typename T>
class PerFileRegistry
{
public:
    explicit PerFileRegistry(int kept) : m_kept(kept) {}

    std::shared_ptr<T> forFile(const QString &path)
    {
        const FileIdentity identity = FileIdentity::of(path);
        std::lock_guard lock(m_mutex);
        auto it = m_entries.find(path);
        if (it == m_entries.end() || !(it->identity == identity) || !identity.isValid())
            it = m_entries.insert(path, Entry{identity, std::make_shared<T>(), 0});
        it->used = ++m_clock;
        std::shared_ptr<T> object = it->object;
        while (m_entries.size() > m_kept) {
            auto oldest = m_entries.begin();
            for (auto e = m_entries.begin(); e != m_entries.end(); ++e) {
                if (e->used < oldest->used)
                    oldest = e;
            }
            m_entries.erase(oldest);
        }
        return object;
    }

private:
    struct Entry
    {
        FileIdentity identity;
        std::shared_ptr<T> object;
        quint64 used = 0;
    };
    const int m_kept;
    std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
    quint64 m_clock = 0;
};
