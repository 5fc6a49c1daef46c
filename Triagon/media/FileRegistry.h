#pragma once

#include "media/FileIdentity.h"

#include <QHash>
#include <QString>

#include <memory>
#include <mutex>

// What the readers of a file learn of it and share (the keyframes read from
// its packets, the index of a file that refuses seeks), one object per file
// as it is on disk now, whatever name it is opened by: a file replaced or
// changed gets a new one. The files used last are kept, up to `kept`.
// Thread-safe.
template <typename T>
class FileRegistry
{
public:
    explicit FileRegistry(int kept) : m_kept(kept) {}

    // The one kept for the file at path, else null.
    std::shared_ptr<T> existing(const QString &path)
    {
        const FileIdentity identity = FileIdentity::of(path);
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.constFind(keyOf(path, identity));
        return it != m_entries.cend() && it->identity == identity && identity.isValid() ? it->object : nullptr;
    }

    std::shared_ptr<T> forFile(const QString &path)
    {
        const FileIdentity identity = FileIdentity::of(path);
        const QString key = keyOf(path, identity);
        std::lock_guard lock(m_mutex);
        auto it = m_entries.find(key);
        if (it == m_entries.end() || !(it->identity == identity) || !identity.isValid())
            it = m_entries.insert(key, Entry{identity, std::make_shared<T>(), 0});
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
    // The same file under another name (a link) shares it.
    static QString keyOf(const QString &path, const FileIdentity &identity)
    {
        return identity.isValid() ? QStringLiteral("%1:%2").arg(identity.device).arg(identity.inode) : path;
    }

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
