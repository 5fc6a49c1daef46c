#pragma once

#include "media/PcmSink.h"

#include <memory>

class QAudioSink;
class AudioRingDevice;

// Plays PCM through Qt Multimedia's QAudioSink. The sinks live on one shared
// audio thread, so that a busy GUI thread does not starve the device; frames
// are handed over through a ring buffer. Without an audio device (servers,
// CI) `start` fails and the caller stays silent; the first such failure in the
// process is the only one worth a log line (`claimFailureLog`).
class AudioDeviceSink : public PcmSink
{
public:
    AudioDeviceSink(int sampleRate, int channels, double queueSeconds = 2.0);
    ~AudioDeviceSink() override;

    int sampleRate() const override { return m_sampleRate; }
    int channelCount() const override { return m_channels; }
    bool start(QString *error) override;
    bool isRunning() const override;
    qint64 write(const float *interleaved, qint64 frames) override;
    void clear() override;
    qint64 queuedFrames() const override;
    qint64 playedFrames() const override;

    // True exactly once per process: the first caller that finds no usable
    // audio output logs it, every later one stays quiet.
    static bool claimFailureLog();

private:
    void stopOnAudioThread();

    const int m_sampleRate;
    const int m_channels;
    std::shared_ptr<AudioRingDevice> m_ring;
    QAudioSink *m_sink = nullptr; // lives on the audio thread
    qint64 m_deviceBufferFrames = 0;
    qint64 m_queueFrames = 0;
    bool m_running = false;
};
