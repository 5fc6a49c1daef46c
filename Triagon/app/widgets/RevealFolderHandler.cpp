#include "app/widgets/RevealFolderHandler.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <optional>

#include <sys/stat.h>

namespace {

// Desktop entries and mimeapps.list files are a few kilobytes; a larger file
// is not one of them and is not read.
constexpr qint64 kMaxKeyFileBytes = 1024 * 1024;

// The groups of a desktop entry or mimeapps.list: group → key → value.
using KeyFile = QHash<QString, QHash<QString, QString>>;

KeyFile readKeyFile(const QString &path)
{
    KeyFile groups;
    // Only regular files: opening a FIFO left in a data folder would block.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxKeyFileBytes)
        return groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    QString group;
    const QList<QByteArray> lines = file.read(kMaxKeyFileBytes).split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            group = QString::fromUtf8(line.mid(1, line.size() - 2));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        QHash<QString, QString> &keys = groups[group];
        const QString key = QString::fromUtf8(line.left(equals).trimmed());
        // A key given twice is invalid; the first one counts.
        if (!keys.contains(key))
            keys.insert(key, QString::fromUtf8(line.mid(equals + 1).trimmed()));
    }
    return groups;
}

QStringList listValue(const KeyFile &file, const QString &group, const QString &key)
{
    return file.value(group).value(key).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QString homeFolder(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QDir::homePath() + fallbackUnderHome;
}

QStringList systemFolders(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    QStringList folders;
    for (const QString &folder : (value.isEmpty() ? fallback : value).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders.append(QDir::cleanPath(folder));
    }
    return folders;
}

// One step of precedence: a configuration folder, or a data folder with its
// applications/ folder, and the mimeapps.list files found there.
struct Level
{
    QStringList lists;
    QString applications; // empty for a configuration folder
};

QList<Level> levels()
{
    QStringList desktops;
    for (const QString &desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops.append(desktop.toLower());
    const auto listsIn = [&desktops](const QString &folder) {
        QStringList lists;
        for (const QString &desktop : desktops)
            lists.append(folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list"));
        lists.append(folder + QStringLiteral("/mimeapps.list"));
        return lists;
    };

    QList<Level> result;
    QStringList config{homeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"))};
    config += systemFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString &folder : config)
        result.append({listsIn(folder), {}});
    QStringList data{homeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"))};
    data += systemFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString &folder : data) {
        const QString applications = folder + QStringLiteral("/applications");
        // The older name of the defaults, still read by the desktops' launchers.
        result.append({listsIn(applications) << applications + QStringLiteral("/defaults.list"), applications});
    }
    return result;
}

struct Entry
{
    QString exec;
    QStringList mimeTypes;
};

// The installed entry of a desktop file, or none when it is deleted (Hidden),
// not an application, or its TryExec program is missing.
std::optional<Entry> installedEntry(const QString &path)
{
    const KeyFile file = readKeyFile(path);
    const QHash<QString, QString> keys = file.value(QStringLiteral("Desktop Entry"));
    if (keys.value(QStringLiteral("Type")) != QStringLiteral("Application")
        || keys.value(QStringLiteral("Hidden")) == QStringLiteral("true"))
        return std::nullopt;
    const QString tryExec = keys.value(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty()) {
        const QFileInfo program(QDir::isAbsolutePath(tryExec) ? tryExec : QStandardPaths::findExecutable(tryExec));
        if (!program.isFile() || !program.isExecutable())
            return std::nullopt;
    }
    return Entry{keys.value(QStringLiteral("Exec")), listValue(file, QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"))};
}

// The file of a desktop ID in one applications/ folder: "a-b.desktop" is
// "a-b.desktop" or, in a subfolder, "a/b.desktop".
QString desktopFileIn(const QString &folder, const QString &id)
{
    const QString direct = folder + QLatin1Char('/') + id;
    if (QFileInfo::exists(direct))
        return direct;
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0; dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString sub = folder + QLatin1Char('/') + id.left(dash);
        if (QFileInfo(sub).isDir()) {
            const QString found = desktopFileIn(sub, id.mid(dash + 1));
            if (!found.isEmpty())
                return found;
        }
    }
    return QString();
}

// The entry a desktop ID stands for: the one in the first data folder that has
// the ID, which hides those of the later ones (even when it is deleted).
std::optional<Entry> entryById(const QList<Level> &levels, const QString &id)
{
    if (!id.endsWith(QStringLiteral(".desktop")) || id.contains(QLatin1Char('/')))
        return std::nullopt;
    for (const Level &level : levels) {
        if (level.applications.isEmpty())
            continue;
        const QString path = desktopFileIn(level.applications, id);
        if (!path.isEmpty())
            return installedEntry(path);
    }
    return std::nullopt;
}

// The words of an Exec line, with its double quotes and their backslash
// escapes undone.
QStringList execWords(const QString &exec)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec.at(++i);
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

// The program an Exec line starts, past an `env` and its settings.
QString execProgram(const QString &exec)
{
    QStringList words = execWords(exec);
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == QStringLiteral("env")) {
        words.removeFirst();
        while (!words.isEmpty() && (words.first().contains(QLatin1Char('=')) || words.first().startsWith(QLatin1Char('-'))))
            words.removeFirst();
    }
    return words.value(0);
}

bool sameFile(const QString &a, const char *b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

bool runsTriagon(const QString &exec)
{
    const QString program = execProgram(exec);
    if (program.isEmpty())
        return false;
    if (QFileInfo(program).fileName() == QStringLiteral("triagon"))
        return true;
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    // The running program itself, through a link or a hard link of another name.
    return !path.isEmpty() && sameFile(path, "/proc/self/exe");
}

RevealFolderHandler::Handler handler(const QString &id, const Entry &entry)
{
    return {id, id == RevealFolderHandler::ownDesktopId() || runsTriagon(entry.exec)};
}

// The IDs of the applications/ folder's desktop files, sorted: "a/b.desktop"
// has the ID "a-b.desktop".
QStringList desktopIdsIn(const QString &folder)
{
    QStringList ids;
    QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ids.append(QDir(folder).relativeFilePath(it.filePath()).replace(QLatin1Char('/'), QLatin1Char('-')));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

QString RevealFolderHandler::ownDesktopId()
{
    return QStringLiteral("com.brinkwolder.Triagon.desktop");
}

RevealFolderHandler::Handler RevealFolderHandler::lookup(const QString &mimeType)
{
    const QList<Level> all = levels();

    // A default set for the type, first installed one first.
    for (const Level &level : all) {
        for (const QString &list : level.lists) {
            for (const QString &id : listValue(readKeyFile(list), QStringLiteral("Default Applications"), mimeType)) {
                if (const std::optional<Entry> entry = entryById(all, id))
                    return handler(id, *entry);
            }
        }
    }

    // Without one, the applications associated with the type, folder by folder.
    QSet<QString> removed;
    QSet<QString> seen;
    for (const Level &level : all) {
        QStringList added;
        for (const QString &list : level.lists) {
            const KeyFile file = readKeyFile(list);
            for (const QString &id : listValue(file, QStringLiteral("Removed Associations"), mimeType))
                removed.insert(id);
            added += listValue(file, QStringLiteral("Added Associations"), mimeType);
        }
        for (const QString &id : added) {
            if (removed.contains(id))
                continue;
            if (const std::optional<Entry> entry = entryById(all, id))
                return handler(id, *entry);
        }
        if (level.applications.isEmpty())
            continue;
        // The desktop entries of one folder that claim the type come in no
        // set order: the launchers differ. If Triagon's is one of them, it
        // may be the one a launcher picks.
        QList<Handler> claiming;
        for (const QString &id : desktopIdsIn(level.applications)) {
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (removed.contains(id))
                continue;
            const std::optional<Entry> entry = installedEntry(desktopFileIn(level.applications, id));
            if (entry && entry->mimeTypes.contains(mimeType))
                claiming.append(handler(id, *entry));
        }
        if (!claiming.isEmpty()) {
            const auto own = std::find_if(claiming.cbegin(), claiming.cend(), [](const Handler &h) { return h.ours; });
            return own != claiming.cend() ? *own : claiming.first();
        }
    }
    return {};
}
