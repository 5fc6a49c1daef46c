#include "markers/MarkerDetector.h"

#include <algorithm>
#include <cmath>

// ==== Frame statistics and marker confidence =================================
// A hand over the lens gives a frame that is out of focus (little edge
// detail), even in brightness, and skin-coloured or dark. One small frame at
// the clip's start is enough to tell.

namespace {

constexpr int minimumFrameSide = 5;

bool isSkin(int r, int g, int b)
{
    return r >= 96 && g >= 41 && b >= 21 && r > g && r > b && r - g >= 16;
}

} // namespace

QFuture<MarkerDetector::Metrics> MarkerDetector::metrics(const Clip &clip, const PosterSource &posters, CancelFlag cancelled)
{
    const double duration = clip.duration;
    const Metrics frameless{duration, std::nullopt};
    if ((cancelled && cancelled->load()) || !posters)
        return QtFuture::makeReadyFuture(frameless);
    // Written so that an unknown (not a number) duration fails too.
    if (!(duration > 0 && duration <= maxSampledDuration))
        return QtFuture::makeReadyFuture(frameless);

    QFuture<QImage> poster = posters(clip.path(), 0.0, frameRequestSize);
    return poster
        .then(QtFuture::Launch::Async,
              [duration, cancelled](const QImage &image) {
                  if (cancelled && cancelled->load())
                      return Metrics{duration, std::nullopt};
                  return metrics(duration, image);
              })
        // The poster source gave up on the request (it is shutting down).
        .onCanceled([frameless] { return frameless; });
}

MarkerDetector::Metrics MarkerDetector::metrics(double duration, const QImage &frame)
{
    Metrics result{duration, std::nullopt};
    const std::optional<Bitmap> bitmap = rasterize(frame);
    if (!bitmap)
        return result;
    const QByteArray luma = lumaPlane(bitmap->rgba, bitmap->width, bitmap->height);
    result.frame = frameStats(luma, bitmap->rgba, bitmap->width, bitmap->height, 0.0);
    return result;
}

std::optional<MarkerDetector::Bitmap> MarkerDetector::rasterize(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    const int w = image.width();
    const int h = image.height();
    if (w < minimumFrameSide || h < minimumFrameSide)
        return std::nullopt;
    const int width = std::min(w, bitmapMaxWidth);
    const int height = std::min(h, bitmapMaxHeight);

    // Premultiplied, as if drawn over transparent black.
    const QImage source = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (source.isNull())
        return std::nullopt;

    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    const qsizetype rowBytes = qsizetype(4) * width;
    bitmap.rgba.resize(rowBytes * height);
    auto *out = reinterpret_cast<uchar *>(bitmap.rgba.data());
    if (width == w && height == h) {
        for (int y = 0; y < height; ++y)
            std::copy_n(source.constScanLine(y), rowBytes, out + rowBytes * y);
        return bitmap;
    }
    // Stretched to fill (the requested 16:9 poster and the bitmap have the
    // same shape) with plain bilinear interpolation and no prefilter: the
    // low-quality drawing that the sharpness ceiling was tuned against. An
    // area average would blur fine detail away and make sharp frames look
    // like covered lenses.
    const double scaleX = double(w) / width;
    const double scaleY = double(h) / height;
    for (int y = 0; y < height; ++y) {
        const double sy = std::clamp((y + 0.5) * scaleY - 0.5, 0.0, double(h - 1));
        const int y0 = int(sy);
        const int y1 = std::min(y0 + 1, h - 1);
        const double fy = sy - y0;
        const uchar *row0 = source.constScanLine(y0);
        const uchar *row1 = source.constScanLine(y1);
        for (int x = 0; x < width; ++x) {
            const double sx = std::clamp((x + 0.5) * scaleX - 0.5, 0.0, double(w - 1));
            const int x0 = int(sx);
            const int x1 = std::min(x0 + 1, w - 1);
            const double fx = sx - x0;
            uchar *px = out + rowBytes * y + 4 * x;
            for (int c = 0; c < 4; ++c) {
                const double top = row0[4 * x0 + c] + (row0[4 * x1 + c] - row0[4 * x0 + c]) * fx;
                const double bottom = row1[4 * x0 + c] + (row1[4 * x1 + c] - row1[4 * x0 + c]) * fx;
                px[c] = static_cast<uchar>(std::clamp(std::lround(top + (bottom - top) * fy), 0L, 255L));
            }
        }
    }
    return bitmap;
}

QByteArray MarkerDetector::lumaPlane(const QByteArray &rgba, int width, int height)
{
    const qsizetype n = qsizetype(std::max(width, 0)) * std::max(height, 0);
    QByteArray luma(n, '\0');
    if (rgba.size() < 4 * n)
        return luma;
    const auto *px = reinterpret_cast<const uchar *>(rgba.constData());
    auto *out = reinterpret_cast<uchar *>(luma.data());
    for (qsizetype i = 0; i < n; ++i) {
        const double r = px[4 * i];
        const double g = px[4 * i + 1];
        const double b = px[4 * i + 2];
        // This order of the sum, so that a grey of 128 comes out just below
        // 128 and truncates to 127, as the thresholds were tuned with.
        const double y = std::clamp(0.114 * b + (0.587 * g + 0.299 * r), 0.0, 255.0);
        out[i] = static_cast<uchar>(y);
    }
    return luma;
}

MarkerDetector::FrameStats MarkerDetector::frameStats(const QByteArray &luma, const QByteArray &rgba, int width, int height, double time)
{
    FrameStats stats;
    stats.time = time;
    if (width <= 0 || height <= 0)
        return stats;
    const qsizetype n = qsizetype(width) * height;
    if (luma.size() < n || rgba.size() < 4 * n)
        return stats;
    const auto *y = reinterpret_cast<const uchar *>(luma.constData());
    const auto *px = reinterpret_cast<const uchar *>(rgba.constData());

    qint64 skin = 0;
    qint64 dark = 0;
    qint64 sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (isSkin(px[4 * i], px[4 * i + 1], px[4 * i + 2]))
            ++skin;
        if (y[i] < darkLuma)
            ++dark;
        sum += y[i];
    }
    stats.skinFraction = double(skin) / double(n);
    stats.darkFraction = double(dark) / double(n);

    const double mean = double(sum) / double(n);
    double squares = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const double d = y[i] - mean;
        squares += d * d;
    }
    stats.lumaStdDev = std::sqrt(squares / double(n));

    // The discrete Laplacian over the interior; the border has no full
    // neighbourhood and is left out.
    qint64 m = 0;
    qint64 lapSum = 0;
    qint64 lapSquares = 0;
    for (int row = 1; row + 1 < height; ++row) {
        for (int col = 1; col + 1 < width; ++col) {
            const qsizetype at = qsizetype(row) * width + col;
            const qint64 l = 4 * qint64(y[at]) - y[at - 1] - y[at + 1] - y[at - width] - y[at + width];
            lapSum += l;
            lapSquares += l * l;
            ++m;
        }
    }
    if (m > 0) {
        const double mu = double(lapSum) / double(m);
        const double variance = double(lapSquares) / double(m) - mu * mu;
        stats.laplacianVariance = variance > 0 ? variance : 0.0;
    }
    return stats;
}

MarkerDetector::ConfidenceTerms MarkerDetector::confidenceTerms(const FrameStats &frame, const Settings &settings)
{
    const double blurInput = settings.sharpnessCeiling >= 1.0 ? frame.laplacianVariance / settings.sharpnessCeiling
                                                              : frame.laplacianVariance;
    ConfidenceTerms terms;
    terms.blur = 1.0 - std::min(blurInput, 1.0);
    terms.uniformity = 1.0 - std::min(frame.lumaStdDev / uniformLumaSpread, 1.0);
    terms.coverage = std::min(frame.skinFraction + frame.darkFraction, 1.0);
    return terms;
}

double MarkerDetector::confidence(const Metrics &metrics, const Settings &settings)
{
    if (metrics.duration > settings.maxMarkerDuration || !metrics.frame)
        return 0.0;
    const ConfidenceTerms terms = confidenceTerms(*metrics.frame, settings);
    const double sum = blurWeight * terms.blur + uniformityWeight * terms.uniformity + coverageWeight * terms.coverage;
    // Also 0 for a sum that is not a number.
    if (!(sum >= 0))
        return 0.0;
    return std::min(sum, 1.0);
}

bool MarkerDetector::isMarker(const Metrics &metrics, const Settings &settings, std::optional<bool> override)
{
    if (override)
        return *override;
    return confidence(metrics, settings) >= settings.confidenceThreshold;
}
