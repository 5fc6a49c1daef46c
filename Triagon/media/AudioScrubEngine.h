#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class PcmSink;

// Makes hover scrubbing audible: each new hover position plays a short slice
// of the clip's sound (80 ms, faded in and out) taken at that time. Sound is
// decoded in the background, in windows of 30 s around the times asked for
// (a whole hour of sound at this format would be 1.3 GB), and the windows of
// the last twelve clips stay in memory within a byte budget. One engine per
// store; GUI thread only.
class AudioScrubEngine : public QObject
{
    Q_OBJECT

public:
    static constexpr double snippetDuration = 0.08;
    static constexpr double minSnippetInterval = 0.06;
    static constexpr double fadeDuration = 0.005;
    static constexpr int maxCacheSize = 12;
    static constexpr qint64 defaultCacheBytes = 256LL * 1024 * 1024;
    static constexpr int sampleRate = 44100;
    static constexpr int channelCount = 2;
    // Length of one decoded window, and the overlap that lets a snippet that
    // starts near a window's end be cut from that window alone.
    static constexpr double windowSeconds = 30.0;
    static constexpr double windowOverlapSeconds = 0.1;

    // Plays through the default audio device; without one it stays silent
    // and logs that once.
    explicit AudioScrubEngine(QObject *parent = nullptr);
    // Plays into `output` (tests record what would be heard).
    explicit AudioScrubEngine(std::unique_ptr<PcmSink> output, qint64 cacheBytes = defaultCacheBytes, QObject *parent = nullptr);
    ~AudioScrubEngine() override;

    // Starts decoding the clip's sound from its start unless that is cached
    // or being decoded; returns at once.
    void preloadBuffer(const QString &path);
    // Plays one snippet at `seconds` into the clip, cutting off the one that
    // plays; nothing when the last snippet started less than 0.06 s ago, or
    // when that part of the sound is not decoded yet (its decode starts).
    void playSnippet(const QString &path, double seconds);
    // Silences the snippet that plays.
    void stopPlayback();

    // The clip whose snippets play; the card clears it when its hover ends.
    QString activeURL() const { return m_activeURL; }
    void setActiveURL(const QString &path) { m_activeURL = path; }

    // The throttle's clock, in seconds; monotonic by default. Tests set their own.
    void setClock(std::function<double()> clock);

    // Inspection.
    bool isCached(const QString &path) const;
    bool isLoading(const QString &path) const { return m_loadingTasks.contains(path); }
    QStringList cacheOrder() const { return m_cacheOrder; }
    qint64 cachedBytes() const { return m_cachedBytes; }
    qint64 cacheBudget() const { return m_cacheBudget; }
    int decodesStarted() const { return m_decodesStarted; }
    std::optional<double> lastSnippetTime() const { return m_lastSnippetTime; }

    // Fades a snippet in place: ramps of min(frames / 2, 0.005 s) frames,
    // so the first and the last sample are silent.
    static void applyFades(float *interleaved, qint64 frames, int channels, int rate);

Q_SIGNALS:
    // A window of a clip's sound was decoded (or its decode ended without sound).
    void bufferLoaded(const QString &path, bool decoded);

private:
    struct Window
    {
        QList<float> samples; // interleaved at sampleRate × channelCount
        quint64 inserted = 0;
        bool reachesEnd = false;
    };
    struct ClipAudio
    {
        std::map<int, Window> windows;
        std::optional<int> lastWindow; // known once a window reached the end of the sound
    };
    struct Decoded
    {
        QList<float> samples;
        bool reachesEnd = false;
        double duration = 0;
    };

    void init();
    void load(const QString &path, int window);
    void cacheBuffer(const QString &path, int window, Decoded decoded);
    int windowFor(const ClipAudio *clip, double seconds) const;
    static std::optional<Decoded> loadWindow(const QString &path, int window, const std::atomic_bool *cancel);

    std::unique_ptr<PcmSink> m_output;
    QHash<QString, ClipAudio> m_bufferCache;
    QStringList m_cacheOrder;           // oldest insertion first
    QHash<QString, int> m_loadingTasks; // window being decoded per clip
    qint64 m_cachedBytes = 0;
    const qint64 m_cacheBudget;
    quint64 m_insertions = 0;
    int m_decodesStarted = 0;
    std::optional<double> m_lastSnippetTime;
    std::function<double()> m_clock;
    QString m_activeURL;
    std::atomic_bool m_closing{false};
    QThreadPool m_threads;
};
