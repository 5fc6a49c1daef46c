#pragma once

#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "library/model/Clip.h"
#include "organize/FileOperations.h"
#include "organize/OrganizeRequest.h"
#include "organize/OrganizeRunner.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUuid>
#include <array>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Real files in temporary folders, and a file layer that lets a test step in
// before or after any operation.
namespace OrganizeTest {

// Writes `size` bytes (a pattern that depends on the name, so two files
// never share their content) and returns the path.
inline QString makeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    QByteArray bytes(size, '\0');
    const QByteArray seed = QFileInfo(path).fileName().toUtf8();
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = seed.isEmpty() ? char(i) : char(seed[i % seed.size()] + i / seed.size());
    file.write(bytes);
    return path;
}

inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void appendBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

// A clip for a file on disk, with the file's size as the import records it.
inline Clip clipFor(const QString &path, qint64 rating = 0, const QStringList &tags = {})
{
    Clip c;
    c.id = QUuid::createUuid();
    c.url = QUrl::fromLocalFile(path);
    c.filename = QFileInfo(path).fileName();
    c.duration = 12.34;
    c.width = 1920;
    c.height = 1080;
    c.fileSize = QFileInfo(path).size();
    c.codec = QStringLiteral("H.264");
    c.frameRate = 29.97;
    c.rating = rating;
    c.tags = tags;
    return c;
}

inline QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(contentOf(path)).object();
}

// A run by rating of the clips into the destination folder.
inline OrganizeRequest byRating(const QList<Clip> &clips, const QString &destination, const QString &records, bool manifest = false)
{
    OrganizeRequest r;
    r.clips = clips;
    r.destination = QUrl::fromLocalFile(destination);
    r.organization = FolderOrganization::byRating;
    r.recordsFolder = records;
    r.generateManifest = manifest;
    return r;
}

// Thrown by a hook where a killed process would stop the run.
struct Stopped
{
};

// Clips under a folder of a temporary folder, organized by rating into its
// "dest" folder; the records are kept outside it.
struct Footage
{
    QTemporaryDir dir;
    QString root = dir.filePath("card");
    QString records = dir.filePath("records");

    QString at(const QString &relative) const { return root + QLatin1Char('/') + relative; }
    Clip clip(const QString &relative, qint64 rating, qint64 size) const { return clipFor(makeFile(at(relative), size), rating); }
    OrganizeRequest request(const QList<Clip> &clips) const { return byRating(clips, at(QStringLiteral("dest")), records); }
    // Every regular file under the folder (or one of its folders) as its
    // relative path, "=" and its size, sorted, on one line.
    QString files(const QString &under = QString()) const
    {
        const QDir folder(at(under));
        QStringList list;
        QDirIterator it(folder.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            list.append(folder.relativeFilePath(path) + QLatin1Char('=') + QString::number(QFileInfo(path).size()));
        }
        list.sort();
        return list.join(QLatin1Char(' '));
    }
};

// The system's calls of a move without replacing, with a file system's
// refusals in their way: a call given an errno fails with it and does
// nothing; the others are the real calls on the real files.
class RefusingCalls : public NoReplaceRename::System
{
public:
    enum class Call { renameNoReplace, link, createNew, rename };
    // An errno, or 0, for each call in the order of Call.
    using Refusals = std::array<int, 4>;
    // A FUSE exFAT card refuses RENAME_NOREPLACE with EINVAL and links with EPERM.
    static constexpr Refusals likeFuseExfat{EINVAL, EPERM, 0, 0};

    explicit RefusingCalls(const Refusals &refusals = {}) : refusals(refusals) {}

    Refusals refusals;
    // Called after every call; it may act on the disk, or throw to stop the
    // caller there.
    std::function<void(Call call)> after;

    int renameNoReplace(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::renameNoReplace, [&] { return System::renameNoReplace(from, to); });
    }
    int link(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::link, [&] { return System::link(from, to); });
    }
    int createNew(const QByteArray &path, struct stat &made) override
    {
        return answer(Call::createNew, [&] { return System::createNew(path, made); });
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::rename, [&] { return System::rename(from, to); });
    }

private:
    int answer(Call call, const std::function<int()> &real)
    {
        const int refusal = refusals[static_cast<size_t>(call)];
        const int result = refusal ? refusal : real();
        if (after)
            after(call);
        return result;
    }
};

// The real file layer, with a hook before each operation (the hook may act on
// the disk, or answer in place of the real operation by returning a value)
// and a log of the records written.
class HookedFileOperations : public FileOperations
{
public:
    enum class Op { entry, volume, move, makeFolder, write, copy, remove };

    using FileOperations::FileOperations;

    // Called before the operation with its paths; a returned error is the
    // operation's result and the real operation does not run.
    std::function<std::optional<OrganizeError>(Op op, const QString &a, const QString &b)> before;
    // Called after a real move or write with its paths and result.
    std::function<void(Op op, const QString &a, const QString &b)> after;
    // Replaces the volume lookup when set.
    std::function<std::optional<quint64>(const QString &path)> volumeOf;
    // Replaces the probe of a folder's letter case when set.
    std::function<bool(const QString &folder)> ignoresCase;
    QStringList caseProbes;

    // Every record write, in order: the bytes as written.
    QList<QByteArray> writes;
    QList<AtomicFile::Durability> writeDurabilities; // one per successful write
    int moves = 0;
    QStringList volumeLookups;

    std::variant<Entry, OrganizeError> entry(const QString &path) override
    {
        if (auto error = hook(Op::entry, path))
            return *error;
        return FileOperations::entry(path);
    }
    std::optional<quint64> volume(const QString &path) override
    {
        volumeLookups.append(path);
        return volumeOf ? volumeOf(path) : FileOperations::volume(path);
    }
    std::optional<OrganizeError> moveWithoutReplacing(const QString &from, const QString &to) override
    {
        ++moves;
        if (auto error = hook(Op::move, from, to))
            return error;
        auto result = FileOperations::moveWithoutReplacing(from, to);
        if (after)
            after(Op::move, from, to);
        return result;
    }
    bool ignoresLetterCase(const QString &folder) override
    {
        caseProbes.append(folder);
        return ignoresCase ? ignoresCase(folder) : FileOperations::ignoresLetterCase(folder);
    }
    std::optional<OrganizeError> removeEmptyFile(const QString &path) override
    {
        if (auto error = hook(Op::remove, path))
            return error;
        return FileOperations::removeEmptyFile(path);
    }
    std::optional<OrganizeError> makeFolder(const QString &path) override
    {
        if (auto error = hook(Op::makeFolder, path))
            return error;
        return FileOperations::makeFolder(path);
    }
    std::optional<OrganizeError> writeFileAtomically(const QString &path, const AtomicFile::Pieces &pieces,
                                                     AtomicFile::Durability durability) override
    {
        if (auto error = hook(Op::write, path))
            return error;
        auto result = FileOperations::writeFileAtomically(path, pieces, durability);
        if (!result) {
            QByteArray bytes;
            for (const QByteArrayView piece : pieces)
                bytes += piece;
            writes.append(bytes);
            writeDurabilities.append(durability);
        }
        if (after)
            after(Op::write, path, QString());
        return result;
    }
    std::optional<OrganizeError> copyToNewFile(const QString &from, const QString &to) override
    {
        if (auto error = hook(Op::copy, from, to))
            return error;
        return FileOperations::copyToNewFile(from, to);
    }

private:
    std::optional<OrganizeError> hook(Op op, const QString &a, const QString &b = QString()) const
    {
        return before ? before(op, a, b) : std::nullopt;
    }
};

// A store whose organize runs go through a hooked file layer, with a footage
// and a destination folder in one temporary folder.
struct StoreFolders
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    MediaEngines engines;
    ClipStore store;
    std::shared_ptr<HookedFileOperations> files = std::make_shared<HookedFileOperations>();

    StoreFolders()
    {
        store.setMediaEngines(&engines);
        QDir().mkpath(destination);
        store.organizeRunner().setFileOperations(files);
    }
    ~StoreFolders() { store.clearSessionFile(); }

    // A file of `size` bytes in the footage folder, its clip added to the store.
    Clip add(const QString &name, qint64 rating, const QStringList &tags = {}, qint64 size = 100)
    {
        const Clip clip = clipFor(makeFile(footage + QLatin1Char('/') + name, size), rating, tags);
        store.appendClips({clip});
        return clip;
    }
};

// The disk's answer when full.
inline OrganizeError diskFull()
{
    return OrganizeError::fromErrno(ENOSPC);
}

} // namespace OrganizeTest
