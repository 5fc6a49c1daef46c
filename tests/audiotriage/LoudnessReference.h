#pragma once

#include "library/model/AudioMetrics.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

// The loudness figures computed the plain way, over the whole track held in
// one list of floats, step by step as the measurement is defined; the
// streaming analysis must give exactly the same numbers.
inline AudioMetrics referenceMetrics(const std::vector<qint16> &track)
{
    std::vector<float> samples;
    samples.reserve(track.size());
    for (const qint16 s : track)
        samples.push_back(float(s) / 32768.0f);
    AudioMetrics m;
    if (samples.empty())
        return m;
    for (const float x : samples)
        m.peakAmplitude = std::max(m.peakAmplitude, std::abs(x));
    if (samples.size() < 1600)
        return m;
    const size_t n = samples.size() / 1600;
    std::vector<float> levels;
    for (size_t w = 0; w < n; ++w) {
        float sum = 0;
        for (size_t i = w * 1600; i < (w + 1) * 1600; ++i)
            sum += samples[i] * samples[i];
        levels.push_back(std::sqrt(sum / 1600.0f));
    }
    float total = 0;
    for (const float level : levels)
        total += level;
    m.avgRMS = total / float(n);
    m.maxRMS = *std::max_element(levels.begin(), levels.end());
    std::vector<float> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const size_t lower = size_t(float(n) * 0.1f);
    const size_t upper = std::min(n - 1, size_t(float(n) * 0.9f));
    m.dynamicRange = sorted[upper] - sorted[lower];
    size_t spikes = 0;
    for (const float level : levels)
        spikes += level > m.avgRMS + m.avgRMS ? 1 : 0;
    m.spikeRatio = float(spikes) / float(n);
    return m;
}

// Writes 16-bit PCM as a WAV file with the given rate and channel count.
inline bool writeWav(const QString &path, const std::vector<qint16> &interleaved, int sampleRate = 16000, int channels = 1)
{
    QByteArray data;
    auto put32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
    };
    auto put16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        data.append(b, 2);
    };
    const quint32 bytes = quint32(interleaved.size() * 2);
    data.append("RIFF");
    put32(36 + bytes);
    data.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(quint16(channels));
    put32(quint32(sampleRate));
    put32(quint32(sampleRate * channels * 2));
    put16(quint16(channels * 2));
    put16(16);
    data.append("data");
    put32(bytes);
    for (const qint16 s : interleaved)
        put16(quint16(s));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Each window of 1600 samples holds one constant value.
inline std::vector<qint16> constantWindows(const std::vector<qint16> &values)
{
    std::vector<qint16> track;
    for (const qint16 v : values)
        track.insert(track.end(), 1600, v);
    return track;
}
