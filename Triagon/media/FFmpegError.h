#pragma once

#include <QString>

// FFmpeg reports failures as negative error codes; this turns one into text
// (av_err2str is a C compound-literal macro that C++ cannot use).
QString ffmpegErrorText(int errorCode);

// Describes a failed FFmpeg call as "what: reason".
QString ffmpegErrorText(const QString &what, int errorCode);
