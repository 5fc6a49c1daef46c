#include "media/FFmpegError.h"

extern "C" {
#include <libavutil/error.h>
}

QString ffmpegErrorText(int errorCode)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(errorCode, buffer, sizeof buffer) < 0)
        return QStringLiteral("error %1").arg(errorCode);
    return QString::fromUtf8(buffer);
}

QString ffmpegErrorText(const QString &what, int errorCode)
{
    return what + QStringLiteral(": ") + ffmpegErrorText(errorCode);
}
