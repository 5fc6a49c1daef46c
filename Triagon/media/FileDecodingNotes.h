#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <mutex>
#include <optional>
#include <set>

// What reading and decoding a file taught its readers, shared by all of
// them (the probe, posters, scrub players, the full player, the reverse
// reader) while the file stays the same:
//   - the groups of pictures that come out damaged however far back
//     decoding starts (the damage is in the file), so that a later landing
//     there shows the best frame there is at once instead of paying again
//     to find that out;
//   - where the frames of a file that states no duration end, read from
//     its end once (a killed recording's last cluster may be megabytes);
//   - the x264 build the file's first frame names. x264 writes it there
//     only, and H.264's decoder works around bugs of older builds by it: a
//     later keyframe decoded without knowing it comes out damaged.
// Times are presentation times in stream ticks. Thread-safe.
class FileDecodingNotes
{
public:
    static std::shared_ptr<FileDecodingNotes> forFile(const QString &path);

    // The group of pictures that begins at the container's keyframe
    // `keyframe` came out damaged from a keyframe before it too.
    void noteDamagedGroup(qint64 keyframe);
    bool isDamagedGroup(qint64 keyframe) const;

    // The x264 build named in the file's first frame: none until it was
    // read, -1 when the frame names none.
    std::optional<int> encoderBuild() const;
    void setEncoderBuild(int build);

    // Where the frames end, in seconds from the first picture, as read from
    // the file's end: none until it was read; a none inside when it could
    // not be found.
    std::optional<std::optional<double>> framesEnd() const;
    void setFramesEnd(std::optional<double> seconds);

private:
    mutable std::mutex m_mutex;
    std::set<qint64> m_damagedGroups;
    std::optional<int> m_encoderBuild;
    std::optional<std::optional<double>> m_framesEnd;
};
