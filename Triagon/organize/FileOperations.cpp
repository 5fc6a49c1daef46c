#include "organize/FileOperations.h"

#include "app/AtomicFile.h"
#include "app/NoReplaceRename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

bool isFolder(const QByteArray &path)
{
    struct stat info
    {
    };
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A failed write of `path` with the system's message, the path after it.
OrganizeError writeFailure(const AtomicFile::Failure &failure, const QString &path)
{
    return {OrganizeError::posixDomain, failure.systemError, failure.message + QStringLiteral(" (") + path + QLatin1Char(')')};
}

// A failed move with the path it is about, so that the user knows whether
// the file itself, the folder it was going into or the new name is at fault
// (a bare "No such file or directory" reads as if the clip's own file were
// gone). A taken name is the new one; otherwise the file is looked at, then
// the folder it goes into; when both are there the text names both paths.
OrganizeError moveFailure(int error, const QString &from, const QString &to)
{
    if (error == EEXIST || error == ENOTEMPTY)
        return OrganizeError::fromErrno(error, to);
    struct stat info
    {
    };
    if (::lstat(encoded(from).constData(), &info) != 0)
        return OrganizeError::fromErrno(errno, from);
    const QString folder = QFileInfo(to).path();
    if (::stat(encoded(folder).constData(), &info) != 0)
        return OrganizeError::fromErrno(errno, folder);
    if (!S_ISDIR(info.st_mode))
        return OrganizeError::fromErrno(ENOTDIR, folder);
    if (error == ENAMETOOLONG)
        return OrganizeError::fromErrno(error, to);
    return OrganizeError::fromErrno(error, from + QStringLiteral(" \u2192 ") + to);
}

OrganizeError readFailure(const QFile &file, const QString &path)
{
    return {OrganizeError::fileDomain, static_cast<int>(file.error()), file.errorString() + QStringLiteral(" (") + path + QLatin1Char(')')};
}

} // namespace

std::variant<FileOperations::Entry, OrganizeError> FileOperations::entry(const QString &path)
{
    struct stat info
    {
    };
    if (::lstat(encoded(path).constData(), &info) != 0)
        return OrganizeError::fromErrno(errno, path);
    Entry result;
    if (S_ISREG(info.st_mode))
        result.kind = Entry::Kind::regularFile;
    else if (S_ISDIR(info.st_mode))
        result.kind = Entry::Kind::folder;
    else if (S_ISLNK(info.st_mode))
        result.kind = Entry::Kind::symbolicLink;
    else if (S_ISFIFO(info.st_mode))
        result.kind = Entry::Kind::fifo;
    else if (S_ISSOCK(info.st_mode))
        result.kind = Entry::Kind::socket;
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        result.kind = Entry::Kind::device;
    result.size = static_cast<qint64>(info.st_size);
    return result;
}

bool FileOperations::exists(const QString &path)
{
    return std::holds_alternative<Entry>(entry(path));
}

std::optional<quint64> FileOperations::volume(const QString &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::stat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<quint64>(info.st_dev);
}

qsizetype FileOperations::nameLimit(const QString &folder)
{
    const long limit = folder.isEmpty() ? -1 : ::pathconf(encoded(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<qsizetype>(limit) : NAME_MAX;
}

std::optional<OrganizeError> FileOperations::moveWithoutReplacing(const QString &from, const QString &to)
{
    if (const int error = NoReplaceRename::rename(from, to, m_calls))
        return moveFailure(error, from, to);
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::linkAndUnlink(const QString &from, const QString &to)
{
    if (const int error = NoReplaceRename::linkAndUnlink(from, to))
        return moveFailure(error, from, to);
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::removeEmptyFile(const QString &path)
{
    const auto found = entry(path);
    if (const auto *error = std::get_if<OrganizeError>(&found))
        return *error;
    const Entry &file = std::get<Entry>(found);
    if (file.kind != Entry::Kind::regularFile || file.size != 0)
        return OrganizeError::fromErrno(EEXIST, path);
    if (::unlink(encoded(path).constData()) != 0)
        return OrganizeError::fromErrno(errno, path);
    return std::nullopt;
}

bool FileOperations::ignoresLetterCase(const QString &folder)
{
    // Letters of both cases, so that the twin differs in every letter.
    const QString name = QStringLiteral(".Triagon-Case-Probe-") + QUuid::createUuid().toString(QUuid::Id128).toUpper();
    QString twin = name;
    for (QChar &c : twin)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    const QByteArray probe = encoded(QDir(folder).filePath(name));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    ::close(fd);
    struct stat info
    {
    };
    // Not compared by inode: a FUSE file system may number the two names apart.
    const bool found = ::lstat(encoded(QDir(folder).filePath(twin)).constData(), &info) == 0;
    ::unlink(probe.constData());
    return found;
}

std::optional<OrganizeError> FileOperations::makeFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || !clean.startsWith(QLatin1Char('/')))
        return OrganizeError::fromErrno(ENOENT, path);
    // Every prefix from the root down: made when missing, else it must be a
    // folder (links to folders above the last component are the user's own
    // layout and are followed).
    qsizetype next = 1;
    while (next <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), next);
        if (slash < 0)
            slash = clean.size();
        const QString prefix = clean.left(slash);
        next = slash + 1;
        if (prefix.isEmpty())
            continue;
        const QByteArray bytes = encoded(prefix);
        if (::mkdir(bytes.constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && isFolder(bytes))
            continue;
        return OrganizeError::fromErrno(error, prefix);
    }
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::writeFileAtomically(const QString &path, const AtomicFile::Pieces &pieces,
                                                                 AtomicFile::Durability durability)
{
    if (const auto failure = AtomicFile::write(path, pieces, AtomicFile::Target::replace, durability))
        return writeFailure(*failure, path);
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::copyToNewFile(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return readFailure(source, from);
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return readFailure(source, from);
    source.close();
    if (const auto failure = AtomicFile::write(to, bytes, AtomicFile::Target::mustBeNew))
        return writeFailure(*failure, to);
    return std::nullopt;
}
