#include "library/StandardizedURL.h"

#include <QDir>

QUrl standardizedFileURL(const QUrl &url)
{
    if (!url.isLocalFile())
        return url.adjusted(QUrl::NormalizePathSegments);
    return QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
}
