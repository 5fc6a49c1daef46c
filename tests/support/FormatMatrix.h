#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

// The formats that cameras and phones write, made with the ffmpeg tool: each
// shows the frame-counter picture (FrameNumberStrip) and carries a sound
// track that is quiet but for a loud burst (from 2.0 s to 2.5 s after the
// first picture, earlier in a shorter clip). Small and short for the tests,
// full size and longer (with grain, so that they decode like footage) for
// the benchmarks.
struct MatrixFormat
{
    QString name;           // file name, its extension one the import takes
    QString codec;          // the codec as the probe names it
    QSize displaySize;      // upright
    int rotation = 0;       // clockwise turn from the stored picture to the upright one
    int rateNumerator = 30; // nominal frame rate
    int rateDenominator = 1;
    double duration = 0; // seconds from the first picture to the end of the last
    bool intraOnly = false;
    double burstStart = 0; // the loud burst of the sound, in seconds from the first picture
    double burstEnd = 0;
    // Matroska written as older muxers did: frames that refer to others in
    // BlockGroups without a reference (dropBlockReferences).
    bool blockReferencesDropped = false;
    QStringList arguments; // ffmpeg arguments before the output path
    // Frames (numbered from the first picture) that the container lists as
    // keyframes although they are predicted from the frames before them: a
    // sync sample that does not decode alone.
    QList<int> falseKeyframes;
    // Written into a Matroska file's segment information after muxing, when
    // set: the length from the first picture, as some muxers write it.
    double matroskaDuration = 0;

    double frameRate() const { return double(rateNumerator) / rateDenominator; }
    // The number of the frame on show at `seconds` from the first picture.
    int frameAt(double seconds) const;
    // When frame `number` is first shown.
    double frameTime(int number) const;
};

class FormatMatrix
{
public:
    enum class Scale {
        Test,  // 320 x 180 (portrait 180 x 320), 2 to 4 s
        Bench, // 1920 x 1080, 4K for HEVC, 20 s (12 s for HEVC), with grain
    };
    // When the loud burst of a file's sound starts and ends, but for the
    // shorter clips (MatrixFormat::burstStart).
    static constexpr double burstStart = 2.0;
    static constexpr double burstEnd = 2.5;

    static QList<MatrixFormat> formats(Scale scale);
    // Matroska whose seeks fail (fmt_nocues.mkv), `seconds` long, its first
    // picture at `firstPictureAt` (negative) on the container's clock, the
    // loud burst of its sound at `burstAt`.
    static MatrixFormat noCues(QSize size, double seconds, double firstPictureAt, bool bench = false, double burstAt = burstStart);
    // Makes one file; false with *error when ffmpeg failed.
    static bool make(const MatrixFormat &format, const QString &folder, QString *error = nullptr);
    // Makes the files missing from folder (or made from other arguments);
    // false with *error at the first failure.
    static bool makeAll(Scale scale, const QString &folder, QString *error = nullptr);
    // The steps after the ffmpeg tool: the quarter turn, the references
    // dropped, the length written, the false keyframes.
    static bool finish(const MatrixFormat &format, const QString &path, QString *error = nullptr);
    // What a file is made of: the ffmpeg arguments and the steps after them
    // (a file made from another recipe is made again).
    static QString recipe(const MatrixFormat &format);

    // Runs the ffmpeg tool quietly with the given arguments; true on success.
    static bool runFfmpeg(const QStringList &arguments, QString *errorText = nullptr);
    // Writes a display matrix of a quarter turn clockwise into the first
    // track header of an MP4, the way a phone records portrait video
    // (ffmpeg 5.1 has no option for it).
    static bool setQuarterTurn(const QString &path);
    // Writes a display matrix (libavutil/display.h's layout, which is the
    // track header's) into the first track header of an MP4.
    static bool setDisplayMatrix(const QString &path, const std::array<qint32, 9> &matrix);
    // Turns the ReferenceBlock of every BlockGroup of a Matroska file into
    // a Void element of the same size (FormatMatrixMatroska.cpp), as
    // GStreamer 0.10 and libavformat of 2015 wrote frames that refer to
    // others; false when the file has none.
    static bool dropBlockReferences(const QString &path);
    // Copies the packets of a file into a new file of the same container
    // (libavformat: the ffmpeg tool has no option for it), marking the video
    // packets of the given frames (numbered in presentation order) as
    // keyframes, and puts it in the file's place.
    static bool markKeyframes(const QString &path, const QList<int> &frames, QString *error = nullptr);
    // Sets the duration in a Matroska file's segment information (a float of
    // eight bytes in the default timestamp scale of a millisecond).
    static bool setMatroskaDuration(const QString &path, double seconds);
};
