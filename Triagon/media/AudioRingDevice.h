#pragma once

#include <QAudioFormat>
#include <QIODevice>

#include <atomic>
#include <mutex>
#include <vector>

// The pull source of an audio sink: a bounded ring of interleaved float
// frames, written by a decoder thread and read by the audio thread. When it
// runs dry it hands out silence, so the device keeps running and a new sound
// starts without reopening it.
class AudioRingDevice : public QIODevice
{
    Q_OBJECT

public:
    AudioRingDevice(int channels, qint64 capacityFrames, QAudioFormat::SampleFormat deviceFormat);

    qint64 push(const float *interleaved, qint64 frames);
    void clear();
    qint64 queuedFrames() const;
    // Frames of real sound read by the device since the last clear().
    qint64 consumedFrames() const { return m_consumed.load(); }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    const int m_channels;
    const QAudioFormat::SampleFormat m_deviceFormat;
    mutable std::mutex m_mutex;
    std::vector<float> m_ring;
    size_t m_head = 0; // index of the oldest sample
    size_t m_size = 0; // samples queued
    std::atomic<qint64> m_consumed{0};
};
