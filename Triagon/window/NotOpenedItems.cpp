#include "window/NotOpenedItems.h"

#include "library/model/FileName.h"
#include "library/model/VideoExtensions.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// ".avi, .m4v, …", in a fixed order.
QStringList extensionList()
{
    QStringList extensions = supportedVideoExtensions().values();
    std::sort(extensions.begin(), extensions.end());
    for (QString &extension : extensions)
        extension.prepend(QLatin1Char('.'));
    return extensions;
}

QString names(const QStringList &paths)
{
    QStringList listed;
    for (const QString &path : paths.mid(0, NotOpenedItems::namesListed))
        listed.append(FileName::lastComponent(path));
    QString text = listed.join(QStringLiteral(", "));
    if (paths.size() > NotOpenedItems::namesListed)
        text += QStringLiteral(" and %1 more").arg(paths.size() - NotOpenedItems::namesListed);
    return text;
}

} // namespace

QString NotOpenedItems::reason(const QString &path)
{
    // Links are followed, as a drop follows them.
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file or folder");
    if (info.isDir() || hasSupportedVideoExtension(path))
        return QString();
    return QStringLiteral("not a folder or a video file Triagon opens (%1)").arg(extensionList().join(QStringLiteral(", ")));
}

QString NotOpenedItems::summary(const QStringList &paths)
{
    const QString count = paths.size() == 1 ? QStringLiteral("1 item was") : QStringLiteral("%1 items were").arg(paths.size());
    return QStringLiteral("%1 not opened: %2").arg(count, names(paths));
}

QString NotOpenedItems::details(const QStringList &paths)
{
    QStringList extensions = extensionList();
    const QString last = extensions.takeLast();
    QString text =
        QStringLiteral("Triagon opens folders and video files ending in %1 or %2.").arg(extensions.join(QStringLiteral(", ")), last);
    QStringList missing;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(missing), [](const QString &path) { return !QFileInfo::exists(path); });
    if (!missing.isEmpty())
        text += QStringLiteral(" Not found: %1.").arg(names(missing));
    return text;
}
