#include "media/FFmpegFrameConverter.h"

#include "media/FFmpegPointers.h"
#include "media/PixelBufferPool.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>

namespace {

// The deprecated "J" formats are their plain siblings in full range;
// swscale wants the plain format and the range said separately.
AVPixelFormat withoutFullRangeAlias(AVPixelFormat format, bool *fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        *fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        *fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        *fullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        *fullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        *fullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

// swscale's coefficient tables are indexed like AVColorSpace; an unknown
// matrix is guessed the way players do: HD and larger is BT.709.
int swsColorspace(const AVFrame *frame)
{
    switch (frame->colorspace) {
    case AVCOL_SPC_BT709:
        return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
        return SWS_CS_FCC;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
        return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
        return SWS_CS_BT2020;
    default:
        return frame->height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

} // namespace

FFmpegFrameConverter::~FFmpegFrameConverter()
{
    sws_freeContext(m_scaler);
}

SwsContext *FFmpegFrameConverter::scalerFor(int width, int height, AVPixelFormat source, QSize scaled, int flags)
{
    // Made anew only when what it was made for changes. (sws_getCachedContext
    // cannot set a thread count, and it replaces the scaler of some sources,
    // 4:4:4 among them, at every call, often at the same address: the colour
    // details set on the first one were lost from the second picture on.)
    if (m_scaler && m_sourceSize == QSize(width, height) && m_sourceFormat == int(source) && m_scaledSize == scaled && m_flags == flags)
        return m_scaler;
    sws_freeContext(m_scaler);
    m_scaler = nullptr; // the new one gets its colour details (convert)
    SwsContext *scaler = sws_alloc_context();
    if (!scaler)
        return nullptr;
    av_opt_set_int(scaler, "srcw", width, 0);
    av_opt_set_int(scaler, "srch", height, 0);
    av_opt_set_int(scaler, "src_format", source, 0);
    av_opt_set_int(scaler, "dstw", scaled.width(), 0);
    av_opt_set_int(scaler, "dsth", scaled.height(), 0);
    av_opt_set_int(scaler, "dst_format", AV_PIX_FMT_BGRA, 0);
    av_opt_set_int(scaler, "sws_flags", flags, 0);
    av_opt_set_int(scaler, "threads", m_threads, 0);
    if (sws_init_context(scaler, nullptr, nullptr) < 0) {
        sws_freeContext(scaler);
        return nullptr;
    }
    return scaler;
}

QSize FFmpegFrameConverter::fitSize(QSize source, QSize maxSize)
{
    if (source.width() <= 0 || source.height() <= 0)
        return {};
    if (maxSize.width() <= 0 || maxSize.height() <= 0)
        return source;
    const double scale = std::min({1.0, double(maxSize.width()) / source.width(), double(maxSize.height()) / source.height()});
    const int width = std::clamp(int(std::lround(source.width() * scale)), 1, std::min(source.width(), maxSize.width()));
    const int height = std::clamp(int(std::lround(source.height() * scale)), 1, std::min(source.height(), maxSize.height()));
    return {width, height};
}

int FFmpegFrameConverter::paddedStride(int width)
{
    // QImage rows are only 4-byte aligned; 64 bytes holds the 16 pixels of
    // swscale's widest block, and a width of whole blocks ends a row exactly.
    return FFALIGN(std::max(1, width) * 4, 64);
}

qint64 FFmpegFrameConverter::imageBytes(QSize size)
{
    return size.isEmpty() ? 0 : qint64(paddedStride(size.width())) * size.height();
}

QSize FFmpegFrameConverter::withPixelAspect(QSize coded, AVRational sampleAspectRatio)
{
    if (coded.width() <= 0 || coded.height() <= 0)
        return {};
    if (sampleAspectRatio.num <= 0 || sampleAspectRatio.den <= 0 || sampleAspectRatio.num == sampleAspectRatio.den)
        return coded;
    const double scaled = std::round(coded.width() * av_q2d(sampleAspectRatio));
    if (!std::isfinite(scaled) || scaled < 1 || scaled > 16 * double(coded.width()))
        return coded;
    return {int(scaled), coded.height()};
}

QSize FFmpegFrameConverter::displaySize(const AVFrame *frame, VideoOrientation orientation)
{
    if (!frame)
        return {};
    return orientation.shownSize(withPixelAspect(QSize(frame->width, frame->height), frame->sample_aspect_ratio));
}

QImage FFmpegFrameConverter::convert(const AVFrame *frame, QSize maxSize, VideoOrientation orientation, QString *error)
{
    auto fail = [error](const char *why) {
        if (error)
            *error = QString::fromUtf8(why);
        return QImage();
    };
    if (!frame || frame->width <= 0 || frame->height <= 0 || !frame->data[0])
        return fail("No frame to convert");

    // Fit in display orientation, then scale to the stored counterpart.
    const QSize fitted = fitSize(displaySize(frame, orientation), maxSize);
    if (fitted.isEmpty())
        return fail("The frame has no size");
    const QSize scaled = orientation.storedSize(fitted);

    bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = withoutFullRangeAlias(AVPixelFormat(frame->format), &fullRange);
    const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(source);
    if (!descriptor)
        return fail("Unknown pixel format");
    const bool hasAlpha = descriptor->flags & AV_PIX_FMT_FLAG_ALPHA;

    // For an odd width swscale works out the colours of every pixel from
    // the full chroma row, several times slower: the frame is scaled one
    // column wider and that column left out (its row padding holds it).
    const QSize scaledEven(scaled.width() + scaled.width() % 2, scaled.height());
    const bool downscale = scaledEven.width() < frame->width || scaledEven.height() < frame->height;
    const int flags = downscale ? SWS_AREA : SWS_BICUBIC;
    SwsContext *scaler = scalerFor(frame->width, frame->height, source, scaledEven, flags);
    if (!scaler) {
        m_scaler = nullptr;
        return fail("Cannot convert this pixel format");
    }
    const int colorspace = swsColorspace(frame);
    const QSize sourceSize(frame->width, frame->height);
    if (scaler != m_scaler || colorspace != m_colorspace || int(fullRange) != m_sourceRange || sourceSize != m_sourceSize
        || int(source) != m_sourceFormat || scaledEven != m_scaledSize) {
        m_scaler = scaler;
        m_flags = flags;
        m_sourceSize = sourceSize;
        m_sourceFormat = int(source);
        m_scaledSize = scaledEven;
        if (!(descriptor->flags & AV_PIX_FMT_FLAG_RGB)) {
            // Output is full-range RGB; the source's matrix and range decide how it gets there.
            sws_setColorspaceDetails(scaler, sws_getCoefficients(colorspace), fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                                     1 << 16, 1 << 16);
        }
        m_colorspace = colorspace;
        m_sourceRange = fullRange;
    }

    const int stride = paddedStride(scaledEven.width()); // the same as for scaled.width()
    auto *pixels = static_cast<uchar *>(PixelBufferPool::instance().take(size_t(stride) * size_t(scaled.height())));
    if (!pixels)
        return fail("Out of memory");
    QImage image(pixels, scaled.width(), scaled.height(), stride, hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32,
                 PixelBufferPool::giveBack, pixels);
    if (m_threads > 1) {
        // Split among threads only through the frame interface; the picture
        // memory stays the pool's (the frame borrows it).
        FFmpegFramePtr target(av_frame_alloc());
        AVBufferRef *borrowed = av_buffer_create(
            pixels, size_t(stride) * size_t(scaled.height()), [](void *, uint8_t *) {}, nullptr, 0);
        if (!target || !borrowed) {
            av_buffer_unref(&borrowed);
            return fail("Out of memory");
        }
        target->buf[0] = borrowed;
        target->data[0] = pixels;
        target->linesize[0] = stride;
        target->format = AV_PIX_FMT_BGRA;
        target->width = scaledEven.width();
        target->height = scaled.height();
        if (sws_scale_frame(scaler, target.get(), frame) < 0)
            return fail("The scaler failed");
    } else {
        uint8_t *planes[4] = {pixels, nullptr, nullptr, nullptr};
        int strides[4] = {stride, 0, 0, 0};
        const int rows = sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
        if (rows <= 0)
            return fail("The scaler failed");
    }
    return orientation.apply(image);
}
