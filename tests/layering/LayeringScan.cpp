#include "LayeringScan.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <functional>

namespace {

QString folderOf(const QString &root, const QString &path)
{
    const QString relative = QDir(root).relativeFilePath(QFileInfo(path).path());
    if (relative == QLatin1String("AppUpdates") || relative.startsWith(QLatin1String("AppUpdates/")))
        return QStringLiteral("AppUpdates");
    return relative.mid(QStringLiteral("Triagon/").size());
}

void readIncludes(const QString &root, const QString &path, QList<FolderInclude> &out)
{
    static const QRegularExpression include(QStringLiteral(R"re(^\s*#\s*include\s*"([^"]+)")re"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QString from = folderOf(root, path);
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QRegularExpressionMatch match = include.match(QString::fromUtf8(file.readLine()));
        if (!match.hasMatch())
            continue;
        const QString header = match.captured(1);
        const qsizetype slash = header.lastIndexOf(u'/');
        const QString to = slash < 0 ? from : header.left(slash);
        if (to != from)
            out.append({QDir(root).relativeFilePath(path), number, from, to});
    }
}

bool listed(const QList<FolderRule> &rules, const QString &from, const QString &to)
{
    for (const FolderRule &rule : rules) {
        if (rule.folder == from && rule.mayInclude.contains(to))
            return true;
    }
    return false;
}

} // namespace

QList<FolderInclude> crossFolderIncludes(const QString &root, int *filesRead)
{
    QList<FolderInclude> includes;
    int files = 0;
    for (const char *top : {"Triagon", "AppUpdates"}) {
        QDirIterator it(root + u'/' + QLatin1String(top), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            readIncludes(root, it.next(), includes);
            ++files;
        }
    }
    if (filesRead)
        *filesRead = files;
    return includes;
}

QStringList includesAgainst(const QList<FolderRule> &rules, const QList<FolderInclude> &includes)
{
    QStringList found;
    for (const FolderInclude &include : includes) {
        if (!listed(rules, include.from, include.to))
            found.append(QStringLiteral("%1:%2  %3 -> %4").arg(include.file).arg(include.line).arg(include.from, include.to));
    }
    return found;
}

QStringList unusedEdges(const QList<FolderRule> &rules, const QList<FolderInclude> &includes)
{
    QSet<QString> used;
    for (const FolderInclude &include : includes)
        used.insert(include.from + QStringLiteral(" -> ") + include.to);
    QStringList unused;
    for (const FolderRule &rule : rules) {
        for (const QString &to : rule.mayInclude) {
            const QString edge = rule.folder + QStringLiteral(" -> ") + to;
            if (!used.contains(edge))
                unused.append(edge);
        }
    }
    return unused;
}

QString cycleIn(const QList<FolderRule> &rules)
{
    QHash<QString, QStringList> next;
    for (const FolderRule &rule : rules)
        next[rule.folder].append(rule.mayInclude);
    // Depth-first search; a folder met again while it is on the path closes a cycle.
    enum class Mark { onPath, done };
    QHash<QString, Mark> marks;
    QStringList path;
    std::function<QString(const QString &)> visit = [&](const QString &folder) -> QString {
        marks.insert(folder, Mark::onPath);
        path.append(folder);
        for (const QString &to : next.value(folder)) {
            const auto mark = marks.constFind(to);
            if (mark != marks.cend() && *mark == Mark::onPath)
                return (path.mid(path.indexOf(to)) << to).join(QStringLiteral(" -> "));
            if (mark == marks.cend()) {
                const QString cycle = visit(to);
                if (!cycle.isEmpty())
                    return cycle;
            }
        }
        path.removeLast();
        marks.insert(folder, Mark::done);
        return {};
    };
    for (const FolderRule &rule : rules) {
        if (!marks.contains(rule.folder)) {
            const QString cycle = visit(rule.folder);
            if (!cycle.isEmpty())
                return cycle;
        }
    }
    return {};
}
