#include "media/AudioScrubEngine.h"

#include "app/Loggers.h"
#include "media/AudioDeviceSink.h"
#include "media/AudioStreamDecoder.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>

AudioScrubEngine::AudioScrubEngine(QObject *parent)
    : AudioScrubEngine(std::make_unique<AudioDeviceSink>(sampleRate, channelCount, 0.5), defaultCacheBytes, parent)
{
}

AudioScrubEngine::AudioScrubEngine(std::unique_ptr<PcmSink> output, qint64 cacheBytes, QObject *parent)
    : QObject(parent), m_output(std::move(output)), m_cacheBudget(std::max<qint64>(0, cacheBytes))
{
    init();
}

AudioScrubEngine::~AudioScrubEngine()
{
    m_closing.store(true);
    m_threads.waitForDone();
    m_output.reset();
}

void AudioScrubEngine::init()
{
    m_threads.setMaxThreadCount(2);
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    // A monotonic clock: the wall clock may jump (time zone, NTP), which
    // would hold the throttle shut or open.
    m_clock = [timer] { return double(timer->nsecsElapsed()) / 1e9; };
    QString error;
    if (!m_output->start(&error) && AudioDeviceSink::claimFailureLog())
        qCCritical(audioLogger, "Failed to start scrub audio engine: %s", qUtf8Printable(error));
}

void AudioScrubEngine::setClock(std::function<double()> clock)
{
    if (clock)
        m_clock = std::move(clock);
}

bool AudioScrubEngine::isCached(const QString &path) const
{
    return m_bufferCache.contains(path);
}

int AudioScrubEngine::windowFor(const ClipAudio *clip, double seconds) const
{
    if (!std::isfinite(seconds) || seconds < 0)
        return 0;
    const double index = std::floor(seconds / windowSeconds);
    int window = index > 1e6 ? 1000000 : int(index);
    if (clip && clip->lastWindow)
        window = std::min(window, *clip->lastWindow);
    return window;
}

void AudioScrubEngine::preloadBuffer(const QString &path)
{
    if (m_bufferCache.contains(path) || m_loadingTasks.contains(path))
        return;
    load(path, 0);
}

void AudioScrubEngine::load(const QString &path, int window)
{
    if (m_loadingTasks.contains(path))
        return;
    if (const auto clip = m_bufferCache.constFind(path); clip != m_bufferCache.constEnd() && clip->windows.count(window))
        return;
    m_loadingTasks.insert(path, window);
    ++m_decodesStarted;
    m_threads.start([this, path, window] {
        std::optional<Decoded> decoded;
        if (!m_closing.load())
            decoded = loadWindow(path, window, &m_closing);
        if (m_closing.load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, path, window, decoded = std::move(decoded)]() mutable {
                m_loadingTasks.remove(path);
                const bool ok = decoded && !decoded->samples.isEmpty();
                if (ok) {
                    cacheBuffer(path, window, std::move(*decoded));
                } else if (decoded && decoded->duration > 0) {
                    // Asked past the end: remember where the sound ends.
                    if (auto clip = m_bufferCache.find(path); clip != m_bufferCache.end())
                        clip->lastWindow = std::max(0, int(std::floor((decoded->duration - 1e-6) / windowSeconds)));
                }
                Q_EMIT bufferLoaded(path, ok);
            },
            Qt::QueuedConnection);
    });
}

std::optional<AudioScrubEngine::Decoded> AudioScrubEngine::loadWindow(const QString &path, int window, const std::atomic_bool *cancel)
{
    FFmpegAudioFormat format;
    format.sampleRate = sampleRate;
    format.channels = channelCount;
    format.sampleType = FFmpegAudioFormat::SampleType::Float;
    // Missing channels repeat the first one: a mono clip plays at full level on both sides.
    format.mapping = FFmpegAudioFormat::ChannelMapping::Direct;
    AudioStreamDecoder decoder;
    const AudioStreamDecoder::OpenResult opened = decoder.open(path, format);
    if (opened == AudioStreamDecoder::OpenResult::Failed) {
        qCCritical(audioLogger, "Scrub audio: cannot read %s: %s", qUtf8Printable(QFileInfo(path).fileName()),
                   qUtf8Printable(decoder.errorText()));
        return std::nullopt;
    }
    if (opened != AudioStreamDecoder::OpenResult::Opened)
        return std::nullopt;
    // From the window's start on the clip's clock, the first window too:
    // the sound is placed where the pictures are.
    if (!decoder.seek(window * windowSeconds))
        return std::nullopt;
    const qint64 frames = qint64((windowSeconds + windowOverlapSeconds) * sampleRate);
    QByteArray data;
    data.reserve(frames * format.bytesPerFrame());
    decoder.read(data, frames, cancel);
    if (decoder.failed())
        return std::nullopt;
    Decoded decoded;
    decoded.reachesEnd = decoder.atEnd();
    decoded.duration = decoder.durationSeconds();
    decoded.samples.resize(data.size() / qsizetype(sizeof(float)));
    std::memcpy(decoded.samples.data(), data.constData(), size_t(decoded.samples.size()) * sizeof(float));
    return decoded;
}

void AudioScrubEngine::cacheBuffer(const QString &path, int window, Decoded decoded)
{
    ClipAudio &clip = m_bufferCache[path];
    if (auto old = clip.windows.find(window); old != clip.windows.end()) {
        m_cachedBytes -= old->second.samples.size() * qint64(sizeof(float));
        clip.windows.erase(old);
    }
    const qint64 bytes = decoded.samples.size() * qint64(sizeof(float));
    clip.windows.emplace(window, Window{std::move(decoded.samples), ++m_insertions, decoded.reachesEnd});
    m_cachedBytes += bytes;
    if (decoded.reachesEnd)
        clip.lastWindow = window;
    else if (decoded.duration > 0 && !clip.lastWindow)
        clip.lastWindow = std::max(window, int(std::floor((decoded.duration - 1e-6) / windowSeconds)));

    m_cacheOrder.removeAll(path);
    m_cacheOrder.append(path);

    const auto evictClip = [this](const QString &victim) {
        const auto it = m_bufferCache.find(victim);
        if (it != m_bufferCache.end()) {
            for (const auto &[index, w] : it->windows)
                m_cachedBytes -= w.samples.size() * qint64(sizeof(float));
            m_bufferCache.erase(it);
        }
        m_cacheOrder.removeAll(victim);
    };
    while (m_cacheOrder.size() > maxCacheSize)
        evictClip(m_cacheOrder.first());
    while (m_cachedBytes > m_cacheBudget && !m_cacheOrder.isEmpty()) {
        if (m_cacheOrder.first() != path) {
            evictClip(m_cacheOrder.first());
            continue;
        }
        // Only this clip is left: drop its oldest other windows.
        ClipAudio &own = m_bufferCache[path];
        auto oldest = own.windows.end();
        for (auto it = own.windows.begin(); it != own.windows.end(); ++it) {
            if (it->first != window && (oldest == own.windows.end() || it->second.inserted < oldest->second.inserted))
                oldest = it;
        }
        if (oldest == own.windows.end())
            break;
        m_cachedBytes -= oldest->second.samples.size() * qint64(sizeof(float));
        own.windows.erase(oldest);
    }
}

void AudioScrubEngine::playSnippet(const QString &path, double seconds)
{
    const double now = m_clock();
    if (m_lastSnippetTime && now - *m_lastSnippetTime < minSnippetInterval)
        return;

    const auto clip = m_bufferCache.constFind(path);
    const int windowIndex = windowFor(clip == m_bufferCache.constEnd() ? nullptr : &clip.value(), seconds);
    if (clip == m_bufferCache.constEnd() || !clip->windows.count(windowIndex)) {
        if (clip == m_bufferCache.constEnd() && windowIndex == 0)
            preloadBuffer(path);
        else
            load(path, windowIndex);
        return;
    }
    if (!m_output->isRunning() && !m_output->start(nullptr))
        return;
    // The previous snippet stops here, even if nothing follows.
    m_output->clear();

    const Window &window = clip->windows.at(windowIndex);
    const qint64 length = window.samples.size() / channelCount;
    const qint64 snippetFrames = qint64(snippetDuration * sampleRate);
    const double offset = std::isfinite(seconds) ? seconds - windowIndex * windowSeconds : 0.0;
    const double position = std::clamp(offset * sampleRate, -1e12, 1e12);
    qint64 start = qint64(position); // toward zero
    start = std::min(start, length - snippetFrames);
    start = std::max<qint64>(start, 0);
    const qint64 count = std::min(length - start, snippetFrames);
    if (count <= 0)
        return;

    QList<float> snippet(count * channelCount);
    std::memcpy(snippet.data(), window.samples.constData() + start * channelCount, size_t(snippet.size()) * sizeof(float));
    applyFades(snippet.data(), count, channelCount, sampleRate);
    m_output->write(snippet.constData(), count);

    m_lastSnippetTime = now;
    m_activeURL = path;
}

void AudioScrubEngine::stopPlayback()
{
    if (m_output)
        m_output->clear();
}

void AudioScrubEngine::applyFades(float *interleaved, qint64 frames, int channels, int rate)
{
    if (!interleaved || channels < 1)
        return;
    const qint64 fade = std::min<qint64>(frames / 2, qint64(rate * fadeDuration));
    if (fade < 1)
        return;
    for (int c = 0; c < channels; ++c) {
        for (qint64 i = 0; i < fade; ++i) {
            const float gain = float(i) / float(fade);
            interleaved[i * channels + c] *= gain;
            interleaved[(frames - 1 - i) * channels + c] *= gain;
        }
    }
}
