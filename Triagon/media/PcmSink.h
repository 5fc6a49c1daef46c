#pragma once

#include <QString>
#include <QtGlobal>

// Where decoded sound goes: interleaved 32-bit float frames at a fixed rate
// and channel count. The real one plays through the audio device
// (AudioDeviceSink); the interface is narrow so that tests can record what
// would have been played on a machine without a sound card.
class PcmSink
{
public:
    virtual ~PcmSink() = default;

    virtual int sampleRate() const = 0;
    virtual int channelCount() const = 0;

    // Opens the output; true when it runs. On failure `error` says why.
    virtual bool start(QString *error) = 0;
    virtual bool isRunning() const = 0;

    // Queues frames after those already queued; returns the frames taken
    // (fewer when the queue is full).
    virtual qint64 write(const float *interleaved, qint64 frames) = 0;
    // Drops everything queued, silencing the output at once.
    virtual void clear() = 0;
    virtual qint64 queuedFrames() const = 0;
    // Frames handed to the device since the last `clear()`, less the device's
    // own buffer: roughly the frames heard so far.
    virtual qint64 playedFrames() const = 0;
};
