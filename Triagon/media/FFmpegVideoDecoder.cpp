#include "media/FFmpegVideoDecoder.h"

#include "media/FFmpegError.h"
#include "media/FFmpegFrameReceive.h"

#include <QThread>

extern "C" {
#include <libavutil/dict.h>
}

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

std::atomic<quint64> framesDecoded{0};

// The packets read at most to find the video stream's first one.
constexpr int packetsBeforeFirstFrame = 64;
// How x264 names itself in the text it writes into the first frame.
constexpr char x264Text[] = "x264 - core ";

// The x264 build that a packet's text names; -1 when it names none.
int x264BuildIn(const AVPacket &packet)
{
    const char *bytes = reinterpret_cast<const char *>(packet.data);
    const int length = sizeof x264Text - 1;
    for (int i = 0; packet.data && i + length < packet.size; ++i) {
        if (std::memcmp(bytes + i, x264Text, length) != 0)
            continue;
        int build = 0;
        int digits = 0;
        for (int j = i + length; j < packet.size && digits < 6 && bytes[j] >= '0' && bytes[j] <= '9'; ++j, ++digits)
            build = build * 10 + (bytes[j] - '0');
        return digits > 0 ? build : -1;
    }
    return -1;
}

// Whether H.264's decoder reads the stream differently by the x264 build
// its first frame names: only streams of the profiles that carry 4:4:4
// (High 4:4:4 Predictive, CAVLC 4:4:4 Intra), which older builds wrote
// wrongly. The profile is in the header's decoder configuration (avcC, or
// after reading the streams, the parameters); unknown counts as may.
bool encoderBuildMayMatter(const AVCodecParameters *codec)
{
    if (codec->codec_id != AV_CODEC_ID_H264)
        return false;
    int profile = codec->profile;
    if (profile == FF_PROFILE_UNKNOWN && codec->extradata_size >= 2 && codec->extradata[0] == 1)
        profile = codec->extradata[1];
    if (profile == FF_PROFILE_UNKNOWN)
        return true;
    profile &= ~(FF_PROFILE_H264_CONSTRAINED | FF_PROFILE_H264_INTRA);
    return profile == FF_PROFILE_H264_HIGH_444_PREDICTIVE || profile == FF_PROFILE_H264_CAVLC_444;
}

qint64 packetDuration(const AVFrame *frame)
{
#if LIBAVUTIL_VERSION_MAJOR >= 58
    return frame->duration;
#else
    return frame->pkt_duration;
#endif
}
} // namespace

int FFmpegVideoDecoder::pooledThreadCount()
{
    return 1;
}

int FFmpegVideoDecoder::oneOffThreadCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

FFmpegVideoDecoder::FFmpegVideoDecoder()
    : m_packet(makeFFmpegPacket()), m_frame(makeFFmpegFrame()), m_received(makeFFmpegFrame()), m_previous(makeFFmpegFrame()),
      m_pending(makeFFmpegFrame())
{
}

FFmpegVideoDecoder::~FFmpegVideoDecoder() = default;

void FFmpegVideoDecoder::resetPosition()
{
    for (AVFrame *frame : {m_frame.get(), m_previous.get(), m_pending.get()}) {
        if (frame)
            av_frame_unref(frame);
    }
    m_hasFrame = false;
    m_atEnd = false;
    m_draining = false;
    m_frameTimestamp = AV_NOPTS_VALUE;
    m_frameEnd = AV_NOPTS_VALUE;
    m_hasPrevious = false;
    m_previousTimestamp = AV_NOPTS_VALUE;
    m_previousEnd = AV_NOPTS_VALUE;
    m_hasPending = false;
    m_isFirst = false;
    m_frameDamaged = false;
    m_runSound = false;
    m_runFromStart = false;
    m_runFirstFrame = AV_NOPTS_VALUE;
    m_concealedAtLastFrame = m_concealments.count(); // what was logged before belongs to frames gone
    m_doubtedOutputs = 0;
    m_uncertainOutputs = 0;
    m_position = AV_NOPTS_VALUE;
}

void FFmpegVideoDecoder::close()
{
    m_codec.reset();
    m_format.close();
    resetPosition();
    m_orientation = {};
    m_threadCount = 0;
    m_skipping = false;
    m_durationsHeld = false;
    m_durationOverran = false;
}

void FFmpegVideoDecoder::releaseCodec()
{
    m_codec.reset();
    resetPosition();
    m_skipping = false;
}

FFmpegFormat FFmpegVideoDecoder::takeFormat()
{
    releaseCodec();
    FFmpegFormat format = std::move(m_format);
    format.setInterruptFlag(nullptr); // the flag is the decoder's user's, the file may outlive it
    m_format = FFmpegFormat();
    m_format.setInterruptFlag(m_interrupt);
    m_orientation = {};
    return format;
}

bool FFmpegVideoDecoder::open(const QString &path, int threadCount, QString *error)
{
    close();
    FFmpegFormat format;
    if (!format.openForDecoding(path, error))
        return false;
    return open(std::move(format), threadCount, error);
}

bool FFmpegVideoDecoder::open(FFmpegFormat format, int threadCount, QString *error)
{
    close();
    if (!m_packet || !m_frame || !m_received || !m_previous || !m_pending) {
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    if (!format.isOpen()) {
        if (error)
            *error = QStringLiteral("The file is not open");
        return false;
    }
    if (!format.videoStream()) {
        if (error)
            *error = QStringLiteral("The file has no video stream");
        return false;
    }
    // A file that was read before stands somewhere unknown.
    bool atStart = !format.hasBeenRead();
    m_format = std::move(format);
    m_format.setInterruptFlag(m_interrupt);
    m_notes = m_format.path().isEmpty() ? std::make_shared<FileDecodingNotes>() : FileDecodingNotes::forFile(m_format.path());
    if (encoderBuildMayMatter(stream()->codecpar) && !m_notes->encoderBuild())
        atStart = learnEncoderBuild();
    if (!openCodec(threadCount, error)) {
        m_format.close();
        return false;
    }
    m_orientation = m_format.orientation();
    if (atStart) {
        AVStream *video = stream();
        m_position = video->start_time != AV_NOPTS_VALUE ? video->start_time : m_format.toStreamTimestamp(0, video);
    }
    return true;
}

bool FFmpegVideoDecoder::openCodec(int threadCount, QString *error)
{
    // The decoder learns the x264 build itself only when it decodes the
    // first frame; a landing on a later keyframe needs it all the same. Set
    // as it opens, so that its frame threads have it too.
    AVDictionary *options = nullptr;
    if (const std::optional<int> build = m_notes->encoderBuild(); build && *build >= 0)
        av_dict_set_int(&options, "x264_build", *build, 0);
    FFmpegCodecContextPtr context = m_format.openDecoder(stream(), threadCount, error, &m_concealments, &options);
    av_dict_free(&options);
    if (!context)
        return false;
    m_codec = std::move(context);
    m_threadCount = threadCount;
    m_skipping = false;
    return true;
}

bool FFmpegVideoDecoder::learnEncoderBuild()
{
    // Where the first frame is, without decoding it: the first packet of
    // the video stream.
    int build = -1;
    FFmpegPacketPtr packet = makeFFmpegPacket();
    if (packet && (!m_format.hasBeenRead() || m_format.seekToStart())) {
        for (int read = 0; read < packetsBeforeFirstFrame && av_read_frame(m_format.context(), packet.get()) >= 0; ++read) {
            const bool video = packet->stream_index == m_format.videoStreamIndex();
            if (video)
                build = x264BuildIn(*packet);
            av_packet_unref(packet.get());
            if (video)
                break;
        }
    }
    m_notes->setEncoderBuild(build);
    // Decoding starts at the start of the file, as it would have.
    return m_format.seekToStart();
}

quint64 FFmpegVideoDecoder::framesDecodedInProcess()
{
    return framesDecoded.load(std::memory_order_relaxed);
}

std::optional<qint64> FFmpegVideoDecoder::groupOf(qint64 timestamp) const
{
    return m_format.keyframeAtOrBefore(timestamp);
}

bool FFmpegVideoDecoder::canStartEarlier() const
{
    if (!m_hasFrame || m_runFromStart || m_damagedRuns >= maxEarlierStarts)
        return false;
    const std::optional<qint64> group = groupOf(m_frameTimestamp);
    return !(group && m_notes->isDamagedGroup(*group));
}

bool FFmpegVideoDecoder::frameIsFinal() const
{
    if (!frameIsDamaged() || m_runFromStart)
        return m_hasFrame;
    const std::optional<qint64> group = groupOf(m_frameTimestamp);
    return group && m_notes->isDamagedGroup(*group);
}

void FFmpegVideoDecoder::noteLastingDamage()
{
    // Decoded from a keyframe before its group's own (or from the start of
    // the stream), and damaged all the same: the damage is in the file.
    const std::optional<qint64> group = groupOf(m_frameTimestamp);
    if (group && (m_runFromStart || (m_runFirstFrame != AV_NOPTS_VALUE && m_runFirstFrame < *group)))
        m_notes->noteDamagedGroup(*group);
}

bool FFmpegVideoDecoder::reopenCodec(int threadCount, QString *error)
{
    if (!m_format.isOpen() || !stream()) {
        if (error)
            *error = QStringLiteral("The file is not open");
        return false;
    }
    m_codec.reset();
    resetPosition();
    return openCodec(threadCount, error);
}

QSize FFmpegVideoDecoder::displaySize() const
{
    return m_hasFrame ? FFmpegFrameConverter::displaySize(m_frame.get(), m_orientation) : m_format.displaySize();
}

double FFmpegVideoDecoder::frameDuration() const
{
    const double rate = frameRate();
    return rate > 0 ? 1.0 / rate : 1.0 / 30.0;
}

qint64 FFmpegVideoDecoder::frameDurationTicks() const
{
    const AVStream *video = stream();
    if (!video)
        return 1;
    const double ticks = frameDuration() / av_q2d(video->time_base);
    return std::isfinite(ticks) ? std::max<qint64>(1, std::llround(ticks)) : 1;
}

qint64 FFmpegVideoDecoder::durationOf(const AVFrame *frame) const
{
    const qint64 duration = packetDuration(frame);
    return duration > 0 ? duration : frameDurationTicks();
}

double FFmpegVideoDecoder::frameTime() const
{
    return m_hasFrame ? m_format.toSeconds(m_frameTimestamp, stream()) : 0;
}

qint64 FFmpegVideoDecoder::toTimestamp(double seconds) const
{
    return m_format.toStreamTimestamp(seconds, stream());
}

double FFmpegVideoDecoder::toSeconds(qint64 timestamp) const
{
    return m_format.toSeconds(timestamp, stream());
}

bool FFmpegVideoDecoder::checkOpen(QString *error) const
{
    if (m_codec)
        return true;
    if (error)
        *error = QStringLiteral("The decoder is not open");
    return false;
}

std::optional<qint64> FFmpegVideoDecoder::previousTimestamp() const
{
    if (!m_hasFrame || !m_hasPrevious)
        return std::nullopt;
    return m_previousTimestamp;
}

qint64 FFmpegVideoDecoder::frameEndTimestamp() const
{
    if (!m_hasFrame)
        return AV_NOPTS_VALUE;
    if (m_hasPending)
        return m_pendingTimestamp > m_frameTimestamp ? m_pendingTimestamp : AV_NOPTS_VALUE;
    // At the end of the stream (unless the end is only where decoding was
    // told to stop) the last frame lasts its duration.
    const bool last = atEnd() && !m_lastDecoded;
    return last || (m_durationsHeld && !m_durationOverran) ? m_frameEnd : AV_NOPTS_VALUE;
}

bool FFmpegVideoDecoder::covers(qint64 timestamp) const
{
    if (!m_hasFrame || timestamp == AV_NOPTS_VALUE)
        return false;
    if (timestamp <= m_frameTimestamp)
        return timestamp == m_frameTimestamp || m_isFirst;
    if (!m_hasPending && atEnd() && !m_lastDecoded)
        return true; // past the last frame the last one is on show
    const qint64 end = frameEndTimestamp();
    return end != AV_NOPTS_VALUE && timestamp < end;
}

void FFmpegVideoDecoder::setSkipNonReference(bool skip)
{
    if (!m_codec || skip == m_skipping)
        return;
    m_skipping = skip;
    m_codec->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    if (skip)
        m_hasPrevious = false;
    else
        m_uncertainOutputs = uncertainOutputsAfterSkipping + pipelineDelayFrames();
}

void FFmpegVideoDecoder::setWantedFrames(std::function<bool(qint64 timestamp)> wanted)
{
    const bool was = bool(m_wanted);
    m_wanted = std::move(wanted);
    if (m_wanted) {
        m_hasPrevious = false;
    } else {
        if (m_codec)
            m_codec->skip_frame = m_skipping ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        if (was)
            m_uncertainOutputs = uncertainOutputsAfterSkipping + pipelineDelayFrames();
    }
    updatePacketFilter();
}

void FFmpegVideoDecoder::setLastDecoded(std::optional<qint64> timestamp)
{
    m_lastDecoded = timestamp;
    updatePacketFilter();
}

void FFmpegVideoDecoder::updatePacketFilter()
{
    if (!m_wanted && !m_lastDecoded) {
        m_packetFilter = {};
        return;
    }
    m_packetFilter = [this](const AVPacket &packet) {
        // Decoding times only grow: every later packet is shown after this one's decoding time.
        if (m_lastDecoded && packet.dts != AV_NOPTS_VALUE && packet.dts > *m_lastDecoded)
            return false;
        if (m_wanted) {
            const bool wantedFrame = packet.pts == AV_NOPTS_VALUE || m_wanted(packet.pts);
            m_codec->skip_frame = m_skipping || !wantedFrame ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        }
        return true;
    };
}

int FFmpegVideoDecoder::pipelineDelayFrames() const
{
    if (!m_codec)
        return 0;
    return std::max(1, m_codec->thread_count) + std::max(0, m_codec->has_b_frames);
}

bool FFmpegVideoDecoder::isFirstFrameOfStream(const AVFrame *frame) const
{
    AVStream *video = stream();
    const qint64 timestamp = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    if (video->start_time != AV_NOPTS_VALUE && timestamp != AV_NOPTS_VALUE)
        return timestamp <= video->start_time;
    if (frame->pkt_dts != AV_NOPTS_VALUE && !m_format.keepsOwnKeyframeIndex() && avformat_index_get_entries_count(video) > 0)
        return frame->pkt_dts <= avformat_index_get_entry(video, 0)->timestamp;
    return false;
}

bool FFmpegVideoDecoder::backUp()
{
    if (!m_hasFrame || !m_hasPrevious || m_hasPending)
        return false;
    av_frame_unref(m_pending.get());
    av_frame_move_ref(m_pending.get(), m_frame.get());
    av_frame_move_ref(m_frame.get(), m_previous.get());
    m_pendingTimestamp = m_frameTimestamp;
    m_pendingEnd = m_frameEnd;
    m_pendingIsFirst = m_isFirst;
    m_pendingDamaged = m_frameDamaged;
    m_frameTimestamp = m_previousTimestamp;
    m_frameEnd = m_previousEnd;
    m_isFirst = m_previousIsFirst;
    m_frameDamaged = m_previousDamaged;
    m_position = m_frameTimestamp;
    m_hasPrevious = false;
    m_hasPending = true;
    return true;
}

bool FFmpegVideoDecoder::decodeNextFrame(QString *error)
{
    if (!checkOpen(error))
        return false;
    if (m_hasPending) {
        // The frame that backUp() put aside follows the current one.
        av_frame_unref(m_previous.get());
        av_frame_move_ref(m_previous.get(), m_frame.get());
        av_frame_move_ref(m_frame.get(), m_pending.get());
        m_previousTimestamp = m_frameTimestamp;
        m_previousEnd = m_frameEnd;
        m_previousIsFirst = m_isFirst;
        m_previousDamaged = m_frameDamaged;
        m_hasPrevious = true;
        m_frameTimestamp = m_pendingTimestamp;
        m_frameEnd = m_pendingEnd;
        m_isFirst = m_pendingIsFirst;
        m_frameDamaged = m_pendingDamaged;
        m_position = m_frameTimestamp;
        m_hasPending = false;
        return true;
    }
    int decodeErrors = 0;
    int errorsSeen = 0;
    FFmpegReceiveOptions options;
    options.stop = [this] { return m_interrupt && m_interrupt->load(); };
    options.stopBeforeEachReceive = true;
    options.beforeSend = m_packetFilter;
    options.errorsSeen = &errorsSeen;
    int ffmpegError = 0;
    const FFmpegReceiveResult received = m_atEnd ? FFmpegReceiveResult::End
                                                 : receiveFrame(m_format, m_codec.get(), m_packet.get(), m_format.videoStreamIndex(),
                                                                m_received.get(), &m_draining, &decodeErrors, &ffmpegError, options);
    if (received == FFmpegReceiveResult::Stopped) {
        if (error)
            *error = QStringLiteral("Interrupted");
        return false;
    }
    // What comes out of encrypted packets is noise, or nothing at all.
    if (m_format.isEncrypted()) {
        if (error)
            *error = QStringLiteral("The video is encrypted and cannot be decoded");
        return false;
    }
    if (received == FFmpegReceiveResult::Failed) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot decode the video"), ffmpegError);
        return false;
    }
    if (received == FFmpegReceiveResult::End) {
        m_atEnd = true;
        if (error)
            *error = QStringLiteral("End of the video");
        return false;
    }
    // The container's pixel aspect ratio wins over the codec's, as the
    // probe and the ffmpeg tool take it.
    m_received->sample_aspect_ratio = av_guess_sample_aspect_ratio(m_format.context(), stream(), m_received.get());
    qint64 timestamp = m_received->best_effort_timestamp;
    if (timestamp == AV_NOPTS_VALUE)
        timestamp = m_received->pts;
    if (timestamp == AV_NOPTS_VALUE) {
        // No time at all: continue from the previous frame.
        const qint64 previous = m_hasFrame ? m_frameEnd : m_position;
        timestamp = previous == AV_NOPTS_VALUE ? 0 : previous;
    }
    framesDecoded.fetch_add(1, std::memory_order_relaxed);
    const bool freshStart = !m_hasFrame && m_position != AV_NOPTS_VALUE;
    if (!m_hasFrame) {
        m_runFromStart = freshStart || m_format.runsFromFileStart() || isFirstFrameOfStream(m_received.get());
        m_runFirstFrame = timestamp;
    }
    const int concealments = m_concealments.count();
    const bool damaged = judgeReceived(errorsSeen, concealments - m_concealedAtLastFrame);
    m_concealedAtLastFrame = concealments;
    const bool follows = m_hasFrame && !m_skipping && !m_wanted && m_uncertainOutputs == 0;
    if (m_uncertainOutputs > 0)
        --m_uncertainOutputs;
    if (follows) {
        if (timestamp < m_frameEnd)
            m_durationOverran = true;
        else
            m_durationsHeld = true;
    }
    if (m_hasFrame) {
        av_frame_unref(m_previous.get());
        av_frame_move_ref(m_previous.get(), m_frame.get());
        m_previousTimestamp = m_frameTimestamp;
        m_previousEnd = m_frameEnd;
        m_previousIsFirst = m_isFirst;
        m_previousDamaged = m_frameDamaged;
    }
    m_hasPrevious = follows;
    av_frame_unref(m_frame.get());
    av_frame_move_ref(m_frame.get(), m_received.get());
    m_frameTimestamp = timestamp;
    m_frameEnd = timestamp + durationOf(m_frame.get());
    m_isFirst = freshStart || isFirstFrameOfStream(m_frame.get());
    m_frameDamaged = damaged;
    m_position = timestamp;
    m_hasFrame = true;
    if (m_frame->key_frame)
        m_format.noteKeyframe(timestamp);
    if (damaged)
        noteLastingDamage();
    return true;
}

bool FFmpegVideoDecoder::judgeReceived(int errorsSeen, int concealed)
{
    const AVFrame *frame = m_received.get();
    // The first frame after a seek: H.264's decoder hands out no frame of a
    // run before the run recovers (from an IDR or a recovery point), others
    // hand out what they decode from nothing (the predicted frame a
    // container wrongly lists as a keyframe).
    if (!m_hasFrame)
        m_runSound = stream()->codecpar->codec_id == AV_CODEC_ID_H264;
    // Concealment logged since the frame before is of this frame or of one
    // that frame threads and reordering decode ahead of it: this frame and
    // as many after it count as flagged (the doubt costs a decode from further
    // back, never a damaged frame on show).
    if (concealed > 0)
        m_doubtedOutputs = pipelineDelayFrames();
    const bool doubted = m_doubtedOutputs > 0;
    if (doubted)
        --m_doubtedOutputs;
    const bool flagged = (frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags != 0 || doubted;
    const bool standsAlone = frame->key_frame || frame->pict_type == AV_PICTURE_TYPE_I;
    if (standsAlone && !flagged)
        m_runSound = true; // errors before it were those of other frames
    else if (flagged || errorsSeen > 0)
        m_runSound = false; // and the frames that refer to it, up to the next keyframe
    return !m_runSound;
}

QImage FFmpegVideoDecoder::frameImage(QSize maxSize, QString *error)
{
    if (!m_hasFrame) {
        if (error)
            *error = QStringLiteral("No frame decoded");
        return {};
    }
    return m_converter.convert(m_frame.get(), maxSize, m_orientation, error);
}

QImage FFmpegVideoDecoder::frameImage(FFmpegFrameConverter &converter, QSize maxSize, QString *error)
{
    if (!m_hasFrame) {
        if (error)
            *error = QStringLiteral("No frame decoded");
        return {};
    }
    return converter.convert(m_frame.get(), maxSize, m_orientation, error);
}
