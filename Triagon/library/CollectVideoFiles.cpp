#include "library/CollectVideoFiles.h"

#include "app/Loggers.h"
#include "library/LocalFileName.h"
#include "library/model/FinderOrder.h"
#include "library/model/VideoExtensions.h"

#include <QFile>
#include <QSet>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

bool isCancelled(const std::atomic<bool> *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

struct DirectoryCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

QList<QUrl> collectVideoFiles(const QUrl &folder, const std::atomic<bool> *cancelled, int *undecodableNames)
{
    const QString root = folder.toLocalFile();
    if (root.isEmpty())
        return {};

    QStringList found;
    // Folders already entered, by device and inode: even without following
    // links, a bind mount can show a folder inside itself.
    QSet<std::pair<dev_t, ino_t>> entered;
    std::vector<QString> pending{root};

    while (!pending.empty()) {
        if (isCancelled(cancelled))
            return {};
        QString dirPath = pending.back();
        pending.pop_back();

        const QByteArray encodedDir = QFile::encodeName(dirPath);
        std::unique_ptr<DIR, DirectoryCloser> dir(opendir(encodedDir.constData()));
        if (!dir) {
            const int error = errno;
            qCWarning(sessionLogger()).noquote() << QStringLiteral("Skipping folder that cannot be read: %1 (%2)")
                                                        .arg(dirPath, QString::fromLocal8Bit(std::strerror(error)));
            continue;
        }
        struct stat dirInfo
        {
        };
        if (fstat(dirfd(dir.get()), &dirInfo) == 0) {
            const auto key = std::make_pair(dirInfo.st_dev, dirInfo.st_ino);
            if (entered.contains(key))
                continue;
            entered.insert(key);
        }

        if (!dirPath.endsWith(QLatin1Char('/')))
            dirPath += QLatin1Char('/');
        std::vector<QString> subfolders;
        while (dirent *entry = readdir(dir.get())) {
            if (isCancelled(cancelled))
                return {};
            // Hidden entries, "." and ".." all start with a dot.
            if (entry->d_name[0] == '.')
                continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                // Some file systems leave the type out; ask without following a link.
                struct stat info
                {
                };
                if (fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISREG(info.st_mode) ? DT_REG : S_ISDIR(info.st_mode) ? DT_DIR : DT_LNK;
            }
            // Links, devices, sockets and pipes are not regular files.
            if (type != DT_DIR && type != DT_REG)
                continue;
            const QByteArray bytes(entry->d_name);
            const QString name = QFile::decodeName(bytes);
            const bool faithful = LocalFileName::survivesAsText(bytes);
            if (type == DT_DIR) {
                if (faithful) {
                    subfolders.push_back(dirPath + name);
                } else {
                    qCWarning(sessionLogger()).noquote() << QStringLiteral("Skipping folder whose name is not valid UTF-8: %1%2")
                                                                .arg(dirPath, LocalFileName::printable(bytes));
                }
            } else if (hasSupportedVideoExtension(name)) {
                if (faithful) {
                    found.append(dirPath + name);
                } else {
                    qCWarning(sessionLogger()).noquote() << QStringLiteral("Skipping file whose name is not valid UTF-8: %1%2")
                                                                .arg(dirPath, LocalFileName::printable(bytes));
                    if (undecodableNames)
                        ++*undecodableNames;
                }
            }
        }
        // Later folders are taken from the back; the final sort decides the order anyway.
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
            pending.push_back(std::move(*it));
    }

    // The file manager's order (case-insensitive, digit runs by value); names
    // that it holds equal ("A.mov", "a.mov") keep a fixed order by their bytes.
    std::stable_sort(found.begin(), found.end(), [](const QString &a, const QString &b) {
        const int order = FinderOrder::compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });

    QList<QUrl> result;
    result.reserve(found.size());
    for (const QString &path : std::as_const(found))
        result.append(QUrl::fromLocalFile(path));
    return result;
}
