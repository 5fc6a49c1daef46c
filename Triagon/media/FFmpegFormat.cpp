#include "media/FFmpegFormat.h"

#include "media/FFmpegError.h"
#include "media/FFmpegErrorLog.h"
#include "media/FFmpegFrameConverter.h"
#include "media/MediaFileGate.h"

#include <QByteArrayList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

void FFmpegFormat::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(qEnvironmentVariableIntValue("TRIAGON_FFMPEG_LOG") > 0 ? AV_LOG_WARNING : AV_LOG_FATAL);
        FFmpegErrorLog::install();
    });
}

// Media bytes read through FFmpeg's custom I/O: the bytes, the read
// position and the I/O context with its buffer.
struct FFmpegFormat::MemoryInput
{
    QByteArray bytes;
    qint64 position = 0;
    AVIOContext *io = nullptr;

    ~MemoryInput()
    {
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    static int read(void *opaque, uint8_t *buffer, int size)
    {
        auto *self = static_cast<MemoryInput *>(opaque);
        const qint64 left = self->bytes.size() - self->position;
        if (left <= 0)
            return AVERROR_EOF;
        const int count = int(std::min<qint64>(left, size));
        std::memcpy(buffer, self->bytes.constData() + self->position, size_t(count));
        self->position += count;
        return count;
    }

    static int64_t seek(void *opaque, int64_t offset, int whence)
    {
        auto *self = static_cast<MemoryInput *>(opaque);
        const qint64 size = self->bytes.size();
        qint64 target = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->position + offset;
            break;
        case SEEK_END:
            target = size + offset;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (target < 0 || target > size)
            return AVERROR(EINVAL);
        self->position = target;
        return target;
    }
};

bool FFmpegFormat::openFile(const QString &path, QString *error)
{
    initialize();
    m_path = path;
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("No file given");
        return false;
    }
    // Only regular files: FFmpeg's open of a pipe waits for a writer, for ever.
    if (!MediaFileGate::admits(path, error))
        return false;
    // The "file:" prefix keeps a name such as "http:x.mp4" a local file name.
    return openInput(QByteArrayLiteral("file:") + path.toUtf8(), nullptr, error);
}

bool FFmpegFormat::open(const QString &path, QString *error, bool readStreamInfo)
{
    close();
    return openAs(readStreamInfo ? Opening::Streams : Opening::Header, path, {}, error);
}

bool FFmpegFormat::openForDecoding(const QString &path, QString *error)
{
    close();
    return openAs(Opening::Decoding, path, {}, error);
}

bool FFmpegFormat::openMemory(const QByteArray &bytes, QString *error)
{
    close();
    return openAs(Opening::Memory, {}, bytes, error);
}

bool FFmpegFormat::openAs(Opening opening, const QString &path, const QByteArray &bytes, QString *error)
{
    m_opening = opening;
    switch (opening) {
    case Opening::Memory:
    case Opening::MemoryHeader:
        return openBytes(bytes, error) && finishOpening(opening == Opening::Memory, error);
    case Opening::Streams:
    case Opening::Header:
        return openFile(path, error) && finishOpening(opening == Opening::Streams, error);
    case Opening::Decoding:
        return openFile(path, error) && finishOpeningForDecoding(error);
    }
    return false;
}

bool FFmpegFormat::reopen(QString *error)
{
    // Opened again as it was, with what was learnt of it: which streams are
    // read, the keyframes, that its seeks fail.
    const Opening opening = m_opening;
    const QString path = m_path;
    const QByteArray bytes = m_memory ? m_memory->bytes : QByteArray();
    std::vector<AVDiscard> discards;
    for (unsigned i = 0; m_context && i < m_context->nb_streams; ++i)
        discards.push_back(m_context->streams[i]->discard);
    const std::shared_ptr<KeyframeIndex> keyframes = m_keyframes;
    const qint64 keyframeOffset = m_keyframeOffset;
    const std::optional<bool> intraOnly = m_intraOnly;
    const std::optional<std::optional<double>> scannedDuration = m_scannedDuration;
    const bool encryptedPackets = m_encryptedPackets;
    std::shared_ptr<SeeklessIndex> seekless = m_seekless ? m_seekless->index() : nullptr;
    close();
    m_seeksRefused = true;
    if (!openAs(opening, path, bytes, error))
        return false;
    readWithoutSeeks(std::move(seekless));
    if (m_context->nb_streams != discards.size()) {
        close();
        if (error)
            *error = QStringLiteral("The file changed while it was read");
        return false;
    }
    for (unsigned i = 0; i < m_context->nb_streams; ++i)
        m_context->streams[i]->discard = discards[i];
    if (keyframes)
        m_keyframes = keyframes;
    m_keyframeOffset = std::max(m_keyframeOffset, keyframeOffset);
    m_intraOnly = intraOnly;
    m_scannedDuration = scannedDuration;
    m_encryptedPackets = encryptedPackets;
    m_read = true;
    m_atStart = true;
    return true;
}

FFmpegFormat FFmpegFormat::headerCopy() const
{
    FFmpegFormat copy;
    if (m_memory)
        copy.openAs(Opening::MemoryHeader, {}, m_memory->bytes, nullptr);
    else
        copy.openAs(Opening::Header, m_path, {}, nullptr);
    return copy;
}

bool FFmpegFormat::openBytes(const QByteArray &bytes, QString *error)
{
    initialize();
    m_path.clear();
    constexpr int bufferSize = 64 * 1024;
    auto memory = std::make_shared<MemoryInput>();
    memory->bytes = bytes;
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    memory->io = buffer ? avio_alloc_context(buffer, bufferSize, 0, memory.get(), &MemoryInput::read, nullptr, &MemoryInput::seek)
                        : nullptr;
    if (!memory->io) {
        av_free(buffer);
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    m_memory = std::move(memory);
    if (!openInput(QByteArray(), m_memory->io, error)) {
        m_memory.reset();
        return false;
    }
    return true;
}

bool FFmpegFormat::openInput(const QByteArray &url, AVIOContext *pb, QString *error)
{
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw) {
        av_dict_free(&options);
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    if (pb) {
        raw->pb = pb;
        raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    // On failure avformat_open_input frees the context itself.
    const int result = avformat_open_input(&raw, pb ? nullptr : url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot open the file"), result);
        return false;
    }
    m_context.reset(raw);
    return true;
}

bool FFmpegFormat::finishOpening(bool readStreamInfo, QString *error)
{
    const int result = readStreamInfo ? avformat_find_stream_info(m_context.get(), nullptr) : 0;
    if (result < 0) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot read the streams"), result);
        close();
        return false;
    }
    findStreams();
    return setUpKeyframes(false) || reopen(error);
}

void FFmpegFormat::findStreams()
{
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        const AVStream *stream = m_context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && m_videoStream < 0 && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            m_videoStream = int(i);
        else if (type == AVMEDIA_TYPE_AUDIO && m_audioStream < 0)
            m_audioStream = int(i);
    }
}

bool FFmpegFormat::headerIsComplete() const
{
    const AVInputFormat *input = m_context->iformat;
    if (!input || !input->name || !QByteArray(input->name).split(',').contains("mov") || (m_context->ctx_flags & AVFMTCTX_NOHEADER))
        return false;
    const AVStream *video = videoStream();
    if (!video || video->codecpar->codec_id == AV_CODEC_ID_NONE || video->codecpar->width <= 0 || video->codecpar->height <= 0
        || frameRate(video) <= 0)
        return false;
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        const AVStream *stream = m_context->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if ((type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) && stream->start_time == AV_NOPTS_VALUE)
            return false;
    }
    return true;
}

bool FFmpegFormat::finishOpeningForDecoding(QString *error)
{
    findStreams();
    if (headerIsComplete()) {
        // The container's start that reading the stream information would
        // give: the earliest start of the file's audio and video streams.
        qint64 start = AV_NOPTS_VALUE;
        for (unsigned i = 0; i < m_context->nb_streams; ++i) {
            const AVStream *stream = m_context->streams[i];
            const AVMediaType type = stream->codecpar->codec_type;
            if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
                continue;
            const qint64 streamStart = av_rescale_q(stream->start_time, stream->time_base, AV_TIME_BASE_Q);
            start = start == AV_NOPTS_VALUE ? streamStart : std::min(start, streamStart);
        }
        m_headerStartTime = start == AV_NOPTS_VALUE ? 0 : start;
        return setUpKeyframes(true) || reopen(error);
    }
    m_videoStream = -1;
    m_audioStream = -1;
    const int result = avformat_find_stream_info(m_context.get(), nullptr);
    if (result < 0) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot read the streams"), result);
        close();
        return false;
    }
    findStreams();
    return setUpKeyframes(true) || reopen(error);
}

void FFmpegFormat::close()
{
    m_context.reset();
    m_memory.reset();
    m_videoStream = -1;
    m_audioStream = -1;
    m_headerStartTime.reset();
    m_read = false;
    m_readError = 0;
    m_keyframes.reset();
    m_runStart.reset();
    m_runFromFileStart = true;
    m_keyframeOffset = 0;
    m_intraOnly.reset();
    m_scannedDuration.reset();
    m_checksIndex = false;
    m_indexedKeyframes.clear();
    m_indexedNonKeyframes.clear();
    m_seeksRefused = false;
    m_encryptedPackets = false;
    m_seeksChecked = false;
    m_seekless.reset();
    m_atStart = false;
    m_runFirstPacket.reset();
}

FFmpegCodecContextPtr FFmpegFormat::openDecoder(AVStream *stream, int threadCount, QString *error, FFmpegErrorLog::Counter *concealments,
                                                AVDictionary **options)
{
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        if (error)
            *error = QStringLiteral("No decoder for the codec %1").arg(QString::fromUtf8(avcodec_get_name(stream->codecpar->codec_id)));
        return nullptr;
    }
    FFmpegCodecContextPtr context(avcodec_alloc_context3(codec));
    int result = context ? avcodec_parameters_to_context(context.get(), stream->codecpar) : AVERROR(ENOMEM);
    if (result >= 0) {
        context->pkt_timebase = stream->time_base;
        context->opaque = concealments;
        context->thread_count = std::max(0, threadCount);
        context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        // Frames that stand alone decode fastest one at a time across
        // slices: frame threads hold each frame back until as many more
        // were sent, which a seek to a single frame pays in full.
        if (stream == videoStream() && isIntraOnly() && (codec->capabilities & AV_CODEC_CAP_SLICE_THREADS))
            context->thread_type = FF_THREAD_SLICE;
        result = avcodec_open2(context.get(), codec, options);
    }
    if (result < 0) {
        if (error) {
            const QString what = stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO ? QStringLiteral("Cannot open the audio decoder")
                                                                                    : QStringLiteral("Cannot open the video decoder");
            *error = ffmpegErrorText(what, result);
        }
        return nullptr;
    }
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        if (m_context->streams[i] != stream)
            m_context->streams[i]->discard = AVDISCARD_ALL;
    }
    return context;
}

std::optional<int> FFmpegFormat::sendNextPacket(AVCodecContext *decoder, AVPacket *packet, int streamIndex, bool *draining,
                                                const std::function<bool(const AVPacket &)> &beforeSend)
{
    m_read = true;
    m_atStart = false;
    const int result = readPacket(packet);
    if (result == AVERROR(EAGAIN))
        return std::nullopt;
    if (result < 0) {
        if (result != AVERROR_EOF)
            m_readError = result;
        else
            observeEndOfFile();
        *draining = true;
        avcodec_send_packet(decoder, nullptr);
        return std::nullopt;
    }
    observePacket(*packet);
    if (packet->stream_index == m_videoStream && !m_runFirstPacket && (packet->dts != AV_NOPTS_VALUE || packet->pts != AV_NOPTS_VALUE)) {
        m_runFirstPacket = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    }
    if (packet->stream_index == m_videoStream && av_packet_get_side_data(packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr))
        m_encryptedPackets = true;
    std::optional<int> sent;
    if (packet->stream_index == streamIndex) {
        if (beforeSend && !beforeSend(*packet)) {
            av_packet_unref(packet);
            *draining = true;
            avcodec_send_packet(decoder, nullptr);
            return std::nullopt;
        }
        sent = avcodec_send_packet(decoder, packet);
    }
    av_packet_unref(packet);
    return sent;
}

bool FFmpegFormat::isEncrypted() const
{
    const AVStream *video = videoStream();
    if (!video)
        return false;
    // Matroska names the key of an encrypted track in its metadata.
    return m_encryptedPackets || av_stream_get_side_data(video, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr)
           || av_dict_get(video->metadata, "enc_key_id", nullptr, 0);
}

AVStream *FFmpegFormat::videoStream() const
{
    return m_context && m_videoStream >= 0 ? m_context->streams[m_videoStream] : nullptr;
}

AVStream *FFmpegFormat::audioStream() const
{
    return m_context && m_audioStream >= 0 ? m_context->streams[m_audioStream] : nullptr;
}

double FFmpegFormat::videoStartSeconds() const
{
    const AVStream *video = videoStream();
    if (!video || video->start_time == AV_NOPTS_VALUE)
        return 0;
    const double seconds = double(video->start_time) * av_q2d(video->time_base);
    return std::isfinite(seconds) ? seconds : 0;
}

double FFmpegFormat::durationSeconds() const
{
    if (!m_context)
        return 0;
    const bool guessed = m_context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    const double stated = statedDurationSeconds();
    if (stated > 0 && !guessed)
        return stated;
    return scannedDurationSeconds().value_or(stated);
}

double FFmpegFormat::statedDurationSeconds() const
{
    double seconds = 0;
    const AVStream *video = videoStream();
    const bool containerKnown = m_context->duration != AV_NOPTS_VALUE && m_context->duration > 0;
    if (video && video->duration != AV_NOPTS_VALUE && video->duration > 0) {
        // From the first frame shown to the end of the last one.
        seconds = double(video->duration) * av_q2d(video->time_base);
    } else if (video && video->start_time != AV_NOPTS_VALUE && containerKnown) {
        // Matroska knows only where its timeline ends, counted from 0;
        // other containers count their duration from their start.
        const double containerStart = m_context->start_time == AV_NOPTS_VALUE ? 0 : double(m_context->start_time) / AV_TIME_BASE;
        const double duration = double(m_context->duration) / AV_TIME_BASE;
        const double end = std::abs(containerStart) < 1.0 ? duration : containerStart + duration;
        seconds = end - videoStartSeconds();
        if (!(seconds > 0))
            seconds = duration;
    } else if (containerKnown) {
        seconds = double(m_context->duration) / AV_TIME_BASE;
    } else {
        // Some containers only know their streams' durations.
        for (unsigned i = 0; i < m_context->nb_streams; ++i) {
            const AVStream *stream = m_context->streams[i];
            if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
                seconds = std::max(seconds, stream->duration * av_q2d(stream->time_base));
        }
    }
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

qint64 FFmpegFormat::startTime() const
{
    if (!m_context)
        return 0;
    if (const AVStream *video = videoStream(); video && video->start_time != AV_NOPTS_VALUE)
        return av_rescale_q(video->start_time, video->time_base, AV_TIME_BASE_Q);
    if (m_headerStartTime)
        return *m_headerStartTime;
    if (m_context->start_time == AV_NOPTS_VALUE)
        return 0;
    return m_context->start_time;
}

qint64 FFmpegFormat::zeroTimestamp(const AVStream *stream) const
{
    if (!stream)
        return 0;
    if (const AVStream *video = videoStream(); video && video->start_time != AV_NOPTS_VALUE) {
        if (stream == video)
            return video->start_time;
        return av_rescale_q(video->start_time, video->time_base, stream->time_base);
    }
    return av_rescale_q(startTime(), AV_TIME_BASE_Q, stream->time_base);
}

qint64 FFmpegFormat::toStreamTimestamp(double seconds, const AVStream *stream) const
{
    if (!stream || !std::isfinite(seconds))
        return AV_NOPTS_VALUE;
    // Keep the product inside the 64-bit range: a century is more than any clip.
    seconds = std::clamp(seconds, -3.0e9, 3.0e9);
    const double tick = av_q2d(stream->time_base);
    if (!(tick > 0))
        return AV_NOPTS_VALUE;
    // The tick at or before the time (a time between two ticks is not yet
    // the later one), with a little slack for times made from ticks.
    const double ticks = std::clamp(seconds / tick, -9.0e17, 9.0e17);
    return zeroTimestamp(stream) + qint64(std::floor(ticks + 1e-3));
}

double FFmpegFormat::toSeconds(qint64 timestamp, const AVStream *stream) const
{
    if (!stream || timestamp == AV_NOPTS_VALUE)
        return 0;
    return double(timestamp - zeroTimestamp(stream)) * av_q2d(stream->time_base);
}

QSize FFmpegFormat::codedSize() const
{
    const AVStream *stream = videoStream();
    if (!stream || stream->codecpar->width <= 0 || stream->codecpar->height <= 0)
        return {};
    return {stream->codecpar->width, stream->codecpar->height};
}

QSize FFmpegFormat::displaySize() const
{
    return orientation().shownSize(FFmpegFrameConverter::withPixelAspect(codedSize(), sampleAspectRatio()));
}

AVRational FFmpegFormat::sampleAspectRatio() const
{
    AVStream *stream = videoStream();
    return stream ? av_guess_sample_aspect_ratio(m_context.get(), stream, nullptr) : AVRational{0, 1};
}

VideoOrientation FFmpegFormat::orientation() const
{
    return orientation(videoStream());
}

double FFmpegFormat::frameRate() const
{
    return frameRate(videoStream());
}

VideoOrientation FFmpegFormat::orientation(const AVStream *stream)
{
    if (!stream)
        return {};
    size_t size = 0;
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return {};
    int32_t values[9];
    std::memcpy(values, matrix, sizeof values);
    return VideoOrientation::fromDisplayMatrix(values);
}

double FFmpegFormat::frameRate(const AVStream *stream)
{
    if (!stream)
        return 0;
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return 0;
    const double value = av_q2d(rate);
    return std::isfinite(value) && value > 0 ? value : 0;
}

QString FFmpegFormat::metadata(const char *key) const
{
    if (!m_context)
        return {};
    const AVDictionaryEntry *entry = av_dict_get(m_context->metadata, key, nullptr, 0);
    if (!entry) {
        if (const AVStream *stream = videoStream())
            entry = av_dict_get(stream->metadata, key, nullptr, 0);
    }
    return entry && entry->value ? QString::fromUtf8(entry->value) : QString();
}
