#include "media/AudioStreamDecoder.h"

#include "media/FFmpegError.h"
#include "media/FFmpegFrameReceive.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {
// The most silence put before a sound track that starts later than a seek's
// target (a track that starts further on than this is damaged, not late).
constexpr qint64 maxSilenceSeconds = 60;
} // namespace

AudioStreamDecoder::AudioStreamDecoder() : m_packet(makeFFmpegPacket()), m_frame(makeFFmpegFrame())
{
}

AudioStreamDecoder::~AudioStreamDecoder()
{
    close();
}

void AudioStreamDecoder::close()
{
    m_resampler.reset();
    m_codec.reset();
    m_file.close();
    m_pending.clear();
    m_skipFrames = 0;
    m_silentFrames = 0;
    m_seekTarget = -1;
    m_atEnd = false;
    m_draining = false;
    m_failed = false;
}

AudioStreamDecoder::OpenResult AudioStreamDecoder::open(const QString &path, int sampleRate, int channels)
{
    FFmpegAudioFormat format;
    format.sampleRate = sampleRate;
    format.channels = channels;
    return open(path, format);
}

AudioStreamDecoder::OpenResult AudioStreamDecoder::open(const QString &path, const FFmpegAudioFormat &format)
{
    close();
    m_error.clear();
    m_format = format;
    m_resampler.setFormat(format);
    if (!format.isSupported()) {
        m_error = QStringLiteral("Unsupported audio format requested");
        return OpenResult::Failed;
    }
    if (!m_packet || !m_frame) {
        m_error = QStringLiteral("Out of memory");
        return OpenResult::Failed;
    }
    if (!m_file.open(path, &m_error))
        return OpenResult::Failed;
    AVStream *audio = m_file.audioStream();
    if (!audio) {
        m_file.close();
        return OpenResult::NoAudio;
    }
    FFmpegCodecContextPtr context = m_file.openDecoder(audio, 1, &m_error);
    if (!context) {
        m_file.close();
        return OpenResult::Failed;
    }
    m_codec = std::move(context);
    return OpenResult::Opened;
}

double AudioStreamDecoder::durationSeconds() const
{
    const AVStream *audio = m_file.audioStream();
    if (audio && audio->duration != AV_NOPTS_VALUE && audio->duration > 0) {
        const qint64 start = audio->start_time != AV_NOPTS_VALUE ? audio->start_time : m_file.zeroTimestamp(audio);
        const double seconds = m_file.toSeconds(start + audio->duration, audio);
        if (std::isfinite(seconds) && seconds > 0)
            return seconds;
    }
    return m_file.durationSeconds();
}

bool AudioStreamDecoder::seek(double seconds)
{
    if (!m_codec)
        return false;
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const qint64 target = m_file.toStreamTimestamp(seconds, m_file.audioStream());
    if (!m_file.seekStream(m_file.audioStreamIndex(), target, &m_error))
        return false;
    avcodec_flush_buffers(m_codec.get());
    // A fresh resampler: what the old one still buffered belongs to the old place.
    m_resampler.reset();
    m_pending.clear();
    m_skipFrames = 0;
    m_silentFrames = 0;
    m_seekTarget = seconds;
    m_atEnd = false;
    m_draining = false;
    m_failed = false;
    return true;
}

bool AudioStreamDecoder::appendConverted(const uint8_t *samples, int frames)
{
    const int frameBytes = m_format.bytesPerFrame();
    const qint64 skip = std::min<qint64>(m_skipFrames, frames);
    m_skipFrames -= skip;
    if (frames > skip)
        m_pending.append(reinterpret_cast<const char *>(samples) + skip * frameBytes, (frames - skip) * frameBytes);
    return true;
}

bool AudioStreamDecoder::pushFrame(const AVFrame *frame)
{
    if (m_seekTarget >= 0) {
        // The first frame after a seek starts at or before the target: drop
        // the output that lies before it. A track that starts after the
        // target is preceded by silence. The decoder moves the time of a
        // frame whose first samples it drops (an encoder's priming) in pts
        // only.
        qint64 timestamp = frame->pts;
        if (timestamp == AV_NOPTS_VALUE)
            timestamp = frame->best_effort_timestamp;
        if (timestamp != AV_NOPTS_VALUE) {
            const double start = m_file.toSeconds(timestamp, m_file.audioStream());
            const double early = m_seekTarget - start;
            if (std::isfinite(early) && early > 0)
                m_skipFrames = qint64(std::llround(early * m_format.sampleRate));
            else if (std::isfinite(early) && early < 0)
                m_silentFrames = std::min<qint64>(qint64(std::llround(-early * m_format.sampleRate)),
                                                  maxSilenceSeconds * m_format.sampleRate);
        }
        m_seekTarget = -1;
    }
    return m_resampler.push(frame, std::bind_front(&AudioStreamDecoder::appendConverted, this), &m_error);
}

bool AudioStreamDecoder::decodeMore(const std::atomic_bool *cancel)
{
    if (!m_atEnd) {
        // The errors counted stay counted after a packet the decoder takes.
        int decodeErrors = 0;
        FFmpegReceiveOptions options;
        options.stop = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
        options.goodPacketForgives = false;
        int ffmpegError = 0;
        switch (receiveFrame(m_file, m_codec.get(), m_packet.get(), m_file.audioStreamIndex(), m_frame.get(), &m_draining, &decodeErrors,
                             &ffmpegError, options)) {
        case FFmpegReceiveResult::Frame: {
            const bool pushed = pushFrame(m_frame.get());
            av_frame_unref(m_frame.get());
            if (!pushed) {
                m_failed = true;
                return false;
            }
            return true;
        }
        case FFmpegReceiveResult::End:
            m_atEnd = true;
            break;
        case FFmpegReceiveResult::Failed:
            m_error = ffmpegErrorText(QStringLiteral("Cannot decode the audio"), ffmpegError);
            m_failed = true;
            return false;
        case FFmpegReceiveResult::Stopped:
            m_error = QStringLiteral("Cancelled");
            m_failed = true;
            return false;
        }
    }
    if (!m_resampler.flush(std::bind_front(&AudioStreamDecoder::appendConverted, this), &m_error)) {
        m_failed = true;
        return false;
    }
    return !m_pending.isEmpty();
}

qint64 AudioStreamDecoder::read(QByteArray &out, qint64 maxFrames, const std::atomic_bool *cancel)
{
    if (!m_codec || maxFrames <= 0)
        return 0;
    const int frameBytes = m_format.bytesPerFrame();
    // Decoding first: the silence due before the track is known with its first frame.
    while (m_silentFrames + m_pending.size() / frameBytes < maxFrames && !m_atEnd && !m_failed) {
        if (!decodeMore(cancel))
            break;
    }
    const qint64 silent = std::min<qint64>(maxFrames, m_silentFrames);
    if (silent > 0) {
        out.append(QByteArray(silent * frameBytes, '\0'));
        m_silentFrames -= silent;
    }
    const qint64 frames = std::min<qint64>(maxFrames - silent, m_pending.size() / frameBytes);
    if (frames > 0) {
        out.append(m_pending.constData(), frames * frameBytes);
        m_pending.remove(0, frames * frameBytes);
    }
    return silent + std::max<qint64>(0, frames);
}

bool AudioStreamDecoder::readAll(const std::function<bool(const void *samples, qint64 frames)> &sink, const std::atomic_bool *cancel)
{
    if (!m_codec)
        return false;
    const int frameBytes = m_format.bytesPerFrame();
    while (true) {
        while (m_silentFrames > 0) {
            const qint64 frames = std::min<qint64>(m_silentFrames, 4096);
            const QByteArray silence(frames * frameBytes, '\0');
            m_silentFrames -= frames;
            if (!sink(silence.constData(), frames))
                return false;
        }
        if (!m_pending.isEmpty()) {
            const qint64 frames = m_pending.size() / frameBytes;
            const bool more = sink(m_pending.constData(), frames);
            m_pending.clear();
            if (!more)
                return false;
        }
        if (m_atEnd)
            return !m_failed;
        if (!decodeMore(cancel) && (m_failed || m_pending.isEmpty()))
            return !m_failed && m_atEnd;
    }
}
