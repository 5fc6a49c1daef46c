#include "library/model/VideoExtensions.h"

#include "library/model/FileName.h"

const QSet<QString> &supportedVideoExtensions()
{
    static const QSet<QString> extensions{QStringLiteral("mov"), QStringLiteral("mp4"), QStringLiteral("m4v"), QStringLiteral("avi"),
                                          QStringLiteral("mkv"), QStringLiteral("mts"), QStringLiteral("webm")};
    return extensions;
}

bool hasSupportedVideoExtension(const QString &path)
{
    return supportedVideoExtensions().contains(FileName::extension(path).toLower());
}
