#include "media/BackwardReader.h"

#include "media/FrameCache.h"

#include <QScopeGuard>
#include <QThread>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace {
// Frames that no other frame refers to are skipped while they lie more than
// this many frames before a piece (besides those the decoder holds back).
constexpr int skipBeyondFrames = 4;
// Decoders that read side by side, at most, and the memory their pictures
// may take together (a decoder holds about ten: its references and those of
// its threads).
constexpr int maxReaders = 4;
constexpr qint64 readersMemoryBytes = 512LL * 1024 * 1024;
constexpr int picturesPerDecoder = 10;
constexpr qint64 largePictureBytes = 8LL * 1024 * 1024;
// A player this many strides below where the sweep stands is met where it is.
constexpr int catchUpStrides = 4;
} // namespace

BackwardReader::BackwardReader(const QString &path, int keepOpenMs, std::function<void()> wake)
    : m_path(path), m_keepOpenMs(keepOpenMs), m_wake(std::move(wake)), m_processors(std::max(1, QThread::idealThreadCount()))
{
    for (int i = 0; i < maxReaders; ++i) {
        m_pool.push_back(std::make_unique<Reader>());
        m_pool.back()->decoder.setInterruptFlag(&m_stopping);
    }
    for (int i = 0; i < maxReaders; ++i)
        m_pool[size_t(i)]->thread = std::thread([this, i] { run(i); });
}

BackwardReader::~BackwardReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_stopping.store(true);
    }
    m_changed.notify_all();
    for (const auto &reader : m_pool)
        reader->thread.join();
}

int BackwardReader::readersFor(QSize size, int bytesPerSample, int processors)
{
    const qint64 pictureBytes = std::max<qint64>(1, qint64(size.width()) * size.height() * 3 / 2 * std::max(1, bytesPerSample));
    // Pictures of 4K and more: more decoders side by side wait for the
    // memory more than they gain.
    if (pictureBytes >= largePictureBytes)
        return std::min(2, std::max(1, processors / 2));
    const qint64 byMemory = readersMemoryBytes / (pictureBytes * picturesPerDecoder);
    return int(std::clamp<qint64>(std::min<qint64>(byMemory, processors / 2), 1, maxReaders));
}

int BackwardReader::threadsPerReader(int readers, int processors)
{
    return std::max(1, processors / std::max(1, readers));
}

qint64 BackwardReader::lastNearStride(qint64 anchor, double stride, qint64 to, qint64 frameTicks)
{
    const qint64 near = frameTicks / 2 + 1;
    if (stride <= 0)
        return to;
    // The latest time anchor - k * stride whose frames reach `to`.
    double offset = std::fmod(double(to + near - anchor), stride);
    if (offset < 0)
        offset += stride;
    return qint64(std::floor(double(to + near) - offset + double(near)));
}

bool BackwardReader::nearStride(qint64 anchor, double stride, qint64 timestamp, qint64 frameTicks)
{
    if (stride <= double(frameTicks + frameTicks / 2))
        return true;
    double offset = std::fmod(double(anchor - timestamp), stride);
    if (offset < 0)
        offset += stride;
    const double near = double(frameTicks / 2 + 1);
    return offset <= near || stride - offset <= near;
}

void BackwardReader::warmUp()
{
    {
        std::lock_guard lock(m_mutex);
        m_warmUps = (1u << maxReaders) - 1;
    }
    m_changed.notify_all();
}

void BackwardReader::follow(const Course &course)
{
    {
        std::lock_guard lock(m_mutex);
        // The frame a request lands on lies within half a stride of it.
        const qint64 tolerance = course.stride / 2;
        // The sweep goes on for a player still above where it stands, with
        // frames of the same size; a player that got well below it (it
        // waited for a frame, and its requests meanwhile went on) is met
        // where it is: what lies between is not shown any more.
        const bool downwards = m_course && course.size == m_course->size && course.anchor <= m_course->anchor + tolerance;
        const bool goesOn = downwards && course.anchor + tolerance >= m_nextTop - catchUpStrides * course.stride;
        m_anchorSetAt = std::chrono::steady_clock::now();
        if (goesOn) {
            // A new stride (another speed) holds for the pieces taken from
            // now on; those being read keep theirs.
            if (course.stride != m_course->stride)
                m_gridAnchor = course.anchor;
            m_course->anchor = course.anchor;
            m_course->stride = course.stride;
            m_course->exactStride = course.exactStride;
            m_course->ahead = course.ahead;
            m_course->ticksPerSecond = course.ticksPerSecond;
        } else {
            // A player that got below the sweep, going the same way, leaves
            // the pieces being read that still lie below it to finish (it
            // comes to their frames next); pieces wholly above it stop
            // (BackwardReader::wanted). Any other course starts anew.
            if (!downwards || course.stride != m_course->stride) {
                ++m_serial;
                m_passedOver.clear();
            }
            m_course = course;
            m_gridAnchor = course.anchor;
            m_nextTop = std::min(course.anchor, course.from.value_or(course.anchor)) + tolerance;
            m_swept = false;
            m_leaveFirst = course.leaveFirstInterval;
            m_leftAbove = m_nextTop - 2 * tolerance;
            m_playerKeepsFrom = course.playerKeepsFrom;
            // Frames handed already stay: they are the frames of their times
            // whatever the course (only pieces still being read stop).
        }
    }
    m_changed.notify_all();
}

void BackwardReader::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_course.reset();
        ++m_serial;
        m_frames.clear();
        m_passedOver.clear();
    }
    m_changed.notify_all();
}

std::vector<BackwardReader::Frame> BackwardReader::takeFrames()
{
    std::lock_guard lock(m_mutex);
    std::vector<Frame> frames;
    frames.swap(m_frames);
    return frames;
}

void BackwardReader::waitForFrames(int ms)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        if (!m_frames.empty() || m_stop || !m_course)
            return true;
        for (const auto &reader : m_pool) {
            if (readsLocked(*reader))
                return false;
        }
        return !hasWorkLocked(0);
    });
}

bool BackwardReader::willRead(qint64 from, qint64 to) const
{
    std::lock_guard lock(m_mutex);
    if (!m_course || m_failed)
        return false;
    for (const auto &reader : m_pool) {
        if (readsLocked(*reader) && reader->reading->from <= to && from <= reader->reading->to)
            return true;
    }
    // Not taken yet: below the sweep's next piece and within reach.
    if (m_leaveFirst && to >= m_leftAbove)
        return false;
    return !m_swept && from <= m_nextTop && to >= m_course->anchor - m_course->ahead;
}

bool BackwardReader::passedOver(qint64 from, qint64 to) const
{
    std::lock_guard lock(m_mutex);
    if (!m_course || m_failed)
        return false;
    // A landing's window may straddle the top of the piece read below a
    // stretch gone past (that piece ends half a step above where the
    // shuttle would be): a frame in the part read would be cached already.
    return std::any_of(m_passedOver.begin(), m_passedOver.end(),
                       [from, to](const Piece &stretch) { return stretch.from <= to && from <= stretch.to; });
}

bool BackwardReader::isReading() const
{
    std::lock_guard lock(m_mutex);
    if (!m_course || m_failed)
        return false;
    for (const auto &reader : m_pool) {
        if (readsLocked(*reader))
            return true;
    }
    return hasWorkLocked(0);
}

bool BackwardReader::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

int BackwardReader::readerCount() const
{
    std::lock_guard lock(m_mutex);
    return m_readers;
}

bool BackwardReader::warmsUpLocked(int index) const
{
    // The first reader learns how many decoders the file allows; the others wait for that.
    return (m_warmUps & (1u << index)) && !m_course && (index == 0 || m_readersKnown);
}

bool BackwardReader::hasWorkLocked(int index) const
{
    return m_course && !m_failed && !m_swept && index < m_readers && m_nextTop >= m_course->anchor - m_course->ahead;
}

bool BackwardReader::current(quint64 serial) const
{
    std::lock_guard lock(m_mutex);
    return !m_stop && m_serial == serial;
}

bool BackwardReader::wanted(quint64 serial, const Piece &piece) const
{
    std::lock_guard lock(m_mutex);
    return !m_stop && m_serial == serial && m_course && piece.from <= m_course->anchor + m_course->stride / 2;
}

qint64 BackwardReader::anchorInLocked(double seconds) const
{
    if (!m_course || m_course->ticksPerSecond <= 0)
        return m_course ? m_course->anchor : 0;
    const double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_anchorSetAt).count();
    // Far past the start of any file at most (no overflow for any pace).
    const double drop = std::min(m_course->ticksPerSecond * (std::max(0.0, since) + std::max(0.0, seconds)), 1e15);
    return m_course->anchor - qint64(drop);
}

void BackwardReader::hand(quint64 serial, Frame frame)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_serial != serial)
            return;
        m_frames.push_back(std::move(frame));
    }
    m_changed.notify_all();
    m_wake();
}

void BackwardReader::endPiece(Reader &reader, quint64 serial)
{
    {
        std::lock_guard lock(m_mutex);
        reader.reading.reset();
        if (m_serial != serial)
            return;
    }
    m_changed.notify_all();
    m_wake();
}

void BackwardReader::stopSweep(quint64 serial)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_serial != serial)
            return;
        m_swept = true;
    }
    m_changed.notify_all();
    m_wake();
}

void BackwardReader::run(int index)
{
    Reader &reader = *m_pool[size_t(index)];
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (warmsUpLocked(index)) {
            m_warmUps &= ~(1u << index);
            if (index >= m_readers)
                continue; // this file leaves it idle
            lock.unlock();
            if (open(reader) && !reader.decoder.hasFrame())
                reader.decoder.decodeNextFrame();
            lock.lock();
            continue;
        }
        if (!hasWorkLocked(index)) {
            const bool idle = !m_changed.wait_for(lock, std::chrono::milliseconds(m_keepOpenMs),
                                                  [&] { return m_stop || warmsUpLocked(index) || hasWorkLocked(index); });
            if (idle && reader.decoder.isOpen()) {
                // Not going backwards for a while: the decoder's frames go back to the system.
                lock.unlock();
                reader.decoder.close();
                malloc_trim(0);
                lock.lock();
            }
            continue;
        }
        const quint64 serial = m_serial;
        const Course course = *m_course;
        const qint64 grid = m_gridAnchor;
        lock.unlock();
        // Opened before it takes a piece: the latest pieces go to the
        // readers whose decoders are open already.
        Piece piece;
        if (!open(reader)) {
            stopSweep(serial); // the file cannot be read
        } else if (takePiece(reader, serial, &piece)) {
            Course sweep = course;
            sweep.anchor = grid;
            if (reader.decoder.isIntraOnly()) {
                readFrameAlone(reader, sweep, serial, piece);
            } else {
                const auto started = std::chrono::steady_clock::now();
                if (readPiece(reader, sweep, serial, piece)) {
                    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                    std::lock_guard timing(m_mutex);
                    m_pieceSeconds = m_pieceSeconds > 0 ? 0.7 * m_pieceSeconds + 0.3 * seconds : seconds;
                    const double pace = double(piece.to - piece.from) / std::max(seconds, 1e-3);
                    m_ticksPerReaderSecond = m_ticksPerReaderSecond > 0 ? 0.7 * m_ticksPerReaderSecond + 0.3 * pace : pace;
                }
            }
            endPiece(reader, serial);
        }
        lock.lock();
    }
    lock.unlock();
    reader.decoder.close();
}

bool BackwardReader::open(Reader &reader)
{
    if (reader.decoder.isOpen())
        return true;
    int readers = 0;
    bool first = false; // the first decoder learns how many the file allows
    {
        std::lock_guard lock(m_mutex);
        readers = m_readers;
        first = !m_readersKnown;
    }
    if (!reader.decoder.open(m_path, threadsPerReader(first ? maxReaders : readers, m_processors))) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        return false;
    }
    if (!first)
        return true;
    // How many decoders the pictures of this file allow. (A QuickTime
    // header may not tell the pixel format; the decoder knows it from the
    // stream's parameter sets once it is open.)
    const AVStream *stream = reader.decoder.stream();
    const AVCodecContext *codec = reader.decoder.codecContext();
    const AVPixelFormat format = codec && codec->pix_fmt != AV_PIX_FMT_NONE ? codec->pix_fmt : AVPixelFormat(stream->codecpar->format);
    const AVPixFmtDescriptor *pixels = av_pix_fmt_desc_get(format);
    const bool deep = (pixels && pixels->comp[0].depth > 8) || (codec && codec->bits_per_raw_sample > 8)
                      || stream->codecpar->bits_per_raw_sample > 8;
    const int allowed = readersFor(QSize(stream->codecpar->width, stream->codecpar->height), deep ? 2 : 1, m_processors);
    const int threads = threadsPerReader(allowed, m_processors);
    if (threads != reader.decoder.threadCount() && !reader.decoder.reopenCodec(threads)) {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_readers = allowed;
        m_readersKnown = true;
    }
    m_changed.notify_all();
    return true;
}

bool BackwardReader::readPiece(Reader &reader, const Course &sweep, quint64 serial, const Piece &piece)
{
    FFmpegVideoDecoder &decoder = reader.decoder;
    const qint64 frame = decoder.frameDurationTicks();
    const auto keeps = [piece, sweep, frame](qint64 timestamp) {
        return timestamp >= piece.from && timestamp <= piece.to && nearStride(sweep.anchor, gridStride(sweep), timestamp, frame);
    };
    const qint64 skipBefore = piece.from - qint64(skipBeyondFrames + decoder.pipelineDelayFrames()) * frame;
    // Going back several frames a step, only the frames asked for are
    // decoded besides those others refer to.
    const bool sparse = sweep.stride > frame + frame / 2;
    if (sparse)
        decoder.setWantedFrames(keeps);
    // Nothing past the piece's last frame asked for is decoded: the frames
    // the decoder would work on ahead of its output belong to the piece
    // after, read already, or are not asked for.
    decoder.setLastDecoded(sparse ? std::min(piece.to, lastNearStride(sweep.anchor, gridStride(sweep), piece.to, frame)) : piece.to);
    const auto endSparse = qScopeGuard([&decoder, sparse] {
        if (sparse)
            decoder.setWantedFrames({});
        decoder.setLastDecoded(std::nullopt);
        decoder.setSkipNonReference(false);
    });
    // From the keyframe at or before the piece's start: where that start is
    // only estimated from an index, decoding still covers the whole piece.
    if (!decoder.seekToKeyframeBefore(piece.from))
        return true;
    while (true) {
        if (!wanted(serial, piece))
            return false;
        const qint64 timestamp = decoder.frameTimestamp();
        if (timestamp > piece.to)
            break;
        // Frames shown before the piece's keyframe belong to the piece
        // before (and lack the pictures they refer to); a damaged frame is
        // left for the player's own decoder, which decodes it from further
        // back, unless it is the best there is.
        if (!decoder.isSkipping() && keeps(timestamp) && decoder.frameIsFinal()) {
            Frame made;
            made.timestamp = timestamp;
            const std::optional<qint64> previous = decoder.previousTimestamp();
            made.previous = previous ? *previous : decoder.isFirstFrame() ? FrameCache::streamStart : FrameCache::unknown;
            made.end = decoder.frameEndTimestamp();
            made.image = decoder.frameImage(sweep.size);
            if (!made.image.isNull())
                hand(serial, std::move(made));
        }
        decoder.setSkipNonReference(!sparse && timestamp < skipBefore);
        if (!decoder.decodeNextFrame())
            break; // the end of the file, or a frame that cannot be read
    }
    return true;
}

bool BackwardReader::readFrameAlone(Reader &reader, const Course &sweep, quint64 serial, const Piece &piece)
{
    FFmpegVideoDecoder &decoder = reader.decoder;
    if (!current(serial))
        return false;
    if (!decoder.decodeKeyframeAlone(piece.to) || !decoder.frameIsFinal())
        return true; // a frame that cannot be read
    const qint64 timestamp = decoder.frameTimestamp();
    if (!nearStride(sweep.anchor, gridStride(sweep), timestamp, decoder.frameDurationTicks()))
        return true;
    Frame made;
    made.timestamp = timestamp;
    made.previous = decoder.isFirstFrame() ? FrameCache::streamStart : FrameCache::unknown;
    made.end = decoder.frameEndTimestamp();
    made.image = decoder.frameImage(sweep.size);
    if (!made.image.isNull())
        hand(serial, std::move(made));
    return true;
}
