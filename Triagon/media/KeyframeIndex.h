#pragma once

#include <QString>
#include <QtGlobal>

#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// Where the keyframes of a file's video stream lie, for containers that keep
// no index of their own (MPEG-TS: the .MTS and .M2TS files of camcorders).
// Learnt from the packets read, never by decoding: a run of packets read in
// order (from opening or from a seek on) tells every keyframe among them and
// that no other keyframe starts decoding between its first and its last
// packet. What the readers of a file learn is shared by all of them
// (forFile()), so that a file is read for its keyframes once, where it is
// used, however many decoders open it. Times are stream ticks. Thread-safe.
class KeyframeIndex
{
public:
    // A run that began at the start of the file covers everything before it too.
    static constexpr qint64 fileStart = std::numeric_limits<qint64>::min();

    struct Keyframe
    {
        qint64 shown = 0;     // presentation time
        qint64 decoded = 0;   // decoding time
        qint64 position = -1; // byte position of its packet in the file
    };

    enum class Lookup {
        Found,       // the keyframe from which the time is reached
        BeforeFirst, // the time lies before the stream's first keyframe
        Unknown,     // not read yet (or not on the run to it)
    };

    // The index of the file at path as it is on disk now: shared while the
    // file stays the same; a file replaced or changed gets a new one.
    static std::shared_ptr<KeyframeIndex> forFile(const QString &path);

    // One packet of the video stream, read in order after the packets of a
    // run that began at `runStart` (the first packet's decoding time, or
    // fileStart).
    void record(qint64 runStart, qint64 decoded, qint64 shown, qint64 position, bool keyframe);
    // The run that began at `runStart` reached the end of the file.
    void recordEndOfFile(qint64 runStart);

    // The last keyframe shown at or before `shown`, when the runs read tell
    // that no keyframe lies between it and that time.
    Lookup keyframeAtOrBefore(qint64 shown, Keyframe *keyframe) const;
    // The first keyframe shown after `shown`, when the runs read tell that
    // no keyframe lies between that time and it.
    std::optional<Keyframe> keyframeAfter(qint64 shown) const;
    // Whether the runs read hold every packet decoded from `from` to `to`.
    bool covers(qint64 from, qint64 to) const;
    // The typical distance between two keyframes, from those known (0 when fewer than two).
    qint64 typicalKeyframeDistance() const;
    int keyframeCount() const;

private:
    void coverLocked(qint64 from, qint64 to);
    bool coversLocked(qint64 from, qint64 to) const;

    mutable std::mutex m_mutex;
    std::map<qint64, Keyframe> m_keyframes; // by decoding time
    std::map<qint64, qint64> m_runs;        // disjoint stretches read: first decoding time -> last
};
