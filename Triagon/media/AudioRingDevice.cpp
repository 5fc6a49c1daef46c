#include "media/AudioRingDevice.h"

#include <algorithm>
#include <cstring>

AudioRingDevice::AudioRingDevice(int channels, qint64 capacityFrames, QAudioFormat::SampleFormat deviceFormat)
    : m_channels(std::max(1, channels)), m_deviceFormat(deviceFormat),
      m_ring(static_cast<size_t>(std::max<qint64>(1, capacityFrames)) * static_cast<size_t>(m_channels))
{
}

qint64 AudioRingDevice::push(const float *interleaved, qint64 frames)
{
    if (frames <= 0)
        return 0;
    std::lock_guard lock(m_mutex);
    const size_t capacity = m_ring.size();
    const size_t freeFrames = (capacity - m_size) / static_cast<size_t>(m_channels);
    const size_t taken = std::min(freeFrames, static_cast<size_t>(frames));
    const size_t samples = taken * static_cast<size_t>(m_channels);
    size_t tail = (m_head + m_size) % capacity;
    for (size_t i = 0; i < samples; ++i) {
        m_ring[tail] = interleaved[i];
        tail = tail + 1 == capacity ? 0 : tail + 1;
    }
    m_size += samples;
    return static_cast<qint64>(taken);
}

void AudioRingDevice::clear()
{
    std::lock_guard lock(m_mutex);
    m_head = 0;
    m_size = 0;
    m_consumed.store(0);
}

qint64 AudioRingDevice::queuedFrames() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<qint64>(m_size / static_cast<size_t>(m_channels));
}

qint64 AudioRingDevice::bytesAvailable() const
{
    // Silence is always available.
    return (1 << 16) + QIODevice::bytesAvailable();
}

qint64 AudioRingDevice::readData(char *data, qint64 maxSize)
{
    const int bytesPerSample = m_deviceFormat == QAudioFormat::Int16 ? 2 : 4;
    const qint64 bytesPerFrame = static_cast<qint64>(bytesPerSample) * m_channels;
    const qint64 frames = maxSize / bytesPerFrame;
    if (frames <= 0)
        return 0;
    std::lock_guard lock(m_mutex);
    const size_t capacity = m_ring.size();
    const size_t real = std::min(m_size / static_cast<size_t>(m_channels), static_cast<size_t>(frames)) * static_cast<size_t>(m_channels);
    const size_t total = static_cast<size_t>(frames) * static_cast<size_t>(m_channels);
    if (m_deviceFormat == QAudioFormat::Int16) {
        auto *out = reinterpret_cast<qint16 *>(data);
        for (size_t i = 0; i < real; ++i) {
            const float v = std::clamp(m_ring[m_head], -1.0f, 1.0f);
            out[i] = static_cast<qint16>(v * 32767.0f);
            m_head = m_head + 1 == capacity ? 0 : m_head + 1;
        }
        std::fill(out + real, out + total, qint16(0));
    } else {
        auto *out = reinterpret_cast<float *>(data);
        for (size_t i = 0; i < real; ++i) {
            out[i] = m_ring[m_head];
            m_head = m_head + 1 == capacity ? 0 : m_head + 1;
        }
        std::fill(out + real, out + total, 0.0f);
    }
    m_size -= real;
    m_consumed.fetch_add(static_cast<qint64>(real / static_cast<size_t>(m_channels)));
    return frames * bytesPerFrame;
}

qint64 AudioRingDevice::writeData(const char *, qint64)
{
    return -1;
}
