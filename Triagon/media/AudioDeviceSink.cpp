#include "media/AudioDeviceSink.h"

#include "media/AudioRingDevice.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>

#include <atomic>

namespace {

// One thread for every audio sink of the process, with its own event loop
// (QAudioSink pulls from its source on timers of the thread it lives on).
struct AudioThread
{
    QThread *thread = nullptr;
    QObject *context = nullptr; // lives on the thread, target of queued calls
};

AudioThread &audioThread()
{
    static AudioThread audio = [] {
        auto *t = new QThread;
        t->setObjectName(QStringLiteral("Triagon audio"));
        t->start(QThread::TimeCriticalPriority);
        if (QCoreApplication::instance()) {
            // Stopped and waited for at quit, so that sinks destroyed later
            // are deleted directly instead of waiting on a finished thread.
            QObject::connect(
                QCoreApplication::instance(), &QCoreApplication::aboutToQuit, t,
                [t] {
                    t->quit();
                    t->wait();
                },
                Qt::DirectConnection);
        }
        auto *context = new QObject;
        context->moveToThread(t);
        return AudioThread{t, context};
    }();
    return audio;
}

// Runs `work` on the audio thread and waits for it.
template <typename Work>
void onAudioThread(Work &&work)
{
    AudioThread &audio = audioThread();
    if (QThread::currentThread() == audio.thread || !audio.thread->isRunning()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(audio.context, std::forward<Work>(work), Qt::BlockingQueuedConnection);
}

} // namespace

AudioDeviceSink::AudioDeviceSink(int sampleRate, int channels, double queueSeconds)
    : m_sampleRate(sampleRate), m_channels(channels), m_deviceBufferFrames(0)
{
    m_queueFrames = static_cast<qint64>(std::max(0.1, queueSeconds) * sampleRate);
}

AudioDeviceSink::~AudioDeviceSink()
{
    stopOnAudioThread();
}

bool AudioDeviceSink::claimFailureLog()
{
    static std::atomic_bool claimed{false};
    return !claimed.exchange(true);
}

bool AudioDeviceSink::start(QString *error)
{
    if (m_running)
        return true;
    QString failure;
    onAudioThread([this, &failure] {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            failure = QStringLiteral("no audio output device");
            return;
        }
        QAudioFormat format;
        format.setSampleRate(m_sampleRate);
        format.setChannelCount(m_channels);
        format.setSampleFormat(QAudioFormat::Float);
        if (!device.isFormatSupported(format))
            format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) {
            failure = QStringLiteral("the audio device takes neither float nor 16-bit sound at %1 Hz").arg(m_sampleRate);
            return;
        }
        auto ring = std::make_shared<AudioRingDevice>(m_channels, m_queueFrames, format.sampleFormat());
        ring->open(QIODevice::ReadOnly);
        auto *sink = new QAudioSink(device, format);
        // A short device buffer keeps snippets and seeks responsive.
        sink->setBufferSize(format.bytesForDuration(60 * 1000));
        sink->start(ring.get());
        if (sink->error() != QAudio::NoError || sink->state() == QAudio::StoppedState) {
            failure = QStringLiteral("the audio device could not be opened (error %1)").arg(int(sink->error()));
            delete sink;
            return;
        }
        m_deviceBufferFrames = format.framesForBytes(sink->bufferSize());
        m_ring = std::move(ring);
        m_sink = sink;
    });
    m_running = m_sink != nullptr;
    if (!m_running && error)
        *error = failure;
    return m_running;
}

void AudioDeviceSink::stopOnAudioThread()
{
    if (!m_sink)
        return;
    QAudioSink *sink = m_sink;
    m_sink = nullptr;
    m_running = false;
    onAudioThread([sink] {
        sink->stop();
        delete sink;
    });
    m_ring.reset();
}

bool AudioDeviceSink::isRunning() const
{
    return m_running;
}

qint64 AudioDeviceSink::write(const float *interleaved, qint64 frames)
{
    return m_ring ? m_ring->push(interleaved, frames) : 0;
}

void AudioDeviceSink::clear()
{
    if (m_ring)
        m_ring->clear();
}

qint64 AudioDeviceSink::queuedFrames() const
{
    return m_ring ? m_ring->queuedFrames() : 0;
}

qint64 AudioDeviceSink::playedFrames() const
{
    if (!m_ring)
        return 0;
    return std::max<qint64>(0, m_ring->consumedFrames() - m_deviceBufferFrames);
}
