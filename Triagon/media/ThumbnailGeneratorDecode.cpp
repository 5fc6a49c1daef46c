#include "media/ThumbnailGenerator.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/ThumbnailGeneratorCore.h"

#include <QMutexLocker>
#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

// The generator's own decode: the file from the asset pool, threads from
// the allotment, a frame within the time tolerance, the pooled converter.

namespace {

// A request this far past the last frame still gets the last frame; further
// out the time lies beyond the clip.
constexpr double endTolerance = 0.5;
// A decode of at most this many frames runs on one thread: starting frame
// threads costs more than they save. So does a decode of small pictures
// of at most this many pixels in all (three 1080p frames): half a second
// of a 320 x 180 clip decodes on one thread in a fifth of the time that
// eight frame threads take.
constexpr int singleThreadFrames = 3;
constexpr qint64 singleThreadPixels = 3LL * 1920 * 1080;

// The calling thread, and the frame threads it starts from now on, get the
// lowest priority of ordinary threads. It cannot be raised again without
// privileges, so only threads that do nothing else are lowered.
void lowerThisThread()
{
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

int wantedThreads(int frames, const FFmpegFormat &format)
{
    const QSize size = format.codedSize();
    if (frames >= 1 && (frames <= singleThreadFrames || qint64(frames) * size.width() * size.height() <= singleThreadPixels))
        return 1;
    return FFmpegVideoDecoder::oneOffThreadCount();
}

bool beyondTheClip(const FFmpegVideoDecoder &decoder, double seconds)
{
    return decoder.frameTime() + decoder.frameDuration() + endTolerance < seconds;
}

} // namespace

QImage ThumbnailGenerator::decodePoster(const QString &path, double seconds, QSize maxSize)
{
    FFmpegFormat format;
    if (!format.openForDecoding(path))
        return {};
    const int threads = wantedThreads(FFmpegVideoDecoder::estimatedFramesNear(format, seconds, timeTolerance, timeTolerance), format);
    FFmpegVideoDecoder decoder;
    if (!decoder.open(std::move(format), threads) || !decoder.seekNear(seconds, timeTolerance, timeTolerance)
        || beyondTheClip(decoder, seconds))
        return {};
    return decoder.frameImage(maxSize);
}

QImage ThumbnailGenerator::Core::decodeFromPool(const Job &job, bool *holdsSlot, bool *requeued)
{
    if (job.background)
        lowerThisThread();
    FFmpegFormat format = openAsset(job.path, holdsSlot);
    if (!format.isOpen() || !format.videoStream())
        return {};
    if (!*holdsSlot) {
        // The slot went to other posters while the file took long to open:
        // the file waits in the asset pool, the request for a slot.
        assets.returnAsset(job.path, std::move(format));
        *requeued = requeue(job);
        return {};
    }
    const int frames = FFmpegVideoDecoder::estimatedFramesNear(format, job.frameTime, timeTolerance, timeTolerance);
    int contenders = 1;
    {
        QMutexLocker lock(&mutex);
        // Those waiting for a slot share the processors only once they run.
        contenders = std::min(decodeSlots, running + int(waiting[0].size() + waiting[1].size()));
    }
    // Work ahead of time costs the least processor time per poster on one
    // thread: frame threads decode frames past the one wanted, and each
    // starts with buffers of its own. Nobody waits for it.
    const int threads = this->threads.take(job.background ? 1 : wantedThreads(frames, format), contenders);
    if (threads <= 0)
        return {};
    QImage poster;
    FFmpegVideoDecoder decoder;
    decoder.setInterruptFlag(&stopping);
    if (decoder.open(std::move(format), threads) && decoder.seekNear(job.frameTime, timeTolerance, timeTolerance)
        && !beyondTheClip(decoder, job.frameTime)) {
        std::unique_ptr<PosterAssetPool::Generator> generator = assets.takeGenerator(job.path, job.maxSize);
        poster = decoder.frameImage(generator->converter, generator->maximumSize);
        this->threads.give(threads);
        assets.returnAsset(job.path, decoder.takeFormat());
        assets.returnGenerator(job.path, std::move(generator));
        return poster;
    }
    this->threads.give(threads);
    // A file that opened keeps its place: a frame that cannot be made at one
    // time may well be made at another.
    if (decoder.hasFile() && !decoder.interrupted())
        assets.returnAsset(job.path, decoder.takeFormat());
    return poster;
}
