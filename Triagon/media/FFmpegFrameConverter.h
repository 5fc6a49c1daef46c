#pragma once

#include "media/FFmpegPointers.h"
#include "media/VideoOrientation.h"

#include <QImage>
#include <QSize>

#include <algorithm>

// Turns decoded video frames into QImages: scaled to fit a maximum size with
// the aspect ratio kept (never enlarged), turned upright, and with the
// frame's own colour matrix and range applied, so that video black (Y 16 in
// limited range) becomes RGB 0 and video white RGB 255.
//
// Keeps its scaler between calls of the same geometry; not thread-safe.
class FFmpegFrameConverter
{
public:
    FFmpegFrameConverter() = default;
    // A converter that splits each picture among `threads` threads (for a
    // player that scales a run of frames while nothing else waits on it).
    explicit FFmpegFrameConverter(int threads) : m_threads(std::max(1, threads)) {}
    ~FFmpegFrameConverter();
    FFmpegFrameConverter(const FFmpegFrameConverter &) = delete;
    FFmpegFrameConverter &operator=(const FFmpegFrameConverter &) = delete;

    // The largest size with source's aspect ratio that fits maxSize, never
    // larger than source, at least 1x1. An empty or invalid maxSize keeps source.
    static QSize fitSize(QSize source, QSize maxSize);

    // The bytes of an image of that size made by convert() (rows are padded).
    static qint64 imageBytes(QSize size);
    // The bytes of one row of pixels that swscale may be given to write a
    // picture `width` pixels wide in four bytes a pixel: its vector code
    // writes whole blocks of pixels, past the end of a row of any other
    // width. Aligned for its fast paths.
    static int paddedStride(int width);

    // A coded size with a pixel aspect ratio applied: the width scaled, the
    // height kept (1440x1080 at 4:3 is 1920x1080). An unknown or absurd
    // ratio keeps the size.
    static QSize withPixelAspect(QSize coded, AVRational sampleAspectRatio);
    // The displayed size of a frame: its pixel aspect ratio applied, then
    // placed upright.
    static QSize displaySize(const AVFrame *frame, VideoOrientation orientation);

    // Format_RGB32 (Format_ARGB32 for sources with alpha), displaySize fitted
    // into maxSize and placed upright as `orientation` says. A null image
    // when the frame cannot be converted; *error then tells why.
    QImage convert(const AVFrame *frame, QSize maxSize = {}, VideoOrientation orientation = {}, QString *error = nullptr);

private:
    SwsContext *scalerFor(int width, int height, AVPixelFormat source, QSize scaled, int flags);

    const int m_threads = 1;
    SwsContext *m_scaler = nullptr; // owned; scalerFor() reuses or replaces it
    // What the scaler and its colour details were made for.
    int m_flags = 0;
    int m_colorspace = -1;
    int m_sourceRange = -1;
    QSize m_sourceSize;
    int m_sourceFormat = -1;
    QSize m_scaledSize;
};
